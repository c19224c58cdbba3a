#include "toolkit/markup/XTPMarkupCanvas.h"

#include "toolkit/markup/XTPMarkupValues.h"

IMPLEMENT_MARKUPCLASS(L"Canvas", CXTPMarkupCanvas, CXTPMarkupPanel, &CreateMarkupObject<CXTPMarkupCanvas>,
                      &CXTPMarkupCanvas::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupCanvas::m_pTopProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupCanvas::m_pRightProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupCanvas::m_pLeftProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupCanvas::m_pBottomProperty = nullptr;

void CXTPMarkupCanvas::RegisterMarkupClass()
{
    auto attached = [](const wchar_t* name) {
        return CXTPMarkupDependencyProperty::RegisterAttached(name, CXTPMarkupInt::MarkupType(), MarkupType());
    };
    m_pTopProperty = attached(L"Top");
    m_pRightProperty = attached(L"Right");
    m_pLeftProperty = attached(L"Left");
    m_pBottomProperty = attached(L"Bottom");
}

void CXTPMarkupCanvas::SetLeft(CXTPMarkupObject* element, int value)
{
    if (element)
        element->SetValue(m_pLeftProperty, new CXTPMarkupInt(value));
}

void CXTPMarkupCanvas::SetTop(CXTPMarkupObject* element, int value)
{
    if (element)
        element->SetValue(m_pTopProperty, new CXTPMarkupInt(value));
}

void CXTPMarkupCanvas::SetRight(CXTPMarkupObject* element, int value)
{
    if (element)
        element->SetValue(m_pRightProperty, new CXTPMarkupInt(value));
}

void CXTPMarkupCanvas::SetBottom(CXTPMarkupObject* element, int value)
{
    if (element)
        element->SetValue(m_pBottomProperty, new CXTPMarkupInt(value));
}

SIZE CXTPMarkupCanvas::MeasureOverride(CXTPMarkupDrawingContext* dc, int, int)
{
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        if (CXTPMarkupUIElement* child = m_pChildren->GetElement(i))
            child->Measure(dc, XTP_MARKUP_UNBOUNDED, XTP_MARKUP_UNBOUNDED);
    }
    return SIZE{0, 0};
}

SIZE CXTPMarkupCanvas::ArrangeOverride(int finalWidth, int finalHeight)
{
    for (int i = 0; i < m_pChildren->GetCount(); ++i) {
        CXTPMarkupUIElement* child = m_pChildren->GetElement(i);
        if (!child)
            continue;
        const SIZE desired = child->GetDesiredSize();
        const CXTPMarkupInt* left = MarkupDynamicCast<CXTPMarkupInt>(child->GetValue(m_pLeftProperty));
        const CXTPMarkupInt* right = MarkupDynamicCast<CXTPMarkupInt>(child->GetValue(m_pRightProperty));
        const CXTPMarkupInt* top = MarkupDynamicCast<CXTPMarkupInt>(child->GetValue(m_pTopProperty));
        const CXTPMarkupInt* bottom = MarkupDynamicCast<CXTPMarkupInt>(child->GetValue(m_pBottomProperty));
        int x = 0;
        if (left)
            x = *left;
        else if (right)
            x = finalWidth - static_cast<int>(*right) - desired.cx;
        int y = 0;
        if (top)
            y = *top;
        else if (bottom)
            y = finalHeight - static_cast<int>(*bottom) - desired.cy;
        child->Arrange(RECT{x, y, x + desired.cx, y + desired.cy});
    }
    return SIZE{finalWidth, finalHeight};
}
