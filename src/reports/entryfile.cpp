#include "entryfile.h"

#include <QIODevice>
#include <QStringDecoder>

namespace EntryFile {

namespace {

constexpr qsizetype kBlock = 64 * 1024;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

QString withoutQuotes(QStringView text)
{
    QString out = text.toString();
    out.remove(QLatin1Char('"'));
    return out;
}

// Every field from the first'th on is empty.
bool emptyFrom(const QStringList& fields, int first)
{
    for (qsizetype i = first; i < fields.size(); ++i)
        if (!fields.at(i).trimmed().isEmpty())
            return false;
    return true;
}

bool onlyCommas(QStringView rest)
{
    for (const QChar c : rest)
        if (c != QLatin1Char(',') && !c.isSpace())
            return false;
    return true;
}

// An amount of earnings: empty, or digits with a point, a sign, a dollar
// sign or thousands commas (inside quotes).
bool isAmount(const QString& field)
{
    bool digit = false;
    for (const QChar c : field) {
        if (c.unicode() >= '0' && c.unicode() <= '9')
            digit = true;
        else if (!QStringView(u".,$- ").contains(c))
            return false;
    }
    return digit || field.trimmed().isEmpty();
}

// A yes/no column: empty, or a short word starting with Y or N.
bool isYesNo(const QString& field)
{
    const QString t = field.trimmed();
    return t.isEmpty() || (t.size() <= 3 && (t.startsWith(QLatin1Char('Y'), Qt::CaseInsensitive) ||
                                             t.startsWith(QLatin1Char('N'), Qt::CaseInsensitive)));
}

// Whether the fields of a layout (full or short, by their number) hold
// amounts in the earnings columns and yes or no in the event columns.
bool columnsFit(const QStringList& fields)
{
    const int events = fields.size() == FullLayoutFields ? 11 : 8;
    if (fields.size() < 5 + events || !isAmount(fields.at(2)) || !isAmount(fields.at(3)))
        return false;
    for (int i = 5; i < 5 + events; ++i)
        if (!isYesNo(fields.at(i)))
            return false;
    return true;
}

QString decodeWindows1252(const QByteArray& bytes)
{
    // 0x80 to 0x9F are typographic marks in Windows-1252 (where Latin-1 has
    // control characters); the five bytes it leaves undefined keep their
    // control characters, as Windows itself reads them. Every other byte is
    // the Latin-1 character of that number. Done here rather than by the
    // converters, which offer this code page only in builds with ICU.
    static constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        *out++ = QChar(byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : char16_t(byte));
    }
    return text;
}

} // namespace

QString problemText(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return QString();
    case Problem::UnclosedQuote:
        return QStringLiteral("a quote is not closed");
    case Problem::TooManyFields:
        return QStringLiteral("more fields than the layout has");
    case Problem::TrailingComma:
        return QStringLiteral("the line ends with more empty fields than the layout has");
    case Problem::UnquotedComma:
        return QStringLiteral("the name or the home town holds a comma that is not in quotes");
    case Problem::TooFewFields:
        return QStringLiteral("fewer fields than the layout has");
    case Problem::LineTooLong:
        return QStringLiteral("the line is too long");
    }
    return QString();
}

Line parseLine(QStringView text)
{
    Line line;
    QStringList found;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    for (;;) {
        QString field;
        if (pos < n && text[pos] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), pos + 1);
            if (close < 0) {
                line.problem = Problem::UnclosedQuote;
                line.fieldCount = int(found.size()) + 1;
                return line;
            }
            field = text.mid(pos + 1, close - pos - 1).toString();
            pos = close + 1;
        }
        const qsizetype comma = text.indexOf(QLatin1Char(','), pos);
        if (comma < 0) {
            field += withoutQuotes(text.mid(pos));
            found << field;
            break;
        }
        field += withoutQuotes(text.mid(pos, comma - pos));
        found << field;
        pos = comma + 1;
        if (found.size() > FullLayoutFields + 1) {
            // No layout has that many; counting the rest would only cost time.
            line.fieldCount = int(found.size()) + 1;
            line.problem = emptyFrom(found, FullLayoutFields) && onlyCommas(text.mid(pos))
                               ? Problem::TrailingComma
                               : Problem::TooManyFields;
            return line;
        }
    }

    line.fieldCount = int(found.size());
    int layout = line.fieldCount;
    if (layout == FullLayoutFields + 1 || layout == ShortLayoutFields + 1) {
        // One field more than a layout: an empty field at the end (as some
        // programs export), or a comma outside quotes in the name or the
        // home town, which moves every later field one place on. The fixed
        // columns tell which.
        const QStringList asRead = found.mid(0, layout - 1);
        QStringList joined = found;
        joined.removeAt(1);
        const bool lastEmpty = found.last().trimmed().isEmpty();
        const bool readFits = columnsFit(asRead);
        if (!readFits && columnsFit(joined)) {
            line.problem = Problem::UnquotedComma;
            return line;
        }
        if (!lastEmpty) {
            line.problem = layout > FullLayoutFields ? Problem::TooManyFields : Problem::TooFewFields;
            return line;
        }
        found = asRead;
        --layout;
        line.trailingEmptyField = true;
    }

    if (layout == FullLayoutFields) {
        line.fields = found;
    } else if (layout == ShortLayoutFields) {
        line.shortLayout = true;
        line.fields = found.mid(0, 13);
        line.fields << QString() << QString() << QString();
        line.fields << found.mid(13, 3);
    } else if (layout > FullLayoutFields) {
        line.problem = emptyFrom(found, FullLayoutFields) ? Problem::TrailingComma : Problem::TooManyFields;
    } else {
        line.problem = Problem::TooFewFields;
    }
    return line;
}

