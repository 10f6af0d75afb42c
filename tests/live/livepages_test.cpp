// The pages and JSON made from a snapshot: escaping, and which pages keep
// their entity tag from one snapshot to the next.
#include "live/livejson.h"
#include "live/livepages.h"
#include "live/livesite.h"
#include "livetesthelpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

TEST(LivePagesTest, EveryTextIsEscapedInThePagesAndKeptWhole)
{
    const QString hostile = QStringLiteral("</td><script>alert(1)</script> \"Bo\" & 'Co' %1 %2");
    auto snapshot = sampleSnapshot(1);
    auto event = std::make_shared<LiveEvent>(*snapshot->events.front());
    event->id = QStringLiteral("x/../<y>");
    event->name = hostile;
    event->goRounds.front().rows.front().name = hostile;
    event->goRounds.front().rows.front().members = {hostile};
    snapshot->events = {event};
    snapshot->title = hostile;
    snapshot->now.eventId = event->id;
    snapshot->now.eventName = hostile;
    snapshot->now.up.name = hostile;
    snapshot->now.order.front().name = hostile;
    snapshot->now.recent.push_back({event->id, hostile, QStringLiteral("Go-Round 1"),
                                    QStringLiteral("19:02:03"), event->goRounds.front().rows.front()});

    const QString file = LivePages::eventFileName(event->id);
    EXPECT_EQ(file, QStringLiteral("event-x_2f_2e_2e_2f_3cy_3e.html"));
    const QByteArray pages[] = {LivePages::index(*snapshot), LivePages::now(*snapshot),
                                LivePages::event(snapshot->title, *event)};
    for (const QByteArray& page : pages) {
        EXPECT_FALSE(page.contains("<script>alert")) << page.constData();
        EXPECT_FALSE(page.contains("</td><script"));
        EXPECT_TRUE(
            page.contains("&lt;/td&gt;&lt;script&gt;alert(1)&lt;/script&gt; &quot;Bo&quot; &amp; 'Co' %1 %2"))
            << page.constData();
        // The only script is the site's own file.
        EXPECT_EQ(page.count("<script"), 1);
        EXPECT_TRUE(page.contains("<script src=\"live.js\" defer></script>"));
    }
    EXPECT_TRUE(pages[0].contains("href=\"" + file.toUtf8() + "\""));

    // JSON carries the texts as they are.
    const QJsonObject root = QJsonDocument::fromJson(LiveJson::everything(*snapshot)).object();
    const QJsonObject e = root.value(QStringLiteral("events")).toArray().at(0).toObject();
    EXPECT_EQ(e.value(QStringLiteral("name")).toString(), hostile);
    EXPECT_EQ(e.value(QStringLiteral("page")).toString(), file);
    const QJsonObject row = e.value(QStringLiteral("goRounds"))
                                .toArray()
                                .at(0)
                                .toObject()
                                .value(QStringLiteral("rows"))
                                .toArray()
                                .at(0)
                                .toObject();
    EXPECT_EQ(row.value(QStringLiteral("name")).toString(), hostile);
    EXPECT_EQ(row.value(QStringLiteral("time")).toString(), QStringLiteral("15.52"));
    EXPECT_EQ(row.value(QStringLiteral("place")).toInt(), 1);
    EXPECT_EQ(root.value(QStringLiteral("title")).toString(), hostile);
}

TEST(LivePagesTest, AnUnchangedEventKeepsItsPageAndEntityTag)
{
    auto first = sampleSnapshot(1);
    auto other = std::make_shared<LiveEvent>(*first->events.front());
    other->id = QStringLiteral("SB");
    other->name = QStringLiteral("Saddle Bronc");
    first->events.push_back(other);
    const auto site1 = LiveSite::render(first);

    // The next snapshot: barrel racing changed, saddle bronc did not.
    auto second = sampleSnapshot(2, QStringLiteral("14.98"));
    second->events.push_back(other);
    const auto site2 = LiveSite::render(second, site1.get());

    const auto tag = [](const auto& site, const char* name) {
        return site->page(QString::fromLatin1(name))->etag;
    };
    EXPECT_EQ(tag(site1, "event-SB.html"), tag(site2, "event-SB.html"));
    EXPECT_NE(tag(site1, "event-BR.html"), tag(site2, "event-BR.html"));
    EXPECT_NE(tag(site1, "now.json"), tag(site2, "now.json"));
    EXPECT_EQ(tag(site1, "live.js"), tag(site2, "live.js"));
    EXPECT_TRUE(site2->page(QStringLiteral("event-BR.html"))->body.contains("14.98"));

    // Another title is on every page.
    second->title = QStringLiteral("Fall Rodeo");
    const auto site3 = LiveSite::render(second, site2.get());
    EXPECT_NE(tag(site2, "event-SB.html"), tag(site3, "event-SB.html"));
    EXPECT_EQ(site3->page(QStringLiteral("no-such.html")), nullptr);
}

} // namespace
