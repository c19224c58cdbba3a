#pragma once
// CXTPZipMemFile: a memory file whose contents travel compressed. A stored block is
//   "ZIP!" (0x2150495A) | raw size (DWORD) | zlib stream
// all little-endian; anything else is taken as plain contents. Blocks come from files and
// settings that may be damaged: a block whose stream does not inflate to exactly its stated size
// (or states an implausible size) gives an empty file, never a partial or oversized one.

#include "framework/File.h"

class CXTPZipMemFile : public CMemFile {
    DECLARE_DYNAMIC(CXTPZipMemFile)
public:
    CXTPZipMemFile() = default;
    // The contents of a stored block (not owned).
    CXTPZipMemFile(const BYTE* bytes, UINT size);

    // Takes a stored block, inflating it when it is one. owned: the bytes came from malloc and
    // are freed here.
    void AttachCompressed(BYTE* bytes, UINT size, BOOL owned);
    // Reads a whole file as a stored block; false when it cannot be opened or read.
    [[nodiscard]] bool LoadFromFile(const wchar_t* path);
    // Hands over the written contents as a stored block (malloc'd; the caller frees it) and
    // empties the file. Contents under 20 bytes, or that do not shrink, are handed over raw.
    void DetachCompressed(BYTE*& bytes, DWORD& size);
};
