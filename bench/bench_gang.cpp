// velmor4_cli flashing a full 54 272-byte image with --verify into 1, 4, 16 and 32 simulated
// devices at 9600 baud at once: the wall time for each gang, its ratio to one device, and the
// CPU time the tool and the simulator needed. Takes some minutes: every run is two full
// passes over a 9600-baud line.
#include "bench/devsimprocess.h"
#include "link/protocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
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

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("fw.bin"));
    if (!writeFullImage(image))
        return 1;

    double one = 0;
    for (const int n : {1, 4, 16, 32}) {
        DevsimProcess sim;
        if (!sim.start({QStringLiteral("--baud"), QStringLiteral("9600"),
                        QStringLiteral("--devices"), QString::number(n)},
                       n))
            return 1;
        QStringList args = {QStringLiteral("-q")};
        for (const QString &path : sim.paths())
            args << QStringLiteral("-p") << path;
        args << QStringLiteral("flash") << QStringLiteral("--verify") << image;

        const double simBefore = cpuSeconds(sim.processId());
        const double cliBefore = childrenCpuSeconds();
        QProcess cli;
        QElapsedTimer t;
        t.start();
        cli.start(QStringLiteral(VELMOR4_CLI), args);
        if (!cli.waitForFinished(600000) || cli.exitStatus() != QProcess::NormalExit
            || cli.exitCode() != 0) {
            std::fprintf(stderr, "velmor4_cli failed for %d devices: %s%s\n", n,
                         cli.readAllStandardOutput().constData(),
                         cli.readAllStandardError().constData());
            return 1;
        }
        const double wall = t.nsecsElapsed() / 1e9;
        if (n == 1)
            one = wall;
        std::printf("%2d devices: %.2f s, %.4f x one device; CPU: velmor4_cli %.2f s (%.1f %% of "
                    "a core), simulator %.2f s\n",
                    n, wall, wall / one, childrenCpuSeconds() - cliBefore,
                    (childrenCpuSeconds() - cliBefore) * 100 / wall,
                    cpuSeconds(sim.processId()) - simBefore);
        std::fflush(stdout);
    }
    return 0;
}
