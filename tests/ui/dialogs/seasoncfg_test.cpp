// "Configure Season": the list, the button rules, and adding, editing and
// deleting seasons with the season form scripted.
#include "db/seasonbackups.h"
#include "dialogfixture.h"
#include "ui/dialogs/season/dlgseasoncfg.h"
#include "ui/dialogs/season/seasonactions.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <optional>

namespace {

class SeasonCfgTest : public DialogFixture
{
protected:
    // A dialog whose season form answers from formAnswers and records what it was opened with.
    std::unique_ptr<CDlgSeasonCfg> makeDialog()
    {
        auto dlg = std::make_unique<CDlgSeasonCfg>(*db, *files, prompt);
        dlg->setSeasonFormRunner([this](const SeasonInfo& initial) -> std::optional<SeasonInfo> {
            formOpenedWith.append(initial);
            if (formAnswers.isEmpty())
                return std::nullopt;
            return formAnswers.takeFirst();
        });
        present(*dlg);
        return dlg;
    }
    static SeasonInfo values(const char* name, const char* profile, const char* rule)
    {
        return {QString::fromUtf8(name), QString::fromUtf8(profile), QString::fromUtf8(rule)};
    }
    static void select(CDlgSeasonCfg& dlg, const QString& name)
    {
        auto* list = child<QListWidget>(dlg, "seasonList");
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
        ASSERT_EQ(dlg.selectedSeason(), name);
    }
    static void showTab(CDlgSeasonCfg& dlg, int tab)
    {
        auto* tabs = child<QTabBar>(dlg, "tabs");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        ASSERT_EQ(tabs->currentIndex(), tab);
    }
    static QPushButton* button(CDlgSeasonCfg& dlg, const char* name) { return child<QPushButton>(dlg, name); }
    static QString caption(QPushButton* b) { return b->text().remove(QLatin1Char('&')); }

