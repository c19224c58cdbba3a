#include "engine/files/WideBuffer.h"

#include <algorithm>
#include <cwchar>
#include <limits>
#include <new>
#include <utility>
#include <vector>

IMPLEMENT_DYNAMIC(CWideBufferException, CException)

bool CWideBufferException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    if (!buffer || bufferSize == 0)
        return false;
    // The texts are plain ASCII, so widening byte by byte is exact.
    UINT i = 0;
    for (; i + 1 < bufferSize && m_text[i] != '\0'; ++i)
        buffer[i] = static_cast<wchar_t>(static_cast<unsigned char>(m_text[i]));
    buffer[i] = L'\0';
    return true;
}

WideBuffer::WideBuffer(WideBuffer&& other) noexcept
    : m_data(std::move(other.m_data)), m_capacity(std::exchange(other.m_capacity, 0u))
{
}

WideBuffer& WideBuffer::operator=(WideBuffer&& other) noexcept
{
    if (this != &other) {
        m_data = std::move(other.m_data);
        m_capacity = std::exchange(other.m_capacity, 0u);
    }
    return *this;
}

uint32_t WideBuffer::Length() const noexcept
{
    if (!m_data)
        return 0;
    const wchar_t* end = std::wmemchr(m_data.get(), L'\0', m_capacity);
    return end ? static_cast<uint32_t>(end - m_data.get()) : m_capacity;
}

void WideBuffer::Assign(const wchar_t* text)
{
    const size_t length = text ? std::wcslen(text) : 0;
    if (length >= std::numeric_limits<uint32_t>::max())
        throw CWideBufferException("Fatal error: Out of memory!");
    m_data.reset();
    m_capacity = 0;
    Reserve(std::max(static_cast<uint32_t>(length), kMinimumAssign));
    std::wmemcpy(m_data.get(), text ? text : L"", length + 1);
}

void WideBuffer::Reserve(uint32_t n)
{
    if (n >= m_capacity)
        GrowTerminated(m_data, m_capacity, Length(), n);
}

namespace {

bool IsExistingFolder(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

DWORD CreateDirectoryTree(const wchar_t* path)
{
    if (!path)
        return ERROR_INVALID_PARAMETER;
    if (IsExistingFolder(path))
        return 0;
    try {
        // Walk up to the nearest existing folder, cutting the copy in place at each backslash,
        // then create the missing levels on the way back down. A loop instead of recursion keeps
        // the stack flat for long paths with many levels.
        WideBuffer buffer;
        buffer.Assign(path);
        wchar_t* text = buffer.Get();
        std::vector<uint32_t> cuts; // where a backslash was replaced by a terminator
        uint32_t length = buffer.Length();
        for (;;) {
            if (length >= 2 && text[length - 1] == L'\\')
                --length;
            uint32_t cut = length;
            while (cut > 0 && text[cut - 1] != L'\\')
                --cut;
            if (cut == 0)
                return ERROR_INVALID_DRIVE;
            length = cut - 1;
            text[length] = L'\0';
            cuts.push_back(length);
            if (IsExistingFolder(text))
                break;
        }
        // Restore one level at a time: the level to create ends at the previous cut (or at the
        // end of the original path, whose trailing backslash CreateDirectoryW accepts).
        for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
            text[*it] = L'\\';
            if (!CreateDirectoryW(text, nullptr)) {
                const DWORD error = GetLastError();
                // Someone else may have made it meanwhile; a file of that name is an error.
                if (error != ERROR_ALREADY_EXISTS || !IsExistingFolder(text))
                    return error;
            }
        }
        return 0;
    } catch (const CWideBufferException&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
