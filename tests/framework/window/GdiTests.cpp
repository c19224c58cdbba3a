// Drawing objects on DIB sections: no window and no display needed. Pixels are read straight from
// the section's bits (RGB only: GDI leaves the alpha byte alone).

#include "framework/window/Dc.h"
#include "framework/window/ImageList.h"
#include "framework/window/Menu.h"

#include "DrawingTestsResource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kMagenta = RGB(255, 0, 255);

std::string ColorText(COLORREF c)
{
    char text[16];
    std::snprintf(text, sizeof(text), "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// A 32-bit top-down DIB section selected into a memory context of its own.
class DibCanvas {
public:
    DibCanvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.Attach(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<const DWORD*>(bits);
        m_dc.CreateCompatibleDC(nullptr);
        m_old = m_dc.SelectObject(&m_bitmap);
        m_dc.FillSolidRect(0, 0, width, height, kWhite);
    }
    ~DibCanvas() { m_dc.SelectObject(m_old); }

    CDC& Dc() { return m_dc; }
    CBitmap& Bitmap() { return m_bitmap; }

    COLORREF Pixel(int x, int y) const
    {
        ::GdiFlush();
        DWORD bgr = m_bits[y * m_width + x];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }

    // Every pixel compared with the expected colour function; reports the first few misses.
    ::testing::AssertionResult Matches(const std::function<COLORREF(int, int)>& expected) const
    {
        std::string misses;
        int count = 0;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                COLORREF want = expected(x, y), got = Pixel(x, y);
                if (want != got && count++ < 5)
                    misses += " (" + std::to_string(x) + "," + std::to_string(y) + ") expected " +
                              ColorText(want) + " got " + ColorText(got) + ";";
            }
        }
        if (count == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << count << " pixels differ:" << misses;
    }

private:
    int m_width, m_height;
    CBitmap m_bitmap;
    CDC m_dc;
    CBitmap* m_old = nullptr;
    const DWORD* m_bits = nullptr;
};

TEST(DrawingObjects, SelectObjectAnswersThePreviouslySelectedWrapper)
{
    DibCanvas canvas(8, 8);
    CDC& dc = canvas.Dc();
    CPen red(PS_SOLID, 1, kRed), blue(PS_SOLID, 1, kBlue);
    HGDIOBJ originalPen = ::GetCurrentObject(dc, OBJ_PEN);

    CPen* first = dc.SelectObject(&red);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_hObject, originalPen) << "the system's default pen comes back wrapped";
    EXPECT_EQ(dc.SelectObject(&blue), &red) << "an owned pen answers its own wrapper";
    EXPECT_EQ(dc.SelectObject(first), &blue);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), originalPen) << "selection restored";

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, L"Tahoma"));
    CFont* oldFont = dc.SelectObject(&font);
    ASSERT_NE(oldFont, nullptr);
    EXPECT_EQ(dc.GetCurrentFont(), &font);
    dc.SelectObject(oldFont);

    CBrush brush(kGreen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    EXPECT_EQ(dc.GetCurrentBrush(), &brush);
    EXPECT_EQ(dc.SelectObject(oldBrush), &brush);
}

TEST(DrawingObjects, SaveDcAndRestoreDcPutBackSelectionAndColours)
{
    DibCanvas canvas(8, 8);
    CDC& dc = canvas.Dc();
    HGDIOBJ originalPen = ::GetCurrentObject(dc, OBJ_PEN);
    dc.SetTextColor(kBlue);

    int saved = dc.SaveDC();
    ASSERT_NE(saved, 0);
    CPen red(PS_SOLID, 3, kRed);
    dc.SelectObject(&red);
    dc.SetTextColor(kRed);
    dc.SetBkMode(TRANSPARENT);
    ASSERT_TRUE(dc.RestoreDC(saved));

    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), originalPen);
    EXPECT_EQ(dc.GetTextColor(), kBlue);
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
}