    QList<SeasonInfo> formAnswers;
    QList<SeasonInfo> formOpenedWith;
};

TEST_F(SeasonCfgTest, ListsOnlySeasonFoldersSortedAndFollowsTheButtonRules)
{
    makeSeason(QStringLiteral("charlie"));
    makeSeason(QStringLiteral("Alpha"));
    makeSeason(QStringLiteral("Bravo"));
    QDir().mkpath(root + QStringLiteral("NoDatabase")); // not a season
    auto dlg = makeDialog();

    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Configure Season"));
    EXPECT_EQ(items(child<QListWidget>(*dlg, "seasonList")),
              (QStringList{QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("charlie")}));

    // Nothing selected: only Add works.
    EXPECT_EQ(caption(button(*dlg, "first")), QStringLiteral("Add"));
    EXPECT_EQ(caption(button(*dlg, "second")), QStringLiteral("Edit"));
    EXPECT_TRUE(button(*dlg, "first")->isEnabled());
    EXPECT_FALSE(button(*dlg, "second")->isEnabled());
    EXPECT_FALSE(button(*dlg, "delete")->isEnabled());
    EXPECT_FALSE(button(*dlg, "update")->isEnabled());
    EXPECT_FALSE(button(*dlg, "help")->isEnabled());

    select(*dlg, QStringLiteral("Bravo"));
    EXPECT_TRUE(button(*dlg, "second")->isEnabled());
    EXPECT_TRUE(button(*dlg, "delete")->isEnabled());
    EXPECT_FALSE(button(*dlg, "update")->isEnabled());

    showTab(*dlg, CDlgSeasonCfg::UtilitiesTab);
    EXPECT_EQ(caption(button(*dlg, "first")), QStringLiteral("Backup"));
    EXPECT_EQ(caption(button(*dlg, "second")), QStringLiteral("Compact"));
    EXPECT_FALSE(button(*dlg, "first")->isEnabled());
    EXPECT_FALSE(button(*dlg, "second")->isEnabled());
    EXPECT_FALSE(button(*dlg, "delete")->isVisible());
    EXPECT_FALSE(button(*dlg, "update")->isVisible());
    EXPECT_FALSE(button(*dlg, "help")->isEnabled());
    click(*dlg, "first"); // disabled: the form must not open
    EXPECT_TRUE(formOpenedWith.isEmpty());

    showTab(*dlg, CDlgSeasonCfg::SeasonsTab);
    EXPECT_EQ(caption(button(*dlg, "first")), QStringLiteral("Add"));
    EXPECT_TRUE(button(*dlg, "delete")->isVisible());
    EXPECT_TRUE(button(*dlg, "second")->isEnabled()); // Bravo is still selected
}

TEST_F(SeasonCfgTest, AddCreatesTheSeasonFromTheForm)
{
    auto dlg = makeDialog();
    formAnswers << values("Fall Classic", "ProfilePlaySeq", "College");
    click(*dlg, "first");

    ASSERT_EQ(formOpenedWith.size(), 1);
    EXPECT_TRUE(formOpenedWith[0].name.isEmpty() && formOpenedWith[0].profile.isEmpty() &&
                formOpenedWith[0].rule.isEmpty());
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
    const SeasonInfo made = season(QStringLiteral("Fall Classic"));
    EXPECT_EQ(made.profile, QStringLiteral("ProfilePlaySeq"));
    EXPECT_EQ(made.rule, QStringLiteral("College"));
    EXPECT_EQ(items(child<QListWidget>(*dlg, "seasonList")), QStringList{QStringLiteral("Fall Classic")});

    // Cancelling the form changes nothing and says nothing.
    click(*dlg, "first");
    EXPECT_EQ(formOpenedWith.size(), 2);
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(seasons(), QStringList{QStringLiteral("Fall Classic")});
}

TEST_F(SeasonCfgTest, AddRefusesMissingValuesTakenNamesAndNamesThatAreNoFolderName)
{
    makeSeason(QStringLiteral("Summer"));
    auto dlg = makeDialog();

    const struct
    {
        SeasonInfo answer;
        QString message;
    } cases[] = {
        {values("Winter", "ProfileDefault", ""),
         QStringLiteral("Please Enter All The Information Required!")},
        {values("Winter", "", "PRCA"), QStringLiteral("Please Enter All The Information Required!")},
        {values("", "ProfileDefault", "PRCA"), QStringLiteral("Please Enter All The Information Required!")},
        {values("Summer", "ProfilePlaySeq", "College"), QStringLiteral("The season already exists!")},
        {values(" Winter", "ProfileDefault", "PRCA"), SeasonActions::invalidNameMessage()},
        {values("Winter ", "ProfileDefault", "PRCA"), SeasonActions::invalidNameMessage()},
        {values("..", "ProfileDefault", "PRCA"), SeasonActions::invalidNameMessage()},
        {values("../Escape", "ProfileDefault", "PRCA"), SeasonActions::invalidNameMessage()},
    };
    for (const auto& c : cases) {
        prompt.clear();
        formAnswers << c.answer;
        click(*dlg, "first");
        EXPECT_EQ(prompt.texts(), QStringList{c.message}) << c.answer.name.toStdString();
    }
    EXPECT_EQ(seasons(), QStringList{QStringLiteral("Summer")});
    EXPECT_EQ(season(QStringLiteral("Summer")).profile, QStringLiteral("ProfileDefault"));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/Escape")));

    // A season folder that is there without its database is not a season, but
    // the name is still taken: the failure is shown, not swallowed.
    QDir().mkpath(root + QStringLiteral("Leftover"));
    prompt.clear();
    formAnswers << values("Leftover", "ProfileDefault", "PRCA");
    click(*dlg, "first");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Creating Season Database Failed!")});
}

TEST_F(SeasonCfgTest, TheOpenSeasonCannotBeEditedOrDeletedUntilItsRodeoIsClosed)
{
    makeSeason(QStringLiteral("Open One"));
    makeSeason(QStringLiteral("Other"));
    makeRodeo(QStringLiteral("Open One"), QStringLiteral("Cody"));
    ASSERT_TRUE(db->OpenRodeo(QStringLiteral("Open One"), QStringLiteral("Cody")));
    auto dlg = makeDialog();

    select(*dlg, QStringLiteral("Open One"));
    click(*dlg, "second");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("The Season Database Is In Use!")});
    EXPECT_TRUE(formOpenedWith.isEmpty());

    prompt.clear();
    select(*dlg, QStringLiteral("Open One"));
    click(*dlg, "delete");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("The Season Database Is In Use!")}); // no question
    EXPECT_TRUE(seasons().contains(QStringLiteral("Open One")));

    // Another season of the same data folder is free.
    prompt.clear();
    select(*dlg, QStringLiteral("Other"));
    formAnswers << values("Other", "ProfilePlaySeq", "PRCA");
    click(*dlg, "second");
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
    EXPECT_EQ(season(QStringLiteral("Other")).profile, QStringLiteral("ProfilePlaySeq"));

    db->CloseRodeo();
    select(*dlg, QStringLiteral("Open One"));
    formAnswers << values("Open Two", "ProfileDefault", "College");
    click(*dlg, "second");
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
    EXPECT_EQ(seasons(), (QStringList{QStringLiteral("Open Two"), QStringLiteral("Other")}));
    EXPECT_EQ(rodeos(QStringLiteral("Open Two")), QStringList{QStringLiteral("Cody")});

    select(*dlg, QStringLiteral("Open Two"));
    click(*dlg, "delete");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Are You Sure You Want To Delete This Season!")});
    EXPECT_EQ(seasons(), QStringList{QStringLiteral("Other")});
}

