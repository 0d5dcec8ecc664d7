// The two settings blocks read and written through the window, settings files;
// how the window takes every kind of reply.
#include "link/protocol.h"
#include "params/fields.h"
#include "params/settingsfile.h"
#include "tests/support/harness.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestParams : public QObject
{
    Q_OBJECT
private slots:
    void readEditWriteBack();
    void writeStopsBeforeSending_data();
    void writeStopsBeforeSending();
    void repliesToReadsAndWrites_data();
    void repliesToReadsAndWrites();
    void settingsFiles();
    void leavingAsksFirst();
};

void TestParams::readEditWriteBack()
{
    WindowHarness h;
    QVERIFY(h.start());
    h.sim().setMemory(proto::kSysParAddr, sampleSys());
    h.sim().setMemory(proto::kHardwParAddr, kSampleHardw);
    h.trigger("actionSysParRead");
    QTRY_COMPARE(h.edit("talkTimeoutEdit")->text(), QStringLiteral("240"));
    QCOMPARE(h.edit("callCountEdit")->text(), QStringLiteral("60"));
    QCOMPARE(h.table()->item(0, 0)->text(), QString::number(3 | 10 << 8));
    h.trigger("actionHardwRead");
    QTRY_COMPARE(h.edit("stabTimeoutEdit")->text(), QStringLiteral("65535"));

    // One edit, both blocks written back: the device holds what was read plus the edit, and
    // its reserved byte 33 comes back unchanged.
    h.setCell(6, 1, QStringLiteral("4242"));
    for (const char *action : {"actionSysParWrite", "actionHardwWrite"}) {
        h.answerer().queueAnswer(QStringLiteral("Да"));
        QVERIFY(h.run(action, 2));
        QCOMPARE(h.answerer().texts().last(), QStringLiteral("Успешно записано"));
    }
    QCOMPARE(h.sim().memory(proto::kSysParAddr, proto::kSysParSize),
             sampleSys().replace(26, 2, QByteArray::fromHex("9210")));
    QCOMPARE(h.sim().memory(proto::kHardwParAddr, proto::kHardwParSize), kSampleHardw);
    QVERIFY(h.answerer().texts()[0].startsWith(QStringLiteral("Записать настройки?\n")));
    QVERIFY(h.answerer().texts()[2].startsWith(QStringLiteral("Записать аппаратные настройки?")));
}

void TestParams::writeStopsBeforeSending_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("edits");  // "field=text"; a table cell as "row,column"
    QTest::addColumn<QString>("focus");      // where the engineer is taken; empty: no check
    QTest::addColumn<QString>("field");      // the second line of the message
    const QByteArray sys = "actionSysParWrite";
    QTest::newRow("declined, not checked") << sys << "Нет" << QStringList{"comUsedEdit=x"} << ""
                                           << "";
    QTest::newRow("cell 65536") << sys << "Да" << QStringList{"3,1=65536"} << "3,1"
                                << "Коммутатор 4, Кон. № абон.: от 0 до 65535";
    QTest::newRow("first bad field wins")
        << sys << "Да" << QStringList{"0,0=x", "comUsedEdit=9"} << "0,0"
        << "Коммутатор 1, Нач. № абон.: от 0 до 65535";
    QTest::newRow("hardware, first bad field wins")
        << QByteArray("actionHardwWrite") << "Да"
        << QStringList{"uLineTrDownEdit=0", "repeatTimeoutEdit=12a"} << "uLineTrDownEdit"
        << "ULINE_TR_DOWN: от 1 до 1023";
}

void TestParams::writeStopsBeforeSending()
{
    QFETCH(QByteArray, action);
    QFETCH(QString, answer);
    QFETCH(QStringList, edits);
    QFETCH(QString, focus);
    QFETCH(QString, field);
    WindowHarness h;
    QVERIFY(h.start());
    for (const QString &e : edits)
        h.setField(e);
    h.answerer().queueAnswer(answer);
    QVERIFY(h.run(action, focus.isEmpty() ? 1 : 2));
    QTest::qWait(50);
    QCOMPARE(h.sim().requestCount(), 0);
    QCOMPARE(h.answerer().texts().last() == "Неверное значение\n" + field, !focus.isEmpty());
    if (focus.contains(','))
        QCOMPARE(QString("%1,%2").arg(h.table()->currentRow()).arg(h.table()->currentColumn()),
                 focus);
    else if (!focus.isEmpty())
        QTRY_COMPARE(h.window().focusWidget(), h.edit(focus.toLatin1()));
}

void TestParams::repliesToReadsAndWrites_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("message");
    const QString readError = QStringLiteral("Ошибка чтения");
    const QByteArray write("actionHardwWrite");
    QTest::newRow("system 33") << QByteArray("actionSysParRead") << QByteArray(33, 7) << readError;
    QTest::newRow("hardware 11") << QByteArray("actionHardwRead") << QByteArray(11, 7) << readError;
    const QByteArray version("actionFirmwareVer");
    QTest::newRow("version") << version << QByteArray::fromHex("00650C02")
                             << "Версия прошивки: 2.12";
    QTest::newRow("foreign device")
        << version << QByteArray::fromHex("00660501") << "Неизвестное устройство!";
    QTest::newRow("ack 01") << write << QByteArray::fromHex("01") << "Успешно записано";
    QTest::newRow("ack 00 01") << write << QByteArray::fromHex("0001") << "Ошибка записи";
    QTest::newRow("ack empty") << write << QByteArray() << "Ошибка записи";
}

