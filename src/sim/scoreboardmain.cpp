// scorvane-scoreboard: the scoreboard simulator on its own, for a second
// machine. It listens at once: on UDP port 20000 unless told otherwise.
#include "sim/simports.h"
#include "windows/scoreboardwindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("scorvane-scoreboard"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Scoreboard simulator for Scorvane Rodeo"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("udp"), QStringLiteral("Listen on this UDP port."), QStringLiteral("port")});
    parser.addOption({QStringLiteral("replay"), QStringLiteral("Replay a recording."), QStringLiteral("file")});
    parser.process(app);

    ScoreboardWindow window;
    bool ok = false;
    const int port = parser.isSet(QStringLiteral("udp")) ? parser.value(QStringLiteral("udp")).toInt(&ok)
                                                         : SimPorts::ScoreboardPort;
    if (parser.isSet(QStringLiteral("udp")) && (!ok || port < 1 || port > 65535)) {
        fprintf(stderr, "scorvane-scoreboard: the UDP port must be a number from 1 to 65535\n");
        return 2;
    }
    window.setUdpPort(port);
    if (parser.isSet(QStringLiteral("replay")))
        window.replay(parser.value(QStringLiteral("replay")));
    else
        window.listen();
    window.show();
    return app.exec();
}
