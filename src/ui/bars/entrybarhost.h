#pragma once

#include "db/changesource.h"
#include "db/records.h"
#include "results/resultrecord.h"

#include <QString>

// What an entry bar needs of the window it works for: saving a result the way
// the main window does (the row, the standings, the outputs), the latest time
// of the timing console, the message bar, the status line and the view's
// entry field.
class EntryBarHost
{
public:
    virtual ~EntryBarHost() = default;
    // source: what the result history says the change came from.
    virtual bool SaveResult(const RegEntry& entry, const ResultRecord& result,
                            ChangeSource source = ChangeSource::Program) = 0;
    virtual qint32 latestTimerTime() const = 0;
    // The contestant whose messages the message bar shows (0: none).
    virtual void showContestantMessages(quint32 plrId) = 0;
    virtual void FocusEntry() = 0;
    virtual void showStatus(const QString& text) = 0;
};
