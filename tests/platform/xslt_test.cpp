#include "platform/xml/xmlchildrenaside.h"
#include "platform/xml/xmldocument.h"
#include "platform/xml/xsltstylesheet.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

const QString kStripNamespaces = QStringLiteral(R"xsl(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" indent="yes" encoding="UTF-8"/>
  <xsl:template match="/">
    <xsl:apply-templates/>
  </xsl:template>
  <xsl:template match="*">
    <xsl:element name="{local-name()}">
      <xsl:for-each select="@*">
        <xsl:attribute name="{local-name()}"><xsl:value-of select="."/></xsl:attribute>
      </xsl:for-each>
      <xsl:apply-templates select="*"/>
      <xsl:value-of select="text()"/>
    </xsl:element>
  </xsl:template>
</xsl:stylesheet>)xsl");

const QString kAdo = QStringLiteral(
    "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' xmlns:rs='urn:schemas-microsoft-com:rowset' "
    "xmlns:z='#RowsetSchema'><s:Schema id='RowsetSchema'/>"
    "<rs:data><z:row EvId='BB' GoId='1' rs:forcenull='x'/><z:row EvId='SB' GoId='2'/>"
    "<rs:note>Rodéo</rs:note></rs:data></xml>");

QString textStylesheet(const QString& body, const QString& params = QString())
{
    return QStringLiteral(
               "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
               "<xsl:output method='text'/>%1<xsl:template match='/'>%2</xsl:template></xsl:stylesheet>")
        .arg(params, body);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

XmlDocument parsed(const QString& text)
{
    XmlDocument doc;
    EXPECT_TRUE(doc.loadXml(text)) << doc.lastError().toStdString();
    return doc;
}

} // namespace

TEST(XsltTest, StringParametersAreTakenLiterally)
{
    XsltStylesheet xslt;
    ASSERT_TRUE(xslt.loadXml(textStylesheet(QStringLiteral("[<xsl:value-of select='$Path'/>]"),
                                            QStringLiteral("<xsl:param name='Path' select=\"'default'\"/>"))))
        << xslt.lastError().toStdString();
    XmlDocument source = parsed(QStringLiteral("<Database/>"));

    QString out;
    ASSERT_TRUE(xslt.transformToText(source, out)) << xslt.lastError().toStdString();
    EXPECT_EQ(out, QStringLiteral("[default]"));

    // Both kinds of quote, and text that would be an expression if evaluated.
    const QString path = QStringLiteral("/home/o'brien/\"Html\"/ é & concat('x') </xsl:x>");
    xslt.setParameter(QStringLiteral("Path"), path);
    ASSERT_TRUE(xslt.transformToText(source, out)) << xslt.lastError().toStdString();
    EXPECT_EQ(out, QLatin1Char('[') + path + QLatin1Char(']'));
    // Parameters stay for the next transformations until cleared.
    ASSERT_TRUE(xslt.transformToText(source, out));
    EXPECT_EQ(out, QLatin1Char('[') + path + QLatin1Char(']'));

    xslt.clearParameters();
    xslt.setParameter(QStringLiteral("Unused"), QStringLiteral("x"));
    ASSERT_TRUE(xslt.transformToText(source, out));
    EXPECT_EQ(out, QStringLiteral("[default]"));
}

