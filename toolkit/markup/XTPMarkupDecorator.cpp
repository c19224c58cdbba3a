#include "toolkit/markup/XTPMarkupDecorator.h"

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupThickness.h"

#include <algorithm>

// The decorator has no markup type of its own: it answers the framework element's.
IMPLEMENT_MARKUPCLASS(L"Border", CXTPMarkupBorder, CXTPMarkupFrameworkElement, &CreateMarkupObject<CXTPMarkupBorder>,
                      &CXTPMarkupBorder::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"Page", CXTPMarkupPage, CXTPMarkupFrameworkElement, &CreateMarkupObject<CXTPMarkupPage>,
                      nullptr)

CXTPMarkupDependencyProperty* CXTPMarkupBorder::m_pBackgroundProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupBorder::m_pPaddingProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupBorder::m_pBorderThicknessProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupBorder::m_pBorderBrushProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupBorder::m_pCornerRadiusProperty = nullptr;

// ---- Decorator

CXTPMarkupDecorator::~CXTPMarkupDecorator()
{
    // No layout call from here: the element is half destroyed.
    if (m_pChild) {
        m_pChild->SetLogicalParent(nullptr);
        MarkupRelease(m_pChild);
    }
}

void CXTPMarkupDecorator::SetChild(CXTPMarkupUIElement* child)
{
    if (m_pChild) {
        m_pChild->SetLogicalParent(nullptr);
        m_pChild->Release();
    }
    m_pChild = child;
    if (m_pChild)
        m_pChild->SetLogicalParent(this);
    InvalidateMeasure();
}

void CXTPMarkupDecorator::SetContentObject(CXTPMarkupBuilder*, CXTPMarkupObject* content)
{
    // On an error the content stays with the builder, which releases it.
    CXTPMarkupUIElement* element = MarkupDynamicCast<CXTPMarkupUIElement>(content);
    if (!element)
        CXTPMarkupBuilder::ThrowBuilderException(
            L"'%ls' object cannot be added to '%ls'. Object cannot be converted to type 'CXTPMarkupUIElement'",
            content ? content->GetType()->GetTypeName() : L"", GetType()->GetTypeName());
    if (m_pChild)
        CXTPMarkupBuilder::ThrowBuilderException(
            L"'%ls' already has a child and cannot add '%ls'. '%ls' can accept only one child.",
            GetType()->GetTypeName(), content->GetType()->GetTypeName(), GetType()->GetTypeName());
    SetChild(element);
}

// ---- Border

void CXTPMarkupBorder::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    auto brush = [owner](const wchar_t* name) {
        return CXTPMarkupDependencyProperty::RegisterProperty(name, CXTPMarkupBrush::MarkupType(), owner,
                                                              new Metadata(nullptr, Metadata::flagAffectsRender));
    };
    auto thickness = [owner](const wchar_t* name, DWORD flags) {
        return CXTPMarkupDependencyProperty::RegisterProperty(
            name, CXTPMarkupThickness::MarkupType(), owner, new Metadata(CXTPMarkupThickness::GetDefault(), flags));
    };
    m_pBackgroundProperty = brush(L"Background");
    m_pPaddingProperty = thickness(L"Padding", Metadata::flagAffectsMeasure);
    m_pBorderThicknessProperty = thickness(L"BorderThickness", Metadata::flagAffectsMeasure);
    m_pBorderBrushProperty = brush(L"BorderBrush");
    m_pCornerRadiusProperty = thickness(L"CornerRadius", Metadata::flagAffectsRender);
}

CXTPMarkupBrush* CXTPMarkupBorder::GetBackground() const
{
    return MarkupDynamicCast<CXTPMarkupBrush>(GetValue(m_pBackgroundProperty));
}

CXTPMarkupBrush* CXTPMarkupBorder::GetBorderBrush() const
{
    return MarkupDynamicCast<CXTPMarkupBrush>(GetValue(m_pBorderBrushProperty));
}

const CXTPMarkupThickness* CXTPMarkupBorder::GetPadding() const
{
    return MarkupDynamicCast<CXTPMarkupThickness>(GetValue(m_pPaddingProperty));
}

const CXTPMarkupThickness* CXTPMarkupBorder::GetBorderThickness() const
{
    return MarkupDynamicCast<CXTPMarkupThickness>(GetValue(m_pBorderThicknessProperty));
}

const CXTPMarkupThickness* CXTPMarkupBorder::GetCornerRadius() const
{
    return MarkupDynamicCast<CXTPMarkupThickness>(GetValue(m_pCornerRadiusProperty));
}

void CXTPMarkupBorder::SetBackground(CXTPMarkupBrush* brush)
{
    SetValue(m_pBackgroundProperty, brush);
}