// Each kind of drawing object deletes its handle with its wrapper, and keeps it after Detach.
TEST(DrawingObjects, EachKindIsDeletedWithItsWrapperUnlessDetached)
{
    struct Case {
        const char* name;
        std::function<CGdiObject*()> make;
    };
    const Case cases[] = {
        {"pen", [] { auto* o = new CPen; o->CreatePen(PS_DASH, 1, kRed); return o; }},
        {"brush", [] { auto* o = new CBrush; o->CreateHatchBrush(HS_CROSS, kBlue); return o; }},
        {"font", [] { auto* o = new CFont; o->CreatePointFont(100, L"Tahoma"); return o; }},
        {"bitmap", [] { auto* o = new CBitmap; o->CreateBitmap(4, 4, 1, 1, nullptr); return o; }},
        {"region", [] { auto* o = new CRgn; o->CreateEllipticRgn(0, 0, 10, 10); return o; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGdiObject* object = c.make();
        HGDIOBJ handle = object->m_hObject;
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(CGdiObject::FromHandle(handle), object);
        delete object;
        EXPECT_EQ(::GetObjectType(handle), 0u) << "handle still alive after its wrapper died";

        object = c.make();
        handle = object->Detach();
        delete object;
        EXPECT_NE(::GetObjectType(handle), 0u) << "a detached handle must survive the wrapper";
        CGdiObject* temporary = CGdiObject::FromHandle(handle);
        ASSERT_NE(temporary, nullptr);
        EXPECT_EQ(temporary->m_hObject, handle);
        CGdiObject::DeleteTempMap();
        EXPECT_NE(::GetObjectType(handle), 0u) << "a temporary wrapper must not delete its handle";
        ::DeleteObject(handle);
    }
}

TEST(DrawingObjects, TypedFromHandleRefusesAnotherKind)
{
    CBrush brush(kRed);
    EXPECT_EQ(CPen::FromHandle(reinterpret_cast<HPEN>(brush.m_hObject)), nullptr);
    EXPECT_EQ(CBrush::FromHandle(brush), &brush);

    HPEN unowned = ::CreatePen(PS_SOLID, 1, kRed);
    CPen* temporary = CPen::FromHandle(unowned);
    ASSERT_NE(temporary, nullptr);
    EXPECT_TRUE(temporary->IsKindOf(RUNTIME_CLASS(CPen)));
    EXPECT_EQ(CPen::FromHandle(unowned), temporary) << "one temporary per handle until idle";
    CGdiObject::DeleteTempMap();
    ::DeleteObject(unowned);
}

TEST(DrawingObjects, PermanentWrappersAreFoundFromOtherThreads)
{
    CPen pen(PS_SOLID, 1, kRed);
    CGdiObject* seen = nullptr;
    std::thread([&] { seen = CGdiObject::FromHandle(pen.m_hObject); }).join();
    EXPECT_EQ(seen, &pen);
}

TEST(DrawingObjects, FillSolidRectFillsExactlyTheRectangleAndKeepsTheBackgroundColour)
{
    DibCanvas canvas(12, 10);
    CDC& dc = canvas.Dc();
    dc.SetBkColor(kBlue);
    RECT rect = {2, 3, 7, 7};
    dc.FillSolidRect(&rect, kRed);
    EXPECT_TRUE(canvas.Matches([&](int x, int y) {
        POINT p = {x, y};
        return ::PtInRect(&rect, p) ? kRed : kWhite;
    }));
    EXPECT_EQ(dc.GetBkColor(), kBlue);
}

TEST(DrawingObjects, Draw3dRectDrawsTopLeftAndBottomRightEdges)
{
    DibCanvas canvas(14, 12);
    const int left = 2, top = 1, cx = 9, cy = 7;
    canvas.Dc().Draw3dRect(left, top, cx, cy, kRed, kBlue);
    const int right = left + cx - 1, bottom = top + cy - 1;    // last column and row
    EXPECT_TRUE(canvas.Matches([&](int x, int y) {
        if (x < left || x > right || y < top || y > bottom)
            return kWhite;
        if (x == right || y == bottom)
            return kBlue;
        if (x == left || y == top)
            return kRed;
        return kWhite;
    }));
}

TEST(DrawingObjects, HalftoneBrushAlternatesPixels)
{
    DibCanvas canvas(16, 16);
    CDC& dc = canvas.Dc();
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkColor(kWhite);
    CBrush* halftone = CDC::GetHalftoneBrush();
    ASSERT_NE(halftone, nullptr);
    EXPECT_EQ(CDC::GetHalftoneBrush(), halftone) << "one brush for the process";
    CBrush* old = dc.SelectObject(halftone);
    dc.PatBlt(0, 0, 16, 16, PATCOPY);
    dc.SelectObject(old);
    COLORREF origin = canvas.Pixel(0, 0);
    EXPECT_TRUE(origin == kWhite || origin == RGB(0, 0, 0)) << ColorText(origin);
    COLORREF other = origin == kWhite ? RGB(0, 0, 0) : kWhite;
    EXPECT_TRUE(canvas.Matches([&](int x, int y) { return (x + y) % 2 ? other : origin; }));
}

TEST(DrawingObjects, TextIsDrawnInsideItsRectangleOnly)
{
    DibCanvas canvas(120, 40);
    CDC& dc = canvas.Dc();
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(100, L"Tahoma"));
    CFont* old = dc.SelectObject(&font);
    SIZE extent = dc.GetTextExtent(CString(L"Wide text here"));
    EXPECT_GT(extent.cx, 20);
    EXPECT_GT(extent.cy, 5);
    RECT rect = {10, 10, 50, 30};
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText(CString(L"Wide text here"), &rect, DT_SINGLELINE | DT_VCENTER);
    dc.SelectObject(old);

    int inked = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (canvas.Pixel(x, y) == kWhite)
                continue;
            POINT p = {x, y};
            EXPECT_TRUE(::PtInRect(&rect, p)) << "ink outside the rectangle at " << x << "," << y;
            ++inked;
        }
    }
    EXPECT_GT(inked, 20) << "no text drawn";
}

