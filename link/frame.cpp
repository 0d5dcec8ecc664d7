#include "link/frame.h"

#include "link/protocol.h"

quint8 frameChecksum(const QByteArray &body)
{
    quint32 sum = 0;
    for (char c : body)
        sum += static_cast<quint8>(c);
    return static_cast<quint8>(sum);
}

QByteArray encodeFrame(const QByteArray &body)
{
    const quint16 n = static_cast<quint16>(body.size());
    QByteArray frame;
    frame.reserve(body.size() + 5);
    frame.append(char(proto::kSync0));
    frame.append(char(proto::kSync1));
    frame.append(char(n & 0xFF));
    frame.append(char(n >> 8));
    frame.append(body);
    frame.append(char(frameChecksum(body)));
    return frame;
}

void FrameParser::reset()
{
    m_state = 0;
}

FrameParser::Result FrameParser::feed(quint8 b)
{
    switch (m_state) {
    case 0:
        if (b == proto::kSync0)
            m_state = 1;
        return NeedMore;
    case 1:
        // A repeated 0x55 may still be the start of the real sync pair.
        if (b == proto::kSync1) {
            m_expected = 0;
            m_state = 2;
        } else if (b != proto::kSync0) {
            m_state = 0;
        }
        return NeedMore;
    case 2:
        m_expected = b;
        m_state = 3;
        return NeedMore;
    case 3:
        m_expected = static_cast<quint16>(m_expected + b * 256);
        m_payload.clear();
        m_sum = 0;
        m_state = 4;
        return NeedMore;
    default:
        if (m_payload.size() < m_expected) {
            m_payload.append(char(b));
            m_sum = static_cast<quint8>(m_sum + b);
            return NeedMore;
        }
        m_state = 0;
        return b == m_sum ? Frame : BadChecksum;
    }
}
