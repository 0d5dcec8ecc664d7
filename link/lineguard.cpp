#include "link/lineguard.h"

void LineGuard::suspect(qint64 now, int timeoutMs, bool frameSeen)
{
    m_suspect = true;
    m_frameSeen = frameSeen;
    m_quietSince = now;
    m_timeoutMs = timeoutMs;
    m_parser.reset();
}

void LineGuard::discard(const QByteArray &bytes, qint64 now)
{
    if (!m_suspect || bytes.isEmpty())
        return;
    for (char c : bytes) {
        if (m_parser.feed(quint8(c)) != FrameParser::NeedMore)
            m_frameSeen = true;
    }
    m_quietSince = now;
}

int LineGuard::quietNeeded(qint64 now)
{
    if (!m_suspect)
        return 0;
    const qint64 left = m_quietSince + (m_frameSeen ? kQuietAfterFrameMs : m_timeoutMs) - now;
    if (left > 0)
        return int(left);
    m_suspect = false;
    return 0;
}
