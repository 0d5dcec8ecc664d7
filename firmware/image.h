#pragma once

#include <QByteArray>
#include <QString>

enum class ImageError { None, NotAFile, Open, TooLarge, Empty, Short };

// Reads a firmware image whole; on any fault the image is left empty. Only regular files are
// opened: a FIFO or a device would block the caller until someone writes to it.
ImageError readFirmwareImage(const QString &fileName, QByteArray *image);
