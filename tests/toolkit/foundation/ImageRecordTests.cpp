// Image records in a manager: packing into the shared strips, the state records and the rules
// of SetIcon, the derived images and what drops them, image-list entries, the mirroring mode,
// and drawing a record (the crop of alpha bitmaps above the top edge, composited plain slots).

#include "tests/support/DibCanvas.h"
#include "tests/toolkit/foundation/ImageTestSupport.h"
#include "framework/Archive.h"
#include "framework/File.h"
#include "framework/ResourceHandle.h"
#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPImageManagerResource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using testsupport::DibCanvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A 16 x 16 plain icon: the colour on the left half (mask opaque), transparent on the right.
HICON LeftHalfIcon(COLORREF colour)
{
    void* bits = nullptr;
    HBITMAP dib = CreateAlphaDibSection(nullptr, 16, 16, &bits);
    const DWORD bgr = GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16;
    for (int i = 0; i < 256; ++i)
        static_cast<DWORD*>(bits)[i] = i % 16 < 8 ? bgr : 0;
    WORD rows[16];
    for (WORD& row : rows)
        row = 0xFF00;
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, rows);
    ICONINFO info = {TRUE, 0, 0, mask, dib};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(dib);
    DeleteObject(mask);
    return icon;
}

// An opaque 32-bit bitmap of width x height whose row y (from the top) has colour rows[y].
HBITMAP RowsBitmap(int width, const std::vector<COLORREF>& rows)
{
    const int height = static_cast<int>(rows.size());
    void* bits = nullptr;
    HBITMAP bitmap = CreateAlphaDibSection(nullptr, width, height, &bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            static_cast<DWORD*>(bits)[(height - 1 - y) * width + x] =
                0xFF000000 | GetRValue(rows[y]) << 16 | GetGValue(rows[y]) << 8 | GetBValue(rows[y]);
    return bitmap;
}

int SlotLeft(CXTPImageManager& manager, UINT id)
{
    CXTPIconImage& image = manager.LookupIcon(id, 16)->GetNormalImage();
    return image.GetSlot() ? image.GetSlot()->rect.left : -1;
}

TEST(ImageRecords, AManagerPacksPicturesIntoOneStripPerSizeAndReusesFreedSlots)
{
    CXTPImageManager manager;
    HICON red = imagetest::SolidIcon(16, RGB(255, 0, 0));
    for (UINT id : {1u, 2u, 3u})
        ASSERT_TRUE(manager.SetIcon(red, id));
    CXTPImageManagerResource* strip = manager.GetResourceStrip(16, 16);
    EXPECT_EQ(48, strip->GetUsedWidth());
    EXPECT_EQ(0, SlotLeft(manager, 1));
    EXPECT_EQ(16, SlotLeft(manager, 2));
    EXPECT_EQ(32, SlotLeft(manager, 3));

    // A new picture for id 2 frees its slot before the copy takes one: the same place.
    HICON blue = imagetest::SolidIcon(16, RGB(0, 0, 255));
    ASSERT_TRUE(manager.SetIcon(blue, 2));
    EXPECT_EQ(16, SlotLeft(manager, 2));
    EXPECT_EQ(48, strip->GetUsedWidth());
    DibCanvas canvas(16, 16);
    manager.LookupIcon(2, 16)->DrawNormal(canvas.DC(), 0, 0);
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(8, 8));
    manager.LookupIcon(3, 16)->DrawNormal(canvas.DC(), 0, 0);
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(8, 8));

    // A 32 x 32 picture goes to a strip of its own.
    HICON large = imagetest::SolidIcon(32, RGB(0, 255, 0));
    ASSERT_TRUE(manager.SetIcon(large, 1));
    EXPECT_EQ(32, manager.GetResourceStrip(32, 32)->GetUsedWidth());

    // Emptying every set gives every slot back: both strip bitmaps go.
    for (UINT id : {1u, 2u, 3u})
        manager.FindIconSet(id)->RemoveAll();
    EXPECT_EQ(0, strip->GetUsedWidth());
    EXPECT_EQ(nullptr, strip->GetColorStrip());
    EXPECT_EQ(nullptr, strip->GetMaskStrip());

    // Without the pack flag the icons own their handles.
    CXTPImageManager unpacked;
    unpacked.SetPackImages(FALSE);
    ASSERT_TRUE(unpacked.SetIcon(red, 7));
    EXPECT_EQ(nullptr, unpacked.LookupIcon(7, 16)->GetNormalImage().GetSlot());
    EXPECT_NE(nullptr, unpacked.LookupIcon(7, 16)->GetNormalImage().GetIcon());
    DestroyIcon(red);
    DestroyIcon(blue);
    DestroyIcon(large);
}

