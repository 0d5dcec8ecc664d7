#include "firmware/image.h"

#include "link/protocol.h"

#include <QFile>

ImageError readFirmwareImage(const QString &fileName, QByteArray *image)
{
    image->clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return ImageError::Open;
    const qint64 size = file.size();
    if (size > qint64(proto::kImageLimit))
        return ImageError::TooLarge;
    if (size == 0)
        return ImageError::Empty;
    QByteArray bytes = file.read(size);
    if (bytes.size() != size)
        return ImageError::Short;
    *image = bytes;
    return ImageError::None;
}
