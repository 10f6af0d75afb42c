#pragma once

#include <QString>

// The display profile settings the outputs are formatted with.
struct DisplayProfileSettings
{
    QString display;     // contestant name format ("Last, First", ...)
    QString teamDisplay; // "Last/Last" or "Name"
    int paging = 0;      // leaders per page
};

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
