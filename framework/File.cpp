#include "framework/File.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CMemFile, CFile)

namespace {

DWORD AccessOf(UINT flags)
{
    switch (flags & 3) {
    case CFile::modeWrite: return GENERIC_WRITE;
    case CFile::modeReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return GENERIC_READ;
    }
}

DWORD ShareOf(UINT flags)
{
    switch (flags & 0x70) {
    case CFile::shareExclusive: return 0;
    case CFile::shareDenyWrite: return FILE_SHARE_READ;
    case CFile::shareDenyRead: return FILE_SHARE_WRITE;
    case CFile::shareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0; // compatibility mode behaves as exclusive
    }
}

DWORD DispositionOf(UINT flags)
{
    if (flags & CFile::modeCreate)
        return (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    return OPEN_EXISTING;
}

DWORD AttributesOf(UINT flags)
{
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (flags & CFile::osNoBuffer) attributes |= FILE_FLAG_NO_BUFFERING;
    if (flags & CFile::osWriteThrough) attributes |= FILE_FLAG_WRITE_THROUGH;
    if (flags & CFile::osRandomAccess) attributes |= FILE_FLAG_RANDOM_ACCESS;
    if (flags & CFile::osSequentialScan) attributes |= FILE_FLAG_SEQUENTIAL_SCAN;
    return attributes;
}

} // namespace

CFile::CFile() = default;

CFile::CFile(const wchar_t* fileName, UINT openFlags)
{
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        throw error;
}

CFile::~CFile()
{
    // Destructors must not throw: a file still open here is closed without error checks.
    Abort();
}

bool CFile::Open(const wchar_t* fileName, UINT openFlags, CFileException* error)
{
    Abort();
    m_strFileName = fileName;
    SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, (openFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE handle = ::CreateFileW(fileName ? fileName : L"", AccessOf(openFlags), ShareOf(openFlags),
                                  &security, DispositionOf(openFlags), AttributesOf(openFlags), nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD lastError = ::GetLastError();
        if (error) {
            error->m_lOsError = static_cast<LONG>(lastError);
            error->m_cause = CFileException::OsErrorToException(static_cast<LONG>(lastError));
            error->m_strFileName = fileName;
        }
        return false;
    }
    m_file.Reset(handle);
    return true;
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (count == 0)
        return 0;
    DWORD read = 0;
    if (!::ReadFile(m_file.Get(), buffer, count, &read, nullptr))
        ThrowLastError(::GetLastError());
    return read;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    DWORD written = 0;
    if (!::WriteFile(m_file.Get(), buffer, count, &written, nullptr))
        ThrowLastError(::GetLastError());
    // A short write without an error means the volume is full.
    if (written != count)
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(m_file.Get(), distance, &position, from))
        ThrowLastError(::GetLastError());
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(m_file.Get(), &size))
        ThrowLastError(::GetLastError());
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::SetLength(ULONGLONG newLength)
{
    Seek(static_cast<LONGLONG>(newLength), begin);
    if (!::SetEndOfFile(m_file.Get()))
        ThrowLastError(::GetLastError());
}

ULONGLONG CFile::GetPosition() const
{
    LARGE_INTEGER distance{};
    LARGE_INTEGER position{};
    if (!::SetFilePointerEx(m_file.Get(), distance, &position, FILE_CURRENT))
        ThrowLastError(::GetLastError());
    return static_cast<ULONGLONG>(position.QuadPart);
}

void CFile::Flush()
{
    if (m_file && !::FlushFileBuffers(m_file.Get()))
        ThrowLastError(::GetLastError());
}

void CFile::Close()
{
    if (!m_file)
        return;
    HANDLE handle = m_file.Release();
    if (!::CloseHandle(handle))
        ThrowLastError(::GetLastError());
}

void CFile::Abort()
{
    m_file.Reset();
}

CString CFile::GetFileName() const
{
    const int slash = std::max(m_strFileName.ReverseFind(L'\\'), m_strFileName.ReverseFind(L'/'));
    return m_strFileName.Mid(slash + 1);
}

void CFile::ThrowLastError(DWORD error) const
{
    AfxThrowFileException(CFileException::OsErrorToException(static_cast<LONG>(error)),
                          static_cast<LONG>(error), m_strFileName);
}

CMemFile::CMemFile(const BYTE* data, UINT size)
{
    Attach(data, size);
}

bool CMemFile::Open(const wchar_t*, UINT, CFileException* error)
{
    // A memory file has no name to open.
    if (error)
        error->m_cause = CFileException::genericException;
    return false;
}

UINT CMemFile::Read(void* buffer, UINT count)
{
    if (m_position >= m_data.size())
        return 0;
    const size_t n = std::min<size_t>(count, m_data.size() - m_position);
    std::memcpy(buffer, m_data.data() + m_position, n);
    m_position += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    if (m_position + count > m_data.size())
        m_data.resize(m_position + count);
    std::memcpy(m_data.data() + m_position, buffer, count);
    m_position += count;
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from)
{
    LONGLONG base = 0;
    if (from == current)
        base = static_cast<LONGLONG>(m_position);
    else if (from == end)
        base = static_cast<LONGLONG>(m_data.size());
    const LONGLONG target = base + offset;
    if (target < 0)
        AfxThrowFileException(CFileException::badSeek, ERROR_NEGATIVE_SEEK);
    m_position = static_cast<size_t>(target);
    return static_cast<ULONGLONG>(target);
}

void CMemFile::SetLength(ULONGLONG newLength)
{
    m_data.resize(static_cast<size_t>(newLength));
    m_position = std::min(m_position, m_data.size());
}

void CMemFile::Close()
{
    m_data.clear();
    m_position = 0;
}

void CMemFile::Attach(const BYTE* data, UINT size)
{
    m_data.assign(data, data + size);
    m_position = 0;
}
