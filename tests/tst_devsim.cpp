// The simulated device: its memory and answers on their own, then over a real pseudo-terminal
// with this test playing the program's side of the line.

#include "devsim/device.h"
#include "devsim/session.h"
#include "link/frame.h"
#include "link/protocol.h"
#include "link/request.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <termios.h>
#include <unistd.h>

namespace {

struct Span
{
    quint32 base;
    int size;
};

const Span kRegions[] = {
    {proto::kVersionAddr, proto::kVersionSize},
    {proto::kFirmwareBase, int(proto::kImageLimit)},
    {proto::kSysParAddr, proto::kSysParSize},
    {proto::kHardwParAddr, proto::kHardwParSize},
};

qint64 clockNs()
{
    static QElapsedTimer t;
    if (!t.isValid())
        t.start();
    return t.nsecsElapsed();
}

// Runs the event loop (the simulator lives in it) until cond holds or ms have passed.
bool waitUntil(const std::function<bool()> &cond, int ms)
{
    if (cond())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    const qint64 deadline = clockNs() + qint64(ms) * 1000000;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cond() || clockNs() >= deadline)
            loop.quit();
    });
    poll.start();
    loop.exec();
    return cond();
}

void settle(int ms)
{
    waitUntil([] { return false; }, ms);
}

// A byte that differs from its neighbours and from erased flash at most addresses.
quint8 pattern(quint32 a)
{
    return quint8((a * 7u) ^ (a >> 8) ^ 0x5Au);
}

QByteArray patternBytes(quint32 address, int size)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char(pattern(address + quint32(i)));
    return out;
}

QByteArray requestBody(int op, quint32 address, quint16 count, const QByteArray &data = {})
{
    return buildRequestBody(op, address, nullptr, count) + data;
}

QByteArray requestFrame(int op, quint32 address, quint16 count, const QByteArray &data = {})
{
    return encodeFrame(requestBody(op, address, count, data));
}

QByteArray versionRead()
{
    return requestFrame(proto::kOpRead, proto::kVersionAddr, proto::kVersionSize);
}

Request makeRequest(int op, quint32 address, quint16 count, const QByteArray &data = {})
{
    Request r;
    r.operation = op;
    r.address = address;
    r.count = count;
    r.data = data;
    return r;
}

QByteArray snapshot(const std::function<QByteArray(quint32, int)> &read)
{
    QByteArray all;
    for (const Span &s : kRegions)
        all += read(s.base, s.size);
    return all;
}

QByteArray snapshot(const Device &d)
{
    return snapshot([&](quint32 a, int n) { return d.peek(a, n); });
}

QByteArray snapshot(const Simulator &sim)
{
    return snapshot([&](quint32 a, int n) { return sim.memory(a, n); });
}

QByteArray hexBytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// The program's end of the line: the slave side opened raw, read as bytes arrive.
class Line : public QObject
{
public:
    struct Reply
    {
        FrameParser::Result result = FrameParser::NeedMore;
        QByteArray payload;
    };

    explicit Line(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return;
        termios t{};
        ::tcgetattr(m_fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_fd, TCSANOW, &t);
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &Line::readable);
    }
    ~Line() override
    {
        delete m_notifier;
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool isOpen() const { return m_fd >= 0; }
    bool hungUp() const { return m_hungUp; }
    const QByteArray &received() const { return m_in; }
    int reads() const { return m_arrivals.size(); }
    qint64 firstAt() const { return m_arrivals.isEmpty() ? -1 : m_arrivals.first(); }
    qint64 lastAt() const { return m_arrivals.isEmpty() ? -1 : m_arrivals.last(); }
    void pause(bool paused) { m_notifier->setEnabled(!paused && !m_hungUp); }

    void clear()
    {
        m_in.clear();
        m_arrivals.clear();
        m_pos = 0;
        m_parser.reset();
    }

    bool send(const QByteArray &bytes)
    {
        int done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += int(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                settle(1);  // let the simulator take some
            } else {
                return false;
            }
        }
        return true;
    }

    bool waitBytes(int n, int ms) { return waitUntil([&] { return m_in.size() >= n; }, ms); }

    // The next frame in what has arrived, waiting up to ms for it.
    Reply reply(int ms = 1000)
    {
        Reply r;
        waitUntil(
                [&] {
                    if (r.result != FrameParser::NeedMore)
                        return true;
                    while (m_pos < m_in.size()) {
                        const auto res = m_parser.feed(quint8(m_in.at(m_pos++)));
                        if (res != FrameParser::NeedMore) {
                            r.result = res;
                            r.payload = m_parser.payload();
                            return true;
                        }
                    }
                    return false;
                },
                ms);
        return r;
    }

    Reply exchange(const QByteArray &frame, int ms = 1000)
    {
        if (!send(frame))
            return Reply();
        return reply(ms);
    }

private:
    void readable()
    {
        char buf[8192];
        for (;;) {
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0) {
                m_in.append(buf, int(n));
                m_arrivals.append(clockNs());
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                // The other end has closed the terminal.
                m_hungUp = true;
                m_notifier->setEnabled(false);
            }
            return;
        }
    }

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_in;
    QVector<qint64> m_arrivals;
    int m_pos = 0;
    FrameParser m_parser;
    bool m_hungUp = false;
};

}  // namespace

class TestDevsim : public QObject
{
    Q_OBJECT

private slots:
    // The memory map and its answers, without a line.
    void factoryContent();
    void read_data();
    void read();
    void write_data();
    void write();
    void otherOperations_data();
    void otherOperations();
    void versionRecord_data();
    void versionRecord();
    void stateRoundTrip();
    void stateRejected_data();
    void stateRejected();
    void firmwareImage_data();
    void firmwareImage();

