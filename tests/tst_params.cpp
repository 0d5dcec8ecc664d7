// The two settings blocks: field checks, read and write through the window, settings files.
#include "link/protocol.h"
#include "params/fields.h"
#include "params/settingsfile.h"
#include "tests/support/harness.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {
const QString kBadValue = QStringLiteral("Неверное значение");
const QString kOpenError = QStringLiteral("Ошибка открытия файла!");

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

// "name=text": a line edit by name, or a table cell as "row,column".
void edit(WindowHarness &h, const QString &what)
{
    const QString name = what.section('=', 0, 0);
    const QString text = what.section('=', 1);
    if (name.contains(','))
        h.setCell(name.section(',', 0, 0).toInt(), name.section(',', 1).toInt(), text);
    else
        h.edit(name.toLatin1())->setText(text);
}

bool runSlot(WindowHarness &h, const char *slot)
{
    return QMetaObject::invokeMethod(&h.window(), slot);
}
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
        {"switch7.end", "12a", -1},        {"comUsedEdit", "0", 0},
        {"comUsedEdit", "8", -1},          {"callCountEdit", "1", -1},
        {"callCountEdit", "2", 0},         {"callCountEdit", "60", 58},
        {"callCountEdit", "61", -1},       {"talkTimeoutEdit", "39", -1},
        {"talkTimeoutEdit", "40", 0},      {"talkTimeoutEdit", "240", 200},
        {"talkTimeoutEdit", "241", -1},    {"loThrEdit", "0", -1},
        {"loThrEdit", "100", 100},         {"loThrEdit", "101", -1},
        {"hiThrEdit", "60", 60},           {"hiThrEdit", "61", -1},
        {"uLineShortEdit", "0", -1},       {"uLineTrDownEdit", "1023", 1023},
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
    const QByteArray good = settingsFileText(sampleSys(), kSampleHardw);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QTest::newRow("unknown format") << QByteArray(good).replace("format = 1", "format = 2");
    QTest::newRow("out of range") << QByteArray(good).replace("calls = 60", "calls = 61");
    QTest::newRow("cut by a NUL") << QByteArray(good).replace("calls = 60", QByteArray("calls = 2\0" "00", 12));
    QTest::newRow("missing value") << QByteArray(good).replace("reserved = 90\n", "");
    QTest::newRow("duplicate") << good + "[hardware]\nULINE_SHORT = 1\n";
    QTest::newRow("unknown key") << good + "extra = 1\n";
}

void TestParams::settingsFileFaultsChangeNothing()
{
    QFETCH(QByteArray, text);
    QByteArray sys("keep"), hardw("keep");
    SettingsFileError error;
    QVERIFY(parseSettingsFile(settingsFileText(sampleSys(), kSampleHardw), &sys, &hardw, &error));
    QCOMPARE(sys + hardw, sampleSys() + kSampleHardw);
    sys = hardw = "keep";
    QVERIFY(!parseSettingsFile(text, &sys, &hardw, &error));
    QVERIFY(error.kind != SettingsFileError::None);
    QCOMPARE(sys + hardw, QByteArray("keepkeep"));
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
    QByteArray expected = sampleSys().replace(26, 2, QByteArray::fromHex("9210"));
    for (const char *action : {"actionSysParWrite", "actionHardwWrite"}) {
        h.answerer().queueAnswer(QStringLiteral("Да"));
        QVERIFY(h.run(action, 2));
        QCOMPARE(h.answerer().texts().last(), QStringLiteral("Успешно записано"));
    }
    QCOMPARE(h.sim().memory(proto::kSysParAddr, proto::kSysParSize), expected);
    QCOMPARE(h.sim().memory(proto::kHardwParAddr, proto::kHardwParSize), kSampleHardw);
    QVERIFY(h.answerer().texts()[0].startsWith(QStringLiteral("Записать настройки?\n")));
    QVERIFY(h.answerer().texts()[2].startsWith(QStringLiteral("Записать аппаратные настройки?")));
}

