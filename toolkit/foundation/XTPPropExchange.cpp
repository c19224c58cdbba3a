#include "toolkit/foundation/XTPPropExchange.h"

#include "framework/File.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

IMPLEMENT_DYNAMIC(CXTPPropExchange, CCmdTarget)

namespace {

constexpr int kCurrentSchema = 38;   // what this build writes
constexpr int kDefaultSchema = 32;   // what a stream without "Schema" is taken to be
constexpr int kArchiveBufferSize = 4096;

// The part of a date value that is compared and copied: the double and its status, not the
// padding behind them.
constexpr UINT kDateSize = offsetof(XTP_DATETIME, status) + sizeof(LONG);

// Characters that stand in for an escaped backslash while the other escapes are undone.
constexpr wchar_t kBackslashMark[] = L"\x0001\x0001";

CString FormatText(const wchar_t* format, ...)
{
    CString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    return text;
}

// "%g" keeps six digits; the shortest form that reads back exactly is used when those are not
// enough, so a saved number always loads back unchanged. Numbers that "%g" holds exactly keep
// its text.
CString FormatFloatingText(double value, int exactDigits, bool isFloat)
{
    CString text = FormatText(L"%g", value);
    const double back = std::wcstod(text, nullptr);
    const bool exact = isFloat ? static_cast<float>(back) == static_cast<float>(value) : back == value;
    if (!exact)
        text = FormatText(L"%.*g", exactDigits, value);
    return text;
}

// Date text: "%Y-%d-%m" (day before month), "%H:%M:%S", or both joined by "T".
CString FormatDateText(const XTP_DATETIME& date)
{
    if (date.status == XTP_DATETIME::null)
        return CString();
    SYSTEMTIME st = {};
    if (date.status != XTP_DATETIME::valid || !VariantTimeToSystemTime(date.dt, &st))
        return CString(L"Invalid DateTime");
    const double wholeDays = static_cast<double>(static_cast<LONGLONG>(date.dt));
    if (wholeDays == 0)
        return FormatText(L"%02u:%02u:%02u", st.wHour, st.wMinute, st.wSecond);
    if (date.dt == wholeDays)
        return FormatText(L"%04u-%02u-%02u", st.wYear, st.wDay, st.wMonth);
    return FormatText(L"%04u-%02u-%02uT%02u:%02u:%02u", st.wYear, st.wDay, st.wMonth, st.wHour,
                      st.wMinute, st.wSecond);
}

BOOL ParseDateText(const wchar_t* text, DATE& result)
{
    unsigned short year = 0, day = 0, month = 0, hour = 0, minute = 0, second = 0;
    const int fields = swscanf(text, L"%hu-%hu-%huT%hu:%hu:%hu", &year, &day, &month, &hour, &minute, &second);
    if (fields == 3 || fields == 5 || fields == 6) {
        if (fields == 3)
            hour = minute = second = 0;
        if (fields == 5)
            second = 0;
        SYSTEMTIME st = {};
        st.wYear = year;
        st.wMonth = month;
        st.wDay = day;
        st.wHour = hour;
        st.wMinute = minute;
        st.wSecond = second;
        DATE date = 0;
        SYSTEMTIME back = {};
        // the round trip rejects impossible dates that the conversion would roll over
        if (!SystemTimeToVariantTime(&st, &date) || !VariantTimeToSystemTime(date, &back))
            return FALSE;
        if (back.wYear != year || back.wMonth != month || back.wDay != day || back.wHour != hour ||
            back.wMinute != minute || back.wSecond != second)
            return FALSE;
        result = date;
        return TRUE;
    }
    hour = minute = second = 0;
    const int timeFields = swscanf(text, L"%hu:%hu:%hu", &hour, &minute, &second);
    if (timeFields != 2 && timeFields != 3)
        return FALSE;
    result = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    return TRUE;
}

BOOL IsSameVariant(const VARIANT* a, const VARIANT* b)
{
    if (a->vt != b->vt)
        return FALSE;
    if (a->vt == VT_EMPTY || a->vt == VT_NULL)
        return TRUE;
    return VarCmp(const_cast<VARIANT*>(a), const_cast<VARIANT*>(b), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
}

} // namespace

UINT GetValueSize(VARTYPE type)
{
    switch (type) {
    case VT_I2: return sizeof(SHORT);
    case VT_I4: return sizeof(LONG);
    case VT_R4: return sizeof(float);
    case VT_R8: return sizeof(double);
    case VT_CY: return sizeof(CY);
    case VT_DATE: return kDateSize;
    case VT_BSTR: return sizeof(BSTR);
    case VT_BOOL: return sizeof(BOOL);
    case VT_VARIANT: return sizeof(VARIANT);
    case VT_UI1: return sizeof(BYTE);
    case VT_XTP_RECT: return sizeof(RECT);
    case VT_XTP_SIZE: return sizeof(SIZE);
    default: return 0;
    }
}

CXTPPropExchange::CXTPPropExchange() : m_nSchema(kCurrentSchema) {}

void CXTPPropExchange::EscapeText(CString& text)
{
    text.Replace(L"\\", L"\\\\");
    text.Replace(L"\n", L"\\n");
    text.Replace(L"\r", L"\\r");
    text.Replace(L"\t", L"\\t");
}

void CXTPPropExchange::UnescapeText(CString& text)
{
    // An escaped backslash is parked first, so "\\n" stays a backslash and an n.
    text.Replace(L"\\\\", kBackslashMark);
    text.Replace(L"\\n", L"\n");
    text.Replace(L"\\r", L"\r");
    text.Replace(L"\\t", L"\t");
    text.Replace(kBackslashMark, L"\\");
}

CXTPPropExchange::~CXTPPropExchange() = default;

void CXTPPropExchange::InitSection(const CXTPPropExchange* parent)
{
    m_bChildSection = TRUE;
    if (!parent)
        return;
    m_nSchema = parent->m_nSchema;
    m_pContext = parent->m_pContext;
    m_bEmptySection = parent->m_bEmptySection;
    m_bUseDefaultOnLoad = parent->m_bUseDefaultOnLoad;
    m_bUseDefaultOnSave = parent->m_bUseDefaultOnSave;
}

const void* CXTPPropExchange::EffectiveDefault(const void* defaultValue) const
{
    const BOOL useDefault = m_bLoading ? m_bUseDefaultOnLoad : m_bUseDefaultOnSave;
    return useDefault ? defaultValue : nullptr;
}

BOOL CXTPPropExchange::ExchangeKeyedValue(const wchar_t* name, VARTYPE type, void* value, const void* defaultValue)
{
    if (!value)
        return FALSE;
    const void* effectiveDefault = EffectiveDefault(defaultValue);
    if (m_bLoading)
        return OpenStore() ? LoadStoredValue(name, type, value, effectiveDefault)
                           : CopyDefault(type, value, effectiveDefault);
    return SaveKeyedValue(name, type, value, effectiveDefault);
}

BOOL CXTPPropExchange::SaveKeyedValue(const wchar_t* name, VARTYPE type, void* value, const void* effectiveDefault)
{
    if (!OpenStore())
        return FALSE;
    if (IsSameValue(type, value, effectiveDefault)) {
        if (!m_bEmptySection)
            RemoveStoredValue(name);
        return TRUE;
    }
    return WriteStoredValue(name, type, value, effectiveDefault);
}

BOOL CXTPPropExchange::LoadStoredValue(const wchar_t*, VARTYPE, void*, const void*)
{
    return FALSE;
}

BOOL CXTPPropExchange::WriteStoredValue(const wchar_t*, VARTYPE, void*, const void*)
{
    return FALSE;
}

void CXTPPropExchange::RemoveStoredValue(const wchar_t*) {}

BOOL CXTPPropExchange::CopyDefault(VARTYPE type, void* value, const void* defaultValue) const
{
    if (!defaultValue || !value)
        return FALSE;
    switch (type) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_BOOL: case VT_UI1: case VT_XTP_RECT: case VT_XTP_SIZE:
        std::memcpy(value, defaultValue, GetValueSize(type));
        return TRUE;
    case VT_BSTR:
        *static_cast<BSTR*>(value) = SysAllocString(static_cast<const wchar_t*>(defaultValue));
        return TRUE;
    case VT_VARIANT:
        return SUCCEEDED(VariantCopy(static_cast<VARIANT*>(value), const_cast<VARIANT*>(static_cast<const VARIANT*>(defaultValue))));
    case VT_XTP_STRING:
        *static_cast<CString*>(value) = static_cast<const wchar_t*>(defaultValue);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CXTPPropExchange::IsSameValue(VARTYPE type, const void* value, const void* defaultValue) const
{
    if (value == defaultValue)
        return TRUE;
    if (!value || !defaultValue)
        return FALSE;
    switch (type) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY:
    case VT_BOOL: case VT_UI1: case VT_XTP_RECT: case VT_XTP_SIZE:
        return std::memcmp(value, defaultValue, GetValueSize(type)) == 0;
    case VT_DATE: {
        const auto* a = static_cast<const XTP_DATETIME*>(value);
        const auto* b = static_cast<const XTP_DATETIME*>(defaultValue);
        if (a->status != b->status)
            return FALSE;
        if (a->status == XTP_DATETIME::null)
            return TRUE;
        return a->status == XTP_DATETIME::valid && a->dt == b->dt;
    }
    case VT_BSTR: {
        const BSTR text = *static_cast<const BSTR*>(value);
        return std::wcscmp(text ? text : L"", static_cast<const wchar_t*>(defaultValue)) == 0;
    }
    case VT_VARIANT:
        return IsSameVariant(static_cast<const VARIANT*>(value), static_cast<const VARIANT*>(defaultValue));
    case VT_XTP_STRING:
        return *static_cast<const CString*>(value) == static_cast<const wchar_t*>(defaultValue);
    default:
        return FALSE;
    }
}

BOOL CXTPPropExchange::ExchangeText(CString& text, VARTYPE type, void* value, const void* defaultValue) const
{
    if (!value)
        return FALSE;
    if (!m_bLoading) {
        switch (type) {
        case VT_I2: text = FormatText(L"%i", static_cast<int>(*static_cast<const WORD*>(value))); return TRUE;
        case VT_I4: case VT_BOOL: text = FormatText(L"%i", *static_cast<const int*>(value)); return TRUE;
        case VT_UI1: text = FormatText(L"%i", static_cast<int>(*static_cast<const BYTE*>(value))); return TRUE;
        case VT_R4: text = FormatFloatingText(*static_cast<const float*>(value), 9, true); return TRUE;
        case VT_R8: text = FormatFloatingText(*static_cast<const double*>(value), 17, false); return TRUE;
        case VT_DATE: text = FormatDateText(*static_cast<const XTP_DATETIME*>(value)); return TRUE;
        case VT_VARIANT: {
            const VARIANT* variant = static_cast<const VARIANT*>(value);
            if (variant->vt == VT_DATE) {
                XTP_DATETIME date;
                date.dt = variant->date;
                text = FormatDateText(date);
                return TRUE;
            }
            VARIANT converted;
            VariantInit(&converted);
            if (FAILED(VariantChangeTypeEx(&converted, const_cast<VARIANT*>(variant), 0, 0, VT_BSTR)))
                return FALSE;
            text = converted.bstrVal;
            VariantClear(&converted);
            return TRUE;
        }
        case VT_XTP_STRING:
            text = *static_cast<const CString*>(value);
            EscapeText(text);
            return TRUE;
        case VT_XTP_RECT: {
            const RECT* rc = static_cast<const RECT*>(value);
            text = FormatText(L"%i, %i, %i, %i", static_cast<int>(rc->left), static_cast<int>(rc->top),
                              static_cast<int>(rc->right), static_cast<int>(rc->bottom));
            return TRUE;
        }
        case VT_XTP_SIZE: {
            const SIZE* size = static_cast<const SIZE*>(value);
            text = FormatText(L"%i, %i", static_cast<int>(size->cx), static_cast<int>(size->cy));
            return TRUE;
        }
        default:
            return FALSE;
        }
    }

    switch (type) {
    case VT_I2: case VT_I4: case VT_BOOL: case VT_UI1: {
        const LONG number = _wtoi(text);
        std::memcpy(value, &number, GetValueSize(type)); // the low bytes, little-endian
        return TRUE;
    }
    case VT_R4: *static_cast<float*>(value) = static_cast<float>(std::wcstod(text, nullptr)); return TRUE;
    case VT_R8: *static_cast<double*>(value) = std::wcstod(text, nullptr); return TRUE;
    case VT_DATE: {
        DATE date = 0;
        if (!ParseDateText(text, date))
            return FALSE;
        auto* target = static_cast<XTP_DATETIME*>(value);
        target->dt = date;
        target->status = XTP_DATETIME::valid;
        return TRUE;
    }
    case VT_VARIANT: {
        VARIANT* variant = static_cast<VARIANT*>(value);
        VariantClear(variant);
        DATE date = 0;
        if (ParseDateText(text, date)) {
            variant->vt = VT_DATE;
            variant->date = date;
            return TRUE;
        }
        variant->bstrVal = SysAllocStringLen(text.GetString(), static_cast<UINT>(text.GetLength()));
        variant->vt = VT_BSTR;
        return variant->bstrVal != nullptr;
    }
    case VT_XTP_STRING: {
        CString& target = *static_cast<CString*>(value);
        target = text;
        if (target.Find(L'\\') >= 0)
            UnescapeText(target);
        return TRUE;
    }
    case VT_XTP_RECT: {
        int left = 0, top = 0, right = 0, bottom = 0;
        if (swscanf(text, L"%i, %i, %i, %i", &left, &top, &right, &bottom) < 4)
            return CopyDefault(type, value, defaultValue);
        *static_cast<RECT*>(value) = RECT{left, top, right, bottom};
        return TRUE;
    }
    case VT_XTP_SIZE: {
        int cx = 0, cy = 0;
        if (swscanf(text, L"%i, %i", &cx, &cy) < 2)
            return CopyDefault(type, value, defaultValue);
        *static_cast<SIZE*>(value) = SIZE{cx, cy};
        return TRUE;
    }
    default:
        return FALSE;
    }
}

BOOL CXTPPropExchange::ExchangeBlob(const wchar_t* name, BYTE*& data, DWORD& size)
{
    // Two letters per byte, low nibble first: 'A' + (b & 0x0F), 'A' + (b >> 4).
    if (!m_bLoading) {
        CString text;
        if (data && size > 0) {
            wchar_t* out = text.GetBufferSetLength(static_cast<int>(size) * 2);
            for (DWORD i = 0; i < size; ++i) {
                out[2 * i] = static_cast<wchar_t>(L'A' + (data[i] & 0x0F));
                out[2 * i + 1] = static_cast<wchar_t>(L'A' + (data[i] >> 4));
            }
        }
        return ExchangeValue(name, VT_XTP_STRING, &text, L"");
    }

    CString text;
    if (!ExchangeValue(name, VT_XTP_STRING, &text, nullptr))
        return FALSE;
    const int length = text.GetLength();
    if (length % 2 != 0)
        return FALSE;
    if (length == 0) {
        size = 0; // nothing to hand out, and nothing is allocated for it
        return TRUE;
    }
    std::vector<BYTE> bytes(static_cast<size_t>(length / 2));
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int low = text[static_cast<int>(2 * i)] & 0xFF;
        const int high = text[static_cast<int>(2 * i + 1)] & 0xFF;
        bytes[i] = static_cast<BYTE>(low + 16 * high - 81);
    }
    return HandOutBlob(bytes, data, size);
}

