#pragma once

// Shared by XmlDocument, XmlNode and XsltStylesheet; nothing outside this folder
// includes it, so libxml2 stays out of the rest of the program.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <cstdarg>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <memory>
#include <unordered_set>

struct XmlDocumentData
{
    explicit XmlDocumentData(xmlDocPtr document) : doc(document) {}
    ~XmlDocumentData();
    XmlDocumentData(const XmlDocumentData&) = delete;
    XmlDocumentData& operator=(const XmlDocumentData&) = delete;

    // A node taken out of the tree (or never put in) may still be referenced by
    // an XmlNode, so it lives as long as the document; it is freed then unless it
    // has been linked into the tree again.
    void detach(xmlNodePtr node) { detached.insert(node); }

    xmlDocPtr doc = nullptr;
    QString lastError;
    QList<QPair<QByteArray, QByteArray>> namespaces; // XPath prefix -> URI
    std::unordered_set<xmlNodePtr> detached;
    // Inside an XsltInPlaceBatch that has expanded the entities: transforms in
    // place neither expand them again nor clear the order libxslt numbers.
    bool preparedForXslt = false;
};

namespace xmlsupport {

// Sets libxml2 and libxslt up once per process, and their error channels once
// per thread. Every entry point calls it.
void initialise();

inline QString fromXml(const xmlChar* text)
{
    return text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
}
inline const xmlChar* xmlText(const QByteArray& utf8)
{
    return reinterpret_cast<const xmlChar*>(utf8.constData());
}

// A new document object around doc (an empty document when doc is null) that
// keeps the selection namespaces of previous, as MSXML keeps its properties
// across loads.
std::shared_ptr<XmlDocumentData> makeData(xmlDocPtr doc, const std::shared_ptr<XmlDocumentData>& previous);

// Parses XML without touching the network, without loading an external DTD and
// without expanding entities. fromText: the bytes are UTF-8 converted from a
// QString, whatever encoding the declaration names. Null on failure, with error.
xmlDocPtr parse(const QByteArray& bytes, bool fromText, QString& error);

// A copy of node (deep) as the root of a new document, namespace declarations
// from outside the subtree included. Null for nodes that cannot be a root.
xmlDocPtr copyToNewDocument(xmlNodePtr node);

// The whole document as indented UTF-8 text.
QByteArray serialise(xmlDocPtr doc);

QString describe(const xmlError* error);
// Joins the lines of collected library messages into one line.
QString tidy(const QString& messages);
void appendFormatted(QString& target, const char* format, va_list args);

// Collects what libxml2 and libxslt report on their generic channels on this
// thread while it is alive; without a scope those messages are dropped instead
// of being printed to standard error.
class ErrorScope
{
public:
    ErrorScope();
    ~ErrorScope();
    ErrorScope(const ErrorScope&) = delete;
    ErrorScope& operator=(const ErrorScope&) = delete;

    void append(const QString& message) { m_text += message; }
    QString text() const { return tidy(m_text); }

private:
    QString m_text;
    ErrorScope* m_outer = nullptr;
};

} // namespace xmlsupport
