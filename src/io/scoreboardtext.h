#pragma once

#include "competitortext.h"
#include "db/records.h"
#include "results/resultrecord.h"
#include "scoreboardblocks.h"

#include <QStringList>
#include <optional>
#include <utility>

class CDatabaseManager;

// The scoreboard image of the event being run: rodeo lines (B0), event and
// go-round (B1), the competitor (B2), his message (B3), his animal (B4), his
// result (B5) and the go-round and overall leaders (B6, B7), in the Serial or
// the Network layout. Everything comes from the run-performance state: the
// database manager's current entry and the current event's standings.
//
// A block whose data is missing is logged and sent as spaces; without a
// current event the whole image goes out as spaces; without a season nothing
// is formatted. Runs where refreshes run: on the user-interface thread.
class ScoreboardText final : public ScoreboardBlocks
{
public:
    ScoreboardRun build(int code, BlockRange range, bool network, OutputContext& context,
                        ScoreboardState& state) override;

protected:
    void beginRun(int code, bool network, OutputContext& context, ScoreboardState& state) override;
    std::optional<QString> buildBlock(int block, bool network) override;
    QString continuationText(int code, bool network) override;
    void endRun(int code) override;

private:
    QString rodeoLines() const;
    QString eventLine() const;
    std::optional<QString> competitor() const;
    std::optional<QString> message() const;
    std::optional<QString> animal() const;
    std::optional<QString> result() const;
    std::optional<QString> goLeaders();
    std::optional<QString> overallLeaders();

    // Fields and lines.
    QString contestantBlock(const ContestantRec& c) const;
    void nameField(QString& out, const ContestantRec* c, bool longForm) const;
    void competitorNames(QString& out, quint32 ptId, bool longForm) const;
    QString valueField(quint32 value, int width) const;
    // Appends a leader, page or cut line, padded or cut to width.
    void leaderLine(QString& out, const ResultRecord& r, bool overall, bool longForm, int valueWidth,
                    bool endPrefix, int width) const;

    OutputContext* m_context = nullptr;
    ScoreboardState* m_state = nullptr;
    CDatabaseManager* m_db = nullptr;
    std::optional<CompetitorText> m_names;
    const EventCfg* m_event = nullptr;
    RegEntry m_entry;
    EntryKey m_key = 0;
    DisplayProfileSettings m_profile;
    QString m_p; // the field prefix: four spaces on the Network layout
    bool m_network = false;
    bool m_scored = true;
    bool m_team = false;
    bool m_fraction = false;
    int m_precision = 3;
    QString m_goContinuation;
    QString m_overallContinuation;

    // The contestant's message and the contractor's name are read from the
    // season; kept until a row of the season changes, since most refreshes
    // (display buttons, pages) change nothing there.
    using Stamp = std::pair<quint64, qint64>;
    struct MessageCache
    {
        Stamp stamp;
        quint32 plrId = 0;
        int number = -1;
        std::optional<QStringList> lines;
    };
    struct ContractorCache
    {
        Stamp stamp;
        quint32 coId = 0;
        QString name;
    };
    mutable std::optional<MessageCache> m_message;
    mutable std::optional<ContractorCache> m_contractor;
};
