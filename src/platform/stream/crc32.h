#pragma once

#include <QByteArray>
#include <QtGlobal>

// CRC-32 as used by Ethernet, zip and zlib (reflected polynomial 0xEDB88320,
// initial value and final XOR 0xFFFFFFFF). The check value of "123456789" is
// 0xCBF43926; receivers of RTD messages can use any standard implementation.
quint32 crc32(const char* data, qsizetype size);

inline quint32 crc32(const QByteArray& data)
{
    return crc32(data.constData(), data.size());
}
