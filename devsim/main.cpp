// Plays the device on a pseudo-terminal so the program can be run and tested without one.

#include "devsim/session.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxDevices = 256;

int g_signalFds[2] = {-1, -1};

void onSignal(int sig)
{
    const char c = char(sig);
    // Nothing else is safe here; the event loop picks the byte up.
    [[maybe_unused]] const ssize_t n = ::write(g_signalFds[0], &c, 1);
}

bool catchSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0)
        return false;
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    return true;
}

const char kDescription[]
    = "Plays the Velmor4 line-switching device on a pseudo-terminal.\n"
      "The first line on standard output is the terminal to open in the program;\n"
      "with --devices N, N lines, one terminal per device.\n"
      "\n"
      "Memory: version record 0x08002000 (4 bytes: 0, version byte, minor, major;\n"
      "read-only), firmware 0x08002400..0x0800F7FF (erased to FF), system block\n"
      "0x0800F800 (34 bytes) and hardware block 0x0800FC00 (10 bytes), both with the\n"
      "program's factory values.\n"
      "Read (operation 4): the reply holds the requested bytes when the whole range lies\n"
      "in one region and the count is at most 1024; otherwise the reply is empty.\n"
      "Write (operation 3): the reply is 01 when stored, 00 when the range is not wholly\n"
      "inside one writable region, the count is above 1024 or the data length differs\n"
      "from the count. Other operations get an empty reply. Frames with a bad checksum,\n"
      "bodies shorter than 8 bytes, lengths above 1032 and frames interrupted by more\n"
      "than 100 ms of silence are ignored without a reply.\n"
      "\n"
      "State file: the tag V4SIMST1, then the firmware region, the system block and the\n"
      "hardware block, raw (54324 bytes); loaded at start when it exists, saved after\n"
      "every stored write and at exit. The version record is not kept in it.\n"
      "Firmware dump: the firmware region up to the highest byte written or differing\n"
      "from FF, rewritten after every stored write and at exit.\n"
      "\n"
      "Fault numbers count requests from 1 (writes alone for --refuse-write).\n"
      "\n"
      "Several devices (--devices N): each has its own terminal, memory and state;\n"
      "the options apply to every one of them. --link, --state and --dump-firmware\n"
      "then need %n in their path, replaced by the device's number from 1 to N.";

bool toInt(const QCommandLineParser &p, const QString &name, int min, int max, int *out)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok, 0);
    if (!ok || v < min || v > max) {
        std::fprintf(stderr, "velmor4_devsim: --%s wants a number from %d to %d\n",
                     qPrintable(name), min, max);
        return false;
    }
    *out = v;
    return true;
}

bool toBytes(QString text, QByteArray *out)
{
    text.remove(QLatin1Char(' ')).remove(QLatin1Char(':'));
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    if (text.size() % 2 != 0)
        return false;
    for (QChar c : text) {
        if (!c.isDigit() && !QStringLiteral("abcdefABCDEF").contains(c))
            return false;
    }
    *out = QByteArray::fromHex(text.toLatin1());
    return true;
}

// Someone may have replaced the link meanwhile; only our own is removed.
bool pointsTo(const QString &link, const QString &target)
{
    char buf[4096];
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), buf, sizeof buf);
    return n > 0 && QFile::decodeName(QByteArray(buf, int(n))) == target;
}

