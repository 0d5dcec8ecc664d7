// velmor4_cli: the device from the command line, for production lines and scripts.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/interrupt.h"
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
      "                once complete) or to standard output; with several ports FILE\n"
      "                is a pattern where %p stands for the port (settings-%p.vlt)\n"
      "  write FILE    checks the whole FILE, writes the system block, then the hardware\n"
      "                block, then reads both back and compares (unless --no-verify)\n"
      "  flash IMAGE   uploads IMAGE (1 to 54272 bytes) in 1024-byte chunks from\n"
      "                0x08002400; --verify reads it back and compares\n"
      "\n"
      "Several ports (--port or --serial given more than once, or --ports all): the\n"
      "command runs on all of them at once, with one progress line per port, and ends\n"
      "with a table on standard output: port, USB serial number, result, time and the\n"
      "message of a failure. The exit status is the worst port's.\n"
      "\n"
      "Exit status:\n"
      "  0  success, everything confirmed by the device\n"
      "  1  the device refused or answered wrongly: refused write, unknown version\n"
      "     record, wrong reply size, verify mismatch\n"
      "  2  bad usage or bad input: unknown command, no port, unreadable or invalid\n"
      "     settings file, empty or oversized image; nothing was sent\n"
      "  3  communication failure: the port cannot be opened, no reply, bad checksum\n"
      "     (after the retries), a port that keeps sending data that answers nothing\n"
      "  130  interrupted (Ctrl+C, SIGTERM, console closed): nothing more was sent;\n"
      "     flash says after how many chunks it stopped\n";

struct Command
{
    const char *name;
    const char *usage;
    int minArgs;
    int maxArgs;
    // Checks the input; null for a command that talks to no device.
    ExitStatus (*prepare)(const CliOptions &opt, const QString &file, PortJob *job);
};

// clang-format off
const Command kCommandTable[] = {
    {"list", "list", 0, 0, nullptr},
    {"version", "version", 0, 0, versionJob},
    {"read", "read [FILE]", 0, 1, readJob},
    {"write", "write FILE", 1, 1, writeJob},
    {"flash", "flash IMAGE", 1, 1, flashJob},
};
// clang-format on

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
                                                 "COM3) or a device path; repeat it for "
                                                 "several ports at once. Default: the "
                                                 "environment variable VELMOR4_PORT."),
                                  QStringLiteral("name"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Instead of --port: the port whose USB "
                                                   "serial number is <number> (repeatable)."),
                                    QStringLiteral("number"));
    const QCommandLineOption ports(QStringLiteral("ports"),
                                   QStringLiteral("\"all\": every serial port the system "
                                                  "lists, at once."),
                                   QStringLiteral("all"));
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
    p.addOptions({port, serial, ports, timeout, retries, verify, noVerify, trace, quiet});
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
    opt.serials = p.values(serial);
    opt.ports = p.values(port);
    opt.allPorts = p.isSet(ports);
    if (!p.isSet(port) && !p.isSet(serial) && !p.isSet(ports)
        && !qEnvironmentVariableIsEmpty("VELMOR4_PORT"))
        opt.ports << qEnvironmentVariable("VELMOR4_PORT");
    opt.gang = opt.allPorts || opt.ports.size() + opt.serials.size() > 1;
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
    if (opt.allPorts && p.value(ports) != QLatin1String("all"))
        return fail(ExitUsage, QStringLiteral("--ports takes \"all\" alone"));
    if (opt.allPorts && (p.isSet(port) || p.isSet(serial)))
        return fail(ExitUsage, QStringLiteral("--ports all excludes --port and --serial"));
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
    if (!command->prepare)
        return listPorts();

    // Every input is checked once, before any port is opened.
    PortJob job;
    QStringList names;
    if (const ExitStatus s = command->prepare(opt, args.value(1), &job))
        return s;
    if (const ExitStatus s = choosePorts(opt, &names))
        return s;
    QString why;
    if (!opt.trace.isEmpty() && !openTrace(opt.trace, &why))
        return fail(ExitUsage,
                    QStringLiteral("cannot write the trace to %1: %2").arg(opt.trace, why));
    catchInterrupts();
    ExitStatus status = ExitOk;
    if (opt.gang) {
        status = runGang(opt, names, job);
    } else {
        opt.port = names.first();
        QString done;
        status = job(opt, &done);
        if (status == ExitOk && !opt.quiet && !done.isEmpty())
            note(done);
    }
    interruptReported();
    return status;
}
