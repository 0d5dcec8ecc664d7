// Firmware version and the chunked upload, from the pure pieces to the window and device.
#include "firmware/chunks.h"
#include "firmware/image.h"
#include "firmware/version.h"
#include "link/protocol.h"
#include "tests/support/harness.h"

#include <QAction>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
const QString kDone = QStringLiteral("Прошивка успешно обновлена");
}  // namespace

class TestFirmware : public QObject
{
    Q_OBJECT
private slots:
    void versionText_data();
    void versionText();
    void chunkPlan_data();
    void chunkPlan();
    void imageFiles();
    void uploadLandsInTheDevice_data();
    void uploadLandsInTheDevice();
    void uploadEndings_data();
    void uploadEndings();
};

void TestFirmware::versionText_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.05") << QByteArray::fromHex("00650501") << "1.05";
    QTest::newRow("3.200") << QByteArray::fromHex("0065C803") << "3.200";
    QTest::newRow("two bytes") << QByteArray::fromHex("0065") << "0.00";
    QTest::newRow("three bytes") << QByteArray::fromHex("006507") << "0.07";
    QTest::newRow("foreign") << QByteArray::fromHex("00660501") << QString();
    QTest::newRow("one byte") << QByteArray::fromHex("65") << QString();
}

void TestFirmware::versionText()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, text);
    QCOMPARE(firmwareVersion(record), text);
    QCOMPARE(firmwareVersionText(record),
             text.isNull() ? QString() : QStringLiteral("Версия прошивки: ") + text);
}

void TestFirmware::chunkPlan_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("chunks");
    QTest::addColumn<quint32>("lastAddress");
    QTest::addColumn<QList<int>>("progress");  // first values shown after each acknowledgement
    QTest::newRow("1024") << 1024 << 1 << 0x08002400u << QList<int>{100};
    QTest::newRow("1025") << 1025 << 2 << 0x08002800u << QList<int>{99, 199};
    QTest::newRow("1500") << 1500 << 2 << 0x08002800u << QList<int>{68, 136};
    QTest::newRow("54272") << 54272 << 53 << 0x0800F400u << QList<int>{1, 3, 5};
}

void TestFirmware::chunkPlan()
{
    QFETCH(int, size);
    QFETCH(int, chunks);
    QFETCH(quint32, lastAddress);
    QFETCH(QList<int>, progress);
    const QVector<Chunk> plan = planChunks(quint32(size));
    QCOMPARE(plan.size(), chunks);
    QCOMPARE(plan.last().address, lastAddress);
    QCOMPARE(plan.last().address + plan.last().count, proto::kFirmwareBase + size);
    for (int i = 0; i < progress.size(); ++i)
        QCOMPARE(progressPercent(quint32(i + 1) * proto::kChunkSize, quint32(size)), progress[i]);
}

