#include "streamconfigdialog.h"

#include "platform/stream/serialportmap.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// Pages of the stack, by kind.
enum Page { SerialPage, UdpPage, FilePage, OtherPage };

constexpr int ComPortsWithoutCheck = 32;
const int BaudRates[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

Page pageFor(int kind)
{
    switch (kind) {
    case TxStream::Serial:
        return SerialPage;
    case TxStream::Udp:
        return UdpPage;
    case TxStream::File:
        return FilePage;
    default:
        return OtherPage;
    }
}

QString kindLabel(int kind)
{
    switch (kind) {
    case TxStream::Serial:
        return QStringLiteral("COM");
    case TxStream::Udp:
        return QStringLiteral("UDP/IP");
    case TxStream::File:
        return QStringLiteral("FILE");
    case TxStream::Http:
        return QStringLiteral("HTTP");
    case TxStream::Tcp:
        return QStringLiteral("TCP");
    case TxStream::Ipx:
        return QStringLiteral("IPX");
    default:
        return QStringLiteral("(none)");
    }
}

} // namespace

StreamConfigDialog::StreamConfigDialog(TxStream& stream, QWidget* parent)
    : QDialog(parent), m_stream(stream), m_original(stream.settings()),
      m_devices(SerialPortMap::systemDevices())
{
    setWindowTitle(m_original.name.isEmpty() ? tr("Port Configuration")
                                             : tr("Port Configuration - %1").arg(m_original.name));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("kindCombo"));
    for (int kind : {int(TxStream::Serial), int(TxStream::Udp), int(TxStream::File)})
        m_kind->addItem(kindLabel(kind), kind);
    if (pageFor(m_original.kind) == OtherPage)
        m_kind->addItem(kindLabel(m_original.kind), m_original.kind);

    auto* top = new QFormLayout;
    top->addRow(tr("&Name:"), m_name);
    top->addRow(tr("&Kind:"), m_kind);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("settingsPages"));
    for (int i = 0; i < 4; ++i)
        m_pages->addWidget(new QWidget(m_pages));
    buildSerialPage(m_pages->widget(SerialPage));
    buildUdpPage(m_pages->widget(UdpPage));
    buildFilePage(m_pages->widget(FilePage));
    m_otherKind =
        new QLabel(tr("Streams of this kind have no settings on this sheet."), m_pages->widget(OtherPage));
    m_otherKind->setWordWrap(true);
    auto* otherLayout = new QVBoxLayout(m_pages->widget(OtherPage));
    otherLayout->addWidget(m_otherKind);
    otherLayout->addStretch();

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("errorLabel"));
    m_error->setWordWrap(true);
    m_error->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_error->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &StreamConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StreamConfigDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pages);
    layout->addWidget(m_error);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(m_kind, &QComboBox::currentIndexChanged, this, &StreamConfigDialog::kindChanged);
    load(m_original);
    setMinimumWidth(460);
}

bool StreamConfigDialog::edit(TxStream& stream, QWidget* parent)
{
    StreamConfigDialog dialog(stream, parent);
    return dialog.exec() == QDialog::Accepted;
}

