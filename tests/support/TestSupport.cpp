#include "tests/support/TestSupport.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace testsupport {

namespace {

CString TempFolder()
{
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    CString path(buffer, static_cast<int>(length));
    path.TrimRight(L'\\');
    return path;
}

} // namespace

ScratchFolder::ScratchFolder()
{
    static LONG counter = 0;
    const CString base = TempFolder();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        CString candidate;
        candidate.Format(L"%s\\tw-%lu-%ld-%d", base.GetString(), GetCurrentProcessId(),
                         InterlockedIncrement(&counter), attempt);
        if (CreateDirectoryW(candidate, nullptr)) {
            m_path = candidate;
            return;
        }
    }
}

ScratchFolder::~ScratchFolder()
{
    if (!m_path.IsEmpty())
        RemoveTree(m_path);
}

CString ModuleFolder()
{
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    CString path(buffer, static_cast<int>(length));
    return path.Left(path.ReverseFind(L'\\'));
}

CString FixturePath(const wchar_t* relativePath)
{
    CString path = ModuleFolder() + L"\\fixtures\\" + relativePath;
    path.Replace(L'/', L'\\');
    return path;
}

bool ReadAllBytes(const wchar_t* path, std::vector<uint8_t>& bytes)
{
    UniqueKernelHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size))
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() || (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                             read == bytes.size());
}

bool WriteAllBytes(const wchar_t* path, const std::vector<uint8_t>& bytes)
{
    UniqueKernelHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

bool FileExists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveTree(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return DeleteFileW(path) || RemoveDirectoryW(path);

    WIN32_FIND_DATAW found;
    const CString pattern = CString(path) + L"\\*";
    UniqueFindHandle find(FindFirstFileW(pattern, &found));
    if (find) {
        do {
            const CString name = found.cFileName;
            if (name != L"." && name != L"..")
                RemoveTree(CString(path) + L"\\" + name);
        } while (FindNextFileW(find.Get(), &found));
    }
    find.Reset();
    return RemoveDirectoryW(path) != FALSE;
}

ChildResult RunChild(const wchar_t* commandLine, DWORD timeoutMs, const wchar_t* workingFolder)
{
    ChildResult result;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    CString mutableLine = commandLine; // CreateProcessW may write into the command line
    if (!CreateProcessW(nullptr, mutableLine.GetBuffer(), nullptr, nullptr, FALSE, 0, nullptr, workingFolder,
                        &startup, &process)) {
        result.error = GetLastError();
        return result;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    result.started = true;
    if (WaitForSingleObject(processHandle.Get(), timeoutMs) == WAIT_TIMEOUT) {
        result.timedOut = true;
        TerminateProcess(processHandle.Get(), 1);
        WaitForSingleObject(processHandle.Get(), 5000);
    }
    GetExitCodeProcess(processHandle.Get(), &result.exitCode);
    return result;
}

std::string Utf8(std::wstring_view text)
{
    // WideCharToMultiByte counts in int; no test text comes near that, so a longer one is cut there
    // rather than wrapping round to a negative length.
    const int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
    if (length == 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

std::string Hex(const std::vector<uint8_t>& bytes, size_t maxBytes)
{
    std::string text;
    char cell[4];
    for (size_t i = 0; i < bytes.size() && i < maxBytes; ++i) {
        std::snprintf(cell, sizeof(cell), "%02X ", bytes[i]);
        text += cell;
    }
    if (bytes.size() > maxBytes)
        text += "... (" + std::to_string(bytes.size()) + " bytes)";
    return text;
}

} // namespace testsupport
