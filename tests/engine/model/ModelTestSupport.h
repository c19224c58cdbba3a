#pragma once
// Shared bits of the model tests: readable CString output in assertion messages, and a builder of
// the expected archive bytes written item by item, so layout tests read like the stored form.

#include "framework/Archive.h"
#include "framework/String.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

// Lets gtest print CString values in its failure messages.
inline void PrintTo(const CString& text, std::ostream* out)
{
    *out << '"' << testsupport::Utf8(text.View()) << '"';
}

namespace modeltest {

using Bytes = std::vector<uint8_t>;

// The expected stream, written independently of the archive: int32 little-endian, texts in the
// UTF-16 string form with a one- or three-byte length.
class ExpectedBytes {
public:
    ExpectedBytes& Int(int32_t value)
    {
        const auto u = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            m_bytes.push_back(static_cast<uint8_t>(u >> shift));
        return *this;
    }
    ExpectedBytes& Ints(int count, int32_t value = 0)
    {
        for (int i = 0; i < count; ++i)
            Int(value);
        return *this;
    }
    ExpectedBytes& Text(const CString& text)
    {
        m_bytes.insert(m_bytes.end(), {0xFF, 0xFE, 0xFF});
        const int length = text.GetLength();
        if (length < 0xFF) {
            m_bytes.push_back(static_cast<uint8_t>(length));
        } else {
            m_bytes.insert(m_bytes.end(), {0xFF, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)});
        }
        for (int i = 0; i < length; ++i) {
            m_bytes.push_back(static_cast<uint8_t>(text[i]));
            m_bytes.push_back(static_cast<uint8_t>(text[i] >> 8));
        }
        return *this;
    }
    ExpectedBytes& EmptyTexts(int count)
    {
        for (int i = 0; i < count; ++i)
            Text(CString());
        return *this;
    }
    ExpectedBytes& Raw(const Bytes& bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const Bytes& Get() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// Stores a record (anything with Serialize(CArchive&)) into memory and returns the bytes.
template <class Record>
Bytes Store(Record& record)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    if constexpr (std::is_same_v<decltype(record.Serialize(ar)), void>)
        record.Serialize(ar);
    else
        (void)record.Serialize(ar);
    ar.Close();
    return file.Data();
}

// Loads a record from bytes; the archive's exceptions reach the caller.
template <class Record>
auto Load(Record& record, const Bytes& bytes)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    return record.Serialize(ar);
}

} // namespace modeltest
