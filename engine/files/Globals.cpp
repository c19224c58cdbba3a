#include "engine/files/Globals.h"

#include "engine/files/PathHelpers.h"
#include "engine/files/WideBuffer.h"

#include <objbase.h>
#include <shlobj.h>

CString DataFolder;
UniqueKernelHandle StopEventHandle;
int IsWow64 = 0;
int CurrentPackageIndex = 0;
int CurrentProjectIndex = 0;

const wchar_t* const RegistryRootNames[kRegistryRootCount] = {
    L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE", L"HKEY_USERS", L"Per User/Machine Hive",
};

namespace {

} // namespace

DWORD InitGlobals(CString* message)
{
    return InitGlobals(SystemFolderSource::ThisMachine(), message);
}

DWORD InitGlobals(const SystemFolderSource& source, CString* message)
{
    // The start-up has already made this thread a single-threaded apartment, so this only
    // matters when the engine runs without the application; the result is of no interest.
    const HRESULT comResult = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    (void)comResult;

    // Without a Documents folder there is no sane place for the data file: stop here rather
    // than saving under a relative or garbage path.
    const CString documents = source.shellFolder ? source.shellFolder(CSIDL_PERSONAL) : CString();
    if (documents.IsEmpty()) {
        if (message)
            *message = L"The Documents folder of the current user cannot be found, so the data folder "
                       L"\"Tarnwick\" cannot be created.";
        return ERROR_PATH_NOT_FOUND;
    }
    CString folder = documents;
    TrimTrailingBackslashes(folder);
    DataFolder = folder + L"\\Tarnwick";
    const DWORD folderError = CreateDirectoryTree(DataFolder);
    (void)folderError; // the saves into the folder report their own failures

    CurrentPackageIndex = 0;
    CurrentProjectIndex = 0;

    StopEventHandle.Reset(CreateEventW(nullptr, TRUE, FALSE, L"StopEvent"));
    if (!StopEventHandle) {
        const DWORD error = GetLastError();
        if (message)
            *message = L"The event \"StopEvent\" cannot be created: " + FormatSystemErrorText(error);
        return error;
    }

    SystemFolderTable.Resolve(source);
    IsWow64 = ProcessIsWow64(GetCurrentProcess()) ? 1 : 0;
    return 0;
}

// IsWow64Process is missing from old kernel32 versions, so it is looked up by name.
bool ProcessIsWow64(HANDLE process)
{
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const HMODULE kernel = GetModuleHandleW(L"kernel32");
    const auto isWow64Process = kernel ? reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
                                             GetProcAddress(kernel, "IsWow64Process")))
                                       : nullptr;
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(process, &wow64) && wow64;
}

bool IsRegistryRootName(const CString& text)
{
    CString name = text;
    TrimTrailingBackslashes(name);
    for (const wchar_t* root : RegistryRootNames) {
        if (name.CompareNoCase(root) == 0)
            return true;
    }
    return false;
}

CString FormatSystemErrorText(DWORD code)
{
    UniqueHandle<ZeroEmptyTraits<wchar_t*, ::LocalFree>> buffer;
    // Without IGNORE_INSERTS a message with %1 would read arguments that nobody passed.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(buffer.Put()), 0, nullptr);
    CString text;
    if (length > 0) {
        // One line: the system ends its messages with CR LF and some span several lines.
        const CString raw(buffer.Get(), static_cast<int>(length));
        int start = 0;
        for (CString part = raw.Tokenize(L"\r\n", start); start >= 0; part = raw.Tokenize(L"\r\n", start)) {
            part.Trim();
            if (part.IsEmpty())
                continue;
            if (!text.IsEmpty())
                text += L' ';
            text += part;
        }
    }
    CString hex;
    hex.Format(text.IsEmpty() ? L"(0x%X)" : L" (0x%X)", static_cast<unsigned>(code));
    return text + hex;
}
