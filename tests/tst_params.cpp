// The two settings blocks: field checks, read and write through the window, settings files;
// how the window takes every kind of reply.
#include "link/protocol.h"
#include "params/fields.h"
#include "params/settingsfile.h"
#include "tests/support/harness.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
const ParamField &fieldNamed(const QString &name)
{
    for (const auto *fields : {&sysParFields(), &hardwParFields()})
        for (const ParamField &f : *fields)
            if (QLatin1String(f.edit ? f.edit : f.key) == name)
                return f;
    qFatal("no field %s", qPrintable(name));
}

QByteArray sampleSys()
{
    QByteArray b;
    for (int i = 0; i < 28; ++i)
        b += char(i * 7 + 3);
    return b + QByteArray::fromHex("07643CC83A5A");  // used 7, 100, 60, talk 240, calls 60
}
const QByteArray kSampleHardw = QByteArray::fromHex("0100FF03FE03FFFF0100");
}  // namespace

class TestParams : public QObject
{
    Q_OBJECT
private slots:
    void fieldEdges_data();
    void fieldEdges();
    void settingsFileFaultsChangeNothing_data();
    void settingsFileFaultsChangeNothing();
    void readEditWriteBack();
    void writeStopsBeforeSending_data();
    void writeStopsBeforeSending();
    void repliesToReadsAndWrites_data();
    void repliesToReadsAndWrites();
    void settingsFiles();
};

void TestParams::fieldEdges_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");  // -1: refused
    const struct
    {
        const char *field, *text;
        int stored;
    } rows[] = {
        {"switch1.start", "65535", 65535}, {"switch1.end", "65536", -1},
        {"switch1.end", "-1", -1},         {"switch2.start", "", -1},
        {"comUsedEdit", "0", 0},           {"comUsedEdit", "8", -1},
        {"callCountEdit", "1", -1},        {"callCountEdit", "60", 58},
        {"callCountEdit", "61", -1},       {"talkTimeoutEdit", "40", 0},
        {"talkTimeoutEdit", "240", 200},   {"talkTimeoutEdit", "241", -1},
        {"loThrEdit", "100", 100},         {"loThrEdit", "101", -1},
        {"hiThrEdit", "61", -1},           {"uLineTrDownEdit", "1023", 1023},
        {"uLineTrUpEdit", "1024", -1},     {"stabTimeoutEdit", "65535", 65535},
        {"repeatTimeoutEdit", "1", 1},     {"repeatTimeoutEdit", "65536", -1},
    };
    for (const auto &r : rows)
        QTest::addRow("%s=%s", r.field, r.text) << r.field << r.text << r.stored;
}

void TestParams::fieldEdges()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, stored);
    const ParamField &f = fieldNamed(field);
    QByteArray block(proto::kSysParSize, '\xEE');
    quint16 shown = 0;
    QCOMPARE(parseField(f, text, &shown), stored >= 0);
    if (stored < 0)
        return;
    storeField(f, shown, block);
    const int got = quint8(block[f.offset]) | (f.width == 2 ? quint8(block[f.offset + 1]) << 8 : 0);
    QCOMPARE(got, stored);
    QCOMPARE(fieldText(f, block), QString::number(shown));
    QCOMPARE(block.count('\xEE'), block.size() - f.width);  // nothing else touched
}

void TestParams::settingsFileFaultsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");  // kind, line, key, range, first line of a duplicate
    const QByteArray good = settingsFileText(sampleSys(), kSampleHardw);
    const auto row = [](const char *name, const QByteArray &text, const char *error) {
        QTest::newRow(name) << text << error;
    };
    row("truncated", good.left(good.size() / 2), "6 0 system.switch6.end 0..65535 0");
    row("unknown format", QByteArray(good).replace("format = 1", "format = 2"), "4 0  0..0 0");
    row("out of range", QByteArray(good).replace("calls = 60", "calls = 61"),
        "5 20 system.calls 2..60 0");
    row("not a number", QByteArray(good).replace("calls = 60", "calls = 12x"),
        "5 20 system.calls 2..60 0");
    row("cut by a NUL",
        QByteArray(good).replace("calls = 60",
                                 {"calls = 2\0"
                                  "00",
                                  12}),
        "1 0  0..0 0");
    row("not key = value", good + "ULINE_SHORT\n", "2 32  0..0 0");
    row("duplicate", good + "[hardware]\nULINE_SHORT = 1\n", "3 33 hardware.ULINE_SHORT 0..0 27");
    row("unknown key", good + "extra = 1\n", "7 32 hardware.extra 0..0 0");
}

void TestParams::settingsFileFaultsChangeNothing()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QByteArray sys, hardw;
    SettingsFileError e;
    QVERIFY(parseSettingsFile(settingsFileText(sampleSys(), kSampleHardw), &sys, &hardw, &e));
    QCOMPARE(sys + hardw, sampleSys() + kSampleHardw);
    QVERIFY(!parseSettingsFile(text, &sys, &hardw, &e));
    QCOMPARE(QString("%1 %2 %3 %4..%5 %6")
                 .arg(e.kind)
                 .arg(e.line)
                 .arg(e.key)
                 .arg(e.min)
                 .arg(e.max)
                 .arg(e.firstLine),
             error);
    QCOMPARE(sys + hardw, sampleSys() + kSampleHardw);
}

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
    for (const QString &e : edits) {
        const QString name = e.section('=', 0, 0), text = e.section('=', 1);
        if (name.contains(','))
            h.setCell(name.section(',', 0, 0).toInt(), name.section(',', 1).toInt(), text);
        else
            h.edit(name.toLatin1())->setText(text);
    }
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

QTEST_MAIN(TestParams)
#include "tst_params.moc"
