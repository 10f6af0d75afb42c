#pragma once

#include "resultrecord.h"

#include <QString>

// A result cell's pieces: the place (0 when the cell shows none), the score
// and the time, each as the cell shows it (the score of a fraction event
// keeps the spaces that hold its column). A record the cell leaves empty
// has shown == false. The run lists join the pieces into one text; the live
// results pages show them in columns of their own.
struct ResultCellParts
{
    bool shown = false;
    int place = 0;
    QString score;
    QString time;
};

ResultCellParts ResultCellPieces(const ResultRecord& r, bool scored, bool fraction, const QString& precision);

// The text of a result cell in the run lists (a go-round result or the
// overall one): position, score and time of a scored event, position and
// time of a timed one. A record without a position or a status shows nothing.
QString ResultCellText(const ResultRecord& r, bool scored, bool fraction, const QString& precision);
