#include "livepublisher.h"

#include "db/databasemanager.h"

LivePublisher::LivePublisher(const CDatabaseManager& db, CurrentEntry current, Sink sink, QObject* parent)
    : QObject(parent), m_db(db), m_current(std::move(current)), m_sink(std::move(sink)), m_builder(db)
{
    connect(&m_check, &QTimer::timeout, this, &LivePublisher::checkForChanges);
    m_check.start(CheckIntervalMs);
    m_more.setSingleShot(true);
    connect(&m_more, &QTimer::timeout, this, &LivePublisher::publishNow);
}

void LivePublisher::setTitle(const QString& title)
{
    m_builder.setTitle(title);
}

void LivePublisher::resultSaved(const RegEntry& entry)
{
    m_builder.noteSaved(entry, QDateTime::currentDateTime());
    publishNow();
}

void LivePublisher::currentChanged()
{
    publishNow();
}

void LivePublisher::rodeoChanged()
{
    m_builder.invalidateAll(true);
    publishNow();
}

void LivePublisher::publishNow()
{
    // What the snapshot is made from: a change of the rows after this is news.
    m_stamp = m_db.dataStamp();
    m_sink(m_builder.build(m_current(), SliceMs));
    if (m_builder.hasPending())
        m_more.start(SliceGapMs);
}

void LivePublisher::checkForChanges()
{
    if (m_db.dataStamp() == m_stamp)
        return;
    m_builder.invalidateAll();
    publishNow();
}
