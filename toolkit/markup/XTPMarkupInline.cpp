#include "toolkit/markup/XTPMarkupInline.h"

#include "toolkit/foundation/XTPOsVersion.h"
#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupStyle.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <cstring>
#include <cwchar>

IMPLEMENT_MARKUPCLASS(L"FrameworkContentElement", CXTPMarkupFrameworkContentElement, CXTPMarkupInputElement,
                      &CreateMarkupObject<CXTPMarkupFrameworkContentElement>,
                      &CXTPMarkupFrameworkContentElement::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"TextElement", CXTPMarkupTextElement, CXTPMarkupFrameworkContentElement,
                      &CreateMarkupObject<CXTPMarkupTextElement>, &CXTPMarkupTextElement::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupInline, CXTPMarkupTextElement, nullptr, &CXTPMarkupInline::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"Run", CXTPMarkupRun, CXTPMarkupInline, &CreateMarkupObject<CXTPMarkupRun>,
                      &CXTPMarkupRun::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"LineBreak", CXTPMarkupLineBreak, CXTPMarkupRun, &CreateMarkupObject<CXTPMarkupLineBreak>, nullptr)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupInlineCollection, CXTPMarkupCollection,
                      &CreateMarkupObject<CXTPMarkupInlineCollection>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Span", CXTPMarkupSpan, CXTPMarkupInline, &CreateMarkupObject<CXTPMarkupSpan>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Bold", CXTPMarkupBold, CXTPMarkupSpan, &CreateMarkupObject<CXTPMarkupBold>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Italic", CXTPMarkupItalic, CXTPMarkupSpan, &CreateMarkupObject<CXTPMarkupItalic>, nullptr)
IMPLEMENT_MARKUPCLASS(L"Underline", CXTPMarkupUnderline, CXTPMarkupSpan, &CreateMarkupObject<CXTPMarkupUnderline>,
                      nullptr)
IMPLEMENT_MARKUPCLASS(L"Hyperlink", CXTPMarkupHyperlink, CXTPMarkupSpan, &CreateMarkupObject<CXTPMarkupHyperlink>,
                      &CXTPMarkupHyperlink::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"InlineUIContainer", CXTPMarkupInlineUIContainer, CXTPMarkupInline,
                      &CreateMarkupObject<CXTPMarkupInlineUIContainer>, nullptr)

CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pBackgroundProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pForegroundProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pFontSizeProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pFontWeightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pFontFamilyProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pFontStyleProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pTextDecorationsProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pFontQualityProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupTextElement::m_pFontCharsetProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupInline::m_pBaselineAlignmentProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupRun::m_pTextProperty = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupHyperlink::m_pClickEvent = nullptr;

namespace {

const CXTPMarkupInt* GetInt(const CXTPMarkupObject* object, CXTPMarkupDependencyProperty* property)
{
    return MarkupDynamicCast<CXTPMarkupInt>(object->GetValue(property));
}

const CXTPMarkupEnum* GetEnum(const CXTPMarkupObject* object, CXTPMarkupDependencyProperty* property)
{
    return MarkupDynamicCast<CXTPMarkupEnum>(object->GetValue(property));
}

// Objects made for content go through the build's context (or the owner's, outside a build) so
// that they are bound to it like everything else in the document.
CXTPMarkupObject* CreateContentObject(CXTPMarkupBuilder* builder, CXTPMarkupInputElement* owner, CXTPMarkupType* type)
{
    if (builder)
        return builder->CreateObject(type);
    if (owner && owner->GetMarkupContext())
        return owner->GetMarkupContext()->CreateObject(type);
    return type->CreateObject();
}

const wchar_t* CharPointer(MarkupTextPosition position)
{
    return position == XTP_MARKUP_NO_POSITION || position == 0 ? nullptr
                                                               : reinterpret_cast<const wchar_t*>(position);
}

wchar_t CharAt(MarkupTextPosition position)
{
    const wchar_t* p = CharPointer(position);
    return p ? *p : 0;
}

void InvalidateFrameworkParent(const CXTPMarkupFrameworkContentElement* element)
{
    if (CXTPMarkupFrameworkElement* parent = element->GetParentFrameworkElement())
        parent->InvalidateMeasure();
}

} // namespace

