#include "firmware/image.h"

#include "link/protocol.h"

#include <QFile>
#include <QFileInfo>

ImageError readFirmwareImage(const QString &fileName, QByteArray *image)
{
    image->clear();
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return ImageError::NotAFile;
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