TEST(XsltTest, StrippingNamespacePrefixesFromASubtree)
{
    XsltStylesheet xslt;
    ASSERT_TRUE(xslt.loadXml(kStripNamespaces)) << xslt.lastError().toStdString();
    XmlDocument ado = parsed(kAdo);
    ado.setSelectionNamespaces(QStringLiteral("xmlns:rs='urn:schemas-microsoft-com:rowset'"));
    const XmlNode data = ado.selectSingleNode(QStringLiteral("//rs:data"));
    ASSERT_FALSE(data.isNull());

    XmlDocument stripped;
    ASSERT_TRUE(xslt.transformToDocument(data, stripped)) << xslt.lastError().toStdString();
    // The subtree is processed on its own: its element is the top of the result.
    const XmlNode top = stripped.selectSingleNode(QStringLiteral("/child::node()"));
    ASSERT_FALSE(top.isNull());
    EXPECT_EQ(top.name(), QStringLiteral("data"));
    const QList<XmlNode> rows = stripped.selectNodes(QStringLiteral("//row[@EvId = 'BB' and @GoId = '1']"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].attribute(QStringLiteral("forcenull")), QStringLiteral("x"));
    EXPECT_EQ(stripped.selectSingleNode(QStringLiteral("/data/note")).text(), QStringLiteral("Rodéo"));
    EXPECT_EQ(stripped.selectNodes(QStringLiteral("/data/row")).size(), 2);
    EXPECT_FALSE(stripped.xml().contains(QStringLiteral("rs:")));
    EXPECT_FALSE(ado.selectSingleNode(QStringLiteral("//rs:data")).isNull()); // the source is unchanged

    // Put into a report document; it must outlive the transformation result.
    XmlDocument report = parsed(QStringLiteral("<Database><Tables/></Database>"));
    XmlNode table = report.selectSingleNode(QStringLiteral("//Tables"))
                        .appendChild(report.createElement(QStringLiteral("Table")));
    table.setAttribute(QStringLiteral("Name"), QStringLiteral("Scores"));
    ASSERT_FALSE(table.appendChild(top).isNull());
    stripped = XmlDocument();
    EXPECT_EQ(report.selectNodes(QStringLiteral("//Table[@Name = 'Scores']/data/row")).size(), 2);

    // As text: the declaration and indentation xsl:output asks for.
    QString text;
    ASSERT_TRUE(xslt.transformToText(data, text)) << xslt.lastError().toStdString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<data>\n  <row")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("<note>Rodéo</note>")));
}

TEST(XsltTest, OutputEncodingIsReadBackIntoText)
{
    XmlDocument source = parsed(QStringLiteral("<r n='Rodéo 漢字'/>"));
    for (const QString& encoding :
         {QStringLiteral("UTF-16"), QStringLiteral("ISO-8859-1"), QStringLiteral("UTF-8")}) {
        XsltStylesheet xslt;
        ASSERT_TRUE(xslt.loadXml(
            QStringLiteral(
                "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                "<xsl:output method='html' encoding='%1'/>"
                "<xsl:template match='/'><html><head><title>t</title></head><body><p><xsl:value-of "
                "select='r/@n'/></p></body>"
                "</html></xsl:template></xsl:stylesheet>")
                .arg(encoding)));
        QString out;
        ASSERT_TRUE(xslt.transformToText(source, out)) << xslt.lastError().toStdString();
        EXPECT_TRUE(out.startsWith(QStringLiteral("<html>\n<head>\n<meta"))) << out.toStdString();
        // Characters the encoding lacks become references; the others are plain text.
        EXPECT_TRUE(out.contains(QStringLiteral("<p>Rodéo ")) ||
                    out.contains(QStringLiteral("<p>Rod&eacute; ")))
            << out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral("漢字")) || out.contains(QStringLiteral("&#28450;")))
            << out.toStdString();
        EXPECT_TRUE(out.contains(encoding, Qt::CaseInsensitive)) << out.toStdString(); // the meta charset
    }
}

