#include "firmware/image.h"

#include "link/protocol.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(FirmwareImage)
};

// Groups of three digits, joined by a no-break space so that a number never breaks a line.
QString groupedDigits(qint64 n)
{
    QString digits = QString::number(n);
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QChar(0x00A0));
    return digits;
}

}  // namespace

ImageError readFirmwareImage(const QString &fileName, QByteArray *image, QString *why)
{
    image->clear();
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return ImageError::NotAFile;
    QFile file(fileName);
    const auto failed = [&](ImageError error) {
        if (why && file.error() != QFileDevice::NoError)
            *why = file.errorString();
        return error;
    };
    if (!file.open(QIODevice::ReadOnly))
        return failed(ImageError::Open);
    const qint64 size = file.size();
    if (size > qint64(proto::kImageLimit))
        return ImageError::TooLarge;
    if (size == 0)
        return ImageError::Empty;
    QByteArray bytes = file.read(size);
    if (bytes.size() != size)
        return failed(ImageError::Short);
    *image = bytes;
    return ImageError::None;
}

QString imageErrorText(ImageError error, qint64 fileSize)
{
    switch (error) {
    case ImageError::TooLarge:
        return Texts::tr("The firmware file is too large: %1 bytes, at most %2.")
            .arg(groupedDigits(fileSize), groupedDigits(proto::kImageLimit));
    case ImageError::Empty:
        return Texts::tr("The firmware file is empty!");
    default:
        break;
    }
    return Texts::tr("Error opening the file!");
}