BOOL CXTPPropExchange::HandOutBlob(const std::vector<BYTE>& bytes, BYTE*& data, DWORD& size)
{
    const DWORD count = static_cast<DWORD>(bytes.size());
    if (data && size < count)
        return FALSE;
    if (!data) {
        data = static_cast<BYTE*>(std::malloc(count ? count : 1));
        if (!data)
            return FALSE;
    }
    if (count > 0)
        std::memcpy(data, bytes.data(), count);
    size = count;
    return TRUE;
}

BOOL CXTPPropExchange::ExchangeRuntimeClass(const wchar_t* name, const CRuntimeClass*& runtimeClass,
                                            const CRuntimeClass* defaultClass)
{
    const CString defaultName = defaultClass ? CString(defaultClass->m_lpszClassName) : CString();
    if (!m_bLoading) {
        if (!runtimeClass)
            return FALSE;
        CString className(runtimeClass->m_lpszClassName);
        return ExchangeValue(name, VT_XTP_STRING, &className, defaultClass ? defaultName.GetString() : nullptr);
    }
    CString className;
    if (!ExchangeValue(name, VT_XTP_STRING, &className, nullptr)) {
        runtimeClass = defaultClass;
        return TRUE;
    }
    runtimeClass = CRuntimeClass::FromName(className.GetString());
    return runtimeClass != nullptr;
}

