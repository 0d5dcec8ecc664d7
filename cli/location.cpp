#include "cli/location.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

QString usbLocationFromSysfs(const QString &devicePath, int portNumber)
{
    // The interface folder: bus-port.port...:configuration.interface, the last one on the way
    // down (a hub's own interfaces come before it).
    static const QRegularExpression interface(QStringLiteral("^\\d+-\\d+(\\.\\d+)*:\\d+\\.\\d+$"));
    QString found;
    for (const QString &part : devicePath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (interface.match(part).hasMatch())
            found = part;
    }
    if (found.isEmpty() || portNumber <= 0)
        return found;
    return found + QStringLiteral("-port%1").arg(portNumber);
}

QString locationFromWindows(const QStringList &locationPaths, const QString &locationInfo)
{
    for (const QString &path : locationPaths) {
        if (path.startsWith(QLatin1String("PCIROOT(")))
            return path;
    }
    for (const QString &path : locationPaths) {
        if (!path.trimmed().isEmpty())
            return path.trimmed();
    }
    return locationInfo.trimmed();
}

QStringList multiString(const ushort *data, int units)
{
    QStringList out;
    int start = 0;
    for (int i = 0; i < units; ++i) {
        if (data[i] != 0)
            continue;
        if (i == start)
            break;  // the empty string that ends the list
        out << QString::fromUtf16(reinterpret_cast<const char16_t *>(data + start), i - start);
        start = i + 1;
    }
    return out;
}

QString systemRoot()
{
    const QString root = qEnvironmentVariable("VELMOR4_SYSFS_ROOT");
    return root.isEmpty() ? QStringLiteral("/") : root;
}

QString vidPidText(const QSerialPortInfo &info)
{
    if (!info.hasVendorIdentifier() || !info.hasProductIdentifier())
        return QString();
    return QStringLiteral("%1:%2")
        .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
        .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
}

SystemPort systemPort(const QSerialPortInfo &info, const QString &location)
{
    return {info.portName(),
            info.systemLocation(),
            info.description(),
            info.manufacturer(),
            vidPidText(info),
            info.serialNumber(),
            location};
}
