#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// Debian's Chromium without a screen, as the live results' browser test and
// pictures run it: no sandbox (tests run as any user), no GPU, nothing fetched
// from the internet, a fresh profile folder each time.
namespace HeadlessChromium {

inline QString path()
{
    return QStringLiteral("/usr/bin/chromium");
}

inline bool installed()
{
    return QFile::exists(path());
}

inline QStringList arguments(const QString& profileFolder)
{
    return {QStringLiteral("--headless"),
            QStringLiteral("--no-sandbox"),
            QStringLiteral("--disable-gpu"),
            QStringLiteral("--disable-quic"),
            QStringLiteral("--no-first-run"),
            QStringLiteral("--disable-background-networking"),
            QStringLiteral("--disable-component-update"),
            QStringLiteral("--disable-sync"),
            QStringLiteral("--user-data-dir=") + profileFolder};
}

} // namespace HeadlessChromium
