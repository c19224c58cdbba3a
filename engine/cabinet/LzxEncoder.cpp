// LZX encoder of cabinet folders.
//
// Input collects in a buffer that keeps one window of history before the bytes not yet
// compressed. Whenever a batch of whole frames is there, the batch is compressed in three steps:
//   1. x86 call translation of each frame, in place: the decoder's window holds translated bytes
//      too, so matches refer to them;
//   2. a scan of the batch for long repeats anywhere in the window (CLongMatchFinder), then a
//      lazy parse: at each position the best of the repeat offsets, the hash chains' matches and
//      the long repeat covering it, weighed in bits with the costs of the previous block, unless
//      the next position offers more;
//   3. the parse's statistics per frame decide where blocks end (fresh Huffman trees where they
//      pay), and each block is written verbatim or aligned-offset, or as uncompressed frames when
//      coding does not pay.
// Near-optimal parsing over binary trees was measured too: on program files it saved about 10%
// of the output but searched every position and ran four to five times slower (3 MB/s). The lazy
// parse keeps the writer above 10 MB/s, and the window sliding across the whole folder already
// brings such files to three quarters of what independent 2 MiB chunks with an optimal parse take.
// Blocks start and end on frame boundaries and may span several frames; at every frame boundary
// the bit stream is padded to 16 bits and the frame's bytes are handed out.
// One encoder belongs to one thread; encoders share nothing.

#include "engine/cabinet/LzxEncoder.h"

#include "engine/cabinet/LzxBitWriter.h"
#include "engine/cabinet/LzxFormat.h"
#include "engine/cabinet/LzxHuffman.h"
#include "engine/cabinet/LzxLongMatchFinder.h"
#include "engine/cabinet/LzxMatchFinder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Cabinet::Lzx {

// ---- Parameters ----

// Frames compressed together. Blocks never cross a batch, so larger batches give the block
// splitter more room; 8 frames (256 KiB) keep the parse of a batch near 3 MB.
constexpr uint32_t kBatchFrames = 8;
constexpr uint32_t kBatchBytes = kBatchFrames * kFrameSize;

// A match at least this long is taken at once, without looking one position further and
// without following the chain further. Longer values find slightly better parses in repetitive
// data and cost time there: on the benchmark corpus of program files, 48 instead of 24 gives
// 0.2% less output for 20% more time.
constexpr uint32_t kNiceLength = 24;

// Hash-chain links followed per search: the main speed/size trade-off. Each link is a cache miss;
// on program files 2 links give 3% more output than 4 for a fifth less time, and 4 give 2% more
// than 8 with half the links followed. Two keep a whole package build within twice the time of
// an MSZIP build, with the output still three quarters of independent LZX chunks.
constexpr uint32_t kSearchDepth = 2;

// Cost in bits that the parser assumes for a symbol the current statistics never saw: dearer
// than most used symbols, yet cheap enough to be tried when it saves a lot.
constexpr uint32_t kUnusedMainCost = 14;
constexpr uint32_t kUnusedLengthCost = 10;
constexpr uint32_t kUnusedAlignedCost = 6;

// Costs are kept in sixteenths of a bit, so the average literal keeps its fraction.
constexpr int32_t kCostScale = 16;

// The input buffer: one window of history plus room for two batches, so sliding it (a copy of
// the window) happens once per batch at most.
constexpr uint32_t kBufferBytes = kWindowSize + 2 * kBatchBytes;

static_assert(kBatchBytes % kFrameSize == 0, "batches hold whole frames");
static_assert(kBatchBytes <= kMaxBlockSize, "a block fits its 24-bit size field");
static_assert(kNiceLength <= kMaxMatch && kNiceLength >= 3);
static_assert(CMatchFinder::kMaxMatches >= 2);

// ---- Structures ----

constexpr std::array<uint32_t, kNumPositionSlots + 1> MakeSlotBases()
{
    std::array<uint32_t, kNumPositionSlots + 1> bases{};
    for (uint32_t s = 0; s <= kNumPositionSlots; ++s)
        bases[s] = SlotBase(s);
    return bases;
}
constexpr std::array<uint32_t, kNumPositionSlots + 1> kSlotBases = MakeSlotBases();

// Symbol counts of a stretch of items.
struct Freqs {
    uint32_t main[kNumMainSymbols];
    uint32_t length[kNumLengthSymbols];
    uint32_t aligned[kNumAlignedSymbols];

