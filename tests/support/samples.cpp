#include "tests/support/samples.h"

#include <QFile>

QByteArray testImage(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 31 + i / 256 + seed * 7) & 0xFF);
    return b;
}

QString writeTestFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QByteArray sampleSys()
{
    QByteArray b;
    for (int i = 0; i < 28; ++i)
        b += char(i * 7 + 3);
    return b + QByteArray::fromHex("07643CC83A5A");
}

const QByteArray kSampleHardw = QByteArray::fromHex("0100FF03FE03FFFF0100");
