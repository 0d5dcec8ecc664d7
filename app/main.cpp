#include "app/mainwindow.h"
#include "app/portlist.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmor4_util"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vt.ico")));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures a Velmor4 line-switching device over a serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Also offer the serial device at <path> in the port chooser, after the "
                       "system's ports (for pseudo-terminals and network bridges). Repeatable."),
        QStringLiteral("path"));
    parser.addOption(portOption);
    parser.process(app);
    PortList::setExtraPorts(parser.values(portOption));

    MainWindow window;
    window.show();
    return app.exec();
}