    void Clear() { std::memset(this, 0, sizeof(*this)); }
    void Add(const Freqs& other)
    {
        for (uint32_t i = 0; i < kNumMainSymbols; ++i)
            main[i] += other.main[i];
        for (uint32_t i = 0; i < kNumLengthSymbols; ++i)
            length[i] += other.length[i];
        for (uint32_t i = 0; i < kNumAlignedSymbols; ++i)
            aligned[i] += other.aligned[i];
    }
};

// Code lengths of one block's trees.
struct Trees {
    uint8_t main[kNumMainSymbols];
    uint8_t length[kNumLengthSymbols];
    uint8_t aligned[kNumAlignedSymbols];
};

// What the parser believes each symbol costs, in bits.
struct Costs {
    uint32_t main[kNumMainSymbols];
    uint32_t length[kNumLengthSymbols];
    uint32_t aligned[kNumAlignedSymbols];
    bool useAligned;          // offsets with 3 or more footer bits code their low 3 bits in the aligned tree
    int32_t literalCost;      // average bits of a literal, in kCostScale units
};

// One step of a parse: a literal (length 0, code = the byte) or a match (length 2-257, code = the
// formatted offset: 0-2 name a repeat offset, otherwise offset + 2).
struct Item {
    uint32_t length;
    uint32_t code;
};

struct Block {
    uint32_t start;   // offset in the batch, a multiple of kFrameSize
    uint32_t end;     // offset in the batch: a frame boundary or the batch's end
};

struct EncoderState {
    bool translate = true;               // x86 call translation announced in the header

    std::vector<uint8_t> buffer;         // bytes of positions [base, base + fill)
    uint32_t base = 0;                   // position of buffer[0]
    uint32_t fill = 0;                   // 0 .. kBufferBytes
    uint32_t done = 0;                   // positions below this are compressed

    bool headerWritten = false;          // the stream header precedes the first block
    uint32_t reps[kNumRepeats] = {1, 1, 1};
    uint8_t prevMain[kNumMainSymbols] = {};       // lengths of the previous block, which the
    uint8_t prevLength[kNumLengthSymbols] = {};   // next block's lengths are coded against
    Costs model{};                       // costs of the last written block

    CMatchFinder finder;
    CLongMatchFinder longFinder;
    std::vector<LongRepeat> repeats;     // long repeats in the batch, in increasing order
    std::vector<Item> items;             // parse of the batch
    std::vector<uint32_t> frameItems;    // per frame of the batch: index of its first item, and the end
    std::vector<std::array<uint32_t, kNumRepeats>> frameReps;   // repeat offsets after each frame

    uint32_t batchStart = 0;             // position of the batch being compressed
    uint32_t batchEnd = 0;

    Frame current{};                     // frame being written
    CBitWriter writer{current.data};
    std::deque<Frame> ready;

    const uint8_t* At(uint32_t pos) const { return buffer.data() + (pos - base); }
};