TEST(XsltTest, StylesheetCannotReadFiles)
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("secret.xml"));
    ASSERT_TRUE(writeFile(secret, "<secret>TOP-SECRET-CONTENT</secret>"));
    XmlDocument source = parsed(QStringLiteral("<r/>"));

    for (const QString& uri : {QStringLiteral("/etc/passwd"), secret, QUrl::fromLocalFile(secret).toString(),
                               QStringLiteral("secret.xml"), QStringLiteral("http://127.0.0.1:9/x.xml")}) {
        XsltStylesheet xslt;
        ASSERT_TRUE(xslt.loadXml(
            textStylesheet(QStringLiteral("<xsl:value-of select=\"document('%1')\"/>").arg(uri))));
        QString out;
        EXPECT_FALSE(xslt.transformToText(source, out)) << uri.toStdString();
        EXPECT_FALSE(xslt.lastError().isEmpty());
        EXPECT_FALSE(out.contains(QStringLiteral("TOP-SECRET")));
        EXPECT_FALSE(out.contains(QStringLiteral("root:")));
    }

    // Nor pull them in at compile time.
    const QString included = dir.filePath(QStringLiteral("included.xsl"));
    ASSERT_TRUE(writeFile(included,
                          "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                          "<xsl:template name='t'>INCLUDED</xsl:template></xsl:stylesheet>"));
    for (const QString& element : {QStringLiteral("include"), QStringLiteral("import")}) {
        XsltStylesheet xslt;
        EXPECT_FALSE(xslt.loadXml(
            QStringLiteral("<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                           "<xsl:%1 href='%2'/><xsl:template match='/'><xsl:call-template name='t'/>"
                           "</xsl:template></xsl:stylesheet>")
                .arg(element, QUrl::fromLocalFile(included).toString())));
        EXPECT_FALSE(xslt.isLoaded());
        EXPECT_FALSE(xslt.lastError().isEmpty());
    }
}

TEST(XsltTest, StylesheetCannotWriteFiles)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("sub/written.txt"));
    XsltStylesheet xslt;
    ASSERT_TRUE(xslt.loadXml(QStringLiteral("<xsl:stylesheet version='1.1' "
                                            "xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                                            "<xsl:template match='/'><xsl:document href='%1' method='text'>"
                                            "written</xsl:document></xsl:template></xsl:stylesheet>")
                                 .arg(target)))
        << xslt.lastError().toStdString();
    QString out;
    EXPECT_FALSE(xslt.transformToText(parsed(QStringLiteral("<r/>")), out));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("sub"))));
}

TEST(XsltTest, FailuresAreReportedAndNotPrinted)
{
    testing::internal::CaptureStderr();
    XsltStylesheet xslt;
    QString out;
    EXPECT_FALSE(xslt.isLoaded());
    EXPECT_FALSE(xslt.transformToText(parsed(QStringLiteral("<r/>")), out));
    EXPECT_FALSE(xslt.lastError().isEmpty());

    EXPECT_FALSE(xslt.loadXml(QStringLiteral("<xsl:stylesheet")));
    EXPECT_FALSE(xslt.lastError().isEmpty());
    EXPECT_FALSE(xslt.loadXml(QStringLiteral("<notxslt/>")));
    EXPECT_FALSE(xslt.lastError().isEmpty());
    EXPECT_FALSE(xslt.loadXml(textStylesheet(QStringLiteral("<xsl:value-of select='//['/>"))));
    EXPECT_FALSE(xslt.lastError().isEmpty());
    EXPECT_FALSE(xslt.isLoaded());
    EXPECT_FALSE(xslt.load(QStringLiteral("/nonexistent/folder/report.xsl")));
    EXPECT_FALSE(xslt.lastError().isEmpty());

    ASSERT_TRUE(xslt.loadXml(
        textStylesheet(QStringLiteral("<xsl:message terminate='yes'>stopped here</xsl:message>"))));
    EXPECT_FALSE(xslt.transformToText(parsed(QStringLiteral("<r/>")), out));
    EXPECT_TRUE(xslt.lastError().contains(QStringLiteral("stopped here"))) << xslt.lastError().toStdString();

    ASSERT_TRUE(xslt.loadXml(textStylesheet(QStringLiteral("x"))));
    EXPECT_FALSE(xslt.transformToText(XmlNode(), out));
    XmlDocument doc = parsed(QStringLiteral("<r a='1'/>"));
    EXPECT_FALSE(xslt.transformToText(doc.selectSingleNode(QStringLiteral("//@a")), out));
    EXPECT_FALSE(xslt.lastError().isEmpty());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string());
}

