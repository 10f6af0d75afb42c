// Feeds arbitrary bytes through everything the import does with a file before
// it touches the database: line reading (line ends, byte-order mark, UTF-8 or
// Windows-1252), field splitting by the quote rule, and the name, home town, bib
// and role texts. Checks the invariants the importer relies on.
#include "reports/entryfile.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    EntryFile::LineReader reader(buffer);
    QString text;
    int previous = 0;
    while (reader.next(text)) {
        check(reader.lineNumber() == previous + 1);
        previous = reader.lineNumber();
        check(!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')));
        check(reader.bytesRead() <= qint64(size));

        const EntryFile::Line line = EntryFile::parseLine(text);
        if (line.problem != EntryFile::Problem::None) {
            check(line.fields.isEmpty());
            continue;
        }
        check(line.fields.size() == EntryFile::FullLayoutFields);
        check(line.shortLayout ==
              (line.fieldCount - (line.trailingEmptyField ? 1 : 0) == EntryFile::ShortLayoutFields));
        for (const QString& f : line.fields)
            check(!f.contains(QLatin1Char('"')));

        const EntryFile::NameSplit name = EntryFile::splitName(line.fields.at(0));
        check(name.first == name.first.trimmed() && name.last == name.last.trimmed());
        if (name.needsDecision)
            check(name.words.size() >= 3);
        const QString town = EntryFile::normaliseHomeTown(line.fields.at(1));
        check(town == town.trimmed() || town.contains(QLatin1String(", ")));
        check(EntryFile::leadingNumber(line.fields.at(16)) >= 0);
        const int role = EntryFile::teamRole(line.fields.at(18));
        check(role >= 0 && role <= 2);
    }
    check(reader.bytesRead() == qint64(size));
    return 0;
}
