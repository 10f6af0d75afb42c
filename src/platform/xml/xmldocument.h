#pragma once

#include <QList>
#include <QString>

#include <memory>

struct XmlDocumentData;

// A node of an XmlDocument: an element, an attribute, a text or comment node, or
// the document node itself. A node keeps its document alive, so it stays valid
// after the XmlDocument object that handed it out is gone. A default-constructed
// node is null; every operation on a null node fails harmlessly.
class XmlNode
{
public:
    enum class Kind { Null, Document, Element, Attribute, Text, Comment, Other };

    XmlNode() = default;

    bool isNull() const { return m_node == nullptr; }
    explicit operator bool() const { return !isNull(); }
    Kind kind() const;

    // The qualified name ("rs:data") and the local name ("data").
    QString name() const;
    QString localName() const;

    // Text of the node: an attribute's value, a text node's text, or the
    // concatenated text of an element's descendants.
    QString text() const;
    // Replaces an attribute's value or an element's / text node's content.
    bool setText(const QString& text);

    // XPath 1.0 relative to this node, with the namespace prefixes registered on
    // the document (XmlDocument::setSelectionNamespaces). An invalid expression
    // or an empty result gives a null node / an empty list.
    XmlNode selectSingleNode(const QString& xpath) const;
    QList<XmlNode> selectNodes(const QString& xpath) const;

    // Attributes of an element: by name, and by position in document order.
    bool hasAttribute(const QString& name) const;
    QString attribute(const QString& name) const;
    // Sets an attribute, creating it when it does not exist.
    bool setAttribute(const QString& name, const QString& value);
    QList<XmlNode> attributes() const;

    XmlNode parent() const;
    QList<XmlNode> childElements() const;
    XmlNode firstChildElement(const QString& name = QString()) const;

    // Appends child as the last child of this element. A node of this document
    // is moved; a node of another document is copied (deeply) into this one.
    // Returns the appended node (the copy when copied), null on failure.
    XmlNode appendChild(const XmlNode& child);
    // Parses xml, a well-formed piece of XML (elements, text), and appends what
    // it holds to this element, made in this document at once: for a large
    // piece, far cheaper than loading it as a document and copying it over.
    // False (nothing appended) when the text is not well-formed.
    bool appendXml(const QString& xml);
    // Unlinks a direct child. The removed node stays usable (for example to be
    // appended elsewhere) until its document goes away.
    bool removeChild(const XmlNode& child);

    // The node serialised as XML text (an attribute gives name="value").
    QString xml() const;

    bool operator==(const XmlNode& other) const { return m_node == other.m_node; }

private:
    friend class XmlDocument;
    friend class XsltStylesheet;
    friend class XsltInPlaceBatch;
    friend class XmlChildrenAside;
    XmlNode(std::shared_ptr<XmlDocumentData> doc, void* node) : m_doc(std::move(doc)), m_node(node) {}

    std::shared_ptr<XmlDocumentData> m_doc;
    void* m_node = nullptr; // xmlNodePtr / xmlAttrPtr / xmlDocPtr
};

// An XML DOM document. Parsing never touches the network, never loads an
// external DTD and never expands entities, so a hostile file cannot make the
// program read other files or hosts.
class XmlDocument
{
public:
    enum class LoadStatus {
        Ok,
        Unreadable,   // the file could not be opened or read
        NotWellFormed // the text was read but is not well-formed XML
    };

    XmlDocument();
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;
    XmlDocument(XmlDocument&&) noexcept;
    XmlDocument& operator=(XmlDocument&&) noexcept;

    // Replaces the content. On failure the document is left empty.
    LoadStatus loadFile(const QString& path);
    bool load(const QString& path) { return loadFile(path) == LoadStatus::Ok; }
    bool loadXml(const QString& text);

    // Writes the document as UTF-8 (indented when the document was built so).
    bool save(const QString& path) const;

    bool isEmpty() const; // no root element
    XmlNode documentNode() const;
    XmlNode root() const;
    // Makes a new element the root (replacing any previous root).
    XmlNode setRoot(const QString& name);

    // Creates an element owned by this document but not yet in its tree.
    XmlNode createElement(const QString& name);

    // Namespace prefixes for XPath, in MSXML's form:
    // "xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'".
    bool setSelectionNamespaces(const QString& declarations);

    XmlNode selectSingleNode(const QString& xpath) const { return documentNode().selectSingleNode(xpath); }
    QList<XmlNode> selectNodes(const QString& xpath) const { return documentNode().selectNodes(xpath); }

    // The whole document as XML text.
    QString xml() const;

    // Description of the last failure of this document (parse error with line,
    // I/O error, invalid XPath), empty when there is none.
    QString lastError() const;

private:
    friend class XsltStylesheet;
    std::shared_ptr<XmlDocumentData> m_data;
};
