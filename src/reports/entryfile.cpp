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
        return QStringLiteral("the line ends with a comma");
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
            line.problem = Problem::TooManyFields;
            line.fieldCount = int(found.size()) + 1;
            return line;
        }
    }

    line.fieldCount = int(found.size());
    const bool endsWithComma = text.endsWith(QLatin1Char(','));
    if (line.fieldCount == FullLayoutFields) {
        line.fields = found;
    } else if (line.fieldCount == ShortLayoutFields) {
        line.shortLayout = true;
        line.fields = found.mid(0, 13);
        line.fields << QString() << QString() << QString();
        line.fields << found.mid(13, 3);
    } else if (endsWithComma &&
               (line.fieldCount == FullLayoutFields + 1 || line.fieldCount == ShortLayoutFields + 1)) {
        line.problem = Problem::TrailingComma;
    } else if (line.fieldCount > FullLayoutFields) {
        line.problem = Problem::TooManyFields;
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
    return QString::fromLatin1(bytes);
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