void StreamConfigDialog::buildSerialPage(QWidget* page)
{
    m_serialPort = new QComboBox(page);
    m_serialPort->setObjectName(QStringLiteral("serialPortCombo"));
    m_serialPort->setToolTip(
        tr("COM1 is this machine's first serial device in sorted order, COM2 the second, "
           "and so on."));
    m_serialDevice = new QLineEdit(page);
    m_serialDevice->setObjectName(QStringLiteral("serialDeviceEdit"));
    m_serialDevice->setPlaceholderText(tr("by port number"));
    m_serialDevice->setToolTip(tr("A device path such as /dev/serial/by-id/... keeps the port the same "
                                  "whichever adapters are plugged in."));
    m_baudRate = new QComboBox(page);
    m_baudRate->setObjectName(QStringLiteral("baudRateCombo"));
    m_baudRate->setEditable(true);
    m_baudRate->setValidator(new QIntValidator(1, 99999999, m_baudRate));
    for (int rate : BaudRates)
        m_baudRate->addItem(QString::number(rate));
    m_dataBits = new QComboBox(page);
    m_dataBits->setObjectName(QStringLiteral("dataBitsCombo"));
    for (int bits = 5; bits <= 8; ++bits)
        m_dataBits->addItem(QString::number(bits), bits);
    m_parity = new QComboBox(page);
    m_parity->setObjectName(QStringLiteral("parityCombo"));
    for (int parity = 0; parity <= 4; ++parity)
        m_parity->addItem(TxStream::parityName(parity), parity);

    auto* form = new QFormLayout(page);
    form->addRow(tr("&Port:"), m_serialPort);
    form->addRow(tr("&Device (optional):"), m_serialDevice);
    form->addRow(tr("&Baud rate:"), m_baudRate);
    form->addRow(tr("Data &bits:"), m_dataBits);
    form->addRow(tr("P&arity:"), m_parity);
}

void StreamConfigDialog::buildUdpPage(QWidget* page)
{
    m_udpPort = new QSpinBox(page);
    m_udpPort->setObjectName(QStringLiteral("udpPortSpin"));
    m_udpPort->setRange(0, 65535);
    m_destinationHost = new QLineEdit(page);
    m_destinationHost->setObjectName(QStringLiteral("destinationHostEdit"));
    m_destinationHost->setPlaceholderText(QStringLiteral("127.0.0.1"));
    auto* note = new QLabel(
        tr("Data is received on this port and sent to the same port of the destination host."), page);
    note->setWordWrap(true);

    auto* form = new QFormLayout(page);
    form->addRow(tr("UDP &port:"), m_udpPort);
    form->addRow(tr("&Destination host:"), m_destinationHost);
    form->addRow(note);
}

void StreamConfigDialog::buildFilePage(QWidget* page)
{
    m_fileName = new QLineEdit(page);
    m_fileName->setObjectName(QStringLiteral("fileNameEdit"));
    m_browse = new QPushButton(tr("&Browse..."), page);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    connect(m_browse, &QPushButton::clicked, this, &StreamConfigDialog::browse);

    auto* row = new QHBoxLayout;
    row->addWidget(m_fileName, 1);
    row->addWidget(m_browse);
    auto* label = new QLabel(tr("&File name:"), page);
    label->setBuddy(m_fileName);
    auto* form = new QFormLayout(page);
    form->addRow(label, row);
}

void StreamConfigDialog::setShowValidPorts(bool validOnly)
{
    m_validPortsOnly = validOnly;
    fillSerialPorts(m_serialPort->currentData().toInt());
}

void StreamConfigDialog::setSerialDevices(const QStringList& devices)
{
    m_devices = SerialPortMap::sorted(devices);
    fillSerialPorts(m_serialPort->currentData().toInt());
}

void StreamConfigDialog::fillSerialPorts(int selectedNumber)
{
    m_serialPort->clear();
    const int count = m_validPortsOnly ? static_cast<int>(m_devices.size())
                                       : qMax<int>(ComPortsWithoutCheck, static_cast<int>(m_devices.size()));
    for (int n = 1; n <= count; ++n) {
        const QString device = SerialPortMap::deviceFor(n, m_devices);
        m_serialPort->addItem(device.isEmpty() ? QStringLiteral("COM%1").arg(n)
                                               : QStringLiteral("COM%1 (%2)").arg(n).arg(device),
                              n);
    }
    // The stream's own port stays choosable even when its device is missing now.
    if (selectedNumber > 0 && m_serialPort->findData(selectedNumber) < 0) {
        int at = 0;
        while (at < m_serialPort->count() && m_serialPort->itemData(at).toInt() < selectedNumber)
            ++at;
        m_serialPort->insertItem(at, tr("COM%1 (no device)").arg(selectedNumber), selectedNumber);
    }
    m_serialPort->setCurrentIndex(qMax(0, m_serialPort->findData(selectedNumber)));
}

