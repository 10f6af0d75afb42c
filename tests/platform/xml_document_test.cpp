#include "platform/xml/xmldocument.h"
#include "platform/xml/xmltext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <arpa/inet.h>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const QString kAdo =
    QStringLiteral("<xml xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'>"
                   "<rs:data><z:row a='1' b='x'/><z:row a='2'/></rs:data></xml>");
const QString kAdoNamespaces =
    QStringLiteral("xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'");

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList names(const QList<XmlNode>& nodes)
{
    QStringList list;
    for (const XmlNode& node : nodes)
        list << node.name() + QLatin1Char('=') + node.text();
    return list;
}

XmlDocument parsed(const QString& text)
{
    XmlDocument doc;
    EXPECT_TRUE(doc.loadXml(text)) << doc.lastError().toStdString();
    return doc;
}

} // namespace

TEST(XmlDocumentTest, AttributesByPositionFollowDocumentOrder)
{
    XmlDocument doc = parsed(QStringLiteral(
        "<IO><Ports><Port count='1' name='Scoreboard' type='COM'><Settings port='3' baud='9600' data='8' "
        "parity='Even'/>"
        "</Port><Port count='2' name='Net' type='UDP/IP'><Settings port='5000'/></Port></Ports>"
        "<Timer name='Stopwatch' port='2'/>"
        "<Requests><Request count='1' name='R' reqport='4' sendport='6'/></Requests></IO>"));

    EXPECT_EQ(names(doc.selectNodes(QStringLiteral("//Port[@count = '1']/Settings/@*"))),
              QStringList({"port=3", "baud=9600", "data=8", "parity=Even"}));
    EXPECT_EQ(names(doc.selectNodes(QStringLiteral("//Timer/@*"))),
              QStringList({"name=Stopwatch", "port=2"}));
    // name() / local-name() filters keep document order, not the order of the test.
    EXPECT_EQ(names(doc.selectNodes(QStringLiteral("//Request[@count = '1']/@*[local-name() = 'sendport' or "
                                                   "name() = 'name' or name() = 'reqport']"))),
              QStringList({"name=R", "reqport=4", "sendport=6"}));

    const XmlNode settings = doc.selectSingleNode(QStringLiteral("//Port[@count = '2']/Settings"));
    ASSERT_FALSE(settings.isNull());
    EXPECT_EQ(names(settings.attributes()), QStringList({"port=5000"}));
    EXPECT_EQ(settings.attributes().first().kind(), XmlNode::Kind::Attribute);
    EXPECT_EQ(settings.attributes().first().parent(), settings);
    EXPECT_TRUE(settings.hasAttribute(QStringLiteral("port")));
    EXPECT_FALSE(settings.hasAttribute(QStringLiteral("baud")));
    EXPECT_EQ(settings.attribute(QStringLiteral("baud")), QString());

    // By the exact qualified name: not a beginning or a longer name, not the
    // local name of a prefixed one; names outside ASCII too.
    XmlDocument odd = parsed(QStringLiteral("<s xmlns:rs='urn:r' port='1' portal='2' n\u00e9='3' rs:x='4'/>"));
    const struct
    {
        QString name;
        QString value;
    } lookups[] = {{QStringLiteral("port"), QStringLiteral("1")},  {QStringLiteral("por"), QString()},
                   {QStringLiteral("portal"), QStringLiteral("2")}, {QStringLiteral("porta"), QString()},
                   {QStringLiteral("n\u00e9"), QStringLiteral("3")}, {QStringLiteral("ne"), QString()},
                   {QStringLiteral("rs:x"), QStringLiteral("4")},   {QStringLiteral("x"), QString()},
                   {QString::fromUtf16(u"port\0", 5), QString()}};
    for (const auto& l : lookups)
        EXPECT_EQ(odd.root().attribute(l.name), l.value) << l.name.toStdString();
}