void MarkupSetFaceName(LOGFONTW& lf, const wchar_t* face)
{
    if (!face)
        return;
    const size_t length = wcslen(face);
    // A cut name could select an unrelated font: a name that does not fit keeps the default face.
    if (length >= LF_FACESIZE)
        return;
    wmemset(lf.lfFaceName, 0, LF_FACESIZE);
    wmemcpy(lf.lfFaceName, face, length);
}

// ---- Framework content elements and text elements

void CXTPMarkupFrameworkContentElement::RegisterMarkupClass()
{
    CXTPMarkupType::RegisterProperties(CXTPMarkupFrameworkElement::MarkupType());
    CXTPMarkupFrameworkElement::m_pTagProperty->AddOwner(MarkupType());
}

CXTPMarkupFrameworkElement* CXTPMarkupFrameworkContentElement::GetParentFrameworkElement() const
{
    for (CXTPMarkupObject* walk = GetLogicalParent(); walk; walk = walk->GetLogicalParent()) {
        if (CXTPMarkupFrameworkElement* element = MarkupDynamicCast<CXTPMarkupFrameworkElement>(walk))
            return element;
    }
    return nullptr;
}

CXTPMarkupInputElement* CXTPMarkupFrameworkContentElement::InputHitTest(int, int) const
{
    return const_cast<CXTPMarkupFrameworkContentElement*>(this);
}

void CXTPMarkupFrameworkContentElement::OnPropertyChanged(CXTPMarkupDependencyProperty* property,
                                                          CXTPMarkupObject* oldValue, CXTPMarkupObject* newValue)
{
    CXTPMarkupInputElement::OnPropertyChanged(property, oldValue, newValue);
    UpdateTriggers(property, newValue);
    CXTPMarkupFrameworkElement* parent = GetParentFrameworkElement();
    const DWORD flags = property ? property->GetFlags() : 0;
    if (!parent)
        return;
    if (flags & CXTPMarkupPropertyMetadata::flagAffectsMeasure)
        parent->InvalidateMeasure();
    if (flags & CXTPMarkupPropertyMetadata::flagAffectsArrange)
        parent->InvalidateArrange();
    if (flags & CXTPMarkupPropertyMetadata::flagAffectsRender)
        parent->InvalidateVisual();
}

void CXTPMarkupTextElement::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    const DWORD inheritsRender = Metadata::flagInherited | Metadata::flagAffectsRender;
    const DWORD inheritsMeasure = Metadata::flagInherited | Metadata::flagAffectsMeasure;
    auto attach = [&](const wchar_t* name, CXTPMarkupType* type, Metadata* metadata) {
        return CXTPMarkupDependencyProperty::RegisterAttached(name, type, owner, metadata);
    };
    m_pBackgroundProperty = attach(L"Background", CXTPMarkupBrush::MarkupType(), new Metadata(nullptr, inheritsRender));
    m_pForegroundProperty = attach(L"Foreground", CXTPMarkupBrush::MarkupType(), new Metadata(nullptr, inheritsRender));
    m_pFontSizeProperty =
        attach(L"FontSize", CXTPMarkupInt::MarkupType(), new Metadata(nullptr, &MarkupConvertSize, inheritsMeasure));
    m_pFontWeightProperty = attach(L"FontWeight", CXTPMarkupEnum::MarkupType(),
                                   new Metadata(nullptr, &MarkupConvertFontWeight, inheritsMeasure));
    m_pFontFamilyProperty = attach(L"FontFamily", CXTPMarkupString::MarkupType(), new Metadata(nullptr, inheritsMeasure));
    m_pFontStyleProperty = attach(L"FontStyle", CXTPMarkupEnum::MarkupType(),
                                  new Metadata(nullptr, &MarkupConvertFontStyle, inheritsMeasure));
    m_pTextDecorationsProperty = attach(L"TextDecorations", CXTPMarkupEnum::MarkupType(),
                                        new Metadata(nullptr, &MarkupConvertTextDecorations, inheritsRender));
    m_pFontQualityProperty = attach(L"FontQuality", CXTPMarkupEnum::MarkupType(),
                                    new Metadata(nullptr, &MarkupConvertFontQuality, inheritsRender));
    m_pFontCharsetProperty = attach(L"FontCharset", CXTPMarkupInt::MarkupType(), new Metadata(nullptr, inheritsRender));
}

