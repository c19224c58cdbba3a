#include "framework/Archive.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A memory file that remembers the size of every request the archive makes of it.
class RecordingFile : public CMemFile {
public:
    using CMemFile::CMemFile;
    UINT Read(void* buffer, UINT count) override
    {
        reads.push_back(count);
        return CMemFile::Read(buffer, count);
    }
    void Write(const void* buffer, UINT count) override
    {
        writes.push_back(count);
        CMemFile::Write(buffer, count);
    }
    std::vector<UINT> reads;
    std::vector<UINT> writes;
};

Bytes Stored(const CString& text)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << text;
    ar.Close();
    return file.Data();
}

CString Loaded(const Bytes& bytes)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    CString text;
    ar >> text;
    return text;
}

CString Text(int length)
{
    CString text;
    wchar_t* units = text.GetBufferSetLength(length);
    for (int i = 0; i < length; ++i)
        units[i] = static_cast<wchar_t>(L'A' + i % 26 + (i % 7 == 0 ? 0x400 : 0)); // some non-Latin units
    return text;
}

struct LengthForm {
    int length;
    Bytes prefix; // everything before the UTF-16 units
};

void PrintTo(const LengthForm& form, std::ostream* out)
{
    *out << form.length << " characters";
}

class ArchiveTextForm : public testing::TestWithParam<LengthForm> {};

