#include "framework/Archive.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr BYTE kLengthEscape = 0xFF;
constexpr WORD kUnicodeMarker = 0xFFFE;
constexpr WORD kWordEscape = 0xFFFF;
constexpr DWORD kDwordEscape = 0xFFFFFFFF;

// Texts are read in slices so that a damaged length costs no more memory than the data behind it
// holds before the end of the stream is met.
constexpr UINT kTextSliceUnits = 32768;

} // namespace

CArchive::CArchive(CFile* file, UINT mode, int bufferSize)
    : m_file(file), m_mode(mode), m_buffer(static_cast<size_t>(std::max(bufferSize, 16)))
{
}

CArchive::~CArchive()
{
    if (m_file && IsStoring() && !(m_mode & bNoFlushOnDelete)) {
        try {
            Flush();
        } catch (const CException&) {
            // nobody can be told from a destructor; Close() reports the same failure
        }
    }
}

void CArchive::CheckStoring() const
{
    if (IsLoading())
        AfxThrowArchiveException(CArchiveException::readOnly, FileName());
}

void CArchive::CheckLoading() const
{
    if (IsStoring())
        AfxThrowArchiveException(CArchiveException::writeOnly, FileName());
}

CString CArchive::FileName() const
{
    return m_file ? m_file->GetFilePath() : CString();
}

CArchive& CArchive::StoreItem(const void* value, UINT size)
{
    CheckStoring();
    if (m_next + size > m_buffer.size())
        Flush();
    std::memcpy(m_buffer.data() + m_next, value, size);
    m_next += size;
    return *this;
}

void CArchive::Write(const void* buffer, UINT count)
{
    CheckStoring();
    const BYTE* source = static_cast<const BYTE*>(buffer);
    while (count > 0) {
        if (m_next == m_buffer.size())
            Flush();
        const size_t n = std::min<size_t>(count, m_buffer.size() - m_next);
        std::memcpy(m_buffer.data() + m_next, source, n);
        m_next += n;
        source += n;
        count -= static_cast<UINT>(n);
    }
}

void CArchive::Flush()
{
    if (!m_file || IsLoading() || m_next == 0)
        return;
    const UINT size = static_cast<UINT>(m_next);
    m_next = 0; // a failed write must not be retried with the same bytes by the destructor
    m_file->Write(m_buffer.data(), size);
}

bool CArchive::FillBuffer()
{
    if (!m_file)
        return false;
    m_next = 0;
    m_end = m_file->Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
    return m_end > 0;
}

UINT CArchive::Read(void* buffer, UINT count)
{
    CheckLoading();
    BYTE* target = static_cast<BYTE*>(buffer);
    UINT done = 0;
    if (!m_peeked.empty()) {
        const size_t n = std::min<size_t>(count, m_peeked.size());
        std::memcpy(target, m_peeked.data(), n);
        m_peeked.erase(m_peeked.begin(), m_peeked.begin() + static_cast<std::ptrdiff_t>(n));
        done = static_cast<UINT>(n);
    }
    while (done < count) {
        if (m_next == m_end && !FillBuffer())
            break;
        const size_t n = std::min<size_t>(count - done, m_end - m_next);
        std::memcpy(target + done, m_buffer.data() + m_next, n);
        m_next += n;
        done += static_cast<UINT>(n);
    }
    return done;
}

CArchive& CArchive::LoadItem(void* value, UINT size)
{
    if (Read(value, size) != size)
        AfxThrowArchiveException(CArchiveException::endOfFile, FileName());
    return *this;
}

void CArchive::Close()
{
    if (!m_file)
        return;
    if (IsStoring())
        Flush();
    m_file = nullptr;
}

void CArchive::Abort()
{
    m_file = nullptr;
    m_next = m_end = 0;
    m_peeked.clear();
}

