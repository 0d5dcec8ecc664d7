// The two settings blocks: field checks, read and write through the window, settings files.
#include "link/protocol.h"
#include "link/request.h"
#include "params/fields.h"
#include "params/settingsfile.h"
#include "tests/support/harness.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kBadValue = QStringLiteral("Неверное значение");
const QString kWritten = QStringLiteral("Успешно записано");

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
    QByteArray b(proto::kSysParSize, '\0');
    for (int i = 0; i < 28; ++i)
        b[i] = char(i * 7 + 3);
    b[28] = 7;
    b[29] = 100;
    b[30] = 60;
    b[31] = char(200);
    b[32] = 58;
    b[33] = char(0x5A);
    return b;
}

const QByteArray kSampleHardw = QByteArray::fromHex("0100FF03FE03FFFF0100");
}  // namespace

class TestParams : public QObject
{
    Q_OBJECT
private slots:
    void fieldEdges_data();
    void fieldEdges();
    void storedOffsetsAreShownBack();
    void settingsFileRoundTrip();
    void settingsFileFaultsChangeNothing_data();
    void settingsFileFaultsChangeNothing();

    void readThenWriteRoundTrip();
    void writeSendsExactBytes();
    void declinedWriteSendsNothing();
    void badFieldsStopTheWrite_data();
    void badFieldsStopTheWrite();
    void firstBadFieldWins();
    void factoryButtonChangesOnlyTheWindow();
    void wrongSizeReplyChangesNothing_data();
    void wrongSizeReplyChangesNothing();
    void acknowledgements_data();
    void acknowledgements();
    void noPortSelected();
    void replyToTheLatestCommand();
    void saveAndOpenSettingsFile();
    void openDeclinedShowsNoDialog();
};

void TestParams::fieldEdges_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");  // -1: refused
    const struct
    {
        const char *field;
        const char *text;
        int stored;
    } rows[] = {
        {"switch1.start", "0", 0},
        {"switch1.start", "65535", 65535},
        {"switch1.end", "65536", -1},
        {"switch1.end", "-1", -1},
        {"switch2.start", "", -1},
        {"switch7.end", "12a", -1},
        {"switch7.end", " 5", 5},
        {"comUsedEdit", "0", 0},
        {"comUsedEdit", "7", 7},
        {"comUsedEdit", "8", -1},
        {"callCountEdit", "1", -1},
        {"callCountEdit", "2", 0},
        {"callCountEdit", "60", 58},
        {"callCountEdit", "61", -1},
        {"callCountEdit", "0", -1},
        {"talkTimeoutEdit", "39", -1},
        {"talkTimeoutEdit", "40", 0},
        {"talkTimeoutEdit", "240", 200},
        {"talkTimeoutEdit", "241", -1},
        {"loThrEdit", "0", -1},
        {"loThrEdit", "1", 1},
        {"loThrEdit", "100", 100},
        {"loThrEdit", "101", -1},
        {"hiThrEdit", "60", 60},
        {"hiThrEdit", "61", -1},
        {"uLineShortEdit", "0", -1},
        {"uLineShortEdit", "1", 1},
        {"uLineTrDownEdit", "1023", 1023},
        {"uLineTrUpEdit", "1024", -1},
        {"stabTimeoutEdit", "65535", 65535},
        {"stabTimeoutEdit", "65536", -1},
        {"repeatTimeoutEdit", "", -1},
        {"repeatTimeoutEdit", "1", 1},
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
    const int got = f.width == 2 ? quint8(block[f.offset]) | quint8(block[f.offset + 1]) << 8
                                 : quint8(block[f.offset]);
    QCOMPARE(got, stored);
    QCOMPARE(fieldText(f, block), QString::number(shown));
    // Nothing outside the field is touched.
    QCOMPARE(block.count('\xEE'), block.size() - f.width);
}

void TestParams::storedOffsetsAreShownBack()
{
    QByteArray block(proto::kSysParSize, '\0');
    block[32] = char(255);
    QCOMPARE(fieldText(fieldNamed("callCountEdit"), block), QStringLiteral("257"));
    block[31] = char(255);
    QCOMPARE(fieldText(fieldNamed("talkTimeoutEdit"), block), QStringLiteral("295"));
}

