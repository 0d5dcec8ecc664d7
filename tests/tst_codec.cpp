// The pure pieces, without a port or a window: request frames, field checks, settings files,
// version text, the chunk plan and firmware image files.
#include "firmware/chunks.h"
#include "firmware/image.h"
#include "firmware/version.h"
#include "link/frame.h"
#include "link/lineguard.h"
#include "link/protocol.h"
#include "link/request.h"
#include "params/fields.h"
#include "params/settingsfile.h"
#include "tests/support/samples.h"
#include "translations/texts.h"

#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const ParamField &fieldNamed(const QString &name)
{
    for (const auto *fields : {&sysParFields(), &hardwParFields()})
        for (const ParamField &f : *fields)
            if (QLatin1String(f.edit ? f.edit : f.key) == name)
                return f;
    qFatal("no field %s", qPrintable(name));
}
}  // namespace

class TestCodec : public QObject
{
    Q_OBJECT
private slots:
    void requestsOnTheWire_data();
    void requestsOnTheWire();
    void fieldEdges_data();
    void fieldEdges();
    void settingsFileFaultsChangeNothing_data();
    void settingsFileFaultsChangeNothing();
    void versionText_data();
    void versionText();
    void chunkPlan_data();
    void chunkPlan();
    void imageFiles();
    void lineGuard_data();
    void lineGuard();
};

void TestCodec::requestsOnTheWire_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("frame");
    const QByteArray block(34, '\x10');
    const auto read = [](quint32 address, quint16 count) {
        return buildRequestBody(proto::kOpRead, address, nullptr, count);
    };
    QTest::newRow("version") << read(proto::kVersionAddr, 4) << hex("55AA0800040020000804000030");
    QTest::newRow("system") << read(proto::kSysParAddr, 34) << hex("55AA08000400F8000822000026");
    // A 42-byte body in a 47-byte frame; the sum wraps at 256.
    QTest::newRow("system write") << buildRequestBody(proto::kOpWrite, proto::kSysParAddr,
                                                      block.constData(), 34)
                                  << hex("55AA2A000300F80008220000") + block + hex("45");
}

void TestCodec::requestsOnTheWire()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, frame);
    QCOMPARE(encodeFrame(body), frame);
}

void TestCodec::fieldEdges_data()
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

void TestCodec::fieldEdges()
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

void TestCodec::settingsFileFaultsChangeNothing_data()
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

void TestCodec::settingsFileFaultsChangeNothing()
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

void TestCodec::versionText_data()
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

void TestCodec::versionText()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, text);
    QCOMPARE(firmwareVersion(record), text);
    installRussianTexts();  // the window's wording
    QCOMPARE(firmwareVersionText(record),
             text.isNull() ? QString() : QStringLiteral("Версия прошивки: ") + text);
}

void TestCodec::chunkPlan_data()
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

void TestCodec::chunkPlan()
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

void TestCodec::imageFiles()
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
    QCOMPARE(readFirmwareImage(dir.path(), &got), ImageError::NotAFile);
#ifdef Q_OS_UNIX
    // Opening a FIFO would block until something writes to it.
    const QString fifo = dir.filePath(QStringLiteral("fifo.bin"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(readFirmwareImage(fifo, &got), ImageError::NotAFile);
#endif
}

void TestCodec::lineGuard_data()
{
    QTest::addColumn<bool>("frameSeen");  // the request of a 300 ms timeout ended at 0 ms
    // "b<ms>:<hex>" bytes arrive, "?<ms>=<answer>" quiet still needed: ms or "noisy"
    QTest::addColumn<QString>("script");
    const auto row = [](const char *name, bool frameSeen, const char *script) {
        QTest::newRow(name) << frameSeen << QString(script);
    };
    row("silence after a lost reply", false, "?0=300 ?299=1 ?300=0");
    row("silence after a bad frame", true, "?0=200 ?199=1 ?200=0");
    row("late reply, then its pause", false, "b100:55AA01000101 ?100=200 ?300=0");
    row("half a frame, then quiet", false, "b100:55AA0400 ?100=200 ?299=1 ?300=0");
    row("talking at the deadline", false, "b250:00 b290:00 ?290=10 ?300=noisy ?301=0");
    row("talking after a bad frame", true, "b150:00 ?150=150 b300:00 ?300=noisy");
    row("frame just before the deadline", false, "b280:55AA01000101 ?300=180 ?480=0");
}

// Driven by an explicit clock: the owner says when bytes came and asks how long to wait.
void TestCodec::lineGuard()
{
    QFETCH(bool, frameSeen);
    QFETCH(QString, script);
    LineGuard guard;
    guard.suspect(0, 300, frameSeen);
    for (const QString &step : script.split(' ')) {
        const QChar sep = step.at(0) == 'b' ? ':' : '=';
        const qint64 at = step.mid(1).section(sep, 0, 0).toLongLong();
        const QString arg = step.section(sep, 1);
        if (step.at(0) == 'b') {
            guard.discard(QByteArray::fromHex(arg.toLatin1()), at);
            continue;
        }
        const int quiet = guard.quietNeeded(at);
        QCOMPARE(quiet == LineGuard::kNoisy ? QString("noisy") : QString::number(quiet), arg);
        QCOMPARE(guard.isSuspect(), quiet > 0);
    }
}

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
