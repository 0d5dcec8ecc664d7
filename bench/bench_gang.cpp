// velmor4_cli on 1 to 32 simulated devices at 9600 baud at once: the wall time for each gang,
// its ratio to one device, and the CPU time the tool and the simulator needed.
//   flash:   a full 54 272-byte image with --verify, on 1, 4, 16 and 32 devices;
//   program: settings, the full image with --verify and the version check, with --report, on
//            1, 16 and 32 devices; also the report's size per device.
// `bench_gang flash` or `bench_gang program` runs one of them, no argument both. Takes some
// minutes: every run is two full passes over a 9600-baud line.
#include "bench/devsimprocess.h"
#include "link/protocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>

namespace {

// CPU seconds (user + system) of the process, from /proc, in clock ticks.
double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command name, which is in brackets and may hold spaces.
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

double childrenCpuSeconds()
{
    rusage u = {};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// One command on gangs of the given sizes; false when a run failed.
bool measure(const char *name, const QStringList &command, const QList<int> &gangs,
             const QString &report)
{
    double one = 0;
    for (const int n : gangs) {
        DevsimProcess sim;
        if (!sim.start({QStringLiteral("--baud"), QStringLiteral("9600"),
                        QStringLiteral("--devices"), QString::number(n)},
                       n))
            return false;
        QStringList args = {QStringLiteral("-q")};
        for (const QString &path : sim.paths())
            args << QStringLiteral("-p") << path;
        QFile::remove(report);

        const double simBefore = cpuSeconds(sim.processId());
        const double cliBefore = childrenCpuSeconds();
        QProcess cli;
        QElapsedTimer t;
        t.start();
        cli.start(QStringLiteral(VELMOR4_CLI), args + command);
        if (!cli.waitForFinished(600000) || cli.exitStatus() != QProcess::NormalExit
            || cli.exitCode() != 0) {
            std::fprintf(stderr, "velmor4_cli %s failed for %d devices: %s%s\n", name, n,
                         cli.readAllStandardOutput().constData(),
                         cli.readAllStandardError().constData());
            return false;
        }
        const double wall = t.nsecsElapsed() / 1e9;
        if (n == gangs.first())
            one = wall;
        const double cpu = childrenCpuSeconds() - cliBefore;
        std::printf("%s, %2d devices: %.2f s, %.4f x one device; CPU: velmor4_cli %.2f s (%.1f %% "
                    "of a core), simulator %.2f s",
                    name, n, wall, wall / one, cpu, cpu * 100 / wall,
                    cpuSeconds(sim.processId()) - simBefore);
        if (command.contains(QStringLiteral("--report")))
            std::printf("; report %.0f bytes a device", QFileInfo(report).size() / double(n));
        std::printf("\n");
        std::fflush(stdout);
    }
    return true;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString only = app.arguments().value(1);
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("fw.bin"));
    const QString settings = dir.filePath(QStringLiteral("settings.vlt"));
    const QString report = dir.filePath(QStringLiteral("report.jsonl"));
    if (!writeFullImage(image))
        return 1;

    if (only.isEmpty() || only == QLatin1String("flash")) {
        if (!measure("flash", {QStringLiteral("flash"), QStringLiteral("--verify"), image},
                     {1, 4, 16, 32}, report))
            return 1;
    }
    if (only.isEmpty() || only == QLatin1String("program")) {
        // The settings of a device as it comes, read once.
        DevsimProcess sim;
        QProcess read;
        if (!sim.start())
            return 1;
        read.start(QStringLiteral(VELMOR4_CLI),
                   {QStringLiteral("-p"), sim.path(), QStringLiteral("read"), settings});
        if (!read.waitForFinished(10000) || read.exitCode() != 0)
            return 1;
        if (!measure("program",
                     {QStringLiteral("--verify"), QStringLiteral("--report"), report,
                      QStringLiteral("program"), QStringLiteral("--settings"), settings,
                      QStringLiteral("--firmware"), image, QStringLiteral("--expect-version"),
                      QStringLiteral("1.05")},
                     {1, 16, 32}, report))
            return 1;
    }
    return 0;
}
