#include "xsltstylesheet.h"

#include "xmldocumentdata.h"

#include <QFile>
#include <cstddef>
#include <libxml/encoding.h>
#include <libxml/entities.h>
#include <libxslt/imports.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/variables.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

using namespace xmlsupport;

struct XsltStylesheetData
{
    ~XsltStylesheetData() { reset(); }
    void reset()
    {
        if (style)
            xsltFreeStylesheet(style); // frees its document too
        style = nullptr;
    }

    xsltStylesheetPtr style = nullptr;
    QMap<QString, QString> parameters;
    QString lastError;
};

namespace {

void collectTransformError(void* context, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    appendFormatted(*static_cast<QString*>(context), format, args);
    va_end(args);
}

// Parsing keeps entity references as nodes, but XSLT sees a tree with entities
// replaced, and libxslt refuses references in places such as xsl:text. The
// internal ones are expanded here from the declarations in the document itself;
// external ones (never fetched) are dropped. budget bounds the copying, so
// nested entities cannot make a small text grow without end.
long countNodes(xmlNodePtr first)
{
    long count = 0;
    for (xmlNodePtr node = first; node; node = node->next) {
        ++count;
        if (node->type == XML_ELEMENT_NODE)
            count += countNodes(node->children);
    }
    return count;
}

bool expandEntities(xmlDocPtr doc, xmlNodePtr parent, long& budget, int depth = 0)
{
    if (depth > 64)
        return false;
    for (xmlNodePtr child = parent->children; child;) {
        xmlNodePtr next = child->next;
        if (child->type == XML_ELEMENT_NODE) {
            if (!expandEntities(doc, child, budget, depth))
                return false;
        } else if (child->type == XML_ENTITY_REF_NODE) {
            xmlEntityPtr entity = xmlGetDocEntity(doc, child->name);
            xmlNodePtr holder = xmlNewDocNode(doc, nullptr, BAD_CAST "holder", nullptr);
            if (!holder)
                return false;
            if (entity && entity->etype == XML_INTERNAL_GENERAL_ENTITY) {
                if (entity->children) {
                    budget -= countNodes(entity->children);
                    xmlAddChildList(holder, xmlDocCopyNodeList(doc, entity->children));
                } else if (entity->content) {
                    xmlAddChild(holder, xmlNewDocText(doc, entity->content));
                }
            }
            budget -= 1;
            if (budget < 0 || !expandEntities(doc, holder, budget, depth + 1)) {
                xmlFreeNode(holder);
                return false;
            }
            while (xmlNodePtr node = holder->children) {
                xmlUnlinkNode(node);
                xmlAddPrevSibling(child, node);
            }
            xmlFreeNode(holder);
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        }
        child = next;
    }
    return true;
}

bool expandEntities(xmlDocPtr doc)
{
    long budget = 1000000;
    return expandEntities(doc, reinterpret_cast<xmlNodePtr>(doc), budget);
}

bool compile(XsltStylesheetData& data, xmlDocPtr doc)
{
    if (!expandEntities(doc)) {
        xmlFreeDoc(doc);
        data.lastError = QStringLiteral("The stylesheet's entities expand too far.");
        return false;
    }
    ErrorScope scope; // compile errors go to libxslt's generic channel
    data.style = xsltParseStylesheetDoc(doc);
    if (!data.style) {
        xmlFreeDoc(doc); // left to the caller on failure
        data.lastError = scope.text().isEmpty()
                             ? QStringLiteral("The document is not a valid XSLT stylesheet.")
                             : scope.text();
        return false;
    }
    return true;
}

// The bytes xsltSaveResultToString wrote in the encoding xsl:output names,
// as UTF-8.
bool utf8Output(const xmlChar* bytes, int size, xsltStylesheetPtr style, QByteArray& out)
{
    const xmlChar* encoding = nullptr;
    XSLT_GET_IMPORT_PTR(encoding, style, encoding)
    xmlCharEncodingHandlerPtr handler =
        encoding ? xmlFindCharEncodingHandler(reinterpret_cast<const char*>(encoding)) : nullptr;
    // Without a converter libxslt writes UTF-8, as it does for UTF-8 itself.
    if (!handler || xmlStrcasecmp(reinterpret_cast<const xmlChar*>(handler->name), BAD_CAST "UTF-8") == 0) {
        if (handler)
            xmlCharEncCloseFunc(handler);
        out = QByteArray(reinterpret_cast<const char*>(bytes), size);
        return true;
    }
    xmlBufferPtr in = xmlBufferCreate();
    xmlBufferPtr utf8 = xmlBufferCreate();
    bool ok = in && utf8 && xmlBufferAdd(in, bytes, size) == 0;
    while (ok && xmlBufferLength(in) > 0) {
        const int before = xmlBufferLength(in);
        const int result = xmlCharEncInFunc(handler, utf8, in);
        ok = result != -2 && xmlBufferLength(in) < before;
    }
    if (ok) {
        out = QByteArray(reinterpret_cast<const char*>(xmlBufferContent(utf8)), xmlBufferLength(utf8));
        if (out.startsWith("\xEF\xBB\xBF")) // the byte-order mark of UTF-16 output
            out.remove(0, 3);
    }
    xmlCharEncCloseFunc(handler);
    if (in)
        xmlBufferFree(in);
    if (utf8)
        xmlBufferFree(utf8);
    return ok;
}

} // namespace