    // Over a pseudo-terminal.
    void wireExample();
    void readsOverLine_data();
    void readsOverLine();
    void writesOverLine_data();
    void writesOverLine();
    void requestsRecorded();

    // Faults on purpose.
    void noReply_data();
    void noReply();
    void corruptChecksum_data();
    void corruptChecksum();
    void refuseWrite_data();
    void refuseWrite();
    void delay_data();
    void delay();
    void bytewise_data();
    void bytewise();
    void garbageBeforeReply_data();
    void garbageBeforeReply();
    void versionByte_data();
    void versionByte();
    void disconnectAfter_data();
    void disconnectAfter();
    void baudPacing_data();
    void baudPacing();

    // What a real line may bring.
    void ignoredFrames_data();
    void ignoredFrames();
    void oversizedLength_data();
    void oversizedLength();
    void truncatedFrame_data();
    void truncatedFrame();
    void fuzz_data();
    void fuzz();
    void backToBack();

    // Files.
    void stateFile();
    void stateFileInvalid();
    void firmwareDump();
};

// --- memory map ---------------------------------------------------------------------------

void TestDevsim::factoryContent()
{
    QByteArray sys(proto::kSysParSize, '\0');
    for (int k = 0; k < 7; ++k) {
        qToLittleEndian<quint16>(1, sys.data() + 4 * k);
        qToLittleEndian<quint16>(220, sys.data() + 4 * k + 2);
    }
    sys[28] = 1;
    sys[29] = 50;
    sys[30] = 30;
    sys[31] = char(90 - 40);
    sys[32] = char(12 - 2);
    QByteArray hw(proto::kHardwParSize, '\0');
    const quint16 hwValues[] = {200, 460, 740, 500, 1200};
    for (int i = 0; i < 5; ++i)
        qToLittleEndian<quint16>(hwValues[i], hw.data() + 2 * i);

    Device d;
    QCOMPARE(d.peek(proto::kSysParAddr, proto::kSysParSize), sys);
    QCOMPARE(d.peek(proto::kHardwParAddr, proto::kHardwParSize), hw);
    QCOMPARE(d.peek(proto::kVersionAddr, 4), hexBytes("00650501"));
    QCOMPARE(d.peek(proto::kFirmwareBase, int(proto::kImageLimit)),
             QByteArray(int(proto::kImageLimit), '\xFF'));
    QVERIFY(d.firmwareImage().isEmpty());

    // Changing the device does not change what a fresh one starts from.
    d.handle(makeRequest(proto::kOpWrite, proto::kSysParAddr, 2, "\x07\x07"));
    QCOMPARE(Device().peek(proto::kSysParAddr, proto::kSysParSize), sys);
    d.reset();
    QCOMPARE(d.peek(proto::kSysParAddr, proto::kSysParSize), sys);
}

void TestDevsim::read_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("inside");

    const quint32 v = proto::kVersionAddr, fw = proto::kFirmwareBase, sys = proto::kSysParAddr,
                  hw = proto::kHardwParAddr;
    QTest::newRow("version record") << v << 4 << true;
    QTest::newRow("version last byte") << v + 3 << 1 << true;
    QTest::newRow("version past its end") << v + 2 << 4 << false;
    QTest::newRow("just before version") << v - 1 << 2 << false;
    QTest::newRow("gap after version") << v + 4 << 1 << false;
    QTest::newRow("firmware first chunk") << fw << 1024 << true;
    QTest::newRow("firmware last chunk") << sys - 1024 << 1024 << true;
    QTest::newRow("firmware last byte") << sys - 1 << 1 << true;
    QTest::newRow("firmware into system") << sys - 1 << 2 << false;
    QTest::newRow("count above 1024") << fw << 1025 << false;
    QTest::newRow("count 65535") << fw << 65535 << false;
    QTest::newRow("system block") << sys << 34 << true;
    QTest::newRow("system tail bytes") << sys + 28 << 6 << true;
    QTest::newRow("system one too many") << sys << 35 << false;
    QTest::newRow("after system") << sys + 34 << 1 << false;
    QTest::newRow("hardware block") << hw << 10 << true;
    QTest::newRow("hardware one too many") << hw << 11 << false;
    QTest::newRow("after hardware") << hw + 10 << 1 << false;
    QTest::newRow("address wraps") << 0xFFFFFFFFu << 2 << false;
    QTest::newRow("address zero") << 0u << 4 << false;
}

void TestDevsim::read()
{
    QFETCH(quint32, address);
    QFETCH(int, count);
    QFETCH(bool, inside);

    Device d;
    for (const Span &s : kRegions)
        d.poke(s.base, patternBytes(s.base, s.size));
    const QByteArray before = snapshot(d);

    const QByteArray reply = d.handle(makeRequest(proto::kOpRead, address, quint16(count)));
    QCOMPARE(reply, inside ? patternBytes(address, count) : QByteArray());
    QCOMPARE(snapshot(d), before);
}

