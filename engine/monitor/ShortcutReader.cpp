#include "engine/monitor/ShortcutReader.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"
#include "toolkit/foundation/XTPComPtr.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace {

bool Exists(const CString& path)
{
    return !path.IsEmpty() && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// A 32-bit process on 64-bit Windows reads a link that names a 64-bit folder: the file may lie in
// the 32-bit twin instead. Tries the three folder pairs in order; true, with the path rewritten,
// when one of them yields an existing file.
bool FindIn32BitFolder(CString& path)
{
    static const wchar_t* const kPairs[][2] = {
        {L"ProgramFiles64Folder", L"ProgramFilesFolder"},
        {L"CommonFiles64Folder", L"CommonFilesFolder"},
        {L"System64Folder", L"SystemFolder"},
    };
    for (const auto& pair : kPairs) {
        const CString from = GetSystemFolderPath(pair[0]);
        const CString to = GetSystemFolderPath(pair[1]);
        if (from.IsEmpty() || to.IsEmpty())
            continue;
        // Whole folder names only: "C:\Program Files" must not match "C:\Program Files (x86)".
        const CString fromFolder = from + L"\\";
        const CString toFolder = to + L"\\";
        CString candidate = path;
        if (ReplaceNoCase(candidate, fromFolder, toFolder) > 0 && Exists(candidate)) {
            path = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

HRESULT ReadShortcut(CFileEntry& entry, const CString& path)
{
    CXTPComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.Put()));
    if (FAILED(hr))
        return hr;
    CXTPComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put()));
    if (FAILED(hr))
        return hr;
    hr = file->Load(path, STGM_READ);
    if (FAILED(hr))
        return hr;
    // Resolving only refreshes what the link remembers; its stored path is read either way, and
    // a target that is gone is caught by the existence test below.
    (void)link->Resolve(nullptr, SLR_NO_UI | SLR_NOSEARCH);

    wchar_t buffer[MAX_PATH] = {};
    hr = link->GetPath(buffer, MAX_PATH, nullptr, SLGP_UNCPRIORITY | SLGP_RAWPATH);
    if (FAILED(hr))
        return hr;
    CString target = buffer;
    buffer[0] = 0;
    CString workingDirectory;
    if (SUCCEEDED(link->GetWorkingDirectory(buffer, MAX_PATH)))
        workingDirectory = buffer;

    if (!Exists(target) && !(IsWow64 && FindIn32BitFolder(target)))
        return ERROR_PATH_NOT_FOUND;

    CString arguments;
    CString description;
    CString iconFile;
    int iconIndex = 0;
    buffer[0] = 0;
    if (SUCCEEDED(link->GetArguments(buffer, MAX_PATH)))
        arguments = buffer;
    buffer[0] = 0;
    if (SUCCEEDED(link->GetDescription(buffer, MAX_PATH)))
        description = buffer;
    buffer[0] = 0;
    if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH, &iconIndex)))
        iconFile = buffer;
    else
        iconIndex = 0;

    if (!iconFile.IsEmpty() && IsWow64 && !Exists(iconFile) && !FindIn32BitFolder(iconFile)) {
        iconFile.Empty();
        iconIndex = 0;
    }
    if (!MakeFolderRelativePath(target))
        return ERROR_PATH_NOT_FOUND;
    ReplaceFolderPathsWithProperties(arguments);
    if (!workingDirectory.IsEmpty()) {
        StripTrailingBackslashes(workingDirectory);
        workingDirectory += L"\\";
        if (!MakeFolderRelativePath(workingDirectory))
            workingDirectory.Empty();
    }
    if (!iconFile.IsEmpty() && !MakeFolderRelativePath(iconFile))
        iconFile.Empty();

    entry.m_kind = CFileEntry::kindShortcut;
    entry.m_attributes = 0;
    entry.m_sourcePath = target;
    entry.m_workingDirectory = workingDirectory;
    entry.m_arguments = arguments;
    entry.m_description = description;
    entry.m_iconFile = iconFile;
    entry.m_iconIndex = iconIndex;
    return S_OK;
}
