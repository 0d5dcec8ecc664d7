#include "app/mainwindow.h"
#include "app/portlist.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstring>

namespace {

const QCommandLineOption kPortOption(
    QStringLiteral("port"),
    QStringLiteral("Also offer the serial device at <path> in the port chooser, after the "
                   "system's ports (for pseudo-terminals and network bridges), and select the "
                   "first such path at start. Repeatable."),
    QStringLiteral("path"));

QStringList parseCommandLine(const QCoreApplication &app)
{
    QCoreApplication::setApplicationName(QStringLiteral("velmor4_util"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures a Velmor4 line-switching device over a serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(kPortOption);
    parser.process(app);  // answers --help and --version itself and exits
    return parser.values(kPortOption);
}

// Help and version are text only: they must work where no display can be opened.
bool wantsTextOnly(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        for (const char *flag : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], flag) == 0)
                return true;
    return false;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (wantsTextOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        parseCommandLine(app);
    }

    enableHighDpiScaling();
    QApplication app(argc, argv);
    setUpApplication(app);
    PortList::setExtraPorts(parseCommandLine(app));

    MainWindow window;
    window.show();
    return app.exec();
}