TEST(XmlDocumentTest, XPathWithRegisteredNamespacePrefixes)
{
    XmlDocument doc = parsed(kAdo);
    // Unregistered prefixes are an error, not a crash.
    EXPECT_TRUE(doc.selectSingleNode(QStringLiteral("//rs:data")).isNull());
    EXPECT_FALSE(doc.lastError().isEmpty());

    ASSERT_TRUE(doc.setSelectionNamespaces(kAdoNamespaces));
    const XmlNode data = doc.selectSingleNode(QStringLiteral("//rs:data"));
    ASSERT_FALSE(data.isNull());
    EXPECT_TRUE(doc.lastError().isEmpty());
    EXPECT_EQ(data.name(), QStringLiteral("rs:data"));
    EXPECT_EQ(data.localName(), QStringLiteral("data"));
    const QList<XmlNode> rows = doc.selectNodes(QStringLiteral("//z:row"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].attribute(QStringLiteral("a")), QStringLiteral("1"));
    EXPECT_EQ(rows[1].attribute(QStringLiteral("a")), QStringLiteral("2"));
    EXPECT_EQ(data.selectNodes(QStringLiteral("./z:row[@a = '2']")).size(), 1);

    // The prefixes survive a reload, as the document's other properties do.
    ASSERT_TRUE(doc.loadXml(kAdo));
    EXPECT_FALSE(doc.selectSingleNode(QStringLiteral("//z:row")).isNull());
}

TEST(XmlDocumentTest, SelectionNamespaceDeclarationsAreParsedStrictly)
{
    XmlDocument doc = parsed(kAdo);
    EXPECT_TRUE(doc.setSelectionNamespaces(
        QStringLiteral("  xmlns:r = \"urn:schemas-microsoft-com:rowset\"\txmlns='urn:default'  "
                       "xmlns:row='#RowsetSchema' ")));
    EXPECT_FALSE(doc.selectSingleNode(QStringLiteral("/xml/r:data/row:row")).isNull());

    // A malformed list is refused and leaves the registered prefixes alone.
    EXPECT_FALSE(doc.setSelectionNamespaces(QStringLiteral("xmlns:a='x' garbage")));
    EXPECT_FALSE(doc.lastError().isEmpty());
    EXPECT_FALSE(doc.setSelectionNamespaces(QStringLiteral("xmlns:1bad='x'")));
    EXPECT_FALSE(doc.setSelectionNamespaces(QStringLiteral("xmlns:a='unterminated")));
    EXPECT_FALSE(doc.selectSingleNode(QStringLiteral("//r:data")).isNull());

    EXPECT_TRUE(doc.setSelectionNamespaces(QString()));
    EXPECT_TRUE(doc.selectSingleNode(QStringLiteral("//r:data")).isNull());
}

TEST(XmlDocumentTest, InvalidXPathGivesNothingAndAnError)
{
    XmlDocument doc = parsed(QStringLiteral("<a><b/></a>"));
    for (const QString& xpath :
         {QStringLiteral("//["), QStringLiteral(""), QStringLiteral("//b[@x = 'unclosed]"),
          QStringLiteral("unknown-function()"), QStringLiteral("$undefined"), QStringLiteral("count(//b)")}) {
        EXPECT_TRUE(doc.selectSingleNode(xpath).isNull()) << xpath.toStdString();
        EXPECT_FALSE(doc.lastError().isEmpty()) << xpath.toStdString();
        EXPECT_TRUE(doc.root().selectNodes(xpath).isEmpty()) << xpath.toStdString();
    }
    // An empty selection is not a failure.
    EXPECT_TRUE(doc.selectSingleNode(QStringLiteral("//c")).isNull());
    EXPECT_TRUE(doc.lastError().isEmpty());
    EXPECT_TRUE(XmlNode().selectSingleNode(QStringLiteral("//b")).isNull());
}

TEST(XmlDocumentTest, NonAsciiNamesInXPath)
{
    XmlDocument doc =
        parsed(QStringLiteral("<Épreuve nom='Rodéo'><Manche v='/Épreuve'/><Manche v='x'/></Épreuve>"));
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("/Épreuve/@nom")).text(), QStringLiteral("Rodéo"))
        << doc.lastError().toStdString();
    EXPECT_EQ(doc.selectNodes(QStringLiteral("/Épreuve/Manche")).size(), 2);
    // Literals are left as they are written.
    EXPECT_EQ(doc.selectNodes(QStringLiteral("/Épreuve/Manche[@v = '/Épreuve']")).size(), 1);
    EXPECT_EQ(doc.selectNodes(QStringLiteral("//Manche[@v = \"/Épreuve\"]/@v")).size(), 1);
    EXPECT_EQ(doc.root().selectNodes(QStringLiteral("Manche")).size(), 2);
}

