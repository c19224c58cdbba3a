#pragma once
// NarrowBuffer: a growable, owned array of 8-bit characters holding one terminated string: the
// UTF-8 (or byte-by-byte) names and paths that the cabinet-creation calls take. Beside it, the
// text operations the cabinet writer needs on a WideBuffer.
// Both buffers raise CWideBufferException when memory runs out or a string lost its terminator.

#include "engine/files/WideBuffer.h"

#include <cstdint>
#include <memory>

namespace Cabinet {

class NarrowBuffer {
public:
    static constexpr uint32_t kInitialCapacity = 300;

    // Reserves 300 characters and holds an empty string.
    NarrowBuffer();
    NarrowBuffer(const NarrowBuffer&) = delete;
    NarrowBuffer& operator=(const NarrowBuffer&) = delete;

    // When n is not below the capacity, grows the array to 2 x n characters, keeping the string.
    void Reserve(uint32_t n);

    // Holds the text converted to UTF-8.
    void AssignUtf8(const wchar_t* text);

    // Holds the text unit by unit; throws "Unicode string cannot be converted to Ansi!" when a
    // unit is above 255.
    void AssignBytes(const wchar_t* text);

    // printf-style formatting; the array doubles until the result fits.
    void Format(const char* format, ...);

    // Copies the string with its terminator into a fixed array; false (nothing copied) when
    // length + 1 exceeds the capacity.
    [[nodiscard]] bool CopyTo(char* target, uint32_t capacity) const;

    char* Get() noexcept { return m_data.get(); }
    const char* Get() const noexcept { return m_data.get(); }
    uint32_t Capacity() const noexcept { return m_capacity; }
    uint32_t Length() const noexcept;

private:
    std::unique_ptr<char[]> m_data;
    uint32_t m_capacity = 0;
};

// Text operations on a WideBuffer.
namespace WideText {

// A copy holding the same text, with at least 300 characters reserved.
void Copy(WideBuffer& target, const WideBuffer& source);
void Append(WideBuffer& buffer, const wchar_t* text);
// printf-style formatting (wide %s); on overflow the buffer is emptied, its capacity doubled and
// the formatting repeated until it fits.
void Format(WideBuffer& buffer, const wchar_t* format, ...);
// Holds the UTF-8 text converted to UTF-16.
void AssignUtf8(WideBuffer& buffer, const char* text);
// Appends "\" when the text has at least two characters and does not end with one.
void AppendBackslash(WideBuffer& buffer);
// Splits a path after its last "\": the folder keeps that "\" (empty when there is none), the
// name is the rest (the whole path when there is no "\").
void SplitPath(const wchar_t* path, WideBuffer& folder, WideBuffer& name);
// True when every unit is below 128.
bool IsAscii(const wchar_t* text);
// True when some unit is above 255.
bool HasWideUnit(const wchar_t* text);

} // namespace WideText

} // namespace Cabinet
