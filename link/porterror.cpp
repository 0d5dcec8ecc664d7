#include "link/porterror.h"

#include <QFileInfo>

namespace {

#ifndef Q_OS_WIN
// Where the node of a port name lives, by the same rule as Qt's.
QString nodePath(const QString &portName)
{
    if (portName.startsWith(QLatin1Char('/')) || portName.startsWith(QLatin1String("./"))
        || portName.startsWith(QLatin1String("../")))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

void describeAccess(const QString &portName, PortFailure *f)
{
    const QFileInfo node(nodePath(portName));
    if (!node.exists())
        return;
    if (node.isReadable() && node.isWritable()) {
        // We may use the node, so the refusal is a lock or an exclusive open by someone else.
        f->kind = PortFailure::Busy;
        return;
    }
    f->kind = PortFailure::NoAccess;
    f->owner = node.owner();
    f->group = node.group();
    const int p = int(node.permissions());
    f->mode = ((p >> 12) & 7) << 6 | ((p >> 4) & 7) << 3 | (p & 7);
    const auto groupRw = QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    f->joinGroup
        = (node.permissions() & groupRw) == groupRw && node.groupId() != 0 && !f->group.isEmpty();
}
#endif

QString modeText(int mode)
{
    return QString::number(mode, 8).rightJustified(3, QLatin1Char('0'));
}

}  // namespace

PortFailure describePortFailure(const QSerialPort &port, QSerialPort::SerialPortError error)
{
    PortFailure f;
    f.portName = port.portName();
    f.systemText = port.errorString();
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        f.kind = PortFailure::NotFound;
        break;
    case QSerialPort::ResourceError:
        f.kind = PortFailure::Gone;
        break;
    case QSerialPort::PermissionError:
#ifdef Q_OS_WIN
        // Windows refuses a port that another program holds open with "access denied".
        f.kind = PortFailure::Busy;
#else
        describeAccess(f.portName, &f);
#endif
        break;
    default:
        break;
    }
    return f;
}

PortFailure noisyPort(const QString &portName)
{
    PortFailure f;
    f.portName = portName;
    f.kind = PortFailure::Noisy;
    return f;
}

QString portFailureText(const PortFailure &f)
{
    QString what;
    switch (f.kind) {
    case PortFailure::NotFound:
        what = QStringLiteral("Порт не найден: проверьте кабель и выбор порта.");
        break;
    case PortFailure::NoAccess:
        what = f.joinGroup
            ? QStringLiteral("Нет прав на порт: добавьте пользователя в группу %1 "
                             "(sudo usermod -aG %1 $USER) и войдите в систему заново.")
                  .arg(f.group)
            : QStringLiteral("Нет прав на порт у этого пользователя (владелец %1:%2, права %3): "
                             "попросите администратора открыть доступ.")
                  .arg(f.owner, f.group, modeText(f.mode));
        break;
    case PortFailure::Busy:
        what = QStringLiteral("Порт занят другой программой: закройте её и повторите.");
        break;
    case PortFailure::Gone:
        what = QStringLiteral("Порт пропал: переподключите адаптер и повторите.");
        break;
    case PortFailure::Broken:
        what = QStringLiteral("Связь через порт нарушена: проверьте кабель и повторите.");
        break;
    case PortFailure::Noisy:
        what = QStringLiteral("Порт непрерывно присылает данные, которые не отвечают ни на один "
                              "запрос: вероятно, это не устройство. Проверьте выбор порта.");
        break;
    }
    what += QStringLiteral("\nПорт: ") + f.portName;
    return f.systemText.isEmpty() ? what : what + QLatin1Char('\n') + f.systemText;
}

QString portFailureTextEn(const PortFailure &f)
{
    // The tool's own words first, what to do next, the system's text last.
    QString what;
    switch (f.kind) {
    case PortFailure::Noisy:
        return QStringLiteral("port %1 keeps sending data that answers no request: it is "
                              "probably not the device; check the port")
            .arg(f.portName);
    case PortFailure::NotFound:
        what = QStringLiteral("no such port: check the cable and the port name");
        break;
    case PortFailure::NoAccess:
        what = f.joinGroup ? QStringLiteral("no permission to use the port: add the user to group "
                                            "%1 (sudo usermod -aG %1 $USER) and log in again")
                                 .arg(f.group)
                           : QStringLiteral("this user may not use the port (owner %1:%2, mode "
                                            "%3): ask the administrator for access")
                                 .arg(f.owner, f.group, modeText(f.mode));
        break;
    case PortFailure::Busy:
        what = QStringLiteral("the port is held by another program: close it and try again");
        break;
    case PortFailure::Gone:
        what = QStringLiteral("the adapter was lost: reconnect it and try again");
        break;
    case PortFailure::Broken:
        what = QStringLiteral("the line failed: check the cable and try again");
        break;
    }
    const QString system
        = f.systemText.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(f.systemText);
    return QStringLiteral("port %1: %2%3").arg(f.portName, what, system);
}