TEST(XmlDocumentTest, AttributeNodesFromXPathReadAndWrite)
{
    XmlDocument doc = parsed(QStringLiteral("<?xml version='1.0'?><!-- raise the version on changes -->"
                                            "<Tallyra version='7'><Frame style='1'><CViewRunPerf curEvn=''/>"
                                            "</Frame></Tallyra>"));
    const XmlNode version = doc.selectSingleNode(QStringLiteral("./child::node()/@version"));
    ASSERT_FALSE(version.isNull());
    EXPECT_EQ(version.kind(), XmlNode::Kind::Attribute);
    EXPECT_EQ(version.text(), QStringLiteral("7"));

    XmlNode style = doc.selectSingleNode(QStringLiteral(".//Frame/@style"));
    const QString tricky = QStringLiteral("a & b < c > \"d\" 'e' &amp; \t\nü");
    ASSERT_TRUE(style.setText(tricky));
    EXPECT_EQ(style.text(), tricky);
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral(".//Frame")).attribute(QStringLiteral("style")), tricky);

    XmlNode current = doc.selectSingleNode(QStringLiteral(".//Frame/CViewRunPerf/@curEvn"));
    ASSERT_TRUE(current.setText(QStringLiteral("BB")));
    EXPECT_EQ(current.xml(), QStringLiteral("curEvn=\"BB\""));

    // What was written survives the trip through text.
    XmlDocument copy = parsed(doc.xml());
    EXPECT_EQ(copy.selectSingleNode(QStringLiteral(".//Frame/@style")).text(), tricky);
    EXPECT_EQ(copy.selectSingleNode(QStringLiteral("//CViewRunPerf/@curEvn")).text(), QStringLiteral("BB"));
}

