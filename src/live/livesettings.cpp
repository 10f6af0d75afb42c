#include "livesettings.h"

#include "app/filemgr.h"

#include <QDir>
#include <QHostAddress>

namespace {

const QString kElement = QStringLiteral("LiveResults");

QString attr(const FileMgr& files, const char* name)
{
    QString value;
    files.GetCfgAtt(value, 2, QString::fromLatin1(name), kElement);
    return value;
}

QString yesNo(bool on)
{
    return on ? QStringLiteral("Yes") : QStringLiteral("No");
}

} // namespace

QString LiveSettings::problem() const
{
    if (serve && port == 0)
        return QStringLiteral("Choose a port from 1 to 65535.");
    if (serve && !address.isEmpty() && QHostAddress(address).isNull())
        return QStringLiteral("\"%1\" is not an address of this computer.").arg(address);
    if (publishFolder && folder.trimmed().isEmpty())
        return QStringLiteral("Choose the folder to publish the live results to.");
    if (publishFolder && QDir::isRelativePath(folder.trimmed()))
        return QStringLiteral("Give the whole path of the folder to publish the live results to.");
    return QString();
}

LiveSettings LiveSettings::load(const FileMgr& files)
{
    LiveSettings s;
    s.serve = attr(files, "on") == QLatin1String("Yes");
    bool ok = false;
    const uint port = attr(files, "port").trimmed().toUInt(&ok);
    if (ok && port >= 1 && port <= 65535)
        s.port = quint16(port);
    s.address = attr(files, "address").trimmed();
    s.title = attr(files, "title");
    s.publishFolder = attr(files, "publish") == QLatin1String("Yes");
    s.folder = attr(files, "folder");
    return s;
}

bool LiveSettings::store(FileMgr& files) const
{
    const bool set = files.SetCfgAtt(yesNo(serve), 2, QStringLiteral("on"), kElement) &&
                     files.SetCfgAtt(QString::number(port), 2, QStringLiteral("port"), kElement) &&
                     files.SetCfgAtt(address, 2, QStringLiteral("address"), kElement) &&
                     files.SetCfgAtt(title, 2, QStringLiteral("title"), kElement) &&
                     files.SetCfgAtt(yesNo(publishFolder), 2, QStringLiteral("publish"), kElement) &&
                     files.SetCfgAtt(folder, 2, QStringLiteral("folder"), kElement);
    return set && files.SaveCfg();
}
