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
// XmlNode

namespace {

xmlNodePtr asNode(void* node)
{
    return static_cast<xmlNodePtr>(node);
}

bool isDocument(xmlNodePtr node)
{
    return node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE;
}

QString qualifiedName(const xmlChar* prefix, const xmlChar* name)
{
    if (prefix && *prefix)
        return fromXml(prefix) + QLatin1Char(':') + fromXml(name);
    return fromXml(name);
}

QString contentOf(xmlNodePtr node)
{
    xmlChar* content = xmlNodeGetContent(node);
    const QString text = fromXml(content);
    xmlFree(content);
    return text;
}

// Text XML 1.0 can hold; anything else would make the saved file unreadable.
bool isXmlText(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF ||
            (c < 0x20 && c != 0x9 && c != 0xA && c != 0xD))
            return false;
    }
    return true;
}

bool isValidName(const QByteArray& name)
{
    return !name.isEmpty() && !name.contains('\0') && xmlValidateName(xmlText(name), 0) == 0;
}

// Whether a name as the tree holds it (UTF-8) is name, without making a
// QString of every attribute passed on the way: rows of many attributes are
// read by name over and over. Names outside ASCII are compared the long way.
bool isName(const xmlChar* utf8, const QString& name)
{
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = name.at(i).unicode();
        if (u == 0 || u >= 0x80)
            return fromXml(utf8) == name;
        if (utf8[i] != u)
            return false; // also where utf8 ends first
    }
    return utf8[n] == 0;
}

xmlAttrPtr findAttribute(xmlNodePtr element, const QString& name)
{
    if (!element || element->type != XML_ELEMENT_NODE)
        return nullptr;
    for (xmlAttrPtr attr = element->properties; attr; attr = attr->next) {
        const xmlChar* prefix = attr->ns ? attr->ns->prefix : nullptr;
        if (prefix && *prefix ? qualifiedName(prefix, attr->name) == name : isName(attr->name, name))
            return attr;
    }
    return nullptr;
}

QString escaped(const QString& text, bool attribute)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '\r':
            out += QLatin1String("&#13;");
            break;
        case '"':
            out += attribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case '\t':
            out += attribute ? QLatin1String("&#9;") : QLatin1String("\t");
            break;
        case '\n':
            out += attribute ? QLatin1String("&#10;") : QLatin1String("\n");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString dump(xmlDocPtr doc, xmlNodePtr node)
{
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer)
        return QString();
    QString text;
    if (xmlNodeDump(buffer, doc, node, 0, 0) >= 0)
        text = fromXml(xmlBufferContent(buffer));
    xmlBufferFree(buffer);
    return text;
}

void linkLast(xmlNodePtr parent, xmlNodePtr child)
{
    // Linked by hand: xmlAddChild merges adjacent text nodes and frees the
    // appended one, which would leave an XmlNode pointing at freed memory.
    child->parent = parent;
    child->next = nullptr;
    child->prev = parent->last;
    if (parent->last)
        parent->last->next = child;
    else
        parent->children = child;
    parent->last = child;
}

struct XPathErrors
{
    QString message;
};

void collectXPathError(void* userData, xmlErrorPtr error)
{
    // libxml2 hands XPath errors over with a code and no message.
    static const char* const messages[] = {"Ok",
                                           "Number encoding",
                                           "Unfinished literal",
                                           "Start of literal",
                                           "Expected $ for variable reference",
                                           "Undefined variable",
                                           "Invalid predicate",
                                           "Invalid expression",
                                           "Missing closing curly brace",
                                           "Unregistered function",
                                           "Invalid operand",
                                           "Invalid type",
                                           "Invalid number of arguments",
                                           "Invalid context size",
                                           "Invalid context position",
                                           "Memory allocation error",
                                           "Syntax error",
                                           "Resource error",
                                           "Sub resource error",
                                           "Undefined namespace prefix",
                                           "Encoding error",
                                           "Char out of XML range",
                                           "Invalid or incomplete context",
                                           "Stack usage error",
                                           "Forbidden variable"};
    auto errors = static_cast<XPathErrors*>(userData);
    if (!errors || !error || !errors->message.isEmpty())
        return;
    const int index = error->code - XML_XPATH_EXPRESSION_OK;
    if (error->message)
        errors->message = QString::fromUtf8(error->message).trimmed();
    else if (index >= 0 && index < int(std::size(messages)))
        errors->message = QString::fromUtf8(messages[index]);
    else
        errors->message = QStringLiteral("XPath error %1").arg(error->code);
    if (error->str1)
        errors->message += QStringLiteral(" at position %1").arg(error->int1);
}

