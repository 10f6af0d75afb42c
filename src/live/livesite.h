#pragma once

#include "livesnapshot.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

// One file of the live results: its bytes, type and entity tag (a hash of
// the bytes, so a page that did not change keeps its tag from one snapshot
// to the next and readers get "not modified").
struct LivePage
{
    QByteArray body;
    QByteArray contentType;
    QByteArray etag; // with its quotes
    bool json = false;
};

// Every file of the live results for one snapshot, by file name: index.html,
// now.html, one event-<id>.html per event, live.json, now.json, live.css and
// live.js. These names are the only ones the server answers and the only
// files written into a folder. Immutable once made: any thread may read it.
class LiveSite
{
public:
    // Renders the snapshot. An event whose snapshot part and title are those
    // of previous keeps previous's page without rendering it again.
    static std::shared_ptr<const LiveSite> render(std::shared_ptr<const LiveSnapshot> snapshot,
                                                  const LiveSite* previous = nullptr);
    // A site before the first snapshot: pages saying nothing is published yet.
    static std::shared_ptr<const LiveSite> empty();

    const LivePage* page(const QString& name) const;
    QStringList names() const { return m_pages.keys(); }
    quint64 version() const { return m_snapshot ? m_snapshot->version : 0; }
    const LiveSnapshot* snapshot() const { return m_snapshot.get(); }
    const LivePage& notFound() const { return m_notFound; }

    static LivePage makePage(QByteArray body, const QByteArray& contentType);

private:
    std::shared_ptr<const LiveSnapshot> m_snapshot;
    QHash<QString, LivePage> m_pages;
    // What each event page was made from, to reuse it unchanged.
    QHash<QString, std::shared_ptr<const LiveEvent>> m_eventSources;
    QString m_title;
    LivePage m_notFound;
};
