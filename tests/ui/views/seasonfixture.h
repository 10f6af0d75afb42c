#pragma once

// A main window over season "S1" with rodeo "Spring", the season's rows
// arranged and read back through a connection of the test's own, and the
// operator's questions answered from a script.
#include "app/filemgr.h"
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "platform/sql/sqlconnection.h"
#include "ui/mainframe.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// The contestant resolution dialog, answered from a script: each question is
// recorded and answered with the next planned decision (Leave when none).
class ScriptedResolution : public ResolutionPrompts
{
public:
    std::optional<ContestantChoice> resolveContestant(const ContestantRec& arriving,
                                                      const ContestantRec& existing) override
    {
        asked << arriving.firstName + QLatin1Char(' ') + arriving.lastName;
        const int decision = decisions.isEmpty() ? Leave : decisions.takeFirst();
        return ContestantChoice{decision & 0xFFFF, (decision & ApplyToAll) != 0, existing};
    }
    int sameTeamFound(const TeamRec&, bool& applyToAll) override
    {
        applyToAll = false;
        return 7;
    }

    QStringList asked;
    QList<int> decisions;
};

class SeasonFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
        {
            ScriptedPrompt setup;
            CDatabaseManager db(folder, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"), setup);
            for (const char* season : {"S1", "Old A", "Old B"})
                ASSERT_TRUE(db.CreateSeason(QString::fromLatin1(season), QStringLiteral("ProfileDefault"),
                                            QStringLiteral("PRCA")));
            ASSERT_TRUE(db.CreateRodeo(QStringLiteral("S1"), QStringLiteral("Spring"),
                                       QStringLiteral("1/1/2026"), QStringLiteral("ProfileDefault")));
        }
        ASSERT_TRUE(sql.open(folder + QStringLiteral("S1/S1.mdb")));
        arrange();
        CMainFrame::Setup s;
        s.dataFolder = folder;
        s.templateDatabase = QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb");
        s.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(s);
        frame->database().setResolutionPrompts(&resolution);
        frame->CreateViews();
        ASSERT_TRUE(frame->database().OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
        frame->resize(1200, 800);
        frame->show();
    }
    void TearDown() override
    {
        if (frame)
            frame->database().setResolutionPrompts(nullptr);
    }

    // The rows of the season before the window opens.
    virtual void arrange() {}

    void exec(const char* statement, const QVariantList& params = {})
    {
        ASSERT_TRUE(sql.execute(QString::fromLatin1(statement), params)) << sql.lastError().toStdString();
    }
    void execIn(const QString& season, const char* statement, const QVariantList& params = {})
    {
        SqlConnection other;
        ASSERT_TRUE(other.open(folder + season + QLatin1Char('/') + season + QStringLiteral(".mdb")));
        ASSERT_TRUE(other.execute(QString::fromLatin1(statement), params)) << other.lastError().toStdString();
    }
    quint32 addContestant(const QString& first, const QString& last, const QString& bib = QString())
    {
        sql.execute(
            QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName, PlrBib) VALUES (?, ?, ?)"),
            {first, last, bib});
        return quint32(sql.lastInsertRowId());
    }
    qint64 scalar(const char* statement, const QVariantList& params = {})
    {
        auto rs = sql.query(QString::fromLatin1(statement), params);
        return rs && rs->moveFirst() ? rs->toInt64(rs->columns().first()) : -1;
    }
    QString text(const char* statement, const QVariantList& params = {})
    {
        auto rs = sql.query(QString::fromLatin1(statement), params);
        return rs && rs->moveFirst() ? rs->toText(rs->columns().first()) : QStringLiteral("<none>");
    }
    // Types into a cell of a table and confirms with Enter.
    static void typeInto(QTableView* table, const QModelIndex& index, const QString& typed)
    {
        table->setCurrentIndex(index);
        table->edit(index);
        QWidget* editor = table->indexWidget(index);
        ASSERT_TRUE(editor) << "no editor";
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            combo->setEditText(typed);
        else
            static_cast<QLineEdit*>(editor)->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        // Enter commits through a queued call, and what the commit queues
        // (selecting the new row) runs in the pass after it.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    static void choose(QComboBox* box, const QString& text)
    {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
    }

    QTemporaryDir dir;
    QString folder;
    SqlConnection sql;
    ScriptedPrompt prompt;
    ScriptedResolution resolution;
    LogCapture log;
    std::unique_ptr<CMainFrame> frame;
};
