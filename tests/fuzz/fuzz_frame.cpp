// libFuzzer target: the frame parser against a plain model of its rules, and the round trip of
// an encoded frame after arbitrary noise.
#include "link/frame.h"

#include <QList>
#include <QPair>

#include <cstdlib>

namespace {
using Events = QList<QPair<int, QByteArray>>;  // FrameParser::Result and payload

// A frame starts at the first 55 AA after the previous one; the length and the sum follow.
Events model(const QByteArray &in)
{
    Events out;
    for (int from = 0;;) {
        const int sync = in.indexOf("\x55\xAA", from);
        if (sync < 0 || sync + 4 > in.size())
            return out;
        const int length = quint8(in[sync + 2]) | quint8(in[sync + 3]) << 8;
        const int sumAt = sync + 4 + length;
        if (sumAt >= in.size())
            return out;
        const QByteArray payload = in.mid(sync + 4, length);
        const bool good = quint8(in[sumAt]) == frameChecksum(payload);
        out.append({good ? FrameParser::Frame : FrameParser::BadChecksum, payload});
        from = sumAt + 1;
    }
}

Events feed(FrameParser &parser, const QByteArray &in)
{
    Events out;
    for (char c : in)
        if (const FrameParser::Result r = parser.feed(quint8(c)); r != FrameParser::NeedMore)
            out.append({r, parser.payload()});
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray noise(reinterpret_cast<const char *>(data), int(size));
    FrameParser parser;
    if (feed(parser, noise) != model(noise))
        std::abort();
    // Unless the noise stopped inside a frame, the next frame comes back exactly as sent.
    const QByteArray body = noise.right(300);
    if (parser.state() <= 1
        && feed(parser, encodeFrame(body)) != Events{{FrameParser::Frame, body}})
        std::abort();
    return 0;
}
