#include "devsim/device.h"

#include <QtEndian>

namespace {

const char kStateTag[] = "V4SIMST1";
constexpr int kStateTagSize = 8;

enum RegionIndex { VersionRegion, FirmwareRegion, SystemRegion, HardwareRegion };

}  // namespace

Device::Device()
{
    reset();
}

QByteArray Device::factorySystemBlock()
{
    QByteArray block(proto::kSysParSize, '\0');
    uchar *p = reinterpret_cast<uchar *>(block.data());
    for (int k = 0; k < 7; ++k) {
        qToLittleEndian<quint16>(1, p + 4 * k);
        qToLittleEndian<quint16>(220, p + 4 * k + 2);
    }
    p[28] = 1;        // switches in use
    p[29] = 50;       // lower threshold
    p[30] = 30;       // upper threshold
    p[31] = 90 - 40;  // talk time, kept with an offset of 40
    p[32] = 12 - 2;   // calls, kept with an offset of 2
    p[33] = 0;
    return block;
}

QByteArray Device::factoryHardwareBlock()
{
    QByteArray block(proto::kHardwParSize, '\0');
    uchar *p = reinterpret_cast<uchar *>(block.data());
    const quint16 values[] = {200, 460, 740, 500, 1200};
    for (int i = 0; i < 5; ++i)
        qToLittleEndian<quint16>(values[i], p + 2 * i);
    return block;
}

void Device::reset(quint8 versionByte, quint8 minor, quint8 major)
{
    m_regions.clear();
    m_regions.append({proto::kVersionAddr, false, QByteArray(proto::kVersionSize, '\0')});
    m_regions.append({proto::kFirmwareBase, true, QByteArray(int(proto::kImageLimit), '\xFF')});
    m_regions.append({proto::kSysParAddr, true, factorySystemBlock()});
    m_regions.append({proto::kHardwParAddr, true, factoryHardwareBlock()});
    m_firmwareHighWater = 0;
    m_lastWriteStored = false;
    setVersion(versionByte, minor, major);
}

void Device::setVersion(quint8 versionByte, quint8 minor, quint8 major)
{
    QByteArray &v = m_regions[VersionRegion].bytes;
    v[1] = char(versionByte);
    v[2] = char(minor);
    v[3] = char(major);
}

const Device::Region *Device::regionFor(quint32 address, quint32 count) const
{
    for (const Region &r : m_regions) {
        const quint64 begin = r.base;
        const quint64 end = begin + quint64(r.bytes.size());
        // An empty range still has to point into the region.
        if (address >= begin && address < end && quint64(address) + count <= end)
            return &r;
    }
    return nullptr;
}

Device::Region *Device::regionFor(quint32 address, quint32 count)
{
    return const_cast<Region *>(static_cast<const Device *>(this)->regionFor(address, count));
}

QByteArray Device::handle(const Request &req, bool refuse)
{
    m_lastWriteStored = false;
    if (req.operation == proto::kOpRead) {
        const Region *r
            = req.count <= proto::kMaxCount ? regionFor(req.address, req.count) : nullptr;
        if (!r)
            return QByteArray();
        return r->bytes.mid(int(req.address - r->base), req.count);
    }
    if (req.operation == proto::kOpWrite) {
        Region *r = req.count <= proto::kMaxCount && req.data.size() == req.count
            ? regionFor(req.address, req.count)
            : nullptr;
        if (!r || !r->writable || refuse)
            return QByteArray(1, '\0');
        const int offset = int(req.address - r->base);
        r->bytes.replace(offset, req.count, req.data);
        if (r->base == proto::kFirmwareBase)
            m_firmwareHighWater = qMax(m_firmwareHighWater, quint32(offset) + req.count);
        m_lastWriteStored = true;
        return QByteArray(1, '\1');
    }
    return QByteArray();
}

QByteArray Device::peek(quint32 address, int size) const
{
    QByteArray out(qMax(size, 0), '\xFF');
    const quint64 begin = address, end = begin + quint64(out.size());
    for (const Region &r : m_regions) {
        const quint64 lo = qMax<quint64>(begin, r.base);
        const quint64 hi = qMin<quint64>(end, quint64(r.base) + quint64(r.bytes.size()));
        if (lo < hi)
            out.replace(int(lo - begin), int(hi - lo), r.bytes.constData() + (lo - r.base),
                        int(hi - lo));
    }
    return out;
}

void Device::poke(quint32 address, const QByteArray &bytes)
{
    const quint64 begin = address, end = begin + quint64(bytes.size());
    for (Region &r : m_regions) {
        const quint64 lo = qMax<quint64>(begin, r.base);
        const quint64 hi = qMin<quint64>(end, quint64(r.base) + quint64(r.bytes.size()));
        if (lo < hi)
            r.bytes.replace(int(lo - r.base), int(hi - lo), bytes.constData() + (lo - begin),
                            int(hi - lo));
    }
}

QByteArray Device::firmwareImage() const
{
    const QByteArray &fw = m_regions[FirmwareRegion].bytes;
    int end = fw.size();
    while (end > 0 && fw.at(end - 1) == '\xFF')
        --end;
    end = qMax(end, int(m_firmwareHighWater));
    return fw.left(end);
}

int Device::stateSize()
{
    return kStateTagSize + int(proto::kImageLimit) + proto::kSysParSize + proto::kHardwParSize;
}

QByteArray Device::saveState() const
{
    QByteArray out(kStateTag, kStateTagSize);
    out.reserve(stateSize());
    out += m_regions[FirmwareRegion].bytes;
    out += m_regions[SystemRegion].bytes;
    out += m_regions[HardwareRegion].bytes;
    return out;
}

bool Device::loadState(const QByteArray &state, QString *error)
{
    if (state.size() != stateSize() || !state.startsWith(QByteArray(kStateTag, kStateTagSize))) {
        if (error)
            *error = QStringLiteral("not a device state file (expected %1 bytes starting "
                                    "with %2, got %3 bytes)")
                         .arg(stateSize())
                         .arg(QLatin1String(kStateTag))
                         .arg(state.size());
        return false;
    }
    int pos = kStateTagSize;
    for (int i : {FirmwareRegion, SystemRegion, HardwareRegion}) {
        QByteArray &bytes = m_regions[i].bytes;
        bytes = state.mid(pos, bytes.size());
        pos += bytes.size();
    }
    m_firmwareHighWater = 0;
    return true;
}
