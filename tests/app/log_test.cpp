#include "app/log.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <thread>
#include <vector>

namespace {

QString readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QStringList lines(const QString& path)
{
    return readAll(path).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

constexpr int kFileOnly = Log::CompletePath | Log::Append;

class LogTest : public ::testing::Test
{
protected:
    QString file(const char* name = "test.log") const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
    Log log;
};

} // namespace

TEST_F(LogTest, OpenResultCodes)
{
    EXPECT_EQ(log.Open(file(), 0, 0, 1, Log::NoRotation, 1024), Log::NoOutput);
    EXPECT_FALSE(log.isActive());

    EXPECT_EQ(log.Open(dir.filePath(QStringLiteral("missing/dir/x.log")), kFileOnly, 0, 1, 0, 1024),
              Log::CannotOpen);
    EXPECT_FALSE(log.isActive());

    EXPECT_EQ(log.Open(file(), kFileOnly, 0, 1, 0, 1024), Log::Ok);
    EXPECT_EQ(log.Open(file("other.log"), kFileOnly, 0, 1, 0, 1024), Log::AlreadyOpen);
    EXPECT_EQ(log.path(), file());
    EXPECT_FALSE(QFile::exists(file("other.log")));
}

TEST_F(LogTest, LevelFilterDoesNotAdvanceLineNumber)
{
    ASSERT_EQ(log.Open(file(), kFileOnly, Log::LineNumber, 1, Log::NoRotation, 1024), Log::Ok);
    log.Report(1, "first");
    log.Report(2, "hidden");
    log.Report(1, "second");
    const QStringList l = lines(file());
    ASSERT_EQ(l.size(), 2);
    EXPECT_EQ(l[0], QStringLiteral("   1 - ~  first"));
    EXPECT_EQ(l[1], QStringLiteral("   2 - ~  second"));
    EXPECT_EQ(log.lineCount(), 2);
}

TEST_F(LogTest, MaxLevelZeroWritesNothing)
{
    ASSERT_EQ(log.Open(file(), kFileOnly, 0, 0, Log::NoRotation, 1024), Log::Ok);
    EXPECT_EQ(log.Report(0, "never"), Log::Ok);
    EXPECT_EQ(log.Report(-1, "never"), Log::Ok);
    EXPECT_TRUE(readAll(file()).isEmpty());
}

TEST_F(LogTest, DebuggerOnlyWritesNoFile)
{
    QStringList seen;
    log.setDebugSink([&seen](const QString& line) { seen << line; });
    ASSERT_EQ(log.Open(file(), Log::DebuggerOutput, 0, 1, 0, 1024), Log::Ok);
    EXPECT_TRUE(log.isActive());
    log.Report(1, "to the debugger %d", 7);
    EXPECT_EQ(seen, QStringList{QStringLiteral("to the debugger 7\n")});
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(LogTest, PrefixesInOrderWithSeparator)
{
    log.setClock([] { return QDateTime(QDate(2026, 6, 5), QTime(21, 49, 8, 42)); });
    ASSERT_EQ(log.Open(file(), kFileOnly, 255, 1, Log::NoRotation, 1024), Log::Ok);
    log.Report(1, "Failed to open the rodeo.  DBMgr::Create  Season:%s, Rodeo:%s", "", "");
    const QStringList l = lines(file());
    ASSERT_EQ(l.size(), 1);
    static const QRegularExpression re(QStringLiteral(
        R"(^   1 - Jun  5 21:49:08\.042 - \(\d{7}\.\d{3}\) - <1> - ~  Failed to open the rodeo\.  DBMgr::Create  Season:, Rodeo:$)"));
    EXPECT_TRUE(re.match(l[0]).hasMatch()) << l[0].toStdString();
}

TEST_F(LogTest, IndentationIsThreeSpacesPerLevel)
{
    ASSERT_EQ(log.Open(file(), kFileOnly, Log::Indent, 5, Log::NoRotation, 1024), Log::Ok);
    log.Report(2, "x");
    EXPECT_EQ(lines(file()).value(0), QStringLiteral("      ~  x"));
}

TEST_F(LogTest, LongLinesAreCutToTheBuffer)
{
    ASSERT_EQ(log.Open(file(), kFileOnly, 255, 1, Log::NoRotation, 1024), Log::Ok);
    log.Report(1, QString(5000, QLatin1Char('x')));
    log.Report(1, "after");
    const QString text = readAll(file());
    const QStringList l = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(l.size(), 2);
    EXPECT_EQ(l[0].size() + 1, Log::MaxLineChars); // the line break is part of the buffer
    EXPECT_TRUE(l[1].endsWith(QStringLiteral("after")));
}

TEST_F(LogTest, WithoutAppendTheFileIsEmptiedAtOpen)
{
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old line\n");
    }
    ASSERT_EQ(log.Open(file(), Log::CompletePath, 0, 1, Log::NoRotation, 1024), Log::Ok);
    log.Report(1, "new");
    EXPECT_EQ(readAll(file()), QStringLiteral("new\n"));
}

TEST_F(LogTest, SizeCapEmptiesFileBeforeTheNextLine)
{
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1024, 'a')); // exactly 1 KB, the cap
    }
    ASSERT_EQ(log.Open(file(), kFileOnly, 0, 1, Log::SizeCap, 1), Log::Ok);
    log.Report(1, "only line");
    EXPECT_EQ(readAll(file()), QStringLiteral("only line\n"));
}