namespace {

inline uint32_t FrameEnd(uint32_t pos, uint32_t limit)
{
    return std::min((pos / kFrameSize + 1) * kFrameSize, limit);
}

inline uint32_t LengthHeader(uint32_t length)
{
    return std::min(length - kMinMatch, kNumPrimaryLengths);
}

inline uint32_t SlotOfCode(uint32_t code)
{
    return code < kNumRepeats ? code : SlotOf(code);
}

void DefaultCosts(Costs& costs)
{
    for (uint32_t s = 0; s < kNumMainSymbols; ++s)
        costs.main[s] = s < kNumChars ? 8 : 10;
    for (uint32_t s = 0; s < kNumLengthSymbols; ++s)
        costs.length[s] = 7;
    for (uint32_t s = 0; s < kNumAlignedSymbols; ++s)
        costs.aligned[s] = 3;
    costs.useAligned = false;
    costs.literalCost = 8 * kCostScale;
}

// ---- x86 call translation ----

// Turns the relative targets of E8 calls into absolute ones, which repeat across a program and
// so match better. The decoder undoes it frame by frame with the same scan.
void TranslateCalls(uint8_t* data, uint32_t size, uint32_t framePos)
{
    if (size <= kE8FrameTail)
        return;
    const uint32_t end = size - kE8FrameTail;
    for (uint32_t i = 0; i < end; ++i) {
        if (data[i] != 0xE8)
            continue;
        const int32_t cur = static_cast<int32_t>(framePos + i);
        int32_t rel;
        std::memcpy(&rel, data + i + 1, 4);
        if (rel >= -cur && rel < kE8TranslationSize) {
            int32_t abs = rel < kE8TranslationSize - cur ? rel + cur : rel - kE8TranslationSize;
            std::memcpy(data + i + 1, &abs, 4);
        }
        i += 4;
    }
}

// ---- Huffman ----

void CostsFromTrees(const Trees& trees, const Freqs& freqs, bool useAligned, Costs& costs)
{
    uint64_t literals = 0, literalBits = 0;
    for (uint32_t s = 0; s < kNumChars; ++s) {
        literals += freqs.main[s];
        literalBits += uint64_t(freqs.main[s]) * trees.main[s];
    }
    costs.literalCost = literals ? static_cast<int32_t>(literalBits * kCostScale / literals) : 8 * kCostScale;
    for (uint32_t s = 0; s < kNumMainSymbols; ++s)
        costs.main[s] = trees.main[s] ? trees.main[s] : kUnusedMainCost;
    for (uint32_t s = 0; s < kNumLengthSymbols; ++s)
        costs.length[s] = trees.length[s] ? trees.length[s] : kUnusedLengthCost;
    for (uint32_t s = 0; s < kNumAlignedSymbols; ++s)
        costs.aligned[s] = trees.aligned[s] ? trees.aligned[s] : kUnusedAlignedCost;
    costs.useAligned = useAligned;
}

// Extra bits that offset footers cost in a verbatim block, and how many footers could use the
// aligned tree instead.
uint64_t VerbatimFooterBits(const Freqs& freqs)
{
    uint64_t bits = 0;
    for (uint32_t s = kNumChars; s < kNumMainSymbols; ++s)
        bits += uint64_t(freqs.main[s]) * FooterBits((s - kNumChars) / 8);
    return bits;
}

// Whether aligned-offset coding beats plain footers for these counts.
bool AlignedPays(const Freqs& freqs, const uint8_t* alignedLengths)
{
    uint64_t plain = 0, aligned = 3 * kNumAlignedSymbols;
    for (uint32_t s = 0; s < kNumAlignedSymbols; ++s) {
        plain += 3 * uint64_t(freqs.aligned[s]);
        aligned += uint64_t(freqs.aligned[s]) * alignedLengths[s];
    }
    return aligned < plain;
}

// One coded step of a tree's lengths: a pretree symbol with its extra bits, and for symbol 19
// the symbol of the repeated value that follows it.
struct PretreeStep {
    uint8_t symbol;
    uint8_t extraBits;
    uint8_t extra;
    uint8_t valueSymbol;
};

// Codes lengths[0..count) against the previous lengths. Fills the steps and the pretree lengths
// and returns the bits the section takes.
uint32_t PlanLengths(const uint8_t* lengths, const uint8_t* prev, uint32_t count,
                     std::vector<PretreeStep>& steps, uint8_t* pretree)
{
    steps.clear();
    uint32_t freqs[kNumPretreeSymbols] = {};
    auto delta = [&](uint32_t i) { return static_cast<uint8_t>((prev[i] + 17 - lengths[i]) % 17); };
    for (uint32_t i = 0; i < count;) {
        uint32_t run = 1;
        while (i + run < count && lengths[i + run] == lengths[i])
            ++run;
        if (lengths[i] == 0 && run >= 4) {
            if (run >= 20) {
                uint32_t take = std::min(run, 51u);
                steps.push_back({kPretreeZeros20, 5, static_cast<uint8_t>(take - 20), 0});
                ++freqs[kPretreeZeros20];
                i += take;
            } else {
                steps.push_back({kPretreeZeros4, 4, static_cast<uint8_t>(run - 4), 0});
                ++freqs[kPretreeZeros4];
                i += run;
            }
        } else if (run >= 4) {
            uint32_t take = std::min(run, 5u);
            uint8_t value = delta(i);
            steps.push_back({kPretreeSame4, 1, static_cast<uint8_t>(take - 4), value});
            ++freqs[kPretreeSame4];
            ++freqs[value];
            i += take;
        } else {
            uint8_t value = delta(i);
            steps.push_back({value, 0, 0, 0});
            ++freqs[value];
            ++i;
        }
    }
    BuildCodeLengths(freqs, kNumPretreeSymbols, kMaxPretreeCodeLength, pretree);
    uint32_t bits = 4 * kNumPretreeSymbols;
    for (const PretreeStep& step : steps) {
        bits += pretree[step.symbol] + step.extraBits;
        if (step.symbol == kPretreeSame4)
            bits += pretree[step.valueSymbol];
    }
    return bits;
}

void WriteLengths(CBitWriter& writer, const uint8_t* lengths, const uint8_t* prev, uint32_t count)
{
    std::vector<PretreeStep> steps;
    uint8_t pretree[kNumPretreeSymbols];
    PlanLengths(lengths, prev, count, steps, pretree);
    uint16_t codes[kNumPretreeSymbols];
    BuildCodes(pretree, kNumPretreeSymbols, codes);
    for (uint32_t s = 0; s < kNumPretreeSymbols; ++s)
        writer.Put(pretree[s], 4);
    for (const PretreeStep& step : steps) {
        writer.Put(codes[step.symbol], pretree[step.symbol]);
        writer.Put(step.extra, step.extraBits);
        if (step.symbol == kPretreeSame4)
            writer.Put(codes[step.valueSymbol], pretree[step.valueSymbol]);
    }
}

uint32_t TreeHeaderBits(const Trees& trees, const uint8_t* prevMain, const uint8_t* prevLength)
{
    std::vector<PretreeStep> steps;
    uint8_t pretree[kNumPretreeSymbols];
    return PlanLengths(trees.main, prevMain, kNumChars, steps, pretree) +
           PlanLengths(trees.main + kNumChars, prevMain + kNumChars, kNumMainSymbols - kNumChars, steps, pretree) +
           PlanLengths(trees.length, prevLength, kNumLengthSymbols, steps, pretree);
}

void BuildTrees(const Freqs& freqs, Trees& trees)
{
    BuildCodeLengths(freqs.main, kNumMainSymbols, kMaxMainCodeLength, trees.main);
    BuildCodeLengths(freqs.length, kNumLengthSymbols, kMaxLengthCodeLength, trees.length);
    BuildCodeLengths(freqs.aligned, kNumAlignedSymbols, kMaxAlignedCodeLength, trees.aligned);
}

// Bits of a verbatim or aligned block with these counts and trees, header included.
uint64_t BlockBits(const Freqs& freqs, const Trees& trees, bool useAligned, const uint8_t* prevMain,
                   const uint8_t* prevLength)
{
    uint64_t bits = kBlockTypeBits + kBlockSizeBits + TreeHeaderBits(trees, prevMain, prevLength);
    for (uint32_t s = 0; s < kNumMainSymbols; ++s)
        bits += uint64_t(freqs.main[s]) * trees.main[s];
    for (uint32_t s = 0; s < kNumLengthSymbols; ++s)
        bits += uint64_t(freqs.length[s]) * trees.length[s];
    bits += VerbatimFooterBits(freqs);
    if (useAligned) {
        bits += 3 * kNumAlignedSymbols;
        for (uint32_t s = 0; s < kNumAlignedSymbols; ++s)
            bits = bits - 3 * uint64_t(freqs.aligned[s]) + uint64_t(freqs.aligned[s]) * trees.aligned[s];
    }
    return bits;
}

uint64_t EstimateBits(const Freqs& freqs, const uint8_t* prevMain, const uint8_t* prevLength)
{
    Trees trees;
    BuildTrees(freqs, trees);
    return BlockBits(freqs, trees, AlignedPays(freqs, trees.aligned), prevMain, prevLength);
}

// ---- Block splitting ----

void CountItems(const Item* items, size_t count, Freqs& freqs)
{
    for (size_t i = 0; i < count; ++i) {
        const Item& item = items[i];
        if (item.length == 0) {
            ++freqs.main[item.code];
            continue;
        }
        const uint32_t slot = SlotOfCode(item.code);
        const uint32_t header = LengthHeader(item.length);
        ++freqs.main[kNumChars + slot * 8 + header];
        if (header == kNumPrimaryLengths)
            ++freqs.length[item.length - kMinMatch - kNumPrimaryLengths];
        if (item.code >= kNumRepeats && FooterBits(slot) >= 3)
            ++freqs.aligned[(item.code - kSlotBases[slot]) & 7];
    }
}

// Groups the batch's frames into blocks: a frame joins the block before it when one set of
// trees codes both for fewer bits than two sets would.
std::vector<Block> SplitBlocks(const EncoderState& s, const std::vector<Freqs>& frameFreqs, uint32_t batchLength)
{
    std::vector<Block> blocks;
    Freqs merged = frameFreqs[0];
    uint64_t mergedBits = EstimateBits(merged, s.prevMain, s.prevLength);
    Block block{0, std::min(kFrameSize, batchLength)};
    for (size_t f = 1; f < frameFreqs.size(); ++f) {
        Freqs both = merged;
        both.Add(frameFreqs[f]);
        const uint64_t bothBits = EstimateBits(both, s.prevMain, s.prevLength);
        const uint64_t aloneBits = EstimateBits(frameFreqs[f], s.prevMain, s.prevLength);
        const uint32_t frameEnd = std::min(uint32_t(f + 1) * kFrameSize, batchLength);
        if (bothBits <= mergedBits + aloneBits) {
            merged = both;
            mergedBits = bothBits;
            block.end = frameEnd;
        } else {
            blocks.push_back(block);
            merged = frameFreqs[f];
            mergedBits = aloneBits;
            block = Block{uint32_t(f) * kFrameSize, frameEnd};
        }
    }
    blocks.push_back(block);
    return blocks;
}

// ---- Parser ----

inline uint32_t MatchCost(const Costs& costs, uint32_t slot, uint32_t length)
{
    const uint32_t header = LengthHeader(length);
    uint32_t cost = costs.main[kNumChars + slot * 8 + header];
    if (header == kNumPrimaryLengths)
        cost += costs.length[length - kMinMatch - kNumPrimaryLengths];
    return cost;
}

inline uint32_t FooterCost(const Costs& costs, uint32_t slot, uint32_t formatted)
{
    const uint32_t bits = FooterBits(slot);
    if (costs.useAligned && bits >= 3)
        return bits - 3 + costs.aligned[(formatted - kSlotBases[slot]) & 7];
    return bits;
}

// A step the parser may take at a position, with the bits it saves over literals.
struct Candidate {
    uint32_t length;   // 0: nothing better than a literal
    uint32_t code;     // as Item::code
    int32_t gain;      // kCostScale units
};

class CLazyParser {
public:
    CLazyParser(EncoderState& s, const Costs& costs) : m_s(s), m_costs(costs) {}

