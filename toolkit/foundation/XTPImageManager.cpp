#include "toolkit/foundation/XTPImageManager.h"

#include "framework/Archive.h"
#include "framework/Exception.h"
#include "framework/File.h"
#include "toolkit/foundation/XTPPropExchange.h"
#include "toolkit/foundation/XTPPropExchangeArchive.h"
#include "toolkit/foundation/XTPGraphicBitmapPng.h"
#include "toolkit/foundation/XTPModuleHandle.h"
#include "toolkit/foundation/XTPOsVersion.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr long long kMaxSide = CXTPGraphicBitmapPng::kMaxSide;
constexpr unsigned long long kMaxPixelBytes = CXTPGraphicBitmapPng::kMaxPixelBytes;

std::atomic<DWORD> g_comCtlVersionOverride{0};

// A bitmap's 32-bit pixels, bottom-up, read through GetDIBits. False when it is not 32 bits.
bool ReadBitmap32(HBITMAP bitmap, BITMAP& description, std::vector<BYTE>& pixels)
{
    if (!bitmap || GetObjectW(bitmap, sizeof(description), &description) != sizeof(description) ||
        description.bmBitsPixel != 32 || description.bmWidth <= 0 || description.bmHeight <= 0)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = description.bmWidth;
    info.bmiHeader.biHeight = description.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.assign(static_cast<size_t>(description.bmWidth) * static_cast<size_t>(description.bmHeight) * 4, 0);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(description.bmHeight), pixels.data(), &info,
                               DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return rows == description.bmHeight;
}

HBITMAP DibFromPixels(int width, int height, const BYTE* pixels, BYTE** bits)
{
    void* target = nullptr;
    HBITMAP dib = CreateAlphaDibSection(nullptr, width, height, &target);
    if (!dib)
        return nullptr;
    std::memcpy(target, pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    if (bits)
        *bits = static_cast<BYTE*>(target);
    return dib;
}

struct ResourceBytes {
    const BYTE* data = nullptr;
    size_t size = 0;
};

ResourceBytes FindResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    ResourceBytes result;
    HRSRC found = FindResourceW(module, name, type);
    if (!found)
        return result;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return result;
    result.data = static_cast<const BYTE*>(data);
    result.size = SizeofResource(module, found);
    return result;
}

bool ReadWholeFile(const wchar_t* path, std::vector<BYTE>& bytes, ULONGLONG cap)
{
    CFile file;
    if (!path || !file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return false;
    try {
        const ULONGLONG length = file.GetLength();
        if (length > cap)
            return false;
        bytes.resize(static_cast<size_t>(length));
        return bytes.empty() || file.Read(bytes.data(), static_cast<UINT>(bytes.size())) == bytes.size();
    } catch (const CException&) {
        return false;
    }
}

bool ReadFilePrefix(const wchar_t* path, BYTE* buffer, UINT count)
{
    CFile file;
    if (!path || !file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return false;
    try {
        return file.Read(buffer, count) == count;
    } catch (const CException&) {
        return false;
    }
}

bool StartsWithPng(const void* data, size_t size)
{
    static const BYTE signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return data && size >= 8 && std::memcmp(data, signature, 8) == 0;
}

SIZE BitmapSizeOf(HBITMAP bitmap)
{
    BITMAP description = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(description), &description))
        return SIZE{0, 0};
    return SIZE{description.bmWidth, description.bmHeight};
}

template <typename T> T ReadLE(const BYTE* at)
{
    T value;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

} // namespace

HBITMAP CreateAlphaDibSection(HDC dc, int width, int height, void** bits)
{
    if (bits)
        *bits = nullptr;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
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

BOOL IsSameBitmapFormat(const BITMAP& first, const BITMAP& second)
{
    return first.bmWidth == second.bmWidth && first.bmHeight == second.bmHeight &&
           first.bmPlanes == second.bmPlanes && first.bmBitsPixel == second.bmBitsPixel;
}

HBITMAP CopyAlphaBitmap(HBITMAP bitmap, BYTE** bits)
{
    if (bits)
        *bits = nullptr;
    BITMAP description = {};
    std::vector<BYTE> pixels;
    if (!ReadBitmap32(bitmap, description, pixels))
        return nullptr;
    return DibFromPixels(description.bmWidth, description.bmHeight, pixels.data(), bits);
}

HBITMAP PremultiplyAlphaBitmap(HBITMAP bitmap, int* alphaTest, BYTE** bits)
{
    if (bits)
        *bits = nullptr;
    BITMAP description = {};
    std::vector<BYTE> pixels;
    if (!ReadBitmap32(bitmap, description, pixels))
        return nullptr;
    bool anyAlpha = false;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const unsigned alpha = pixels[i + 3];
        if (alpha > 0)
            anyAlpha = true;
        for (int c = 0; c < 3; ++c)
            pixels[i + c] = static_cast<BYTE>(pixels[i + c] * alpha / 255);
    }
    if (alphaTest && anyAlpha)
        *alphaTest = 1;
    return DibFromPixels(description.bmWidth, description.bmHeight, pixels.data(), bits);
}

void XTPSetComCtlVersionOverride(DWORD version)
{
    g_comCtlVersionOverride = version;
}

BOOL IsComCtl6OrLater()
{
    const DWORD forced = g_comCtlVersionOverride;
    return (forced ? forced : GetComCtlVersion()) > 0x5FFFF;
}

