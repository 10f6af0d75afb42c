#pragma once

#include "monitorstream.h"
#include "requestlink.h"
#include "ripstream.h"
#include "streamport.h"
#include "timerinput.h"

#include <memory>
#include <vector>

// The input/output configuration: the ports and what uses them. Items refer to
// ports by port number, the 1-based position in the port list (0: none).
//
// The output manager owns the live one; the Input/Output dialog edits a full
// copy (clone()) and hands it back.
struct IoConfiguration
{
    IoConfiguration();
    ~IoConfiguration();
    IoConfiguration(IoConfiguration&&) noexcept;
    IoConfiguration& operator=(IoConfiguration&&) noexcept;

    std::vector<std::unique_ptr<StreamPort>> ports;
    std::unique_ptr<TimerInput> timer; // never null
    std::vector<std::unique_ptr<RipStream>> rips;
    std::vector<std::unique_ptr<RequestLink>> requests;
    std::vector<std::unique_ptr<MonitorStream>> monitors;

    // The port with that number, or null.
    StreamPort* port(int number) const;
    int portCount() const { return int(ports.size()); }

    // Clears every port's user list and attaches again: the timer (port above
    // 0), each RIP stream, each request to both of its ports, each monitor.
    void attachUsers();

    // A full copy with closed ports and its users attached.
    IoConfiguration clone() const;

    void clear();
};
