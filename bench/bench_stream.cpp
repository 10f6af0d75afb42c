// Sending one whole scoreboard image with breakup (21 pieces of at most 475
// characters) on two UDP streams over the loopback address, as a refresh does
// for two scoreboards: once without the 2 ms pauses between pieces (the cost of
// framing and handing the pieces to the I/O threads) and once with them.
#include "benchmain.h"
#include "platform/stream/rtdprotocol.h"
#include "platform/stream/txstream.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct Board
{
    QUdpSocket socket;
    std::unique_ptr<TxStream> stream;
};

// Two scoreboards (plain sockets) and a stream sending to each.
class TwoBoards
{
public:
    explicit TwoBoards(std::chrono::microseconds pause)
    {
        for (Board& board : m_boards) {
            board.socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress);
            board.stream = std::make_unique<TxStream>();
            board.stream->setKind(TxStream::Udp);
            board.stream->setUdpPort(board.socket.localPort());
            board.stream->protocol().setPieceDelay(pause);
            if (board.stream->open() != TxStream::StatusOk)
                m_error = board.stream->lastError().toStdString();
        }
        for (int i = 0; i < RtdProtocol::ImageLength; ++i)
            m_image.append(QChar(0x20 + i % 95));
    }

    const std::string& error() const { return m_error; }

    bool sendImage()
    {
        bool ok = true;
        for (Board& board : m_boards)
            ok = board.stream->protocol().sendTextBlock(m_image, false, 0, true) == TxStream::StatusOk && ok;
        return ok;
    }

    // Empties the boards' receive buffers so that nothing is dropped for lack of room.
    void drain()
    {
        for (Board& board : m_boards) {
            while (board.socket.hasPendingDatagrams())
                board.socket.receiveDatagram();
        }
    }

private:
    Board m_boards[2];
    QString m_image;
    std::string m_error;
};

void run(benchmark::State& state, std::chrono::microseconds pause)
{
    TwoBoards boards(pause);
    if (!boards.error().empty()) {
        state.SkipWithError(boards.error().c_str());
        return;
    }
    for (auto _ : state) {
        if (!boards.sendImage()) {
            state.SkipWithError("sending failed");
            break;
        }
        state.PauseTiming();
        boards.drain();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * 21);
    state.SetBytesProcessed(state.iterations() * 2 * RtdProtocol::ImageLength);
}

void BM_ImageOnTwoUdpStreams_WithoutPauses(benchmark::State& state)
{
    run(state, std::chrono::microseconds(0));
}

void BM_ImageOnTwoUdpStreams_With2msPauses(benchmark::State& state)
{
    run(state, std::chrono::microseconds(2000));
}

} // namespace

BENCHMARK(BM_ImageOnTwoUdpStreams_WithoutPauses)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ImageOnTwoUdpStreams_With2msPauses)->Unit(benchmark::kMillisecond)->UseRealTime();

// The streams' I/O threads run event loops, which need an application object.
int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
