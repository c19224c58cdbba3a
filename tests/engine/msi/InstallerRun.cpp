#include "InstallerRun.h"

#include "framework/Handle.h"
#include "tests/support/TestSupport.h"

#include <shlobj.h>

namespace installtest {

CString KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? CString(path) : CString();
}

std::string ReadLog(const CString& path)
{
    std::vector<uint8_t> bytes;
    if (!testsupport::ReadAllBytes(path, bytes))
        return "<no log>";
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::string text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += bytes[i + 1] == 0 ? static_cast<char>(bytes[i]) : '?';
        return text;
    }
    return std::string(bytes.begin(), bytes.end());
}

::testing::AssertionResult RunMsiexec(const CString& arguments, DWORD& exitCode)
{
    constexpr int kAttempts = 30;
    constexpr DWORD kRetryPauseMs = 2000;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const testsupport::ChildResult run = testsupport::RunChild(L"msiexec " + arguments, kMsiexecTimeoutMs);
        if (!run.started)
            return ::testing::AssertionFailure() << "msiexec did not start, error " << run.error;
        if (run.timedOut)
            return ::testing::AssertionFailure() << "msiexec " << testsupport::Utf8(arguments.View())
                                                 << " did not finish within " << kMsiexecTimeoutMs << " ms";
        exitCode = run.exitCode;
        if (exitCode != ERROR_INSTALL_ALREADY_RUNNING)
            break;
        Sleep(kRetryPauseMs);
    }
    return ::testing::AssertionSuccess();
}

RegistryValue ReadValue(HKEY root, const wchar_t* keyPath, REGSAM view, const wchar_t* name)
{
    RegistryValue value;
    UniqueRegKey key;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_READ | view, key.Put()) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    value.data.resize(size);
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS)
        return RegistryValue();
    value.data.resize(size);
    // Strings come back with their terminator; the cases name them without it.
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && size >= 2 && value.data[size - 1] == 0 && value.data[size - 2] == 0)
        value.data.resize(size - 2);
    if (type == REG_MULTI_SZ && size >= 2)
        value.data.resize(size - 2);
    value.type = type;
    return value;
}

} // namespace installtest
