#pragma once

#include <QString>
#include <QtGlobal>

class XmlDocument;
class XmlNode;

// The result cells of the standings pages, as text, written into an event's
// results in the report document before its pages are made: every row of
// every go-round, the final and the total gets one "cell" child element per
// result column of its line (each go-round in ascending go number, then
// FINALS, then TOTAL), holding the competitor's result there, so that the
// pages copy a line's cells instead of looking each one up and working it out.
//
//   A go-round's or the final's result: the score JTot of a scored event;
//   RideTime + PenTime of a timed one; empty when 0 or less, or when the
//   competitor has no row there.
//   The total: the total (score, or time with "0" for none), "/" and ride.
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

    // Gives every row of the Event element's data elements its cells,
    // replacing those it had.
    static void write(XmlDocument& doc, const XmlNode& event, const Rules& rules);

private:
    static QString resultText(const XmlNode& row, const Rules& rules);
    static QString totalText(const XmlNode& row, const Rules& rules);
};