TEST(XmlDocumentTest, TextThatXmlCannotHoldIsRefused)
{
    XmlDocument doc = parsed(QStringLiteral("<a x='1'>t</a>"));
    XmlNode root = doc.root();
    EXPECT_FALSE(root.setAttribute(QStringLiteral("x"), QStringLiteral("bad\x01")));
    EXPECT_FALSE(doc.lastError().isEmpty());
    EXPECT_FALSE(root.setText(QString(QChar(0xD800))));
    EXPECT_FALSE(root.setAttribute(QStringLiteral("not a name"), QStringLiteral("v")));
    EXPECT_EQ(root.attribute(QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_EQ(root.text(), QStringLiteral("t"));
    EXPECT_TRUE(doc.createElement(QStringLiteral("1abc")).isNull());
    EXPECT_TRUE(doc.createElement(QString()).isNull());
}

TEST(XmlDocumentTest, BuildingElementsAndText)
{
    XmlDocument doc;
    EXPECT_TRUE(doc.isEmpty());
    XmlNode root = doc.setRoot(QStringLiteral("Database"));
    ASSERT_FALSE(root.isNull());
    EXPECT_EQ(doc.root(), root);
    EXPECT_EQ(root.parent(), doc.documentNode());
    EXPECT_EQ(doc.documentNode().kind(), XmlNode::Kind::Document);

    XmlNode tables = root.appendChild(doc.createElement(QStringLiteral("Tables")));
    ASSERT_FALSE(tables.isNull());
    ASSERT_TRUE(tables.setAttribute(QStringLiteral("Name"), QStringLiteral("Rodeos")));
    ASSERT_TRUE(tables.setAttribute(QStringLiteral("Name"), QStringLiteral("Events"))); // replaced, not added
    EXPECT_EQ(tables.attributes().size(), 1);
    XmlNode note = root.appendChild(doc.createElement(QStringLiteral("Note")));
    ASSERT_TRUE(note.setText(QStringLiteral("one & two")));
    EXPECT_EQ(note.xml(), QStringLiteral("<Note>one &amp; two</Note>"));
    EXPECT_EQ(root.firstChildElement(QStringLiteral("Note")), note);
    EXPECT_EQ(root.firstChildElement(), tables);
    EXPECT_EQ(root.childElements().size(), 2);
    EXPECT_EQ(root.text(), QStringLiteral("one & two"));

    // A second root element is refused; replacing the root keeps the old one usable.
    EXPECT_TRUE(doc.documentNode().appendChild(doc.createElement(QStringLiteral("Other"))).isNull());
    XmlNode newRoot = doc.setRoot(QStringLiteral("Season"));
    EXPECT_EQ(doc.root(), newRoot);
    EXPECT_EQ(root.childElements().size(), 2);
    EXPECT_TRUE(root.parent().isNull());
}

TEST(XmlDocumentTest, SettingElementTextKeepsOldChildrenUsable)
{
    XmlDocument doc = parsed(QStringLiteral("<r><a>one</a><b><c x='1'/>tail</b></r>"));
    const XmlNode c = doc.selectSingleNode(QStringLiteral("//c"));
    XmlNode b = doc.selectSingleNode(QStringLiteral("//b"));
    ASSERT_TRUE(b.setText(QStringLiteral("plain")));
    EXPECT_EQ(b.xml(), QStringLiteral("<b>plain</b>"));
    EXPECT_EQ(c.attribute(QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_TRUE(c.parent().isNull());

    const XmlNode aText = doc.selectSingleNode(QStringLiteral("//a/text()"));
    ASSERT_EQ(aText.kind(), XmlNode::Kind::Text);
    XmlNode a = doc.selectSingleNode(QStringLiteral("//a"));
    ASSERT_TRUE(a.setText(QStringLiteral("uno")));
    EXPECT_EQ(aText.text(), QStringLiteral("uno")); // rewritten in place
    ASSERT_TRUE(a.setText(QString()));
    EXPECT_EQ(a.xml(), QStringLiteral("<a/>"));
}

TEST(XmlDocumentTest, AppendMovesWithinADocumentAndCopiesFromAnother)
{
    XmlDocument doc = parsed(QStringLiteral("<r><a><x/></a><b>two</b></r>"));
    XmlNode a = doc.selectSingleNode(QStringLiteral("//a"));
    XmlNode b = doc.selectSingleNode(QStringLiteral("//b"));
    XmlNode x = doc.selectSingleNode(QStringLiteral("//x"));

    EXPECT_EQ(b.appendChild(x), x);
    EXPECT_EQ(x.parent(), b);
    EXPECT_TRUE(a.childElements().isEmpty());
    // Into itself or its own subtree: refused, tree unchanged.
    EXPECT_TRUE(b.appendChild(b).isNull());
    EXPECT_TRUE(x.appendChild(b).isNull());
    EXPECT_FALSE(doc.lastError().isEmpty());
    EXPECT_EQ(x.parent(), b);

    // A text node appended after text stays a node of its own (not merged away).
    ASSERT_TRUE(a.setText(QStringLiteral("one")));
    XmlNode text = doc.selectSingleNode(QStringLiteral("//b/text()"));
    ASSERT_EQ(a.appendChild(text), text);
    ASSERT_TRUE(text.setText(QStringLiteral("deux")));
    EXPECT_EQ(a.xml(), QStringLiteral("<a>onedeux</a>"));
    ASSERT_EQ(a.appendChild(x), x);
    EXPECT_EQ(a.xml(), QStringLiteral("<a>onedeux<x/></a>"));
    EXPECT_EQ(b.xml(), QStringLiteral("<b/>"));

    // From another document: a deep copy that keeps its namespaces.
    XmlDocument ado = parsed(kAdo);
    ado.setSelectionNamespaces(kAdoNamespaces);
    const XmlNode data = ado.selectSingleNode(QStringLiteral("//rs:data"));
    XmlNode copy = b.appendChild(data);
    ASSERT_FALSE(copy.isNull());
    EXPECT_NE(copy, data);
    EXPECT_EQ(copy.parent(), b);
    EXPECT_EQ(data.parent(), ado.root()); // the source is untouched
    EXPECT_EQ(copy.childElements().size(), 2);
    ado = XmlDocument(); // the copy does not depend on the source document
    doc.setSelectionNamespaces(QStringLiteral("xmlns:q='urn:schemas-microsoft-com:rowset'"));
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("//b/q:data")), copy);

    XmlDocument reloaded = parsed(doc.xml());
    reloaded.setSelectionNamespaces(kAdoNamespaces);
    EXPECT_EQ(reloaded.selectNodes(QStringLiteral("/r/b/rs:data/z:row/@a")).size(), 2);
    // A node's text declares the namespaces it uses, so it loads on its own.
    XmlDocument alone = parsed(copy.xml());
    alone.setSelectionNamespaces(kAdoNamespaces);
    EXPECT_EQ(alone.selectNodes(QStringLiteral("/rs:data/z:row")).size(), 2);
}

TEST(XmlDocumentTest, AppendedXmlJoinsTheElementOrNothingDoes)
{
    XmlDocument doc = parsed(QStringLiteral("<r xmlns:p='urn:p'><a/></r>"));
    XmlNode a = doc.selectSingleNode(QStringLiteral("//a"));
    ASSERT_TRUE(a.appendXml(QStringLiteral("<b n='1 &amp; 2'>t\u00e9</b> <p:c/><d/>")));
    EXPECT_EQ(doc.root().xml(),
              QStringLiteral("<r xmlns:p=\"urn:p\"><a><b n=\"1 &amp; 2\">t\u00e9</b><p:c/><d/></a></r>"));
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("//b/@n")).text(), QStringLiteral("1 & 2"));
    EXPECT_EQ(doc.selectSingleNode(QStringLiteral("//d")).parent(), a);

    // Not well-formed, an unknown prefix, or no element to take it: nothing changes.
    for (const QString& bad : {QStringLiteral("<e><f></e>"), QStringLiteral("<q:e/>"), QStringLiteral("<e/><")}) {
        EXPECT_FALSE(a.appendXml(bad)) << bad.toStdString();
        EXPECT_FALSE(doc.lastError().isEmpty());
        EXPECT_EQ(a.childElements().size(), 3);
    }
    EXPECT_FALSE(doc.selectSingleNode(QStringLiteral("//b/@n")).appendXml(QStringLiteral("<e/>")));
    EXPECT_EQ(parsed(doc.xml()).selectNodes(QStringLiteral("//*")).size(), 5);
}

