// The flat, ultra-flat, Office and resource-image looks of CXTPButton. Each replaces only the
// background, the marks and the group-box frame of the plain look; the placement of text, icon,
// arrow and label stays the plain look's.

#include "framework/window/Dc.h"
#include "framework/window/Gdi.h"
#include "toolkit/foundation/XTPButton.h"
#include "toolkit/foundation/XTPButtonTheme.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPResourceImage.h"
#include "toolkit/foundation/XTPWinThemeWrapper.h"

#include <cmath>

namespace {

COLORREF Xc(int index)
{
    return GetColorManager()->GetColor(index);
}

// Toolkit colour indexes these looks use beyond the system ones.
constexpr int kColorToolbarFace = 30;      // XPCOLOR_TOOLBAR_FACE
constexpr int kColorHighlight = 31;        // hot face
constexpr int kColorHighlightBorder = 32;
constexpr int kColorHighlightPushed = 33;
constexpr int kColorDisabledMark = 35;
constexpr int kColorHighlightChecked = 36;
constexpr int kColorHighlightText = 45;
constexpr int kColorToolbarText = 46;
constexpr int kColorDisabledRadioFace = 51;

// The colour manager's gradients the Office 2003 look fills with.
constexpr int kGradientChecked = 7;
constexpr int kGradientPushed = 8;
constexpr int kGradientSelected = 9;

BOOL IsIdle(CXTPButton* pButton)
{
    return !pButton->IsHot() && !pButton->IsPushed() && !pButton->GetChecked();
}

// Steps every look shares before its own background: nothing for an idle transparent button,
// and the system's visual style when it draws this button. TRUE when that already finished it.
BOOL DrawCommonBackground(CXTPButtonTheme* theme, CDC* pDC, CXTPButton* pButton)
{
    if (pButton->GetTransparent() && IsIdle(pButton))
        return TRUE;
    if (theme->IsVisualStyleActive(pButton)) {
        theme->DrawThemedBackground(pDC, pButton);
        return TRUE;
    }
    return FALSE;
}

void Frame(CDC* pDC, const CRect& rect, COLORREF color)
{
    pDC->Draw3dRect(&rect, color, color);
}

} // namespace

void XTPDrawAntialiasedDisc(CDC* pDC, const CRect& rect, COLORREF border, COLORREF fill)
{
    // The radius comes from the width alone; a quarter pixel less keeps the rim inside the box.
    const double radius = (rect.right - rect.left - 1) / 2.0 - 0.25;
    const double cx = (rect.left + rect.right - 1) / 2.0;
    const double cy = (rect.top + rect.bottom - 1) / 2.0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            if (d >= radius - 1 && d <= radius + 1)
                MixPixelColor(pDC, x, y, border, fill, d - radius);
            else if (d < radius - 1)
                pDC->SetPixelV(x, y, fill);
        }
    }
}

// ---- flat ----

CXTPButtonFlatTheme::CXTPButtonFlatTheme()
{
    m_nTheme = xtpControlThemeFlat;
    m_bFlat = TRUE;
}

void CXTPButtonFlatTheme::DrawButtonBackground(CDC* pDC, CXTPButton* pButton)
{
    if (DrawCommonBackground(this, pDC, pButton))
        return;
    CRect rect = pButton->GetButtonRect();
    FillSolid(pDC, rect, pButton->GetBackColor());
    if (pButton->GetButtonType() == BS_DEFPUSHBUTTON) {
        Frame(pDC, rect, Xc(COLOR_WINDOWFRAME));
        rect.DeflateRect(1, 1);
    }
    Frame(pDC, rect, Xc(COLOR_WINDOWFRAME));
    rect.DeflateRect(1, 1);
    Frame(pDC, rect, Xc(COLOR_WINDOW));
}

// ---- ultra-flat ----

CXTPButtonUltraFlatTheme::CXTPButtonUltraFlatTheme()
{
    m_nTheme = xtpControlThemeUltraFlat;
    m_nFocusInset = 3;
    m_bFlat = TRUE;
    m_bUseThemeColors = TRUE;
}

