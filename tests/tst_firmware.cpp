// Firmware version and the chunked upload, from the pure pieces to the window and device.
#include "app/portlist.h"
#include "firmware/chunks.h"
#include "firmware/image.h"
#include "firmware/version.h"
#include "link/protocol.h"
#include "tests/support/harness.h"

#include <QComboBox>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kUnknown = QStringLiteral("Неизвестное устройство!");
const QString kDone = QStringLiteral("Прошивка успешно обновлена");

QByteArray image(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 31 + i / 256) & 0xFF);
    return b;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}
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

    void versionQuery();
    void versionFaults_data();
    void versionFaults();
    void uploadLandsInTheDevice_data();
    void uploadLandsInTheDevice();
    void refusedImagesSendNothing_data();
    void refusedImagesSendNothing();
    void refusedChunkStopsTheUpload();
    void cancelEndsSilently();
    void silenceMidUploadRemovesTheDialog();
    void noPortLeavesNoUploadBehind();
    void portListHoldsStillDuringUpload();

private:
    // Confirms, picks the file and waits for the closing box.
    bool upload(WindowHarness &h, const QString &path, int boxes = 2, int timeoutMs = 20000)
    {
        h.answerer().queueAnswer(QStringLiteral("Да"));
        h.answerer().queueFileName(path);
        return h.run("actionUpdateFirmware", boxes, timeoutMs);
    }
};

void TestFirmware::versionText_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.05") << QByteArray::fromHex("00650501") << "Версия прошивки: 1.05";
    QTest::newRow("2.12") << QByteArray::fromHex("00650C02") << "Версия прошивки: 2.12";
    QTest::newRow("3.200") << QByteArray::fromHex("0065C803") << "Версия прошивки: 3.200";
    QTest::newRow("255.255") << QByteArray::fromHex("0065FFFF") << "Версия прошивки: 255.255";
    QTest::newRow("two bytes") << QByteArray::fromHex("0065") << "Версия прошивки: 0.00";
    QTest::newRow("three bytes") << QByteArray::fromHex("006507") << "Версия прошивки: 0.07";
    QTest::newRow("longer") << QByteArray::fromHex("AA6509010203") << "Версия прошивки: 1.09";
    QTest::newRow("foreign") << QByteArray::fromHex("00660501") << QString();
    QTest::newRow("one byte") << QByteArray::fromHex("65") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestFirmware::versionText()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, text);
    const QString got = firmwareVersionText(record);
    QCOMPARE(got.isNull(), text.isNull());
    QCOMPARE(got, text);
}

void TestFirmware::chunkPlan_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("chunks");
    QTest::addColumn<quint32>("lastAddress");
    QTest::addColumn<int>("lastCount");
    QTest::addColumn<QList<int>>("progress");  // first values shown after each acknowledgement
    QTest::newRow("1") << 1 << 1 << 0x08002400u << 1 << QList<int>{102400};
    QTest::newRow("1024") << 1024 << 1 << 0x08002400u << 1024 << QList<int>{100};
    QTest::newRow("1025") << 1025 << 2 << 0x08002800u << 1 << QList<int>{99, 199};
    QTest::newRow("1500") << 1500 << 2 << 0x08002800u << 476 << QList<int>{68, 136};
    QTest::newRow("54272") << 54272 << 53 << 0x0800F400u << 1024 << QList<int>{1, 3, 5};
}

void TestFirmware::chunkPlan()
{
    QFETCH(int, size);
    QFETCH(int, chunks);
    QFETCH(quint32, lastAddress);
    QFETCH(int, lastCount);
    QFETCH(QList<int>, progress);
    const QVector<Chunk> plan = planChunks(quint32(size));
    QCOMPARE(plan.size(), chunks);
    QCOMPARE(plan.last().address, lastAddress);
    QCOMPARE(int(plan.last().count), lastCount);
    quint32 covered = 0;
    for (const Chunk &c : plan) {
        QCOMPARE(c.offset, covered);
        QCOMPARE(c.address, proto::kFirmwareBase + c.offset);
        covered += c.count;
    }
    QCOMPARE(covered, quint32(size));
    for (int i = 0; i < progress.size(); ++i)
        QCOMPARE(progressPercent(quint32(i + 1) * proto::kChunkSize, quint32(size)), progress[i]);
    if (size % proto::kChunkSize == 0)
        QCOMPARE(progressPercent(quint32(chunks) * proto::kChunkSize, quint32(size)), 100);
}

