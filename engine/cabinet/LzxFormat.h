#pragma once
// Constants of the LZX compressed format as cabinets use it (type 0x1503: window of 2^21 bytes).
// Nothing here is tunable: every value is fixed by what decoders expect.

#include <cstdint>

namespace Cabinet::Lzx {

constexpr uint32_t kWindowOrder = 21;
constexpr uint32_t kWindowSize = 1u << kWindowOrder;
// The format allows offsets up to the window size - 3, and Windows' decoder and cabextract read
// them. 7-Zip's decoder (checked with 26.02) copies a match at the window size - 3 wrongly and
// reports no error, so offsets stop one earlier; a match that far back is rare enough that the
// loss does not show in any measurement.
constexpr uint32_t kMaxOffset = kWindowSize - 4;

// A cabinet data block holds one frame: 32768 bytes of output, only the last frame of a folder
// may be shorter. Matches never cross a frame, and each frame's bits end on a 16-bit boundary.
constexpr uint32_t kFrameSize = 32768;
// What a decoder accepts as the compressed size of one frame.
constexpr uint32_t kMaxFrameOutput = kFrameSize + 6144;

constexpr uint32_t kMinMatch = 2;
constexpr uint32_t kMaxMatch = 257;
constexpr uint32_t kNumChars = 256;
constexpr uint32_t kNumPrimaryLengths = 7;                                   // length headers 0-6
constexpr uint32_t kNumLengthSymbols = kMaxMatch - kMinMatch + 1 - kNumPrimaryLengths;   // 249
constexpr uint32_t kNumPositionSlots = 50;                                   // for 2^21
constexpr uint32_t kNumMainSymbols = kNumChars + kNumPositionSlots * 8;      // 656
constexpr uint32_t kNumAlignedSymbols = 8;
constexpr uint32_t kNumPretreeSymbols = 20;
constexpr uint32_t kNumRepeats = 3;

constexpr uint32_t kMaxMainCodeLength = 16;
constexpr uint32_t kMaxLengthCodeLength = 16;
constexpr uint32_t kMaxAlignedCodeLength = 7;    // stored in 3 bits
constexpr uint32_t kMaxPretreeCodeLength = 15;   // stored in 4 bits

enum BlockType : uint32_t {
    kBlockVerbatim = 1,
    kBlockAligned = 2,
    kBlockUncompressed = 3,
};
constexpr uint32_t kBlockTypeBits = 3;
constexpr uint32_t kBlockSizeBits = 24;
constexpr uint32_t kMaxBlockSize = (1u << kBlockSizeBits) - 1;

// Pretree symbols: 0-16 change a length by (old - symbol) mod 17; 17 and 18 write runs of zeros;
// 19 writes a run of one value.
constexpr uint32_t kPretreeZeros4 = 17;    // 4 + 4 bits: 4 to 19 zeros
constexpr uint32_t kPretreeZeros20 = 18;   // 20 + 5 bits: 20 to 51 zeros
constexpr uint32_t kPretreeSame4 = 19;     // 4 + 1 bit, then a symbol 0-16: 4 or 5 equal lengths

// x86 call translation: only the first 32768 frames are translated, never the last 10 bytes of
// a frame. The translation size is the value stored in the stream header.
constexpr uint32_t kE8MaxFrames = 32768;
constexpr uint32_t kE8FrameTail = 10;
constexpr int32_t kE8TranslationSize = 12000000;

// Number of footer bits of a position slot.
constexpr uint32_t FooterBits(uint32_t slot)
{
    if (slot < 4)
        return 0;
    uint32_t bits = (slot - 2) / 2;
    return bits > 17 ? 17 : bits;
}

// First formatted offset of a position slot (formatted offset = match offset + 2; 0-2 name the
// repeat offsets).
constexpr uint32_t SlotBase(uint32_t slot)
{
    uint32_t base = 0;
    for (uint32_t s = 0; s < slot; ++s)
        base += 1u << FooterBits(s);
    return base;
}

static_assert(SlotBase(kNumPositionSlots) == kWindowSize, "50 slots cover a 2^21 window");
static_assert(kMaxOffset + 2 < SlotBase(kNumPositionSlots), "the largest offset has a slot");
static_assert(kNumMainSymbols == 656 && kNumLengthSymbols == 249);

// Position slot of a formatted offset of 4 or more (below 4 the slot is the offset itself).
inline uint32_t SlotOf(uint32_t formatted)
{
    if (formatted < 4)
        return formatted;
    if (formatted >= (1u << 18))
        return 34 + (formatted >> 17);
    uint32_t high = 31 - static_cast<uint32_t>(__builtin_clz(formatted));
    return 2 * high + ((formatted >> (high - 1)) & 1);
}

} // namespace Cabinet::Lzx
