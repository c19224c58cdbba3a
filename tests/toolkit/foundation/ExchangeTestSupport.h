#pragma once
// Helpers of the property-exchange tests: a COM apartment per test, a scratch registry key under
// HKEY_CURRENT_USER, and the registry and ini readers that look at what the stores wrote without
// going through them.

#include "framework/Handle.h"
#include "framework/String.h"
#include "tests/support/TestSupport.h"

#include <objbase.h>

#include <string>
#include <string_view>
#include <vector>

namespace exchangetests {

class ComApartment {
public:
    ComApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }

private:
    HRESULT m_hr;
};

// HKCU\Software\TarnwickTests\<name>-<process id>, removed with everything below it.
class ScratchRegistryKey {
public:
    explicit ScratchRegistryKey(const wchar_t* name)
    {
        m_path.Format(L"Software\\TarnwickTests\\%s-%lu", name, GetCurrentProcessId());
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path);
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, m_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        m_key.Reset(key);
    }
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;
    ~ScratchRegistryKey()
    {
        m_key.Reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path);
    }

    HKEY Get() const { return m_key.Get(); }
    const CString& Path() const { return m_path; }

private:
    CString m_path;
    UniqueRegKey m_key;
};

struct RegistryValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

inline RegistryValue ReadRegistryValue(HKEY root, const wchar_t* subKey, const wchar_t* name)
{
    RegistryValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    UniqueRegKey owned(key);
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    value.bytes.resize(size);
    value.present = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS;
    return value;
}

inline bool RegistryKeyExists(HKEY root, const wchar_t* subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The ini file's text as written (the profile functions write UTF-16 or 8-bit text; both read).
inline std::string ReadIniText(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    UniqueKernelHandle owned(file);
    if (!owned)
        return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return testsupport::Utf8(
            std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2));
    return bytes;
}

} // namespace exchangetests
