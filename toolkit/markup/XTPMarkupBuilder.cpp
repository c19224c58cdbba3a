#include "toolkit/markup/XTPMarkupBuilder.h"

#include "toolkit/markup/XTPMarkupDependencyProperty.h"

#include <cstdarg>
#include <cwchar>

IMPLEMENT_DYNAMIC(CXTPMarkupBuilderException, CException)

CXTPMarkupBuilderException::CXTPMarkupBuilderException(const wchar_t* message)
    : m_strMessage(CString(message).Left(maxMessageLength))
{
}

bool CXTPMarkupBuilderException::GetErrorMessage(wchar_t* buffer, UINT bufferSize) const
{
    if (!buffer || bufferSize == 0)
        return false;
    wcsncpy(buffer, m_strMessage, bufferSize - 1);
    buffer[bufferSize - 1] = 0;
    return true;
}

void CXTPMarkupBuilder::ThrowBuilderException(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    CString message;
    message.FormatV(format, args);
    va_end(args);
    throw CXTPMarkupBuilderException(message);
}

CXTPMarkupObject* CXTPMarkupBuilder::CreateObject(CXTPMarkupType* type)
{
    return type ? type->CreateObject() : nullptr;
}

CXTPMarkupObject* CXTPMarkupBuilder::ConvertValue(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value)
{
    CXTPMarkupPropertyMetadata* metadata = property->GetMetadata();
    if (metadata && metadata->m_pConverter) {
        if (CXTPMarkupObject* converted = metadata->m_pConverter(this, value))
            return converted;
    }
    // ConvertFrom is asked of a temporary object of the value type: the conversion is the type's.
    CXTPMarkupType* valueType = property->GetPropertyType();
    if (CXTPMarkupObject* prototype = CreateObject(valueType)) {
        CXTPMarkupObject* converted = prototype->ConvertFrom(this, value);
        prototype->Release();
        if (converted)
            return converted;
    }
    ThrowBuilderException(L"Cannot convert string in attribute '%ls' to object of type '%ls'", property->GetName(),
                          valueType ? valueType->GetTypeName() : L"");
}
