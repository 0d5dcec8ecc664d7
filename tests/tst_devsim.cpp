// The device simulator: its memory alone, then over a real pseudo-terminal as the program's peer.
#include "devsim/device.h"
#include "devsim/session.h"
#include "link/frame.h"

#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

Q_DECLARE_METATYPE(SimOptions)

namespace {

const int R = proto::kOpRead, W = proto::kOpWrite;
const quint32 kVer = proto::kVersionAddr, kFw = proto::kFirmwareBase, kSys = proto::kSysParAddr,
              kHw = proto::kHardwParAddr;
const QByteArray kAskVersion = QByteArray::fromHex("55AA0800040020000804000030");
const QByteArray kVersionReply = QByteArray::fromHex("55AA0400006505016B");

qint64 clockNs()
{
    return QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs();
}

// Runs the events of the simulator, which lives in this thread, until cond holds or ms passed.
bool wait(
    int ms, const std::function<bool()> &cond = [] { return false; })
{
    for (const qint64 end = clockNs() + ms * 1000000LL; !cond() && clockNs() < end; ::usleep(200))
        QCoreApplication::processEvents();
    return cond();
}

// Bytes that differ from their neighbours and, between seeds, from each other.
QByteArray pattern(quint32 address, int size, int seed = 0x5A)
{
    QByteArray out;
    for (quint32 a = address; out.size() < size; ++a)
        out += char((a * 7u) ^ (a >> 8) ^ quint32(seed));
    return out;
}

QByteArray frame(int op, quint32 address, int count, const QByteArray &data = {})
{
    return encodeFrame(buildRequestBody(op, address, nullptr, quint16(count)) + data);
}

// All four regions and the gaps between them.
QByteArray wholeMap(const Device &d)
{
    return d.peek(kVer, int(kHw + proto::kHardwParSize - kVer));
}

// The program's end of the line (raw already), read only when polled.
struct Line
{
    explicit Line(const QString &path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~Line() { ::close(fd); }
    bool send(const QByteArray &b) { return ::write(fd, b.constData(), b.size()) == b.size(); }
    void poll()
    {
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0) {
            in.append(buf, int(n));
            lastAt = clockNs();
            firstAt = firstAt < 0 ? lastAt : firstAt;
        }
        hungUp = hungUp || n == 0 || errno != EAGAIN;
    }
    void drop() { poll(), in.clear(), firstAt = lastAt = -1; }
    // All that arrived once n bytes were in (n = 0: after 80 ms) and 10 ms more brought nothing.
    QByteArray take(int n)
    {
        wait(n > 0 ? 1000 : 80, [&] { return poll(), n > 0 && in.size() >= n; });
        wait(10, [&] { return poll(), false; });
        return in;
    }

    int fd;
    QByteArray in;
    qint64 firstAt = -1, lastAt = -1;  // when the first and the last bytes were seen
    bool hungUp = false;
};

#define START(sim, line, opts)                                                                     \
    Simulator sim{opts};                                                                           \
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));                                          \
    Line line(sim.slavePath())

}  // namespace

