// Locations from sysfs: a tty's device link leads down the USB tree to its interface.
#include "cli/location.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {

QString readLine(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readLine(256)).trimmed();
}

// The tty's device folder, with every link resolved; empty for a tty without one.
QString deviceFolder(const QString &root, const QString &name)
{
    return QFileInfo(root + QStringLiteral("/sys/class/tty/") + name + QStringLiteral("/device"))
        .canonicalFilePath();
}

QString locationOf(const QString &device)
{
    if (device.isEmpty())
        return QString();
    const int port = readLine(device + QStringLiteral("/port_number")).toInt();
    return usbLocationFromSysfs(device, port);
}

// The USB device above the interface: where its descriptors are.
QString usbDeviceFolder(QString path)
{
    for (; path.size() > 1; path = QFileInfo(path).path()) {
        if (QFile::exists(path + QStringLiteral("/idVendor")))
            return path;
    }
    return QString();
}

}  // namespace

QVector<SystemPort> systemPorts(const QString &root)
{
    QVector<SystemPort> ports;
    if (root == QLatin1String("/")) {
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            ports << systemPort(info, locationOf(deviceFolder(root, info.portName())));
        return ports;
    }
    // Another root: its ttys with a device, their descriptors from the USB device above.
    const QDir ttys(root + QStringLiteral("/sys/class/tty"));
    for (const QString &name : ttys.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString device = deviceFolder(root, name);
        const QString node = root + QStringLiteral("/dev/") + name;
        if (device.isEmpty() || !QFileInfo::exists(node))
            continue;
        SystemPort p;
        p.name = name;
        p.path = QDir::cleanPath(node);
        p.location = locationOf(device);
        const QString usb = usbDeviceFolder(device);
        if (!usb.isEmpty()) {
            const auto field = [&](const char *file) {
                return readLine(usb + QLatin1Char('/') + QLatin1String(file));
            };
            p.description = field("product");
            p.manufacturer = field("manufacturer");
            p.serial = field("serial");
            if (!field("idVendor").isEmpty())
                p.vidPid
                    = field("idVendor").toLower() + QLatin1Char(':') + field("idProduct").toLower();
        }
        ports << p;
    }
    return ports;
}
