#pragma once

#include <QString>

class FileMgr;

// The operator's choices for the live results (Configure > Live Results),
// kept in the state file under Frame/LiveResults. Off by default.
struct LiveSettings
{
    static constexpr quint16 DefaultPort = 8080;

    bool serve = false; // the server on the arena's network
    quint16 port = DefaultPort;
    QString address; // the address to listen on; empty: every interface
    QString title;   // the pages' title; empty: the rodeo's name
    bool publishFolder = false;
    QString folder; // written after each save when publishFolder is set

    bool anyOn() const { return serve || publishFolder; }
    bool operator==(const LiveSettings&) const = default;

    // Why the choices cannot be used (empty when they can).
    QString problem() const;

    // Reads what the state file holds; a missing or unreadable value keeps
    // its default.
    static LiveSettings load(const FileMgr& files);
    // Stores the choices in the state file and writes the file at once, so
    // that they outlast a crash. False when it could not be written.
    bool store(FileMgr& files) const;
};
