#pragma once
// CXTPImageManagerResource: the shared strips that hold every packed icon of one size. One
// 32-bit colour strip and one 1-bit mask strip, each a row of icon-sized slots; a slot is
// either an alpha slot (premultiplied pixels in the colour strip, mask unused) or a plain slot
// (colour drawn on black plus mask, drawn with SRCAND and SRCINVERT). Freed slots are reused most
// recently freed first; the strips grow one icon width at a time and are deleted when every
// slot is free.

#include <windows.h>

#include <memory>
#include <vector>

class CXTPImageManager;
class CXTPIconImage;
class CXTPImageManagerResource;

struct XTPImageSlot {
    bool alpha = false;
    RECT rect = {0, 0, 0, 0};
    CXTPImageManagerResource* strip = nullptr;
};

// What a slot gives back as a standalone picture: an alpha DIB or an icon (owned by the caller).
struct XTPSlotImage {
    HBITMAP alphaBitmap = nullptr;
    HICON icon = nullptr;
};

class CXTPImageManagerResource {
public:
    CXTPImageManagerResource(int iconWidth, int iconHeight);
    // A strip of a manager, whose mirroring rule its plain slots follow.
    CXTPImageManagerResource(CXTPImageManager* manager, int iconWidth, int iconHeight);
    ~CXTPImageManagerResource();
    CXTPImageManagerResource(const CXTPImageManagerResource&) = delete;
    CXTPImageManagerResource& operator=(const CXTPImageManagerResource&) = delete;

    SIZE GetIconSize() const { return SIZE{m_iconWidth, m_iconHeight}; }
    int GetUsedWidth() const { return m_usedWidth; }
    HBITMAP GetColorStrip() const { return m_colour; }
    HBITMAP GetMaskStrip() const { return m_mask; }

    XTPImageSlot* AllocateSlot();
    void FreeSlot(XTPImageSlot* slot);
    void Clear();

    // Packs an icon: as an alpha slot when common controls 6 are present and its colour bitmap
    // has real alpha, else as colour on black plus mask. Null when its size is not the strip's.
    XTPImageSlot* AddIcon(HICON icon);
    // Packs a 32-bit bitmap of the strip's size; its pixels are taken as premultiplied.
    XTPImageSlot* AddAlphaBitmap(HBITMAP bitmap);

    // Packs a record of the strip's size: an icon as AddIcon, a bitmap by its premultiplied
    // pixels. Null for an empty record or one of another size.
    XTPImageSlot* AddImage(CXTPIconImage& image);

    XTPSlotImage CopySlotToImage(const XTPImageSlot* slot);
    // The record is cleared and owns a standalone copy of the slot: a DIB section with its pixel
    // pointer for an alpha slot, an icon for a plain one.
    void CopySlotToImage(CXTPIconImage& image, const XTPImageSlot* slot);
    // Alpha slots are alpha-blended; plain slots stretched with the mask (SRCAND) then the
    // colour (SRCINVERT). mirrored draws right to left.
    void DrawSlot(HDC dc, const XTPImageSlot* slot, int x, int y, int cx, int cy, bool mirrored = false);
    // As above, plain slots mirrored by the manager's rule (the global manager's without one),
    // and with composited the plain slot drawn with real alpha through DrawSlotComposited.
    void DrawSlot(HDC dc, const XTPImageSlot* slot, int x, int y, int cx, int cy, BOOL composited);
    // A plain slot as a 32-bit picture: opaque where the mask is, transparent elsewhere, blended.
    // mirrored turns the picture round, as plain slots are under the manager's mirroring rule.
    void DrawSlotComposited(HDC dc, const XTPImageSlot* slot, int x, int y, int cx, int cy, bool mirrored = false);

private:
    void ClearLocked();
    void DrawSlotMirrored(HDC dc, const XTPImageSlot* slot, int x, int y, int cx, int cy);

    CXTPImageManager* m_manager = nullptr;
    int m_iconWidth;
    int m_iconHeight;
    int m_usedWidth = 0;
    HBITMAP m_colour = nullptr;
    BYTE* m_colourBits = nullptr;
    HBITMAP m_mask = nullptr;
    HDC m_dc = nullptr;
    std::vector<std::unique_ptr<XTPImageSlot>> m_used;
    std::vector<std::unique_ptr<XTPImageSlot>> m_free;
    CRITICAL_SECTION m_lock; // entered again by the drawing paths that call each other
};
