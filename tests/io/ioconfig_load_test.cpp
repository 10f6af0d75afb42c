// Reading IO.xml: the built-in file, positional attributes, optional flags,
// and every kind of bad file.
#include "iotesthelpers.h"

#include <climits>

namespace {

using namespace iofile;

TEST_F(IoTest, BuiltInFileLoadsEveryListAndOpensThePorts)
{
    writeDefaultIo();
    auto manager = loaded();
    const IoConfiguration& config = manager->configuration();
    EXPECT_TRUE(prompt.shown.isEmpty());

    ASSERT_EQ(config.ports.size(), 4u);
    const QStringList names{"RIP", "MX 8000 Command", "TK2 Timer", "Announcer Monitor"};
    const QList<int> numbers{20000, 27000, 21000, 17000};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(config.ports[i]->name(), names[i]);
        EXPECT_EQ(config.ports[i]->kind(), StreamPort::Udp);
        EXPECT_EQ(config.ports[i]->stream().udpPort(), numbers[i]);
        EXPECT_EQ(config.ports[i]->stream().destinationHost(), QStringLiteral("127.0.0.1"));
        EXPECT_TRUE(config.ports[i]->isOpen()) << config.ports[i]->statusText().toStdString();
    }
    EXPECT_EQ(config.timer->name(), QStringLiteral("TK2 Timer"));
    EXPECT_EQ(config.timer->port(), 3);
    EXPECT_EQ(config.ports[2]->firstUser(), config.timer.get());

    ASSERT_EQ(config.rips.size(), 2u);
    for (const auto& rip : config.rips) {
        EXPECT_EQ(rip->type(), RipStream::Serial);
        EXPECT_EQ(rip->offset(), 0);
        EXPECT_TRUE(rip->breakupPackets());
        EXPECT_FALSE(rip->updateEveryPacket());
        EXPECT_FALSE(rip->isStarted());
    }
    EXPECT_EQ(config.ports[0]->firstUser(), config.rips[0].get());
    EXPECT_EQ(config.ports[1]->firstUser(), config.rips[1].get());
    EXPECT_TRUE(config.requests.empty());
    ASSERT_EQ(config.monitors.size(), 1u);
    EXPECT_EQ(config.monitors[0]->name(), QStringLiteral("Announcer"));
    EXPECT_EQ(config.monitors[0]->protocol(), MonitorStream::Terminal);
    EXPECT_EQ(config.ports[3]->firstUser(), config.monitors[0].get());
}