TEST(XsltTest, LoadsFromFileAndTransformsToADocument)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.xsl"));
    ASSERT_TRUE(writeFile(path,
                          "<?xml version='1.0' encoding='ISO-8859-1'?>"
                          "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                          "<xsl:template match='/'><out n='\xe9'><xsl:copy-of select='//row'/></out>"
                          "</xsl:template></xsl:stylesheet>"));
    XsltStylesheet xslt;
    ASSERT_TRUE(xslt.load(path)) << xslt.lastError().toStdString();
    XmlDocument source = parsed(QStringLiteral("<data><row k='1'/><x><row k='2'/></x></data>"));
    XmlDocument result = parsed(QStringLiteral("<previous/>"));
    ASSERT_TRUE(xslt.transformToDocument(source.documentNode(), result)) << xslt.lastError().toStdString();
    EXPECT_EQ(result.root().name(), QStringLiteral("out"));
    EXPECT_EQ(result.root().attribute(QStringLiteral("n")), QStringLiteral("é"));
    EXPECT_EQ(result.selectNodes(QStringLiteral("/out/row/@k")).size(), 2);

    // A failed transformation leaves the target as it was.
    ASSERT_TRUE(
        xslt.loadXml(textStylesheet(QStringLiteral("<xsl:message terminate='yes'>no</xsl:message>"))));
    EXPECT_FALSE(xslt.transformToDocument(source.documentNode(), result));
    EXPECT_EQ(result.root().name(), QStringLiteral("out"));
}

TEST(XsltTest, InternalEntitiesAreExpandedForTheTransformation)
{
    // The usual way report stylesheets spell a non-breaking space.
    XsltStylesheet xslt;
    ASSERT_TRUE(xslt.loadXml(QStringLiteral(
        "<!DOCTYPE xsl:stylesheet [<!ENTITY nbsp '&#160;'><!ENTITY sep ' &nbsp;|&nbsp; '>]>"
        "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
        "<xsl:output method='xml' omit-xml-declaration='yes'/>"
        "<xsl:template match='/'><p><xsl:text>a&sep;b</xsl:text><xsl:copy-of select='r/node()'/></p>"
        "</xsl:template></xsl:stylesheet>")))
        << xslt.lastError().toStdString();
    XmlDocument source =
        parsed(QStringLiteral("<!DOCTYPE r [<!ENTITY who 'Rodéo'>]><r>&who;<b>&who;</b></r>"));
    QString out;
    ASSERT_TRUE(xslt.transformToText(source, out)) << xslt.lastError().toStdString();
    EXPECT_EQ(out.trimmed(), QStringLiteral("<p>a \u00a0|\u00a0 bRodéo<b>Rodéo</b></p>"));
    // The source document itself keeps its references.
    EXPECT_TRUE(source.root().xml().contains(QStringLiteral("&who;")));
}

// Several stylesheets run on one document in turn, as the report pages do:
// each reads the document as a copy would show it, whatever ran before, also
// after one that strips whitespace-only text.
TEST(XsltTest, StylesheetsInTurnOnOneDocumentEachSeeItWhole)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<r><a n='2'> </a><a n='1'>x</a><b>  </b></r>")));
    const QString count = QStringLiteral("<xsl:value-of select='count(//text())'/>");
    const QString sorted =
        QStringLiteral("<xsl:for-each select='//a'><xsl:sort select='@n'/><xsl:value-of select='@n'/></xsl:for-each>"
                       "|<xsl:for-each select='//*'><xsl:value-of select='name()'/></xsl:for-each>");
    const struct
    {
        QString body;
        QString top;
        QString expected;
    } sheets[] = {
        {count, QString(), QStringLiteral("3")},
        {count, QStringLiteral("<xsl:strip-space elements='*'/>"), QStringLiteral("1")},
        {count, QString(), QStringLiteral("3")},
        {sorted, QString(), QStringLiteral("12|raab")},
        {sorted, QString(), QStringLiteral("12|raab")},
    };
    for (const auto& s : sheets) {
        XsltStylesheet sheet;
        ASSERT_TRUE(sheet.loadXml(textStylesheet(s.body, s.top))) << sheet.lastError().toStdString();
        QString copied;
        QByteArray inPlace;
        ASSERT_TRUE(sheet.transformToText(doc, copied)) << sheet.lastError().toStdString();
        ASSERT_TRUE(sheet.transformInPlaceToUtf8(doc, inPlace)) << sheet.lastError().toStdString();
        EXPECT_EQ(copied, s.expected);
        EXPECT_EQ(QString::fromUtf8(inPlace), s.expected);
    }
}