BOOL IsAlphaIcon(HICON icon)
{
    if (!icon)
        return FALSE;
    static const BOOL xpOrLater = CXTPOsVersionCache().IsWinXPOrLater();
    if (!IsComCtl6OrLater() && !xpOrLater)
        return FALSE;
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return FALSE;
    BOOL result = FALSE;
    BITMAP description = {};
    std::vector<BYTE> pixels;
    if (info.hbmColor && ReadBitmap32(info.hbmColor, description, pixels)) {
        for (size_t i = 3; i < pixels.size() && !result; i += 4)
            result = pixels[i] > 0;
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return result;
}

SIZE GetIconPixelSize(HICON icon)
{
    SIZE size = {0, 0};
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return size;
    BITMAP mask = {};
    if (info.hbmMask && GetObjectW(info.hbmMask, sizeof(mask), &mask)) {
        size.cx = mask.bmWidth;
        // A monochrome icon keeps both masks, one above the other, in the mask bitmap.
        size.cy = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return size;
}

HICON ScaleIconToWidth(HICON icon, int oldWidth, int oldHeight, int newWidth)
{
    // MulDiv by a width of 0 gives -1, never a usable height.
    if (!icon || newWidth <= 0 || oldWidth <= 0 || oldHeight <= 0)
        return nullptr;
    if (newWidth == oldWidth)
        return CopyIcon(icon);
    const int newHeight = MulDiv(oldHeight, newWidth, oldWidth);
    if (newHeight <= 0 || newWidth > kMaxSide || newHeight > kMaxSide)
        return nullptr;
    HIMAGELIST list = ImageList_Create(newWidth, newHeight, ILC_COLOR32 | ILC_MASK, 1, 1);
    if (!list)
        return nullptr;
    HICON result = nullptr;
    if (ImageList_AddIcon(list, icon) == 0)
        result = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ImageList_Destroy(list);
    return result;
}

BOOL IsPngFile(const wchar_t* path)
{
    BYTE head[4] = {};
    return ReadFilePrefix(path, head, 4) && head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G';
}

BOOL IsBmpFile32Bpp(const wchar_t* path)
{
    BYTE head[14 + 16] = {};
    return ReadFilePrefix(path, head, sizeof(head)) && ReadLE<WORD>(head + 14 + 14) == 32;
}

BOOL IsPngResource(HMODULE module, LPCWSTR name)
{
    const ResourceBytes bytes = FindResourceBytes(module, name, L"PNG");
    return StartsWithPng(bytes.data, bytes.size);
}

BOOL IsBitmapResource32Bpp(HMODULE module, LPCWSTR name)
{
    const ResourceBytes bytes = FindResourceBytes(module, name, RT_BITMAP);
    return bytes.data && bytes.size >= sizeof(BITMAPINFOHEADER) && ReadLE<WORD>(bytes.data + 14) == 32;
}

HBITMAP CreateAlphaDibFromPackedDib(const void* data, size_t size, bool halveHeight)
{
    if (!data || size < sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof(header));
    const long long width = header.biWidth;
    const long long height = halveHeight ? header.biHeight / 2 : header.biHeight;
    if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || header.biBitCount != 32 ||
        (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) || width <= 0 ||
        height <= 0 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    const unsigned long long pixelBytes = static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) * 4;
    // BI_BITFIELDS keeps three masks between the header and the pixels.
    const size_t offset = sizeof(BITMAPINFOHEADER) + (header.biCompression == BI_BITFIELDS ? 12 : 0);
    if (pixelBytes > kMaxPixelBytes || pixelBytes > size - std::min(size, offset) || size < offset)
        return nullptr;
    return DibFromPixels(static_cast<int>(width), static_cast<int>(height), static_cast<const BYTE*>(data) + offset,
                         nullptr);
}

HBITMAP LoadAlphaBitmapResource(HMODULE module, LPCWSTR name)
{
    const ResourceBytes bytes = FindResourceBytes(module, name, RT_BITMAP);
    return CreateAlphaDibFromPackedDib(bytes.data, bytes.size, false);
}

HBITMAP LoadResourceBitmapFromModule(HMODULE module, LPCWSTR name, BOOL* alpha)
{
    if (alpha)
        *alpha = FALSE;
    if (IsPngResource(module, name)) {
        CXTPGraphicBitmapPng png;
        if (!png.LoadFromResource(module, FindResourceW(module, name, L"PNG")))
            return nullptr;
        if (alpha)
            *alpha = png.IsAlpha();
        return static_cast<HBITMAP>(png.Detach());
    }
    if (IsBitmapResource32Bpp(module, name)) {
        if (alpha)
            *alpha = TRUE;
        return LoadAlphaBitmapResource(module, name);
    }
    return static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_DEFAULTSIZE));
}

HBITMAP LoadImageFileAsBitmap(const wchar_t* path, BOOL* alpha)
{
    // The flag is only written by the loaders that know the answer: a picture only OLE can read
    // leaves it as the caller set it.
    if (IsPngFile(path)) {
        CXTPGraphicBitmapPng png;
        if (!png.LoadFromFile(path))
            return nullptr;
        if (alpha)
            *alpha = png.IsAlpha();
        return static_cast<HBITMAP>(png.Detach());
    }
    if (IsBmpFile32Bpp(path)) {
        std::vector<BYTE> bytes;
        if (!ReadWholeFile(path, bytes, kMaxPixelBytes + 4096) || bytes.size() < 14 + sizeof(BITMAPINFOHEADER))
            return nullptr;
        // The file header's offset says where the pixels start; the info header follows it.
        const DWORD pixelOffset = ReadLE<DWORD>(bytes.data() + 10);
        BITMAPINFOHEADER header;
        std::memcpy(&header, bytes.data() + 14, sizeof(header));
        if (header.biSize != sizeof(BITMAPINFOHEADER) || pixelOffset < 14 + sizeof(BITMAPINFOHEADER) ||
            pixelOffset > bytes.size())
            return nullptr;
        std::vector<BYTE> packed(sizeof(BITMAPINFOHEADER) + (bytes.size() - pixelOffset));
        header.biCompression = BI_RGB;
        std::memcpy(packed.data(), &header, sizeof(header));
        std::memcpy(packed.data() + sizeof(header), bytes.data() + pixelOffset, bytes.size() - pixelOffset);
        HBITMAP dib = CreateAlphaDibFromPackedDib(packed.data(), packed.size(), false);
        if (dib && alpha)
            *alpha = TRUE;
        return dib;
    }
    if (!path)
        return nullptr;
    if (HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE))) {
        if (alpha)
            *alpha = FALSE;
        return bitmap;
    }
    return LoadOlePictureAsBitmap(path);
}

