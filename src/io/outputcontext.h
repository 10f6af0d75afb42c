#pragma once

#include "app/displayprofilesettings.h"
#include "results/resultrecord.h"

#include <QString>

class CDatabaseManager;

// What the output manager needs to know about the scoring table, given by the
// main window once communications start. Used from the user-interface thread.
class OutputContext
{
public:
    virtual ~OutputContext() = default;

    // The season's data and the run-performance state (its current entry and
    // the current event's standings); null when there is none, and then
    // nothing is formatted.
    virtual CDatabaseManager* database() const = 0;
    // A current run-performance state exists: the current entry names an
    // event of the open rodeo.
    virtual bool hasCurrentRunPerformance() const;
    // The main window's two leaders flags (index 0 and 1).
    virtual bool leadersFlag(int index) const = 0;
    // The current display profile's settings.
    virtual DisplayProfileSettings currentProfile() const = 0;

    // A display button that shows its competitor: the competitor of the
    // selected row (key 0: none) becomes the current one, the one the
    // scoreboards show. False when the current entry could not be set.
    virtual bool displayCompetitor(EntryKey key) = 0;
    // A display button for the announcer: the competitor he is told about.
    virtual void setAnnouncerCompetitor(EntryKey key) = 0;
};

// Used until the main window hands over its own: there is no season, nothing
// is current, no leaders flag is set, no profile is loaded.
class NullOutputContext final : public OutputContext
{
public:
    CDatabaseManager* database() const override { return nullptr; }
    bool leadersFlag(int) const override { return false; }
    DisplayProfileSettings currentProfile() const override { return {}; }
    bool displayCompetitor(EntryKey) override { return false; }
    void setAnnouncerCompetitor(EntryKey) override {}
};
