// The window on a port that never goes quiet: the simulator, a process of its own, answers the
// first request with an endless stream of text, as a GPS receiver on the wrong port would. How
// long the request and the wait for a clean line take, what they cost, and what the window
// still reads once it has given the port up.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "bench/devsimprocess.h"
#include "tests/support/modalanswerer.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int kGiveUpMs = 15000;
constexpr int kAfterMs = 2000;

struct Sample
{
    qint64 ms = -1;
    double cpu = 0;
    qint64 read = 0;  // bytes this process has read through system calls
};

Sample sample(const QElapsedTimer &clock)
{
    Sample s;
    s.ms = clock.elapsed();
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    s.cpu = u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    QFile io(QStringLiteral("/proc/self/io"));
    const QByteArray text = io.open(QIODevice::ReadOnly) ? io.readAll() : QByteArray();
    const int at = text.indexOf("rchar: ") + 7;
    s.read = at < 7 ? 0 : text.mid(at, text.indexOf('\n', at) - at).toLongLong();
    return s;
}

void report(const char *what, const Sample &from, const Sample &to)
{
    const double s = (to.ms - from.ms) / 1000.0;
    std::printf("%-40s %6.2f s, CPU %5.2f s (%3.0f %% of a core), read %7.2f MB/s\n", what, s,
                to.cpu - from.cpu, (to.cpu - from.cpu) / s * 100, (to.read - from.read) / s / 1e6);
}

}  // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DevsimProcess sim;
    if (!sim.start({QStringLiteral("--flood-after"), QStringLiteral("1")})) {
        std::fprintf(stderr, "cannot start the simulator\n");
        return 1;
    }
    PortList::setSystemSource([] { return QStringList(); });
    PortList::setExtraPorts({sim.path()});
    MainWindow window;
    window.show();
    ModalAnswerer answerer;
    QAction *version = window.findChild<QAction *>(QStringLiteral("actionFirmwareVer"));
    QElapsedTimer clock;
    clock.start();
    Sample failed, back;
    QObject::connect(&answerer, &ModalAnswerer::answered, [&] {
        if (failed.ms < 0)
            failed = sample(clock);
    });
    QObject::connect(version, &QAction::changed, [&] {
        if (version->isEnabled() && failed.ms >= 0 && back.ms < 0)
            back = sample(clock);
    });
    const Sample start = sample(clock);
    version->trigger();
    answerer.waitForBoxes(2, kGiveUpMs);
    if (failed.ms < 0) {
        std::printf("no failure within %d s\n", kGiveUpMs / 1000);
        return 1;
    }
    report("request, until its failure", start, failed);
    if (back.ms < 0) {
        report("waiting for a clean line, not over yet", failed, sample(clock));
        return 1;
    }
    report("failure, until the commands are back", failed, back);
    QEventLoop loop;
    QTimer::singleShot(kAfterMs, &loop, &QEventLoop::quit);
    loop.exec();
    report("the seconds after", back, sample(clock));
    std::printf("messages: %s\n", qPrintable(answerer.texts().join(QStringLiteral(" | "))));
    return 0;
}