void CXTPButtonUltraFlatTheme::RefreshMetrics(CXTPButton* pButton)
{
    CXTPButtonTheme::RefreshMetrics(pButton);
    const COLORREF back = pButton->GetBackColor();
    m_crBorderHilite.SetStandardValue(Xc(COLOR_BTNSHADOW));
    m_crBorderShadow.SetStandardValue(Xc(COLOR_BTNSHADOW));
    m_crBack.SetStandardValue(back);
    m_crText.SetStandardValue(pButton->GetTextColor());
    m_crBackPushed.SetStandardValue(CXTPColorManager::MixColors(Xc(COLOR_BTNSHADOW), back, 50));
    const COLORREF hot = CXTPColorManager::MixColors(back, Xc(COLOR_WINDOW), 30);
    m_crBackHilite.SetStandardValue(hot);
    m_crTextHilite.SetStandardValue(pButton->GetTextColor());
    // Each term truncated on its own, as the integer arithmetic of the look always did.
    const COLORREF face = Xc(kColorToolbarFace), window = Xc(COLOR_WINDOW);
    auto channel = [](int h, int f, int w) { return h * 10 / 100 + f * 50 / 100 + w * 40 / 100; };
    m_crBackChecked.SetStandardValue(RGB(channel(GetRValue(hot), GetRValue(face), GetRValue(window)),
                                         channel(GetGValue(hot), GetGValue(face), GetGValue(window)),
                                         channel(GetBValue(hot), GetBValue(face), GetBValue(window))));
}

void CXTPButtonUltraFlatTheme::FillStateBackground(CDC* pDC, CXTPButton* pButton, const CRect& rect)
{
    const BOOL hot = pButton->IsHot(), pressed = pButton->IsPushed(), checked = pButton->GetChecked() != 0;
    COLORREF color = m_crBackPushed;
    if (hot && !pressed && !checked)
        color = m_crBackHilite;
    else if (checked && !hot && !pressed)
        color = m_crBackChecked;
    // Pressed, or hot and checked: the pressed face.
    FillSolid(pDC, rect, color);
}

void CXTPButtonUltraFlatTheme::DrawButtonBackground(CDC* pDC, CXTPButton* pButton)
{
    if (DrawCommonBackground(this, pDC, pButton))
        return;
    CRect rect = pButton->GetButtonRect();
    if (pButton->GetButtonType() == BS_DEFPUSHBUTTON) {
        Frame(pDC, rect, m_crBorderShadow);
        rect.DeflateRect(1, 1);
    }
    if (IsIdle(pButton)) {
        FillSolid(pDC, rect, pButton->GetBackColor());
        Frame(pDC, rect, m_crBorderShadow);
        return;
    }
    FillStateBackground(pDC, pButton, rect);
    Frame(pDC, rect, m_crBorderHilite);
}

COLORREF CXTPButtonUltraFlatTheme::GetMarkFaceColor(CXTPButton* pButton) const
{
    const BOOL hot = pButton->IsHot(), pressed = pButton->IsPushed();
    if (m_bUseThemeColors) {
        if (hot && pressed)
            return m_crBackPushed;
        if (hot || pressed)
            return m_crBackHilite;
        return Xc(COLOR_WINDOW);
    }
    return (hot && pressed) ? Xc(COLOR_BTNFACE) : Xc(COLOR_WINDOW);
}

