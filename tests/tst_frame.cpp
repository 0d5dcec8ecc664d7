// Request frames as they go on the wire. The parser is checked against a model of its rules by
// its fuzz target, and on a real line by the serial worker's tests.
#include "link/frame.h"
#include "link/protocol.h"
#include "link/request.h"

#include <QTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
}  // namespace

class TestFrame : public QObject
{
    Q_OBJECT
private slots:
    void requestsOnTheWire_data();
    void requestsOnTheWire();
};

void TestFrame::requestsOnTheWire_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("frame");
    const QByteArray block(34, '\x10');
    QTest::newRow("version")
        << buildRequestBody(proto::kOpRead, proto::kVersionAddr, nullptr, 4)
        << hex("55AA0800040020000804000030");
    QTest::newRow("system block")
        << buildRequestBody(proto::kOpRead, proto::kSysParAddr, nullptr, 34)
        << hex("55AA08000400F8000822000026");
    QTest::newRow("hardware block")
        << buildRequestBody(proto::kOpRead, proto::kHardwParAddr, nullptr, 10)
        << hex("55AA08000400FC00080A000012");
    // 42-byte body, 47-byte frame; the sum wraps at 256.
    QTest::newRow("system write")
        << buildRequestBody(proto::kOpWrite, proto::kSysParAddr, block.constData(), 34)
        << hex("55AA2A000300F80008220000") + block + hex("45");
    QTest::newRow("empty reply") << QByteArray() << hex("55AA000000");
}

void TestFrame::requestsOnTheWire()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, frame);
    QCOMPARE(encodeFrame(body), frame);
}

QTEST_APPLESS_MAIN(TestFrame)
#include "tst_frame.moc"