BOOL SplitAlphaBitmap(HBITMAP bitmap, int count, HBITMAP* parts)
{
    BITMAP description = {};
    std::vector<BYTE> pixels;
    if (count <= 0 || !parts || !ReadBitmap32(bitmap, description, pixels) || description.bmWidth < count)
        return FALSE;
    const int width = description.bmWidth / count;
    const int height = description.bmHeight;
    const size_t sourceStride = static_cast<size_t>(description.bmWidth) * 4;
    for (int i = 0; i < count; ++i) {
        void* bits = nullptr;
        parts[i] = CreateAlphaDibSection(nullptr, width, height, &bits);
        if (!parts[i]) {
            for (int j = 0; j < i; ++j) {
                DeleteObject(parts[j]);
                parts[j] = nullptr;
            }
            return FALSE;
        }
        for (int y = 0; y < height; ++y)
            std::memcpy(static_cast<BYTE*>(bits) + static_cast<size_t>(y) * width * 4,
                        pixels.data() + y * sourceStride + static_cast<size_t>(i) * width * 4,
                        static_cast<size_t>(width) * 4);
    }
    return TRUE;
}

bool DecodeIconImage(const void* data, size_t size, int width, int height, XTPLoadedIconImage& out)
{
    out = XTPLoadedIconImage{};
    if (!data || size < sizeof(BITMAPINFOHEADER))
        return false;
    if (StartsWithPng(data, size)) {
        CXTPGraphicBitmapPng png;
        if (!png.LoadFromMemory(data, size))
            return false;
        BITMAP description = {};
        GetObjectW(static_cast<HBITMAP>(png), sizeof(description), &description);
        // The decoder gives top-down rows; the manager keeps bottom-up alpha DIBs.
        HBITMAP copy = CopyAlphaBitmap(static_cast<HBITMAP>(png));
        if (!copy)
            return false;
        out.alphaBitmap = copy;
        out.width = description.bmWidth;
        out.height = description.bmHeight;
        return true;
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof(header));
    if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || header.biWidth <= 0 ||
        header.biHeight <= 0 || header.biWidth > kMaxSide || header.biHeight / 2 > kMaxSide ||
        header.biWidth != width || header.biHeight / 2 != height)
        return false;
    if (header.biBitCount == 32) {
        out.alphaBitmap = CreateAlphaDibFromPackedDib(data, size, true);
        out.width = width;
        out.height = height;
        return out.alphaBitmap != nullptr;
    }
    // The colour table, the XOR rows and the AND rows must all be there before the system sees them.
    const unsigned bitCount = header.biBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24)
        return false;
    const unsigned long long colours =
        bitCount <= 8 ? (header.biClrUsed ? header.biClrUsed : (1ull << bitCount)) : 0;
    const unsigned long long xorStride = ((static_cast<unsigned long long>(width) * bitCount + 31) / 32) * 4;
    const unsigned long long andStride = ((static_cast<unsigned long long>(width) + 31) / 32) * 4;
    const unsigned long long needed = sizeof(BITMAPINFOHEADER) + colours * 4 + (xorStride + andStride) * height;
    if (colours > 256 || needed > size)
        return false;
    HICON icon = CreateIconFromResourceEx(static_cast<PBYTE>(const_cast<void*>(data)), static_cast<DWORD>(size), TRUE,
                                          0x30000, width, height, 0);
    if (!icon)
        return false;
    out.icon = icon;
    out.width = width;
    out.height = height;
    return true;
}

bool LoadIcoImagesFromMemory(const void* data, size_t size, int width, int height,
                             std::vector<XTPLoadedIconImage>& out)
{
    const auto* bytes = static_cast<const BYTE*>(data);
    if (!bytes || size < 6 || ReadLE<WORD>(bytes + 2) != 1)
        return false;
    const size_t count = ReadLE<WORD>(bytes + 4);
    if (count == 0 || 6 + 16 * count > size)
        return false;
    bool any = false;
    for (size_t i = 0; i < count; ++i) {
        const BYTE* entry = bytes + 6 + 16 * i;
        const int entryWidth = entry[0] ? entry[0] : 256;
        const int entryHeight = entry[1] ? entry[1] : 256;
        const unsigned long long length = ReadLE<DWORD>(entry + 8);
        const unsigned long long offset = ReadLE<DWORD>(entry + 12);
        if (!(width == 0 && height == 0) && (entryWidth != width || entryHeight != height))
            continue;
        if (offset > size || length > size - offset)
            continue; // the entry runs past the file
        XTPLoadedIconImage image;
        if (!DecodeIconImage(bytes + offset, static_cast<size_t>(length), entryWidth, entryHeight, image))
            continue;
        out.push_back(image);
        any = true;
    }
    return any;
}