TEST_F(IoTest, SettingsAreReadByPositionAndExtrasByName)
{
    const QString ports =
        // A serial port written in another order: the first attribute is the port number.
        QStringLiteral("<Port count=\"1\" name=\"Console\" type=\"COM\">"
                       "<Settings baudrate=\"9600\" number=\"4\" databits=\"7\" parity=\"Odd\" "
                       "device=\"/dev/ttyUSB7\"/></Port>") +
        QStringLiteral("<Port count=\"2\" name=\"Mark\" type=\"COM\">"
                       "<Settings number=\"2\" baudrate=\"19200\" databits=\"8\" parity=\"Mark\"/></Port>") +
        QStringLiteral("<Port count=\"3\" name=\"Odd letter\" type=\"COM\">"
                       "<Settings number=\"3\" baudrate=\"4800\" databits=\"8\" parity=\"xyz\"/></Port>") +
        // UDP with its parity first: the port is read from the empty text.
        QStringLiteral("<Port count=\"4\" name=\"Swapped\" type=\"UDP/IP\">"
                       "<Settings parity=\"\" number=\"20000\" baudrate=\"0\" databits=\"0\"/></Port>") +
        QStringLiteral(
            "<Port count=\"5\" name=\"Remote\" type=\"UDP/IP\">"
            "<Settings number=\"20001\" baudrate=\"0\" databits=\"0\" parity=\"\" host=\"10.1.2.3\"/>"
            "</Port>") +
        filePort(6, QStringLiteral("Log"), folder() + QStringLiteral("out.rtd")) +
        QStringLiteral("<Port count=\"7\" name=\"Web\" type=\"TCP\"><Settings number=\"80\"/></Port>");
    writeIo(document(ports, timer(QStringLiteral("T"), 0), QString("")));
    auto manager = loaded();
    const IoConfiguration& config = manager->configuration();
    ASSERT_EQ(config.ports.size(), 7u);
    EXPECT_TRUE(prompt.shown.isEmpty()) << prompt.lastText().toStdString();

    const TxStream& console = config.ports[0]->stream();
    EXPECT_EQ(console.kind(), TxStream::Serial);
    EXPECT_EQ(console.serialPortNumber(), 9600);
    EXPECT_EQ(console.baudRate(), 4);
    EXPECT_EQ(console.dataBits(), 7);
    EXPECT_EQ(console.parity(), 1);
    EXPECT_EQ(console.serialDevice(), QStringLiteral("/dev/ttyUSB7"));
    EXPECT_EQ(config.ports[1]->stream().parity(), 3);
    EXPECT_EQ(config.ports[2]->stream().parity(), 0); // other letters leave it unchanged
    EXPECT_EQ(config.ports[3]->stream().udpPort(), 0);
    EXPECT_EQ(config.ports[4]->stream().destinationHost(), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(config.ports[5]->kind(), StreamPort::File);
    EXPECT_EQ(config.ports[5]->stream().fileName(), folder() + QStringLiteral("out.rtd"));

    // An unknown type gives a port without kind: it exists, fails to open and says so.
    EXPECT_EQ(config.ports[6]->kind(), StreamPort::NoKind);
    EXPECT_EQ(config.ports[6]->name(), QStringLiteral("Web"));
    EXPECT_FALSE(config.ports[6]->isOpen());
    EXPECT_TRUE(config.ports[6]->statusText().startsWith(QStringLiteral("Failed: ")));
    EXPECT_TRUE(
        log.containsPrefix(QStringLiteral("Failed to open the port.  Mgr::OpenPorts  Port:Web, Error:")));
    // The others opened all the same.
    EXPECT_TRUE(config.ports[5]->isOpen());
}

TEST_F(IoTest, TimerAttributesAreReadByPosition)
{
    writeIo(document(udpPort(1, "A", 20000) + udpPort(2, "B", 20001) + udpPort(3, "C", 20002),
                     QStringLiteral("<Timer port=\"3\" name=\"TK2 Timer\"/>"), QString("")));
    auto manager = loaded();
    EXPECT_EQ(manager->configuration().timer->name(), QStringLiteral("3"));
    EXPECT_EQ(manager->configuration().timer->port(), 0);
    EXPECT_TRUE(manager->configuration().ports[2]->users().isEmpty());
}

TEST_F(IoTest, RipOptionalAttributesAndTheirDefaults)
{
    const QString rips =
        QStringLiteral("<RIP count=\"1\" name=\"Bare\" port=\"1\" type=\"Serial\"/>") +
        rip(2, "Caps", 1, "serial", -25, "breakupPackets=\"True\" updateEveryPacket=\"TRUE\"") +
        rip(3, "Set", 1, "Network", 0, "breakupPackets=\"false\" updateEveryPacket=\"true\"") +
        QStringLiteral("<RIP count=\"4\" name=\"Huge\" port=\"1\" type=\"Other\" offset=\"99999999999\"/>") +
        QStringLiteral("<RIP count=\"5\" name=\"Low\" port=\"1\" type=\"\" offset=\"-99999999999\"/>");
    writeIo(document(udpPort(1, "A", 20000), timer("T", 0), rips));
    auto manager = loaded();
    const auto& list = manager->configuration().rips;
    ASSERT_EQ(list.size(), 5u);
    EXPECT_TRUE(list[0]->breakupPackets());
    EXPECT_FALSE(list[0]->updateEveryPacket());
    EXPECT_EQ(list[0]->offset(), 0);
    // Capital letters are not "true"; "serial" in any case is Serial.
    EXPECT_FALSE(list[1]->breakupPackets());
    EXPECT_FALSE(list[1]->updateEveryPacket());
    EXPECT_EQ(list[1]->type(), RipStream::Serial);
    EXPECT_EQ(list[1]->offset(), -25);
    EXPECT_FALSE(list[2]->breakupPackets());
    EXPECT_TRUE(list[2]->updateEveryPacket());
    EXPECT_EQ(list[2]->type(), RipStream::Network);
    EXPECT_EQ(list[3]->type(), RipStream::Network);
    EXPECT_EQ(list[3]->offset(), INT_MAX);
    EXPECT_EQ(list[4]->offset(), INT_MIN);
    // All five use port 1, in file order.
    ASSERT_EQ(manager->configuration().ports[0]->users().size(), 5);
    EXPECT_EQ(manager->configuration().ports[0]->users()[4], list[4].get());
}

TEST_F(IoTest, RequestAndMonitorAttributesAreTakenInDocumentOrder)
{
    const QString requests =
        request(1, "Normal", 1, 2) +
        QStringLiteral("<Request count=\"2\" sendport=\"2\" name=\"Odd\" reqport=\"1\"/>");
    const QString monitors =
        monitor(1, "Html", 1, "HTML") + monitor(2, "Other", 9, "VT100") +
        QStringLiteral("<Monitor count=\"3\" protocol=\"Terminal\" name=\"Back\" port=\"1\"/>");
    writeIo(document(udpPort(1, "A", 20000) + udpPort(2, "B", 20001), timer("T", 0), QString(""), requests,
                     monitors));
    auto manager = loaded();
    const IoConfiguration& config = manager->configuration();
    ASSERT_EQ(config.requests.size(), 2u);
    EXPECT_EQ(config.requests[0]->name(), QStringLiteral("Normal"));
    EXPECT_EQ(config.requests[0]->requestPort(), 1);
    EXPECT_EQ(config.requests[0]->sendPort(), 2);
    EXPECT_EQ(config.requests[1]->name(), QStringLiteral("2"));
    EXPECT_EQ(config.requests[1]->requestPort(), 0);
    EXPECT_EQ(config.requests[1]->sendPort(), 1);

    ASSERT_EQ(config.monitors.size(), 3u);
    EXPECT_EQ(config.monitors[0]->protocol(), MonitorStream::Html);
    EXPECT_EQ(config.monitors[1]->protocol(), MonitorStream::NoProtocol);
    EXPECT_EQ(config.monitors[1]->port(), 9); // beyond the list: kept, attached nowhere
    EXPECT_EQ(config.monitors[2]->name(), QStringLiteral("Terminal"));
}

struct MissingSection
{
    const char* drop; // the element left out
    const char* message;
    std::size_t ports;
    std::size_t rips;
};

class IoMissingSectionTest : public IoTest, public ::testing::WithParamInterface<MissingSection>
{
};

TEST_P(IoMissingSectionTest, StopsWithItsMessageKeepsWhatWasReadAndLeavesThePortsClosed)
{
    const MissingSection c = GetParam();
    const QString drop = QString::fromLatin1(c.drop);
    writeIo(document(drop == "Ports" ? QString() : udpPort(1, "A", 20000) + udpPort(2, "B", 20001),
                     drop == "Timer" ? QString() : timer("T", 1), drop == "RIPs" ? QString() : rip(1, "R", 2),
                     QString(""), monitor(1, "M", 2), drop != "Requests", drop != "Monitors"));
    auto manager = loaded();
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, QString::fromLatin1(c.message));
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("Message"));
    const IoConfiguration& config = manager->configuration();
    EXPECT_EQ(config.ports.size(), c.ports);
    EXPECT_EQ(config.rips.size(), c.rips);
    EXPECT_TRUE(config.monitors.empty());
    for (const auto& port : config.ports)
        EXPECT_FALSE(port->isOpen());
}

