// The display controller's wire protocol decoder: any bytes, as a datagram or
// as a stream cut at any points, come out as messages and raw bytes, and a
// stream loses none of them.
#include "platform/stream/rtddecoder.h"

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
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const RtdMessage datagram = RtdDecoder::decodeDatagram(bytes);
    RtdDecoder::describe(datagram);
    RtdDecoder::decodeFrame(bytes);

    // The first byte chooses where the stream is cut.
    const int step = size ? 1 + data[0] % 17 : 1;
    RtdDecoder stream;
    qsizetype fed = 0;
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        stream.feed(bytes.mid(at, step));
        fed += bytes.mid(at, step).size();
        check(stream.heldBytes() <= fed);
        for (const RtdMessage& m : stream.takeMessages())
            RtdDecoder::describe(m, 60);
    }
    stream.flush();
    check(stream.heldBytes() == 0);
    for (const RtdMessage& m : stream.takeMessages())
        RtdDecoder::describe(m);
    RtdDecoder::escape(bytes, 100);
    return 0;
}
