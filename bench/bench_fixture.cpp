// A shift on a fixture, shortened: velmor4_cli --wait on 8 slots at 9600 baud, each device set
// up with settings and a 4 KiB image, both read back. Devices are put on and taken off as an
// operator would (off as soon as the record is out, the next one on half a second later); one
// in ten refuses a chunk; every 20 devices one slot's adapter is pulled out and plugged back a
// second later, under a new terminal. Prints devices played against devices recorded, the slots
// stuck (a device on for over a minute without a record) and the tool's resident memory at the
// start and the end.
//   bench_fixture [DEVICES]   default 200; takes about 12 s per device per slot
#include "devsim/session.h"
#include "params/settingsfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kSlots = 8;
constexpr int kImageSize = 4096;
constexpr int kOffMs = 200;       // taken off after its record
constexpr int kNextOnMs = 500;    // the next one put on
constexpr int kUnplugEvery = 20;  // devices recorded between two pulled adapters
constexpr int kUnpluggedMs = 1000;
// The tool cannot tell a device it served from a new one: after its adapter is back, the slot
// must see the old device gone before the operator puts the next one on.
constexpr int kSettleAfterReturnMs = 1500;
constexpr qint64 kStuckMs = 60000;  // a device this long on without a record: the slot is stuck
constexpr int kDrainMs = 60000;     // after the last device is put on, for its record

