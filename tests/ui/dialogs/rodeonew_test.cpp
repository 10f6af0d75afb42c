// "New Rodeo": the season and profile it proposes, the save checks in their
// order, the two save buttons and "New Season...".
#include "dialogfixture.h"
#include "framework/headerpanel.h"
#include "platform/sql/sqlconnection.h"
#include "ui/dialogs/rodeo/dlgrodeonew.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <optional>

namespace {

class RodeoNewTest : public DialogFixture
{
protected:
    std::unique_ptr<CDlgRodeoNew> makeDialog(const QString& season = QString())
    {
        auto dlg = std::make_unique<CDlgRodeoNew>(*db, *files, prompt, *activator, season);
        dlg->setSeasonFormRunner([this](const SeasonInfo&) -> std::optional<SeasonInfo> {
            ++formsOpened;
            if (formAnswers.isEmpty())
                return std::nullopt;
            return formAnswers.takeFirst();
        });
        present(*dlg);
        return dlg;
    }
    static QComboBox* seasonBox(CDlgRodeoNew& d) { return child<QComboBox>(d, "season"); }
    static QComboBox* profileBox(CDlgRodeoNew& d) { return child<QComboBox>(d, "profile"); }
    static QLineEdit* nameField(CDlgRodeoNew& d) { return child<QLineEdit>(d, "name"); }

    // The stored row of a rodeo: date and profile, read straight from the season's database.
    QStringList storedRodeo(const QString& season, const QString& rodeo)
    {
        SqlConnection c;
        EXPECT_TRUE(c.open(db->DatabasePath(season)));
        auto rs = c.query(QStringLiteral("SELECT RoDate, RoProfile FROM Rodeos WHERE RoName = ?"), {rodeo});
        if (!rs || !rs->moveFirst())
            return {};
        return {rs->toText(QStringLiteral("RoDate")), rs->toText(QStringLiteral("RoProfile"))};
    }