// libxml2 2.9 cannot parse a non-ASCII name right after a single "/"
// ("/Épreuve"); "/child::Épreuve" means the same and parses.
QByteArray withExplicitChildAxis(const QString& xpath)
{
    QString rewritten;
    rewritten.reserve(xpath.size());
    QChar quote;
    for (qsizetype i = 0; i < xpath.size(); ++i) {
        const QChar c = xpath.at(i);
        rewritten += c;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('/') && i + 1 < xpath.size() && xpath.at(i + 1).unicode() >= 0x80) {
            rewritten += QLatin1String("child::");
        }
    }
    return rewritten.toUtf8();
}

std::vector<xmlNodePtr> evaluate(XmlDocumentData& data, xmlNodePtr context, const QString& xpath)
{
    initialise();
    data.lastError.clear();
    std::vector<xmlNodePtr> found;
    const QByteArray expression = withExplicitChildAxis(xpath);
    if (expression.trimmed().isEmpty() || expression.contains('\0')) {
        data.lastError = QStringLiteral("Invalid XPath expression \"%1\".").arg(xpath);
        return found;
    }
    xmlXPathContextPtr ctx = xmlXPathNewContext(data.doc);
    if (!ctx) {
        data.lastError = QStringLiteral("Out of memory.");
        return found;
    }
    for (const auto& [prefix, uri] : data.namespaces)
        xmlXPathRegisterNs(ctx, xmlText(prefix), xmlText(uri));
    ctx->node = context;
    XPathErrors errors;
    ctx->error = collectXPathError;
    ctx->userData = &errors;

    ErrorScope scope;
    xmlXPathObjectPtr result = xmlXPathEval(xmlText(expression), ctx);
    if (!result || !errors.message.isEmpty()) {
        const QString reason = !errors.message.isEmpty() ? errors.message
                               : !scope.text().isEmpty() ? scope.text()
                                                         : QStringLiteral("evaluation failed");
        data.lastError = QStringLiteral("%1 in the XPath \"%2\".").arg(reason, xpath);
    } else if (result->type != XPATH_NODESET) {
        data.lastError = QStringLiteral("The XPath \"%1\" does not select nodes.").arg(xpath);
    } else if (xmlNodeSetPtr nodes = result->nodesetval) {
        xmlXPathNodeSetSort(nodes);
        found.reserve(size_t(nodes->nodeNr));
        for (int i = 0; i < nodes->nodeNr; ++i) {
            // Namespace nodes are copies owned by the result: they cannot be
            // handed out.
            if (nodes->nodeTab[i] && nodes->nodeTab[i]->type != XML_NAMESPACE_DECL)
                found.push_back(nodes->nodeTab[i]);
        }
    }
    if (result)
        xmlXPathFreeObject(result);
    xmlXPathFreeContext(ctx);
    return found;
}

} // namespace

XmlNode::Kind XmlNode::kind() const
{
    if (isNull())
        return Kind::Null;
    switch (asNode(m_node)->type) {
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return Kind::Document;
    case XML_ELEMENT_NODE:
        return Kind::Element;
    case XML_ATTRIBUTE_NODE:
        return Kind::Attribute;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        return Kind::Text;
    case XML_COMMENT_NODE:
        return Kind::Comment;
    default:
        return Kind::Other;
    }
}

QString XmlNode::name() const
{
    if (isNull())
        return QString();
    xmlNodePtr node = asNode(m_node);
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        return qualifiedName(node->ns ? node->ns->prefix : nullptr, node->name);
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return QStringLiteral("#document");
    case XML_TEXT_NODE:
        return QStringLiteral("#text");
    case XML_CDATA_SECTION_NODE:
        return QStringLiteral("#cdata-section");
    case XML_COMMENT_NODE:
        return QStringLiteral("#comment");
    default:
        return fromXml(node->name);
    }
}

QString XmlNode::localName() const
{
    if (isNull())
        return QString();
    xmlNodePtr node = asNode(m_node);
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_PI_NODE:
    case XML_ENTITY_REF_NODE:
        return fromXml(node->name);
    default:
        return QString();
    }
}

QString XmlNode::text() const
{
    return isNull() ? QString() : contentOf(asNode(m_node));
}

