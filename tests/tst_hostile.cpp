// The window on a hostile line: what the engineer sees, that the window stays usable, and
// that the next normal request works.
#include "link/protocol.h"
#include "tests/support/harness.h"

#include <QAction>
#include <QFile>
#include <QTest>
#include <QTimer>

namespace {
const QString kBadSum = QStringLiteral("Ошибка чтения данных!");
const QString kNoReply = QStringLiteral("Устройство не отвечает!");

bool idle(MainWindow &w)
{
    return w.findChild<QAction *>(QStringLiteral("actionSysParRead"))->isEnabled()
        && w.cursor().shape() != Qt::BusyCursor;
}
}  // namespace

class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    void lineNoise_data();
    void lineNoise();
    void lateRepliesAreNotTakenForNewOnes();
    void secondCommandWaitsItsTurn();
};

void TestHostile::lineNoise_data()
{
    QTest::addColumn<QByteArray>("noise");  // sent every 5 ms for a second
    QTest::addColumn<QString>("message");
    QTest::newRow("bad frames") << QByteArray::fromHex("55AA0100010255AA01000102") << kBadSum;
    QTest::newRow("no frame at all") << QByteArray(64, '\x33') << kNoReply;
    QTest::newRow("claims 65535 bytes")
        << QByteArray::fromHex("55AAFFFF") + QByteArray(64, '\x01') << kNoReply;
}

void TestHostile::lineNoise()
{
    QFETCH(QByteArray, noise);
    QFETCH(QString, message);
    WindowHarness w;
    QVERIFY(w.startRaw());
    w.trigger("actionSysParRead");
    QVERIFY(!w.takeRequest().isEmpty());
    QVERIFY(!idle(w.window()));
    QTimer flood;
    connect(&flood, &QTimer::timeout, [&] { w.device().write(noise); });
    flood.start(5);
    QTest::qWait(1000);
    flood.stop();
    QVERIFY(w.answerer().waitForBoxes(1, 4000));
    QTest::qWait(300);
    QCOMPARE(w.answerer().texts().size(), 1);
    QCOMPARE(w.answerer().texts()[0].section('\n', 0, 0), message);
    // Without a whole frame, only a reply timeout of quiet makes the line clean again.
    QTRY_VERIFY_WITH_TIMEOUT(idle(w.window()), proto::kReplyTimeoutMs + 500);
    const auto remembered = [&w] {  // once the device answers; other tests share the file
        QFile ini(WindowHarness::iniPath());
        return ini.open(QIODevice::ReadOnly)
            && ini.readAll().contains("=" + w.device().path().toUtf8() + "\n");
    };
    QVERIFY(!remembered());

    w.device().consume();
    w.trigger("actionFirmwareVer");
    QCOMPARE(w.takeRequest(), QByteArray::fromHex("0400200008040000"));
    w.reply(QByteArray::fromHex("00650C02"));
    QVERIFY(w.answerer().waitForBoxes(2));
    QCOMPARE(w.answerer().texts().last(), QStringLiteral("Версия прошивки: 2.12"));
    QVERIFY(remembered());
}

// A reply that comes after its request timed out answers nothing: the window stays busy till
// it has come and gone, and the next request gets its own reply. The rule itself, and late
// acknowledgements of chunks, are tested on the worker and the command line.
void TestHostile::lateRepliesAreNotTakenForNewOnes()
{
    SimOptions opts;
    opts.delayMs = proto::kReplyTimeoutMs + 200;
    opts.refuseWrite = 2;
    WindowHarness h(opts);
    QVERIFY(h.start());
    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(h.run("actionSysParWrite", 2, 5000));
    QCOMPARE(h.answerer().texts().last().section('\n', 0, 0), kNoReply);
    h.sim().options().delayMs = 0;
    QVERIFY(!idle(h.window()));
    QTRY_VERIFY(idle(h.window()));
    QCOMPARE(h.sim().requestCount(), 1);
    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(h.run("actionHardwWrite", 2));
    QCOMPARE(h.answerer().texts().last(), QStringLiteral("Ошибка записи"));
    QCOMPARE(h.sim().memory(proto::kSysParAddr, 34), h.window().sysParBlock());
    QCOMPARE(h.sim().memory(proto::kHardwParAddr, 10), Device::factoryHardwareBlock());
}

void TestHostile::secondCommandWaitsItsTurn()
{
    WindowHarness w;
    QVERIFY(w.startRaw());
    w.trigger("actionSysParRead");
    w.trigger("actionFirmwareVer");  // refused while the first reply is awaited
    QCOMPARE(w.takeRequest(), QByteArray::fromHex("0400F80008220000"));
    QVERIFY(w.device().waitForBytes(1, 100).isEmpty());
    QByteArray block(proto::kSysParSize, '\0');
    block[28] = 5;
    w.reply(block);
    QTRY_VERIFY(idle(w.window()));
    QCOMPARE(w.window().sysParBlock(), block);
    QVERIFY(w.answerer().boxes().isEmpty());
    w.trigger("actionFirmwareVer");
    QCOMPARE(w.takeRequest(), QByteArray::fromHex("0400200008040000"));
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
