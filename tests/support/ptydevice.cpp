#include "tests/support/ptydevice.h"

#include <QElapsedTimer>
#include <QTest>

QByteArray PtyDevice::waitForBytes(int n, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    collect();
    while (m_received.size() < n && !t.hasExpired(timeoutMs)) {
        QTest::qWait(2);
        collect();
    }
    return m_received;
}

void PtyDevice::writeSplit(const QByteArray &bytes, int pieceSize, int gapMs)
{
    for (int i = 0; i < bytes.size(); i += pieceSize) {
        m_pty.write(bytes.mid(i, pieceSize));
        QTest::qWait(gapMs);
    }
}
