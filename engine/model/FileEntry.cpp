#include "engine/model/FileEntry.h"

#include "engine/files/PeFile.h"
#include "engine/model/GuidText.h"
#include "engine/model/RecordArchive.h"
#include "engine/model/RecordLookup.h"

#include <utility>

using namespace recordarchive;

static_assert(FILE_ATTRIBUTE_READONLY == CFileEntry::attrReadOnly && FILE_ATTRIBUTE_HIDDEN == CFileEntry::attrHidden &&
                  FILE_ATTRIBUTE_SYSTEM == CFileEntry::attrSystem,
              "the file system's attribute bits double as the MSI file attributes");
using recordlookup::EqualsNoCase;
using recordlookup::FindFirst;

namespace {

CString JoinPath(const CString& folder, const CString& path)
{
    CString joined;
    joined.Format(L"%s\\%s", folder.GetString(), path.GetString());
    return joined;
}

} // namespace

CFileEntry::CFileEntry() : m_id(NewGuidStringBare())
{
}

void CFileEntry::Serialize(CArchive& ar)
{
    Exchange(ar, m_id);
    Exchange(ar, m_reservedText1);
    Exchange(ar, m_path);
    Exchange(ar, m_kind);
    Exchange(ar, m_fileSize);
    Exchange(ar, m_reservedText2);
    Exchange(ar, m_attributes);
    Exchange(ar, m_componentAttributes);
    Exchange(ar, m_reservedInt);
    Exchange(ar, m_workingDirectory);
    Exchange(ar, m_arguments);
    Exchange(ar, m_iconFile);
    Exchange(ar, m_description);
    Exchange(ar, m_sourcePath);
    Exchange(ar, m_condition);
    ExchangeSpareTexts(ar, 7);
    // the icon index came later than the spare texts and took the first spare int's place
    Exchange(ar, m_iconIndex);
    ExchangeSpareInts(ar, 7);
}

CString CFileEntry::GetSourcePath(const CString& baseFolder) const
{
    return m_sourcePath.IsEmpty() ? JoinPath(baseFolder, m_path) : m_sourcePath;
}

DWORD CFileEntry::ReadFileAttributes()
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(m_sourcePath.GetString(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        return error != 0 ? error : ERROR_FILE_NOT_FOUND;
    }
    const DWORD taken = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    m_attributes |= static_cast<int>(data.dwFileAttributes & taken);
    m_fileSize = static_cast<int>(data.nFileSizeLow);
    if (IsPe64File(m_sourcePath.GetString()))
        m_componentAttributes = component64Bit;
    return 0;
}

void CFileEntries::Serialize(CArchive& ar)
{
    // Not part of the stored form: a loaded list, like a loaded record, carries no editor state.
    if (ar.IsLoading())
        m_lastShownFolder.Empty();
    ExchangeList(ar, *this);
}

const CFileEntry* CFileEntries::FindByPath(const CString& path) const
{
    return FindFirst(*this, [&](const CFileEntry& entry) { return EqualsNoCase(entry.m_path, path); });
}

CFileEntry* CFileEntries::FindByPath(const CString& path)
{
    return const_cast<CFileEntry*>(std::as_const(*this).FindByPath(path));
}

const CFileEntry* CFileEntries::FindBySourcePath(const CString& sourcePath) const
{
    return FindFirst(*this, [&](const CFileEntry& entry) { return EqualsNoCase(entry.m_sourcePath, sourcePath); });
}

CFileEntry* CFileEntries::FindBySourcePath(const CString& sourcePath)
{
    return const_cast<CFileEntry*>(std::as_const(*this).FindBySourcePath(sourcePath));
}

CString CFileEntries::GetPathBySourcePath(const CString& sourcePath) const
{
    const CFileEntry* entry = FindBySourcePath(sourcePath);
    return entry ? entry->m_path : CString();
}

CString CFileEntries::GetSourcePathOf(const CString& path, const CString& outputFolder) const
{
    const CFileEntry* entry = FindByPath(path);
    return entry ? entry->GetSourcePath(outputFolder) : CString();
}

const CFileEntry* CFileEntries::FindPathSuffix(const CString& text) const
{
    // Compare the end itself: testing only the first occurrence of the text would miss
    // "a.exe.d\a.exe", where it also appears earlier.
    return FindFirst(*this, [&](const CFileEntry& entry) {
        return entry.m_path.GetLength() >= text.GetLength() &&
               EqualsNoCase(entry.m_path.Right(text.GetLength()), text);
    });
}

CFileEntry* CFileEntries::FindPathSuffix(const CString& text)
{
    return const_cast<CFileEntry*>(std::as_const(*this).FindPathSuffix(text));
}

void CFileEntries::RemoveUnderPath(const CString& path)
{
    recordlookup::RemoveMatching(*this, [&](const CFileEntry& entry) {
        return recordlookup::IsSameOrUnderPath(entry.m_path, path);
    });
}