TEST_F(SeasonCfgTest, EditOffersTheStoredValuesAndRefusesAnUnchangedForm)
{
    makeSeason(QStringLiteral("Summer"), QStringLiteral("ProfilePlaySeq"), QStringLiteral("College"));
    auto dlg = makeDialog();
    select(*dlg, QStringLiteral("Summer"));
    formAnswers << values("Summer", "ProfilePlaySeq", "College");
    click(*dlg, "second");

    ASSERT_EQ(formOpenedWith.size(), 1);
    EXPECT_EQ(formOpenedWith[0].name, QStringLiteral("Summer"));
    EXPECT_EQ(formOpenedWith[0].profile, QStringLiteral("ProfilePlaySeq"));
    EXPECT_EQ(formOpenedWith[0].rule, QStringLiteral("College"));
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Nothing has been changed!")});

    // After every change the list is refilled and nothing stays selected.
    EXPECT_FALSE(button(*dlg, "second")->isEnabled());
}

TEST_F(SeasonCfgTest, EditRenamesAndRewritesTheSeason)
{
    makeSeason(QStringLiteral("Summer"));
    makeRodeo(QStringLiteral("Summer"), QStringLiteral("Cody"));
    auto dlg = makeDialog();
    select(*dlg, QStringLiteral("Summer"));
    formAnswers << values("Summer 2026", "ProfilePlaySeq", "College");
    click(*dlg, "second");

    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
    EXPECT_EQ(seasons(), QStringList{QStringLiteral("Summer 2026")});
    const SeasonInfo renamed = season(QStringLiteral("Summer 2026"));
    EXPECT_EQ(renamed.name, QStringLiteral("Summer 2026"));
    EXPECT_EQ(renamed.profile, QStringLiteral("ProfilePlaySeq"));
    EXPECT_EQ(renamed.rule, QStringLiteral("College"));
    EXPECT_EQ(rodeos(QStringLiteral("Summer 2026")), QStringList{QStringLiteral("Cody")});
    EXPECT_EQ(items(child<QListWidget>(*dlg, "seasonList")), QStringList{QStringLiteral("Summer 2026")});
}

