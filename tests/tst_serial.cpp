// The serial worker on its own thread against a pseudo-terminal playing the device: every
// request ends in exactly one outcome, however the line behaves. The frame parser is also
// checked against a model of its rules by its fuzz target.
#include "link/exchange.h"
#include "link/porterror.h"
#include "link/protocol.h"
#include "link/request.h"
#include "link/serial.h"
#include "tests/support/ptydevice.h"
#include "translations/texts.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <memory>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kVersionBody = hex("0400200008040000");
const QByteArray kVersionFrame = hex("55AA0800040020000804000030");
const QByteArray kVersionReply = hex("55AA0400006505016B");
const QString kNoReply = QStringLiteral("error:Устройство не отвечает!\nПорт: %port\nПроверьте "
                                        "питание устройства, кабель и выбор порта.");
const QString kBadSum = QStringLiteral("error:Ошибка чтения данных!\nПорт: %port");
constexpr int kTimeout = 300;

// Runs work in a child that dropped root's privileges to uid and gid (as an ordinary user, in
// this process) and returns what the work returned.
QByteArray runAsUser(uid_t uid, gid_t gid, const std::function<QByteArray()> &work)
{
    int fds[2];
    if (geteuid() != 0 || pipe(fds) != 0)
        return work();
    const pid_t pid = fork();
    if (pid == 0) {
        // Supplementary groups first: root's would otherwise stay with the child.
        if (setgroups(1, &gid) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
            _exit(1);
        const QByteArray out = work();
        _exit(write(fds[1], out.constData(), size_t(out.size())) == out.size() ? 0 : 1);
    }
    close(fds[1]);
    QByteArray out;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, int(n));
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return out;
}

// Drives the worker the way the window does: queued signals in, queued signals out.
class Link : public QObject
{
    Q_OBJECT
public:
    Link()
    {
        serial.moveToThread(&thread);
        connect(this, &Link::send, &serial, &Serial::putBuf);
        connect(this, &Link::usePort, &serial, &Serial::usePort);
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
    void usePort(QString portName);
};

// The engine alone, driven from this thread's event loop the way Serial drives it.
class Engine
{
public:
    explicit Engine(const QString &portName)
    {
        exchange.setPortName(portName);
        exchange.setTimeout(kTimeout);
        QObject::connect(&port, &QSerialPort::readyRead, &exchange, &Exchange::readPort);
        QObject::connect(&reply, &QTimer::timeout, &exchange, &Exchange::replyTimedOut);
        QObject::connect(&quiet, &QTimer::timeout, &exchange, &Exchange::checkLine);
        QObject::connect(&exchange, &Exchange::timerWanted, [this](Exchange::Timer t, int ms) {
            QTimer &timer = t == Exchange::ReplyTimer ? reply : quiet;
            ms < 0 ? timer.stop() : timer.start(ms);
        });
        reply.setSingleShot(true);
        quiet.setSingleShot(true);
    }
    // "data:<hex>", or the error's number.
    static QString outcome(const ExchangeReply *r)
    {
        if (!r->isFinished())
            return QStringLiteral("pending");
        return r->error() == ExchangeReply::NoError ? "data:" + r->payload().toHex()
                                                    : QString::number(r->error());
    }