UINT CArchive::Peek(void* buffer, UINT count)
{
    CheckLoading();
    // Bytes already peeked stay in front; more are moved out of the buffer behind them, so the
    // buffer itself is only ever refilled whole.
    while (m_peeked.size() < count) {
        if (m_next == m_end && !FillBuffer())
            break;
        const size_t n = std::min<size_t>(count - m_peeked.size(), m_end - m_next);
        m_peeked.insert(m_peeked.end(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_next),
                        m_buffer.begin() + static_cast<std::ptrdiff_t>(m_next + n));
        m_next += n;
    }
    const size_t n = std::min<size_t>(count, m_peeked.size());
    std::memcpy(buffer, m_peeked.data(), n);
    return static_cast<UINT>(n);
}

void CArchive::WriteCount(DWORD count)
{
    if (count < kWordEscape) {
        *this << static_cast<WORD>(count);
        return;
    }
    *this << kWordEscape;
    *this << count;
}

DWORD CArchive::ReadCount()
{
    WORD count = 0;
    *this >> count;
    if (count != kWordEscape)
        return count;
    DWORD big = 0;
    *this >> big;
    return big;
}

namespace {

constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr WORD kMaxClassNameLength = 64;

} // namespace

void CArchive::WriteClass(const CRuntimeClass* runtimeClass)
{
    CheckStoring();
    if (!runtimeClass) {
        *this << kNullTag;
        return;
    }
    const auto known = m_storeMap.find(runtimeClass);
    if (known != m_storeMap.end()) {
        if (known->second < kBigObjectTag) {
            *this << static_cast<WORD>(kClassTag | known->second);
        } else {
            *this << kBigObjectTag;
            *this << (kBigClassTag | known->second);
        }
        return;
    }
    const size_t length = std::strlen(runtimeClass->m_lpszClassName);
    if (length > kMaxClassNameLength)
        AfxThrowArchiveException(CArchiveException::badClass, FileName());
    *this << kNewClassTag;
    *this << static_cast<WORD>(runtimeClass->m_wSchema);
    *this << static_cast<WORD>(length);
    Write(runtimeClass->m_lpszClassName, static_cast<UINT>(length));
    m_storeMap.emplace(runtimeClass, m_storeCount++);
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* expected, UINT* schema)
{
    CheckLoading();
    WORD tag = 0;
    *this >> tag;
    if (tag == kNullTag)
        return nullptr;

    const CRuntimeClass* runtimeClass = nullptr;
    UINT storedSchema = 0xFFFF;
    if (tag == kNewClassTag) {
        WORD wSchema = 0;
        WORD length = 0;
        *this >> wSchema >> length;
        if (length == 0 || length > kMaxClassNameLength)
            AfxThrowArchiveException(CArchiveException::badClass, FileName());
        char name[kMaxClassNameLength + 1] = {};
        if (Read(name, length) != length)
            AfxThrowArchiveException(CArchiveException::endOfFile, FileName());
        runtimeClass = CRuntimeClass::FromName(name);
        if (!runtimeClass)
            AfxThrowArchiveException(CArchiveException::badClass, FileName());
        storedSchema = wSchema;
        m_loadMap.push_back({runtimeClass, true, storedSchema});
    } else {
        DWORD index = 0;
        if (tag == kBigObjectTag) {
            DWORD big = 0;
            *this >> big;
            if (!(big & kBigClassTag))
                AfxThrowArchiveException(CArchiveException::badClass, FileName());
            index = big & ~kBigClassTag;
        } else {
            if (!(tag & kClassTag))
                AfxThrowArchiveException(CArchiveException::badClass, FileName());
            index = tag & static_cast<WORD>(~kClassTag);
        }
        if (index == 0 || index >= m_loadMap.size() || !m_loadMap[index].isClass)
            AfxThrowArchiveException(CArchiveException::badIndex, FileName());
        runtimeClass = static_cast<const CRuntimeClass*>(m_loadMap[index].entry);
        storedSchema = m_loadMap[index].schema;
    }
    if (expected && !runtimeClass->IsDerivedFrom(expected))
        AfxThrowArchiveException(CArchiveException::badClass, FileName());
    if (schema)
        *schema = storedSchema;
    return runtimeClass;
}

