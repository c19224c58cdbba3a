#include "toolkit/foundation/XTPCaptionTheme.h"

#include "toolkit/foundation/XTPCaption.h"
#include "toolkit/foundation/XTPButtonTheme.h"
#include "toolkit/foundation/XTPDrawHelpers.h"

#include <algorithm>

namespace {

// Colour-manager indexes used here.
constexpr int kFace = 15;
constexpr int kShadow = 16;
constexpr int kGrayText = 17;
constexpr int kButtonText = 18;
constexpr int kHighlight = 20;
constexpr int kXPHotBack = 31;
constexpr int kXPFrame = 32;
constexpr int kXPPressedBack = 33;
constexpr int kCaptionLine = 54;

// Gradients of the colour manager: the caption in pin mode, the caption otherwise, and the
// pressed and hot faces of the Office 2003 button.
constexpr int kGradientPinCaption = 0;
constexpr int kGradientCaption = 3;
constexpr int kGradientPressed = 8;
constexpr int kGradientHot = 9;

constexpr UINT kCaptionTextFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

COLORREF Colour(int index) { return GetColorManager()->GetColor(index); }

bool IsIdle(CXTPButton* button) { return !button->IsHot() && !button->IsPushed() && !button->GetChecked(); }
bool IsDown(CXTPButton* button) { return button->IsPushed() || button->GetChecked(); }

void FrameSolid(CDC* dc, const CRect& rect, COLORREF colour) { dc->Draw3dRect(&rect, colour, colour); }

// The idle face of the plain and Office XP caption buttons: the caption's inner colour (kept as
// the theme's back-colour override), else the theme's standard back colour.
void FillIdleFace(CDC* dc, CXTPButton* button, CXTPPaintManagerColor& back)
{
    if (CXTPCaption* caption = GetLiveCaptionOf(button))
        back.SetCustomValue(caption->GetInnerColor());
    dc->FillSolidRect(button->GetButtonRect(), back.GetEffective());
}

COLORREF IdleTextColour(CXTPButton* button, COLORREF themeText)
{
    if (CXTPCaption* caption = GetLiveCaptionOf(button))
        return caption->GetCaptionTextColor();
    return themeText;
}

void DrawCaptionTextOnButton(CDC* dc, CXTPButton* button, COLORREF colour, BOOL offsetWhenPressed)
{
    CXTPCaption* caption = GetLiveCaptionOf(button);
    if (!caption || !caption->IsTextButton() || caption->GetCaptionText().IsEmpty())
        return;
    CXTPFontDC font(dc, button->GetFont());
    dc->SetTextColor(colour);
    CRect rect;
    button->GetClientRect(&rect);
    if (button->IsPushed() && offsetWhenPressed)
        rect.OffsetRect(1, 1);
    CString text = caption->GetCaptionText();
    dc->DrawText(text, &rect, kCaptionTextFlags);
}

} // namespace

CXTPCaption* GetLiveCaptionOf(CXTPButton* button)
{
    auto* captionButton = dynamic_cast<CXTPCaptionButton*>(button);
    CXTPCaption* caption = captionButton ? captionButton->GetCaption() : nullptr;
    return caption && ::IsWindow(caption->GetSafeHwnd()) ? caption : nullptr;
}

// ---- caption looks -------------------------------------------------------------------------------

CXTPCaptionTheme::CXTPCaptionTheme() = default;

void CXTPCaptionTheme::RefreshMetrics(CXTPCaption* /*caption*/)
{
    m_clrShadow.SetStandardValue(Colour(kShadow));
    m_clrHighlight.SetStandardValue(Colour(kHighlight));
}

