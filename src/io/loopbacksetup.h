#pragma once

#include <QString>

class OutputManager;
struct IoConfiguration;

// Rehearsal on one machine: the program's ports pointed at the scoreboard and
// timing-console simulators on 127.0.0.1. Switching on copies the operator's
// "IO.xml" to "IO-loopback.xml" in the same folder, changes the copy's ports
// and makes the output manager use the copy; switching off goes back to
// "IO.xml", which is never written meanwhile. Every start of the program uses
// "IO.xml".
class LoopbackSetup
{
public:
    static constexpr const char* FileName = "IO-loopback.xml";

    // Every port becomes a UDP port to 127.0.0.1: the timer's port is
    // numbered timerPort (the program listens there), every port a RIP stream
    // uses scoreboardPort, and any other port (announcers, requests)
    // otherPort. Names, users and the other settings stay.
    static void pointAtSimulators(IoConfiguration& config, int scoreboardPort, int timerPort, int otherPort);

    static bool isOn(const OutputManager& manager);
    // False (and nothing changed) when the copy cannot be written. The ports
    // are reopened; communications restart when they were running.
    static bool switchOn(OutputManager& manager, int scoreboardPort, int timerPort, int otherPort);
    static bool switchOff(OutputManager& manager);
};
