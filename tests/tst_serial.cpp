// The serial worker on its own thread, against a pseudo-terminal playing the device.
#include "link/serial.h"
#include "tests/support/ptydevice.h"

#include <QTest>
#include <QThread>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kVersionBody = hex("0400200008040000");
const QByteArray kVersionFrame = hex("55AA08000400200008040000"
                                     "30");
const QByteArray kVersionReply = hex("55AA0400006505016B");
const QString kNoReply = QStringLiteral("Устройство не отвечает!");
const QString kBadSum = QStringLiteral("Ошибка чтения данных!");
constexpr int kShortTimeout = 300;

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
        connect(&serial, &Serial::errorMsg, this, [this](QString e) { events << "error:" + e; });
        thread.start();
    }
    ~Link() override
    {
        thread.quit();
        thread.wait();
    }

    QStringList events;
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

    void sendsTheExactFrame();
    void reassemblesSplitReplies_data();
    void reassemblesSplitReplies();
    void reportsBadChecksumThenTimeout();
    void goodFrameAfterBadChecksumEndsTransaction();
    void reportsOnlyTheFirstOfTwoFrames();
    void closesThePortAfterAReply();
    void unopenablePortGivesOnlyItsError();
    void secondRequestGoesToTheOpenPort();

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

void TestSerial::sendsTheExactFrame()
{
    emit m_link->send(m_dev->path(), kVersionBody, kShortTimeout);
    QCOMPARE(m_dev->waitForBytes(kVersionFrame.size()), kVersionFrame);
    QTRY_COMPARE(m_link->events, QStringList{"error:" + kNoReply});
    QCOMPARE(m_dev->received(), kVersionFrame);
}

void TestSerial::reassemblesSplitReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << kVersionReply << 100 << "data:00650501";
    QTest::newRow("byte by byte") << kVersionReply << 1 << "data:00650501";
    QTest::newRow("pairs") << kVersionReply << 2 << "data:00650501";
    QTest::newRow("garbage before sync")
        << hex("00FF5501AA") + kVersionReply << 3 << "data:00650501";
    QTest::newRow("stray 55 before sync") << hex("55") + kVersionReply << 1 << "data:00650501";
    QTest::newRow("empty payload") << hex("55AA000000") << 1 << "data:";
    QTest::newRow("empty payload, bad sum") << hex("55AA000001") << 5 << "error:" + kBadSum;
}

void TestSerial::reassemblesSplitReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, pieceSize);
    QFETCH(QString, expected);
    emit m_link->send(m_dev->path(), kVersionBody, 2000);
    m_dev->waitForBytes(kVersionFrame.size());
    m_dev->writeSplit(reply, pieceSize);
    QTRY_COMPARE(m_link->events, QStringList{expected});
}

void TestSerial::reportsBadChecksumThenTimeout()
{
    emit m_link->send(m_dev->path(), kVersionBody, kShortTimeout);
    m_dev->waitForBytes(kVersionFrame.size());
    m_dev->write(hex("55AA04000065050100"));
    QTRY_COMPARE(m_link->events, (QStringList{"error:" + kBadSum, "error:" + kNoReply}));
}

void TestSerial::goodFrameAfterBadChecksumEndsTransaction()
{
    emit m_link->send(m_dev->path(), kVersionBody, 600);
    m_dev->waitForBytes(kVersionFrame.size());
    // What follows a bad checksum in the same chunk is dropped; the next chunk is parsed.
    m_dev->write(hex("55AA010001025555"));
    QTest::qWait(20);
    m_dev->write(hex("55AA01000101"));
    QTRY_COMPARE(m_link->events, (QStringList{"error:" + kBadSum, "data:01"}));
    QTest::qWait(800);  // the reply timer was stopped: no timeout follows
    QCOMPARE(m_link->events.size(), 2);
}

void TestSerial::reportsOnlyTheFirstOfTwoFrames()
{
    emit m_link->send(m_dev->path(), kVersionBody, kShortTimeout);
    m_dev->waitForBytes(kVersionFrame.size());
    m_dev->write(hex("55AA01000101"
                     "55AA01000202"));
    QTRY_COMPARE(m_link->events, QStringList{"data:01"});
    QTest::qWait(kShortTimeout + 200);
    QCOMPARE(m_link->events, QStringList{"data:01"});
}

void TestSerial::closesThePortAfterAReply()
{
    emit m_link->send(m_dev->path(), kVersionBody, 2000);
    m_dev->waitForBytes(kVersionFrame.size());
    m_dev->write(hex("55AA01000101"));
    QTRY_COMPARE(m_link->events.size(), 1);
    // Only a closed port is opened anew under the name of the next request.
    emit m_link->send(QStringLiteral("/nonexistent/ttyV4"), kVersionBody, kShortTimeout);
    QTRY_COMPARE(m_link->events.size(), 2);
    QVERIFY(m_link->events[1].startsWith("error:"));
    QVERIFY(m_link->events[1] != "error:" + kNoReply);
}

void TestSerial::unopenablePortGivesOnlyItsError()
{
    emit m_link->send(QStringLiteral("/nonexistent/ttyV4"), kVersionBody, kShortTimeout);
    QTRY_COMPARE(m_link->events.size(), 1);
    QVERIFY(m_link->events[0].startsWith("error:"));
    QVERIFY(m_link->events[0].size() > 6);
    QTest::qWait(kShortTimeout + 200);
    QCOMPARE(m_link->events.size(), 1);
}

void TestSerial::secondRequestGoesToTheOpenPort()
{
    emit m_link->send(m_dev->path(), kVersionBody, 2000);
    m_dev->waitForBytes(kVersionFrame.size());
    // While a reply is awaited the port stays open and the new name is not looked at.
    emit m_link->send(QStringLiteral("/nonexistent/ttyV4"), kVersionBody, 2000);
    QCOMPARE(m_dev->waitForBytes(2 * kVersionFrame.size()), kVersionFrame + kVersionFrame);
    m_dev->write(hex("55AA01000101"));
    QTRY_COMPARE(m_link->events, QStringList{"data:01"});
}

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