void CXTPButtonUltraFlatTheme::DrawCheckMark(CDC* pDC, CXTPButton* pButton)
{
    const CRect rect = CalcRect(pDC, pButton, xtpButtonPartCheckMark);
    const BOOL enabled = pButton->IsWindowEnabled();
    COLORREF fill = Xc(COLOR_BTNFACE), frame = Xc(kColorDisabledMark);
    if (enabled) {
        fill = GetMarkFaceColor(pButton);
        frame = (pButton->IsHot() || pButton->IsPushed()) ? static_cast<COLORREF>(m_crBorderHilite)
                                                          : static_cast<COLORREF>(m_crBorderShadow);
    }
    FillSolid(pDC, rect, fill);
    Frame(pDC, rect, frame);

    const int checked = pButton->GetChecked();
    if (!checked)
        return;
    const COLORREF tick = (enabled && checked != BST_INDETERMINATE) ? Xc(COLOR_BTNTEXT) : Xc(kColorDisabledMark);
    const int cx = (rect.left + rect.right) / 2;
    const int cy = (rect.top + rect.bottom) / 2 + 1;
    // A mirrored context flips x itself, so the tick is mirrored back to keep its shape.
    const int sign = IsDCMirrored(pDC) ? -1 : 1;
    CXTPPenDC pen(pDC->GetSafeHdc(), tick);
    for (int i = 0; i < 3; ++i) {
        const POINT points[3] = {{cx - 3 * sign, cy + i - 2}, {cx - 1 * sign, cy + i}, {cx + 4 * sign, cy + i - 5}};
        pDC->Polyline(points, 3);
    }
}

void CXTPButtonUltraFlatTheme::DrawRadioMark(CDC* pDC, CXTPButton* pButton)
{
    const CRect rect = CalcRect(pDC, pButton, xtpButtonPartRadioMark);
    const BOOL enabled = pButton->IsWindowEnabled();
    COLORREF fill = Xc(kColorDisabledRadioFace), border = Xc(kColorDisabledMark);
    if (enabled) {
        fill = GetMarkFaceColor(pButton);
        border = (m_bUseThemeColors && (pButton->IsHot() || pButton->IsPushed()))
                     ? static_cast<COLORREF>(m_crBorderHilite)
                     : static_cast<COLORREF>(m_crBorderShadow);
    }
    XTPDrawAntialiasedDisc(pDC, rect, border, fill);
    const int checked = pButton->GetChecked();
    if (!checked)
        return;
    const COLORREF dot = (enabled && checked != BST_INDETERMINATE) ? Xc(COLOR_BTNTEXT) : Xc(kColorDisabledMark);
    XTPDrawAntialiasedDisc(pDC, CRect(rect.left + 4, rect.top + 4, rect.left + 9, rect.top + 9), dot, dot);
}

void CXTPButtonUltraFlatTheme::DrawGroupBox(CDC* pDC, CXTPButton* pButton)
{
    if (IsVisualStyleActive(pButton)) {
        CXTPButtonTheme::DrawGroupBox(pDC, pButton);
        return;
    }
    const CRect frame = CalcRect(pDC, pButton, xtpButtonPartGroupFrame);
    CRect caption = CalcRect(pDC, pButton, xtpButtonPartGroupCaption);
    const BOOL rightAligned = (pButton->GetTextAlignment() & BS_CENTER) == BS_RIGHT;
    caption.OffsetRect(rightAligned ? m_cxEdge : -m_cxEdge, 0);
    if (!caption.IsRectEmpty())
        pDC->ExcludeClipRect(&caption);
    if (pButton->GetGroupBoxStyle() == xtpGroupBoxHeader)
        pDC->FillSolidRect(frame.left, frame.top, frame.Width(), 1, m_crBorderShadow);
    else
        Frame(pDC, frame, m_crBorderShadow);
    pDC->SelectClipRgn(nullptr);
}

// ---- Office 2000 ----

CXTPButtonOffice2000Theme::CXTPButtonOffice2000Theme()
{
    m_nTheme = xtpControlThemeOffice2000;
    m_nFocusInset = 2;
    m_bUseThemeColors = FALSE;
}

void CXTPButtonOffice2000Theme::DrawButtonBackground(CDC* pDC, CXTPButton* pButton)
{
    if (DrawCommonBackground(this, pDC, pButton))
        return;
    const CRect rect = pButton->GetButtonRect();
    FillSolid(pDC, rect, pButton->GetBackColor());
    if (pButton->IsPushed() || pButton->GetChecked())
        Draw3dRect(pDC, rect, m_crBorderShadow, m_crBorder3DHilite);
    else
        Draw3dRect(pDC, rect, m_crBorder3DHilite, m_crBorderShadow);
}

// ---- Office XP ----