QString decodeLine(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(bytes);
}

LineReader::LineReader(QIODevice& device) : m_device(device) {}

bool LineReader::fill()
{
    if (m_atEnd)
        return false;
    if (m_pos > 0) {
        m_buffer.remove(0, m_pos);
        m_pos = 0;
    }
    const QByteArray block = m_device.read(kBlock);
    if (block.isEmpty()) {
        m_atEnd = true;
        // Nothing more although the device is not at its end: it failed.
        m_failed = !m_device.isSequential() && !m_device.atEnd();
        return false;
    }
    m_buffer += block;
    return true;
}

bool LineReader::next(QString& line)
{
    line.clear();
    m_tooLong = false;
    if (!m_started) {
        m_started = true;
        while (m_buffer.size() < kUtf8Bom.size() && fill()) {
        }
        if (m_buffer.startsWith(kUtf8Bom)) {
            m_pos = kUtf8Bom.size();
            m_consumed += m_pos;
        }
    }

    const auto emitLine = [&](qsizetype end, qsizetype after) {
        ++m_lineNumber;
        if (!m_tooLong && end - m_pos > MaxLineBytes)
            m_tooLong = true;
        if (!m_tooLong)
            line = decodeLine(m_buffer.mid(m_pos, end - m_pos));
        m_consumed += after - m_pos;
        m_pos = after;
        return true;
    };

    qsizetype scanFrom = m_pos;
    for (;;) {
        qsizetype end = -1;
        for (qsizetype i = scanFrom; i < m_buffer.size(); ++i) {
            const char c = m_buffer.at(i);
            if (c == '\n' || c == '\r') {
                end = i;
                break;
            }
        }
        if (end >= 0) {
            // A CR at the end of the block may be the first half of a CR LF.
            if (m_buffer.at(end) == '\r' && end + 1 == m_buffer.size()) {
                const qsizetype offset = end - m_pos;
                fill(); // one more byte says whether a LF follows (none at the end)
                end = m_pos + offset;
            }
            qsizetype after = end + 1;
            if (m_buffer.at(end) == '\r' && after < m_buffer.size() && m_buffer.at(after) == '\n')
                ++after;
            return emitLine(end, after);
        }
        // No line end yet: a line already past the limit is dropped as it is
        // read, so that memory stays bounded.
        if (m_buffer.size() - m_pos > MaxLineBytes) {
            m_tooLong = true;
            m_consumed += m_buffer.size() - m_pos;
            m_pos = m_buffer.size();
        }
        const qsizetype scanned = m_buffer.size() - m_pos;
        if (!fill()) {
            if (m_pos >= m_buffer.size() && !m_tooLong)
                return false;
            return emitLine(m_buffer.size(), m_buffer.size());
        }
        scanFrom = m_pos + scanned; // fill() moved the unread bytes to the front
    }
}

NameSplit splitName(const QString& field)
{
    NameSplit split;
    const QString text = field.trimmed();
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        split.last = text.left(comma).trimmed();
        QString rest = text.mid(comma + 1);
        if (rest.startsWith(QLatin1Char(' ')))
            rest.remove(0, 1);
        split.first = rest.trimmed();
        return split;
    }
    // Any blank separates words, by the same rule trimmed() uses: a tab or a
    // next-line character left inside a word would end up at the end of a
    // first name.
    QString word;
    for (const QChar c : text) {
        if (!c.isSpace()) {
            word += c;
        } else if (!word.isEmpty()) {
            split.words << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        split.words << word;
    switch (split.words.size()) {
    case 0:
        break;
    case 1:
        split.last = split.words.first();
        break;
    case 2:
        split.first = split.words.at(0);
        split.last = split.words.at(1);
        break;
    default:
        split = splitAfter(split.words, 2);
        split.needsDecision = true;
        break;
    }
    return split;
}

NameSplit splitAfter(const QStringList& words, int count)
{
    NameSplit split;
    split.words = words;
    count = std::clamp(count, 0, int(words.size()));
    split.first = words.mid(0, count).join(QLatin1Char(' '));
    split.last = words.mid(count).join(QLatin1Char(' '));
    return split;
}

QString normaliseHomeTown(const QString& field)
{
    const qsizetype comma = field.indexOf(QLatin1Char(','));
    if (comma < 0)
        return field.trimmed();
    return QStringLiteral("%1, %2").arg(field.left(comma).trimmed(), field.mid(comma + 1).trimmed());
}

int leadingNumber(const QString& field)
{
    const QString text = field.trimmed();
    qint64 value = 0;
    for (const QChar c : text) {
        if (!c.isDigit() || c.unicode() > 0x7F)
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > 0x7FFFFFFF)
            return 0; // no bib is that long; taken as none rather than wrapped
    }
    return int(value);
}

int teamRole(const QString& field)
{
    const QString role = field.trimmed();
    if (role.compare(QLatin1String("P"), Qt::CaseInsensitive) == 0)
        return 1;
    if (role.compare(QLatin1String("S"), Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

} // namespace EntryFile
