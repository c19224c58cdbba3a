#pragma once
// Canonical Huffman codes with a length limit, as LZX trees need them: every code is complete
// (decoders reject codes with unused leaves), so a tree that uses one symbol gets a second one.

#include <cstdint>

namespace Cabinet::Lzx {

// Fills lengths[0..count) from the frequencies. Lengths are at most maxLength; symbols of
// frequency 0 get length 0. When every frequency is 0, every length is 0 (an empty tree).
void BuildCodeLengths(const uint32_t* freqs, uint32_t count, uint32_t maxLength, uint8_t* lengths);

// Canonical codes for the lengths: shorter codes first, equal lengths in symbol order.
void BuildCodes(const uint8_t* lengths, uint32_t count, uint16_t* codes);

} // namespace Cabinet::Lzx
