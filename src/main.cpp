#include "app/startenvironment.h"
#include "ui/tallyraapp.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Without a display Qt would abort with a core dump: say what is missing
    // and how to run the program instead.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
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
