// Display profiles (.rpf): whatever a profile holds, choosing it and pressing
// its keys ends in captions and key elements or in nothing, never a crash.
#include "app/filemgr.h"
#include "fuzzsupport.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::application();
    static const QString folder = [] {
        const QString f = fuzz::dataFolder() + QStringLiteral("profiles/");
        QDir().mkpath(f);
        return f;
    }();
    static FileMgr* files = [] {
        auto* m = new FileMgr(folder);
        m->Create();
        return m;
    }();
    fuzz::writeFile(folder + QStringLiteral("Fuzz.rpf"), data, size);
    if (!files->SetCurProf(QStringLiteral("Fuzz")))
        return 0;
    for (const char* event : {"Bareback", "Team Roping", "Barrel Racing", "Cutting"}) {
        const QStringList captions = files->GetKeyCaptions(QString::fromLatin1(event));
        fuzz::check(captions.size() == 33);
        for (const char* key : {"F2", "CTRL+F12", "SHIFT+F7"})
            files->DisplayButtonPressed(QString::fromLatin1(event), QString::fromLatin1(key));
    }
    files->curProfileSettings();
    return 0;
}
