#include "app/startenvironment.h"
#include "app/vncdisplay.h"
#include "ui/tallyraapp.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    // --vnc: a display of our own, served to a VNC viewer. It outlives the
    // application object declared after it.
    const VncDisplay::Request vnc = VncDisplay::request(arguments);
    VncDisplay vncDisplay;
    if (!vnc.error.isEmpty()) {
        std::fprintf(stderr, "scorvane-rodeo: %s\n", qPrintable(vnc.error));
        return 2;
    }
    if (vnc.asked) {
        QString error;
        if (!vncDisplay.start(vnc, error)) {
            std::fprintf(stderr, "scorvane-rodeo: %s\n", qPrintable(error));
            return 2;
        }
        std::fprintf(stderr, "%s\n", qPrintable(VncDisplay::servingMessage(vnc)));
    }

    // Without a display Qt would abort with a core dump: say what is missing
    // and how to run the program instead.
    const QString missing = StartEnvironment::missingDisplayMessage(StartEnvironment::systemGetenv, arguments);
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scorvane Rodeo"));
    QApplication::setApplicationVersion(QStringLiteral("1.4.3.0"));
    QApplication::setOrganizationName(QStringLiteral("Lumavantis"));
    QApplication::setDesktopFileName(QStringLiteral("scorvane-rodeo"));

    CTallyraApp tallyra;
    tallyra.setOpenDemo(QCoreApplication::arguments().contains(QStringLiteral("--demo")));
    if (!tallyra.InitInstance())
        return 0;
    return app.exec();
}