BOOL CXTPPropExchange::ExchangeObject(CObject*& object, const CRuntimeClass* expected)
{
    if (!m_bLoading) {
        if (!object)
            return FALSE;
        const CRuntimeClass* runtimeClass = object->GetRuntimeClass();
        return ExchangeRuntimeClass(L"Class", runtimeClass, expected);
    }
    object = nullptr;
    const CRuntimeClass* runtimeClass = nullptr;
    if (!ExchangeRuntimeClass(L"Class", runtimeClass, expected) || !runtimeClass)
        return FALSE;
    // The class comes from the store, which anyone may have written: check its kind before
    // making one, since a constructor of a class of the wrong kind may do anything.
    if (expected && !runtimeClass->IsDerivedFrom(expected))
        return FALSE;
    object = runtimeClass->CreateObject();
    return object != nullptr;
}

CArchive* CXTPPropExchange::OpenArchive(const wchar_t* name)
{
    if (m_bLoading) {
        BYTE* data = nullptr;
        DWORD size = 0;
        if (!ExchangeBlob(name, data, size) || !data || size == 0) {
            std::free(data);
            return nullptr;
        }
        auto* file = new CMemFile(data, size);
        std::free(data);
        return new CArchive(file, CArchive::load, kArchiveBufferSize);
    }
    auto* file = new CMemFile();
    return new CArchive(file, CArchive::store, kArchiveBufferSize);
}

