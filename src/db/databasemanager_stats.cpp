// Results and statistics documents: writing a run's result into its row, and
// the XML image of the open rodeo that the reports are made from.
#include "app/log.h"
#include "databasemanager.h"

#include "platform/xml/xmltext.h"
#include "platform/xml/xsltstylesheet.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QString kRowsetNamespaces =
    QStringLiteral("xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'");
const QString kReportTemplate = QStringLiteral(":/xml/reportdata.xml");

// The same tree without namespace prefixes: rs:data becomes data, z:row row.
const QString kStripNamespacesXslt =
    QStringLiteral("<?xml version='1.0' encoding='UTF-8'?>"
                   "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                   "<xsl:output method='xml' indent='yes' encoding='UTF-8'/>"
                   "<xsl:template match='/'><xsl:apply-templates/></xsl:template>"
                   "<xsl:template match='*'>"
                   "<xsl:element name='{local-name()}'>"
                   "<xsl:copy-of select=\"@*[namespace-uri() = '']\"/>"
                   "<xsl:for-each select=\"@*[namespace-uri() != '']\">"
                   "<xsl:attribute name='{local-name()}'><xsl:value-of select='.'/></xsl:attribute>"
                   "</xsl:for-each>"
                   "<xsl:apply-templates select='*'/>"
                   "<xsl:value-of select='text()'/>"
                   "</xsl:element>"
                   "</xsl:template>"
                   "</xsl:stylesheet>");

// The rodeo's competitors, each with whether it was entered into a team
// event (its ptId is then a team id); one row per competitor and event.
const QString kCompetitorsSql = QStringLiteral(
    "k AS (SELECT s.ptId AS ptId, coalesce(length(e.EvType) = 2 AND substr(e.EvType, 2, 1) = 'T', 0) AS team "
    "FROM (SELECT ptId, EvId FROM Scores WHERE RoId = ?1 UNION SELECT ptId, EvId FROM Times WHERE RoId = ?1) "
    "AS s "
    "LEFT JOIN Events AS e ON e.EvId = s.EvId)");

// Contestants entered themselves plus the members of the rodeo's teams
// entered into team events.
const QString kRostersSql =
    QStringLiteral("WITH ") + kCompetitorsSql +
    QStringLiteral(", tm AS (SELECT t.PlrId1, t.PlrId2, t.PlrId3 FROM Teams AS t WHERE t.RoId = ?1 AND "
                   "t.TmId IN (SELECT ptId FROM k WHERE team)) "
                   "SELECT r.* FROM Rosters AS r WHERE r.PlrId IN (SELECT ptId FROM k WHERE NOT team "
                   "UNION SELECT PlrId1 FROM tm UNION SELECT PlrId2 FROM tm UNION SELECT PlrId3 FROM tm) "
                   "ORDER BY r.PlrId");

// The rodeo's teams entered into its team events. Team ids are numbered per
// rodeo and may equal contestant ids, so both the rodeo and the kind of event
// matter.
const QString kTeamsSql =
    QStringLiteral("WITH ") + kCompetitorsSql +
    QStringLiteral(" SELECT DISTINCT t.TmId, t.TmName, t.PlrId1, t.PlrId2, t.PlrId3 FROM Teams AS t "
                   "WHERE t.RoId = ?1 AND t.TmId IN (SELECT ptId FROM k WHERE team) ORDER BY t.TmId");

void logExecuteFailed()
{
    logReport("CDatabaseManager(AddTableXml): excute failed!");
}

void logAppendFailed()
{
    logReport("CDatabaseManager(AddTableXml): append child failed!");
}

// Turns a record set into a "data" element with "row" children (the root of
// out), by way of the record-set XML and the namespace stripping; failures
// are logged.
bool stripRecordset(CDatabaseManager& db, const SqlRecordset& rs, XmlDocument& out)
{
    XmlDocument saved;
    if (!db.SaveRecordsetToDoc(rs, saved))
        return false;
    const XmlNode data = saved.selectSingleNode(QStringLiteral("//rs:data"));
    if (data.isNull() || !db.StripNamespaces(data, out) || out.root().isNull()) {
        logExecuteFailed();
        return false;
    }
    return true;
}