void CXTPMarkupTextElement::SetFontWeight(int weight)
{
    SetValue(m_pFontWeightProperty, CreateMarkupEnum(weight));
}

void CXTPMarkupTextElement::SetFontStyle(int style)
{
    SetValue(m_pFontStyleProperty, CreateMarkupEnum(style));
}

void CXTPMarkupTextElement::SetTextDecorations(int decorations)
{
    SetValue(m_pTextDecorationsProperty, CreateMarkupEnum(decorations));
}

CXTPMarkupBrush* CXTPMarkupTextElement::GetBackground() const
{
    return MarkupDynamicCast<CXTPMarkupBrush>(GetValue(m_pBackgroundProperty));
}

CXTPMarkupBrush* CXTPMarkupTextElement::GetForeground() const
{
    return MarkupDynamicCast<CXTPMarkupBrush>(GetValue(m_pForegroundProperty));
}

// ---- Inlines

void CXTPMarkupInline::RegisterMarkupClass()
{
    m_pBaselineAlignmentProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"BaselineAlignment", CXTPMarkupEnum::MarkupType(), MarkupType(),
        new CXTPMarkupPropertyMetadata(nullptr, &MarkupConvertBaselineAlignment,
                                       CXTPMarkupPropertyMetadata::flagAffectsArrange));
}

CXTPMarkupInline* CXTPMarkupInline::GetFirstInline() const
{
    return const_cast<CXTPMarkupInline*>(this);
}

SIZE CXTPMarkupInline::MeasureRange(CXTPMarkupDrawingContext*, MarkupTextPosition, MarkupTextPosition)
{
    return SIZE{0, 0};
}

CXTPMarkupInline::BaselineAlignment CXTPMarkupInline::GetBaselineAlignment() const
{
    const CXTPMarkupEnum* value = GetEnum(this, m_pBaselineAlignmentProperty);
    return value ? static_cast<BaselineAlignment>(static_cast<int>(*value)) : baselineBaseline;
}

CXTPMarkupInline* CXTPMarkupInline::GetNextInline() const
{
    const CXTPMarkupInline* current = this;
    for (;;) {
        CXTPMarkupInlineCollection* collection = MarkupDynamicCast<CXTPMarkupInlineCollection>(current->GetLogicalParent());
        if (!collection)
            return nullptr;
        const int next = current->m_nIndex + 1;
        if (next > 0 && next < collection->GetCount())
            return collection->GetInline(next)->GetFirstInline();
        CXTPMarkupSpan* span = MarkupDynamicCast<CXTPMarkupSpan>(collection->GetLogicalParent());
        if (!span)
            return nullptr;
        current = span;
    }
}

// ---- Runs

void CXTPMarkupRun::RegisterMarkupClass()
{
    m_pTextProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Text", CXTPMarkupString::MarkupType(), MarkupType(),
        new CXTPMarkupPropertyMetadata(nullptr, CXTPMarkupPropertyMetadata::flagAffectsMeasure));
}

CXTPMarkupRun::~CXTPMarkupRun()
{
    MarkupRelease(m_pFont);
    MarkupRelease(m_pPositionText);
}

void CXTPMarkupRun::OnFinalRelease()
{
    // The font belongs to the context's cache: it goes before the element lets its context go.
    MarkupRelease(m_pFont);
    MarkupRelease(m_pPositionText);
    CXTPMarkupInline::OnFinalRelease();
}

