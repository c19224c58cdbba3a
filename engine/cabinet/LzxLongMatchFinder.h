#pragma once
// Long-repeat finder of the LZX encoder. The hash chains follow two links, so they rarely reach a
// repeat more than about 100 KB back; setup programs are full of repeats much further away (one
// library in two folders, 32- and 64-bit builds of it, resources shared by executables). This
// finder sees the whole window at a fixed cost per position:
// - every position that is a multiple of kBlockBytes files the hash of the block of kBlockBytes
//   bytes that starts there (one table slot per hash, the latest block wins);
// - every position not yet covered by a repeat looks up the block that starts at it, through a
//   rolling hash; a repeat of at least 2 x kBlockBytes - 1 bytes is seen within its first
//   kBlockBytes positions (unless its blocks' slots were taken since), wherever its earlier copy
//   lies in the window;
// - a hit is checked against the bytes and extended forwards and backwards; what remains is one
//   repeat (start, end, offset) for the parser to weigh against the chain's matches.
// The table keeps a second hash of each block, so a slot taken by another block is told apart
// without reading the window (a cache miss each). Positions are absolute, as in CMatchFinder.

#include "engine/cabinet/LzxFormat.h"

#include <cstdint>
#include <vector>

namespace Cabinet::Lzx {

// Positions [start, end) repeat the bytes `offset` earlier.
struct LongRepeat {
    uint32_t start;
    uint32_t end;
    uint32_t offset;   // 1 .. kMaxOffset
};

class CLongMatchFinder {
public:
    // Bytes per filed block: repeats of 2 x 16 - 1 = 31 bytes or more are always found. On the
    // benchmark corpus 16 gives 1.1% less output than 32 for 10% more instructions; 8 gives more
    // output than 16: its extra repeats are barely longer than the chains' matches and cost far
    // offsets.
    static constexpr uint32_t kBlockBytes = 16;

    CLongMatchFinder();

    // Forgets every block (a new folder).
    void Reset();

    // Scans the positions [from, to), which follow the previous scan's: files their blocks and
    // appends the repeats that start among them to `out`, in increasing order and not
    // overlapping, each within [from, to). A repeat that ran to the end of the previous scan is
    // continued first, at its offset, however short the rest. `data` holds the byte of position
    // `from`; the bytes of positions [earliest, to) may be read, earliest being at most
    // from - kMaxOffset (or 0).
    void Scan(const uint8_t* data, uint32_t from, uint32_t to, uint32_t earliest, std::vector<LongRepeat>& out);

private:
    // One slot per block of a window, so a block a whole window back is still filed with a chance
    // of about 1/e, and one of a repeat's first few blocks almost surely; 2^16 slots gave 0.2%
    // more output.
    static constexpr uint32_t kHashBits = 17;
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    struct Slot {
        uint32_t position;   // of the latest block filed here, kNone when none
        uint32_t check;      // the other 32 bits of its hash
    };
    std::vector<Slot> m_slots;
    uint64_t m_dropTerm[256];   // byte x kMultiplier^kBlockBytes: what a byte leaving the block weighs
    uint32_t m_lastEnd = 0;     // end of the last repeat reported, and its offset (0: none)
    uint32_t m_lastOffset = 0;
};

} // namespace Cabinet::Lzx