void TestFirmware::imageFiles()
{
    QTemporaryDir dir;
    QByteArray got("stale");
    QCOMPARE(readFirmwareImage(writeFile(dir, "max.bin", image(54272)), &got), ImageError::None);
    QCOMPARE(got, image(54272));
    QCOMPARE(readFirmwareImage(writeFile(dir, "big.bin", image(54273)), &got),
             ImageError::TooLarge);
    QVERIFY(got.isEmpty());
    QCOMPARE(readFirmwareImage(writeFile(dir, "empty.bin", {}), &got), ImageError::Empty);
    QCOMPARE(readFirmwareImage(dir.filePath("missing.bin"), &got), ImageError::Open);
}

void TestFirmware::versionQuery()
{
    SimOptions opts;
    opts.major = 2;
    opts.minor = 7;
    WindowHarness h(opts);
    QVERIFY(h.start());
    QVERIFY(h.run("actionFirmwareVer"));
    QCOMPARE(h.answerer().boxes()[0].text, QStringLiteral("Версия прошивки: 2.07"));
    QCOMPARE(h.answerer().boxes()[0].icon, QMessageBox::Information);
    QCOMPARE(h.answerer().boxes()[0].title, QStringLiteral("Velmor4 util"));
    QCOMPARE(h.window().pendingOperation(), 0);
}

void TestFirmware::versionFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("timeoutMs");
    QTest::newRow("wrong device") << 0 << QStringList{kUnknown} << 5000;
    QTest::newRow("bad checksum") << 1
                                  << QStringList{"Ошибка чтения данных!", "Устройство не отвечает!"}
                                  << 6000;
    QTest::newRow("no reply") << 2 << QStringList{"Устройство не отвечает!"} << 6000;
}

void TestFirmware::versionFaults()
{
    QFETCH(int, fault);
    QFETCH(QStringList, texts);
    QFETCH(int, timeoutMs);
    SimOptions opts;
    if (fault == 0)
        opts.versionByte = 0x66;
    else if (fault == 1)
        opts.corruptReplyTo = 1;
    else
        opts.noReplyTo = 1;
    WindowHarness h(opts);
    QVERIFY(h.start());
    QVERIFY(h.run("actionFirmwareVer", texts.size(), timeoutMs));
    QCOMPARE(h.answerer().texts(), texts);
    QCOMPARE(h.answerer().boxes().last().icon, QMessageBox::Critical);
    QCOMPARE(h.window().pendingOperation(), 0);
}

void TestFirmware::uploadLandsInTheDevice_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("1") << 1;
    QTest::newRow("1024") << 1024;
    QTest::newRow("1025") << 1025;
    QTest::newRow("54272") << 54272;
}

void TestFirmware::uploadLandsInTheDevice()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    WindowHarness h;
    QVERIFY(h.start());
    // The bar as each chunk reaches the device: what the acknowledgements before it made it.
    QList<int> shown;
    QObject::connect(&h.sim(), &Simulator::requestHandled, [&] {
        if (auto *d = h.window().findChild<QProgressDialog *>())
            shown << d->value();
    });
    QVERIFY(upload(h, writeFile(dir, "fw.bin", image(size))));
    QCOMPARE(h.answerer().texts().last(), kDone);
    QList<int> expected{0};
    for (int k = 1; k * proto::kChunkSize < size; ++k)
        expected << progressPercent(quint32(k * proto::kChunkSize), quint32(size));
    QCOMPARE(shown, expected);
    QCOMPARE(h.answerer().fileDialogFilters(), QStringList{"Binary files (*.bin *.binary)"});
    QCOMPARE(h.answerer().boxes()[0].text,
             QStringLiteral(
                 "Обновить прошивку?\nВнимание!!! Не отключайте питание до окончания операции!"));

    const QVector<Chunk> plan = planChunks(quint32(size));
    const QList<Request> reqs = h.sim().requests();
    QCOMPARE(reqs.size(), plan.size());
    for (int i = 0; i < reqs.size(); ++i) {
        QCOMPARE(reqs[i].operation, proto::kOpWrite);
        QCOMPARE(reqs[i].address, plan[i].address);
        QCOMPARE(reqs[i].count, plan[i].count);
    }
    QCOMPARE(h.sim().memory(proto::kFirmwareBase, size), image(size));
    QVERIFY(!h.window().findChild<QProgressDialog *>());
    QCOMPARE(h.window().pendingOperation(), 0);
    QVERIFY(!h.window().isUploading());
}

void TestFirmware::refusedImagesSendNothing_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("message");
    QTest::newRow("54273") << 54273 << kUnknown;
    QTest::newRow("empty") << 0 << "Файл прошивки пуст!";
    QTest::newRow("missing") << -1 << "Ошибка открытия файла!";
}

