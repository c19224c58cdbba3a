// Saved icon sets: a manager round-tripped through the archive store, the check sum, an
// old-schema stream, lying bitmap blocks, and a sweep of cut and flipped saved streams.

#include "tests/toolkit/foundation/ImageTestSupport.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "tests/support/TestSupport.h"
#include "tests/toolkit/foundation/ExchangeTestSupport.h"
#include "toolkit/foundation/XTPPropExchangeArchive.h"
#include "toolkit/foundation/XTPPropExchangeRegistry.h"
#include "toolkit/foundation/XTPPropExchangeXMLNode.h"

#include "framework/Archive.h"
#include "framework/Exception.h"
#include "framework/File.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

HBITMAP AlphaPicture(int size, DWORD bgra)
{
    void* bits = nullptr;
    HBITMAP bitmap = CreateAlphaDibSection(nullptr, size, size, &bits);
    for (int i = 0; i < size * size; ++i)
        static_cast<DWORD*>(bits)[i] = bgra;
    return bitmap;
}

// Id 100 with an alpha picture at 16 and a plain icon at 32.
void Fill(CXTPImageManager& manager)
{
    HBITMAP alpha = AlphaPicture(16, 0x80402010);
    HICON plain = imagetest::SolidIcon(32, RGB(200, 100, 50));
    ASSERT_TRUE(manager.SetAlphaBitmap(alpha, 100));
    ASSERT_TRUE(manager.SetIcon(plain, 100));
    DeleteObject(alpha);
    DestroyIcon(plain);
}

std::vector<BYTE> Save(CXTPImageManager& manager)
{
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        manager.Serialize(archive);
        archive.Close();
    }
    return file.Data();
}

BOOL LoadSets(CXTPImageManager& manager, const std::vector<BYTE>& bytes)
{
    imagetest::GuardedBuffer guarded(bytes);
    CMemFile file(guarded.Data(), static_cast<UINT>(guarded.Size()));
    CArchive archive(&file, CArchive::load);
    CXTPPropExchangeArchive px(archive);
    return manager.ExchangeIconSets(&px);
}

TEST(ImageIconSets, AManagerRoundTripsThroughTheArchiveStore)
{
    CXTPImageManager saved;
    Fill(saved);
    const auto bytes = Save(saved);

    CXTPImageManager loaded;
    {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        CArchive archive(&file, CArchive::load);
        loaded.Serialize(archive);
    }
    ASSERT_NE(nullptr, loaded.FindIconSet(100));
    EXPECT_EQ(2u, loaded.FindIconSet(100)->GetIcons().size());
    CXTPImageManagerIcon* alpha = loaded.LookupIcon(100, 16);
    ASSERT_TRUE(alpha && alpha->IsAlpha());
    EXPECT_EQ(16, alpha->GetHeight());
    // Saved premultiplied with schema 38, so read back as it was stored.
    EXPECT_EQ((std::array<BYTE, 4>{0x10 * 0x80 / 255, 0x20 * 0x80 / 255, 0x40 * 0x80 / 255, 0x80}),
              imagetest::DibPixel(alpha->GetAlphaBitmap(), 3, 3));
    CXTPImageManagerIcon* plain = loaded.LookupIcon(100, 32);
    ASSERT_TRUE(plain && !plain->IsAlpha() && plain->GetIcon());
    EXPECT_EQ(32, plain->GetHeight());
    EXPECT_EQ(32, GetIconPixelSize(plain->GetIcon()).cx);
    // Custom ids start above the program's own: id 100 leaves the counter where it starts, a
    // larger id handled by the exchange raises it.
    EXPECT_EQ(0x10AAAu, loaded.GetCustomIdCounter());
    {
        CMemFile file;
        CArchive archive(&file, CArchive::store);
        CXTPPropExchangeArchive px(archive);
        EXPECT_TRUE(loaded.ExchangeIconSet(0x20000, &px));
    }
    EXPECT_EQ(0x20000u, loaded.GetCustomIdCounter());
}

