#include "toolkit/markup/XTPMarkupBuilder.h"

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupDependencyProperty.h"
#include "toolkit/markup/XTPMarkupInputElement.h"
#include "toolkit/markup/XTPMarkupParser.h"
#include "toolkit/markup/XTPMarkupStyle.h"
#include "toolkit/markup/XTPMarkupTypeRegistry.h"
#include "toolkit/markup/XTPMarkupUIElement.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <cstdarg>
#include <cwchar>

IMPLEMENT_DYNAMIC(CXTPMarkupBuilderException, CException)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupColorKey, CXTPMarkupObject, nullptr, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupBrushKey, CXTPMarkupObject, nullptr, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupObjectProperty, CXTPMarkupObject, nullptr, nullptr)

namespace {

struct SystemColorName {
    const wchar_t* name;
    int index;
};

// In the order names are matched: a name that begins an entry selects the first such entry.
const SystemColorName kSystemColorNames[] = {
    {L"ActiveBorder", 10},         {L"ActiveCaption", 2},
    {L"ActiveCaptionText", 9},     {L"AppWorkspace", 12},
    {L"Control", 15},              {L"ControlDark", 16},
    {L"ControlDarkDark", 21},      {L"ControlLight", 22},
    {L"ControlLightLight", 20},    {L"ControlText", 18},
    {L"Desktop", 1},               {L"GradientActiveCaption", 27},
    {L"GradientInactiveCaption", 28}, {L"GrayText", 17},
    {L"Highlight", 13},            {L"HighlightText", 14},
    {L"HotTrack", 26},             {L"InactiveBorder", 11},
    {L"InactiveCaption", 3},       {L"InactiveCaptionText", 19},
    {L"Info", 24},                 {L"InfoText", 23},
    {L"Menu", 4},                  {L"MenuBar", 30},
    {L"MenuHighlight", 29},        {L"MenuText", 7},
    {L"ScrollBar", 0},             {L"Window", 5},
    {L"WindowFrame", 6},           {L"WindowText", 8},
};

bool StartsWith(const wchar_t* text, const wchar_t* prefix)
{
    return wcsncmp(text, prefix, wcslen(prefix)) == 0;
}

// Releases a held object when the scope is left by an error.
class ScopedObject {
public:
    explicit ScopedObject(CXTPMarkupObject* object) : m_pObject(object) {}
    ScopedObject(const ScopedObject&) = delete;
    ScopedObject& operator=(const ScopedObject&) = delete;
    ~ScopedObject() { MarkupRelease(m_pObject); }
    CXTPMarkupObject* Get() const { return m_pObject; }

private:
    CXTPMarkupObject* m_pObject;
};

} // namespace

// ---- The build error

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

// ---- Property elements

CXTPMarkupObjectProperty::~CXTPMarkupObjectProperty()
{
    MarkupRelease(m_pValue);
    MarkupRelease(m_pBuildingValue);
}

CXTPMarkupObject* CXTPMarkupObjectProperty::DetachValue()
{
    CXTPMarkupObject* value = m_pValue;
    m_pValue = nullptr;
    return value;
}

void CXTPMarkupObjectProperty::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    if (!content || !m_pProperty)
        return;
    CXTPMarkupType* valueType = m_pProperty->GetPropertyType();
    if (content->IsKindOf(valueType) || MarkupDynamicCast<CXTPMarkupString>(content)) {
        MarkupRelease(m_pValue);
        m_pValue = content;
        return;
    }
    if (m_pValue) {
        m_pValue->SetContentObject(builder, content);
        return;
    }
    CXTPMarkupObject* value = builder ? builder->CreateObject(valueType) : valueType->CreateObject();
    if (!value)
        CXTPMarkupObject::SetContentObject(builder, content);
    // Held here while it takes the content, so that an error releases it with this element.
    m_pBuildingValue = value;
    value->SetContentObject(builder, content);
    m_pBuildingValue = nullptr;
    m_pValue = value;
}

