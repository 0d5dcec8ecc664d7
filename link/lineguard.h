#pragma once

#include "link/frame.h"

#include <QByteArray>

// A request that ended without its reply leaves the line suspect: that reply may still come,
// and must not be taken for the answer to the next request. The line is clean again once a
// whole frame has arrived and been discarded and the line has then been quiet for 200 ms, or
// once it has been quiet for a whole reply timeout. The wait lasts at most one reply timeout
// after the failure (and the pause after a frame that ended just then): by then a late reply
// has come and gone, so bytes that still keep coming answer no request, and the port is not
// the device (or the device has gone mad).
// Times are milliseconds on a clock that only runs forward; the owner feeds it what arrives
// and asks how long to wait.
class LineGuard
{
public:
    static constexpr int kQuietAfterFrameMs = 200;
    // quietNeeded's answer for a line that kept talking: the owner closes the port, reads
    // nothing more from it and says so once, naming the port.
    static constexpr int kNoisy = -1;

    // The request ended at `now`; `frameSeen` when a whole frame (a bad one) ended it.
    void suspect(qint64 now, int timeoutMs, bool frameSeen);
    // A session starts at `now`: another process's request may still be answered, so the line
    // is treated as after a discarded frame, clean after 200 ms without a byte.
    void startSession(qint64 now, int timeoutMs) { suspect(now, timeoutMs, true); }
    // Bytes that arrived on a suspect line: they answer nothing, but restart the quiet time.
    void discard(const QByteArray &bytes, qint64 now);
    // Milliseconds of quiet still needed; 0 once the line is clean, kNoisy once it has not been
    // within a reply timeout of the failure. Either of these ends the suspicion.
    int quietNeeded(qint64 now);
    bool isSuspect() const { return m_suspect; }
    void clear() { m_suspect = false; }

private:
    FrameParser m_parser;
    bool m_suspect = false;
    bool m_frameSeen = false;
    bool m_endedOnFrame = false;  // the last byte that came completed a frame
    qint64 m_failedAt = 0;
    qint64 m_quietSince = 0;
    int m_timeoutMs = 0;
};
