#pragma once

#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "io/outputmanager.h"
#include "platform/stream/streamtesthelpers.h"
#include "platform/stream/txstream.h"
#include "platform/xml/xmldocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// IO.xml texts for the tests.
namespace iofile {

inline QString udpPort(int count, const QString& name, int number)
{
    return QStringLiteral("<Port count=\"%1\" name=\"%2\" type=\"UDP/IP\">"
                          "<Settings number=\"%3\" baudrate=\"0\" databits=\"0\" parity=\"\"/></Port>")
        .arg(count)
        .arg(name)
        .arg(number);
}

inline QString filePort(int count, const QString& name, const QString& path)
{
    return QStringLiteral("<Port count=\"%1\" name=\"%2\" type=\"FILE\">"
                          "<Settings number=\"%3\" baudrate=\"0\" databits=\"0\" parity=\"\"/></Port>")
        .arg(count)
        .arg(name, path.toHtmlEscaped());
}

inline QString rip(int count, const QString& name, int port, const QString& type = QStringLiteral("Serial"),
                   int offset = 0, const QString& extra = QString())
{
    return QStringLiteral("<RIP count=\"%1\" name=\"%2\" port=\"%3\" type=\"%4\" offset=\"%5\" %6/>")
        .arg(count)
        .arg(name)
        .arg(port)
        .arg(type)
        .arg(offset)
        .arg(extra);
}

inline QString monitor(int count, const QString& name, int port,
                       const QString& protocol = QStringLiteral("Terminal"))
{
    return QStringLiteral("<Monitor count=\"%1\" name=\"%2\" port=\"%3\" protocol=\"%4\"/>")
        .arg(count)
        .arg(name)
        .arg(port)
        .arg(protocol);
}

inline QString request(int count, const QString& name, int reqport, int sendport)
{
    return QStringLiteral("<Request count=\"%1\" name=\"%2\" reqport=\"%3\" sendport=\"%4\"/>")
        .arg(count)
        .arg(name)
        .arg(reqport)
        .arg(sendport);
}

inline QString timer(const QString& name, int port)
{
    return QStringLiteral("<Timer name=\"%1\" port=\"%2\"/>").arg(name).arg(port);
}

// A whole document; a section given as a null text is left out.
inline QString document(const QString& ports, const QString& timerElement, const QString& rips,
                        const QString& requests = QString(), const QString& monitors = QString(),
                        bool withRequests = true, bool withMonitors = true)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration>\n");
    if (!ports.isNull())
        xml += QStringLiteral("<Ports>") + ports + QStringLiteral("</Ports>\n");
    xml += timerElement + QLatin1Char('\n');
    if (!rips.isNull())
        xml += QStringLiteral("<RIPs>") + rips + QStringLiteral("</RIPs>\n");
    if (withRequests)
        xml += QStringLiteral("<Requests>") + requests + QStringLiteral("</Requests>\n");
    if (withMonitors)
        xml += QStringLiteral("<Monitors>") + monitors + QStringLiteral("</Monitors>\n");
    return xml + QStringLiteral("</Configuration>\n");
}

} // namespace iofile

// A private data folder, a scripted prompt and the log routed into memory.
class IoTest : public ::testing::Test
{
protected:
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString ioPath() const { return folder() + QStringLiteral("IO.xml"); }

    void writeIo(const QString& text)
    {
        QFile file(ioPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

    void writeDefaultIo()
    {
        QFile builtIn(QStringLiteral(TALLYRA_SOURCE_DIR "/resources/xml/io.xml"));
        ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly));
        QFile file(ioPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(builtIn.readAll());
    }

    QString readIo() const
    {
        QFile file(ioPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    XmlDocument savedIo() const
    {
        XmlDocument doc;
        doc.load(ioPath());
        return doc;
    }

    // A manager that has loaded the file.
    std::unique_ptr<OutputManager> loaded()
    {
        auto manager = std::make_unique<OutputManager>(folder(), prompt);
        manager->LoadConfiguration();
        return manager;
    }

    QTemporaryDir m_dir;
    ScriptedPrompt prompt;
    LogCapture log;
};

// The scoreboard image rebuilt from text-block messages the way a sign does.
inline QString rebuildImage(const QList<RtdMessage>& messages, int length = 9693)
{
    QString image(length, QLatin1Char(' '));
    for (const RtdMessage& m : messages) {
        if (m.type != RtdMessage::TextBlock)
            continue;
        const QString text = m.text();
        for (int k = 0; k < text.size(); ++k) {
            const qint64 pos = qint64(m.offset) + k;
            if (pos >= 0 && pos < length)
                image[pos] = text[k];
        }
    }
    return image;
}
