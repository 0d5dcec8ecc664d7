#pragma once

#include "devsim/pty.h"

#include <QByteArray>
#include <climits>

// Plays the device at the byte level on a real pseudo-terminal: collects what the program
// wrote and answers with whatever bytes a test wants, whole or in pieces.
class PtyDevice
{
public:
    bool open() { return m_pty.open(); }
    QString path() const { return m_pty.slavePath(); }

    // Waits until at least n bytes have arrived (or the timeout) and returns all received.
    QByteArray waitForBytes(int n, int timeoutMs = 2000);
    // Forgets the first n bytes received, or all of them.
    void consume(int n = INT_MAX) { collect(), m_received.remove(0, n); }

    void write(const QByteArray &bytes) { m_pty.write(bytes); }
    void writeSome(const QByteArray &bytes) { m_pty.writeSome(bytes); }  // as much as fits
    int unread() const { return m_pty.unreadByProgram(); }
    // Each piece goes out on its own turn of the event loop, with a pause between them.
    void writeSplit(const QByteArray &bytes, int pieceSize, int gapMs = 5);

private:
    void collect() { m_received += m_pty.readAll(); }

    Pty m_pty;
    QByteArray m_received;
};
