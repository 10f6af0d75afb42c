// Open and Delete Rodeo: the two faces, the lists, opening through the main
// window and the guard around the open rodeo.
#include "dialogfixture.h"
#include "framework/headerpanel.h"
#include "ui/dialogs/rodeo/dlgrodeoopen.h"

#include <QPushButton>

namespace {

using Mode = CDlgRodeoOpen::Mode;

class RodeoOpenTest : public DialogFixture
{
protected:
    RodeoOpenTest()
    {
        makeSeason(QStringLiteral("Summer"));
        makeSeason(QStringLiteral("college"));
        makeRodeo(QStringLiteral("Summer"), QStringLiteral("Sheridan"));
        makeRodeo(QStringLiteral("Summer"), QStringLiteral("cody"));
        makeRodeo(QStringLiteral("Summer"), QStringLiteral("Billings"));
        makeRodeo(QStringLiteral("college"), QStringLiteral("Opener"));
    }
    std::unique_ptr<CDlgRodeoOpen> makeDialog(Mode mode, const QString& season = QString())
    {
        auto dlg = std::make_unique<CDlgRodeoOpen>(*db, prompt, *activator, mode, season);
        present(*dlg);
        return dlg;
    }
    static QComboBox* seasonBox(CDlgRodeoOpen& d) { return child<QComboBox>(d, "season"); }
    static QComboBox* rodeoBox(CDlgRodeoOpen& d) { return child<QComboBox>(d, "rodeo"); }
};

TEST_F(RodeoOpenTest, OpenModeShowsSortedSeasonsAndTheRodeosOfTheChosenOne)
{
    auto dlg = makeDialog(Mode::Open);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Open Rodeo"));
    EXPECT_EQ(child<HeaderPanel>(*dlg, "header")->title(), QStringLiteral("Open Rodeo"));
    EXPECT_EQ(child<HeaderPanel>(*dlg, "header")->description(),
              QStringLiteral("Set the season and rodeo to open."));
    EXPECT_EQ(child<QPushButton>(*dlg, "first")->text().remove(QLatin1Char('&')), QStringLiteral("Open"));

    EXPECT_EQ(items(seasonBox(*dlg)), (QStringList{QStringLiteral("college"), QStringLiteral("Summer")}));
    EXPECT_EQ(dlg->selectedSeason(), QStringLiteral("college"));
    EXPECT_EQ(items(rodeoBox(*dlg)), QStringList{QStringLiteral("Opener")});

    choose(seasonBox(*dlg), QStringLiteral("Summer"));
    EXPECT_EQ(items(rodeoBox(*dlg)),
              (QStringList{QStringLiteral("Billings"), QStringLiteral("cody"), QStringLiteral("Sheridan")}));
    EXPECT_EQ(dlg->selectedRodeo(), QStringLiteral("Billings"));

    auto given = makeDialog(Mode::Open, QStringLiteral("Summer"));
    EXPECT_EQ(given->selectedSeason(), QStringLiteral("Summer"));
    EXPECT_EQ(given->selectedRodeo(), QStringLiteral("Billings"));
}

TEST_F(RodeoOpenTest, OpenAsksTheMainWindowAndClosesOnSuccess)
{
    auto dlg = makeDialog(Mode::Open, QStringLiteral("Summer"));
    choose(rodeoBox(*dlg), QStringLiteral("cody"));
    click(*dlg, "first");

    EXPECT_EQ(activator->calls, QStringList{QStringLiteral("Summer|cody")});
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(db->GetRodeoName(), QStringLiteral("cody"));
}

TEST_F(RodeoOpenTest, AFailedOpenIsReportedAndTheDialogStays)
{
    activator->succeed = false;
    auto dlg = makeDialog(Mode::Open);
    click(*dlg, "first");
    EXPECT_EQ(activator->calls, QStringList{QStringLiteral("college|Opener")});
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Open Rodeo Failed!")});
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(RodeoOpenTest, NothingHappensWithoutASeasonAndARodeo)
{
    makeSeason(QStringLiteral("Empty"));
    auto dlg = makeDialog(Mode::Open, QStringLiteral("Empty"));
    EXPECT_EQ(rodeoBox(*dlg)->count(), 0);
    click(*dlg, "first");
    EXPECT_TRUE(activator->calls.isEmpty());
    EXPECT_TRUE(prompt.shown.isEmpty());

    auto deleting = makeDialog(Mode::Delete, QStringLiteral("Empty"));
    click(*deleting, "first");
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(RodeoOpenTest, DeleteModeRefusesTheOpenRodeoButNotItsNeighbours)
{
    ASSERT_TRUE(db->OpenRodeo(QStringLiteral("Summer"), QStringLiteral("cody")));
    auto dlg = makeDialog(Mode::Delete, QStringLiteral("Summer"));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Delete Rodeo"));
    EXPECT_EQ(child<HeaderPanel>(*dlg, "header")->title(), QStringLiteral("Delete Rodeo"));
    EXPECT_EQ(child<HeaderPanel>(*dlg, "header")->description(),
              QStringLiteral("Set the season and rodeo to delete."));
    EXPECT_EQ(child<QPushButton>(*dlg, "first")->text().remove(QLatin1Char('&')), QStringLiteral("Delete"));

    choose(rodeoBox(*dlg), QStringLiteral("cody"));
    click(*dlg, "first");
    EXPECT_EQ(prompt.texts(),
              QStringList{QStringLiteral("The rodeo is currently opened, Deletion is denied!")});
    EXPECT_TRUE(rodeos(QStringLiteral("Summer")).contains(QStringLiteral("cody")));

    prompt.clear();
    choose(rodeoBox(*dlg), QStringLiteral("Sheridan"));
    click(*dlg, "first");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, QStringLiteral("Are you sure to delete rodeo Sheridan?"));
    EXPECT_EQ(prompt.shown[0].buttons, UserPrompt::Buttons::YesNo);
    EXPECT_EQ(rodeos(QStringLiteral("Summer")),
              (QStringList{QStringLiteral("cody"), QStringLiteral("Billings")}));
    EXPECT_EQ(items(rodeoBox(*dlg)), (QStringList{QStringLiteral("Billings"), QStringLiteral("cody")}));
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(db->isRodeoOpen()); // the open rodeo is untouched

    // A rodeo of the same name in another season is not the open one.
    makeRodeo(QStringLiteral("college"), QStringLiteral("cody"));
    prompt.clear();
    choose(seasonBox(*dlg), QStringLiteral("college"));
    choose(rodeoBox(*dlg), QStringLiteral("cody"));
    click(*dlg, "first");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Are you sure to delete rodeo cody?")});
    EXPECT_EQ(rodeos(QStringLiteral("college")), QStringList{QStringLiteral("Opener")});
}

TEST_F(RodeoOpenTest, DeleteAnsweredNoKeepsTheRodeo)
{
    auto dlg = makeDialog(Mode::Delete, QStringLiteral("college"));
    prompt.answers << UserPrompt::No;
    click(*dlg, "first");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Are you sure to delete rodeo Opener?")});
    EXPECT_EQ(rodeos(QStringLiteral("college")), QStringList{QStringLiteral("Opener")});
    EXPECT_TRUE(activator->calls.isEmpty());
}

TEST_F(RodeoOpenTest, NamesWithQuotesAreDeletedExactly)
{
    makeRodeo(QStringLiteral("college"), QStringLiteral("The \"Big\" One's"));
    makeRodeo(QStringLiteral("college"), QStringLiteral("The Big One's"));
    auto dlg = makeDialog(Mode::Delete, QStringLiteral("college"));
    choose(rodeoBox(*dlg), QStringLiteral("The \"Big\" One's"));
    click(*dlg, "first");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Are you sure to delete rodeo The \"Big\" One's?")});
    EXPECT_EQ(rodeos(QStringLiteral("college")),
              (QStringList{QStringLiteral("Opener"), QStringLiteral("The Big One's")}));
}

TEST_F(RodeoOpenTest, AFailedDeleteIsReported)
{
    auto dlg = makeDialog(Mode::Delete, QStringLiteral("college"));
    QFile f(db->DatabasePath(QStringLiteral("college")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(4096, 'x'));
    f.close();
    click(*dlg, "first");
    ASSERT_EQ(prompt.texts().size(), 3);
    EXPECT_EQ(prompt.texts().at(0), QStringLiteral("Are you sure to delete rodeo Opener?"));
    EXPECT_TRUE(prompt.texts().at(1).startsWith(
        QStringLiteral("The database of the season \"college\" is damaged and cannot be opened.")));
    EXPECT_EQ(prompt.texts().at(2), QStringLiteral("Delete Rodeo Failed!"));
    EXPECT_EQ(items(rodeoBox(*dlg)), QStringList{QStringLiteral("Opener")});
}

} // namespace