TEST_F(LogTest, SizeCapLeavesSmallerFileAlone)
{
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1023, 'a'));
    }
    ASSERT_EQ(log.Open(file(), kFileOnly, 0, 1, Log::SizeCap, 1), Log::Ok);
    log.Report(1, "x");
    EXPECT_EQ(readAll(file()).size(), 1023 + 2);
}

TEST_F(LogTest, WeeklyRestartOnlyOnALaterSameWeekday)
{
    const QDateTime monday(QDate(2026, 11, 2), QTime(12, 0), Qt::UTC); // a Monday
    QDateTime today = monday;
    QDateTime created = monday;
    log.setClock([&today] { return today; });
    log.setCreationTimeSource([&created](const QString&) { return created; });
    ASSERT_EQ(log.Open(file(), kFileOnly, 0, 1, Log::Weekly, 1024), Log::Ok);

    log.Report(1, "monday");
    for (int day = 1; day < 7; ++day) { // Tuesday to Sunday: no restart
        today = monday.addDays(day);
        log.Report(1, "day");
    }
    EXPECT_EQ(lines(file()).size(), 7);

    today = monday.addDays(7);
    log.Report(1, "next monday");
    EXPECT_EQ(lines(file()), QStringList{QStringLiteral("next monday")});
}

TEST_F(LogTest, DailyRestartWhenTheDayChanges)
{
    QDateTime today(QDate(2026, 11, 2), QTime(23, 0), Qt::UTC);
    const QDateTime created = today;
    log.setClock([&today] { return today; });
    log.setCreationTimeSource([&created](const QString&) { return created; });
    ASSERT_EQ(log.Open(file(), kFileOnly, 0, 1, Log::Daily, 1024), Log::Ok);
    log.Report(1, "late");
    today = today.addSecs(1800);
    log.Report(1, "still the same day");
    EXPECT_EQ(lines(file()).size(), 2);
    today = today.addSecs(3600);
    log.Report(1, "new day");
    EXPECT_EQ(lines(file()), QStringList{QStringLiteral("new day")});
}

TEST_F(LogTest, NoRotationFlagSkipsEveryCheck)
{
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(2048, 'a'));
    }
    ASSERT_EQ(log.Open(file(), kFileOnly, 0, 1, Log::NoRotation | Log::SizeCap, 1), Log::Ok);
    log.Report(1, "kept");
    EXPECT_EQ(readAll(file()).size(), 2048 + 5);
}

TEST_F(LogTest, EmptyFileDeletedAtCloseOnlyWhenNothingWasWritten)
{
    ASSERT_EQ(log.Open(file(), kFileOnly | Log::DeleteIfEmpty, 0, 1, Log::NoRotation, 1024), Log::Ok);
    log.Report(2, "filtered out"); // not a written line
    log.Close();
    EXPECT_FALSE(QFile::exists(file()));

    Log second;
    ASSERT_EQ(second.Open(file(), kFileOnly | Log::DeleteIfEmpty, 0, 1, Log::NoRotation, 1024), Log::Ok);
    second.Report(1, "one line");
    second.Close();
    EXPECT_TRUE(QFile::exists(file()));

    Log third; // the file had content when opened: kept although nothing was written
    ASSERT_EQ(third.Open(file(), kFileOnly | Log::DeleteIfEmpty, 0, 1, Log::NoRotation, 1024), Log::Ok);
    third.Close();
    EXPECT_TRUE(QFile::exists(file()));
}

TEST_F(LogTest, TimestampedFileInAFolder)
{
    log.setClock([] { return QDateTime(QDate(2026, 3, 9), QTime(8, 7, 6)); });
    const QString folder = dir.filePath(QStringLiteral("logs"));
    ASSERT_EQ(log.Open(folder, Log::TimestampedFile, 0, 1, Log::NoRotation, 1024), Log::Ok);
    EXPECT_EQ(log.path(), folder + QStringLiteral("/09-Mar-26-08-07-06.log"));
    EXPECT_TRUE(QFile::exists(log.path()));
}

TEST_F(LogTest, TempDirectoryFromEnvironment)
{
    const QByteArray oldTmp = qgetenv("TMP");
    qputenv("TMP", dir.path().toUtf8());
    ASSERT_EQ(log.Open(QStringLiteral("t.log"), Log::TempDirectory, 0, 1, Log::NoRotation, 1024), Log::Ok);
    EXPECT_EQ(log.path(), dir.filePath(QStringLiteral("t.log")));
    log.Close();
    qputenv("TMP", oldTmp);
}

TEST_F(LogTest, ThreadsNeverInterleaveAndNumbersIncrease)
{
    ASSERT_EQ(log.Open(file(), kFileOnly, Log::LineNumber, 1, Log::SizeCap, 1024 * 64), Log::Ok);
    constexpr int kThreads = 4;
    constexpr int kLines = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < kLines; ++i)
                log.Report(1, "thread %d line %d %s", t, i, QString(40, QChar(u'a' + t)));
        });
    for (auto& th : threads)
        th.join();

    const QStringList l = lines(file());
    ASSERT_EQ(l.size(), kThreads * kLines);
    static const QRegularExpression re(QStringLiteral(R"(^ *(\d+) - ~  thread (\d) line \d+ ([a-d]{40})$)"));
    long previous = 0;
    for (const QString& line : l) {
        const auto m = re.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const long n = m.captured(1).toLong();
        EXPECT_EQ(n, previous + 1);
        previous = n;
        // The filler letters belong to the thread that wrote the line.
        EXPECT_EQ(m.captured(3), QString(40, QChar(u'a' + m.captured(2).toInt())));
    }
}