void CXTPMarkupRun::SetText(CXTPMarkupString* text)
{
    SetValue(m_pTextProperty, text);
}

void CXTPMarkupRun::SetText(const wchar_t* text)
{
    SetValue(m_pTextProperty, text ? CreateMarkupString(text) : nullptr);
}

const wchar_t* CXTPMarkupRun::GetText() const
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(GetValue(m_pTextProperty));
    return text ? text->GetBuffer() : nullptr;
}

void CXTPMarkupRun::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    if (CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(content)) {
        SetText(text);
        return;
    }
    CXTPMarkupInline::SetContentObject(builder, content);
}

BOOL CXTPMarkupRun::HasContentObject() const
{
    return CXTPMarkupObject::GetLocalValue(m_pTextProperty) != nullptr;
}

MarkupTextPosition CXTPMarkupRun::GetFirstPosition() const
{
    CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(GetValue(m_pTextProperty));
    if (!text || text->GetLength() == 0)
        return XTP_MARKUP_NO_POSITION;
    if (text != m_pPositionText) {
        text->AddRef();
        MarkupRelease(m_pPositionText);
        m_pPositionText = text;
    }
    return reinterpret_cast<MarkupTextPosition>(text->GetBuffer());
}

MarkupTextPosition CXTPMarkupRun::GetNextPosition(MarkupTextPosition position) const
{
    const wchar_t* p = CharPointer(position);
    if (!p || *p == 0)
        return XTP_MARKUP_NO_POSITION;
    // Both halves of a surrogate pair make one position.
    const int step = IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1]) ? 2 : 1;
    return reinterpret_cast<MarkupTextPosition>(p + step);
}

BOOL CXTPMarkupRun::IsWordBreakPosition(MarkupTextPosition position) const
{
    const wchar_t ch = CharAt(position);
    return ch == L'\t' || ch == L'\n' || ch == L' ';
}

BOOL CXTPMarkupRun::IsLineBreakPosition(MarkupTextPosition position) const
{
    return CharAt(position) == L'\n';
}

BOOL CXTPMarkupRun::IsCarriageReturnPosition(MarkupTextPosition position) const
{
    return CharAt(position) == L'\r';
}

BOOL CXTPMarkupRun::IsWhiteSpacePosition(MarkupTextPosition position) const
{
    const wchar_t ch = CharAt(position);
    return ch == L' ' || ch == L'\t';
}

void CXTPMarkupRun::GetLogFont(LOGFONTW* lf) const
{
    if (!lf)
        return;
    if (m_pMarkupContext) {
        *lf = m_pMarkupContext->GetDefaultLogFont();
    } else {
        *lf = LOGFONTW{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), lf);
    }
    if (const CXTPMarkupInt* size = GetInt(this, CXTPMarkupTextElement::m_pFontSizeProperty))
        lf->lfHeight = -static_cast<int>(*size);
    if (const CXTPMarkupEnum* weight = GetEnum(this, CXTPMarkupTextElement::m_pFontWeightProperty))
        lf->lfWeight = static_cast<int>(*weight);
    if (const CXTPMarkupEnum* style = GetEnum(this, CXTPMarkupTextElement::m_pFontStyleProperty))
        lf->lfItalic = static_cast<int>(*style) != 0 ? 1 : 0;
    if (const CXTPMarkupEnum* quality = GetEnum(this, CXTPMarkupTextElement::m_pFontQualityProperty)) {
        // Older systems know no ClearType quality.
        if (GetOsVersionCache().IsWinXPOrLater())
            lf->lfQuality = static_cast<BYTE>(static_cast<int>(*quality));
    }
    if (const CXTPMarkupInt* charset = GetInt(this, CXTPMarkupTextElement::m_pFontCharsetProperty))
        lf->lfCharSet = static_cast<BYTE>(static_cast<int>(*charset));
    const CXTPMarkupString* family =
        MarkupDynamicCast<CXTPMarkupString>(GetValue(CXTPMarkupTextElement::m_pFontFamilyProperty));
    if (family)
        MarkupSetFaceName(*lf, family->GetBuffer());
}

