// A refresh that sends the whole 9693-character scoreboard image on two RIP
// streams (UDP over the loopback address, pieces of at most 475 characters):
// once without the 2 ms pauses between pieces, which measures the time from
// the call to the last datagram handed to the socket (sending is synchronous),
// and once with them, which is how long the pieces take in all.
#include "app/userprompt.h"
#include "io/outputmanager.h"
#include "io/scoreboardblocks.h"
#include "platform/stream/txstream.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

class NoPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons, Icon) override { return Ok; }
};

// The whole image from offset 0, whatever the code.
class WholeImage : public ScoreboardBlocks
{
public:
    WholeImage()
    {
        for (int i = 0; i < ScoreboardLayout::ImageLength; ++i)
            m_image.append(QChar(0x20 + i % 95));
    }
    ScoreboardRun build(int, BlockRange, bool) override { return {m_image, 0, QString(), false}; }

protected:
    std::optional<QString> buildBlock(int, bool) override { return std::nullopt; }

private:
    QString m_image;
};

class Running : public OutputContext
{
public:
    bool hasCurrentRunPerformance() const override { return true; }
    bool leadersFlag(int) const override { return false; }
    DisplayProfileSettings currentProfile() const override { return {}; }
};

class TwoScoreboards
{
public:
    explicit TwoScoreboards(std::chrono::microseconds pause)
    {
        QString ports;
        for (int i = 0; i < 2; ++i) {
            m_boards[i].bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress);
            m_boards[i].setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                                        QVariant(4 * 1024 * 1024));
            ports +=
                QStringLiteral("<Port count=\"%1\" name=\"Board %1\" type=\"UDP/IP\"><Settings number=\"%2\" "
                               "baudrate=\"0\" databits=\"0\" parity=\"\"/></Port>")
                    .arg(i + 1)
                    .arg(m_boards[i].localPort());
        }
        QFile file(m_dir.path() + QStringLiteral("/IO.xml"));
        if (!file.open(QIODevice::WriteOnly)) {
            m_error = "cannot write IO.xml";
            return;
        }
        file.write(QStringLiteral("<Configuration><Ports>%1</Ports><Timer name=\"\" port=\"0\"/><RIPs>"
                                  "<RIP count=\"1\" name=\"One\" port=\"1\" type=\"Serial\" offset=\"0\"/>"
                                  "<RIP count=\"2\" name=\"Two\" port=\"2\" type=\"Serial\" offset=\"0\"/>"
                                  "</RIPs><Requests/><Monitors/></Configuration>")
                       .arg(ports)
                       .toUtf8());
        file.close();

        m_manager = std::make_unique<OutputManager>(m_dir.path() + QLatin1Char('/'), m_prompt);
        if (m_manager->LoadConfiguration() < 0) {
            m_error = "cannot load IO.xml";
            return;
        }
        for (int number = 1; number <= 2; ++number) {
            StreamPort* port = m_manager->FindPort(number);
            if (!port || !port->isOpen()) {
                m_error = "a port did not open";
                return;
            }
            port->stream().protocol().setPieceDelay(pause);
        }
        m_manager->setScoreboardBlocks(std::make_unique<WholeImage>());
        m_manager->StartCommunications(&m_context);
    }

    const std::string& error() const { return m_error; }
    void refresh() { m_manager->Refresh(1); }

    // Empties the boards' receive buffers; returns the datagrams read.
    int drain()
    {
        int count = 0;
        for (QUdpSocket& board : m_boards) {
            while (board.hasPendingDatagrams()) {
                board.receiveDatagram();
                ++count;
            }
        }
        return count;
    }

private:
    QTemporaryDir m_dir;
    NoPrompt m_prompt;
    Running m_context;
    QUdpSocket m_boards[2];
    std::unique_ptr<OutputManager> m_manager;
    std::string m_error;
};

void run(benchmark::State& state, std::chrono::microseconds pause)
{
    TwoScoreboards boards(pause);
    if (!boards.error().empty()) {
        state.SkipWithError(boards.error().c_str());
        return;
    }
    for (auto _ : state) {
        boards.refresh();
        state.PauseTiming();
        boards.drain();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * 21);
    state.SetBytesProcessed(state.iterations() * 2 * ScoreboardLayout::ImageLength);
}

void BM_RefreshWholeImageTwoRips_WithoutPauses(benchmark::State& state)
{
    run(state, std::chrono::microseconds(0));
}

void BM_RefreshWholeImageTwoRips_With2msPauses(benchmark::State& state)
{
    run(state, std::chrono::microseconds(2000));
}

} // namespace

BENCHMARK(BM_RefreshWholeImageTwoRips_WithoutPauses)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RefreshWholeImageTwoRips_With2msPauses)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The streams' I/O threads and the manager's own thread run event loops, which
// need an application object.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