void CXTPCaptionTheme::DrawCaptionBack(CDC* dc, CXTPCaption* caption, const CRect& rectIn)
{
    CRect rect(rectIn);
    dc->SetBkMode(TRANSPARENT);
    dc->FillSolidRect(&rect, caption->GetBackgroundColor());

    const DWORD style = caption->GetCaptionStyle();
    const int border = caption->GetBorder();
    if (style & CPS_XTP_SUNKEN) {
        dc->Draw3dRect(&rect, m_clrShadow, m_clrHighlight);
        rect.DeflateRect(1, 1);
        dc->Draw3dRect(&rect, m_clrHighlight, m_clrShadow);
        if (border == 0)
            rect.DeflateRect(1, 1);
    } else if (style & CPS_XTP_RAISED) {
        dc->Draw3dRect(&rect, m_clrHighlight, m_clrShadow);
        if (border == 0)
            rect.DeflateRect(1, 1);
    }
    rect.DeflateRect(border, border);
    dc->FillSolidRect(&rect, caption->GetInnerColor());
}

void CXTPCaptionTheme::DrawCaptionText(CDC* dc, CXTPCaption* caption)
{
    if (caption->GetCaptionText().IsEmpty())
        return;
    CXTPFontDC font(dc, caption->GetFont());
    dc->SetTextColor(caption->GetCaptionTextColor());
    CRect rect = caption->CalcTextRect();
    CString text = caption->GetCaptionText();
    dc->DrawText(text, &rect, kCaptionTextFlags);
}

