#include "reports/entryfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace EntryFile;

QString fields(int count, const QString& first = QStringLiteral("\"Doe, John\""))
{
    QStringList f{first};
    for (int i = 1; i < count; ++i)
        f << QString::number(i + 1);
    return f.join(QLatin1Char(','));
}

TEST(EntryLine, FieldsLayoutAndProblems)
{
    const struct
    {
        QString line;
        Problem problem;
        bool shortLayout;
        QString name;    // field 1
        QString field17; // the bib in either layout
    } cases[] = {
        {fields(19), Problem::None, false, QStringLiteral("Doe, John"), QStringLiteral("17")},
        // Commas inside quotes do not count; the quotes go.
        {QStringLiteral("\"Doe, John\",\"Austin,TX\",3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19"),
         Problem::None, false, QStringLiteral("Doe, John"), QStringLiteral("17")},
        {fields(16), Problem::None, true, QStringLiteral("Doe, John"), QStringLiteral("14")},
        {QStringLiteral("\"Doe, John") + fields(18, QString()), Problem::UnclosedQuote, false, {}, {}},
        {fields(20), Problem::TooManyFields, false, {}, {}},
        {fields(40), Problem::TooManyFields, false, {}, {}},
        // One empty field past the layout, as some programs export: left out.
        {fields(19) + QLatin1Char(','), Problem::None, false, QStringLiteral("Doe, John"),
         QStringLiteral("17")},
        {fields(16) + QLatin1Char(','), Problem::None, true, QStringLiteral("Doe, John"),
         QStringLiteral("14")},
        {fields(19) + QStringLiteral(",,"), Problem::TrailingComma, false, {}, {}},
        {fields(19) + QStringLiteral(",,, ,,,"), Problem::TrailingComma, false, {}, {}},
        // A comma outside quotes in the home town (or the name) moves the
        // earnings and the events on by one, whether or not the line ends
        // with a comma; so does one in the name.
        {QStringLiteral("John Doe,Austin,TX,1200,300,misc,N,N,N,Y,N,N,N,N,N,N,N,101,,"),
         Problem::UnquotedComma,
         false,
         {},
         {}},
        {QStringLiteral("John Doe,Austin,TX,,,,N,N,N,Y,N,N,N,N,N,N,N,101,7,P"),
         Problem::UnquotedComma,
         false,
         {},
         {}},
        {QStringLiteral("John Doe,Austin,TX,1200,300,misc,N,N,N,Y,N,N,N,N,101,7,P"),
         Problem::UnquotedComma,
         false,
         {},
         {}},
        {QStringLiteral("Doe, John,Austin TX,1200,300,misc,N,N,N,Y,N,N,N,N,N,N,N,101,,"),
         Problem::UnquotedComma,
         false,
         {},
         {}},
        {QStringLiteral("John Doe,Austin TX,1200,300,misc,N,N,N,Y,N,N,N,N,N,N,N,101,,"), Problem::None, false,
         QStringLiteral("John Doe"), QStringLiteral("101")},
        {fields(18), Problem::TooFewFields, false, {}, {}},
        {fields(17), Problem::TooFewFields, false, {}, {}},
        {QStringLiteral("just a name"), Problem::TooFewFields, false, {}, {}},
        // Quotes in the middle of a field are only removed.
        {QStringLiteral("Bo\"b\"by") + fields(19).mid(11), Problem::None, false, QStringLiteral("Bobby"),
         QStringLiteral("17")},
    };
    for (const auto& c : cases) {
        const Line line = parseLine(c.line);
        EXPECT_EQ(line.problem, c.problem) << c.line.toStdString();
        if (c.problem != Problem::None)
            continue;
        ASSERT_EQ(line.fields.size(), FullLayoutFields) << c.line.toStdString();
        EXPECT_EQ(line.shortLayout, c.shortLayout);
        EXPECT_EQ(line.fields.at(0), c.name);
        EXPECT_EQ(line.fields.at(16), c.field17);
        if (c.shortLayout) {
            EXPECT_EQ(line.fields.mid(13, 3), (QStringList{QString(), QString(), QString()}));
        }
    }
}

