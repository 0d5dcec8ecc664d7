// `list`, and which port a command talks to.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/report.h"

#include <QSerialPortInfo>
#include <QStringList>

namespace {

QString field(QString text)
{
    // One port a line, fields split by tabs: neither may appear inside a field.
    return text.replace(QLatin1Char('\t'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

}  // namespace

ExitStatus listPorts()
{
    QByteArray out;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QStringList fields
            = {info.portName(), field(info.description()), field(info.manufacturer()),
               vidPidText(info), field(info.serialNumber())};
        out += fields.join(QLatin1Char('\t')).toLocal8Bit() + '\n';
    }
    writeOut(out);
    return ExitOk;
}

ExitStatus choosePorts(const CliOptions &opt, QStringList *ports)
{
    const QList<QSerialPortInfo> system = QSerialPortInfo::availablePorts();
    QStringList names = opt.ports;
    if (!opt.portKind.isEmpty()) {
        // "usb": every adapter with USB identifiers; "0403:6001": every adapter of that kind.
        const QString kind = opt.portKind.toLower();
        for (const QSerialPortInfo &info : system) {
            const QString ids = vidPidText(info);
            if (kind == QLatin1String("all") || (kind == QLatin1String("usb") && !ids.isEmpty())
                || kind == ids)
                names << info.portName();
        }
        if (names.isEmpty()) {
            return fail(ExitUsage,
                        QStringLiteral("--ports %1: the system lists no such serial port "
                                       "(velmor4_cli list shows them)")
                            .arg(opt.portKind));
        }
    }
    for (const QString &serial : opt.serials) {
        QStringList matches;
        for (const QSerialPortInfo &info : system) {
            if (info.serialNumber() == serial)
                matches << info.portName();
        }
        if (matches.isEmpty()) {
            return fail(ExitUsage,
                        QStringLiteral("no port has the USB serial number %1 "
                                       "(velmor4_cli list shows them)")
                            .arg(serial));
        }
        if (matches.size() > 1) {
            return fail(ExitUsage,
                        QStringLiteral("several ports have the USB serial number %1: %2")
                            .arg(serial, matches.join(QStringLiteral(", "))));
        }
        names << matches.first();
    }
    if (names.isEmpty()) {
        return fail(ExitUsage,
                    QStringLiteral("no port given: use --port NAME, --serial NUMBER or "
                                   "--ports all, or set VELMOR4_PORT"));
    }
    for (int i = 0; i < names.size(); ++i) {
        if (names.indexOf(names.at(i)) != i)
            return fail(ExitUsage, QStringLiteral("port %1 is named twice").arg(names.at(i)));
    }
    *ports = names;
    return ExitOk;
}