TEST(ImageRecords, RecordsCopiedOutOfASlotOwnTheirOwnPicture)
{
    CXTPImageManager manager;
    XTPSetComCtlVersionOverride(0x60000);
    HBITMAP alpha = RowsBitmap(16, std::vector<COLORREF>(16, RGB(10, 20, 30)));
    HICON plain = LeftHalfIcon(RGB(90, 80, 70));
    ASSERT_TRUE(manager.SetAlphaBitmap(alpha, 1));
    ASSERT_TRUE(manager.SetIcon(plain, 2));
    XTPSetComCtlVersionOverride(0);
    CXTPIconImage& alphaSlot = manager.LookupIcon(1, 16)->GetNormalImage();
    CXTPIconImage& plainSlot = manager.LookupIcon(2, 16)->GetNormalImage();
    ASSERT_TRUE(alphaSlot.GetSlot() && alphaSlot.GetSlot()->alpha);
    ASSERT_TRUE(plainSlot.GetSlot() && !plainSlot.GetSlot()->alpha);

    CXTPIconImage alphaCopy, plainCopy;
    alphaCopy.CopyFrom(alphaSlot);
    plainCopy.CopyFrom(plainSlot);
    EXPECT_EQ(nullptr, alphaCopy.GetSlot());
    ASSERT_NE(nullptr, alphaCopy.GetBitmap());
    EXPECT_NE(nullptr, alphaCopy.GetBits());
    EXPECT_EQ((std::array<BYTE, 4>{30, 20, 10, 255}), imagetest::DibPixel(alphaCopy.GetBitmap(), 4, 4));
    EXPECT_EQ(nullptr, plainCopy.GetSlot());
    ASSERT_NE(nullptr, plainCopy.GetIcon());
    EXPECT_EQ(16, GetIconPixelSize(plainCopy.GetIcon()).cx);
    DibCanvas canvas(16, 16);
    plainCopy.Draw(canvas.DC(), 0, 0, 16, 16);
    EXPECT_EQ(RGB(90, 80, 70), canvas.At(2, 2));
    EXPECT_EQ(kWhite, canvas.At(12, 2));

    // A 32-bit icon whose alpha bytes are all 0 is a plain icon, even with common controls 6.
    XTPSetComCtlVersionOverride(0x60000);
    HICON noAlpha = imagetest::SolidIcon(16, RGB(1, 2, 3));
    ASSERT_TRUE(manager.SetIcon(noAlpha, 3));
    XTPSetComCtlVersionOverride(0);
    ASSERT_NE(nullptr, manager.LookupIcon(3, 16)->GetNormalImage().GetSlot());
    EXPECT_FALSE(manager.LookupIcon(3, 16)->GetNormalImage().GetSlot()->alpha);
    DeleteObject(alpha);
    DestroyIcon(plain);
    DestroyIcon(noAlpha);
}

TEST(ImageRecords, AlphaBitmapsDrawnAboveTheTopEdgeLoseTheRowsThatDoNotShow)
{
    std::vector<COLORREF> rows;
    for (int y = 0; y < 16; ++y)
        rows.push_back(RGB(10 * y, 255 - 10 * y, 100));
    HBITMAP bitmap = RowsBitmap(4, rows);
    CXTPIconImage image;
    image.SetBitmap(bitmap);

    DibCanvas canvas(4, 20);
    image.Draw(canvas.DC(), 0, -5, 4, 16);
    EXPECT_EQ(rows[5], canvas.At(1, 0));
    EXPECT_EQ(rows[10], canvas.At(1, 5));
    EXPECT_EQ(rows[15], canvas.At(1, 10));
    EXPECT_EQ(kWhite, canvas.At(1, 11));

    DibCanvas nothing(4, 20);
    image.Draw(nothing.DC(), 0, -16, 4, 16);
    EXPECT_EQ(20 * 4, nothing.Count(kWhite));

    DibCanvas whole(4, 20);
    image.Draw(whole.DC(), 0, 2, 4, 16);
    EXPECT_EQ(rows[0], whole.At(0, 2));
    EXPECT_EQ(rows[15], whole.At(0, 17));
}