void CArchive::MapObject(const CObject* object)
{
    if (IsStoring()) {
        if (object && !m_storeMap.contains(object))
            m_storeMap.emplace(object, m_storeCount++);
        return;
    }
    m_loadMap.push_back({object, false, 0});
}

CArchive& CArchive::operator>>(bool& value)
{
    BYTE byte = 0;
    *this >> byte;
    value = byte != 0;
    return *this;
}

void CArchive::WriteStringLength(ULONGLONG length, bool unicode)
{
    if (unicode) {
        *this << kLengthEscape;
        *this << kUnicodeMarker;
    }
    if (length < kLengthEscape) {
        *this << static_cast<BYTE>(length);
        return;
    }
    *this << kLengthEscape;
    if (length < kUnicodeMarker) {
        *this << static_cast<WORD>(length);
        return;
    }
    *this << kWordEscape;
    if (length < kDwordEscape) {
        *this << static_cast<DWORD>(length);
        return;
    }
    *this << kDwordEscape;
    *this << length;
}

ULONGLONG CArchive::ReadStringLength(bool& unicode)
{
    unicode = false;
    for (;;) {
        BYTE byteLength = 0;
        *this >> byteLength;
        if (byteLength < kLengthEscape)
            return byteLength;
        WORD wordLength = 0;
        *this >> wordLength;
        if (wordLength == kUnicodeMarker) {
            // the marker may appear once, before the real length
            if (unicode)
                AfxThrowArchiveException(CArchiveException::badIndex, FileName());
            unicode = true;
            continue;
        }
        if (wordLength < kWordEscape)
            return wordLength;
        DWORD dwordLength = 0;
        *this >> dwordLength;
        if (dwordLength < kDwordEscape)
            return dwordLength;
        ULONGLONG longLength = 0;
        *this >> longLength;
        return longLength;
    }
}

CArchive& CArchive::operator<<(const CString& text)
{
    WriteStringLength(static_cast<ULONGLONG>(text.GetLength()), true);
    Write(text.GetString(), static_cast<UINT>(text.GetLength()) * sizeof(wchar_t));
    return *this;
}

CArchive& CArchive::operator>>(CString& text)
{
    bool unicode = false;
    const ULONGLONG length = ReadStringLength(unicode);
    if (length > static_cast<ULONGLONG>(INT_MAX / sizeof(wchar_t)))
        AfxThrowArchiveException(CArchiveException::badIndex, FileName());

    if (unicode) {
        // Straight into the string, slice by slice, so a damaged length allocates no more than
        // the data behind it holds.
        CString loaded;
        for (ULONGLONG done = 0; done < length;) {
            const UINT units = static_cast<UINT>(std::min<ULONGLONG>(length - done, kTextSliceUnits));
            wchar_t* target = loaded.GetBufferSetLength(static_cast<int>(done + units)) + done;
            if (Read(target, units * sizeof(wchar_t)) != units * sizeof(wchar_t))
                AfxThrowArchiveException(CArchiveException::endOfFile, FileName());
            done += units;
        }
        text = std::move(loaded);
        return *this;
    }

    std::vector<BYTE> raw;
    for (ULONGLONG left = length; left > 0;) {
        const UINT units = static_cast<UINT>(std::min<ULONGLONG>(left, kTextSliceUnits));
        const size_t at = raw.size();
        raw.resize(at + units);
        if (Read(raw.data() + at, units) != units)
            AfxThrowArchiveException(CArchiveException::endOfFile, FileName());
        left -= units;
    }

    // The single-byte form carries text in the thread's code page.
    CString converted;
    if (!raw.empty()) {
        const int units = MultiByteToWideChar(CP_THREAD_ACP, 0, reinterpret_cast<const char*>(raw.data()),
                                              static_cast<int>(raw.size()), nullptr, 0);
        if (units > 0) {
            wchar_t* out = converted.GetBufferSetLength(units);
            MultiByteToWideChar(CP_THREAD_ACP, 0, reinterpret_cast<const char*>(raw.data()),
                                static_cast<int>(raw.size()), out, units);
        }
    }
    text = converted;
    return *this;
}
