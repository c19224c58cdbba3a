#pragma once
// The framework's exception family. Exceptions are thrown and caught by value
// (catch (const CException& e)); none may cross a DLL export, a window procedure or a thread
// entry: those boundaries catch and turn them into return codes.

#include "framework/Object.h"
#include "framework/String.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    // Copies a one-line description into the buffer (always terminated); false when there is none.
    virtual bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const;
    CString GetErrorMessage() const;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const override;
};

class CInvalidArgException : public CException {
    DECLARE_DYNAMIC(CInvalidArgException)
public:
    bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const override;
};

class CNotSupportedException : public CException {
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const override;
};

class CResourceException : public CException {
    DECLARE_DYNAMIC(CResourceException)
public:
    bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const override;
};

class CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    // The numbers are part of the framework's public interface and are quoted by callers.
    enum {
        none = 0,
        genericException = 1,
        readOnly = 2,       // storing into a loading archive
        endOfFile = 3,      // the data ended before the item did
        writeOnly = 4,      // loading from a storing archive
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };

    explicit CArchiveException(int cause = none, const wchar_t* fileName = nullptr);
    bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const override;

    int m_cause;
    CString m_strFileName;
};

class CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    // The numbers are part of the framework's public interface and are quoted by callers.
    enum {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    explicit CFileException(int cause = none, LONG osError = -1, const wchar_t* fileName = nullptr);
    bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const override;

    // Cause for a Windows error code (genericException for codes without a cause of their own).
    static int OsErrorToException(LONG osError);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowArchiveException(int cause, const wchar_t* fileName = nullptr);
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, const wchar_t* fileName = nullptr);