void TestFirmware::refusedImagesSendNothing()
{
    QFETCH(int, size);
    QFETCH(QString, message);
    QTemporaryDir dir;
    WindowHarness h;
    QVERIFY(h.start());
    if (size < 0)  // vanished between the dialog and the read
        QVERIFY(!h.window().loadFirmwareImage(dir.filePath("gone.bin")));
    else
        QVERIFY(upload(h, writeFile(dir, "fw.bin", image(size))));
    QCOMPARE(h.answerer().texts().last(), message);
    QCOMPARE(h.answerer().boxes().last().icon, QMessageBox::Critical);
    QTest::qWait(100);
    QCOMPARE(h.sim().requestCount(), 0);
    QVERIFY(!h.window().findChild<QProgressDialog *>());
}

void TestFirmware::refusedChunkStopsTheUpload()
{
    SimOptions opts;
    opts.refuseWrite = 3;
    QTemporaryDir dir;
    WindowHarness h(opts);
    QVERIFY(h.start());
    QVERIFY(upload(h, writeFile(dir, "fw.bin", image(5000))));
    QCOMPARE(h.answerer().texts().last(), QStringLiteral("Ошибка обновления прошивки!"));
    QTest::qWait(100);
    QCOMPARE(h.sim().requestCount(), 3);
    QVERIFY(!h.window().findChild<QProgressDialog *>());
    QVERIFY(!h.window().isUploading());
}

void TestFirmware::cancelEndsSilently()
{
    SimOptions opts;
    opts.delayMs = 300;
    QTemporaryDir dir;
    WindowHarness h(opts);
    QVERIFY(h.start());
    h.answerer().queueAnswer(QStringLiteral("Да"));
    h.answerer().queueFileName(writeFile(dir, "fw.bin", image(4096)));
    h.trigger("actionUpdateFirmware");
    auto *dialog = h.window().findChild<QProgressDialog *>();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Velmor4 util"));
    QCOMPARE(dialog->labelText(), QStringLiteral("Обновление..."));
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

void TestFirmware::silenceMidUploadRemovesTheDialog()
{
    SimOptions opts;
    opts.noReplyTo = 2;
    QTemporaryDir dir;
    WindowHarness h(opts);
    QVERIFY(h.start());
    QVERIFY(upload(h, writeFile(dir, "fw.bin", image(3000)), 2, 8000));
    QCOMPARE(h.answerer().texts().last(), QStringLiteral("Устройство не отвечает!"));
    QVERIFY(!h.window().findChild<QProgressDialog *>());
    QCOMPARE(h.window().pendingOperation(), 0);
    QCOMPARE(h.sim().requestCount(), 2);
    // The window is usable again at once.
    QVERIFY(h.run("actionFirmwareVer"));
    QCOMPARE(h.answerer().texts().last(), QStringLiteral("Версия прошивки: 1.05"));
}

void TestFirmware::noPortLeavesNoUploadBehind()
{
    QTemporaryDir dir;
    ModalAnswerer answerer;
    PortList::setSystemSource([] { return QStringList(); });
    {
        MainWindow w;
        answerer.queueAnswer(QStringLiteral("Да"));
        answerer.queueFileName(writeFile(dir, "fw.bin", image(2000)));
        QMetaObject::invokeMethod(&w, "actionUpdateFirmware_Click");
        QCOMPARE(answerer.texts().last(), QStringLiteral("Не выбран COM порт!"));
        QVERIFY(!w.findChild<QProgressDialog *>());
        QVERIFY(!w.isUploading());
        QCOMPARE(w.pendingOperation(), 0);
    }
    PortList::setSystemSource({});
}

void TestFirmware::portListHoldsStillDuringUpload()
{
    SimOptions opts;
    opts.delayMs = 150;
    QTemporaryDir dir;
    WindowHarness h(opts);
    QVERIFY(h.start());
    auto *combo = h.window().findChild<QComboBox *>(QStringLiteral("commPortCombo"));
    h.answerer().queueAnswer(QStringLiteral("Да"));
    h.answerer().queueFileName(writeFile(dir, "fw.bin", image(5 * 1024)));
    h.trigger("actionUpdateFirmware");
    // A port plugged in mid-upload would rebuild the chooser and select another port.
    PortList::setSystemSource([] { return QStringList{QStringLiteral("ttyS0")}; });
    QVERIFY(h.answerer().waitForBoxes(2, 10000));
    QCOMPARE(h.answerer().texts().last(), kDone);
    QCOMPARE(h.sim().requestCount(), 5);
    QTRY_COMPARE(combo->count(), 2);
}

QTEST_MAIN(TestFirmware)
#include "tst_firmware.moc"