void CXTPMarkupBorder::SetBorderBrush(CXTPMarkupBrush* brush)
{
    SetValue(m_pBorderBrushProperty, brush);
}

void CXTPMarkupBorder::SetPadding(CXTPMarkupThickness* padding)
{
    SetValue(m_pPaddingProperty, padding);
}

void CXTPMarkupBorder::SetBorderThickness(CXTPMarkupThickness* thickness)
{
    SetValue(m_pBorderThicknessProperty, thickness);
}

void CXTPMarkupBorder::SetCornerRadius(CXTPMarkupThickness* radius)
{
    SetValue(m_pCornerRadiusProperty, radius);
}

namespace {

struct Sides {
    int left = 0, top = 0, right = 0, bottom = 0;
};

Sides Read(const CXTPMarkupThickness* thickness)
{
    return thickness ? Sides{thickness->GetLeft(), thickness->GetTop(), thickness->GetRight(), thickness->GetBottom()}
                     : Sides{};
}

bool IsZero(const Sides& s)
{
    return s.left == 0 && s.top == 0 && s.right == 0 && s.bottom == 0;
}

} // namespace

SIZE CXTPMarkupBorder::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    const Sides border = Read(GetBorderThickness());
    const Sides padding = Read(GetPadding());
    const int horizontal = border.left + border.right + padding.left + padding.right;
    const int vertical = border.top + border.bottom + padding.top + padding.bottom;
    if (!m_pChild)
        return SIZE{horizontal, vertical};
    m_pChild->Measure(dc, std::max(0, availableWidth - horizontal), std::max(0, availableHeight - vertical));
    const SIZE desired = m_pChild->GetDesiredSize();
    return SIZE{desired.cx + horizontal, desired.cy + vertical};
}

SIZE CXTPMarkupBorder::ArrangeOverride(int finalWidth, int finalHeight)
{
    if (m_pChild) {
        RECT rc = {0, 0, finalWidth, finalHeight};
        rc = MarkupDeflateRect(rc, GetBorderThickness());
        rc = MarkupDeflateRect(rc, GetPadding());
        m_pChild->Arrange(rc);
    }
    return SIZE{finalWidth, finalHeight};
}

void CXTPMarkupBorder::OnRender(CXTPMarkupDrawingContext* dc)
{
    const int width = m_szRenderSize.cx;
    const int height = m_szRenderSize.cy;
    CXTPMarkupBrush* borderBrush = GetBorderBrush();
    CXTPMarkupBrush* background = GetBackground();
    if (width <= 0 || height <= 0 || (!borderBrush && !background))
        return;

    const Sides corner = Read(GetCornerRadius());
    CXTPMarkupCornerRadii radii;
    const bool rounded = !IsZero(corner);
    if (rounded) {
        // Each corner takes one side of the thickness record as both of its radii.
        const double values[4] = {static_cast<double>(corner.left), static_cast<double>(corner.top),
                                  static_cast<double>(corner.right), static_cast<double>(corner.bottom)};
        for (int i = 0; i < 4; ++i) {
            radii.radii[2 * i] = values[i];
            radii.radii[2 * i + 1] = values[i];
        }
    }

    const CXTPMarkupThickness* thickness = GetBorderThickness();
    const Sides border = Read(thickness);
    if (!IsZero(border) && borderBrush)
        dc->DrawFrame(0, 0, width, height, borderBrush, thickness, rounded ? &radii : nullptr);

    if (background) {
        const RECT inner = {border.left, border.top, width - border.right, height - border.bottom};
        if (inner.right > inner.left && inner.bottom > inner.top) {
            // The background meets the middle of a rounded frame, so its corners are tighter by
            // half the frame.
            if (rounded) {
                for (double& radius : radii.radii)
                    radius = std::max(0.0, radius - border.left / 2.0);
            }
            dc->FillRectangle(inner.left, inner.top, inner.right, inner.bottom, background, rounded ? &radii : nullptr);
        }
    }
}

CXTPMarkupInputElement* CXTPMarkupBorder::InputHitTestOverride(int, int) const
{
    // Without a background the mouse passes to what lies below (the child was asked first).
    return GetBackground() ? const_cast<CXTPMarkupBorder*>(this) : nullptr;
}

// ---- Page

SIZE CXTPMarkupPage::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    if (!m_pChild)
        return SIZE{0, 0};
    m_pChild->Measure(dc, availableWidth, availableHeight);
    return m_pChild->GetDesiredSize();
}

SIZE CXTPMarkupPage::ArrangeOverride(int finalWidth, int finalHeight)
{
    if (m_pChild)
        m_pChild->Arrange(RECT{0, 0, finalWidth, finalHeight});
    return SIZE{finalWidth, finalHeight};
}
