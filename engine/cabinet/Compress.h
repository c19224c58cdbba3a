#pragma once
// Cabinet::CCompress: makes one LZX cabinet from a list of files through the cabinet-creation
// calls (Fci.h). Paths are wide outside; names go to the cabinet in UTF-8. The writer answers
// every callback of those calls: memory, file input and output through six overridable file
// operations, temporary names, cabinet parameters, the stored times and attributes, and the texts
// of its errors.
//
// A writer belongs to the thread that constructed it: every call from another thread is refused
// with code 1005. Several writers may exist at once; each has its own instance number, so their
// temporary names ("CabTmp_<instance>_<counter>") never collide.

#include "engine/cabinet/Fci.h"
#include "engine/cabinet/NarrowBuffer.h"

#include <cstdint>

namespace Cabinet {

class CCompress {
public:
    // The writer's own error codes (0 to 8 are the cabinet-creation codes).
    enum : DWORD {
        kErrorNone = 0,
        kErrorOpenSource = 1,
        kErrorNoCabinetDll = 1000,
        kErrorParameters = 1001,
        kErrorCreateFolder = 1002,
        kErrorPathTooLong = 1003,
        kErrorUnicodeName = 1004,
        kErrorThread = 1005,
        kErrorFileTooBig = 1006,
        kErrorCabinetName = 1007,
    };
    // Largest source file accepted.
    static constexpr uint64_t kMaxFileSize = 0x7FFF0000;

    // Optional callbacks of a caller; none is set in this system.
    using FilePlacedCallback = int (*)(CCAB* ccab, const wchar_t* name, long size, BOOL continuation, void* context);
    using NextCabinetCallback = BOOL (*)(CCAB* ccab, ULONG previousSize, const char* pattern, void* context);
    using ProgressCallback = long (*)(UINT type, ULONG compressedTotal, ULONG uncompressedTotal, void* context);

    // Bound to the calling thread; temporary files go to the user's temporary folder.
    CCompress();
    // Completes an open cabinet (FlushAndClose). On a foreign thread the cabinet is left
    // unwritten, but the compression context and its temporary files are still released.
    // Virtual because the file operations invite derived writers, which must be deleted whole.
    virtual ~CCompress();
    CCompress(const CCompress&) = delete;
    CCompress& operator=(const CCompress&) = delete;

    // Where the temporary files go (empty: the user's temporary folder); the folder is created
    // with its parents. FALSE with code 1002 when that fails.
    [[nodiscard]] BOOL SetTempFolder(const wchar_t* folder);
    // Opens a cabinet for writing at the full path (its folder is created). One cabinet, never
    // split, LZX with a 2^21 window.
    [[nodiscard]] BOOL CreateCabinet(const wchar_t* cabinetPath);
    // Compresses the source file into the cabinet under the given name. With a cabinet open, the
    // errors of earlier calls are cleared first, so the error afterwards is this call's alone.
    [[nodiscard]] BOOL AddFile(const wchar_t* sourcePath, const wchar_t* nameInCabinet);
    // Writes the cabinet if files were added since the last flush and closes the compression
    // context; TRUE when both succeeded or nothing was open.
    [[nodiscard]] BOOL FlushAndClose();
    // Text of the last error, "Success" when there is none; valid until the next call.
    const wchar_t* GetErrorText();

    // File operations on C runtime handles; a derived writer may replace them.
    virtual INT_PTR FileOpen(const wchar_t* path, int openFlags, int mode, int* error);
    virtual UINT FileRead(INT_PTR file, void* buffer, UINT count, int* error);
    virtual UINT FileWrite(INT_PTR file, const void* buffer, UINT count, int* error);
    virtual int FileClose(INT_PTR file, int* error);
    virtual int FileDelete(const wchar_t* path, int* error);
    virtual long FileSeek(INT_PTR file, long distance, int origin, int* error);

