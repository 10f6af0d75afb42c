// Kinds, settings, their one-line texts, the COM numbering rule and the
// failures of open() that need no peer.
#include "platform/stream/serialportmap.h"
#include "platform/stream/txstream.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(TxStreamKind, NamesCarryTheVersionSuffixAndRoundTrip)
{
    const char* names[] = {"TxSCom.TxStreamCom",   "TxSUdp.TxStreamUdp", "TxSFile.TxStreamFile",
                           "TxSHttp.TxStreamHttp", "TxSTcp.TxStreamTcp", "TxSIpx.TxStreamIpx"};
    for (int kind = 1; kind <= 6; ++kind) {
        TxStream byNumber;
        ASSERT_TRUE(byNumber.setKind(kind));
        EXPECT_EQ(byNumber.kindName(), QString::fromLatin1(names[kind - 1]) + QStringLiteral(".1"));

        TxStream byName;
        ASSERT_TRUE(byName.setKind(QString::fromLatin1(names[kind - 1])));
        EXPECT_EQ(byName.kind(), kind);
        // What get returns is accepted by set as well.
        TxStream again;
        ASSERT_TRUE(again.setKind(byName.kindName()));
        EXPECT_EQ(again.kind(), kind);
    }
    TxStream stream;
    EXPECT_EQ(stream.kind(), 0);
    EXPECT_TRUE(stream.kindName().isEmpty());
    EXPECT_TRUE(stream.setKind(QStringLiteral("txsudp.txstreamudp")));
    EXPECT_EQ(stream.kind(), int(TxStream::Udp));
    EXPECT_FALSE(stream.setKind(QStringLiteral("TxSUdp.TxStreamUdp.2")));
    EXPECT_FALSE(stream.setKind(QStringLiteral("TxStreams.TxStream")));
    EXPECT_FALSE(stream.setKind(7));
    EXPECT_FALSE(stream.setKind(-1));
    EXPECT_EQ(stream.kind(), int(TxStream::Udp)) << "a refused kind leaves the kind alone";
}

TEST(TxStreamSettings, SettingsTextDescribesEachKind)
{
    TxStream stream;
    EXPECT_EQ(stream.settingsText(), QStringLiteral("No stream kind"));

    stream.setKind(TxStream::Serial);
    stream.setSerialPortNumber(3);
    stream.setSerialDevice(QStringLiteral("/dev/ttyFAKE7"));
    stream.setBaudRate(19200);
    stream.setDataBits(7);
    stream.setParity(2);
    EXPECT_EQ(stream.settingsText(), QStringLiteral("COM3 (/dev/ttyFAKE7), 19200, 7, Even"));
    // Without an explicit device a number beyond this machine's ports has none.
    stream.setSerialDevice(QString());
    stream.setSerialPortNumber(4000);
    stream.setParity(4);
    EXPECT_EQ(stream.settingsText(), QStringLiteral("COM4000 (no device), 19200, 7, Space"));

    stream.setKind(TxStream::Udp);
    stream.setUdpPort(20000);
    EXPECT_EQ(stream.settingsText(), QStringLiteral("UDP port 20000, destination 127.0.0.1"));
    stream.setDestinationHost(QStringLiteral(" 192.168.5.20 "));
    EXPECT_EQ(stream.settingsText(), QStringLiteral("UDP port 20000, destination 192.168.5.20"));

    stream.setKind(TxStream::File);
    EXPECT_EQ(stream.settingsText(), QStringLiteral("File (no name)"));
    stream.setFileName(QStringLiteral("/var/tmp/board.txt"));
    EXPECT_EQ(stream.settingsText(), QStringLiteral("File /var/tmp/board.txt"));

    stream.setKind(TxStream::Tcp);
    stream.setTcpHost(QStringLiteral("10.0.0.5"));
    stream.setTcpPort(4000);
    EXPECT_EQ(stream.settingsText(), QStringLiteral("TCP 10.0.0.5:4000"));

    stream.setKind(TxStream::Http);
    EXPECT_EQ(stream.settingsText(), QStringLiteral("HTTP (not supported)"));
    stream.setKind(TxStream::Ipx);
    EXPECT_EQ(stream.settingsText(), QStringLiteral("IPX (not supported)"));
}