void CXTPPropExchange::CloseArchive(const wchar_t* name, CArchive* archive)
{
    if (!archive)
        return;
    CFile* file = archive->GetFile();
    if (!file || !file->IsKindOf(RUNTIME_CLASS(CMemFile)))
        return;
    auto* memFile = static_cast<CMemFile*>(file);
    if (archive->IsStoring()) {
        try {
            archive->Flush();
            const std::vector<BYTE>& bytes = memFile->Data();
            BYTE* data = const_cast<BYTE*>(bytes.data());
            DWORD size = static_cast<DWORD>(bytes.size());
            ExchangeBlob(name, data, size);
        } catch (const CException&) {
            // the property stays unwritten; the archive and its file are still destroyed below
        }
    }
    archive->Abort();
    delete archive;
    memFile->Close();
    delete memFile;
}

void CXTPPropExchange::EmptySection()
{
    m_bEmptySection = TRUE;
}

void CXTPPropExchange::WriteCount(DWORD count)
{
    const LONG zero = 0;
    ExchangeValue(L"Count", VT_I4, &count, &zero);
}

DWORD CXTPPropExchange::ReadCount()
{
    DWORD count = 0;
    const LONG zero = 0;
    ExchangeValue(L"Count", VT_I4, &count, &zero);
    return count;
}