bool LoadIcoFileImages(const wchar_t* path, int width, int height, std::vector<XTPLoadedIconImage>& out)
{
    std::vector<BYTE> bytes;
    if (!ReadWholeFile(path, bytes, kMaxPixelBytes))
        return false;
    return LoadIcoImagesFromMemory(bytes.data(), bytes.size(), width, height, out);
}

bool LoadIconResourceImage(HMODULE module, LPCWSTR name, int width, int height, bool searchGroup,
                           XTPLoadedIconImage& out)
{
    out = XTPLoadedIconImage{};
    if (searchGroup) {
        const ResourceBytes group = FindResourceBytes(module, name, RT_GROUP_ICON);
        if (group.data) {
            if (group.size < 6)
                return false;
            const size_t count = std::min<size_t>(ReadLE<WORD>(group.data + 4), (group.size - 6) / 14);
            for (size_t i = count; i-- > 0;) {
                const BYTE* entry = group.data + 6 + 14 * i;
                const int entryWidth = entry[0] ? entry[0] : 256;
                const int entryHeight = entry[1] ? entry[1] : 256;
                if (entryWidth != width || entryHeight != height)
                    continue;
                if (LoadIconResourceImage(module, MAKEINTRESOURCEW(ReadLE<WORD>(entry + 12)), width, height, false, out))
                    return true;
            }
            return false;
        }
    }
    const ResourceBytes icon = FindResourceBytes(module, name, RT_ICON);
    if (!icon.data || icon.size < sizeof(BITMAPINFOHEADER))
        return false;
    if (!StartsWithPng(icon.data, icon.size)) {
        // A single icon resource is decoded at the size its own header gives.
        BITMAPINFOHEADER header;
        std::memcpy(&header, icon.data, sizeof(header));
        if (header.biBitCount != 32) {
            XTPLoadedIconImage checked;
            if (!DecodeIconImage(icon.data, icon.size, header.biWidth, header.biHeight / 2, checked))
                return false;
            DestroyIcon(checked.icon);
            HICON made = CreateIconFromResourceEx(const_cast<PBYTE>(icon.data), static_cast<DWORD>(icon.size), TRUE,
                                                  0x30000, width, height, 0);
            if (!made)
                return false;
            out.icon = made;
            out.width = width;
            out.height = height;
            return true;
        }
        return DecodeIconImage(icon.data, icon.size, header.biWidth, header.biHeight / 2, out);
    }
    return DecodeIconImage(icon.data, icon.size, 0, 0, out);
}

bool LoadIconGroupImages(HMODULE module, LPCWSTR name, int width, int height, std::vector<XTPLoadedIconImage>& out)
{
    const ResourceBytes group = FindResourceBytes(module, name, RT_GROUP_ICON);
    if (!group.data || group.size < 6)
        return false;
    const size_t count = std::min<size_t>(ReadLE<WORD>(group.data + 4), (group.size - 6) / 14);
    for (size_t i = 0; i < count; ++i) {
        const BYTE* entry = group.data + 6 + 14 * i;
        const int entryWidth = entry[0] ? entry[0] : 256;
        const int entryHeight = entry[1] ? entry[1] : 256;
        if (!(width == 0 && height == 0) && (entryWidth != width || entryHeight != height))
            continue;
        XTPLoadedIconImage image;
        if (!LoadIconResourceImage(module, MAKEINTRESOURCEW(ReadLE<WORD>(entry + 12)), entryWidth, entryHeight, false,
                                   image))
            return false;
        out.push_back(image);
    }
    return true;
}

bool LoadToolBarResource(HMODULE module, UINT id, std::vector<UINT>& ids, SIZE& buttonSize)
{
    ids.clear();
    buttonSize = SIZE{0, 0};
    if (id == 0)
        return false;
    const ResourceBytes bytes = FindResourceBytes(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(241));
    if (!bytes.data || bytes.size < 8)
        return false;
    const size_t count = ReadLE<WORD>(bytes.data + 6);
    if (8 + 2 * count > bytes.size)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const WORD command = ReadLE<WORD>(bytes.data + 8 + 2 * i);
        if (command != 0)
            ids.push_back(command);
    }
    buttonSize = SIZE{ReadLE<WORD>(bytes.data + 2), ReadLE<WORD>(bytes.data + 4)};
    return true;
}

void WriteArchiveBitmap(CArchive& archive, HBITMAP bitmap)
{
    BITMAP description = {};
    if (!bitmap || GetObjectW(bitmap, sizeof(description), &description) == 0 || description.bmWidth <= 0 ||
        description.bmHeight <= 0) {
        archive.WriteCount(0);
        return;
    }
    const WORD bitCount = description.bmBitsPixel == 1 ? 1 : description.bmBitsPixel <= 4 ? 4
                        : description.bmBitsPixel <= 8 ? 8 : description.bmBitsPixel <= 24 ? 24 : 32;
    const size_t colours = bitCount == 4 ? 16 : bitCount == 8 ? 256 : bitCount == 1 ? 2 : 3;
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = description.bmWidth;
    header->biHeight = description.bmHeight;
    header->biPlanes = 1;
    header->biBitCount = bitCount;
    header->biCompression = BI_RGB;
    const size_t stride = ((static_cast<size_t>(description.bmWidth) * bitCount + 31) / 32) * 4;
    std::vector<BYTE> pixels(stride * static_cast<size_t>(description.bmHeight), 0);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(description.bmHeight), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    header->biSizeImage = static_cast<DWORD>(pixels.size());
    archive.WriteCount(static_cast<DWORD>(info.size()));
    archive.Write(info.data(), static_cast<UINT>(info.size()));
    archive.WriteCount(static_cast<DWORD>(pixels.size()));
    archive.Write(pixels.data(), static_cast<UINT>(pixels.size()));
}

