// The configuration sheet and the traffic viewer of the stream component.
#include "platform/stream/dialogs/streamconfigdialog.h"
#include "platform/stream/dialogs/streamtrafficviewer.h"
#include "platform/stream/dialogs/trafficlogmodel.h"
#include "streamtesthelpers.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

template <typename T> T* child(QWidget& parent, const char* name)
{
    T* widget = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

void selectKind(StreamConfigDialog& dialog, int kind)
{
    auto* combo = child<QComboBox>(dialog, "kindCombo");
    combo->setCurrentIndex(combo->findData(kind));
}

// Saves a picture of widget when TALLYRA_SCREENSHOT_DIR names a folder.
void screenshot(QWidget& widget, const QString& name)
{
    widget.show();
    QCoreApplication::processEvents();
    const QPixmap picture = widget.grab();
    EXPECT_FALSE(picture.isNull());
    const QString folder = qEnvironmentVariable("TALLYRA_SCREENSHOT_DIR");
    if (!folder.isEmpty() && QDir().mkpath(folder))
        picture.save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

std::unique_ptr<TxStream> udpStream(int port)
{
    auto stream = std::make_unique<TxStream>();
    stream->setKind(TxStream::Udp);
    stream->setName(QStringLiteral("RIP"));
    stream->setUdpPort(port);
    stream->setListenAddress(QStringLiteral("127.0.0.1"));
    return stream;
}

} // namespace

TEST(StreamConfigDialog, ShowsTheStreamsSettings)
{
    auto stream = udpStream(20000);
    stream->setDestinationHost(QStringLiteral("10.0.0.7"));
    StreamConfigDialog dialog(*stream);
    EXPECT_EQ(child<QLineEdit>(dialog, "nameEdit")->text(), QStringLiteral("RIP"));
    EXPECT_EQ(child<QComboBox>(dialog, "kindCombo")->currentText(), QStringLiteral("UDP/IP"));
    EXPECT_EQ(child<QSpinBox>(dialog, "udpPortSpin")->value(), 20000);
    EXPECT_EQ(child<QLineEdit>(dialog, "destinationHostEdit")->text(), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(dialog.editedSettings(), stream->settings()) << "an untouched sheet changes nothing";
    screenshot(dialog, QStringLiteral("config-udp"));
}

TEST(StreamConfigDialog, OkCopiesTheEditsIntoTheStreamCancelDoesNot)
{
    auto stream = udpStream(20000);
    const TxStreamSettings before = stream->settings();
    {
        StreamConfigDialog dialog(*stream);
        child<QSpinBox>(dialog, "udpPortSpin")->setValue(27000);
        child<QLineEdit>(dialog, "destinationHostEdit")->setText(QStringLiteral("scoreboard.local"));
        child<QLineEdit>(dialog, "nameEdit")->setText(QStringLiteral("MX 8000 Command"));
        EXPECT_EQ(stream->settings(), before) << "edits stay in the sheet until OK";
        dialog.reject();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(stream->settings(), before);

    StreamConfigDialog dialog(*stream);
    child<QSpinBox>(dialog, "udpPortSpin")->setValue(27000);
    child<QLineEdit>(dialog, "destinationHostEdit")->setText(QStringLiteral("scoreboard.local"));
    child<QLineEdit>(dialog, "nameEdit")->setText(QStringLiteral("MX 8000 Command"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(stream->udpPort(), 27000);
    EXPECT_EQ(stream->destinationHost(), QStringLiteral("scoreboard.local"));
    EXPECT_EQ(stream->name(), QStringLiteral("MX 8000 Command"));
}

TEST(StreamConfigDialog, InvalidSettingsAreRefusedWithAReason)
{
    auto stream = udpStream(0);
    StreamConfigDialog dialog(*stream);
    auto* error = child<QLabel>(dialog, "errorLabel");

    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(error->text().contains(QStringLiteral("between 1 and 65535"))) << error->text().toStdString();
    EXPECT_FALSE(error->isHidden());

    child<QSpinBox>(dialog, "udpPortSpin")->setValue(21000);
    child<QLineEdit>(dialog, "destinationHostEdit")->setText(QStringLiteral("bad host!"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(error->text().contains(QStringLiteral("bad host!")));
    EXPECT_EQ(stream->udpPort(), 0) << "nothing is copied while invalid";

    selectKind(dialog, TxStream::File);
    EXPECT_TRUE(error->isHidden()) << "switching kind clears the old complaint";
    child<QLineEdit>(dialog, "fileNameEdit")->setText(QStringLiteral("   "));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(error->text().contains(QStringLiteral("file")));
    screenshot(dialog, QStringLiteral("config-file-error"));

    child<QLineEdit>(dialog, "fileNameEdit")->setText(QStringLiteral("/tmp/board.txt"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(stream->kind(), int(TxStream::File));
    EXPECT_EQ(stream->fileName(), QStringLiteral("/tmp/board.txt"));
    EXPECT_EQ(stream->destinationHost(), QStringLiteral("127.0.0.1"))
        << "the UDP settings of the copy stay as they were";
}

TEST(StreamConfigDialog, ValidationPredicate)
{
    TxStreamSettings s;
    s.kind = TxStream::Udp;
    s.udpPort = 65535;
    EXPECT_TRUE(StreamConfigDialog::validate(s).isEmpty());
    s.udpPort = 65536;
    EXPECT_FALSE(StreamConfigDialog::validate(s).isEmpty());
    s.udpPort = 1;
    s.destinationHost = QStringLiteral("::1");
    EXPECT_TRUE(StreamConfigDialog::validate(s).isEmpty());
    s.destinationHost.clear();
    EXPECT_FALSE(StreamConfigDialog::validate(s).isEmpty());

    s.kind = TxStream::Serial;
    EXPECT_TRUE(StreamConfigDialog::validate(s).isEmpty());
    s.serialPort = 0;
    EXPECT_FALSE(StreamConfigDialog::validate(s).isEmpty());
    s.serialPort = 2;
    s.baudRate = 0;
    EXPECT_FALSE(StreamConfigDialog::validate(s).isEmpty());
    s.baudRate = 9600;
    s.dataBits = 9;
    EXPECT_FALSE(StreamConfigDialog::validate(s).isEmpty());
}

TEST(StreamConfigDialog, SerialPortsListThisMachinesDevicesInComOrder)
{
    TxStream stream;
    stream.setKind(TxStream::Serial);
    stream.setName(QStringLiteral("Timer"));
    stream.setSerialPortNumber(5);
    StreamConfigDialog dialog(stream);
    dialog.setSerialDevices({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyS0")});

    auto* ports = child<QComboBox>(dialog, "serialPortCombo");
    ASSERT_EQ(ports->count(), 3);
    EXPECT_EQ(ports->itemText(0), QStringLiteral("COM1 (/dev/ttyS0)"));
    EXPECT_EQ(ports->itemText(1), QStringLiteral("COM2 (/dev/ttyUSB0)"));
    EXPECT_EQ(ports->itemText(2), QStringLiteral("COM5 (no device)"));
    EXPECT_EQ(ports->currentData().toInt(), 5) << "the stream's own port stays selected";
    screenshot(dialog, QStringLiteral("config-serial"));

    ports->setCurrentIndex(1);
    child<QComboBox>(dialog, "baudRateCombo")->setEditText(QStringLiteral("19200"));
    auto* bits = child<QComboBox>(dialog, "dataBitsCombo");
    bits->setCurrentIndex(bits->findData(7));
    auto* parity = child<QComboBox>(dialog, "parityCombo");
    parity->setCurrentIndex(parity->findText(QStringLiteral("Even")));
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(stream.serialPortNumber(), 2);
    EXPECT_EQ(stream.baudRate(), 19200);
    EXPECT_EQ(stream.dataBits(), 7);
    EXPECT_EQ(stream.parity(), 2);

    dialog.setShowValidPorts(false);
    EXPECT_EQ(ports->count(), 32);
    EXPECT_EQ(ports->itemText(1), QStringLiteral("COM2 (/dev/ttyUSB0)"));
    EXPECT_EQ(ports->itemText(31), QStringLiteral("COM32"));
}

TEST(StreamConfigDialog, OtherKindsAreKeptAsTheyAre)
{
    TxStream stream;
    stream.setKind(TxStream::Tcp);
    stream.setTcpPort(4000);
    StreamConfigDialog dialog(stream);
    EXPECT_EQ(child<QComboBox>(dialog, "kindCombo")->currentText(), QStringLiteral("TCP"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(stream.kind(), int(TxStream::Tcp));
    EXPECT_EQ(stream.tcpPort(), 4000);
}

TEST(TrafficLogModel, KeepsTheNewestLinesUpToItsLimit)
{
    TrafficLogModel model(100);
    QList<TrafficLine> batch;
    for (int i = 0; i < 70; ++i)
        batch.append({0, TxStream::Sent, QString(), QString::number(i)});
    model.append(batch);
    model.append(batch);
    ASSERT_EQ(model.rowCount(), 100);
    EXPECT_EQ(model.line(0).data, QStringLiteral("40"));
    EXPECT_EQ(model.line(99).data, QStringLiteral("69"));

    // A batch larger than the limit keeps only its own newest lines.
    QList<TrafficLine> big;
    for (int i = 0; i < 250; ++i)
        big.append({0, TxStream::Received, QString(), QString::number(i)});
    model.append(big);
    ASSERT_EQ(model.rowCount(), 100);
    EXPECT_EQ(model.line(0).data, QStringLiteral("150"));
    EXPECT_EQ(model.data(model.index(0, TrafficLogModel::DirectionColumn)).toString(),
              QStringLiteral("Received"));

    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(TrafficLogModel, TimeIsShownToTheMillisecond)
{
    const QDateTime when(QDate(2024, 7, 4), QTime(13, 5, 9, 7));
    EXPECT_EQ(TrafficLogModel::formatTime(when.toMSecsSinceEpoch()), QStringLiteral("13:05:09.007"));
}

TEST(StreamTrafficViewer, ListsWhatWasSentAndReceived)
{
    const int port = freeUdpPort();
    // The stream sends to its own port, so everything also comes back in.
    auto stream = udpStream(port);
    stream->setReceiving(true);
    ASSERT_EQ(stream->open(), TxStream::StatusOk) << stream->lastError().toStdString();
    stream->protocol().setPieceDelay(std::chrono::microseconds(0));

    StreamTrafficViewer viewer(*stream);
    ASSERT_EQ(stream->protocol().sendTextBlock(QString(1000, QLatin1Char('R')), false, 137, true), 0);
    ASSERT_EQ(stream->protocol().showFrame(1, 20), 0);
    ASSERT_EQ(stream->sendText(QStringLiteral("\x1B=%  LINE\r\n")), 0);
    TrafficLogModel* model = viewer.model();
    ASSERT_TRUE(waitUntil([&] { return model->rowCount() == 10; })) << model->rowCount();

    int sent = 0;
    QStringList data;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->line(row).direction == TxStream::Sent) {
            ++sent;
            data.append(model->line(row).data);
        }
    }
    EXPECT_EQ(sent, 5);
    ASSERT_EQ(data.size(), 5);
    EXPECT_TRUE(data[0].startsWith(QStringLiteral("Text block at 137, 475 chars: \"RRR")))
        << data[0].toStdString();
    EXPECT_EQ(model->line(0).offset, QStringLiteral("137"));
    EXPECT_TRUE(data[2].startsWith(QStringLiteral("Text block at 1087, 50 chars")));
    EXPECT_EQ(data[3], QStringLiteral("Show frame: sign 1, frame 20"));
    EXPECT_EQ(data[4], QStringLiteral("11 bytes: \"\\x1B=%  LINE\\r\\n\""));
    EXPECT_EQ(model->data(model->index(0, TrafficLogModel::TimeColumn)).toString().size(), 12);
    screenshot(viewer, QStringLiteral("traffic-viewer"));

    child<QPushButton>(viewer, "clearButton")->click();
    EXPECT_EQ(model->rowCount(), 0);
}

TEST(StreamTrafficViewer, OutlivesItsStream)
{
    auto stream = udpStream(freeUdpPort());
    StreamTrafficViewer viewer(*stream);
    auto* status = child<QLabel>(viewer, "statusLabel");
    EXPECT_TRUE(status->text().contains(QStringLiteral("Closed"))) << status->text().toStdString();
    ASSERT_EQ(stream->open(), 0);
    ASSERT_TRUE(waitUntil([&] { return status->text().contains(QStringLiteral("Open")); }));
    stream.reset();
    ASSERT_TRUE(waitUntil([&] { return status->text().contains(QStringLiteral("no longer")); }));
}

TEST(StreamTrafficViewer, ShowsWhatWaitsToBeSentAndWhatWasDropped)
{
    // A destination whose lookup never answers holds everything sent to it.
    auto stream = udpStream(freeUdpPort());
    stream->setDestinationHost(QStringLiteral("board.arena"));
    stream->setHostLookup([](const QString&, QObject*, TxStream::LookupAnswer) {});
    ASSERT_EQ(stream->open(), 0);
    StreamTrafficViewer viewer(*stream);
    auto* status = child<QLabel>(viewer, "statusLabel");

    // Four whole images without breakup (9711 bytes each): the first no longer fits.
    const QString image(RtdProtocol::ImageLength, QLatin1Char('I'));
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(stream->protocol().sendTextBlock(image, false, 0, false), 0);
    EXPECT_EQ(stream->queuedBytes(), 3 * 9711);
    EXPECT_EQ(stream->droppedPieces(), 1);
    EXPECT_TRUE(waitUntil([&] {
        return status->text().endsWith(QStringLiteral("(29133 bytes queued, 1 dropped)"));
    })) << status->text().toStdString();
    EXPECT_TRUE(status->text().contains(QStringLiteral("Resolving board.arena")));

    // A change that comes without a signal: the window reads the status again by itself.
    ASSERT_EQ(stream->protocol().showFrame(1, 2), 0);
    EXPECT_TRUE(waitUntil([&] {
        return status->text().endsWith(QStringLiteral("(29155 bytes queued, 1 dropped)"));
    })) << status->text().toStdString();
}
