#include "engine/cabinet/LzxHuffman.h"

#include <algorithm>
#include <vector>

namespace Cabinet::Lzx {

namespace {

// Plain Huffman lengths by the two-queue method over symbols sorted by frequency. Returns the
// longest length.
uint32_t HuffmanLengths(const uint32_t* freqs, const std::vector<uint32_t>& symbols, uint8_t* lengths)
{
    const size_t n = symbols.size();
    // Nodes 0..n-1 are leaves in ascending frequency, n..2n-2 are internal nodes in creation order
    // (which is also ascending weight), so two cursors find the two lightest nodes.
    std::vector<uint64_t> weight(2 * n - 1);
    std::vector<uint32_t> parent(2 * n - 1, 0);
    for (size_t i = 0; i < n; ++i)
        weight[i] = freqs[symbols[i]];
    size_t leaf = 0, inner = n;
    auto takeLightest = [&](size_t created) {
        if (leaf < n && (inner >= created || weight[leaf] <= weight[inner]))
            return leaf++;
        return inner++;
    };
    for (size_t next = n; next < 2 * n - 1; ++next) {
        size_t a = takeLightest(next);
        size_t b = takeLightest(next);
        weight[next] = weight[a] + weight[b];
        parent[a] = parent[b] = static_cast<uint32_t>(next);
    }
    // Depths from the root down: every parent comes after its children.
    std::vector<uint32_t> depth(2 * n - 1, 0);
    uint32_t longest = 0;
    for (size_t i = 2 * n - 2; i-- > 0;) {
        depth[i] = depth[parent[i]] + 1;
        if (i < n) {
            lengths[symbols[i]] = static_cast<uint8_t>(depth[i]);
            longest = std::max(longest, depth[i]);
        }
    }
    return longest;
}

} // namespace

void BuildCodeLengths(const uint32_t* freqs, uint32_t count, uint32_t maxLength, uint8_t* lengths)
{
    std::fill(lengths, lengths + count, uint8_t(0));
    std::vector<uint32_t> symbols;
    for (uint32_t s = 0; s < count; ++s) {
        if (freqs[s] != 0)
            symbols.push_back(s);
    }
    if (symbols.empty())
        return;
    if (symbols.size() == 1) {
        // A lone symbol still needs a complete code: pair it with a neighbour.
        uint32_t other = symbols[0] == 0 ? 1 : 0;
        lengths[symbols[0]] = 1;
        lengths[other] = 1;
        return;
    }
    std::vector<uint32_t> scaled(freqs, freqs + count);
    for (;;) {
        std::stable_sort(symbols.begin(), symbols.end(),
                         [&](uint32_t a, uint32_t b) { return scaled[a] < scaled[b]; });
        if (HuffmanLengths(scaled.data(), symbols, lengths) <= maxLength)
            return;
        // Too deep: flatten the distribution and try again. Rare (it needs a very skewed
        // block), and the loss against an optimal limited code is a fraction of a percent.
        for (uint32_t s : symbols)
            scaled[s] = (scaled[s] >> 1) | 1;
    }
}

void BuildCodes(const uint8_t* lengths, uint32_t count, uint16_t* codes)
{
    uint32_t lengthCount[33] = {};
    for (uint32_t s = 0; s < count; ++s)
        ++lengthCount[lengths[s]];
    lengthCount[0] = 0;
    uint32_t next[33] = {};
    uint32_t code = 0;
    for (uint32_t len = 1; len <= 32; ++len) {
        code = (code + lengthCount[len - 1]) << 1;
        next[len] = code;
    }
    for (uint32_t s = 0; s < count; ++s)
        codes[s] = lengths[s] ? static_cast<uint16_t>(next[lengths[s]]++) : 0;
}

} // namespace Cabinet::Lzx