void StreamConfigDialog::load(const TxStreamSettings& s)
{
    m_name->setText(s.name);
    const int kindIndex = m_kind->findData(s.kind);
    m_kind->setCurrentIndex(kindIndex < 0 ? 1 : kindIndex); // a stream without kind starts as UDP
    fillSerialPorts(s.serialPort);
    m_serialDevice->setText(s.serialDevice);
    m_baudRate->setEditText(QString::number(s.baudRate));
    m_dataBits->setCurrentIndex(qMax(0, m_dataBits->findData(s.dataBits)));
    m_parity->setCurrentIndex(qMax(0, m_parity->findData(s.parity)));
    m_udpPort->setValue(s.udpPort);
    m_destinationHost->setText(s.destinationHost);
    m_fileName->setText(s.fileName);
    kindChanged();
}

void StreamConfigDialog::kindChanged()
{
    m_pages->setCurrentIndex(pageFor(m_kind->currentData().toInt()));
    showError(QString());
}

void StreamConfigDialog::browse()
{
    const QString chosen = QFileDialog::getSaveFileName(
        this, tr("Stream File"), m_fileName->text(), QString(), nullptr, QFileDialog::DontConfirmOverwrite);
    if (!chosen.isEmpty())
        m_fileName->setText(chosen);
}

TxStreamSettings StreamConfigDialog::editedSettings() const
{
    TxStreamSettings s = m_original;
    s.name = m_name->text().trimmed();
    s.kind = m_kind->currentData().toInt();
    switch (s.kind) {
    case TxStream::Serial:
        s.serialPort = m_serialPort->currentData().toInt();
        s.serialDevice = m_serialDevice->text().trimmed();
        s.baudRate = m_baudRate->currentText().trimmed().toInt();
        s.dataBits = m_dataBits->currentData().toInt();
        s.parity = m_parity->currentData().toInt();
        break;
    case TxStream::Udp: {
        s.udpPort = m_udpPort->value();
        const QString host = m_destinationHost->text().trimmed();
        s.destinationHost = host.isEmpty() ? QStringLiteral("127.0.0.1") : host;
        break;
    }
    case TxStream::File:
        s.fileName = m_fileName->text().trimmed();
        break;
    default:
        break;
    }
    return s;
}

QString StreamConfigDialog::validate(const TxStreamSettings& s)
{
    switch (s.kind) {
    case TxStream::Serial:
        if (s.serialPort < 1)
            return tr("Choose a serial port.");
        if (s.baudRate <= 0)
            return tr("The baud rate must be a positive number.");
        if (s.dataBits < 5 || s.dataBits > 8)
            return tr("The data bits must be 5, 6, 7 or 8.");
        if (TxStream::parityName(s.parity).isEmpty())
            return tr("Choose a parity.");
        break;
    case TxStream::Udp:
        if (s.udpPort < 1 || s.udpPort > 65535)
            return tr("The UDP port must be between 1 and 65535.");
        if (!TxStream::isValidHost(s.destinationHost))
            return tr("The destination host \"%1\" is not a valid address or host name.")
                .arg(s.destinationHost);
        break;
    case TxStream::File:
        if (s.fileName.trimmed().isEmpty())
            return tr("Enter the name of the file to write to.");
        break;
    default:
        break;
    }
    return QString();
}

void StreamConfigDialog::showError(const QString& text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

void StreamConfigDialog::accept()
{
    const TxStreamSettings settings = editedSettings();
    const QString problem = validate(settings);
    if (!problem.isEmpty()) {
        showError(problem);
        return;
    }
    m_stream.setSettings(settings);
    QDialog::accept();
}
