#pragma once

// The default ports of the built-in IO configuration (docs/rtd-protocol.md,
// "Default ports"), which the simulators use unless told otherwise: the
// scoreboard simulator listens where the program's RIP streams send, the
// timing-console simulator sends where the program's timer input listens.
namespace SimPorts {
constexpr int ScoreboardPort = 20000;
constexpr int TimerPort = 21000;
constexpr int AnnouncerPort = 17000;
} // namespace SimPorts
