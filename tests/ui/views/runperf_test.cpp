// The Run Performance view, the leader board and the message bar, driven in
// a main window over a season whose rows the tests arrange and read back.
#include "app/filemgr.h"
#include "app/viewtable.h"
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "db/seasonbackups.h"
#include "framework/syncgrid.h"
#include "io/outputmanager.h"
#include "platform/sql/sqlconnection.h"
#include "platform/stream/streamtesthelpers.h"
#include "ui/arenacontext.h"
#include "ui/bars/barleader.h"
#include "ui/bars/barmessage.h"
#include "ui/dialogs/message/dlgmessage.h"
#include "ui/dialogs/results/dlgresulthistory.h"
#include "ui/mainframe.h"
#include "ui/views/runperf/runperfmodel.h"
#include "ui/views/runperf/viewrunperf.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Season "S1", rodeo "Spring": SB in three go-rounds, four riders in
// performance 1 of go-round 1 at running orders 1, 2 and 4 (and one in 2).
class RunPerfTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
        {
            ScriptedPrompt setup;
            CDatabaseManager db(folder, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"), setup);
            ASSERT_TRUE(db.CreateSeason(QStringLiteral("S1"), QStringLiteral("ProfileDefault"),
                                        QStringLiteral("PRCA")));
            ASSERT_TRUE(db.CreateRodeo(QStringLiteral("S1"), QStringLiteral("Spring"),
                                       QStringLiteral("1/1/2026"), QStringLiteral("ProfileDefault")));
        }
        ASSERT_TRUE(sql.open(folder + QStringLiteral("S1/S1.mdb")));
        exec("UPDATE RodeoEvents SET ReGos = 3 WHERE EvId = 'SB'");
        const char* names[][2] = {
            {"Wade", "Sundell"}, {"Ryder", "Wright"}, {"Zeke", "Thurston"}, {"Cody", "DeMoss"}};
        for (const auto& n : names) {
            exec("INSERT INTO Rosters (PlrFirstName, PlrLastName) VALUES (?, ?)",
                 {QString::fromLatin1(n[0]), QString::fromLatin1(n[1])});
            ids << quint32(sql.lastInsertRowId());
        }
        const int orders[] = {1, 2, 4};
        for (int i = 0; i < 3; ++i)
            for (int go = 1; go <= 3; ++go)
                exec("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) VALUES (1, 'SB', ?, "
                     "?, 1, ?, ?)",
                     {go, ids[i], go == 1 ? 1 : 0, go == 1 ? orders[i] : 0});
        exec("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) VALUES (1, 'SB', 1, ?, 1, 2, "
             "1)",
             {ids[3]});
        // Go-round 1 results: a marked ride and a re-ride.
        exec("UPDATE Scores SET JTot = 8200, JR1 = 4100, JS1 = 4100, Suc = 1 WHERE GoId = 1 AND ptId = ?",
             {ids[0]});
        exec("UPDATE Scores SET Status = 'R' WHERE GoId = 1 AND ptId = ?", {ids[1]});
        exec("INSERT INTO Stocks (StBib, StName) VALUES ('12A', 'Painted Lady')");
        exec("UPDATE Scores SET StId = 1 WHERE ptId IN (?, ?)", {ids[0], ids[2]});

        CMainFrame::Setup s;
        s.dataFolder = folder;
        s.templateDatabase = QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb");
        s.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(s);
        frame->CreateViews();
        ASSERT_TRUE(frame->database().OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
        frame->files().SetCfgAtt(QStringLiteral("SB"), 2, QStringLiteral("curEvn"),
                                 QStringLiteral("CViewRunPerf"));
        frame->resize(1200, 800);
        frame->show();
        frame->SwitchView(ViewTable::RunPerformance);
        view = qobject_cast<CViewRunPerf*>(frame->view(ViewTable::RunPerformance));
        ASSERT_TRUE(view);
    }

    void exec(const char* statement, const QVariantList& params = {})
    {
        ASSERT_TRUE(sql.execute(QString::fromLatin1(statement), params)) << sql.lastError().toStdString();
    }
    qint64 scalar(const char* statement, const QVariantList& params = {})
    {
        auto rs = sql.query(QString::fromLatin1(statement), params);
        return rs && rs->moveFirst() ? rs->toInt64(rs->columns().first()) : -1;
    }
    // Chooses an item of a selector as the operator does.
    static void choose(QComboBox* box, const QString& text)
    {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    // Types into a cell of the left list and commits it.
    void editCell(int row, int column, const QString& text)
    {
        QTableView* left = view->lists()->left();
        const QModelIndex index = view->model()->index(row, column);
        left->setCurrentIndex(index);
        left->edit(index);
        QWidget* editor = left->indexWidget(index);
        ASSERT_TRUE(editor);
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            combo->setEditText(text);
        else
            static_cast<QLineEdit*>(editor)->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    QString folder;
    SqlConnection sql;
    QVector<quint32> ids;
    ScriptedPrompt prompt;
    LogCapture log;
    std::unique_ptr<CMainFrame> frame;
    CViewRunPerf* view = nullptr;
};

} // namespace

// The selectors: go-rounds and the final, the remembered event, and the
// smallest refresh code raised until a display action.
TEST_F(RunPerfTest, SelectorsAndThePendingCode)
{
    EXPECT_EQ(view->eventSelector()->currentData().toString(), QStringLiteral("SB"));
    QStringList goRounds;
    for (int i = 0; i < view->goRoundSelector()->count(); ++i)
        goRounds << view->goRoundSelector()->itemText(i);
    EXPECT_EQ(goRounds, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                     QStringLiteral("F")}));
    EXPECT_EQ(view->performanceSelector()->count(), 2);
    EXPECT_EQ(view->model()->rowCount(), 4); // three entries and the empty row
    EXPECT_EQ(view->pendingCode(), 1);       // shown with nothing pending, then the event (2) and below

    choose(view->goRoundSelector(), QStringLiteral("F"));
    EXPECT_EQ(frame->database().curEntry().goRound, 4);
    choose(view->goRoundSelector(), QStringLiteral("1"));
    view->pressDisplayButton(4); // F6
    EXPECT_EQ(view->pendingCode(), 0);
    choose(view->eventSelector(), QStringLiteral("Saddle Bronc"));
    choose(view->performanceSelector(), QStringLiteral("1"));
    EXPECT_EQ(view->pendingCode(), 2); // the event change is the smallest raised
    EXPECT_EQ(frame->files().curProfileName(), QStringLiteral("ProfileDefault"));
    EXPECT_EQ(view->displayButton(0)->text(), QStringLiteral("Run Time"));
}

