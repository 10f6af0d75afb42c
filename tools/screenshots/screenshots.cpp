// Writes PNG pictures of the main window and of the dialogs into a folder, under
// the offscreen platform, so that they can be looked at without a display.
// Usage: tallyra-screenshots <output folder>
#include "screenshotsuite.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    qputenv("SCORVANE_PROMPTS", "stderr");

    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);

    ScreenshotSuite suite(out, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"));
    const int written = suite.run();
    std::printf("%d screenshots written to %s\n", written, qPrintable(QDir(out).absolutePath()));
    return written > 0 ? 0 : 1;
}
