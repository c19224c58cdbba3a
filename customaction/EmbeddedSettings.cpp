#include "customaction/EmbeddedSettings.h"

#include "engine/files/PathHelpers.h"
#include "engine/storage/PackageFile.h"
#include "framework/Handle.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// The module that holds the settings: the library itself inside the installer's process.
HMODULE OwnModule()
{
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

DWORD ErrorOrUnreadable(DWORD error)
{
    return error ? error : kSettingsUnreadable;
}

CProjectSettings g_package;

} // namespace

CProjectSettings& GlobalPackage()
{
    return g_package;
}

DWORD ExtractSettingsResource(wchar_t (&path)[MAX_PATH])
{
    path[0] = L'\0';
    const HMODULE module = OwnModule();
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(kSettingsResourceId), kSettingsResourceType);
    if (!resource)
        return ErrorOrUnreadable(GetLastError());
    const HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded)
        return ErrorOrUnreadable(GetLastError());
    const void* bytes = LockResource(loaded);
    const DWORD size = SizeofResource(module, resource);
    if (!bytes || size == 0)
        return ErrorOrUnreadable(GetLastError());

    DWORD tempError = 0;
    const CString temp = MakeTempFileName(&tempError);
    if (temp.IsEmpty())
        return ErrorOrUnreadable(tempError);
    // GetTempFileNameW never makes a name longer than MAX_PATH - 1 units.
    wcscpy_s(path, MAX_PATH, temp.GetString());

    DWORD error = 0;
    {
        UniqueKernelHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file)
            error = GetLastError();
        else if (!WriteFile(file.Get(), bytes, size, &written, nullptr))
            error = GetLastError();
        else if (written != size)
            error = ERROR_WRITE_FAULT;
    }
    if (error) {
        DeleteFileW(path);
        path[0] = L'\0';
        return ErrorOrUnreadable(error);
    }
    return 0;
}

DWORD LoadEmbeddedSettings()
{
    wchar_t path[MAX_PATH] = {};
    if (DWORD error = ExtractSettingsResource(path))
        return error;
    SetLastError(0);
    const bool loaded = LoadPackageFile(path, g_package) != 0;
    const DWORD error = loaded ? 0 : GetLastError();
    // The copy holds the whole package; it is not left behind in the temporary folder.
    DeleteFileW(path);
    return loaded ? 0 : ErrorOrUnreadable(error);
}
