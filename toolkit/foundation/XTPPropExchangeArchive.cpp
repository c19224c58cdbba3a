#include "toolkit/foundation/XTPPropExchangeArchive.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

IMPLEMENT_DYNAMIC(CXTPPropExchangeArchive, CXTPPropExchange)

namespace {

// Marks a stream that carries its schema; streams written before it existed start with their
// first value and are taken to be schema 17.
constexpr DWORD kSchemaMarker = 0x0FF0ADBF;
constexpr int kUnmarkedSchema = 17;

// Blocks are read in slices so that a damaged count costs no more memory than the stream holds.
constexpr DWORD kBlobSliceBytes = 64 * 1024;

template <class T>
void ExchangeItem(CArchive& ar, void* value)
{
    if (ar.IsStoring())
        ar << *static_cast<const T*>(value);
    else
        ar >> *static_cast<T*>(value);
}

// Fixed blocks (rectangles, sizes): all of them or the end-of-file exception.
void ExchangeBlock(CArchive& ar, void* value, UINT size)
{
    if (ar.IsStoring()) {
        ar.Write(value, size);
        return;
    }
    if (ar.Read(value, size) != size)
        AfxThrowArchiveException(CArchiveException::endOfFile);
}

} // namespace

CXTPPropExchangeArchive::CXTPPropExchangeArchive(CArchive& archive) : m_pArchive(&archive)
{
    m_bLoading = archive.IsLoading();
}

void CXTPPropExchangeArchive::ExchangeVariant(VARIANT& variant)
{
    // The type word, then the value in its own binary form.
    CArchive& ar = *m_pArchive;
    WORD type = variant.vt;
    ExchangeItem<WORD>(ar, &type);
    if (ar.IsLoading()) {
        VariantClear(&variant);
        variant.vt = type;
    }
    switch (type) {
    case VT_EMPTY: case VT_NULL: break;
    case VT_BOOL: ExchangeItem<short>(ar, &variant.boolVal); break;
    case VT_UI1: ExchangeItem<BYTE>(ar, &variant.bVal); break;
    case VT_I2: ExchangeItem<short>(ar, &variant.iVal); break;
    case VT_I4: case VT_ERROR: ExchangeItem<LONG>(ar, &variant.lVal); break;
    case VT_R4: ExchangeItem<float>(ar, &variant.fltVal); break;
    case VT_R8: ExchangeItem<double>(ar, &variant.dblVal); break;
    case VT_DATE: ExchangeItem<double>(ar, &variant.date); break;
    case VT_CY:
        ExchangeItem<DWORD>(ar, &variant.cyVal.Lo);
        ExchangeItem<LONG>(ar, &variant.cyVal.Hi);
        break;
    case VT_BSTR: {
        CString text;
        if (ar.IsStoring()) {
            text = CString(variant.bstrVal, static_cast<int>(SysStringLen(variant.bstrVal)));
            ar << text;
        } else {
            variant.vt = VT_EMPTY; // until the text is there, nothing to free
            ar >> text;
            variant.bstrVal = SysAllocStringLen(text.GetString(), static_cast<UINT>(text.GetLength()));
            variant.vt = VT_BSTR;
        }
        break;
    }
    default:
        if (ar.IsLoading())
            variant.vt = VT_EMPTY;
        AfxThrowNotSupportedException();
    }
}

BOOL CXTPPropExchangeArchive::ExchangeValue(const wchar_t*, VARTYPE type, void* value, const void*)
{
    CArchive& ar = *m_pArchive;
    switch (type) {
    case VT_I2: ExchangeItem<WORD>(ar, value); break;
    case VT_I4: case VT_BOOL: ExchangeItem<LONG>(ar, value); break;
    case VT_R4: ExchangeItem<float>(ar, value); break;
    case VT_R8: ExchangeItem<double>(ar, value); break;
    case VT_CY: {
        CY* cy = static_cast<CY*>(value);
        ExchangeItem<DWORD>(ar, &cy->Lo);
        ExchangeItem<LONG>(ar, &cy->Hi);
        break;
    }
    case VT_DATE: {
        auto* date = static_cast<XTP_DATETIME*>(value);
        ExchangeItem<LONG>(ar, &date->status);
        ExchangeItem<double>(ar, &date->dt);
        break;
    }
    case VT_VARIANT: ExchangeVariant(*static_cast<VARIANT*>(value)); break;
    case VT_UI1: ExchangeItem<BYTE>(ar, value); break;
    case VT_XTP_STRING: ExchangeItem<CString>(ar, value); break;
    case VT_XTP_RECT: ExchangeBlock(ar, value, sizeof(RECT)); break;
    case VT_XTP_SIZE: ExchangeBlock(ar, value, sizeof(SIZE)); break;
    default: break; // nothing is kept for other types, and the stream stays in step
    }
    return TRUE;
}