CXTPButtonOfficeXPTheme::CXTPButtonOfficeXPTheme()
{
    m_nTheme = xtpControlThemeOfficeXP;
    m_nFocusInset = 2;
    m_bOffsetHiLiteText = FALSE;
}

void CXTPButtonOfficeXPTheme::RefreshMetrics(CXTPButton* pButton)
{
    CXTPButtonUltraFlatTheme::RefreshMetrics(pButton);
    m_crBorderHilite.SetStandardValue(Xc(kColorHighlightBorder));
    m_crBorderShadow.SetStandardValue(Xc(COLOR_BTNSHADOW));
    m_crBack.SetStandardValue(Xc(kColorToolbarFace));
    m_crText.SetStandardValue(Xc(kColorToolbarText));
    m_crBackPushed.SetStandardValue(Xc(kColorHighlightPushed));
    m_crBackHilite.SetStandardValue(Xc(kColorHighlight));
    m_crTextHilite.SetStandardValue(Xc(kColorHighlightText));
    m_crBackChecked.SetStandardValue(Xc(kColorHighlightChecked));
}

void CXTPButtonOfficeXPTheme::DrawButtonBackground(CDC* pDC, CXTPButton* pButton)
{
    if (DrawCommonBackground(this, pDC, pButton))
        return;
    const CRect rect = pButton->GetButtonRect();
    if (IsIdle(pButton)) {
        FillSolid(pDC, rect, m_crBack);
        Frame(pDC, rect, m_crBorderShadow);
        return;
    }
    FillStateBackground(pDC, pButton, rect);
    Frame(pDC, rect, m_crBorderHilite);
}

// ---- Office 2003 ----

CXTPButtonOffice2003Theme::CXTPButtonOffice2003Theme()
{
    m_nTheme = xtpControlThemeOffice2003;
}

void CXTPButtonOffice2003Theme::RefreshMetrics(CXTPButton* pButton)
{
    CXTPButtonOfficeXPTheme::RefreshMetrics(pButton);
    const int scheme = GetColorManager()->GetCurrentSystemTheme();
    m_bLunaTheme = scheme != 0;
    if (!m_bLunaTheme)
        return;    // without a scheme the look is Office XP's
    switch (scheme) {
    case 2:    // olive
        m_crBack.SetStandardValue(RGB(197, 212, 159));
        m_crBorderShadow.SetStandardValue(RGB(164, 185, 127));
        m_crBorderHilite.SetStandardValue(RGB(63, 93, 56));
        break;
    case 3:    // silver: the same face as the scheme's highlight border everywhere else
        m_crBack.SetStandardValue(RGB(192, 192, 211));
        m_crBorderShadow.SetStandardValue(RGB(165, 172, 178));
        m_crBorderHilite.SetStandardValue(RGB(75, 75, 111));
        break;
    default:    // blue, and the schemes that borrow its colours
        m_crBack.SetStandardValue(RGB(169, 199, 240));
        m_crBorderShadow.SetStandardValue(RGB(127, 157, 185));
        m_crBorderHilite.SetStandardValue(RGB(0, 0, 128));
        break;
    }
    m_crText.SetStandardValue(RGB(0, 0, 0));
    m_crBackPushed.SetStandardValue(RGB(254, 128, 62));
    m_crBackHilite.SetStandardValue(RGB(255, 238, 194));
    m_crTextHilite.SetStandardValue(RGB(0, 0, 0));
    m_crBackChecked.SetStandardValue(RGB(255, 192, 111));
}

void CXTPButtonOffice2003Theme::DrawButtonBackground(CDC* pDC, CXTPButton* pButton)
{
    if (!m_bLunaTheme) {
        CXTPButtonOfficeXPTheme::DrawButtonBackground(pDC, pButton);
        return;
    }
    if (DrawCommonBackground(this, pDC, pButton))
        return;
    const CRect rect = pButton->GetButtonRect();
    if (IsIdle(pButton)) {
        FillSolid(pDC, rect, m_crBack);
        Frame(pDC, rect, m_crBorderShadow);
        return;
    }
    int gradient = kGradientChecked;
    if (pButton->IsPushed())
        gradient = kGradientPushed;
    else if (pButton->IsHot())
        gradient = kGradientSelected;
    GetDrawHelpers()->GradientFillColorGradient(pDC, &rect, GetColorManager()->Gradient(gradient), FALSE);
    Frame(pDC, rect, m_crBorderHilite);
}

