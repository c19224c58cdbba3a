// Round trips: cabinets made by the writer are read back by three decoders that share no code
// with our encoder, Wine's cabinet.dll (FDI), cabextract and 7-Zip, and every file must come back
// byte for byte. The cases aim at the encoder's edges: frame boundaries, the window's reach,
// incompressible data (uncompressed blocks), x86 call translation, long runs and block changes,
// repeats far back in the window, and many tiny files. Rows about repeats also bound the
// cabinet's size: a repeat the encoder missed decodes fine but costs its whole length again.

#include "engine/cabinet/Compress.h"
#include "engine/cabinet/LzxFormat.h"
#include "tests/engine/cabinet/CabinetCheck.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

using namespace testsupport;
using cabinettest::Layout;

namespace {

struct Source {
    std::wstring name;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

// English-like text: words from a small vocabulary, so it has matches of every length.
std::vector<uint8_t> Text(size_t size, uint32_t seed)
{
    static const char* words[] = {"the", "cabinet", "window", "frame", "install", "package", "of", "and",
                                  "Windows", "Installer", "folder", "compression", "a", "to", "in", "files",
                                  "registry", "value", "\r\n", ", ", ". ", "setup"};
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes;
    while (bytes.size() < size) {
        const char* word = words[random() % std::size(words)];
        bytes.insert(bytes.end(), word, word + std::strlen(word));
        bytes.push_back(' ');
    }
    bytes.resize(size);
    return bytes;
}

// Code-like bytes with many E8 calls, some right at frame ends where translation must stop.
std::vector<uint8_t> CallHeavy(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes = Text(size, seed);
    for (size_t i = 0; i + 5 < size; i += 3 + random() % 40) {
        bytes[i] = 0xE8;
        const int32_t target = static_cast<int32_t>(random() % 4000000) - 2000000;
        std::memcpy(&bytes[i + 1], &target, 4);
    }
    for (size_t end = Cabinet::Lzx::kFrameSize; end < size; end += Cabinet::Lzx::kFrameSize) {
        for (size_t back = 1; back <= 12 && back <= end; back += 3)
            bytes[end - back] = 0xE8;
    }
    return bytes;
}

// A random stretch repeated just inside the window's reach, and once more just beyond it.
std::vector<uint8_t> FarRepeats()
{
    const size_t chunk = 4096;
    std::vector<uint8_t> bytes = RandomBytes(chunk, 7);
    std::vector<uint8_t> filler = Text(Cabinet::Lzx::kMaxOffset - chunk, 8);
    bytes.insert(bytes.end(), filler.begin(), filler.end());
    bytes.insert(bytes.end(), bytes.begin(), bytes.begin() + chunk);   // at offset kMaxOffset
    std::vector<uint8_t> beyond = RandomBytes(chunk, 9);
    bytes.insert(bytes.end(), beyond.begin(), beyond.end());
    bytes.insert(bytes.end(), filler.begin(), filler.begin() + 10);
    bytes.insert(bytes.end(), beyond.begin(), beyond.end());
    return bytes;
}

// Random bytes that repeat with the given period.
std::vector<uint8_t> Periodic(size_t size, size_t period, uint32_t seed)
{
    const std::vector<uint8_t> once = RandomBytes(period, seed);
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = once[i % period];
    return bytes;
}

// A random 64 KiB block, random bytes, and the block again `distance` bytes after its first copy.
std::vector<uint8_t> BlockAgainAt(size_t distance)
{
    const size_t block = 64 * 1024;
    std::vector<uint8_t> bytes = RandomBytes(block, 60);
    const std::vector<uint8_t> filler = RandomBytes(distance - block, 61);
    bytes.insert(bytes.end(), filler.begin(), filler.end());
    bytes.insert(bytes.end(), bytes.begin(), bytes.begin() + block);
    return bytes;
}

std::vector<uint8_t> Runs(size_t size)
{
    std::vector<uint8_t> bytes(size, 0);
    for (size_t i = size / 3; i < size / 2; ++i)
        bytes[i] = static_cast<uint8_t>(i % 3 == 0 ? 0xAA : 0x55);
    return bytes;
}

struct RoundTripCase {
    const char* title;
    std::function<std::vector<Source>()> make;
    double maxSizeRatio = 0;   // when not 0: the cabinet's size over the input's, at most
};

void PrintTo(const RoundTripCase& row, std::ostream* out)
{
    *out << row.title;
}

std::vector<Source> One(std::vector<uint8_t> bytes)
{
    return {Source{L"file.bin", std::move(bytes)}};
}

const RoundTripCase kCases[] = {
    {"empty file", [] { return One({}); }},
    {"one byte", [] { return One({0x42}); }},
    {"frame minus one", [] { return One(Text(32767, 1)); }},
    {"one frame", [] { return One(Text(32768, 2)); }},
    {"frame plus one", [] { return One(Text(32769, 3)); }},
    {"3 MiB random", [] { return One(RandomBytes(3u << 20, 4)); }},
    {"3 MiB text", [] { return One(Text(3u << 20, 5)); }},
    {"x86 calls", [] { return One(CallHeavy(600000, 6)); }},
    {"window reach", [] { return One(FarRepeats()); }},
    {"long runs", [] { return One(Runs(1500000)); }},
    {"200 small files",
     [] {
         std::vector<Source> files;
         for (int i = 0; i < 200; ++i)
             files.push_back(Source{L"small" + std::to_wstring(i) + L".txt", Text(static_cast<size_t>(i * 37 % 3000), 100 + i)});
         return files;
     }},
    {"empty files between others",
     [] {
         return std::vector<Source>{{L"a", Text(50000, 11)}, {L"b", {}}, {L"c", RandomBytes(40000, 12)}, {L"d", {}}};
     }},
    {"text and noise alternate",
     [] {
         std::vector<Source> files;
         for (int i = 0; i < 6; ++i)
             files.push_back(Source{L"part" + std::to_wstring(i), i % 2 ? RandomBytes(70000, 20 + i) : Text(90000, 30 + i)});
         return files;
     }},
    {"names outside ASCII",
     [] {
         return std::vector<Source>{{L"caf\u00e9.txt", Text(1000, 40)}, {L"\u65e5\u672c.dat", Text(2000, 41)},
                                    {L"it's [odd] & 100%", Text(10, 42)}};
     }},
    // The same library in two folders: the second copy costs next to nothing.
    {"two identical 1 MiB random files",
     [] {
         const std::vector<uint8_t> bytes = RandomBytes(1u << 20, 70);
         return std::vector<Source>{{L"first.dll", bytes}, {L"second.dll", bytes}};
     },
     0.52},
    {"random data with a 1 MiB period", [] { return One(Periodic(3u << 20, 1u << 20, 71)); }, 0.35},
    // The largest offset the encoder uses is the window size - 4; 7-Zip misreads one more.
    {"64 KiB block again at 2^21 - 5", [] { return One(BlockAgainAt((1u << 21) - 5)); }, 0.98},
    {"64 KiB block again at 2^21 - 4", [] { return One(BlockAgainAt((1u << 21) - 4)); }, 0.98},
    {"64 KiB block again at 2^21 - 3", [] { return One(BlockAgainAt((1u << 21) - 3)); }},
    {"64 KiB block again at 2^21 - 2", [] { return One(BlockAgainAt((1u << 21) - 2)); }},
    {"3000 tiny files",
     [] {
         std::vector<Source> files;
         for (int i = 0; i < 3000; ++i)
             files.push_back(Source{L"tiny" + std::to_wstring(i) + L".txt", Text(static_cast<size_t>(i * 7 % 120), 300 + i)});
         return files;
     }},
};

class CabinetRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

// Every extracted file must equal its source.
void ExpectSameFiles(const ScratchFolder& scratch, const wchar_t* folder, const std::vector<Source>& files, const char* decoder)
{
    for (const Source& file : files) {
        std::vector<uint8_t> back;
        const CString path = scratch / folder + L"\\" + file.name.c_str();
        ASSERT_TRUE(ReadAllBytes(path, back)) << decoder << " did not produce " << Utf8(file.name);
        ASSERT_EQ(file.bytes.size(), back.size()) << decoder << ": size of " << Utf8(file.name);
        const auto mismatch = std::mismatch(file.bytes.begin(), file.bytes.end(), back.begin());
        ASSERT_TRUE(mismatch.first == file.bytes.end())
            << decoder << ": contents of " << Utf8(file.name) << " differ from byte "
            << (mismatch.first - file.bytes.begin());
    }
}

// The cabinet's structure: one LZX folder, the files in order, blocks of 32768 bytes except the
// last, compressed blocks no larger than decoders take, checksums right.
void ExpectWellFormed(const Layout& layout, const std::vector<Source>& files)
{
    ASSERT_TRUE(layout.valid) << layout.problem;
    EXPECT_EQ(1, layout.versionMajor);
    EXPECT_EQ(3, layout.versionMinor);
    ASSERT_EQ(1u, layout.folderTypes.size());
    EXPECT_EQ(0x1503, layout.folderTypes[0]);
    ASSERT_EQ(files.size(), layout.files.size());
    uint64_t total = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(Utf8(files[i].name), layout.files[i].name) << "file " << i;
        EXPECT_EQ(files[i].bytes.size(), layout.files[i].size) << "file " << i;
        EXPECT_EQ(total, layout.files[i].offset) << "file " << i;
        const bool ascii = Utf8(files[i].name).size() == files[i].name.size();
        EXPECT_EQ(ascii ? 0 : 0x80, layout.files[i].attributes & 0x80) << "UTF-8 flag of file " << i;
        total += files[i].bytes.size();
    }
    uint64_t unpacked = 0;
    for (size_t i = 0; i < layout.blocks.size(); ++i) {
        const cabinettest::DataBlock& block = layout.blocks[i];
        EXPECT_TRUE(block.checksumMatches) << "block " << i;
        EXPECT_LE(block.compressedSize, Cabinet::Lzx::kMaxFrameOutput) << "block " << i;
        if (i + 1 < layout.blocks.size()) {
            EXPECT_EQ(32768, block.uncompressedSize) << "block " << i;
        }
        unpacked += block.uncompressedSize;
    }
    EXPECT_EQ(total, unpacked);
}

// Writes the sources into the scratch folder's "in" folder.
void WriteSources(const ScratchFolder& scratch, const std::vector<Source>& files)
{
    ASSERT_TRUE(CreateDirectoryW(scratch / L"in", nullptr));
    for (const Source& file : files) {
        ASSERT_TRUE(WriteAllBytes(scratch / L"in" + L"\\" + file.name.c_str(), file.bytes));
    }
}

// FDI, and under Wine cabextract and 7-Zip (both installed by scripts/setup), extract the cabinet
// into folders of their own; every file must come back from each.
void ExpectDecodersGiveBack(const ScratchFolder& scratch, const CString& cabinet, const std::vector<Source>& files)
{
    ASSERT_TRUE(CreateDirectoryW(scratch / L"fdi", nullptr));
    ASSERT_EQ("", cabinettest::ExtractWithFdi(cabinet, scratch / L"fdi"));
    ExpectSameFiles(scratch, L"fdi", files, "FDI");
    if (!cabinettest::HaveUnixPrograms())
        return;

    ASSERT_TRUE(CreateDirectoryW(scratch / L"cabextract", nullptr));
    ASSERT_EQ(0, cabinettest::ExtractWithCabextract(cabinet, scratch / L"cabextract")) << "cabextract (scripts/setup installs it)";
    ExpectSameFiles(scratch, L"cabextract", files, "cabextract");

    ASSERT_TRUE(CreateDirectoryW(scratch / L"7zip", nullptr));
    ASSERT_EQ(0, cabinettest::ExtractWith7Zip(cabinet, scratch / L"7zip")) << "7-Zip's 7zz (scripts/setup installs it)";
    ExpectSameFiles(scratch, L"7zip", files, "7-Zip");
}

// Packs the files, checks the cabinet's layout and, when asked, its size over the input's, then
// extracts it with every decoder.
void RoundTrip(const std::vector<Source>& files, double maxSizeRatio = 0)
{
    ScratchFolder scratch;
    ASSERT_NO_FATAL_FAILURE(WriteSources(scratch, files));

    const CString cabinet = scratch / L"out.cab";
    {
        Cabinet::CCompress writer;
        ASSERT_TRUE(writer.CreateCabinet(cabinet)) << CString(writer.GetErrorText()).GetString();
        for (const Source& file : files) {
            ASSERT_TRUE(writer.AddFile(scratch / L"in" + L"\\" + file.name.c_str(), file.name.c_str()))
                << Utf8(writer.GetErrorText());
        }
        ASSERT_TRUE(writer.FlushAndClose()) << Utf8(writer.GetErrorText());
        EXPECT_STREQ(L"Success", writer.GetErrorText());
    }
    const Layout layout = cabinettest::ReadLayout(cabinet);
    ExpectWellFormed(layout, files);
    if (maxSizeRatio != 0) {
        uint64_t input = 0;
        for (const Source& file : files)
            input += file.bytes.size();
        EXPECT_LE(layout.cabinetSize, maxSizeRatio * double(input))
            << "the cabinet holds " << layout.cabinetSize << " bytes for " << input << " bytes of input";
    }
    ExpectDecodersGiveBack(scratch, cabinet, files);
}

} // namespace

