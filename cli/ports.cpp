// `list`, and which port a command talks to.
#include "cli/commands.h"
#include "cli/console.h"

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
        QString ids;
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            ids = QStringLiteral("%1:%2")
                      .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                      .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        }
        const QStringList fields = {info.portName(), field(info.description()),
                                    field(info.manufacturer()), ids, field(info.serialNumber())};
        out += fields.join(QLatin1Char('\t')).toLocal8Bit() + '\n';
    }
    writeOut(out);
    return ExitOk;
}

ExitStatus choosePorts(const CliOptions &opt, QStringList *ports)
{
    const QList<QSerialPortInfo> system = QSerialPortInfo::availablePorts();
    QStringList names = opt.ports;
    if (opt.allPorts) {
        for (const QSerialPortInfo &info : system)
            names << info.portName();
        if (names.isEmpty())
            return fail(ExitUsage, QStringLiteral("--ports all: the system lists no serial port"));
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