// Pages written in a batch see what each would see alone, and the document
// is left with no order of the batch's behind.
TEST(XsltTest, StylesheetsInABatchSeeTheDocumentAsAloneAndLeaveNoOrderBehind)
{
    XmlDocument doc = parsed(QStringLiteral("<!DOCTYPE r [<!ENTITY who 'Rod\u00e9o'>]>"
                                            "<r><e id='2'>&who;</e><e id='1'> </e><x/></r>"));
    const QString order = QStringLiteral("<xsl:for-each select='//*'><xsl:value-of select='name()'/>"
                                         "<xsl:value-of select='@id'/></xsl:for-each>");
    XsltStylesheet names;
    XsltStylesheet text;
    XsltStylesheet stripped;
    ASSERT_TRUE(names.loadXml(textStylesheet(order)));
    ASSERT_TRUE(text.loadXml(textStylesheet(QStringLiteral("<xsl:value-of select='count(//text())'/>|"
                                                           "<xsl:value-of select='/r/e'/>"))));
    ASSERT_TRUE(stripped.loadXml(textStylesheet(QStringLiteral("<xsl:value-of select='count(//text())'/>"),
                                                QStringLiteral("<xsl:strip-space elements='*'/>"))));
    QByteArray out[4];
    {
        XsltInPlaceBatch batch(doc);
        XsltInPlaceBatch inner(doc); // does nothing
        ASSERT_TRUE(names.transformInPlaceToUtf8(doc, out[0]));
        ASSERT_TRUE(text.transformInPlaceToUtf8(doc, out[1]));
        ASSERT_TRUE(stripped.transformInPlaceToUtf8(doc, out[2]));
        ASSERT_TRUE(names.transformInPlaceToUtf8(doc, out[3]));
    }
    EXPECT_EQ(out[0], "re2e1x");
    EXPECT_EQ(QString::fromUtf8(out[1]), QStringLiteral("2|Rod\u00e9o"));
    EXPECT_EQ(out[2], "1");
    EXPECT_EQ(out[3], out[0]);

    // After a move, both a selection and the next transform come in the
    // order the document has now.
    ASSERT_TRUE(doc.root().appendChild(doc.root().firstChildElement()));
    QStringList selected;
    for (const XmlNode& n : doc.selectNodes(QStringLiteral("//*")))
        selected << n.localName() + n.attribute(QStringLiteral("id"));
    EXPECT_EQ(selected, (QStringList{"r", "e1", "x", "e2"}));
    ASSERT_TRUE(names.transformInPlaceToUtf8(doc, out[0]));
    EXPECT_EQ(out[0], "re1xe2");
}

TEST(XsltTest, ElementsSetAsideForTransformsGoBackAndTheDocumentKeepsItsOrder)
{
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<r xmlns:p='urn:p'><e id='1'><d/></e><e id='2'/>text"
                                           "<p:e id='3'><d/></p:e><x/></r>")));
    const QString before = doc.xml();
    const QList<XmlNode> elements = doc.root().childElements();
    ASSERT_EQ(elements.size(), 4);
    XsltStylesheet sheet;
    ASSERT_TRUE(sheet.loadXml(textStylesheet(QStringLiteral("<xsl:value-of select='count(//*)'/>"))));
    QByteArray text;
    {
        XmlChildrenAside aside;
        EXPECT_FALSE(aside.take(doc.root()));                         // the root stays
        EXPECT_FALSE(aside.take(doc.root().selectSingleNode("text()"))); // not an element
        for (const int i : {0, 2, 3}) // not side by side, and the last
            EXPECT_TRUE(aside.take(elements.at(i)));
        ASSERT_TRUE(sheet.transformInPlaceToUtf8(doc, text));
        EXPECT_EQ(text, "2");
    }
    EXPECT_EQ(doc.xml(), before);
    ASSERT_TRUE(sheet.transformInPlaceToUtf8(doc, text));
    EXPECT_EQ(text, "7");

    // A transform in place leaves no order of its own behind: after a move,
    // a selection still comes in the order the document has now.
    ASSERT_TRUE(doc.root().appendChild(elements.at(0)));
    QStringList order;
    for (const XmlNode& n : doc.selectNodes(QStringLiteral("/r/* | //d")))
        order << n.localName() + n.attribute(QStringLiteral("id"));
    EXPECT_EQ(order, (QStringList{"e2", "e3", "d", "x", "e1", "d"}));
}
