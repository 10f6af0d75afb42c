#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal pair standing in for a serial cable: the simulator writes
// to one end, and the program opens the other end's device path as its serial
// port. The line is raw (8 data bits, no echo, no translation), so frames pass
// unchanged. Linux and other POSIX systems only.
class PtyPair
{
public:
    PtyPair() = default;
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // False with error() set when no pair can be made.
    bool open();
    void close();
    bool isOpen() const { return m_master >= 0; }
    // The device the program opens ("/dev/pts/3").
    QString deviceName() const { return m_name; }
    QString error() const { return m_error; }
    // Writes without waiting; when nobody reads and the line's buffer is
    // full, the bytes are dropped (as a cable drops them) and false returned.
    bool write(const QByteArray& bytes);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_name;
    QString m_error;
};
