#include "reportbuilder.h"

#include "app/log.h"
#include "db/databasemanager.h"
#include "platform/xml/xmlchildrenaside.h"
#include "platform/xml/xsltstylesheet.h"
#include "reporttemplates.h"
#include "standingcells.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

#include <sys/stat.h>

namespace {

const QString kReportTemplate = QStringLiteral(":/xml/reportdata.xml");

} // namespace

ReportBuilder::ReportBuilder(CDatabaseManager& db, ReportTemplates& templates,
                             SelectCompetition selectCompetition, const QString& htmlFolder)
    : m_db(db), m_templates(templates), m_select(std::move(selectCompetition)), m_folder(htmlFolder)
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

QString ReportBuilder::pathParameter(const QString& htmlFolder)
{
    // A plain path with spaces ("Scorvane Rodeo") is no valid link target; a
    // file URL is understood by every browser and by the view's own pane.
    QString url = QUrl::fromLocalFile(htmlFolder).toString(QUrl::FullyEncoded);
    if (!url.endsWith(QLatin1Char('/')))
        url += QLatin1Char('/');
    return url;
}

bool ReportBuilder::refresh()
{
    m_kept.clear();
    XmlDocument doc;
    if (!doc.load(kReportTemplate)) {
        logReport("Failed to create the report data.  CViewReports::OnShow  Error:%s", doc.lastError());
        m_doc = XmlDocument();
        return false;
    }
    if (m_db.isRodeoOpen())
        m_db.BuildReportFrame(doc); // an event's rows come with its first selection
    m_doc = std::move(doc);
    return true;
}

ReportNode ReportBuilder::tree() const
{
    return buildReportTree(m_db);
}

bool ReportBuilder::setAttributes(quint32 key)
{
    const XmlNode root = m_doc.root();
    if (root.isNull())
        return false;
    const quint32 level = ReportKey::level(key);
    QString event;
    QString go;
    QString perf;
    if (level != ReportKey::Rodeo) {
        const QVector<EventCfg>& events = m_db.events();
        const int index = ReportKey::eventIndex(key);
        if (index >= events.size())
            return false;
        const EventCfg& e = events.at(index);
        event = e.id;
        if (level == ReportKey::GoRound || level == ReportKey::Performance) {
            const int number = ReportKey::goNumber(key);
            go = number > e.goRoundCount() ? QStringLiteral("FINALS") : QString::number(number);
        }
        if (level == ReportKey::Performance)
            perf = QString::number(ReportKey::performance(key));
    }
    XmlNode r = root;
    return r.setAttribute(QStringLiteral("level"), QString::number(level)) &&
           r.setAttribute(QStringLiteral("curEvn"), event) && r.setAttribute(QStringLiteral("curGo"), go) &&
           r.setAttribute(QStringLiteral("curPerf"), perf);
}

XmlNode ReportBuilder::eventNode(const QString& eventId) const
{
    const QString table = m_db.GetEventTable(eventId);
    // Compared here rather than inside the path: an event id is text of the
    // operator's and must not become part of an expression. From the root
    // down: a search of the whole document passes every row of every event.
    for (const XmlNode& e : m_doc.selectNodes(QStringLiteral("/Database/Tables/Table/Event"))) {
        if (e.attribute(QStringLiteral("id")) == eventId &&
            e.parent().attribute(QStringLiteral("Name")) == table)
            return e;
    }
    return XmlNode();
}

bool ReportBuilder::ensureStatistics(quint32 key)
{
    const QVector<EventCfg>& events = m_db.events();
    const int index = ReportKey::eventIndex(key);
    if (index >= events.size())
        return false;
    const EventCfg event = events.at(index);
    XmlNode target = eventNode(event.id);
    if (target.isNull())
        return false;
    if (!target.selectSingleNode(QStringLiteral("./data[@go = 'TOTAL']")).isNull())
        return true;
    m_db.AddEventResultsXml(m_doc, event.id);
    const bool added = addStatistics(event.id, static_cast<quint16>(ReportKey::goNumber(key)), target);
    // The go-rounds' cells are there even when the standings are not.
    StandingCells::write(m_doc, target,
                         StandingCells::rulesOf(tableRow(QStringLiteral("Events"), event.id),
                                                tableRow(QStringLiteral("RodeoEvents"), event.id)));
    return added;
}