XsltStylesheet::XsltStylesheet() : m_data(std::make_unique<XsltStylesheetData>())
{
    initialise();
}

XsltStylesheet::~XsltStylesheet() = default;

bool XsltStylesheet::loadXml(const QString& text)
{
    m_data->reset();
    m_data->lastError.clear();
    xmlDocPtr doc = parse(text.toUtf8(), true, m_data->lastError);
    return doc && compile(*m_data, doc);
}

bool XsltStylesheet::load(const QString& path)
{
    m_data->reset();
    m_data->lastError.clear();
    // Read here rather than by libxslt, whose loader is closed to every file.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_data->lastError = QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_data->lastError = QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    xmlDocPtr doc = parse(bytes, false, m_data->lastError);
    return doc && compile(*m_data, doc);
}

bool XsltStylesheet::isLoaded() const
{
    return m_data->style != nullptr;
}

void XsltStylesheet::setParameter(const QString& name, const QString& value)
{
    m_data->parameters.insert(name, value);
}

void XsltStylesheet::clearParameters()
{
    m_data->parameters.clear();
}

namespace {

// Whether the stylesheet, or one it imports, strips whitespace-only text.
bool strips(xsltStylesheetPtr style)
{
    for (xsltStylesheetPtr s = style; s; s = xsltNextImport(s)) {
        if (s->stripSpaces || s->stripAll)
            return true;
    }
    return false;
}

// libxslt numbers the elements of its input for document order, in their
// otherwise unused content field, and XPath then sorts by those numbers. On a
// document that lives on, any later move of a node would make them wrong, so
// they are cleared again after a transform in place.
void forgetDocumentOrder(xmlDocPtr doc)
{
    const auto top = reinterpret_cast<xmlNodePtr>(doc);
    xmlNodePtr node = doc->children;
    while (node) {
        if (node->type == XML_ELEMENT_NODE) {
            if (reinterpret_cast<std::ptrdiff_t>(node->content) < 0)
                node->content = nullptr;
            if (node->children) {
                node = node->children;
                continue;
            }
        }
        while (node && !node->next)
            node = node->parent == top ? nullptr : node->parent;
        if (node)
            node = node->next;
    }
}

// Runs the stylesheet on a private copy of source: libxslt marks the input
// (document order, xsl:strip-space), and a node's subtree is processed as a
// document of its own, starting with the "/" template. With inPlace, a whole
// document is transformed itself unless the stylesheet strips whitespace;
// prepared: an XsltInPlaceBatch has expanded its entities and clears its order.
xmlDocPtr apply(XsltStylesheetData& data, const XmlNode& source, void* sourceNode, bool inPlace = false,
                bool prepared = false)
{
    data.lastError.clear();
    if (!data.style) {
        data.lastError = QStringLiteral("No stylesheet is loaded.");
        return nullptr;
    }
    if (source.isNull()) {
        data.lastError = QStringLiteral("There is no source to transform.");
        return nullptr;
    }
    ErrorScope scope;
    const auto node = static_cast<xmlNodePtr>(sourceNode);
    // Whitespace stripped for one stylesheet would be missing for the next.
    const bool own = inPlace && node->type == XML_DOCUMENT_NODE && !strips(data.style);
    const bool batched = own && prepared;
    xmlDocPtr input = own ? reinterpret_cast<xmlDocPtr>(node) : copyToNewDocument(node);
    const auto release = [own, batched](xmlDocPtr doc) {
        if (batched)
            return;
        if (own)
            forgetDocumentOrder(doc);
        else
            xmlFreeDoc(doc);
    };
    if (!input) {
        data.lastError = QStringLiteral("Only a document or an element can be transformed.");
        return nullptr;
    }
    if (!batched && !expandEntities(input)) {
        release(input);
        data.lastError = QStringLiteral("The source's entities expand too far.");
        return nullptr;
    }
    xsltTransformContextPtr ctxt = xsltNewTransformContext(data.style, input);
    if (!ctxt) {
        release(input);
        data.lastError = QStringLiteral("Out of memory.");
        return nullptr;
    }
    QString errors;
    xsltSetTransformErrorFunc(ctxt, &errors, collectTransformError);
    xsltSetCtxtSecurityPrefs(xsltGetDefaultSecurityPrefs(), ctxt);

    bool ok = true;
    for (auto it = data.parameters.cbegin(); ok && it != data.parameters.cend(); ++it) {
        // Passed as a string value, never as an XPath expression, so quotes of
        // any kind in the value are harmless.
        const QByteArray name = it.key().toUtf8();
        const QByteArray value = it.value().toUtf8();
        ok = xsltQuoteOneUserParam(ctxt, xmlText(name), xmlText(value)) == 0;
        if (!ok)
            errors += QStringLiteral("Invalid parameter \"%1\".\n").arg(it.key());
    }
    xmlDocPtr result = nullptr;
    if (ok) {
        result = xsltApplyStylesheetUser(data.style, input, nullptr, nullptr, nullptr, ctxt);
        if (result && ctxt->state != XSLT_STATE_OK) {
            xmlFreeDoc(result);
            result = nullptr;
        }
    }
    xsltFreeTransformContext(ctxt);
    release(input);
    if (!result) {
        const QString message = tidy(errors + QLatin1Char('\n') + scope.text());
        data.lastError = message.isEmpty() ? QStringLiteral("The transformation failed.") : message;
    }
    return result;
}

} // namespace