// ---- Builder

CXTPMarkupBuilder::CXTPMarkupBuilder(CXTPMarkupContext* context) : m_pMarkupContext(context)
{
}

CXTPMarkupBuilder::~CXTPMarkupBuilder()
{
    ReleaseAll();
    if (m_pSystemColors) {
        for (int i = 0; i < cacheKinds * systemColorCount; ++i)
            MarkupRelease(m_pSystemColors[i]);
        delete[] m_pSystemColors;
    }
}

void CXTPMarkupBuilder::ReleaseAll()
{
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
        (*it)->Release();
    m_stack.clear();
    MarkupRelease(m_pRoot);
    MarkupRelease(m_pPassing);
    m_text.clear();
    m_bPendingSpace = false;
}

CXTPMarkupObject* CXTPMarkupBuilder::CreateObject(CXTPMarkupType* type)
{
    if (!type)
        return nullptr;
    return m_pMarkupContext ? m_pMarkupContext->CreateObject(type) : type->CreateObject();
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
        // A conversion may raise its own build error (bad path data): the prototype goes either way.
        CXTPMarkupObject* converted = nullptr;
        try {
            converted = prototype->ConvertFrom(this, value);
        } catch (...) {
            prototype->Release();
            throw;
        }
        prototype->Release();
        if (converted)
            return converted;
    }
    ThrowBuilderException(L"Cannot convert string in attribute '%ls' to object of type '%ls'", property->GetName(),
                          valueType ? valueType->GetTypeName() : L"");
}

CXTPMarkupUIElement* CXTPMarkupBuilder::Parse(CXTPMarkupParser* parser)
{
    m_strLastError.Empty();
    ReleaseAll();
    if (!parser || !parser->FirstTag()) {
        m_strLastError = L"Data at the root level is invalid";
        return nullptr;
    }
    try {
        BuildTokens(parser);
    } catch (CXTPMarkupBuilderException& e) {
        m_strLastError.Format(L"%ls. Line %i, position %i", static_cast<const wchar_t*>(e.GetMessage()),
                              parser->GetLine() + 1, parser->GetPosition() + 1);
        ReleaseAll();
        return nullptr;
    }
    CXTPMarkupObject* root = m_pRoot;
    m_pRoot = nullptr;
    ReleaseAll();
    CXTPMarkupUIElement* element = MarkupDynamicCast<CXTPMarkupUIElement>(root);
    if (!element) {
        m_strLastError = L"Root element have to be 'CXTPMarkupUIElement' type";
        MarkupRelease(root);
        return nullptr;
    }
    ApplyStyles(element);
    return element;
}

void CXTPMarkupBuilder::ApplyStyles(CXTPMarkupObject* object)
{
    const int count = object->GetLogicalChildrenCount();
    for (int i = 0; i < count; ++i) {
        if (CXTPMarkupObject* child = object->GetLogicalChild(i))
            ApplyStyles(child);
    }
    if (CXTPMarkupInputElement* element = MarkupDynamicCast<CXTPMarkupInputElement>(object))
        element->OnApplyStyle();
}

void CXTPMarkupBuilder::BuildTokens(CXTPMarkupParser* parser)
{
    for (;;) {
        const int token = parser->NextToken();
        switch (token) {
        case CXTPMarkupParser::tokenEof:
            if (!m_stack.empty()) {
                const wchar_t* tag = m_stack.back()->GetTagName();
                ThrowBuilderException(L"Unexpected end of file has occurred. The following elements are not closed: '%ls'",
                                      tag ? tag : L"");
            }
            if (!m_pRoot)
                ThrowBuilderException(L"Root element is missing");
            return;
        case CXTPMarkupParser::tokenStartTag:
            OnStartTag(parser->GetTagName());
            break;
        case CXTPMarkupParser::tokenEndTag:
            OnEndTag(parser->GetTagName());
            break;
        case CXTPMarkupParser::tokenAttribute:
            OnAttribute(parser->GetAttributeName(), parser->GetValue());
            break;
        case CXTPMarkupParser::tokenText:
            if (m_stack.empty())
                ThrowBuilderException(L"Data at the root level is invalid");
            if (m_bPendingSpace && (!m_text.empty() || m_stack.back()->HasContentObject()))
                m_text += L' ';
            m_bPendingSpace = false;
            m_text.append(parser->GetValue(), parser->GetValueLength());
            break;
        case CXTPMarkupParser::tokenSpace:
            m_bPendingSpace = true;
            break;
        case CXTPMarkupParser::tokenError:
            ThrowBuilderException(L"%ls", parser->GetValue());
        default:
            // Comments, character-data sections and processing instructions carry nothing here.
            break;
        }
    }
}

