#include "toolkit/foundation/XTPZipMemFile.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

IMPLEMENT_DYNAMIC(CXTPZipMemFile, CMemFile)

namespace {

constexpr DWORD kMagic = 0x2150495A;      // "ZIP!"
constexpr UINT kHeaderSize = 8;           // magic and raw size
constexpr UINT kSmallestBlock = 12;       // a header and at least some stream
constexpr size_t kSmallestCompressed = 20; // smaller contents are not worth a header

// Stated sizes beyond these are damage: deflate never expands more than 1032:1, and the toolkit
// keeps settings of kilobytes, not hundreds of megabytes.
constexpr ULONGLONG kDeflateMaxRatio = 1032;
constexpr DWORD kLargestRawSize = 256u * 1024 * 1024;

DWORD ReadDword(const BYTE* bytes)
{
    return static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
           static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
}

void WriteDword(BYTE* bytes, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<BYTE>(value >> (8 * i));
}

// The raw contents of a block; false when it does not inflate to exactly the stated size.
bool Inflate(const BYTE* block, UINT size, std::vector<BYTE>& raw)
{
    const DWORD rawSize = ReadDword(block + 4);
    const UINT streamSize = size - kHeaderSize;
    if (rawSize > kLargestRawSize || rawSize > streamSize * kDeflateMaxRatio)
        return false;
    // One spare byte shows a stream that holds more than it says.
    raw.assign(static_cast<size_t>(rawSize) + 1, 0);
    uLongf produced = static_cast<uLongf>(raw.size());
    const int rc = uncompress(raw.data(), &produced, block + kHeaderSize, streamSize);
    if (rc != Z_OK || produced != rawSize)
        return false;
    raw.pop_back();
    return true;
}

} // namespace

CXTPZipMemFile::CXTPZipMemFile(const BYTE* bytes, UINT size)
{
    AttachCompressed(const_cast<BYTE*>(bytes), size, FALSE);
}

void CXTPZipMemFile::AttachCompressed(BYTE* bytes, UINT size, BOOL owned)
{
    if (bytes && size >= kSmallestBlock && ReadDword(bytes) == kMagic) {
        std::vector<BYTE> raw;
        if (!Inflate(bytes, size, raw))
            raw.clear();
        Attach(raw.data(), static_cast<UINT>(raw.size()));
    } else {
        Attach(bytes, bytes ? size : 0);
    }
    if (owned)
        std::free(bytes);
}

bool CXTPZipMemFile::LoadFromFile(const wchar_t* path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return false;
    try {
        const ULONGLONG length = file.GetLength();
        if (length > kLargestRawSize)
            return false;
        std::vector<BYTE> bytes(static_cast<size_t>(length));
        const UINT read = file.Read(bytes.data(), static_cast<UINT>(length));
        AttachCompressed(bytes.data(), read, FALSE);
    } catch (const CException&) {
        return false;
    }
    return true;
}

void CXTPZipMemFile::DetachCompressed(BYTE*& bytes, DWORD& size)
{
    const std::vector<BYTE>& raw = Data();
    const size_t rawSize = raw.size();
    bytes = nullptr;
    size = 0;

    if (rawSize >= kSmallestCompressed) {
        BYTE* block = static_cast<BYTE*>(std::malloc(rawSize + kHeaderSize));
        uLongf streamSize = static_cast<uLongf>(rawSize); // no room: the stream would not shrink
        if (block && compress(block + kHeaderSize, &streamSize, raw.data(), static_cast<uLong>(rawSize)) == Z_OK) {
            WriteDword(block, kMagic);
            WriteDword(block + 4, static_cast<DWORD>(rawSize));
            bytes = block;
            size = static_cast<DWORD>(streamSize + kHeaderSize);
        } else {
            std::free(block);
        }
    }
    if (!bytes) {
        bytes = static_cast<BYTE*>(std::malloc(rawSize ? rawSize : 1));
        if (bytes) {
            if (rawSize)
                std::memcpy(bytes, raw.data(), rawSize);
            size = static_cast<DWORD>(rawSize);
        }
    }
    SetLength(0);
}
