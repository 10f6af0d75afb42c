#include "results/standings.h"

#include "platform/xml/xmldocument.h"

#include <algorithm>

ResultRecord* Standings::Standing::find(EntryKey key)
{
    const qsizetype at = index.find(key);
    return at < 0 ? nullptr : &items[size_t(at)];
}

const ResultRecord* Standings::Standing::find(EntryKey key) const
{
    const qsizetype at = index.find(key);
    return at < 0 ? nullptr : &items[size_t(at)];
}

void Standings::Standing::reindex()
{
    index.clear();
    index.reserve(qsizetype(items.size()));
    // From the back, so that a key listed twice finds its first place.
    for (qsizetype i = qsizetype(items.size()) - 1; i >= 0; --i)
        index.set(items[size_t(i)].key, i);
}

void Standings::Standing::order(StandingType type, quint8 roundCount)
{
    OrderStanding(items, type, roundCount);
    keys.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        keys[i] = StandingSortKey(type, roundCount, items[i]);
    NumberStanding(items, type);
    reindex();
}

void Standings::Standing::reorder(qsizetype at, StandingType type, quint8 roundCount)
{
    const quint64 key = StandingSortKey(type, roundCount, items[size_t(at)]);
    // The others are in order: the item goes after every lower key and keeps
    // its place among equal ones, as a stable ordering of the whole list would
    // leave it. Searched in the list without the item: [0, at) and (at, n).
    const auto first = keys.begin();
    const auto mid = first + at;
    const auto rest = mid + 1;
    const auto bound = [&](auto search) {
        const auto found = search(first, mid, key);
        return found != mid ? qsizetype(found - first) : at + qsizetype(search(rest, keys.end(), key) - rest);
    };
    const qsizetype lower = bound([](auto b, auto e, quint64 k) { return std::lower_bound(b, e, k); });
    const qsizetype upper = bound([](auto b, auto e, quint64 k) { return std::upper_bound(b, e, k); });
    const qsizetype to = std::clamp(at, lower, upper);

    keys[size_t(at)] = key;
    if (to < at) {
        std::rotate(items.begin() + to, items.begin() + at, items.begin() + at + 1);
        std::rotate(keys.begin() + to, keys.begin() + at, keys.begin() + at + 1);
    } else if (to > at) {
        std::rotate(items.begin() + at, items.begin() + at + 1, items.begin() + to + 1);
        std::rotate(keys.begin() + at, keys.begin() + at + 1, keys.begin() + to + 1);
    }
    for (qsizetype i = std::min(at, to); i <= std::max(at, to); ++i)
        index.set(items[size_t(i)].key, i);
    NumberStanding(items, type);
}

void Standings::Standing::addInFront(const ResultRecord& record, StandingType type, quint8 roundCount)
{
    items.insert(items.begin(), record);
    keys.insert(keys.begin(), StandingSortKey(type, roundCount, record));
    reindex();
    reorder(0, type, roundCount);
}

void Standings::clear()
{
    m_goRounds.clear();
    m_overall = Standing();
    m_roundCount = 0;
    m_hasEvent = false;
    m_building = false;
}

bool Standings::beginRebuild(int goRounds, bool scored, bool longestFirst)
{
    clear();
    if (goRounds < 0 || goRounds > MaxGoRounds)
        return false;
    m_goRounds.resize(size_t(goRounds) + 1);
    m_scored = scored;
    m_goRoundType = DeriveStandingType(scored, longestFirst, false);
    m_overallType = DeriveStandingType(scored, longestFirst, true);
    m_roundCount = quint8((goRounds + 1) & 0xFF);
    m_hasEvent = true;
    m_building = true;
    return true;
}

bool Standings::addRecord(int goRound, ResultRecord record)
{
    if (!m_building || goRound < 1 || goRound > goRoundCount() || entryKeyId(record.key) == 0)
        return false;
    Standing& standing = m_goRounds[size_t(goRound - 1)];
    if (standing.index.contains(record.key))
        return false;
    record.ride = (record.score != 0 || record.time != 0) ? 1 : 0;
    // While rebuilding, rows are appended and each list is reversed at the end:
    // the same order as adding every row at the front, without quadratic moves.
    standing.index.set(record.key, qsizetype(standing.items.size()));
    standing.items.push_back(record);
    countIntoOverall(record);
    return true;
}

void Standings::countIntoOverall(const ResultRecord& record)
{
    if (ResultRecord* element = m_overall.find(record.key)) {
        CountIntoOverall(*element, record, m_scored);
        return;
    }
    m_overall.index.set(record.key, qsizetype(m_overall.items.size()));
    m_overall.items.push_back(NewOverallElement(record));
}

