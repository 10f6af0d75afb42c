// Seasons: one folder per season in the data folder, holding the season's
// database and its "season.cfg".
#include "databasemanager.h"

#include "app/log.h"
#include "app/userprompt.h"
#include "platform/errortext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace {

const char* const kSeasonTemplate = ":/xml/season.cfg";
const QString kIllegalSeasonChars = QStringLiteral("\\/:*?<>|\"");

QString seasonCfgPath(const QString& root, const QString& season)
{
    return root + season + QStringLiteral("/season.cfg");
}

// Renames without ever replacing an existing target; the system error number
// is returned (0 on success).
int renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray f = QFile::encodeName(from);
    const QByteArray t = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // The file system cannot refuse to replace by itself: check, then rename.
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return EEXIST;
    return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}

// The message the operator sees for a failed rename, by error number.
QString renameMessage(int error)
{
    switch (error) {
    case EACCES:
    case EEXIST:
    case ENOTEMPTY:
    case EPERM:
        return QStringLiteral("File or directory specified already exists or could not be created!");
    case ENOENT:
        return QStringLiteral("File or path specified not found!");
    case EINVAL:
        return QStringLiteral("Name contains invalid characters!");
    default:
        return QString();
    }
}

} // namespace

bool CDatabaseManager::IsValidSeasonName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.trimmed() != name)
        return false;
    for (const QChar c : name) {
        if (kIllegalSeasonChars.contains(c) || c.unicode() < 0x20)
            return false;
    }
    return true;
}

bool CDatabaseManager::EnumSeasons(QStringList& seasons) const
{
    const QDir root(m_dataFolder);
    const QStringList folders = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& folder : folders) {
        if (QFileInfo(DatabasePath(folder)).isFile())
            seasons.append(folder);
    }
    return !seasons.isEmpty();
}

bool CDatabaseManager::GetSeason(const QString& season, SeasonInfo& info) const
{
    const QString path = seasonCfgPath(m_dataFolder, season);
    XmlDocument doc;
    if (!IsValidSeasonName(season) || !doc.load(path)) {
        logReport("Failed to load the xml file.  DBMgr::GetSeason  Path:%s", path);
        return false;
    }
    struct Field
    {
        const char* xpath;
        QString* target;
        const char* message;
    };
    const Field fields[] = {
        {"./Season/@name", &info.name, "Failed to get the season node.  DBMgr::GetSeason  XML:%s XPath:%s"},
        {".//Profile/@name", &info.profile, "Failed to get the profile node.  DBMgr::GetSeason  XML:%s XPath:%s"},
        {".//Rule/@name", &info.rule, "Failed to get the rule node.  DBMgr::GetSeason  XML:%s XPath:%s"},
    };
    for (const Field& f : fields) {
        const QString xpath = QString::fromLatin1(f.xpath);
        const XmlNode node = doc.selectSingleNode(xpath);
        if (node.isNull()) {
            logReport(f.message, doc.xml(), xpath);
            return false;
        }
        *f.target = fitText(node.text(), Capacity::SeasonField);
    }
    return true;
}

bool CDatabaseManager::UpdateSeasonCfg(XmlDocument& doc, const QString& name, const QString& profile,
                                       const QString& rule) const
{
    struct Field
    {
        const char* xpath;
        const QString& value;
        const char* message;
    };
    const Field fields[] = {
        {"./Season/@name", name, "Failed to get the season node.  DBMgr::UpdateSeasonCfg  Error:%s"},
        {".//Profile/@name", profile, "Failed to get the profile node.  DBMgr::UpdateSeasonCfg  Error:%s"},
        {".//Rule/@name", rule, "Failed to get the rule node.  DBMgr::UpdateSeasonCfg  Error:%s"},
    };
    for (const Field& f : fields) {
        XmlNode node = doc.selectSingleNode(QString::fromLatin1(f.xpath));
        if (node.isNull() || !node.setText(f.value)) {
            logReport(f.message, errorDescription(doc.lastError()));
            return false;
        }
    }
    return true;
}

bool CDatabaseManager::CreateSeason(const QString& name, const QString& profile, const QString& rule)
{
    const QString folder = seasonFolder(name);
    if (!IsValidSeasonName(name) || !QDir().mkdir(folder)) {
        logReport("Failed to create a new directory.  DBMgr::CreateSeason  Path:%s", folder);
        return false;
    }
    const QString database = DatabasePath(name);
    if (!QFile::copy(m_templateDatabase, database)) {
        logReport("Failed to copy the template database.  DBMgr::CreateSeason  Season:%s", name);
        return false;
    }
    // A read-only template must still give a writable database.
    QFile::setPermissions(database, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                        QFileDevice::WriteGroup | QFileDevice::ReadOther);

    XmlDocument doc;
    if (!doc.load(QString::fromLatin1(kSeasonTemplate))) {
        logReport("Failed to load the season configuration info.  DBMgr::CreateSeason");
        return false;
    }
    UpdateSeasonCfg(doc, name, profile, rule); // logs its own failure; what the document holds is saved
    const QString cfg = seasonCfgPath(m_dataFolder, name);
    if (!doc.save(cfg)) {
        logReport("Failed to save the season configuration file.  DBMgr::CreateSeason  Path:%s", cfg);
        return false;
    }
    return true;
}

