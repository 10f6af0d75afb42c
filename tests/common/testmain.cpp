#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#ifdef TALLYRA_TEST_GUI
#include <QApplication>
#endif

int main(int argc, char** argv)
{
    // Tests never touch the operator's real data folder: fall back to a private
    // one even when run outside ctest.
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME")) {
        const QString scratch = QDir::tempPath() + QStringLiteral("/tallyra-test-home");
        qputenv("XDG_DATA_HOME", (scratch + QStringLiteral("/data")).toUtf8());
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    ::testing::InitGoogleTest(&argc, argv);
#ifdef TALLYRA_TEST_GUI
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
