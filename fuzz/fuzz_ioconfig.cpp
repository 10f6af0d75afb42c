// The input/output configuration reader: whatever IO.xml holds, reading it
// ends in a configuration or a message, never a crash. The ports are never
// opened: a made-up file must not reach a device or the network.
#include "fuzzsupport.h"
#include "io/outputmanager.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::application();
    static fuzz::QuietPrompt prompt;
    static OutputManager* manager = new OutputManager(fuzz::dataFolder(), prompt);
    const QString path = fuzz::dataFolder() + QStringLiteral("IO.xml");
    fuzz::writeFile(path, data, size);
    const int shownBefore = prompt.shown;
    const int status = manager->LoadConfiguration(false);
    // A failure is always told.
    fuzz::check(status == 0 || prompt.shown > shownBefore);
    // Files kept aside after a failed read are not this run's business.
    for (const QString& bad : QDir(fuzz::dataFolder()).entryList({QStringLiteral("IO.xml.bad*")}))
        QFile::remove(fuzz::dataFolder() + bad);
    return 0;
}