TEST(XmlDocumentTest, MovedNodeKeepsItsNamespaces)
{
    XmlDocument doc =
        parsed(QStringLiteral("<r><holder xmlns:p='urn:p'><p:item p:k='v'/></holder><target/></r>"));
    doc.setSelectionNamespaces(QStringLiteral("xmlns:p='urn:p'"));
    XmlNode item = doc.selectSingleNode(QStringLiteral("//p:item"));
    XmlNode target = doc.selectSingleNode(QStringLiteral("//target"));
    XmlNode holder = doc.selectSingleNode(QStringLiteral("//holder"));
    ASSERT_EQ(target.appendChild(item), item);
    ASSERT_TRUE(doc.root().removeChild(holder));
    XmlDocument reloaded = parsed(doc.xml());
    reloaded.setSelectionNamespaces(QStringLiteral("xmlns:p='urn:p'"));
    EXPECT_EQ(reloaded.selectSingleNode(QStringLiteral("/r/target/p:item/@p:k")).text(), QStringLiteral("v"));
}

TEST(XmlDocumentTest, RemovedNodesStayUsable)
{
    XmlDocument doc = parsed(QStringLiteral("<Ports><Port count='1'/><Port count='2'/></Ports>"));
    XmlNode ports = doc.root();
    XmlNode first = doc.selectSingleNode(QStringLiteral("//Port[@count = '1']"));
    ASSERT_TRUE(ports.removeChild(first));
    EXPECT_EQ(doc.selectNodes(QStringLiteral("//Port")).size(), 1);
    EXPECT_TRUE(first.parent().isNull());
    EXPECT_EQ(first.attribute(QStringLiteral("count")), QStringLiteral("1"));
    EXPECT_FALSE(ports.removeChild(first)); // no longer a child
    EXPECT_FALSE(first.removeChild(ports));
    EXPECT_FALSE(doc.lastError().isEmpty());

    ASSERT_EQ(ports.appendChild(first), first); // and back, now last
    EXPECT_EQ(names(doc.selectNodes(QStringLiteral("//Port/@count"))), QStringList({"count=2", "count=1"}));

    // Removed and never re-linked: freed with the document (checked under valgrind).
    XmlNode orphan = doc.createElement(QStringLiteral("Orphan"));
    orphan.appendChild(doc.createElement(QStringLiteral("Child")));
    ASSERT_TRUE(ports.removeChild(doc.selectSingleNode(QStringLiteral("//Port[@count = '2']"))));
    ASSERT_TRUE(doc.documentNode().removeChild(ports));
    EXPECT_TRUE(doc.isEmpty());
}

