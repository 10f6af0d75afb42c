#pragma once

#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "db/databasemanager.h"
#include "platform/sql/sqlconnection.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <memory>

// A temporary data folder with a database manager over it, and direct SQL
// access to season databases for arranging rows and checking what was written.
class DbFixture : public ::testing::Test
{
protected:
    DbFixture()
    {
        m_root = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(m_root);
        db = std::make_unique<CDatabaseManager>(m_root, templatePath(), prompt);
    }

    static QString templatePath() { return QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"); }
    QString root() const { return m_root; }

    // A season made the way the program makes it.
    void makeSeason(const QString& season)
    {
        ASSERT_TRUE(db->CreateSeason(season, QStringLiteral("ProfileDefault"), QStringLiteral("PRCA")));
    }

    // A direct connection to a season's database (kept open for the test).
    SqlConnection& sql(const QString& season = QStringLiteral("S1"))
    {
        auto& c = m_direct[season];
        if (!c) {
            c = std::make_unique<SqlConnection>();
            EXPECT_TRUE(c->open(db->DatabasePath(season))) << c->lastError().toStdString();
        }
        return *c;
    }
    void exec(const QString& statement, const QVariantList& params = {},
              const QString& season = QStringLiteral("S1"))
    {
        ASSERT_TRUE(sql(season).execute(statement, params))
            << sql(season).lastError().toStdString() << " in " << statement.toStdString();
    }
    qint64 scalar(const QString& statement, const QVariantList& params = {},
                  const QString& season = QStringLiteral("S1"))
    {
        auto rs = sql(season).query(statement, params);
        if (!rs || !rs->moveFirst() || rs->columns().isEmpty())
            return -1;
        return rs->toInt64(rs->columns().first());
    }

    // Rows arranged directly, without going through the code under test.
    int insertRodeo(const QString& name, const QString& season = QStringLiteral("S1"))
    {
        exec(QStringLiteral("INSERT INTO Rodeos (RoName, RoDate, RoProfile) VALUES (?, '1/2/2026', 'ProfileDefault')"),
             {name}, season);
        return static_cast<int>(sql(season).lastInsertRowId());
    }
    void insertRodeoEvent(int roId, const QString& evId, int goRounds = 1, const QString& judges = QStringLiteral("C2"),
                          int precision = 1, const QString& season = QStringLiteral("S1"))
    {
        exec(QStringLiteral("INSERT INTO RodeoEvents (RoId, EvId, ReGos, ReFinals, ReJudges, RePrecision, ReFraction) "
                            "VALUES (?, ?, ?, 20, ?, ?, 'F')"),
             {roId, evId, goRounds, judges, precision}, season);
    }
    quint32 insertContestant(const QString& first, const QString& last, const QString& bib = QString(),
                             const QString& season = QStringLiteral("S1"))
    {
        exec(QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName, PlrBib) VALUES (?, ?, ?)"),
             {first, last, bib}, season);
        return static_cast<quint32>(sql(season).lastInsertRowId());
    }
    void insertTeam(int roId, int tmId, const QString& name, quint32 p1, quint32 p2, quint32 p3 = 0,
                    const QString& season = QStringLiteral("S1"))
    {
        exec(QStringLiteral("INSERT INTO Teams (RoId, TmId, TmName, PlrId1, PlrId2, PlrId3) VALUES (?, ?, ?, ?, ?, ?)"),
             {roId, tmId, name, p1, p2, p3}, season);
    }
    void insertEntry(const QString& table, int roId, const QString& evId, int go, quint32 ptId, int plrEnt,
                     int perf = 0, int ord = 0, const QString& season = QStringLiteral("S1"))
    {
        exec(QStringLiteral("INSERT INTO %1 (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord) VALUES (?, ?, ?, ?, ?, ?, ?)")
                 .arg(table),
             {roId, evId, go, ptId, plrEnt, perf, ord}, season);
    }

    QTemporaryDir dir;
    ScriptedPrompt prompt;
    LogCapture log;
    std::unique_ptr<CDatabaseManager> db;

private:
    QString m_root;
    std::map<QString, std::unique_ptr<SqlConnection>> m_direct;
};
