// Firmware version and the chunked upload through the window, judged in the device.
#include "firmware/chunks.h"
#include "firmware/image.h"
#include "firmware/version.h"
#include "link/protocol.h"
#include "tests/support/harness.h"

#include <QAction>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kDone = QStringLiteral("Прошивка успешно обновлена");
}  // namespace

class TestFirmware : public QObject
{
    Q_OBJECT
private slots:
    void uploadLandsInTheDevice_data();
    void uploadLandsInTheDevice();
    void refusedChunkEndsTheUpload();
    void cancelEndsSilently();
};

void TestFirmware::uploadLandsInTheDevice_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("1025") << 1025;
    QTest::newRow("54272") << 54272;
}

void TestFirmware::uploadLandsInTheDevice()
{
    QFETCH(int, size);
    WindowHarness h;
    QVERIFY(h.start());
    // As each chunk reaches the device: the bar, and whether the menu would take a command.
    QList<int> shown;
    bool menuLive = false;
    QObject::connect(&h.sim(), &Simulator::requestHandled, [&] {
        if (auto *d = h.window().findChild<QProgressDialog *>())
            shown << d->value();
        menuLive |= h.window().findChild<QAction *>("actionFirmwareVer")->isEnabled();
    });
    QVERIFY(h.upload(testImage(size)));
    QCOMPARE(h.answerer().texts().last(), kDone);
    QList<int> expected{0};
    for (int k = 1; k * proto::kChunkSize < size; ++k)
        expected << progressPercent(quint32(k * proto::kChunkSize), quint32(size));
    QCOMPARE(shown, expected);
    QVERIFY(!menuLive);

    QCOMPARE(h.sim().requestCount(), planChunks(quint32(size)).size());
    QCOMPARE(h.sim().memory(proto::kFirmwareBase, size), testImage(size));
    QTRY_VERIFY(!h.window().findChild<QProgressDialog *>());
    QVERIFY(h.window().findChild<QAction *>("actionFirmwareVer")->isEnabled());
}

void TestFirmware::refusedChunkEndsTheUpload()
{
    SimOptions opts;
    opts.refuseWrite = 3;
    WindowHarness h(opts);
    QVERIFY(h.start());
    QVERIFY(h.upload(testImage(5000)));
    QCOMPARE(h.answerer().texts().last(),
             QStringLiteral("Ошибка обновления прошивки!") + kUploadIncomplete);
    QTest::qWait(100);
    QCOMPARE(h.sim().requestCount(), 3);
    QTRY_VERIFY(!h.window().findChild<QProgressDialog *>());
}

void TestFirmware::cancelEndsSilently()
{
    SimOptions opts;
    opts.delayMs = 300;
    WindowHarness h(opts);
    QVERIFY(h.start());
    h.upload(testImage(4096), 0);
    auto *dialog = h.window().findChild<QProgressDialog *>();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Velmor4 util"));
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    dialog->cancel();
    QTRY_VERIFY(!h.window().findChild<QProgressDialog *>());
    QTest::qWait(400);
    QCOMPARE(h.sim().requestCount(), 1);
    QCOMPARE(h.answerer().boxes().size(), 1);  // the question alone

    h.sim().options().delayMs = 0;
    QVERIFY(h.run("actionFirmwareVer"));
    QCOMPARE(h.answerer().texts().last(), QStringLiteral("Версия прошивки: 1.05"));
}

QTEST_MAIN(TestFirmware)
#include "tst_firmware.moc"
