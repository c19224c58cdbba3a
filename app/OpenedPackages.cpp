#include "app/OpenedPackages.h"

#include "engine/files/PathHelpers.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

CString FullPath(const CString& path)
{
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameW(path, static_cast<DWORD>(std::size(buffer)), buffer, nullptr);
    if (length == 0 || length >= std::size(buffer))
        return path;
    return CString(buffer, static_cast<int>(length));
}

constexpr wchar_t kByteOrderMark = 0xFEFF;

} // namespace

CString COpenedPackages::ListPathFor(const CString& dataFile)
{
    const int slash = dataFile.ReverseFind(L'\\');
    const int dot = dataFile.ReverseFind(L'.');
    const CString stem = dot > slash ? dataFile.Left(dot) : dataFile;
    return stem + L".opened";
}

void COpenedPackages::Load(const CString& listFile)
{
    m_paths.clear();
    HANDLE file = ::CreateFileW(listFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    LARGE_INTEGER size{};
    std::wstring text;
    // a list of paths is small; anything past a few megabytes is not this file
    if (::GetFileSizeEx(file, &size) && size.QuadPart >= 2 && size.QuadPart <= (4 << 20) && size.QuadPart % 2 == 0) {
        text.resize(static_cast<size_t>(size.QuadPart / 2));
        DWORD read = 0;
        if (!::ReadFile(file, text.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr) ||
            read != size.QuadPart)
            text.clear();
    }
    ::CloseHandle(file);
    if (text.empty() || text[0] != kByteOrderMark)
        return;
    size_t start = 1;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos)
            end = text.size();
        if (end > start)
            Add(CString(text.data() + start, static_cast<int>(end - start)));
        start = end + 1;
    }
}

bool COpenedPackages::Save(const CString& listFile, const CProjects& projects)
{
    std::vector<CString> kept;
    for (const CString& path : m_paths) {
        for (const CString& listed : projects.m_packagePaths) {
            if (SamePathNoCase(FullPath(listed), path)) {
                kept.push_back(path);
                break;
            }
        }
    }
    m_paths = kept;
    if (m_paths.empty())
        return ::DeleteFileW(listFile) || ::GetLastError() == ERROR_FILE_NOT_FOUND ||
               ::GetLastError() == ERROR_PATH_NOT_FOUND;
    std::wstring text(1, kByteOrderMark);
    for (const CString& path : m_paths)
        text.append(path.GetString()).append(L"\r\n");
    HANDLE file = ::CreateFileW(listFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    const bool ok = ::WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
    return ::CloseHandle(file) && ok;
}

void COpenedPackages::Add(const CString& packagePath)
{
    if (!packagePath.IsEmpty() && !Contains(packagePath))
        m_paths.push_back(FullPath(packagePath));
}

void COpenedPackages::Remove(const CString& packagePath)
{
    const CString full = FullPath(packagePath);
    m_paths.erase(std::remove_if(m_paths.begin(), m_paths.end(),
                                 [&](const CString& path) { return SamePathNoCase(path, full); }),
                  m_paths.end());
}

bool COpenedPackages::Contains(const CString& packagePath) const
{
    const CString full = FullPath(packagePath);
    return std::any_of(m_paths.begin(), m_paths.end(), [&](const CString& path) { return SamePathNoCase(path, full); });
}