// Whether every column can be an attribute under its own name (the record-set
// XML renames the others).
bool plainColumnNames(const QStringList& columns)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    for (const QString& column : columns)
        if (!plain.match(column).hasMatch() || column.startsWith(QLatin1String("xml"), Qt::CaseInsensitive))
            return false;
    return true;
}

// A table's XML text appended to the document's Tables element; a failure is
// logged.
bool appendTable(const XmlDocument& doc, const QString& xml)
{
    XmlNode tables = doc.selectSingleNode(QStringLiteral("//Tables"));
    if (tables.isNull() || !tables.appendXml(xml)) {
        logAppendFailed();
        return false;
    }
    return true;
}

// The current row of rs as the stripped record-set XML holds it, appended to
// text: a "row" element with each column that is not null as an attribute.
// For record sets whose column names are plain.
void appendRowXml(const SqlRecordset& rs, QString& text)
{
    // Appended piece by piece: a jackpot's event has tens of thousands of
    // values, and most are numbers, which need no escaping.
    const QStringList& columns = rs.columns();
    text += u"<row";
    for (int c = 0; c < columns.size(); ++c) {
        const QVariant value = rs.value(c);
        if (!value.isValid())
            continue; // null columns are left out
        text += QLatin1Char(' ');
        text += columns.at(c);
        text += u"='";
        switch (value.typeId()) {
        case QMetaType::LongLong:
            text += QString::number(value.toLongLong());
            break;
        case QMetaType::QString:
            appendXmlAttributeText(text, value.toString());
            break;
        case QMetaType::QByteArray:
            text += QString::fromLatin1(value.toByteArray().toHex().toUpper());
            break;
        default:
            appendXmlAttributeText(text, rs.toText(c));
        }
        text += QLatin1Char('\'');
    }
    text += u"/>";
}

// One event of a results table: its go-rounds, the last one the finals.
struct EventGroup
{
    QString id;
    int goRounds = 0;
};

QString groupKey(const QString& eventId, const QString& goRound)
{
    return eventId + QLatin1Char('\n') + goRound;
}

// The data elements of one event, one per go-round and the last for the
// finals, each holding the rows' text rows[first], rows[first + 1], ...; all
// empty without rows.
QString eventDataXml(const EventGroup& e, const QVector<QString>* rows = nullptr, qsizetype first = 0)
{
    QString xml;
    for (int go = 1; go <= e.goRounds + 1; ++go) {
        const QString name = go <= e.goRounds ? QString::number(go) : QStringLiteral("FINALS");
        xml += QStringLiteral("<data go='%1'>").arg(name);
        if (rows)
            xml += rows->at(first + go - 1);
        xml += QStringLiteral("</data>");
    }
    return xml;
}

QString eventXml(const EventGroup& e, const QVector<QString>* rows = nullptr, qsizetype first = 0)
{
    return QStringLiteral("<Event id='%1'>").arg(xmlAttributeText(e.id)) + eventDataXml(e, rows, first) +
           QStringLiteral("</Event>");
}

// Rows of a stripped record set moved under the go-round elements they belong
// to (by EvId and GoId); the others are left out. False when one could not be
// moved.
bool moveRowsToGoRounds(const XmlDocument& stripped, const QHash<QString, XmlNode>& targets)
{
    bool ok = true;
    for (const XmlNode& row : stripped.root().childElements()) {
        const auto target = targets.constFind(
            groupKey(row.attribute(QStringLiteral("EvId")), row.attribute(QStringLiteral("GoId"))));
        if (target == targets.cend())
            continue;
        XmlNode data = *target;
        if (data.appendChild(row).isNull())
            ok = false;
    }
    return ok;
}

// The go-round elements of an Event element by groupKey, the finals under
// the number after the last go-round.
void addGoRoundTargets(const XmlNode& event, const EventGroup& e, QHash<QString, XmlNode>& targets)
{
    const QString finalsGo = QString::number(e.goRounds + 1);
    for (const XmlNode& data : event.childElements()) {
        const QString go = data.attribute(QStringLiteral("go"));
        targets.insert(groupKey(e.id, go == QLatin1String("FINALS") ? finalsGo : go), data);
    }
}

} // namespace

