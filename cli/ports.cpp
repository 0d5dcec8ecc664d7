// `list`, `fixture new`, and which ports a command talks to.
#include "cli/ports.h"

#include "cli/console.h"
#include "cli/screen.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

ExitStatus listPorts(const CliOptions &, const QStringList &)
{
    QString out;
    for (const SystemPort &p : systemPorts(systemRoot())) {
        // One port a line, fields split by tabs; what an adapter's maker wrote is shown escaped.
        const QStringList fields
            = {printable(p.name),   printable(p.description), printable(p.manufacturer),
               printable(p.vidPid), printable(p.serial),      printable(p.location)};
        out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    writeOutText(out);
    return ExitOk;
}

ExitStatus newFixture(const CliOptions &opt, const QStringList &)
{
    if (opt.output.isEmpty())
        return fail(ExitUsage, CliText::tr("fixture new wants -o FILE"));
    const QVector<SystemPort> ports = systemPorts(systemRoot());
    const QByteArray text = fixtureText(ports);
    if (!text.contains("location=")) {
        return fail(
            ExitUsage,
            CliText::tr("no USB adapter with a location is plugged in (velmor4_cli list shows "
                        "them)"));
    }
    QSaveFile file(opt.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        return fail(ExitUsage,
                    CliText::tr("cannot write %1: %2").arg(opt.output, file.errorString()));
    }
    return ExitOk;
}

ExitStatus chooseSlots(const CliOptions &opt, QVector<Slot> *slotList, QVector<SystemPort> *ports)
{
    const QVector<SystemPort> system = systemPorts(systemRoot());
    QVector<Slot> chosen;
    if (!opt.fixture.isEmpty()) {
        QFile file(opt.fixture);
        QString why;
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(
                ExitUsage,
                CliText::tr("cannot read the fixture %1: %2").arg(opt.fixture, file.errorString()));
        }
        if (!parseFixture(file.read(1 << 20), &chosen, &why))
            return fail(ExitUsage, CliText::tr("fixture %1, %2").arg(opt.fixture, why));
    }
    for (const QString &port : opt.ports)
        chosen << Slot{QString(), Slot::ByName, port};
    if (!opt.portKind.isEmpty()) {
        // "usb": every adapter with USB identifiers; "0403:6001": every adapter of that kind.
        const QString kind = opt.portKind.toLower();
        for (const SystemPort &p : system) {
            if (kind == QLatin1String("all")
                || (kind == QLatin1String("usb") && !p.vidPid.isEmpty()) || kind == p.vidPid)
                chosen << Slot{QString(), Slot::ByName, p.path};
        }
        if (chosen.isEmpty()) {
            return fail(
                ExitUsage,
                CliText::tr("--ports %1: the system lists no such serial port (velmor4_cli list "
                            "shows them)")
                    .arg(opt.portKind));
        }
    }
    for (const QString &serial : opt.serials)
        chosen << Slot{QString(), Slot::BySerial, serial};
    if (chosen.isEmpty()) {
        return fail(ExitUsage,
                    CliText::tr("no port given: use --port NAME, --serial NUMBER, --ports all "
                                "or --fixture FILE, or set VELMOR4_PORT"));
    }

    QVector<SystemPort> found;
    QHash<QString, QString> named;  // port key: how it was named first
    for (const Slot &slot : chosen) {
        const QVector<SystemPort> matches = matchSlot(slot, system);
        const QString who = slot.name.isEmpty()
            ? identityText(slot)
            : CliText::tr("slot %1 (%2)").arg(slot.name, identityText(slot));
        if (matches.size() > 1) {
            QStringList names;
            for (const SystemPort &p : matches)
                names << p.name;
            return fail(ExitUsage,
                        CliText::tr("%1 matches several ports: %2; name one by its location "
                                    "instead (velmor4_cli list shows them)")
                            .arg(who, names.join(QStringLiteral(", "))));
        }
        SystemPort port = matches.value(0);
        if (matches.isEmpty() && slot.by == Slot::ByName)
            port.name = port.path = slot.value;  // opening it tells what is wrong
        if (matches.isEmpty() && slot.by == Slot::BySerial && slot.name.isEmpty() && !opt.wait) {
            return fail(ExitUsage,
                        CliText::tr("no port has the USB serial number %1 (velmor4_cli list shows "
                                    "them)")
                            .arg(slot.value));
        }
        if (!port.path.isEmpty()) {
            const QString key = portKey(port.path);
            if (named.contains(key)) {
                return fail(
                    ExitUsage,
                    CliText::tr("%1 and %2 are the same port, %3").arg(named.value(key), who, key));
            }
            named.insert(key, who);
        }
        found << port;
    }
    *slotList = chosen;
    *ports = found;
    return ExitOk;
}
