#include "app/AppPaths.h"

#include "engine/files/PathHelpers.h"

#include <vector>

CString GetProgramFolder()
{
    // paths longer than MAX_PATH arrive cut short with the error set: grow until the name fits
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return CString();
        if (length < buffer.size())
            return GetFolderPartWithSlash(CString(buffer.data(), static_cast<int>(length)));
        if (buffer.size() >= 32768)
            return CString();
        buffer.resize(buffer.size() * 2);
    }
}

CString GetDefaultDataFilePath()
{
    return GetProgramFolder() + L"tarnwick.dat";
}

CString GetHelpFilePath()
{
    CString path;
    path.Format(L"%s%s.chm", GetProgramFolder().GetString(), L"tarnwick");
    return path;
}

bool LoadDataFileOrDefault(const wchar_t* dataFile, const wchar_t* defaultDataFile, CProjects& projects)
{
    if (LoadDataFile(dataFile, projects))
        return true;
    if (!RestoreDefaultDataFile(defaultDataFile, dataFile))
        return false;
    return LoadDataFile(dataFile, projects);
}

bool LoadDataFileOrDefault()
{
    return LoadDataFileOrDefault(GetDataFilePath(), GetDefaultDataFilePath(), Projects);
}
