#include "engine/cabinet/Compress.h"

#include "framework/Handle.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <exception>
#include <string>

namespace Cabinet {

namespace {

// Numbers the writers of the process; each construction takes the next value.
volatile LONG g_instanceCounter = 0;

// A split size from this value up means one cabinet that is never split.
constexpr ULONG kNoSplit = 0x7FFF0000;
constexpr ULONG kMinSplit = 20000;
constexpr ULONG kSplitSize = 0x7FFFFFFF;
constexpr USHORT kCompressType = TCOMPfromLZXWindow(21);
// Attributes stored for a file: read-only, hidden, system and archive; 0x100 says the time is
// UTC, 0x80 (_A_NAME_IS_UTF) that the name is UTF-8.
constexpr USHORT kKeptAttributes = 0x27;
constexpr USHORT kAttributeUtcTime = 0x100;
constexpr USHORT kAttributeNameIsUtf8 = 0x80;
// Gives up looking for a free temporary name after this many names in use.
constexpr uint32_t kMaxTempNameTries = 0x10000;

const wchar_t* MessageOf(DWORD code)
{
    switch (code) {
    case 0: return L"Success";
    case 1: return L"Failure opening file to be stored in cabinet";
    case 2: return L"Failure reading file to be stored in cabinet";
    case 3: return L"Insufficient memory in FCI";
    case 4: return L"Could not create a temporary file";
    case 5: return L"Unknown compression type";
    case 6: return L"Could not create cabinet file";
    case 7: return L"Client requested abort";
    case 8: return L"Failure compressing data";
    case 1000: return L"Could not load Cabinet.dll";
    case 1001: return L"Invalid parameters passed to compression function. Read the documentation!";
    case 1002: return L"Could not create the directory where to save the CAB file.";
    case 1003: return L"The path is too long. (Max 250 Ansii characters or approx 100 Unicode characters).";
    case 1004: return L"To store files with names containing Unicode characters into the CAB file you must enable UTF8 encoding!";
    case 1005: return L"Cabinet.dll does not support calling the same CAB context from two different threads.";
    case 1006: return L"Cabinet.dll does not support compressing files bigger than 2 GB.";
    case 1007: return L"The name of the CAB file must never contain characters above ASCII 127.";
    default: return L"Unknown error";
    }
}

// The error a failed C runtime call leaves: the system error behind it when there is one (the
// texts shown for these codes are the system's), else the C runtime's own number.
int RuntimeError()
{
    return _doserrno != 0 ? static_cast<int>(_doserrno) : errno;
}

// Reads a source's size, last-write time and attributes by its path; 0 or the Windows error. A
// folder gives what opening it as a file would: access denied.
// Not through an open handle: on Wine, GetFileInformationByHandle asks the mount manager service
// for the volume's serial number, a call to another process that took 4 ms of the 4.7 ms spent
// per small file on a loaded machine; this query is a stat of the path, about 10 us.
DWORD QuerySource(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA& info)
{
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &info))
        return GetLastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return ERROR_ACCESS_DENIED;
    return 0;
}

// Formats a cabinet name pattern with the cabinet number. Only integer conversions (%d, %i, %u
// with flags and width) and "%%" are formatted; any other "%" is kept as it stands, so a name
// typed by a user can never make the formatting read arguments that are not there.
void FormatCabinetName(NarrowBuffer& out, const char* pattern, int number)
{
    std::string text;
    for (const char* p = pattern; *p;) {
        if (*p != '%') {
            text += *p++;
            continue;
        }
        const char* q = p + 1;
        while (*q && std::strchr("-+ 0#", *q))
            ++q;
        while (*q >= '0' && *q <= '9')
            ++q;
        if (*q == '%' && q == p + 1) {
            text += '%';
            p = q + 1;
        } else if ((*q == 'd' || *q == 'i' || *q == 'u') && q - p < 12) {
            char spec[16];
            char numberText[64];
            std::memcpy(spec, p, size_t(q - p + 1));
            spec[q - p + 1] = '\0';
            std::snprintf(numberText, sizeof(numberText), spec, number);
            text += numberText;
            p = q + 1;
        } else {
            text += *p++;
        }
    }
    out.Format("%s", text.c_str());
}

} // namespace

// ---- Construction ----

CCompress::CCompress()
    : m_threadId(GetCurrentThreadId()),
      m_instance(static_cast<uint32_t>(InterlockedIncrement(&g_instanceCounter)))
{
    (void)SetTempFolder(L"");
}