void TestDevsim::write_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<bool>("stored");

    const quint32 v = proto::kVersionAddr, fw = proto::kFirmwareBase, sys = proto::kSysParAddr,
                  hw = proto::kHardwParAddr;
    QTest::newRow("system block") << sys << 34 << 34 << true;
    QTest::newRow("system tail bytes") << sys + 28 << 6 << 6 << true;
    QTest::newRow("hardware block") << hw << 10 << 10 << true;
    QTest::newRow("firmware first chunk") << fw << 1024 << 1024 << true;
    QTest::newRow("firmware last chunk") << sys - 1024 << 1024 << 1024 << true;
    QTest::newRow("firmware last byte") << sys - 1 << 1 << 1 << true;
    QTest::newRow("empty write inside") << sys << 0 << 0 << true;
    QTest::newRow("version record") << v << 4 << 4 << false;
    QTest::newRow("version byte") << v + 1 << 1 << 1 << false;
    QTest::newRow("count above 1024") << fw << 1025 << 1025 << false;
    QTest::newRow("data short of count") << sys << 34 << 33 << false;
    QTest::newRow("data beyond count") << hw << 9 << 10 << false;
    QTest::newRow("data without count") << hw << 0 << 2 << false;
    QTest::newRow("firmware into system") << sys - 2 << 4 << 4 << false;
    QTest::newRow("system one too many") << sys << 35 << 35 << false;
    QTest::newRow("hardware past its end") << hw + 8 << 4 << 4 << false;
    QTest::newRow("gap between blocks") << sys + 0x100 << 1 << 1 << false;
    QTest::newRow("empty write outside") << sys + 0x100 << 0 << 0 << false;
    QTest::newRow("address wraps") << 0xFFFFFFFEu << 4 << 4 << false;
}

void TestDevsim::write()
{
    QFETCH(quint32, address);
    QFETCH(int, count);
    QFETCH(int, dataSize);
    QFETCH(bool, stored);

    Device d;
    const QByteArray before = snapshot(d);
    const QByteArray data = patternBytes(address, dataSize);
    const QByteArray ack = d.handle(makeRequest(proto::kOpWrite, address, quint16(count), data));

    QCOMPARE(ack, QByteArray(1, stored ? '\1' : '\0'));
    QCOMPARE(d.lastWriteStored(), stored);
    if (stored) {
        QCOMPARE(d.peek(address, count), data);
        // Nothing around the range moved.
        Device expected;
        expected.poke(address, data);
        QCOMPARE(snapshot(d), snapshot(expected));
    } else {
        QCOMPARE(snapshot(d), before);
    }

    // Refusing on purpose leaves memory alone even where the write would have been stored.
    Device refused;
    QCOMPARE(refused.handle(makeRequest(proto::kOpWrite, address, quint16(count), data), true),
             QByteArray(1, '\0'));
    QCOMPARE(snapshot(refused), before);
}

void TestDevsim::otherOperations_data()
{
    QTest::addColumn<int>("operation");
    for (int op : {0, 1, 2, 5, 0x83, 0x84, 255})
        QTest::addRow("operation %d", op) << op;
}

void TestDevsim::otherOperations()
{
    QFETCH(int, operation);
    Device d;
    const QByteArray before = snapshot(d);
    QCOMPARE(d.handle(makeRequest(operation, proto::kSysParAddr, 4, "\1\2\3\4")), QByteArray());
    QCOMPARE(d.handle(makeRequest(operation, proto::kSysParAddr, 4)), QByteArray());
    QCOMPARE(snapshot(d), before);
}

void TestDevsim::versionRecord_data()
{
    QTest::addColumn<int>("versionByte");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("major");
    QTest::newRow("known device 2.12") << 0x65 << 12 << 2;
    QTest::newRow("unknown device") << 0x66 << 5 << 1;
    QTest::newRow("all zero") << 0 << 0 << 0;
    QTest::newRow("all ones") << 0xFF << 255 << 255;
}

void TestDevsim::versionRecord()
{
    QFETCH(int, versionByte);
    QFETCH(int, minor);
    QFETCH(int, major);
    const QByteArray expected = bytes({0, versionByte, minor, major});

    Device d;
    d.setVersion(quint8(versionByte), quint8(minor), quint8(major));
    QCOMPARE(d.handle(makeRequest(proto::kOpRead, proto::kVersionAddr, 4)), expected);
    Device fresh;
    fresh.reset(quint8(versionByte), quint8(minor), quint8(major));
    QCOMPARE(fresh.peek(proto::kVersionAddr, 4), expected);
}

void TestDevsim::stateRoundTrip()
{
    Device d;
    const QByteArray fw = patternBytes(proto::kFirmwareBase, 1500);
    const QByteArray sys = patternBytes(proto::kSysParAddr, proto::kSysParSize);
    const QByteArray hw = patternBytes(proto::kHardwParAddr, proto::kHardwParSize);
    d.handle(makeRequest(proto::kOpWrite, proto::kFirmwareBase, 1024, fw.left(1024)));
    d.handle(makeRequest(proto::kOpWrite, proto::kFirmwareBase + 1024, 476, fw.mid(1024)));
    d.handle(makeRequest(proto::kOpWrite, proto::kSysParAddr, 34, sys));
    d.handle(makeRequest(proto::kOpWrite, proto::kHardwParAddr, 10, hw));

    const QByteArray state = d.saveState();
    QCOMPARE(state.size(), Device::stateSize());

    // The version record belongs to the device, not to the saved memory.
    Device other;
    other.setVersion(0x65, 9, 3);
    QString error;
    QVERIFY2(other.loadState(state, &error), qPrintable(error));
    QCOMPARE(other.peek(proto::kFirmwareBase, 1500), fw);
    QCOMPARE(other.peek(proto::kFirmwareBase + 1500, 10), QByteArray(10, '\xFF'));
    QCOMPARE(other.peek(proto::kSysParAddr, proto::kSysParSize), sys);
    QCOMPARE(other.peek(proto::kHardwParAddr, proto::kHardwParSize), hw);
    QCOMPARE(other.peek(proto::kVersionAddr, 4), hexBytes("00650903"));
    QCOMPARE(other.saveState(), state);
}

