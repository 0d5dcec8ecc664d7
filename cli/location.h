#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

class QSerialPortInfo;

// A serial port as the system lists it now, with where its adapter is plugged in: the name of a
// fixture's slot when the system name (ttyUSB3, COM7) moves from adapter to adapter.
struct SystemPort
{
    QString name;  // the system's name: ttyUSB0, COM7
    QString path;  // what is opened: /dev/ttyUSB0, COM7
    QString description;
    QString manufacturer;
    QString vidPid;  // "0403:6001"; empty for a port that is not USB
    QString serial;
    QString location;  // the USB port path; empty where there is none (a pseudo-terminal)
};

// Every serial port now, with its location: one file per system. On Linux the locations come
// from sysfs under `root`; a root other than "/" also lists the ports from there, so that a
// test can build a fake /sys and /dev whose device nodes are links to pseudo-terminals.
QVector<SystemPort> systemPorts(const QString &root = QStringLiteral("/"));
// As Qt lists it, with the location found for it.
SystemPort systemPort(const QSerialPortInfo &info, const QString &location);
QString vidPidText(const QSerialPortInfo &info);  // empty for a port that is not USB
// The root above: VELMOR4_SYSFS_ROOT when set, else "/".
QString systemRoot();

// The parsers, apart from the system calls, so that recorded strings can test them.
// Linux: a tty's resolved sysfs device path and its port number on a multi-port adapter give
// the USB interface path as sysfs names it ("1-1.2:1.0"), with "-portN" for ports after the
// first, as /dev/serial/by-path does.
QString usbLocationFromSysfs(const QString &devicePath, int portNumber);
// Windows: the one of SPDRP_LOCATION_PATHS that starts at the PCI root (the other names the
// same port through ACPI), else the first, else SPDRP_LOCATION_INFORMATION.
QString locationFromWindows(const QStringList &locationPaths, const QString &locationInfo);
// A REG_MULTI_SZ value (NUL-separated UTF-16, two NULs at the end) as a list.
QStringList multiString(const ushort *data, int units);
