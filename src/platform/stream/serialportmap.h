#pragma once

#include <QString>
#include <QStringList>

// How the serial port numbers of the configuration ("COM1", "COM2", ...) name
// this machine's serial devices.
//
// COMn is the n-th serial device of this machine when the devices' paths
// ("/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB1", ...) are sorted in natural
// order: by text, with runs of digits compared as numbers, so "/dev/ttyUSB2"
// comes before "/dev/ttyUSB10". The numbering is stable while the same devices
// are present; a configuration that must not depend on which adapters are
// plugged in stores an explicit device path instead (TxStream::setSerialDevice).
class SerialPortMap
{
public:
    // This machine's serial devices (QSerialPortInfo), in COM order.
    static QStringList systemDevices();
    // Sorts device paths into COM order and drops duplicates.
    static QStringList sorted(QStringList devices);
    // The device of COMn among devices (in COM order), or an empty text when
    // n is not between 1 and the number of devices.
    static QString deviceFor(int number, const QStringList& devices);
    // The n of the device's COMn, or 0 when it is not among devices.
    static int numberOf(const QString& device, const QStringList& devices);
    // Natural order of two paths.
    static bool naturalLess(const QString& a, const QString& b);
};
