#pragma once
// Helpers for the test programs. They run under Wine in a prefix of their own, so scratch folders
// live under the prefix's temporary folder and vanish with it even when a test crashes.

#include "framework/Handle.h"
#include "framework/String.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A new empty folder under %TEMP%, removed with everything in it when the object dies.
class ScratchFolder {
public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    const CString& Path() const { return m_path; }
    CString operator/(const wchar_t* name) const { return m_path + L"\\" + name; }

private:
    CString m_path;
};

// Folder of the running test program (no trailing backslash).
CString ModuleFolder();

// Path of a file copied from tests/fixtures into the build's fixtures folder.
CString FixturePath(const wchar_t* relativePath);

// Whole-file helpers; ReadAllBytes returns false when the file cannot be read.
bool ReadAllBytes(const wchar_t* path, std::vector<uint8_t>& bytes);
bool WriteAllBytes(const wchar_t* path, const std::vector<uint8_t>& bytes);

bool FileExists(const wchar_t* path);

// Removes a folder tree; true when it is gone afterwards.
bool RemoveTree(const wchar_t* path);

struct ChildResult {
    bool started = false;      // false: CreateProcess failed, see error
    bool timedOut = false;     // the child was killed after the time-out
    DWORD exitCode = 0;
    DWORD error = 0;
};

// Runs a command line and waits for it, killing it after timeoutMs.
ChildResult RunChild(const wchar_t* commandLine, DWORD timeoutMs, const wchar_t* workingFolder = nullptr);

// The text as UTF-8, for comparing with narrow literals and for failure messages; every unit
// counts, embedded NULs included. Pass a CString through its View().
std::string Utf8(std::wstring_view text);

// Hex dump of bytes for assertion messages.
std::string Hex(const std::vector<uint8_t>& bytes, size_t maxBytes = 64);

// Waits until condition() holds, checking every 50 ms, up to timeoutMs; true when it did. The
// default limit is wide on purpose: CI runs the suite in parallel on a loaded machine, and a wait
// on a condition costs nothing when the condition comes quickly.
template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 60000)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() > end)
            return false;
        Sleep(50);
    }
}

} // namespace testsupport
