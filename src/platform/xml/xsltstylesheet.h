#pragma once

#include "xmldocument.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <memory>

struct XsltStylesheetData;

// An XSLT 1.0 stylesheet, compiled once and applied any number of times with
// string parameters. The stylesheet may not read other documents or files:
// document(), xsl:include and xsl:import of outside resources are refused.
class XsltStylesheet
{
public:
    XsltStylesheet();
    ~XsltStylesheet();
    XsltStylesheet(const XsltStylesheet&) = delete;
    XsltStylesheet& operator=(const XsltStylesheet&) = delete;

    bool loadXml(const QString& text);
    bool load(const QString& path);
    bool isLoaded() const;

    // A string parameter (quoted for XPath as needed, so any text is safe).
    void setParameter(const QString& name, const QString& value);
    void clearParameters();

    // Transforms the subtree at node (or a whole document) into text, as the
    // stylesheet's xsl:output says.
    bool transformToText(const XmlNode& source, QString& out);
    bool transformToText(const XmlDocument& source, QString& out) { return transformToText(source.documentNode(), out); }
    // Transforms a document itself instead of a copy, for a caller that runs
    // several stylesheets on one document, into the text's UTF-8 bytes. The
    // document is left as it was. A stylesheet that strips whitespace still
    // works on a copy, so that the next one sees it all. See XsltInPlaceBatch.
    bool transformInPlaceToUtf8(XmlDocument& source, QByteArray& out);
    // Transforms into a new document.
    bool transformToDocument(const XmlNode& source, XmlDocument& out);

    QString lastError() const;

private:
    // The transform's result document written as text in UTF-8, then freed.
    bool toUtf8(void* resultDocument, QByteArray& out);

    std::unique_ptr<XsltStylesheetData> m_data;
};

// Stylesheets run in place one after the other on a document that does not
// change meanwhile, as the report pages are. Each transform in place expands
// the document's entities first and clears the document order libxslt numbers
// into it afterwards, two walks of the whole tree; while a batch lives, the
// entities are expanded once when it starts, the first transform's order
// serves the others, and it is cleared once when the batch ends.
//
//   XsltInPlaceBatch batch(doc);
//   first.transformInPlaceToUtf8(doc, a);
//   second.transformInPlaceToUtf8(doc, b);
//
// Nothing may be added, moved or removed in the document while the batch
// lives. A batch inside another on the same document does nothing.
class XsltInPlaceBatch
{
public:
    explicit XsltInPlaceBatch(XmlDocument& source);
    ~XsltInPlaceBatch();
    XsltInPlaceBatch(const XsltInPlaceBatch&) = delete;
    XsltInPlaceBatch& operator=(const XsltInPlaceBatch&) = delete;

private:
    std::shared_ptr<XmlDocumentData> m_doc; // null when an outer batch has it
};