TEST(ImageRecords, PlainPicturesDrawCompositedOrMirroredByTheManagersMode)
{
    HICON icon = LeftHalfIcon(RGB(200, 30, 40));
    struct Case {
        const char* name;
        int mode;
        BOOL composited;
        bool colourOnLeft;
    };
    const Case cases[] = {
        {"plain, mirroring only right to left", 2, FALSE, true},
        {"composited", 2, TRUE, true},
        {"never mirrored", 0, FALSE, true},
        {"always mirrored", 1, FALSE, false},
        {"always mirrored, composited", 1, TRUE, false},
    };
    for (BOOL pack : {TRUE, FALSE}) {
        SCOPED_TRACE(pack ? "a strip slot" : "an icon of its own");
        CXTPImageManager manager;
        manager.SetPackImages(pack);
        ASSERT_TRUE(manager.SetIcon(icon, 5));
        CXTPImageManagerIcon* entry = manager.LookupIcon(5, 16);
        ASSERT_EQ(pack != FALSE, entry->GetNormalImage().GetSlot() != nullptr);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            manager.SetMirroringMode(c.mode);
            entry->SetDrawComposited(c.composited);
            DibCanvas canvas(20, 20);
            entry->DrawNormal(canvas.DC(), 2, 2);
            EXPECT_EQ(c.colourOnLeft ? RGB(200, 30, 40) : kWhite, canvas.At(4, 8));
            EXPECT_EQ(c.colourOnLeft ? kWhite : RGB(200, 30, 40), canvas.At(14, 8));
            EXPECT_EQ(kWhite, canvas.At(1, 8));
            EXPECT_EQ(kWhite, canvas.At(18, 8));
        }
    }

    CXTPImageManager manager;
    DibCanvas canvas(4, 4);
    EXPECT_FALSE(manager.IsDrawMirrored(canvas.DC()));
    SetDeviceLayout(canvas.DC(), LAYOUT_RTL);
    EXPECT_TRUE(manager.IsDrawMirrored(canvas.DC()));
    SetDeviceLayout(canvas.DC(), 0);
    DestroyIcon(icon);
}

TEST(ImageRecords, SetIconStoresStatesOnlyForIdsThatHaveASet)
{
    CXTPImageManager manager;
    HICON red = imagetest::SolidIcon(16, RGB(255, 0, 0));
    HICON green = imagetest::SolidIcon(16, RGB(0, 255, 0));
    HICON blue = imagetest::SolidIcon(16, RGB(0, 0, 255));
    CXTPIconImage empty;

    EXPECT_FALSE(manager.SetIcon(green, 10, 16, 16, xtpImageHot)) << "no set for the id yet";
    EXPECT_EQ(nullptr, manager.FindIconSet(10));
    EXPECT_FALSE(manager.SetIcon(empty, 10, 16, 16, xtpImageNormal)) << "an empty record";
    ASSERT_TRUE(manager.SetIcon(red, 10));
    EXPECT_TRUE(manager.SetIcon(green, 10, 16, 16, 7)) << "an unknown state stores nothing";

    // A hot image for a width without an icon makes one of height 15 without a normal image.
    ASSERT_TRUE(manager.SetIcon(green, 10, 24, 24, xtpImageHot));
    CXTPImageManagerIcon* wide = manager.FindIconSet(10)->FindIcon(24, false);
    ASSERT_NE(nullptr, wide);
    EXPECT_EQ(15, wide->GetHeight());
    EXPECT_TRUE(wide->GetNormalImage().IsEmpty());
    DibCanvas nothing(24, 24);
    wide->DrawNormal(nothing.DC(), 0, 0);
    EXPECT_EQ(24 * 24, nothing.Count(kWhite));

    CXTPImageManagerIcon* icon = manager.LookupIcon(10, 16);
    auto colourOf = [](CXTPImageManagerIcon* entry, CXTPIconImage& image) {
        DibCanvas canvas(16, 16);
        entry->Draw(canvas.DC(), 0, 0, image);
        return canvas.At(8, 8);
    };
    // Nothing but the normal image: every state reads it, disabled reads the generated grey.
    EXPECT_EQ(RGB(255, 0, 0), colourOf(icon, icon->GetImageForState(xtpImageHot)));
    EXPECT_EQ(RGB(255, 0, 0), colourOf(icon, icon->GetImageForState(xtpImageChecked)));
    EXPECT_EQ(RGB(255, 0, 0), colourOf(icon, icon->GetImageForState(xtpImagePressed)));
    const int grey = static_cast<int>(255.0 * std::sqrt(0.299));
    EXPECT_EQ(RGB(grey, grey, grey), colourOf(icon, icon->GetImageForState(xtpImageDisabled)));

    // A hot image: checked and pressed fall back to it; a pressed image only for pressed.
    ASSERT_TRUE(manager.SetIcon(green, 10, 16, 16, xtpImageHot));
    ASSERT_TRUE(manager.SetIcon(blue, 10, 16, 16, xtpImagePressed));
    EXPECT_EQ(RGB(0, 255, 0), colourOf(icon, icon->GetImageForState(xtpImageHot)));
    EXPECT_EQ(RGB(0, 255, 0), colourOf(icon, icon->GetImageForState(xtpImageChecked)));
    EXPECT_EQ(RGB(0, 0, 255), colourOf(icon, icon->GetImageForState(xtpImagePressed)));
    EXPECT_EQ(RGB(255, 0, 0), colourOf(icon, icon->GetImageForState(9)));
    ASSERT_TRUE(manager.SetIcon(blue, 10, 16, 16, xtpImageDisabled));
    EXPECT_EQ(RGB(0, 0, 255), colourOf(icon, icon->GetImageForState(xtpImageDisabled)));

    // A new normal image clears the state images.
    ASSERT_TRUE(manager.SetIcon(blue, 10));
    EXPECT_EQ(RGB(0, 0, 255), colourOf(icon, icon->GetImageForState(xtpImageHot)));
    DestroyIcon(red);
    DestroyIcon(green);
    DestroyIcon(blue);
}