void CXTPMarkupBuilder::FlushText(CXTPMarkupObject* target, bool allowPendingSpace)
{
    const bool pendingSpace = allowPendingSpace && m_bPendingSpace;
    CXTPMarkupString* content = nullptr;
    if (!m_text.empty()) {
        if (pendingSpace)
            m_text += L' ';
        content = CreateMarkupString(m_text.c_str(), static_cast<int>(m_text.size()));
    } else if (pendingSpace && target && target->HasContentObject() && target->AllowWhiteSpaceContent()) {
        content = CreateMarkupString(L" ");
    }
    m_text.clear();
    m_bPendingSpace = false;
    if (!content)
        return;
    if (!target) {
        content->Release();
        return;
    }
    m_pPassing = content;
    target->SetContentObject(this, content);
    m_pPassing = nullptr;
}

void CXTPMarkupBuilder::OnStartTag(const wchar_t* name)
{
    if (m_stack.empty() && m_pRoot)
        ThrowBuilderException(L"There are multiple root elements");
    FlushText(m_stack.empty() ? nullptr : m_stack.back(), true);

    CXTPMarkupObject* object = nullptr;
    if (const wchar_t* dot = wcschr(name, L'.')) {
        // A property element: never the root.
        const std::wstring ownerTag(name, dot - name);
        CXTPMarkupType* owner = FindMarkupType(ownerTag.c_str());
        CXTPMarkupDependencyProperty* property =
            owner ? CXTPMarkupDependencyProperty::FindProperty(owner, dot + 1) : nullptr;
        if (!property || m_stack.empty())
            ThrowBuilderException(L"The tag '%ls' does not exist in XML namespace", name);
        object = new CXTPMarkupObjectProperty(property);
    } else {
        CXTPMarkupType* type = FindMarkupType(name);
        object = type ? CreateObject(type) : nullptr;
        if (!object)
            ThrowBuilderException(L"The tag '%ls' does not exist in XML namespace", name);
    }
    object->SetTagName(name);
    m_stack.push_back(object);
}

void CXTPMarkupBuilder::OnEndTag(const wchar_t* name)
{
    if (m_stack.empty())
        ThrowBuilderException(L"Unexpected end tag");
    // The element stays on the stack until its text is in, so that an error releases it there.
    CXTPMarkupObject* element = m_stack.back();
    const wchar_t* startTag = element->GetTagName() ? element->GetTagName() : L"";
    if (wcscmp(startTag, name) != 0)
        ThrowBuilderException(L"The '%ls' start tag does not match the end tag of '%ls'", startTag, name);
    FlushText(element, false);
    m_stack.pop_back();
    m_pPassing = element;

    if (CXTPMarkupObjectProperty* propertyElement = MarkupDynamicCast<CXTPMarkupObjectProperty>(element)) {
        CXTPMarkupDependencyProperty* property = propertyElement->GetProperty();
        if (!propertyElement->HasContentObject())
            ThrowBuilderException(L"'%ls' property does not have a value", property->GetName());
        CXTPMarkupObject* value = propertyElement->DetachValue();
        propertyElement->Release();
        m_pPassing = value;
        // A property element is never the root, so an element is still open.
        m_stack.back()->SetPropertyObject(this, property, value);
        m_pPassing = nullptr;
        return;
    }
    if (m_stack.empty()) {
        m_pRoot = element;
        m_pPassing = nullptr;
        return;
    }
    m_stack.back()->SetContentObject(this, element);
    m_pPassing = nullptr;
}

