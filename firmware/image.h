#pragma once

#include <QByteArray>
#include <QString>

enum class ImageError { None, NotAFile, Open, TooLarge, Empty, Short };

// Reads a firmware image whole; on any fault the image is left empty. Only regular files are
// opened: a FIFO or a device would block the caller until someone writes to it. `why`, if given,
// gets the system's reason where it has one (Open, Short).
ImageError readFirmwareImage(const QString &fileName, QByteArray *image, QString *why = nullptr);
// The fault as the window words it, in the program's language: "The firmware file is empty!".
// fileSize is what TooLarge reports.
QString imageErrorText(ImageError error, qint64 fileSize);
