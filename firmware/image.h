#pragma once

#include <QByteArray>
#include <QString>

enum class ImageError { None, Open, TooLarge, Empty, Short };

// Reads a firmware image whole; on any fault the image is left empty.
ImageError readFirmwareImage(const QString &fileName, QByteArray *image);