// The stream of one set with one icon written by hand, with the given check sum and icon form.
std::vector<BYTE> OneSetStream(const CString& checkSum, const std::function<void(CArchive&)>& icon)
{
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        archive.WriteCount(1);         // icon sets
        archive << static_cast<LONG>(7); // "Id"
        archive << checkSum;
        archive.WriteCount(1);         // icons
        archive << static_cast<LONG>(16); // "Width"
        icon(archive);
        archive.Close();
    }
    return file.Data();
}

void EmptyRecords(CArchive& archive, int records)
{
    for (int i = 0; i < records * 2; ++i)
        archive.WriteCount(0);
}

TEST(ImageIconSets, AWrongCheckSumStopsTheLoadWithoutTouchingTheSet)
{
    CXTPImageManager manager;
    Fill(manager);
    const auto good = OneSetStream(L"CXTPImageManagerIcons", [](CArchive& a) {
        a << DWORD{16} << DWORD{38};
        EmptyRecords(a, 5);
    });
    EXPECT_TRUE(LoadSets(manager, good));
    EXPECT_EQ(nullptr, manager.FindIconSet(100)) << "loading all sets removes the others first";
    ASSERT_NE(nullptr, manager.FindIconSet(7));

    CXTPImageManager other;
    Fill(other);
    const auto bad = OneSetStream(L"SomethingElse", [](CArchive& a) {
        a << DWORD{16} << DWORD{38};
        EmptyRecords(a, 5);
    });
    EXPECT_FALSE(LoadSets(other, bad)) << "a result, not an exception";
    EXPECT_EQ(nullptr, other.FindIconSet(7));

    // One set through ExchangeIconSet: a wrong check sum leaves the set as it was.
    CXTPImageManager single;
    HICON icon = imagetest::SolidIcon(16, RGB(1, 2, 3));
    single.SetIcon(icon, 7);
    DestroyIcon(icon);
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        archive << CString(L"Wrong");
        archive.Close();
    }
    file.SeekToBegin();
    CArchive archive(&file, CArchive::load);
    CXTPPropExchangeArchive px(archive);
    EXPECT_FALSE(single.ExchangeIconSet(7, &px));
    EXPECT_TRUE(single.HasIcon(7, 16));

    // Serialize, a framework serialisation, reports it with the archive exception.
    CMemFile in(bad.data(), static_cast<UINT>(bad.size()));
    CArchive badArchive(&in, CArchive::load);
    EXPECT_THROW(other.Serialize(badArchive), CArchiveException);
}

TEST(ImageIconSets, ASchema7IconHoldsThreeRecordsAndLyingBlocksLeaveItEmpty)
{
    // Schema 7: normal, disabled, hot, then the next icon set data would follow; here the
    // stream ends right after the third record, so reading a fourth would fail.
    HBITMAP alpha = AlphaPicture(16, 0xFF0000FF);
    const auto schema7 = OneSetStream(L"CXTPImageManagerIcons", [alpha](CArchive& a) {
        a << DWORD{16} << DWORD{7};
        WriteArchiveBitmap(a, alpha);
        WriteArchiveBitmap(a, nullptr);
        EmptyRecords(a, 2);
    });
    DeleteObject(alpha);
    CXTPImageManager manager;
    ASSERT_TRUE(LoadSets(manager, schema7));
    CXTPImageManagerIcon* icon = manager.LookupIcon(7, 16);
    ASSERT_TRUE(icon && icon->IsAlpha());
    EXPECT_EQ((std::array<BYTE, 4>{0xFF, 0, 0, 0xFF}), imagetest::DibPixel(icon->GetAlphaBitmap(), 0, 0));

    // A header claiming 16 x 16 x 32 bits over 8 pixel bytes: the icon is inserted empty.
    const auto lying = OneSetStream(L"CXTPImageManagerIcons", [](CArchive& a) {
        a << DWORD{16} << DWORD{38};
        BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), 16, 16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        a.WriteCount(40);
        a.Write(&header, 40);
        a.WriteCount(8);
        const BYTE pixels[8] = {};
        a.Write(pixels, 8);
        EmptyRecords(a, 5);
    });
    CXTPImageManager damaged;
    EXPECT_TRUE(LoadSets(damaged, lying));
    ASSERT_NE(nullptr, damaged.FindIconSet(7));
    CXTPImageManagerIcon* empty = damaged.LookupIcon(7, 16);
    ASSERT_NE(nullptr, empty);
    EXPECT_TRUE(empty->IsEmpty());
}

