#pragma once

#include <QByteArray>
#include <QString>

// "Версия прошивки: " + major + "." + minor with at least two digits, from the device's
// version record; a null string when the record is too short or not from a known device.
QString firmwareVersionText(const QByteArray &record);
