// Statement execution. Every value that comes from the package (keys made from its ids included)
// goes in as a bound record field: MSI SQL has no escape for an apostrophe, so a value printed
// into the statement text would break it or change it.

#include "engine/msi/MsiTools.h"

#include "engine/files/Globals.h"

namespace {

// The table a statement writes: the first name in back-quotes ("INSERT INTO `File` ...").
CString StatementTable(const wchar_t* statement)
{
    const CString text(statement);
    const int open = text.Find(L'`');
    const int close = open < 0 ? -1 : text.Find(L'`', open + 1);
    return close < 0 ? CString(L"?") : text.Mid(open + 1, close - open - 1);
}

} // namespace

UINT MsiValue::SetInto(MSIHANDLE record, UINT field) const
{
    switch (m_kind) {
    case Kind::number:
        return MsiRecordSetInteger(record, field, m_number);
    case Kind::null:
        return MsiRecordSetStringW(record, field, L"");
    case Kind::stream:
        return MsiRecordSetStreamW(record, field, m_text);
    case Kind::text:
        break;
    }
    return MsiRecordSetStringW(record, field, m_text);
}

CString MsiValue::ToText() const
{
    if (m_kind != Kind::number)
        return m_kind == Kind::stream ? CString(L"<stream>") : m_text;
    CString text;
    text.Format(L"%d", m_number);
    return text;
}

UINT CMsiTools::ExecuteSql(UniqueMsiHandle& view, const wchar_t* statement, MSIHANDLE record,
                           const CString& rowKey)
{
    view.Reset();
    UINT result = MsiDatabaseOpenViewW(m_database.Get(), statement, view.Put());
    if (result != ERROR_SUCCESS)
        return result;
    result = MsiViewExecute(view.Get(), record);
    if (result != ERROR_SUCCESS) {
        AppendOutputFormat(L"> !Error: the %s table refused the row '%s'. Error:(%u)%s",
                           StatementTable(statement).GetString(), rowKey.GetString(), result,
                           FormatSystemErrorText(result).GetString());
        return result;
    }
    (void)MsiViewClose(view.Get());
    return ERROR_SUCCESS;
}

bool CMsiTools::CheckNameFitsCodePage(const CString& path)
{
    CString name = path;
    name.TrimRight(L'\\');
    name = name.Mid(name.ReverseFind(L'\\') + 1);
    if (FitsDatabaseCodePage(name))
        return true;
    AppendOutputFormat(L"> !Error: The name of %s cannot be stored in the package's code page %u.",
                       path.GetString(), kDatabaseCodePage);
    return false;
}

UINT CMsiTools::InsertRow(UniqueMsiHandle& view, const wchar_t* statement,
                          std::initializer_list<MsiValue> values, int keyColumns)
{
    UniqueMsiHandle record(MsiCreateRecord(static_cast<UINT>(values.size())));
    if (!record)
        return ERROR_NOT_ENOUGH_MEMORY;
    UINT field = 1;
    CString rowKey;
    for (const MsiValue& value : values) {
        const UINT result = value.SetInto(record.Get(), field);
        if (result != ERROR_SUCCESS)
            return result;
        if (static_cast<int>(field) <= keyColumns)
            rowKey += (field > 1 ? L"/" : L"") + value.ToText();
        ++field;
    }
    return ExecuteSql(view, statement, record.Get(), rowKey);
}