CCompress::~CCompress()
{
    if (!FlushAndClose() && m_context && m_fciDestroy) {
        // Refused (a foreign thread) or failed: the cabinet stays as it is, but the context's
        // memory and temporary files must not outlive the writer.
        m_fciDestroy(m_context);
        m_context = nullptr;
    }
}

bool CCompress::OnOwnerThread()
{
    if (GetCurrentThreadId() == m_threadId)
        return true;
    SetError(kErrorThread, 0);
    return false;
}

void CCompress::SetError(DWORD own, DWORD windows)
{
    m_ownError = own;
    m_windowsError = windows;
}

// ---- Public operations ----

BOOL CCompress::SetTempFolder(const wchar_t* folder)
{
    if (!OnOwnerThread())
        return FALSE;
    WideBuffer path;
    if (folder && *folder) {
        path.Assign(folder);
    } else {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH, temp);
        path.Assign(length > 0 && length < MAX_PATH ? temp : L"");
    }
    WideText::AppendBackslash(path);
    const DWORD error = CreateDirectoryTree(path.GetString());
    if (error != 0) {
        SetError(kErrorCreateFolder, error);
        return FALSE;
    }
    m_tempFolder = std::move(path);
    return TRUE;
}

BOOL CCompress::CreateCabinet(const wchar_t* cabinetPath)
{
    if (!OnOwnerThread())
        return FALSE;
    WideBuffer folder, name;
    WideText::SplitPath(cabinetPath, folder, name);
    SetError(kErrorNone, 0);
    m_erf = ERF{};
    if (m_context || name.Length() == 0 || folder.Length() == 0) {
        SetError(kErrorParameters, 0);
        return FALSE;
    }

    m_fciCreate = &FCICreate;
    m_fciAddFile = &FCIAddFile;
    m_fciFlushFolder = &FCIFlushFolder;
    m_fciFlushCabinet = &FCIFlushCabinet;
    m_fciDestroy = &FCIDestroy;
    const DWORD error = CreateDirectoryTree(folder.GetString());
    if (error != 0) {
        SetError(kErrorCreateFolder, error);
        return FALSE;
    }

    m_abort = FALSE;
    m_needsFlush = TRUE;
    m_timesInUtc = TRUE;
    m_utf8Names = TRUE;
    if (!SetCabinetParameters(folder, name, 0, kSplitSize))
        return FALSE;

    m_compressedTotal = m_uncompressedTotal = 0;
    m_lastStatus1 = m_lastStatus2 = m_percentage = 0;
    m_context = m_fciCreate(&m_erf, &CbFilePlaced, &CbAlloc, &CbFree, &CbOpen, &CbRead, &CbWrite, &CbClose,
                            &CbSeek, &CbDelete, &CbTempFile, &m_ccab, this);
    return m_context ? TRUE : FALSE;
}

BOOL CCompress::AddFile(const wchar_t* sourcePath, const wchar_t* nameInCabinet)
{
    if (!OnOwnerThread() || !m_context)
        return FALSE;
    // Each file reports its own outcome: a code left by an earlier refusal would otherwise stand
    // in place of the cabinet layer's error for this file, or outlive its success.
    SetError(kErrorNone, 0);
    m_erf = ERF{};
    m_needsFlush = TRUE;

    // The size, time and attributes come from the path, without a handle: the one open of the
    // source is the one its bytes are read through.
    WIN32_FILE_ATTRIBUTE_DATA info{};
    const DWORD error = QuerySource(sourcePath ? sourcePath : L"", info);
    if (error != 0) {
        SetError(kErrorOpenSource, error);
        return FALSE;
    }
    const uint64_t size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > kMaxFileSize) {
        SetError(kErrorFileTooBig, 0);
        return FALSE;
    }

    const wchar_t* name = nameInCabinet ? nameInCabinet : L"";
    if (*name == L'\0') {
        SetError(kErrorParameters, 0);
        return FALSE;
    }
    NarrowBuffer narrowName;
    if (m_utf8Names) {
        m_lastNameIsUtf8 = !WideText::IsAscii(name);
        narrowName.AssignUtf8(name);
    } else {
        if (WideText::HasWideUnit(name)) {
            SetError(kErrorUnicodeName, 0);
            return FALSE;
        }
        m_lastNameIsUtf8 = FALSE;
        narrowName.AssignBytes(name);
    }
    // A cabinet keeps at most 255 bytes of a name.
    if (narrowName.Length() >= CB_MAX_FILENAME) {
        SetError(kErrorPathTooLong, 0);
        return FALSE;
    }
    NarrowBuffer narrowSource;
    narrowSource.AssignUtf8(sourcePath);

    m_sourceInfo = info;
    m_haveSourceInfo = TRUE;
    const BOOL added = m_fciAddFile(m_context, narrowSource.Get(), narrowName.Get(), FALSE, &CbNextCabinet,
                                    &CbStatus, &CbOpenInfo, kCompressType);
    m_haveSourceInfo = FALSE;
    // A source that cannot be opened (another program holds it unshared) is the writer's own
    // code 1, as when it could not be found.
    if (!added && m_erf.erfOper == FCIERR_OPEN_SRC && m_erf.erfType != 0)
        SetError(kErrorOpenSource, static_cast<DWORD>(m_erf.erfType));
    return added;
}