BOOL CXTPPropExchange::WriteBytes(const wchar_t* name, const void* data, DWORD size)
{
    BYTE* bytes = static_cast<BYTE*>(const_cast<void*>(data));
    return ExchangeBlob(name, bytes, size);
}

DWORD CXTPPropExchange::ReadBytes(const wchar_t* name, void* buffer, DWORD size)
{
    BYTE* bytes = static_cast<BYTE*>(buffer);
    if (!bytes)
        return 0; // a caller's buffer is required: the blob must not be allocated here
    return ExchangeBlob(name, bytes, size) ? size : 0;
}

BOOL CXTPPropExchange::AllowsOmittedValues()
{
    return TRUE;
}

BOOL CXTPPropExchange::IsBinaryStore()
{
    return FALSE;
}

BOOL CXTPPropExchange::OpenStore()
{
    m_bInitialized = TRUE;
    return TRUE;
}

CXTPPropExchangeEnumerator* CXTPPropExchange::GetEnumerator(const wchar_t* prefix)
{
    return new CXTPPropExchangeEnumerator(this, prefix);
}

void CXTPPropExchange::ExchangeSchema()
{
    const LONG defaultSchema = kDefaultSchema;
    ExchangeValue(L"Schema", VT_I4, &m_nSchema, &defaultSchema);
}

void CXTPPropExchange::ExchangeSchemaCurrent()
{
    const LONG currentSchema = kCurrentSchema;
    ExchangeValue(L"Schema", VT_I4, &m_nSchema, &currentSchema);
}

// Numbered sections ---------------------------------------------------------------------------

CXTPPropExchangeEnumerator::CXTPPropExchangeEnumerator(CXTPPropExchange* container, const wchar_t* sectionPrefix)
    : m_pContainer(container), m_strSectionName(sectionPrefix)
{
}

CXTPPropExchangeEnumerator::~CXTPPropExchangeEnumerator() = default;