void TestDevsim::stateRejected_data()
{
    QTest::addColumn<QByteArray>("state");
    const QByteArray good = Device().saveState();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one byte short") << good.left(good.size() - 1);
    QTest::newRow("one byte long") << good + '\0';
    QByteArray tag = good;
    tag[0] = 'X';
    QTest::newRow("wrong tag") << tag;
    QTest::newRow("raw memory without tag") << good.mid(8) + QByteArray(8, '\xFF');
}

void TestDevsim::stateRejected()
{
    QFETCH(QByteArray, state);
    Device d;
    d.poke(proto::kSysParAddr, "\x11\x22");
    const QByteArray before = snapshot(d);
    QString error;
    QVERIFY(!d.loadState(state, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(snapshot(d), before);
}

void TestDevsim::firmwareImage_data()
{
    QTest::addColumn<QVector<int>>("chunkSizes");  // written one after the other from the base
    QTest::addColumn<int>("erasedTail");          // that many of the last written bytes are FF
    QTest::addColumn<int>("expectedSize");

    QTest::newRow("nothing written") << QVector<int>{} << 0 << 0;
    QTest::newRow("one short chunk") << QVector<int>{100} << 0 << 100;
    QTest::newRow("chunk and a bit") << QVector<int>{1024, 476} << 0 << 1500;
    QTest::newRow("image ending in FF") << QVector<int>{1024, 1} << 40 << 1025;
    QTest::newRow("whole region") << QVector<int>(53, 1024) << 0 << int(proto::kImageLimit);
}

void TestDevsim::firmwareImage()
{
    QFETCH(QVector<int>, chunkSizes);
    QFETCH(int, erasedTail);
    QFETCH(int, expectedSize);

    int total = 0;
    for (int n : chunkSizes)
        total += n;
    QByteArray image = patternBytes(0, total).replace('\xFF', '\x01');
    for (int i = 0; i < erasedTail && i < total; ++i)
        image[total - 1 - i] = '\xFF';

    Device d;
    int offset = 0;
    for (int n : chunkSizes) {
        QCOMPARE(d.handle(makeRequest(proto::kOpWrite, proto::kFirmwareBase + quint32(offset),
                                      quint16(n), image.mid(offset, n))),
                 QByteArray(1, '\1'));
        offset += n;
    }
    QCOMPARE(d.firmwareImage(), image.left(expectedSize));

    // A programmed byte further up, not written by a request, still shows in the image.
    d.poke(proto::kFirmwareBase + 5000, "\x42");
    QCOMPARE(d.firmwareImage().size(), qMax(expectedSize, 5001));
}

// --- over the line ------------------------------------------------------------------------

#define START_SIM(sim, line, opts)                                                        \
    Simulator sim{opts};                                                                  \
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));                                 \
    Line line(sim.slavePath());                                                           \
    QVERIFY2(line.isOpen(), qPrintable(sim.slavePath()))

void TestDevsim::wireExample()
{
    Simulator sim{SimOptions()};
    QVERIFY2(sim.start(), qPrintable(sim.errorString()));
    QVERIFY(sim.slavePath().startsWith(QLatin1String("/dev/")));

    // The program closes and reopens its end between requests.
    for (int round = 0; round < 2; ++round) {
        Line line(sim.slavePath());
        QVERIFY(line.isOpen());
        QVERIFY(line.send(hexBytes("55AA0800040020000804000030")));
        QVERIFY(line.waitBytes(9, 1000));
        settle(10);
        QCOMPARE(line.received().toHex(' '), QByteArray("55 aa 04 00 00 65 05 01 6b"));
    }
    QCOMPARE(sim.requestCount(), 2);
}

void TestDevsim::readsOverLine_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("inside");
    QTest::newRow("version record") << proto::kVersionAddr << 4 << true;
    QTest::newRow("system block") << proto::kSysParAddr << 34 << true;
    QTest::newRow("hardware block") << proto::kHardwParAddr << 10 << true;
    QTest::newRow("firmware chunk") << proto::kFirmwareBase + 2048 << 1024 << true;
    QTest::newRow("outside") << quint32(0x08000000) << 4 << false;
    QTest::newRow("count above 1024") << proto::kFirmwareBase << 1025 << false;
    QTest::newRow("across two regions") << proto::kSysParAddr - 2 << 4 << false;
}

void TestDevsim::readsOverLine()
{
    QFETCH(quint32, address);
    QFETCH(int, count);
    QFETCH(bool, inside);

    START_SIM(sim, line, SimOptions());
    for (const Span &s : kRegions)
        sim.setMemory(s.base, patternBytes(s.base, s.size));

    const Line::Reply r =
            line.exchange(requestFrame(proto::kOpRead, address, quint16(count)));
    QCOMPARE(r.result, FrameParser::Frame);
    QCOMPARE(r.payload, inside ? patternBytes(address, count) : QByteArray());
}

void TestDevsim::writesOverLine_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<bool>("stored");
    QTest::newRow("system block") << proto::kSysParAddr << 34 << 34 << true;
    QTest::newRow("hardware block") << proto::kHardwParAddr << 10 << 10 << true;
    QTest::newRow("firmware chunk") << proto::kFirmwareBase + 1024 << 1024 << 1024 << true;
    QTest::newRow("version record") << proto::kVersionAddr << 4 << 4 << false;
    QTest::newRow("outside") << quint32(0x08000000) << 4 << 4 << false;
    QTest::newRow("count differs from data") << proto::kSysParAddr << 34 << 30 << false;
    QTest::newRow("count above 1024") << proto::kFirmwareBase << 1025 << 1024 << false;
}