void TestParams::writeStopsBeforeSending_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("focus");  // line edit, or "row,column" of the current cell
    const QString sys = "actionSysParWrite";
    const QString hardw = "actionHardwWrite";
    QTest::newRow("declined, not even checked") << sys << "Нет" << QStringList{"comUsedEdit=x"}
                                                << "";
    QTest::newRow("cell 65536") << sys << "Да" << QStringList{"3,1=65536"} << "3,1";
    QTest::newRow("calls 1") << sys << "Да" << QStringList{"callCountEdit=1"} << "callCountEdit";
    QTest::newRow("first bad field wins")
        << sys << "Да" << QStringList{"0,0=x", "comUsedEdit=9"} << "0,0";
    QTest::newRow("hardware, first bad field wins")
        << hardw << "Да" << QStringList{"uLineTrDownEdit=0", "repeatTimeoutEdit=12a"}
        << "uLineTrDownEdit";
}

void TestParams::writeStopsBeforeSending()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QStringList, edits);
    QFETCH(QString, focus);
    WindowHarness h;
    QVERIFY(h.start());
    for (const QString &e : edits)
        edit(h, e);
    h.answerer().queueAnswer(answer);
    QVERIFY(h.run(action.toLatin1(), focus.isEmpty() ? 1 : 2));
    QTest::qWait(50);
    QCOMPARE(h.sim().requestCount(), 0);
    QCOMPARE(h.answerer().texts().last() == kBadValue, !focus.isEmpty());
    if (focus.isEmpty())
        return;
    if (focus.contains(','))
        QCOMPARE(QString("%1,%2").arg(h.table()->currentRow()).arg(h.table()->currentColumn()),
                 focus);
    else
        QTRY_COMPARE(h.window().focusWidget(), h.edit(focus.toLatin1()));
}

void TestParams::repliesToReadsAndWrites_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("message");
    const QString readError = QStringLiteral("Ошибка чтения");
    QTest::newRow("system 33") << QByteArray("actionSysParRead") << QByteArray(33, 7) << readError;
    QTest::newRow("system 35") << QByteArray("actionSysParRead") << QByteArray(35, 7) << readError;
    QTest::newRow("hardware 11") << QByteArray("actionHardwRead") << QByteArray(11, 7)
                                 << readError;
    const QByteArray write("actionHardwWrite");
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
    QCOMPARE(w.window().findChild<QLineEdit *>("uLineShortEdit")->text(), QStringLiteral("200"));
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
    QVERIFY(runSlot(h, "actionFileSaveParam_Click"));

    const auto open = [&](const QString &name) {
        h.window().loadFactoryValues();
        h.answerer().queueAnswer(QStringLiteral("Да"));
        h.answerer().queueFileName(name);
        return runSlot(h, "actionFileOpenParam_Click");
    };
    QVERIFY(open(path));
    QCOMPARE(h.edit("uLineTrUpEdit")->text(), QStringLiteral("1000"));
    QCOMPARE(h.window().sysParBlock(), sampleSys());
    QCOMPARE(h.answerer().boxes().size(), 1);  // the question alone

    // A damaged file or a FIFO is refused whole, and the window keeps the factory values.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray text = f.readAll();
    f.resize(0);
    f.write(QByteArray(text).replace("switches_used = 7", "switches_used = 8"));
    f.close();
    QVERIFY(open(path));
    QVERIFY(h.answerer().texts().last().startsWith(QStringLiteral("Неверный файл настроек")));
    const QString fifo = dir.filePath(QStringLiteral("fifo.vlt"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(open(fifo));
    QCOMPARE(h.answerer().texts().last(), kOpenError);
    QCOMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("1"));

    // "Нет" to the question opens no file dialog.
    const int dialogs = h.answerer().fileDialogs();
    h.answerer().queueAnswer(QStringLiteral("Нет"));
    QVERIFY(runSlot(h, "actionFileOpenParam_Click"));
    QCOMPARE(h.answerer().fileDialogs(), dialogs);
}

QTEST_MAIN(TestParams)
#include "tst_params.moc"
