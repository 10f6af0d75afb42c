// Copying contestants and stock from other seasons: the dialogs opened from
// their views' buttons, ticks kept across seasons, the resolution of names
// the open season has, and what is left when the dialog closes.
#include "app/viewtable.h"
#include "seasonfixture.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/dialogs/copy/copylist.h"
#include "ui/dialogs/copy/dlgcopycontestants.h"
#include "ui/dialogs/copy/dlgcopystocks.h"
#include "ui/dialogs/resolve/resolutiondialogs.h"
#include "ui/views/people/recordgridmodel.h"
#include "ui/views/people/syncgridlistctrlcontestants.h"
#include "ui/views/people/syncgridlistctrlstocks.h"
#include "ui/views/people/viewcontentry.h"
#include "ui/views/people/viewstockentry.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace {

class CopySeasonsTest : public SeasonFixture
{
protected:
    void arrange() override
    {
        addContestant(QStringLiteral("Ryder"), QStringLiteral("Wright"), QStringLiteral("9"));
        exec("INSERT INTO Stocks (StBib, StName, StHomeTown, StWeight, StAge) VALUES "
             "('12A', 'Painted Lady', 'Cody', '1150', '7')");
        const QString a = QStringLiteral("Old A");
        execIn(a, "INSERT INTO Rosters (PlrFirstName, PlrLastName, PlrBib, PlrHomeTown) VALUES "
                  "('Tate', 'Walker', '101', 'Cody, WY'), ('Ryder', 'Wright', '103', 'Milford, UT'), "
                  "('Manny', 'Ortiz', '104', 'Ogden, UT')");
        execIn(a, "INSERT INTO Contractors (CoName) VALUES ('Powder River')");
        execIn(a, "INSERT INTO Stocks (StBib, StName, StHomeTown, StWeight, StAge, CoId) VALUES "
                  "('12A', 'Painted Lady', 'Cody', '1150', '7', 1), ('7', 'Sky', 'Ogden', 'heavy', '5', 1)");
        execIn(QStringLiteral("Old B"),
               "INSERT INTO Rosters (PlrFirstName, PlrLastName, PlrBib) VALUES ('Kylie', 'Moss', '301')");
    }

    // Presses the view's copy button and works the modal dialog.
    template <typename Dialog> void withDialog(QPushButton* button, const std::function<void(Dialog&)>& work)
    {
        bool worked = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            worked = true;
            work(*dialog);
            if (dialog->isVisible())
                dialog->closeButton()->click();
        });
        button->click();
        EXPECT_TRUE(worked);
    }
    static void clickRow(CDlgCopySeason& dialog, int row)
    {
        QTableView* list = dialog.list();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 2)).center());
    }
    static void chooseSeason(CDlgCopySeason& dialog, const QString& season)
    {
        dialog.seasonList()->setCurrentIndex(dialog.seasonList()->findText(season));
    }
};

} // namespace

// Two contestants ticked in one season and one in another go in one copy;
// the name the open season has is resolved, a new name simply added.
TEST_F(CopySeasonsTest, CopiesFromTwoSeasonsInOneGo)
{
    frame->SwitchView(ViewTable::ContestantEntry);
    auto* view = qobject_cast<CViewContEntry*>(frame->view(ViewTable::ContestantEntry));
    withDialog<CDlgCopyContestants>(view->copyButton(), [&](CDlgCopyContestants& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Copy Contestants"));
        ASSERT_EQ(d.seasonList()->count(), 2); // not the open season
        EXPECT_EQ(d.seasonList()->currentText(), QStringLiteral("Old A"));
        EXPECT_FALSE(d.findBar()->addButton()->isVisibleTo(&d));
        ASSERT_EQ(d.list()->model()->rowCount(), 3);
        clickRow(d, 0);
        clickRow(d, 1);
        EXPECT_EQ(d.list()->model()->index(1, 0).data().toString(), QStringLiteral("TRUE"));
        chooseSeason(d, QStringLiteral("Old B"));
        EXPECT_EQ(d.list()->model()->index(0, 3).data().toString(), QStringLiteral("Moss"));
        clickRow(d, 0);
        chooseSeason(d, QStringLiteral("Old A"));
        EXPECT_EQ(d.list()->model()->index(0, 0).data().toString(), QStringLiteral("TRUE")); // remembered

        resolution.decisions << ResolutionPrompts::Merge;
        d.copyButton()->click();
        EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("The copying action is done!")});
        EXPECT_EQ(resolution.asked, QStringList{QStringLiteral("Ryder Wright")});
        // Copied rows are grey, their ticks cleared and not to be set again.
        EXPECT_EQ(d.list()->model()->index(0, 0).data().toString(), QStringLiteral("FALSE"));
        EXPECT_EQ(d.list()->model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>(),
                  QColor(176, 172, 173));
        clickRow(d, 0);
        EXPECT_EQ(d.list()->model()->index(0, 0).data().toString(), QStringLiteral("FALSE"));
        EXPECT_EQ(d.pendingCount(), 0);
        prompt.clear();
    });
    EXPECT_TRUE(prompt.texts().isEmpty()); // nothing left to ask about at Close
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters"), 3);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrLastName IN ('Walker', 'Moss')"), 2);
    EXPECT_EQ(text("SELECT PlrHomeTown FROM Rosters WHERE PlrLastName = 'Wright'"),
              QStringLiteral("Milford, UT"));
    // The view shows them when the dialog has closed.
    EXPECT_EQ(view->grid()->gridModel()->recordCount(), 3);
}

