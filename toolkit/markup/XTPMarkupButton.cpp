#include "toolkit/markup/XTPMarkupButton.h"

#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPWinThemeWrapper.h"
#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupThickness.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupButtonBase, CXTPMarkupContentControl, nullptr,
                      &CXTPMarkupButtonBase::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"Button", CXTPMarkupButton, CXTPMarkupButtonBase, &CreateMarkupObject<CXTPMarkupButton>,
                      nullptr)

CXTPMarkupRoutedEvent* CXTPMarkupButtonBase::m_pClickEvent = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupButtonBase::m_pIsPressedProperty = nullptr;

namespace {

// The push-button part of the "BUTTON" visual-style class.
constexpr int kPushButtonPart = 1;

BOOL BoolValue(const CXTPMarkupObject* object, BOOL fallback)
{
    const CXTPMarkupBool* value = MarkupDynamicCast<CXTPMarkupBool>(const_cast<CXTPMarkupObject*>(object));
    return value ? static_cast<BOOL>(*value) : fallback;
}

// One-pixel frame of a solid colour just inside rc.
void DrawSolidFrame(CXTPMarkupDrawingContext* dc, const RECT& rc, COLORREF color)
{
    CXTPMarkupSolidColorBrush* brush = new CXTPMarkupSolidColorBrush(color);
    dc->DrawFrame(rc.left, rc.top, rc.right, rc.bottom, brush);
    brush->Release();
}

} // namespace

// ---- Button base

void CXTPMarkupButtonBase::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    m_pClickEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"Click", CXTPMarkupRoutedEvent::flagBubbling, owner);
    m_pIsPressedProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"IsPressed", CXTPMarkupBool::MarkupType(), owner, new Metadata(MarkupFalse(), Metadata::flagAffectsArrange));
}

CXTPMarkupButtonBase::CXTPMarkupButtonBase() : m_themeButton(new CXTPWinThemeWrapper(TRUE))
{
    // A button made in code before any context exists still needs the properties it sets here.
    CXTPMarkupType::RegisterProperties(MarkupType());
    SetValue(m_pFocusableProperty, MarkupTrue());
}

CXTPMarkupButtonBase::~CXTPMarkupButtonBase()
{
    delete m_themeButton;
}

BOOL CXTPMarkupButtonBase::IsPressed() const
{
    return BoolValue(GetValue(m_pIsPressedProperty), FALSE);
}

BOOL CXTPMarkupButtonBase::IsEnabled() const
{
    return BoolValue(GetValue(m_pIsEnabledProperty), TRUE);
}

CXTPMarkupButtonBase::VisualState CXTPMarkupButtonBase::GetVisualState() const
{
    if (!IsEnabled())
        return stateDisabled;
    if (IsPressed())
        return statePressed;
    if (IsMouseOver())
        return stateHot;
    return stateNormal;
}

BOOL CXTPMarkupButtonBase::IsThemed() const
{
    return m_themeButton->IsAppThemed();
}

void CXTPMarkupButtonBase::OpenButtonTheme()
{
    m_themeButton->OpenThemeData(nullptr, L"BUTTON");
}

void CXTPMarkupButtonBase::OnClick()
{
    CXTPMarkupRoutedEventArgs* args = new CXTPMarkupRoutedEventArgs(m_pClickEvent, this);
    RaiseEvent(args);
    args->Release();
}

void CXTPMarkupButtonBase::SetPressed(BOOL pressed)
{
    if (pressed) {
        if (m_bPushed)
            return;
        m_bPushed = TRUE;
        SetValue(m_pIsPressedProperty, MarkupTrue());
        return;
    }
    if (!m_bPushed)
        return;
    m_bPushed = FALSE;
    SetValue(m_pIsPressedProperty, MarkupFalse());
    // While pressed, leaving did not clear the mouse-over state (the button stayed armed); if
    // the pointer is outside now, nobody else will clear it.
    if (!m_bMouseInside && IsMouseOver()) {
        SetValue(m_pIsMouseOverProperty, nullptr);
        InvalidateVisual();
    }
}

void CXTPMarkupButtonBase::OnMouseLeave(CXTPMarkupMouseEventArgs* args)
{
    m_bMouseInside = FALSE;
    if (m_bPushed) {
        // Looks released, stays armed: coming back before the release still clicks.
        SetValue(m_pIsPressedProperty, MarkupFalse());
        return;
    }
    CXTPMarkupContentControl::OnMouseLeave(args);
    InvalidateVisual();
}

void CXTPMarkupButtonBase::OnMouseEnter(CXTPMarkupMouseEventArgs* args)
{
    m_bMouseInside = TRUE;
    if (m_bPushed) {
        SetValue(m_pIsPressedProperty, MarkupTrue());
        return;
    }
    CXTPMarkupContentControl::OnMouseEnter(args);
    InvalidateVisual();
}

void CXTPMarkupButtonBase::OnMouseLeftButtonDown(CXTPMarkupMouseButtonEventArgs* args)
{
    // Handled even when disabled: a disabled button still hides the press from its ancestors.
    args->SetHandled();
    if (!IsEnabled())
        return;
    Focus();
    SetPressed(TRUE);
    CaptureMouse();
}