void CXTPMarkupBuilder::OnAttribute(const wchar_t* name, const wchar_t* text)
{
    if (wcsncmp(name, L"xmlns", 5) == 0)
        return;
    if (m_stack.empty())
        return;
    CXTPMarkupObject* target = m_stack.back();
    CXTPMarkupDependencyProperty* property = nullptr;
    if (const wchar_t* dot = wcschr(name, L'.')) {
        const std::wstring ownerTag(name, dot - name);
        if (CXTPMarkupType* owner = FindMarkupType(ownerTag.c_str()))
            property = CXTPMarkupDependencyProperty::FindProperty(owner, dot + 1);
    } else {
        property = CXTPMarkupDependencyProperty::FindProperty(target->GetType(), name);
    }
    if (!property)
        ThrowBuilderException(L"The property '%ls' does not exist in XML namespace", name);

    CXTPMarkupObject* value = nullptr;
    if (text[0] == L'{' && text[1] == L'}')
        value = CreateMarkupString(text + 2);
    else if (text[0] == L'{')
        value = ResolveMarkupExtension(text + 1);
    else
        value = CreateMarkupString(text);
    m_pPassing = value;
    target->SetPropertyObject(this, property, value);
    m_pPassing = nullptr;
}

CXTPMarkupObject* CXTPMarkupBuilder::ResolveMarkupExtension(const wchar_t* text)
{
    const size_t length = wcslen(text);
    if (length == 0 || text[length - 1] != L'}')
        ThrowBuilderException(L"Markup extension expressions must end with '}'");
    const std::wstring body(text, length - 1);
    // The argument is used exactly as written: trailing spaces stay part of it.
    if (StartsWith(body.c_str(), L"x:Static ")) {
        const wchar_t* argument = body.c_str() + 9;
        CXTPMarkupObject* member = ResolveSystemColorsMember(argument);
        if (!member)
            ThrowBuilderException(L"Cannot find the static member  '%ls'", argument);
        return member;
    }
    if (StartsWith(body.c_str(), L"StaticResource "))
        return ResolveResource(body.c_str() + 15);
    if (StartsWith(body.c_str(), L"DynamicResource "))
        return ResolveResource(body.c_str() + 16);
    if (StartsWith(body.c_str(), L"x:Type ")) {
        const wchar_t* argument = body.c_str() + 7;
        CXTPMarkupType* type = FindMarkupType(argument);
        if (!type)
            ThrowBuilderException(L"Cannot find type '%ls'", argument);
        type->AddRef();
        return type;
    }
    ThrowBuilderException(L"The tag '%ls' does not exist in XML namespace", body.c_str());
}

CXTPMarkupObject* CXTPMarkupBuilder::ResolveResource(const wchar_t* argument)
{
    const wchar_t* text = argument;
    while (*text == L' ' || *text == L'\r' || *text == L'\n')
        ++text;
    CXTPMarkupObject* keyObject = nullptr;
    if (text[0] == L'{' && text[1] == L'}')
        keyObject = CreateMarkupString(text + 2);
    else if (text[0] == L'{')
        keyObject = ResolveMarkupExtension(text + 1);
    else
        keyObject = CreateMarkupString(text);
    ScopedObject key(keyObject);

    if (CXTPMarkupObject* found = FindResource(key.Get())) {
        found->AddRef();
        return found;
    }
    if (const CXTPMarkupColorKey* colorKey = MarkupDynamicCast<CXTPMarkupColorKey>(key.Get()))
        return GetSystemColorObject(colorKey->GetIndex());
    if (const CXTPMarkupBrushKey* brushKey = MarkupDynamicCast<CXTPMarkupBrushKey>(key.Get()))
        return GetSystemBrushObject(brushKey->GetIndex());
    ThrowBuilderException(L"Cannot find resource named '%ls'. Resource names are case sensitive", argument);
}