void Standings::finishRebuild()
{
    if (!m_building)
        return;
    m_building = false;
    std::reverse(m_overall.items.begin(), m_overall.items.end());
    m_overall.order(m_overallType, m_roundCount);
    for (Standing& standing : m_goRounds) {
        std::reverse(standing.items.begin(), standing.items.end());
        standing.order(m_goRoundType, m_roundCount);
    }
}

bool Standings::applySaved(int goRound, const ResultRecord& record)
{
    if (m_building || goRound < 1 || goRound > goRoundCount() || entryKeyId(record.key) == 0)
        return false;

    Standing& standing = m_goRounds[size_t(goRound - 1)];
    if (const qsizetype at = standing.index.find(record.key); at >= 0) {
        // The ride flag tells whether the entry had a result when it was first
        // listed; a later save does not change it.
        ResultRecord& held = standing.items[size_t(at)];
        const quint8 ride = held.ride;
        held = record;
        held.ride = ride;
        standing.reorder(at, m_goRoundType, m_roundCount);
    } else {
        ResultRecord added = record;
        added.ride = (record.score != 0 || record.time != 0) ? 1 : 0;
        standing.addInFront(added, m_goRoundType, m_roundCount);
    }

    recountOverall(record.key);
    return true;
}

void Standings::recountOverall(EntryKey key)
{
    ResultRecord element;
    for (const Standing& standing : m_goRounds) {
        if (const ResultRecord* r = standing.find(key))
            CountIntoOverall(element, *r, m_scored);
    }
    // Reset the sums but keep the key: the entry must stay findable and keep its
    // report row until the next rebuild.
    element.key = key;
    if (const qsizetype at = m_overall.index.find(key); at >= 0) {
        m_overall.items[size_t(at)] = element;
        m_overall.reorder(at, m_overallType, m_roundCount);
    } else {
        m_overall.addInFront(element, m_overallType, m_roundCount);
    }
}

OutputFlags Standings::outputFlags(int goRound, const ResultRecord& record) const
{
    return CompareForOutputs(record, find(goRound, record.key));
}

const ResultRecord* Standings::find(int goRound, EntryKey key) const
{
    if (goRound < 1 || goRound > goRoundCount())
        return nullptr;
    return m_goRounds[size_t(goRound - 1)].find(key);
}

const ResultRecord* Standings::findOverall(EntryKey key) const
{
    return m_overall.find(key);
}

const std::vector<ResultRecord>& Standings::goRound(int goRound) const
{
    static const std::vector<ResultRecord> none;
    if (goRound < 1 || goRound > goRoundCount())
        return none;
    return m_goRounds[size_t(goRound - 1)].items;
}

QString Standings::totalXml() const
{
    if (!m_hasEvent)
        return QString();
    QString xml = QStringLiteral("<data go='TOTAL'>");
    for (const ResultRecord& r : m_overall.items)
        xml += StatisticsRow(r);
    xml += QStringLiteral("</data>");
    return xml;
}

int Standings::copyPositions(const XmlNode& eventNode) const
{
    if (eventNode.isNull())
        return -1;
    int written = 0;
    const int count = goRoundCount();
    for (int i = 1; i <= count; ++i) {
        const QString path = i < count ? QStringLiteral("./data[@go = '%1']").arg(i)
                                       : QStringLiteral("./data[@go = '%1']").arg(QStringLiteral("FINALS"));
        const XmlNode data = eventNode.selectSingleNode(path);
        if (data.isNull())
            continue;
        // One pass over the rows with the standing's index: looking each
        // record's row up by an expression cost a search of every row per
        // record, most of the time of a large event's report.
        const Standing& standing = m_goRounds[size_t(i - 1)];
        for (XmlNode row : data.childElements()) {
            if (row.localName() != QLatin1String("row"))
                continue;
            bool idOk = false;
            bool entOk = false;
            const uint ptId = row.attribute(QStringLiteral("ptId")).toUInt(&idOk);
            const uint plrEnt = row.attribute(QStringLiteral("PlrEnt")).toUInt(&entOk);
            if (!idOk || !entOk || plrEnt > 0xFF)
                continue;
            const ResultRecord* r = standing.find(makeEntryKey(ptId, int(plrEnt)));
            if (r && row.setAttribute(QStringLiteral("pos"), QString::number(r->position)))
                ++written;
        }
    }
    return written;
}
