#pragma once
// The markup builder's side that the object model calls while a document is built: value
// conversion and the build error. A build error is raised as CXTPMarkupBuilderException and is
// caught only by the builder; outside a build, objects fail quietly.

#include "toolkit/markup/XTPMarkupObject.h"

#include "framework/Exception.h"
#include "framework/String.h"

class CXTPMarkupBuilderException : public CException {
    DECLARE_DYNAMIC(CXTPMarkupBuilderException)
public:
    // At most 255 characters of the message are kept.
    explicit CXTPMarkupBuilderException(const wchar_t* message);
    bool GetErrorMessage(wchar_t* buffer, UINT bufferSize) const override;
    const CString& GetMessage() const { return m_strMessage; }

    enum { maxMessageLength = 255 };

private:
    CString m_strMessage;
};

class CXTPMarkupBuilder {
public:
    CXTPMarkupBuilder() = default;
    CXTPMarkupBuilder(const CXTPMarkupBuilder&) = delete;
    CXTPMarkupBuilder& operator=(const CXTPMarkupBuilder&) = delete;
    virtual ~CXTPMarkupBuilder() = default;

    // A new object of the property's value type made from value: the metadata's converter first,
    // then the value type's ConvertFrom; raises the conversion error when neither gives one. The
    // caller keeps its reference to value.
    CXTPMarkupObject* ConvertValue(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value);

    // A new object of the type (one reference), or null when the type cannot be made by name.
    CXTPMarkupObject* CreateObject(CXTPMarkupType* type);

    // Raises the build error with a printf-style message (wide %ls).
    [[noreturn]] static void ThrowBuilderException(const wchar_t* format, ...);
};
