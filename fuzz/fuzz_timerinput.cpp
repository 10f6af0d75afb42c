// Arbitrary bytes as the timing console's blocks, handed to the timer input
// with a scored or a timed event current, the way the port's thread does. A
// save is published back as the main window does after SaveResult. Besides
// crashes and sanitizer reports, what the input hands over must be a result
// the program can hold.
//
// Input: one byte choosing the event, then operations:
//   0 or 1  a block: offset as a 16-bit signed number, length (16 bits), text
//   2       a block: offset as a 32-bit signed number, length (16 bits), text
//   3       another entry becomes current (its stored result from the next byte)
#include "io/timerinput.h"
#include "io/timersink.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

class CheckingSink : public TimerSink
{
public:
    void postRunningTime(const QString& text) override { require(text.size() == 9); }
    void saveTimerResult(const RegEntry& entry, const ResultRecord& record) override
    {
        require(entry.ptId != 0);
        require(record.status.size() <= 1);
        require(!timed || record.time >= record.penalty);
        for (int j = 0; j < 4; ++j)
            require(record.JR[j] <= 10000 && record.JS[j] <= 10000);
        saved = record;
    }
    void showClockMessage(const QString&) override {}

    bool timed = false;
    std::optional<ResultRecord> saved;
};

struct Reader
{
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool has(size_t n) const { return size - at >= n; }
    uint8_t byte() { return has(1) ? data[at++] : 0; }
    uint16_t word() { return uint16_t(byte() | (byte() << 8)); }
    uint32_t dword() { return uint32_t(word()) | (uint32_t(word()) << 16); }
};

ScoringSettings eventFor(uint8_t choice)
{
    static const char* const judges[] = {"1", "2", "4", "3"};
    static const char* const modes[] = {"Combined", "Subtotal", "Separate", ""};
    ScoringSettings s;
    s.scoringKind = QString::fromLatin1(choice & 1 ? "Scored" : "Timed");
    s.entryKind = QStringLiteral("Individual");
    s.goRounds = QStringLiteral("1");
    s.judgeCount = QString::fromLatin1(judges[(choice >> 1) & 3]);
    s.judgeMode = QString::fromLatin1(modes[(choice >> 3) & 3]);
    s.fraction = QString::fromLatin1(choice & 0x20 ? "Fraction" : "Full");
    s.precision = QStringLiteral("0.01");
    s.ranking = QStringLiteral("Shortest to Longest");
    return s;
}

TimerSnapshot snapshotFor(const ScoringSettings& event, quint32 ptId, uint8_t stored)
{
    static const char* const statuses[] = {"", "R", "N", "P"};
    TimerSnapshot s;
    s.entry.eventId = QStringLiteral("EV");
    s.entry.goRound = 1;
    s.entry.ptId = ptId;
    s.scoring = event;
    ResultRecord r;
    r.key = makeEntryKey(ptId, 1);
    r.setStatus(QString::fromLatin1(statuses[stored & 3]));
    if (stored & 4) {
        r.penalty = 5000;
        r.time = 17340;
    }
    s.stored = r;
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in{data, size};
    const ScoringSettings event = eventFor(in.byte());
    CheckingSink sink;
    sink.timed = !event.isScored();
    TimerInput timer;
    timer.setSink(&sink);
    quint32 ptId = 1;
    TimerSnapshot current = snapshotFor(event, ptId, 0);
    timer.publishSnapshot(current);

    while (in.has(1)) {
        const uint8_t op = in.byte() & 3;
        if (op == 3) {
            current = snapshotFor(event, ++ptId, in.byte());
            timer.publishSnapshot(current);
            continue;
        }
        const int offset = op == 2 ? int(int32_t(in.dword())) : int(int16_t(in.word()));
        const size_t length = std::min<size_t>(in.word(), in.size - in.at);
        const QString text =
            QString::fromLatin1(reinterpret_cast<const char*>(in.data + in.at), qsizetype(length));
        in.at += length;
        timer.OnData(text, offset);
        if (sink.saved) {
            // What the main window does once it saved.
            current.stored = *sink.saved;
            sink.saved.reset();
            timer.publishSnapshot(current);
        }
    }
    require(timer.ignoredBlocks() <= timer.receivedBlocks());
    return 0;
}
