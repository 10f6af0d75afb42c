#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QThread;

// Copies of season databases, made with SQLite's online backup API through a
// connection of their own, so that the program goes on saving results while
// a copy is written. Copies go to <season>/backups/<season> <UTC date and
// time>.mdb; the newest Keep copies of a season are kept.
//
// The automatic copies: rodeoClosing() takes one at once when a rodeo is
// closed; resultSaved() starts one in the background when the newest copy
// of the season is older than Interval. start() is the operator's "Backup".
//
// One copy is written at a time, on a worker thread owned by this object,
// whose destructor waits for it. Used from the user-interface thread;
// finished() is delivered there.
class SeasonBackups : public QObject
{
    Q_OBJECT
public:
    static constexpr int Keep = 20;
    static constexpr qint64 IntervalSecs = 30 * 60;

    explicit SeasonBackups(const QString& dataFolder, QObject* parent = nullptr);
    ~SeasonBackups() override;

    // For the tests: the clock that dates the copies and times the interval.
    void setClock(std::function<QDateTime()> utcNow) { m_now = std::move(utcNow); }

    QString folder(const QString& season) const;
    // The season's copies, oldest first.
    QStringList copies(const QString& season) const;

    // Writes a copy on the calling thread; false with error on failure.
    bool backupNow(const QString& season, QString* path = nullptr, QString* error = nullptr);
    // Starts a copy on the worker thread; false when one is being written or
    // the name cannot be a season.
    bool start(const QString& season);
    bool isRunning() const { return m_thread != nullptr; }
    // Waits for the copy being written, if any (finished() still follows).
    void wait();

    // A result of the season was saved: a copy is started when the newest
    // one is Interval old or older (or there is none).
    bool resultSaved(const QString& season);
    // The open rodeo of the season closes: a copy now, after any running one.
    bool rodeoClosing(const QString& season);

signals:
    // A copy started by start() or resultSaved() ended: the file written, or
    // why there is none.
    void finished(const QString& season, bool ok, const QString& pathOrError);

private:
    struct Outcome;
    // Copy and pruning; safe on any thread (touches only files and a
    // connection of its own).
    static bool write(const QString& database, const QString& folder, const QString& season,
                      const QDateTime& utc, QString* path, QString* error);
    static void prune(const QString& folder, const QString& season);
    void noteCopy(const QString& season, const QDateTime& utc);
    QDateTime newestCopy(const QString& season);

    QString m_dataFolder;
    std::function<QDateTime()> m_now;
    QThread* m_thread = nullptr;
    std::shared_ptr<Outcome> m_outcome;
    QString m_lastSeason; // the season whose newest copy m_last is
    QDateTime m_last;
};