void TestParams::settingsFileRoundTrip()
{
    const QByteArray text = settingsFileText(sampleSys(), kSampleHardw);
    QVERIFY(text.contains("format = 1\n"));
    QVERIFY(text.contains("calls = 60\n"));
    QVERIFY(text.contains("reserved = 90\n"));
    QVERIFY(text.contains("ULINE_TR_UP = 1022\n"));
    QByteArray sys, hardw;
    QString error;
    QVERIFY2(parseSettingsFile(text, &sys, &hardw, &error), qPrintable(error));
    QCOMPARE(sys, sampleSys());
    QCOMPARE(hardw, kSampleHardw);
}

void TestParams::settingsFileFaultsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = settingsFileText(sampleSys(), kSampleHardw);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QTest::newRow("unknown format") << QByteArray(good).replace("format = 1", "format = 2");
    QTest::newRow("out of range") << QByteArray(good).replace("calls = 60", "calls = 61");
    QTest::newRow("not a number") << QByteArray(good).replace("ULINE_SHORT = 1", "ULINE_SHORT = x");
    QTest::newRow("missing value") << QByteArray(good).replace("reserved = 90\n", "");
    QTest::newRow("duplicate") << good + "[hardware]\nULINE_SHORT = 1\n";
    QTest::newRow("unknown key") << good + "extra = 1\n";
    QTest::newRow("no equals") << good + "junk\n";
    QTest::newRow("binary") << QByteArray("\x00\x01\xFF\xFE", 4);
}

