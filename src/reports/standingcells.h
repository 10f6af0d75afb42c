#pragma once

#include <QString>
#include <QtGlobal>

class XmlNode;

// The result cells of the standings pages, as text, written into an event's
// results in the report document before its pages are made: every row of
// every go-round, the final and the total gets an attribute "shown" with
// what its cell shows, so that the pages copy it instead of working it out
// cell by cell.
//
//   One go-round's or the final's row: the score JTot of a scored event;
//   RideTime + PenTime of a timed one; empty when 0 or less.
//   A total row: the total (score, or time with "0" for none), "/" and ride.
//
// Scores: the event's ReJudges "4" (or a second character "4") halves them,
// rounding half up; shown in points with the decimals they need (8550 shows
// 85.5), whole points (cut) when ReFraction is "F". Times: [minutes:]seconds,
// ".", then the decimals of RePrecision (3 thousandths, 2 hundredths, any
// other tenths), cut and with their leading zeros.
class StandingCells
{
public:
    struct Rules
    {
        bool scored = true;
        quint32 divisor = 1;
        bool wholePoints = false;
        int precision = 1;
    };

    // The rules of the event from its Events and RodeoEvents rows of the
    // document (EvType, ReJudges, ReFraction, RePrecision).
    static Rules rulesOf(const XmlNode& eventRow, const XmlNode& rodeoEventRow);

    static QString score(const QString& hundredths, const Rules& rules);
    static QString time(quint64 value, int precision);

    // Sets "shown" on the rows of every data element of the Event element.
    static void write(const XmlNode& event, const Rules& rules);

private:
    static QString resultText(const XmlNode& row, const Rules& rules);
    static QString totalText(const XmlNode& row, const Rules& rules);
};