HBITMAP ReadArchiveBitmap(CArchive& archive, BYTE** bits)
{
    if (bits)
        *bits = nullptr;
    const DWORD infoSize = archive.ReadCount();
    if (infoSize == 0)
        return nullptr;
    // A header block is 40 bytes and at most 256 colour entries; a longer one is not ours.
    if (infoSize < sizeof(BITMAPINFOHEADER) || infoSize > sizeof(BITMAPINFOHEADER) + 1024)
        AfxThrowArchiveException(CArchiveException::badSchema);
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 1024, 0);
    if (archive.Read(info.data(), infoSize) != infoSize)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    BITMAPINFOHEADER header;
    std::memcpy(&header, info.data(), sizeof(header));
    const unsigned bitCount = header.biBitCount;
    const long long width = header.biWidth;
    const long long height = header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
    if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) ||
        (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) || width <= 0 || height <= 0 ||
        width > kMaxSide || height > kMaxSide)
        AfxThrowArchiveException(CArchiveException::badSchema);
    const unsigned long long stride = ((static_cast<unsigned long long>(width) * bitCount + 31) / 32) * 4;
    const unsigned long long described = stride * static_cast<unsigned long long>(height);
    if (described == 0 || described > kMaxPixelBytes)
        AfxThrowArchiveException(CArchiveException::badSchema);
    const DWORD pixelSize = archive.ReadCount();
    // The block is read in full so that what follows stays in step, but no more than the header
    // describes is ever handed to GDI.
    if (pixelSize > kMaxPixelBytes)
        AfxThrowArchiveException(CArchiveException::badSchema);
    std::vector<BYTE> pixels(std::max<unsigned long long>(pixelSize, described), 0);
    if (archive.Read(pixels.data(), pixelSize) != pixelSize)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    if (pixelSize < described)
        AfxThrowArchiveException(CArchiveException::badSchema);

    header.biSizeImage = static_cast<DWORD>(described);
    std::memcpy(info.data(), &header, sizeof(header));
    void* target = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &target,
                                   nullptr, 0);
    if (!dib || !target) {
        if (dib)
            DeleteObject(dib);
        AfxThrowArchiveException(CArchiveException::badSchema);
    }
    std::memcpy(target, pixels.data(), static_cast<size_t>(described));
    if (bits)
        *bits = static_cast<BYTE*>(target);
    return dib;
}

BOOL CompositeAlphaBitmaps(HBITMAP source, bool sourceMirrored, HBITMAP target, bool targetMirrored, HBITMAP result)
{
    DIBSECTION s = {}, d = {}, r = {};
    if (GetObjectW(source, sizeof(s), &s) != sizeof(s) || GetObjectW(target, sizeof(d), &d) != sizeof(d) ||
        GetObjectW(result, sizeof(r), &r) != sizeof(r))
        return FALSE;
    if (!IsSameBitmapFormat(s.dsBm, d.dsBm) || !IsSameBitmapFormat(s.dsBm, r.dsBm) || s.dsBm.bmBitsPixel != 32 ||
        s.dsBm.bmPlanes != 1 || !s.dsBm.bmBits || !d.dsBm.bmBits || !r.dsBm.bmBits)
        return FALSE;
    const int width = s.dsBm.bmWidth;
    const int height = s.dsBm.bmHeight;
    for (int y = 0; y < height; ++y) {
        const BYTE* sourceRow = static_cast<const BYTE*>(s.dsBm.bmBits) + static_cast<size_t>(y) * s.dsBm.bmWidthBytes;
        const BYTE* targetRow = static_cast<const BYTE*>(d.dsBm.bmBits) + static_cast<size_t>(y) * d.dsBm.bmWidthBytes;
        BYTE* resultRow = static_cast<BYTE*>(r.dsBm.bmBits) + static_cast<size_t>(y) * r.dsBm.bmWidthBytes;
        for (int x = 0; x < width; ++x) {
            const BYTE* sp = sourceRow + 4 * static_cast<size_t>(sourceMirrored ? width - 1 - x : x);
            const BYTE* dp = targetRow + 4 * static_cast<size_t>(targetMirrored ? width - 1 - x : x);
            BYTE* rp = resultRow + 4 * static_cast<size_t>(x);
            for (int c = 0; c < 3; ++c)
                rp[c] = static_cast<BYTE>(std::min(255, sp[c] + dp[c] * (255 - sp[3]) / 255));
        }
    }
    return TRUE;
}

COLORREF DisabledGreyColor(COLORREF colour)
{
    const double luminance =
        (0.299 * GetRValue(colour) + 0.587 * GetGValue(colour) + 0.114 * GetBValue(colour)) / 255.0;
    const int grey = std::clamp(static_cast<int>(255.0 * std::sqrt(luminance)), 0, 255);
    return RGB(grey, grey, grey);
}

COLORREF DisabledTwoColor(COLORREF colour, COLORREF light, COLORREF dark)
{
    const double l = (0.299 * GetRValue(colour) + 0.587 * GetGValue(colour) + 0.114 * GetBValue(colour)) / 255.0;
    auto mix = [l](int d, int li) { return std::clamp(static_cast<int>(d * (1 - l) + li * l), 0, 255); };
    return RGB(mix(GetRValue(dark), GetRValue(light)), mix(GetGValue(dark), GetGValue(light)),
               mix(GetBValue(dark), GetBValue(light)));
}