bool XmlNode::setText(const QString& text)
{
    if (isNull())
        return false;
    XmlDocumentData& data = *m_doc;
    data.lastError.clear();
    ErrorScope scope;
    if (!isXmlText(text)) {
        data.lastError = QStringLiteral("The text holds a character XML cannot store.");
        return false;
    }
    const QByteArray utf8 = text.toUtf8();
    xmlNodePtr node = asNode(m_node);
    switch (node->type) {
    case XML_ATTRIBUTE_NODE: {
        // Through the owner element: xmlNodeSetContent would read "&" as the
        // start of an entity reference.
        auto attr = reinterpret_cast<xmlAttrPtr>(node);
        if (!attr->parent || !xmlSetNsProp(attr->parent, attr->ns, attr->name, xmlText(utf8)))
            break;
        return true;
    }
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
        if ((node->type == XML_COMMENT_NODE && (utf8.contains("--") || utf8.endsWith('-'))) ||
            (node->type == XML_CDATA_SECTION_NODE && utf8.contains("]]>")))
            break;
        xmlNodeSetContent(node, xmlText(utf8)); // stored as it is for these kinds
        return true;
    case XML_ELEMENT_NODE: {
        // A lone text child is rewritten in place; other children are taken out
        // (not freed: an XmlNode may still refer to them).
        if (node->children && node->children == node->last && node->children->type == XML_TEXT_NODE &&
            !utf8.isEmpty()) {
            xmlNodeSetContent(node->children, xmlText(utf8));
            return true;
        }
        while (xmlNodePtr child = node->children) {
            xmlUnlinkNode(child);
            data.detach(child);
        }
        if (!utf8.isEmpty()) {
            xmlNodePtr textNode = xmlNewDocText(data.doc, xmlText(utf8));
            if (!textNode)
                break;
            linkLast(node, textNode);
        }
        return true;
    }
    default:
        break;
    }
    data.lastError = QStringLiteral("The text of this node cannot be set to \"%1\".").arg(text);
    return false;
}

XmlNode XmlNode::selectSingleNode(const QString& xpath) const
{
    if (isNull())
        return XmlNode();
    const std::vector<xmlNodePtr> found = evaluate(*m_doc, asNode(m_node), xpath);
    return found.empty() ? XmlNode() : XmlNode(m_doc, found.front());
}

QList<XmlNode> XmlNode::selectNodes(const QString& xpath) const
{
    QList<XmlNode> nodes;
    if (isNull())
        return nodes;
    const std::vector<xmlNodePtr> found = evaluate(*m_doc, asNode(m_node), xpath);
    nodes.reserve(qsizetype(found.size()));
    for (xmlNodePtr node : found)
        nodes.append(XmlNode(m_doc, node));
    return nodes;
}

bool XmlNode::hasAttribute(const QString& name) const
{
    return !isNull() && findAttribute(asNode(m_node), name);
}

QString XmlNode::attribute(const QString& name) const
{
    if (isNull())
        return QString();
    xmlAttrPtr attr = findAttribute(asNode(m_node), name);
    return attr ? contentOf(reinterpret_cast<xmlNodePtr>(attr)) : QString();
}

bool XmlNode::setAttribute(const QString& name, const QString& value)
{
    if (isNull())
        return false;
    XmlDocumentData& data = *m_doc;
    data.lastError.clear();
    ErrorScope scope;
    xmlNodePtr node = asNode(m_node);
    const QByteArray utf8Name = name.toUtf8();
    if (node->type != XML_ELEMENT_NODE || !isValidName(utf8Name) || !isXmlText(value)) {
        data.lastError = QStringLiteral("Cannot set the attribute \"%1\" to \"%2\".").arg(name, value);
        return false;
    }
    const QByteArray utf8Value = value.toUtf8();
    if (xmlAttrPtr attr = findAttribute(node, name))
        return xmlSetNsProp(node, attr->ns, attr->name, xmlText(utf8Value)) != nullptr;
    return xmlSetProp(node, xmlText(utf8Name), xmlText(utf8Value)) != nullptr;
}

QList<XmlNode> XmlNode::attributes() const
{
    QList<XmlNode> list;
    if (isNull() || asNode(m_node)->type != XML_ELEMENT_NODE)
        return list;
    for (xmlAttrPtr attr = asNode(m_node)->properties; attr; attr = attr->next)
        list.append(XmlNode(m_doc, attr));
    return list;
}

XmlNode XmlNode::parent() const
{
    if (isNull() || isDocument(asNode(m_node)) || !asNode(m_node)->parent)
        return XmlNode();
    return XmlNode(m_doc, asNode(m_node)->parent);
}

QList<XmlNode> XmlNode::childElements() const
{
    QList<XmlNode> list;
    if (isNull())
        return list;
    xmlNodePtr node = asNode(m_node);
    if (node->type != XML_ELEMENT_NODE && !isDocument(node))
        return list;
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            list.append(XmlNode(m_doc, child));
    }
    return list;
}

XmlNode XmlNode::firstChildElement(const QString& name) const
{
    for (const XmlNode& child : childElements()) {
        if (name.isEmpty() || child.name() == name)
            return child;
    }
    return XmlNode();
}

