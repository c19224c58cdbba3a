#include "toolkit/markup/XTPMarkupControl.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupDecorator.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupInline.h"
#include "toolkit/markup/XTPMarkupPanel.h"
#include "toolkit/markup/XTPMarkupTextBlock.h"
#include "toolkit/markup/XTPMarkupValues.h"

IMPLEMENT_MARKUPCLASS(L"Control", CXTPMarkupControl, CXTPMarkupFrameworkElement,
                      &CreateMarkupObject<CXTPMarkupControl>, &CXTPMarkupControl::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupContentControl, CXTPMarkupControl,
                      &CreateMarkupObject<CXTPMarkupContentControl>, &CXTPMarkupContentControl::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"WindowContainer", CXTPMarkupWindowContainer, CXTPMarkupFrameworkElement,
                      &CreateMarkupObject<CXTPMarkupWindowContainer>, nullptr)

CXTPMarkupDependencyProperty* CXTPMarkupControl::m_pPaddingProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupControl::m_pBackgroundProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupControl::m_pForegroundProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupContentControl::m_pContentProperty = nullptr;

// ---- Control

void CXTPMarkupControl::RegisterMarkupClass()
{
    // The properties borrowed below must exist before their owners are added.
    CXTPMarkupType::RegisterProperties(CXTPMarkupBorder::MarkupType());
    CXTPMarkupType::RegisterProperties(CXTPMarkupPanel::MarkupType());
    CXTPMarkupType::RegisterProperties(CXTPMarkupTextElement::MarkupType());
    m_pPaddingProperty = CXTPMarkupBorder::m_pPaddingProperty->AddOwner(MarkupType());
    m_pBackgroundProperty = CXTPMarkupPanel::m_pBackgroundProperty->AddOwner(MarkupType());
    m_pForegroundProperty = CXTPMarkupTextElement::m_pForegroundProperty->AddOwner(MarkupType());
}

SIZE CXTPMarkupControl::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    CXTPMarkupUIElement* child =
        GetVisualChildrenCount() > 0 ? MarkupDynamicCast<CXTPMarkupUIElement>(GetVisualChild(0)) : nullptr;
    if (!child)
        return SIZE{0, 0};
    child->Measure(dc, availableWidth, availableHeight);
    return child->GetDesiredSize();
}

SIZE CXTPMarkupControl::ArrangeOverride(int finalWidth, int finalHeight)
{
    CXTPMarkupUIElement* child =
        GetVisualChildrenCount() > 0 ? MarkupDynamicCast<CXTPMarkupUIElement>(GetVisualChild(0)) : nullptr;
    if (child)
        child->Arrange(RECT{0, 0, finalWidth, finalHeight});
    return SIZE{finalWidth, finalHeight};
}

// ---- Content control

void CXTPMarkupContentControl::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    m_pContentProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Content", CXTPMarkupUIElement::MarkupType(), MarkupType(),
        new Metadata(nullptr, &MarkupConvertContent, Metadata::flagAffectsMeasure));
}

CXTPMarkupUIElement* CXTPMarkupContentControl::GetContent() const
{
    return MarkupDynamicCast<CXTPMarkupUIElement>(GetValue(m_pContentProperty));
}

void CXTPMarkupContentControl::SetContent(CXTPMarkupUIElement* content)
{
    SetValue(m_pContentProperty, content);
}

void CXTPMarkupContentControl::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    // On an error the content stays with the builder, which releases it.
    if (GetContent())
        CXTPMarkupBuilder::ThrowBuilderException(
            L"'%ls' already has a child and cannot add '%ls'. '%ls' can accept only one child.",
            GetType()->GetTypeName(), content ? content->GetType()->GetTypeName() : L"", GetType()->GetTypeName());
    if (MarkupDynamicCast<CXTPMarkupString>(content)) {
        CXTPMarkupType* blockType = CXTPMarkupTextBlock::MarkupType();
        CXTPMarkupObject* made = m_pMarkupContext ? m_pMarkupContext->CreateObject(blockType) : blockType->CreateObject();
        CXTPMarkupTextBlock* block = MarkupDynamicCast<CXTPMarkupTextBlock>(made);
        if (!block) {
            MarkupRelease(made);
            return;
        }
        block->SetContentObject(builder, content);
        SetContent(block);
        return;
    }
    CXTPMarkupUIElement* element = MarkupDynamicCast<CXTPMarkupUIElement>(content);
    if (!element)
        CXTPMarkupBuilder::ThrowBuilderException(
            L"'%ls' object cannot be added to '%ls'. Object cannot be converted to type 'CXTPMarkupUIElement'",
            content ? content->GetType()->GetTypeName() : L"", GetType()->GetTypeName());
    SetContent(element);
}

// ---- Window container

void CXTPMarkupWindowContainer::SetChild(HWND window, int width, int height)
{
    m_hWndChild = window;
    m_nWidth = width;
    m_nHeight = height;
    InvalidateMeasure();
}

SIZE CXTPMarkupWindowContainer::MeasureOverride(CXTPMarkupDrawingContext*, int, int)
{
    return SIZE{m_nWidth, m_nHeight};
}

void CXTPMarkupWindowContainer::OnRender(CXTPMarkupDrawingContext* dc)
{
    if (!m_hWndChild)
        return;
    RECT rc = {0, 0, m_szRenderSize.cx, m_szRenderSize.cy};
    if (m_pMarkupContext)
        rc = m_pMarkupContext->GetElementRect(this);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (dc && dc->m_hDWP)
        dc->m_hDWP = DeferWindowPos(dc->m_hDWP, m_hWndChild, nullptr, rc.left, rc.top, width, height, kShowFlags);
    else
        SetWindowPos(m_hWndChild, nullptr, rc.left, rc.top, width, height, kShowFlags);
}

void CXTPMarkupWindowContainer::OnNotRendered(CXTPMarkupDrawingContext*)
{
    if (m_hWndChild)
        SetWindowPos(m_hWndChild, nullptr, 0, 0, 0, 0, kHideFlags);
}