TEST(ImageRecords, GeneratedImagesAreDroppedByEveryChangeAndByTheReset)
{
    CXTPImageManager manager;
    HICON small = imagetest::SolidIcon(16, RGB(128, 128, 128));
    HICON large = imagetest::SolidIcon(32, RGB(128, 128, 128));
    ASSERT_TRUE(manager.SetIcon(small, 20));
    ASSERT_TRUE(manager.SetIcon(large, 20));
    CXTPImageManagerIcon* icon32 = manager.LookupIcon(20, 32);
    CXTPImageManagerIcon* icon16 = manager.LookupIcon(20, 16);

    auto generate = [&] {
        icon32->GetDisabledImage(TRUE);
        icon32->GetFadedImage();
        return icon32->HasDisabledImage();
    };
    ASSERT_TRUE(generate());
    DibCanvas canvas(32, 32);
    icon32->Draw(canvas.DC(), 0, 0, icon32->GetDisabledImage(FALSE));
    EXPECT_EQ(RGB(180, 180, 180), canvas.At(16, 16)) << "int(255 x sqrt(128 / 255))";
    icon32->Draw(canvas.DC(), 0, 0, icon32->GetFadedImage());
    const int faded = static_cast<int>(0.3 * 255 + 0.7 * 128);
    EXPECT_EQ(RGB(faded, faded, faded), canvas.At(16, 16));

    ASSERT_TRUE(manager.SetIcon(small, 20)) << "a new normal image for the other width";
    EXPECT_FALSE(icon32->HasDisabledImage());

    ASSERT_TRUE(generate());
    HICON hot = imagetest::SolidIcon(32, RGB(0, 0, 0));
    ASSERT_TRUE(manager.SetIcon(hot, 20, 32, 32, xtpImageHot));
    EXPECT_FALSE(icon32->HasDisabledImage()) << "a state image of the icon itself";

    ASSERT_TRUE(generate());
    icon16->GetDisabledImage(TRUE);
    manager.ResetGeneratedImages();
    EXPECT_FALSE(icon32->HasDisabledImage());
    EXPECT_FALSE(icon16->HasDisabledImage());

    // The shadow paints the hot image in colour 31 of the colour manager at three quarters.
    const COLORREF base = GetColorManager()->GetColor(31);
    const COLORREF shadow = RGB(static_cast<int>(GetRValue(base) * 0.75), static_cast<int>(GetGValue(base) * 0.75),
                                static_cast<int>(GetBValue(base) * 0.75));
    icon32->Draw(canvas.DC(), 0, 0, icon32->GetShadowImage());
    EXPECT_EQ(shadow, canvas.At(16, 16));

    // A record that is not packable gets no faded or shadow image: the faded one reads normal.
    CXTPIconImage unpackable;
    unpackable.InitFromIcon(small, FALSE);
    ASSERT_TRUE(manager.SetIcon(unpackable, 21, 16, 16, xtpImageNormal));
    CXTPImageManagerIcon* plain = manager.LookupIcon(21, 16);
    EXPECT_EQ(&plain->GetNormalImage(), &plain->GetFadedImage());
    EXPECT_TRUE(plain->GetShadowImage().IsEmpty());
    DestroyIcon(small);
    DestroyIcon(large);
    DestroyIcon(hot);
}