POSITION CXTPPropExchangeEnumerator::GetPosition(DWORD count, BOOL storeCount)
{
    m_nCount = count;
    if (!m_pContainer)
        return nullptr;
    if (!storeCount) {
        const LONG zero = 0;
        m_pContainer->ExchangeValue(L"Count", VT_I4, &m_nCount, &zero);
    } else if (m_pContainer->IsLoading()) {
        m_nCount = m_pContainer->ReadCount();
    } else {
        m_pContainer->WriteCount(m_nCount);
    }
    return m_nCount ? reinterpret_cast<POSITION>(static_cast<UINT_PTR>(1)) : nullptr;
}

CXTPPropExchange* CXTPPropExchangeEnumerator::GetNext(POSITION& position)
{
    const DWORD index = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(position)) - 1;
    CString name;
    name.Format(L"%s%i", m_strSectionName.GetString(), static_cast<int>(index));
    CXTPPropExchange* section = m_pContainer ? m_pContainer->GetSection(name) : nullptr;
    const DWORD next = index + 2;
    position = next > m_nCount ? nullptr : reinterpret_cast<POSITION>(static_cast<UINT_PTR>(next));
    return section;
}

DWORD CXTPPropExchangeEnumerator::GetCount()
{
    return m_nCount;
}

// Free functions ------------------------------------------------------------------------------

BOOL ExchangeByteProperty(CXTPPropExchange* px, const wchar_t* name, BYTE& value, BYTE defaultValue)
{
    return px ? px->ExchangeValue(name, VT_UI1, &value, &defaultValue) : FALSE;
}

BOOL ExchangeShortProperty(CXTPPropExchange* px, const wchar_t* name, short& value, short defaultValue)
{
    return px ? px->ExchangeValue(name, VT_I2, &value, &defaultValue) : FALSE;
}

BOOL ExchangeLongProperty(CXTPPropExchange* px, const wchar_t* name, long& value)
{
    return px ? px->ExchangeValue(name, VT_I4, &value, nullptr) : FALSE;
}

BOOL ExchangeLongPropertyDefault(CXTPPropExchange* px, const wchar_t* name, long& value, long defaultValue)
{
    return px ? px->ExchangeValue(name, VT_I4, &value, &defaultValue) : FALSE;
}

BOOL ExchangeBoolProperty(CXTPPropExchange* px, const wchar_t* name, BOOL& value, BOOL defaultValue)
{
    return px ? px->ExchangeValue(name, VT_BOOL, &value, &defaultValue) : FALSE;
}

BOOL ExchangeStringProperty(CXTPPropExchange* px, const wchar_t* name, CString& value)
{
    return px ? px->ExchangeValue(name, VT_XTP_STRING, &value, nullptr) : FALSE;
}

BOOL ExchangeStringPropertyDefault(CXTPPropExchange* px, const wchar_t* name, CString& value,
                                   const wchar_t* defaultValue)
{
    return px ? px->ExchangeValue(name, VT_XTP_STRING, &value, defaultValue) : FALSE;
}

BOOL ExchangeSizeProperty(CXTPPropExchange* px, const wchar_t* name, SIZE& value, SIZE defaultValue)
{
    return px ? px->ExchangeValue(name, VT_XTP_SIZE, &value, &defaultValue) : FALSE;
}

BOOL ExchangeRectProperty(CXTPPropExchange* px, const wchar_t* name, RECT& value, RECT defaultValue)
{
    return px ? px->ExchangeValue(name, VT_XTP_RECT, &value, &defaultValue) : FALSE;
}

BOOL ExchangeRuntimeClassProperty(CXTPPropExchange* px, const wchar_t* name,
                                  const CRuntimeClass*& runtimeClass, const CRuntimeClass* defaultClass)
{
    return px ? px->ExchangeRuntimeClass(name, runtimeClass, defaultClass) : FALSE;
}

BOOL ExchangeBlobProperty(CXTPPropExchange* px, const wchar_t* name, BYTE*& data, DWORD& size)
{
    return px ? px->ExchangeBlob(name, data, size) : FALSE;
}

BOOL ExchangeSerializedObject(CXTPPropExchange* px, const wchar_t* name, CObject* object)
{
    if (!px || !object)
        return FALSE;
    CArchive* archive = px->OpenArchive(name);
    if (!archive)
        return FALSE;
    BOOL ok = TRUE;
    try {
        object->Serialize(*archive);
    } catch (const CException&) {
        ok = FALSE;
    }
    px->CloseArchive(name, archive);
    return ok;
}

void DeleteExchangeEnumerator(CXTPPropExchangeEnumerator*& enumerator)
{
    delete enumerator;
    enumerator = nullptr;
}
