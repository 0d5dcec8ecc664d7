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

ExitStatus choosePort(const CliOptions &opt, QString *portName)
{
    if (opt.serial.isEmpty()) {
        if (opt.port.isEmpty()) {
            return fail(ExitUsage,
                        QStringLiteral("no port given: use --port NAME or "
                                       "--serial NUMBER, or set VELMOR4_PORT"));
        }
        *portName = opt.port;
        return ExitOk;
    }
    QStringList matches;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        if (info.serialNumber() == opt.serial)
            matches << info.portName();
    }
    if (matches.isEmpty()) {
        return fail(ExitUsage,
                    QStringLiteral("no port has the USB serial number %1 "
                                   "(velmor4_cli list shows them)")
                        .arg(opt.serial));
    }
    if (matches.size() > 1) {
        return fail(ExitUsage,
                    QStringLiteral("several ports have the USB serial number %1: %2")
                        .arg(opt.serial, matches.join(QStringLiteral(", "))));
    }
    *portName = matches.first();
    return ExitOk;
}
