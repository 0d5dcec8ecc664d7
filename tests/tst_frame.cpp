// Frame codec and request bodies, without a port. The fuzz target checks the parser against a
// model of its rules; these are the cases worth naming.
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
    void parsesReplies_data();
    void parsesReplies();
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

void TestFrame::parsesReplies_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("results");  // FrameParser::Result values, in order
    QTest::addColumn<QByteArray>("payload");  // of the last result
    const int frame = FrameParser::Frame;
    const int bad = FrameParser::BadChecksum;
    QTest::newRow("one byte") << hex("55AA01000101") << QList<int>{frame} << hex("01");
    QTest::newRow("empty") << hex("55AA000000") << QList<int>{frame} << QByteArray();
    QTest::newRow("empty, bad sum") << hex("55AA000007") << QList<int>{bad} << QByteArray();
    QTest::newRow("garbage first")
        << hex("0011AA55005566AA55AA0200010203") << QList<int>{frame} << hex("0102");
    QTest::newRow("stray 55s before sync")
        << QByteArray(50, '\x55') + hex("AA01000707") << QList<int>{frame} << hex("07");
    QTest::newRow("bad then good")
        << hex("55AA0100010255AA01000101") << QList<int>{bad, frame} << hex("01");
    QTest::newRow("truncated") << hex("55AA0500010203") << QList<int>{} << QByteArray();
}

void TestFrame::parsesReplies()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, results);
    QFETCH(QByteArray, payload);
    FrameParser p;
    QList<int> got;
    for (char c : bytes)
        if (const FrameParser::Result r = p.feed(quint8(c)); r != FrameParser::NeedMore)
            got << r;
    QCOMPARE(got, results);
    if (!got.isEmpty())
        QCOMPARE(p.payload(), payload);
}

QTEST_APPLESS_MAIN(TestFrame)
#include "tst_frame.moc"
