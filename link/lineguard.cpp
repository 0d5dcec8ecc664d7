#include "link/lineguard.h"

#include <QtGlobal>

void LineGuard::suspect(qint64 now, int timeoutMs, bool frameSeen)
{
    m_suspect = true;
    m_frameSeen = frameSeen;
    m_endedOnFrame = false;
    m_failedAt = now;
    m_quietSince = now;
    m_timeoutMs = timeoutMs;
    m_parser.reset();
}

void LineGuard::discard(const QByteArray &bytes, qint64 now)
{
    if (!m_suspect || bytes.isEmpty())
        return;
    for (char c : bytes) {
        m_endedOnFrame = m_parser.feed(quint8(c)) != FrameParser::NeedMore;
        m_frameSeen = m_frameSeen || m_endedOnFrame;
    }
    m_quietSince = now;
}

int LineGuard::quietNeeded(qint64 now)
{
    if (!m_suspect)
        return 0;
    const qint64 quiet = now - m_quietSince;
    const qint64 left = (m_frameSeen ? kQuietAfterFrameMs : m_timeoutMs) - quiet;
    // A late reply that ended right before the deadline still gets its pause.
    const qint64 untilDeadline
        = m_failedAt + m_timeoutMs + (m_endedOnFrame ? kQuietAfterFrameMs : 0) - now;
    if (left > 0 && untilDeadline > 0)
        return int(qMin(left, untilDeadline));
    m_suspect = false;
    // At the deadline a line quiet for a frame's pause has stopped talking: clean enough.
    return left <= 0 || quiet >= kQuietAfterFrameMs ? 0 : kNoisy;
}
