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
// Library set-up and error channels

namespace {

thread_local ErrorScope* t_scope = nullptr;

void routeGenericError(void*, const char* format, ...)
{
    if (!t_scope)
        return;
    va_list args;
    va_start(args, format);
    QString text;
    appendFormatted(text, format, args);
    va_end(args);
    t_scope->append(text);
}

void routeStructuredError(void*, xmlErrorPtr error)
{
    if (t_scope && error)
        t_scope->append(describe(error) + QLatin1Char('\n'));
}

// Nothing the program parses may pull in other files or hosts: external
// entities and DTDs are never fetched, whatever the options of a caller.
xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr)
{
    return nullptr;
}

xmlDocPtr refuseStylesheetDocument(const xmlChar*, xmlDictPtr, int, void*, xsltLoadType)
{
    return nullptr;
}

} // namespace

void xmlsupport::initialise()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xsltInit();
        xmlSetExternalEntityLoader(refuseExternalEntity);
        xsltSetLoaderFunc(refuseStylesheetDocument);
        // Used by stylesheets at compile time (xsl:include, xsl:import) and given
        // to every transformation (document(), xsl:document).
        xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
        for (xsltSecurityOption option :
             {XSLT_SECPREF_READ_FILE, XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
              XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK})
            xsltSetSecurityPrefs(prefs, option, xsltSecurityForbid);
        xsltSetDefaultSecurityPrefs(prefs);
        xsltSetGenericErrorFunc(nullptr, routeGenericError);
        xmlThrDefSetGenericErrorFunc(nullptr, routeGenericError);
        xmlThrDefSetStructuredErrorFunc(nullptr, routeStructuredError);
    });
    // libxml2 keeps its error channels per thread.
    thread_local bool threadReady = false;
    if (!threadReady) {
        xmlSetGenericErrorFunc(nullptr, routeGenericError);
        xmlSetStructuredErrorFunc(nullptr, routeStructuredError);
        threadReady = true;
    }
}

ErrorScope::ErrorScope()
{
    // Also sets up the channels of a thread that only ever handles nodes made
    // elsewhere.
    initialise();
    m_outer = t_scope;
    t_scope = this;
}

ErrorScope::~ErrorScope()
{
    t_scope = m_outer;
}

void xmlsupport::appendFormatted(QString& target, const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (size <= 0)
        return;
    std::vector<char> buffer(size_t(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    target += QString::fromUtf8(buffer.data(), size);
}

QString xmlsupport::describe(const xmlError* error)
{
    if (!error)
        return QString();
    QString text = QString::fromUtf8(error->message ? error->message : "unknown error").trimmed();
    if (error->line > 0) {
        text += QStringLiteral(" (line %1").arg(error->line);
        if (error->int2 > 0)
            text += QStringLiteral(", column %1").arg(error->int2);
        text += QLatin1Char(')');
    }
    return text;
}

QString xmlsupport::tidy(const QString& messages)
{
    QStringList lines;
    for (const QString& line : messages.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            lines << trimmed;
    }
    return lines.join(QStringLiteral("; "));
}

std::shared_ptr<XmlDocumentData> xmlsupport::makeData(xmlDocPtr doc,
                                                      const std::shared_ptr<XmlDocumentData>& previous)
{
    initialise();
    if (!doc)
        doc = xmlNewDoc(BAD_CAST "1.0");
    auto data = std::make_shared<XmlDocumentData>(doc);
    if (previous)
        data->namespaces = previous->namespaces;
    return data;
}

XmlDocumentData::~XmlDocumentData()
{
    // Collect first: freeing one fragment must not be followed by a look at a
    // node that lived inside it.
    std::vector<xmlNodePtr> roots;
    for (xmlNodePtr node : detached) {
        if (!node->parent)
            roots.push_back(node);
    }
    for (xmlNodePtr node : roots)
        xmlFreeNode(node); // frees attributes too
    if (doc)
        xmlFreeDoc(doc);
}

namespace {

void collectParseError(void* userData, xmlErrorPtr error)
{
    // The parser passes its context as user data; our collector rides in _private.
    auto ctxt = static_cast<xmlParserCtxtPtr>(userData);
    auto collected = ctxt ? static_cast<QString*>(ctxt->_private) : nullptr;
    if (!collected || !error || error->level < XML_ERR_ERROR)
        return;
    if (collected->isEmpty())
        *collected = describe(error);
}

} // namespace

xmlDocPtr xmlsupport::parse(const QByteArray& bytes, bool fromText, QString& error)
{
    initialise();
    error.clear();
    if (bytes.isEmpty()) {
        error = QStringLiteral("The document is empty.");
        return nullptr;
    }
    if (bytes.size() > INT_MAX) {
        error = QStringLiteral("The document is too large.");
        return nullptr;
    }
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) {
        error = QStringLiteral("Out of memory.");
        return nullptr;
    }
    QString collected;
    ErrorScope scope; // anything not tied to the parser context
    ctxt->_private = &collected;
    ctxt->sax->serror = collectParseError;

    // No NOENT (entities stay references), no DTDLOAD, no validation: a hostile
    // document cannot make us read anything. Blank text between elements is
    // dropped, so that documents read as their elements and save indented.
    int options = XML_PARSE_NONET | XML_PARSE_NOBLANKS;
    if (fromText)
        options |= XML_PARSE_IGNORE_ENC;
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), nullptr,
                                      fromText ? "UTF-8" : nullptr, options);
    const bool ok = doc && ctxt->wellFormed && ctxt->nsWellFormed;
    if (!ok) {
        if (doc)
            xmlFreeDoc(doc);
        doc = nullptr;
        if (collected.isEmpty())
            collected = scope.text();
        error = collected.isEmpty() ? QStringLiteral("The document is not well-formed XML.") : collected;
    }
    ctxt->_private = nullptr;
    xmlFreeParserCtxt(ctxt);
    return doc;
}

xmlDocPtr xmlsupport::copyToNewDocument(xmlNodePtr node)
{
    if (!node)
        return nullptr;
    if (node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE)
        return xmlCopyDoc(reinterpret_cast<xmlDocPtr>(node), 1);
    if (node->type != XML_ELEMENT_NODE)
        return nullptr;
    xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
    if (!doc)
        return nullptr;
    // Unlike a fresh document's default, this keeps non-ASCII attribute text
    // as it is when the copy is serialised.
    doc->encoding = xmlStrdup(BAD_CAST "UTF-8");
    // A copy without a parent declares the namespaces it uses from outside the
    // subtree on its own top element.
    xmlNodePtr copy = xmlDocCopyNode(node, doc, 1);
    if (!copy) {
        xmlFreeDoc(doc);
        return nullptr;
    }
    xmlDocSetRootElement(doc, copy);
    return doc;
}

QByteArray xmlsupport::serialise(xmlDocPtr doc)
{
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc, &text, &size, "UTF-8", 1);
    QByteArray bytes;
    if (text) {
        bytes = QByteArray(reinterpret_cast<const char*>(text), size);
        xmlFree(text);
    }
    return bytes;
}

