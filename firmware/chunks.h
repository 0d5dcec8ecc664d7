#pragma once

#include <QVector>

// One write of the upload: the image bytes [offset, offset + count) go to address.
struct Chunk
{
    quint32 offset;
    quint32 address;
    quint16 count;
};

// The chunk that follows `sent` acknowledged bytes of an image of `size` bytes.
Chunk chunkAt(quint32 sent, quint32 size);

// Every chunk of an upload, in order.
QVector<Chunk> planChunks(quint32 size);

// Progress after an acknowledgement; above 100 after a short last chunk, where the dialog
// keeps its bar as it is.
int progressPercent(quint32 sent, quint32 size);
