#pragma once

#include "livesnapshotbuilder.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class CDatabaseManager;
struct RegEntry;

// Decides when the live results get a new snapshot, on the user-interface
// thread: at once after a saved result (only its event is read again), when
// the entry being run changes, when a rodeo opens or closes, and within
// CheckIntervalMs of any other change of the season's rows (entries, names,
// settings: then every event is read again, SliceMs of reading at a time
// with the events loop running between). The snapshot goes to the sink
// (LiveService::publish), which never waits.
class LivePublisher : public QObject
{
    Q_OBJECT
public:
    static constexpr int CheckIntervalMs = 1000;
    static constexpr int SliceMs = 8;
    static constexpr int SliceGapMs = 10;

    // The entry being run, or null when nothing is.
    using CurrentEntry = std::function<const RegEntry*()>;
    using Sink = std::function<void(std::shared_ptr<const LiveSnapshot>)>;

    LivePublisher(const CDatabaseManager& db, CurrentEntry current, Sink sink, QObject* parent = nullptr);

    void setTitle(const QString& title);
    void resultSaved(const RegEntry& entry);
    void currentChanged();
    void rodeoChanged();
    // Builds and hands over a snapshot now.
    void publishNow();

    const LiveSnapshotBuilder& builder() const { return m_builder; }

private:
    void checkForChanges();

    const CDatabaseManager& m_db;
    CurrentEntry m_current;
    Sink m_sink;
    LiveSnapshotBuilder m_builder;
    QTimer m_check;
    QTimer m_more; // the next slice of a rebuild
    std::pair<quint64, qint64> m_stamp{0, 0};
};