    // Parses the batch into s.items, noting where each frame's items begin and the repeat
    // offsets after each frame; s.reps ends as the repeat offsets after the batch.
    void Run()
    {
        const uint32_t n = m_s.batchEnd - m_s.batchStart;
        m_s.items.clear();
        m_s.frameItems.assign(1, 0);
        m_s.frameReps.clear();
        uint32_t k = 0;
        Candidate current = Search(0);
        while (k < n) {
            if (current.length != 0 && current.length < kNiceLength && k + 1 < n) {
                // One position later may start a better step; then this byte goes as a literal.
                const Candidate next = Search(k + 1);
                if (next.gain > current.gain) {
                    Emit(k, Item{0, At(k)[0]});
                    k += 1;
                    current = next;
                    continue;
                }
            }
            if (current.length == 0) {
                Emit(k, Item{0, At(k)[0]});
                k += 1;
            } else {
                Emit(k, Item{current.length, current.code});
                k += current.length;
            }
            current = Search(k);
        }
    }

private:
    const uint8_t* At(uint32_t k) const { return m_s.At(m_s.batchStart + k); }

    uint32_t Lookahead(uint32_t k) const { return std::min(kMaxMatch, m_s.batchEnd - m_s.batchStart - k); }

    void Emit(uint32_t k, const Item& item)
    {
        m_s.items.push_back(item);
        uint32_t* reps = m_s.reps;
        if (item.length != 0) {
            if (item.code < kNumRepeats) {
                std::swap(reps[0], reps[item.code]);
            } else {
                reps[2] = reps[1];
                reps[1] = reps[0];
                reps[0] = item.code - 2;
            }
        }
        const uint32_t end = k + (item.length ? item.length : 1);
        const uint32_t pos = m_s.batchStart + end;
        if (pos == FrameEnd(pos - 1, m_s.batchEnd)) {
            m_s.frameItems.push_back(static_cast<uint32_t>(m_s.items.size()));
            m_s.frameReps.push_back({reps[0], reps[1], reps[2]});
        }
    }

