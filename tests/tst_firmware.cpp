// Firmware version and the chunked upload through the window, judged in the device.
#include "firmware/chunks.h"
#include "link/protocol.h"
#include "tests/support/harness.h"

#include <QAction>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTest>

class TestFirmware : public QObject
{
    Q_OBJECT
private slots:
    void uploadLandsInTheDevice_data();
    void uploadLandsInTheDevice();
    void uploadEndings_data();
    void uploadEndings();
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
    QList<int> shown;  // the bar and the second line as each chunk reaches the device
    QStringList lines;
    QObject::connect(&h.sim(), &Simulator::requestHandled, [&] {
        if (auto *d = h.window().findChild<QProgressDialog *>())
            shown << d->value(), lines << d->labelText();
    });
    QVERIFY(h.upload(testImage(size)));
    QCOMPARE(h.answerer().texts().last(), QStringLiteral("Прошивка успешно обновлена"));
    QList<int> expected{0};
    for (int k = 1; k * proto::kChunkSize < size; ++k)
        expected << progressPercent(quint32(k * proto::kChunkSize), quint32(size));
    QCOMPARE(shown, expected);
    for (int k = 0; k < lines.size(); ++k)  // and from the second block on, the time left
        QCOMPARE(lines[k].section(',', 0, 0),
                 QStringLiteral("Обновление...\nБлок %1 из %2")
                     .arg(k + 1)
                     .arg(planChunks(quint32(size)).size()));
    QVERIFY(lines.last().contains(QRegularExpression(", осталось \\d+:\\d\\d$")));

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
        const auto row = [=](const char *fault, const QString &message, int written) {
            QTest::addRow("%s, %d baud", fault, baud) << baud << fault << 5000
                                                      << message
                    + QStringLiteral("\nПрошивка записана не полностью, повторите обновление.")
                    + QStringLiteral("\nЗаписано блоков: %1 из 5.").arg(last + written - 1);
        };
        row("refused",
            QStringLiteral("Ошибка обновления прошивки!\nУстройство отказалось записать блок %1 "
                           "по адресу 0x0800%2.\nПорт: %port")
                .arg(last)
                .arg(last == 1 ? "2400" : "2C00"),
            0);
        row("no reply", "Устройство не отвечает!", 0);
        row("bad checksum", "Ошибка чтения данных!", 0);
        row("line gone", "Связь через порт нарушена: проверьте кабель и повторите.", 1);
        row("cancel", "Обновление прошивки отменено.",
            0);  // at once: the chunk in flight not counted
    }
    // A no-break space between the groups keeps a number on one line.
    QTest::newRow("too large") << 0 << "" << 54273
                               << "Файл прошивки слишком большой: 54\u00A0273 байт, не более "
                                  "54\u00A0272.";
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
    message.replace("%port", port);
    QObject::connect(&h.sim(), &Simulator::requestHandled, [&] {
        if (fault == "cancel" && h.sim().requestCount() == last)
            emit h.window().findChild<QProgressDialog *>()->canceled();  // its button's signal
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
    // The window takes the next command, after a lost reply once the line has been quiet for
    // a reply timeout; a line that is gone says so at once.
    QTRY_VERIFY_WITH_TIMEOUT(h.window().findChild<QAction *>("actionFirmwareVer")->isEnabled(),
                             proto::kReplyTimeoutMs + 1000);
    QVERIFY(h.run("actionFirmwareVer", 1, 1500));
    QVERIFY2(
        h.answerer().texts().last().contains(fault == "line gone" ? "\nПорт: " + port : "1.05"),
        qPrintable(h.answerer().texts().join(" | ")));
    // Until an upload completes, leaving asks first; "Нет" keeps the window.
    h.answerer().queueAnswer(QStringLiteral("Нет"));
    QCOMPARE(h.window().close(), fault.isEmpty());
    QCOMPARE(h.answerer().texts().last().startsWith("Прошивка записана не"), !fault.isEmpty());
}

QTEST_MAIN(TestFirmware)
#include "tst_firmware.moc"
