#pragma once

#include "app/displayprofilesettings.h"

#include <QString>

// What the output manager needs to know about the scoring table, given by the
// main window once communications start.
class OutputContext
{
public:
    virtual ~OutputContext() = default;

    // A current run-performance state (event, go-round, performance) exists.
    virtual bool hasCurrentRunPerformance() const = 0;
    // The main window's two leaders flags (index 0 and 1).
    virtual bool leadersFlag(int index) const = 0;
    // The current display profile's settings.
    virtual DisplayProfileSettings currentProfile() const = 0;
};

// Used until the main window hands over its own: nothing is current, no
// leaders flag is set, no profile is loaded.
class NullOutputContext final : public OutputContext
{
public:
    bool hasCurrentRunPerformance() const override { return false; }
    bool leadersFlag(int) const override { return false; }
    DisplayProfileSettings currentProfile() const override { return {}; }
};
