#include "engine/files/FileVersionInfo.h"

#include <cwchar>
#include <vector>

CFileVersionInfo::CFileVersionInfo(HMODULE module) : m_module(module ? module : GetModuleHandleW(nullptr)) {}

CString CFileVersionInfo::GetFileVersion() const
{
    return FormatVersion(GetStringValue(L"FileVersion"));
}

CString CFileVersionInfo::GetProductVersion() const
{
    return FormatVersion(GetStringValue(L"ProductVersion"));
}

CString CFileVersionInfo::GetStringValue(const wchar_t* name) const
{
    HRSRC found = FindResourceW(m_module, MAKEINTRESOURCEW(1), RT_VERSION);
    HGLOBAL loaded = found ? LoadResource(m_module, found) : nullptr;
    const void* locked = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(m_module, found) : 0;
    if (!locked || size == 0)
        return CString();
    // The version functions may write into the block they query; a resource is read-only
    // memory, so they get a copy of their own.
    std::vector<BYTE> block(static_cast<const BYTE*>(locked), static_cast<const BYTE*>(locked) + size);

    void* translation = nullptr;
    UINT translationSize = 0;
    CString path;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &translationSize) &&
        translation && translationSize >= 4) {
        const WORD* pair = static_cast<const WORD*>(translation);
        path.Format(L"\\StringFileInfo\\%04X%04X\\%s", pair[0], pair[1], name);
    } else {
        path.Format(L"\\StringFileInfo\\%04X04B0\\%s", GetUserDefaultLangID(), name);
    }

    void* value = nullptr;
    UINT length = 0;
    CString text;
    if (VerQueryValueW(block.data(), path, &value, &length) && value && length > 0)
        text = CString(static_cast<const wchar_t*>(value),
                       static_cast<int>(wcsnlen(static_cast<const wchar_t*>(value), length)));
    text.Trim();
    return text;
}

CString CFileVersionInfo::FormatVersion(const CString& text)
{
    CString version = text;
    version.TrimRight();
    if (version.Find(L',') < 0)
        return version;
    CString dotted;
    int start = 0;
    for (;;) {
        const int comma = version.Find(L',', start);
        CString part = comma < 0 ? version.Mid(start) : version.Mid(start, comma - start);
        part.Trim();
        if (start > 0)
            dotted += L'.';
        dotted += part;
        if (comma < 0)
            break;
        start = comma + 1;
    }
    return dotted;
}