TEST(ImageRecords, ImageListEntriesStandForARunOfIds)
{
    CXTPImageManager manager;
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 1);
    HICON red = imagetest::SolidIcon(16, RGB(255, 0, 0));
    HICON blue = imagetest::SolidIcon(16, RGB(0, 0, 255));
    ImageList_AddIcon(list, red);
    ImageList_AddIcon(list, blue);
    manager.AddImageList(list, 500, TRUE);

    EXPECT_TRUE(manager.HasIcon(501, 16));
    EXPECT_TRUE(manager.HasIcon(501, 0));
    EXPECT_FALSE(manager.HasIcon(501, 24));
    EXPECT_FALSE(manager.HasIcon(502, 16));
    EXPECT_FALSE(manager.HasIcon(499, 0));
    EXPECT_EQ(nullptr, manager.LookupIcon(502, 16));
    CXTPImageManagerIcon* icon = manager.LookupIcon(501, 16);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(icon, manager.LookupIcon(501, 32)) << "cached until the reset";
    EXPECT_EQ(501u, icon->GetID());
    DibCanvas canvas(16, 16);
    icon->DrawNormal(canvas.DC(), 0, 0);
    EXPECT_EQ(RGB(0, 0, 255), canvas.At(8, 8));

    // A set for the id wins over the list.
    ASSERT_TRUE(manager.SetIcon(red, 501));
    canvas.Clear();
    manager.LookupIcon(501, 16)->DrawNormal(canvas.DC(), 0, 0);
    EXPECT_EQ(RGB(255, 0, 0), canvas.At(8, 8));
    manager.ResetGeneratedImages();
    EXPECT_NE(nullptr, manager.LookupIcon(500, 16));
    DestroyIcon(red);
    DestroyIcon(blue);
}

TEST(ImageRecords, AddersReadTheFrameworksResourceModule)
{
    HMODULE module = imagetest::ImageResourceModule();
    ASSERT_NE(nullptr, module);
    HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module);
    CXTPImageManager manager;
    EXPECT_TRUE(manager.AddToolBarIcons(120u, 105u));
    EXPECT_TRUE(manager.HasIcon(101, 16));
    const UINT ids[] = {200, 201, 202};
    EXPECT_TRUE(manager.AddIconsFromBitmapResourceId(105, ids, 3, 0, 0));
    EXPECT_TRUE(manager.HasIcon(202, 16));
    EXPECT_FALSE(manager.AddIconsFromBitmapResourceId(999, ids, 3, 0, 0));
    EXPECT_TRUE(manager.AddIconResource(MAKEINTRESOURCEW(110), 300, 0, 0)) << "a group";
    EXPECT_TRUE(manager.HasIcon(300, 16));
    EXPECT_TRUE(manager.HasIcon(300, 32));
    EXPECT_FALSE(manager.AddIconResource(MAKEINTRESOURCEW(998), 301, 16, 16));
    CXTPIconImage image;
    EXPECT_TRUE(image.LoadIconFromResourceModule(MAKEINTRESOURCEW(110), 32, 32, TRUE));
    EXPECT_EQ(32, image.GetSize().cx);
    AfxSetResourceHandle(previous);
}

} // namespace

