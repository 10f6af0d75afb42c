#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

class QIODevice;

// Reading of entry files (".dta"): one contestant per line, fields separated
// by commas. These are the pure parts of the import, with no database: bytes
// to lines, a line to its fields, and the texts of a name and a home town.
namespace EntryFile {

// Fields of the full layout. The short layout has no fields 14 to 16: its
// 14th, 15th and 16th fields are the bib, the partner and the role.
constexpr int FullLayoutFields = 19;
constexpr int ShortLayoutFields = 16;
// A line longer than this cannot be a record; it is skipped unread.
constexpr qsizetype MaxLineBytes = 4 * 1024 * 1024;

enum class Problem {
    None,
    UnclosedQuote,
    TooManyFields,
    TrailingComma, // more than one empty field at the end
    TooFewFields,
    LineTooLong,
    UnquotedComma // in the name or the home town: the later fields moved one on
};
QString problemText(Problem problem);

struct Line
{
    // Always FullLayoutFields texts once the line is well-formed (a short
    // line has fields 14 to 16 empty), double quotes removed.
    QStringList fields;
    int fieldCount = 0; // as found in the line
    bool shortLayout = false;
    // One empty field past the layout's last, tolerated (fieldCount counts it).
    bool trailingEmptyField = false;
    Problem problem = Problem::None;
};

// Splits a line: a field that starts with a double quote runs to the next
// double quote, so it may hold commas; double quotes are removed from every
// field. The layout follows from the number of fields so found; one empty
// field past a layout's last is left out, unless the fixed columns show that
// a comma outside quotes in the name or the home town made the field too many.
Line parseLine(QStringView text);

// The text of one line's bytes: UTF-8 when they are valid UTF-8, otherwise
// Windows-1252 (what most programs on Windows export).
QString decodeLine(const QByteArray& bytes);

// The lines of a device, ended by CR LF, LF or CR; a UTF-8 byte-order mark at
// the start is left out. Reads in blocks, so a file of any size is read in
// bounded memory (a line longer than MaxLineBytes is dropped and reported).
class LineReader
{
public:
    explicit LineReader(QIODevice& device);

    // The next line (its number from 1 in lineNumber()); false at the end or
    // on a read error (failed() then says so).
    bool next(QString& line);
    int lineNumber() const { return m_lineNumber; }
    // The line was longer than MaxLineBytes: line is empty.
    bool lineTooLong() const { return m_tooLong; }
    bool failed() const { return m_failed; }
    qint64 bytesRead() const { return m_consumed; }

private:
    bool fill();

    QIODevice& m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_consumed = 0;
    int m_lineNumber = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_tooLong = false;
    bool m_started = false;
};

// A name field. With a comma: the last name before it, the first name after
// it (one space right after the comma is skipped). Without, split at blanks: one word is the
// last name, two are first and last name; three or more need a decision, and
// the proposal is the first two words as the first name and the rest as the
// last name. Every part is trimmed.
struct NameSplit
{
    QString first;
    QString last;
    QStringList words; // the words of a name without a comma
    bool needsDecision = false;
};
NameSplit splitName(const QString& field);

// The words split after the first count of them: the same split applied to
// another name of as many words.
NameSplit splitAfter(const QStringList& words, int count);

// A home town "City,ST" becomes "City, ST" (parts trimmed); otherwise trimmed.
QString normaliseHomeTown(const QString& field);

// The number a bib or partner field starts with (0 when none).
int leadingNumber(const QString& field);

// Role in a team from field 19: 1 header ("P"), 2 trailer ("S"), any case; 0 otherwise.
int teamRole(const QString& field);

} // namespace EntryFile
