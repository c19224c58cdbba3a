// The long-repeat finder on its own: which repeats it reports, exactly where, at which offset,
// and which it must not (too short, or further back than the encoder may reach).

#include "engine/cabinet/LzxFormat.h"
#include "engine/cabinet/LzxLongMatchFinder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

using Cabinet::Lzx::CLongMatchFinder;
using Cabinet::Lzx::LongRepeat;

namespace {

// Scans like the encoder, in pieces of 256 KiB; repeats that one piece's end cut in two are
// joined again.
std::vector<LongRepeat> ScanAll(const std::vector<uint8_t>& bytes)
{
    CLongMatchFinder finder;
    std::vector<LongRepeat> found;
    const uint32_t piece = 256 * 1024;
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    for (uint32_t from = 0; from < size; from += piece) {
        std::vector<LongRepeat> repeats;
        finder.Scan(bytes.data() + from, from, std::min(from + piece, size), 0, repeats);
        for (const LongRepeat& r : repeats) {
            if (!found.empty() && found.back().end == r.start && found.back().offset == r.offset)
                found.back().end = r.end;
            else
                found.push_back(r);
        }
    }
    return found;
}

struct LongCase {
    const char* title;
    uint32_t start;      // of the second copy
    uint32_t length;
    uint32_t offset;
    bool found;
};

const LongCase kLongCases[] = {
    {"shortest always seen", 1500000, 2 * CLongMatchFinder::kBlockBytes - 1, 4096, true},
    {"shorter than a block", 1500000, CLongMatchFinder::kBlockBytes - 1, 4096, false},
    {"1 MiB back", 1500000, 5000, 1u << 20, true},
    {"at the largest offset", Cabinet::Lzx::kMaxOffset + 5000, 5000, Cabinet::Lzx::kMaxOffset, true},
    {"one past the largest offset", Cabinet::Lzx::kMaxOffset + 5000, 5000, Cabinet::Lzx::kMaxOffset + 1, false},
    {"across the end of a scan", 3 * 256 * 1024 - 1000, 3000, 700000, true},
    {"overlapping its source", 200000, 100000, 1000, true},
};

class LongMatchFinder : public ::testing::TestWithParam<LongCase> {};

} // namespace

TEST_P(LongMatchFinder, ReportsExactlyTheRepeat)
{
    const LongCase& row = GetParam();
    std::mt19937 random(16);
    std::vector<uint8_t> bytes(row.start + row.length + 5000);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    for (uint32_t i = 0; i < row.length; ++i)
        bytes[row.start + i] = bytes[row.start - row.offset + i];

    const std::vector<LongRepeat> found = ScanAll(bytes);
    if (!row.found) {
        EXPECT_TRUE(found.empty()) << "first reported: " << found[0].start << " to " << found[0].end << " at offset "
                                   << found[0].offset;
        return;
    }
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(row.start, found[0].start);
    EXPECT_EQ(row.start + row.length, found[0].end);
    EXPECT_EQ(row.offset, found[0].offset);
}

INSTANTIATE_TEST_SUITE_P(Cases, LongMatchFinder, ::testing::ValuesIn(kLongCases),
                         [](const ::testing::TestParamInfo<LongCase>& info) {
                             std::string name;
                             for (const char* p = info.param.title; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });
