// velmor4_cli end to end: the program runs as a child process against the simulator, which
// lives in this process on a pseudo-terminal; every run is judged by the device's memory.
// With VELMOR4_CLI_EMULATOR (wine) and VELMOR4_CLI naming velmor4_cli.exe, the same table runs
// against the Windows program, which reaches the terminal as a COM port through a link in
// VELMOR4_DOSDEVICES.
#include "devsim/pty.h"
#include "devsim/session.h"
#include "params/fields.h"
#include "params/settingsfile.h"
#include "support/terminalscreen.h"

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <numeric>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

Q_DECLARE_METATYPE(SimOptions)

namespace {

const quint32 kFw = proto::kFirmwareBase, kSys = proto::kSysParAddr, kHw = proto::kHardwParAddr;
const int kSettingsSpan = int(kHw + proto::kHardwParSize - kSys);  // both blocks, gap between
const char kPty[] = "pty";                   // stands for a simulator's terminal in the tables
const char kAlias[] = "alias";               // the terminal before it, under another name
const char kMissing[] = "/nonexistent/tty";  // a port that is not there
const QString kDosDevices = qEnvironmentVariable("VELMOR4_DOSDEVICES");
const QString kMissingCom = QStringLiteral("COM199");

struct Run
{
    int code = -1;
    QByteArray out, err;
};

QByteArray sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

QStringList cmd(const char *line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '));
}

QByteArray pattern(int size)
{
    QByteArray out;
    for (int i = 0; i < size; ++i)
        out += char((i * 7) ^ (i >> 8) ^ 0x5A);
    return out;
}

// Factory blocks with the first field of each at its maximum: what good.vlt holds.
QByteArray goodBlock(QByteArray block, const QVector<ParamField> &fields)
{
    storeField(fields.first(), quint16(fields.first().max), block);
    return block;
}
const QByteArray kSysBlock = goodBlock(Device::factorySystemBlock(), sysParFields());
const QByteArray kHardwBlock = goodBlock(Device::factoryHardwareBlock(), hardwParFields());

SimOptions faults(int noReply, int corrupt, int refuseWrite, quint8 versionByte = 0x65,
                  int delayMs = 0)
{
    SimOptions o;
    o.delayMs = delayMs;
    o.noReplyTo = noReply;
    o.corruptReplyTo = corrupt;
    o.refuseWrite = refuseWrite;
    o.versionByte = versionByte;
    return o;
}

}  // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commands_data();
    void commands();
    void screen_data();
    void screen();
    void slotFollowsItsLocation();
    void language_data();
    void language();

private:
    void startSim(const SimOptions &opts = {}, int count = 1);
    // One port: in VELMOR4_PORT; several: one --port each. With interruptAt, SIGINT goes to
    // the program once the last simulator has that many requests, with interruptAfterMs
    // that long after the start.
    Run run(const QStringList &args, const QString &ports = QLatin1String(kPty),
            int interruptAt = 0, int interruptAfterMs = 0);
    QString devicePort(size_t sim) const;
    void put(const QString &name, const QByteArray &content);
    void putReports();
    void checkReport(int code, int devices);
    void checkEvents(const QByteArray &stream, int devices);

    std::vector<std::unique_ptr<Simulator>> m_sims;
    Simulator *m_sim = nullptr;  // the first
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_stderr;  // where the program's standard error goes, when not to us
    QString m_stdout;  // and its standard output
    QProcess *m_running = nullptr;
    // NAME=value (an empty value unsets it) for the locale; while none are given, --lang en
    // keeps every expectation English on any machine.
    QStringList m_locale;
};

void TestCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QByteArray good = settingsFileText(kSysBlock, kHardwBlock);
    put(QStringLiteral("good.vlt"), good);
    const ParamField &f = hardwParFields().first();
    const QByteArray line = QByteArray(f.key) + " = " + QByteArray::number(f.max);
    QVERIFY(good.contains(line));
    put(QStringLiteral("bad.vlt"), QByteArray(good).replace(line, line + '0'));
    put(QStringLiteral("fw.bin"), pattern(4000));
    put(QStringLiteral("full.bin"), pattern(int(proto::kImageLimit)));
    put(QStringLiteral("empty.bin"), {});
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("jobs")));
    const QByteArray fullHash = sha256(pattern(int(proto::kImageLimit)));
    put(QStringLiteral("stale.job"),
        "format = 1\nfirmware = fw.bin\nfirmware_sha256 = " + fullHash);
    put(QStringLiteral("missing.job"),
        "format = 1\nfirmware = missing.bin\nfirmware_sha256 = " + fullHash);
    putReports();
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir->filePath(QStringLiteral("fifo"))), 0600), 0);
}

