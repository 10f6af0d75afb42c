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
    // The operator has selected another contestant than the current one: a
    // run the console starts now is nobody's until a display key makes the
    // selected contestant current.
    bool otherSelected = false;

    // The same entry: event, go-round, performance, competitor and entry number.
    bool sameEntry(const TimerSnapshot& other) const;
};

// The clock's messages about runs the console holds that are not taken.
inline constexpr QLatin1StringView TimerEarlierRunMessage{
    "The timer still shows an earlier run: it was not taken. Reset the timer."};
inline constexpr QLatin1StringView TimerOtherSelectedMessage{
    "Another contestant is selected: the timer's run is not taken. Press a display key to make the "
    "selected contestant current."};

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
// Whose run it is. A console shows its last run until it is reset, and
// repeats that image; the reader must never take it for whoever is current
// now. So a result from the console belongs to a run, and a run to the entry
// that was current when the run began:
// - A run begins when the clock starts again (it counts up from 0, or from
//   below where it stood), or when a clock that belongs to nobody is seen
//   running. A contestant selected in the list but not made current (another
//   is current) owns no run: nothing is taken, and the clock says so.
// - Judges' marks, a score or a status that the console changes while the
//   current entry does not own its run start a run for the current entry.
// - Only what the console changes is taken (a field whose text differs from
//   the last time the console sent it; after a run began every field counts
//   as changed). An image merely repeated is never taken, so a result typed
//   by hand stands until the console shows a new run or new marks. A repeated
//   image that disagrees with the current entry's result writes nothing and
//   the clock says that the timer still shows an earlier run.
// - A reset (the clock at 0 with no result fields) ends the run and takes
//   nothing, so clearing the console never clears a saved penalty.
//
// Other rules this reader keeps beyond the console's plain image:
// - A field that is all spaces is absent: it never overwrites a score, a
//   status, a mark or a time; but a blank penalty is no penalty. A text that is
//   no number counts as absent.
// - Time texts lose their trailing spaces before inner spaces read as "0", so
//   "12.3     " is 12.3 s and not 12.3 followed by five zeros.
// - The penalty this reader added follows the console's penalty: raised from 5
//   to 10 s it becomes 10, cleared it comes off, as long as the result still
//   holds at least that much penalty (the operator may have changed it).
// - A new run of a timed event starts from no time, no penalty and no status.
// - When the console's scoring configuration disagrees with the event, no mark
//   or score of that block is taken. A mark over the highest allowed mark, or a
//   subtotal below its stock mark, is not taken either: no mark of that block
//   is. The clock says why.
// - Line ends and other control characters at the end of a block are dropped;
//   the part of a block outside the image is ignored. A block is dropped whole
//   only when it is empty, lies wholly outside the image, or holds a character
//   that is not printable ASCII inside one of the fields it covers.
class TimerFeed
{
public:
    // The console's image ends with the fourth judge's stock mark.
    static constexpr int ImageLength = 375;

    struct Outcome
    {
        bool ignored = false;               // the block was not read at all
        bool cut = false;                   // part of it lay outside the image
        std::optional<QString> runningTime; // the running time text to show
        // The clock's message after this block: a check failed or a run was
        // not taken (its text), or every check passed (empty). None when it
        // did not change.
        std::optional<QString> clockMessage;
        // A result that differs from the stored one, to be saved for entry.
        std::optional<ResultRecord> result;
        RegEntry entry;
    };

    // The part of a block that is read: its text within the image and the
    // offset of its first character; none when nothing of it can be read.
    struct Readable
    {
        QString text;
        int offset = 0;
        bool cut = false; // characters outside the image were left out
    };
    static std::optional<Readable> readablePart(const QString& text, qint64 offset);

    // A new picture of the scoring table (none: nothing is current). A snapshot
    // of another entry forgets what this reader kept for the last one.
    void setSnapshot(std::optional<TimerSnapshot> snapshot);
    const std::optional<TimerSnapshot>& snapshot() const { return m_snapshot; }

    Outcome onData(const QString& text, int offset);

    // What is kept for the current entry.
    quint32 addedPenalty() const { return m_addedPenalty; }
    bool rideRunning() const { return m_running; }
    std::optional<quint32> lastCombinedScore() const { return m_lastCombined; }
    std::optional<quint32> lastSubtotal(int judge) const;
    // The current entry owns the console's run.
    bool ownsRun() const;

    enum Field {
        StopFlag,
        Score,
        ScoredStatus,
        TimedStatus,
        RunTime,
        Penalty,
        CombinedScore,
        ScoringType,
        FirstRiderMark,
        FirstStockMark = FirstRiderMark + 4,
        FieldCount = FirstStockMark + 4
    };

private:
    // Which fields a reading may use: only those the console changed, or
    // every field it shows (to tell whether a repeated image disagrees).
    using Usable = std::array<bool, FieldCount>;

    void forgetEntry();
    void forgetRun();
    // Steps for a timed and a scored event; true when a field was taken.
    // added is the penalty this reader has put into r. Only an owned reading
    // keeps what it learns (the ride running, combined score, subtotals).
    bool readTimed(const QString& text, qint64 offset, const Usable& use, quint32& added, ResultRecord& r);
    bool readScored(const QString& text, qint64 offset, const std::optional<QString>& runningText,
                    const Usable& use, bool owned, ResultRecord& r, QString& message, bool& checked);

    std::optional<TimerSnapshot> m_snapshot;
    quint32 m_addedPenalty = 0;
    bool m_running = false;
    std::optional<quint32> m_lastCombined;
    std::array<std::optional<quint32>, 4> m_lastSubtotals;
    // The last clock message handed out (the clock starts with none).
    std::optional<QString> m_clockShown = QString();

    // The console's side: the text of each field as last received (none: not
    // seen yet), the clock's last value, and the entry whose run it shows.
    std::array<std::optional<QString>, FieldCount> m_seen;
    std::optional<quint32> m_lastClock;
    std::optional<RegEntry> m_owner;
    bool m_freshRun = false; // the owner's next reading starts a new result
};

// The console's time text as a time value: trailing spaces go, the remaining
// spaces read as "0", then minutes ":" seconds "." fraction. None for a blank
// text or one holding anything but digits, spaces, ":" and ".".
std::optional<quint32> TimerTimeValue(const QString& text);

// The console's score or mark text in hundredths: with a point the decimals
// are padded (or cut) to two, without one the number is whole points. Spaces
// around it are ignored. None for a blank text or one that is not a number.
std::optional<quint32> TimerScoreValue(const QString& text);
