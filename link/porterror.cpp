#include "link/porterror.h"

#include "translations/texts.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(PortFailure)
};

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

QString portFailureAdvice(const PortFailure &f)
{
    switch (f.kind) {
    case PortFailure::NotFound:
        return Texts::tr("No such port: check the cable and the port choice.");
    case PortFailure::NoAccess:
        return f.joinGroup ? Texts::tr("No permission to use the port: add the user to group "
                                       "%1 (sudo usermod -aG %1 $USER) and log in again.")
                                 .arg(f.group)
                           : Texts::tr("This user may not use the port (owner %1:%2, mode %3): "
                                       "ask the administrator for access.")
                                 .arg(f.owner, f.group, modeText(f.mode));
    case PortFailure::Busy:
        return Texts::tr("The port is held by another program: close it and try again.");
    case PortFailure::Gone:
        return Texts::tr("The adapter was lost: reconnect it and try again.");
    case PortFailure::Broken:
        break;
    case PortFailure::Noisy:
        return Texts::tr("The port keeps sending data that answers no request: it is probably "
                         "not the device. Check the port choice.");
    }
    return Texts::tr("The line failed: check the cable and try again.");
}

QString portFailureText(const PortFailure &f)
{
    const QString what = portFailureAdvice(f) + Texts::tr("\nPort: %1").arg(f.portName);
    return f.systemText.isEmpty() ? what : what + QLatin1Char('\n') + f.systemText;
}

QString portFailureLine(const PortFailure &f)
{
    // The tool's own words first, what to do next, the system's text last.
    QString line = Texts::tr("port %1: %2").arg(f.portName, asClause(portFailureAdvice(f)));
    if (!f.systemText.isEmpty())
        line += QStringLiteral(" (%1)").arg(f.systemText);
    return line;
}
