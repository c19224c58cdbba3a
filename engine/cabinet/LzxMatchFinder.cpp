#include "engine/cabinet/LzxMatchFinder.h"

#include <algorithm>
#include <cstring>

namespace Cabinet::Lzx {

namespace {

inline uint32_t Hash3(const uint8_t* p, uint32_t bits)
{
    const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    return (v * 0x9E3779B1u) >> (32 - bits);
}

inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline uint32_t Pair(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8);
}

} // namespace

CMatchFinder::CMatchFinder() : m_pairs(1u << 16), m_heads(1u << kHashBits), m_links(kWindowSize)
{
    Reset();
}

void CMatchFinder::Reset()
{
    std::fill(m_pairs.begin(), m_pairs.end(), kNone);
    std::fill(m_heads.begin(), m_heads.end(), kNone);
    // Links need no clearing: a link is only followed from a position filed after this reset.
}

void CMatchFinder::Insert(const uint8_t* at, uint32_t pos, uint32_t lookahead)
{
    if (lookahead < 3)
        return;
    m_pairs[Pair(at)] = pos;
    uint32_t& head = m_heads[Hash3(at, kHashBits)];
    m_links[pos & kLinkMask] = Link{head, Load32(at)};
    head = pos;
}

uint32_t CMatchFinder::Find(const uint8_t* at, uint32_t pos, uint32_t lookahead, uint32_t niceLength,
                            uint32_t depth, Match* out)
{
    if (lookahead < 3)
        return 0;
    const uint32_t limit = std::min(lookahead, kMaxMatch);
    uint32_t count = 0;
    uint32_t best = 1;

    uint32_t& pair = m_pairs[Pair(at)];
    const uint32_t pairPos = pair;
    pair = pos;
    if (pairPos != kNone && pos - pairPos <= kMaxOffset) {
        // Only a short pair match is reported here; longer ones come from the chain.
        const uint8_t* cand = at - (pos - pairPos);
        if (cand[2] != at[2]) {
            out[count++] = Match{2, pos - pairPos};
            best = 2;
        }
    }

    uint32_t& head = m_heads[Hash3(at, kHashBits)];
    uint32_t cur = head;
    const uint32_t first4 = Load32(at);
    m_links[pos & kLinkMask] = Link{cur, first4};
    head = pos;

    while (cur != kNone && pos - cur <= kMaxOffset && depth-- > 0) {
        const Link link = m_links[cur & kLinkMask];
        const uint32_t differ = link.head ^ first4;
        uint32_t len;
        if (differ != 0) {
            // Fewer than four bytes agree: the link alone tells how many.
            len = std::min(static_cast<uint32_t>(__builtin_ctz(differ) >> 3), limit);
        } else {
            const uint8_t* cand = at - (pos - cur);
            // Only a candidate that agrees at the best's length can beat it.
            len = best < 4 || cand[best] == at[best] ? CommonPrefix(cand, at, limit) : 0;
        }
        if (len > best) {
            best = len;
            if (count < kMaxMatches)
                out[count++] = Match{len, pos - cur};
            if (len >= niceLength || len == limit)
                break;
        }
        cur = link.previous;
    }
    return count;
}

} // namespace Cabinet::Lzx
