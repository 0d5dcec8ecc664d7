// velmor4_cli flashing a full 54 272-byte image into the simulator process: unthrottled, for
// what each chunk costs with the port kept open, and at 9600 baud against the line-rate limit.
#include "bench/devsimprocess.h"
#include "link/protocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kChunks = int(proto::kImageLimit / proto::kChunkSize);
constexpr int kRounds = 5;

// Seconds for one run of the program, start to exit; negative on failure.
double runCli(const QString &port, const QStringList &args)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(VELMOR4_CLI),
            QStringList{QStringLiteral("-q"), QStringLiteral("-p"), port} + args);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "velmor4_cli %s failed: %s\n", qPrintable(args.join(QLatin1Char(' '))),
                     p.readAllStandardError().constData());
        return -1;
    }
    return t.nsecsElapsed() / 1e9;
}

double fastest(const QString &port, const QStringList &args)
{
    double best = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        const double s = runCli(port, args);
        if (s < 0)
            return s;
        best = qMin(best, s);
    }
    return best;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("fw.bin"));
    if (!writeFullImage(image))
        return 1;
    const QStringList flash = {QStringLiteral("flash"), image};

    DevsimProcess sim;
    if (!sim.start())
        return 1;
    // A version query costs the same start, port opening and exit as a flash, with one request.
    const double version = fastest(sim.path(), {QStringLiteral("version")});
    const double whole = fastest(sim.path(), flash);
    if (version < 0 || whole < 0)
        return 1;
    std::printf("unthrottled: flash %.3f s, version %.3f s, %.3f ms per chunk (best of %d)\n",
                whole, version, (whole - version) * 1000 / (kChunks - 1), kRounds);
    if (quick)
        return 0;

    DevsimProcess line;
    if (!line.start({QStringLiteral("--baud"), QStringLiteral("9600")}))
        return 1;
    const double limit = kChunks * (proto::kHeaderSize + proto::kChunkSize + 5 + 6) * 10.0 / 9600;
    const double t = runCli(line.path(), flash);
    if (t < 0)
        return 1;
    std::printf("9600 baud: %.3f s, line-rate limit %.3f s, ratio %.4f, overhead %.2f ms per "
                "chunk\n",
                t, limit, t / limit, (t - limit) * 1000 / kChunks);
    return 0;
}