TEST(EntryLine, NamesHomeTownsAndRoles)
{
    const struct
    {
        QString field;
        QString first;
        QString last;
        bool needsDecision;
    } names[] = {
        {QStringLiteral("Doe, John"), QStringLiteral("John"), QStringLiteral("Doe"), false},
        {QStringLiteral("Doe,John"), QStringLiteral("John"), QStringLiteral("Doe"), false},
        {QStringLiteral("  Doe ,  John  "), QStringLiteral("John"), QStringLiteral("Doe"), false},
        {QStringLiteral("Doe,J"), QStringLiteral("J"), QStringLiteral("Doe"), false},
        {QStringLiteral("Cher"), QString(), QStringLiteral("Cher"), false},
        {QStringLiteral("John  Doe"), QStringLiteral("John"), QStringLiteral("Doe"), false},
        {QStringLiteral("Mary Ann Smith"), QStringLiteral("Mary Ann"), QStringLiteral("Smith"), true},
        {QStringLiteral("Jo Ann Van Dyke"), QStringLiteral("Jo Ann"), QStringLiteral("Van Dyke"), true},
        // Found by the fuzzer: a tab or a next-line character is a blank like a space.
        {QStringLiteral("Mary\tAnn\x01\t Smith"), QStringLiteral("Mary Ann\x01"), QStringLiteral("Smith"),
         true},
        {QStringLiteral("Mary\u0085 Smith"), QStringLiteral("Mary"), QStringLiteral("Smith"), false},
    };
    for (const auto& n : names) {
        const NameSplit s = splitName(n.field);
        EXPECT_EQ(s.first, n.first) << n.field.toStdString();
        EXPECT_EQ(s.last, n.last) << n.field.toStdString();
        EXPECT_EQ(s.needsDecision, n.needsDecision) << n.field.toStdString();
    }
    EXPECT_EQ(
        splitAfter(
            {QStringLiteral("Jo"), QStringLiteral("Ann"), QStringLiteral("Van"), QStringLiteral("Dyke")}, 1)
            .last,
        QStringLiteral("Ann Van Dyke"));

    EXPECT_EQ(normaliseHomeTown(QStringLiteral("Austin,TX")), QStringLiteral("Austin, TX"));
    EXPECT_EQ(normaliseHomeTown(QStringLiteral(" Cody , WY, USA ")), QStringLiteral("Cody, WY, USA"));
    EXPECT_EQ(normaliseHomeTown(QStringLiteral(" Cody ")), QStringLiteral("Cody"));

    EXPECT_EQ(teamRole(QStringLiteral("P")), 1);
    EXPECT_EQ(teamRole(QStringLiteral(" s ")), 2);
    EXPECT_EQ(teamRole(QStringLiteral("H")), 0);
    EXPECT_EQ(leadingNumber(QStringLiteral(" 123A")), 123);
    EXPECT_EQ(leadingNumber(QStringLiteral("99999999999")), 0);
}

QStringList readAll(const QByteArray& bytes, int* tooLong = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    QStringList lines;
    QString line;
    while (reader.next(line)) {
        if (reader.lineTooLong() && tooLong)
            ++*tooLong;
        lines << line;
    }
    EXPECT_EQ(reader.bytesRead(), bytes.size());
    return lines;
}

TEST(EntryLineReader, LineEndsByteOrderMarkAndEncodings)
{
    const struct
    {
        QByteArray bytes;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {QStringLiteral("a"), QStringLiteral("b")}},
        {"a\nb", {QStringLiteral("a"), QStringLiteral("b")}},
        {"a\rb\r", {QStringLiteral("a"), QStringLiteral("b")}},
        {"a\n\nb\r\n\r\n", {QStringLiteral("a"), QString(), QStringLiteral("b"), QString()}},
        {"\xEF\xBB\xBF"
         "Doe\n",
         {QStringLiteral("Doe")}},
        // UTF-8 where it is valid, Windows-1252 line by line where it is not:
        // its typographic marks, Latin-1 above them, and the five bytes it
        // leaves undefined as their control characters.
        {"Ren\xC3\xA9"
         "e O\xE2\x80\x99"
         "Brien\nRen\xE9"
         "e O\x92"
         "Brien\n",
         {QString::fromUtf8("Renée O’Brien"), QString::fromUtf8("Renée O’Brien")}},
        {"\x93"
         "Doc\x94 \x96 \x97 \x80\x85\x8A\x9F \x81\x8D\x8F\x90\x9D \xFF\n",
         {QString::fromUtf8("“Doc” – — €…ŠŸ \u0081\u008D\u008F\u0090\u009D ÿ")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readAll(c.bytes), c.lines) << c.bytes.toStdString();
}

TEST(EntryLineReader, LongLinesAndBlockBoundaries)
{
    // A CR LF split over two blocks of the reader is one line end.
    QByteArray split(64 * 1024 - 1, 'a');
    split += "\r\nb";
    EXPECT_EQ(readAll(split), (QStringList{QString(64 * 1024 - 1, QLatin1Char('a')), QStringLiteral("b")}));

    // A 1 MB line is read; one past the limit is dropped, without holding it.
    const QByteArray megabyte(1024 * 1024, 'x');
    EXPECT_EQ(readAll(megabyte + "\nend").size(), 2);
    int tooLong = 0;
    const QStringList lines = readAll(QByteArray(MaxLineBytes + 10, 'x') + "\nend", &tooLong);
    EXPECT_EQ(lines, (QStringList{QString(), QStringLiteral("end")}));
    EXPECT_EQ(tooLong, 1);
}

// Every input the fuzzer kept for this reader (a crash among them) still
// reads into trimmed names and quote-free fields.
TEST(EntryLineReader, FuzzCorpusInputsKeepTheirInvariants)
{
    const QDir corpus(QStringLiteral(TALLYRA_SOURCE_DIR "/fuzz/corpus/entryline"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        LineReader reader(file);
        QString text;
        while (reader.next(text)) {
            const Line line = parseLine(text);
            if (line.problem != Problem::None)
                continue;
            const NameSplit split = splitName(line.fields.at(0));
            EXPECT_EQ(split.first, split.first.trimmed()) << name.toStdString();
            EXPECT_EQ(split.last, split.last.trimmed()) << name.toStdString();
            for (const QString& f : line.fields)
                EXPECT_FALSE(f.contains(QLatin1Char('"'))) << name.toStdString();
        }
        EXPECT_EQ(reader.bytesRead(), file.size()) << name.toStdString();
    }
}

} // namespace