    // Observers for callers and tests.
    DWORD GetOwnError() const { return m_ownError; }
    DWORD GetWindowsError() const { return m_windowsError; }
    const ERF& GetFciError() const { return m_erf; }
    ULONG GetCompressedTotal() const { return m_compressedTotal; }
    ULONG GetUncompressedTotal() const { return m_uncompressedTotal; }
    uint32_t GetInstance() const { return m_instance; }

protected:
    FilePlacedCallback m_filePlaced = nullptr;
    NextCabinetCallback m_nextCabinet = nullptr;
    ProgressCallback m_progress = nullptr;

    ULONG m_compressedTotal = 0;     // of the files done
    ULONG m_uncompressedTotal = 0;
    ULONG m_lastStatus1 = 0;
    ULONG m_lastStatus2 = 0;
    ULONG m_percentage = 0;

    HFCI m_context = nullptr;        // null when no cabinet is open
    ERF m_erf{};
    WideBuffer m_message;            // last text made by GetErrorText
    DWORD m_ownError = 0;
    DWORD m_windowsError = 0;
    WideBuffer m_tempFolder;         // ends with "\"
    NarrowBuffer m_namePattern;      // the cabinet's file name, a pattern for the cabinet number
    void* m_callbackContext = nullptr;   // not owned; passed back to the caller's callbacks

    BOOL m_abort = FALSE;            // never set in this system
    BOOL m_needsFlush = FALSE;
    BOOL m_timesInUtc = FALSE;
    BOOL m_utf8Names = FALSE;
    BOOL m_lastNameIsUtf8 = FALSE;
    CCAB m_ccab{};
    DWORD m_threadId;
    uint32_t m_instance;
    uint32_t m_tempCounter = 1;
    // What AddFile learnt of its source, handed to the open-info callback of the same call.
    WIN32_FILE_ATTRIBUTE_DATA m_sourceInfo{};
    BOOL m_haveSourceInfo = FALSE;

    // The cabinet-creation entry points, bound when a cabinet is created.
    decltype(&FCICreate) m_fciCreate = nullptr;
    decltype(&FCIAddFile) m_fciAddFile = nullptr;
    decltype(&FCIFlushFolder) m_fciFlushFolder = nullptr;
    decltype(&FCIFlushCabinet) m_fciFlushCabinet = nullptr;
    decltype(&FCIDestroy) m_fciDestroy = nullptr;

private:
    [[nodiscard]] bool OnOwnerThread();
    void SetError(DWORD own, DWORD windows);
    [[nodiscard]] bool SetCabinetParameters(const WideBuffer& folder, const WideBuffer& name, USHORT setId,
                                            ULONG splitSize);
    [[nodiscard]] BOOL NextCabinet(CCAB* ccab, ULONG previousSize);
    [[nodiscard]] BOOL MakeTempName(char* name, int capacity);
    long Status(UINT type, ULONG value1, ULONG value2);
    INT_PTR OpenInfo(char* path, USHORT* date, USHORT* time, USHORT* attributes, int* error);

    // Callbacks handed to the cabinet-creation calls; the context value is the writer.
    static int CbFilePlaced(CCAB* ccab, char* name, long size, BOOL continuation, void* context);
    static void* CbAlloc(ULONG size);
    static void CbFree(void* memory);
    static INT_PTR CbOpen(char* path, int openFlags, int mode, int* error, void* context);
    static UINT CbRead(INT_PTR file, void* buffer, UINT count, int* error, void* context);
    static UINT CbWrite(INT_PTR file, void* buffer, UINT count, int* error, void* context);
    static int CbClose(INT_PTR file, int* error, void* context);
    static long CbSeek(INT_PTR file, long distance, int origin, int* error, void* context);
    static int CbDelete(char* path, int* error, void* context);
    static BOOL CbTempFile(char* name, int capacity, void* context);
    static BOOL CbNextCabinet(CCAB* ccab, ULONG previousSize, void* context);
    static long CbStatus(UINT type, ULONG value1, ULONG value2, void* context);
    static INT_PTR CbOpenInfo(char* path, USHORT* date, USHORT* time, USHORT* attributes, int* error, void* context);
};

} // namespace Cabinet
