#include "customaction/InstallerLog.h"

#include "engine/msi/MsiHandle.h"

#include <cstdarg>
#include <vector>

CString GetCustomActionData(MSIHANDLE install)
{
    static const wchar_t kProperty[] = L"CustomActionData";
    wchar_t probe[1] = {};
    DWORD size = 0;
    // Asked with no room, the installer answers ERROR_MORE_DATA and the length without terminator.
    if (MsiGetPropertyW(install, kProperty, probe, &size) != ERROR_MORE_DATA)
        return CString();
    std::vector<wchar_t> buffer(static_cast<size_t>(size) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size());
    if (MsiGetPropertyW(install, kProperty, buffer.data(), &size) != ERROR_SUCCESS)
        return CString();
    return CString(buffer.data());
}

void LogInstallerMessage(MSIHANDLE install, const CString& text)
{
    UniqueMsiHandle record(MsiCreateRecord(1));
    if (!record)
        return;
    MsiRecordSetStringW(record.Get(), 0, kLogTemplate);
    MsiRecordSetStringW(record.Get(), 1, text);
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.Get());
}

void LogInstallerFormat(MSIHANDLE install, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    LogInstallerMessage(install, text);
}
