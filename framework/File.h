#pragma once
// CFile: an unbuffered Win32 file with the framework's open flags. Read, Write and Seek failures
// throw CFileException (a failed Open returns false instead). Read and Write are virtual so that
// a derived file can filter the bytes (the enciphered file layer does).
//
// CMemFile: the same interface over a growable block of memory.

#include "framework/Exception.h"
#include "framework/Handle.h"
#include "framework/Object.h"
#include "framework/String.h"

#include <vector>

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,    // accepted and ignored: files are always binary
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile();
    CFile(const wchar_t* fileName, UINT openFlags); // throws CFileException when it cannot open
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() override;

    // Opens the file; on failure returns false and, when given, fills the exception record.
    virtual bool Open(const wchar_t* fileName, UINT openFlags, CFileException* error = nullptr);
    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG newLength);
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();
    virtual void Close();   // throws when closing fails
    virtual void Abort();   // closes, ignoring errors

    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    bool IsOpen() const { return m_file.IsValid(); }
    HANDLE GetHandle() const { return m_file.Get(); }
    const CString& GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;

protected:
    [[noreturn]] void ThrowLastError(DWORD error) const;

private:
    UniqueKernelHandle m_file;
    CString m_strFileName;
};

class CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    CMemFile() = default;
    CMemFile(const BYTE* data, UINT size); // starts with a copy of the bytes, positioned at 0

    bool Open(const wchar_t*, UINT, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetLength() const override { return m_data.size(); }
    void SetLength(ULONGLONG newLength) override;
    ULONGLONG GetPosition() const override { return m_position; }
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }

    // Replaces the contents with a copy of the bytes and rewinds.
    void Attach(const BYTE* data, UINT size);
    const std::vector<BYTE>& Data() const { return m_data; }

private:
    std::vector<BYTE> m_data;
    size_t m_position = 0;
};
