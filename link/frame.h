#pragma once

#include <QByteArray>

// 55 AA, 16-bit little-endian body length, body, sum of the body bytes mod 256.
QByteArray encodeFrame(const QByteArray &body);
quint8 frameChecksum(const QByteArray &body);

// Byte-by-byte reassembly of one frame. Feed bytes until feed() returns something other
// than NeedMore; after Frame or BadChecksum the parser is back at its start state.
class FrameParser
{
public:
    enum Result { NeedMore, Frame, BadChecksum };

    Result feed(quint8 b);
    void reset();

    int state() const { return m_state; }
    // The last frame's payload (valid after Frame; after BadChecksum, what was received).
    const QByteArray &payload() const { return m_payload; }

private:
    int m_state = 0;
    quint16 m_expected = 0;
    quint8 m_sum = 0;
    QByteArray m_payload;
};