BOOL CCompress::FlushAndClose()
{
    if (!OnOwnerThread())
        return FALSE;
    if (!m_context)
        return TRUE;
    BOOL flushed = TRUE;
    if (m_needsFlush) {
        m_needsFlush = FALSE;
        flushed = m_fciFlushCabinet(m_context, FALSE, &CbNextCabinet, &CbStatus);
    }
    const BOOL destroyed = m_fciDestroy(m_context);
    m_context = nullptr;
    return flushed && destroyed;
}

const wchar_t* CCompress::GetErrorText()
{
    if (!m_erf.fError && m_ownError == 0 && m_windowsError == 0)
        return L"Success";
    const DWORD code = m_ownError != 0 ? m_ownError : static_cast<DWORD>(m_erf.erfOper);
    const DWORD windows = m_windowsError != 0 ? m_windowsError : static_cast<DWORD>(m_erf.erfType);
    const wchar_t* message = MessageOf(code);
    if (windows == 0)
        return message;

    wchar_t system[2000] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, windows,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, 2000, nullptr);
    // The system's texts end with a line break, which would split the caller's output line.
    while (length > 0 && (system[length - 1] == L'\r' || system[length - 1] == L'\n'))
        system[--length] = L'\0';
    WideText::Format(m_message, L"%s\nError %d: %s", message, static_cast<int>(windows),
                     length > 0 ? system : L"no explanation for this error code.");
    return m_message.GetString();
}

// ---- File operations ----

INT_PTR CCompress::FileOpen(const wchar_t* path, int openFlags, int mode, int* error)
{
    _doserrno = 0;
    const int file = _wopen(path, openFlags, mode);
    if (file == -1)
        *error = RuntimeError();
    return file;
}

UINT CCompress::FileRead(INT_PTR file, void* buffer, UINT count, int* error)
{
    _doserrno = 0;
    const int got = _read(static_cast<int>(file), buffer, count);
    if (got < 0 || static_cast<UINT>(got) != count)
        *error = got < 0 ? RuntimeError() : 0;
    return static_cast<UINT>(got);
}

UINT CCompress::FileWrite(INT_PTR file, const void* buffer, UINT count, int* error)
{
    _doserrno = 0;
    const int put = _write(static_cast<int>(file), buffer, count);
    if (put < 0 || static_cast<UINT>(put) != count)
        *error = put < 0 ? RuntimeError() : ERROR_DISK_FULL;
    return static_cast<UINT>(put);
}

int CCompress::FileClose(INT_PTR file, int* error)
{
    _doserrno = 0;
    const int result = _close(static_cast<int>(file));
    if (result != 0)
        *error = RuntimeError();
    return result;
}

int CCompress::FileDelete(const wchar_t* path, int* error)
{
    _doserrno = 0;
    const int result = _wremove(path);
    if (result != 0)
        *error = RuntimeError();
    return result;
}

long CCompress::FileSeek(INT_PTR file, long distance, int origin, int* error)
{
    _doserrno = 0;
    const long result = _lseek(static_cast<int>(file), distance, origin);
    if (result == -1)
        *error = RuntimeError();
    return result;
}

// ---- Cabinet parameters and names ----