TEST(TxStreamSettings, SerialPortNameAndRefusedValues)
{
    TxStream stream;
    EXPECT_TRUE(stream.setSerialPort(QStringLiteral("com12")));
    EXPECT_EQ(stream.serialPortNumber(), 12);
    EXPECT_EQ(stream.serialPortName(), QStringLiteral("COM12"));
    EXPECT_FALSE(stream.setSerialPort(QStringLiteral("LPT1")));
    EXPECT_FALSE(stream.setSerialPort(QStringLiteral("COM")));
    EXPECT_FALSE(stream.setSerialPort(QStringLiteral("COM-1")));
    EXPECT_EQ(stream.serialPortNumber(), 12);

    EXPECT_FALSE(stream.setParity(5));
    EXPECT_FALSE(stream.setParity(-1));
    EXPECT_FALSE(stream.setDataBits(9));
    EXPECT_FALSE(stream.setDataBits(4));
    EXPECT_FALSE(stream.setBaudRate(0));
    EXPECT_FALSE(stream.setUdpPort(65536));
    EXPECT_FALSE(stream.setTcpPort(-1));
    EXPECT_EQ(stream.parity(), 0);
    EXPECT_EQ(stream.dataBits(), 8);
    EXPECT_EQ(stream.baudRate(), 9600);
    EXPECT_EQ(stream.udpPort(), 0);
    EXPECT_EQ(stream.destinationHost(), QStringLiteral("127.0.0.1"))
        << "nothing leaves the machine by default";
}

TEST(TxStreamSettings, CopySettingsTakesKindNameAndEverySetting)
{
    TxStream source;
    source.setKind(TxStream::Serial);
    source.setName(QStringLiteral("RIP"));
    source.setSerialPortNumber(2);
    source.setSerialDevice(QStringLiteral("/dev/serial/by-id/usb-board"));
    source.setBaudRate(38400);
    source.setDataBits(7);
    source.setParity(1);
    source.setUdpPort(21000);
    source.setDestinationHost(QStringLiteral("10.1.1.1"));
    source.setFileName(QStringLiteral("out.txt"));

    TxStream copy;
    copy.copySettings(source);
    EXPECT_EQ(copy.settings(), source.settings());
    EXPECT_EQ(copy.kindName(), QStringLiteral("TxSCom.TxStreamCom.1"));
    EXPECT_EQ(copy.name(), QStringLiteral("RIP"));
    EXPECT_EQ(copy.settingsText(), source.settingsText());

    // A copy, not a link.
    source.setBaudRate(1200);
    EXPECT_EQ(copy.baudRate(), 38400);
    copy.copySettings(copy);
    EXPECT_EQ(copy.baudRate(), 38400);
}