void TestParams::settingsFileFaultsChangeNothing()
{
    QFETCH(QByteArray, text);
    QByteArray sys("keep"), hardw("keep");
    QString error;
    QVERIFY(!parseSettingsFile(text, &sys, &hardw, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(sys, QByteArray("keep"));
    QCOMPARE(hardw, QByteArray("keep"));
}

void TestParams::readThenWriteRoundTrip()
{
    WindowHarness h;
    QVERIFY(h.start());
    h.sim().setMemory(proto::kSysParAddr, sampleSys());
    h.sim().setMemory(proto::kHardwParAddr, kSampleHardw);

    h.trigger("actionSysParRead");
    QTRY_COMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("7"));
    QCOMPARE(h.edit("callCountEdit")->text(), QStringLiteral("60"));
    QCOMPARE(h.edit("talkTimeoutEdit")->text(), QStringLiteral("240"));
    QCOMPARE(h.edit("loThrEdit")->text(), QStringLiteral("100"));
    QCOMPARE(h.edit("hiThrEdit")->text(), QStringLiteral("60"));
    QCOMPARE(h.cell(0, 0), QString::number(3 | 10 << 8));
    QCOMPARE(h.window().sysParBlock(), sampleSys());

    h.trigger("actionHardwRead");
    QTRY_COMPARE(h.edit("uLineShortEdit")->text(), QStringLiteral("1"));
    QCOMPARE(h.edit("uLineTrDownEdit")->text(), QStringLiteral("1023"));
    QCOMPARE(h.edit("stabTimeoutEdit")->text(), QStringLiteral("65535"));
    QVERIFY(h.answerer().boxes().isEmpty());

    // Edit one value and write both back: the device holds exactly what was read, with the
    // edit, and its reserved byte 33 comes back unchanged.
    h.setCell(6, 1, QStringLiteral("4242"));
    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(h.run("actionSysParWrite", 2));
    QCOMPARE(h.answerer().texts().last(), kWritten);
    QByteArray expected = sampleSys();
    expected[26] = char(4242 & 0xFF);
    expected[27] = char(4242 >> 8);
    QCOMPARE(h.sim().memory(proto::kSysParAddr, proto::kSysParSize), expected);

    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(h.run("actionHardwWrite", 2));
    QCOMPARE(h.answerer().texts().last(), kWritten);
    QCOMPARE(h.sim().memory(proto::kHardwParAddr, proto::kHardwParSize), kSampleHardw);

    // Read back after changing the window: the device's values return.
    h.window().loadFactoryValues();
    h.trigger("actionSysParRead");
    QTRY_COMPARE(h.cell(6, 1), QStringLiteral("4242"));
}

void TestParams::writeSendsExactBytes()
{
    WindowHarness h;
    QVERIFY(h.start());
    h.edit("callCountEdit")->setText(QStringLiteral("2"));
    h.edit("talkTimeoutEdit")->setText(QStringLiteral("40"));
    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(h.run("actionSysParWrite", 2));
    const QList<Request> reqs = h.sim().requests();
    QCOMPARE(reqs.size(), 1);
    QCOMPARE(reqs[0].operation, proto::kOpWrite);
    QCOMPARE(reqs[0].address, proto::kSysParAddr);
    QCOMPARE(int(reqs[0].count), proto::kSysParSize);
    QByteArray expected;
    for (int k = 0; k < 7; ++k)
        expected += QByteArray::fromHex("0100DC00");
    expected += QByteArray::fromHex("01321E000000");  // calls 2 -> 0, talk 40 -> 0
    QCOMPARE(reqs[0].data, expected);
    const auto &boxes = h.answerer().boxes();
    QCOMPARE(boxes[0].text,
             QStringLiteral("Записать настройки?\nВнимание!!! ВСЕ настройки "
                            "коммутатора будут перезаписаны!\nПродолжить?"));
    QCOMPARE(boxes[0].icon, QMessageBox::Question);
}

void TestParams::declinedWriteSendsNothing()
{
    WindowHarness h;
    QVERIFY(h.start());
    h.edit("comUsedEdit")->setText(QStringLiteral("bad"));  // not even checked
    h.answerer().queueAnswer(QStringLiteral("Нет"));
    QVERIFY(h.run("actionSysParWrite", 1));
    h.answerer().queueAnswer(QStringLiteral("Нет"));
    QVERIFY(h.run("actionHardwWrite", 1));
    QTest::qWait(100);
    QCOMPARE(h.answerer().boxes().size(), 2);
    QCOMPARE(h.answerer().boxes()[1].text,
             QStringLiteral("Записать аппаратные настройки?\nВнимание!!! ВСЕ аппаратные "
                            "настройки коммутатора будут перезаписаны!\nПродолжить?"));
    QCOMPARE(h.sim().requestCount(), 0);
}

void TestParams::badFieldsStopTheWrite_data()
{
    // The ranges themselves are covered without a window; here, what the engineer sees.
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("field");  // line edit name, or "r,c" for a table cell
    QTest::addColumn<QString>("text");
    QTest::newRow("cell 65536") << "actionSysParWrite"
                                << "3,1"
                                << "65536";
    QTest::newRow("used 8") << "actionSysParWrite"
                            << "comUsedEdit"
                            << "8";
    QTest::newRow("calls 1") << "actionSysParWrite"
                             << "callCountEdit"
                             << "1";
    QTest::newRow("repeat 12a") << "actionHardwWrite"
                                << "repeatTimeoutEdit"
                                << "12a";
}

void TestParams::badFieldsStopTheWrite()
{
    QFETCH(QString, action);
    QFETCH(QString, field);
    QFETCH(QString, text);
    WindowHarness h;
    QVERIFY(h.start());
    const bool isCell = field.contains(',');
    const int row = field.section(',', 0, 0).toInt();
    const int col = field.section(',', 1, 1).toInt();
    if (isCell)
        h.setCell(row, col, text);
    else
        h.edit(field.toLatin1())->setText(text);

    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(h.run(action.toLatin1(), 2));
    QCOMPARE(h.answerer().texts().last(), kBadValue);
    QCOMPARE(h.answerer().boxes().last().icon, QMessageBox::Critical);
    if (isCell) {
        QCOMPARE(h.table()->currentRow(), row);
        QCOMPARE(h.table()->currentColumn(), col);
    } else {
        QTRY_COMPARE(h.window().focusWidget(), h.edit(field.toLatin1()));
    }
    QTest::qWait(50);
    QCOMPARE(h.sim().requestCount(), 0);
}

void TestParams::firstBadFieldWins()
{
    WindowHarness h;
    QVERIFY(h.start());
    h.setCell(0, 0, QStringLiteral("x"));
    h.edit("comUsedEdit")->setText(QStringLiteral("9"));
    h.edit("uLineTrDownEdit")->setText(QStringLiteral("0"));
    h.edit("repeatTimeoutEdit")->setText(QStringLiteral("0"));
    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(h.run("actionSysParWrite", 2));
    QCOMPARE(h.table()->currentRow(), 0);
    QCOMPARE(h.table()->currentColumn(), 0);
    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(h.run("actionHardwWrite", 2));
    QTRY_COMPARE(h.window().focusWidget(), h.edit("uLineTrDownEdit"));
    QTest::qWait(50);
    QCOMPARE(h.answerer().boxes().size(), 4);
    QCOMPARE(h.sim().requestCount(), 0);
}

void TestParams::factoryButtonChangesOnlyTheWindow()
{
    WindowHarness h;
    QVERIFY(h.start());
    h.sim().setMemory(proto::kSysParAddr, sampleSys());
    h.trigger("actionSysParRead");
    QTRY_COMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("7"));
    QTest::mouseClick(h.window().findChild<QPushButton *>(QStringLiteral("factoryBtn")),
                      Qt::LeftButton);
    QCOMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("1"));
    QCOMPARE(h.cell(4, 1), QStringLiteral("220"));
    QCOMPARE(h.window().sysParBlock(), sampleSys());
    QCOMPARE(h.table()->horizontalHeaderItem(1)->text(), QStringLiteral("Кон. № абон."));
    QCOMPARE(h.sim().requestCount(), 1);
}