void CXTPMarkupRun::PrepareMeasure(CXTPMarkupDrawingContext* dc)
{
    if (!dc)
        return;
    LOGFONTW lf = {};
    GetLogFont(&lf);
    // Without a context there is no font cache: the run measures in the DC's own font.
    if (m_pMarkupContext && (!m_pFont || memcmp(&m_pFont->GetLogFont(), &lf, sizeof(lf)) != 0)) {
        CXTPMarkupFont* font = m_pMarkupContext->GetFont(&lf);
        MarkupRelease(m_pFont);
        m_pFont = font;
    }
    dc->SetFont(m_pFont);
    HDC hdc = dc->GetDC();
    TEXTMETRICW metrics = {};
    GetTextMetricsW(hdc, &metrics);
    dc->ReleaseDC(hdc);
    m_nBaseline = metrics.tmDescent;
}

SIZE CXTPMarkupRun::MeasureRange(CXTPMarkupDrawingContext* dc, MarkupTextPosition from, MarkupTextPosition to)
{
    const wchar_t* start = CharPointer(from);
    const wchar_t* end = CharPointer(to);
    if (!dc || !start || !end)
        return SIZE{0, 0};
    dc->SetFont(m_pFont);
    if (start == end) {
        // An empty piece still has the height of a line.
        const SIZE space = dc->GetTextExtent(L" ", 1);
        return SIZE{0, space.cy};
    }
    return dc->GetTextExtent(start, static_cast<int>(end - start));
}

void CXTPMarkupRun::RenderRange(CXTPMarkupDrawingContext* dc, const RECT& rc, MarkupTextPosition from,
                                MarkupTextPosition to)
{
    const wchar_t* start = CharPointer(from);
    const wchar_t* end = CharPointer(to);
    if (!dc || !start || !end || start == end)
        return;
    dc->SetFont(m_pFont);
    dc->DrawTextLine(start, static_cast<int>(end - start), rc);
}

CXTPMarkupLineBreak::CXTPMarkupLineBreak()
{
    CXTPMarkupType::RegisterProperties(MarkupType());
    SetText(CreateMarkupString(L"\n"));
}

// ---- Inline collections and spans

CXTPMarkupInlineCollection::CXTPMarkupInlineCollection() : CXTPMarkupCollection(CXTPMarkupInline::MarkupType()) {}

void CXTPMarkupInlineCollection::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    CXTPMarkupInputElement* owner = MarkupDynamicCast<CXTPMarkupInputElement>(GetLogicalParent());
    if (content && content->IsKindOf(CXTPMarkupInline::MarkupType())) {
        Add(content);
        return;
    }
    if (owner && MarkupDynamicCast<CXTPMarkupString>(content)) {
        CXTPMarkupRun* run =
            MarkupDynamicCast<CXTPMarkupRun>(CreateContentObject(builder, owner, CXTPMarkupRun::MarkupType()));
        if (run) {
            run->SetText(static_cast<CXTPMarkupString*>(content));
            Add(run);
            return;
        }
    }
    if (owner && MarkupDynamicCast<CXTPMarkupUIElement>(content)) {
        CXTPMarkupInlineUIContainer* container = MarkupDynamicCast<CXTPMarkupInlineUIContainer>(
            CreateContentObject(builder, owner, CXTPMarkupInlineUIContainer::MarkupType()));
        if (container) {
            container->SetChild(static_cast<CXTPMarkupUIElement*>(content));
            Add(container);
            return;
        }
    }
    CXTPMarkupBuilder::ThrowBuilderException(
        L"'%ls' object cannot be added to '%ls'. Object cannot be converted to type 'CXTPMarkupInline'",
        content ? content->GetType()->GetTypeName() : L"", GetType()->GetTypeName());
}

