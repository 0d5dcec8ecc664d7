// Time from the start of main to the window's first paint, offscreen, each run in a fresh
// process: the program's window, and the bare form for comparison.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
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

int child(int argc, char *argv[], bool bare)
{
    QApplication app(argc, argv);
    std::unique_ptr<QMainWindow> window;
    if (bare) {
        window.reset(new QMainWindow);
        (new Ui_MainWindow)->setupUi(window.get());
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

QVector<double> runs(const QString &mode, int count)
{
    QVector<double> ms;
    for (int i = 0; i < count; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {mode});
        p.waitForFinished();
        ms << p.readAllStandardOutput().trimmed().toDouble();
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

}  // namespace

int main(int argc, char *argv[])
{
    g_clock.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1)
        return child(argc, argv, QByteArray(argv[1]) == "bare");
    QApplication app(argc, argv);
    constexpr int kRuns = 15;
    for (const char *mode : {"window", "bare"}) {
        const QVector<double> ms = runs(QLatin1String(mode), kRuns);
        std::printf("first paint, %-6s: median %.1f ms, min %.1f, max %.1f (%d runs)\n", mode,
                    ms[kRuns / 2], ms.first(), ms.last(), kRuns);
    }
    suspects();
    return 0;
}
