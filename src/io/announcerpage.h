#pragma once

#include "competitortext.h"
#include "monitorpages.h"

#include <optional>

class CDatabaseManager;
struct EventCfg;

// The announcer's page: the current go-round standing (rows 0 to 5), the
// current competitor (7, 8), the overall standing (10 to 20) and the current
// competitor again (21, 22). Each refresh code rewrites its part:
//   1 to 4: the headers, then as 5;  5 and 8: the current competitor (codes 2
//   to 4 and 8 stop there when he has no result);  9: the go-round leaders;
//   10: the overall leaders. Each code also does everything after its own
//   step; 6, 7 and other codes change nothing.
class AnnouncerPage final : public MonitorPages
{
public:
    static constexpr int Width = 80;
    static constexpr int GoLeaderRows = 4;      // rows 2 to 5
    static constexpr int OverallLeaderRows = 9; // rows 12 to 20

    void format(int code, QStringList& page, OutputContext& context, const ScoreboardState& state) override;

    // Writes text at (row, column): lines are added up to the row and the
    // line padded to the column first.
    static void write(QStringList& page, int row, int column, const QString& text);
    static void clearRow(QStringList& page, int row);

private:
    void headers(QStringList& page) const;
    void columnTitles(QStringList& page, int row) const;
    bool currentCompetitor(QStringList& page) const;
    void leaders(QStringList& page, bool overall, int pageIndex, int linesPerPage) const;
    // The competitor at column 5 and his results under the go-round columns.
    void competitorRow(QStringList& page, int row, EntryKey key) const;
    void detailRow(QStringList& page, int row) const;
    QString valueText(quint32 value) const;
    int firstShownGoRound() const;

    CDatabaseManager* m_db = nullptr;
    const EventCfg* m_event = nullptr;
    std::optional<CompetitorText> m_names;
    int m_go = 0;
    EntryKey m_key = 0;
    bool m_scored = true;
    bool m_team = false;
    bool m_fraction = false;
    int m_precision = 3;
};
