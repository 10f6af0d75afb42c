#include "xmldocument.h"

#include "xmldocumentdata.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <climits>
#include <cstdio>
#include <iterator>
#include <libxml/parser.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <libxslt/documents.h>
#include <libxslt/security.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltutils.h>
#include <mutex>
#include <vector>

using namespace xmlsupport;

// ---------------------------------------------------------------------------
// XmlDocument

namespace {

XmlDocumentData& ensure(std::shared_ptr<XmlDocumentData>& data)
{
    if (!data)
        data = makeData(nullptr, nullptr);
    return *data;
}

bool isNcName(const QByteArray& name)
{
    return !name.isEmpty() && !name.contains('\0') && xmlValidateNCName(xmlText(name), 0) == 0;
}

} // namespace

XmlDocument::XmlDocument() : m_data(makeData(nullptr, nullptr)) {}

XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;

XmlDocument::LoadStatus XmlDocument::loadFile(const QString& path)
{
    // A new data object: nodes handed out before keep the old tree alive.
    auto data = makeData(nullptr, m_data);
    m_data = data;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        data->lastError = QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString());
        return LoadStatus::Unreadable;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        data->lastError = QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString());
        return LoadStatus::Unreadable;
    }
    QString error;
    xmlDocPtr doc = parse(bytes, false, error);
    if (!doc) {
        data->lastError = error;
        return LoadStatus::NotWellFormed;
    }
    xmlFreeDoc(data->doc);
    data->doc = doc;
    return LoadStatus::Ok;
}

bool XmlDocument::loadXml(const QString& text)
{
    auto data = makeData(nullptr, m_data);
    m_data = data;
    QString error;
    xmlDocPtr doc = parse(text.toUtf8(), true, error);
    if (!doc) {
        data->lastError = error;
        return false;
    }
    xmlFreeDoc(data->doc);
    data->doc = doc;
    return true;
}

bool XmlDocument::save(const QString& path) const
{
    if (!m_data)
        return false;
    XmlDocumentData& data = *m_data;
    data.lastError.clear();
    // Writing an empty document would wipe whatever the file held.
    if (!xmlDocGetRootElement(data.doc)) {
        data.lastError = QStringLiteral("The document has no root element.");
        return false;
    }
    ErrorScope scope;
    const QByteArray bytes = serialise(data.doc);
    if (bytes.isEmpty()) {
        data.lastError =
            scope.text().isEmpty() ? QStringLiteral("The document could not be serialised.") : scope.text();
        return false;
    }
    // Written beside the target and renamed over it, so a failure midway
    // leaves the previous file intact.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        data.lastError = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        data.lastError = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

bool XmlDocument::isEmpty() const
{
    return !m_data || !xmlDocGetRootElement(m_data->doc);
}

XmlNode XmlDocument::documentNode() const
{
    if (!m_data)
        return XmlNode();
    return XmlNode(m_data, m_data->doc);
}

XmlNode XmlDocument::root() const
{
    if (!m_data)
        return XmlNode();
    xmlNodePtr root = xmlDocGetRootElement(m_data->doc);
    return root ? XmlNode(m_data, root) : XmlNode();
}

XmlNode XmlDocument::setRoot(const QString& name)
{
    XmlNode element = createElement(name);
    if (element.isNull())
        return element;
    XmlDocumentData& data = *m_data;
    xmlNodePtr node = static_cast<xmlNodePtr>(element.m_node);
    data.detached.erase(node);
    if (xmlNodePtr old = xmlDocSetRootElement(data.doc, node))
        data.detach(old);
    return element;
}

XmlNode XmlDocument::createElement(const QString& name)
{
    XmlDocumentData& data = ensure(m_data);
    data.lastError.clear();
    const QByteArray utf8 = name.toUtf8();
    if (utf8.isEmpty() || utf8.contains('\0') || xmlValidateName(xmlText(utf8), 0) != 0) {
        data.lastError = QStringLiteral("\"%1\" is not a valid element name.").arg(name);
        return XmlNode();
    }
    xmlNodePtr node = xmlNewDocNode(data.doc, nullptr, xmlText(utf8), nullptr);
    if (!node) {
        data.lastError = QStringLiteral("Out of memory.");
        return XmlNode();
    }
    data.detach(node);
    return XmlNode(m_data, node);
}

bool XmlDocument::setSelectionNamespaces(const QString& declarations)
{
    XmlDocumentData& data = ensure(m_data);
    data.lastError.clear();
    // xmlns:prefix='uri' or "uri", separated by blanks; a default namespace
    // (xmlns='uri') is accepted and, as XPath 1.0 has no default namespace, unused.
    static const QRegularExpression declaration(
        QStringLiteral(R"re(\s*xmlns(?::([^\s=]+))?\s*=\s*(?:'([^']*)'|"([^"]*)")\s*)re"));
    QList<QPair<QByteArray, QByteArray>> namespaces;
    qsizetype position = 0;
    while (position < declarations.size()) {
        const QRegularExpressionMatch match =
            declaration.match(declarations, position, QRegularExpression::NormalMatch,
                              QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch()) {
            if (declarations.mid(position).trimmed().isEmpty())
                break;
            data.lastError = QStringLiteral("Invalid namespace declarations: \"%1\"").arg(declarations);
            return false;
        }
        position = match.capturedEnd();
        if (!match.hasCaptured(1))
            continue;
        const QByteArray prefix = match.captured(1).toUtf8();
        QString uri = match.hasCaptured(2) ? match.captured(2) : match.captured(3);
        uri.replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&apos;"), QLatin1String("'"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        if (!isNcName(prefix) || uri.isEmpty() || uri.contains(QChar::Null)) {
            data.lastError =
                QStringLiteral("Invalid namespace declaration for prefix \"%1\".").arg(match.captured(1));
            return false;
        }
        namespaces.removeIf([&](const auto& entry) { return entry.first == prefix; });
        namespaces.append({prefix, uri.toUtf8()});
    }
    data.namespaces = namespaces;
    return true;
}

QString XmlDocument::xml() const
{
    if (!m_data || !m_data->doc->children)
        return QString();
    ErrorScope scope;
    return QString::fromUtf8(serialise(m_data->doc));
}

QString XmlDocument::lastError() const
{
    return m_data ? m_data->lastError : QString();
}
