#pragma once

// A rodeo with results in a season database, the run-performance state of the
// main window over it, and scoreboards and an announcer's terminal on loopback:
// the scoreboard image is formatted from real rows, sent, received and decoded.
#include "db/dbfixture.h"
#include "io/outputmanager.h"
#include "io/scoreboardstate.h"
#include "iotesthelpers.h"

#include <QDir>
#include <QFile>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// The main window's side of the outputs, over the fixture's database manager.
class TestArena : public OutputContext
{
public:
    explicit TestArena(CDatabaseManager& db) : m_db(db) {}
    CDatabaseManager* database() const override { return &m_db; }
    bool leadersFlag(int index) const override { return index >= 0 && index < 2 && flags[index]; }
    DisplayProfileSettings currentProfile() const override { return profile; }
    bool displayCompetitor(EntryKey key) override
    {
        RegEntry e = m_db.curEntry();
        e.ptId = entryKeyId(key);
        e.plrEnt = static_cast<quint16>(key == 0 ? 1 : entryKeyNumber(key));
        displayed = key;
        return m_db.SetCurEntry(e);
    }
    void setAnnouncerCompetitor(EntryKey key) override { announced = key; }

    DisplayProfileSettings profile{QStringLiteral("Last, First"), QStringLiteral("Last/Last"), 4};
    bool flags[2] = {false, false};
    EntryKey displayed = 0;
    EntryKey announced = 0;

private:
    CDatabaseManager& m_db;
};