TEST_P(ArchiveTextForm, StoresPrefixThenUnitsAndReadsBack)
{
    const LengthForm& form = GetParam();
    const CString text = Text(form.length);
    const Bytes bytes = Stored(text);

    ASSERT_EQ(bytes.size(), form.prefix.size() + 2u * static_cast<size_t>(form.length));
    const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<long>(form.prefix.size()));
    EXPECT_EQ(prefix, form.prefix) << "got " << testsupport::Hex(prefix);
    EXPECT_EQ(0, std::memcmp(bytes.data() + form.prefix.size(), text.GetString(), 2u * static_cast<size_t>(form.length)));
    EXPECT_TRUE(Loaded(bytes) == text);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ArchiveTextForm, testing::Values(
    LengthForm{0, {0xFF, 0xFE, 0xFF, 0x00}},
    LengthForm{1, {0xFF, 0xFE, 0xFF, 0x01}},
    LengthForm{254, {0xFF, 0xFE, 0xFF, 0xFE}},
    LengthForm{255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
    LengthForm{65533, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
    LengthForm{65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    LengthForm{65535, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
    LengthForm{70000, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}),
    [](const testing::TestParamInfo<LengthForm>& info) { return "Length" + std::to_string(info.param.length); });

TEST(ArchiveText, ReadsSingleByteForm)
{
    struct Case { const char* name; Bytes bytes; CString expected; };
    Bytes longForm = {0xFF, 0x2C, 0x01}; // 300 characters
    longForm.insert(longForm.end(), 300, 'x');
    const Case cases[] = {
        {"empty", {0x00}, L""},
        {"short", {0x03, 'a', 'b', 'c'}, L"abc"},
        {"word length", longForm, CString(L'x', 300)},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Loaded(c.bytes) == c.expected) << c.name;
}

TEST(ArchiveText, EmbeddedNulsSurvive)
{
    const CString text(L"a\0b\0", 4);
    EXPECT_EQ(4, Loaded(Stored(text)).GetLength());
    EXPECT_TRUE(Loaded(Stored(text)) == text);
}

TEST(ArchiveText, TruncatedTextThrowsEndOfFile)
{
    Bytes bytes = Stored(L"hello");
    bytes.pop_back();
    try {
        Loaded(bytes);
        FAIL() << "a text cut short must not load";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(CArchiveException::endOfFile, e.m_cause);
    }
}

TEST(ArchiveText, HugeLengthOnShortDataThrowsWithoutAllocatingIt)
{
    // a length of 0x7FFFFFF0 units followed by two characters
    const Bytes bytes = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0x3F, 'a', 0, 'b', 0};
    EXPECT_THROW(Loaded(bytes), CArchiveException);
}

TEST(ArchiveText, DoubledUnicodeMarkerIsRejected)
{
    const Bytes bytes = {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00};
    EXPECT_THROW(Loaded(bytes), CArchiveException);
}

TEST(ArchiveItems, IntegersAreLittleEndianAndRoundTrip)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << static_cast<BYTE>(0x12) << static_cast<WORD>(0x3456) << static_cast<int>(-2)
           << static_cast<DWORD>(0x89ABCDEF) << static_cast<ULONGLONG>(0x0102030405060708ull) << 1.5;
        ar.Close();
    }
    const Bytes expectedStart = {0x12, 0x56, 0x34, 0xFE, 0xFF, 0xFF, 0xFF, 0xEF, 0xCD, 0xAB, 0x89,
                                 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
    ASSERT_EQ(expectedStart.size() + sizeof(double), file.Data().size());
    EXPECT_TRUE(std::equal(expectedStart.begin(), expectedStart.end(), file.Data().begin()));

    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    BYTE b = 0; WORD w = 0; int i = 0; DWORD d = 0; ULONGLONG q = 0; double f = 0;
    ar >> b >> w >> i >> d >> q >> f;
    EXPECT_EQ(0x12, b);
    EXPECT_EQ(0x3456, w);
    EXPECT_EQ(-2, i);
    EXPECT_EQ(0x89ABCDEFu, d);
    EXPECT_EQ(0x0102030405060708ull, q);
    EXPECT_EQ(1.5, f);
    EXPECT_THROW(ar >> i, CArchiveException);
}

TEST(ArchiveItems, DirectionIsEnforced)
{
    CMemFile file;
    CArchive storing(&file, CArchive::store);
    int value = 0;
    try {
        storing >> value;
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(CArchiveException::writeOnly, e.m_cause);
    }
    CArchive loading(&file, CArchive::load);
    try {
        loading << value;
        FAIL();
    } catch (const CArchiveException& e) {
        EXPECT_EQ(CArchiveException::readOnly, e.m_cause);
    }
}

// The storing buffer is 4095 bytes for the enciphered files: one full buffer enciphers to exactly
// one 4096-byte unit. These cases pin down where the archive cuts its pieces.
TEST(ArchiveBuffering, FixedItemThatDoesNotFitFlushesFirst)
{
    struct Case { const char* name; int leadingInts; int leadingBytes; bool trailingInt; std::vector<UINT> pieces; };
    const Case cases[] = {
        {"bytes filling the buffer exactly", 1023, 3, false, {4095}},
        {"int after 4092 bytes", 1023, 0, true, {4092, 4}},
        {"int after 4093 bytes", 1023, 1, true, {4093, 4}},
        {"int that just fits", 1022, 3, true, {4095}},
    };
    for (const Case& c : cases) {
        RecordingFile file;
        CArchive ar(&file, CArchive::store, 4095);
        for (int i = 0; i < c.leadingInts; ++i)
            ar << i;
        for (int i = 0; i < c.leadingBytes; ++i)
            ar << static_cast<BYTE>(i);
        if (c.trailingInt)
            ar << 7;
        ar.Close();
        EXPECT_EQ(c.pieces, file.writes) << c.name;
    }
}

TEST(ArchiveBuffering, ByteBlocksFillToTheBrimAndCarryOver)
{
    RecordingFile file;
    CArchive ar(&file, CArchive::store, 4095);
    for (int i = 0; i < 1023; ++i)
        ar << i;                                    // 4092 bytes
    const std::vector<BYTE> block(10000, 0x5A);
    ar.Write(block.data(), static_cast<UINT>(block.size()));
    ar.Close();
    // 3 bytes top up the first piece; the rest goes on in full pieces
    EXPECT_EQ((std::vector<UINT>{4095, 4095, 4095, 1807}), file.writes);
    EXPECT_EQ(4092u + 10000u, file.GetLength());
}

TEST(ArchiveBuffering, LongTextNeverHandsTheFileMoreThanOneBuffer)
{
    RecordingFile file;
    CArchive ar(&file, CArchive::store, 4095);
    ar << Text(10000);
    ar.Close();
    // FF FE FF, FF and the 16-bit length, then the units: every byte must have arrived
    EXPECT_EQ(6u + 20000u, file.GetLength());
    for (UINT piece : file.writes)
        EXPECT_LE(piece, 4095u);
}

TEST(ArchiveBuffering, LoadingAsksForWholeBuffersOnlyWhenUsedUp)
{
    RecordingFile source;
    {
        CArchive ar(&source, CArchive::store, 4095);
        for (int i = 0; i < 3000; ++i)
            ar << i;
        ar << Text(5000);
        ar.Close();
    }
    RecordingFile file(source.Data().data(), static_cast<UINT>(source.Data().size()));
    CArchive ar(&file, CArchive::load, 4096);
    for (int i = 0; i < 3000; ++i) {
        int value = -1;
        ar >> value;
        ASSERT_EQ(i, value);
    }
    CString text;
    ar >> text;
    EXPECT_TRUE(text == Text(5000));
    for (UINT request : file.reads)
        EXPECT_EQ(4096u, request);
}

TEST(ArchiveBuffering, ReadServesAnySizeAndStopsShortAtTheEnd)
{
    std::vector<BYTE> data(9000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<BYTE>(i * 7);
    RecordingFile file(data.data(), static_cast<UINT>(data.size()));
    CArchive ar(&file, CArchive::load, 4096);
    std::vector<BYTE> first(5000), rest(5000);
    EXPECT_EQ(5000u, ar.Read(first.data(), 5000));
    EXPECT_EQ(4000u, ar.Read(rest.data(), 5000));
    EXPECT_TRUE(std::equal(first.begin(), first.end(), data.begin()));
    EXPECT_TRUE(std::equal(rest.begin(), rest.begin() + 4000, data.begin() + 5000));
}

TEST(ArchiveBuffering, DestructorFlushesAnUnclosedStoringArchive)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << 42;
    }
    EXPECT_EQ(4u, file.GetLength());
}

} // namespace
