#include "engine/cabinet/LzxLongMatchFinder.h"

#include "engine/cabinet/LzxMatchFinder.h"

#include <algorithm>

namespace Cabinet::Lzx {

namespace {

// The rolling hash of a block is sum(byte[i] * kMultiplier^(kBlockBytes - 1 - i)) modulo 2^64:
// odd and with its bits spread, so the top bits (the slot) and the low 32 (the check) each depend
// on every byte.
constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

// The shortest repeat reported: a whole block, as long as the one that found it.
constexpr uint32_t kMinRepeat = CLongMatchFinder::kBlockBytes;

} // namespace

CLongMatchFinder::CLongMatchFinder() : m_slots(1u << kHashBits)
{
    uint64_t power = 1;
    for (uint32_t i = 0; i < kBlockBytes; ++i)
        power *= kMultiplier;
    for (uint32_t b = 0; b < 256; ++b)
        m_dropTerm[b] = b * power;
    Reset();
}

void CLongMatchFinder::Reset()
{
    std::fill(m_slots.begin(), m_slots.end(), Slot{kNone, 0});
    m_lastEnd = 0;
    m_lastOffset = 0;
}

void CLongMatchFinder::Scan(const uint8_t* data, uint32_t from, uint32_t to, uint32_t earliest,
                            std::vector<LongRepeat>& out)
{
    if (to - from < kBlockBytes)
        return;
    // Positions whose whole block lies before `to`; the few after them are neither filed nor
    // looked up (a block must not include bytes the call translation has not reached yet).
    const uint32_t last = to - kBlockBytes + 1;
    const uint8_t* byte = data - from;   // byte[pos] is the byte of position pos

    uint32_t covered = from;   // positions below this belong to a repeat found already
    const auto report = [&](uint32_t start, uint32_t end, uint32_t offset) {
        out.push_back(LongRepeat{start, end, offset});
        covered = end;
        m_lastEnd = end;
        m_lastOffset = offset;
    };
    // A repeat that ran to the previous scan's end goes on at the same offset if the bytes do: a
    // new lookup would find the latest copy of the block, often at another offset.
    if (m_lastOffset != 0 && m_lastEnd == from && from - m_lastOffset >= earliest) {
        const uint32_t length = CommonPrefix(byte + from - m_lastOffset, byte + from, to - from);
        if (length != 0)
            report(from, from + length, m_lastOffset);
    }

    uint64_t hash = 0;
    for (uint32_t i = 0; i < kBlockBytes; ++i)
        hash = hash * kMultiplier + byte[from + i];
    for (uint32_t pos = from;;) {
        Slot& slot = m_slots[hash >> (64 - kHashBits)];
        const uint32_t check = static_cast<uint32_t>(hash);
        if (pos >= covered && slot.position != kNone && slot.check == check && pos - slot.position <= kMaxOffset) {
            const uint32_t earlier = slot.position;
            const uint32_t forward = CommonPrefix(byte + earlier, byte + pos, to - pos);
            // Backwards as far as the bytes agree, but not into a repeat already reported nor
            // before what may be read.
            const uint32_t backLimit = std::min(pos - covered, earlier - earliest);
            uint32_t back = 0;
            while (back < backLimit && byte[earlier - back - 1] == byte[pos - back - 1])
                ++back;
            if (back + forward >= kMinRepeat)
                report(pos - back, pos + forward, pos - earlier);
        }
        if (pos % kBlockBytes == 0)
            slot = Slot{pos, check};
        if (++pos == last)
            break;
        hash = hash * kMultiplier - m_dropTerm[byte[pos - 1]] + byte[pos + kBlockBytes - 1];
    }
}

} // namespace Cabinet::Lzx