TEST(XmlDocumentTest, NodesKeepTheirDocumentAlive)
{
    XmlNode node;
    {
        XmlDocument doc = parsed(QStringLiteral("<a><b n='kept'/></a>"));
        node = doc.selectSingleNode(QStringLiteral("//b/@n"));
        // Reloading gives the document new content; the node keeps the old.
        ASSERT_TRUE(doc.loadXml(QStringLiteral("<other/>")));
    }
    EXPECT_EQ(node.text(), QStringLiteral("kept"));
    EXPECT_EQ(node.parent().name(), QStringLiteral("b"));

    XmlDocument moved = parsed(QStringLiteral("<m/>"));
    XmlDocument target(std::move(moved));
    EXPECT_EQ(target.root().name(), QStringLiteral("m"));
    EXPECT_TRUE(moved.root().isNull()); // NOLINT: a moved-from document fails harmlessly
    EXPECT_FALSE(moved.createElement(QStringLiteral("n")).isNull());
}

TEST(XmlDocumentTest, SaveAndReloadRoundTrip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Tallyra.xml"));
    const QString value = QStringLiteral("Rodéo «Über» 漢字 😀");

    XmlDocument doc;
    XmlNode root = doc.setRoot(QStringLiteral("Épreuve"));
    root.setAttribute(QStringLiteral("nom"), value);
    XmlNode child = root.appendChild(doc.createElement(QStringLiteral("Manche")));
    child.setAttribute(QStringLiteral("n"), QStringLiteral("1"));
    ASSERT_TRUE(doc.save(path)) << doc.lastError().toStdString();

    const QByteArray bytes = readFile(path);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_TRUE(bytes.contains(value.toUtf8())); // UTF-8 text, not character references
    EXPECT_TRUE(bytes.contains("\n  <Manche"));  // indented
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"Tallyra.xml"}));

    XmlDocument reloaded;
    ASSERT_EQ(reloaded.loadFile(path), XmlDocument::LoadStatus::Ok) << reloaded.lastError().toStdString();
    EXPECT_EQ(reloaded.root().name(), QStringLiteral("Épreuve"));
    EXPECT_EQ(reloaded.selectSingleNode(QStringLiteral("/Épreuve/@nom")).text(), value)
        << reloaded.lastError().toStdString();
    EXPECT_EQ(reloaded.xml(), doc.xml());

    // Saving again over an indented file stays indented, without blank text creeping in.
    reloaded.root().appendChild(reloaded.createElement(QStringLiteral("Manche")));
    ASSERT_TRUE(reloaded.save(path));
    XmlDocument again;
    ASSERT_TRUE(again.load(path));
    EXPECT_EQ(again.root().childElements().size(), 2);
    EXPECT_TRUE(readFile(path).contains("\n  <Manche n=\"1\"/>\n  <Manche/>\n"));
}

TEST(XmlDocumentTest, FailedSaveLeavesTheTargetAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("IO.xml"));
    ASSERT_TRUE(writeFile(path, "<IO/>"));

    XmlDocument empty;
    EXPECT_FALSE(empty.save(path));
    EXPECT_FALSE(empty.lastError().isEmpty());
    EXPECT_EQ(readFile(path), QByteArray("<IO/>"));

    XmlDocument doc = parsed(QStringLiteral("<IO/>"));
    EXPECT_FALSE(doc.save(dir.filePath(QStringLiteral("missing/IO.xml"))));
    EXPECT_FALSE(doc.lastError().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

TEST(XmlDocumentTest, LoadStatusesTellUnreadableFromMalformed)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.xml"));
    const QString bad = dir.filePath(QStringLiteral("bad.xml"));
    const QString empty = dir.filePath(QStringLiteral("empty.xml"));
    ASSERT_TRUE(writeFile(good, "<a><b/></a>"));
    ASSERT_TRUE(writeFile(bad, "<a>\n<b></a>"));
    ASSERT_TRUE(writeFile(empty, ""));

    XmlDocument doc;
    ASSERT_EQ(doc.loadFile(good), XmlDocument::LoadStatus::Ok);
    const XmlNode before = doc.root();

    EXPECT_EQ(doc.loadFile(bad), XmlDocument::LoadStatus::NotWellFormed);
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_TRUE(doc.lastError().contains(QStringLiteral("line 2"))) << doc.lastError().toStdString();
    EXPECT_EQ(before.name(), QStringLiteral("a")); // earlier nodes unharmed

    ASSERT_TRUE(doc.load(good));
    EXPECT_EQ(doc.loadFile(dir.filePath(QStringLiteral("missing.xml"))), XmlDocument::LoadStatus::Unreadable);
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_FALSE(doc.lastError().isEmpty());
    EXPECT_EQ(doc.loadFile(dir.path()), XmlDocument::LoadStatus::Unreadable); // a folder

    EXPECT_EQ(doc.loadFile(empty), XmlDocument::LoadStatus::NotWellFormed);
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_FALSE(doc.lastError().isEmpty());
    EXPECT_TRUE(doc.xml().isEmpty());

    // Undeclared prefixes are refused as MSXML refuses them.
    EXPECT_FALSE(doc.loadXml(QStringLiteral("<p:a/>")));
    EXPECT_FALSE(doc.loadXml(QString()));
    EXPECT_FALSE(doc.loadXml(QStringLiteral("<a/><b/>")));
}