class ScoreboardFixture : public DbFixture
{
protected:
    // Season "S1", rodeo "Spring" (with its display lines), and:
    // - SB, scored, 4 judges, fraction, 2 go-rounds, 3 finalists: six riders
    //   with marks in go-round 1, four of them marked in go-round 2;
    // - TR, team roping, timed in hundredths: two teams, one with a penalty.
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        exec(QStringLiteral("UPDATE Rodeos SET RoDispName1 = 'SPRING ROUNDUP', RoDispName2 = 'PRCA RODEO', "
                            "RoDispDates = 'JUNE 5-7, 2026', RoDispLoc = 'CODY, WYOMING'"));
        insertRodeoEvent(roId, QStringLiteral("SB"), 2, QStringLiteral("C4"));
        exec(QStringLiteral("UPDATE RodeoEvents SET ReFraction = 'N', ReFinals = 3 WHERE EvId = 'SB'"));
        insertRodeoEvent(roId, QStringLiteral("TR"), 1, QString(), 2);
        const char* riders[][6] = {
            {"101", "Wade", "Sundell", "Boxholm, SD", "212500", "45000"},
            {"102", "Ryder", "Wright", "Milford, UT", "301200", "80250"},
            {"103", "Stetson", "Wright", "Milford, UT", "150000", ""},
            {"104", "Zeke", "Thurston", "Big Valley, AB", "98000", "12000"},
            {"105", "Cody", "DeMoss", "Heflin, LA", "77000", "9500"},
            {"106", "Jake", "Watson", "Hudson's Hope, BC", "", ""},
        };
        for (const auto& r : riders) {
            exec(QStringLiteral(
                     "INSERT INTO Rosters (PlrBib, PlrFirstName, PlrLastName, PlrHomeTown, PlrEarnLast, "
                     "PlrEarnCur, PlrMisc) VALUES (?, ?, ?, ?, ?, ?, 'Rookie')"),
                 {QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2]),
                  QString::fromLatin1(r[3]), QString::fromLatin1(r[4]), QString::fromLatin1(r[5])});
            p << quint32(sql().lastInsertRowId());
        }
        exec(QStringLiteral("INSERT INTO Contractors (CoName) VALUES ('Cervi Championship Rodeo')"));
        exec(QStringLiteral("INSERT INTO Stocks (CoId, StBib, StName, StHomeTown, StWeight, StAge) "
                            "VALUES (1, '12A', 'Painted Lady Of The Plains', 'Sheridan, WY', 1150, 8)"));
        stock = quint32(sql().lastInsertRowId());

        // Go-round 1: every rider marked (four judges: rider and stock marks).
        const int marks1[6][8] = {{2150, 2200, 2100, 2150, 2100, 2150, 2200, 2100},
                                  {2200, 2250, 2200, 2200, 2150, 2150, 2200, 2200},
                                  {2000, 2050, 2000, 2100, 2000, 2000, 2050, 2000},
                                  {2100, 2100, 2150, 2100, 2100, 2100, 2100, 2150},
                                  {1900, 1950, 1900, 1950, 1900, 1950, 1950, 1900},
                                  {2050, 2000, 2050, 2050, 2050, 2000, 2000, 2050}};
        for (int i = 0; i < 6; ++i) {
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[i], 1, 1, i + 1);
            setMarks(1, p[i], marks1[i]);
            insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 2, p[i], 1, 1, i + 1);
        }
        // Go-round 2: four rides so far, one of them a re-ride.
        const int marks2[4][8] = {{2200, 2200, 2250, 2200, 2150, 2150, 2150, 2200},
                                  {2100, 0, 2100, 2150, 2100, 2150, 2100, 2100},
                                  {2050, 2050, 2100, 2050, 2050, 2100, 2050, 2050},
                                  {0, 0, 0, 0, 0, 0, 0, 0}};
        for (int i = 0; i < 3; ++i)
            setMarks(2, p[i], marks2[i]);
        exec(QStringLiteral("UPDATE Scores SET Status = 'R', RideTime = 4100 WHERE GoId = 2 AND ptId = ?"),
             {p[3]});
        exec(QStringLiteral("UPDATE Scores SET StId = ? WHERE ptId = ? AND GoId = 2"), {stock, p[4]});
        exec(QStringLiteral("INSERT INTO Messages (PlrId, MsgNumber, MsgLine1, MsgLine2, MsgLine3, MsgLine4) "
                            "VALUES (?, 2, '2025 WORLD CHAMPION', 'SADDLE BRONC', '', 'GO CODY!')"),
             {p[4]});

        // Team roping: two teams, the second with a 5 second penalty.
        insertTeam(roId, 1, QStringLiteral("Cowboys"), p[0], p[1]);
        insertTeam(roId, 2, QStringLiteral("Ropers"), p[2], p[5]);
        insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 1, 1, 1, 1);
        insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 2, 1, 1, 2);
        exec(QStringLiteral("UPDATE Times SET RideTime = 5340 WHERE ptId = 1"));
        exec(QStringLiteral("UPDATE Times SET RideTime = 7210, PenTime = 5000, Status = 'P' WHERE ptId = 2"));

        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    void setMarks(int go, quint32 ptId, const int m[8])
    {
        int total = 0;
        for (int j = 0; j < 8; ++j)
            total += m[j];
        exec(
            QStringLiteral("UPDATE Scores SET JR1 = ?, JR2 = ?, JR3 = ?, JR4 = ?, JS1 = ?, JS2 = ?, JS3 = ?, "
                           "JS4 = ?, JTot = ?, Suc = 1 WHERE GoId = ? AND ptId = ?"),
            {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], total / 2, go, ptId});
    }

    // Makes an entry current the way the Run Performance view does.
    void current(const char* event, int go, quint32 ptId, int perf = 1)
    {
        RegEntry e;
        e.eventId = QString::fromLatin1(event);
        e.goRound = static_cast<quint16>(go);
        e.perf = static_cast<quint16>(perf);
        e.ptId = ptId;
        ASSERT_TRUE(db->SetCurEntry(e));
    }

    // An output manager with the given RIP and monitor elements on ports 1
    // (board 1), 2 (board 2) and 3 (the announcer), communications started.
    std::unique_ptr<OutputManager> outputs(const QString& rips, const QString& monitors = QString())
    {
        using namespace iofile;
        QFile file(root() + QStringLiteral("IO.xml"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(document(udpPort(1, QStringLiteral("Board 1"), board1.port()) +
                                udpPort(2, QStringLiteral("Board 2"), board2.port()) +
                                udpPort(3, QStringLiteral("Announcer"), announcer.port()),
                            timer(QStringLiteral("T"), 0), rips, QString(""), monitors)
                       .toUtf8());
        file.close();
        auto manager = std::make_unique<OutputManager>(root(), prompt);
        manager->LoadConfiguration();
        manager->StartCommunications(&arena);
        return manager;
    }

    // Everything that arrives within a short while, as the image a sign keeps.
    static QString receivedImage(UdpCollector& board, QString image = QString(9693, QLatin1Char(' ')))
    {
        const QList<RtdMessage> messages = decodeAll(board.receive(100000, 700));
        for (const RtdMessage& m : messages)
            if (m.type == RtdMessage::TextBlock && m.offset < 9693)
                image.replace(int(m.offset), qMin(m.text().size(), 9693 - int(m.offset)), m.text());
        return image;
    }

    int roId = 0;
    QVector<quint32> p;
    quint32 stock = 0;
    TestArena arena{*db};
    UdpCollector board1;
    UdpCollector board2;
    UdpCollector announcer;
};
