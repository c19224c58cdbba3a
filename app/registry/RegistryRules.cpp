#include "app/registry/RegistryRules.h"

#include "engine/files/Globals.h"
#include "engine/model/RecordLookup.h"

#include "framework/window/DataExchange.h"

#include "resources/app/AppResource.h"

#include <climits>
#include <cwchar>

namespace {

const RegistryValueTypeRow kValueTypes[] = {
    {CRegistryEntry::typeString, L"String", 2, ID_REG_NEW_STRING, L""},
    {CRegistryEntry::typeExpandString, L"Expandable String", 2, ID_REG_NEW_EXPAND_STRING, L""},
    {CRegistryEntry::typeMultiString, L"REG_MULTI_SZ", 2, ID_REG_NEW_MULTI_STRING, L""},
    {CRegistryEntry::typeBinary, L"Binary", 3, ID_REG_NEW_BINARY, L""},
    {CRegistryEntry::typeDword, L"Dword", 3, ID_REG_NEW_DWORD, L"0"},
};

const wchar_t kNewValueFormat[] = L"New Value #%d";

// The characters the key dialog refuses; the double quote is not among them because the dialog
// drops it instead.
const wchar_t kRefusedKeyDialogChars[] = L"\\/:*?<>|";

} // namespace

const RegistryValueTypeRow& ValueTypeRow(int type)
{
    for (const RegistryValueTypeRow& row : kValueTypes) {
        if (row.type == type)
            return row;
    }
    return kValueTypes[0];
}

int ValueTypeOfCommand(UINT command)
{
    for (const RegistryValueTypeRow& row : kValueTypes) {
        if (row.newCommand == command)
            return row.type;
    }
    return -1;
}

CString ValueNameForRow(const CString& name)
{
    return name.IsEmpty() ? CString(kDefaultValueName) : name;
}

CString ValueNameFromRow(const CString& rowText)
{
    return rowText == kDefaultValueName ? CString() : rowText;
}

CString ShownValueText(const CRegistryEntry& record)
{
    CString text = record.m_value;
    switch (record.m_valueType) {
    case CRegistryEntry::typeMultiString:
        text.Replace(kMultiStringSeparator, L" ");
        break;
    case CRegistryEntry::typeDword:
        text = ShownDwordText(text);
        break;
    default:
        break;
    }
    return text;
}

CString MultiStringToLines(const CString& stored)
{
    CString lines = stored;
    lines.Replace(kMultiStringSeparator, L"\r\n");
    return lines;
}

CString LinesToMultiString(const CString& lines)
{
    CString stored = lines;
    stored.Replace(L"\r\n", kMultiStringSeparator);
    return stored;
}

bool IsBinaryText(const CString& text)
{
    return text.SpanIncluding(L"1234567890ABCDEFabcdef").GetLength() == text.GetLength();
}

bool ParseDwordText(const CString& text, CString* stored)
{
    // The framework's DWORD parsing is what the dialog's box uses, so the rule and the box agree
    // on spaces and signs.
    DWORD value = 0;
    if (!AfxParseDword(text, value))
        return false;
    if (stored)
        stored->Format(L"%lu", static_cast<unsigned long>(value));
    return true;
}

CString ShownDwordText(const CString& stored)
{
    int value = 0;
    if (!stored.IsEmpty() && stored[0] == L'-' && AfxParseInt(stored, value) && value < 0) {
        CString shown;
        shown.Format(L"%lu", static_cast<unsigned long>(static_cast<DWORD>(value)));
        return shown;
    }
    return stored;
}

CString NewValueName(const CRegistryEntries& records, const CString& keyPath)
{
    for (int n = 1; n < INT_MAX; ++n) {
        CString name;
        name.Format(kNewValueFormat, n);
        bool taken = false;
        for (const CRegistryEntry& record : records) {
            if (record.m_keyPath == keyPath && !record.m_valueName.IsEmpty() &&
                record.m_valueName.CompareNoCase(name) == 0) {
                taken = true;
                break;
            }
        }
        if (!taken)
            return name;
    }
    return CString();
}

CString LastKeyName(const CString& keyPath)
{
    CString path = keyPath;
    path.TrimRight(L'\\');
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

CString KeyParentPath(const CString& keyPath)
{
    CString path = keyPath;
    path.TrimRight(L'\\');
    return path.Left(path.ReverseFind(L'\\') + 1);
}

bool KeyExists(const CRegistryEntries& records, const CString& keyPath)
{
    for (const CRegistryEntry& record : records) {
        if (record.m_kind != CRegistryEntry::kindValue && recordlookup::IsSameOrUnderPath(record.m_keyPath, keyPath))
            return true;
    }
    return false;
}

KeyNameCheck CheckKeyDialogName(const CRegistryEntries& records, const CString& editedPath,
                                const CString& openingPath, const CString& boxText, CString* name,
                                CString* newPath)
{
    CString cleaned = boxText;
    cleaned.Remove(L'"');
    cleaned.Trim();
    if (name)
        *name = cleaned;
    if (cleaned.IsEmpty())
        return KeyNameCheck::empty;
    if (cleaned.FindOneOf(kRefusedKeyDialogChars) >= 0)
        return KeyNameCheck::forbiddenCharacter;
    const CString parent = KeyParentPath(editedPath);
    if (parent.IsEmpty() && !IsRegistryRootName(cleaned))
        return KeyNameCheck::notRootName;
    const CString path = parent + cleaned + L"\\";
    if (newPath)
        *newPath = path;
    // The same path in other letter case is the key itself; any other key there is a sibling the
    // rename would silently merge into.
    if (path.CompareNoCase(openingPath) != 0 && KeyExists(records, path))
        return KeyNameCheck::siblingHasName;
    return KeyNameCheck::ok;
}

bool KeyAlwaysCreates(int options)
{
    return (options & CRegistryEntry::keyAlwaysCreate) != 0;
}

bool KeyDeletesAtUninstall(int options)
{
    return (options & CRegistryEntry::keyDeleteAtUninstall) != 0;
}

int KeyOptionsFromChecks(bool alwaysCreate, bool deleteAtUninstall)
{
    return (alwaysCreate ? CRegistryEntry::keyAlwaysCreate : 0) |
           (deleteAtUninstall ? CRegistryEntry::keyDeleteAtUninstall : 0);
}