INSTANTIATE_TEST_SUITE_P(Sections, IoMissingSectionTest,
                         ::testing::Values(MissingSection{"Ports", "Failed to load the ports.", 0, 0},
                                           MissingSection{"Timer", "Failed to load the timer.", 2, 0},
                                           MissingSection{"RIPs", "Failed to load the RIPs.", 2, 0},
                                           MissingSection{"Requests", "Failed to load the requests.", 2, 1},
                                           MissingSection{"Monitors", "Failed to load the monitors.", 2, 1}));

TEST_F(IoTest, MalformedSectionsGiveTheirParseMessages)
{
    struct Case
    {
        QString xml;
        const char* message;
    };
    const QString twoPorts = udpPort(1, "A", 20000) + udpPort(2, "B", 20001);
    const QList<Case> cases{
        {document(QStringLiteral("<Port count=\"1\" name=\"A\"><Settings number=\"1\"/></Port>"),
                  timer("T", 0), QString("")),
         "Failed to parse the ports."},
        // Counts must run 1, 2, 3...
        {document(udpPort(1, "A", 20000) + udpPort(3, "C", 20002), timer("T", 0), QString("")),
         "Failed to parse the ports."},
        {document(QStringLiteral("<Port count=\"1\" name=\"A\" type=\"COM\"><Settings number=\"1\"/></Port>"),
                  timer("T", 0), QString("")),
         "Failed to parse the ports."},
        {document(QStringLiteral("<Port count=\"1\" name=\"A\" type=\"UDP/IP\"/>"), timer("T", 0),
                  QString("")),
         "Failed to parse the ports."},
        {document(twoPorts, QStringLiteral("<Timer name=\"T\"/>"), QString("")),
         "Failed to parse the timer."},
        {document(twoPorts, timer("T", 0), QStringLiteral("<RIP count=\"1\" name=\"R\" type=\"Serial\"/>")),
         "Failed to parse the RIPs."},
        {document(twoPorts, timer("T", 0), QString(""),
                  QStringLiteral("<Request count=\"1\" name=\"Q\" reqport=\"1\"/>")),
         "Failed to parse the requests."},
        {document(twoPorts, timer("T", 0), QString(""), QString(""),
                  QStringLiteral("<Monitor count=\"1\" name=\"M\" port=\"1\"/>")),
         "Failed to parse the monitors."},
        {QStringLiteral("this is not XML <"), "The Input/Output configuration file does not exist."},
        {QString(), "The Input/Output configuration file does not exist."},
    };
    for (const Case& c : cases) {
        prompt.clear();
        if (c.xml.isNull())
            QFile::remove(ioPath());
        else
            writeIo(c.xml);
        auto manager = loaded();
        EXPECT_EQ(prompt.texts(), QStringList{QString::fromLatin1(c.message)}) << c.xml.toStdString();
        for (const auto& port : manager->configuration().ports)
            EXPECT_FALSE(port->isOpen());
    }
}

TEST_F(IoTest, LoadingAgainReplacesTheLists)
{
    writeDefaultIo();
    auto manager = loaded();
    writeIo(document(udpPort(1, "Only", 20000), timer("T", 1), rip(1, "R", 1)));
    EXPECT_EQ(manager->LoadConfiguration(), 0);
    const IoConfiguration& config = manager->configuration();
    ASSERT_EQ(config.ports.size(), 1u);
    EXPECT_EQ(config.ports[0]->users().size(), 2);
    EXPECT_EQ(config.rips.size(), 1u);
    EXPECT_TRUE(config.monitors.empty());
}

} // namespace