bool CDatabaseManager::EditSeason(const QString& oldName, const QString& newName, const QString& profile,
                                  const QString& rule)
{
    if (oldName.isEmpty() || newName.isEmpty())
        return false;
    if (!IsValidSeasonName(oldName) || !IsValidSeasonName(newName)) {
        m_prompt.inform(renameMessage(EINVAL));
        logReport("Failed to rename the season folder.  DBMgr::EditSeason  Error:%d", EINVAL);
        return false;
    }

    if (oldName != newName) {
        int error = renameNoReplace(seasonFolder(oldName), seasonFolder(newName));
        if (error != 0) {
            const QString message = renameMessage(error);
            if (!message.isEmpty())
                m_prompt.inform(message);
            logReport("Failed to rename the season folder.  DBMgr::EditSeason  Error:%d", error);
            return false;
        }
        const QString from = seasonFolder(newName) + QLatin1Char('/') + oldName + QStringLiteral(".mdb");
        const QString to = DatabasePath(newName);
        // A journal left beside the database holds committed results: it
        // moves with it, before the database itself.
        error = 0;
        if (QFileInfo::exists(from + QStringLiteral("-wal")))
            error = renameNoReplace(from + QStringLiteral("-wal"), to + QStringLiteral("-wal"));
        if (error == 0)
            error = renameNoReplace(from, to);
        if (error != 0) {
            const QString message = renameMessage(error);
            if (!message.isEmpty())
                m_prompt.inform(message);
            logReport("Failed to rename the season database file.  DBMgr::EditSeason  Error:%d", error);
            return false;
        }
        QFile::remove(from + QStringLiteral("-shm")); // rebuilt on the next open
    }

    const QString cfg = seasonCfgPath(m_dataFolder, newName);
    XmlDocument doc;
    if (!doc.load(cfg)) {
        logReport("Failed to load the xml file.  DBMgr::EditSeason  Path:%s", cfg);
        return false;
    }
    if (!UpdateSeasonCfg(doc, newName, profile, rule)) {
        logReport("Failed to update the season configuration.  DBMgr::EditSeason  Season:%s", newName);
        return false;
    }
    if (!doc.save(cfg)) {
        logReport("Failed to save the season configuration.  DBMgr::EditSeason  Path:%s", cfg);
        return false;
    }
    return true;
}

namespace {

// Empties a folder: sub-folders are emptied and removed, files and links are
// deleted (a link is removed itself, never followed). Stops at the first
// entry that cannot be deleted and reports it.
bool emptyFolder(const QString& path, QString& failedPath, QString& error)
{
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString p = entry.absoluteFilePath();
        if (entry.isDir() && !entry.isSymLink()) {
            if (!emptyFolder(p, failedPath, error))
                return false;
            if (!QDir().rmdir(p)) {
                failedPath = p;
                error = QString::fromLocal8Bit(std::strerror(errno));
                return false;
            }
        } else {
            QFile f(p);
            if (!f.remove()) {
                failedPath = p;
                error = f.errorString();
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool CDatabaseManager::DeleteSeason(const QString& name)
{
    // Only a season folder of the data folder is ever removed: the name must
    // be a plain folder name and the folder must hold its own database.
    if (!IsValidSeasonName(name) || !QFileInfo(DatabasePath(name)).isFile() ||
        QFileInfo(seasonFolder(name)).isSymLink()) {
        logReport("Failed to delete the season.  DBMgr::DeleteSeason  Season:%s", name);
        return false;
    }
    const QString path = seasonFolder(name);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QString failedPath;
    QString error;
    if (!emptyFolder(path, failedPath, error)) {
        m_prompt.ask(QStringLiteral("%1\n\n%2").arg(failedPath, error), QStringLiteral("Message"),
                     UserPrompt::Buttons::Ok, UserPrompt::Icon::Error);
        return false;
    }
    return QDir().rmdir(path);
}

bool CDatabaseManager::CompactSeason(const QString& season)
{
    SqlConnection own;
    SqlConnection* c = seasonConnection(season, own);
    if (!c)
        return false;
    // VACUUM cannot run inside a transaction; it rewrites the file as one.
    if (c->transactionDepth() > 0 || !c->execute(QStringLiteral("VACUUM"))) {
        logReport("Failed to compact the season database.  DBMgr::CompactSeason  Season:%s, Error:%s", season,
                  errorDescription(c->lastError()));
        return false;
    }
    return true;
}
