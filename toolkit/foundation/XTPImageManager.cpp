#include "toolkit/foundation/XTPImageManager.h"

#include <cstring>

HBITMAP CreateAlphaDibSection(HDC dc, int width, int height, void** bits)
{
    if (bits)
        *bits = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = dc ? nullptr : GetDC(nullptr);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc ? dc : screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (screen)
        ReleaseDC(nullptr, screen);
    if (!bitmap || !pixels) {
        if (bitmap)
            DeleteObject(bitmap);
        return nullptr;
    }
    std::memset(pixels, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    if (bits)
        *bits = pixels;
    return bitmap;
}