qint64 residentKiB(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

struct Slot
{
    std::unique_ptr<Simulator> sim;
    QString link;
    bool on = false;
    QElapsedTimer onSince;
    int writesBefore = 0;  // writes the simulator saw before this device
    QElapsedTimer back;    // since its adapter was plugged back
};

int writes(const Simulator &sim)
{
    int n = 0;
    for (const Request &r : sim.requests())
        n += r.operation == proto::kOpWrite;
    return n;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int target = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    QTemporaryDir dir;
    std::vector<Slot> slotList(kSlots);
    QByteArray fixture;
    for (int i = 0; i < kSlots; ++i) {
        SimOptions o;
        o.baud = 9600;
        o.presence = {24 * 3600 * 1000};  // off; the bench puts devices on itself
        Slot &s = slotList[size_t(i)];
        s.sim = std::make_unique<Simulator>(o);
        s.link = dir.filePath(QStringLiteral("slot%1").arg(i + 1));
        if (!s.sim->start() || !QFile::link(s.sim->slavePath(), s.link)) {
            std::fprintf(stderr, "bench_fixture: cannot start slot %d\n", i + 1);
            return 1;
        }
        fixture += QStringLiteral("s%1 port=%2\n").arg(i + 1).arg(s.link).toUtf8();
    }
    QByteArray image;
    for (int i = 0; i < kImageSize; ++i)
        image += char(i * 13);
    const auto write = [&](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QLatin1String(name)));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    if (!write("fixture", fixture) || !write("fw.bin", image)
        || !write("s.vlt",
                  settingsFileText(Device::factorySystemBlock(), Device::factoryHardwareBlock()))) {
        std::fprintf(stderr, "bench_fixture: cannot write the input files\n");
        return 1;
    }

    QProcess cli;
    cli.setWorkingDirectory(dir.path());
    cli.setStandardOutputFile(dir.filePath(QStringLiteral("summary.txt")));
    cli.setStandardErrorFile(dir.filePath(QStringLiteral("log.txt")));
    cli.start(QStringLiteral(VELMOR4_CLI),
              {QStringLiteral("--fixture"), QStringLiteral("fixture"), QStringLiteral("--wait"),
               QStringLiteral("--report"), QStringLiteral("r.jsonl"), QStringLiteral("program"),
               QStringLiteral("--settings"), QStringLiteral("s.vlt"), QStringLiteral("--firmware"),
               QStringLiteral("fw.bin")});
    if (!cli.waitForStarted()) {
        std::fprintf(stderr, "bench_fixture: cannot start %s\n", VELMOR4_CLI);
        return 1;
    }

    int played = 0, recorded = 0, failed = 0, unplugged = 0, refusing = 0;
    qint64 rssStart = -1, rssEnd = -1;
    QFile report(dir.filePath(QStringLiteral("r.jsonl")));
    QByteArray pending;
    QElapsedTimer clock, drain;
    clock.start();
    std::function<void(int)> putOn = [&](int i) {
        Slot &s = slotList[size_t(i)];
        if (played >= target)
            return;
        if (!s.sim->isPlugged() || (s.back.isValid() && s.back.elapsed() < kSettleAfterReturnMs)) {
            QTimer::singleShot(300, [&putOn, i] { putOn(i); });
            return;
        }
        s.writesBefore = writes(*s.sim);
        // One in ten refuses its second chunk (settings take the first two writes).
        s.sim->options().refuseWrite = ++played % 10 == 0 ? s.writesBefore + 4 : 0;
        refusing += played % 10 == 0;
        s.sim->setPresent(true);
        s.on = true;
        s.onSince.start();
        if (played == target)
            drain.start();
    };
    for (int i = 0; i < kSlots; ++i)
        putOn(i);

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (rssStart < 0 && clock.elapsed() > 5000)
            rssStart = residentKiB(cli.processId());
        if (!report.isOpen() && !report.open(QIODevice::ReadOnly))
            return;
        pending += report.readAll();
        for (int nl; (nl = int(pending.indexOf('\n'))) >= 0; pending.remove(0, nl + 1)) {
            const QJsonObject o = QJsonDocument::fromJson(pending.left(nl)).object();
            const int i = o.value(QStringLiteral("slot")).toString().mid(1).toInt() - 1;
            if (i < 0 || i >= kSlots)
                continue;
            ++recorded;
            failed += o.value(QStringLiteral("exit_status")).toInt() != 0;
            Slot &s = slotList[size_t(i)];
            s.on = false;
            QTimer::singleShot(kOffMs, [&s] { s.sim->setPresent(false); });
            QTimer::singleShot(kOffMs + kNextOnMs, [&putOn, i] { putOn(i); });
            if (recorded % kUnplugEvery == 0) {
                // The adapter of another slot, pulled out whatever it is doing.
                Slot &u = slotList[size_t((i + recorded / kUnplugEvery) % kSlots)];
                QFile::remove(u.link);
                u.sim->setPlugged(false);
                ++unplugged;
                QTimer::singleShot(kUnpluggedMs, [&u] {
                    u.sim->setPlugged(true);
                    QFile::link(u.sim->slavePath(), u.link);
                    u.back.start();
                });
            }
        }
        const bool allRecorded = played >= target && recorded >= played;
        if (allRecorded || (drain.isValid() && drain.elapsed() > kDrainMs)) {
            rssEnd = residentKiB(cli.processId());
            poll.stop();
            ::kill(pid_t(cli.processId()), SIGINT);
        }
    });
    poll.start(100);
    QObject::connect(&cli, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &app,
                     &QCoreApplication::quit);
    app.exec();

    int stuck = 0;
    for (const Slot &s : slotList)
        stuck += s.on && s.onSince.elapsed() > kStuckMs;
    std::printf("slots %d, 9600 baud, %d-byte image and settings, both read back\n", kSlots,
                kImageSize);
    std::printf("devices played %d, recorded %d (failed %d; %d refused a chunk), adapters pulled "
                "out %d\n",
                played, recorded, failed, refusing, unplugged);
    std::printf("slots stuck %d\n", stuck);
    std::printf("resident memory: %lld KiB at 5 s, %lld KiB at the end (%.2fx)\n", rssStart, rssEnd,
                rssStart > 0 ? double(rssEnd) / double(rssStart) : 0.0);
    std::printf("wall time %.0f s, exit status %d\n", clock.elapsed() / 1e3, cli.exitCode());
    return recorded == played && stuck == 0 ? 0 : 1;
}
