#pragma once

#include "db/records.h"
#include "results/resultrecord.h"
#include "results/scoringsettings.h"

#include <QString>
#include <array>
#include <optional>

// What the user-interface thread tells the timer input about the scoring
// table: the current entry, its event's scoring settings and the entry's
// result as its go-round standing holds it (none when the entry is not in that
// standing). A copy, so that the timer port's thread never reaches into the
// database manager or the standings.
struct TimerSnapshot
{
    RegEntry entry; // event id, go-round, performance, ptId, entry number
    ScoringSettings scoring;
    std::optional<ResultRecord> stored;

    // The same entry: event, go-round, performance, competitor and entry number.
    bool sameEntry(const TimerSnapshot& other) const;
};

// The timing console's image, read block by block: the running time, and the
// result of the current entry taken from the console's time (timed events) or
// its judges' marks (scored events). No threads and no locks: TimerInput owns
// one and serialises every call.
//
// Image positions (a field is read only when one block covers all of it):
//   0 (9)   running time          27 (1)  "s" while a ride is stopped
//   34 (5)  score                 204 (1) status (scored)   205 (1) status (timed)
//   230 (9) run time              239 (8) penalty time
//   304 (5) combined score        309 (1) scoring type and number of judges
//   343, 347, 351, 355 (4 each)   judges' rider marks (subtotals with subtotal scoring)
//   359, 363, 367, 371 (4 each)   judges' stock marks
//
// Rules this reader keeps beyond the console's plain image:
// - A field that is all spaces is absent: it never overwrites a score, a
//   status, a mark or a time. A text that is no number counts as absent too.
// - Time texts lose their trailing spaces before inner spaces read as "0", so
//   "12.3     " is 12.3 s and not 12.3 followed by five zeros.
// - The penalty this reader added comes off again when the console clears its
//   penalty, as long as the result still holds at least that much penalty.
// - The added penalty, the running flag and the remembered combined score and
//   subtotals belong to one entry: they are forgotten when the entry changes.
// - When the console's scoring configuration disagrees with the event, no mark
//   or score of that block is taken. A mark over the highest allowed mark, or a
//   subtotal below its stock mark, is not taken either: no mark of that block
//   is. The clock says why.
// - Blocks that cannot be part of the image (empty, beyond it, or holding
//   characters that are not printable ASCII) are ignored.
class TimerFeed
{
public:
    // The console's image ends with the fourth judge's stock mark.
    static constexpr int ImageLength = 375;
    // How far a block may reach past either end of the image and still be
    // read: consoles pad their blocks a little; anything further off is not
    // this image.
    static constexpr int ImageMargin = 128;

    struct Outcome
    {
        bool ignored = false;               // the block was not read at all
        std::optional<QString> runningTime; // the running time text to show
        // The clock's message after this block: a check failed (its text) or
        // every check that ran passed (empty). None when it did not change.
        std::optional<QString> clockMessage;
        // A result that differs from the stored one, to be saved for entry.
        std::optional<ResultRecord> result;
        RegEntry entry;
    };

    // False for a block that is empty, lies outside the image and its margin,
    // or holds a character outside printable ASCII.
    static bool isReadable(const QString& text, qint64 offset);

    // A new picture of the scoring table (none: nothing is current). A snapshot
    // of another entry forgets everything this reader kept for the last one.
    void setSnapshot(std::optional<TimerSnapshot> snapshot);
    const std::optional<TimerSnapshot>& snapshot() const { return m_snapshot; }

    Outcome onData(const QString& text, int offset);

    // What is kept for the current entry.
    quint32 addedPenalty() const { return m_addedPenalty; }
    bool rideRunning() const { return m_running; }
    std::optional<quint32> lastCombinedScore() const { return m_lastCombined; }
    std::optional<quint32> lastSubtotal(int judge) const;

private:
    void forgetEntry();
    // Steps for a timed and a scored event; true when a field was taken.
    bool readTimed(const QString& text, qint64 offset, ResultRecord& r);
    bool readScored(const QString& text, qint64 offset, const std::optional<QString>& runningText,
                    ResultRecord& r, Outcome& out);

    std::optional<TimerSnapshot> m_snapshot;
    quint32 m_addedPenalty = 0;
    bool m_running = false;
    std::optional<quint32> m_lastCombined;
    std::array<std::optional<quint32>, 4> m_lastSubtotals;
    std::optional<QString> m_clockShown; // the last clock message handed out
};

// The console's time text as a time value: trailing spaces go, the remaining
// spaces read as "0", then minutes ":" seconds "." fraction. None for a blank
// text or one holding anything but digits, spaces, ":" and ".".
std::optional<quint32> TimerTimeValue(const QString& text);

// The console's score or mark text in hundredths: with a point the decimals
// are padded (or cut) to two, without one the number is whole points. Spaces
// around it are ignored. None for a blank text or one that is not a number.
std::optional<quint32> TimerScoreValue(const QString& text);