// ---- resource images ----

CXTPButtonResourceTheme::CXTPButtonResourceTheme()
{
    m_nTheme = xtpControlThemeResource;
    m_nFocusInset = 2;
}

void CXTPButtonResourceTheme::RefreshMetrics(CXTPButton* pButton)
{
    CXTPButtonUltraFlatTheme::RefreshMetrics(pButton);
    // A style without the entry keeps the ultra-flat shadow rather than an invalid colour.
    const COLORREF frame = GetResourceImages()->GetColor(L"Controls", L"GroupBoxFrame", static_cast<COLORREF>(-1));
    if (frame != static_cast<COLORREF>(-1))
        m_crBorderShadow.SetStandardValue(frame);
}

void CXTPButtonResourceTheme::DrawButtonBackground(CDC* pDC, CXTPButton* pButton)
{
    if (DrawCommonBackground(this, pDC, pButton))
        return;
    CXTPResourceImage* image = GetResourceImages()->GetImage(L"PUSHBUTTON");
    if (!image) {
        CXTPButtonTheme::DrawButtonBackground(pDC, pButton);
        return;
    }
    // The image stacks five states: normal, hot, pressed, disabled, default.
    int state = 0;
    if (!pButton->IsWindowEnabled())
        state = 3;
    else if (pButton->IsPushed())
        state = 2;
    else if (pButton->IsHot())
        state = 1;
    else if (pButton->GetChecked())
        state = 2;
    else if (pButton->GetButtonType() == BS_DEFPUSHBUTTON)
        state = 4;
    const CRect rect = pButton->GetButtonRect();
    image->DrawImageTransparent(pDC, rect, image->GetStateRect(state, 5), CRect(4, 4, 4, 4), RGB(255, 0, 255));
}

namespace {

// The unchecked state of a mark in the resource strips: normal, hot, pressed (while hot), disabled;
// checked and mixed states follow in steps of 4.
int MarkImageState(CXTPButton* pButton)
{
    if (!pButton->IsWindowEnabled())
        return 3;
    if (pButton->IsPushed() && pButton->IsHot())
        return 2;
    return pButton->IsHot() ? 1 : 0;
}

} // namespace

void CXTPButtonResourceTheme::DrawCheckMark(CDC* pDC, CXTPButton* pButton)
{
    CXTPResourceImage* image =
        IsVisualStyleActive(pButton) ? nullptr : GetResourceImages()->GetImage(L"TOOLBARBUTTONCHECKBOX");
    if (!image) {
        CXTPButtonTheme::DrawCheckMark(pDC, pButton);
        return;
    }
    int state = MarkImageState(pButton);
    const int checked = pButton->GetChecked();
    if (checked == BST_CHECKED)
        state += 4;
    else if (checked == BST_INDETERMINATE)
        state += 8;
    const CRect rect = CalcRect(pDC, pButton, xtpButtonPartCheckMark);
    image->DrawImage(pDC, rect, image->GetStateRect(state, 12), CRect(0, 0, 0, 0));
}

void CXTPButtonResourceTheme::DrawRadioMark(CDC* pDC, CXTPButton* pButton)
{
    CXTPResourceImage* image =
        IsVisualStyleActive(pButton) ? nullptr : GetResourceImages()->GetImage(L"TOOLBARBUTTONRADIOBUTTON");
    if (!image) {
        CXTPButtonTheme::DrawRadioMark(pDC, pButton);
        return;
    }
    int state = MarkImageState(pButton);
    if (pButton->GetChecked())
        state += 4;
    const CRect rect = CalcRect(pDC, pButton, xtpButtonPartRadioMark);
    image->DrawImage(pDC, rect, image->GetStateRect(state, 8), CRect(0, 0, 0, 0));
}
