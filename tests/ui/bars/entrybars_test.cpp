// The score and time bars driven with keys, saving through the main window
// into a season database that is read back with a connection of its own.
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "db/seasonbackups.h"
#include "framework/maskededit.h"
#include "platform/sql/sqlconnection.h"
#include "ui/bars/dlgbareditscores.h"
#include "ui/bars/dlgbaredittimes.h"
#include "ui/bars/entrybarharness.h"
#include "ui/dialogs/results/dlgscoretimecfg.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Season "S1", rodeo "Spring": SB with four judges and fractions, BR timed in
// hundredths; two contestants entered in go-round 1, performance 1.
class EntryBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
        ScriptedPrompt setupPrompt;
        {
            CDatabaseManager db(folder, templateDb(), setupPrompt);
            ASSERT_TRUE(db.CreateSeason(QStringLiteral("S1"), QStringLiteral("ProfileDefault"),
                                        QStringLiteral("PRCA")));
            ASSERT_TRUE(db.CreateRodeo(QStringLiteral("S1"), QStringLiteral("Spring"),
                                       QStringLiteral("1/1/2026"), QStringLiteral("ProfileDefault")));
        }
        ASSERT_TRUE(sql.open(folder + QStringLiteral("S1/S1.mdb")));
        exec("UPDATE RodeoEvents SET ReJudges = ?, ReFraction = ? WHERE EvId = 'SB'", {judges, fraction});
        exec("UPDATE RodeoEvents SET RePrecision = 2 WHERE EvId = 'BR'");
        for (const char* name : {"Wade", "Ryder"}) {
            exec("INSERT INTO Rosters (PlrFirstName, PlrLastName) VALUES (?, 'Rider')",
                 {QString::fromLatin1(name)});
            ids << quint32(sql.lastInsertRowId());
        }
        for (quint32 id : ids) {
            for (const char* table : {"Scores", "Times"})
                exec(QStringLiteral("INSERT INTO %1 (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) VALUES "
                                    "(1, ?, 1, ?, 1, 1, 1)")
                         .arg(QLatin1String(table))
                         .toLatin1()
                         .constData(),
                     {QString::fromLatin1(table[0] == 'S' ? "SB" : "BR"), id});
        }
        CMainFrame::Setup setup;
        setup.dataFolder = folder;
        setup.templateDatabase = templateDb();
        setup.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(setup);
        ASSERT_TRUE(frame->database().OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    static QString templateDb() { return QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"); }
    void exec(const char* statement, const QVariantList& params = {})
    {
        ASSERT_TRUE(sql.execute(QString::fromLatin1(statement), params)) << sql.lastError().toStdString();
    }
    // Where the recorded changes of a contestant's results came from, oldest first.
    QStringList historySources(quint32 id)
    {
        QStringList out;
        auto rs = sql.query(QStringLiteral("SELECT HiSource FROM ResultHistory WHERE ptId = ? AND HiAction = "
                                           "'Update' ORDER BY HiId"),
                            {id});
        if (rs)
            for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
                out << rs->toText(QStringLiteral("HiSource"));
        return out;
    }
    qint64 column(const char* table, const char* name, quint32 id)
    {
        auto rs = sql.query(QStringLiteral("SELECT %1 FROM %2 WHERE ptId = ? AND GoId = 1")
                                .arg(QLatin1String(name), QLatin1String(table)),
                            {id});
        return rs && rs->moveFirst() ? rs->toInt64(QString::fromLatin1(name)) : -1;
    }

    std::unique_ptr<CEntryBarHarness> harness(const char* event, quint32 id)
    {
        auto h =
            std::make_unique<CEntryBarHarness>(*frame, QString::fromLatin1(event), 1, 1, makeEntryKey(id, 1));
        h->show();
        QApplication::setActiveWindow(h.get());
        return h;
    }
    // Types into a field from its first place, as the operator does.
    static void type(QLineEdit* field, const QString& keys)
    {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Home);
        QTest::keyClicks(field, keys);
    }

    QString judges = QStringLiteral("I4");
    QString fraction = QStringLiteral("N");
    QTemporaryDir dir;
    QString folder;
    SqlConnection sql;
    QVector<quint32> ids;
    ScriptedPrompt prompt;
    LogCapture log;
    std::unique_ptr<CMainFrame> frame;
};

class TwoJudgesFullTest : public EntryBarTest
{
protected:
    void SetUp() override
    {
        judges = QStringLiteral("I2");
        fraction = QStringLiteral("F");
        EntryBarTest::SetUp();
    }
};

} // namespace