namespace {

TEST(ImageRecords, StateRecordsAreSavedAndReadBackAndMonochromeDrawingPaintsTheOpaquePart)
{
    CXTPImageManager saved;
    HICON red = LeftHalfIcon(RGB(255, 0, 0));
    HBITMAP green = RowsBitmap(16, std::vector<COLORREF>(16, RGB(0, 255, 0)));
    HICON blue = imagetest::SolidIcon(16, RGB(0, 0, 255));
    ASSERT_TRUE(saved.SetIcon(red, 40));
    ASSERT_TRUE(saved.SetAlphaBitmap(green, 40, 16, 16, xtpImageHot));
    ASSERT_TRUE(saved.SetIcon(blue, 40, 16, 16, xtpImagePressed));
    ASSERT_TRUE(saved.SetIcon(blue, 40, 16, 16, xtpImageDisabled));

    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        saved.Serialize(archive);
    }
    file.SeekToBegin();
    CXTPImageManager loaded;
    {
        CArchive archive(&file, CArchive::load);
        loaded.Serialize(archive);
    }
    CXTPImageManagerIcon* icon = loaded.LookupIcon(40, 16);
    ASSERT_NE(nullptr, icon);
    auto colourOf = [icon](CXTPIconImage& image, int x) {
        DibCanvas canvas(16, 16);
        icon->Draw(canvas.DC(), 0, 0, image);
        return canvas.At(x, 8);
    };
    EXPECT_EQ(RGB(255, 0, 0), colourOf(icon->GetImageForState(xtpImageNormal), 2));
    EXPECT_EQ(kWhite, colourOf(icon->GetImageForState(xtpImageNormal), 12));
    EXPECT_TRUE(icon->GetImageForState(xtpImageHot).IsAlpha());
    EXPECT_EQ(RGB(0, 255, 0), colourOf(icon->GetImageForState(xtpImageHot), 12));
    EXPECT_EQ(RGB(0, 255, 0), colourOf(icon->GetImageForState(xtpImageChecked), 12)) << "no checked image: hot";
    EXPECT_EQ(RGB(0, 0, 255), colourOf(icon->GetImageForState(xtpImagePressed), 12));
    EXPECT_EQ(RGB(0, 0, 255), colourOf(icon->GetImageForState(xtpImageDisabled), 12));

    // One colour wherever the plain picture is not white; alpha pictures draw nothing this way.
    DibCanvas canvas(20, 20);
    icon->DrawMonochrome(canvas.DC(), 2, 2, icon->GetNormalImage(), 0, 0, RGB(10, 120, 90));
    EXPECT_EQ(RGB(10, 120, 90), canvas.At(4, 8));
    EXPECT_EQ(kWhite, canvas.At(14, 8));
    EXPECT_EQ(kWhite, canvas.At(1, 8));
    DibCanvas untouched(20, 20);
    icon->DrawMonochrome(untouched.DC(), 2, 2, icon->GetImageForState(xtpImageHot), 0, 0, RGB(10, 120, 90));
    EXPECT_EQ(20 * 20, untouched.Count(kWhite));
    DestroyIcon(red);
    DeleteObject(green);
    DestroyIcon(blue);
}

TEST(ImageRecords, AnIconNameWithoutAGroupLoadsTheIconResourceItself)
{
    HMODULE module = imagetest::ImageResourceModule();
    ASSERT_NE(nullptr, module);
    CXTPImageManager manager;
    // The resource compiler numbers the images of the first icon file 1 and 2.
    EXPECT_TRUE(manager.AddIconGroupResource(module, MAKEINTRESOURCEW(1), 600, 16, 16));
    EXPECT_TRUE(manager.HasIcon(600, 0));
    EXPECT_FALSE(manager.AddIconGroupResource(module, MAKEINTRESOURCEW(997), 601, 16, 16));
    EXPECT_EQ(nullptr, manager.FindIconSet(601));
}

} // namespace

namespace {

TEST(ImageRecords, AnIconsOwnGeneratedImageCanBecomeOneOfItsStates)
{
    // Setting a state clears the generated images first; one of them passed as the picture must
    // be copied before that, not lost.
    CXTPImageManager manager;
    HICON grey = imagetest::SolidIcon(16, RGB(128, 128, 128));
    ASSERT_TRUE(manager.SetIcon(grey, 50));
    CXTPImageManagerIcon* icon = manager.LookupIcon(50, 16);
    ASSERT_TRUE(icon->SetDisabledImage(icon->GetDisabledImage(TRUE)));
    DibCanvas canvas(16, 16);
    icon->Draw(canvas.DC(), 0, 0, icon->GetDisabledImage(FALSE));
    EXPECT_EQ(RGB(180, 180, 180), canvas.At(8, 8));
    ASSERT_TRUE(icon->SetNormalImage(icon->GetDisabledImage(FALSE)));
    canvas.Clear();
    icon->DrawNormal(canvas.DC(), 0, 0);
    EXPECT_EQ(RGB(180, 180, 180), canvas.At(8, 8));
    DestroyIcon(grey);
}

} // namespace
