#pragma once

#include <QChar>
#include <QString>

// A display-controller command: start a stored sequence (mode 0 with a
// sequence) or show a stored frame (mode 2).
struct RtdCommand
{
    enum Mode { Continuous = 0, SingleStep = 1, SelectedFrame = 2, Times = 3 };

    qint32 sign = 0;
    qint32 mode = 0;
    qint32 times = 0;
    qint32 frame = 0;
    QChar drive;
    QString library;
    QString sequence;

    bool operator==(const RtdCommand&) const = default;

    // Something goes out on the wire: a sequence to play or a frame to show
    // (other modes, or mode 0 without a sequence, send nothing).
    bool sendsSomething() const
    {
        return (mode == Continuous && !sequence.isEmpty()) || mode == SelectedFrame;
    }
};