// The faults are the last simulator's; the others play healthy devices.
void TestCli::startSim(const SimOptions &opts, int count)
{
    m_sims.clear();
    for (int i = 0; i < count; ++i) {
        m_sims.push_back(std::make_unique<Simulator>(i == count - 1 ? opts : SimOptions()));
        QVERIFY2(m_sims.back()->start(), qPrintable(m_sims.back()->errorString()));
        if (!kDosDevices.isEmpty()) {
            const QString link = kDosDevices + QLatin1Char('/') + devicePort(size_t(i)).toLower();
            QFile::remove(link);
            QVERIFY(QFile::link(m_sims.back()->slavePath(), link));
        }
    }
    m_sim = m_sims.front().get();
}

// Under Wine the simulators are COM40, COM41 and so on.
QString TestCli::devicePort(size_t sim) const
{
    return kDosDevices.isEmpty() ? m_sims.at(sim)->slavePath()
                                 : QStringLiteral("COM%1").arg(40 + sim);
}

// The simulator answers from this thread's event loop, so the wait must keep it running.
Run TestCli::run(const QStringList &args, const QString &ports, int interruptAt,
                 int interruptAfterMs)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("VELMOR4_PORT"));
    for (const QString &setting : m_locale) {
        const QString name = setting.section(QLatin1Char('='), 0, 0),
                      value = setting.section(QLatin1Char('='), 1);
        if (value.isEmpty())
            env.remove(name);
        else
            env.insert(name, value);
    }
    QStringList names, portArgs;
    size_t sim = 0;
    for (const QString &port : ports.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (port == kAlias) {
            const QString name = devicePort(sim - 1);
            names << (kDosDevices.isEmpty() ? name.mid(name.indexOf(QLatin1String("pts/")))
                                            : QStringLiteral("\\\\.\\") + name.toLower());
        } else {
            names << (port == kPty ? devicePort(sim++) : port);
        }
        portArgs << QStringLiteral("-p") << names.last();
    }
    if (names.size() == 1)
        env.insert(QStringLiteral("VELMOR4_PORT"), names.first());
    p.setProcessEnvironment(env);
    if (!m_stderr.isEmpty())
        p.setStandardErrorFile(m_stderr);
    if (!m_stdout.isEmpty())
        p.setStandardOutputFile(m_stdout);
    if (interruptAt > 0) {
        connect(m_sims.back().get(), &Simulator::requestHandled, &p, [&] {
            if (m_sims.back()->requestCount() == interruptAt && p.processId() > 0)
                ::kill(pid_t(p.processId()), SIGINT);
        });
    }
    if (interruptAfterMs > 0) {
        QTimer::singleShot(interruptAfterMs, &p, [&] { ::kill(pid_t(p.processId()), SIGINT); });
    }
    p.setWorkingDirectory(m_dir->path());
    QEventLoop loop;
    connect(&p, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
            &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    QString program = qEnvironmentVariable("VELMOR4_CLI", QStringLiteral(VELMOR4_CLI));
    QStringList arguments = (names.size() > 1 ? portArgs : QStringList()) + args;
    if (m_locale.isEmpty())
        arguments = QStringList{QStringLiteral("--lang"), QStringLiteral("en")} + arguments;
    if (qEnvironmentVariableIsSet("VELMOR4_CLI_EMULATOR")) {
        arguments.prepend(program);
        program = qEnvironmentVariable("VELMOR4_CLI_EMULATOR");
    }
    p.start(program, arguments);
    m_running = &p;
    loop.exec();
    m_running = nullptr;
    Run r;
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    } else if (p.exitStatus() == QProcess::NormalExit) {
        r = {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
        r.err.replace("\r\n", "\n");  // messages are text: Windows ends their lines so
    }
    return r;
}