void CXTPMarkupInlineCollection::OnItemAdded(CXTPMarkupObject* item, int index)
{
    static_cast<CXTPMarkupInline*>(item)->SetIndex(index);
}

void CXTPMarkupInlineCollection::OnChanged()
{
    // An insertion or removal shifts the items after it: every index is written again.
    for (int i = 0; i < GetCount(); ++i)
        GetInline(i)->SetIndex(i);
    CXTPMarkupObject* owner = GetLogicalParent();
    if (CXTPMarkupFrameworkElement* element = MarkupDynamicCast<CXTPMarkupFrameworkElement>(owner))
        element->InvalidateMeasure();
    else if (CXTPMarkupFrameworkContentElement* content = MarkupDynamicCast<CXTPMarkupFrameworkContentElement>(owner))
        InvalidateFrameworkParent(content);
}

CXTPMarkupSpan::CXTPMarkupSpan() : m_pInlines(new CXTPMarkupInlineCollection())
{
    m_pInlines->SetLogicalParent(this);
}

CXTPMarkupSpan::~CXTPMarkupSpan()
{
    m_pInlines->SetLogicalParent(nullptr);
    m_pInlines->Release();
}

CXTPMarkupInline* CXTPMarkupSpan::GetFirstInline() const
{
    if (m_pInlines->GetCount() == 0)
        return const_cast<CXTPMarkupSpan*>(this);
    return m_pInlines->GetInline(0)->GetFirstInline();
}

void CXTPMarkupSpan::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    m_pInlines->SetContentObject(builder, content);
}

BOOL CXTPMarkupSpan::HasContentObject() const
{
    return m_pInlines->HasContentObject();
}

CXTPMarkupBold::CXTPMarkupBold()
{
    CXTPMarkupType::RegisterProperties(MarkupType());
    SetFontWeight(FW_BOLD);
}

CXTPMarkupItalic::CXTPMarkupItalic()
{
    CXTPMarkupType::RegisterProperties(MarkupType());
    SetFontStyle(1);
}

CXTPMarkupUnderline::CXTPMarkupUnderline()
{
    CXTPMarkupType::RegisterProperties(MarkupType());
    SetTextDecorations(decorationUnderline);
}

// ---- Hyperlinks

void CXTPMarkupHyperlink::RegisterMarkupClass()
{
    CXTPMarkupType::RegisterProperties(CXTPMarkupStyle::MarkupType());
    CXTPMarkupType::RegisterProperties(CXTPMarkupSetter::MarkupType());
    CXTPMarkupType::RegisterProperties(CXTPMarkupTrigger::MarkupType());
    CXTPMarkupType::RegisterProperties(CXTPMarkupSolidColorBrush::MarkupType());
    m_pClickEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"Click", CXTPMarkupRoutedEvent::flagBubbling,
                                                               MarkupType());

    // Underlined, blue, the hand cursor; red while the mouse is over it. Local values override.
    CXTPMarkupStyle* style = new CXTPMarkupStyle();
    CXTPMarkupSetterColection* setters = style->GetSetters();
    setters->Add(new CXTPMarkupSetter(m_pTextDecorationsProperty, CreateMarkupEnum(decorationUnderline)));
    setters->Add(new CXTPMarkupSetter(m_pForegroundProperty, new CXTPMarkupSolidColorBrush(RGB(0, 0, 255))));
    setters->Add(new CXTPMarkupSetter(m_pCursorProperty, new CXTPMarkupInt(32649)));
    CXTPMarkupTrigger* hover = new CXTPMarkupTrigger(m_pIsMouseOverProperty, MarkupTrue());
    hover->AddSetter(new CXTPMarkupSetter(m_pForegroundProperty, new CXTPMarkupSolidColorBrush(RGB(255, 0, 0))));
    CXTPMarkupTriggerCollection* triggers = new CXTPMarkupTriggerCollection();
    triggers->Add(hover);
    style->SetValue(CXTPMarkupStyle::m_pTriggersProperty, triggers);
    MarkupType()->SetDefaultStyle(style);
    style->Release();
}