void TestDevsim::writesOverLine()
{
    QFETCH(quint32, address);
    QFETCH(int, count);
    QFETCH(int, dataSize);
    QFETCH(bool, stored);

    START_SIM(sim, line, SimOptions());
    const QByteArray before = snapshot(sim);
    const QByteArray data = patternBytes(address, dataSize);
    const Line::Reply r =
            line.exchange(requestFrame(proto::kOpWrite, address, quint16(count), data));
    QCOMPARE(r.result, FrameParser::Frame);
    QCOMPARE(r.payload, QByteArray(1, stored ? '\1' : '\0'));
    if (stored)
        QCOMPARE(sim.memory(address, count), data);
    else
        QCOMPARE(snapshot(sim), before);
}

void TestDevsim::requestsRecorded()
{
    START_SIM(sim, line, SimOptions());
    QSignalSpy handled(&sim, &Simulator::requestHandled);
    const QList<Request> sent = {
        makeRequest(proto::kOpRead, proto::kVersionAddr, 4),
        makeRequest(proto::kOpWrite, proto::kHardwParAddr, 10, patternBytes(1, 10)),
        makeRequest(7, 0x12345678, 3, "abc"),
        makeRequest(proto::kOpWrite, proto::kSysParAddr, 5, "xy"),
    };
    for (const Request &q : sent) {
        const Line::Reply r = line.exchange(encodeFrame(requestBody(q.operation, q.address,
                                                                    q.count, q.data)));
        QCOMPARE(r.result, FrameParser::Frame);
    }
    QCOMPARE(sim.requestCount(), sent.size());
    QCOMPARE(handled.count(), sent.size());
    const QList<Request> got = sim.requests();
    QCOMPARE(got.size(), sent.size());
    for (int i = 0; i < sent.size(); ++i) {
        QCOMPARE(got[i].operation, sent[i].operation);
        QCOMPARE(got[i].address, sent[i].address);
        QCOMPARE(got[i].count, sent[i].count);
        QCOMPARE(got[i].data, sent[i].data);
        const Request fromSignal = handled.at(i).at(0).value<Request>();
        QCOMPARE(fromSignal.address, sent[i].address);
        QCOMPARE(fromSignal.data, sent[i].data);
    }
}

// --- faults -------------------------------------------------------------------------------

void TestDevsim::noReply_data()
{
    QTest::addColumn<int>("silent");
    QTest::newRow("first") << 1;
    QTest::newRow("second") << 2;
    QTest::newRow("third") << 3;
    QTest::newRow("none") << 0;
}

void TestDevsim::noReply()
{
    QFETCH(int, silent);
    SimOptions o;
    o.noReplyTo = silent;
    START_SIM(sim, line, o);

    for (int n = 1; n <= 3; ++n) {
        const QByteArray data(1, char(0x10 + n));
        const Line::Reply r = line.exchange(
                requestFrame(proto::kOpWrite, proto::kFirmwareBase + quint32(n), 1, data),
                n == silent ? 80 : 1000);
        if (n == silent) {
            QCOMPARE(r.result, FrameParser::NeedMore);
            QVERIFY(line.received().isEmpty());
        } else {
            QCOMPARE(r.result, FrameParser::Frame);
            QCOMPARE(r.payload, QByteArray(1, '\1'));
        }
        line.clear();
    }
    // Only the reply goes missing: every write was carried out.
    QCOMPARE(sim.memory(proto::kFirmwareBase + 1, 3), hexBytes("111213"));
    QCOMPARE(sim.requestCount(), 3);
}

void TestDevsim::corruptChecksum_data()
{
    QTest::addColumn<int>("corrupt");
    QTest::newRow("first") << 1;
    QTest::newRow("third") << 3;
    QTest::newRow("none") << 0;
}

void TestDevsim::corruptChecksum()
{
    QFETCH(int, corrupt);
    SimOptions o;
    o.corruptReplyTo = corrupt;
    START_SIM(sim, line, o);

    for (int n = 1; n <= 3; ++n) {
        line.clear();
        const Line::Reply r = line.exchange(
                requestFrame(proto::kOpRead, proto::kHardwParAddr, proto::kHardwParSize));
        QCOMPARE(r.result, n == corrupt ? FrameParser::BadChecksum : FrameParser::Frame);
        // The payload itself arrives intact; only the sum is off.
        QCOMPARE(r.payload, Device::factoryHardwareBlock());
        QCOMPARE(line.received().size(), proto::kHardwParSize + 5);
    }
}

void TestDevsim::refuseWrite_data()
{
    QTest::addColumn<int>("refused");  // counts writes only
    QTest::newRow("first write") << 1;
    QTest::newRow("second write") << 2;
    QTest::newRow("third write") << 3;
    QTest::newRow("none") << 0;
}

void TestDevsim::refuseWrite()
{
    QFETCH(int, refused);
    SimOptions o;
    o.refuseWrite = refused;
    START_SIM(sim, line, o);

    const QByteArray sysA = patternBytes(1, 34), hwB = patternBytes(2, 10),
                     sysC = patternBytes(3, 34);
    const QList<Request> plan = {
        makeRequest(proto::kOpWrite, proto::kSysParAddr, 34, sysA),
        makeRequest(proto::kOpRead, proto::kVersionAddr, 4),
        makeRequest(proto::kOpWrite, proto::kHardwParAddr, 10, hwB),
        makeRequest(proto::kOpWrite, proto::kSysParAddr, 34, sysC),
    };
    Device model;
    int writes = 0;
    for (const Request &q : plan) {
        line.clear();
        const Line::Reply r =
                line.exchange(encodeFrame(requestBody(q.operation, q.address, q.count, q.data)));
        QCOMPARE(r.result, FrameParser::Frame);
        if (q.operation != proto::kOpWrite) {
            QCOMPARE(r.payload, hexBytes("00650501"));
            continue;
        }
        const bool refuse = ++writes == refused;
        QCOMPARE(r.payload, QByteArray(1, refuse ? '\0' : '\1'));
        if (!refuse)
            model.poke(q.address, q.data);
    }
    QCOMPARE(snapshot(sim), snapshot(model));
}

