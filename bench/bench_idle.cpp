// CPU the idle window spends with its port rescan running, over 10 s: with a full enumeration
// of the system's ports on every tick, and as the program does it.
#include "app/mainwindow.h"
#include "app/portlist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double idlePercent(int seconds)
{
    MainWindow window;
    window.show();
    QTest::qWait(200);
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // A plain event loop: QTest::qWait wakes up every few milliseconds by itself.
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9) * 100;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 10;
    std::printf("system ports: %s\n", qPrintable(PortList::systemPorts().join(QLatin1Char(' '))));

    PortList::setSystemSource(&PortList::systemPorts);
    const double before = idlePercent(seconds);
    std::printf("enumerating every tick: %.3f %% of one core over %d s\n", before, seconds);

    PortList::setSystemSource([] { return QStringList(); });
    const double floor = idlePercent(seconds);
    std::printf("no enumeration at all: %.3f %% of one core over %d s\n", floor, seconds);

    PortList::setSystemSource({});
    const double after = idlePercent(seconds);
    std::printf("as the program does it: %.3f %% of one core over %d s\n", after, seconds);
    return 0;
}