void CXTPMarkupButtonBase::OnMouseLeftButtonUp(CXTPMarkupMouseButtonEventArgs* args)
{
    if (!m_bPushed)
        return;
    // A Click handler may drop the last reference the tree held on this button (a host that
    // replaces its document); the button lives until its handler returns.
    AddRef();
    ReleaseMouseCapture();
    SetPressed(FALSE);
    if (m_bMouseInside)
        OnClick();
    args->SetHandled();
    Release();
}

void CXTPMarkupButtonBase::OnLostMouseCapture(CXTPMarkupMouseEventArgs*)
{
    SetPressed(FALSE);
}

// ---- Push button

CXTPMarkupButton::EdgeColors CXTPMarkupButton::EdgeColorsOf(COLORREF background)
{
    const DWORD hls = RgbToHls(background);
    const DWORD hueSaturation = hls & 0xFFFF;
    const int luminance = static_cast<int>((hls >> 16) & 0xFF);
    EdgeColors colors;
    colors.light = HlsToRgb(hueSaturation | static_cast<DWORD>(luminance / 2 + 120) << 16);
    colors.shadow = HlsToRgb(hueSaturation | static_cast<DWORD>(MulDiv(luminance, 2, 3)) << 16);
    colors.dark = RGB(GetRValue(colors.shadow) / 2, GetGValue(colors.shadow) / 2, GetBValue(colors.shadow) / 2);
    return colors;
}

SIZE CXTPMarkupButton::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    OpenButtonTheme();
    const CXTPMarkupThickness* padding = MarkupDynamicCast<CXTPMarkupThickness>(GetValue(m_pPaddingProperty));
    int extraWidth = 2 * kFaceMargin;
    int extraHeight = 2 * kFaceMargin;
    if (padding) {
        extraWidth += padding->GetLeft() + padding->GetRight();
        extraHeight += padding->GetTop() + padding->GetBottom();
    }
    CXTPMarkupUIElement* content = GetContent();
    if (!content)
        return SIZE{extraWidth, extraHeight};
    content->Measure(dc, std::max(0, availableWidth - extraWidth), std::max(0, availableHeight - extraHeight));
    const SIZE desired = content->GetDesiredSize();
    return SIZE{desired.cx + extraWidth, desired.cy + extraHeight};
}

SIZE CXTPMarkupButton::ArrangeOverride(int finalWidth, int finalHeight)
{
    CXTPMarkupUIElement* content = GetContent();
    if (!content)
        return SIZE{finalWidth, finalHeight};
    RECT rc = {0, 0, finalWidth, finalHeight};
    // Classic and coloured faces sink when pressed; the visual style draws its own pressed face.
    if (IsPressed() && (!IsThemed() || GetValue(m_pBackgroundProperty)))
        OffsetRect(&rc, 1, 1);
    rc = MarkupDeflateRect(rc, MarkupDynamicCast<CXTPMarkupThickness>(GetValue(m_pPaddingProperty)));
    CXTPMarkupThickness* margin = new CXTPMarkupThickness(kFaceMargin);
    rc = MarkupDeflateRect(rc, margin);
    margin->Release();
    content->Arrange(rc);
    return SIZE{finalWidth, finalHeight};
}

void CXTPMarkupButton::OnRender(CXTPMarkupDrawingContext* dc)
{
    const int width = m_szRenderSize.cx;
    const int height = m_szRenderSize.cy;
    CXTPMarkupBrush* background = MarkupDynamicCast<CXTPMarkupBrush>(GetValue(m_pBackgroundProperty));
    EdgeColors colors;
    if (background) {
        dc->FillRectangle(0, 0, width, height, background);
        colors = EdgeColorsOf(background->GetColor());
    } else if (IsThemed()) {
        const RECT rc = {0, 0, width, height};
        HDC hdc = dc->GetDC();
        m_themeButton->DrawThemeBackground(hdc, kPushButtonPart, GetVisualState(), &rc, nullptr);
        dc->ReleaseDC(hdc);
        return;
    } else {
        dc->FillSolidRect(0, 0, width, height, GetSysColor(COLOR_BTNFACE));
        colors = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_3DDKSHADOW)};
    }

    if (IsPressed()) {
        DrawSolidFrame(dc, RECT{0, 0, width, height}, GetSysColor(COLOR_WINDOWFRAME));
        DrawSolidFrame(dc, RECT{1, 1, width - 1, height - 1}, colors.shadow);
        return;
    }
    dc->FillSolidRect(0, 0, width, 1, colors.light);
    dc->FillSolidRect(0, 0, 1, height, colors.light);
    dc->FillSolidRect(1, height - 2, width - 1, height - 1, colors.shadow);
    dc->FillSolidRect(width - 2, 1, width - 1, height - 1, colors.shadow);
    dc->FillSolidRect(0, height - 1, width - 1, height, colors.dark);
    dc->FillSolidRect(width - 1, 0, width, height, colors.dark);
}

void CXTPMarkupButton::OnRenderFocusVisual(CXTPMarkupDrawingContext* dc)
{
    HDC hdc = dc->GetDC();
    RECT rc = {3, 3, m_szRenderSize.cx - 3, m_szRenderSize.cy - 3};
    const COLORREF oldText = ::SetTextColor(hdc, RGB(255, 255, 255));
    const COLORREF oldBack = ::SetBkColor(hdc, RGB(0, 0, 0));
    ::DrawFocusRect(hdc, &rc);
    ::SetBkColor(hdc, oldBack);
    ::SetTextColor(hdc, oldText);
    dc->ReleaseDC(hdc);
}
