#include "engine/storage/Aes.h"
#include "engine/storage/FileEx.h"

#include "framework/Archive.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::ScratchFolder;

// A memory file that keeps every piece the archive hands it.
class PieceFile : public CMemFile {
public:
    void Write(const void* buffer, UINT count) override
    {
        const BYTE* bytes = static_cast<const BYTE*>(buffer);
        pieces.emplace_back(bytes, bytes + count);
        CMemFile::Write(buffer, count);
    }
    std::vector<Bytes> pieces;
};

// A CFileEx opened one way, with its cipher context.
struct CipherFile {
    AesContext context;
    CFileEx file;
    CipherFile(const CString& path, AesDirection direction)
    {
        EXPECT_EQ(0, AesInitContext(&context, direction));
        if (direction == kAesEncipher) {
            file.m_writeFilter = EncryptWriteBuffer;
            file.m_writeContext = &context;
            EXPECT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
        } else {
            file.m_readFilter = DecryptReadBuffer;
            file.m_readContext = &context;
            EXPECT_TRUE(file.Open(path, CFile::modeRead | CFile::shareDenyWrite));
        }
    }
};

struct WritingFile : CipherFile {
    explicit WritingFile(const CString& path) : CipherFile(path, kAesEncipher) {}
};

struct ReadingFile : CipherFile {
    explicit ReadingFile(const CString& path) : CipherFile(path, kAesDecipher) {}
};

Bytes Pattern(size_t length, int seed = 0)
{
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 31 + seed + (i >> 8));
    return bytes;
}

CString LongText(int length)
{
    CString text;
    wchar_t* units = text.GetBufferSetLength(length);
    for (int i = 0; i < length; ++i)
        units[i] = static_cast<wchar_t>(0x41 + i % 50 + (i % 3 == 0 ? 0x3A0 : 0));
    return text;
}

// The items of a small stream: integers and texts that make the archive cut pieces both ways.
template <class Sink>
void StoreItems(Sink& ar, const CString& text)
{
    for (int i = 0; i < 1500; ++i)
        ar << i;
    ar << text;
    for (int i = 0; i < 700; ++i)
        ar << -i;
}

Bytes UnitsOf(const std::vector<Bytes>& pieces)
{
    AesContext context;
    EXPECT_EQ(0, AesInitContext(&context, kAesEncipher));
    Bytes out;
    for (const Bytes& piece : pieces) {
        BYTE unit[kFileExWorkBytes];
        const int n = AesEncryptPadded(&context, piece.data(), static_cast<int>(piece.size()), unit);
        out.insert(out.end(), unit, unit + n);
    }
    return out;
}

TEST(FileEx, ArchiveWritesOneUnitPerPieceAndReadsBack)
{
    ScratchFolder scratch;
    const CString path = scratch / L"stream.bin";
    const CString text = LongText(3000);

    PieceFile pieces;
    {
        CArchive ar(&pieces, CArchive::store, 4095);
        StoreItems(ar, text);
        ar.Close();
    }
    {
        WritingFile out(path);
        CArchive ar(&out.file, CArchive::store, 4095);
        StoreItems(ar, text);
        ar.Close();
        out.file.Close();
    }
    Bytes disk;
    ASSERT_TRUE(testsupport::ReadAllBytes(path, disk));
    ASSERT_GE(pieces.pieces.size(), 3u);
    EXPECT_EQ(4092u, pieces.pieces[0].size()) << "an int that does not fit flushes first";
    EXPECT_EQ(UnitsOf(pieces.pieces), disk);
    for (size_t i = 0; i + 1 < pieces.pieces.size(); ++i)
        EXPECT_EQ(4096u, UnitsOf({pieces.pieces[i]}).size()) << "unit " << i;

    ReadingFile in(path);
    CArchive ar(&in.file, CArchive::load, 4096);
    for (int i = 0; i < 1500; ++i) {
        int value = 0;
        ar >> value;
        ASSERT_EQ(i, value);
    }
    CString back;
    ar >> back;
    EXPECT_TRUE(back == text);
    for (int i = 0; i < 700; ++i) {
        int value = 0;
        ar >> value;
        ASSERT_EQ(-i, value);
    }
    int extra = 0;
    EXPECT_THROW(ar >> extra, CArchiveException);
}