// cabextract and 7-Zip run only under Wine; elsewhere FDI checks alone.
TEST_P(CabinetRoundTrip, EveryDecoderGivesBackEveryFile)
{
    RoundTrip(GetParam().make(), GetParam().maxSizeRatio);
}

INSTANTIATE_TEST_SUITE_P(Cases, CabinetRoundTrip, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RoundTripCase>& info) {
                             std::string name;
                             for (const char* p = info.param.title; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// Random inputs of random sizes, as a fuzzer would make them: noise, text and runs mixed, in
// pieces that start and end anywhere relative to frames.
TEST(CabinetFuzz, RandomMixturesRoundTrip)
{
    std::mt19937 random(2024);
    for (int round = 0; round < 6; ++round) {
        std::vector<Source> files;
        const int count = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < count; ++f) {
            std::vector<uint8_t> bytes;
            const int pieces = 1 + static_cast<int>(random() % 6);
            for (int p = 0; p < pieces; ++p) {
                const size_t size = random() % 90000;
                std::vector<uint8_t> piece;
                switch (random() % 4) {
                case 0: piece = RandomBytes(size, random()); break;
                case 1: piece = Text(size, random()); break;
                case 2: piece = CallHeavy(size, random()); break;
                default: piece.assign(size, static_cast<uint8_t>(random())); break;
                }
                bytes.insert(bytes.end(), piece.begin(), piece.end());
            }
            files.push_back(Source{L"f" + std::to_wstring(f), std::move(bytes)});
        }
        SCOPED_TRACE("round " + std::to_string(round));
        RoundTrip(files);
        if (HasFatalFailure())
            return;
    }
}

// A folder ended in the middle of a cabinet restarts the encoder: window, repeat offsets, trees
// and x86 translation begin again for the next folder.
TEST(CabinetFolders, SecondFolderStartsAfresh)
{
    class FolderSplitter : public Cabinet::CCompress {
    public:
        BOOL EndFolder() { return m_fciFlushFolder(m_context, nullptr, nullptr); }
    };
    const std::vector<Source> files = {{L"one", CallHeavy(100000, 51)}, {L"two", CallHeavy(100000, 51)},
                                       {L"three", Text(70000, 52)}};
    ScratchFolder scratch;
    ASSERT_NO_FATAL_FAILURE(WriteSources(scratch, files));
    const CString cabinet = scratch / L"folders.cab";
    {
        FolderSplitter writer;
        ASSERT_TRUE(writer.CreateCabinet(cabinet));
        ASSERT_TRUE(writer.AddFile(scratch / L"in\\one", L"one"));
        ASSERT_TRUE(writer.EndFolder());
        ASSERT_TRUE(writer.AddFile(scratch / L"in\\two", L"two"));
        ASSERT_TRUE(writer.AddFile(scratch / L"in\\three", L"three"));
        ASSERT_TRUE(writer.FlushAndClose()) << Utf8(writer.GetErrorText());
    }
    const Layout layout = cabinettest::ReadLayout(cabinet);
    ASSERT_TRUE(layout.valid) << layout.problem;
    ASSERT_EQ(2u, layout.folderTypes.size());
    ASSERT_EQ(3u, layout.files.size());
    EXPECT_EQ(0, layout.files[0].folder);
    EXPECT_EQ(1, layout.files[1].folder);
    EXPECT_EQ(0u, layout.files[1].offset) << "the second folder's offsets start again";
    EXPECT_EQ(100000u, layout.files[2].offset);
    ExpectDecodersGiveBack(scratch, cabinet, files);
}

// The benchmark's corpus: 101 of Wine's own DLLs, the kind of data the writer mostly packs.
TEST(CabinetCorpus, WineLibrariesRoundTrip)
{
    const wchar_t* folder = L"Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows";
    if (!FileExists(folder))
        GTEST_SKIP() << "needs Debian's Wine library folder, seen through Wine's Z: drive";
    std::vector<std::pair<uint64_t, std::wstring>> found;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((std::wstring(folder) + L"\\*").c_str(), &data));
    ASSERT_TRUE(find.IsValid());
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            found.emplace_back((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
    std::vector<Source> files;
    for (size_t i = 299; i < found.size() && i < 400; ++i) {
        Source source{found[i].second, {}};
        ASSERT_TRUE(ReadAllBytes((std::wstring(folder) + L"\\" + found[i].second).c_str(), source.bytes));
        files.push_back(std::move(source));
    }
    RoundTrip(files);
}