namespace {

constexpr UINT kSkippedId = 0xDEADBEAF;

bool Skipped(UINT id)
{
    return id == 0 || id == kSkippedId;
}

} // namespace

BOOL CXTPImageManager::AddIconsFromImageList(HIMAGELIST list, const UINT* ids, int count, int width, int height,
                                             int state)
{
    if (!list)
        return FALSE;
    const int images = ImageList_GetImageCount(list);
    if (count == 0 && !ids)
        count = images;
    if (count <= 0)
        return FALSE;
    const bool oneToOne = count == images;
    int image = 0;
    for (int j = 0; j < count && image < images; ++j) {
        const UINT id = ids ? ids[j] : static_cast<UINT>(j);
        if (!oneToOne && Skipped(id))
            continue;
        HICON icon = ImageList_GetIcon(list, image, ILD_NORMAL);
        if (!icon)
            return FALSE;
        SetIcon(icon, id, width, height, state);
        DestroyIcon(icon);
        ++image;
    }
    return TRUE;
}

BOOL CXTPImageManager::AddIconsFromBitmap(HBITMAP bitmap, const UINT* ids, int count, int width, int height, BOOL alpha,
                                          int state)
{
    BITMAP description = {};
    if (!bitmap || !GetObjectW(bitmap, sizeof(description), &description) || description.bmWidth <= 0)
        return FALSE;
    if (width == 0 && height == 0 && count > 0) {
        width = description.bmWidth / count;
        height = description.bmHeight;
    } else if (count == 0 && width > 0) {
        count = description.bmWidth / width;
    }
    // No division by a zero count, and no icon wider than the strip.
    if (width <= 0 || count <= 0 || width > description.bmWidth)
        return FALSE;
    if (height <= 0)
        height = description.bmHeight;

    if (!alpha) {
        HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 0, 1);
        if (!list)
            return FALSE;
        const COLORREF key = m_transparent == static_cast<COLORREF>(-1) ? GetBitmapPixel(bitmap, 0, 0) : m_transparent;
        BOOL result = ImageList_AddMasked(list, bitmap, key) >= 0 &&
                        AddIconsFromImageList(list, ids, count, width, height, state);
        ImageList_Destroy(list);
        return result;
    }

    if (description.bmWidth % width != 0)
        return FALSE;
    const int parts = description.bmWidth / width;
    std::vector<HBITMAP> split(static_cast<size_t>(parts), nullptr);
    if (!SplitAlphaBitmap(bitmap, parts, split.data()))
        return FALSE;
    const bool oneToOne = count == parts;
    int image = 0;
    for (int j = 0; j < count && image < parts; ++j) {
        const UINT id = ids ? ids[j] : static_cast<UINT>(j);
        if (!oneToOne && Skipped(id))
            continue;
        SetAlphaBitmap(split[static_cast<size_t>(image)], id, width, height, state);
        ++image;
    }
    for (HBITMAP part : split)
        DeleteObject(part);
    return TRUE;
}

BOOL CXTPImageManager::AddToolBarIcons(HMODULE module, UINT toolbarId, UINT bitmapId, int state)
{
    std::vector<UINT> ids;
    SIZE button = {};
    if (!LoadToolBarResource(module, toolbarId, ids, button) || ids.empty())
        return FALSE;
    BOOL alpha = FALSE;
    HBITMAP bitmap = LoadResourceBitmapFromModule(module, MAKEINTRESOURCEW(bitmapId), &alpha);
    if (!bitmap)
        return FALSE;
    // The icon size comes from the bitmap and the number of buttons, not the button size.
    const BOOL result = AddIconsFromBitmap(bitmap, ids.data(), static_cast<int>(ids.size()), 0, 0, alpha, state);
    DeleteObject(bitmap);
    return result;
}

BOOL CXTPImageManager::AddIconsFromIcoFile(const wchar_t* path, UINT id, int width, int height, int state)
{
    std::vector<XTPLoadedIconImage> images;
    bool stored = false;
    if (LoadIcoFileImages(path, width, height, images))
        for (const auto& image : images)
            stored = Store(image, id, state) || stored;
    for (auto& image : images) {
        if (image.alphaBitmap)
            DeleteObject(image.alphaBitmap);
        if (image.icon)
            DestroyIcon(image.icon);
    }
    return stored;
}

BOOL CXTPImageManager::AddIconGroupResource(HMODULE module, LPCWSTR name, UINT id, int width, int height,
                                            int state)
{
    if (!module)
        return FALSE;
    if (!FindResourceW(module, name, RT_GROUP_ICON)) {
        // Not a group: the icon resource of the name itself.
        CXTPIconImage image;
        return image.LoadIconResource(module, name, width, height, FALSE) && SetIcon(image, id, width, height, state);
    }
    std::vector<XTPLoadedIconImage> images;
    bool result = LoadIconGroupImages(module, name, width, height, images);
    for (const auto& image : images)
        result = Store(image, id, state) && result;
    for (auto& image : images) {
        if (image.alphaBitmap)
            DeleteObject(image.alphaBitmap);
        if (image.icon)
            DestroyIcon(image.icon);
    }
    return result;
}

CXTPImageManager* GetGlobalImageManager()
{
    static CXTPImageManager manager;
    return &manager;
}

// ---------------------------------------------------------------------------------------------
// Saved icon sets.