TEST(ImageIconSets, CutAndFlippedSavedStreamsLoadOrFailWithinTheirData)
{
    CXTPImageManager saved;
    Fill(saved);
    const auto bytes = Save(saved);
    ASSERT_GT(bytes.size(), 100u);
    for (size_t length = 0; length < bytes.size(); length += (length < 200 ? 1 : 97)) {
        CXTPImageManager manager;
        LoadSets(manager, std::vector<BYTE>(bytes.begin(), bytes.begin() + length));
    }
    for (size_t at = 0; at < std::min<size_t>(bytes.size(), 160); ++at)
        for (BYTE flip : {BYTE{0x01}, BYTE{0x10}, BYTE{0x80}, BYTE{0xFF}}) {
            auto copy = bytes;
            copy[at] ^= flip;
            CXTPImageManager manager;
            LoadSets(manager, copy);
        }
    SUCCEED() << "no crash and no read past the data";
}

using Exchange = std::function<void(CXTPPropExchange*)>;
using exchangetests::ComApartment;
using exchangetests::ScratchRegistryKey;

void ThroughArchive(const Exchange& save, const Exchange& load)
{
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        CXTPPropExchangeArchive px(archive);
        save(&px);
        archive.Close();
    }
    CMemFile input(file.Data().data(), static_cast<UINT>(file.Data().size()));
    CArchive archive(&input, CArchive::load);
    CXTPPropExchangeArchive px(archive);
    load(&px);
}

void ThroughRegistry(const Exchange& save, const Exchange& load)
{
    ScratchRegistryKey key(L"IconSets");
    {
        CXTPPropExchangeSection px(new CXTPPropExchangeRegistry(FALSE, key.Get(), L"Icons"));
        save(px.Get());
    }
    CXTPPropExchangeSection px(new CXTPPropExchangeRegistry(TRUE, key.Get(), L"Icons"));
    load(px.Get());
}

void ThroughXml(const Exchange& save, const Exchange& load)
{
    ComApartment com;
    CString xml;
    {
        CXTPPropExchangeXMLNode px(FALSE, nullptr, L"Icons");
        save(&px);
        xml = px.GetXML();
    }
    CXTPPropExchangeXMLNode px(TRUE, nullptr, L"Icons");
    ASSERT_TRUE(px.LoadFromString(testsupport::Utf8(xml.View()).c_str()));
    load(&px);
}

struct Store {
    const char* name;
    void (*run)(const Exchange&, const Exchange&);
};

class ImageIconSetStores : public testing::TestWithParam<Store> {};

TEST_P(ImageIconSetStores, OneAlphaAndOnePlainIconComeBackByWidth)
{
    CXTPImageManager saved;
    Fill(saved);
    CXTPImageManager loaded;
    BOOL savedOk = FALSE, loadedOk = FALSE;
    GetParam().run([&](CXTPPropExchange* px) { savedOk = saved.ExchangeIconSets(px); },
                   [&](CXTPPropExchange* px) { loadedOk = loaded.ExchangeIconSets(px); });
    EXPECT_TRUE(savedOk);
    EXPECT_TRUE(loadedOk);
    ASSERT_NE(nullptr, loaded.FindIconSet(100));
    CXTPImageManagerIcon* alpha = loaded.LookupIcon(100, 16);
    ASSERT_TRUE(alpha && alpha->IsAlpha());
    EXPECT_EQ(16, alpha->GetHeight());
    CXTPImageManagerIcon* plain = loaded.LookupIcon(100, 32);
    ASSERT_TRUE(plain && plain->GetIcon());
    EXPECT_EQ(32, plain->GetHeight());
}

INSTANTIATE_TEST_SUITE_P(Stores, ImageIconSetStores,
                         testing::Values(Store{"Archive", ThroughArchive}, Store{"Registry", ThroughRegistry},
                                         Store{"Xml", ThroughXml}),
                         [](const testing::TestParamInfo<Store>& info) { return std::string(info.param.name); });

} // namespace
