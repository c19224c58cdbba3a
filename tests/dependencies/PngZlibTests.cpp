// The two libraries the toolkit depends on are linked into the Windows build and work there:
// zlib's streams and checksums, and libpng decoding from memory with its longjmp error path.

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <array>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct MemoryReader {
    const Bytes* data;
    size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->offset + count > reader->data->size())
        png_error(png, "read past the end of the image");
    std::memcpy(out, reader->data->data() + reader->offset, count);
    reader->offset += count;
}

// Decodes an 8-bit RGBA image; false on any libpng error.
bool DecodeRgba(const Bytes& file, png_uint_32& width, png_uint_32& height, Bytes& pixels)
{
    if (file.size() < 8 || png_sig_cmp(file.data(), 0, 8) != 0)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    MemoryReader reader{&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    width = png_get_image_width(png, info);
    height = png_get_image_height(png, info);
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_RGBA || png_get_bit_depth(png, info) != 8)
        png_error(png, "fixture is not 8-bit RGBA");
    pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + static_cast<size_t>(y) * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

TEST(Libpng, DecodesTheFixtureImage)
{
    Bytes file;
    ASSERT_TRUE(testsupport::ReadAllBytes(testsupport::FixturePath(L"images/rgba-3x2.png"), file));
    png_uint_32 width = 0, height = 0;
    Bytes pixels;
    ASSERT_TRUE(DecodeRgba(file, width, height, pixels));
    EXPECT_EQ(3u, width);
    EXPECT_EQ(2u, height);
    const Bytes expected = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0,
                            10, 20, 30, 40, 255, 255, 255, 255, 0, 0, 0, 255};
    EXPECT_EQ(expected, pixels);
}

TEST(Libpng, TruncatedImageFailsThroughTheErrorPath)
{
    Bytes file;
    ASSERT_TRUE(testsupport::ReadAllBytes(testsupport::FixturePath(L"images/rgba-3x2.png"), file));
    file.resize(40); // header chunk complete, image data cut
    png_uint_32 width = 0, height = 0;
    Bytes pixels;
    EXPECT_FALSE(DecodeRgba(file, width, height, pixels));
}

TEST(Zlib, DeflateInflateRoundTripAndChecksums)
{
    Bytes input(100000);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<uint8_t>((i * 31) ^ (i >> 7));
    uLongf packedSize = compressBound(static_cast<uLong>(input.size()));
    Bytes packed(packedSize);
    ASSERT_EQ(Z_OK, compress2(packed.data(), &packedSize, input.data(), static_cast<uLong>(input.size()), 9));
    Bytes output(input.size());
    uLongf outputSize = static_cast<uLongf>(output.size());
    ASSERT_EQ(Z_OK, uncompress(output.data(), &outputSize, packed.data(), packedSize));
    EXPECT_EQ(input, output);

    const char* text = "123456789";
    EXPECT_EQ(0xCBF43926u, crc32(0, reinterpret_cast<const Bytef*>(text), 9));
    EXPECT_EQ(0x091E01DEu, adler32(1, reinterpret_cast<const Bytef*>(text), 9));
}

} // namespace
