// The blending side of the image manager: alpha blending with its own compositor for contexts
// msimg32 cannot serve, colour-keyed copying with a mask fallback, alpha bitmaps and plain icons
// drawn so that the result carries real alpha, and pictures that only OLE can read.

#include "toolkit/foundation/XTPImageManager.h"

#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPOsVersion.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <cstdlib>

namespace {

// Selects an object into a context for one scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(object ? SelectObject(dc, object) : nullptr) {}
    ~Selected()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A memory context compatible with another, deleted at the end of the scope.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatible) : m_dc(CreateCompatibleDC(compatible)) {}
    ~MemoryDC()
    {
        if (m_dc)
            DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
};

class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap = nullptr) : m_bitmap(bitmap) {}
    ~OwnedBitmap()
    {
        if (m_bitmap)
            DeleteObject(m_bitmap);
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;
    operator HBITMAP() const { return m_bitmap; }

private:
    HBITMAP m_bitmap;
};

} // namespace

CXTPDrawHelpers* CXTPImageManager::DrawHelpers() const
{
    return m_drawHelpers ? m_drawHelpers : GetDrawHelpers();
}

const CXTPOsVersionCache& CXTPImageManager::OsVersion() const
{
    return m_osVersion ? *m_osVersion : GetOsVersionCache();
}

BOOL CXTPImageManager::AlphaBlend(HDC target, LPCRECT targetRect, HDC source, LPCRECT sourceRect)
{
    if (!target || !source || !targetRect || !sourceRect)
        return FALSE;
    const int cx = targetRect->right - targetRect->left;
    const int cy = targetRect->bottom - targetRect->top;
    const int sw = sourceRect->right - sourceRect->left;
    const int sh = sourceRect->bottom - sourceRect->top;
    const CXTPOsVersionCache& os = OsVersion();
    PFNXTPALPHABLEND blend = DrawHelpers()->m_pfnAlphaBlend;
    const bool fallback = (GetDeviceLayout(target) != 0 && os.IsWin9x()) || !blend ||
                          (!os.IsWin2000OrLater() &&
                           (sourceRect->left != 0 || sourceRect->top != 0 || targetRect->top < 0));
    if (fallback)
        return AlphaBlendFallback(target, targetRect->left, targetRect->top, cx, cy, source, sourceRect->left,
                                  sourceRect->top, sw, sh);
    const BLENDFUNCTION function = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return blend(target, targetRect->left, targetRect->top, cx, cy, source, sourceRect->left, sourceRect->top, sw, sh,
                 function);
}

BOOL AlphaBlendFallback(HDC target, int x, int y, int cx, int cy, HDC source, int sx, int sy, int sw, int sh)
{
    if (!target || !source || cx <= 0 || cy <= 0)
        return FALSE;
    const DWORD sourceLayout = GetDeviceLayout(source);
    const DWORD targetLayout = GetDeviceLayout(target);

    OwnedBitmap s(CreateAlphaDibSection(nullptr, cx, cy));
    OwnedBitmap d(CreateAlphaDibSection(nullptr, cx, cy));
    OwnedBitmap r(CreateAlphaDibSection(nullptr, cx, cy));
    MemoryDC sourceCopy(source);
    MemoryDC targetCopy(source);
    if (!s || !d || !r || !sourceCopy || !targetCopy)
        return FALSE;
    SetDeviceLayout(sourceCopy, 0);
    SetDeviceLayout(targetCopy, 0);
    SetStretchBltMode(sourceCopy, COLORONCOLOR);
    SetStretchBltMode(targetCopy, COLORONCOLOR);
    {
        Selected first(sourceCopy, s);
        Selected second(targetCopy, d);
        if (!StretchBlt(sourceCopy, 0, 0, cx, cy, source, sx, sy, sw, sh, SRCCOPY) ||
            !BitBlt(targetCopy, 0, 0, cx, cy, target, x, y, SRCCOPY))
            return FALSE;
    }
    GdiFlush();
    if (!CompositeAlphaBitmaps(s, sourceLayout != 0, d, targetLayout != 0, r))
        return FALSE;
    Selected result(sourceCopy, r);
    return BitBlt(target, x, y, cx, cy, sourceCopy, 0, 0, targetLayout ? (SRCCOPY | NOMIRRORBITMAP) : SRCCOPY);
}

BOOL CXTPImageManager::TransparentBlt(HDC target, LPCRECT targetRect, HDC source, LPCRECT sourceRect, UINT key)
{
    if (!target || !source || !targetRect || !sourceRect)
        return FALSE;
    const int cx = targetRect->right - targetRect->left;
    const int cy = targetRect->bottom - targetRect->top;
    const int sw = sourceRect->right - sourceRect->left;
    const int sh = sourceRect->bottom - sourceRect->top;
    PFNXTPTRANSPARENTBLT blt = DrawHelpers()->m_pfnTransparentBlt;
    if (blt && OsVersion().IsWin2000OrLater())
        return blt(target, targetRect->left, targetRect->top, cx, cy, source, sourceRect->left, sourceRect->top, sw,
                   sh, key);
    return MaskedTransparentBlt(target, targetRect->left, targetRect->top, cx, cy, source, sourceRect->left,
                                sourceRect->top, sw, sh, key);
}

