#pragma once
// CArchive: the framework's buffered binary stream over a CFile, little-endian.
//
// Buffering is part of the stored formats, because the enciphered file layer turns every piece
// the archive hands to the file into one cipher unit:
// - storing: a fixed-size item (integer, float) that does not fit into the rest of the buffer
//   flushes the buffer first and so never straddles two pieces; a byte block fills the buffer to
//   the brim and carries on in the next piece. The file never receives a piece larger than the
//   buffer.
// - loading: the archive asks the file for one whole buffer at a time, and only when the buffer
//   is used up, so each file request is one unit. Any request size is served from that buffer;
//   an item that runs past the end of the data throws CArchiveException::endOfFile.
//
// Texts use the framework's string form: 0xFF, the 16-bit marker 0xFFFE, the length in one, three
// or seven bytes, then UTF-16LE units. The single-byte form without the marker is read as well.

#include "framework/Exception.h"
#include "framework/File.h"
#include "framework/String.h"

#include <unordered_map>
#include <vector>

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* file, UINT mode, int bufferSize = 4096);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    // Flushes a storing archive that was not closed, swallowing errors: call Close() to see them.
    ~CArchive();

    bool IsLoading() const { return (m_mode & load) != 0; }
    bool IsStoring() const { return (m_mode & load) == 0; }
    CFile* GetFile() const { return m_file; }

    // Reads up to count bytes; returns fewer only at the end of the data.
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    void Flush();
    void Close();   // flushes a storing archive and detaches the file
    void Abort();   // detaches the file, dropping unflushed bytes

    CArchive& operator<<(BYTE value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(WORD value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(LONG value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(DWORD value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(int value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(UINT value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(short value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(char value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(wchar_t value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(bool value) { return *this << static_cast<BYTE>(value ? 1 : 0); }
    CArchive& operator<<(float value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(double value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(LONGLONG value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(ULONGLONG value) { return StoreItem(&value, sizeof(value)); }
    CArchive& operator<<(const CString& text);

    CArchive& operator>>(BYTE& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(WORD& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(LONG& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(DWORD& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(int& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(UINT& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(short& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(char& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(wchar_t& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(bool& value);
    CArchive& operator>>(float& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(double& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(LONGLONG& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(ULONGLONG& value) { return LoadItem(&value, sizeof(value)); }
    CArchive& operator>>(CString& text);

    // The length prefix of the string form. Reading returns the length in characters and sets
    // unicode when the 0xFFFE marker was present.
    void WriteStringLength(ULONGLONG length, bool unicode);
    ULONGLONG ReadStringLength(bool& unicode);

    // Element counts: a WORD, or 0xFFFF followed by a DWORD for counts of 0xFFFF and more.
    void WriteCount(DWORD count);
    DWORD ReadCount();

    // Class references share one numbering with the objects entered by MapObject. The first
    // reference to a class writes 0xFFFF, its schema (WORD), the name length (WORD) and the ASCII
    // name; later ones write 0x8000 | index (or 0xFFFF7FFF and a DWORD index when the index does
    // not fit into 15 bits). ReadClass returns null for the null tag 0 and throws badClass for an
    // unknown name or a class not derived from the expected one (when one is given), badIndex for
    // a reference to an entry that is not a class. schema receives the stored schema when given.
    void WriteClass(const CRuntimeClass* runtimeClass);
    const CRuntimeClass* ReadClass(const CRuntimeClass* expected = nullptr, UINT* schema = nullptr);
    // Enters an object in the reference map, so that later references to it can resolve.
    void MapObject(const CObject* object);

    // Copies up to count of the next bytes without consuming them; fewer only at the end of the
    // data. The file is still asked for whole buffers only.
    UINT Peek(void* buffer, UINT count);

private:
    CArchive& StoreItem(const void* value, UINT size);
    CArchive& LoadItem(void* value, UINT size);
    void CheckStoring() const;
    void CheckLoading() const;
    bool FillBuffer();
    CString FileName() const;

    CFile* m_file;                 // not owned
    UINT m_mode;
    std::vector<BYTE> m_buffer;    // bufferSize bytes
    size_t m_next = 0;             // storing: bytes buffered; loading: next byte to serve
    size_t m_end = 0;              // loading: bytes in the buffer
    std::vector<BYTE> m_peeked;    // loading: bytes taken from the buffer by Peek, served first

    // Reference maps of classes and objects; index 0 stands for null.
    struct LoadEntry {
        const void* entry;      // a CRuntimeClass or a CObject
        bool isClass;
        UINT schema;            // classes: the schema stored with the class
    };
    std::vector<LoadEntry> m_loadMap{{nullptr, false, 0}}; // loading: index -> entry
    std::unordered_map<const void*, DWORD> m_storeMap; // storing: entry -> index
    DWORD m_storeCount = 1;                          // storing: next index
};
