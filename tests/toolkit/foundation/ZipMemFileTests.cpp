// "ZIP!" blocks of compressed memory files: what is compressed, what is left raw, and damaged
// blocks.

#include "tests/support/TestSupport.h"
#include "toolkit/foundation/XTPZipMemFile.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::vector<BYTE> Detach(CXTPZipMemFile& file)
{
    BYTE* bytes = nullptr;
    DWORD size = 0;
    file.DetachCompressed(bytes, size);
    std::vector<BYTE> out(bytes, bytes + size);
    std::free(bytes);
    return out;
}

std::vector<BYTE> Contents(const CXTPZipMemFile& file)
{
    return file.Data();
}

std::vector<BYTE> Block(DWORD statedSize, const std::vector<BYTE>& raw)
{
    std::vector<BYTE> stream(compressBound(static_cast<uLong>(raw.size())));
    uLongf streamSize = static_cast<uLongf>(stream.size());
    compress(stream.data(), &streamSize, raw.data(), static_cast<uLong>(raw.size()));
    stream.resize(streamSize);
    std::vector<BYTE> block = {'Z', 'I', 'P', '!'};
    for (int i = 0; i < 4; ++i)
        block.push_back(static_cast<BYTE>(statedSize >> (8 * i)));
    block.insert(block.end(), stream.begin(), stream.end());
    return block;
}

TEST(ZipMemFile, SmallOrIncompressibleContentsStayRaw)
{
    for (const size_t size : {0u, 1u, 19u}) {
        CXTPZipMemFile file;
        const std::vector<BYTE> raw(size, 'a');
        if (size)
            file.Write(raw.data(), static_cast<UINT>(size));
        EXPECT_EQ(raw, Detach(file)) << size << " bytes";
        EXPECT_EQ(0u, file.GetLength()) << "detaching empties the file";
    }

    std::vector<BYTE> noise(64);
    UINT seed = 12345;
    for (BYTE& b : noise) {
        seed = seed * 1103515245 + 12345;
        b = static_cast<BYTE>(seed >> 16);
    }
    CXTPZipMemFile file;
    file.Write(noise.data(), static_cast<UINT>(noise.size()));
    EXPECT_EQ(noise, Detach(file)) << "a stream that would not be shorter is not used";
}

TEST(ZipMemFile, CompressedContentsRoundTripThroughABlock)
{
    std::vector<BYTE> raw;
    for (int i = 0; i < 5000; ++i)
        raw.push_back(static_cast<BYTE>("CommandBars"[i % 11]));
    CXTPZipMemFile writer;
    writer.Write(raw.data(), static_cast<UINT>(raw.size()));
    const std::vector<BYTE> block = Detach(writer);
    ASSERT_GT(block.size(), 8u);
    EXPECT_LT(block.size(), raw.size());
    EXPECT_EQ(0, std::memcmp(block.data(), "ZIP!", 4));
    DWORD stated = 0;
    std::memcpy(&stated, block.data() + 4, 4);
    EXPECT_EQ(raw.size(), stated);

    CXTPZipMemFile reader(block.data(), static_cast<UINT>(block.size()));
    EXPECT_EQ(raw, Contents(reader));

    testsupport::ScratchFolder folder;
    const CString path = folder / L"state.bin";
    ASSERT_TRUE(testsupport::WriteAllBytes(path, std::vector<uint8_t>(block.begin(), block.end())));
    CXTPZipMemFile fromFile;
    ASSERT_TRUE(fromFile.LoadFromFile(path));
    EXPECT_EQ(raw, Contents(fromFile));
    EXPECT_FALSE(fromFile.LoadFromFile(folder / L"missing.bin"));
}

TEST(ZipMemFile, DamagedBlocksGiveAnEmptyFile)
{
    std::vector<BYTE> raw(3000, 'x');
    const std::vector<BYTE> good = Block(3000, raw);
    std::vector<BYTE> truncated(good.begin(), good.end() - 6);
    std::vector<BYTE> corrupt = good;
    corrupt[10] ^= 0xFF;
    struct DamageCase {
        const char* name;
        std::vector<BYTE> block;
    };
    const DamageCase cases[] = {
        {"stated size larger than the stream", Block(3001, raw)},
        {"stated size smaller than the stream", Block(2999, raw)},
        {"stated size beyond any deflate ratio", Block(0x7FFFFFFF, raw)},
        {"truncated stream", truncated},
        {"corrupt stream", corrupt},
    };
    for (const DamageCase& c : cases) {
        CXTPZipMemFile file(c.block.data(), static_cast<UINT>(c.block.size()));
        EXPECT_EQ(0u, file.GetLength()) << c.name;
    }
}

TEST(ZipMemFile, OnlyBlocksLongerThanElevenBytesAreInflated)
{
    const BYTE eleven[] = {'Z', 'I', 'P', '!', 3, 0, 0, 0, 1, 2, 3};
    CXTPZipMemFile file(eleven, sizeof(eleven));
    EXPECT_EQ(std::vector<BYTE>(eleven, eleven + sizeof(eleven)), Contents(file));

    BYTE* owned = static_cast<BYTE*>(std::malloc(4));
    std::memcpy(owned, "data", 4);
    CXTPZipMemFile plain;
    plain.AttachCompressed(owned, 4, TRUE); // freed by the file
    EXPECT_EQ(std::vector<BYTE>({'d', 'a', 't', 'a'}), Contents(plain));
}

} // namespace
