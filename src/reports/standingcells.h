#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QtGlobal>

class XmlDocument;
class XmlNode;

// The cells of the standings pages, as text, written into an event's results
// in the report document before its pages are made: every row of every
// go-round, the final and the total gets one "cell" child element per column
// of its line after the position (the competitor, each go-round in ascending
// go number, FINALS, TOTAL), so that a page copies a line's cells instead of
// looking each one up and working it out.
//
//   The competitor: a contestant's PlrLastName, ", " and PlrFirstName; a
//   team's header PlrBib, " ", PlrLastName, ", ", then the trailer's the same
//   way (PlrId1 and PlrId2 of its Teams row), from the document's tables.
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
        bool team = false;
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
    // The competitor's name by ptId for the ids given.
    static QHash<QString, QString> names(const XmlDocument& doc, const QSet<QString>& ids, bool team);
    static QString resultText(const XmlNode& row, const Rules& rules);
    static QString totalText(const XmlNode& row, const Rules& rules);
};