class TestDevsim : public QObject
{
    Q_OBJECT
private slots:
    void handle_data();
    void handle();
    void factoryValues();
    void stateRoundTrip();
    void wireExample();
    void faults_data();
    void faults();
    void noiseThenRequest_data();
    void noiseThenRequest();
    void baudTiming();
    void filesWritten();
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
    QTest::newRow("write firmware first chunk") << W << kFw << 1024 << 1024 << true;
    QTest::newRow("write hardware last byte") << W << kHw + 9 << 1 << 1 << true;
    QTest::newRow("write version record") << W << kVer << 4 << 4 << false;
    QTest::newRow("write count 1025") << W << kFw << 1025 << 1025 << false;
    QTest::newRow("write data short of count") << W << kSys << 34 << 33 << false;
    QTest::newRow("write data beyond count") << W << kHw << 9 << 10 << false;
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

void TestDevsim::factoryValues()
{
    const Device d;
    QCOMPARE(d.peek(kVer, 4), QByteArray::fromHex("00650501"));
    QCOMPARE(d.peek(kFw, int(proto::kImageLimit)), QByteArray(int(proto::kImageLimit), '\xFF'));
    QCOMPARE(d.peek(kSys, proto::kSysParSize),
             QByteArray::fromHex(QByteArray("0100DC00").repeated(7) + "01321E320A00"));
    QCOMPARE(d.peek(kHw, proto::kHardwParSize), QByteArray::fromHex("C800CC01E402F401B004"));
}

void TestDevsim::stateRoundTrip()
{
    Device d;
    d.poke(kVer, pattern(kVer, wholeMap(d).size()));
    const QByteArray state = d.saveState();
    QCOMPARE(state.size(), Device::stateSize());

    // The version record is the device's own, not part of the saved memory.
    Device other;
    other.setVersion(0x66, 9, 3);
    QVERIFY(other.loadState(state, nullptr));
    QCOMPARE(wholeMap(other).mid(4), wholeMap(d).mid(4));
    QCOMPARE(other.peek(kVer, 4), QByteArray::fromHex("00660903"));

    const QByteArray bad[] = {QByteArray(), state.chopped(1), state + '\0', "X" + state.mid(1)};
    for (const QByteArray &b : bad) {
        Device fresh;
        QVERIFY(!fresh.loadState(b, nullptr));
        QCOMPARE(wholeMap(fresh), wholeMap(Device()));
    }
}

void TestDevsim::wireExample()
{
    Simulator sim{SimOptions()};
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    // The program closes and reopens its end; the second time it sends two requests at once.
    for (int round = 1; round <= 2; ++round) {
        Line line(sim.slavePath());
        QVERIFY(line.send(kAskVersion.repeated(round)));
        QCOMPARE(line.take(9 * round).toHex(' '), kVersionReply.repeated(round).toHex(' '));
    }
}

void TestDevsim::faults_data()
{
    // Per request (write, version read, write): o answered, - no reply, c bad checksum,
    // r write refused, x line closed.
    QTest::addColumn<SimOptions>("o");
    QTest::addColumn<QByteArray>("outcome");
    auto row = [](const char *name, const char *outcome, void (*set)(SimOptions &)) {
        SimOptions o;
        set(o);
        QTest::newRow(name) << o << QByteArray(outcome);
    };
    row("none", "ooo", [](SimOptions &) {});
    row("no reply to 1st", "-oo", [](SimOptions &o) { o.noReplyTo = 1; });
    row("silent", "---", [](SimOptions &o) { o.noReplies = true; });
    row("corrupt 2nd", "oco", [](SimOptions &o) { o.corruptReplyTo = 2; });
    row("refuse 2nd write", "oor", [](SimOptions &o) { o.refuseWrite = 2; });
    row("delay", "ooo", [](SimOptions &o) { o.delayMs = 60; });
    row("bytewise", "ooo", [](SimOptions &o) { o.bytewise = true; });
    row("garbage", "ooo", [](SimOptions &o) { o.garbage = "\xFF\x55\xAA"; });
    row("wrong version byte", "ooo", [](SimOptions &o) { o.versionByte = 0x66; });
    row("disconnect after 2", "oox", [](SimOptions &o) { o.disconnectAfter = 2; });
}

void TestDevsim::faults()
{
    QFETCH(SimOptions, o);
    QFETCH(QByteArray, outcome);
    START(sim, line, SimOptions());
    sim.options() = o;  // faults may be set on a running line
    QSignalSpy gone(&sim, &Simulator::disconnected);

    for (int i = 0; i < 3; ++i) {
        const char what = outcome.at(i);
        const bool isWrite = i != 1;
        const QByteArray data(1, char(0x11 + i));
        line.drop();
        const qint64 t0 = clockNs();
        QVERIFY(line.send(isWrite ? frame(W, kFw + 1 + i, 1, data) : kAskVersion) || what == 'x');
        if (i + 1 == o.disconnectAfter)
            wait(50);  // read late: the line must stay open until its last reply is taken

        const char version[] = {0, char(o.versionByte), char(o.minor), char(o.major)};
        QByteArray expected = o.garbage
            + encodeFrame(isWrite ? QByteArray(1, what != 'r') : QByteArray(version, 4));
        if (what == 'c')
            expected.back() = char(~expected.back());
        if (what == '-' || what == 'x')
            expected.clear();
        QCOMPARE(line.take(expected.size()).toHex(' '), expected.toHex(' '));

        const qint64 took = line.lastAt - t0;
        if (o.delayMs > 0)
            QVERIFY(took >= o.delayMs * 1000000LL && took < (o.delayMs + 40) * 1000000LL);
        if (o.bytewise)
            QVERIFY(line.lastAt - line.firstAt >= (expected.size() - 2) * 1000000LL);
        if (isWrite)  // carried out even when its reply goes missing
            QCOMPARE(sim.memory(kFw + 1 + i, 1), what == 'r' || what == 'x' ? "\xFF" : data);
    }
    QCOMPARE(gone.count(), o.disconnectAfter ? 1 : 0);
    QCOMPARE(wait(o.disconnectAfter ? 1000 : 0, [&] { return line.poll(), line.hungUp; }),
             o.disconnectAfter != 0);
}

void TestDevsim::noiseThenRequest_data()
{
    QTest::addColumn<QByteArray>("junk");
    QTest::addColumn<int>("gapMs");  // silence that drops a half-received frame; 0 = never
    QTest::newRow("bad checksum") << kAskVersion.chopped(1) + '\x31' << 0;
    QTest::newRow("body shorter than a header") << encodeFrame(kAskVersion.mid(4, 7)) << 0;
    QTest::newRow("noise, repeated 55") << QByteArray::fromHex("00FF5500AA555555") << 0;
    QTest::newRow("length 1033") << QByteArray::fromHex("55AA0904") + QByteArray(100, '\0') << 0;
    QTest::newRow("length 65535") << QByteArray::fromHex("55AAFFFF") + QByteArray(10, '\0') << 0;
    QTest::newRow("truncated request") << kAskVersion.left(6) << 20;
    QByteArray fuzz;
    for (QRandomGenerator rng(1); fuzz.size() < 4000;)  // random, a sync pair every 16 bytes
        fuzz += fuzz.size() % 16 ? QByteArray(1, char(rng.generate())) : QByteArray("\x55\xAA");
    QTest::newRow("fuzz") << fuzz << 20;
}

void TestDevsim::noiseThenRequest()
{
    QFETCH(QByteArray, junk);
    QFETCH(int, gapMs);
    SimOptions o;
    o.resyncGapMs = gapMs;
    START(sim, line, o);

    QVERIFY(line.send(junk));
    if (gapMs > 0) {  // random bytes may hold requests of their own: only ours counts
        wait(3 * gapMs);
        line.drop();
    }
    QVERIFY(line.send(kAskVersion));
    QCOMPARE(line.take(kVersionReply.size()).toHex(' '), kVersionReply.toHex(' '));
}

void TestDevsim::baudTiming()
{
    SimOptions o;
    o.baud = 9600;
    START(sim, line, o);

    const double byteNs = 1e10 / o.baud;
    const double expected = (kAskVersion.size() + kVersionReply.size()) * byteNs;
    const qint64 t0 = clockNs();
    QVERIFY(line.send(kAskVersion));
    QCOMPARE(line.take(kVersionReply.size()), kVersionReply);
    const double total = line.lastAt - t0;
    QVERIFY(line.lastAt - line.firstAt >= 0.9 * (kVersionReply.size() - 1) * byteNs - 3e6);
    // Timers tick in whole milliseconds and a busy machine adds some more.
    QVERIFY2(total >= expected && total <= expected * 1.005 + 5e6,
             qPrintable(QStringLiteral("%1 ms for %2 ms").arg(total / 1e6).arg(expected / 1e6)));
}

void TestDevsim::filesWritten()
{
    QTemporaryDir dir;
    SimOptions o;
    o.statePath = dir.filePath(QStringLiteral("device.state"));
    o.firmwareDump = dir.filePath(QStringLiteral("fw.bin"));
    const QByteArray sys = pattern(kSys, proto::kSysParSize), ack = encodeFrame("\1");
    QByteArray image = pattern(0, 1500);
    image.replace(1460, 40, QByteArray(40, '\xFF'));  // erased bytes written last still count
    {
        START(sim, line, o);
        QVERIFY(line.send(frame(W, kSys, proto::kSysParSize, sys)));
        QCOMPARE(line.take(ack.size()), ack);
        QCOMPARE(QFileInfo(o.statePath).size(), qint64(Device::stateSize()));  // not only at exit
        QVERIFY(line.send(frame(W, kFw, 1024, image.left(1024))
                          + frame(W, kFw + 1024, 476, image.mid(1024))));
        QCOMPARE(line.take(3 * ack.size()), ack + ack + ack);
        QFile dump(o.firmwareDump);
        QVERIFY(dump.open(QIODevice::ReadOnly));
        QCOMPARE(dump.readAll(), image);
    }
    Simulator again(o);
    QVERIFY2(again.start(), qPrintable(again.errorString()));
    QCOMPARE(again.memory(kSys, proto::kSysParSize), sys);
    QCOMPARE(again.memory(kFw, 1501), image + '\xFF');

    QFile broken(o.statePath);
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a state") && broken.flush());
    Simulator refused(o);
    QVERIFY(!refused.start());
    QVERIFY(refused.errorString().contains(o.statePath));
}

QTEST_GUILESS_MAIN(TestDevsim)
#include "tst_devsim.moc"