bool CCompress::SetCabinetParameters(const WideBuffer& folder, const WideBuffer& name, USHORT setId, ULONG splitSize)
{
    if (folder.Length() < 3 || name.Length() < 3 || splitSize < kMinSplit) {
        SetError(kErrorParameters, 0);
        return false;
    }
    if (splitSize < kNoSplit && !std::wcschr(name.GetString(), L'%')) {
        SetError(kErrorParameters, 0);
        return false;
    }
    WideBuffer cabinetFolder;
    WideText::Copy(cabinetFolder, folder);
    WideText::AppendBackslash(cabinetFolder);
    NarrowBuffer narrowFolder;
    narrowFolder.AssignUtf8(cabinetFolder.GetString());
    if (!narrowFolder.CopyTo(m_ccab.szCabPath, sizeof(m_ccab.szCabPath))) {
        SetError(kErrorPathTooLong, 0);
        return false;
    }

    m_ccab.cb = splitSize & 0x7FFFFFFF;
    m_ccab.cbFolderThresh = 0x7FFFFFFF;
    m_ccab.cbReserveCFHeader = 0;
    m_ccab.cbReserveCFFolder = 0;
    m_ccab.cbReserveCFData = 0;
    m_ccab.fFailOnIncompressible = 0;
    m_ccab.iCab = 1;
    m_ccab.iDisk = 1;
    m_ccab.setID = setId;

    if (!WideText::IsAscii(name.GetString())) {
        SetError(kErrorCabinetName, 0);
        return false;
    }
    m_namePattern.AssignBytes(name.GetString());
    if (!NextCabinet(&m_ccab, 0))
        return false;
    return true;
}

BOOL CCompress::NextCabinet(CCAB* ccab, ULONG previousSize)
{
    if (m_abort)
        return FALSE;
    NarrowBuffer text;
    FormatCabinetName(text, m_namePattern.Get(), ccab->iCab);
    if (!text.CopyTo(ccab->szCab, sizeof(ccab->szCab))) {
        SetError(kErrorPathTooLong, 0);
        return FALSE;
    }
    text.Format("Disk %d", ccab->iDisk);
    (void)text.CopyTo(ccab->szDisk, sizeof(ccab->szDisk));
    ++ccab->iDisk;
    if (m_nextCabinet && !m_nextCabinet(ccab, previousSize, m_namePattern.Get(), m_callbackContext))
        return FALSE;
    return TRUE;
}

BOOL CCompress::MakeTempName(char* name, int capacity)
{
    WideBuffer path;
    for (uint32_t tries = 0;; ++tries) {
        if (tries == kMaxTempNameTries)
            return FALSE;
        WideText::Format(path, L"%sCabTmp_%02X_%02X", m_tempFolder.GetString(), m_instance, m_tempCounter);
        ++m_tempCounter;
        if (GetFileAttributesW(path.GetString()) == INVALID_FILE_ATTRIBUTES)
            break;
    }
    NarrowBuffer narrow;
    narrow.AssignUtf8(path.GetString());
    if (capacity <= 0 || !narrow.CopyTo(name, static_cast<uint32_t>(capacity))) {
        SetError(kErrorPathTooLong, 0);
        return FALSE;
    }
    return TRUE;
}

long CCompress::Status(UINT type, ULONG value1, ULONG value2)
{
    if (m_abort)
        return -1;
    m_lastStatus1 = value1;
    m_lastStatus2 = value2;
    m_percentage = 0;
    if (type == statusFile) {
        m_compressedTotal += value1;
        m_uncompressedTotal += value2;
    } else if (type == statusFolder) {
        while (value1 > 10000000) {
            value1 >>= 3;
            value2 >>= 3;
        }
        if (value2 != 0 && value2 >= value1)
            m_percentage = value1 * 100 / value2;
    }
    return m_progress ? m_progress(type, m_compressedTotal, m_uncompressedTotal, m_callbackContext) : 0;
}

