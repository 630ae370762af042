#pragma once

// The dBASE table file, as this engine reads and writes it:
//
//   header     32 bytes: version, last update (YY MM DD, YY = year - 1900), record count
//              (uint32 LE), header length (uint16 LE), record length (uint16 LE), ...,
//              language driver byte at 29
//   fields     32 bytes each: name (11 bytes, NUL-padded), type letter, 4 bytes of
//              displacement (FoxPro; ignored), length, decimals, reserved
//   0x0D       ends the descriptors; FoxPro headers (0x30) add a 263-byte backlink area
//   records    from the header length on: deleted flag (' ' or '*'), then the fields
//   0x1A       end-of-file mark after the last record
//
// Locks follow the Clipper convention: one byte at kLockBase for the header (appends),
// one byte at kLockBase + n for record n (counted from 1).

#include <cstdint>

namespace dbe::dbf {

constexpr int kHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr int kFieldNameSize = 11;
constexpr int kBacklinkSize = 263;
constexpr uint8_t kHeaderTerminator = 0x0D;
constexpr uint8_t kEndOfFile = 0x1A;
constexpr uint8_t kDeletedFlag = '*';
constexpr uint8_t kLiveFlag = ' ';

// Offsets within the 32-byte header.
constexpr int kOffVersion = 0;
constexpr int kOffYear = 1;
constexpr int kOffMonth = 2;
constexpr int kOffDay = 3;
constexpr int kOffRecordCount = 4;
constexpr int kOffHeaderLength = 8;
constexpr int kOffRecordLength = 10;
constexpr int kOffLanguageDriver = 29;

// Offsets within a field descriptor.
constexpr int kOffFieldType = 11;
constexpr int kOffFieldLength = 16;
constexpr int kOffFieldDecimals = 17;

// Version bytes.
constexpr uint8_t kVersionDbase3 = 0x03;
constexpr uint8_t kVersionDbase3Memo = 0x83;
constexpr uint8_t kVersionDbase4 = 0x04;
constexpr uint8_t kVersionDbase4Memo = 0x8B;
constexpr uint8_t kVersionDbase4SqlTable = 0x43;
constexpr uint8_t kVersionDbase4SqlSystem = 0x63;
constexpr uint8_t kVersionDbase4SqlMemo = 0xCB;
constexpr uint8_t kVersionFoxBase = 0x02;
constexpr uint8_t kVersionFoxPro = 0x30;
constexpr uint8_t kVersionFoxProAutoinc = 0x31;
constexpr uint8_t kVersionFoxProVarchar = 0x32;
constexpr uint8_t kVersionFoxPro2Memo = 0xF5;
constexpr uint8_t kVersionFoxBaseMemo = 0xFB;

// Language driver bytes.
constexpr uint8_t kLdidNone = 0x00;
constexpr uint8_t kLdid866 = 0x26;
constexpr uint8_t kLdid866Alt = 0x65;
constexpr uint8_t kLdid1251 = 0xC9;

// Field limits this engine creates and writes.
constexpr int kMaxCharLength = 254;
constexpr int kMaxNumericLength = 20;
constexpr int kLogicalLength = 1;
constexpr int kDateLength = 8;
constexpr int kMaxRecordLength = 65535;
constexpr int kMaxFields = 2046; // what a 16-bit header length can describe

// Clipper lock offsets.
constexpr uint64_t kLockBase = 1000000000ULL;
constexpr uint64_t headerLockOffset() { return kLockBase; }
constexpr uint64_t recordLockOffset(uint32_t recno) { return kLockBase + recno; }

inline uint32_t readLe32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t readLe16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
inline void writeLe32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void writeLe16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

} // namespace dbe::dbf
