#include "link/porterror.h"

#include <QFileInfo>
#include <QSerialPortInfo>

PortFailure describePortFailure(const QSerialPort &port, QSerialPort::SerialPortError error)
{
    PortFailure f;
    f.portName = port.portName();
    f.systemText = port.errorString();
    if (error != QSerialPort::PermissionError)
        return f;
#ifdef Q_OS_WIN
    // Windows refuses a port that another program holds open with "access denied".
    f.hint = PortFailure::Busy;
#else
    const QFileInfo node(QSerialPortInfo(port).systemLocation());
    if (node.exists() && (!node.isReadable() || !node.isWritable())) {
        f.hint = PortFailure::NoAccess;
        f.group = node.group();
    } else {
        // We may use the node, so the refusal comes from a lock held by another program.
        f.hint = PortFailure::Busy;
    }
#endif
    return f;
}

QString portFailureText(const PortFailure &f)
{
    QString text = f.systemText + QStringLiteral("\nПорт: ") + f.portName;
    if (f.hint == PortFailure::NoAccess) {
        const QString group = f.group.isEmpty() ? QStringLiteral("владельца порта") : f.group;
        text += QStringLiteral("\nНет прав на порт: добавьте пользователя в группу %1 "
                               "(sudo usermod -aG %1 $USER) и войдите в систему заново.")
                    .arg(group);
    } else if (f.hint == PortFailure::Busy) {
        text += QStringLiteral("\nПорт занят другой программой: закройте её и повторите.");
    }
    return text;
}
