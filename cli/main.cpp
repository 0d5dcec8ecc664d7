// velmor4_cli: the device from the command line, for production lines and scripts.
#include "cli/console.h"
#include "cli/events.h"
#include "cli/interrupt.h"
#include "cli/jobs/flash.h"
#include "cli/jobs/jobfile.h"
#include "cli/jobs/program.h"
#include "cli/jobs/settings.h"
#include "cli/jobs/version.h"
#include "cli/options.h"
#include "cli/ports.h"
#include "cli/report.h"
#include "cli/runner.h"
#include "cli/stats.h"
#include "link/protocol.h"
#include "translations/texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

#include <climits>

namespace {

const char kDescription[] = QT_TRANSLATE_NOOP(
    "velmor4_cli",
    "Configures the Velmor4 line-switching device over a serial port.\n"
    "Data goes to standard output; messages, progress and the trace to standard error.");

// The help after the options, a paragraph or a command to a text; null stands for a blank line.
const char *const kHelp[] = {
    QT_TRANSLATE_NOOP("velmor4_cli", "Commands:"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  list          the system's serial ports, one a line, tab-separated: name,\n"
        "                description, manufacturer, VID:PID (hex), USB serial number,\n"
        "                USB location (the hub port path, e.g. 1-1.2:1.0)"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  fixture new -o FILE\n"
        "                a fixture file for the adapters plugged in now: one slot per\n"
        "                USB location, in location order, to rename as the fixture\n"
        "                labels them"),
    QT_TRANSLATE_NOOP("velmor4_cli",
                      "  version       the firmware version as \"major.minor\" (\"1.05\")"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  read [FILE]   both settings blocks as a settings file, to FILE (replaced only\n"
        "                once complete) or to standard output; with several ports FILE\n"
        "                is a pattern where %p stands for the port (settings-%p.vlt),\n"
        "                with --wait %n for the device's number on its port"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  write FILE    checks the whole FILE, writes the system block, then the hardware\n"
        "                block, then reads both back and compares (unless --no-verify)"),
    QT_TRANSLATE_NOOP("velmor4_cli",
                      "  flash IMAGE   uploads IMAGE (1 to 54272 bytes) in 1024-byte chunks from\n"
                      "                0x08002400; --verify reads it back and compares"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  program       sets a device up in one job, in this order: --settings FILE\n"
        "                (as write), --firmware IMAGE (as flash), --expect-version X.YY\n"
        "                (reads the version and compares); any of them, or --job FILE;\n"
        "                all checked before anything is sent; what it writes is read\n"
        "                back and compared unless --no-verify"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  job new       writes a job file (-o FILE) from released files: --settings,\n"
        "                --firmware, --expect-version, --name, --line; each file with\n"
        "                its SHA-256, which program --job checks before any port is\n"
        "                opened (a missing or changed file: exit status 2)"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  stats REPORT...\n"
        "                devices, passed and failed by slot, job and day (UTC), the\n"
        "                failures seen most and the slots to check; --since DATE,\n"
        "                --job NAME|SHA256, --station NAME pick records, --html FILE\n"
        "                writes the same as a page with charts"),
    nullptr,
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "Several ports (--port or --serial given more than once, --ports, --fixture):\n"
        "the command runs on all of them at once, with one progress line per port, and\n"
        "ends with a table on standard output: slot, port, USB location and serial\n"
        "number, result, time and the message of a failure. The exit status is the\n"
        "worst port's."),
    nullptr,
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "--fixture FILE names the slots of a fixture, one a line: NAME location=VALUE,\n"
        "NAME serial=VALUE or NAME port=VALUE (# begins a comment). Each slot's adapter\n"
        "is looked up by that identity whenever it is opened, since system names move\n"
        "from adapter to adapter; an identity that matches two ports is refused."),
    nullptr,
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "--wait (a fixture that runs by itself): each slot waits quietly for a device (a\n"
        "version request every 500 ms), runs the command on it, then waits until it no\n"
        "longer answers (taken off) and for the next one, until Ctrl+C. Each slot's line\n"
        "says \"waiting for a device\", how far the job is, or \"done: PASS, remove the\n"
        "device\" (FAIL and the result word when it failed). An adapter missing or lost\n"
        "is looked for every 500 ms (\"adapter lost: waiting for it\") and taken up\n"
        "again, under a new system name too; a device it held must be taken off first.\n"
        "The run ends with a table: per slot the devices served, passed (PASS) and\n"
        "failed (FAIL), and how many Ctrl+C cut off; the exit status is the worst\n"
        "device's."),
    nullptr,
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "--report FILE appends one JSON object a line for every device and command:\n"
        "start, end (ISO 8601, UTC), slot, location, port, serial, vid_pid,\n"
        "description, command, files (role, path, size, sha256), verify, settings\n"
        "(blocks_written, verified), firmware (chunks_written, chunks_total, verified),\n"
        "version, expected_version, result, exit_status, message, operator, order,\n"
        "station, job (path, name, line, sha256), tool_version, qt_version, os; null\n"
        "where they do not apply. Each record is flushed as soon as its device is done."),
    nullptr,
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "--events FILE (\"-\": standard output, which then carries nothing else) writes\n"
        "one JSON object a line as things happen: started, progress, step, ended (one per\n"
        "device started), adapter_lost, adapter_back. See the manual page."),
    nullptr,
    QT_TRANSLATE_NOOP("velmor4_cli", "Result words (summary, report) with their exit status:"),
    QT_TRANSLATE_NOOP("velmor4_cli",
                      "  ok (0)             success, everything confirmed by the device (PASS)"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  device (1)         the device refused or answered wrongly: refused write,\n"
        "                     unknown version record, wrong reply size, verify\n"
        "                     mismatch, another version than --expect-version"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  input (2)          bad usage or bad input: unknown command, no port,\n"
        "                     unreadable or invalid settings file, empty or oversized\n"
        "                     image, a report or output file that cannot be written;\n"
        "                     nothing was sent"),
    QT_TRANSLATE_NOOP("velmor4_cli",
                      "  link (3)           communication failure: the port cannot be opened, no\n"
                      "                     reply, bad checksum (after the retries), a port that\n"
                      "                     keeps sending data that answers no request"),
    QT_TRANSLATE_NOOP(
        "velmor4_cli",
        "  interrupted (130)  Ctrl+C, SIGTERM, console closed: nothing more was sent;\n"
        "                     flash and program say after how many chunks they stopped"),
    QT_TRANSLATE_NOOP("velmor4_cli", "Any result but ok is a FAIL."),
};

