#pragma once

#include <QStringList>

// Formats the announcer page (80-column text lines) for a refresh code. The
// page belongs to the output manager and is rebuilt in place, only the parts
// the code names.
class MonitorPages
{
public:
    virtual ~MonitorPages() = default;
    virtual void format(int code, QStringList& page) = 0;
};

// Leaves the page as it is: used until the announcer page formatting is built,
// so monitors receive only lines that something else put on the page.
class NoMonitorPages final : public MonitorPages
{
public:
    void format(int, QStringList&) override {}
};
