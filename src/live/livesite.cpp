#include "livesite.h"

#include "livejson.h"
#include "livepages.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

const QByteArray kHtml = QByteArrayLiteral("text/html; charset=utf-8");
const QByteArray kJson = QByteArrayLiteral("application/json; charset=utf-8");

QByteArray asset(const QString& name)
{
    QFile file(QStringLiteral(":/live/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The stylesheet and the script are part of the program: read once.
const LivePage& stylesheet()
{
    static const LivePage page =
        LiveSite::makePage(asset(QStringLiteral("live.css")), QByteArrayLiteral("text/css; charset=utf-8"));
    return page;
}

const LivePage& script()
{
    static const LivePage page = LiveSite::makePage(asset(QStringLiteral("live.js")),
                                                    QByteArrayLiteral("text/javascript; charset=utf-8"));
    return page;
}

} // namespace

LivePage LiveSite::makePage(QByteArray body, const QByteArray& contentType)
{
    LivePage page;
    page.etag = '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(20) + '"';
    page.body = std::move(body);
    page.contentType = contentType;
    page.json = contentType == kJson;
    return page;
}

std::shared_ptr<const LiveSite> LiveSite::render(std::shared_ptr<const LiveSnapshot> snapshot,
                                                 const LiveSite* previous)
{
    auto site = std::make_shared<LiveSite>();
    const LiveSnapshot& s = *snapshot;
    site->m_title = s.title;
    site->m_pages.insert(QStringLiteral("index.html"), makePage(LivePages::index(s), kHtml));
    site->m_pages.insert(QStringLiteral("now.html"), makePage(LivePages::now(s), kHtml));
    site->m_pages.insert(QStringLiteral("live.json"), makePage(LiveJson::everything(s), kJson));
    site->m_pages.insert(QStringLiteral("now.json"), makePage(LiveJson::now(s), kJson));
    site->m_pages.insert(QStringLiteral("live.css"), stylesheet());
    site->m_pages.insert(QStringLiteral("live.js"), script());
    for (const auto& event : s.events) {
        const QString name = LivePages::eventFileName(event->id);
        const bool unchanged = previous && previous->m_title == s.title &&
                               previous->m_eventSources.value(name) == event &&
                               previous->m_pages.contains(name);
        site->m_pages.insert(name, unchanged ? previous->m_pages.value(name)
                                             : makePage(LivePages::event(s.title, *event), kHtml));
        site->m_eventSources.insert(name, event);
    }
    site->m_notFound = makePage(LivePages::notFound(), kHtml);
    site->m_snapshot = std::move(snapshot);
    return site;
}

std::shared_ptr<const LiveSite> LiveSite::empty()
{
    auto snapshot = std::make_shared<LiveSnapshot>();
    snapshot->published = QDateTime::currentDateTimeUtc();
    return render(std::move(snapshot));
}

const LivePage* LiveSite::page(const QString& name) const
{
    const auto it = m_pages.constFind(name);
    return it == m_pages.constEnd() ? nullptr : &*it;
}