// Closing with ticks not copied asks; No closes without copying, Yes copies.
TEST_F(CopySeasonsTest, CloseAsksAboutTicksNotCopied)
{
    frame->SwitchView(ViewTable::ContestantEntry);
    auto* view = qobject_cast<CViewContEntry*>(frame->view(ViewTable::ContestantEntry));
    prompt.answers << UserPrompt::No;
    withDialog<CDlgCopyContestants>(view->copyButton(), [&](CDlgCopyContestants& d) {
        clickRow(d, 0);
        d.closeButton()->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral(
                                  "There is one selected contestant not copied yet. Do you want copy?")});
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters"), 1);

    prompt.clear();
    prompt.answers << UserPrompt::Yes;
    withDialog<CDlgCopyContestants>(view->copyButton(), [&](CDlgCopyContestants& d) {
        clickRow(d, 0);
        clickRow(d, 2);
        d.closeButton()->click();
    });
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral(
                                  "There are selected contestants not copied yet. Do you want copy?")});
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrLastName IN ('Walker', 'Ortiz')"), 2);
}

// With no other season there is nothing to list, and Copy says it is done.
TEST_F(CopySeasonsTest, NoOtherSeason)
{
    for (const char* season : {"Old A", "Old B"})
        ASSERT_TRUE(QDir(folder + QString::fromLatin1(season)).removeRecursively());
    CDlgCopyContestants d(*frame);
    EXPECT_EQ(d.seasonList()->count(), 0);
    EXPECT_EQ(d.list()->model()->rowCount(), 0);
    d.copyButton()->click();
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("The copying action is done!")});
}

// A season whose database cannot be read is logged and the list keeps the
// rows it showed.
TEST_F(CopySeasonsTest, UnreadableSeasonKeepsTheList)
{
    QFile broken(folder + QStringLiteral("Old B/Old B.mdb"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a database, not at all, this is just text written over it");
    broken.close();
    CDlgCopyContestants d(*frame);
    chooseSeason(d, QStringLiteral("Old B"));
    EXPECT_TRUE(log.containsPrefix(QStringLiteral(
        "Failed to open the recordset.  DlgCopyPlrs::OnSelchangeSeason  Error:Error Description: ")));
    EXPECT_EQ(d.list()->model()->rowCount(), 3);
    EXPECT_EQ(d.shownSeason(), d.seasonList()->findText(QStringLiteral("Old A")));
}

// Animals come without their contractor; one the season has is not added
// twice; after a copy the ticks are clear and can be set again.
TEST_F(CopySeasonsTest, StockCopy)
{
    frame->SwitchView(ViewTable::StockEntry);
    auto* view = qobject_cast<CViewStockEntry*>(frame->view(ViewTable::StockEntry));
    withDialog<CDlgCopyStocks>(view->copyButton(), [&](CDlgCopyStocks& d) {
        EXPECT_EQ(d.findBar()->label(1)->text(), QStringLiteral("Name"));
        ASSERT_EQ(d.list()->model()->rowCount(), 2);
        EXPECT_EQ(d.list()->model()->index(1, 4).data().toString(), QString()); // no contractor shown
        EXPECT_EQ(d.list()->model()->index(1, 6).data().toString(), QStringLiteral("0")); // "heavy"
        d.copyButton()->click(); // nothing ticked: nothing happens
        EXPECT_TRUE(prompt.texts().isEmpty());
        clickRow(d, 0);
        clickRow(d, 1);
        d.copyButton()->click();
        EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("The copying action is done!")});
        EXPECT_EQ(d.list()->model()->index(0, 0).data().toString(), QStringLiteral("FALSE"));
        clickRow(d, 1);
        EXPECT_EQ(d.list()->model()->index(1, 0).data().toString(), QStringLiteral("TRUE"));
        d.copyButton()->click(); // Sky again: identical, not added
    });
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Stocks"), 2);
    EXPECT_EQ(scalar("SELECT CoId FROM Stocks WHERE StName = 'Sky'"), 0);
    EXPECT_EQ(view->grid()->model()->rowCount(), 3);
}

// Several contestants of the season with the arriving name: "Replace" needs
// to know which, and acts on the one chosen.
TEST(ContestantResolverTest, ReplaceActsOnTheChosenContestant)
{
    qputenv("SCORVANE_PROMPTS", "stderr"); // the dialog's own message box answers itself
    ContestantRec arriving;
    arriving.firstName = QStringLiteral("Ryder");
    ContestantRec one = arriving;
    one.plrId = 4;
    ContestantRec two = arriving;
    two.plrId = 9;
    CDlgContestantResolver dlg(arriving, {one, two});
    EXPECT_EQ(dlg.existingList()->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Contestant 2"));
    dlg.choose(ResolutionPrompts::Replace);
    EXPECT_EQ(dlg.decision(), 0); // asked to choose first
    dlg.existingList()->selectColumn(1);
    dlg.choose(ResolutionPrompts::Replace);
    EXPECT_EQ(dlg.decision(), int(ResolutionPrompts::Replace));
    EXPECT_EQ(dlg.chosen().plrId, 9u);
    qunsetenv("SCORVANE_PROMPTS");
}

// Reading another season changes nothing of its file, and the open season
// keeps its own connection: it is written to while the dialog is open.
TEST_F(CopySeasonsTest, OtherSeasonIsOnlyRead)
{
    const QString path = folder + QStringLiteral("Old A/Old A.mdb");
    const auto bytes = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    ASSERT_FALSE(before.isEmpty());
    {
        CDlgCopyContestants d(*frame);
        chooseSeason(d, QStringLiteral("Old B"));
        chooseSeason(d, QStringLiteral("Old A"));
        EXPECT_EQ(d.list()->model()->rowCount(), 3);
        clickRow(d, 0);
        d.copyButton()->click();
        EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrLastName = 'Walker'"), 1);
    }
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(frame->database().contestants().size(), 2);
}