TEST_F(SeasonCfgTest, EditRefusesNamesThatCannotBeASeasonAndLeavesClashesToTheRename)
{
    makeSeason(QStringLiteral("A"));
    makeSeason(QStringLiteral("B"), QStringLiteral("ProfilePlaySeq"));
    auto dlg = makeDialog();

    select(*dlg, QStringLiteral("A"));
    formAnswers << values("", "ProfileDefault", "PRCA");
    click(*dlg, "second");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Please Enter All The Information Required!")});

    prompt.clear();
    select(*dlg, QStringLiteral("A"));
    formAnswers << values(".", "ProfileDefault", "PRCA");
    click(*dlg, "second");
    EXPECT_EQ(prompt.texts(), QStringList{SeasonActions::invalidNameMessage()});

    // The new name is not checked against the list: the rename refuses to replace B.
    prompt.clear();
    select(*dlg, QStringLiteral("A"));
    formAnswers << values("B", "ProfileDefault", "PRCA");
    click(*dlg, "second");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral(
                                  "File or directory specified already exists or could not be created!")});
    EXPECT_EQ(seasons(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(season(QStringLiteral("B")).profile, QStringLiteral("ProfilePlaySeq"));
}

TEST_F(SeasonCfgTest, EditOfAnUnreadableSeasonIsLoggedAndStops)
{
    makeSeason(QStringLiteral("Broken"));
    ASSERT_TRUE(QFile::remove(root + QStringLiteral("Broken/season.cfg")));
    LogCapture log;
    auto dlg = makeDialog();
    select(*dlg, QStringLiteral("Broken"));
    click(*dlg, "second");

    EXPECT_TRUE(formOpenedWith.isEmpty());
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_TRUE(
        log.contains(QStringLiteral("Failed to get the season.  DlgSeasonCfg::OnBtnEdit  Season:Broken")))
        << log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(SeasonCfgTest, DeleteAsksFirstAndReportsAFailure)
{
    makeSeason(QStringLiteral("Keep"));
    auto dlg = makeDialog();

    select(*dlg, QStringLiteral("Keep"));
    prompt.answers << UserPrompt::No;
    click(*dlg, "delete");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, QStringLiteral("Are You Sure You Want To Delete This Season!"));
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(prompt.shown[0].buttons, UserPrompt::Buttons::YesNo);
    EXPECT_EQ(seasons(), QStringList{QStringLiteral("Keep")});

    // The season's database vanishes while the dialog is open: deleting fails.
    prompt.clear();
    select(*dlg, QStringLiteral("Keep"));
    ASSERT_TRUE(QFile::remove(db->DatabasePath(QStringLiteral("Keep"))));
    click(*dlg, "delete");
    EXPECT_EQ(prompt.texts(), (QStringList{QStringLiteral("Are You Sure You Want To Delete This Season!"),
                                           QStringLiteral("Deleting Season Database Failed!")}));
    EXPECT_TRUE(items(child<QListWidget>(*dlg, "seasonList")).isEmpty());
}

} // namespace

// "Backup" and "Compact" work on the season selected, or on the open one when
// none is; the copy is written in the background and its end is told.
TEST_F(SeasonCfgTest, BackupAndCompactTheSelectedOrTheOpenSeason)
{
    makeSeason(QStringLiteral("Alpha"));
    makeSeason(QStringLiteral("Bravo"));
    ASSERT_TRUE(db->CreateRodeo(QStringLiteral("Bravo"), QStringLiteral("Spring"), QStringLiteral("1/1/2026"),
                                QStringLiteral("ProfileDefault")));
    ASSERT_TRUE(db->OpenRodeo(QStringLiteral("Bravo"), QStringLiteral("Spring")));
    SeasonBackups backups(root);
    QSignalSpy done(&backups, &SeasonBackups::finished);
    auto dlg = makeDialog();
    dlg->setBackups(&backups);
    showTab(*dlg, CDlgSeasonCfg::UtilitiesTab);
    EXPECT_EQ(dlg->utilitySeason(), QStringLiteral("Bravo"));
    EXPECT_TRUE(button(*dlg, "first")->isEnabled());
    EXPECT_TRUE(button(*dlg, "second")->isEnabled());

    click(*dlg, "first");
    EXPECT_FALSE(button(*dlg, "first")->isEnabled()); // until the copy is written
    ASSERT_TRUE(done.wait(10000));
    EXPECT_TRUE(prompt.lastText().startsWith(QStringLiteral("The season \"Bravo\" was backed up to:\n") +
                                             root + QStringLiteral("Bravo/backups/Bravo ")))
        << prompt.lastText().toStdString();
    EXPECT_EQ(backups.copies(QStringLiteral("Bravo")).size(), 1);
    EXPECT_TRUE(button(*dlg, "first")->isEnabled());

    select(*dlg, QStringLiteral("Alpha"));
    click(*dlg, "second");
    ASSERT_TRUE(done.wait(10000));
    EXPECT_TRUE(prompt.lastText().startsWith(QStringLiteral("The season \"Alpha\" was compacted.")))
        << prompt.lastText().toStdString();
    EXPECT_EQ(backups.copies(QStringLiteral("Alpha")).size(), 1);

    // Without a copy there is no compaction.
    ASSERT_TRUE(QDir(root + QStringLiteral("Alpha/backups")).removeRecursively());
    QFile blocker(root + QStringLiteral("Alpha/backups"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    click(*dlg, "second");
    ASSERT_TRUE(done.wait(10000));
    EXPECT_TRUE(prompt.lastText().startsWith(QStringLiteral("The season \"Alpha\" could not be backed up:")));
    EXPECT_TRUE(prompt.lastText().endsWith(QStringLiteral("It has not been compacted.")));
}