void TestDevsim::delay_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::newRow("none") << 0;
    QTest::newRow("100 ms") << 100;
}

void TestDevsim::delay()
{
    QFETCH(int, delayMs);
    SimOptions o;
    o.delayMs = delayMs;
    START_SIM(sim, line, o);

    for (int round = 0; round < 2; ++round) {
        line.clear();
        const qint64 t0 = clockNs();
        const Line::Reply r = line.exchange(versionRead(), delayMs + 1000);
        QCOMPARE(r.result, FrameParser::Frame);
        const double ms = (line.lastAt() - t0) / 1e6;
        QVERIFY2(ms >= delayMs, qPrintable(QString::number(ms)));
        QVERIFY2(ms < delayMs + 40, qPrintable(QString::number(ms)));
    }
}

void TestDevsim::bytewise_data()
{
    QTest::addColumn<bool>("bytewise");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("replySize");
    QTest::newRow("version, bytewise") << true << versionRead() << 9;
    QTest::newRow("hardware, bytewise")
            << true << requestFrame(proto::kOpRead, proto::kHardwParAddr, 10) << 15;
    QTest::newRow("hardware, at once")
            << false << requestFrame(proto::kOpRead, proto::kHardwParAddr, 10) << 15;
}

void TestDevsim::bytewise()
{
    QFETCH(bool, bytewise);
    QFETCH(QByteArray, request);
    QFETCH(int, replySize);
    SimOptions o;
    o.bytewise = bytewise;
    START_SIM(sim, line, o);

    const Line::Reply r = line.exchange(request);
    QCOMPARE(r.result, FrameParser::Frame);
    QCOMPARE(line.received().size(), replySize);
    if (bytewise) {
        // One byte a write, a millisecond apart: the reader cannot get them all at once.
        QVERIFY2(line.reads() > replySize / 2, qPrintable(QString::number(line.reads())));
        QVERIFY(line.lastAt() - line.firstAt() >= (replySize - 1) * 900000LL);
    } else {
        QCOMPARE(line.reads(), 1);
    }
}

void TestDevsim::garbageBeforeReply_data()
{
    QTest::addColumn<QByteArray>("garbage");
    QTest::newRow("one zero") << hexBytes("00");
    QTest::newRow("stray sync byte") << hexBytes("55");
    QTest::newRow("false frame start") << hexBytes("FF55AA00");
    QTest::newRow("twenty bytes") << patternBytes(77, 20);
}

void TestDevsim::garbageBeforeReply()
{
    QFETCH(QByteArray, garbage);
    SimOptions o;
    o.garbage = garbage;
    START_SIM(sim, line, o);

    for (int round = 0; round < 2; ++round) {
        line.clear();
        const QByteArray expected = garbage + encodeFrame(hexBytes("00650501"));
        QVERIFY(line.send(versionRead()));
        QVERIFY(line.waitBytes(expected.size(), 1000));
        settle(10);
        QCOMPARE(line.received(), expected);
    }
}

void TestDevsim::versionByte_data()
{
    QTest::addColumn<int>("versionByte");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("major");
    QTest::newRow("wrong version byte") << 0x66 << 5 << 1;
    QTest::newRow("zero version byte") << 0x00 << 5 << 1;
    QTest::newRow("version 2.12") << 0x65 << 12 << 2;
}

void TestDevsim::versionByte()
{
    QFETCH(int, versionByte);
    QFETCH(int, minor);
    QFETCH(int, major);
    SimOptions o;
    o.versionByte = quint8(versionByte);
    o.minor = quint8(minor);
    o.major = quint8(major);
    START_SIM(sim, line, o);

    Line::Reply r = line.exchange(versionRead());
    QCOMPARE(r.result, FrameParser::Frame);
    QCOMPARE(r.payload, bytes({0, versionByte, minor, major}));

    // A change between requests shows in the next answer.
    sim.options().versionByte = 0x42;
    r = line.exchange(versionRead());
    QCOMPARE(r.payload, bytes({0, 0x42, minor, major}));
    sim.setMemory(proto::kVersionAddr + 2, "\x09");
    r = line.exchange(versionRead());
    QCOMPARE(r.payload, bytes({0, 0x42, 9, major}));
    QCOMPARE(sim.options().minor, quint8(9));
}

void TestDevsim::disconnectAfter_data()
{
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("readLate");  // the program reads the last reply only later
    QTest::newRow("first") << 1 << false;
    QTest::newRow("third") << 3 << false;
    QTest::newRow("second, read late") << 2 << true;
}

void TestDevsim::disconnectAfter()
{
    QFETCH(int, after);
    QFETCH(bool, readLate);
    SimOptions o;
    o.disconnectAfter = after;
    START_SIM(sim, line, o);
    QSignalSpy gone(&sim, &Simulator::disconnected);

    for (int n = 1; n <= after; ++n) {
        line.clear();
        if (n == after && readLate) {
            line.pause(true);
            QVERIFY(line.send(versionRead()));
            // The line stays until its last reply has been taken.
            QVERIFY(!waitUntil([&] { return gone.count() > 0; }, 100));
            line.pause(false);
            const Line::Reply r = line.reply();
            QCOMPARE(r.result, FrameParser::Frame);
            break;
        }
        const Line::Reply r = line.exchange(versionRead());
        QCOMPARE(r.result, FrameParser::Frame);
        QCOMPARE(r.payload, hexBytes("00650501"));
        if (n < after)
            QCOMPARE(gone.count(), 0);
    }
    QVERIFY(waitUntil([&] { return gone.count() == 1; }, 1000));
    QVERIFY(!sim.isServing());
    QVERIFY(waitUntil([&] { return line.hungUp(); }, 1000));

    line.clear();
    line.send(versionRead());
    QCOMPARE(line.reply(50).result, FrameParser::NeedMore);
    QCOMPARE(sim.requestCount(), after);
}