bool ReportBuilder::addStatistics(const QString& eventId, quint16 goRound, XmlNode& target)
{
    RegEntry selection;
    selection.eventId = eventId;
    selection.goRound = goRound;
    if (!m_select || !m_select(selection)) {
        logReport("Failed to select the competition.  CViewReports::SelChanged  Event:%s", eventId);
        return false;
    }
    const Standings& standings = m_db.standings();
    standings.copyPositions(target);
    XmlDocument total;
    if (!total.loadXml(standings.totalXml()) ||
        target.appendChild(total.selectSingleNode(QStringLiteral("/child::node()"))).isNull()) {
        logReport("Failed to add the standings.  CViewReports::SelChanged  Event:%s", eventId);
        return false;
    }
    return true;
}

XmlNode ReportBuilder::tableRow(const QString& table, const QString& eventId) const
{
    // The event id is compared here for the same reason as in eventNode(); the
    // table's name is the program's own.
    const QString rows = QStringLiteral("/Database/Tables/Table[@Name = '%1']/data/row").arg(table);
    for (const XmlNode& row : m_doc.selectNodes(rows)) {
        if (row.attribute(QStringLiteral("EvId")) == eventId)
            return row;
    }
    return XmlNode();
}

bool ReportBuilder::writeRecord(const QString& name, XmlDocument& input, QStringList& written)
{
    const QString file = name + QStringLiteral(".html");
    const QString path = m_folder + file;
    const bool keep = m_templates.sameForEveryNode(name);
    if (keep) {
        const auto it = m_kept.constFind(name);
        if (it != m_kept.cend() && *it == FileStamp::of(path)) {
            written << file;
            return true;
        }
        m_kept.remove(name); // replaced or removed by someone else: made again
    }
    QByteArray html;
    if (!m_templates.transform(name, input, html))
        return false;
    if (!writePage(path, html))
        return true; // a page that cannot be written is skipped; the next ones still follow
    if (keep) {
        const FileStamp stamp = FileStamp::of(path);
        if (stamp.size >= 0)
            m_kept.insert(name, stamp);
    }
    written << file;
    return true;
}

ReportBuilder::FileStamp ReportBuilder::FileStamp::of(const QString& path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QStringList ReportBuilder::select(quint32 key)
{
    QStringList written;
    if (m_doc.isEmpty() || !setAttributes(key))
        return written;
    const quint32 level = ReportKey::level(key);
    if (level != ReportKey::Rodeo)
        ensureStatistics(key); // without them the standings pages have headers and no rows

    const bool event = level != ReportKey::Rodeo;
    const bool goRound = level == ReportKey::GoRound || level == ReportKey::Performance;
    const bool performance = level == ReportKey::Performance;

    // No page reads another event's results, and each stylesheet builds its
    // keys over the whole document it is given: the other events are set
    // aside while the pages are written.
    const QString eventId = m_doc.root().attribute(QStringLiteral("curEvn"));
    XmlChildrenAside others;
    for (const XmlNode& other :
         m_doc.selectNodes(QStringLiteral("/Database/Tables/Table[@Name = 'Scores' or @Name = 'Times']/Event"))) {
        if (other.attribute(QStringLiteral("id")) != eventId)
            others.take(other);
    }
    // The document stays as it is until the last page is written.
    XsltInPlaceBatch batch(m_doc);
    writeRecord(QStringLiteral("Index"), m_doc, written);
    // Each registration list leads to the next: one that fails takes the
    // narrower ones with it.
    if (writeRecord(QStringLiteral("RegRodeo"), m_doc, written) && event &&
        writeRecord(QStringLiteral("RegEvent"), m_doc, written) && performance)
        writeRecord(QStringLiteral("RegPerf"), m_doc, written);
    if (goRound)
        writeRecord(QStringLiteral("StandingGo"), m_doc, written);
    if (performance)
        writeRecord(QStringLiteral("StandingPerf"), m_doc, written);
    if (event)
        writeRecord(QStringLiteral("StandingAvg"), m_doc, written);
    return written;
}

bool ReportBuilder::writePage(const QString& path, const QString& html)
{
    return writePage(path, html.toUtf8());
}

bool ReportBuilder::writePage(const QString& path, const QByteArray& utf8)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        logReport("Failed to create the report folder.  CViewReports::WritePage  Folder:%s", folder);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        logReport("Failed to write the report page.  CViewReports::WritePage  File:%s, Error:%s", path,
                  file.errorString());
        return false;
    }
    if (file.write(utf8) != utf8.size() || !file.commit()) {
        logReport("Failed to write the report page.  CViewReports::WritePage  File:%s, Error:%s", path,
                  file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}