TEST(XmlDocumentTest, EncodingsOfFilesAndTexts)
{
    QTemporaryDir dir;
    const QString latin = dir.filePath(QStringLiteral("latin.xml"));
    ASSERT_TRUE(writeFile(latin, "<?xml version='1.0' encoding='ISO-8859-1'?><a v='\xe9t\xe9'/>"));
    XmlDocument doc;
    ASSERT_TRUE(doc.load(latin)) << doc.lastError().toStdString();
    EXPECT_EQ(doc.root().attribute(QStringLiteral("v")), QStringLiteral("été"));

    const QString utf16 = dir.filePath(QStringLiteral("utf16.xml"));
    const QString text = QStringLiteral("<?xml version='1.0' encoding='UTF-16'?><a v='ü'/>");
    QByteArray bytes("\xff\xfe");
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    ASSERT_TRUE(writeFile(utf16, bytes));
    ASSERT_TRUE(doc.load(utf16)) << doc.lastError().toStdString();
    EXPECT_EQ(doc.root().attribute(QStringLiteral("v")), QStringLiteral("ü"));

    // Text is text: whatever encoding its declaration names.
    ASSERT_TRUE(doc.loadXml(QStringLiteral("<?xml version='1.0' encoding='ISO-8859-1'?><a v='été'/>")));
    EXPECT_EQ(doc.root().attribute(QStringLiteral("v")), QStringLiteral("été"));
    ASSERT_TRUE(doc.loadXml(QStringLiteral("\ufeff<a>ß</a>")));
    EXPECT_EQ(doc.root().text(), QStringLiteral("ß"));
}

TEST(XmlDocumentTest, ExternalEntitiesAndDtdsAreNeverFetched)
{
    QTemporaryDir dir;
    const QString secret = dir.filePath(QStringLiteral("secret.txt"));
    ASSERT_TRUE(writeFile(secret, "TOP-SECRET-CONTENT"));
    const QString dtd = dir.filePath(QStringLiteral("evil.dtd"));
    ASSERT_TRUE(writeFile(dtd, "<!ATTLIST r injected CDATA 'TOP-SECRET-CONTENT'>"
                               "<!ENTITY e 'TOP-SECRET-CONTENT'>"));
    const QString secretUrl = QUrl::fromLocalFile(secret).toString();
    const QString dtdUrl = QUrl::fromLocalFile(dtd).toString();

    const QStringList documents = {
        QStringLiteral("<!DOCTYPE r [<!ENTITY e SYSTEM '%1'>]><r>&e;</r>").arg(secretUrl),
        QStringLiteral("<!DOCTYPE r [<!ENTITY e SYSTEM '%1'>]><r a='x'>&e;</r>").arg(secret),
        QStringLiteral("<!DOCTYPE r SYSTEM '%1'><r/>").arg(dtdUrl),
        QStringLiteral("<!DOCTYPE r [<!ENTITY % p SYSTEM '%1'> %p;]><r/>").arg(dtdUrl),
    };
    for (const QString& text : documents) {
        const QString path = dir.filePath(QStringLiteral("doc.xml"));
        ASSERT_TRUE(writeFile(path, text.toUtf8()));
        XmlDocument doc;
        doc.load(path);
        EXPECT_FALSE(doc.xml().contains(QStringLiteral("TOP-SECRET"))) << text.toStdString();
        EXPECT_FALSE(doc.documentNode().text().contains(QStringLiteral("TOP-SECRET"))) << text.toStdString();
        EXPECT_FALSE(doc.root().hasAttribute(QStringLiteral("injected")));
        doc.loadXml(text);
        EXPECT_FALSE(doc.xml().contains(QStringLiteral("TOP-SECRET"))) << text.toStdString();
    }

    // The plain entity case loads, with the reference kept as it was written.
    XmlDocument doc;
    ASSERT_TRUE(doc.loadXml(documents.first())) << doc.lastError().toStdString();
    EXPECT_EQ(doc.root().name(), QStringLiteral("r"));
    EXPECT_TRUE(doc.root().xml().contains(QStringLiteral("&e;")));
}

