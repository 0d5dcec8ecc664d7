// libFuzzer target: the frame parser against a plain model of its rules, and the round trip of
// an encoded frame after arbitrary noise.
#include "link/frame.h"

#include <QList>

#include <cstdlib>

namespace {
struct Event
{
    FrameParser::Result result;
    QByteArray payload;
    bool operator!=(const Event &o) const { return result != o.result || payload != o.payload; }
};

// A frame starts at the first 55 AA after the previous one; the length and the sum follow.
QList<Event> model(const QByteArray &in)
{
    QList<Event> out;
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

QList<Event> feed(FrameParser &parser, const QByteArray &in)
{
    QList<Event> out;
    for (char c : in) {
        const FrameParser::Result r = parser.feed(quint8(c));
        if (r != FrameParser::NeedMore)
            out.append({r, parser.payload()});
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray noise(reinterpret_cast<const char *>(data), int(size));
    FrameParser parser;
    const QList<Event> got = feed(parser, noise);
    const QList<Event> want = model(noise);
    if (got.size() != want.size())
        std::abort();
    for (int i = 0; i < got.size(); ++i)
        if (got[i] != want[i])
            std::abort();
    // Unless the noise stopped inside a frame, the next frame comes back exactly as sent.
    if (parser.state() <= 1) {
        const QByteArray body = noise.right(300);
        const QList<Event> echo = feed(parser, encodeFrame(body));
        if (echo.size() != 1 || echo[0].result != FrameParser::Frame || echo[0].payload != body)
            std::abort();
    }
    return 0;
}