void CXTPMarkupHyperlink::OnMouseLeftButtonDown(CXTPMarkupMouseButtonEventArgs* args)
{
    m_bPressed = TRUE;
    if (args)
        args->SetHandled();
}

void CXTPMarkupHyperlink::OnMouseLeftButtonUp(CXTPMarkupMouseButtonEventArgs* args)
{
    if (!m_bPressed)
        return;
    m_bPressed = FALSE;
    if (args)
        args->SetHandled();
    OnClick();
}

void CXTPMarkupHyperlink::OnMouseLeave(CXTPMarkupMouseEventArgs* args)
{
    // A press that left the link is no longer a click on it.
    m_bPressed = FALSE;
    CXTPMarkupSpan::OnMouseLeave(args);
}

void CXTPMarkupHyperlink::OnClick()
{
    // A Click handler may release the whole document.
    AddRef();
    CXTPMarkupRoutedEventArgs* args = new CXTPMarkupRoutedEventArgs(m_pClickEvent, this);
    RaiseEvent(args);
    args->Release();
    Release();
}

// ---- Inline UI containers

CXTPMarkupInlineUIContainer::CXTPMarkupInlineUIContainer(CXTPMarkupUIElement* child)
{
    SetChild(child);
}

CXTPMarkupInlineUIContainer::~CXTPMarkupInlineUIContainer()
{
    SetChild(nullptr);
}

void CXTPMarkupInlineUIContainer::SetChild(CXTPMarkupUIElement* child)
{
    if (m_pChild) {
        if (m_pChild->GetLogicalParent() == this)
            m_pChild->SetLogicalParent(nullptr);
        m_pChild->Release();
    }
    m_pChild = child;
    if (m_pChild)
        m_pChild->SetLogicalParent(this);
}

CXTPMarkupObject* CXTPMarkupInlineUIContainer::GetLogicalChild(int index) const
{
    return index == 0 ? m_pChild : nullptr;
}

void CXTPMarkupInlineUIContainer::SetContentObject(CXTPMarkupBuilder*, CXTPMarkupObject* content)
{
    if (CXTPMarkupUIElement* child = MarkupDynamicCast<CXTPMarkupUIElement>(content)) {
        SetChild(child);
        InvalidateFrameworkParent(this);
        return;
    }
    CXTPMarkupBuilder::ThrowBuilderException(
        L"'%ls' object cannot be added to '%ls'. Object cannot be converted to type 'CXTPMarkupUIElement'",
        content ? content->GetType()->GetTypeName() : L"", GetType()->GetTypeName());
}

MarkupTextPosition CXTPMarkupInlineUIContainer::GetNextPosition(MarkupTextPosition position) const
{
    return position == 0 ? 1 : XTP_MARKUP_NO_POSITION;
}

SIZE CXTPMarkupInlineUIContainer::MeasureRange(CXTPMarkupDrawingContext* dc, MarkupTextPosition from,
                                               MarkupTextPosition)
{
    if (from != 0 || !m_pChild)
        return SIZE{0, 0};
    m_pChild->Measure(dc, 32000, 32000);
    return m_pChild->GetDesiredSize();
}

void CXTPMarkupInlineUIContainer::ArrangeRange(const RECT& rc, MarkupTextPosition from, MarkupTextPosition)
{
    if (from == 0 && m_pChild)
        m_pChild->Arrange(rc);
}

void CXTPMarkupInlineUIContainer::RenderRange(CXTPMarkupDrawingContext* dc, const RECT&, MarkupTextPosition from,
                                              MarkupTextPosition)
{
    if (from == 0 && m_pChild)
        m_pChild->Render(dc);
}

CXTPMarkupInputElement* CXTPMarkupInlineUIContainer::InputHitTest(int x, int y) const
{
    CXTPMarkupInputElement* hit = m_pChild ? m_pChild->InputHitTest(x, y) : nullptr;
    return hit ? hit : const_cast<CXTPMarkupInlineUIContainer*>(this);
}