QString helpAfterOptions()
{
    QString out = QStringLiteral("\n");
    for (const char *text : kHelp)
        out += (text ? CliText::tr(text) : QString()) + QLatin1Char('\n');
    return out;
}

// --lang, looked for before the parse so that even a usage error speaks the language asked
// for; without it, the user's: Russian where the first language of the user interface is.
bool chooseLanguage(const QStringList &args, QString *bad)
{
    QString lang;
    for (int i = 1; i < args.size() && args.at(i) != QLatin1String("--"); ++i) {
        if (args.at(i) == QLatin1String("--lang") && i + 1 < args.size())
            lang = args.at(++i);
        else if (args.at(i).startsWith(QLatin1String("--lang=")))
            lang = args.at(i).mid(7);
    }
    const bool russian = lang.isEmpty()
        ? QLocale(QLocale::system().uiLanguages().value(0)).language() == QLocale::Russian
        : lang == QLatin1String("ru");
    if (russian) {
        installRussianTexts();
        installQtRussianTexts();  // the parser's own words in the help and its errors
    }
    *bad = lang;
    return lang.isEmpty() || russian || lang == QLatin1String("en");
}

struct Command
{
    const char *name;
    const char *usage;
    int minArgs;
    int maxArgs;
    // Checks the input; null for a command that talks to no device.
    ExitStatus (*prepare)(const CliOptions &opt, const QString &file, Job *job);
    // Runs a command that talks to no device.
    ExitStatus (*local)(const CliOptions &opt, const QStringList &args);
};

