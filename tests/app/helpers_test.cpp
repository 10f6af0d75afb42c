#include "app/commandids.h"
#include "app/manualresult.h"
#include "app/systeminfo.h"
#include "app/textnumber.h"
#include "app/viewtable.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TEST(TextNumber, ReadsLikeTheCLibrary)
{
    EXPECT_EQ(leadingInt(QStringLiteral("42")), 42);
    EXPECT_EQ(leadingInt(QStringLiteral("  -7x")), -7);
    EXPECT_EQ(leadingInt(QStringLiteral("+3")), 3);
    EXPECT_EQ(leadingInt(QStringLiteral("abc")), 0);
    EXPECT_EQ(leadingInt(QString()), 0);
    EXPECT_EQ(leadingInt(QStringLiteral("99999999999999999999")), 2147483647);
    EXPECT_EQ(leadingInt(QStringLiteral("-99999999999999999999")), -2147483647 - 1);
}

TEST(ViewTable, ClassNamesMapBackToIds)
{
    int count = 0;
    const ViewTable::Entry* views = ViewTable::workViews(&count);
    ASSERT_EQ(count, 8);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(views[i].id, ViewTable::First + i);
        EXPECT_EQ(ViewTable::idForClassName(ViewTable::className(views[i].id)), views[i].id);
    }
    EXPECT_EQ(ViewTable::idForClassName(QString()), ViewTable::RodeoSetup);
    EXPECT_EQ(ViewTable::idForClassName(QStringLiteral("cviewreports")), ViewTable::RodeoSetup);
    EXPECT_TRUE(ViewTable::className(ViewTable::Logo).isEmpty());
    EXPECT_EQ(ViewTable::childId(ViewTable::Reports), 59656);
    EXPECT_FALSE(ViewTable::isView(32809));
}

TEST(CommandIds, DisplayButtonNumbers)
{
    EXPECT_EQ(CommandId::displayButton(0, 0), 1048);
    EXPECT_EQ(CommandId::displayButton(0, 10), 1038);
    EXPECT_EQ(CommandId::displayButton(1, 0), 1037);
    EXPECT_EQ(CommandId::displayButton(1, 10), 1027);
    EXPECT_EQ(CommandId::displayButton(2, 5), 1021);  // Shift+F7
    EXPECT_EQ(CommandId::displayButton(2, 6), 1018);  // Shift+F8
    EXPECT_EQ(CommandId::displayButton(2, 10), 1013); // Shift+F12
    EXPECT_EQ(CommandId::displayButton(3, 0), 0);
    EXPECT_EQ(CommandId::displayButton(0, 11), 0);
}

TEST(ManualResult, OutcomesAndMessages)
{
    QTemporaryDir dir;
    EXPECT_EQ(ManualResult::checkManual(dir.filePath(QStringLiteral("no/such/manual.pdf"))),
              ManualResult::PathNotFound);
    EXPECT_EQ(ManualResult::checkManual(dir.filePath(QStringLiteral("manual.pdf"))), ManualResult::FileNotFound);
    QFile f(dir.filePath(QStringLiteral("manual.pdf")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_GT(ManualResult::checkManual(f.fileName()), 32);

    EXPECT_EQ(ManualResult::message(0), QStringLiteral("Out of Memory"));
    EXPECT_EQ(ManualResult::message(2), QStringLiteral("File not found."));
    EXPECT_EQ(ManualResult::message(3), QStringLiteral("Path not found."));
    EXPECT_EQ(ManualResult::message(11), QStringLiteral("Bad Format"));
    EXPECT_TRUE(ManualResult::message(31).startsWith(QStringLiteral("Adobe Reader required. Please download from ")));
    EXPECT_EQ(ManualResult::message(5), QStringLiteral("Could not open the manual. Error Code: 5"));
    EXPECT_TRUE(ManualResult::message(42).isEmpty());
}

TEST(SystemInfo, ParsesProcTextsAndDiskLine)
{
    const auto mem = SystemInfo::parseMemInfo(QStringLiteral(
        "MemTotal:       16318908 kB\nMemFree:         1000 kB\nMemAvailable:    8000000 kB\nSwapTotal: 0 kB\n"));
    EXPECT_EQ(mem.totalKB, 16318908);
    EXPECT_EQ(mem.availableKB, 8000000);
    EXPECT_EQ(mem.swapTotalKB, 0);
    EXPECT_EQ(mem.swapFreeKB, -1);
    EXPECT_EQ(SystemInfo::parseCpuModel(QStringLiteral("processor\t: 0\nmodel name\t: Example CPU 3000\n")),
              QStringLiteral("Example CPU 3000"));
    EXPECT_TRUE(SystemInfo::parseCpuModel(QStringLiteral("nothing here")).isEmpty());
    EXPECT_EQ(SystemInfo::diskLine(1000LL * 1024 * 1024, 250LL * 1024 * 1024),
              QStringLiteral("250 MB free of 1000 MB (75% used)"));
    EXPECT_EQ(SystemInfo::diskLine(0, 0), QStringLiteral("unknown"));
    EXPECT_TRUE(SystemInfo::text(QDir::tempPath()).contains(QStringLiteral("Processor: ")));
}