    // Files the positions up to k and returns the best step at k. Run asks for each position at
    // most once and in increasing order (a look-ahead's result becomes the next step), so every
    // position is filed once.
    Candidate Search(uint32_t k)
    {
        const uint32_t n = m_s.batchEnd - m_s.batchStart;
        if (k >= n)
            return Candidate{0, 0, 0};
        for (; m_filed < k; ++m_filed)
            m_s.finder.Insert(At(m_filed), m_s.batchStart + m_filed, Lookahead(m_filed));
        m_filed = k + 1;

        const uint32_t pos = m_s.batchStart + k;
        const uint8_t* at = At(k);
        const uint32_t maxLength = std::min(kMaxMatch, FrameEnd(pos, m_s.batchEnd) - pos);
        Match found[CMatchFinder::kMaxMatches];
        const uint32_t count = m_s.finder.Find(at, pos, Lookahead(k), kNiceLength, kSearchDepth, found);
        Candidate best{0, 0, 0};
        if (maxLength >= kMinMatch) {
            const int32_t literal = m_costs.literalCost;
            for (uint32_t r = 0; r < kNumRepeats; ++r) {
                const uint32_t offset = m_s.reps[r];
                if (offset > pos)
                    continue;
                const uint8_t* cand = at - offset;
                if (cand[0] != at[0] || cand[1] != at[1])
                    continue;
                const uint32_t len = 2 + CommonPrefix(cand + 2, at + 2, maxLength - 2);
                const int32_t gain = int32_t(len) * literal - int32_t(MatchCost(m_costs, r, len)) * kCostScale;
                if (gain > best.gain)
                    best = Candidate{len, r, gain};
            }
            for (uint32_t i = 0; i < count; ++i)
                Weigh(std::min(found[i].length, maxLength), found[i].offset, best);
            // The long repeat covering this position, if any: a repeat's later part is usually
            // taken as a repeat-offset match once its first part went out.
            const std::vector<LongRepeat>& repeats = m_s.repeats;
            while (m_repeat < repeats.size() && repeats[m_repeat].end <= pos)
                ++m_repeat;
            if (m_repeat < repeats.size() && repeats[m_repeat].start <= pos)
                Weigh(std::min(repeats[m_repeat].end - pos, maxLength), repeats[m_repeat].offset, best);
        }
        return best;
    }

