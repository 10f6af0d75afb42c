#pragma once

#include <QString>
#include <QStringList>
#include <sys/types.h>

// The window served to a VNC viewer where there is no desktop
// (scorvane-rodeo --vnc): an Xvnc server (TigerVNC) gives the program an X
// display of its own and serves it on a TCP port. The session has no
// password, so the port listens on this machine's loopback addresses only
// (127.0.0.1 and ::1; reach it from elsewhere through "ssh -L") unless every
// address is asked for (--vnc-public).
//
// Use, before the QApplication exists: request() from the arguments, then
// start(), which points DISPLAY at the server's display. The server ends with
// this object, and with the program should it die first.
class VncDisplay
{
public:
    struct Request
    {
        bool asked = false;
        int port = 5900;
        bool everyAddress = false;
        QString error; // a malformed option: nothing is started
    };
    static constexpr int kDefaultPort = 5900;

    // --vnc[=PORT] or --vnc-public[=PORT] among the program's arguments.
    static Request request(const QStringList& arguments);
    // Xvnc's arguments; it writes its display number to displayFd when ready.
    static QStringList serverArguments(const Request& request, int displayFd);
    // The line printed once the window is served.
    static QString servingMessage(const Request& request);

    VncDisplay() = default;
    VncDisplay(const VncDisplay&) = delete;
    VncDisplay& operator=(const VncDisplay&) = delete;
    ~VncDisplay();

    // Starts the server and waits (up to 15 s) until it takes connections.
    // On failure error says why (Xvnc missing, the port taken, ...).
    bool start(const Request& request, QString& error);
    // ":N" once started.
    QString display() const { return m_display; }

private:
    pid_t m_pid = -1;
    QString m_display;
};