// Marks typed judge by judge, Tab from field to field, Enter to save: the row
// the database then holds is the one typed, halved over two panels.
TEST_F(EntryBarTest, TypedMarksAreTheSavedRow)
{
    auto h = harness("SB", ids[0]);
    auto* bar = static_cast<CDlgBarEditScores*>(h->bar());
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->competitorName(), QStringLiteral("Wade Rider"));
    const char* riders[] = {"215", "220", "210", "225"};
    const char* stock[] = {"220", "210", "220", "205"};
    CMaskedEdit* first = bar->markField(ScoreEntry::Rider, 0);
    type(first, QString::fromLatin1(riders[0]));
    for (int j = 1; j < 4; ++j) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), bar->markField(ScoreEntry::Rider, j));
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(riders[j]));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), bar->markField(ScoreEntry::Stock, 0));
    for (int j = 0; j < 4; ++j) {
        if (j > 0)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(stock[j]));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // the subtotals are not typed: on to the time
    EXPECT_EQ(QApplication::focusWidget(), bar->timeField());
    EXPECT_EQ(bar->totalField(ScoreEntry::Rider)->text(), QStringLiteral("43.50"));
    EXPECT_EQ(bar->totalField(ScoreEntry::Subtotal)->text(), QStringLiteral("86.25"));
    EXPECT_EQ(bar->markField(ScoreEntry::Subtotal, 0)->text(), QStringLiteral("43.5"));
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(bar->isChanged());
    EXPECT_EQ(column("Scores", "JR1", ids[0]), 2150);
    EXPECT_EQ(column("Scores", "JS4", ids[0]), 2050);
    EXPECT_EQ(column("Scores", "JTot", ids[0]), 8625);
    EXPECT_EQ(column("Scores", "Suc", ids[0]), 1);
}

// A mark over the highest allowed one is refused with its message, and what
// the field shows is never saved.
TEST_F(TwoJudgesFullTest, AMarkOverTheLimitIsRefused)
{
    auto h = harness("SB", ids[0]);
    auto* bar = static_cast<CDlgBarEditScores*>(h->bar());
    EXPECT_FALSE(bar->markField(ScoreEntry::Rider, 2)->isEnabled()); // two judges
    type(bar->markField(ScoreEntry::Rider, 0), QStringLiteral("26"));
    EXPECT_TRUE(prompt.texts().isEmpty()) << "a mark is judged once it is complete";
    EXPECT_EQ(bar->markField(ScoreEntry::Rider, 0)->text(), QStringLiteral("26"));
    // Save says why it cannot save, once, and saves nothing.
    QTest::mouseClick(bar->saveButton(), Qt::LeftButton);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("The score cannot be over 25")});
    EXPECT_EQ(bar->markField(ScoreEntry::Rider, 0)->text(), QStringLiteral("26")); // left as typed
    EXPECT_EQ(column("Scores", "JR1", ids[0]), 0);
}

// No Score outside "Edit Results" saves at once, with the time the timing
// console last sent.
TEST_F(EntryBarTest, NoScoreSavesWithTheLatestTimerTime)
{
    frame->postRunningTime(QStringLiteral(" 6.40"));
    QApplication::processEvents();
    auto h = harness("SB", ids[1]);
    auto* bar = static_cast<CDlgBarEditScores*>(h->bar());
    QTest::mouseClick(bar->noScoreButton(), Qt::LeftButton);
    auto rs = sql.query(QStringLiteral("SELECT Status, RideTime FROM Scores WHERE ptId = ? AND GoId = 1"),
                        {ids[1]});
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toText(QStringLiteral("Status")), QStringLiteral("N"));
    EXPECT_EQ(rs->toInt64(QStringLiteral("RideTime")), 6400);
    EXPECT_TRUE(bar->noScoreButton()->isChecked());
}

// A save the database refuses keeps what was typed, still unsaved, and says so.
TEST_F(EntryBarTest, ARefusedSaveKeepsTheTypedTime)
{
    auto h = harness("BR", ids[0]);
    auto* bar = static_cast<CDlgBarEditTimes*>(h->bar());
    EXPECT_EQ(bar->rideField()->text(), QStringLiteral(" 0.00"));
    type(bar->rideField(), QStringLiteral(" 9.53"));
    QTest::keyClick(bar->rideField(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), bar->penaltyField());
    EXPECT_EQ(bar->totalField()->text(), QStringLiteral(" 9.53"));
    exec("DELETE FROM Times WHERE ptId = ?", {ids[0]}); // the row is gone under the bar
    QTest::mouseClick(bar->saveButton(), Qt::LeftButton);
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Failed to set the times.\nSave Failed."));
    EXPECT_TRUE(bar->isChanged());
    EXPECT_EQ(bar->rideField()->text(), QStringLiteral(" 9.53"));

    // Closing the program asks about it; Cancel keeps the window open.
    prompt.clear();
    prompt.answers << UserPrompt::Yes << UserPrompt::Cancel;
    frame->show();
    h->setParent(frame.get(), Qt::Window);
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(prompt.texts().last(),
              QStringLiteral("The result typed for Wade Rider has not been saved.\nDo you want to save it?"));

    // Moving on to another contestant drops the typed time, and says so.
    bar->SetComp(makeEntryKey(ids[1], 1), 1);
    EXPECT_EQ(frame->statusBar()->currentMessage(),
              QStringLiteral("The result typed for Wade Rider was not saved."));
    EXPECT_FALSE(bar->isChanged());
}