void CXTPImageManagerIcon::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << static_cast<DWORD>(m_height) << kSchema;
        SerializeWithSchema(archive, kSchema);
        return;
    }
    DWORD height = 0, schema = 0;
    archive >> height >> schema;
    if (height > static_cast<DWORD>(kMaxSide))
        AfxThrowArchiveException(CArchiveException::badSchema);
    SerializeWithSchema(archive, schema);
    m_height = static_cast<int>(height);
}

void CXTPImageManagerIcon::SerializeWithSchema(CArchive& archive, DWORD schema)
{
    static const int order[] = {kNormal, kDisabled, kHot, kChecked, kPressed};
    const int records = 3 + (schema > 7 ? 1 : 0) + (schema > 16 ? 1 : 0);
    if (archive.IsStoring()) {
        for (int record = 0; record < records; ++record) {
            // Never a strip slot: a standalone copy, its pixels premultiplied.
            CXTPIconImage copy;
            copy.CopyFrom(m_images[order[record]]);
            if (copy.IsAlpha() && copy.GetBits()) {
                WriteArchiveBitmap(archive, copy.GetBitmap());
                WriteArchiveBitmap(archive, nullptr);
                continue;
            }
            ICONINFO info = {};
            if (copy.GetIcon() && GetIconInfo(copy.GetIcon(), &info)) {
                WriteArchiveBitmap(archive, info.hbmColor);
                WriteArchiveBitmap(archive, info.hbmMask);
                if (info.hbmColor)
                    DeleteObject(info.hbmColor);
                if (info.hbmMask)
                    DeleteObject(info.hbmMask);
                continue;
            }
            WriteArchiveBitmap(archive, nullptr);
            WriteArchiveBitmap(archive, nullptr);
        }
        return;
    }
    ClearImages(TRUE);
    for (int record = 0; record < records; ++record) {
        HBITMAP colour = ReadArchiveBitmap(archive);
        HBITMAP mask = nullptr;
        try {
            mask = ReadArchiveBitmap(archive);
        } catch (...) {
            if (colour)
                DeleteObject(colour);
            throw;
        }
        CXTPIconImage image;
        if (colour && mask) {
            const SIZE size = BitmapSizeOf(colour);
            HIMAGELIST list = ImageList_Create(size.cx, size.cy, ILC_COLOR24 | ILC_MASK, 0, 1);
            if (list) {
                if (ImageList_Add(list, colour, mask) == 0)
                    if (HICON icon = ImageList_GetIcon(list, 0, ILD_NORMAL))
                        image.SetIcon(icon);
                ImageList_Destroy(list);
            }
            DeleteObject(colour);
        } else if (colour) {
            if (schema > 24)
                image.SetPremultipliedBitmap(colour);
            else
                image.SetBitmap(colour);
        }
        if (mask)
            DeleteObject(mask);
        if (!image.IsEmpty())
            m_images[order[record]].CopyFrom(image);
    }
}

namespace {

const wchar_t kCheckSum[] = L"CXTPImageManagerIcons";

} // namespace

BOOL CXTPImageManager::ExchangeIconSet(UINT id, CXTPPropExchange* px)
{
    if (!px)
        return FALSE;
    try {
        if (id > m_customId)
            m_customId = id;
        CString checkSum = kCheckSum;
        ExchangeStringPropertyDefault(px, L"CheckSum", checkSum, kCheckSum);
        if (px->IsLoading() && checkSum != kCheckSum)
            return FALSE; // not an icon set: the set stays as it was

        CXTPPropExchangeEnumeratorPtr enumerator(px->GetEnumerator(L"Icon"));
        if (px->IsLoading()) {
            CXTPCmdTargetRef<CXTPImageManagerIconSet> set(FindIconSet(id));
            if (!set) {
                set = CXTPCmdTargetRef<CXTPImageManagerIconSet>::Adopt(new CXTPImageManagerIconSet(id, this));
                m_sets[id] = set;
            }
            set->RemoveAll();
            POSITION position = enumerator->GetPosition(0, TRUE);
            while (position) {
                CXTPPropExchangeSection section(enumerator->GetNext(position));
                long width = 16;
                ExchangeLongProperty(section.Get(), L"Width", width);
                if (width <= 0 || width > kMaxSide)
                    continue;
                auto icon = CXTPCmdTargetRef<CXTPImageManagerIcon>::Adopt(
                    new CXTPImageManagerIcon(id, static_cast<int>(width), 15, set.Get()));
                // A picture that cannot be read leaves the icon empty; it is kept all the same.
                ExchangeSerializedObject(section.Get(), L"Data", icon.Get());
                set->InsertIcon(icon.Get());
            }
            return TRUE;
        }
        CXTPImageManagerIconSet* set = FindIconSet(id);
        POSITION position = enumerator->GetPosition(set ? static_cast<DWORD>(set->GetIcons().size()) : 0, TRUE);
        if (set) {
            for (const auto& [width, icon] : set->GetIcons()) {
                if (!position)
                    break;
                CXTPPropExchangeSection section(enumerator->GetNext(position));
                long w = width;
                ExchangeLongProperty(section.Get(), L"Width", w);
                ExchangeSerializedObject(section.Get(), L"Data", icon.Get());
            }
        }
        return TRUE;
    } catch (const CException&) {
        return FALSE;
    } catch (const std::exception&) {
        return FALSE;
    }
}

