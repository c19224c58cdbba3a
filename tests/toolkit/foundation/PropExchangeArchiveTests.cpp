// The archive store: positional binary values, the schema marker, class references and
// serialised objects carried inline.

#include "tests/support/TestSupport.h"
#include "toolkit/foundation/XTPPropExchangeArchive.h"
#include "toolkit/foundation/XTPPropExchangeIniFile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Bytes(const CMemFile& file)
{
    return std::vector<uint8_t>(file.Data().begin(), file.Data().end());
}

class CArchivedPoint : public CObject {
    DECLARE_SERIAL(CArchivedPoint)
public:
    long x = 0;
    long y = 0;
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << x << y;
        else
            ar >> x >> y;
    }
};
IMPLEMENT_SERIAL(CArchivedPoint, CObject, 3)

TEST(PropExchangeArchive, ValuesAreWrittenInCallOrderWithoutNames)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CXTPPropExchangeArchive px(ar);
        px.m_nSchema = 38;
        px.ExchangeSchema();
        short s = -1;
        long l = 0x01020304;
        RECT rect = {1, 2, 3, 4};
        CString text = L"ab";
        BSTR ignored = nullptr;
        px.ExchangeValue(L"S", VT_I2, &s, nullptr);
        px.ExchangeValue(L"L", VT_I4, &l, &l); // defaults play no part
        px.ExchangeValue(L"R", VT_XTP_RECT, &rect, nullptr);
        px.ExchangeValue(L"T", VT_XTP_STRING, &text, nullptr);
        EXPECT_TRUE(px.ExchangeValue(L"B", VT_BSTR, &ignored, nullptr)) << "OLE strings are skipped, not failed";
        ar.Close();
    }
    const std::vector<uint8_t> expected = {
        0xBF, 0xAD, 0xF0, 0x0F, 38, 0, 0, 0,          // marker, schema
        0xFF, 0xFF,                                    // short -1
        0x04, 0x03, 0x02, 0x01,                        // long
        1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, // rect
        0xFF, 0xFE, 0xFF, 2, 'a', 0, 'b', 0,           // framework string form
    };
    EXPECT_EQ(testsupport::Hex(expected), testsupport::Hex(Bytes(file), 128));
}

TEST(PropExchangeArchive, AStreamWithoutTheMarkerIsSchema17AndKeepsItsFirstValue)
{
    const BYTE old[] = {0x2A, 0, 0, 0, 0x07, 0, 0, 0};
    CMemFile file(old, sizeof(old));
    CArchive ar(&file, CArchive::load);
    CXTPPropExchangeArchive px(ar);
    px.ExchangeSchema();
    EXPECT_EQ(17, px.m_nSchema);
    long first = 0, second = 0;
    ExchangeLongProperty(&px, L"First", first);
    ExchangeLongProperty(&px, L"Second", second);
    EXPECT_EQ(42, first);
    EXPECT_EQ(7, second);
}

TEST(PropExchangeArchive, ReadingPastTheEndThrowsTheArchiveException)
{
    const BYTE shortRect[] = {1, 0, 0, 0, 2, 0, 0, 0};
    CMemFile file(shortRect, sizeof(shortRect));
    CArchive ar(&file, CArchive::load);
    CXTPPropExchangeArchive px(ar);
    RECT rect = {};
    try {
        px.ExchangeValue(L"R", VT_XTP_RECT, &rect, nullptr);
        FAIL() << "an 8-byte rectangle was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(CArchiveException::endOfFile, e.m_cause);
    }
}

TEST(PropExchangeArchive, ClassesAreWrittenOnceThenReferredBack)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CXTPPropExchangeArchive px(ar);
        const CRuntimeClass* cls = RUNTIME_CLASS(CArchivedPoint);
        ASSERT_TRUE(px.ExchangeRuntimeClass(L"C", cls, nullptr));
        ASSERT_TRUE(px.ExchangeRuntimeClass(L"C", cls, nullptr));
        ar.Close();
    }
    const std::vector<uint8_t> expected = {0xFF, 0xFF, 3, 0, 14, 0, 'C', 'A', 'r', 'c', 'h', 'i', 'v', 'e',
                                           'd', 'P', 'o', 'i', 'n', 't', 0x01, 0x80};
    EXPECT_EQ(testsupport::Hex(expected), testsupport::Hex(Bytes(file)));

    CMemFile input(file.Data().data(), static_cast<UINT>(file.Data().size()));
    CArchive ar(&input, CArchive::load);
    CXTPPropExchangeArchive px(ar);
    const CRuntimeClass* first = nullptr;
    const CRuntimeClass* second = nullptr;
    ASSERT_TRUE(px.ExchangeRuntimeClass(L"C", first, RUNTIME_CLASS(CObject)));
    EXPECT_EQ(3, px.m_nSchema) << "the stored class schema becomes the exchange's schema";
    ASSERT_TRUE(px.ExchangeRuntimeClass(L"C", second, RUNTIME_CLASS(CObject)));
    EXPECT_EQ(RUNTIME_CLASS(CArchivedPoint), first);
    EXPECT_EQ(first, second);
}

