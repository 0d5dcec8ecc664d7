#pragma once

#include <QByteArray>
#include <QString>

// The body of a request: operation, 32-bit address, 16-bit count, a reserved zero byte,
// then for a write the data. Little-endian throughout.
struct Request
{
    int operation = 0;
    quint32 address = 0;
    quint16 count = 0;
    QByteArray data;  // write only
};

// data may be null (a read): the body is then the 8-byte header alone.
QByteArray buildRequestBody(int operation, quint32 address, const char *data, quint16 count);

// Splits a body received from the wire; false when it is shorter than a header.
bool parseRequestBody(const QByteArray &body, Request *out);

// A device address as both front ends write it: 0x0800F800.
QString hexAddress(quint32 address);