void TestParams::wrongSizeReplyChangesNothing_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<int>("size");
    QTest::newRow("system 33") << QByteArray("actionSysParRead") << 33;
    QTest::newRow("system 35") << QByteArray("actionSysParRead") << 35;
    QTest::newRow("system empty") << QByteArray("actionSysParRead") << 0;
    QTest::newRow("hardware 9") << QByteArray("actionHardwRead") << 9;
    QTest::newRow("hardware 11") << QByteArray("actionHardwRead") << 11;
}

void TestParams::wrongSizeReplyChangesNothing()
{
    QFETCH(QByteArray, action);
    QFETCH(int, size);
    RawWindow w;
    QVERIFY(w.start());
    const QByteArray sys = w.window().sysParBlock();
    const QByteArray hardw = w.window().hardwParBlock();
    w.trigger(action.constData());
    QVERIFY(!w.takeRequest().isEmpty());
    w.reply(QByteArray(size, '\x07'));
    QVERIFY(w.answerer().waitForBoxes(1));
    QCOMPARE(w.answerer().texts(), QStringList{QStringLiteral("Ошибка чтения")});
    QCOMPARE(w.window().sysParBlock(), sys);
    QCOMPARE(w.window().hardwParBlock(), hardw);
    QCOMPARE(w.window().findChild<QLineEdit *>(QStringLiteral("uLineShortEdit"))->text(),
             QStringLiteral("200"));
    QCOMPARE(w.window().findChild<QTableWidget *>(QStringLiteral("coordTbl"))->item(0, 0)->text(),
             QStringLiteral("1"));
}

void TestParams::acknowledgements_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::newRow("01") << QByteArray::fromHex("01") << kWritten << int(QMessageBox::Information);
    QTest::newRow("00") << QByteArray::fromHex("00") << "Ошибка записи"
                        << int(QMessageBox::Critical);
    QTest::newRow("empty") << QByteArray() << "Ошибка записи" << int(QMessageBox::Critical);
    QTest::newRow("00 01") << QByteArray::fromHex("0001") << "Ошибка записи"
                           << int(QMessageBox::Critical);
    QTest::newRow("FF 00") << QByteArray::fromHex("FF00") << kWritten
                           << int(QMessageBox::Information);
}

void TestParams::acknowledgements()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, message);
    QFETCH(int, icon);
    RawWindow w;
    QVERIFY(w.start());
    w.answerer().queueAnswer(QStringLiteral("Да"));
    w.trigger("actionHardwWrite");
    const QByteArray body = w.takeRequest();
    QCOMPARE(body, QByteArray::fromHex("0300FC00080A0000C800CC01E402F401B004"));
    w.reply(payload);
    QVERIFY(w.answerer().waitForBoxes(2));
    QCOMPARE(w.answerer().boxes()[1].text, message);
    QCOMPARE(int(w.answerer().boxes()[1].icon), icon);
    QCOMPARE(w.window().pendingOperation(), 0);
}

void TestParams::noPortSelected()
{
    ModalAnswerer answerer;
    PortList::setSystemSource([] { return QStringList(); });
    {
        MainWindow w;
        for (const char *action : {"actionSysParRead", "actionHardwRead", "actionFirmwareVer"}) {
            w.findChild<QAction *>(QLatin1String(action))->trigger();
            QCOMPARE(answerer.texts().last(), QStringLiteral("Не выбран COM порт!"));
        }
        answerer.queueAnswer(QStringLiteral("Да"));
        w.findChild<QAction *>(QStringLiteral("actionSysParWrite"))->trigger();
        QCOMPARE(answerer.texts().last(), QStringLiteral("Не выбран COM порт!"));
        QCOMPARE(answerer.boxes().size(), 5);
    }
    PortList::setSystemSource({});
}