// The time bar's Tab ring, with Penalty twice adding ten seconds.
TEST_F(EntryBarTest, TimeBarKeys)
{
    auto h = harness("BR", ids[1]);
    auto* bar = static_cast<CDlgBarEditTimes*>(h->bar());
    type(bar->rideField(), QStringLiteral("12.34"));
    QTest::keyClick(bar->rideField(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), bar->penaltyField())
        << QApplication::focusWidget()->objectName().toStdString();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), bar->penaltyButton());
    QTest::keyClick(bar->penaltyButton(), Qt::Key_Return); // presses it: saved at once
    QTest::keyClick(bar->penaltyButton(), Qt::Key_Return);
    EXPECT_EQ(column("Times", "PenTime", ids[1]), 10000);
    EXPECT_EQ(column("Times", "RideTime", ids[1]), 12340);
    EXPECT_EQ(bar->totalField()->text(), QStringLiteral("22.34"));
    EXPECT_EQ(historySources(ids[1]),
              (QStringList{QStringLiteral("Entry Bar"), QStringLiteral("Entry Bar")}));
    EXPECT_EQ(QApplication::focusWidget(), bar->penaltyButton()); // the save gave the focus back
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), bar->noTimeButton());
}

// "Edit Results" hosts the bar of the event for another go-round: OK and
// Cancel, no saving toggles.
TEST_F(EntryBarTest, EditResultsHostsTheEventsBar)
{
    frame->database().SetCurEntry([] {
        RegEntry e;
        e.eventId = QStringLiteral("SB");
        e.goRound = 1;
        e.perf = 1;
        return e;
    }());
    CDlgScoreTimeCfg dialog(frame->database(), *frame, prompt, makeEntryKey(ids[0], 1), 1);
    ASSERT_TRUE(dialog.isReady());
    auto* bar = qobject_cast<CDlgBarEditScores*>(dialog.bar());
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->saveButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(bar->rerideButton()->isHidden());
    EXPECT_TRUE(
        dialog.findChild<QGroupBox*>()->title().endsWith(QStringLiteral("    Saddle Bronc    Go: 1")));
    QTest::mouseClick(bar->noScoreButton(), Qt::LeftButton);
    auto rs = sql.query(QStringLiteral("SELECT Status FROM Scores WHERE ptId = ?"), {ids[0]});
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toText(QStringLiteral("Status")), QString()); // not saved in the dialog
    QTest::mouseClick(bar->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(historySources(ids[0]).isEmpty());

    // A correction made here is traced as one.
    CDlgScoreTimeCfg again(frame->database(), *frame, prompt, makeEntryKey(ids[0], 1), 1);
    auto* corrected = qobject_cast<CDlgBarEditScores*>(again.bar());
    ASSERT_TRUE(corrected);
    QTest::mouseClick(corrected->noScoreButton(), Qt::LeftButton);
    QTest::mouseClick(corrected->saveButton(), Qt::LeftButton);
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(historySources(ids[0]), QStringList{QStringLiteral("Edit Results")});

    // The first result saved took a copy of the season; closing the rodeo takes another.
    const auto copies = [&] {
        return QDir(folder + QStringLiteral("S1/backups")).entryList({QStringLiteral("S1 *.mdb")}).size();
    };
    frame->backups().wait();
    EXPECT_EQ(copies(), 1);
    frame->CloseRodeo();
    EXPECT_EQ(copies(), 2);
    frame->database().SetCurEntry(RegEntry());
    prompt.clear();
    CDlgScoreTimeCfg none(frame->database(), *frame, prompt, makeEntryKey(ids[0], 1), 1);
    EXPECT_FALSE(none.isReady());
    EXPECT_EQ(prompt.lastText(), QStringLiteral("Failed to get the current event state."));
}
