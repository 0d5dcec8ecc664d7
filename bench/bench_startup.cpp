// Time from the start of main to the window's first paint, offscreen, each run in a fresh
// process: the program's window against the least its constructor has to do, the same form
// built plainly plus one enumeration of the system's ports. Runs of the two alternate, so that
// a busy machine slows both alike; the ratio of the medians is the figure (target: 1.10).
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QIcon>
#include <QProcess>
#include <QSerialPortInfo>
#include <QStyleFactory>
#include <QVector>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

QElapsedTimer g_clock;

class FirstPaint : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            std::printf("%.2f\n", g_clock.nsecsElapsed() / 1e6);
            std::exit(0);
        }
        return false;
    }
};

int child(int argc, char *argv[], bool baseline)
{
    QApplication app(argc, argv);
    std::unique_ptr<QMainWindow> window;
    if (baseline) {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vt.ico")));
        window.reset(new QMainWindow);
        (new Ui_MainWindow)->setupUi(window.get());
        window->setWindowTitle(QStringLiteral("Velmor4 util v1.0"));
        QSerialPortInfo::availablePorts();
    } else {
        setUpApplication(app);
        window.reset(new MainWindow);
    }
    FirstPaint filter;
    window->installEventFilter(&filter);
    window->show();
    return app.exec();
}

template<typename F> double msOf(F &&work)
{
    QElapsedTimer t;
    t.start();
    work();
    return t.nsecsElapsed() / 1e6;
}

// What the suspects cost by themselves, in this process after the runs.
void suspects()
{
    std::printf("one enumeration of the system's ports: %.1f ms\n",
                msOf([] { QSerialPortInfo::availablePorts(); }));
    std::printf("port names and descriptions, as the chooser takes them: %.1f ms\n",
                msOf([] { PortList::systemPorts(), PortList::toolTips(); }));
    std::printf("the INI file's place: %.1f ms\n", msOf([] { PortList::iniPath(); }));
    std::printf("the style: %.1f ms\n", msOf([] { delete QStyleFactory::create("Fusion"); }));
}

double run(const char *mode)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QLatin1String(mode)});
    p.waitForFinished();
    return p.readAllStandardOutput().trimmed().toDouble();
}

double report(const char *mode, QVector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("first paint, %-8s: median %.1f ms, min %.1f, max %.1f (%d runs)\n", mode, median,
                ms.first(), ms.last(), int(ms.size()));
    return median;
}

}  // namespace

int main(int argc, char *argv[])
{
    g_clock.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1)
        return child(argc, argv, QByteArray(argv[1]) == "baseline");
    QApplication app(argc, argv);
    constexpr int kRuns = 21;
    QVector<double> window, baseline;
    for (int i = 0; i < kRuns; ++i) {
        window << run("window");
        baseline << run("baseline");
    }
    const double ratio = report("window", window) / report("baseline", baseline);
    std::printf("ratio window / baseline: %.2f (target at most 1.10)\n", ratio);
    suspects();
    return 0;
}
