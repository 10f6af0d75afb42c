// The application state file (Tallyra.xml): whatever it holds, the program
// starts with it or with a fresh one, and its settings read and write.
#include "app/filemgr.h"
#include "fuzzsupport.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::application();
    const QString folder = fuzz::dataFolder() + QStringLiteral("state/");
    QDir().mkpath(folder);
    fuzz::writeFile(folder + QStringLiteral("Tallyra.xml"), data, size);
    {
        FileMgr files(folder);
        files.Create();
        QString value;
        files.GetCfgAtt(value, 0, QStringLiteral("season"));
        files.GetCfgAtt(value, 1, QStringLiteral("curView"));
        files.GetCfgAtt(value, 2, QStringLiteral("curEvn"), QStringLiteral("CViewRunPerf"));
        files.GetCfgAtt(value, 3, QStringLiteral("left"), QStringLiteral("CViewRunPerf"),
                        QStringLiteral("IDC_LIST_RESULTS"));
        WindowRect rect;
        files.GetSize(rect, 1);
        files.GetSize(rect, 3, QStringLiteral("CViewRegEntry"), QStringLiteral("IDC_LIST_EVENTS"));
        files.SetCfgAtt(QStringLiteral("Fuzz"), 0, QStringLiteral("season"));
        files.SetSize(rect, 1);
        files.takeNotices();
    } // the state file is written back here
    for (const QString& bad : QDir(folder).entryList({QStringLiteral("*.bad*")}))
        QFile::remove(folder + bad);
    return 0;
}
