#include "link/request.h"

#include "link/protocol.h"

#include <QtEndian>

QByteArray buildRequestBody(int operation, quint32 address, const char *data, quint16 count)
{
    QByteArray body(proto::kHeaderSize, '\0');
    uchar *p = reinterpret_cast<uchar *>(body.data());
    p[0] = static_cast<uchar>(operation);
    qToLittleEndian<quint32>(address, p + 1);
    qToLittleEndian<quint16>(count, p + 5);
    if (data)
        body.append(data, count);
    return body;
}

bool parseRequestBody(const QByteArray &body, Request *out)
{
    if (body.size() < proto::kHeaderSize)
        return false;
    const uchar *p = reinterpret_cast<const uchar *>(body.constData());
    out->operation = p[0];
    out->address = qFromLittleEndian<quint32>(p + 1);
    out->count = qFromLittleEndian<quint16>(p + 5);
    out->data = body.mid(proto::kHeaderSize);
    return true;
}

QString hexAddress(quint32 address)
{
    return QStringLiteral("0x")
        + QString::number(address, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}