BOOL CXTPImageManager::ExchangeIconSets(CXTPPropExchange* px)
{
    if (!px)
        return FALSE;
    try {
        CXTPPropExchangeEnumeratorPtr enumerator(px->GetEnumerator(L"IconSet"));
        if (px->IsLoading()) {
            RemoveAll();
            POSITION position = enumerator->GetPosition(0, TRUE);
            while (position) {
                CXTPPropExchangeSection section(enumerator->GetNext(position));
                long id = 0;
                ExchangeLongProperty(section.Get(), L"Id", id);
                if (!ExchangeIconSet(static_cast<UINT>(id), section.Get()))
                    return FALSE;
            }
            return TRUE;
        }
        POSITION position = enumerator->GetPosition(static_cast<DWORD>(m_sets.size()), TRUE);
        for (const auto& [id, set] : m_sets) {
            if (!position)
                break;
            CXTPPropExchangeSection section(enumerator->GetNext(position));
            long value = static_cast<long>(id);
            ExchangeLongProperty(section.Get(), L"Id", value);
            if (!ExchangeIconSet(id, section.Get()))
                return FALSE;
        }
        return TRUE;
    } catch (const CException&) {
        return FALSE;
    } catch (const std::exception&) {
        return FALSE;
    }
}

void CXTPImageManager::Serialize(CArchive& archive)
{
    CXTPPropExchangeArchive px(archive);
    const BOOL result = ExchangeIconSets(&px);
    if (!result)
        AfxThrowArchiveException(CArchiveException::badClass);
}

// ---------------------------------------------------------------------------------------------
// Derived pictures.

namespace {

template <typename Recolour> HBITMAP RecolourAlphaBitmap(HBITMAP source, Recolour recolour)
{
    BYTE* bits = nullptr;
    HBITMAP copy = CopyAlphaBitmap(source, &bits);
    if (!copy)
        return nullptr;
    const SIZE size = BitmapSizeOf(copy);
    for (size_t i = 0; i < static_cast<size_t>(size.cx) * size.cy; ++i)
        recolour(bits + i * 4);
    return copy;
}

// Recolours the pixels of a plain icon whose mask is opaque and rebuilds it.
template <typename Recolour> HICON RecolourIcon(HICON icon, Recolour recolour)
{
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return nullptr;
    HICON result = nullptr;
    const SIZE size = GetIconPixelSize(icon);
    void* bits = nullptr;
    HBITMAP colour = info.hbmColor ? CreateAlphaDibSection(nullptr, size.cx, size.cy, &bits) : nullptr;
    if (colour) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, colour);
        DrawIconEx(dc, 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_IMAGE);
        SelectObject(dc, old);
        // The mask as bytes: rows of 16-bit aligned bits, top row first.
        const int maskStride = ((size.cx + 15) / 16) * 2;
        std::vector<BYTE> mask(static_cast<size_t>(maskStride) * size.cy, 0);
        GetBitmapBits(info.hbmMask, static_cast<LONG>(mask.size()), mask.data());
        DeleteDC(dc);
        GdiFlush();
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x) {
                const bool transparent = (mask[static_cast<size_t>(y) * maskStride + x / 8] >> (7 - x % 8)) & 1;
                if (!transparent)
                    recolour(static_cast<BYTE*>(bits) + (static_cast<size_t>(size.cy - 1 - y) * size.cx + x) * 4);
            }
        ICONINFO made = {TRUE, 0, 0, info.hbmMask, colour};
        result = CreateIconIndirect(&made);
        DeleteObject(colour);
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return result;
}

void ApplyDisabled(BYTE* bgr, COLORREF light, COLORREF dark)
{
    const COLORREF in = RGB(bgr[2], bgr[1], bgr[0]);
    const COLORREF out = (light == CLR_INVALID || dark == CLR_INVALID) ? DisabledGreyColor(in)
                                                                        : DisabledTwoColor(in, light, dark);
    bgr[0] = GetBValue(out);
    bgr[1] = GetGValue(out);
    bgr[2] = GetRValue(out);
}

} // namespace

HBITMAP MakeFadedBitmap(HBITMAP premultiplied)
{
    return RecolourAlphaBitmap(premultiplied, [](BYTE* p) {
        if (p[3] > 0)
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<BYTE>(std::min(255.0, 0.7 * p[c] + 0.3 * p[3]));
    });
}

HBITMAP MakeShadowBitmap(HBITMAP premultiplied, COLORREF shadow)
{
    return RecolourAlphaBitmap(premultiplied, [shadow](BYTE* p) {
        p[0] = static_cast<BYTE>(p[3] * GetBValue(shadow) / 255);
        p[1] = static_cast<BYTE>(p[3] * GetGValue(shadow) / 255);
        p[2] = static_cast<BYTE>(p[3] * GetRValue(shadow) / 255);
    });
}

HBITMAP MakeDisabledBitmap(HBITMAP premultiplied, COLORREF light, COLORREF dark)
{
    return RecolourAlphaBitmap(premultiplied, [light, dark](BYTE* p) {
        const int alpha = p[3];
        if (alpha == 0)
            return;
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<BYTE>(std::min(255, p[c] * 255 / alpha));
        ApplyDisabled(p, light, dark);
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<BYTE>(p[c] * alpha / 255);
    });
}

HICON MakeFadedIcon(HICON icon)
{
    return RecolourIcon(icon, [](BYTE* p) {
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<BYTE>(0.3 * 255 + 0.7 * p[c]);
    });
}

HICON MakeShadowIcon(HICON icon, COLORREF shadow)
{
    return RecolourIcon(icon, [shadow](BYTE* p) {
        p[0] = GetBValue(shadow);
        p[1] = GetGValue(shadow);
        p[2] = GetRValue(shadow);
    });
}

HICON MakeDisabledIcon(HICON icon, COLORREF light, COLORREF dark)
{
    return RecolourIcon(icon, [light, dark](BYTE* p) { ApplyDisabled(p, light, dark); });
}
