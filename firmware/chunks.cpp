#include "firmware/chunks.h"

#include "link/protocol.h"

Chunk chunkAt(quint32 sent, quint32 size)
{
    const quint32 left = size > sent ? size - sent : 0;
    const quint32 count = left < quint32(proto::kChunkSize) ? left : quint32(proto::kChunkSize);
    return {sent, proto::kFirmwareBase + sent, quint16(count)};
}

QVector<Chunk> planChunks(quint32 size)
{
    QVector<Chunk> chunks;
    for (quint32 sent = 0; sent < size; sent += proto::kChunkSize)
        chunks.append(chunkAt(sent, size));
    return chunks;
}

int progressPercent(quint32 sent, quint32 size)
{
    return size ? int(sent * 100u / size) : 0;
}