void TestParams::replyToTheLatestCommand()
{
    RawWindow w;
    QVERIFY(w.start());
    w.trigger("actionFirmwareVer");
    QVERIFY(!w.takeRequest().isEmpty());
    w.trigger("actionSysParRead");  // not refused: it now owns the reply
    QCOMPARE(w.takeRequest(),
             QByteArray::fromHex("0400F8000822"
                                 "0000"));
    w.reply(QByteArray::fromHex("00650501"));
    QVERIFY(w.answerer().waitForBoxes(1));
    QCOMPARE(w.answerer().texts(), QStringList{QStringLiteral("Ошибка чтения")});
    // The late reply to the second frame finds nothing awaited and is ignored.
    w.reply(QByteArray(34, '\x01'));
    QTest::qWait(200);
    QCOMPARE(w.answerer().boxes().size(), 1);
}

void TestParams::saveAndOpenSettingsFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("line7.vlt"));
    WindowHarness h;
    QVERIFY(h.start());
    h.sim().setMemory(proto::kSysParAddr, sampleSys());
    h.trigger("actionSysParRead");
    QTRY_COMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("7"));
    h.edit("uLineTrUpEdit")->setText(QStringLiteral("1000"));

    // The actions stay disabled in the menu; their slots are reached directly.
    h.answerer().queueFileName(path);
    QVERIFY(QMetaObject::invokeMethod(&h.window(), "actionFileSaveParam_Click"));
    QVERIFY(QFile::exists(path));
    QCOMPARE(h.answerer().fileDialogFilters(), QStringList{"VLT Files (*.vlt)"});

    h.window().loadFactoryValues();
    h.answerer().queueAnswer(QStringLiteral("Да"));
    h.answerer().queueFileName(path);
    QVERIFY(QMetaObject::invokeMethod(&h.window(), "actionFileOpenParam_Click"));
    QCOMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("7"));
    QCOMPARE(h.edit("uLineTrUpEdit")->text(), QStringLiteral("1000"));
    QCOMPARE(h.window().sysParBlock(), sampleSys());
    QCOMPARE(h.answerer().boxes().size(), 1);  // only the question

    // A damaged file is refused whole.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QByteArray text = f.readAll();
    f.resize(0);
    f.write(QByteArray(text).replace("switches_used = 7", "switches_used = 8"));
    f.close();
    h.window().loadFactoryValues();
    h.answerer().queueAnswer(QStringLiteral("Да"));
    h.answerer().queueFileName(path);
    QVERIFY(QMetaObject::invokeMethod(&h.window(), "actionFileOpenParam_Click"));
    QVERIFY(h.answerer().texts().last().startsWith(QStringLiteral("Неверный файл настроек")));
    QCOMPARE(h.edit("comUsedEdit")->text(), QStringLiteral("1"));
    QCOMPARE(h.window().sysParBlock(), sampleSys());

    // A bad field writes no file at all.
    const QString other = dir.filePath(QStringLiteral("other.vlt"));
    h.edit("hiThrEdit")->setText(QStringLiteral("61"));
    h.answerer().queueFileName(other);
    QVERIFY(QMetaObject::invokeMethod(&h.window(), "actionFileSaveParam_Click"));
    QCOMPARE(h.answerer().texts().last(), kBadValue);
    QVERIFY(!QFile::exists(other));
}

void TestParams::openDeclinedShowsNoDialog()
{
    WindowHarness h;
    QVERIFY(h.start());
    h.answerer().queueAnswer(QStringLiteral("Нет"));
    QVERIFY(QMetaObject::invokeMethod(&h.window(), "actionFileOpenParam_Click"));
    QCOMPARE(h.answerer().fileDialogs(), 0);
    QCOMPARE(h.answerer().boxes()[0].text,
             QStringLiteral("Внимание!!! Текущие настройки будут перезаписаны!\nПродолжить?"));
    // A cancelled file dialog shows nothing.
    h.answerer().queueAnswer(QStringLiteral("Да"));
    QVERIFY(QMetaObject::invokeMethod(&h.window(), "actionFileOpenParam_Click"));
    QCOMPARE(h.answerer().fileDialogs(), 1);
    QCOMPARE(h.answerer().boxes().size(), 2);
}

QTEST_MAIN(TestParams)
#include "tst_params.moc"
