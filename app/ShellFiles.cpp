#include "app/ShellFiles.h"

#include <shellapi.h>

#include <vector>

bool DeleteFolderThroughShell(const CString& path, bool permanently)
{
    if (path.IsEmpty())
        return false;   // an empty list would name nothing, or the current folder on some shells
    // the shell takes a list of names, each ended by a zero and the list by another
    std::vector<wchar_t> names(path.GetString(), path.GetString() + path.GetLength());
    names.push_back(L'\0');
    names.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = names.data();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
    if (!permanently)
        operation.fFlags |= FOF_ALLOWUNDO;
    return ::SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}
