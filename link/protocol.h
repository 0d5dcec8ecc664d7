#pragma once

#include <QtGlobal>

// The device's wire protocol and memory map, shared by the program and the simulator.
namespace proto {

constexpr quint8 kSync0 = 0x55;
constexpr quint8 kSync1 = 0xAA;

constexpr int kOpWrite = 3;
constexpr int kOpRead = 4;

constexpr int kHeaderSize = 8;   // operation, address, count, reserved
constexpr int kMaxCount = 1024;  // largest read or write a request may carry
constexpr int kReplyTimeoutMs = 3000;

constexpr quint32 kVersionAddr = 0x08002000;
constexpr int kVersionSize = 4;
constexpr quint8 kVersionMagic = 0x65;  // byte 1 of the version record on a known device

constexpr quint32 kFirmwareBase = 0x08002400;
constexpr quint32 kImageLimit = 54272;  // the region ends right below the system block
constexpr int kChunkSize = 1024;

constexpr quint32 kSysParAddr = 0x0800F800;
constexpr int kSysParSize = 34;
constexpr quint32 kHardwParAddr = 0x0800FC00;
constexpr int kHardwParSize = 10;

}  // namespace proto