void TestParams::repliesToReadsAndWrites()
{
    QFETCH(QByteArray, action);
    QFETCH(QByteArray, payload);
    QFETCH(QString, message);
    WindowHarness w;
    QVERIFY(w.startRaw());
    const QByteArray blocks = w.window().sysParBlock() + w.window().hardwParBlock();
    w.answerer().queueAnswer(QStringLiteral("Да"));
    w.trigger(action.constData());
    QVERIFY(!w.takeRequest().isEmpty());
    w.reply(payload);
    QTRY_VERIFY(w.answerer().texts().contains(message));
    QCOMPARE(w.window().sysParBlock() + w.window().hardwParBlock(), blocks);
    QCOMPARE(w.edit("uLineShortEdit")->text(), QStringLiteral("200"));
}

void TestParams::settingsFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("line7.vlt"));
    WindowHarness h;
    QVERIFY(h.start());
    h.sim().setMemory(proto::kSysParAddr, sampleSys());
    h.trigger("actionSysParRead");
    QTRY_COMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("7"));
    h.edit("uLineTrUpEdit")->setText(QStringLiteral("1000"));
    // The actions stay greyed out in the menu; their slots are reached directly.
    h.answerer().queueFileName(path);
    QVERIFY(QMetaObject::invokeMethod(&h.window(), "actionFileSaveParam_Click"));
    const auto open = [&](const QString &answer, const QString &name) {
        h.window().loadFactoryValues();
        h.answerer().queueAnswer(answer);
        h.answerer().queueFileName(name);
        return QMetaObject::invokeMethod(&h.window(), "actionFileOpenParam_Click");
    };
    QVERIFY(open("Да", path));
    QCOMPARE(h.edit("uLineTrUpEdit")->text(), QStringLiteral("1000"));
    QCOMPARE(h.window().sysParBlock(), sampleSys());
    QCOMPARE(h.answerer().boxes().size(), 1);  // the question alone

    // A damaged file or a FIFO is refused whole: the window keeps the factory values.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray text = f.readAll().replace("switches_used = 7", "switches_used = 8");
    QVERIFY(f.resize(0) && f.write(text) && f.flush());
    QVERIFY(open("Да", path));
    QVERIFY(h.answerer().texts().last().startsWith(QStringLiteral("Неверный файл настроек")));
    const QString fifo = dir.filePath(QStringLiteral("fifo.vlt"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(open("Да", fifo));
    QCOMPARE(h.answerer().texts().last(), QStringLiteral("Ошибка открытия файла!"));
    QCOMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("1"));
    const int dialogs = h.answerer().fileDialogs();
    QVERIFY(open("Нет", QString()));  // no file dialog after "Нет"
    QCOMPARE(h.answerer().fileDialogs(), dialogs);
}

// Closing the window, by its title bar or by "Выход", asks first while edits are neither in the
// device nor in a file, or while the device may hold an incomplete firmware: one question for
// both. "Нет", Enter and Escape keep the window open.
void TestParams::leavingAsksFirst()
{
    WindowHarness h;
    QVERIFY(h.start());
    h.sim().setMemory(proto::kHardwParAddr, kSampleHardw);
    const QString unsaved = QStringLiteral("Данные не сохранены!!!\n");
    const QString firmware
        = QStringLiteral("Прошивка записана не полностью: устройство может не запуститься.\n");
    const QMap<char, QString> questions{{'u', unsaved + "Выйти без сохранения?"},
                                        {'f', firmware + "Выйти?"},
                                        {'b', unsaved + firmware + "Выйти без сохранения?"}};
    const struct
    {
        const char *step;  // an edit "field=text", an action, the button or an upload
        char asks;         // when the window is closed next: the question's key, or nothing
    } steps[] = {{"factoryBtn", 0},      {"uLineShortEdit=333", 'u'}, {"uLineShortEdit=200", 0},
                 {"3,1=5", 'u'},         {"actionSysParRead", 0},     {"actionHardwRead", 0},
                 {"factoryBtn", 'u'},    {"actionSysParWrite", 'u'},  {"actionHardwWrite", 0},
                 {"comUsedEdit=3", 'u'}, {"upload refused", 'b'},     {"comUsedEdit=1", 'f'},
                 {"upload", 0},          {"upload refused", 'f'}};
    int asked = 0;
    for (const auto &s : steps) {
        const QString step = QLatin1String(s.step);
        const bool write = step.endsWith("Write");
        if (write)
            h.answerer().queueAnswer(QStringLiteral("Да"));
        if (step == "factoryBtn") {
            h.window().findChild<QPushButton *>(step)->click();
        } else if (step.startsWith("upload")) {
            int writes = 0;
            for (const Request &r : h.sim().requests())
                writes += r.operation == proto::kOpWrite;
            h.sim().options().refuseWrite = step == "upload refused" ? writes + 1 : 0;
            QVERIFY(h.upload(testImage(proto::kChunkSize)));
        } else if (step.startsWith("action")) {
            QVERIFY(h.run(s.step, write ? 2 : 0));
        } else {
            h.setField(step);
        }
        QTRY_VERIFY(h.window().findChild<QAction *>("actionSysParRead")->isEnabled());
        const int boxes = h.answerer().boxes().size();
        if (s.asks)
            h.answerer().queueAnswer(QStringList{"Нет", "Enter", "Escape"}[asked++ % 3]);
        QCloseEvent close;
        QApplication::sendEvent(&h.window(), &close);
        QVERIFY2(close.isAccepted() != bool(s.asks), s.step);
        QCOMPARE(h.answerer().boxes().size(), boxes + int(bool(s.asks)));
        QVERIFY2(!s.asks || h.answerer().texts().last() == questions[s.asks], s.step);
    }
    h.answerer().queueAnswer(QStringLiteral("Да"));
    h.trigger("actionFileQuit");
    QCOMPARE(h.answerer().texts().last(), questions['f']);
    QVERIFY(!h.window().isVisible());
}

QTEST_MAIN(TestParams)
#include "tst_params.moc"
