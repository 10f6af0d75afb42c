#include "seasonbackups.h"

#include "app/log.h"
#include "databasemanager.h"
#include "platform/sql/sqlconnection.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

struct SeasonBackups::Outcome
{
    QString season;
    QDateTime utc;
    bool ok = false;
    QString path;
    QString error;
};

namespace {

// "<season> 2026-05-01 12-30-45Z": sorts by time; no characters a file name
// cannot hold anywhere.
QString stamp(const QDateTime& utc)
{
    return utc.toUTC().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")) + QLatin1Char('Z');
}

QString pattern(const QString& season)
{
    return season + QStringLiteral(" \?\?\?\?-\?\?-\?\? \?\?-\?\?-\?\?Z*.mdb");
}

} // namespace

SeasonBackups::SeasonBackups(const QString& dataFolder, QObject* parent)
    : QObject(parent), m_dataFolder(dataFolder), m_now([] { return QDateTime::currentDateTimeUtc(); })
{
    if (!m_dataFolder.isEmpty() && !m_dataFolder.endsWith(QLatin1Char('/')))
        m_dataFolder += QLatin1Char('/');
}

SeasonBackups::~SeasonBackups()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

QString SeasonBackups::folder(const QString& season) const
{
    return m_dataFolder + season + QStringLiteral("/backups/");
}

QStringList SeasonBackups::copies(const QString& season) const
{
    QFileInfoList files =
        QDir(folder(season)).entryInfoList({pattern(season)}, QDir::Files | QDir::NoDotAndDotDot);
    // "...45Z" before "...45Z-2": by the name without its extension.
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.completeBaseName() < b.completeBaseName();
    });
    QStringList paths;
    for (const QFileInfo& f : files)
        paths << f.absoluteFilePath();
    return paths;
}

bool SeasonBackups::write(const QString& database, const QString& folder, const QString& season,
                          const QDateTime& utc, QString* path, QString* error)
{
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("The folder %1 could not be made.").arg(folder));
    // A copy cut short (the program killed while writing it) leaves its
    // unfinished file; one copy is written at a time, so none is ours.
    for (const QFileInfo& part : QDir(folder).entryInfoList({pattern(season) + QStringLiteral(".part*")},
                                                           QDir::Files))
        QFile::remove(part.absoluteFilePath());
    QString target = folder + season + QLatin1Char(' ') + stamp(utc);
    QString candidate = target + QStringLiteral(".mdb");
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = target + QStringLiteral("-%1.mdb").arg(n);
    SqlConnection source;
    if (!source.open(database) || !source.backupTo(candidate))
        return fail(source.lastError());
    if (path)
        *path = candidate;
    prune(folder, season);
    return true;
}

void SeasonBackups::prune(const QString& folder, const QString& season)
{
    QFileInfoList files = QDir(folder).entryInfoList({pattern(season)}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.completeBaseName() < b.completeBaseName();
    });
    for (int i = 0; i + Keep < files.size(); ++i)
        QFile::remove(files.at(i).absoluteFilePath());
}

bool SeasonBackups::backupNow(const QString& season, QString* path, QString* error)
{
    if (!CDatabaseManager::IsValidSeasonName(season)) {
        if (error)
            *error = QStringLiteral("There is no season to copy.");
        return false;
    }
    const QDateTime utc = m_now();
    QString written;
    QString why;
    const QString database = m_dataFolder + season + QLatin1Char('/') + season + QStringLiteral(".mdb");
    if (!write(database, folder(season), season, utc, &written, &why)) {
        logReport("Failed to back up the season.  Backup::Write  Season:%s, Error:%s", season, why);
        if (error)
            *error = why;
        return false;
    }
    noteCopy(season, utc);
    if (path)
        *path = written;
    return true;
}

bool SeasonBackups::start(const QString& season)
{
    if (m_thread || !CDatabaseManager::IsValidSeasonName(season))
        return false;
    auto outcome = std::make_shared<Outcome>();
    outcome->season = season;
    outcome->utc = m_now();
    m_outcome = outcome;
    const QString database = m_dataFolder + season + QLatin1Char('/') + season + QStringLiteral(".mdb");
    const QString dir = folder(season);
    m_thread = QThread::create([outcome, database, dir] {
        outcome->ok = write(database, dir, outcome->season, outcome->utc, &outcome->path, &outcome->error);
    });
    m_thread->setObjectName(QStringLiteral("Backup"));
    // finished is emitted on the worker; the receiver's thread handles it.
    connect(m_thread, &QThread::finished, this, [this, outcome] {
        if (m_thread && m_outcome == outcome) {
            m_thread->wait();
            delete m_thread;
            m_thread = nullptr;
        }
        if (outcome->ok)
            noteCopy(outcome->season, outcome->utc);
        else
            logReport("Failed to back up the season.  Backup::Write  Season:%s, Error:%s", outcome->season,
                      outcome->error);
        emit finished(outcome->season, outcome->ok, outcome->ok ? outcome->path : outcome->error);
    });
    m_thread->start();
    return true;
}

void SeasonBackups::wait()
{
    if (m_thread)
        m_thread->wait();
}

void SeasonBackups::noteCopy(const QString& season, const QDateTime& utc)
{
    if (season != m_lastSeason || !m_last.isValid() || m_last < utc) {
        m_lastSeason = season;
        m_last = utc;
    }
}

QDateTime SeasonBackups::newestCopy(const QString& season)
{
    if (season != m_lastSeason) {
        m_lastSeason = season;
        m_last = QDateTime();
        // Copies left by an earlier run count: a restart does not mean a copy.
        const QStringList existing = copies(season);
        if (!existing.isEmpty())
            m_last = QFileInfo(existing.last()).lastModified().toUTC();
    }
    return m_last;
}

bool SeasonBackups::resultSaved(const QString& season)
{
    const QDateTime last = newestCopy(season);
    if (last.isValid() && last.secsTo(m_now()) < IntervalSecs)
        return false;
    return start(season);
}

bool SeasonBackups::rodeoClosing(const QString& season)
{
    wait();
    return backupNow(season);
}
