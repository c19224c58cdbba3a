#include "framework/Exception.h"

#include <cwchar>
#include <iterator>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {

bool CopyMessage(const wchar_t* text, wchar_t* buffer, UINT bufferSize)
{
    if (!buffer || bufferSize == 0)
        return false;
    wcsncpy(buffer, text, bufferSize - 1);
    buffer[bufferSize - 1] = L'\0';
    return true;
}

const wchar_t* ArchiveCauseText(int cause)
{
    switch (cause) {
    case CArchiveException::readOnly: return L"tried to write to an archive opened for loading";
    case CArchiveException::endOfFile: return L"unexpected end of file";
    case CArchiveException::writeOnly: return L"tried to read from an archive opened for storing";
    case CArchiveException::badIndex: return L"invalid file format";
    case CArchiveException::badClass: return L"unexpected object in the file";
    case CArchiveException::badSchema: return L"unsupported version of the file";
    default: return L"archive error";
    }
}

const wchar_t* FileCauseText(int cause)
{
    switch (cause) {
    case CFileException::fileNotFound: return L"file not found";
    case CFileException::badPath: return L"invalid path";
    case CFileException::tooManyOpenFiles: return L"too many open files";
    case CFileException::accessDenied: return L"access denied";
    case CFileException::invalidFile: return L"invalid file handle";
    case CFileException::removeCurrentDir: return L"cannot remove the current folder";
    case CFileException::directoryFull: return L"folder full";
    case CFileException::badSeek: return L"seek failed";
    case CFileException::hardIO: return L"hardware I/O error";
    case CFileException::sharingViolation: return L"sharing violation";
    case CFileException::lockViolation: return L"lock violation";
    case CFileException::diskFull: return L"disk full";
    case CFileException::endOfFile: return L"unexpected end of file";
    default: return L"file error";
    }
}

} // namespace

bool CException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    if (buffer && bufferSize)
        buffer[0] = L'\0';
    return false;
}

CString CException::GetErrorMessage() const
{
    wchar_t text[512];
    return GetErrorMessage(text, static_cast<UINT>(std::size(text))) ? CString(text) : CString();
}

bool CMemoryException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    return CopyMessage(L"out of memory", buffer, bufferSize);
}

bool CInvalidArgException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    return CopyMessage(L"invalid argument", buffer, bufferSize);
}

bool CNotSupportedException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    return CopyMessage(L"operation not supported", buffer, bufferSize);
}

bool CResourceException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    return CopyMessage(L"a resource could not be found or created", buffer, bufferSize);
}

CArchiveException::CArchiveException(int cause, const wchar_t* fileName)
    : m_cause(cause), m_strFileName(fileName)
{
}

bool CArchiveException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    CString text = ArchiveCauseText(m_cause);
    if (!m_strFileName.IsEmpty())
        text = m_strFileName + L": " + text;
    return CopyMessage(text, buffer, bufferSize);
}

CFileException::CFileException(int cause, LONG osError, const wchar_t* fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
{
}

bool CFileException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    CString text = FileCauseText(m_cause);
    if (!m_strFileName.IsEmpty())
        text = m_strFileName + L": " + text;
    if (m_lOsError > 0)
        text.AppendFormat(L" (error %ld)", m_lOsError);
    return CopyMessage(text, buffer, bufferSize);
}

int CFileException::OsErrorToException(LONG osError)
{
    switch (osError) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

void AfxThrowMemoryException() { throw CMemoryException(); }
void AfxThrowInvalidArgException() { throw CInvalidArgException(); }
void AfxThrowNotSupportedException() { throw CNotSupportedException(); }
void AfxThrowResourceException() { throw CResourceException(); }

void AfxThrowArchiveException(int cause, const wchar_t* fileName)
{
    throw CArchiveException(cause, fileName);
}

void AfxThrowFileException(int cause, LONG osError, const wchar_t* fileName)
{
    throw CFileException(cause, osError, fileName);
}