// What the lists show: running order, the re-ride's yellow cell, the
// current row white on black after a display button showed it.
TEST_F(RunPerfTest, ListsShowTheRunAndItsColours)
{
    RunPerfModel* m = view->model();
    EXPECT_EQ(m->data(m->index(0, RunPerfModel::LastName)).toString(), QStringLiteral("Sundell"));
    EXPECT_EQ(m->data(m->index(2, RunPerfModel::LastName)).toString(), QStringLiteral("Thurston")); // order 4
    EXPECT_EQ(m->data(m->index(0, RunPerfModel::StockName)).toString(), QStringLiteral("Painted Lady"));
    EXPECT_EQ(m->data(m->index(3, RunPerfModel::Marker)).toString(), QStringLiteral("*"));
    EXPECT_EQ(m->headerData(m->columnOfGoRound(2), Qt::Horizontal).toString(),
              QStringLiteral("GR2\nPos    Score  Time"));
    const QModelIndex reride = m->index(1, m->columnOfGoRound(1));
    EXPECT_EQ(m->data(reride, Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
    EXPECT_EQ(m->data(m->index(0, m->columnOfGoRound(1))).toString().left(3), QStringLiteral("  1"));

    view->lists()->setCurrentRow(0);
    EXPECT_EQ(view->selectedKey(), makeEntryKey(ids[0], 1));
    view->pressDisplayButton(4); // F6 "Curr Score": display Yes
    EXPECT_EQ(frame->database().curEntry().ptId, ids[0]);
    EXPECT_EQ(frame->arenaContext().displayedCompetitor(), makeEntryKey(ids[0], 1));
    EXPECT_EQ(m->data(m->index(0, RunPerfModel::Bib), Qt::BackgroundRole).value<QColor>(), QColor(0, 0, 0));
    // The leader board follows the current entry.
    EXPECT_EQ(frame->leaderBoard()->goCaption()->text(), QStringLiteral("Go-Round 1 Leaders"));
    ASSERT_EQ(frame->leaderBoard()->goList()->rowCount(), 1);
    EXPECT_EQ(frame->leaderBoard()->goList()->index(0, 1).data().toString(), QStringLiteral("Sundell, Wade"));
    EXPECT_EQ(frame->leaderBoard()->overallList()->index(0, 3).data().toString(), QStringLiteral("1 / 1"));

    // U releases him: nobody is current any more, and with nothing pending
    // the outputs are refreshed with code 5.
    EXPECT_EQ(view->pendingCode(), 0);
    QTest::keyClick(view->lists()->left(), Qt::Key_U);
    EXPECT_EQ(frame->outputs().lastRefreshCode(), 5);
    EXPECT_EQ(frame->database().curEntry().ptId, 0u);
    EXPECT_EQ(view->selectedKey(), 0u);
    EXPECT_EQ(frame->arenaContext().displayedCompetitor(), 0u);

    // The leaders' texts are made when shown, from the rodeo's names: once
    // the rodeo is closed, the lists are empty rather than nameless.
    frame->CloseRodeo();
    EXPECT_EQ(frame->leaderBoard()->goList()->rowCount(), 0);
    EXPECT_EQ(frame->leaderBoard()->overallList()->rowCount(), 0);
}

// Typing into the empty row enters a contestant at the smallest free running
// order; typing a stock name draws a new animal or renames the drawn one.
TEST_F(RunPerfTest, EditingTheLists)
{
    editCell(3, RunPerfModel::LastName, QStringLiteral("Bowers"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrLastName = 'Bowers'"), 1);
    EXPECT_EQ(scalar("SELECT Ord FROM Scores s JOIN Rosters r ON r.PlrId = s.ptId "
                     "WHERE r.PlrLastName = 'Bowers' AND s.GoId = 1"),
              3);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Scores s JOIN Rosters r ON r.PlrId = s.ptId WHERE r.PlrLastName = "
                     "'Bowers'"),
              3); // every go-round
    EXPECT_EQ(view->model()->rowCount(), 5);

    // Ryder has no animal: his typed stock name is a new animal, drawn for him.
    const int ryder = view->model()->rowOf(makeEntryKey(ids[1], 1));
    editCell(ryder, RunPerfModel::StockName, QStringLiteral("Spring Fling"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Stocks WHERE StName = 'Spring Fling'"), 1);
    EXPECT_EQ(scalar("SELECT s.StId FROM Scores s WHERE s.ptId = ? AND s.GoId = 1", {ids[1]}),
              scalar("SELECT StId FROM Stocks WHERE StName = 'Spring Fling'"));
    // Wade's animal renamed: renamed for Zeke, who drew it too.
    editCell(0, RunPerfModel::StockName, QStringLiteral("Painted Lady II"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Stocks WHERE StName = 'Painted Lady II' AND StId = 1"), 1);
    const int zeke = view->model()->rowOf(makeEntryKey(ids[2], 1));
    EXPECT_EQ(view->model()->data(view->model()->index(zeke, RunPerfModel::StockName)).toString(),
              QStringLiteral("Painted Lady II"));
}

// The message bar: free numbers, the dialog's modes and its empty-lines question.
TEST_F(RunPerfTest, MessagesOfTheContestantUp)
{
    exec("INSERT INTO Messages (PlrId, MsgNumber, MsgLine1) VALUES (?, 1, 'one'), (?, 5, 'five')",
         {ids[0], ids[0]});
    CBarMessage* bar = frame->messages();
    frame->showContestantMessages(ids[0]);
    EXPECT_EQ(bar->model()->columnCount(), 3);
    EXPECT_EQ(bar->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Message 5"));
    const QList<int> free = bar->freeNumbers();
    EXPECT_EQ(free.mid(0, 4), (QList<int>{2, 3, 4, 6}));
    EXPECT_EQ(free.size(), 97);

    const MessageRec five = bar->model()->messages()[1];
    CDlgMessage edit(free, &five, prompt);
    EXPECT_EQ(edit.numberBox()->currentText(), QStringLiteral("5"));
    EXPECT_FALSE(edit.numberBox()->isEnabled());
    EXPECT_EQ(edit.saveButton()->text(), QStringLiteral("Update"));

    CDlgMessage add(free, nullptr, prompt);
    EXPECT_EQ(add.numberBox()->currentText(), QStringLiteral("2"));
    EXPECT_FALSE(add.saveButton()->isEnabled());
    prompt.answers << UserPrompt::Cancel;
    add.accept();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("There is no data to save, continue?"));
    EXPECT_EQ(add.result(), 0); // still open
    prompt.answers << UserPrompt::Ok;
    add.accept();
    EXPECT_EQ(add.result(), int(QDialog::Accepted));

    // Added through the bar, with the dialog answered.
    bar->setAsk([](const QList<int>& numbers, const MessageRec*, MessageRec& result) {
        result.number = static_cast<quint8>(numbers.first());
        result.lines[0] = QStringLiteral("A LINE LONGER THAN TWENTY-FOUR CHARACTERS");
        return true;
    });
    bar->add();
    EXPECT_EQ(bar->model()->columnCount(), 4);
    auto rs = sql.query(QStringLiteral("SELECT MsgLine1 FROM Messages WHERE PlrId = ? AND MsgNumber = 2"),
                        {ids[0]});
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toText(QStringLiteral("MsgLine1")).size(), 24);
    frame->showContestantMessages(0);
    prompt.clear();
    bar->add();
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Please select a player first!"));
}

// "Result History" from the lists: the entry's changes with where they came
// from, and the periodic copy of the season that saving started.
TEST_F(RunPerfTest, ResultHistoryListsAnEntrysChanges)
{
    RegEntry e;
    e.eventId = QStringLiteral("SB");
    e.goRound = 2;
    e.ptId = ids[2];
    ResultRecord r;
    r.score = 8000;
    ASSERT_TRUE(frame->SaveResult(e, r, ChangeSource::TimingConsole));
    r.score = 8150;
    ASSERT_TRUE(frame->SaveResult(e, r, ChangeSource::EditResults));

    QList<QStringList> rows;
    QString entry;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CDlgResultHistory*>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        entry = dlg->entries()->currentText();
        for (int row = 0; row < dlg->table()->rowCount(); ++row) {
            QStringList texts;
            for (int column = 1; column < dlg->table()->columnCount(); ++column)
                texts << dlg->table()->item(row, column)->text();
            rows << texts;
        }
        dlg->accept();
    });
    view->showResultHistory(makeEntryKey(ids[2], 1));
    EXPECT_EQ(entry, QStringLiteral("Thurston, Zeke"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0],
              (QStringList{QStringLiteral("2"), QStringLiteral("Saved"), QStringLiteral("Timing Console"),
                           QStringLiteral("(no result)"), QStringLiteral("80")}));
    EXPECT_EQ(rows[1],
              (QStringList{QStringLiteral("2"), QStringLiteral("Changed"), QStringLiteral("Edit Results"),
                           QStringLiteral("80"), QStringLiteral("81.5")}));

    // The first saved result of the run took a copy of the season.
    frame->backups().wait();
    EXPECT_EQ(frame->backups().copies(QStringLiteral("S1")).size(), 1);
}
