#include "toolkit/foundation/XTPGraphicBitmapPng.h"

#include "framework/File.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct PngSource {
    const BYTE* data;
    size_t size;
    size_t position;
};

// libpng reports every failure through png_error, which long-jumps back to ReadPngRows; no C++
// exception is ever thrown through libpng's C frames.
void PngRead(png_structp png, png_bytep buffer, size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (!source || count > source->size - source->position)
        png_error(png, "read past the end of the data");
    std::memcpy(buffer, source->data + source->position, count);
    source->position += count;
}

void PngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// The part of the decode that runs under setjmp. It holds only plain C state, so a long jump
// out of libpng skips no destructor; everything it allocates is reachable from `state` and freed
// by the caller on failure.
struct DecodeState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    BYTE* rows = nullptr;
    png_bytep* rowPointers = nullptr;
};

bool Decode(DecodeState& state, PngSource& source, XTPPngRows& out)
{
    if (setjmp(png_jmpbuf(state.png)))
        return false;

    png_set_read_fn(state.png, &source, &PngRead);
    png_set_sig_bytes(state.png, 8);
    // libpng refuses larger images while it reads the header, before any row memory exists.
    png_set_user_limits(state.png, CXTPGraphicBitmapPng::kMaxSide, CXTPGraphicBitmapPng::kMaxSide);
    png_read_info(state.png, state.info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(state.png, state.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (width == 0 || height == 0 || width > CXTPGraphicBitmapPng::kMaxSide ||
        height > CXTPGraphicBitmapPng::kMaxSide ||
        static_cast<unsigned long long>(width) * height * 4 > CXTPGraphicBitmapPng::kMaxPixelBytes)
        return false;

    if (bitDepth == 16)
        png_set_strip_16(state.png);
    if (colourType == PNG_COLOR_TYPE_PALETTE || bitDepth < 8 || png_get_valid(state.png, state.info, PNG_INFO_tRNS))
        png_set_expand(state.png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(state.png);
    png_color_16p background = nullptr;
    if (png_get_bKGD(state.png, state.info, &background) && background) {
        png_set_background(state.png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        out.background[0] = static_cast<BYTE>(background->red & 0xFF);
        out.background[1] = static_cast<BYTE>(background->green & 0xFF);
        out.background[2] = static_cast<BYTE>(background->blue & 0xFF);
    }
    double fileGamma = 0;
    if (png_get_gAMA(state.png, state.info, &fileGamma))
        png_set_gamma(state.png, 2.2, fileGamma);
    // Without this an interlaced image would come back with its first pass only.
    png_set_interlace_handling(state.png);

    png_read_update_info(state.png, state.info);
    png_get_IHDR(state.png, state.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    const unsigned long long rowBytes = png_get_rowbytes(state.png, state.info);
    const int channels = png_get_channels(state.png, state.info);
    if ((channels != 3 && channels != 4) || bitDepth != 8 || rowBytes < static_cast<unsigned long long>(width) * channels)
        return false;
    const unsigned long long total = rowBytes * height;
    if (total > CXTPGraphicBitmapPng::kMaxPixelBytes)
        return false;

    state.rows = static_cast<BYTE*>(std::malloc(static_cast<size_t>(total)));
    state.rowPointers = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!state.rows || !state.rowPointers)
        return false;
    for (png_uint_32 y = 0; y < height; ++y)
        state.rowPointers[y] = state.rows + static_cast<size_t>(rowBytes) * y;
    png_read_image(state.png, state.rowPointers);
    png_read_end(state.png, nullptr);

    // The rows are handed on packed at width x channels, the layout MakeDibFromRows reads.
    if (rowBytes != static_cast<unsigned long long>(width) * channels) {
        const size_t packed = static_cast<size_t>(width) * channels;
        for (png_uint_32 y = 1; y < height; ++y)
            std::memmove(state.rows + packed * y, state.rowPointers[y], packed);
    }
    out.width = width;
    out.height = height;
    out.channels = channels;
    return true;
}

} // namespace

bool ReadPngRows(const void* data, size_t size, XTPPngRows& out)
{
    std::free(out.rows);
    out.rows = nullptr;
    out.width = out.height = 0;
    out.channels = 0;
    if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0)
        return false;

    DecodeState state;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &PngError, &PngWarning);
    if (!state.png)
        return false;
    state.info = png_create_info_struct(state.png);
    PngSource source{static_cast<const BYTE*>(data), size, 8};
    const bool decoded = state.info && Decode(state, source, out);

    std::free(state.rowPointers);
    png_destroy_read_struct(&state.png, state.info ? &state.info : nullptr, nullptr);
    if (!decoded) {
        std::free(state.rows);
        out.width = out.height = 0;
        out.channels = 0;
        return false;
    }
    out.rows = state.rows;
    return true;
}

HBITMAP MakeDibFromRows(const BYTE* rows, unsigned width, unsigned height, int channels)
{
    if (!rows || width == 0 || height == 0 || (channels != 3 && channels != 4) ||
        width > CXTPGraphicBitmapPng::kMaxSide || height > CXTPGraphicBitmapPng::kMaxSide)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height); // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib)
            DeleteObject(dib);
        return nullptr;
    }
    auto* target = static_cast<BYTE*>(bits);
    for (size_t y = 0; y < height; ++y) {
        const BYTE* source = rows + y * width * static_cast<size_t>(channels);
        BYTE* line = target + y * width * size_t{4};
        for (size_t x = 0; x < width; ++x, source += channels, line += 4) {
            line[0] = source[2];
            line[1] = source[1];
            line[2] = source[0];
            line[3] = channels == 4 ? source[3] : 0;
        }
    }
    return dib;
}

void CXTPGraphicBitmapPng::Reset()
{
    m_alpha = FALSE;
    DeleteObject();
}

BOOL CXTPGraphicBitmapPng::LoadFromMemory(const void* data, size_t size)
{
    Reset();
    XTPPngRows decoded;
    if (!ReadPngRows(data, size, decoded))
        return FALSE;
    HBITMAP dib = MakeDibFromRows(decoded.rows, decoded.width, decoded.height, decoded.channels);
    std::free(decoded.rows);
    if (!dib)
        return FALSE;
    Attach(dib);
    m_alpha = decoded.channels == 4;
    return TRUE;
}

BOOL CXTPGraphicBitmapPng::LoadFromResource(HMODULE module, HRSRC resource)
{
    Reset();
    if (!resource)
        return FALSE;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, resource);
    if (!data || size <= 9)
        return FALSE;
    return LoadFromMemory(data, size);
}

BOOL CXTPGraphicBitmapPng::LoadFromFile(const wchar_t* path)
{
    Reset();
    CFile file;
    if (!path || !file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    try {
        const ULONGLONG length = file.GetLength();
        // A PNG larger than the pixel cap cannot decode to anything we would keep.
        if (length < 8 || length > kMaxPixelBytes)
            return FALSE;
        std::vector<BYTE> bytes(static_cast<size_t>(length));
        if (file.Read(bytes.data(), static_cast<UINT>(bytes.size())) != bytes.size())
            return FALSE;
        return LoadFromMemory(bytes.data(), bytes.size());
    } catch (const CException&) {
        return FALSE;
    }
}