INT_PTR CCompress::OpenInfo(char* path, USHORT* date, USHORT* time, USHORT* attributes, int* error)
{
    if (m_abort)
        return -1;
    WideBuffer widePath;
    WideText::AssignUtf8(widePath, path);
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (m_haveSourceInfo) {
        info = m_sourceInfo;
        m_haveSourceInfo = FALSE;
    } else {
        const DWORD failure = QuerySource(widePath.GetString(), info);
        if (failure != 0) {
            *error = static_cast<int>(failure);
            return -1;
        }
    }
    FILETIME time64 = info.ftLastWriteTime;
    if (!m_timesInUtc) {
        FILETIME local;
        if (FileTimeToLocalFileTime(&time64, &local))
            time64 = local;
    }
    // DOS dates start in 1980: an older time (or one the conversion refuses) is stored as the
    // first moment it can show rather than as garbage.
    WORD dosDate = 0, dosTime = 0;
    if (!FileTimeToDosDateTime(&time64, &dosDate, &dosTime)) {
        dosDate = (1 << 5) | 1;
        dosTime = 0;
    }
    *date = dosDate;
    *time = dosTime;
    USHORT attribs = static_cast<USHORT>(info.dwFileAttributes & kKeptAttributes);
    if (m_timesInUtc)
        attribs |= kAttributeUtcTime;
    if (m_lastNameIsUtf8)
        attribs |= kAttributeNameIsUtf8;
    *attributes = attribs;
    return FileOpen(widePath.GetString(), _O_BINARY | _O_RDONLY, _S_IREAD, error);
}

// ---- Callbacks ----
// They run inside the cabinet-creation calls; no exception may travel through those, so a
// buffer's exception becomes the callback's failure value.

namespace {

template <class Result, class Call>
Result Guarded(Result failure, Call call)
{
    try {
        return call();
    } catch (...) {
        return failure;
    }
}

} // namespace

int CCompress::CbFilePlaced(CCAB* ccab, char* name, long size, BOOL continuation, void* context)
{
    CCompress* self = static_cast<CCompress*>(context);
    if (!self->m_filePlaced)
        return 0;
    return Guarded(-1, [&] {
        WideBuffer wide;
        WideText::AssignUtf8(wide, name);
        return self->m_filePlaced(ccab, wide.GetString(), size, continuation, self->m_callbackContext);
    });
}

void* CCompress::CbAlloc(ULONG size)
{
    return std::malloc(size);
}

void CCompress::CbFree(void* memory)
{
    std::free(memory);
}

INT_PTR CCompress::CbOpen(char* path, int openFlags, int mode, int* error, void* context)
{
    CCompress* self = static_cast<CCompress*>(context);
    return Guarded(INT_PTR(-1), [&] {
        WideBuffer wide;
        WideText::AssignUtf8(wide, path);
        return self->FileOpen(wide.GetString(), openFlags, mode, error);
    });
}

UINT CCompress::CbRead(INT_PTR file, void* buffer, UINT count, int* error, void* context)
{
    return static_cast<CCompress*>(context)->FileRead(file, buffer, count, error);
}

UINT CCompress::CbWrite(INT_PTR file, void* buffer, UINT count, int* error, void* context)
{
    return static_cast<CCompress*>(context)->FileWrite(file, buffer, count, error);
}

int CCompress::CbClose(INT_PTR file, int* error, void* context)
{
    return static_cast<CCompress*>(context)->FileClose(file, error);
}

long CCompress::CbSeek(INT_PTR file, long distance, int origin, int* error, void* context)
{
    return static_cast<CCompress*>(context)->FileSeek(file, distance, origin, error);
}

int CCompress::CbDelete(char* path, int* error, void* context)
{
    CCompress* self = static_cast<CCompress*>(context);
    return Guarded(-1, [&] {
        WideBuffer wide;
        WideText::AssignUtf8(wide, path);
        return self->FileDelete(wide.GetString(), error);
    });
}

BOOL CCompress::CbTempFile(char* name, int capacity, void* context)
{
    CCompress* self = static_cast<CCompress*>(context);
    return Guarded(BOOL(FALSE), [&] { return self->MakeTempName(name, capacity); });
}

BOOL CCompress::CbNextCabinet(CCAB* ccab, ULONG previousSize, void* context)
{
    CCompress* self = static_cast<CCompress*>(context);
    return Guarded(BOOL(FALSE), [&] { return self->NextCabinet(ccab, previousSize); });
}

long CCompress::CbStatus(UINT type, ULONG value1, ULONG value2, void* context)
{
    return static_cast<CCompress*>(context)->Status(type, value1, value2);
}

INT_PTR CCompress::CbOpenInfo(char* path, USHORT* date, USHORT* time, USHORT* attributes, int* error, void* context)
{
    CCompress* self = static_cast<CCompress*>(context);
    return Guarded(INT_PTR(-1), [&] { return self->OpenInfo(path, date, time, attributes, error); });
}

} // namespace Cabinet