TEST(SerialPortMap, ComNumbersFollowTheNaturalOrderOfDevicePaths)
{
    const QStringList devices =
        SerialPortMap::sorted({QStringLiteral("/dev/ttyUSB10"), QStringLiteral("/dev/ttyS1"),
                               QStringLiteral("/dev/ttyUSB2"), QStringLiteral("/dev/ttyACM0"),
                               QStringLiteral("/dev/ttyS0"), QStringLiteral("/dev/ttyUSB2"), QString()});
    EXPECT_EQ(devices, (QStringList{QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS0"),
                                    QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyUSB2"),
                                    QStringLiteral("/dev/ttyUSB10")}));
    EXPECT_EQ(SerialPortMap::deviceFor(1, devices), QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(SerialPortMap::deviceFor(5, devices), QStringLiteral("/dev/ttyUSB10"));
    EXPECT_TRUE(SerialPortMap::deviceFor(0, devices).isEmpty());
    EXPECT_TRUE(SerialPortMap::deviceFor(6, devices).isEmpty());
    EXPECT_TRUE(SerialPortMap::deviceFor(1, {}).isEmpty());
    EXPECT_EQ(SerialPortMap::numberOf(QStringLiteral("/dev/ttyUSB2"), devices), 4);
    EXPECT_EQ(SerialPortMap::numberOf(QStringLiteral("/dev/ttyUSB3"), devices), 0);

    // The order does not depend on the order the system lists them in.
    QStringList reversed = devices;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(SerialPortMap::sorted(reversed), devices);
}

TEST(SerialPortMap, NaturalOrderIsATotalOrder)
{
    EXPECT_TRUE(SerialPortMap::naturalLess(QStringLiteral("ttyS9"), QStringLiteral("ttyS10")));
    EXPECT_FALSE(SerialPortMap::naturalLess(QStringLiteral("ttyS10"), QStringLiteral("ttyS9")));
    EXPECT_TRUE(SerialPortMap::naturalLess(QStringLiteral("ttyS"), QStringLiteral("ttyS0")));
    EXPECT_FALSE(SerialPortMap::naturalLess(QStringLiteral("ttyS1"), QStringLiteral("ttyS1")));
    // Equal numbers written differently still have an order, either way round.
    EXPECT_NE(SerialPortMap::naturalLess(QStringLiteral("ttyS01"), QStringLiteral("ttyS1")),
              SerialPortMap::naturalLess(QStringLiteral("ttyS1"), QStringLiteral("ttyS01")));
    EXPECT_TRUE(SerialPortMap::naturalLess(QStringLiteral("a99999999999999999999"),
                                           QStringLiteral("a100000000000000000000")));
}

TEST(TxStreamSettings, HostValidation)
{
    for (const char* good :
         {"127.0.0.1", "::1", "fe80::1", "localhost", "scoreboard-1.arena.local", "board.", "x"}) {
        EXPECT_TRUE(TxStream::isValidHost(QString::fromLatin1(good))) << good;
    }
    for (const char* bad : {"", " localhost", "bad host", "-board", "board-", "a..b", "999.1.1.1", "1.2.3",
                            "10.1", "256.0.0.1", "host_name", "board/1", "10.0.0.1:80"}) {
        EXPECT_FALSE(TxStream::isValidHost(QString::fromLatin1(bad))) << bad;
    }
}

TEST(TxStreamOpen, HttpAndIpxCannotBeOpened)
{
    for (int kind : {int(TxStream::Http), int(TxStream::Ipx)}) {
        TxStream stream;
        stream.setKind(kind);
        stream.setName(QStringLiteral("Web"));
        EXPECT_EQ(stream.open(), TxStream::StatusNotSupported);
        EXPECT_FALSE(stream.isOpen());
        EXPECT_EQ(stream.ioThread(), nullptr);
        EXPECT_FALSE(stream.protocol().isAttached());
        EXPECT_TRUE(stream.lastError().contains(kind == TxStream::Http ? QStringLiteral("HTTP")
                                                                       : QStringLiteral("IPX")))
            << stream.lastError().toStdString();
        EXPECT_LT(stream.protocol().sendTextBlock(QStringLiteral("x"), false, 0, true), 0);
        EXPECT_LT(stream.sendText(QStringLiteral("x")), 0);
    }
    TxStream none;
    EXPECT_LT(none.open(), 0);
    EXPECT_FALSE(none.lastError().isEmpty());
}

TEST(TxStreamOpen, DevicesThatCannotBeOpenedFailWithAReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    TxStream serial;
    serial.setKind(TxStream::Serial);
    serial.setSerialDevice(dir.filePath(QStringLiteral("no-such-tty")));
    EXPECT_LT(serial.open(), 0);
    EXPECT_FALSE(serial.isOpen());
    EXPECT_TRUE(serial.lastError().contains(QStringLiteral("no-such-tty")))
        << serial.lastError().toStdString();

    // A plain file is no serial device either.
    const QString plain = dir.filePath(QStringLiteral("plain"));
    {
        QFile file(plain);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    serial.setSerialDevice(plain);
    EXPECT_LT(serial.open(), 0);
    EXPECT_FALSE(serial.lastError().isEmpty());

    TxStream noDevice;
    noDevice.setKind(TxStream::Serial);
    noDevice.setSerialPortNumber(4000);
    EXPECT_LT(noDevice.open(), 0);
    EXPECT_TRUE(noDevice.lastError().contains(QStringLiteral("COM4000")))
        << noDevice.lastError().toStdString();

    TxStream udp;
    udp.setKind(TxStream::Udp);
    EXPECT_LT(udp.open(), 0) << "port 0";
    EXPECT_TRUE(udp.lastError().contains(QStringLiteral("UDP port 0")));
    udp.setUdpPort(20000);
    udp.setDestinationHost(QStringLiteral("not a host"));
    EXPECT_LT(udp.open(), 0);
    EXPECT_TRUE(udp.lastError().contains(QStringLiteral("not a host")));

    TxStream file;
    file.setKind(TxStream::File);
    EXPECT_LT(file.open(), 0) << "no name";
    file.setFileName(dir.path()); // a directory
    EXPECT_LT(file.open(), 0);
    file.setFileName(dir.filePath(QStringLiteral("missing/dir/out.txt")));
    EXPECT_LT(file.open(), 0);
    EXPECT_TRUE(file.lastError().contains(QStringLiteral("out.txt"))) << file.lastError().toStdString();
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.statusText(), QStringLiteral("Closed"));
}
