#pragma once
// Layout of a cabinet file ("MSCF", version 1.3): header, folder entries, file entries, then the
// data blocks of each folder. All numbers are little-endian.

#include <cstddef>
#include <cstdint>

namespace Cabinet::Format {

constexpr uint8_t kVersionMinor = 3;
constexpr uint8_t kVersionMajor = 1;
constexpr uint32_t kHeaderSize = 36;        // without the optional reserve fields
constexpr uint32_t kReserveFieldsSize = 4;  // cbCFHeader (16 bits), cbCFFolder, cbCFData (8 bits each)
constexpr uint32_t kFolderEntrySize = 8;
constexpr uint32_t kFileEntrySize = 16;     // followed by the terminated name
constexpr uint32_t kDataHeaderSize = 8;
constexpr uint16_t kFlagReservePresent = 0x0004;
constexpr uint32_t kMaxNameBytes = 255;     // names are at most 255 bytes plus the terminator
constexpr uint32_t kMaxDataBlocks = 0xFFFF; // per folder
constexpr uint32_t kMaxFiles = 0xFFFF;      // per cabinet
constexpr uint32_t kMaxFolders = 0xFFFF;

// Compression types as FCI names them: low nibble the method, bits 8-12 the LZX window order.
constexpr uint16_t kCompressTypeMask = 0x000F;
constexpr uint16_t kCompressLzx = 0x0003;
constexpr uint16_t CompressLzx(unsigned windowOrder) { return uint16_t(kCompressLzx | (windowOrder << 8)); }

// The checksum of a data block: XOR of the little-endian 32-bit words, the last partial word
// taken high byte first; the data is summed first and the block's two size fields on top.
inline uint32_t Checksum(const uint8_t* data, size_t size, uint32_t seed)
{
    uint32_t sum = seed;
    size_t words = size / 4;
    while (words-- > 0) {
        sum ^= uint32_t(data[0]) | (uint32_t(data[1]) << 8) | (uint32_t(data[2]) << 16) | (uint32_t(data[3]) << 24);
        data += 4;
    }
    uint32_t tail = 0;
    switch (size % 4) {
    case 3:
        tail |= uint32_t(*data++) << 16;
        [[fallthrough]];
    case 2:
        tail |= uint32_t(*data++) << 8;
        [[fallthrough]];
    case 1:
        tail |= *data++;
        break;
    default:
        break;
    }
    return sum ^ tail;
}

inline void Put16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

} // namespace Cabinet::Format
