// velmor4_cli: the device from the command line, for production lines and scripts.
#include "cli/commands.h"
#include "cli/console.h"
#include "link/protocol.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const char kDescription[]
    = "Configures the Velmor4 line-switching device over a serial port.\n"
      "Data goes to standard output; messages, progress and the trace to standard error.";

const char kCommands[]
    = "\nCommands:\n"
      "  list          the system's serial ports, one a line, tab-separated: name,\n"
      "                description, manufacturer, VID:PID (hex), USB serial number\n"
      "  version       the firmware version as \"major.minor\" (\"1.05\")\n"
      "  read [FILE]   both settings blocks as a settings file, to FILE (replaced only\n"
      "                once complete) or to standard output\n"
      "  write FILE    checks the whole FILE, writes the system block, then the hardware\n"
      "                block, then reads both back and compares (unless --no-verify)\n"
      "  flash IMAGE   uploads IMAGE (1 to 54272 bytes) in 1024-byte chunks from\n"
      "                0x08002400; --verify reads it back and compares\n"
      "\n"
      "Exit status:\n"
      "  0  success, everything confirmed by the device\n"
      "  1  the device refused or answered wrongly: refused write, unknown version\n"
      "     record, wrong reply size, verify mismatch\n"
      "  2  bad usage or bad input: unknown command, no port, unreadable or invalid\n"
      "     settings file, empty or oversized image; nothing was sent\n"
      "  3  communication failure: the port cannot be opened, no reply, bad checksum\n"
      "     (after the retries)\n";

struct Command
{
    const char *name;
    const char *usage;
    int minArgs;
    int maxArgs;
    ExitStatus (*run)(const CliOptions &opt, const QString &file);
};

const Command kCommandTable[] = {
    {"list", "list", 0, 0, [](const CliOptions &, const QString &) { return listPorts(); }},
    {"version", "version", 0, 0,
     [](const CliOptions &opt, const QString &) { return showVersion(opt); }},
    {"read", "read [FILE]", 0, 1, readSettings},
    {"write", "write FILE", 1, 1, writeSettings},
    {"flash", "flash IMAGE", 1, 1, flashImage},
};

bool toInt(const QString &text, int min, int max, int *out)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (ok && v >= min && v <= max)
        *out = v;
    return ok && v >= min && v <= max;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmor4_cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMOR4_VERSION));

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = p.addHelpOption();
    const QCommandLineOption version = p.addVersionOption();
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("The serial port: a system name (ttyUSB0, "
                                                 "COM3) or a device path. Default: the "
                                                 "environment variable VELMOR4_PORT."),
                                  QStringLiteral("name"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Instead of --port: the port whose USB "
                                                   "serial number is <number>."),
                                    QStringLiteral("number"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Reply timeout in milliseconds, from the "
                                                    "end of the request (default 3000)."),
                                     QStringLiteral("ms"), QString::number(proto::kReplyTimeoutMs));
    const QCommandLineOption retries(QStringLiteral("retries"),
                                     QStringLiteral("Resend a request that got no reply or a "
                                                    "reply with a bad checksum, up to <n> times "
                                                    "(default 0). A resent write repeats the "
                                                    "same bytes at the same address."),
                                     QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    QStringLiteral("flash: read the image back and compare."));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"),
                                      QStringLiteral("write: do not read the settings back."));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("Log every frame sent and received, "
                                                  "timestamped, in hex, to <file> (\"-\" for "
                                                  "standard error)."),
                                   QStringLiteral("file"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("No progress and no success messages."));
    p.addOptions({port, serial, timeout, retries, verify, noVerify, trace, quiet});
    p.addPositionalArgument(QStringLiteral("command"),
                            QStringLiteral("list, version, read, write or flash (below)."),
                            QStringLiteral("<command> [arguments]"));

    const QString seeHelp = QStringLiteral(". See velmor4_cli --help.");
    if (!p.parse(QCoreApplication::arguments()))
        return fail(ExitUsage, p.errorText() + QStringLiteral(" See velmor4_cli --help."));
    if (p.isSet(help) || p.isSet(QStringLiteral("help-all"))) {
        writeOut((p.helpText() + QLatin1String(kCommands)).toLocal8Bit());
        return ExitOk;
    }
    if (p.isSet(version)) {
        writeOut(QByteArray("velmor4_cli " VELMOR4_VERSION "\n"));
        return ExitOk;
    }

    CliOptions opt;
    opt.serial = p.value(serial);
    opt.port
        = p.isSet(port) || p.isSet(serial) ? p.value(port) : qEnvironmentVariable("VELMOR4_PORT");
    opt.verify = p.isSet(verify);
    opt.noVerify = p.isSet(noVerify);
    opt.trace = p.value(trace);
    opt.quiet = p.isSet(quiet);
    if (!toInt(p.value(timeout), 1, 3600000, &opt.timeoutMs))
        return fail(ExitUsage, QStringLiteral("--timeout wants milliseconds from 1 to 3600000"));
    if (!toInt(p.value(retries), 0, 100, &opt.retries))
        return fail(ExitUsage, QStringLiteral("--retries wants a number from 0 to 100"));
    if (p.isSet(port) && p.isSet(serial))
        return fail(ExitUsage, QStringLiteral("--port and --serial exclude each other"));
    if (opt.verify && opt.noVerify)
        return fail(ExitUsage, QStringLiteral("--verify and --no-verify exclude each other"));

    const QStringList args = p.positionalArguments();
    if (args.isEmpty())
        return fail(ExitUsage, QStringLiteral("no command given") + seeHelp);
    const Command *command = nullptr;
    for (const Command &c : kCommandTable) {
        if (args.first() == QLatin1String(c.name))
            command = &c;
    }
    if (!command)
        return fail(ExitUsage, QStringLiteral("unknown command %1").arg(args.first()) + seeHelp);
    const int count = args.size() - 1;
    if (count < command->minArgs || count > command->maxArgs)
        return fail(ExitUsage, QStringLiteral("usage: velmor4_cli [options] ") + command->usage);
    return command->run(opt, args.value(1));
}
