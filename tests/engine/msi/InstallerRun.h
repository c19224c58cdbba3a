#pragma once
// What the tests that install built packages with Windows Installer (Wine's msiexec) share: the
// bounded msiexec call, its log as text, the system's folders and registry values as installed.

#include "framework/String.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace installtest {

// msiexec under Wine takes a few seconds; a package that hangs must not hang the run.
constexpr DWORD kMsiexecTimeoutMs = 120000;

// A folder of the shell by its CSIDL; empty when there is none.
CString KnownFolder(int csidl);

// The installer's log as narrow text (msiexec may write it in UTF-16).
std::string ReadLog(const CString& path);

// One "msiexec <arguments>" call, bounded by kMsiexecTimeoutMs: the exit code, or a failure that
// says why there is none. Test programs may run side by side in one prefix: while another
// installation runs (1618), it waits and tries again.
::testing::AssertionResult RunMsiexec(const CString& arguments, DWORD& exitCode);

// A registry value's type and bytes, strings without their terminator and a multi-string without
// the list's final one; type 0 when the value is missing.
struct RegistryValue {
    DWORD type = 0;
    std::vector<uint8_t> data;
};
RegistryValue ReadValue(HKEY root, const wchar_t* keyPath, REGSAM view, const wchar_t* name);

} // namespace installtest
