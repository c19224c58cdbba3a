#pragma once
// CFileEx: the file under every stored archive. Its Read and Write pass the bytes through a
// filter (the enciphering and deciphering filters of Aes.h), so the file on disk is a sequence of
// independently enciphered units: each Write piece of at most kFileExPieceBytes plain bytes
// becomes one unit of at most kFileExUnitBytes bytes.
//
// Any request size is served safely: writes are cut into pieces of at most kFileExPieceBytes, and
// reads are served from a one-unit buffer, so a storing archive with a 4095-byte buffer and a
// loading archive with a 4096-byte buffer give and take exactly one unit per request, while longer
// or shorter requests still work. A unit whose filter fails (a damaged or foreign file) throws
// CFileException::invalidFile: its bytes are never used.

#include "framework/File.h"

#include <memory>

// (source, length, destination, context) -> bytes in destination, or a negative failure code.
using FileFilter = int (*)(const BYTE* source, int length, BYTE* destination, void* context);

constexpr UINT kFileExPieceBytes = 4095; // largest plain piece; padding makes it one 4096-byte unit
constexpr UINT kFileExUnitBytes = 4096;  // largest unit on disk, and the size read per unit
constexpr UINT kFileExWorkBytes = 4112;  // the filter's room: one unit plus a spare block

class CFileEx : public CFile {
    DECLARE_DYNAMIC(CFileEx)
public:
    CFileEx();
    ~CFileEx() override;

    // Set these after construction and before opening; the file never frees a context.
    FileFilter m_writeFilter = nullptr;
    FileFilter m_readFilter = nullptr;
    void* m_writeContext = nullptr;   // not owned
    void* m_readContext = nullptr;    // not owned

    bool Open(const wchar_t* fileName, UINT openFlags, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;

private:
    bool ReadUnit();
    [[noreturn]] void ThrowBadData() const;

    std::unique_ptr<BYTE[]> m_work;   // kFileExWorkBytes: cipher bytes on their way to or from disk
    std::unique_ptr<BYTE[]> m_plain;  // kFileExUnitBytes: the deciphered unit being served
    UINT m_plainNext = 0;
    UINT m_plainEnd = 0;
};
