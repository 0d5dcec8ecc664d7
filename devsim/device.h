#pragma once

#include "link/protocol.h"
#include "link/request.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// What the simulated device does wrong on purpose, and how it talks.
// Request numbers count every parsed request from 1; 0 switches a fault off.
struct SimOptions
{
    // Version record: byte 0 is 0, then versionByte, minor, major.
    quint8 versionByte = proto::kVersionMagic;
    quint8 minor = 5;
    quint8 major = 1;

    int noReplyTo = 0;        // request N is carried out, but its reply is never sent
    bool noReplies = false;   // no request is ever answered
    int corruptReplyTo = 0;   // the reply to request N carries a wrong checksum
    int refuseWrite = 0;      // the Nth write request (writes counted alone) is acked 00
    int disconnectAfter = 0;  // after answering request N the line is closed for good
    int delayMs = 0;          // pause between a request's last byte and its reply
    bool bytewise = false;    // replies go out one byte per event-loop turn, 1 ms apart
    QByteArray garbage;       // sent in front of every reply
    int baud = 0;             // line rate for both directions, 10 bits a byte; 0 = unthrottled
    int resyncGapMs = 100;    // a half-received frame is dropped after this much silence
    bool verbose = false;     // requests, replies and ignored bytes in hex on stderr
    // A fixture: milliseconds off it and on it in turn, starting off; after the last the
    // device stays as it is. Off the fixture nothing reaches the device and nothing comes
    // back; each device put on after the first is a new one, in factory state. Empty: always
    // on.
    QVector<int> presence;
    // Request N goes unanswered, and from then on the line carries flood over and over.
    int floodAfter = 0;
    QByteArray flood = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

    QString statePath;     // device memory kept across runs (see Device::saveState)
    QString firmwareDump;  // the firmware region written out after every write
};

// The device's memory map and its answer to one request. Plain data, no I/O.
//
// Read (operation 4): the payload is the `count` bytes at the address when the whole range
// lies inside one region (version record, firmware, system block, hardware block), else it
// is empty; a count above 1024 is answered empty as well.
// Write (operation 3): the payload is one byte, 01 when the data was stored, 00 when the
// range is not wholly inside one writable region (the version record is read-only), the
// count is above 1024 or the number of data bytes differs from the count.
// Any other operation is answered with an empty payload.
class Device
{
public:
    struct Region
    {
        quint32 base;
        bool writable;
        QByteArray bytes;
    };

    Device();

    // Factory content: version from the arguments, erased firmware, default settings.
    void reset(quint8 versionByte = proto::kVersionMagic, quint8 minor = 5, quint8 major = 1);
    void setVersion(quint8 versionByte, quint8 minor, quint8 major);  // bytes 1 to 3

    // The reply payload; `refuse` makes a write that would have succeeded answer 00 instead.
    QByteArray handle(const Request &req, bool refuse = false);
    bool lastWriteStored() const { return m_lastWriteStored; }

    // Direct access for tests and tools. Bytes outside every region read as 0xFF and are
    // not written; read-only regions can be written this way.
    QByteArray peek(quint32 address, int size) const;
    void poke(quint32 address, const QByteArray &bytes);

    // The firmware region up to the end of the highest byte written by a request or
    // differing from erased flash, so an image uploaded into a fresh device comes back whole.
    QByteArray firmwareImage() const;

    // State file: the 8-byte tag "V4SIMST1", then the firmware region, the system block and
    // the hardware block, raw and in that order. The version record is not kept: it is
    // part of the device's identity and comes from the options.
    QByteArray saveState() const;
    bool loadState(const QByteArray &state, QString *error);
    static int stateSize();

    static QByteArray factorySystemBlock();
    static QByteArray factoryHardwareBlock();

private:
    Region *regionFor(quint32 address, quint32 count);
    const Region *regionFor(quint32 address, quint32 count) const;

    QVector<Region> m_regions;
    quint32 m_firmwareHighWater = 0;  // bytes from the firmware base touched by writes
    bool m_lastWriteStored = false;
};
