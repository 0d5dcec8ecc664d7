// The device simulator's memory map. Its behaviour on the line is what every window and
// command-line test talks to.
#include "devsim/device.h"

#include <QTest>

namespace {
const int R = proto::kOpRead, W = proto::kOpWrite;
const quint32 kVer = proto::kVersionAddr, kFw = proto::kFirmwareBase, kSys = proto::kSysParAddr,
              kHw = proto::kHardwParAddr;

// Bytes that differ from their neighbours and, between seeds, from each other.
QByteArray pattern(quint32 address, int size, int seed = 0x5A)
{
    QByteArray out;
    for (quint32 a = address; out.size() < size; ++a)
        out += char((a * 7u) ^ (a >> 8) ^ quint32(seed));
    return out;
}

// All four regions and the gaps between them.
QByteArray wholeMap(const Device &d)
{
    return d.peek(kVer, int(kHw + proto::kHardwParSize - kVer));
}
}  // namespace

class TestDevsim : public QObject
{
    Q_OBJECT
private slots:
    void handle_data();
    void handle();
};

void TestDevsim::handle_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<bool>("done");  // read: the bytes come back; write: acked 01 and stored
    QTest::newRow("read version record") << R << kVer << 4 << 0 << true;
    QTest::newRow("read firmware last chunk") << R << kSys - 1024 << 1024 << 0 << true;
    QTest::newRow("read firmware into system") << R << kSys - 1 << 2 << 0 << false;
    QTest::newRow("read count 1025") << R << kFw << 1025 << 0 << false;
    QTest::newRow("write hardware last byte") << W << kHw + 9 << 1 << 1 << true;
    QTest::newRow("write version record") << W << kVer << 4 << 4 << false;
    QTest::newRow("write data short of count") << W << kSys << 34 << 33 << false;
    QTest::newRow("write firmware into system") << W << kSys - 2 << 4 << 4 << false;
    QTest::newRow("write between regions") << W << kSys + 0x100 << 1 << 1 << false;
    QTest::newRow("unknown operation") << 5 << kSys << 4 << 4 << false;
}

void TestDevsim::handle()
{
    QFETCH(int, op);
    QFETCH(quint32, address);
    QFETCH(int, count);
    QFETCH(int, dataSize);
    QFETCH(bool, done);
    Device d, expected;
    for (Device *x : {&d, &expected})
        x->poke(kVer, pattern(kVer, wholeMap(d).size()));
    const QByteArray data = pattern(address, dataSize, 0xA5);
    QCOMPARE(d.handle(Request{op, address, quint16(count), data}),
             op == W    ? QByteArray(1, done)
                 : done ? pattern(address, count)
                        : QByteArray());
    if (op == W && done)
        expected.poke(address, data);
    QCOMPARE(wholeMap(d), wholeMap(expected));
}

QTEST_GUILESS_MAIN(TestDevsim)
#include "tst_devsim.moc"
