#pragma once
// LZX bit output: bits fill 16-bit little-endian words from the most significant bit down.

#include <cstdint>
#include <vector>

namespace Cabinet::Lzx {

class CBitWriter {
public:
    explicit CBitWriter(std::vector<uint8_t>& out) : m_out(&out) {}

    // Appends the low `count` bits of `bits` (count at most 32).
    void Put(uint32_t bits, uint32_t count)
    {
        m_buffer = (m_buffer << count) | (bits & ((uint64_t(1) << count) - 1));
        m_count += count;
        while (m_count >= 16) {
            m_count -= 16;
            uint32_t word = static_cast<uint32_t>(m_buffer >> m_count) & 0xFFFF;
            m_out->push_back(static_cast<uint8_t>(word));
            m_out->push_back(static_cast<uint8_t>(word >> 8));
        }
    }

    // Pads with zero bits to the next word boundary (nothing when already there).
    void Align()
    {
        if (m_count != 0)
            Put(0, 16 - m_count);
    }

    uint32_t PendingBits() const { return m_count; }

private:
    std::vector<uint8_t>* m_out;   // not owned
    uint64_t m_buffer = 0;         // only the low m_count bits are pending
    uint32_t m_count = 0;          // 0-15 between calls
};

} // namespace Cabinet::Lzx
