#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <memory>

class TxStream;
struct TxCallState;

// A send handed to a stream's I/O thread whose status is still to come, so
// that one thread can have several streams send at once and then wait for
// all of them (a refresh of several scoreboards). wait() gives the status as
// a waiting send would: 0 once the I/O thread took every message, negative on
// failure, the stream's lastError() then saying why.
//
// While a send is pending the stream cannot be opened or closed; wait() ends
// within the stream's call time-out. Destroying a pending send waits for it.
class TxPendingSend
{
public:
    TxPendingSend() = default;
    TxPendingSend(TxPendingSend&& other) noexcept;
    TxPendingSend& operator=(TxPendingSend&& other) noexcept;
    TxPendingSend(const TxPendingSend&) = delete;
    TxPendingSend& operator=(const TxPendingSend&) = delete;
    ~TxPendingSend();

    int wait();

private:
    friend class TxStream;
    friend class RtdProtocol;
    void release();

    TxStream* m_stream = nullptr; // set while the status is still to come
    std::shared_ptr<TxCallState> m_call;
    QDeadlineTimer m_deadline;
    QString m_what;  // the send, for a time-out's text
    QString m_error; // why it failed, once known
    int m_status = 0;
};
