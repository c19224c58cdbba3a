#include "engine/storage/FileEx.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CFileEx, CFile)

CFileEx::CFileEx()
    : m_work(new BYTE[kFileExWorkBytes]), m_plain(new BYTE[kFileExUnitBytes])
{
}

CFileEx::~CFileEx() = default;

bool CFileEx::Open(const wchar_t* fileName, UINT openFlags, CFileException* error)
{
    m_plainNext = m_plainEnd = 0;
    return CFile::Open(fileName, openFlags, error);
}

void CFileEx::ThrowBadData() const
{
    AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_DATA, GetFilePath());
}

// Reads and deciphers the next unit into the plain buffer; false at the end of the file.
bool CFileEx::ReadUnit()
{
    m_plainNext = m_plainEnd = 0;
    const UINT read = CFile::Read(m_work.get(), kFileExUnitBytes);
    if (read == 0)
        return false;
    const int plain = m_readFilter(m_work.get(), static_cast<int>(read), m_plain.get(), m_readContext);
    // A failure code must never pass for a byte count, and no filter may claim more than the
    // buffer holds.
    if (plain < 0 || static_cast<UINT>(plain) > kFileExUnitBytes)
        ThrowBadData();
    m_plainEnd = static_cast<UINT>(plain);
    return true;
}

UINT CFileEx::Read(void* buffer, UINT count)
{
    if (!m_readFilter)
        return CFile::Read(buffer, count);
    BYTE* target = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        // a unit may decipher to nothing; the loop then moves on to the next one
        if (m_plainNext == m_plainEnd && !ReadUnit())
            break;
        const UINT n = std::min(count - done, m_plainEnd - m_plainNext);
        std::memcpy(target + done, m_plain.get() + m_plainNext, n);
        m_plainNext += n;
        done += n;
    }
    return done;
}

void CFileEx::Write(const void* buffer, UINT count)
{
    if (!m_writeFilter) {
        CFile::Write(buffer, count);
        return;
    }
    const BYTE* source = static_cast<const BYTE*>(buffer);
    while (count > 0) {
        const UINT piece = std::min(count, kFileExPieceBytes);
        const int bytes = m_writeFilter(source, static_cast<int>(piece), m_work.get(), m_writeContext);
        if (bytes <= 0 || static_cast<UINT>(bytes) > kFileExWorkBytes)
            AfxThrowFileException(CFileException::genericException, ERROR_INVALID_FUNCTION, GetFilePath());
        CFile::Write(m_work.get(), static_cast<UINT>(bytes));
        source += piece;
        count -= piece;
    }
}