TEST(XmlDocumentTest, NetworkDtdIsNeverRequested)
{
    // A listening loopback socket that must see no connection.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(ntohs(address.sin_port));

    XmlDocument doc;
    EXPECT_TRUE(doc.loadXml(QStringLiteral("<!DOCTYPE r SYSTEM '%1r.dtd'><r/>").arg(base)));
    doc.loadXml(QStringLiteral("<!DOCTYPE r [<!ENTITY % p SYSTEM '%1p.dtd'> %p;]><r/>").arg(base));
    doc.loadXml(QStringLiteral("<!DOCTYPE r [<!ENTITY e SYSTEM '%1e.xml'>]><r>&e;</r>").arg(base));

    ::fcntl(listener, F_SETFL, O_NONBLOCK);
    const int connection = ::accept(listener, nullptr, nullptr);
    EXPECT_LT(connection, 0) << "the parser connected to the network";
    if (connection >= 0)
        ::close(connection);
    ::close(listener);
}

TEST(XmlDocumentTest, ErrorsAreCapturedNotPrinted)
{
    testing::internal::CaptureStderr();
    XmlDocument doc;
    doc.loadXml(QStringLiteral("<a><b></a>"));
    const QString parseError = doc.lastError();
    doc.loadXml(QStringLiteral("<a/>"));
    doc.selectNodes(QStringLiteral("//a[["));
    const QString xpathError = doc.lastError();
    doc.selectNodes(QStringLiteral("//x:y"));
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, std::string());
    EXPECT_FALSE(parseError.isEmpty());
    EXPECT_TRUE(xpathError.contains(QStringLiteral("//a[["))) << xpathError.toStdString();
}

TEST(XmlDocumentTest, ThreadsParseSeparateDocumentsWithTheirOwnErrors)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 150; ++i) {
                XmlDocument doc;
                const bool bad = (i + t) % 2 == 0;
                const QString text = bad ? QStringLiteral("<r>\n\n<t%1></r>").arg(t)
                                         : QStringLiteral("<r><t%1 i='%2'/></r>").arg(t).arg(i);
                const bool loaded = doc.loadXml(text);
                const bool right = bad ? !loaded && doc.lastError().contains(QStringLiteral("t%1").arg(t)) &&
                                             doc.lastError().contains(QStringLiteral("line 3"))
                                       : loaded && doc.lastError().isEmpty() &&
                                             doc.selectSingleNode(QStringLiteral("//t%1/@i").arg(t)).text() ==
                                                 QString::number(i);
                if (!right)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

// A value written into a single-quoted attribute reads back as it was, or
// with U+FFFD where XML cannot hold the character; appending gives the same.
TEST(XmlDocumentTest, AttributeTextReadsBackAsWritten)
{
    const QChar lone(0xD800);
    const struct
    {
        QString value;
        QString readBack;
    } cases[] = {
        {QStringLiteral("Cervi 10.25"), QStringLiteral("Cervi 10.25")},
        {QStringLiteral("O'Neil"), QStringLiteral("O'Neil")},
        {QStringLiteral("a\nb"), QStringLiteral("a\nb")},
        {QStringLiteral("a'b\"c<d>e&f"), QStringLiteral("a'b\"c<d>e&f")},
        {QStringLiteral("line\nnext\ttab\r"), QStringLiteral("line\nnext\ttab\r")},
        {QStringLiteral("\u00e9\U0001F40E"), QStringLiteral("\u00e9\U0001F40E")},
        {QStringLiteral("a\u0001b") + lone + QChar(0xFFFE), QStringLiteral("a\uFFFDb\uFFFD\uFFFD")},
    };
    for (const auto& c : cases) {
        QString appended = QStringLiteral("<r v='");
        appendXmlAttributeText(appended, c.value);
        appended += QStringLiteral("'/>");
        EXPECT_EQ(appended, QStringLiteral("<r v='%1'/>").arg(xmlAttributeText(c.value)));
        XmlDocument doc;
        ASSERT_TRUE(doc.loadXml(appended)) << appended.toStdString();
        EXPECT_EQ(doc.root().attribute(QStringLiteral("v")), c.readBack) << appended.toStdString();
    }
}
