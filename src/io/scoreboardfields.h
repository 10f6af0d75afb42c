#pragma once

#include <QString>
#include <QtGlobal>

// The fixed-width fields of the scoreboard image and the announcer page. Every
// field comes out at exactly its width, so that the text after it lands where
// the signs expect it.
namespace ScoreboardFields {

// Left-aligned, padded with spaces and cut to width ("%-w.ws").
QString left(const QString& text, int width);
// Right-aligned, padded with spaces and cut to width ("%w.ws").
QString right(const QString& text, int width);
// A number right-aligned in width ("%wd"); spaces when blankZero and n is 0.
QString number(qint64 n, int width, bool blankZero = false);

// A score in hundredths: width 6 shows hundreds, tens and units (width 7 also
// thousands), then for a fraction event "." and decimals digits (1: a space
// follows), for a full event three spaces. Leading zero digits are spaces; 0
// is all spaces.
QString score(quint32 value, int width, bool fraction, int decimals);
// A packed time: width 7 starts with the minutes digit; then tens and units of
// seconds, "." and the precision's decimals, spaces up to three decimal
// places. Leading zero digits are spaces; 0 is all spaces.
QString time(quint32 value, int width, int precisionDigits);

// "st", "nd", "rd" or "th"; 11, 12 and 13 (and 111, 112, ...) take "th".
QString ordinalSuffix(int n);
// An earnings text with "," every three characters from the right, right-
// aligned in 9 characters.
QString earnings(const QString& stored);
// A contestant's name in a profile's display format ("Last, First", "First
// Last", "Last, Initial.", "Initial. Last"; anything else the last name).
QString name(const QString& format, const QString& first, const QString& last);

// Appends fields to one text without a temporary text per field: the lines
// of the leader lists are made of dozens of them at every refresh.
class Writer
{
public:
    Writer(QString& out, const QString& prefix) : m_out(out), m_prefix(prefix) {}
    Writer& p()
    {
        m_out += m_prefix;
        return *this;
    }
    Writer& blank(int width)
    {
        m_out.resize(m_out.size() + width, QLatin1Char(' '));
        return *this;
    }
    Writer& left(QStringView text, int width)
    {
        const qsizetype n = qMin<qsizetype>(text.size(), width);
        m_out.append(text.left(n));
        return blank(int(width - n));
    }
    Writer& text(QStringView text)
    {
        m_out.append(text);
        return *this;
    }
    // Pads or cuts everything written since start to width.
    void fit(qsizetype start, int width)
    {
        const qsizetype end = start + width;
        if (m_out.size() > end)
            m_out.truncate(end);
        else
            blank(int(end - m_out.size()));
    }

private:
    QString& m_out;
    const QString& m_prefix;
};

} // namespace ScoreboardFields
