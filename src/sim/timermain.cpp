// scorvane-timer: the timing-console simulator on its own. It sends to UDP
// port 21000 on 127.0.0.1 unless told otherwise; --pty makes a
// pseudo-terminal pair and prints the device the program should open.
#include "sim/simports.h"
#include "windows/timingconsolewindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("scorvane-timer"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Timing console simulator for Scorvane Rodeo"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("host"), QStringLiteral("Send to this host."), QStringLiteral("host"),
                      QStringLiteral("127.0.0.1")});
    parser.addOption({QStringLiteral("udp"), QStringLiteral("Send to this UDP port."), QStringLiteral("port")});
    parser.addOption({QStringLiteral("pty"), QStringLiteral("Send through a new pseudo-terminal pair.")});
    parser.addOption({QStringLiteral("script"), QStringLiteral("Play a script file."), QStringLiteral("file")});
    parser.process(app);

    TimingConsoleWindow window;
    bool ok = true;
    const int port = parser.isSet(QStringLiteral("udp")) ? parser.value(QStringLiteral("udp")).toInt(&ok)
                                                         : SimPorts::TimerPort;
    if (!ok || port < 1 || port > 65535) {
        fprintf(stderr, "scorvane-timer: the UDP port must be a number from 1 to 65535\n");
        return 2;
    }
    if (parser.isSet(QStringLiteral("pty"))) {
        ConsoleLink::Settings settings;
        settings.kind = ConsoleLink::Pty;
        if (!window.driver().link().open(settings)) {
            fprintf(stderr, "scorvane-timer: %s\n", qPrintable(window.driver().link().error()));
            return 1;
        }
        printf("%s\n", qPrintable(window.driver().link().ptyDevice()));
        fflush(stdout);
    } else {
        window.setUdpTarget(parser.value(QStringLiteral("host")), port);
        window.connectLink();
    }
    if (parser.isSet(QStringLiteral("script")) && !window.playScript(parser.value(QStringLiteral("script"))))
        fprintf(stderr, "scorvane-timer: the script cannot be played\n");
    window.show();
    return app.exec();
}