void CXTPCaptionTheme::DrawCaptionIcon(CDC* dc, CXTPCaption* caption, const CRect& rect)
{
    HICON icon = caption->GetCaptionIcon();
    if (!icon)
        return;
    const int border = caption->GetBorder();
    const CSize size = caption->GetIconSize();
    const int x = std::max(border, static_cast<int>(rect.right - border - size.cx - 2));
    const int y = (rect.Height() - size.cy) / 2;
    // Drawn whole or not at all: a clipped icon reads as a different picture.
    if (x + size.cx < rect.right - border)
        ::DrawIconEx(dc->GetSafeHdc(), x, y, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
}

CXTPCaptionThemeOfficeXP::CXTPCaptionThemeOfficeXP() { m_nTheme = 4; }

void CXTPCaptionThemeOfficeXP::DrawCaptionBack(CDC* dc, CXTPCaption* caption, const CRect& rectIn)
{
    CRect rect(rectIn);
    dc->SetBkMode(TRANSPARENT);
    dc->FillSolidRect(&rect, caption->GetBackgroundColor());
    if (caption->IsTextButton()) {
        rect.DeflateRect(caption->GetBorder(), caption->GetBorder());
        dc->FillSolidRect(&rect, caption->GetInnerColor());
    } else {
        dc->Draw3dRect(&rect, Colour(kHighlight), Colour(kShadow));
    }
}

CXTPCaptionThemeOffice2003::CXTPCaptionThemeOffice2003() { m_nTheme = 5; }

void CXTPCaptionThemeOffice2003::DrawCaptionBack(CDC* dc, CXTPCaption* caption, const CRect& rectIn)
{
    CRect rect(rectIn);
    dc->SetBkMode(TRANSPARENT);
    CXTPColorManager* colors = GetColorManager();
    const COLORREF line = Colour(kCaptionLine);
    if (caption->IsTextButton()) {
        GetDrawHelpers()->GradientFillColorGradient(dc, &rect, colors->Gradient(kGradientPinCaption), FALSE);
        FrameSolid(dc, rect, line);
    } else {
        GetDrawHelpers()->GradientFillColorGradient(dc, &rect, colors->Gradient(kGradientCaption), FALSE);
        dc->FillSolidRect(rect.left, rect.bottom - 1, rect.Width(), 1, line);
    }
}

// ---- caption-button looks ------------------------------------------------------------------------

CXTPCaptionButtonTheme::CXTPCaptionButtonTheme() { m_bOffsetHiLiteText = FALSE; }

void CXTPCaptionButtonTheme::DrawButtonBackground(CDC* dc, CXTPButton* button)
{
    if (IsIdle(button)) {
        FillIdleFace(dc, button, m_crBack);
        return;
    }
    CRect rect = button->GetButtonRect();
    dc->FillSolidRect(&rect, Colour(kFace));
    if (IsDown(button))
        dc->Draw3dRect(&rect, Colour(kShadow), Colour(kHighlight));
    else
        dc->Draw3dRect(&rect, Colour(kHighlight), Colour(kShadow));
}

COLORREF CXTPCaptionButtonTheme::GetTextColor(CXTPButton* button)
{
    if (!button->IsWindowEnabled())
        return Colour(kGrayText);
    if (IsIdle(button))
        return IdleTextColour(button, m_crText);
    return Colour(kButtonText);
}

void CXTPCaptionButtonTheme::DrawCaptionButtonText(CDC* dc, CXTPButton* button)
{
    DrawCaptionTextOnButton(dc, button, GetTextColor(button), m_bOffsetHiLiteText);
}

CXTPCaptionButtonThemeOfficeXP::CXTPCaptionButtonThemeOfficeXP() { m_bOffsetHiLiteText = FALSE; }

void CXTPCaptionButtonThemeOfficeXP::DrawButtonBackground(CDC* dc, CXTPButton* button)
{
    if (IsIdle(button)) {
        FillIdleFace(dc, button, m_crBack);
        return;
    }
    CRect rect = button->GetButtonRect();
    dc->FillSolidRect(&rect, Colour(IsDown(button) ? kXPPressedBack : kXPHotBack));
    FrameSolid(dc, rect, Colour(kXPFrame));
}

COLORREF CXTPCaptionButtonThemeOfficeXP::GetTextColor(CXTPButton* button)
{
    if (!button->IsWindowEnabled())
        return Colour(kGrayText);
    if (IsIdle(button))
        return IdleTextColour(button, m_crText);
    return m_crTextHilite;
}

void CXTPCaptionButtonThemeOfficeXP::DrawCaptionButtonText(CDC* dc, CXTPButton* button)
{
    DrawCaptionTextOnButton(dc, button, GetTextColor(button), m_bOffsetHiLiteText);
}

CXTPCaptionButtonThemeOffice2003::CXTPCaptionButtonThemeOffice2003() = default;

void CXTPCaptionButtonThemeOffice2003::DrawButtonBackground(CDC* dc, CXTPButton* button)
{
    if (!button->GetSafeHwnd())
        return;
    CXTPCaption* caption = GetLiveCaptionOf(button);
    if (!caption) {
        CXTPButtonOffice2003Theme::DrawButtonBackground(dc, button);
        return;
    }
    CXTPColorManager* colors = GetColorManager();
    const CRect rect = button->GetButtonRect();
    if (IsIdle(button)) {
        // The caption's own gradient, laid where the caption has it, so the idle button is
        // seamless with the caption around it.
        CRect captionRect;
        caption->GetClientRect(&captionRect);
        ::MapWindowPoints(caption->GetSafeHwnd(), button->GetSafeHwnd(), reinterpret_cast<POINT*>(&captionRect), 2);
        const int gradient = caption->IsTextButton() ? kGradientPinCaption : kGradientCaption;
        GetDrawHelpers()->GradientFillColorGradient(dc, &captionRect, colors->Gradient(gradient), FALSE, &rect);
        return;
    }
    GetDrawHelpers()->GradientFillColorGradient(dc, &rect, colors->Gradient(IsDown(button) ? kGradientPressed : kGradientHot),
                                                FALSE);
    FrameSolid(dc, rect, colors->GetLunaColor(kXPFrame));
}

COLORREF CXTPCaptionButtonThemeOffice2003::GetTextColor(CXTPButton* button)
{
    if (!button->IsWindowEnabled())
        return Colour(kGrayText);
    if (IsIdle(button))
        return IdleTextColour(button, m_crText);
    return m_crTextHilite;
}