    QList<SeasonInfo> formAnswers;
    int formsOpened = 0;
};

TEST_F(RodeoNewTest, ProposesTheGivenSeasonOrTheFirstWithItsProfile)
{
    makeSeason(QStringLiteral("Spring"), QStringLiteral("ProfilePlaySeq"));
    makeSeason(QStringLiteral("autumn"), QStringLiteral("ProfileDefault"));

    auto first = makeDialog();
    EXPECT_EQ(first->windowTitle(), QStringLiteral("New Rodeo"));
    EXPECT_EQ(child<HeaderPanel>(*first, "header")->title(), QStringLiteral("Create Rodeo"));
    EXPECT_EQ(child<HeaderPanel>(*first, "header")->description(), QStringLiteral("Create a new rodeo."));
    EXPECT_EQ(items(seasonBox(*first)), (QStringList{QStringLiteral("autumn"), QStringLiteral("Spring")}));
    EXPECT_EQ(seasonBox(*first)->currentText(), QStringLiteral("autumn"));
    EXPECT_EQ(profileBox(*first)->currentText(), QStringLiteral("ProfileDefault"));

    auto given = makeDialog(QStringLiteral("Spring"));
    EXPECT_EQ(seasonBox(*given)->currentText(), QStringLiteral("Spring"));
    EXPECT_EQ(profileBox(*given)->currentText(), QStringLiteral("ProfilePlaySeq"));

    auto unknown = makeDialog(QStringLiteral("No Such Season"));
    EXPECT_EQ(seasonBox(*unknown)->currentText(), QStringLiteral("autumn"));
}

TEST_F(RodeoNewTest, ChoosingASeasonSelectsTheProfileItsFileNames)
{
    makeSeason(QStringLiteral("A"), QStringLiteral("ProfilePlaySeq"));
    makeSeason(QStringLiteral("B"), QStringLiteral("ProfileDefault"));
    makeSeason(QStringLiteral("C"), QString()); // names no profile
    makeSeason(QStringLiteral("D"), QStringLiteral("ProfilePlaySeq"));
    ASSERT_TRUE(QFile::remove(root + QStringLiteral("D/season.cfg"))); // cannot be read
    auto dlg = makeDialog();
    ASSERT_EQ(profileBox(*dlg)->currentText(), QStringLiteral("ProfilePlaySeq"));

    choose(seasonBox(*dlg), QStringLiteral("B"));
    EXPECT_EQ(profileBox(*dlg)->currentText(), QStringLiteral("ProfileDefault"));
    choose(seasonBox(*dlg), QStringLiteral("A"));
    EXPECT_EQ(profileBox(*dlg)->currentText(), QStringLiteral("ProfilePlaySeq"));
    choose(seasonBox(*dlg), QStringLiteral("C"));
    EXPECT_EQ(profileBox(*dlg)->currentText(), QStringLiteral("ProfileDefault"));
    choose(seasonBox(*dlg), QStringLiteral("A"));
    choose(seasonBox(*dlg), QStringLiteral("D"));
    EXPECT_EQ(profileBox(*dlg)->currentText(), QStringLiteral("ProfileDefault"));
}

TEST_F(RodeoNewTest, SaveStoresTheRodeoEmptiesTheNameAndStaysOpen)
{
    makeSeason(QStringLiteral("Summer"));
    auto dlg = makeDialog();
    QTest::keyClicks(nameField(*dlg), QStringLiteral("Cody Stampede"));
    child<QDateEdit>(*dlg, "date")->setDate(QDate(2026, 7, 4));
    choose(profileBox(*dlg), QStringLiteral("ProfilePlaySeq"));
    click(*dlg, "save");

    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
    EXPECT_EQ(rodeos(QStringLiteral("Summer")), QStringList{QStringLiteral("Cody Stampede")});
    EXPECT_EQ(storedRodeo(QStringLiteral("Summer"), QStringLiteral("Cody Stampede")),
              (QStringList{QLocale::system().toString(QDate(2026, 7, 4), QLocale::ShortFormat),
                           QStringLiteral("ProfilePlaySeq")}));
    EXPECT_TRUE(nameField(*dlg)->text().isEmpty());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(activator->calls.isEmpty());

    // Ready for the next one.
    QTest::keyClicks(nameField(*dlg), QStringLiteral("Sheridan"));
    click(*dlg, "save");
    EXPECT_EQ(rodeos(QStringLiteral("Summer")),
              (QStringList{QStringLiteral("Cody Stampede"), QStringLiteral("Sheridan")}));
}

TEST_F(RodeoNewTest, SaveChecksSeasonNameDuplicateAndProfileInThatOrder)
{
    {
        auto noSeason = makeDialog();
        click(*noSeason, "save");
        EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Please Select A Season!")});
    }
    makeSeason(QStringLiteral("Summer"));
    makeRodeo(QStringLiteral("Summer"), QStringLiteral("Cody"));
    auto dlg = makeDialog();

    prompt.clear();
    click(*dlg, "save");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Please Enter A Rodeo Name!")});

    prompt.clear();
    QTest::keyClicks(nameField(*dlg), QStringLiteral("Cody"));
    click(*dlg, "saveOpen");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("The rodeo already exists!")});
    EXPECT_EQ(nameField(*dlg)->text(), QStringLiteral("Cody"));
    EXPECT_TRUE(activator->calls.isEmpty());
    EXPECT_EQ(rodeos(QStringLiteral("Summer")), QStringList{QStringLiteral("Cody")});
}

TEST_F(RodeoNewTest, WithoutAnyProfileNothingIsSaved)
{
    makeSeason(QStringLiteral("Summer"));
    removeProfiles();
    auto dlg = makeDialog();
    EXPECT_EQ(profileBox(*dlg)->count(), 0);
    QTest::keyClicks(nameField(*dlg), QStringLiteral("Cody"));
    click(*dlg, "save");

    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Please Select A Profile!")});
    EXPECT_TRUE(rodeos(QStringLiteral("Summer")).isEmpty());
    EXPECT_EQ(nameField(*dlg)->text(), QStringLiteral("Cody"));
}

TEST_F(RodeoNewTest, SaveOpenOpensTheNewRodeoAndCloses)
{
    makeSeason(QStringLiteral("Summer"));
    makeSeason(QStringLiteral("Winter"));
    auto dlg = makeDialog();
    choose(seasonBox(*dlg), QStringLiteral("Winter"));
    QTest::keyClicks(nameField(*dlg), QStringLiteral("Bob's \"Big\" Show"));
    click(*dlg, "saveOpen");

    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
    EXPECT_EQ(activator->calls, QStringList{QStringLiteral("Winter|Bob's \"Big\" Show")});
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(db->isRodeoOpen());
    EXPECT_EQ(db->GetRodeoName(), QStringLiteral("Bob's \"Big\" Show"));
}