void TestCli::put(const QString &name, const QByteArray &content)
{
    QFile f(m_dir->filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
}

// Reports with a known answer. bench-1: slots 1 to 8, 40 devices each over two days; slot 3
// fails 12 with no reply (at addresses that differ), slots 5 and 7 one each with a refused
// write; its last record is cut short. bench-2: 10 devices, no job, no fixture, one failed.
void TestCli::putReports()
{
    QByteArray one, two;
    const auto record = [](const char *station, int slot, int day, int n, bool ok) {
        const QString port = QStringLiteral("/dev/ttyUSB%1").arg(qMax(0, slot - 1));
        QJsonObject o{{"start",
                       QStringLiteral("2026-12-%1T10:%2:00.000Z")
                           .arg(day, 2, 10, QLatin1Char('0'))
                           .arg(n + 10)},
                      {"station", station},
                      {"port", port},
                      {"result",
                       ok              ? "ok"
                           : slot == 3 ? "link"
                                       : "device"},
                      {"message",
                       ok              ? QStringLiteral("settings written and verified")
                           : slot == 3 ? QStringLiteral("no reply from the device on %1 "
                                                        "within 3000 ms (write of 1024 "
                                                        "bytes at 0x%2); stopped after %3 "
                                                        "of 53 chunks")
                                             .arg(port)
                                             .arg(0x08002400 + n * 1024, 0, 16)
                                             .arg(n)
                                       : QStringLiteral("the device refused the write")}};
        if (slot > 0)
            o.insert("job", QJsonObject{{"name", "C7"}, {"sha256", QString(64, QLatin1Char('a'))}});
        if (slot > 0 || n % 2)
            o.insert("slot", slot > 0 ? QJsonValue(QString::number(slot)) : QJsonValue());
        return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    };
    for (int slot = 1; slot <= 8; ++slot) {
        for (int n = 0; n < 40; ++n)
            one += record("bench-1", slot, n < 20 ? 7 : 8, n,
                          !((slot == 3 && n % 10 < 3) || ((slot == 5 || slot == 7) && n == 11)));
    }
    for (int n = 0; n < 10; ++n)
        two += record("bench-2", 0, 9, n, n != 3);
    put(QStringLiteral("line1.jsonl"), one + R"({"start":"2026-12-08T17:00:00.000Z","port":"/de)");
    put(QStringLiteral("line2.jsonl"), two);
}

// Every device's record parses, agrees with the exit status and the summary, and names its
// files as they are; a field that does not apply is null, never missing.
void TestCli::checkReport(int code, int devices)
{
    QFile f(m_dir->filePath(QStringLiteral("r.jsonl")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    int records = 0, worst = 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const int status = o.value(QLatin1String("exit_status")).toInt(-1);
        QCOMPARE(o.value(QLatin1String("result")).toString() == QLatin1String("ok"), status == 0);
        const auto time = [&](const char *key) {
            return QDateTime::fromString(o.value(QLatin1String(key)).toString(), Qt::ISODateWithMs);
        };
        QVERIFY(time("start").isValid() && time("start") <= time("end"));
        QVERIFY(time("end").secsTo(QDateTime::currentDateTimeUtc()) < 60);
        for (const QJsonValue file : o.value(QLatin1String("files")).toArray()) {
            // By its name: under Wine the path is the Windows one.
            QFile content(
                m_dir->filePath(QFileInfo(file[QLatin1String("path")].toString()).fileName()));
            QVERIFY(content.open(QIODevice::ReadOnly));
            QCOMPARE(file[QLatin1String("sha256")].toString().toLatin1(),
                     sha256(content.readAll()));
        }
        for (const char *key :
             {"start",   "end",          "port",       "serial",   "vid_pid", "description",
              "command", "files",        "settings",   "firmware", "version", "expected_version",
              "result",  "exit_status",  "message",    "operator", "order",   "station",
              "job",     "tool_version", "qt_version", "os",       "slot",    "location",
              "verify"})
            QVERIFY2(o.contains(QLatin1String(key)), key);
        const QJsonObject job = o.value(QLatin1String("job")).toObject();
        if (!job.isEmpty()) {
            QFile content(
                m_dir->filePath(QDir::fromNativeSeparators(job[QLatin1String("path")].toString())
                                    .section('/', -2)));
            QVERIFY(content.open(QIODevice::ReadOnly));
            QCOMPARE(job[QLatin1String("sha256")].toString().toLatin1(), sha256(content.readAll()));
        }
        const QJsonObject fw = o.value(QLatin1String("firmware")).toObject();
        if (!fw.isEmpty())
            QCOMPARE(fw[QLatin1String("chunks_written")] == fw[QLatin1String("chunks_total")],
                     status == 0);
        worst = qMax(worst, status);
        ++records;
    }
    QCOMPARE(worst, code);
    QCOMPARE(records, devices);
}

// Per device: its events come between its one start and its one end, its progress never
// falls, and a device that passed ends at 100 %.
void TestCli::checkEvents(const QByteArray &stream, int devices)
{
    QHash<QString, int> percent;  // by port and device number; -1 once ended
    int started = 0;
    for (const QByteArray &line : stream.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QDateTime time = QDateTime::fromString(o["time"].toString(), Qt::ISODateWithMs);
        QVERIFY(time.isValid() && time.timeSpec() == Qt::UTC && o.contains("slot"));
        const QString who
            = o["port"].toString() + QLatin1Char('#') + QString::number(o["device"].toInt());
        const QString event = o["event"].toString();
        if (event == QLatin1String("started")) {
            QVERIFY2(!percent.contains(who), line);
            percent[who] = 0;
            ++started;
            continue;
        }
        QVERIFY2(percent.value(who, -1) >= 0, line);
        if (event == QLatin1String("progress")) {
            QVERIFY2(o["percent"].toInt() >= percent[who], line);
            percent[who] = o["percent"].toInt();
        } else if (event == QLatin1String("ended")) {
            if (o["result"].toString() == QLatin1String("ok"))
                QCOMPARE(percent[who], 100);
            percent[who] = -1;
        } else {
            QCOMPARE(event, QStringLiteral("step"));
        }
    }
    QCOMPARE(started, devices);
    for (const int p : percent)
        QCOMPARE(p, -1);
}

// What a command leaves in the device's memory, what it says, and how many requests it took.
// A request that lost its reply is sent again as it was; a failure prints no data; bad input
// sends nothing.
void TestCli::commands_data()
{
    QTest::addColumn<SimOptions>("opts");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QByteArray>("memory");
    QTest::addColumn<int>("requests");     // -1: as many as a fixture's polls make
    QTest::addColumn<QString>("message");  // a pattern
    const QByteArray gap(kSettingsSpan - proto::kSysParSize - proto::kHardwParSize, '\xFF');
    const QByteArray written = kSysBlock + gap + kHardwBlock;
    const QByteArray factory = Device::factorySystemBlock() + gap + Device::factoryHardwareBlock();
    const QByteArray untouched = Device().peek(kFw, int(kSys - kFw) + kSettingsSpan);
    const QByteArray image = pattern(4000), erased(100, '\xFF');
    const QByteArray fullHash = sha256(pattern(int(proto::kImageLimit)));
    const QString pty = QLatin1String(kPty), none,
                  retry = QStringLiteral("--timeout 300 --retries 1 ");
    const SimOptions ok;
    QTest::newRow("read to standard output") << ok << pty << "read" << 0 << kSys << factory << 2
                                             << "\\[hardware\\]\nULINE_SHORT = 200\n";
    QTest::newRow("write, verified")
        << ok << pty << "write good.vlt" << 0 << kSys << written << 4 << "verified";
    // The trace: every frame, timestamped, with its port, as hex.
    const QString time = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\S+");
    QTest::newRow("trace") << ok << pty << "--trace - version" << 0 << kSys << factory << 1
                           << time + " TX 55 aa 08 00 04 00 20 00 08 04 00 00 30\r?\n" + time
            + " RX 55 aa 04 00 00 65 05 01 6b\r?\n";
    // The largest image, one write and one read back for each of its 53 chunks.
    QTest::newRow("flash --verify")
        << ok << pty << "flash --verify full.bin" << 0 << kFw << pattern(int(proto::kImageLimit))
        << 106 << "flashing 100 %[^\n]*verify 53 of 53";
    QTest::newRow("lost reply, resent")
        << faults(1, 0, 0) << pty << retry + "version" << 0 << kSys << factory << 2 << "1.05";
    QTest::newRow("lost write ack, resent")
        << faults(1, 0, 0) << pty << retry + "--no-verify write good.vlt" << 0 << kSys << written
        << 3 << "written";
    const QByteArray twoChunks = image.left(2048) + QByteArray(2052, '\xFF') + erased;
    QTest::newRow("third chunk refused")
        << faults(0, 0, 3) << pty << "flash fw.bin" << 1 << kFw << twoChunks << 3
        << "0x08002C00\r?\n.*after 2 of 4 chunks";
    // Ctrl+C while the reply to the third chunk is awaited: nothing more goes out.
    QTest::newRow("interrupted")
        << faults(3, 0, 0) << pty << "flash fw.bin" << 130 << kFw
        << image.left(3072) + QByteArray(1028, '\xFF') + erased << 3
        << "after 2 of 4 chunks: the firmware is incomplete and must be written again";
    // Answered 100 ms after the timeout: each late reply is waited out, never taken for the
    // resend's, and no later request goes out.
    QTest::newRow("late replies") << faults(0, 0, 0, 0x65, 450) << pty
                                  << "--timeout 300 --retries 2 write good.vlt" << 3 << kSys
                                  << kSysBlock + factory.mid(proto::kSysParSize) << 3
                                  << "no reply.*3 attempts";
    // Several ports at once: one verdict each, the worst one's status.
    const QString pty2 = QStringLiteral("pty pty"),
                  oneOk = QStringLiteral("[^\n]*\n1 of 2 ports ok");
    QTest::newRow("gang, one refuses a chunk")
        << faults(0, 0, 3) << pty2 << "--report r.jsonl program --firmware fw.bin" << 1 << kFw
        << image + erased << 8
        << "device +[^\n]*refused[^\n]*; stopped after 2 of 4 chunks" + oneOk;
    // One job per device: settings, firmware, version, in that order, all on record.
    const QByteArray programmed
        = image + QByteArray(int(kSys - kFw) - image.size(), '\xFF') + written;
    QTest::newRow("program")
        << ok << pty
        << "--report r.jsonl program --settings good.vlt --firmware fw.bin --expect-version 1.05"
        << 0 << kFw << programmed << 13
        << "settings written and verified; flashed 4000 bytes in 4 chunks, verified; version 1.05";
    QTest::newRow("program, nothing read back")
        << ok << pty << "--no-verify --report r.jsonl program --settings good.vlt --firmware fw.bin"
        << 0 << kFw << programmed << 6 << "settings written; flashed 4000 bytes in 4 chunks\n";
    // A job file with its files in another folder, run by an operator for a work order.
    QTest::newRow("job file")
        << ok << pty
        << "job new --settings good.vlt --firmware fw.bin --expect-version 1.05 -o jobs/c7.job ; "
           "--verify --report r.jsonl --events ev.jsonl --operator ann --order WO-7 program "
           "--job jobs/c7.job"
        << 0 << kFw << programmed << 13 << "flashed 4000 bytes in 4 chunks, verified; version 1.05";
    QTest::newRow("job file, a file changed")
        << ok << pty << "program --job stale.job" << 2 << kFw << untouched << 0
        << QStringLiteral("fw.bin[^\n]*%1[^\n]*%2")
               .arg(QString::fromLatin1(sha256(image)), QString::fromLatin1(fullHash));
    QTest::newRow("job file, a file missing")
        << ok << pty << "program --job missing.job" << 2 << kFw << untouched << 0
        << "missing.bin, which cannot be read";
    QTest::newRow("events on standard output")
        << ok << pty << "--events - version" << 0 << kSys << factory << 1 << "\n1.05\n$";
    QTest::newRow("events and data on standard output")
        << ok << pty << "--events - read" << 2 << kFw << untouched << 0 << "give read a FILE";
    // The yield of generated reports, a cut line among them.
    QTest::newRow("stats")
        << ok << none << "stats --html y.html line1.jsonl" << 0 << kFw << untouched << 0
        << "broken lines skipped: 1 \\(line1.jsonl line 321\\)\n"
           "devices: 320, passed: 306, failed: 14, yield: 95.6 %\n[\\s\\S]*"
           "\n3 +40 +28 +12 +70.0 %\n[\\s\\S]*\n2026-12-07 +160 +152 +8 [\\s\\S]*"
           "\n +12  link: no reply from the device on /dev/ttyUSB# within # ms "
           "\\(write of # bytes at #\\)\n +2  device: [\\s\\S]*\n"
           "slot 3: 12 of 40 failed, the others 2 of 280: check its contacts "
           "and cable\n$";
    QTest::newRow("stats of two stations, picked")
        << ok << none << "stats --since 2026-12-08 --job C7 line1.jsonl line2.jsonl" << 0 << kFw
        << untouched << 0 << "reports: 2\n[^\n]*\ndevices: 160, passed: 154, failed: 6,";
    QTest::newRow("stats of one station")
        << ok << none << "stats --station bench-2 line1.jsonl line2.jsonl" << 0 << kFw << untouched
        << 0
        << "devices: 10, passed: 9, failed: 1,[^#]*\n/dev/ttyUSB0 +10 +9 +1 [\\s\\S]*"
           "device: the device refused the write\n$";
    QTest::newRow("program, another version")
        << ok << pty << "--report r.jsonl program --settings good.vlt --expect-version 1.06" << 1
        << kSys << written << 5 << "version 1.05, expected 1.06";
    // Devices put on a fixture one after another, each a new one, until Ctrl+C.
    SimOptions fixture;
    fixture.presence = {300, 2000, 1000, 1200};
    QTest::newRow("fixture")
        << fixture << pty
        << "--wait --report r.jsonl --events ev.jsonl program --settings good.vlt --firmware fw.bin"
        << 0 << kFw << programmed << -1
        << "devices: 2, passed: 2\n[\\s\\S]*done: PASS, remove the device\n\\S+ waiting for a "
           "device \\(1 done, 1 PASS\\)";
    // The reply to the earlier run's request comes 100 ms after that run has ended: the next
    // run's first request waits it out.
    QTest::newRow("late reply of the run before")
        << faults(0, 0, 0, 0x65, 420) << pty << "--timeout 300 version ; read" << 0 << kSys
        << factory << 3 << "\\[hardware\\]\nULINE_SHORT = 200\n";
    QTest::newRow("gang, one port missing") << ok << "pty /nonexistent/tty"
                                            << "flash --verify fw.bin" << 3 << kFw << image + erased
                                            << 8 << "/nonexistent/tty +- +- +link" + oneOk;
    QTest::newRow("gang, one interrupted")
        << faults(3, 0, 0, 0x65, 100) << pty2 << "--events ev.jsonl flash fw.bin" << 130 << kFw
        << image + erased << 4 << "interrupted +[^\n]*after 2 of 4 chunks" + oneOk;
    QTest::newRow("foreign device")
        << faults(0, 0, 0, 0x66) << pty << "version" << 1 << kFw << untouched << 1 << "00 66 05 01";
    QTest::newRow("unknown command")
        << ok << pty << "erase" << 2 << kFw << untouched << 0 << "erase";
    QTest::newRow("unknown serial number")
        << ok << none << "--serial NO-SUCH version" << 2 << kFw << untouched << 0 << "NO-SUCH";
    QTest::newRow("bad version text")
        << ok << pty << "program --settings good.vlt --expect-version 1.5" << 2 << kFw << untouched
        << 0 << "1.5";
    QTest::newRow("report cannot be opened") << ok << pty << "--report /nonexistent/r.jsonl version"
                                             << 2 << kFw << untouched << 0 << "report";
    QTest::newRow("no adapter of that kind")
        << ok << none << "--ports ffff:ffff version" << 2 << kFw << untouched << 0 << "ffff:ffff";
    QTest::newRow("one bad value")
        << ok << pty << "write bad.vlt" << 2 << kFw << untouched << 0 << "bad.vlt";
    QTest::newRow("settings FIFO")
        << ok << pty << "write fifo" << 2 << kFw << untouched << 0 << "not a regular file";
    QTest::newRow("empty image") << ok << pty << "flash empty.bin" << 2 << kFw << untouched << 0
                                 << "empty";
    QTest::newRow("missing image, and why")
        << ok << pty << "program --firmware missing.bin" << 2 << kFw << untouched << 0
        << "missing.bin: error opening the file \\(\\S";
    QTest::newRow("one port under two names")
        << ok << "pty alias"
        << "version" << 2 << kFw << untouched << 0 << "are the same port";
    QTest::newRow("no such port") << ok << none << QStringLiteral("-p %1 version").arg(kMissing)
                                  << 3 << kFw << untouched << 0 << kMissing;
    QTest::newRow("lost reply") << faults(1, 0, 0) << pty << "--timeout 300 version" << 3 << kFw
                                << untouched << 1 << "no reply";
    // A port that keeps talking after a lost reply is given up after one reply timeout.
    SimOptions flood;
    flood.floodAfter = 1;
    QTest::newRow("flooded port") << flood << pty << retry + "version" << 3 << kFw << untouched << 1
                                  << "keeps sending data that answers no request";
}

void TestCli::commands()
{
    QFETCH(SimOptions, opts);
    QFETCH(QString, port);
    QFETCH(QString, args);
    QFETCH(int, code);
    QFETCH(quint32, address);
    QFETCH(QByteArray, memory);
    QFETCH(int, requests);
    QFETCH(QString, message);
    if (!kDosDevices.isEmpty()) {
        if (args.contains(QLatin1String("fifo")))
            QSKIP("Windows has no FIFOs");
        for (QString *text : {&port, &args, &message})
            text->replace(QLatin1String(kMissing), kMissingCom);
    }
    startSim(opts, qMax(1, int(port.count(kPty))));
    Run r;
    for (const QString &line : args.split(QStringLiteral(" ; "))) {
        r = run(cmd(qPrintable(line)), port, code == 130 ? opts.noReplyTo : 0,
                opts.presence.isEmpty()
                    ? 0
                    : std::accumulate(opts.presence.begin(), opts.presence.end(), 200));
    }
    QCOMPARE(r.code, code);
    QVERIFY2(QString::fromUtf8(r.out + r.err).contains(QRegularExpression(message)), r.out + r.err);
    if (code != 0 && !port.contains(QLatin1Char(' '))
        && !args.contains(QLatin1String("--events -")))
        QCOMPARE(r.out, QByteArray());
    QCOMPARE(m_sim->memory(address, memory.size()), memory);
    const QRegularExpressionMatch served
        = QRegularExpression(QStringLiteral("devices: (\\d+)")).match(QString::fromUtf8(r.out));
    const int devices = served.hasMatch() ? served.captured(1).toInt() : int(port.count(kPty));
    if (args.contains(QLatin1String("--report r.jsonl")))
        checkReport(code, devices);
    // Bad input starts no device; else every device started has its events.
    if (code != 2 && args.contains(QLatin1String("--events"))) {
        QFile events(m_dir->filePath(QStringLiteral("ev.jsonl")));
        QVERIFY(args.contains(QLatin1String("--events - ")) || events.open(QIODevice::ReadOnly));
        checkEvents(events.isOpen() ? events.readAll() : r.out, devices);
    }
    if (args.contains(QLatin1String("--html y.html"))) {
        // One page that needs nothing else: no script, no address, its charts drawn inline.
        QFile page(m_dir->filePath(QStringLiteral("y.html")));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray html = page.readAll();
        QCOMPARE(html.count("<svg"), 2);
        QVERIFY(!html.contains("<script") && !html.contains("://") && !html.contains("src="));
        QVERIFY(html.contains("slot 3: 12 of 40 failed"));
    }
    const QList<Request> sent = m_sim->requests();
    if (requests >= 0)
        QCOMPARE(sent.size(), requests);
    const int lost = opts.noReplyTo + opts.corruptReplyTo;
    if (code == 0 && lost > 0) {
        QCOMPARE(sent.at(lost).address, sent.at(lost - 1).address);
        QCOMPARE(sent.at(lost).data, sent.at(lost - 1).data);
    }
}

// A fixture run as a terminal of 40, 60 and 80 columns shows it: one slot serves a device and
// loses its adapter, one fails with a message longer than the screen, one is cut off by
// Ctrl+C. No row wraps, no fragment of an earlier line stays, each live line ends with what
// happened, and the summary holds every message whole.
void TestCli::screen_data()
{
    QTest::addColumn<int>("columns");
    for (int columns : {40, 60, 80})
        QTest::addRow("%d columns", columns) << columns;
}

void TestCli::screen()
{
    QFETCH(int, columns);
    if (!kDosDevices.isEmpty())
        QSKIP("the terminal is a Linux pseudo-terminal");
    SimOptions slow;
    slow.baud = 9600;  // the whole image takes two minutes: Ctrl+C comes in the middle
    slow.presence = {200, 60000};
    startSim(slow, 3);
    m_sims[0]->options().presence = m_sims[1]->options().presence = slow.presence;
    m_sims[1]->options().refuseWrite = 3;
    for (auto &sim : m_sims) {
        sim->stop();
        QVERIFY(sim->start());
    }
    Pty terminal;
    QVERIFY(terminal.open());
    const int fd = ::open(QFile::encodeName(terminal.slavePath()), O_RDWR | O_NOCTTY);
    winsize size = {};
    size.ws_col = ushort(columns);
    size.ws_row = 24;
    QVERIFY(fd >= 0 && ::ioctl(fd, TIOCSWINSZ, &size) == 0);
    ::close(fd);
    QByteArray shown;
    connect(&terminal, &Pty::readyRead, this, [&] { shown += terminal.readAll(); });
    // Once the first has served its device (the probe, then a write and a read back per chunk)
    // and the second has refused its third chunk, the first's adapter is pulled out; Ctrl+C a
    // second later.
    QTimer driver;
    QElapsedTimer pulled;
    connect(&driver, &QTimer::timeout, this, [&] {
        if (!pulled.isValid() && m_sims[0]->requestCount() >= 1 + 2 * 53
            && m_sims[1]->requestCount() >= 3) {
            m_sims[0]->setPlugged(false);
            pulled.start();
        } else if (pulled.isValid() && pulled.elapsed() > 1000 && m_running) {
            ::kill(pid_t(m_running->processId()), SIGINT);
            driver.stop();
        }
    });
    driver.start(50);
    m_stderr = m_stdout = terminal.slavePath();
    const Run r = run(cmd("--wait program --firmware full.bin"), QStringLiteral("pty pty pty"));
    m_stderr.clear();
    m_stdout.clear();
    QCOMPARE(r.code, 130);
    QTRY_VERIFY(shown.contains("interrupted: 1 (program it again)"));

    TerminalScreen screen(columns);
    screen.feed(shown);
    QCOMPARE(screen.wrappedRows(), QStringList());
    const QStringList rows = screen.rows();
    // The live lines, then the summary: a table, or on a narrow screen a block per slot.
    const int header = 3;
    QVERIFY2(rows.at(header).section(' ', 0, 0) == (columns < 60 ? devicePort(0) : "PORT"),
             qPrintable(rows.join('\n')));
    const QStringList ends
        = {"stopped: 1 done, 1 PASS", "stopped: 1 done, 0 PASS", "interrupted: program it again"};
    for (int i = 0; i < 3; ++i) {
        const QString line = devicePort(size_t(i)) + ": " + ends.at(i), row = rows.at(i);
        QVERIFY2(row == line
                     || (row.size() == columns - 1 && row.endsWith(QChar(0x2026))
                         && line.startsWith(row.chopped(1))),
                 qPrintable(row));
    }
    const QString summary = rows.mid(header).join(' ').simplified();
    QVERIFY2(summary.contains("refused the write of 1024 bytes at 0x08002C00; stopped after 2 "
                              "of 53 chunks: the firmware is incomplete and must be written again"),
             qPrintable(summary));
    QVERIFY(summary.contains("devices: 3, passed: 1 interrupted: 1 (program it again)"));
}

// In a fake sysfs whose device nodes lead to the simulators, a fixture's slot is its USB
// location: the adapter pulled out and plugged back under another name serves the same slot.
void TestCli::slotFollowsItsLocation()
{
    if (!kDosDevices.isEmpty())
        QSKIP("sysfs is Linux's");
    startSim({}, 2);
    const QString root = m_dir->filePath("root");
    const QString usb = root + "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/";
    const auto plug = [&](const QString &hub, const QString &tty, Simulator *sim) {
        const QString device = usb + hub + "/" + hub + ":1.0/" + tty;
        QDir().mkpath(device);
        QDir().mkpath(root + "/sys/class/tty/" + tty);
        QDir().mkpath(root + "/dev");
        for (const char *f : {"idVendor", "idProduct", "serial", "product"}) {
            QFile file(usb + hub + "/" + f);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(f) == "idVendor"        ? "0403"
                           : QByteArray(f) == "idProduct" ? "6001"
                           : QByteArray(f) == "serial"    ? "CLONED"
                                                          : "FT232R \x1b[2J");
        }
        QVERIFY(QFile::link(device, root + "/sys/class/tty/" + tty + "/device"));
        QVERIFY(QFile::link(sim->slavePath(), root + "/dev/" + tty));
    };
    const auto unplug = [&](const QString &tty) {
        QDir(root + "/sys/class/tty/" + tty).removeRecursively();
        QFile::remove(root + "/dev/" + tty);
    };
    plug("1-1.2", "ttyUSB0", m_sims[0].get());
    plug("1-1.10", "ttyUSB1", m_sims[1].get());
    qputenv("VELMOR4_SYSFS_ROOT", root.toUtf8());

    Run r = run(cmd("list"), QString());
    QCOMPARE(r.out,
             QByteArray("ttyUSB0\tFT232R \\x1b[2J\t\t0403:6001\tCLONED\t1-1.2:1.0\n"
                        "ttyUSB1\tFT232R \\x1b[2J\t\t0403:6001\tCLONED\t1-1.10:1.0\n"));
    QCOMPARE(run(cmd("fixture new -o fx"), QString()).code, 0);
    put("cloned", "a serial=CLONED\n");
    r = run(cmd("--fixture cloned --wait version"), QString());
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains("matches several ports: ttyUSB0, ttyUSB1"), r.err);

    // Pulled out once its first device is on record, back 0.8 s later as ttyUSB7; that device
    // is taken off and the next one served there; Ctrl+C once that one is on record too.
    const QString reportPath = m_dir->filePath("r.jsonl");
    int step = 0;
    QElapsedTimer since;
    QTimer driver;
    connect(&driver, &QTimer::timeout, this, [&] {
        QFile report(reportPath);
        const QByteArray records = report.open(QIODevice::ReadOnly) ? report.readAll() : "";
        const auto after = [&](int ms) { return since.isValid() && since.elapsed() >= ms; };
        if (step == 0 && records.contains("ttyUSB0\"")) {
            unplug("ttyUSB0");
            m_sims[0]->setPlugged(false);
        } else if (step == 1 && after(800)) {
            QVERIFY(m_sims[0]->setPlugged(true));
            plug("1-1.2", "ttyUSB7", m_sims[0].get());
        } else if (step == 2 && after(500)) {
            m_sims[0]->setPresent(false);
        } else if (step == 3 && after(600)) {
            m_sims[0]->setPresent(true);
        } else if (step == 4 && records.contains("ttyUSB7\"") && m_running) {
            ::kill(pid_t(m_running->processId()), SIGINT);
        } else {
            return;
        }
        ++step;
        since.start();
    });
    driver.start(50);
    r = run(cmd("--fixture fx --wait --report r.jsonl version"), QString());
    QVERIFY2(step == 5, "step " + QByteArray::number(step) + ": " + r.err);
    qunsetenv("VELMOR4_SYSFS_ROOT");
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.contains("slot1 (1-1.2:1.0): adapter lost: waiting for it"), r.err);
    QFile report(m_dir->filePath("r.jsonl"));
    QVERIFY(report.open(QIODevice::ReadOnly));
    QMap<QString, QSet<QString>> portsBySlot;
    for (const QByteArray &line : report.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        const QString slot = o["slot"].toString();
        QCOMPARE(o["location"].toString(), slot == "slot1" ? "1-1.2:1.0" : "1-1.10:1.0");
        portsBySlot[slot] << QFileInfo(o["port"].toString()).fileName();
    }
    QCOMPARE(portsBySlot["slot1"], QSet<QString>({"ttyUSB0", "ttyUSB7"}));
    QCOMPARE(portsBySlot["slot2"], QSet<QString>({"ttyUSB1"}));
}

// The tool speaks the user's language, Russian or English, unless --lang says which; a usage
// error comes in it too.
void TestCli::language_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("message");
    const QString russian = QStringLiteral("LANGUAGE=ru_RU:ru LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8"),
                  inRussian = QStringLiteral("не удаётся прочитать файл стенда nofile: "),
                  inEnglish = QStringLiteral("cannot read the fixture nofile: ");
    QTest::newRow("--lang ru") << QString() << "--lang ru --fixture nofile version" << inRussian;
    QTest::newRow("Russian user") << russian << "--fixture nofile version" << inRussian;
    QTest::newRow("Russian user, --lang en")
        << russian << "--lang en --fixture nofile version" << inEnglish;
    QTest::newRow("C locale") << "LANGUAGE= LC_ALL=C LANG=C"
                              << "--fixture nofile version" << inEnglish;
}

void TestCli::language()
{
    QFETCH(QString, locale);
    QFETCH(QString, args);
    QFETCH(QString, message);
    m_locale = locale.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const Run r = run(args.split(QLatin1Char(' ')), QString());
    m_locale.clear();
    QCOMPARE(r.code, 2);
    QVERIFY2(QString::fromUtf8(r.err).startsWith(QStringLiteral("velmor4_cli: ") + message), r.err);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
