// The serial worker on its own thread against a pseudo-terminal playing the device: every
// request ends in exactly one outcome, however the line behaves. The frame parser is also
// checked against a model of its rules by its fuzz target.
#include "link/protocol.h"
#include "link/request.h"
#include "link/serial.h"
#include "tests/support/ptydevice.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kVersionBody = hex("0400200008040000");
const QByteArray kVersionFrame = hex("55AA0800040020000804000030");
const QByteArray kVersionReply = hex("55AA0400006505016B");
const QString kNoReply = QStringLiteral("error:Устройство не отвечает!");
const QString kBadSum = QStringLiteral("error:Ошибка чтения данных!");
constexpr int kTimeout = 300;

// Drives the worker the way the window does: queued signals in, queued signals out.
class Link : public QObject
{
    Q_OBJECT
public:
    Link()
    {
        serial.moveToThread(&thread);
        connect(this, &Link::send, &serial, &Serial::putBuf);
        connect(
            &thread, &QThread::finished, &serial,
            [this] { serial.moveToThread(QObject::thread()); }, Qt::DirectConnection);
        connect(&serial, &Serial::dataReady, this,
                [this](QByteArray b) { events << "data:" + b.toHex(); });
        connect(&serial, &Serial::errorMsg, this, [this](QString e) {
            events << "error:" + e;
            lastError.start();
        });
        thread.start();
    }
    ~Link() override
    {
        thread.quit();
        thread.wait();
    }

    QStringList events;
    QElapsedTimer lastError;
    Serial serial;
    QThread thread;

signals:
    void send(QString portName, QByteArray data, int timeout);
};
}  // namespace

class TestSerial : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void oneOutcomePerRequest_data();
    void oneOutcomePerRequest();
    void portFailuresNameThePort_data();
    void portFailuresNameThePort();
    void lateReplyIsWaitedOut_data();
    void lateReplyIsWaitedOut();

private:
    PtyDevice *m_dev = nullptr;
    Link *m_link = nullptr;
};

void TestSerial::init()
{
    m_dev = new PtyDevice;
    QVERIFY(m_dev->open());
    m_link = new Link;
}

void TestSerial::cleanup()
{
    delete m_link;
    delete m_dev;
}

void TestSerial::oneOutcomePerRequest_data()
{
    QTest::addColumn<QByteArray>("waiting");        // on the line before the request
    QTest::addColumn<QList<QByteArray>>("chunks");  // written one after another, 20 ms apart
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<QString>("outcome");
    const auto row = [](const char *name, QList<QByteArray> chunks, int piece, QString outcome,
                        QByteArray waiting = {}) {
        QTest::newRow(name) << waiting << chunks << piece << outcome;
    };
    row("whole", {kVersionReply}, 100, "data:00650501");
    row("byte by byte", {kVersionReply}, 1, "data:00650501");
    row("garbage before sync", {hex("00FF5501AA") + kVersionReply}, 3, "data:00650501");
    row("stray 55 before sync", {hex("55") + kVersionReply}, 1, "data:00650501");
    row("empty payload", {hex("55AA000000")}, 1, "data:");
    row("two frames in one chunk", {hex("55AA0100010155AA01000202")}, 100, "data:01");
    row("bad checksum, then a good frame", {hex("55AA0100010255"), hex("55AA01000101")}, 100,
        kBadSum);
    row("length 65535, then silence", {hex("55AAFFFF0102")}, 100, kNoReply);
    row("silence", {}, 1, kNoReply);
    // A reply that came after its request had timed out still waits on the line.
    row("late reply waiting", {kVersionReply}, 100, "data:00650501", hex("55AA01000101"));
}

void TestSerial::oneOutcomePerRequest()
{
    QFETCH(QByteArray, waiting);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, pieceSize);
    QFETCH(QString, outcome);
    m_dev->write(waiting);
    emit m_link->send(m_dev->path(), kVersionBody, kTimeout);
    QCOMPARE(m_dev->waitForBytes(kVersionFrame.size()), kVersionFrame);
    for (const QByteArray &chunk : chunks) {
        m_dev->writeSplit(chunk, pieceSize, 1);
        QTest::qWait(20);
    }
    QTRY_COMPARE(m_link->events, QStringList{outcome});
    QTest::qWait(kTimeout + 100);  // nothing follows: no timeout after the outcome
    QCOMPARE(m_link->events, QStringList{outcome});
}

void TestSerial::portFailuresNameThePort_data()
{
    QTest::addColumn<bool>("held");  // by another program; else a port that does not exist
    QTest::addColumn<QString>("hint");
    QTest::newRow("no such port") << false << "";
    QTest::newRow("held") << true << "\nПорт занят другой программой: закройте её и повторите.";
}

void TestSerial::portFailuresNameThePort()
{
    QFETCH(bool, held);
    QFETCH(QString, hint);
    const QString port = held ? m_dev->path() : QStringLiteral("/nonexistent/ttyV4");
    QSerialPort other(port);
    QCOMPARE(other.open(QIODevice::ReadWrite), held);
    emit m_link->send(port, kVersionBody, kTimeout);
    QTRY_COMPARE(m_link->events.size(), 1);
    QVERIFY2(m_link->events[0].endsWith("\nПорт: " + port + hint), qPrintable(m_link->events[0]));
    QTest::qWait(kTimeout + 100);
    QCOMPARE(m_link->events.size(), 1);
}

void TestSerial::lateReplyIsWaitedOut_data()
{
    QTest::addColumn<QByteArray>("late");  // 100 ms after the first request timed out
    QTest::addColumn<int>("quietMs");      // from the timeout until the next request may go
    QTest::newRow("late reply") << kVersionReply << 100 + 200;
    QTest::newRow("nothing comes") << QByteArray() << kTimeout;
    QTest::newRow("noise, no whole frame") << hex("55AA0400") << 100 + kTimeout;
}

// The next request waits until the line is clean, and the late reply is taken for nothing.
void TestSerial::lateReplyIsWaitedOut()
{
    QFETCH(QByteArray, late);
    QFETCH(int, quietMs);
    emit m_link->send(m_dev->path(), kVersionBody, kTimeout);
    QCOMPARE(m_dev->waitForBytes(kVersionFrame.size()), kVersionFrame);
    m_dev->consume();
    QTRY_COMPARE(m_link->events, QStringList{kNoReply});
    const QElapsedTimer &t = m_link->lastError;
    emit m_link->send(m_dev->path(), kVersionBody, kTimeout);
    QTest::qWait(100);
    m_dev->write(late);
    QVERIFY(m_dev->waitForBytes(1, int(quietMs - 30 - t.elapsed())).isEmpty());
    QCOMPARE(m_dev->waitForBytes(kVersionFrame.size(), 1000), kVersionFrame);
    QVERIFY(t.elapsed() >= quietMs - 30);
    m_dev->write(hex("55AA01000202"));
    QTRY_COMPARE(m_link->events, (QStringList{kNoReply, "data:02"}));
}

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
