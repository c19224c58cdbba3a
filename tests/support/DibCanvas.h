#pragma once
// A white top-down 32-bit DIB section selected into a memory context of its own, for drawing
// tests that compare pixels. Only RGB is compared: GDI leaves the alpha byte 0, GDI+ writes 0xFF.
#include <windows.h>

namespace testsupport {

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
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        Clear();
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;
    ~DibCanvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }

    HDC DC() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void Clear()
    {
        ::GdiFlush();
        for (int i = 0; i < m_width * m_height; ++i)
            m_bits[i] = 0x00FFFFFF;
    }
    // The pixel's RGB as a COLORREF.
    COLORREF At(int x, int y) const
    {
        ::GdiFlush();
        const DWORD pixel = m_bits[y * m_width + x];
        return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
    }
    int Count(COLORREF color) const
    {
        int count = 0;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                count += At(x, y) == color ? 1 : 0;
        return count;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};

}    // namespace testsupport
