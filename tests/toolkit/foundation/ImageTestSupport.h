#pragma once
// Shared pieces of the image tests: the fixtures' reference colour, fixture paths, reading the
// pixels of a DIB section, and a buffer that ends at an inaccessible page so that any read past
// its data faults at once.

#include "framework/String.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <vector>

namespace imagetest {

// The colour make-images.py gives pixel (x, y): red, green, blue, alpha.
inline std::array<BYTE, 4> Reference(int x, int y)
{
    return {static_cast<BYTE>((10 * x + 1) & 0xFF), static_cast<BYTE>((20 * y + 2) & 0xFF),
            static_cast<BYTE>((30 + x + y) & 0xFF), static_cast<BYTE>((40 * x + 7 * y + 5) & 0xFF)};
}

CString ImageFixture(const wchar_t* name);
std::vector<BYTE> ReadFixture(const wchar_t* name);
HMODULE ImageResourceModule();

// Pixel (x, y) counted from the top row, as blue, green, red, alpha, whichever way the section
// stores its rows.
std::array<BYTE, 4> DibPixel(HBITMAP dib, int x, int y);
// Every pixel at once, top row first, four bytes each (empty when the bitmap cannot be read):
// for checks of whole pictures, which would read the bitmap once per pixel through DibPixel.
std::vector<BYTE> DibRows(HBITMAP dib);
SIZE BitmapSize(HBITMAP bitmap);
// An opaque square icon of one colour, made on the screen's format; the caller destroys it.
HICON SolidIcon(int size, COLORREF colour);

class GuardedBuffer {
public:
    explicit GuardedBuffer(const std::vector<BYTE>& bytes);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    const BYTE* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    BYTE* m_base = nullptr;
    BYTE* m_data = nullptr;
    size_t m_size = 0;
};

} // namespace imagetest