TEST(PropExchangeArchive, ObjectsAndSerialisedPropertiesRoundTrip)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CXTPPropExchangeArchive px(ar);
        CArchivedPoint point;
        point.x = 5;
        point.y = -6;
        CObject* object = &point;
        ASSERT_TRUE(px.ExchangeObject(object, RUNTIME_CLASS(CObject)));
        ASSERT_TRUE(ExchangeSerializedObject(&px, L"Inline", &point));
        ar.Close();
    }
    CMemFile input(file.Data().data(), static_cast<UINT>(file.Data().size()));
    CArchive ar(&input, CArchive::load);
    CXTPPropExchangeArchive px(ar);
    CObject* object = nullptr;
    ASSERT_TRUE(px.ExchangeObject(object, RUNTIME_CLASS(CObject)));
    ASSERT_NE(nullptr, object);
    ASSERT_TRUE(object->IsKindOf(RUNTIME_CLASS(CArchivedPoint)));
    delete object;
    CArchivedPoint inlinePoint;
    ASSERT_TRUE(ExchangeSerializedObject(&px, L"Inline", &inlinePoint));
    EXPECT_EQ(5, inlinePoint.x);
    EXPECT_EQ(-6, inlinePoint.y);
}

TEST(PropExchangeArchive, BlobsCarryTheirCountAndRefuseASmallBuffer)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        CXTPPropExchangeArchive px(ar);
        BYTE bytes[] = {9, 8, 7};
        BYTE* data = bytes;
        DWORD size = sizeof(bytes);
        ASSERT_TRUE(px.ExchangeBlob(L"B", data, size));
        px.WriteCount(0x12345);
        ar.Close();
    }
    const std::vector<uint8_t> expected = {3, 0, 9, 8, 7, 0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00};
    EXPECT_EQ(testsupport::Hex(expected), testsupport::Hex(Bytes(file)));

    CMemFile input(file.Data().data(), static_cast<UINT>(file.Data().size()));
    CArchive ar(&input, CArchive::load);
    CXTPPropExchangeArchive px(ar);
    BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(px.ExchangeBlob(L"B", data, size));
    ASSERT_EQ(3u, size);
    EXPECT_EQ(7, data[2]);
    std::free(data);
    EXPECT_EQ(0x12345u, px.ReadCount());
}

TEST(PropExchangeArchive, ADamagedBlobCountFailsWithoutReadingPastTheData)
{
    const BYTE damaged[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    CMemFile file(damaged, sizeof(damaged));
    CArchive ar(&file, CArchive::load);
    CXTPPropExchangeArchive px(ar);
    BYTE* data = nullptr;
    DWORD size = 0;
    EXPECT_FALSE(px.ExchangeBlob(L"B", data, size));
    EXPECT_EQ(nullptr, data);
}

TEST(PropExchangeArchive, ObjectsSerialisedIntoAKeyedStoreTravelAsABlob)
{
    testsupport::ScratchFolder folder;
    const CString path = folder / L"serialised.ini";
    {
        CXTPPropExchangeIniFile px(FALSE, nullptr, L"S");
        px.AssignFile(path);
        CArchivedPoint point;
        point.x = 0x0102;
        point.y = 3;
        ASSERT_TRUE(ExchangeSerializedObject(&px, L"Point", &point));
    }
    wchar_t stored[64] = {};
    GetPrivateProfileStringW(L"S", L"Point", L"", stored, 64, path);
    EXPECT_STREQ(L"CABAAAAADAAAAAAA", stored);

    CXTPPropExchangeIniFile px(TRUE, nullptr, L"S");
    px.AssignFile(path);
    CArchivedPoint point;
    ASSERT_TRUE(ExchangeSerializedObject(&px, L"Point", &point));
    EXPECT_EQ(0x0102, point.x);
    EXPECT_EQ(3, point.y);
    EXPECT_FALSE(ExchangeSerializedObject(&px, L"Missing", &point));

    WritePrivateProfileStringW(L"S", L"Short", L"CA", path);
    EXPECT_FALSE(ExchangeSerializedObject(&px, L"Short", &point)) << "a truncated stream is a result, not a throw";
}

} // namespace