    QSerialPort port;
    Exchange exchange{&port};
    QTimer reply;
    QTimer quiet;
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
    void replyClock_data();
    void replyClock();
    void lineGivenUp_data();
    void lineGivenUp();

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
    outcome.replace("%port", m_dev->path());
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
    QTest::addColumn<QString>("node");  // "missing", "held", or "owner:group mode" of a file
    QTest::addColumn<QString>("what");  // in the window's first line
    const auto row
        = [](const char *node, const char *what) { QTest::newRow(node) << node << what; };
    row("missing", "Порт не найден: проверьте кабель и выбор порта.");
    row("held", "Порт занят другой программой: закройте её и повторите.");
    row("root:dialout 660", "группу dialout (sudo usermod -aG dialout $USER)");
    row("root:root 600", "у этого пользователя (владелец root:root, права 600)");
    row("root:root 660", "у этого пользователя (владелец root:root, права 660)");
    row("root:dialout 640", "(владелец root:dialout, права 640)");
    row("nobody:nogroup 000", "(владелец nobody:nogroup, права 000)");
}

void TestSerial::portFailuresNameThePort()
{
    QFETCH(QString, node);
    QFETCH(QString, what);
    QTemporaryDir dir;
    QString port = node == "held" ? m_dev->path() : dir.filePath("ttyV4");
    QSerialPort other(port);
    QCOMPARE(other.open(QIODevice::ReadWrite), node == "held");
    const auto tryPort = [&] {
        QSerialPort p(port);
        PortFailure f;
        if (!p.open(QIODevice::ReadWrite))
            f = describePortFailure(p, p.error());
        f.portName = port;  // as the worker and the tool name it
        return (portFailureText(f) + "\n\n" + portFailureLine(f)).toUtf8();
    };
    QString seen = QString::fromUtf8(tryPort());
    if (node.contains(' ')) {
        // A real node of that owner and mode, tried by an ordinary user.
        const group *g = getgrnam(node.section(' ', 0, 0).section(':', 1).toLatin1());
        const passwd *u = getpwnam(node.section(':', 0, 0).toLatin1());
        QVERIFY(g && u && QFile(port).open(QIODevice::WriteOnly));
        if (chown(QFile::encodeName(port), u->pw_uid, g->gr_gid) != 0)
            QSKIP("giving the file away needs root");
        QCOMPARE(chmod(QFile::encodeName(port), node.section(' ', 1).toUInt(nullptr, 8)), 0);
        QCOMPARE(chmod(QFile::encodeName(dir.path()), 0755), 0);
        seen = QString::fromUtf8(runAsUser(65534, 65534, tryPort));
        QVERIFY(seen.section("\n\n", 0, 0).endsWith("\nPermission denied"));
    } else {
        // Through the worker: what happened, the port, and the system's own text last.
        emit m_link->send(port, kVersionBody, kTimeout);
        QTRY_COMPARE(m_link->events.size(), 1);
        QCOMPARE(m_link->events[0], "error:" + seen.section("\n\n", 0, 0));
        QCOMPARE(seen.section('\n', 1, 1), "Порт: " + port);
    }
    QVERIFY2(seen.section('\n', 0, 0).contains(what), qPrintable(seen));
    // The tool's one line gives the same advice, the port first.
    const QString line
        = QStringLiteral("порт %1: %2 (").arg(port, asClause(seen.section('\n', 0, 0)));
    QVERIFY2(seen.section('\n', -1).startsWith(line), qPrintable(seen));
}

void TestSerial::lateReplyIsWaitedOut_data()
{
    QTest::addColumn<QByteArray>("late");  // 100 ms after the first request timed out
    QTest::addColumn<bool>("otherPort");   // then the engineer chooses another port
    QTest::addColumn<int>("quietMs");      // from the timeout until the next request may go
    QTest::newRow("late reply") << kVersionReply << false << 100 + 200;
    QTest::newRow("nothing comes") << QByteArray() << false << kTimeout;
    // Quiet since, but no whole frame: waited out for a reply timeout from the failure alone.
    QTest::newRow("noise, no whole frame") << hex("55AA0400") << false << kTimeout;
    QTest::newRow("another port chosen") << hex("55AA0400") << true << 100;
}

// The next request waits until the line is clean, and the late reply is taken for nothing.
void TestSerial::lateReplyIsWaitedOut()
{
    QFETCH(QByteArray, late);
    QFETCH(bool, otherPort);
    QFETCH(int, quietMs);
    emit m_link->send(m_dev->path(), kVersionBody, kTimeout);
    QCOMPARE(m_dev->waitForBytes(kVersionFrame.size()), kVersionFrame);
    m_dev->consume();
    const QString noReply = QString(kNoReply).replace("%port", m_dev->path());
    QTRY_COMPARE(m_link->events, QStringList{noReply});
    const QElapsedTimer &t = m_link->lastError;
    emit m_link->send(m_dev->path(), kVersionBody, kTimeout);
    QTest::qWait(100);
    m_dev->write(late);
    if (otherPort)
        emit m_link->usePort(QStringLiteral("ttyS9"));
    QVERIFY(otherPort || m_dev->waitForBytes(1, int(quietMs - 30 - t.elapsed())).isEmpty());
    QCOMPARE(m_dev->waitForBytes(kVersionFrame.size(), 1000), kVersionFrame);
    QVERIFY(t.elapsed() >= quietMs - 30 && t.elapsed() < quietMs + 150);
    m_dev->write(hex("55AA01000202"));
    QTRY_COMPARE(m_link->events, (QStringList{noReply, "data:02"}));
}

void TestSerial::replyClock_data()
{
    QTest::addColumn<Exchange::ReplyClock>("clock");
    QTest::addColumn<QString>("outcome");  // a reply to a 1032-byte write, 600 ms after it
    QTest::newRow("at the write call")
        << Exchange::FromWriteCall << QString::number(ExchangeReply::NoReply);
    // The frame takes 1081 ms at 9600 baud: the reply is still in time.
    QTest::newRow("once the bytes have left") << Exchange::FromBytesSent << "data:01";
}

void TestSerial::replyClock()
{
    QFETCH(Exchange::ReplyClock, clock);
    QFETCH(QString, outcome);
    Engine e(m_dev->path());
    e.exchange.setReplyClock(clock);
    const QByteArray body
        = buildRequestBody(3, 0x08002400, QByteArray(1024, 'x').constData(), 1024);
    std::unique_ptr<ExchangeReply> r(e.exchange.send(body));
    QCOMPARE(m_dev->waitForBytes(body.size() + 5).size(), body.size() + 5);
    QTest::qWait(600);
    m_dev->write(hex("55AA01000101"));
    QTRY_COMPARE(Engine::outcome(r.get()), outcome);
}

void TestSerial::lineGivenUp_data()
{
    QTest::addColumn<Exchange::LineGivenUp>("rule");
    QTest::addColumn<QString>("outcome");  // of the request that waited for the noisy line
    QTest::newRow("goes ahead") << Exchange::WaitingGoesAhead << "data:02";
    QTest::newRow("fails") << Exchange::WaitingFails << QString::number(ExchangeReply::NoisyLine);
}

// A request times out, the next one waits, and the line chatters past the reply timeout.
void TestSerial::lineGivenUp()
{
    QFETCH(Exchange::LineGivenUp, rule);
    QFETCH(QString, outcome);
    Engine e(m_dev->path());
    e.exchange.setLineGivenUp(rule);
    std::unique_ptr<ExchangeReply> first(e.exchange.send(kVersionBody));
    QCOMPARE(m_dev->waitForBytes(kVersionFrame.size()), kVersionFrame);
    m_dev->consume();
    QTRY_COMPARE(Engine::outcome(first.get()), QString::number(ExchangeReply::NoReply));
    std::unique_ptr<ExchangeReply> waiting(e.exchange.send(kVersionBody));
    QTimer chatter;
    QObject::connect(&chatter, &QTimer::timeout, [&] { m_dev->write(hex("00")); });
    chatter.start(20);
    QObject::connect(&e.exchange, &Exchange::noisyLine, &chatter, &QTimer::stop);
    QTRY_VERIFY(!chatter.isActive());
    QCOMPARE(m_dev->waitForBytes(kVersionFrame.size(), 100).startsWith(kVersionFrame),
             rule == Exchange::WaitingGoesAhead);
    m_dev->write(hex("55AA01000202"));
    QTRY_COMPARE(Engine::outcome(waiting.get()), outcome);
}

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