TEST_F(RodeoNewTest, AFailedOpenIsReportedAndTheDialogStays)
{
    makeSeason(QStringLiteral("Summer"));
    activator->succeed = false;
    auto dlg = makeDialog();
    QTest::keyClicks(nameField(*dlg), QStringLiteral("Cody"));
    click(*dlg, "saveOpen");

    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Open Rodeo Failed!")});
    EXPECT_EQ(activator->calls.size(), 1);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_NE(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(rodeos(QStringLiteral("Summer")), QStringList{QStringLiteral("Cody")}); // saved all the same
}

TEST_F(RodeoNewTest, AFailedSaveIsReported)
{
    makeSeason(QStringLiteral("Summer"));
    auto dlg = makeDialog();
    // The season's database is damaged after the dialog opened.
    QFile f(db->DatabasePath(QStringLiteral("Summer")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(4096, 'x'));
    f.close();
    QTest::keyClicks(nameField(*dlg), QStringLiteral("Cody"));
    click(*dlg, "saveOpen");
    // The damage is named before the save's own failure.
    ASSERT_EQ(prompt.texts().size(), 2) << prompt.texts().join(QStringLiteral(" / ")).toStdString();
    EXPECT_TRUE(prompt.texts().at(0).startsWith(
        QStringLiteral("The database of the season \"Summer\" is damaged and cannot be opened.")));
    EXPECT_EQ(prompt.texts().at(1), QStringLiteral("Save Rodeo To Database Failed!"));
    EXPECT_TRUE(activator->calls.isEmpty());
}

TEST_F(RodeoNewTest, NameHoldsAtMostTwentyFiveCharacters)
{
    makeSeason(QStringLiteral("Summer"));
    auto dlg = makeDialog();
    QTest::keyClicks(nameField(*dlg), QString(30, QLatin1Char('r')));
    EXPECT_EQ(nameField(*dlg)->text(), QString(25, QLatin1Char('r')));
}

TEST_F(RodeoNewTest, NewSeasonCreatesTheSeasonAndSelectsIt)
{
    makeSeason(QStringLiteral("Summer"));
    auto dlg = makeDialog();

    formAnswers << SeasonInfo{QStringLiteral("Summer"), QStringLiteral("ProfileDefault"),
                              QStringLiteral("PRCA")};
    click(*dlg, "newSeason");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("The season already exists!")});

    prompt.clear();
    formAnswers << SeasonInfo{QStringLiteral("Winter"), QString(), QStringLiteral("PRCA")};
    click(*dlg, "newSeason");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Please Enter All The Information Required!")});
    EXPECT_EQ(seasons(), QStringList{QStringLiteral("Summer")});

    prompt.clear();
    click(*dlg, "newSeason"); // cancelled
    EXPECT_TRUE(prompt.shown.isEmpty());

    formAnswers << SeasonInfo{QStringLiteral("Autumn"), QStringLiteral("ProfilePlaySeq"),
                              QStringLiteral("College")};
    click(*dlg, "newSeason");
    EXPECT_EQ(formsOpened, 4);
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
    EXPECT_EQ(items(seasonBox(*dlg)), (QStringList{QStringLiteral("Autumn"), QStringLiteral("Summer")}));
    EXPECT_EQ(seasonBox(*dlg)->currentText(), QStringLiteral("Autumn"));
    EXPECT_EQ(profileBox(*dlg)->currentText(), QStringLiteral("ProfilePlaySeq"));

    QTest::keyClicks(nameField(*dlg), QStringLiteral("Opener"));
    click(*dlg, "save");
    EXPECT_EQ(rodeos(QStringLiteral("Autumn")), QStringList{QStringLiteral("Opener")});
}

TEST_F(RodeoNewTest, CloseLeavesEverythingAsItWas)
{
    makeSeason(QStringLiteral("Summer"));
    auto dlg = makeDialog();
    QTest::keyClicks(nameField(*dlg), QStringLiteral("Cody"));
    click(*dlg, "close");
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(rodeos(QStringLiteral("Summer")).isEmpty());
}

} // namespace
