#pragma once
// CXTPGraphicBitmapPng: PNG data (a file, a "PNG" resource or bytes in memory) decoded into a
// 32-bit top-down DIB section (bytes blue, green, red, alpha; colours not premultiplied; alpha 0
// for images without an alpha channel). Every failure leaves no bitmap and the alpha flag false.

#include "framework/window/Gdi.h"

class CXTPGraphicBitmapPng : public CBitmap {
public:
    // Images wider or taller than this, or holding more pixel bytes than the byte cap, are
    // refused before any pixel memory is allocated (the products are taken in 64 bits).
    static constexpr unsigned kMaxSide = 32767;
    static constexpr unsigned long long kMaxPixelBytes = 256ull * 1024 * 1024;

    CXTPGraphicBitmapPng() = default;
    ~CXTPGraphicBitmapPng() override = default;

    BOOL LoadFromFile(const wchar_t* path);
    // resource: found by the caller (type "PNG") in module.
    BOOL LoadFromResource(HMODULE module, HRSRC resource);
    BOOL LoadFromMemory(const void* data, size_t size);

    BOOL IsAlpha() const { return m_alpha; }

private:
    void Reset();

    BOOL m_alpha = FALSE;
};

// The decoded image before it becomes a DIB: rows of width x channels bytes, top row first.
struct XTPPngRows {
    unsigned width = 0;
    unsigned height = 0;
    int channels = 0;
    BYTE background[3] = {127, 127, 127};
    BYTE* rows = nullptr; // malloc'd; the caller frees it
};

// Decodes PNG bytes. True with the rows filled; false (rows null) for anything that is not a
// whole, decodable PNG within the caps. No exception leaves it and none crosses libpng.
bool ReadPngRows(const void* data, size_t size, XTPPngRows& out);
// A top-down 32-bit DIB section from decoded rows of 3 or 4 channels; null when it cannot be made.
HBITMAP MakeDibFromRows(const BYTE* rows, unsigned width, unsigned height, int channels);
