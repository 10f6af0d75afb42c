#pragma once

#include "resultrecord.h"

#include <QString>

// The text of a result cell in the run lists (a go-round result or the
// overall one): position, score and time of a scored event, position and
// time of a timed one. A record without a position or a status shows nothing.
QString ResultCellText(const ResultRecord& r, bool scored, bool fraction, const QString& precision);
