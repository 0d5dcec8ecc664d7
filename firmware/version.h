#pragma once

#include <QByteArray>
#include <QString>

// "major.minor" from the device's version record, the minor with at least two digits ("1.05");
// a null string when the record is too short or not from a known device.
QString firmwareVersion(const QByteArray &record);

// The window's wording, "Firmware version: 1.05" in the program's language; null when
// firmwareVersion(record) is.
QString firmwareVersionText(const QByteArray &record);
