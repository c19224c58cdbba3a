#include "engine/files/PathHelpers.h"

#include <windows.h>

#include <cwchar>

void TrimTrailingBackslashes(CString& text)
{
    text.TrimRight(L'\\');
}

void TrimLeadingBackslashes(CString& text)
{
    text.TrimLeft(L'\\');
}

CString GetFolderPart(const CString& path)
{
    const int slash = path.ReverseFind(L'\\');
    return slash < 0 ? CString() : path.Left(slash);
}

CString GetFolderPartWithSlash(const CString& path)
{
    const int slash = path.ReverseFind(L'\\');
    return slash < 0 ? CString() : path.Left(slash + 1);
}

int ComparePathsNoCase(const CString& a, const CString& b)
{
    switch (CompareStringOrdinal(a.GetString(), a.GetLength(), b.GetString(), b.GetLength(), TRUE)) {
    case CSTR_LESS_THAN:
        return -1;
    case CSTR_GREATER_THAN:
        return 1;
    case CSTR_EQUAL:
        return 0;
    default: // only for arguments it refuses; a CString never gives one
        return a.Compare(b);
    }
}

int ReplaceNoCase(CString& text, const wchar_t* search, const wchar_t* replacement)
{
    if (!search || *search == L'\0')
        return 0;
    CString needle(search);
    needle.MakeLower();
    const CString insert(replacement);
    CString lowered = text;
    lowered.MakeLower();
    // Search the lowered copy and rebuild the original around each hit. Lowering keeps the
    // length of every UTF-16 unit, so positions in the copy are positions in the text.
    CString result;
    int start = 0;
    int count = 0;
    for (int hit = lowered.Find(needle, 0); hit >= 0; hit = lowered.Find(needle, start)) {
        result += text.Mid(start, hit - start);
        result += insert;
        start = hit + needle.GetLength();
        ++count;
    }
    if (count > 0) {
        result += text.Mid(start);
        text = result;
    }
    return count;
}

CString MakeTempFileName(DWORD* error)
{
    DWORD failure = 0;
    wchar_t folder[MAX_PATH];
    wchar_t name[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length > MAX_PATH)
        failure = length == 0 ? GetLastError() : ERROR_BUFFER_OVERFLOW;
    else if (GetTempFileNameW(folder, L"0", 0, name) == 0)
        failure = GetLastError();
    if (error)
        *error = failure;
    return failure ? CString() : CString(name);
}
