#pragma once
// WideBuffer: a growable, owned array of UTF-16 characters that holds one terminated string, for
// code that builds a path and cuts it in place (folder creation, the cabinet writer).
// CreateDirectoryTree: makes a folder together with every missing parent.

#include "framework/Exception.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <utility>

// Raised by WideBuffer when it cannot keep its promise; carries a fixed narrow text.
class CWideBufferException : public CException {
    DECLARE_DYNAMIC(CWideBufferException)
public:
    explicit CWideBufferException(const char* text = "") : m_text(text) {}
    using CException::GetErrorMessage;
    bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const override;
    const char* GetText() const { return m_text; }

private:
    const char* m_text; // a string literal, never freed
};

// The growth both terminated-string buffers share: replaces data with an array of 2 x n units
// holding the same string (length units and the terminator) and sets capacity. Throws
// CWideBufferException "Fatal error: Out of memory!" when that array cannot be had (its count or
// byte size may not fit a 32-bit build), and "The string has no terminating null character!"
// when the held string overran its array.
template <class Char>
void GrowTerminated(std::unique_ptr<Char[]>& data, uint32_t& capacity, uint32_t length, uint32_t n)
{
    const uint64_t newCapacity = 2ull * n;
    if (newCapacity > std::numeric_limits<uint32_t>::max() ||
        newCapacity > std::numeric_limits<size_t>::max() / sizeof(Char))
        throw CWideBufferException("Fatal error: Out of memory!");
    std::unique_ptr<Char[]> grown(new (std::nothrow) Char[static_cast<size_t>(newCapacity)]);
    if (!grown)
        throw CWideBufferException("Fatal error: Out of memory!");
    if (data) {
        if (length >= capacity)
            throw CWideBufferException("The string has no terminating null character!");
        std::copy_n(data.get(), length + 1, grown.get());
    } else {
        grown[0] = Char();
    }
    data = std::move(grown);
    capacity = static_cast<uint32_t>(newCapacity);
}

class WideBuffer {
public:
    // Every Assign reserves at least this many characters, so short paths that grow a little
    // while being built never reallocate.
    static constexpr uint32_t kMinimumAssign = 300;

    WideBuffer() = default;
    WideBuffer(const WideBuffer&) = delete;
    WideBuffer& operator=(const WideBuffer&) = delete;
    WideBuffer(WideBuffer&& other) noexcept;
    WideBuffer& operator=(WideBuffer&& other) noexcept;
    ~WideBuffer() = default;

    // Starts empty, reserves max(length of text, 300) characters and copies the text with its
    // terminator; a null text counts as empty.
    void Assign(const wchar_t* text);

    // Makes room for at least n characters: when n is not below the capacity the array grows to
    // 2 x n, keeping the string. Throws CWideBufferException "Fatal error: Out of memory!" when
    // the array cannot be allocated, and "The string has no terminating null character!" when
    // the held string overran its array.
    void Reserve(uint32_t n);

    wchar_t* Get() noexcept { return m_data.get(); }             // null while nothing is held
    const wchar_t* Get() const noexcept { return m_data.get(); }
    const wchar_t* GetString() const noexcept { return m_data ? m_data.get() : L""; }
    uint32_t Capacity() const noexcept { return m_capacity; }
    uint32_t Length() const noexcept;

private:
    std::unique_ptr<wchar_t[]> m_data;
    uint32_t m_capacity = 0;
};

// Creates the folder and every missing parent. Returns 0 when the folder exists afterwards,
// ERROR_INVALID_DRIVE (15) when the path runs out of backslashes before reaching an existing
// folder, ERROR_ALREADY_EXISTS (183) when the path or one of its parents is a file, otherwise
// the first Windows error met on the way down from the root.
[[nodiscard]] DWORD CreateDirectoryTree(const wchar_t* path);
