#include "livejson.h"

#include "livepages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue number(int value)
{
    return value > 0 ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QJsonObject row(const LiveRow& r)
{
    return {{QStringLiteral("place"), number(r.place)},
            {QStringLiteral("bib"), r.bib},
            {QStringLiteral("name"), r.name},
            {QStringLiteral("members"), QJsonArray::fromStringList(r.members)},
            {QStringLiteral("stock"), r.stock},
            {QStringLiteral("order"), number(r.order)},
            {QStringLiteral("score"), r.score},
            {QStringLiteral("time"), r.time},
            {QStringLiteral("status"), r.status},
            {QStringLiteral("rides"), r.rides}};
}

QJsonArray rows(const std::vector<LiveRow>& list)
{
    QJsonArray out;
    for (const LiveRow& r : list)
        out.append(row(r));
    return out;
}

QJsonObject standing(const LiveStanding& s)
{
    return {{QStringLiteral("goRound"), s.goRound},
            {QStringLiteral("title"), s.title},
            {QStringLiteral("rows"), rows(s.rows)}};
}

QJsonObject event(const LiveEvent& e)
{
    QJsonArray goRounds;
    for (const LiveStanding& s : e.goRounds)
        goRounds.append(standing(s));
    return {
        {QStringLiteral("id"), e.id},
        {QStringLiteral("name"), e.name},
        {QStringLiteral("scored"), e.scored},
        {QStringLiteral("team"), e.team},
        {QStringLiteral("page"), LivePages::eventFileName(e.id)},
        {QStringLiteral("goRounds"), goRounds},
        {QStringLiteral("final"), e.hasFinal ? QJsonValue(standing(e.final)) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("overall"), standing(e.overall)}};
}

QJsonObject now(const LiveNow& n)
{
    QJsonArray recent;
    for (const LiveRecent& r : n.recent)
        recent.append(
            QJsonObject{{QStringLiteral("at"), r.at},
                        {QStringLiteral("event"), QJsonObject{{QStringLiteral("id"), r.eventId},
                                                              {QStringLiteral("name"), r.eventName}}},
                        {QStringLiteral("round"), r.round},
                        {QStringLiteral("row"), row(r.row)}});
    QJsonObject out{{QStringLiteral("running"), n.running}, {QStringLiteral("recent"), recent}};
    if (n.running) {
        out.insert(QStringLiteral("event"),
                   QJsonObject{{QStringLiteral("id"), n.eventId}, {QStringLiteral("name"), n.eventName}});
        out.insert(QStringLiteral("scored"), n.scored);
        out.insert(QStringLiteral("goRound"), n.goRound);
        out.insert(QStringLiteral("round"), n.round);
        out.insert(QStringLiteral("performance"), n.performance);
        out.insert(QStringLiteral("up"), n.hasUp ? QJsonValue(row(n.up)) : QJsonValue(QJsonValue::Null));
        out.insert(QStringLiteral("order"), rows(n.order));
    }
    return out;
}

QJsonObject common(const LiveSnapshot& s)
{
    return {{QStringLiteral("format"), LiveJson::FormatVersion},
            {QStringLiteral("version"), qint64(s.version)},
            {QStringLiteral("published"), s.published.toUTC().toString(Qt::ISODate)},
            {QStringLiteral("title"), s.title},
            {QStringLiteral("rodeo"), QJsonObject{{QStringLiteral("open"), s.rodeoOpen},
                                                  {QStringLiteral("name"), s.rodeo},
                                                  {QStringLiteral("date"), s.date}}},
            {QStringLiteral("now"), now(s.now)}};
}

} // namespace

namespace LiveJson {

QByteArray everything(const LiveSnapshot& snapshot)
{
    QJsonObject root = common(snapshot);
    QJsonArray events;
    for (const auto& e : snapshot.events)
        events.append(event(*e));
    root.insert(QStringLiteral("events"), events);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QByteArray now(const LiveSnapshot& snapshot)
{
    return QJsonDocument(common(snapshot)).toJson(QJsonDocument::Compact);
}

} // namespace LiveJson
