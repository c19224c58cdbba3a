#include "engine/cabinet/NarrowBuffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <limits>
#include <new>

namespace Cabinet {

namespace {

[[noreturn]] void ThrowOutOfMemory()
{
    throw CWideBufferException("Fatal error: Out of memory!");
}

uint32_t CheckedLength(size_t length)
{
    if (length >= std::numeric_limits<uint32_t>::max() / 4)
        ThrowOutOfMemory();
    return static_cast<uint32_t>(length);
}

} // namespace

NarrowBuffer::NarrowBuffer()
{
    Reserve(kInitialCapacity / 2);
}

uint32_t NarrowBuffer::Length() const noexcept
{
    if (!m_data)
        return 0;
    const void* end = std::memchr(m_data.get(), '\0', m_capacity);
    return end ? static_cast<uint32_t>(static_cast<const char*>(end) - m_data.get()) : m_capacity;
}

void NarrowBuffer::Reserve(uint32_t n)
{
    if (n >= m_capacity)
        GrowTerminated(m_data, m_capacity, Length(), n);
}

void NarrowBuffer::AssignUtf8(const wchar_t* text)
{
    const uint32_t length = CheckedLength(text ? std::wcslen(text) : 0);
    Reserve(4 * length);
    m_data[0] = '\0';
    if (length == 0)
        return;
    const int written = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), m_data.get(),
                                            static_cast<int>(m_capacity - 1), nullptr, nullptr);
    m_data[written > 0 ? written : 0] = '\0';
}

void NarrowBuffer::AssignBytes(const wchar_t* text)
{
    const uint32_t length = CheckedLength(text ? std::wcslen(text) : 0);
    for (uint32_t i = 0; i < length; ++i) {
        if (text[i] > 255)
            throw CWideBufferException("Unicode string cannot be converted to Ansi!");
    }
    Reserve(length);
    for (uint32_t i = 0; i < length; ++i)
        m_data[i] = static_cast<char>(text[i]);
    m_data[length] = '\0';
}

void NarrowBuffer::Format(const char* format, ...)
{
    for (;;) {
        va_list args;
        va_start(args, format);
        const int written = std::vsnprintf(m_data.get(), m_capacity, format, args);
        va_end(args);
        if (written >= 0 && static_cast<uint32_t>(written) < m_capacity)
            return;
        m_data[0] = '\0';
        Reserve(m_capacity);
    }
}

bool NarrowBuffer::CopyTo(char* target, uint32_t capacity) const
{
    const uint32_t length = Length();
    if (uint64_t(length) + 1 > capacity)
        return false;
    std::memcpy(target, m_data.get(), length + 1);
    return true;
}

namespace WideText {

void Copy(WideBuffer& target, const WideBuffer& source)
{
    target.Assign(source.GetString());
}

void Append(WideBuffer& buffer, const wchar_t* text)
{
    if (!buffer.Get())
        buffer.Assign(L"");
    const uint32_t length = buffer.Length();
    const uint32_t extra = CheckedLength(text ? std::wcslen(text) : 0);
    buffer.Reserve(length + extra + 1);
    std::wmemcpy(buffer.Get() + length, text ? text : L"", extra + 1);
}

void Format(WideBuffer& buffer, const wchar_t* format, ...)
{
    if (!buffer.Get())
        buffer.Assign(L"");
    for (;;) {
        va_list args;
        va_start(args, format);
        // _vsnwprintf keeps %s wide whatever the C runtime's standard mode says.
        const int written = _vsnwprintf(buffer.Get(), buffer.Capacity(), format, args);
        va_end(args);
        if (written >= 0 && static_cast<uint32_t>(written) < buffer.Capacity()) {
            buffer.Get()[written] = L'\0';
            return;
        }
        buffer.Get()[0] = L'\0';
        buffer.Reserve(buffer.Capacity());
    }
}

void AssignUtf8(WideBuffer& buffer, const char* text)
{
    const uint32_t length = CheckedLength(text ? std::strlen(text) : 0);
    buffer.Assign(L"");
    buffer.Reserve(length + 1);
    if (length == 0)
        return;
    const int written = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(length), buffer.Get(),
                                            static_cast<int>(buffer.Capacity() - 1));
    buffer.Get()[written > 0 ? written : 0] = L'\0';
}

void AppendBackslash(WideBuffer& buffer)
{
    const uint32_t length = buffer.Length();
    if (length >= 2 && buffer.Get()[length - 1] != L'\\')
        Append(buffer, L"\\");
}

void SplitPath(const wchar_t* path, WideBuffer& folder, WideBuffer& name)
{
    const wchar_t* text = path ? path : L"";
    const wchar_t* last = std::wcsrchr(text, L'\\');
    if (!last) {
        folder.Assign(L"");
        name.Assign(text);
        return;
    }
    const size_t folderLength = static_cast<size_t>(last - text) + 1;
    folder.Assign(L"");
    folder.Reserve(CheckedLength(folderLength) + 1);
    std::wmemcpy(folder.Get(), text, folderLength);
    folder.Get()[folderLength] = L'\0';
    name.Assign(last + 1);
}

bool IsAscii(const wchar_t* text)
{
    for (; text && *text; ++text) {
        if (*text >= 128)
            return false;
    }
    return true;
}

bool HasWideUnit(const wchar_t* text)
{
    for (; text && *text; ++text) {
        if (*text > 255)
            return true;
    }
    return false;
}

} // namespace WideText

} // namespace Cabinet