void TestDevsim::baudPacing_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("replySize");
    QTest::newRow("9600, full chunk written")
            << 9600
            << requestFrame(proto::kOpWrite, proto::kFirmwareBase, 1024,
                            patternBytes(0, 1024))
            << 6;
    QTest::newRow("57600, full chunk read")
            << 57600 << requestFrame(proto::kOpRead, proto::kFirmwareBase, 1024) << 1029;
}

void TestDevsim::baudPacing()
{
    QFETCH(int, baud);
    QFETCH(QByteArray, request);
    QFETCH(int, replySize);
    SimOptions o;
    o.baud = baud;
    START_SIM(sim, line, o);
    qint64 handledAt = -1;
    connect(&sim, &Simulator::requestHandled, this, [&] { handledAt = clockNs(); });

    const double byteNs = 1e10 / baud;
    const qint64 t0 = clockNs();
    QVERIFY(line.send(request));
    QVERIFY(line.waitBytes(replySize, 5000));

    const double total = line.lastAt() - t0;
    const double expected = (request.size() + replySize) * byteNs;
    qInfo("%d baud: %d + %d bytes in %.2f ms, line time %.2f ms (%+.3f%%)", baud,
          int(request.size()), replySize, total / 1e6, expected / 1e6,
          100.0 * (total - expected) / expected);

    // Not handled before the request could have arrived, not answered faster than the line.
    QVERIFY(handledAt - t0 >= request.size() * byteNs);
    QVERIFY(line.firstAt() - t0 >= (request.size() + 1) * byteNs);
    // Paced, not dumped at once; a late start may let the first bytes go out together.
    QVERIFY(line.reads() >= 2);
    QVERIFY(line.lastAt() - line.firstAt() >= 0.9 * (replySize - 1) * byteNs - 3e6);
    QVERIFY(total >= expected);
    // Timers tick in whole milliseconds and a busy machine adds some more.
    QVERIFY2(total <= expected * 1.005 + 5e6, qPrintable(QString::number(total / expected)));
    QCOMPARE(line.reply().result, FrameParser::Frame);
}

// --- what a line may bring ----------------------------------------------------------------

void TestDevsim::ignoredFrames_data()
{
    QTest::addColumn<QByteArray>("junk");
    QByteArray bad = versionRead();
    bad[bad.size() - 1] = char(bad.at(bad.size() - 1) + 1);
    QTest::newRow("bad checksum") << bad;
    QTest::newRow("empty body") << encodeFrame(QByteArray());
    QTest::newRow("seven-byte body") << encodeFrame(hexBytes("04002000080400"));
    QTest::newRow("sync pair alone") << hexBytes("55AA");
    QTest::newRow("noise") << hexBytes("00FF5500AA55");
}

void TestDevsim::ignoredFrames()
{
    QFETCH(QByteArray, junk);
    SimOptions o;
    o.resyncGapMs = 10;
    START_SIM(sim, line, o);

    QVERIFY(line.send(junk));
    QCOMPARE(line.reply(30).result, FrameParser::NeedMore);
    QCOMPARE(sim.requestCount(), 0);

    settle(15);
    // Stray 0x55 bytes right before the sync pair do not hide the frame.
    const Line::Reply r = line.exchange(hexBytes("5555") + versionRead());
    QCOMPARE(r.result, FrameParser::Frame);
    QCOMPARE(r.payload, hexBytes("00650501"));
    QCOMPARE(sim.requestCount(), 1);
}

void TestDevsim::oversizedLength_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("following");  // bytes of the announced body that actually come
    QTest::newRow("1033, cut short") << 1033 << 100;
    QTest::newRow("65535, cut short") << 65535 << 10;
    QTest::newRow("65535, all of it") << 65535 << 65536;
}

void TestDevsim::oversizedLength()
{
    QFETCH(int, length);
    QFETCH(int, following);
    SimOptions o;
    o.resyncGapMs = 0;  // the recovery must not rely on a pause
    START_SIM(sim, line, o);

    QByteArray junk = hexBytes("55AA");
    junk.append(char(length & 0xFF)).append(char(length >> 8));
    junk.append(QByteArray(following, '\0'));
    QVERIFY(line.send(junk));
    const Line::Reply r = line.exchange(versionRead());
    QCOMPARE(r.result, FrameParser::Frame);
    QCOMPARE(r.payload, hexBytes("00650501"));
    QCOMPARE(sim.requestCount(), 1);
}

void TestDevsim::truncatedFrame_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("recovered");
    QTest::newRow("dropped after silence") << 20 << true;
    QTest::newRow("kept without a gap limit") << 0 << false;
}

void TestDevsim::truncatedFrame()
{
    QFETCH(int, gapMs);
    QFETCH(bool, recovered);
    SimOptions o;
    o.resyncGapMs = gapMs;
    START_SIM(sim, line, o);

    // A request cut off after its header start; the next one would fill its body.
    QVERIFY(line.send(versionRead().left(6)));
    settle(50);
    const Line::Reply r = line.exchange(versionRead(), recovered ? 1000 : 80);
    if (recovered) {
        QCOMPARE(r.result, FrameParser::Frame);
        QCOMPARE(r.payload, hexBytes("00650501"));
        QCOMPARE(sim.requestCount(), 1);
    } else {
        QCOMPARE(r.result, FrameParser::NeedMore);
        QCOMPARE(sim.requestCount(), 0);
    }
}

