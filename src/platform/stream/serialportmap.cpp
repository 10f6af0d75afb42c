#include "serialportmap.h"

#include <QSerialPortInfo>
#include <algorithm>

bool SerialPortMap::naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a.at(ei).isDigit())
                ++ei;
            while (ej < b.size() && b.at(ej).isDigit())
                ++ej;
            // Compare the numbers without converting them (they may be long):
            // strip leading zeros, then the longer is larger, then by digits.
            QStringView na = QStringView(a).mid(i, ei - i);
            QStringView nb = QStringView(b).mid(j, ej - j);
            while (na.size() > 1 && na.front() == QLatin1Char('0'))
                na = na.mid(1);
            while (nb.size() > 1 && nb.front() == QLatin1Char('0'))
                nb = nb.mid(1);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            const int cmp = na.compare(nb);
            if (cmp != 0)
                return cmp < 0;
            // Equal numbers: fewer leading zeros first, so the order stays total.
            if (ei - i != ej - j)
                return ei - i < ej - j;
            i = ei;
            j = ej;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    return (a.size() - i) < (b.size() - j);
}

QStringList SerialPortMap::sorted(QStringList devices)
{
    devices.removeAll(QString());
    std::sort(devices.begin(), devices.end(), naturalLess);
    devices.erase(std::unique(devices.begin(), devices.end()), devices.end());
    return devices;
}

QStringList SerialPortMap::systemDevices()
{
    QStringList devices;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports)
        devices.append(info.systemLocation());
    return sorted(devices);
}

QString SerialPortMap::deviceFor(int number, const QStringList& devices)
{
    if (number < 1 || number > devices.size())
        return QString();
    return devices.at(number - 1);
}

int SerialPortMap::numberOf(const QString& device, const QStringList& devices)
{
    const qsizetype index = devices.indexOf(device);
    return index < 0 ? 0 : static_cast<int>(index + 1);
}