bool CDatabaseManager::SetStatsPerformance(const RegEntry& entry, const ResultRecord& result,
                                           ChangeSource source)
{
    const SourceScope tagged(*this, source);
    m_resultChanged = false;
    m_timeChanged = false;

    const QString table = GetEventTable(entry.eventId);
    const bool scored = table == QLatin1String("Scores");
    const bool timed = table == QLatin1String("Times");

    // The record as the row will hold it (and as a rebuild would read it back):
    // a timed row keeps the time without the penalty, a scored row no penalty.
    ResultRecord saved = result;
    saved.key = entry.key();
    saved.setStatus(result.status);
    quint32 rideTime = saved.time;
    if (timed) {
        // A penalty larger than the time cannot be taken out of it.
        rideTime = saved.time >= saved.penalty ? saved.time - saved.penalty : 0;
        saved.time = rideTime + saved.penalty;
        saved.score = 0;
        std::fill(std::begin(saved.JR), std::end(saved.JR), quint16(0));
        std::fill(std::begin(saved.JS), std::end(saved.JS), quint16(0));
    } else {
        saved.penalty = 0;
    }

    const bool currentEvent = !entry.eventId.isEmpty() && entry.eventId == m_curEntry.eventId;
    if (currentEvent) {
        const OutputFlags flags = m_standings.outputFlags(entry.goRound, saved);
        m_resultChanged = flags.scoreChanged;
        m_timeChanged = flags.timeChanged;
    }

    if (entry.ptId == 0 || (!scored && !timed) || !m_conn->isOpen() || !m_isOpen)
        return false;

    const QVariantList where{m_rodeo.id, entry.eventId, entry.goRound, entry.ptId, entry.plrEnt};
    QString sql;
    QVariantList params;
    if (scored) {
        sql = QStringLiteral(
            "UPDATE Scores SET JTot = ?, RideTime = ?, JR1 = ?, JR2 = ?, JR3 = ?, JR4 = ?, JS1 = ?, "
            "JS2 = ?, JS3 = ?, JS4 = ?, Status = ?, Suc = ? WHERE RoId = ? AND EvId = ? AND "
            "GoId = ? AND ptId = ? AND PlrEnt = ?");
        params << saved.score << rideTime;
        for (quint16 mark : saved.JR)
            params << int(mark);
        for (quint16 mark : saved.JS)
            params << int(mark);
    } else {
        sql = QStringLiteral(
            "UPDATE Times SET RideTime = ?, PenTime = ?, Status = ?, Suc = ? WHERE RoId = ? AND "
            "EvId = ? AND GoId = ? AND ptId = ? AND PlrEnt = ?");
        params << rideTime << saved.penalty;
    }
    params << saved.status << int(saved.success);
    params.append(where);

    if (!m_conn->execute(sql, params)) {
        logReport("Failed to update the data to the database.  DBMgr::SetStatsPerformance  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    // Without a row the result is stored nowhere: reporting success would lose
    // it without a word, and the standings must not show what a rebuild would
    // not find.
    if (m_conn->changes() == 0) {
        logReport("The entry has no row; the result was not saved.  DBMgr::SetStatsPerformance  SQL:%s",
                  m_conn->lastStatement());
        return false;
    }
    if (currentEvent)
        return m_standings.applySaved(entry.goRound, saved);
    return true;
}

bool CDatabaseManager::SaveRecordsetToDoc(const SqlRecordset& rs, XmlDocument& doc)
{
    try {
        if (!doc.setSelectionNamespaces(kRowsetNamespaces)) {
            logReport("CDatabaseManager(SaveRecordsetToDoc): creating xml object failed!");
            return false;
        }
        if (!rs.saveXml(doc) || doc.isEmpty()) {
            logReport("CDatabaseManager(SaveRecordsetToDoc): saving recordset to xml failed!");
            return false;
        }
        return true;
    } catch (...) {
        logReport("CScorvaneWebCsat(SaveRecordsetToDoc): exception!");
        return false;
    }
}

bool CDatabaseManager::StripNamespaces(const XmlNode& node, XmlDocument& out)
{
    if (node.isNull())
        return false;
    if (!m_stripSheet) {
        auto sheet = std::make_shared<XsltStylesheet>();
        if (!sheet->loadXml(kStripNamespacesXslt))
            return false;
        m_stripSheet = std::move(sheet);
    }
    if (!m_stripSheet->transformToDocument(node, out))
        return false;
    return !out.selectSingleNode(QStringLiteral("/child::node()")).isNull();
}

bool CDatabaseManager::AddTableXml(const QString& sql, const QVariantList& params, const QString& name,
                                   XmlDocument& doc)
{
    const auto rs = QueryRs(sql, params);
    if (!rs) {
        logExecuteFailed();
        return false;
    }
    // With plain column names the rows are written straight into the
    // document: the same elements and attributes as the stripped record-set
    // XML, without the stylesheet and the copy.
    if (plainColumnNames(rs->columns())) {
        QString xml = QStringLiteral("<Table Name='%1'><data>").arg(xmlAttributeText(name));
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
            appendRowXml(*rs, xml);
        return appendTable(doc, xml + QStringLiteral("</data></Table>"));
    }
    XmlDocument stripped;
    if (!stripRecordset(*this, *rs, stripped))
        return false;
    XmlNode tables = doc.selectSingleNode(QStringLiteral("//Tables"));
    XmlNode table = doc.createElement(QStringLiteral("Table"));
    if (tables.isNull() || table.isNull() || !table.setAttribute(QStringLiteral("Name"), name) ||
        table.appendChild(stripped.root()).isNull() || tables.appendChild(table).isNull()) {
        logAppendFailed();
        return false;
    }
    return true;
}

bool CDatabaseManager::AddScoresXml(XmlDocument& doc)
{
    return addResultsTableXml(doc, true);
}

bool CDatabaseManager::AddTimesXml(XmlDocument& doc)
{
    return addResultsTableXml(doc, false);
}

bool CDatabaseManager::addResultsTableXml(XmlDocument& doc, bool scored, bool withRows)
{
    const QString tableName = scored ? QStringLiteral("Scores") : QStringLiteral("Times");
    QVector<EventGroup> events;
    for (const EventCfg& e : std::as_const(m_events)) {
        if (scored ? e.isScored() : e.scoringKind == QLatin1String("Timed"))
            events.append({e.id, e.goRoundCount()});
    }
    QString skeleton = QStringLiteral("<Table Name='%1'>").arg(tableName);
    if (!withRows) {
        for (const EventGroup& e : std::as_const(events))
            skeleton += eventXml(e);
        return appendTable(doc, skeleton + QStringLiteral("</Table>"));
    }

    const auto rs = QueryRs(QStringLiteral("SELECT * FROM %1 WHERE RoId = ?").arg(tableName), {m_rodeo.id});
    if (!rs) {
        logExecuteFailed();
        return false;
    }

    // Every event of this kind gets one data element per go-round and one for
    // the finals (the rows of go-round ReGos + 1); each row goes under its
    // event and go-round, in the order read; rows of other events or
    // go-rounds are left out.
    //
    // With plain column names the rows are written straight into the table's
    // text: the same elements and attributes as the stripped record-set XML,
    // without passing every row through the stylesheet (which costs most of
    // the report data of a large rodeo).
    if (plainColumnNames(rs->columns())) {
        QHash<QString, qsizetype> slotOf;
        QVector<QString> rows;
        for (const EventGroup& e : std::as_const(events)) {
            for (int go = 1; go <= e.goRounds + 1; ++go) {
                slotOf.insert(groupKey(e.id, QString::number(go)), rows.size());
                rows.append(QString());
            }
        }
        const int eventColumn = rs->columnOf(QStringLiteral("EvId"));
        const int goColumn = rs->columnOf(QStringLiteral("GoId"));
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
            const auto slot = slotOf.constFind(groupKey(rs->toText(eventColumn), rs->toText(goColumn)));
            if (slot != slotOf.cend())
                appendRowXml(*rs, rows[*slot]);
        }

        QString xml = skeleton;
        qsizetype first = 0;
        for (const EventGroup& e : std::as_const(events)) {
            xml += eventXml(e, &rows, first);
            first += e.goRounds + 1;
        }
        xml += QStringLiteral("</Table>");
        rows.clear();
        return appendTable(doc, xml);
    }

    XmlDocument stripped;
    if (!stripRecordset(*this, *rs, stripped))
        return false;
    for (const EventGroup& e : std::as_const(events))
        skeleton += eventXml(e);
    skeleton += QStringLiteral("</Table>");
    XmlDocument skeletonDoc;
    XmlNode tables = doc.selectSingleNode(QStringLiteral("//Tables"));
    XmlNode table;
    if (skeletonDoc.loadXml(skeleton) && !tables.isNull())
        table = tables.appendChild(skeletonDoc.root());
    if (table.isNull()) {
        logAppendFailed();
        return false;
    }

    // One pass over the rows instead of one search of all rows per event and
    // go-round.
    QHash<QString, XmlNode> targets;
    const QList<XmlNode> eventNodes = table.childElements();
    for (qsizetype i = 0; i < eventNodes.size() && i < events.size(); ++i)
        addGoRoundTargets(eventNodes.at(i), events.at(i), targets);
    const bool ok = moveRowsToGoRounds(stripped, targets);
    if (!ok)
        logAppendFailed();
    return ok;
}

bool CDatabaseManager::AddEventResultsXml(XmlDocument& doc, const QString& eventId)
{
    const EventCfg* cfg = GetEvent(eventId);
    const QString tableName = GetEventTable(eventId);
    if (!cfg || (tableName != QLatin1String("Scores") && tableName != QLatin1String("Times")))
        return false;
    // The id is compared here, not inside the path: it is the operator's text.
    XmlNode event;
    for (const XmlNode& e : doc.selectNodes(QStringLiteral("/Database/Tables/Table/Event"))) {
        if (e.attribute(QStringLiteral("id")) == eventId &&
            e.parent().attribute(QStringLiteral("Name")) == tableName) {
            event = e;
            break;
        }
    }
    if (event.isNull()) {
        logAppendFailed();
        return false;
    }
    for (const XmlNode& child : event.childElements())
        event.removeChild(child);

    const EventGroup group{eventId, cfg->goRoundCount()};
    const auto rs = QueryRs(QStringLiteral("SELECT * FROM %1 WHERE RoId = ? AND EvId = ?").arg(tableName),
                            {m_rodeo.id, eventId});
    if (!rs) {
        logExecuteFailed();
        event.appendXml(eventDataXml(group));
        return false;
    }
    if (plainColumnNames(rs->columns())) {
        QVector<QString> rows(group.goRounds + 1);
        const int goColumn = rs->columnOf(QStringLiteral("GoId"));
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext()) {
            const QString goText = rs->toText(goColumn);
            const int go = goText.toInt();
            if (go >= 1 && go <= group.goRounds + 1 && goText == QString::number(go))
                appendRowXml(*rs, rows[go - 1]);
        }
        if (!event.appendXml(eventDataXml(group, &rows))) {
            logAppendFailed();
            event.appendXml(eventDataXml(group));
            return false;
        }
        return true;
    }

    XmlDocument stripped;
    if (!event.appendXml(eventDataXml(group)) || !stripRecordset(*this, *rs, stripped))
        return false;
    QHash<QString, XmlNode> targets;
    addGoRoundTargets(event, group, targets);
    const bool ok = moveRowsToGoRounds(stripped, targets);
    if (!ok)
        logAppendFailed();
    return ok;
}

void CDatabaseManager::BuildReportData(XmlDocument& doc)
{
    addReportTables(doc);
    AddScoresXml(doc);
    AddTimesXml(doc);
}

void CDatabaseManager::BuildReportFrame(XmlDocument& doc)
{
    addReportTables(doc);
    addResultsTableXml(doc, true, false);
    addResultsTableXml(doc, false, false);
}

void CDatabaseManager::addReportTables(XmlDocument& doc)
{
    if (doc.isEmpty())
        doc.load(kReportTemplate);
    const QVariantList rodeo{m_rodeo.id};
    AddTableXml(QStringLiteral("SELECT * FROM Rodeos WHERE RoId = ?"), rodeo, QStringLiteral("Rodeos"), doc);
    AddTableXml(kRostersSql, rodeo, QStringLiteral("Rosters"), doc);
    AddTableXml(kTeamsSql, rodeo, QStringLiteral("Teams"), doc);
    AddTableXml(QStringLiteral("SELECT * FROM Events"), {}, QStringLiteral("Events"), doc);
    AddTableXml(QStringLiteral("SELECT * FROM RodeoEvents WHERE RoId = ?"), rodeo,
                QStringLiteral("RodeoEvents"), doc);
}
