// "Publish to folder": the same files as the server's, written whole, and
// what happens when the folder cannot be written.
#include "common/logcapture.h"
#include "live/liveservice.h"
#include "live/livesite.h"
#include "livetesthelpers.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(LiveFolderTest, TheSitesFilesAreWrittenWholeAndGoneEventsRemoved)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/web/live");
    // What is there already: the operator's file stays, an event page left
    // by an earlier run of an event that is gone does not.
    QDir().mkpath(folder);
    QFile(folder + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
    QFile(folder + QStringLiteral("/event-OLD.html")).open(QIODevice::WriteOnly);

    LiveService service;
    QSignalSpy written(&service, &LiveService::folderWritten);
    service.setFolder(folder);
    auto first = sampleSnapshot(1);
    auto bronc = std::make_shared<LiveEvent>(*first->events.front());
    bronc->id = QStringLiteral("SB");
    first->events.push_back(bronc);
    service.publish(first);
    ASSERT_TRUE(waitUntil([&] { return written.size() >= 1; }, 5000));
    EXPECT_TRUE(written.last().at(0).toBool()) << written.last().at(1).toString().toStdString();

    const auto site = LiveSite::render(first);
    QStringList expected = site->names();
    expected << QStringLiteral("notes.txt");
    expected.sort();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name), expected);
    for (const QString& name : site->names()) {
        if (name == QLatin1String("index.html") || name == QLatin1String("now.html"))
            continue; // these carry the time they were made
        EXPECT_EQ(readFile(folder + QLatin1Char('/') + name), site->page(name)->body) << name.toStdString();
    }

    // The next snapshot has no saddle bronc: its page goes.
    service.publish(sampleSnapshot(2, QStringLiteral("14.98")));
    ASSERT_TRUE(waitUntil([&] { return written.size() >= 2; }, 5000));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/event-SB.html")));
    EXPECT_TRUE(readFile(folder + QStringLiteral("/event-BR.html")).contains("14.98"));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/notes.txt")));
}

TEST(LiveFolderTest, AFolderThatCannotBeWrittenIsReportedAndLogged)
{
    QTemporaryDir dir;
    QFile blocker(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture log;
    LiveService service;
    QSignalSpy written(&service, &LiveService::folderWritten);
    service.setFolder(blocker.fileName() + QStringLiteral("/live")); // under a file: never a folder
    service.publish(sampleSnapshot(1));
    ASSERT_TRUE(waitUntil([&] { return written.size() >= 1; }, 5000));
    EXPECT_FALSE(written.last().at(0).toBool());
    EXPECT_TRUE(log.containsPrefix(
        QStringLiteral("The live results could not be written to the folder.  LiveFolder::Write  Path:")))
        << log.lines().join(QLatin1Char('\n')).toStdString();
}

} // namespace
