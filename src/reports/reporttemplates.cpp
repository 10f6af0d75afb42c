#include "reporttemplates.h"

#include "app/log.h"
#include "platform/xml/xmldocument.h"
#include "platform/xml/xsltstylesheet.h"

#include <QMutexLocker>
#include <QRegularExpression>

namespace {

const QString kStylesheetEnd = QStringLiteral("</xsl:stylesheet>");

// The shared templates as text, to be placed inside each stylesheet.
QString sharedTemplates(const XmlDocument& records)
{
    QString text;
    const XmlNode shared = records.selectSingleNode(QStringLiteral("/Records/Shared"));
    for (const XmlNode& child : shared.childElements())
        text += child.xml();
    return text;
}

} // namespace

ReportTemplates::ReportTemplates() = default;
ReportTemplates::~ReportTemplates() = default;

bool ReportTemplates::load(const QString& path)
{
    QMutexLocker locker(&m_lock);
    m_records.clear();

    XmlDocument records;
    if (!records.load(path)) {
        logReport("Failed to read the report records.  ReportTemplates::Load  File:%s, Error:%s", path,
                  records.lastError());
        return false;
    }
    const QString shared = sharedTemplates(records);
    bool all = true;
    for (const XmlNode& record : records.selectNodes(QStringLiteral("./Records/Record"))) {
        const QString name = record.selectSingleNode(QStringLiteral("./@name")).text();
        const QString parameters = record.selectSingleNode(QStringLiteral("./@parameters")).text();
        // Only a record without parameters: a parameter set later would change its page.
        const bool sameForEveryNode =
            parameters.trimmed().isEmpty() &&
            record.attribute(QStringLiteral("sameForEveryNode")) == QLatin1String("yes");
        QString sheetText = record.firstChildElement().xml();
        const qsizetype end = sheetText.lastIndexOf(kStylesheetEnd);
        auto sheet = std::make_shared<XsltStylesheet>();
        if (name.isEmpty() || end < 0 || !sheet->loadXml(sheetText.insert(end, shared))) {
            logReport("Failed to compile a report.  ReportTemplates::Load  Record:%s, Error:%s", name,
                      sheet->lastError());
            all = false;
            continue;
        }
        static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
        m_records.insert(
            name, {parameters.split(separators, Qt::SkipEmptyParts), std::move(sheet), sameForEveryNode});
    }
    return all && !m_records.isEmpty();
}

void ReportTemplates::setPath(const QString& path)
{
    QMutexLocker locker(&m_lock);
    for (Record& r : m_records)
        if (r.parameters.contains(QStringLiteral("Path")))
            r.sheet->setParameter(QStringLiteral("Path"), path);
}

bool ReportTemplates::contains(const QString& name) const
{
    QMutexLocker locker(&m_lock);
    return m_records.contains(name);
}

QStringList ReportTemplates::names() const
{
    QMutexLocker locker(&m_lock);
    return m_records.keys();
}

bool ReportTemplates::sameForEveryNode(const QString& name) const
{
    QMutexLocker locker(&m_lock);
    const auto it = m_records.constFind(name);
    return it != m_records.cend() && it->sameForEveryNode;
}

bool ReportTemplates::transform(const QString& name, XmlDocument& database, QByteArray& out)
{
    out.clear();
    QMutexLocker locker(&m_lock);
    const auto it = m_records.constFind(name);
    if (it == m_records.cend())
        return false;
    if (!it->sheet->transformInPlaceToUtf8(database, out)) {
        logReport("Failed to make a report page.  ReportTemplates::Transform  Record:%s, Error:%s", name,
                  it->sheet->lastError());
        out.clear();
        return false;
    }
    return true;
}