// clang-format off
const Command kCommandTable[] = {
    {"list", "list", 0, 0, nullptr, listPorts},
    {"fixture", "fixture new -o FILE", 1, 1, nullptr, newFixture},
    {"version", "version", 0, 0, versionJob, nullptr},
    {"read", "read [FILE]", 0, 1, readJob, nullptr},
    {"write", "write FILE", 1, 1, writeJob, nullptr},
    {"flash", "flash IMAGE", 1, 1, flashJob, nullptr},
    {"program", "program [--settings FILE] [--firmware IMAGE] [--expect-version X.YY] "
     "[--job FILE]", 0, 0, programJob, nullptr},
    {"job", "job new [--settings FILE] [--firmware IMAGE] [--expect-version X.YY] "
     "[--name TEXT] [--line TEXT] -o FILE", 1, 1, nullptr, newJobFile},
    {"stats", "stats REPORT... [--since DATE] [--job NAME|SHA256] [--station NAME] "
     "[--html FILE]", 1, INT_MAX, nullptr, printStats},
};
// Options that only some commands take.
const char kDeviceCommands[] = "version read write flash program";
const struct { const char *option; const char *commands; } kOwners[] = {
    {"settings", "program job"}, {"firmware", "program job"}, {"expect-version", "program job"},
    {"job", "program stats"}, {"station", "version read write flash program stats"},
    {"operator", kDeviceCommands}, {"order", kDeviceCommands}, {"events", kDeviceCommands},
    {"output", "job fixture"}, {"name", "job"}, {"line", "job"}, {"since", "stats"}, {"html", "stats"},
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
    QString lang;
    if (!chooseLanguage(QCoreApplication::arguments(), &lang))
        return fail(ExitUsage, QStringLiteral("--lang takes ru or en, not %1").arg(lang));

    QCommandLineParser p;
    p.setApplicationDescription(CliText::tr(kDescription));
    const QCommandLineOption help = p.addHelpOption();
    const QCommandLineOption version = p.addVersionOption();
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  CliText::tr("The serial port: a system name (ttyUSB0, "
                                              "COM3) or a device path; repeat it for "
                                              "several ports at once. Default: the "
                                              "environment variable VELMOR4_PORT."),
                                  QStringLiteral("name"));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    CliText::tr("Instead of --port: the port whose USB "
                                                "serial number is <number> (repeatable)."),
                                    QStringLiteral("number"));
    const QCommandLineOption ports(QStringLiteral("ports"),
                                   CliText::tr("Every serial port the system lists (all), "
                                               "every USB adapter (usb), or every adapter "
                                               "of one kind (a VID:PID such as 0403:6001), "
                                               "at once."),
                                   QStringLiteral("all|usb|VID:PID"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     CliText::tr("Reply timeout in milliseconds, from the "
                                                 "end of the request (default 3000)."),
                                     QStringLiteral("ms"), QString::number(proto::kReplyTimeoutMs));
    const QCommandLineOption retries(QStringLiteral("retries"),
                                     CliText::tr("Resend a request that got no reply or a "
                                                 "reply with a bad checksum, up to <n> times "
                                                 "(default 0). A resent write repeats the "
                                                 "same bytes at the same address."),
                                     QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    CliText::tr("flash: read the image back and compare "
                                                "(program always does)."));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"),
                                      CliText::tr("write, program: read nothing back."));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      CliText::tr("program: write these settings and read "
                                                  "them back."),
                                      QStringLiteral("file"));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
                                      CliText::tr("program: flash this image."),
                                      QStringLiteral("image"));
    const QCommandLineOption expectVersion(QStringLiteral("expect-version"),
                                           CliText::tr("program: the version the device "
                                                       "must report, like 1.05."),
                                           QStringLiteral("X.YY"));
    const QCommandLineOption fixture(QStringLiteral("fixture"),
                                     CliText::tr("The slots of a fixture, from <file> "
                                                 "(below)."),
                                     QStringLiteral("file"));
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  CliText::tr("A fixture: on each port, one device after "
                                              "another until Ctrl+C (below)."));
    const QCommandLineOption report(QStringLiteral("report"),
                                    CliText::tr("Append a JSON record of every device to "
                                                "<file> (below)."),
                                    QStringLiteral("file"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   CliText::tr("Log every frame sent and received, "
                                               "timestamped, in hex, to <file> (\"-\" for "
                                               "standard error)."),
                                   QStringLiteral("file"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   CliText::tr("No progress and no success messages."));
    const QCommandLineOption jobOption(QStringLiteral("job"),
                                       CliText::tr("program: run this job file (see job new); "
                                                   "stats: only this job's records, by name or "
                                                   "SHA-256."),
                                       QStringLiteral("file"));
    const QCommandLineOption operatorName(QStringLiteral("operator"),
                                          CliText::tr("Who sets the devices up, for the "
                                                      "report."),
                                          QStringLiteral("name"));
    const QCommandLineOption order(QStringLiteral("order"),
                                   CliText::tr("The work order, for the report."),
                                   QStringLiteral("id"));
    const QCommandLineOption station(QStringLiteral("station"),
                                     CliText::tr("The station, for the report (default: the "
                                                 "host name); stats: only its records."),
                                     QStringLiteral("name"));
    const QCommandLineOption events(QStringLiteral("events"),
                                    CliText::tr("Write what happens as JSON lines to <file> "
                                                "(\"-\" for standard output)."),
                                    QStringLiteral("file"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    CliText::tr("job new, fixture new: the file to write."),
                                    QStringLiteral("file"));
    const QCommandLineOption name(QStringLiteral("name"), CliText::tr("job new: the job's name."),
                                  QStringLiteral("text"));
    const QCommandLineOption line(QStringLiteral("line"),
                                  CliText::tr("job new: the line or station it is for."),
                                  QStringLiteral("text"));
    const QCommandLineOption since(QStringLiteral("since"),
                                   CliText::tr("stats: only records from this day (UTC) or "
                                               "time on."),
                                   QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption html(QStringLiteral("html"),
                                  CliText::tr("stats: also write it as a page."),
                                  QStringLiteral("file"));
    p.addOptions({port, serial, ports, fixture, timeout, retries, verify, noVerify, settings,
                  firmware, expectVersion, wait, report, trace, quiet});
    // Production: the job, who and where, the events, the statistics.
    p.addOptions(
        {jobOption, operatorName, order, station, events, output, name, line, since, html});
    // Read by chooseLanguage(); here for the help and so that the parse knows it.
    p.addOption({QStringLiteral("lang"),
                 CliText::tr("The language of messages and help: ru or en (default: the "
                             "user's language)."),
                 QStringLiteral("ru|en")});
    p.addPositionalArgument(QStringLiteral("command"),
                            CliText::tr("list, fixture, version, read, write, flash, "
                                        "program, job or stats (below)."),
                            QStringLiteral("<command> [arguments]"));

    if (!p.parse(QCoreApplication::arguments()))
        return fail(ExitUsage, CliText::tr("%1 See velmor4_cli --help.").arg(p.errorText()));
    if (p.isSet(help) || p.isSet(QStringLiteral("help-all"))) {
        writeOutText(p.helpText() + helpAfterOptions());
        return ExitOk;
    }
    if (p.isSet(version)) {
        writeOut(QByteArray("velmor4_cli " VELMOR4_VERSION "\n"));
        return ExitOk;
    }

    CliOptions opt;
    opt.serials = p.values(serial);
    opt.ports = p.values(port);
    opt.portKind = p.value(ports);
    opt.fixture = p.value(fixture);
    if (!p.isSet(port) && !p.isSet(serial) && !p.isSet(ports) && !p.isSet(fixture)
        && !qEnvironmentVariableIsEmpty("VELMOR4_PORT"))
        opt.ports << qEnvironmentVariable("VELMOR4_PORT");
    opt.wait = p.isSet(wait);
    opt.severalPorts
        = p.isSet(ports) || p.isSet(fixture) || opt.ports.size() + opt.serials.size() > 1;
    opt.gang = opt.severalPorts || opt.wait;
    opt.report = p.value(report);
    opt.settingsFile = p.value(settings);
    opt.firmwareFile = p.value(firmware);
    opt.expectVersion = p.value(expectVersion);
    opt.verify = p.isSet(verify);
    opt.noVerify = p.isSet(noVerify);
    opt.trace = p.value(trace);
    opt.quiet = p.isSet(quiet);
    opt.job = p.value(jobOption);
    opt.operatorName = p.value(operatorName);
    opt.order = p.value(order);
    opt.station = p.value(station);
    opt.events = p.value(events);
    opt.output = p.value(output);
    opt.jobName = p.value(name);
    opt.jobLine = p.value(line);
    opt.since = p.value(since);
    opt.html = p.value(html);
    if (!toInt(p.value(timeout), 1, 3600000, &opt.timeoutMs))
        return fail(ExitUsage, CliText::tr("--timeout wants milliseconds from 1 to 3600000"));
    if (!toInt(p.value(retries), 0, 100, &opt.retries))
        return fail(ExitUsage, CliText::tr("--retries wants a number from 0 to 100"));
    if (p.isSet(port) && p.isSet(serial))
        return fail(ExitUsage, CliText::tr("--port and --serial exclude each other"));
    const QRegularExpression kinds(QStringLiteral("^(all|usb|[0-9a-fA-F]{4}:[0-9a-fA-F]{4})$"));
    if (p.isSet(ports) && (p.values(ports).size() > 1 || !kinds.match(opt.portKind).hasMatch())) {
        return fail(ExitUsage,
                    CliText::tr("--ports takes all, usb or a VID:PID of four hex digits "
                                "each, like 0403:6001, once"));
    }
    if (p.isSet(ports) && (p.isSet(port) || p.isSet(serial)))
        return fail(ExitUsage, CliText::tr("--ports excludes --port and --serial"));
    if (p.isSet(fixture) && (p.isSet(port) || p.isSet(serial) || p.isSet(ports)))
        return fail(ExitUsage, CliText::tr("--fixture excludes --port, --serial and --ports"));
    if (opt.verify && opt.noVerify)
        return fail(ExitUsage, CliText::tr("--verify and --no-verify exclude each other"));

    const QStringList args = p.positionalArguments();
    if (args.isEmpty())
        return fail(ExitUsage, CliText::tr("no command given. See velmor4_cli --help."));
    const Command *command = nullptr;
    for (const Command &c : kCommandTable) {
        if (args.first() == QLatin1String(c.name))
            command = &c;
    }
    if (!command)
        return fail(ExitUsage,
                    CliText::tr("unknown command %1. See velmor4_cli --help.").arg(args.first()));
    for (const auto &owner : kOwners) {
        const QStringList commands = QString::fromLatin1(owner.commands).split(QLatin1Char(' '));
        if (p.isSet(QLatin1String(owner.option)) && !commands.contains(args.first())) {
            return fail(ExitUsage,
                        CliText::tr("--%1 belongs to %2")
                            .arg(QLatin1String(owner.option), commands.join(QStringLiteral(", "))));
        }
    }
    const int count = args.size() - 1;
    if (count < command->minArgs || count > command->maxArgs)
        return fail(
            ExitUsage,
            CliText::tr("usage: velmor4_cli [options] %1").arg(QLatin1String(command->usage)));
    if (command->local == newFixture && args.value(1) != QLatin1String("new"))
        return fail(
            ExitUsage,
            CliText::tr("usage: velmor4_cli [options] %1").arg(QLatin1String(command->usage)));
    if (!command->prepare)
        return command->local(opt, args.mid(1));
    if (opt.events == QLatin1String("-") && command->prepare == readJob && count == 0) {
        return fail(ExitUsage,
                    CliText::tr("with --events -, standard output carries the events: give "
                                "read a FILE"));
    }

    // Every input is checked once, before any port is opened; a job's files against the
    // hashes it released.
    ReleasedJob released;
    if (!opt.job.isEmpty()) {
        if (!opt.settingsFile.isEmpty() || !opt.firmwareFile.isEmpty()
            || !opt.expectVersion.isEmpty())
            return fail(ExitUsage,
                        CliText::tr("--job names the files and the version "
                                    "itself: it excludes --settings, --firmware "
                                    "and --expect-version"));
        if (const ExitStatus s = readJobFile(opt.job, &released))
            return s;
        opt.settingsFile = released.settings;
        opt.firmwareFile = released.firmware;
        opt.expectVersion = released.expectVersion;
    }
    Job job;
    job.command = QLatin1String(command->name);
    QVector<Slot> slotList;
    QVector<SystemPort> found;
    if (const ExitStatus s = command->prepare(opt, args.value(1), &job))
        return s;
    if (const ExitStatus s = checkJobFiles(released, job.files))
        return s;
    job.origin = provenance(opt, released);
    if (const ExitStatus s = chooseSlots(opt, &slotList, &found))
        return s;
    QString why;
    if (!opt.trace.isEmpty() && !openTrace(opt.trace, &why))
        return fail(ExitUsage, CliText::tr("cannot write the trace to %1: %2").arg(opt.trace, why));
    if (!opt.report.isEmpty() && !openReport(opt.report, &why))
        return fail(ExitUsage,
                    CliText::tr("cannot append to the report %1: %2").arg(opt.report, why));
    if (!opt.events.isEmpty() && !openEvents(opt.events, &why))
        return fail(ExitUsage,
                    CliText::tr("cannot write the events to %1: %2").arg(opt.events, why));
    catchInterrupts();
    const ExitStatus status = runJob(opt, slotList, found, job);
    interruptReported();
    return status;
}
