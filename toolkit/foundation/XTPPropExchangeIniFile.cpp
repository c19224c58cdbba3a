#include "toolkit/foundation/XTPPropExchangeIniFile.h"

#include <cwctype>
#include <vector>

IMPLEMENT_DYNAMIC(CXTPPropExchangeIniFile, CXTPPropExchange)

namespace {

// Most values fit the first read; longer ones are read again into a buffer that doubles until
// the value fits, so a value of any length written here also loads back whole.
constexpr DWORD kFirstValueBuffer = 256;
constexpr DWORD kSectionNamesBuffer = 8000;
// A guard against a profile implementation that never reports a fit (characters).
constexpr size_t kLargestValueBuffer = 64u * 1024 * 1024;

// The profile functions trim the blanks around a value and drop one pair of quotes around it. A
// text that would lose either is written inside an extra pair of double quotes, which the reading
// side takes off again; every other text is written as it is.
bool NeedsQuotes(const CString& text)
{
    const int length = text.GetLength();
    if (length == 0)
        return false;
    const wchar_t first = text[0];
    const wchar_t last = text[length - 1];
    if (iswspace(first) || iswspace(last))
        return true;
    return length >= 2 && first == last && (first == L'"' || first == L'\'');
}

} // namespace

CXTPPropExchangeIniFile::CXTPPropExchangeIniFile(BOOL loading, const wchar_t* parentSection, const wchar_t* section)
{
    m_bLoading = loading;
    const CString parent(parentSection);
    const CString own(section);
    if (!parent.IsEmpty() && !own.IsEmpty())
        m_strSectionName = parent + L"\\" + own;
    else
        m_strSectionName = parent.IsEmpty() ? own : parent;
    // a temporary file starts empty: there is nothing to delete in it
    m_bEmptySection = TRUE;
}

CXTPPropExchangeIniFile::~CXTPPropExchangeIniFile()
{
    if (!m_bChildSection && m_bDeleteFile && !m_strFileName.IsEmpty())
        DeleteFileW(m_strFileName);
}

void CXTPPropExchangeIniFile::AssignFile(const wchar_t* fileName)
{
    m_strFileName = fileName;
    m_bDeleteFile = FALSE;
    m_bEmptySection = FALSE;
}

BOOL CXTPPropExchangeIniFile::OpenStore()
{
    // Only a root makes a temporary file: a section that did so would never delete it.
    if (!m_bInitialized && m_strFileName.IsEmpty() && !m_bChildSection) {
        m_bInitialized = TRUE;
        wchar_t folder[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH, folder);
        if (length == 0 || length > MAX_PATH)
            return FALSE;
        wchar_t fileName[MAX_PATH + 1] = {};
        if (GetTempFileNameW(folder, L"xtp", 0, fileName) == 0)
            return FALSE;
        m_strFileName = fileName;
        m_bDeleteFile = TRUE;
    }
    m_bInitialized = TRUE;
    return !m_strFileName.IsEmpty();
}

CXTPPropExchange* CXTPPropExchangeIniFile::GetSection(const wchar_t* name)
{
    OpenStore();
    auto* section = new CXTPPropExchangeIniFile(m_bLoading, m_strSectionName, name);
    section->m_strFileName = m_strFileName;
    section->m_bDeleteFile = m_bDeleteFile;
    section->InitSection(this);
    return section;
}

void CXTPPropExchangeIniFile::EmptySection()
{
    if (m_bEmptySection || m_strSectionName.IsEmpty())
        return;
    m_bEmptySection = TRUE;
    if (!OpenStore())
        return;

    std::vector<wchar_t> names(kSectionNamesBuffer);
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), m_strFileName);
        if (length != names.size() - 2)
            break;
        names.assign(names.size() * 2, L'\0');
    }
    if (length == 0)
        return;

    // Nested sections go with their parent: "Bars" takes "Bars\Bar0" but not "BarsExtra".
    const CString prefix = m_strSectionName + L"\\";
    std::vector<CString> doomed;
    for (const wchar_t* name = names.data(); *name; name += wcslen(name) + 1) {
        const CString section(name);
        if (section == m_strSectionName || section.Left(prefix.GetLength()) == prefix)
            doomed.push_back(section);
    }
    for (const CString& section : doomed)
        WritePrivateProfileStringW(section, nullptr, nullptr, m_strFileName);
}

bool CXTPPropExchangeIniFile::ReadKey(const wchar_t* name, CString& text) const
{
    std::vector<wchar_t> buffer(kFirstValueBuffer);
    for (;;) {
        const DWORD length = GetPrivateProfileStringW(m_strSectionName, name, L"", buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), m_strFileName);
        if (length + 1 < buffer.size()) {
            text = CString(buffer.data(), static_cast<int>(length));
            return length > 0;
        }
        // the buffer was full: the value may be longer
        if (buffer.size() >= kLargestValueBuffer) {
            text = CString(buffer.data(), static_cast<int>(length));
            return length > 0;
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

BOOL CXTPPropExchangeIniFile::ExchangeValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue)
{
    return ExchangeKeyedValue(name, type, value, defaultValue);
}

BOOL CXTPPropExchangeIniFile::LoadStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault)
{
    CString text;
    if (!ReadKey(name, text))
        return CopyDefault(type, value, effectiveDefault);
    return ExchangeText(text, type, value, effectiveDefault);
}

BOOL CXTPPropExchangeIniFile::WriteStoredValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault)
{
    CString text;
    if (!ExchangeText(text, type, value, effectiveDefault))
        return FALSE;
    if (NeedsQuotes(text))
        text = L"\"" + text + L"\"";
    return WritePrivateProfileStringW(m_strSectionName, name, text, m_strFileName) ? TRUE : FALSE;
}

void CXTPPropExchangeIniFile::RemoveStoredValue(const wchar_t* name)
{
    WritePrivateProfileStringW(m_strSectionName, name, nullptr, m_strFileName);
}
