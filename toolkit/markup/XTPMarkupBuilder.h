#pragma once
// The markup builder: it reads the tokens of a CXTPMarkupParser and builds the tree of markup
// objects they describe. Element names select types through the tag table, attributes set
// dependency properties (converted from text by the property's converter or the value type's
// ConvertFrom), text and child elements become content, property elements (Owner.Property) give a
// property a complex value, and attribute values in braces are markup extensions (x:Static,
// StaticResource, DynamicResource, x:Type). Every object is made through the markup context, so
// input elements know their context.
//
// On any error the builder drops everything it built and keeps an error text with the line and the
// position, both counted from 1. Errors are raised as CXTPMarkupBuilderException and caught only by
// Parse; outside a build, objects fail quietly.

#include "toolkit/markup/XTPMarkupObject.h"

#include "framework/Exception.h"
#include "framework/String.h"

#include <vector>

class CXTPMarkupContext;
class CXTPMarkupParser;
class CXTPMarkupUIElement;

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

// Resource keys standing for a system colour and a system brush (the Windows colour index).
class CXTPMarkupColorKey : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupColorKey)
public:
    explicit CXTPMarkupColorKey(int index = 0) : m_nIndex(index) {}
    int GetIndex() const { return m_nIndex; }

private:
    int m_nIndex;
};

class CXTPMarkupBrushKey : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupBrushKey)
public:
    explicit CXTPMarkupBrushKey(int index = 0) : m_nIndex(index) {}
    int GetIndex() const { return m_nIndex; }

private:
    int m_nIndex;
};

// An open property element (Owner.Property): content arriving between its tags becomes the value
// it passes to the enclosing element when it closes.
class CXTPMarkupObjectProperty : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupObjectProperty)
public:
    explicit CXTPMarkupObjectProperty(CXTPMarkupDependencyProperty* property = nullptr) : m_pProperty(property) {}

    // Content of the property's type (or any string) becomes the value; other content goes to the
    // value, made first when there is none, so several children fill one collection.
    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override { return m_pValue != nullptr; }

    CXTPMarkupDependencyProperty* GetProperty() const { return m_pProperty; }
    CXTPMarkupObject* GetValue() const { return m_pValue; }
    // The value, which the caller now owns.
    CXTPMarkupObject* DetachValue();

protected:
    ~CXTPMarkupObjectProperty() override;

private:
    CXTPMarkupObject* m_pValue = nullptr;       // owned
    CXTPMarkupObject* m_pBuildingValue = nullptr; // owned while content is being added to it
    CXTPMarkupDependencyProperty* m_pProperty;
};

class CXTPMarkupBuilder {
public:
    // The context is not owned; every object of the document is made through it. Without one
    // (objects built in code) nothing is bound and event attributes fail.
    explicit CXTPMarkupBuilder(CXTPMarkupContext* context = nullptr);
    CXTPMarkupBuilder(const CXTPMarkupBuilder&) = delete;
    CXTPMarkupBuilder& operator=(const CXTPMarkupBuilder&) = delete;
    virtual ~CXTPMarkupBuilder();

    // The root (the caller owns one reference) or null; on null GetLastError says why.
    CXTPMarkupUIElement* Parse(CXTPMarkupParser* parser);
    const CString& GetLastError() const { return m_strLastError; }

    // A new object of the property's value type made from value: the metadata's converter first,
    // then the value type's ConvertFrom; raises the conversion error when neither gives one. The
    // caller keeps its reference to value.
    CXTPMarkupObject* ConvertValue(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value);

    // A new object of the type (one reference) made through the context, or null when the type
    // cannot be made by name.
    CXTPMarkupObject* CreateObject(CXTPMarkupType* type);

    CXTPMarkupContext* GetMarkupContext() const { return m_pMarkupContext; }

    // System colours of this build (cached per index; each call adds a reference): the colour of
    // the index with alpha 255 and a solid brush of it. Null for an index outside 0..30.
    CXTPMarkupObject* GetSystemColorObject(int index);
    CXTPMarkupObject* GetSystemBrushObject(int index);
    // A "SystemColors." member (…Color, …Brush, …ColorKey, …BrushKey): a new reference, or null.
    CXTPMarkupObject* ResolveSystemColorsMember(const wchar_t* argument);

    // Raises the build error with a printf-style message (wide %ls).
    [[noreturn]] static void ThrowBuilderException(const wchar_t* format, ...);

    static constexpr int systemColorCount = 31;

private:
    enum CacheKind { cacheBrush, cacheColor, cacheBrushKey, cacheColorKey };
    static constexpr int cacheKinds = 4;

    CXTPMarkupObject* GetCachedSystemObject(CacheKind kind, int index);
    void BuildTokens(CXTPMarkupParser* parser);
    void FlushText(CXTPMarkupObject* target, bool allowPendingSpace);
    void OnStartTag(const wchar_t* name);
    void OnEndTag(const wchar_t* name);
    void OnAttribute(const wchar_t* name, const wchar_t* value);
    CXTPMarkupObject* ResolveMarkupExtension(const wchar_t* text);
    CXTPMarkupObject* ResolveResource(const wchar_t* argument);
    CXTPMarkupObject* FindResource(CXTPMarkupObject* key);
    void ReleaseAll();
    static void ApplyStyles(CXTPMarkupObject* object);

    CString m_strLastError;
    CXTPMarkupContext* m_pMarkupContext;
    CXTPMarkupObject** m_pSystemColors = nullptr;  // cacheKinds × systemColorCount slots, made on first use
    std::vector<CXTPMarkupObject*> m_stack;         // open elements, innermost last; one reference each

    // Build-time state of the token loop.
    std::wstring m_text;
    bool m_bPendingSpace = false;
    CXTPMarkupObject* m_pRoot = nullptr;    // the completed root
    CXTPMarkupObject* m_pPassing = nullptr; // the value being handed over (released on an error)
};
