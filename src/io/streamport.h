#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <memory>

class PortUser;
class TxStream;

// One configured communication port: a serial port ("COM"), a UDP port
// ("UDP/IP") or a file ("FILE"). It owns its stream, whose settings (kind,
// name, port numbers, file name) are the port's own, and the list of the users
// attached to it in the order they were attached.
//
// Data received while the port's sink is connected is handed to the first user
// on the stream's own thread.
class StreamPort
{
public:
    enum Kind { NoKind = 0, Serial = 1, Udp = 2, File = 3 };

    StreamPort();
    ~StreamPort();
    StreamPort(const StreamPort&) = delete;
    StreamPort& operator=(const StreamPort&) = delete;

    // "COM", "UDP/IP", "FILE"; empty for other kinds.
    static QString typeText(int kind);
    // The kind of a type text (exact spelling); 0 for anything else.
    static int kindFromType(const QString& type);

    // A closed port with the same kind, name and settings and no users.
    std::unique_ptr<StreamPort> clone() const;

    QString name() const;
    void setName(const QString& name);
    int kind() const;
    bool setKind(int kind);
    // One line for the dialogs.
    QString settingsText() const;

    TxStream& stream() { return *m_stream; }
    const TxStream& stream() const { return *m_stream; }

    // Equal when settings text, name, kind and user lists are equal.
    bool operator==(const StreamPort& other) const;

    // --- users --------------------------------------------------------------
    // Each user at most once; false when it was attached already.
    bool attachUser(PortUser* user);
    void clearUsers();
    QList<PortUser*> users() const;
    PortUser* firstUser() const;

    // --- life cycle ---------------------------------------------------------
    // Failures are logged and kept for statusText(); so is what the stream
    // reports while open (TxStream::problem).
    int open();
    int close();
    bool isOpen() const;
    // The stream's status ("Open", "Closed", "Failed: <reason>" when opening
    // failed or the device failed, ...; see TxStream::statusText()), followed by
    // "Failed to receive: <reason>" when listening could not start.
    QString statusText() const;
    QString lastError() const;

    // Received data reaches the first user from now on; a port whose first user
    // wants data starts listening (a UDP port binds its number).
    int connectSink();
    void disconnectSink();
    bool isSinkConnected() const;
    bool isReceiving() const;

    // Hands received data to the first user; exceptions are caught and logged.
    void deliver(const QString& text, int offset);

    // --- failure and another try ------------------------------------------------
    // The port could not be opened, or could not start receiving while its
    // sink is connected.
    bool hasFailed() const;
    // A failed port tries again: it opens, or starts receiving. Nothing is
    // logged (its failure was, the first time). True when it works now.
    bool tryAgain();

private:
    void setFailure(const QString& text);
    void setReceiveFailure(const QString& text);
    int openStream(bool logFailure);
    int startReceiving(bool logFailure);

    std::unique_ptr<TxStream> m_stream;

    mutable QMutex m_usersMutex; // held while data is handed to a user
    QList<PortUser*> m_users;

    mutable QMutex m_stateMutex;
    QString m_failure;
    QString m_receiveFailure;
    bool m_sinkConnected = false;
};