BOOL MaskedTransparentBlt(HDC target, int x, int y, int cx, int cy, HDC source, int sx, int sy, int sw, int sh,
                          UINT key)
{
    if (!target || !source || sw <= 0 || sh <= 0)
        return FALSE;
    const COLORREF oldBack = SetBkColor(target, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
    BOOL result = FALSE;
    {
        MemoryDC copyDC(target);
        MemoryDC maskDC(target);
        OwnedBitmap copy(CreateCompatibleBitmap(target, sw, sh));
        OwnedBitmap mask(CreateBitmap(sw, sh, 1, 1, nullptr));
        if (copyDC && maskDC && copy && mask) {
            Selected copySelected(copyDC, copy);
            Selected maskSelected(maskDC, mask);
            result = BitBlt(copyDC, 0, 0, sw, sh, source, sx, sy, SRCCOPY);
            // The key colour is the copy's background: key pixels become 1 in the mask.
            SetBkColor(copyDC, key);
            result = result && BitBlt(maskDC, 0, 0, sw, sh, copyDC, 0, 0, SRCCOPY);
            if (result && key != RGB(0, 0, 0)) {
                // Key pixels of the copy go black so that OR-ing it leaves the target there.
                SetBkColor(copyDC, RGB(0, 0, 0));
                SetTextColor(copyDC, RGB(255, 255, 255));
                result = BitBlt(copyDC, 0, 0, sw, sh, maskDC, 0, 0, SRCAND);
            }
            if (result) {
                if (cx == sw && cy == sh)
                    result = BitBlt(target, x, y, cx, cy, maskDC, 0, 0, SRCAND) &&
                             BitBlt(target, x, y, cx, cy, copyDC, 0, 0, SRCPAINT);
                else
                    result = StretchBlt(target, x, y, cx, cy, maskDC, 0, 0, sw, sh, SRCAND) &&
                             StretchBlt(target, x, y, cx, cy, copyDC, 0, 0, sw, sh, SRCPAINT);
            }
        }
    }
    SetBkColor(target, oldBack);
    SetTextColor(target, oldText);
    return result;
}

BOOL AlphaBlendBitmap(HDC target, HBITMAP bitmap, int x, int y, int cx, int cy, int sx, int sy, int sw, int sh)
{
    if (!target || !bitmap)
        return FALSE;
    if (sw == 0 && sh == 0) {
        sw = cx;
        sh = cy;
    }
    MemoryDC dc(nullptr);
    if (!dc)
        return FALSE;
    Selected selected(dc, bitmap);
    const RECT targetRect = {x, y, x + cx, y + cy};
    const RECT sourceRect = {sx, sy, sx + sw, sy + sh};
    return GetGlobalImageManager()->AlphaBlend(target, &targetRect, dc, &sourceRect);
}

BOOL DrawIconAlphaBlended(HDC target, int x, int y, int cx, int cy, HICON icon)
{
    const bool mirrored = cx < 0;
    const int width = std::abs(cx);
    if (!target || !icon || width == 0 || cy <= 0)
        return FALSE;
    const int left = mirrored ? x + cx : x;
    void* bits = nullptr;
    OwnedBitmap dib(CreateAlphaDibSection(nullptr, width, cy, &bits));
    MemoryDC dc(nullptr);
    if (!dib || !dc)
        return FALSE;
    auto* pixels = static_cast<DWORD*>(bits);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(cy);
    for (size_t i = 0; i < count; ++i)
        pixels[i] = 0x00FF00FF;
    Selected selected(dc, dib);
    DrawIconEx(dc, 0, 0, icon, width, cy, 0, nullptr, DI_NORMAL);
    GdiFlush();
    // Drawn right to left: each row is turned round here rather than asking DrawIconEx for a
    // negative width, which it does not honour everywhere.
    if (mirrored)
        for (int row = 0; row < cy; ++row) {
            DWORD* line = pixels + static_cast<size_t>(row) * width;
            for (int i = 0, j = width - 1; i < j; ++i, --j)
                std::swap(line[i], line[j]);
        }
    // What the icon left untouched is transparent; everything it drew is opaque.
    for (size_t i = 0; i < count; ++i)
        pixels[i] = pixels[i] == 0x00FF00FF ? 0 : (pixels[i] | 0xFF000000);
    const RECT targetRect = {left, y, left + width, y + cy};
    const RECT sourceRect = {0, 0, width, cy};
    return GetGlobalImageManager()->AlphaBlend(target, &targetRect, dc, &sourceRect);
}

COLORREF GetBitmapPixel(HBITMAP bitmap, int x, int y)
{
    BITMAP description = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(description), &description))
        return CLR_INVALID;
    CXTPCompatibleDC dc(nullptr, bitmap);
    return dc.GetPixel(x, y);
}

HBITMAP LoadOlePictureAsBitmap(const wchar_t* path)
{
    if (!path)
        return nullptr;
    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicturePath(const_cast<LPOLESTR>(path), nullptr, 0, 0, IID_IPicture,
                                  reinterpret_cast<void**>(&picture))) ||
        !picture)
        return nullptr;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    HBITMAP result = nullptr;
    HDC screen = GetDC(nullptr);
    const int width = MulDiv(hmWidth, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    const int height = MulDiv(hmHeight, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ReleaseDC(nullptr, screen);
    HBITMAP dib = CreateAlphaDibSection(nullptr, width, height);
    if (dib) {
        MemoryDC dc(nullptr);
        bool drawn = false;
        if (dc) {
            Selected selected(dc, dib);
            const RECT all = {0, 0, width, height};
            FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
            // HIMETRIC runs upwards: start at the bottom with a negative height to draw upright.
            drawn = SUCCEEDED(picture->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr));
        }
        if (drawn)
            result = dib;
        else
            DeleteObject(dib);
    }
    picture->Release();
    return result;
}