    // Keeps a match of this length and offset in `best` when it saves more bits.
    void Weigh(uint32_t len, uint32_t offset, Candidate& best) const
    {
        if (len < kMinMatch)
            return;
        const uint32_t formatted = offset + 2;
        const uint32_t slot = SlotOf(formatted);
        const int32_t cost = int32_t(MatchCost(m_costs, slot, len) + FooterCost(m_costs, slot, formatted));
        const int32_t gain = int32_t(len) * m_costs.literalCost - cost * kCostScale;
        if (gain > best.gain)
            best = Candidate{len, formatted, gain};
    }

    EncoderState& m_s;
    const Costs& m_costs;
    uint32_t m_filed = 0;             // batch offsets below this are filed in the match finder
    size_t m_repeat = 0;              // first long repeat that may cover the position searched
};

// ---- Block output ----

void WriteStreamHeader(EncoderState& s)
{
    if (s.headerWritten)
        return;
    s.headerWritten = true;
    s.writer.Put(s.translate ? 1 : 0, 1);
    if (s.translate) {
        s.writer.Put(uint32_t(kE8TranslationSize) >> 16, 16);
        s.writer.Put(uint32_t(kE8TranslationSize) & 0xFFFF, 16);
    }
}

void WriteBlockHeader(EncoderState& s, BlockType type, uint32_t size)
{
    WriteStreamHeader(s);
    s.writer.Put(type, kBlockTypeBits);
    s.writer.Put(size >> 8, 16);
    s.writer.Put(size & 0xFF, 8);
}

void CloseFrame(EncoderState& s, uint32_t size)
{
    s.writer.Align();
    s.current.uncompressedSize = size;
    s.ready.push_back(std::move(s.current));
    s.current.data = std::vector<uint8_t>();
    s.current.data.reserve(kMaxFrameOutput);
}

// Writes the frame [pos, pos + size) as an uncompressed block of its own. The block carries the
// repeat offsets the decoder continues with: those the parse had after this frame.
void WriteUncompressedFrame(EncoderState& s, uint32_t pos, uint32_t size, const uint32_t* reps)
{
    WriteBlockHeader(s, kBlockUncompressed, size);
    // Decoders skip 1 to 16 bits to reach a word boundary here.
    if (s.writer.PendingBits() == 0)
        s.writer.Put(0, 16);
    s.writer.Align();
    std::vector<uint8_t>& out = s.current.data;
    for (uint32_t r = 0; r < kNumRepeats; ++r) {
        for (uint32_t b = 0; b < 4; ++b)
            out.push_back(static_cast<uint8_t>(reps[r] >> (8 * b)));
    }
    const uint8_t* data = s.At(pos);
    out.insert(out.end(), data, data + size);
    if (size & 1)
        out.push_back(0);
    CloseFrame(s, size);
}

// Writes a verbatim or aligned block of the given items covering [pos, end). Returns false when
// a frame came out larger than decoders accept (the caller then rewinds).
bool WriteCodedBlock(EncoderState& s, uint32_t pos, uint32_t end, const Item* first, const Item* last,
                     const Trees& trees, bool useAligned)
{
    WriteBlockHeader(s, useAligned ? kBlockAligned : kBlockVerbatim, end - pos);
    if (useAligned) {
        for (uint32_t i = 0; i < kNumAlignedSymbols; ++i)
            s.writer.Put(trees.aligned[i], 3);
    }
    WriteLengths(s.writer, trees.main, s.prevMain, kNumChars);
    WriteLengths(s.writer, trees.main + kNumChars, s.prevMain + kNumChars, kNumMainSymbols - kNumChars);
    WriteLengths(s.writer, trees.length, s.prevLength, kNumLengthSymbols);
    std::copy(trees.main, trees.main + kNumMainSymbols, s.prevMain);
    std::copy(trees.length, trees.length + kNumLengthSymbols, s.prevLength);

    uint16_t mainCodes[kNumMainSymbols], lengthCodes[kNumLengthSymbols], alignedCodes[kNumAlignedSymbols];
    BuildCodes(trees.main, kNumMainSymbols, mainCodes);
    BuildCodes(trees.length, kNumLengthSymbols, lengthCodes);
    BuildCodes(trees.aligned, kNumAlignedSymbols, alignedCodes);

    bool fits = true;
    uint32_t frameEnd = FrameEnd(pos, end);
    for (const Item* it = first; it != last; ++it) {
        const Item& item = *it;
        if (item.length == 0) {
            s.writer.Put(mainCodes[item.code], trees.main[item.code]);
            ++pos;
        } else {
            const uint32_t slot = SlotOfCode(item.code);
            const uint32_t header = LengthHeader(item.length);
            const uint32_t symbol = kNumChars + slot * 8 + header;
            s.writer.Put(mainCodes[symbol], trees.main[symbol]);
            if (header == kNumPrimaryLengths) {
                const uint32_t lengthSymbol = item.length - kMinMatch - kNumPrimaryLengths;
                s.writer.Put(lengthCodes[lengthSymbol], trees.length[lengthSymbol]);
            }
            if (item.code >= kNumRepeats) {
                const uint32_t bits = FooterBits(slot);
                const uint32_t footer = item.code - kSlotBases[slot];
                if (useAligned && bits >= 3) {
                    s.writer.Put(footer >> 3, bits - 3);
                    s.writer.Put(alignedCodes[footer & 7], trees.aligned[footer & 7]);
                } else {
                    s.writer.Put(footer, bits);
                }
            }
            pos += item.length;
        }
        if (pos == frameEnd) {
            const uint32_t size = frameEnd - (frameEnd - 1) / kFrameSize * kFrameSize;
            CloseFrame(s, size);
            fits = fits && s.ready.back().data.size() <= kMaxFrameOutput;
            frameEnd = FrameEnd(pos, end);
        }
    }
    return fits;
}

// Writes the block made of the batch's frames [firstFrame, lastFrame).
void CompressBlock(EncoderState& s, uint32_t firstFrame, uint32_t lastFrame, const Freqs& freqs)
{
    const uint32_t pos = s.batchStart + firstFrame * kFrameSize;
    const uint32_t end = std::min(s.batchStart + lastFrame * kFrameSize, s.batchEnd);

    Trees trees;
    BuildTrees(freqs, trees);
    const bool useAligned = AlignedPays(freqs, trees.aligned);
    const uint64_t codedBits = BlockBits(freqs, trees, useAligned, s.prevMain, s.prevLength);
    const uint64_t storedBits = 8 * (uint64_t(end - pos) + 16 * uint64_t(lastFrame - firstFrame));
    if (codedBits < storedBits) {
        // Rewind point: a block's trees can code one odd frame inside it badly enough to exceed
        // what a data block may hold; that block is then written as uncompressed frames.
        const size_t readyBefore = s.ready.size();
        const CBitWriter writerBefore = s.writer;
        const std::vector<uint8_t> frameBefore = s.current.data;
        uint8_t prevMain[kNumMainSymbols], prevLength[kNumLengthSymbols];
        std::copy(s.prevMain, s.prevMain + kNumMainSymbols, prevMain);
        std::copy(s.prevLength, s.prevLength + kNumLengthSymbols, prevLength);
        const bool headerWritten = s.headerWritten;

        const Item* first = s.items.data() + s.frameItems[firstFrame];
        const Item* last = s.items.data() + s.frameItems[lastFrame];
        if (WriteCodedBlock(s, pos, end, first, last, trees, useAligned)) {
            CostsFromTrees(trees, freqs, useAligned, s.model);
            return;
        }
        while (s.ready.size() > readyBefore)
            s.ready.pop_back();
        s.current.data = frameBefore;
        s.writer = writerBefore;
        std::copy(prevMain, prevMain + kNumMainSymbols, s.prevMain);
        std::copy(prevLength, prevLength + kNumLengthSymbols, s.prevLength);
        s.headerWritten = headerWritten;
    }
    for (uint32_t f = firstFrame; f < lastFrame; ++f) {
        const uint32_t framePos = s.batchStart + f * kFrameSize;
        WriteUncompressedFrame(s, framePos, FrameEnd(framePos, s.batchEnd) - framePos, s.frameReps[f].data());
    }
}

// ---- Batches ----

void CompressBatch(EncoderState& s, uint32_t end)
{
    s.batchStart = s.done;
    s.batchEnd = end;
    const uint32_t length = end - s.batchStart;

    for (uint32_t pos = s.batchStart; pos < end; pos += kFrameSize) {
        if (s.translate && pos / kFrameSize < kE8MaxFrames)
            TranslateCalls(s.buffer.data() + (pos - s.base), FrameEnd(pos, end) - pos, pos);
    }

    s.repeats.clear();
    s.longFinder.Scan(s.At(s.batchStart), s.batchStart, end, s.base, s.repeats);
    CLazyParser(s, s.model).Run();

    const uint32_t frames = (length + kFrameSize - 1) / kFrameSize;
    std::vector<Freqs> frameFreqs(frames);
    for (uint32_t f = 0; f < frames; ++f) {
        frameFreqs[f].Clear();
        CountItems(s.items.data() + s.frameItems[f], s.frameItems[f + 1] - s.frameItems[f], frameFreqs[f]);
    }
    for (const Block& block : SplitBlocks(s, frameFreqs, length)) {
        Freqs freqs;
        freqs.Clear();
        for (uint32_t f = block.start / kFrameSize; f * kFrameSize < block.end; ++f)
            freqs.Add(frameFreqs[f]);
        CompressBlock(s, block.start / kFrameSize, (block.end + kFrameSize - 1) / kFrameSize, freqs);
    }
    s.done = end;
}

void ResetState(EncoderState& s)
{
    s.base = 0;
    s.fill = 0;
    s.done = 0;
    s.headerWritten = false;
    s.reps[0] = s.reps[1] = s.reps[2] = 1;
    std::fill(std::begin(s.prevMain), std::end(s.prevMain), uint8_t(0));
    std::fill(std::begin(s.prevLength), std::end(s.prevLength), uint8_t(0));
    DefaultCosts(s.model);
    s.finder.Reset();
    s.longFinder.Reset();
    s.writer = CBitWriter(s.current.data);
    s.current.data.clear();
}

// Drops history older than one window so that the buffer has room again.
void Slide(EncoderState& s)
{
    const uint32_t keepFrom = std::max(s.base, s.done > kWindowSize ? s.done - kWindowSize : 0);
    const uint32_t shift = keepFrom - s.base;
    std::memmove(s.buffer.data(), s.buffer.data() + shift, s.fill - shift);
    s.base += shift;
    s.fill -= shift;
}

} // namespace

