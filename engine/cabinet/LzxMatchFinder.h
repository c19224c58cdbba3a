#pragma once
// Match finder of the LZX encoder: hash chains over the window. Each position is filed under a
// hash of its next three bytes, linked to the previous position with the same hash; each link
// also keeps the first four bytes of its position, so most candidates are judged without
// touching their data (a cache miss each in a 2 MiB window). A table of the latest position of
// every two-byte pair adds the short matches that only pay at small offsets. Filing a position
// costs two stores, so positions inside a match the parser took are filed without a search.
//
// Positions are absolute (bytes since the folder began). The caller keeps at least kMaxOffset
// bytes of history before the current position in memory, or everything since the folder began,
// and lets the finder read up to 4 bytes past the lookahead it names.

#include "engine/cabinet/LzxFormat.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace Cabinet::Lzx {

// Length of the common prefix of a and b, stopping at `limit`; reads no byte at or past it.
inline uint32_t CommonPrefix(const uint8_t* a, const uint8_t* b, uint32_t limit)
{
    uint32_t len = 0;
    while (len + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y)
            return len + static_cast<uint32_t>(__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
    while (len < limit && a[len] == b[len])
        ++len;
    return len;
}

struct Match {
    uint32_t length;   // 2 .. the lookahead given to Find
    uint32_t offset;   // 1 .. kMaxOffset
};

class CMatchFinder {
public:
    CMatchFinder();

    // Forgets every position (a new folder).
    void Reset();

    // Files the position `pos`, whose bytes are at `at` with `lookahead` bytes readable, and
    // writes its matches to `out` in order of increasing length (at most kMaxMatches). The search
    // follows at most `depth` links and stops at a match of `niceLength` bytes. Returns the count.
    uint32_t Find(const uint8_t* at, uint32_t pos, uint32_t lookahead, uint32_t niceLength, uint32_t depth,
                  Match* out);

    // Files the position without searching. Each position is filed once, in increasing order.
    void Insert(const uint8_t* at, uint32_t pos, uint32_t lookahead);

    static constexpr uint32_t kMaxMatches = 32;

private:
    static constexpr uint32_t kHashBits = 16;
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    static constexpr uint32_t kLinkMask = kWindowSize - 1;

    std::vector<uint32_t> m_pairs;   // latest position of each two-byte pair
    std::vector<uint32_t> m_heads;   // latest position of each three-byte hash
    struct Link {
        uint32_t previous;   // the previous position of the same hash
        uint32_t head;       // the position's first four bytes, little-endian
    };
    std::vector<Link> m_links;       // per position modulo the window
};

} // namespace Cabinet::Lzx