XmlNode XmlNode::appendChild(const XmlNode& child)
{
    if (isNull() || child.isNull())
        return XmlNode();
    XmlDocumentData& data = *m_doc;
    data.lastError.clear();
    ErrorScope scope;
    xmlNodePtr parent = asNode(m_node);
    xmlNodePtr item = asNode(child.m_node);
    const bool isElement = item->type == XML_ELEMENT_NODE;
    const bool isCharacterData = item->type == XML_TEXT_NODE || item->type == XML_CDATA_SECTION_NODE ||
                                 item->type == XML_ENTITY_REF_NODE;
    const bool isMarkup = item->type == XML_COMMENT_NODE || item->type == XML_PI_NODE;
    bool allowed = false;
    if (parent->type == XML_ELEMENT_NODE)
        allowed = isElement || isCharacterData || isMarkup;
    else if (isDocument(parent)) // one root element; no text outside it
        allowed = isMarkup || (isElement && !xmlDocGetRootElement(data.doc));
    if (!allowed) {
        data.lastError =
            QStringLiteral("A %1 node cannot be appended to a %2 node.").arg(child.name(), name());
        return XmlNode();
    }

    xmlNodePtr appended = nullptr;
    if (child.m_doc != m_doc) {
        appended = xmlDocCopyNode(item, data.doc, 1);
        if (!appended) {
            data.lastError = QStringLiteral("The node could not be copied.");
            return XmlNode();
        }
    } else {
        for (xmlNodePtr ancestor = parent; ancestor; ancestor = ancestor->parent) {
            if (ancestor == item) {
                data.lastError =
                    QStringLiteral("A node cannot be appended to itself or to one of its descendants.");
                return XmlNode();
            }
        }
        xmlUnlinkNode(item);
        appended = item;
        data.detached.erase(item);
    }
    linkLast(parent, appended);
    // Namespaces the node used from its old place are declared again where
    // they are no longer in scope.
    if (appended->type == XML_ELEMENT_NODE)
        xmlReconciliateNs(data.doc, appended);
    return XmlNode(m_doc, appended);
}

bool XmlNode::appendXml(const QString& xml)
{
    if (isNull())
        return false;
    XmlDocumentData& data = *m_doc;
    data.lastError.clear();
    xmlNodePtr parent = asNode(m_node);
    if (parent->type != XML_ELEMENT_NODE) {
        data.lastError = QStringLiteral("XML can only be appended to an element.");
        return false;
    }
    const QByteArray utf8 = xml.toUtf8();
    if (utf8.size() > INT_MAX) {
        data.lastError = QStringLiteral("The text is too large.");
        return false;
    }
    ErrorScope scope;
    // As a document is read: no network, entities left as references, no
    // blank text between elements.
    xmlNodePtr list = nullptr;
    const xmlParserErrors rc = xmlParseInNodeContext(parent, utf8.constData(), int(utf8.size()),
                                                     XML_PARSE_NONET | XML_PARSE_NOBLANKS, &list);
    // A prefix without a declaration is reported but not refused by the parser.
    if (rc != XML_ERR_OK || !scope.text().isEmpty()) {
        xmlFreeNodeList(list);
        data.lastError = scope.text().isEmpty() ? QStringLiteral("The text is not well-formed.") : scope.text();
        return false;
    }
    if (list)
        xmlAddChildList(parent, list);
    return true;
}

bool XmlNode::removeChild(const XmlNode& child)
{
    if (isNull() || child.isNull())
        return false;
    XmlDocumentData& data = *m_doc;
    data.lastError.clear();
    xmlNodePtr item = asNode(child.m_node);
    if (child.m_doc != m_doc || item->type == XML_ATTRIBUTE_NODE || item->parent != asNode(m_node)) {
        data.lastError = QStringLiteral("The node is not a child of this node.");
        return false;
    }
    xmlUnlinkNode(item);
    data.detach(item);
    return true;
}

QString XmlNode::xml() const
{
    if (isNull())
        return QString();
    xmlNodePtr node = asNode(m_node);
    ErrorScope scope;
    switch (node->type) {
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
        return node->children ? QString::fromUtf8(serialise(reinterpret_cast<xmlDocPtr>(node))) : QString();
    case XML_ATTRIBUTE_NODE:
        return QStringLiteral("%1=\"%2\"").arg(name(), escaped(text(), true));
    case XML_TEXT_NODE:
        return escaped(fromXml(node->content), false);
    case XML_ELEMENT_NODE: {
        // Serialised from a copy so that the text declares the namespaces it
        // uses from its ancestors and can be loaded on its own.
        xmlDocPtr copy = copyToNewDocument(node);
        if (!copy)
            return QString();
        const QString text = dump(copy, xmlDocGetRootElement(copy));
        xmlFreeDoc(copy);
        return text;
    }
    default:
        return dump(m_doc->doc, node);
    }
}