void TestFirmware::imageFiles()
{
    QTemporaryDir dir;
    QByteArray got("stale");
    QCOMPARE(readFirmwareImage(writeTestFile(dir.filePath("fw.bin"), testImage(54272)), &got),
             ImageError::None);
    QCOMPARE(got, testImage(54272));
    QCOMPARE(readFirmwareImage(writeTestFile(dir.filePath("fw.bin"), testImage(54273)), &got),
             ImageError::TooLarge);
    QVERIFY(got.isEmpty());
    QCOMPARE(readFirmwareImage(writeTestFile(dir.filePath("fw.bin"), {}), &got), ImageError::Empty);
    QCOMPARE(readFirmwareImage(dir.filePath("missing.bin"), &got), ImageError::Open);
    // Opening a FIFO would block until something writes to it.
    const QString fifo = dir.filePath(QStringLiteral("fifo.bin"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(readFirmwareImage(fifo, &got), ImageError::NotAFile);
    QCOMPARE(readFirmwareImage(dir.path(), &got), ImageError::NotAFile);
}

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
    QList<int> shown;  // the bar as each chunk reaches the device
    QObject::connect(&h.sim(), &Simulator::requestHandled, [&] {
        if (auto *d = h.window().findChild<QProgressDialog *>())
            shown << d->value();
    });
    QVERIFY(h.upload(testImage(size)));
    QCOMPARE(h.answerer().texts().last(), kDone);
    QList<int> expected{0};
    for (int k = 1; k * proto::kChunkSize < size; ++k)
        expected << progressPercent(quint32(k * proto::kChunkSize), quint32(size));
    QCOMPARE(shown, expected);

    QCOMPARE(h.sim().requestCount(), planChunks(quint32(size)).size());
    QCOMPARE(h.sim().memory(proto::kFirmwareBase, size), testImage(size));
    QTRY_VERIFY(!h.window().findChild<QProgressDialog *>());
    QVERIFY(h.window().findChild<QAction *>("actionFirmwareVer")->isEnabled());
}

void TestFirmware::uploadEndings_data()
{
    QTest::addColumn<int>("baud");  // 0: as fast as the pseudo-terminal goes
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("message");  // how the box that ends the upload begins
    for (const int baud : {0, 9600}) {
        // Unpaced, the upload ends before the progress dialog would have shown itself.
        const int last = baud ? 1 : 3;  // the request that goes wrong
        const auto row = [=](const char *fault, const char *message, int written) {
            QTest::addRow("%s, %d baud", fault, baud) << baud << fault << 5000
                                                      << message + kUploadIncomplete
                    + QStringLiteral("\nЗаписано блоков: %1 из 5.").arg(last + written - 1);
        };
        row("refused", "Ошибка обновления прошивки!", 0);
        row("no reply", "Устройство не отвечает!", 0);
        row("bad checksum", "Ошибка чтения данных!", 0);
        row("line gone", "Связь через порт нарушена: проверьте кабель и повторите.", 1);
        row("cancel", "Обновление прошивки отменено.", 1);
    }
    QTest::newRow("too large") << 0 << "" << 54273
                               << "Файл прошивки слишком большой: 54 273 байт, не более 54 272.";
}

void TestFirmware::uploadEndings()
{
    QFETCH(int, baud);
    QFETCH(QString, fault);
    QFETCH(int, size);
    QFETCH(QString, message);
    const int last = fault.isEmpty() ? 0 : baud ? 1 : 3;
    SimOptions opts;
    opts.baud = baud;
    opts.refuseWrite = fault == "refused" ? last : 0;
    opts.noReplyTo = fault == "no reply" ? last : 0;
    opts.corruptReplyTo = fault == "bad checksum" ? last : 0;
    opts.disconnectAfter = fault == "line gone" ? last : 0;
    WindowHarness h(opts);
    QVERIFY(h.start());
    const QString port = h.sim().slavePath();
    QObject::connect(&h.sim(), &Simulator::requestHandled, [&] {
        if (fault == "cancel" && h.sim().requestCount() == last)
            h.window().findChild<QProgressDialog *>()->cancel();
    });
    h.answerer().holdBoxes(200);
    QVERIFY(h.upload(testImage(size), 2, 8000));
    QVERIFY2(h.answerer().texts().last().startsWith(message),
             qPrintable(h.answerer().texts().last()));
    QVERIFY(h.answerer().boxes().last().focused);
    QTest::qWait(300);
    QCOMPARE(h.answerer().boxes().size(), 2);
    QCOMPARE(h.sim().requestCount(), last);
    QVERIFY(!h.window().findChild<QProgressDialog *>());
    // The window takes the next command; a line that is gone says so at once.
    QVERIFY(h.run("actionFirmwareVer", 1, 1500));
    QVERIFY(
        h.answerer().texts().last().contains(fault == "line gone" ? "\nПорт: " + port : "1.05"));
}

QTEST_MAIN(TestFirmware)
#include "tst_firmware.moc"
