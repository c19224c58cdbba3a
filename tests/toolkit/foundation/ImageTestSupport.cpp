#include "tests/toolkit/foundation/ImageTestSupport.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace imagetest {

CString ImageFixture(const wchar_t* name)
{
    return testsupport::ModuleFolder() + L"\\fixtures\\images\\" + name;
}

std::vector<BYTE> ReadFixture(const wchar_t* name)
{
    std::vector<BYTE> bytes;
    HANDLE file = CreateFileW(ImageFixture(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    const DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size)
        bytes.clear();
    CloseHandle(file);
    return bytes;
}

HMODULE ImageResourceModule()
{
    // Loaded as data: the library is built for x86_64 and only its resources are wanted.
    static HMODULE module = LoadLibraryExW(testsupport::ModuleFolder() + L"\\fixtures\\toolkit-images.dll", nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

std::vector<BYTE> DibRows(HBITMAP dib)
{
    // GetDIBits with a negative height hands rows back top row first whichever way the bitmap
    // keeps them (Wine reports a top-down section's header height as positive, so the
    // section's own header cannot tell).
    BITMAP description = {};
    if (!dib || !GetObjectW(dib, sizeof(description), &description) || description.bmWidth <= 0 ||
        description.bmHeight <= 0)
        return {};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = description.bmWidth;
    info.bmiHeader.biHeight = -description.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> pixels(static_cast<size_t>(description.bmWidth) * description.bmHeight * 4);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, dib, 0, static_cast<UINT>(description.bmHeight), pixels.data(), &info,
                               DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != description.bmHeight)
        return {};
    return pixels;
}

std::array<BYTE, 4> DibPixel(HBITMAP dib, int x, int y)
{
    const SIZE size = BitmapSize(dib);
    if (x < 0 || y < 0 || x >= size.cx || y >= size.cy)
        return {0xEE, 0xEE, 0xEE, 0xEE};
    const std::vector<BYTE> pixels = DibRows(dib);
    if (pixels.empty())
        return {0xEE, 0xEE, 0xEE, 0xEE};
    const BYTE* p = pixels.data() + (static_cast<size_t>(y) * size.cx + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

HICON SolidIcon(int size, COLORREF colour)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = {0, 0, size, size};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, std::vector<BYTE>(static_cast<size_t>(size) * size, 0).data());
    ICONINFO info = {TRUE, 0, 0, mask, bitmap};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(bitmap);
    DeleteObject(mask);
    return icon;
}


SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP description = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(description), &description))
        return SIZE{0, 0};
    return SIZE{description.bmWidth, description.bmHeight};
}

GuardedBuffer::GuardedBuffer(const std::vector<BYTE>& bytes) : m_size(bytes.size())
{
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    const size_t pages = (bytes.size() + page - 1) / page + 1;
    m_base = static_cast<BYTE*>(VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(m_base + (pages - 1) * page, page, PAGE_NOACCESS, &old);
    m_data = m_base + (pages - 1) * page - bytes.size();
    if (!bytes.empty())
        std::memcpy(m_data, bytes.data(), bytes.size());
}

GuardedBuffer::~GuardedBuffer()
{
    VirtualFree(m_base, 0, MEM_RELEASE);
}

} // namespace imagetest
