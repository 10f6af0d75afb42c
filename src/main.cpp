#include "ui/tallyraapp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Scorvane Rodeo"));
    QApplication::setApplicationVersion(QStringLiteral("1.4.3.0"));
    QApplication::setOrganizationName(QStringLiteral("Lumavantis"));
    QApplication::setDesktopFileName(QStringLiteral("scorvane-rodeo"));

    CTallyraApp tallyra;
    if (!tallyra.InitInstance())
        return 0;
    return app.exec();
}
