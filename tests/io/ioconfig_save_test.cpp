// Applying an edited copy and rewriting IO.xml.
#include "io/ioconfigeditor.h"
#include "iotesthelpers.h"

#include <QFileInfo>

namespace {

using namespace iofile;
using List = IoConfigEditor::List;

QStringList counts(const XmlDocument& doc, const QString& xpath)
{
    QStringList out;
    for (const XmlNode& node : doc.selectNodes(xpath))
        out << node.attribute(QStringLiteral("count"));
    return out;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList attributeNames(const XmlNode& node)
{
    QStringList out;
    for (const XmlNode& attr : node.attributes())
        out << attr.name();
    return out;
}

TEST_F(IoTest, ApplyingAnUnchangedCopyKeepsTheFileReadable)
{
    writeDefaultIo();
    auto manager = loaded();
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    EXPECT_TRUE(manager->ApplyConfiguration(copy));

    auto again = loaded();
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(again->configuration().ports.size(), 4u);
    EXPECT_EQ(again->configuration().rips.size(), 2u);
    EXPECT_EQ(again->configuration().timer->port(), 3);
}

TEST_F(IoTest, RemovingTheLastTwoOfFourRipsRemovesExactlyThoseElements)
{
    const QString rips =
        rip(1, "R1", 1, "Serial", 0, "note=\"kept\"") + rip(2, "R2", 1) + rip(3, "R3", 1) + rip(4, "R4", 1);
    writeIo(document(udpPort(1, "A", 20000), timer("T", 0), rips));
    auto manager = loaded();
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    IoConfigEditor editor(copy);
    ASSERT_TRUE(editor.remove(List::Rips, 3).removed);
    ASSERT_TRUE(editor.remove(List::Rips, 2).removed);
    ASSERT_TRUE(manager->ApplyConfiguration(copy));

    const XmlDocument doc = savedIo();
    EXPECT_EQ(counts(doc, "//RIPs/RIP"), (QStringList{"1", "2"}));
    // Unchanged positions are not rewritten.
    EXPECT_EQ(doc.selectSingleNode("//RIP[@count='1']").attribute("note"), QStringLiteral("kept"));
    EXPECT_FALSE(doc.selectSingleNode("//RIP[@count='2']").hasAttribute("breakupPackets"));
    EXPECT_EQ(manager->configuration().rips.size(), 2u);
    // The old objects left the port's user list.
    EXPECT_EQ(manager->configuration().ports[0]->users().size(), 2);
}

TEST_F(IoTest, RemovingPortTwoOfFourRenumbersReferencesInTheFile)
{
    const QString ports =
        udpPort(1, "P1", 20000) + udpPort(2, "P2", 20001) + udpPort(3, "P3", 20002) + udpPort(4, "P4", 20003);
    writeIo(document(ports, timer("Timer", 3), rip(1, "R", 4),
                     request(1, "Q1", 4, 2) + request(2, "Q2", 2, 1), monitor(1, "M", 1)));
    auto manager = loaded();
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    IoConfigEditor editor(copy);
    ASSERT_TRUE(editor.remove(List::Ports, 1).removed);
    ASSERT_TRUE(manager->ApplyConfiguration(copy));

    const XmlDocument doc = savedIo();
    EXPECT_EQ(counts(doc, "//Ports/Port"), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(doc.selectSingleNode("//Port[@count='2']").attribute("name"), QStringLiteral("P3"));
    EXPECT_EQ(doc.selectSingleNode("//Port[@count='2']/Settings").attribute("number"),
              QStringLiteral("20002"));
    EXPECT_EQ(doc.selectSingleNode("//Timer").attribute("port"), QStringLiteral("2"));
    EXPECT_EQ(doc.selectSingleNode("//RIP[@count='1']").attribute("port"), QStringLiteral("3"));
    EXPECT_EQ(doc.selectSingleNode("//Request[@count='1']").attribute("reqport"), QStringLiteral("3"));
    EXPECT_EQ(doc.selectSingleNode("//Request[@count='1']").attribute("sendport"), QStringLiteral("0"));
    EXPECT_EQ(doc.selectSingleNode("//Request[@count='2']").attribute("reqport"), QStringLiteral("0"));
    EXPECT_EQ(doc.selectSingleNode("//Request[@count='2']").attribute("sendport"), QStringLiteral("1"));
    EXPECT_EQ(doc.selectSingleNode("//Monitor[@count='1']").attribute("port"), QStringLiteral("1"));

    // The live configuration's users follow the new numbers.
    const IoConfiguration& config = manager->configuration();
    EXPECT_EQ(config.port(2)->firstUser(), config.timer.get());
    EXPECT_EQ(config.port(3)->firstUser(), config.rips[0].get());
}

TEST_F(IoTest, NewItemsAreAppendedFromTheirTemplates)
{
    writeIo(document(udpPort(1, "A", 20000), timer("T", 0), QString("")));
    auto manager = loaded();
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    IoConfigEditor editor(copy);

    auto serial = std::make_unique<StreamPort>();
    serial->setKind(StreamPort::Serial);
    serial->setName(QStringLiteral("Console"));
    serial->stream().setSerialPortNumber(3);
    serial->stream().setBaudRate(19200);
    serial->stream().setDataBits(7);
    serial->stream().setParity(2);
    EXPECT_EQ(editor.appendPort(std::move(serial)), 2);
    auto file = std::make_unique<StreamPort>();
    file->setKind(StreamPort::File);
    file->setName(QStringLiteral("Record"));
    file->stream().setFileName(folder() + QStringLiteral("record.rtd"));
    EXPECT_EQ(editor.appendPort(std::move(file)), 3);
    auto remote = std::make_unique<StreamPort>();
    remote->setKind(StreamPort::Udp);
    remote->setName(QStringLiteral("Remote"));
    remote->stream().setUdpPort(20100);
    remote->stream().setDestinationHost(QStringLiteral("10.0.0.9"));
    EXPECT_EQ(editor.appendPort(std::move(remote)), 4);

    ASSERT_TRUE(editor.setText(List::Rips, 0, 1, QStringLiteral("Board")));
    ASSERT_TRUE(editor.choosePort(List::Rips, 0, 2, 3));
    ASSERT_TRUE(editor.setText(List::Rips, 0, 4, QStringLiteral("40")));
    ASSERT_TRUE(editor.setText(List::Requests, 0, 1, QStringLiteral("Req")));
    ASSERT_TRUE(editor.choosePort(List::Monitors, 0, 2, 1));
    ASSERT_TRUE(editor.setText(List::Monitors, 0, 3, QStringLiteral("Terminal")));
    ASSERT_TRUE(editor.setText(List::Timer, 0, 1, QStringLiteral("Clock")));
    ASSERT_TRUE(editor.choosePort(List::Timer, 0, 2, 2));
    ASSERT_TRUE(manager->ApplyConfiguration(copy));

    const XmlDocument doc = savedIo();
    const XmlNode console = doc.selectSingleNode("//Port[@count='2']");
    EXPECT_EQ(attributeNames(console), (QStringList{"count", "name", "type"}));
    EXPECT_EQ(console.attribute("type"), QStringLiteral("COM"));
    const XmlNode settings = console.firstChildElement("Settings");
    EXPECT_EQ(attributeNames(settings), (QStringList{"number", "baudrate", "databits", "parity"}));
    EXPECT_EQ(settings.attribute("number"), QStringLiteral("3"));
    EXPECT_EQ(settings.attribute("baudrate"), QStringLiteral("19200"));
    EXPECT_EQ(settings.attribute("databits"), QStringLiteral("7"));
    EXPECT_EQ(settings.attribute("parity"), QStringLiteral("Even"));
    EXPECT_EQ(doc.selectSingleNode("//Port[@count='4']/Settings").attribute("host"),
              QStringLiteral("10.0.0.9"));
    EXPECT_FALSE(doc.selectSingleNode("//Port[@count='1']/Settings").hasAttribute("host"));
    const XmlNode board = doc.selectSingleNode("//RIP[@count='1']");
    EXPECT_EQ(attributeNames(board), (QStringList{"count", "name", "port", "type", "offset", "breakupPackets",
                                                  "updateEveryPacket"}));
    EXPECT_EQ(board.attribute("offset"), QStringLiteral("40"));
    EXPECT_EQ(board.attribute("breakupPackets"), QStringLiteral("true"));
    EXPECT_EQ(board.attribute("updateEveryPacket"), QStringLiteral("false"));
    EXPECT_EQ(attributeNames(doc.selectSingleNode("//Request[@count='1']")),
              (QStringList{"count", "name", "reqport", "sendport"}));
    EXPECT_EQ(doc.selectSingleNode("//Monitor[@count='1']").attribute("protocol"),
              QStringLiteral("Terminal"));

    // And it all reads back.
    auto again = loaded();
    const IoConfiguration& config = again->configuration();
    ASSERT_EQ(config.ports.size(), 4u);
    EXPECT_EQ(config.ports[1]->stream().serialPortNumber(), 3);
    EXPECT_EQ(config.ports[1]->stream().parity(), 2);
    // A file port keeps its file name across a save.
    EXPECT_EQ(config.ports[2]->stream().fileName(), folder() + QStringLiteral("record.rtd"));
    EXPECT_EQ(config.ports[3]->stream().destinationHost(), QStringLiteral("10.0.0.9"));
    EXPECT_EQ(config.timer->name(), QStringLiteral("Clock"));
    EXPECT_EQ(config.timer->port(), 2);
    ASSERT_EQ(config.rips.size(), 1u);
    EXPECT_EQ(config.rips[0]->offset(), 40);
    EXPECT_EQ(config.ports[2]->firstUser(), config.rips[0].get());
    EXPECT_EQ(config.requests.size(), 1u);
    EXPECT_EQ(config.monitors.size(), 1u);
}

TEST_F(IoTest, AttributesReadByPositionAreWrittenBackInTheirOrder)
{
    const QString ports =
        QStringLiteral("<Port count=\"1\" name=\"A\" type=\"UDP/IP\">"
                       "<Settings databits=\"0\" number=\"20000\" baudrate=\"0\" parity=\"\" "
                       "host=\"10.0.0.1\"/></Port>") +
        udpPort(2, "B", 20001);
    writeIo(document(ports, QStringLiteral("<Timer port=\"2\" name=\"Clock\"/>"), QString(""),
                     QStringLiteral("<Request sendport=\"1\" count=\"1\" reqport=\"2\" name=\"Q\"/>")));
    auto manager = loaded();
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    IoConfigEditor editor(copy);
    // The operator puts right what the positional reading made of the file.
    ASSERT_TRUE(editor.setText(List::Timer, 0, 1, QStringLiteral("Clock")));
    ASSERT_TRUE(editor.choosePort(List::Timer, 0, 2, 2));
    ASSERT_TRUE(editor.setText(List::Requests, 0, 1, QStringLiteral("Q")));
    ASSERT_TRUE(editor.choosePort(List::Requests, 0, 2, 2));
    ASSERT_TRUE(editor.choosePort(List::Requests, 0, 3, 1));
    copy.ports[0]->stream().setUdpPort(20000);
    copy.ports[0]->stream().setDestinationHost(QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(manager->ApplyConfiguration(copy));

    const XmlDocument doc = savedIo();
    EXPECT_EQ(attributeNames(doc.selectSingleNode("//Timer")), (QStringList{"name", "port"}));
    EXPECT_EQ(attributeNames(doc.selectSingleNode("//Port[@count='1']/Settings")),
              (QStringList{"number", "baudrate", "databits", "parity"}));
    const QStringList request = attributeNames(doc.selectSingleNode("//Request[@count='1']"));
    EXPECT_LT(request.indexOf("name"), request.indexOf("reqport"));
    EXPECT_LT(request.indexOf("reqport"), request.indexOf("sendport"));
    // Sections keep their order.
    QStringList sections;
    for (const XmlNode& node : doc.root().childElements())
        sections << node.name();
    EXPECT_EQ(sections, (QStringList{"Ports", "Timer", "RIPs", "Requests", "Monitors"}));

    auto again = loaded();
    const IoConfiguration& config = again->configuration();
    EXPECT_EQ(config.timer->name(), QStringLiteral("Clock"));
    EXPECT_EQ(config.timer->port(), 2);
    EXPECT_EQ(config.ports[0]->stream().udpPort(), 20000);
    EXPECT_EQ(config.ports[0]->stream().destinationHost(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(config.requests[0]->name(), QStringLiteral("Q"));
    EXPECT_EQ(config.requests[0]->requestPort(), 2);
    EXPECT_EQ(config.requests[0]->sendPort(), 1);
}

TEST_F(IoTest, ChangedRipGetsItsMissingOptionalAttributes)
{
    writeIo(document(udpPort(1, "A", 20000), timer("T", 0),
                     QStringLiteral("<RIP count=\"1\" name=\"R\" port=\"1\" type=\"Serial\"/>")));
    auto manager = loaded();
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    IoConfigEditor(copy).setText(List::Rips, 0, 6, QStringLiteral("true"));
    ASSERT_TRUE(manager->ApplyConfiguration(copy));
    const XmlNode node = savedIo().selectSingleNode("//RIP[@count='1']");
    EXPECT_EQ(node.attribute("offset"), QStringLiteral("0"));
    EXPECT_EQ(node.attribute("breakupPackets"), QStringLiteral("true"));
    EXPECT_EQ(node.attribute("updateEveryPacket"), QStringLiteral("true"));
}

TEST_F(IoTest, MissingSectionsAreLoggedAndWrittenSoTheFileLoadsAgain)
{
    // No Monitors element: loading stops there.
    writeIo(
        document(udpPort(1, "A", 20000), timer("T", 0), rip(1, "R", 1), QString(), QString(), true, false));
    auto manager = loaded();
    ASSERT_EQ(prompt.texts(), QStringList{"Failed to load the monitors."});

    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    IoConfigEditor(copy).setText(List::Monitors, 0, 1, QStringLiteral("Announcer"));
    ASSERT_TRUE(manager->ApplyConfiguration(copy));
    EXPECT_TRUE(log.contains("Failed to get the node.  SetMonitorConfiguration  XPath://Monitors"));

    prompt.clear();
    auto again = loaded();
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
    ASSERT_EQ(again->configuration().monitors.size(), 1u);
    EXPECT_EQ(again->configuration().monitors[0]->name(), QStringLiteral("Announcer"));
}

TEST_F(IoTest, AMissingOrIncompleteTimerIsLoggedAndWrittenWhole)
{
    for (const QString& timerElement : {QString(), QStringLiteral("<Timer name=\"Clock\"/>")}) {
        prompt.clear();
        log.clear();
        writeIo(document(udpPort(1, "A", 20000), timerElement, QString("")));
        auto manager = loaded();
        ASSERT_EQ(prompt.shown.size(), 1);
        IoConfiguration copy;
        manager->CopyConfiguration(copy);
        IoConfigEditor editor(copy);
        editor.setText(List::Timer, 0, 1, QStringLiteral("Console"));
        editor.choosePort(List::Timer, 0, 2, 1);
        ASSERT_TRUE(manager->ApplyConfiguration(copy));
        if (timerElement.isNull())
            EXPECT_TRUE(log.contains("Failed to get the node.  SetTimerConfiguration XPath://Timer"));
        else
            EXPECT_TRUE(log.contains("Failed to find the port attribute.  SetTimerConfiguration"));

        prompt.clear();
        auto again = loaded();
        EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
        EXPECT_EQ(again->configuration().timer->name(), QStringLiteral("Console"));
        EXPECT_EQ(again->configuration().timer->port(), 1);
    }
}

TEST_F(IoTest, RemoveWritersLogAMissingSection)
{
    writeIo(document(udpPort(1, "A", 20000), timer("T", 0), QString(), QString(), QString(), false, false));
    auto manager = loaded(); // stops at the RIPs
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    ASSERT_TRUE(manager->ApplyConfiguration(copy));
    EXPECT_TRUE(log.contains("Failed to get the node.  RemoveRIPs  XPath://RIPs"));
    EXPECT_TRUE(log.contains("Failed to get the node.  RemoveRequests  XPath://Requests"));
    EXPECT_TRUE(log.contains("Failed to get the node.  RemoveMonitors  XPath://Monitors"));
    EXPECT_FALSE(log.containsPrefix("Failed to get the node.  RemovePorts"));
}

TEST_F(IoTest, AFileThatIsNotWellFormedIsKeptBesideBeforeANewOneIsWritten)
{
    // Two hand-edit typos in a row: each file is kept under the next free name.
    const std::pair<QString, const char*> cases[] = {
        {QStringLiteral("<Configuration><Ports>"), "IO.xml.bad"},
        {document(udpPort(1, "A", 20000), timer("T", 1), rip(1, "R", 1)).replace("</RIPs>", "</RIP>"),
         "IO.xml.bad1"}};
    for (const auto& [text, keptName] : cases) {
        writeIo(text);
        prompt.clear();
        auto manager = loaded();
        ASSERT_EQ(prompt.texts(), QStringList{"The Input/Output configuration file does not exist."});
        IoConfiguration copy;
        manager->CopyConfiguration(copy);
        IoConfigEditor editor(copy);
        auto port = std::make_unique<StreamPort>();
        port->setKind(StreamPort::Udp);
        port->setName(QStringLiteral("Board"));
        port->stream().setUdpPort(20000);
        editor.appendPort(std::move(port));
        editor.setText(List::Rips, 0, 1, QStringLiteral("RIP"));
        editor.choosePort(List::Rips, 0, 2, 1);
        prompt.clear();
        ASSERT_TRUE(manager->ApplyDialogChanges(copy, false));

        const QString kept = folder() + QString::fromLatin1(keptName);
        EXPECT_EQ(fileBytes(kept), text.toUtf8());
        ASSERT_EQ(prompt.shown.size(), 1);
        EXPECT_TRUE(prompt.lastText().contains(QLatin1Char('"') + kept + QLatin1Char('"')))
            << prompt.lastText().toStdString();

        // Told once: the next OK writes without a word and keeps nothing more.
        manager->CopyConfiguration(copy);
        ASSERT_TRUE(manager->ApplyDialogChanges(copy, false));
        EXPECT_EQ(prompt.shown.size(), 1);

        prompt.clear();
        auto again = loaded();
        EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();
        ASSERT_EQ(again->configuration().ports.size(), 1u);
        EXPECT_EQ(again->configuration().rips.size(), 1u);
    }
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("IO.xml.bad2")));
}

TEST_F(IoTest, ElementsAFailedLoadCouldNotReadSurviveTheNextSave)
{
    // The third port lacks its type: loading stops there, so that port, the
    // timer, the RIPs, the requests and the monitors were never read.
    writeIo(document(udpPort(1, "A", 20000) + udpPort(2, "B", 20001) +
                         QStringLiteral("<Port count=\"3\" name=\"C\"><Settings number=\"1\"/></Port>"),
                     timer("T", 1), rip(1, "One", 1) + rip(2, "Two", 2), request(1, "Q", 1, 2),
                     monitor(1, "Announcer", 3)));
    auto manager = loaded();
    ASSERT_EQ(prompt.texts(), QStringList{"Failed to parse the ports."});

    // OK in the dialog without a change must not wipe what was not read.
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    ASSERT_TRUE(manager->ApplyConfiguration(copy));
    XmlDocument saved = savedIo();
    EXPECT_EQ(counts(saved, "//Ports/Port"), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(counts(saved, "//RIPs/RIP"), (QStringList{"1", "2"}));
    EXPECT_EQ(counts(saved, "//Requests/Request"), QStringList{"1"});
    EXPECT_EQ(counts(saved, "//Monitors/Monitor"), QStringList{"1"});
    EXPECT_EQ(saved.selectSingleNode("//Timer").attribute("name"), QStringLiteral("T"));
    EXPECT_TRUE(log.containsPrefix("Elements that could not be loaded are kept.  RemovePorts"));
}

TEST_F(IoTest, AfterABrokenSectionNewItemsTakeFreshCountsAndUnreadElementsStay)
{
    // Port 2 lacks its type: the timer, the RIPs and the monitors are never read.
    writeIo(document(udpPort(1, "A", 20000) +
                         QStringLiteral("<Port count=\"2\" name=\"B\"><Settings number=\"1\"/></Port>"),
                     timer("T", 1), rip(1, "Board", 1, "Serial", 120), QString(""), monitor(1, "M", 1)));
    const QByteArray before = fileBytes(ioPath());
    auto manager = loaded();
    ASSERT_EQ(prompt.texts(), QStringList{"Failed to parse the ports."});

    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    IoConfigEditor editor(copy);
    auto port = std::make_unique<StreamPort>();
    port->setKind(StreamPort::Udp);
    port->setName(QStringLiteral("New"));
    port->stream().setUdpPort(20002);
    ASSERT_EQ(editor.appendPort(std::move(port)), 2); // port 2 here, element 3 in the file
    ASSERT_TRUE(editor.setText(List::Rips, 0, 1, QStringLiteral("Added")));
    ASSERT_TRUE(editor.choosePort(List::Rips, 0, 2, 2));
    prompt.clear();
    ASSERT_TRUE(manager->ApplyDialogChanges(copy, false));

    const XmlDocument saved = savedIo();
    const XmlNode board = saved.selectSingleNode("//RIP[@count='1']");
    EXPECT_EQ(board.attribute("name"), QStringLiteral("Board"));
    EXPECT_EQ(board.attribute("offset"), QStringLiteral("120"));
    const XmlNode added = saved.selectSingleNode("//RIP[@count='2']");
    EXPECT_EQ(added.attribute("name"), QStringLiteral("Added"));
    EXPECT_EQ(added.attribute("port"), QStringLiteral("3")); // the new port's element
    EXPECT_EQ(counts(saved, "//Ports/Port"), (QStringList{"1", "2", "3"}));
    EXPECT_FALSE(saved.selectSingleNode("//Port[@count='2']").hasAttribute("type"));
    EXPECT_EQ(saved.selectSingleNode("//Port[@count='3']").attribute("name"), QStringLiteral("New"));
    EXPECT_EQ(saved.selectSingleNode("//Timer").attribute("name"), QStringLiteral("T"));

    // The file as it was is beside, and the operator was told where and why.
    const QString kept = ioPath() + QStringLiteral(".bad");
    EXPECT_EQ(fileBytes(kept), before);
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.lastText().contains(QLatin1Char('"') + kept + QLatin1Char('"')));
    EXPECT_TRUE(prompt.lastText().contains(QStringLiteral("Failed to parse the ports.")));
}

TEST_F(IoTest, AFailedSaveIsLogged)
{
    writeDefaultIo();
    auto manager = loaded();
    IoConfiguration copy;
    manager->CopyConfiguration(copy);
    // The file's place is taken by a folder.
    QFile::remove(ioPath());
    ASSERT_TRUE(QDir().mkpath(ioPath()));
    EXPECT_FALSE(manager->ApplyConfiguration(copy));
    EXPECT_TRUE(log.containsPrefix("Failed to save the IO configuration.  Mgr::ApplyConfiguration  Path:"));
}

} // namespace