// A 16x16 bitmap on a magenta background with a red square at (4,4)-(8,8).
void PaintSample(CBitmap& bitmap)
{
    DibCanvas source(16, 16);
    source.Dc().FillSolidRect(0, 0, 16, 16, kMagenta);
    source.Dc().FillSolidRect(4, 4, 4, 4, kRed);
    bitmap.Attach(::CopyImage(source.Bitmap(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

TEST(DrawingObjects, ImageListMaskColourIsTransparentWhenDrawn)
{
    CBitmap sample;
    PaintSample(sample);
    CImageList list;
    ASSERT_TRUE(list.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 2));
    ASSERT_EQ(list.Add(&sample, kMagenta), 0);

    // The caller's bitmap keeps its magenta: the platform call would have blackened it.
    CDC probe;
    probe.CreateCompatibleDC(nullptr);
    CBitmap* old = probe.SelectObject(&sample);
    EXPECT_EQ(probe.GetPixel(0, 0), kMagenta);
    probe.SelectObject(old);

    DibCanvas canvas(24, 24);
    canvas.Dc().FillSolidRect(0, 0, 24, 24, kGreen);
    ASSERT_TRUE(list.Draw(&canvas.Dc(), 0, POINT{3, 2}, ILD_TRANSPARENT));
    EXPECT_TRUE(canvas.Matches([](int x, int y) {
        bool inSquare = x >= 3 + 4 && x < 3 + 8 && y >= 2 + 4 && y < 2 + 8;
        return inSquare ? kRed : kGreen;
    }));
}

TEST(DrawingObjects, ImageListGrowsAndIsDestroyedWithItsWrapper)
{
    CBitmap sample;
    PaintSample(sample);
    auto* list = new CImageList;
    ASSERT_TRUE(list->Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 2));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list->Add(&sample, kMagenta), i);
    EXPECT_EQ(list->GetImageCount(), 5);
    HICON icon = list->ExtractIcon(4);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(list->Add(icon), 5);
    ::DestroyIcon(icon);
    HIMAGELIST handle = list->m_hImageList;
    EXPECT_EQ(CImageList::FromHandle(handle), list);
    delete list;
    EXPECT_FALSE(ImageList_GetImageCount(handle) > 0) << "the list outlived its wrapper";
}

TEST(DrawingObjects, MenuLoadsSubmenusAndIsDestroyedWithItsWrapper)
{
    auto* menu = new CMenu;
    ASSERT_TRUE(menu->LoadMenu(IDR_TEST_MENU));
    ASSERT_EQ(menu->GetMenuItemCount(), 1u);
    CMenu* popup = menu->GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetMenuItemCount(), 3u);
    EXPECT_EQ(popup->GetMenuItemID(0), static_cast<UINT>(ID_TEST_EDIT));
    EXPECT_EQ(popup->GetMenuItemID(1), 0u) << "separator";
    CString text;
    EXPECT_EQ(popup->GetMenuString(ID_TEST_DELETE, text, MF_BYCOMMAND), 11);
    EXPECT_EQ(text, L"&Delete\tDel");
    EXPECT_EQ(menu->GetSubMenu(0), popup) << "one temporary per handle until idle";
    EXPECT_EQ(popup->EnableMenuItem(ID_TEST_EDIT, MF_GRAYED), static_cast<UINT>(MF_ENABLED));

    HMENU handle = menu->m_hMenu;
    HMENU popupHandle = popup->m_hMenu;
    CMenu::DeleteTempMap();
    EXPECT_TRUE(::IsMenu(popupHandle)) << "a temporary must not destroy its menu";
    delete menu;
    EXPECT_FALSE(::IsMenu(handle));
    EXPECT_FALSE(::IsMenu(popupHandle));
}

} // namespace
