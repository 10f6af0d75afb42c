#pragma once

#include "platform/stream/txstream.h"
#include "platform/stream/txstreamsettings.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;

// The configuration sheet of one stream: its kind (COM, UDP/IP or FILE), name
// and the kind's settings. It edits a copy of the stream's settings and gives
// them to the stream only when the operator accepts valid settings.
class StreamConfigDialog : public QDialog
{
    Q_OBJECT
public:
    explicit StreamConfigDialog(TxStream& stream, QWidget* parent = nullptr);

    // Shows the sheet modally; true when it was accepted (and the stream took
    // over the settings).
    static bool edit(TxStream& stream, QWidget* parent);

    // With valid ports only (the default) the COM list holds this machine's
    // serial devices (and the stream's own port); otherwise COM1 to COM32.
    void setShowValidPorts(bool validOnly);
    bool showValidPorts() const { return m_validPortsOnly; }
    // The serial devices offered, in COM order; this machine's by default.
    void setSerialDevices(const QStringList& devices);

    // The settings as the fields show them now.
    TxStreamSettings editedSettings() const;
    // Why settings cannot be taken, or an empty text when they can.
    static QString validate(const TxStreamSettings& settings);

    void accept() override;

private:
    void buildSerialPage(QWidget* page);
    void buildUdpPage(QWidget* page);
    void buildFilePage(QWidget* page);
    void load(const TxStreamSettings& settings);
    void fillSerialPorts(int selectedNumber);
    void kindChanged();
    void browse();
    void showError(const QString& text);

    TxStream& m_stream;
    TxStreamSettings m_original;
    bool m_validPortsOnly = true;
    QStringList m_devices;

    QLineEdit* m_name = nullptr;
    QComboBox* m_kind = nullptr;
    QStackedWidget* m_pages = nullptr;
    QComboBox* m_serialPort = nullptr;
    QLineEdit* m_serialDevice = nullptr;
    QComboBox* m_baudRate = nullptr;
    QComboBox* m_dataBits = nullptr;
    QComboBox* m_parity = nullptr;
    QSpinBox* m_udpPort = nullptr;
    QLineEdit* m_destinationHost = nullptr;
    QLineEdit* m_fileName = nullptr;
    QPushButton* m_browse = nullptr;
    QLabel* m_otherKind = nullptr;
    QLabel* m_error = nullptr;
};
