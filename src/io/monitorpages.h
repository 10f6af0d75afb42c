#pragma once

#include <QStringList>

class OutputContext;
struct ScoreboardState;

// Formats the announcer page (80-column text lines) for a refresh code. The
// page belongs to the output manager and is rebuilt in place, only the parts
// the code names.
class MonitorPages
{
public:
    virtual ~MonitorPages() = default;
    virtual void format(int code, QStringList& page, OutputContext& context,
                        const ScoreboardState& state) = 0;
};
