#include "loopbacksetup.h"

#include "ioconfiguration.h"
#include "outputmanager.h"
#include "platform/stream/txstream.h"

#include <QFile>
#include <QSet>

namespace {
const QString OwnFile = QStringLiteral("IO.xml");
}

void LoopbackSetup::pointAtSimulators(IoConfiguration& config, int scoreboardPort, int timerPort, int otherPort)
{
    QSet<int> scoreboards;
    for (const auto& rip : config.rips)
        scoreboards.insert(rip->port());
    const int timer = config.timer ? config.timer->port() : 0;
    for (int number = 1; number <= config.portCount(); ++number) {
        StreamPort* port = config.port(number);
        port->setKind(StreamPort::Udp);
        TxStream& stream = port->stream();
        stream.setUdpPort(number == timer ? timerPort : scoreboards.contains(number) ? scoreboardPort : otherPort);
        stream.setDestinationHost(QStringLiteral("127.0.0.1"));
        stream.setListenAddress(QString());
    }
}

bool LoopbackSetup::isOn(const OutputManager& manager)
{
    return manager.configurationFileName() == QLatin1String(FileName);
}

bool LoopbackSetup::switchOn(OutputManager& manager, int scoreboardPort, int timerPort, int otherPort)
{
    if (isOn(manager))
        return true;
    const QString own = manager.configurationPath();
    const QString copyPath = manager.dataFolder() + QLatin1String(FileName);
    if (QFile::exists(copyPath) && !QFile::remove(copyPath))
        return false;
    if (QFile::exists(own) && !QFile::copy(own, copyPath))
        return false;
    const bool running = manager.communicationsStarted();
    manager.setConfigurationFileName(QLatin1String(FileName));
    IoConfiguration copy;
    manager.CopyConfiguration(copy);
    pointAtSimulators(copy, scoreboardPort, timerPort, otherPort);
    if (!manager.ApplyDialogChanges(copy, running)) {
        // The copy could not be written: back to the operator's own file.
        manager.setConfigurationFileName(OwnFile);
        manager.LoadConfiguration();
        if (running)
            manager.StartCommunications();
        return false;
    }
    return true;
}

bool LoopbackSetup::switchOff(OutputManager& manager)
{
    if (!isOn(manager))
        return true;
    const bool running = manager.communicationsStarted();
    manager.setConfigurationFileName(OwnFile);
    const bool loaded = manager.LoadConfiguration() == 0;
    if (running) {
        manager.StartCommunications();
        manager.Refresh(1);
    }
    return loaded;
}