void TestDevsim::fuzz_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("baud");
    QTest::newRow("seed 1") << 1u << 0;
    QTest::newRow("seed 2") << 2u << 0;
    QTest::newRow("seed 3, paced") << 3u << 1000000;
}

void TestDevsim::fuzz()
{
    QFETCH(quint32, seed);
    QFETCH(int, baud);
    SimOptions o;
    o.resyncGapMs = 20;
    o.baud = baud;
    START_SIM(sim, line, o);

    QRandomGenerator rng(seed);
    const QByteArray headers[] = {hexBytes("55AAFFFF"), hexBytes("55AA0904"), hexBytes("55AA0004"),
                                  hexBytes("55AA0800"), hexBytes("55AA0000"), hexBytes("5555AA")};
    QByteArray junk;
    while (junk.size() < 4000) {
        if (rng.bounded(8) == 0)
            junk += headers[rng.bounded(int(std::size(headers)))];
        const int n = rng.bounded(1, 60);
        for (int i = 0; i < n; ++i)
            junk += char(rng.bounded(256));
    }
    for (int pos = 0; pos < junk.size();) {
        const int n = rng.bounded(1, 300);
        QVERIFY(line.send(junk.mid(pos, n)));
        pos += n;
        if (rng.bounded(4) == 0)
            settle(1);
    }
    QVERIFY(sim.isServing());

    settle(100);
    line.clear();
    const Line::Reply r = line.exchange(versionRead());
    QCOMPARE(r.result, FrameParser::Frame);
    QCOMPARE(r.payload, hexBytes("00650501"));
    const Request last = sim.requests().last();
    QCOMPARE(last.operation, proto::kOpRead);
    QCOMPARE(last.address, proto::kVersionAddr);
}

void TestDevsim::backToBack()
{
    START_SIM(sim, line, SimOptions());
    const QByteArray sys = patternBytes(5, 34);
    QVERIFY(line.send(requestFrame(proto::kOpWrite, proto::kSysParAddr, 34, sys)
                      + requestFrame(proto::kOpRead, proto::kSysParAddr, 34)
                      + versionRead()));
    Line::Reply r = line.reply();
    QCOMPARE(r.payload, QByteArray(1, '\1'));
    r = line.reply();
    QCOMPARE(r.payload, sys);
    r = line.reply();
    QCOMPARE(r.payload, hexBytes("00650501"));
    QCOMPARE(sim.requestCount(), 3);
}

// --- files --------------------------------------------------------------------------------

void TestDevsim::stateFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SimOptions o;
    o.statePath = dir.filePath(QStringLiteral("device.state"));
    const QByteArray sys = patternBytes(9, 34), fw = patternBytes(10, 700);
    {
        START_SIM(sim, line, o);
        QVERIFY(!QFile::exists(o.statePath));
        QCOMPARE(line.exchange(requestFrame(proto::kOpWrite, proto::kSysParAddr, 34, sys)).payload,
                 QByteArray(1, '\1'));
        // Saved right after the write, not only at exit.
        QFile f(o.statePath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), qint64(Device::stateSize()));
        f.close();
        line.clear();
        QCOMPARE(line.exchange(requestFrame(proto::kOpWrite, proto::kFirmwareBase, 700, fw))
                         .payload,
                 QByteArray(1, '\1'));
        // A refused write changes nothing on disk either.
        line.clear();
        QCOMPARE(line.exchange(requestFrame(proto::kOpWrite, proto::kVersionAddr, 4, "abcd"))
                         .payload,
                 QByteArray(1, '\0'));
        sim.stop();
    }
    {
        o.minor = 7;
        START_SIM(sim, line, o);
        QCOMPARE(sim.memory(proto::kSysParAddr, 34), sys);
        QCOMPARE(line.exchange(requestFrame(proto::kOpRead, proto::kFirmwareBase, 701)).payload,
                 fw + '\xFF');
        line.clear();
        QCOMPARE(line.exchange(versionRead()).payload, hexBytes("00650701"));
        QCOMPARE(sim.memory(proto::kHardwParAddr, 10), Device::factoryHardwareBlock());
    }
}

void TestDevsim::stateFileInvalid()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SimOptions o;
    o.statePath = dir.filePath(QStringLiteral("broken.state"));
    QFile f(o.statePath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a state");
    f.close();

    Simulator sim(o);
    QVERIFY(!sim.start());
    QVERIFY(sim.errorString().contains(o.statePath));
    QVERIFY(sim.slavePath().isEmpty());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("not a state"));
}

void TestDevsim::firmwareDump()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SimOptions o;
    o.firmwareDump = dir.filePath(QStringLiteral("fw.bin"));
    START_SIM(sim, line, o);

    const QByteArray image = patternBytes(3, 1500);
    auto dumped = [&] {
        QFile f(o.firmwareDump);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
    };
    QCOMPARE(line.exchange(requestFrame(proto::kOpWrite, proto::kFirmwareBase, 1024,
                                        image.left(1024)))
                     .payload,
             QByteArray(1, '\1'));
    QCOMPARE(dumped(), image.left(1024));
    line.clear();
    QCOMPARE(line.exchange(requestFrame(proto::kOpWrite, proto::kFirmwareBase + 1024, 476,
                                        image.mid(1024)))
                     .payload,
             QByteArray(1, '\1'));
    QCOMPARE(dumped(), image);
}

QTEST_GUILESS_MAIN(TestDevsim)
#include "tst_devsim.moc"
