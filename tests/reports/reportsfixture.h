#pragma once

#include "db/dbfixture.h"

// Season "S1" with the rodeo "Spring" open: scored SB (three go-rounds, four
// judges, a final), timed BR (two go-rounds, thousandths) and team roping TR
// (one go-round, tenths), with contestants, a team and some results.
class ReportsFixture : public DbFixture
{
protected:
    void SetUp() override
    {
        makeSeason(QStringLiteral("S1"));
        roId = insertRodeo(QStringLiteral("Spring"));
        exec(QStringLiteral("UPDATE Rodeos SET RoDispName1 = ?, RoDispName2 = ?, RoDispName3 = ?, "
                            "RoDispDates = ?, RoDispLoc = ? WHERE RoId = ?"),
             {QStringLiteral("Spring Rodeo"), QStringLiteral("Renée's Arena"), QString(),
              QStringLiteral("June 1-3"), QStringLiteral("Cody, WY"), roId});
        insertRodeoEvent(roId, QStringLiteral("SB"), 3, QStringLiteral("C4"));
        // Marked in halves: its rides below are.
        exec(QStringLiteral("UPDATE RodeoEvents SET ReFraction = 'N' WHERE EvId = 'SB'"));
        insertRodeoEvent(roId, QStringLiteral("BR"), 2, QStringLiteral("C2"), 3);
        insertRodeoEvent(roId, QStringLiteral("TR"), 1, QStringLiteral("C2"), 1);

        const char* people[][3] = {{"Ann", "Smith", "11"}, {"Bob", "Jones", "12"}, {"Renée", "Côté", "13"},
                                   {"Dan", "Lee", "14"},   {"Eve", "Ray", "15"},   {"Hal", "Cox", "16"},
                                   {"Ian", "Fox", "17"}};
        for (const auto& p : people)
            insertContestant(QString::fromUtf8(p[0]), QString::fromUtf8(p[1]), QString::fromUtf8(p[2]));
        exec(QStringLiteral("UPDATE Rosters SET PlrHomeTown = 'Austin, TX', PlrEarnLast = '1200', "
                            "PlrEarnCur = '300' WHERE PlrId = 1"));

        // SB: contestants 1-3 in go-rounds 1-3 (1 and 2 in performance 1 of
        // go-round 1, 3 in performance 2), 1 and 2 in the final.
        for (int go = 1; go <= 3; ++go)
            for (quint32 p = 1; p <= 3; ++p)
                insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), go, p, 1,
                            go == 1 ? (p == 3 ? 2 : 1) : 0, go == 1 ? int(p) : 0);
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 4, 1, 1, 1, 2);
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 4, 2, 1, 1, 1);
        setScore(1, 1, 17101);
        setScore(1, 2, 17000);
        setScore(1, 4, 16900);
        setScore(2, 1, 16000);
        setScore(2, 3, 17300);

        // BR: contestants 4 and 5 in both go-rounds.
        for (int go = 1; go <= 2; ++go)
            for (quint32 p = 4; p <= 5; ++p)
                insertEntry(QStringLiteral("Times"), roId, QStringLiteral("BR"), go, p, 1, 1, int(p) - 3);
        exec(
            QStringLiteral("UPDATE Times SET RideTime = 12345, PenTime = 5000, Suc = 1 WHERE EvId = 'BR' AND "
                           "GoId = 1 AND ptId = 4"));
        exec(QStringLiteral("UPDATE Times SET RideTime = 105200, PenTime = 0, Suc = 1 WHERE EvId = 'BR' AND "
                            "GoId = 1 AND ptId = 5"));

        // TR: team 1 (Dan Lee heading, Hal Cox heeling, Ian Fox third).
        insertTeam(roId, 1, QStringLiteral("Lee-Cox"), 4, 6, 7);
        insertEntry(QStringLiteral("Times"), roId, QStringLiteral("TR"), 1, 1, 1, 1, 1);
        exec(QStringLiteral("UPDATE Times SET RideTime = 8500, PenTime = 0, Suc = 1 WHERE EvId = 'TR'"));

        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
    }

    void setScore(quint32 ptId, int go, int total)
    {
        exec(
            QStringLiteral("UPDATE Scores SET JTot = ?, Suc = 1 WHERE EvId = 'SB' AND GoId = ? AND ptId = ?"),
            {total, go, ptId});
    }

    // The position of an event in the open rodeo's list.
    int eventIndex(const QString& id) const
    {
        for (int i = 0; i < db->events().size(); ++i)
            if (db->events().at(i).id == id)
                return i;
        return -1;
    }

    int roId = 0;
};
