#include "toolkit/foundation/XTPImageManagerResource.h"

#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPLockGuard.h"

#include <algorithm>
#include <cstring>

namespace {

// Selects a bitmap into a context for one scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(m_dc, m_old); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace

CXTPImageManagerResource::CXTPImageManagerResource(int iconWidth, int iconHeight)
    : m_iconWidth(iconWidth), m_iconHeight(iconHeight), m_dc(CreateCompatibleDC(nullptr))
{
    InitializeCriticalSection(&m_lock);
}

CXTPImageManagerResource::CXTPImageManagerResource(CXTPImageManager* manager, int iconWidth, int iconHeight)
    : CXTPImageManagerResource(iconWidth, iconHeight)
{
    m_manager = manager;
}

CXTPImageManagerResource::~CXTPImageManagerResource()
{
    Clear();
    if (m_dc)
        DeleteDC(m_dc);
    DeleteCriticalSection(&m_lock);
}

void CXTPImageManagerResource::Clear()
{
    CXTPLockGuard guard(m_lock);
    ClearLocked();
}

void CXTPImageManagerResource::ClearLocked()
{
    m_used.clear();
    m_free.clear();
    if (m_colour)
        DeleteObject(m_colour);
    if (m_mask)
        DeleteObject(m_mask);
    m_colour = nullptr;
    m_mask = nullptr;
    m_colourBits = nullptr;
    m_usedWidth = 0;
}

XTPImageSlot* CXTPImageManagerResource::AllocateSlot()
{
    CXTPLockGuard guard(m_lock);
    if (!m_free.empty()) {
        m_used.push_back(std::move(m_free.back()));
        m_free.pop_back();
        return m_used.back().get();
    }
    if (m_iconWidth <= 0 || m_iconHeight <= 0 || !m_dc)
        return nullptr;
    const int newWidth = m_usedWidth + m_iconWidth;
    void* bits = nullptr;
    HBITMAP colour = CreateAlphaDibSection(nullptr, newWidth, m_iconHeight, &bits);
    HBITMAP mask = CreateBitmap(newWidth, m_iconHeight, 1, 1, nullptr);
    if (!colour || !mask) {
        if (colour)
            DeleteObject(colour);
        if (mask)
            DeleteObject(mask);
        return nullptr;
    }
    if (m_colour) {
        // Both strips are bottom-up DIB rows; each old row moves to the wider stride.
        for (int y = 0; y < m_iconHeight; ++y)
            std::memcpy(static_cast<BYTE*>(bits) + static_cast<size_t>(y) * newWidth * 4,
                        m_colourBits + static_cast<size_t>(y) * m_usedWidth * 4, static_cast<size_t>(m_usedWidth) * 4);
        HDC source = CreateCompatibleDC(nullptr);
        {
            Selected target(m_dc, mask);
            Selected old(source, m_mask);
            BitBlt(m_dc, 0, 0, m_usedWidth, m_iconHeight, source, 0, 0, SRCCOPY);
        }
        DeleteDC(source);
        DeleteObject(m_colour);
        DeleteObject(m_mask);
    }
    m_colour = colour;
    m_colourBits = static_cast<BYTE*>(bits);
    m_mask = mask;
    auto slot = std::make_unique<XTPImageSlot>();
    slot->strip = this;
    slot->rect = RECT{m_usedWidth, 0, newWidth, m_iconHeight};
    m_usedWidth = newWidth;
    m_used.push_back(std::move(slot));
    return m_used.back().get();
}

void CXTPImageManagerResource::FreeSlot(XTPImageSlot* slot)
{
    CXTPLockGuard guard(m_lock);
    auto found = std::find_if(m_used.begin(), m_used.end(), [slot](const auto& s) { return s.get() == slot; });
    if (found == m_used.end())
        return;
    (*found)->alpha = false;
    m_free.push_back(std::move(*found));
    m_used.erase(found);
    if (static_cast<long long>(m_free.size()) * m_iconWidth >= m_usedWidth)
        ClearLocked();
}

XTPImageSlot* CXTPImageManagerResource::AddIcon(HICON icon)
{
    const SIZE size = GetIconPixelSize(icon);
    if (!icon || size.cx != m_iconWidth || size.cy != m_iconHeight)
        return nullptr;
    CXTPLockGuard guard(m_lock);
    XTPImageSlot* slot = AllocateSlot();
    if (!slot)
        return nullptr;
    if (IsComCtl6OrLater()) {
        ICONINFO info = {};
        if (GetIconInfo(icon, &info)) {
            int realAlpha = 0;
            BYTE* pixels = nullptr;
            HBITMAP premultiplied = info.hbmColor ? PremultiplyAlphaBitmap(info.hbmColor, &realAlpha, &pixels) : nullptr;
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
            if (premultiplied && realAlpha == 1) {
                for (int y = 0; y < m_iconHeight; ++y)
                    std::memcpy(m_colourBits + (static_cast<size_t>(y) * m_usedWidth + slot->rect.left) * 4,
                                pixels + static_cast<size_t>(y) * m_iconWidth * 4, static_cast<size_t>(m_iconWidth) * 4);
                DeleteObject(premultiplied);
                slot->alpha = true;
                return slot;
            }
            if (premultiplied)
                DeleteObject(premultiplied);
        }
    }
    // A plain icon: its colour on black, and its mask.
    const RECT& r = slot->rect;
    {
        Selected colour(m_dc, m_colour);
        FillRect(m_dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DrawIconEx(m_dc, r.left, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    }
    {
        Selected mask(m_dc, m_mask);
        FillRect(m_dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DrawIconEx(m_dc, r.left, 0, icon, 0, 0, 0, nullptr, DI_MASK);
    }
    GdiFlush();
    slot->alpha = false;
    return slot;
}

XTPImageSlot* CXTPImageManagerResource::AddAlphaBitmap(HBITMAP bitmap)
{
    BITMAP description = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(description), &description) || description.bmWidth != m_iconWidth ||
        description.bmHeight != m_iconHeight || description.bmBitsPixel != 32)
        return nullptr;
    BYTE* pixels = nullptr;
    HBITMAP copy = CopyAlphaBitmap(bitmap, &pixels);
    if (!copy)
        return nullptr;
    CXTPLockGuard guard(m_lock);
    XTPImageSlot* slot = AllocateSlot();
    if (slot) {
        for (int y = 0; y < m_iconHeight; ++y)
            std::memcpy(m_colourBits + (static_cast<size_t>(y) * m_usedWidth + slot->rect.left) * 4,
                        pixels + static_cast<size_t>(y) * m_iconWidth * 4, static_cast<size_t>(m_iconWidth) * 4);
        slot->alpha = true;
    }
    DeleteObject(copy);
    return slot;
}

XTPSlotImage CXTPImageManagerResource::CopySlotToImage(const XTPImageSlot* slot)
{
    XTPSlotImage image;
    CXTPLockGuard guard(m_lock);
    if (!slot || !m_colour)
        return image;
    void* bits = nullptr;
    HBITMAP dib = CreateAlphaDibSection(nullptr, m_iconWidth, m_iconHeight, &bits);
    if (!dib)
        return image;
    GdiFlush();
    for (int y = 0; y < m_iconHeight; ++y)
        std::memcpy(static_cast<BYTE*>(bits) + static_cast<size_t>(y) * m_iconWidth * 4,
                    m_colourBits + (static_cast<size_t>(y) * m_usedWidth + slot->rect.left) * 4,
                    static_cast<size_t>(m_iconWidth) * 4);
    if (slot->alpha) {
        image.alphaBitmap = dib;
        return image;
    }
    HBITMAP mask = CreateBitmap(m_iconWidth, m_iconHeight, 1, 1, nullptr);
    if (mask) {
        HDC source = CreateCompatibleDC(nullptr);
        {
            Selected target(m_dc, mask);
            Selected from(source, m_mask);
            BitBlt(m_dc, 0, 0, m_iconWidth, m_iconHeight, source, slot->rect.left, 0, SRCCOPY);
        }
        DeleteDC(source);
        ICONINFO info = {TRUE, 0, 0, mask, dib};
        image.icon = CreateIconIndirect(&info);
        DeleteObject(mask);
    }
    DeleteObject(dib);
    return image;
}

void CXTPImageManagerResource::DrawSlot(HDC dc, const XTPImageSlot* slot, int x, int y, int cx, int cy, bool mirrored)
{
    CXTPLockGuard guard(m_lock);
    if (!dc || !slot || !m_colour)
        return;
    if (slot->alpha) {
        Selected colour(m_dc, m_colour);
        const RECT target = {x, y, x + cx, y + cy};
        const RECT source = {slot->rect.left, 0, slot->rect.left + m_iconWidth, m_iconHeight};
        GetGlobalImageManager()->AlphaBlend(dc, &target, m_dc, &source);
        return;
    }
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    if (mirrored) {
        DrawSlotMirrored(dc, slot, x, y, cx, cy);
    } else {
        {
            Selected mask(m_dc, m_mask);
            SetTextColor(m_dc, RGB(0, 0, 0));
            SetBkColor(m_dc, RGB(255, 255, 255));
            StretchBlt(dc, x, y, cx, cy, m_dc, slot->rect.left, 0, m_iconWidth, m_iconHeight, SRCAND);
        }
        {
            Selected colour(m_dc, m_colour);
            StretchBlt(dc, x, y, cx, cy, m_dc, slot->rect.left, 0, m_iconWidth, m_iconHeight, SRCINVERT);
        }
    }
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
    SetStretchBltMode(dc, oldMode);
}

void CXTPImageManagerResource::DrawSlotMirrored(HDC dc, const XTPImageSlot* slot, int x, int y, int cx, int cy)
{
    // The slot's mask and colour are turned round in memory and then drawn like any other slot:
    // a blit to a negative width is not mirrored by every GDI.
    void* maskBits = nullptr;
    void* colourBits = nullptr;
    HBITMAP mask = CreateAlphaDibSection(nullptr, m_iconWidth, m_iconHeight, &maskBits);
    HBITMAP colour = CreateAlphaDibSection(nullptr, m_iconWidth, m_iconHeight, &colourBits);
    HDC source = CreateCompatibleDC(nullptr);
    if (mask && colour && source) {
        {
            Selected from(m_dc, m_mask);
            Selected to(source, mask);
            SetTextColor(source, RGB(0, 0, 0));
            SetBkColor(source, RGB(255, 255, 255));
            BitBlt(source, 0, 0, m_iconWidth, m_iconHeight, m_dc, slot->rect.left, 0, SRCCOPY);
        }
        GdiFlush();
        for (int row = 0; row < m_iconHeight; ++row) {
            std::memcpy(static_cast<BYTE*>(colourBits) + static_cast<size_t>(row) * m_iconWidth * 4,
                        m_colourBits + (static_cast<size_t>(row) * m_usedWidth + slot->rect.left) * 4,
                        static_cast<size_t>(m_iconWidth) * 4);
            for (void* bits : {maskBits, colourBits}) {
                DWORD* line = static_cast<DWORD*>(bits) + static_cast<size_t>(row) * m_iconWidth;
                std::reverse(line, line + m_iconWidth);
            }
        }
        {
            Selected from(source, mask);
            StretchBlt(dc, x, y, cx, cy, source, 0, 0, m_iconWidth, m_iconHeight, SRCAND);
        }
        {
            Selected from(source, colour);
            StretchBlt(dc, x, y, cx, cy, source, 0, 0, m_iconWidth, m_iconHeight, SRCINVERT);
        }
    }
    if (source)
        DeleteDC(source);
    if (mask)
        DeleteObject(mask);
    if (colour)
        DeleteObject(colour);
}

XTPImageSlot* CXTPImageManagerResource::AddImage(CXTPIconImage& image)
{
    const SIZE size = image.GetSize();
    if (image.IsEmpty() || size.cx != m_iconWidth || size.cy != m_iconHeight)
        return nullptr;
    if (image.GetIcon())
        return AddIcon(image.GetIcon());
    if (!image.GetSlot() && image.GetBitmap() && image.GetBits())
        return AddAlphaBitmap(image.GetBitmap());
    return nullptr;
}

void CXTPImageManagerResource::CopySlotToImage(CXTPIconImage& image, const XTPImageSlot* slot)
{
    image.Clear();
    const XTPSlotImage copy = CopySlotToImage(slot);
    if (copy.alphaBitmap)
        image.SetPremultipliedBitmap(copy.alphaBitmap);
    else if (copy.icon)
        image.SetIcon(copy.icon);
}

void CXTPImageManagerResource::DrawSlot(HDC dc, const XTPImageSlot* slot, int x, int y, int cx, int cy,
                                        BOOL composited)
{
    CXTPLockGuard guard(m_lock);
    if (!dc || !slot || !m_colour)
        return;
    CXTPImageManager* manager = m_manager ? m_manager : GetGlobalImageManager();
    if (!slot->alpha && composited) {
        // Mirrored like the plain drawing, so that a picture looks the same whichever way it is
        // drawn.
        const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        DrawSlotComposited(dc, slot, x, y, cx, cy, manager->IsDrawMirrored(dc) != FALSE);
        SetStretchBltMode(dc, oldMode);
        return;
    }
    DrawSlot(dc, slot, x, y, cx, cy, !slot->alpha && manager->IsDrawMirrored(dc));
}

void CXTPImageManagerResource::DrawSlotComposited(HDC dc, const XTPImageSlot* slot, int x, int y, int cx, int cy,
                                                  bool mirrored)
{
    CXTPLockGuard guard(m_lock);
    if (!dc || !slot || !m_colour || cx <= 0 || cy <= 0)
        return;
    void* bits = nullptr;
    HBITMAP dib = CreateAlphaDibSection(nullptr, cx, cy, &bits);
    HDC target = CreateCompatibleDC(nullptr);
    if (dib && target) {
        Selected selected(target, dib);
        SetStretchBltMode(target, COLORONCOLOR);
        SetTextColor(target, RGB(0, 0, 0));
        SetBkColor(target, RGB(255, 255, 255));
        {
            Selected mask(m_dc, m_mask);
            SetTextColor(m_dc, RGB(0, 0, 0));
            SetBkColor(m_dc, RGB(255, 255, 255));
            StretchBlt(target, 0, 0, cx, cy, m_dc, slot->rect.left, 0, m_iconWidth, m_iconHeight, SRCCOPY);
        }
        GdiFlush();
        // Where the mask is 0 the icon is opaque: black with full alpha, so that the colour
        // XOR-ed onto it below comes out as itself.
        auto* pixels = static_cast<DWORD*>(bits);
        for (size_t i = 0; i < static_cast<size_t>(cx) * static_cast<size_t>(cy); ++i)
            pixels[i] = (pixels[i] & 0x00FFFFFF) == 0 ? 0xFF000000 : 0;
        {
            Selected colour(m_dc, m_colour);
            StretchBlt(target, 0, 0, cx, cy, m_dc, slot->rect.left, 0, m_iconWidth, m_iconHeight, SRCINVERT);
        }
        GdiFlush();
        if (mirrored)
            for (int row = 0; row < cy; ++row)
                std::reverse(pixels + static_cast<size_t>(row) * cx, pixels + static_cast<size_t>(row + 1) * cx);
        const RECT targetRect = {x, y, x + cx, y + cy};
        const RECT sourceRect = {0, 0, cx, cy};
        GetGlobalImageManager()->AlphaBlend(dc, &targetRect, target, &sourceRect);
    }
    if (target)
        DeleteDC(target);
    if (dib)
        DeleteObject(dib);
}
