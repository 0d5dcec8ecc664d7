// The window on a hostile line: what the engineer sees, that the window stays usable, and
// that the next normal request works.
#include "link/porterror.h"
#include "link/protocol.h"
#include "tests/support/harness.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <ctime>

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
    void secondCommandWaitsItsTurn();
};

void TestHostile::lineNoise_data()
{
    QTest::addColumn<QByteArray>("noise");  // sent every 5 ms for a second, or without end
    QTest::addColumn<bool>("endless");
    QTest::addColumn<QString>("message");
    const QByteArray badFrames = QByteArray::fromHex("55AA0100010255AA01000102");
    QTest::newRow("bad frames") << badFrames << false << kBadSum;
    QTest::newRow("no frame at all") << QByteArray(64, '\x33') << false << kNoReply;
    // Not the device: its failure's box first, then one naming the port, which is closed.
    QTest::newRow("endless") << badFrames.repeated(300) << true << kBadSum;
}

void TestHostile::lineNoise()
{
    QFETCH(QByteArray, noise);
    QFETCH(bool, endless);
    QFETCH(QString, message);
    WindowHarness w;
    QVERIFY(w.startRaw());
    QElapsedTimer t;
    qint64 backAt = -1;  // when the commands came back
    auto *read = w.window().findChild<QAction *>(QStringLiteral("actionSysParRead"));
    connect(read, &QAction::changed, [&] { backAt = read->isEnabled() ? t.elapsed() : -1; });
    t.start();
    w.trigger("actionSysParRead");
    QVERIFY(!w.takeRequest().isEmpty());
    QVERIFY(!idle(w.window()));
    QTimer flood;
    connect(&flood, &QTimer::timeout, [&] { w.device().writeSome(noise); });
    flood.start(5);
    // Held open till the line is given up: the second box waits for the first to close.
    w.answerer().holdBoxes(endless ? proto::kReplyTimeoutMs + 500 : 0);
    QTest::qWait(endless ? 0 : 1000);
    if (!endless)
        flood.stop();
    connect(&w.answerer(), &ModalAnswerer::answered, [&] { w.answerer().holdBoxes(0); });
    QVERIFY(w.answerer().waitForBoxes(1, 4000));
    QTest::qWait(300);
    QCOMPARE(w.answerer().texts().size(), endless ? 2 : 1);
    QCOMPARE(w.answerer().texts()[0].section('\n', 0, 0), message);
    if (endless) {
        QVERIFY2(backAt > 0 && backAt < 3500, qPrintable(QString::number(backAt)));
        QCOMPARE(w.answerer().texts()[1], portFailureText(noisyPort(w.device().path())));
        const std::clock_t cpu = std::clock();
        QTest::qWait(300);
        QVERIFY(w.device().unread() > 2048);  // the port is no longer read
        QVERIFY(std::clock() - cpu < CLOCKS_PER_SEC / 10);
        flood.stop();
    }
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
    QVERIFY(w.answerer().waitForBoxes(endless ? 3 : 2));
    QCOMPARE(w.answerer().texts().last(), QStringLiteral("Версия прошивки: 2.12"));
    QVERIFY(remembered());
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
