// Frame codec and request bodies, without a port.
#include "link/frame.h"
#include "link/protocol.h"
#include "link/request.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Feeds bytes and records what the parser reported, in order.
QList<QPair<FrameParser::Result, QByteArray>> parseAll(FrameParser &p, const QByteArray &bytes)
{
    QList<QPair<FrameParser::Result, QByteArray>> out;
    for (char c : bytes) {
        const FrameParser::Result r = p.feed(quint8(c));
        if (r != FrameParser::NeedMore)
            out.append({r, p.payload()});
    }
    return out;
}
}  // namespace

class TestFrame : public QObject
{
    Q_OBJECT
private slots:
    void requestsOnTheWire_data();
    void requestsOnTheWire();
    void writeBodyCarriesData();
    void encodesReplies();
    void parsesFrames_data();
    void parsesFrames();
    void resynchronisesAfterStray55();
    void survivesGarbage();
};

void TestFrame::requestsOnTheWire_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("version") << proto::kVersionAddr << 4
                             << hex("55AA08000400200008040000"
                                    "30");
    QTest::newRow("system block") << proto::kSysParAddr << 34 << hex("55AA08000400F8000822000026");
    QTest::newRow("hardware block")
        << proto::kHardwParAddr << 10 << hex("55AA08000400FC00080A000012");
}

void TestFrame::requestsOnTheWire()
{
    QFETCH(quint32, address);
    QFETCH(int, count);
    QFETCH(QByteArray, frame);
    const QByteArray body = buildRequestBody(proto::kOpRead, address, nullptr, quint16(count));
    QCOMPARE(body.size(), proto::kHeaderSize);
    QCOMPARE(encodeFrame(body), frame);
}

void TestFrame::writeBodyCarriesData()
{
    QByteArray data(34, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(0xF0 + i);
    const QByteArray body
        = buildRequestBody(proto::kOpWrite, proto::kSysParAddr, data.constData(), 34);
    QCOMPARE(body.size(), 42);
    QCOMPARE(body.left(8),
             hex("0300F8000822"
                 "0000"));
    QCOMPARE(body.mid(8), data);
    const QByteArray frame = encodeFrame(body);
    QCOMPARE(frame.size(), 47);
    QCOMPARE(quint8(frame.at(46)), frameChecksum(body));
}

void TestFrame::encodesReplies()
{
    QCOMPARE(encodeFrame(hex("01")),
             hex("55AA010001"
                 "01"));
    QCOMPARE(encodeFrame(QByteArray()), hex("55AA000000"));
    // The sum wraps at 256.
    QCOMPARE(encodeFrame(hex("FF02")), hex("55AA0200FF0201"));
}

void TestFrame::parsesFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("results");  // FrameParser::Result values, in order
    QTest::addColumn<QByteArray>("payload");  // of the last result

    QTest::newRow("one byte") << hex("55AA01000101") << QList<int>{FrameParser::Frame} << hex("01");
    QTest::newRow("empty payload")
        << hex("55AA000000") << QList<int>{FrameParser::Frame} << QByteArray();
    QTest::newRow("empty, bad sum")
        << hex("55AA000007") << QList<int>{FrameParser::BadChecksum} << QByteArray();
    QTest::newRow("garbage first")
        << hex("0011AA55005566AA55AA0200010203") << QList<int>{FrameParser::Frame} << hex("0102");
    QTest::newRow("two frames") << hex("55AA0100010155AA01000202")
                                << QList<int>{FrameParser::Frame, FrameParser::Frame} << hex("02");
    QTest::newRow("bad then good")
        << hex("55AA0100010255AA01000101")
        << QList<int>{FrameParser::BadChecksum, FrameParser::Frame} << hex("01");
    QTest::newRow("truncated") << hex("55AA0500010203") << QList<int>{} << QByteArray();
}

void TestFrame::parsesFrames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, results);
    QFETCH(QByteArray, payload);
    FrameParser p;
    const auto got = parseAll(p, bytes);
    QCOMPARE(got.size(), results.size());
    for (int i = 0; i < got.size(); ++i)
        QCOMPARE(int(got[i].first), results[i]);
    if (!got.isEmpty())
        QCOMPARE(got.last().second, payload);
}

void TestFrame::resynchronisesAfterStray55()
{
    FrameParser p;
    const auto got = parseAll(p, hex("5555AA01000101"));
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].first, FrameParser::Frame);
    QCOMPARE(got[0].second, hex("01"));
    // A long run of 0x55 still ends in sync.
    QCOMPARE(parseAll(p, QByteArray(50, '\x55') + hex("AA01000707")).size(), 1);
}

void TestFrame::survivesGarbage()
{
    // Random bytes, including sync pairs with large lengths; the payload never outgrows the
    // announced length, and a good frame after the noise is still found.
    QRandomGenerator rng(1234);
    FrameParser p;
    for (int round = 0; round < 200; ++round) {
        QByteArray noise(512, '\0');
        for (char &c : noise)
            c = char(rng.bounded(256));
        if (round % 3 == 0)
            noise.insert(rng.bounded(500), hex("55AAFFFF"));
        parseAll(p, noise);
        QVERIFY(p.payload().size() <= 65535);
    }
    const QByteArray tail = QByteArray(70000, '\0') + hex("55AA01004242");
    const auto got = parseAll(p, tail);
    QVERIFY(!got.isEmpty());
    QCOMPARE(got.last().first, FrameParser::Frame);
    QCOMPARE(got.last().second, hex("42"));
}

QTEST_APPLESS_MAIN(TestFrame)
#include "tst_frame.moc"
