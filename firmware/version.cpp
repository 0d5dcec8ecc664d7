#include "firmware/version.h"

#include "link/protocol.h"

#include <QCoreApplication>

namespace {
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(FirmwareVersion)
};
}  // namespace

QString firmwareVersion(const QByteArray &record)
{
    const int n = record.size();
    if (n < 2 || quint8(record.at(1)) != proto::kVersionMagic)
        return QString();
    const uint minor = n >= 3 ? quint8(record.at(2)) : 0;
    const uint major = n >= 4 ? quint8(record.at(3)) : 0;
    return QStringLiteral("%1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
}

QString firmwareVersionText(const QByteArray &record)
{
    const QString version = firmwareVersion(record);
    return version.isNull() ? version : Texts::tr("Firmware version: %1").arg(version);
}