BOOL CXTPPropExchangeArchive::ExchangeBlob(const wchar_t*, BYTE*& data, DWORD& size)
{
    CArchive& ar = *m_pArchive;
    if (ar.IsStoring()) {
        ar.WriteCount(size);
        if (size > 0)
            ar.Write(data, size);
        return TRUE;
    }
    const DWORD count = ar.ReadCount();
    if (data && size < count)
        return FALSE;
    std::vector<BYTE> bytes;
    while (bytes.size() < count) {
        const size_t at = bytes.size();
        const DWORD slice = std::min<DWORD>(count - static_cast<DWORD>(at), kBlobSliceBytes);
        bytes.resize(at + slice);
        const UINT got = ar.Read(bytes.data() + at, slice);
        if (got != slice)
            return FALSE;
    }
    return HandOutBlob(bytes, data, size);
}

BOOL CXTPPropExchangeArchive::ExchangeRuntimeClass(const wchar_t*, const CRuntimeClass*& runtimeClass,
                                                   const CRuntimeClass* defaultClass)
{
    CArchive& ar = *m_pArchive;
    if (ar.IsStoring()) {
        ar.WriteClass(runtimeClass);
        return TRUE;
    }
    UINT schema = 0;
    runtimeClass = ar.ReadClass(defaultClass, &schema);
    if (!runtimeClass)
        return FALSE;
    m_nSchema = static_cast<int>(schema);
    return TRUE;
}

BOOL CXTPPropExchangeArchive::ExchangeObject(CObject*& object, const CRuntimeClass* expected)
{
    if (!CXTPPropExchange::ExchangeObject(object, expected))
        return FALSE;
    m_pArchive->MapObject(object);
    return TRUE;
}

CArchive* CXTPPropExchangeArchive::OpenArchive(const wchar_t*)
{
    return m_pArchive; // an object serialised into a property lands inline in the stream
}

void CXTPPropExchangeArchive::CloseArchive(const wchar_t*, CArchive*) {}

CXTPPropExchange* CXTPPropExchangeArchive::GetSection(const wchar_t*)
{
    auto* section = new CXTPPropExchangeArchive(*m_pArchive);
    section->InitSection(this);
    return section;
}

void CXTPPropExchangeArchive::WriteCount(DWORD count)
{
    m_pArchive->WriteCount(count);
}

DWORD CXTPPropExchangeArchive::ReadCount()
{
    return m_pArchive->ReadCount();
}

BOOL CXTPPropExchangeArchive::WriteBytes(const wchar_t*, const void* data, DWORD size)
{
    m_pArchive->Write(data, size);
    return TRUE;
}

DWORD CXTPPropExchangeArchive::ReadBytes(const wchar_t*, void* buffer, DWORD size)
{
    return m_pArchive->Read(buffer, size);
}

BOOL CXTPPropExchangeArchive::AllowsOmittedValues()
{
    return FALSE;
}

BOOL CXTPPropExchangeArchive::IsBinaryStore()
{
    return TRUE;
}

void CXTPPropExchangeArchive::ExchangeSchema()
{
    CArchive& ar = *m_pArchive;
    if (ar.IsStoring()) {
        ar << kSchemaMarker << static_cast<DWORD>(m_nSchema);
        return;
    }
    DWORD marker = 0;
    if (ar.Peek(&marker, sizeof(marker)) == sizeof(marker) && marker == kSchemaMarker) {
        DWORD schema = 0;
        ar >> marker >> schema;
        m_nSchema = static_cast<int>(schema);
        return;
    }
    m_nSchema = kUnmarkedSchema;
}