// A link to the terminal, replacing a stale link of an earlier run, never a real file.
bool makeLink(const QString &link, const QString &target)
{
    if (QFileInfo(link).isSymLink())
        ::unlink(QFile::encodeName(link).constData());
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0)
        return true;
    std::fprintf(stderr, "velmor4_devsim: cannot create the link %s: %s\n", qPrintable(link),
                 std::strerror(errno));
    return false;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmor4_devsim"));

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromLatin1(kDescription));
    p.addHelpOption();
    const QList<QCommandLineOption> options = {
        {QStringLiteral("devices"),
         QStringLiteral("Play <n> devices, each on a terminal of its own (default 1)."),
         QStringLiteral("n")},
        {QStringLiteral("link"),
         QStringLiteral("Also reach the terminal through a symlink "
                        "named <path>, removed at exit."),
         QStringLiteral("path")},
        {QStringLiteral("minor"), QStringLiteral("Minor firmware version (default 5)."),
         QStringLiteral("n")},
        {QStringLiteral("major"), QStringLiteral("Major firmware version (default 1)."),
         QStringLiteral("n")},
        {QStringLiteral("version-byte"),
         QStringLiteral("Byte 1 of the version record, hex (default 65)."), QStringLiteral("hex")},
        {QStringLiteral("state"), QStringLiteral("Keep the device memory in <file>."),
         QStringLiteral("file")},
        {QStringLiteral("dump-firmware"),
         QStringLiteral("Write the firmware region to <file> after every stored write "
                        "and at exit."),
         QStringLiteral("file")},
        {QStringLiteral("no-reply"),
         QStringLiteral("Carry out request <n> but send no reply to it."), QStringLiteral("n")},
        {QStringLiteral("silent"), QStringLiteral("Carry out every request, answer none.")},
        {QStringLiteral("flood-after"),
         QStringLiteral("Answer request <n> with an endless stream of text instead, as a GPS "
                        "receiver on the wrong port would, as fast as the terminal takes it."),
         QStringLiteral("n")},
        {QStringLiteral("corrupt"),
         QStringLiteral("Send the reply to request <n> with a wrong checksum."),
         QStringLiteral("n")},
        {QStringLiteral("refuse-write"),
         QStringLiteral("Answer the <n>th write request with 00 and store nothing."),
         QStringLiteral("n")},
        {QStringLiteral("delay"),
         QStringLiteral("Wait <ms> after a request before the reply starts."),
         QStringLiteral("ms")},
        {QStringLiteral("bytewise"), QStringLiteral("Send replies one byte at a time.")},
        {QStringLiteral("garbage"), QStringLiteral("Send these hex bytes in front of every reply."),
         QStringLiteral("hex")},
        {QStringLiteral("baud"),
         QStringLiteral("Pace both directions as a line of <n> baud, 10 bits a byte "
                        "(default 0, unpaced)."),
         QStringLiteral("n")},
        {QStringLiteral("disconnect-after"),
         QStringLiteral("Close the terminal and exit after answering request <n>."),
         QStringLiteral("n")},
        {QStringLiteral("present"),
         QStringLiteral("Play devices put on and taken off a fixture: <list> of milliseconds "
                        "off and on it in turn, starting off (\"500,4000,1000,4000\": put on "
                        "after 0.5 s and taken off 4 s later, the next one put on 1 s after "
                        "that and taken off 4 s later). Off it, nothing is answered; each "
                        "device put on after the first is a new one, in factory state."),
         QStringLiteral("list")},
        {QStringLiteral("unplug"),
         QStringLiteral("Pull the adapter out and plug it back on a schedule: <list> of "
                        "milliseconds plugged and unplugged in turn, starting plugged "
                        "(\"3000,1000\": pulled out after 3 s, back 1 s later). Pulled out, the "
                        "terminal closes; back, the device is on a new terminal, with --link "
                        "made again (%r in its path: how often it came back, for a new name)."),
         QStringLiteral("list")},
        {QStringLiteral("resync-gap"),
         QStringLiteral("Drop a half-received frame after <ms> of silence (default 100, "
                        "0 never)."),
         QStringLiteral("ms")},
        {{QStringLiteral("v"), QStringLiteral("verbose")},
         QStringLiteral("Log requests, replies and ignored bytes in hex on stderr.")},
    };
    p.addOptions(options);
    p.process(app);
    if (!p.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "velmor4_devsim: unexpected argument %s\n",
                     qPrintable(p.positionalArguments().first()));
        return 2;
    }

    SimOptions opts;
    int minor = opts.minor, major = opts.major, devices = 1;
    const bool numbersOk = toInt(p, QStringLiteral("devices"), 1, kMaxDevices, &devices)
        && toInt(p, QStringLiteral("minor"), 0, 255, &minor)
        && toInt(p, QStringLiteral("major"), 0, 255, &major)
        && toInt(p, QStringLiteral("no-reply"), 0, INT_MAX, &opts.noReplyTo)
        && toInt(p, QStringLiteral("flood-after"), 0, INT_MAX, &opts.floodAfter)
        && toInt(p, QStringLiteral("corrupt"), 0, INT_MAX, &opts.corruptReplyTo)
        && toInt(p, QStringLiteral("refuse-write"), 0, INT_MAX, &opts.refuseWrite)
        && toInt(p, QStringLiteral("delay"), 0, 3600000, &opts.delayMs)
        && toInt(p, QStringLiteral("baud"), 0, 100000000, &opts.baud)
        && toInt(p, QStringLiteral("disconnect-after"), 0, INT_MAX, &opts.disconnectAfter)
        && toInt(p, QStringLiteral("resync-gap"), 0, 3600000, &opts.resyncGapMs);
    if (!numbersOk)
        return 2;
    opts.noReplies = p.isSet(QStringLiteral("silent"));
    for (const QString &ms :
         p.value(QStringLiteral("present")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        opts.presence << ms.trimmed().toInt(&ok);
        if (!ok || opts.presence.last() < 0) {
            std::fprintf(stderr, "velmor4_devsim: --present wants milliseconds, like 500,4000\n");
            return 2;
        }
    }
    QVector<int> unplug;
    for (const QString &ms :
         p.value(QStringLiteral("unplug")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        unplug << ms.trimmed().toInt(&ok);
        if (!ok || unplug.last() < 0) {
            std::fprintf(stderr, "velmor4_devsim: --unplug wants milliseconds, like 3000,1000\n");
            return 2;
        }
    }
    opts.minor = quint8(minor);
    opts.major = quint8(major);
    if (p.isSet(QStringLiteral("version-byte"))) {
        QByteArray b;
        if (!toBytes(p.value(QStringLiteral("version-byte")), &b) || b.size() != 1) {
            std::fprintf(stderr, "velmor4_devsim: --version-byte wants one hex byte\n");
            return 2;
        }
        opts.versionByte = quint8(b.at(0));
    }
    if (p.isSet(QStringLiteral("garbage"))
        && !toBytes(p.value(QStringLiteral("garbage")), &opts.garbage)) {
        std::fprintf(stderr, "velmor4_devsim: --garbage wants hex bytes, like 00FF55\n");
        return 2;
    }
    opts.bytewise = p.isSet(QStringLiteral("bytewise"));
    opts.verbose = p.isSet(QStringLiteral("verbose"));
    // One device keeps its paths as given; several need %n to tell their files apart.
    const auto numbered = [&](const QString &option, int n, int returns = 0) {
        QString path = p.value(option);
        path.replace(QLatin1String("%r"), QString::number(returns));
        return p.isSet(QStringLiteral("devices"))
            ? path.replace(QLatin1String("%n"), QString::number(n))
            : path;
    };
    for (const char *name : {"link", "state", "dump-firmware"}) {
        const QString option = QLatin1String(name);
        if (devices > 1 && p.isSet(option) && !p.value(option).contains(QLatin1String("%n"))) {
            std::fprintf(stderr, "velmor4_devsim: with --devices, --%s needs %%n in its path\n",
                         name);
            return 2;
        }
    }

    if (!catchSignals()) {
        std::perror("velmor4_devsim: socketpair");
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalFds[1], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char c;
        if (::read(g_signalFds[1], &c, 1) == 1)
            QCoreApplication::quit();
    });

    std::vector<std::unique_ptr<Simulator>> sims;
    QStringList links;  // the ones we made, one per device or none
    int serving = devices;
    const auto cleanUp = [&] {
        bool saved = true;
        for (size_t i = 0; i < sims.size(); ++i) {
            sims[i]->stop();
            saved = sims[i]->saveFiles() && saved;
            if (i < size_t(links.size()) && pointsTo(links.at(int(i)), sims[i]->slavePath()))
                ::unlink(QFile::encodeName(links.at(int(i))).constData());
        }
        return saved;
    };
    for (int n = 1; n <= devices; ++n) {
        opts.statePath = numbered(QStringLiteral("state"), n);
        opts.firmwareDump = numbered(QStringLiteral("dump-firmware"), n);
        sims.push_back(std::make_unique<Simulator>(opts));
        Simulator &sim = *sims.back();
        if (!sim.start()) {
            std::fprintf(stderr, "velmor4_devsim: %s\n", qPrintable(sim.errorString()));
            cleanUp();
            return 1;
        }
        // The run ends when the last device has closed its line.
        QObject::connect(&sim, &Simulator::disconnected, &app, [&serving] {
            if (--serving == 0)
                QCoreApplication::quit();
        });

        const QString link = numbered(QStringLiteral("link"), n);
        if (link.isEmpty())
            continue;
        if (!makeLink(link, sim.slavePath())) {
            cleanUp();
            return 1;
        }
        links << link;
    }

    // Each device's adapter pulled out and plugged back on the --unplug schedule.
    std::vector<int> steps(sims.size(), 0), returns(sims.size(), 0);
    std::function<void(size_t)> nextUnplugStep = [&](size_t i) {
        if (steps[i] >= unplug.size())
            return;
        QTimer::singleShot(unplug.at(steps[i]++), &app, [&, i] {
            Simulator &sim = *sims[i];
            const bool back = !sim.isPlugged();
            if (!back && i < size_t(links.size()) && pointsTo(links.at(int(i)), sim.slavePath()))
                ::unlink(QFile::encodeName(links.at(int(i))).constData());
            if (!sim.setPlugged(back)) {
                std::fprintf(stderr, "velmor4_devsim: %s\n", qPrintable(sim.errorString()));
                QCoreApplication::exit(1);
                return;
            }
            if (back) {
                ++returns[i];
                if (i < size_t(links.size())) {
                    links[int(i)] = numbered(QStringLiteral("link"), int(i) + 1, returns[i]);
                    makeLink(links.at(int(i)), sim.slavePath());
                }
                std::fprintf(stderr, "velmor4_devsim: device %d plugged back as %s\n", int(i) + 1,
                             qPrintable(sim.slavePath()));
            }
            nextUnplugStep(i);
        });
    };
    for (size_t i = 0; i < sims.size(); ++i)
        nextUnplugStep(i);

    // Scripts read these lines to learn where to connect, so the links must already exist.
    for (const std::unique_ptr<Simulator> &sim : sims)
        std::printf("%s\n", qPrintable(sim->slavePath()));
    std::fflush(stdout);

    const int rc = app.exec();
    const bool saved = cleanUp();
    return rc != 0 ? rc : (saved ? 0 : 1);
}