// ---- Entry points ----

CLzxEncoder::CLzxEncoder(bool translateCalls) : m_state(std::make_unique<EncoderState>())
{
    m_state->translate = translateCalls;
    // The match finder reads a few bytes past the last position it files.
    m_state->buffer.resize(kBufferBytes + 8);
    m_state->current.data.reserve(kMaxFrameOutput);
    ResetState(*m_state);
}

CLzxEncoder::~CLzxEncoder() = default;

void CLzxEncoder::Write(const uint8_t* data, size_t size)
{
    EncoderState& s = *m_state;
    while (size > 0) {
        if (s.fill == kBufferBytes)
            Slide(s);
        const uint32_t take = static_cast<uint32_t>(std::min<size_t>(size, kBufferBytes - s.fill));
        std::memcpy(s.buffer.data() + s.fill, data, take);
        s.fill += take;
        data += take;
        size -= take;
        while (s.base + s.fill - s.done >= kBatchBytes)
            CompressBatch(s, s.done + kBatchBytes);
    }
}

void CLzxEncoder::Finish()
{
    EncoderState& s = *m_state;
    if (s.base + s.fill > s.done)
        CompressBatch(s, s.base + s.fill);
    ResetState(s);
}

bool CLzxEncoder::TakeFrame(Frame& frame)
{
    EncoderState& s = *m_state;
    if (s.ready.empty())
        return false;
    frame = std::move(s.ready.front());
    s.ready.pop_front();
    return true;
}

} // namespace Cabinet::Lzx