bool XsltStylesheet::transformToText(const XmlNode& source, QString& out)
{
    QByteArray utf8;
    const bool ok = toUtf8(apply(*m_data, source, source.m_node), utf8);
    out = QString::fromUtf8(utf8);
    return ok;
}

bool XsltStylesheet::transformInPlaceToUtf8(XmlDocument& source, QByteArray& out)
{
    const XmlNode node = source.documentNode();
    const bool prepared = node.m_doc && node.m_doc->preparedForXslt;
    return toUtf8(apply(*m_data, node, node.m_node, true, prepared), out);
}

XsltInPlaceBatch::XsltInPlaceBatch(XmlDocument& source) : m_doc(source.documentNode().m_doc)
{
    if (!m_doc || !m_doc->doc || m_doc->preparedForXslt) {
        m_doc.reset();
        return;
    }
    initialise();
    // When the entities cannot be expanded, each transform tries and fails itself.
    m_doc->preparedForXslt = expandEntities(m_doc->doc);
}

XsltInPlaceBatch::~XsltInPlaceBatch()
{
    if (!m_doc)
        return;
    if (m_doc->preparedForXslt)
        forgetDocumentOrder(m_doc->doc);
    m_doc->preparedForXslt = false;
}

bool XsltStylesheet::toUtf8(void* resultDocument, QByteArray& out)
{
    out.clear();
    const auto result = static_cast<xmlDocPtr>(resultDocument);
    if (!result)
        return false;
    ErrorScope scope;
    xmlChar* bytes = nullptr;
    int size = 0;
    bool ok = xsltSaveResultToString(&bytes, &size, result, m_data->style) == 0;
    if (ok && bytes)
        ok = utf8Output(bytes, size, m_data->style, out);
    if (bytes)
        xmlFree(bytes);
    xmlFreeDoc(result);
    if (!ok) {
        out.clear();
        m_data->lastError = scope.text().isEmpty()
                                ? QStringLiteral("The result could not be written as text.")
                                : scope.text();
    }
    return ok;
}

bool XsltStylesheet::transformToDocument(const XmlNode& source, XmlDocument& out)
{
    xmlDocPtr result = apply(*m_data, source, source.m_node);
    if (!result)
        return false;
    out.m_data = makeData(result, out.m_data);
    return true;
}

QString XsltStylesheet::lastError() const
{
    return m_data->lastError;
}