CXTPMarkupObject* CXTPMarkupBuilder::FindResource(CXTPMarkupObject* key)
{
    // The open elements, innermost first, each with the dictionary it holds so far; an open
    // property element offers its value's (a dictionary being filled answers from what it has).
    for (auto walk = m_stack.rbegin(); walk != m_stack.rend(); ++walk) {
        CXTPMarkupObject* open = *walk;
        if (CXTPMarkupObjectProperty* property = MarkupDynamicCast<CXTPMarkupObjectProperty>(open))
            open = property->GetValue();
        if (CXTPMarkupResourceDictionary* resources = MarkupGetOwnResources(open)) {
            if (CXTPMarkupObject* found = resources->Lookup(key))
                return found;
        }
    }
    return nullptr;
}

// ---- System colours

CXTPMarkupObject* CXTPMarkupBuilder::GetCachedSystemObject(CacheKind kind, int index)
{
    if (index < 0 || index >= systemColorCount)
        return nullptr;
    if (!m_pSystemColors) {
        m_pSystemColors = new CXTPMarkupObject*[cacheKinds * systemColorCount];
        for (int i = 0; i < cacheKinds * systemColorCount; ++i)
            m_pSystemColors[i] = nullptr;
    }
    CXTPMarkupObject*& slot = m_pSystemColors[static_cast<int>(kind) * systemColorCount + index];
    if (!slot) {
        // The colour current at the first use in this build; a later document reads it afresh.
        switch (kind) {
        case cacheBrush:
            slot = new CXTPMarkupSolidColorBrush(GetSysColor(index));
            break;
        case cacheColor:
            slot = CXTPMarkupColor::FromRgb(GetSysColor(index));
            break;
        case cacheBrushKey:
            slot = new CXTPMarkupBrushKey(index);
            break;
        default:
            slot = new CXTPMarkupColorKey(index);
            break;
        }
    }
    slot->AddRef();
    return slot;
}

CXTPMarkupObject* CXTPMarkupBuilder::GetSystemColorObject(int index)
{
    return GetCachedSystemObject(cacheColor, index);
}

CXTPMarkupObject* CXTPMarkupBuilder::GetSystemBrushObject(int index)
{
    return GetCachedSystemObject(cacheBrush, index);
}

CXTPMarkupObject* CXTPMarkupBuilder::ResolveSystemColorsMember(const wchar_t* argument)
{
    static const wchar_t prefix[] = L"SystemColors.";
    const size_t prefixLength = 13;
    if (!argument || wcslen(argument) < 20 || wcsncmp(argument, prefix, prefixLength) != 0)
        return nullptr;
    const wchar_t* member = argument + prefixLength;
    const size_t memberLength = wcslen(member);

    struct Suffix {
        const wchar_t* text;
        CacheKind kind;
    };
    static const Suffix suffixes[] = {
        {L"Color", cacheColor}, {L"Brush", cacheBrush}, {L"ColorKey", cacheColorKey}, {L"BrushKey", cacheBrushKey}};
    for (const Suffix& suffix : suffixes) {
        const size_t suffixLength = wcslen(suffix.text);
        if (memberLength < suffixLength || wcscmp(member + memberLength - suffixLength, suffix.text) != 0)
            continue;
        const size_t nameLength = memberLength - suffixLength;
        // Only the given name's length is compared: a beginning selects the first entry it begins,
        // and an empty name ("SystemColors.ColorKey") the first entry of all.
        for (const SystemColorName& entry : kSystemColorNames) {
            if (wcslen(entry.name) >= nameLength && wcsncmp(entry.name, member, nameLength) == 0)
                return GetCachedSystemObject(suffix.kind, entry.index);
        }
        return nullptr;
    }
    return nullptr;
}