TEST(FileEx, LongTextsRoundTripThroughArchives)
{
    ScratchFolder scratch;
    for (int length : {2047, 2048, 4096, 10000, 70000}) {
        const CString path = scratch / L"text.bin";
        const CString text = LongText(length);
        {
            WritingFile out(path);
            CArchive ar(&out.file, CArchive::store, 4095);
            ar << 7 << text << 8;
            ar.Close();
            out.file.Close();
        }
        ReadingFile in(path);
        CArchive ar(&in.file, CArchive::load, 4096);
        int before = 0, after = 0;
        CString back;
        ar >> before >> back >> after;
        EXPECT_EQ(7, before) << length;
        EXPECT_TRUE(back == text) << length << " characters came back as " << back.GetLength();
        EXPECT_EQ(8, after) << length;
    }
}

TEST(FileEx, AnyRequestSizeIsServed)
{
    struct Case { const char* name; std::vector<UINT> writes; std::vector<UINT> reads; };
    // Writes follow the format's rule that only the last piece may be short (the archive's pieces
    // are 4092 bytes or more); a long write is cut into pieces by the file itself.
    const Case cases[] = {
        {"one large write, one-byte reads", {5000}, std::vector<UINT>(5000, 1)},
        {"large write, odd reads", {10000}, {3, 4093, 5000, 904}},
        {"full pieces, one large read", {4095, 4095, 20000}, {28190}},
        {"shortest full unit, unit reads", {4080, 4095, 7}, {4096, 4096, 4096}},
    };
    ScratchFolder scratch;
    for (const Case& c : cases) {
        const CString path = scratch / L"requests.bin";
        Bytes all;
        {
            WritingFile out(path);
            int seed = 0;
            for (UINT size : c.writes) {
                const Bytes chunk = Pattern(size, ++seed);
                out.file.Write(chunk.data(), size);
                all.insert(all.end(), chunk.begin(), chunk.end());
            }
            out.file.Close();
        }
        ReadingFile in(path);
        Bytes back;
        for (UINT size : c.reads) {
            Bytes chunk(size + 64, 0xEE);
            const UINT got = in.file.Read(chunk.data(), size);
            back.insert(back.end(), chunk.begin(), chunk.begin() + got);
            EXPECT_EQ(0xEE, chunk[size]) << c.name << ": read past the request";
        }
        BYTE tail[8];
        EXPECT_EQ(0u, in.file.Read(tail, sizeof(tail))) << c.name;
        EXPECT_EQ(all, back) << c.name;
    }
}

TEST(FileEx, EqualFirstPiecesGiveEqualFirstUnits)
{
    ScratchFolder scratch;
    const Bytes first = Pattern(4095);
    for (const wchar_t* name : {L"a.bin", L"b.bin"}) {
        WritingFile out(scratch / name);
        out.file.Write(first.data(), 4095);
        const Bytes rest = Pattern(name[0] == L'a' ? 10 : 3000, name[0]);
        out.file.Write(rest.data(), static_cast<UINT>(rest.size()));
        out.file.Close();
    }
    Bytes a, b;
    ASSERT_TRUE(testsupport::ReadAllBytes(scratch / L"a.bin", a));
    ASSERT_TRUE(testsupport::ReadAllBytes(scratch / L"b.bin", b));
    ASSERT_GT(a.size(), 4096u);
    EXPECT_TRUE(std::equal(a.begin(), a.begin() + 4096, b.begin()));
    EXPECT_NE(a, b);
}

TEST(FileEx, DamagedUnitFailsTheReadAndIsNeverUsed)
{
    ScratchFolder scratch;
    const CString good = scratch / L"good.bin";
    {
        WritingFile out(good);
        const Bytes data = Pattern(6000);
        out.file.Write(data.data(), 6000);
        out.file.Close();
    }
    Bytes bytes;
    ASSERT_TRUE(testsupport::ReadAllBytes(good, bytes));
    constexpr size_t kSize = 4096 + 1920;
    ASSERT_EQ(kSize, bytes.size());

    struct Case { const char* name; Bytes bytes; };
    Bytes flipped = bytes;
    flipped.at(kSize - 17) ^= 0x40;   // last byte of the last unit's plain text changes: bad padding
    Bytes cut = bytes;
    cut.resize(kSize - 5);               // not a multiple of 16
    Bytes firstFlipped = bytes;
    firstFlipped.at(4096 - 17) ^= 0x01;
    const Case cases[] = {{"padding broken", flipped}, {"cut short", cut}, {"first unit broken", firstFlipped}};
    for (const Case& c : cases) {
        const CString path = scratch / L"bad.bin";
        ASSERT_TRUE(testsupport::WriteAllBytes(path, c.bytes));
        ReadingFile in(path);
        Bytes target(8000);
        try {
            in.file.Read(target.data(), 8000);
            ADD_FAILURE() << c.name << ": a unit that does not decipher was read";
        } catch (const CFileException& e) {
            EXPECT_EQ(CFileException::invalidFile, e.m_cause) << c.name;
        }
    }
}

} // namespace
