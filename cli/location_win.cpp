// Locations from SetupAPI: the COM port's device node, or the USB device above it, names the
// hub port the adapter is plugged into.
#include "cli/location.h"

#include <QHash>
#include <QSerialPortInfo>

#include <initguid.h>
// clang-format off
#include <windows.h>
#include <cfgmgr32.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

namespace {

constexpr int kParentsToWalk = 4;  // COM node, vendor bus node, USB interface, USB device

QStringList locationPaths(DEVINST node)
{
    ULONG bytes = 0;
    if (CM_Get_DevNode_Registry_PropertyW(node, CM_DRP_LOCATION_PATHS, nullptr, nullptr, &bytes, 0)
            != CR_BUFFER_SMALL
        || bytes == 0)
        return {};
    QVector<ushort> buf(int(bytes / sizeof(ushort)) + 2, 0);
    if (CM_Get_DevNode_Registry_PropertyW(node, CM_DRP_LOCATION_PATHS, nullptr, buf.data(), &bytes,
                                          0)
        != CR_SUCCESS)
        return {};
    return multiString(buf.constData(), buf.size());
}

QString locationInformation(DEVINST node)
{
    wchar_t buf[512] = {};
    ULONG bytes = sizeof buf - sizeof(wchar_t);
    if (CM_Get_DevNode_Registry_PropertyW(node, CM_DRP_LOCATION_INFORMATION, nullptr, buf, &bytes,
                                          0)
        != CR_SUCCESS)
        return QString();
    return QString::fromWCharArray(buf);
}

QString portName(HDEVINFO set, SP_DEVINFO_DATA *data)
{
    const HKEY key = SetupDiOpenDevRegKey(set, data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE)
        return QString();
    wchar_t buf[64] = {};
    DWORD bytes = sizeof buf - sizeof(wchar_t);
    DWORD type = 0;
    const bool ok
        = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE *>(buf), &bytes)
            == ERROR_SUCCESS
        && type == REG_SZ;
    RegCloseKey(key);
    return ok ? QString::fromWCharArray(buf) : QString();
}

// Every COM port of the Ports class with its location, by port name.
QHash<QString, QString> locationsByPort()
{
    QHash<QString, QString> out;
    const HDEVINFO set
        = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return out;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &data); ++i) {
        const QString name = portName(set, &data);
        if (name.isEmpty())
            continue;
        // Vendor drivers (FTDI's) put the COM port on a node of their own, below the USB one.
        DEVINST node = data.DevInst;
        QString location;
        for (int up = 0; up < kParentsToWalk && location.isEmpty(); ++up) {
            location = locationFromWindows(locationPaths(node), QString());
            DEVINST parent = 0;
            if (location.isEmpty() && CM_Get_Parent(&parent, node, 0) != CR_SUCCESS)
                break;
            node = parent;
        }
        if (location.isEmpty())
            location = locationFromWindows({}, locationInformation(data.DevInst));
        out.insert(name.toUpper(), location);
    }
    SetupDiDestroyDeviceInfoList(set);
    return out;
}

}  // namespace

QVector<SystemPort> systemPorts(const QString &)
{
    const QHash<QString, QString> locations = locationsByPort();
    QVector<SystemPort> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports << systemPort(info, locations.value(info.portName().toUpper()));
    return ports;
}
