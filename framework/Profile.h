#pragma once
// The application's settings store, which the application object forwards its profile calls to.
// Two modes:
//   - registry: once a registry key is set, settings live under
//     HKEY_CURRENT_USER\Software\<registry key>\<profile name>\<section>;
//   - ini file: until then, in an ini file ([section] entry=value).
// The profile name is fixed when the registry key is set: string 57344 of the program's resources
// when it has one, else the application name of that moment. Renaming the application later (it
// is also the caption of message boxes) does not move the settings.
//
// Everything here runs on the caller's thread and takes no lock; the registry and the ini file
// routines of the system serialise their own writes.

#include "framework/String.h"

#include <vector>

// String resource that names the application's settings (and its title).
constexpr UINT AFX_IDS_APP_TITLE = 0xE000; // 57344

class CAppProfile {
public:
    CAppProfile() = default;

    // Registry mode under HKCU\Software\<key>. The profile name becomes string 57344 when the
    // program's resources hold it, else appName.
    void SetRegistryKey(const wchar_t* key, const wchar_t* appName);
    // The same with the key read from a string resource; false (nothing changes) when missing.
    bool SetRegistryKey(UINT keyStringId, const wchar_t* appName);

    // Ini mode with this file. Without a call, the ini file is the program's file name with the
    // extension ".ini" beside the program.
    void SetIniFile(const wchar_t* path);

    bool UsesRegistry() const { return !m_registryKey.IsEmpty(); }
    const CString& GetRegistryKeyName() const { return m_registryKey; } // empty in ini mode
    const CString& GetProfileName() const { return m_profileName; }     // empty in ini mode
    CString GetIniFile() const;

    // HKCU\Software\<key>\<profile name>, created when missing, opened for reading and writing.
    // The caller closes it (RegCloseKey, or hand it to a UniqueRegKey); null in ini mode or when
    // the registry refuses.
    HKEY GetAppRegistryKey() const;
    // The section's key under the application's key, created when missing; closed by the caller.
    HKEY GetSectionKey(const wchar_t* section) const;

    // Reads never create keys or files. A value of another type than the one asked for reads as
    // missing: the default comes back.
    UINT GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;
    BOOL WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) const;

    CString GetProfileString(const wchar_t* section, const wchar_t* entry,
                             const wchar_t* defaultValue = nullptr) const;
    // A null value deletes the entry; a null entry deletes the whole section. Deleting what is
    // not there succeeds.
    BOOL WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const;

    // Binary values come back in a vector the caller owns, so there is no buffer to free or to
    // size wrongly. FALSE (data emptied) when the entry is missing or not binary. In an ini file a
    // byte is stored as two letters 'A'+low nibble, 'A'+high nibble.
    BOOL GetProfileBinary(const wchar_t* section, const wchar_t* entry, std::vector<BYTE>& data) const;
    BOOL WriteProfileBinary(const wchar_t* section, const wchar_t* entry, const void* data, UINT bytes) const;

private:
    // The section's existing key, or null when it does not exist (nothing is created).
    HKEY OpenSection(const wchar_t* section, REGSAM access) const;
    CString AppKeyPath() const;

    CString m_registryKey;
    CString m_profileName;
    CString m_iniFile; // empty: beside the program
};
