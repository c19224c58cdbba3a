#include "toolkit/foundation/XTPButtonTheme.h"

#include "framework/window/Dc.h"
#include "framework/window/Gdi.h"
#include "toolkit/foundation/XTPButton.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPMarkupServices.h"
#include "toolkit/foundation/XTPWinThemeWrapper.h"

#include <vssym32.h>

#include <algorithm>
#include <cmath>

namespace {

// The plain check and radio marks are this size when the visual style does not say otherwise.
constexpr int kCheckMarkSize = 13;
// Space between a mark and its label.
constexpr int kMarkTextGap = 3;
// Width of a drop-down arrow's column, and what the layout keeps free for it besides the gap.
constexpr int kArrowAreaWidth = 16;
constexpr int kArrowReserve = 12;

COLORREF Xc(int index)
{
    return GetColorManager()->GetColor(index);
}

BOOL IsThreeState(BYTE type)
{
    return type == BS_3STATE || type == BS_AUTO3STATE;
}

// Horizontal and vertical halves of BS_ alignment bits. BS_CENTER and BS_VCENTER are both bits
// of their half, so the halves are compared whole.
DWORD HorizontalPart(DWORD alignment)
{
    return alignment & BS_CENTER;
}

DWORD VerticalPart(DWORD alignment)
{
    return alignment & BS_VCENTER;
}

int AlignX(DWORD alignment, const CRect& box, int width)
{
    switch (HorizontalPart(alignment)) {
    case BS_RIGHT: return box.right - width;
    case BS_CENTER: return (box.left + box.right - width) / 2;
    default: return box.left;
    }
}

int AlignY(DWORD alignment, const CRect& box, int height)
{
    switch (VerticalPart(alignment)) {
    case BS_BOTTOM: return box.bottom - height;
    case BS_VCENTER: return (box.top + box.bottom - height) / 2;
    default: return box.top;
    }
}

int SpaceHeight(CDC* pDC)
{
    return pDC->GetTextExtent(L" ", 1).cy;
}

HFONT ButtonFont(CXTPButton* pButton)
{
    return reinterpret_cast<HFONT>(::SendMessageW(pButton->GetSafeHwnd(), WM_GETFONT, 0, 0));
}

} // namespace

// ---- the plain look ----

CXTPButtonTheme::CXTPButtonTheme()
{
    m_nTheme = 0;
    m_pThemeWrapper = new CXTPWinThemeWrapper();
    m_cxBorder = ::GetSystemMetrics(SM_CXBORDER);
    m_cyBorder = ::GetSystemMetrics(SM_CYBORDER);
    m_cyEdge = ::GetSystemMetrics(SM_CYEDGE);
    m_cxEdge = ::GetSystemMetrics(SM_CXEDGE);
}

CXTPButtonTheme::~CXTPButtonTheme()
{
    delete m_pThemeWrapper;
}

void CXTPButtonTheme::FillSolid(CDC* pDC, const CRect& rect, COLORREF color)
{
    pDC->FillSolidRect(&rect, color);
}

void CXTPButtonTheme::Draw3dRect(CDC* pDC, const CRect& rect, COLORREF topLeft, COLORREF bottomRight)
{
    pDC->Draw3dRect(&rect, topLeft, bottomRight);
}

BOOL CXTPButtonTheme::IsFocusHidden(CXTPButton* pButton)
{
    return (::SendMessageW(pButton->GetSafeHwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
}

BOOL CXTPButtonTheme::IsAccelHidden(CXTPButton* pButton)
{
    return (::SendMessageW(pButton->GetSafeHwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0;
}

BOOL CXTPButtonTheme::IsVisualStyleActive(CXTPButton* pButton) const
{
    return m_pThemeWrapper->GetThemeHandle() && m_pThemeWrapper->IsAppThemed() && pButton->GetUseVisualStyle();
}

void CXTPButtonTheme::RefreshMetrics(CXTPButton* pButton)
{
    m_pThemeWrapper->OpenThemeData(pButton->GetSafeHwnd(), L"BUTTON");
    RefreshToolkitColors();
    m_crTextDisabled.SetStandardValue(Xc(COLOR_GRAYTEXT));
    m_crBorderHilite.SetStandardValue(Xc(COLOR_BTNFACE));
    m_crBorderShadow.SetStandardValue(Xc(COLOR_BTNSHADOW));
    m_crBorder3DHilite.SetStandardValue(Xc(COLOR_BTNHIGHLIGHT));
    m_crBorder3DShadow.SetStandardValue(Xc(COLOR_3DDKSHADOW));
    m_crBack.SetStandardValue(Xc(COLOR_BTNFACE));
    m_crText.SetStandardValue(Xc(COLOR_BTNTEXT));
}

COLORREF CXTPButtonTheme::GetTextColor(CXTPButton* pButton)
{
    return pButton->IsWindowEnabled() ? pButton->GetTextColor() : static_cast<COLORREF>(m_crTextDisabled);
}

CSize CXTPButtonTheme::GetCheckMarkSize(CXTPButton* pButton, BOOL bCheckBox)
{
    if (IsVisualStyleActive(pButton)) {
        const CRect rect = pButton->GetButtonRect();
        SIZE size{};
        if (SUCCEEDED(m_pThemeWrapper->GetThemePartSize(nullptr, bCheckBox ? BP_CHECKBOX : BP_RADIOBUTTON, 1, &rect,
                                                        TS_TRUE, &size)) &&
            size.cx > 0 && size.cy > 0)
            return CSize(size.cx, size.cy);
    }
    return CSize(kCheckMarkSize, kCheckMarkSize);
}

void CXTPButtonTheme::DrawButton(CDC* pDC, CXTPButton* pButton)
{
    if (pButton->IsPushLike()) {
        DrawButtonBackground(pDC, pButton);
        DrawButtonText(pDC, pButton);
        DrawButtonImage(pDC, pButton);
        const int style = pButton->GetPushButtonStyle();
        if (style == xtpButtonDropDown || style == xtpButtonDropDownRight || style == xtpButtonSplitDropDown)
            DrawDropDownArrow(pDC, pButton);
        if (::GetFocus() == pButton->GetSafeHwnd() && pButton->GetShowFocus())
            DrawFocusFrame(pDC, pButton);
        return;
    }
    switch (pButton->GetButtonType()) {
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: DrawRadioMark(pDC, pButton); break;
    case BS_GROUPBOX:
        if (pButton->GetGroupBoxStyle() == xtpGroupBoxNone)
            return;
        DrawGroupBox(pDC, pButton);
        break;
    case BS_USERBUTTON: return;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: DrawCheckMark(pDC, pButton); break;
    default: return;
    }
    DrawCheckLabel(pDC, pButton);
}

void CXTPButtonTheme::DrawButtonBackground(CDC* pDC, CXTPButton* pButton)
{
    const BOOL down = pButton->IsPushed() || pButton->GetChecked();
    if (pButton->GetTransparent() && !pButton->IsHot() && !down)
        return;
    if (IsVisualStyleActive(pButton)) {
        DrawThemedBackground(pDC, pButton);
        return;
    }
    CRect rect = pButton->GetButtonRect();
    FillSolid(pDC, rect, pButton->GetBackColor());
    if (pButton->GetButtonType() == BS_DEFPUSHBUTTON) {
        Draw3dRect(pDC, rect, m_crBorder3DShadow, m_crBorder3DShadow);
        rect.DeflateRect(1, 1);
    }
    if (down)
        Draw3dRect(pDC, rect, m_crBorder3DShadow, m_crBorder3DHilite);
    else
        Draw3dRect(pDC, rect, m_crBorder3DHilite, m_crBorder3DShadow);
    rect.DeflateRect(1, 1);
    if (down)
        Draw3dRect(pDC, rect, m_crBorderShadow, m_crBorderHilite);
    else
        Draw3dRect(pDC, rect, m_crBorderHilite, m_crBorderShadow);
}

void CXTPButtonTheme::DrawThemedBackground(CDC* pDC, CXTPButton* pButton)
{
    int state = PBS_NORMAL;
    if (!pButton->IsWindowEnabled())
        state = PBS_DISABLED;
    else if (pButton->IsPushed())
        state = PBS_PRESSED;
    else if (pButton->IsHot())
        state = PBS_HOT;
    else if (pButton->GetChecked())
        state = PBS_PRESSED;
    else if (pButton->GetButtonType() == BS_DEFPUSHBUTTON)
        state = PBS_DEFAULTED;
    const CRect rect = pButton->GetButtonRect();
    m_pThemeWrapper->DrawThemeBackground(pDC->GetSafeHdc(), BP_PUSHBUTTON, state, &rect, nullptr);
}

void CXTPButtonTheme::DrawFocusFrame(CDC* pDC, CXTPButton* pButton)
{
    if (IsFocusHidden(pButton))
        return;
    CRect rect = pButton->GetButtonRect();
    rect.DeflateRect(m_nFocusInset, m_nFocusInset);
    pDC->SetTextColor(Xc(COLOR_BTNTEXT));
    pDC->SetBkColor(Xc(COLOR_WINDOW));
    pDC->DrawFocusRect(&rect);
}

CRect CXTPButtonTheme::CalcRect(CDC* pDC, CXTPButton* pButton, int nPart)
{
    CRect rect = pButton->GetButtonRect();
    const DWORD alignment = pButton->GetTextAlignment();
    const BOOL leftText = (pButton->GetStyle() & BS_LEFTTEXT) != 0;
    switch (nPart) {
    case xtpButtonPartCheckMark:
    case xtpButtonPartRadioMark: {
        const CSize size = GetCheckMarkSize(pButton, nPart == xtpButtonPartCheckMark);
        const DWORD vertical = VerticalPart(alignment);
        if (vertical == BS_TOP || vertical == BS_BOTTOM) {
            // Line the mark up with the first (or last) line of text, not the whole rectangle.
            const int h = SpaceHeight(pDC);
            const int e = (h + h / 4 - size.cy) / 2;
            if (vertical == BS_TOP)
                rect.top += e;
            else
                rect.top = rect.bottom + e - h - h / 4;
        } else {
            rect.top = (rect.top + rect.bottom - size.cy) / 2;
        }
        rect.bottom = rect.top + size.cy;
        if (leftText)
            rect.left = rect.right - size.cx;
        else
            rect.right = rect.left + size.cx;
        return rect;
    }
    case xtpButtonPartCheckText:
    case xtpButtonPartRadioText: {
        const int w = GetCheckMarkSize(pButton, nPart == xtpButtonPartCheckText).cx;
        if (leftText)
            rect.right -= w + kMarkTextGap;
        else
            rect.left += w + kMarkTextGap;
        return rect;
    }
    case xtpButtonPartGroupCaption: {
        CString text = pButton->GetButtonText();
        StripAmpersands(text);
        if (text.IsEmpty())
            return CRect(0, 0, 0, 0);
        const CSize extent = pDC->GetTextExtent(text);
        const int e = extent.cx + 2 * m_cxEdge;
        const BOOL rightAligned = HorizontalPart(alignment) == BS_RIGHT;
        if (pButton->GetGroupBoxStyle() == xtpGroupBoxHeader) {
            if (rightAligned)
                rect.left = rect.right - e;
            else
                rect.right = rect.left + e;
        } else if (rightAligned) {
            rect.right = rect.right - m_cxBorder - 6;
            rect.left = rect.right - e;
        } else {
            rect.left = rect.left + m_cxBorder + 8;
            rect.right = rect.left + e;
        }
        rect.bottom = rect.top + extent.cy;
        return rect;
    }
    case xtpButtonPartGroupFrame: rect.top += SpaceHeight(pDC) / 2; return rect;
    case xtpButtonPartPushContent: rect.DeflateRect(m_cxEdge, m_cyEdge); return rect;
    default: return rect;
    }
}

void CXTPButtonTheme::CalcLayout(CDC* pDC, CXTPButton* pButton, CRect& rcText, UINT& nFormat, CRect& rcImage)
{
    const DWORD style = pButton->GetStyle();
    nFormat = DT_SINGLELINE;
    if (pButton->GetExStyle() & WS_EX_RTLREADING)
        nFormat |= DT_RTLREADING;
    if (style & BS_MULTILINE)
        nFormat = (nFormat & ~DT_SINGLELINE) | DT_WORDBREAK | DT_EDITCONTROL;

    const int gap = pButton->GetBorderGap();
    CRect box = pButton->GetButtonRect();
    box.DeflateRect(gap, gap);
    const int pushStyle = pButton->GetPushButtonStyle();
    if (pushStyle == xtpButtonDropDown || pushStyle == xtpButtonDropDownRight || pushStyle == xtpButtonSplitDropDown)
        box.right -= (pushStyle == xtpButtonSplitDropDown ? gap * 2 : gap) + kArrowReserve;

    const CString text = pButton->GetButtonText();
    CSize image = pButton->GetImageSize();
    int iw = image.cx, ih = image.cy;
    const int imageGap = pButton->GetImageGap();
    int relation = pButton->GetTextImageRelation();
    if (!pButton->GetIcon() || text.IsEmpty())
        relation = xtpButtonOverlay;
    int available = box.Width();
    if (relation == xtpButtonImageAboveText || relation == xtpButtonTextAboveImage) {
        ih += imageGap;
    } else if (relation == xtpButtonImageBeforeText || relation == xtpButtonTextBeforeImage) {
        iw += imageGap;
        available -= iw;
    }
    available = std::max(available, 0);

    int tw = 0, th = 0;
    if (!text.IsEmpty()) {
        if (CXTPMarkupUIElement* element = pButton->GetMarkupUIElement()) {
            XTPMarkup::SetDefaults(pButton->GetMarkupContext(), ButtonFont(pButton), GetTextColor(pButton));
            const SIZE size = XTPMarkup::Measure(element, available, box.Height());
            tw = std::min<int>(size.cx, available);
            th = size.cy;
        } else {
            CRect calc(0, 0, available, 0);
            pDC->DrawText(text, &calc, nFormat | DT_CALCRECT);
            tw = std::min(calc.Width(), available);
            th = calc.Height();
        }
    }

    const DWORD imageAlign = pButton->GetImageAlignment();
    const DWORD textAlign = pButton->GetTextAlignment();
    int ix = AlignX(imageAlign, box, iw);
    int iy = AlignY(imageAlign, box, ih);
    int tx = AlignX(textAlign, box, tw);
    int ty = AlignY(textAlign, box, th);

    switch (relation) {
    case xtpButtonImageAboveText:
        switch (VerticalPart(imageAlign)) {
        case BS_BOTTOM: iy = box.bottom - th - ih; break;
        case BS_VCENTER: iy = (box.top + box.bottom - th - ih) / 2; break;
        default: iy = box.top; break;
        }
        ty = std::max(ty, iy + ih);
        break;
    case xtpButtonTextAboveImage:
        switch (VerticalPart(imageAlign)) {
        case BS_BOTTOM: iy = box.bottom - ih; break;
        case BS_VCENTER: iy = (box.top + box.bottom + th - ih) / 2; break;
        default: iy = box.top + th; break;
        }
        iy += imageGap;
        if (iy < ty + imageGap + th)
            ty = iy - imageGap - th;
        break;
    case xtpButtonImageBeforeText:
        switch (HorizontalPart(imageAlign)) {
        case BS_RIGHT: ix = box.right - tw - iw; break;
        case BS_CENTER: ix = (box.left + box.right - tw - iw) / 2; break;
        default: ix = box.left; break;
        }
        tx = std::max(tx, ix + iw);
        break;
    case xtpButtonTextBeforeImage:
        switch (HorizontalPart(imageAlign)) {
        case BS_RIGHT: ix = box.right - iw; break;
        case BS_CENTER: ix = (box.left + tw + box.right - iw) / 2; break;
        default: ix = box.left + tw; break;
        }
        ix += imageGap;
        if (ix < tx + imageGap + tw)
            tx = ix - imageGap - tw;
        break;
    default: break;
    }

    rcText.SetRect(tx, ty, tx + tw, ty + th);
    rcImage.SetRect(ix, iy, ix + iw, iy + ih);
    if (HorizontalPart(textAlign) == BS_RIGHT)
        nFormat |= DT_RIGHT;
    else if (HorizontalPart(textAlign) == BS_CENTER)
        nFormat |= DT_CENTER;
}

void CXTPButtonTheme::DrawButtonText(CDC* pDC, CXTPButton* pButton)
{
    const CString text = pButton->GetButtonText();
    if (text.IsEmpty())
        return;
    CRect rcText, rcImage;
    UINT format = 0;
    CalcLayout(pDC, pButton, rcText, format, rcImage);
    if ((pButton->IsPushed() || pButton->GetChecked()) && m_bOffsetHiLiteText && !IsVisualStyleActive(pButton))
        rcText.OffsetRect(1, 1);
    const COLORREF color = GetTextColor(pButton);
    pDC->SetTextColor(color);
    if (CXTPMarkupUIElement* element = pButton->GetMarkupUIElement()) {
        XTPMarkup::SetDefaults(pButton->GetMarkupContext(), ButtonFont(pButton), color);
        XTPMarkup::Render(element, pDC->GetSafeHdc(), &rcText);
        return;
    }
    if (IsAccelHidden(pButton))
        format |= DT_HIDEPREFIX;
    pDC->DrawText(text, &rcText, format);
}

void CXTPButtonTheme::DrawButtonImage(CDC* pDC, CXTPButton* pButton)
{
    if (!pButton->GetIcon())
        return;
    CRect rcText, rcImage;
    UINT format = 0;
    CalcLayout(pDC, pButton, rcText, format, rcImage);
    if ((pButton->IsPushed() || pButton->GetChecked()) && m_bOffsetHiLiteText && !IsVisualStyleActive(pButton))
        rcImage.OffsetRect(1, 1);
    const CSize size = pButton->GetImageSize();
    pButton->DrawImage(pDC, rcImage.left, rcImage.top, rcImage.left + size.cx, rcImage.top + size.cy);
}

void CXTPButtonTheme::DrawDropDownArrow(CDC* pDC, CXTPButton* pButton)
{
    CRect area = pButton->GetButtonRect();
    area.DeflateRect(pButton->GetBorderGap(), pButton->GetBorderGap());
    if (!pButton->GetButtonText().IsEmpty() || pButton->GetIcon())
        area.left = area.right - kArrowAreaWidth;
    if ((pButton->IsPushed() || pButton->GetChecked()) && m_bOffsetHiLiteText && !IsVisualStyleActive(pButton))
        area.OffsetRect(1, 1);
    const BOOL enabled = pButton->IsWindowEnabled();
    const COLORREF color = Xc(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    const int cx = (area.left + area.right) / 2;
    const int cy = (area.top + area.bottom) / 2;
    switch (pButton->GetPushButtonStyle()) {
    case xtpButtonDropDown:
        DrawFilledTriangle(pDC, POINT{cx - 4, cy - 2}, POINT{cx + 4, cy - 2}, POINT{cx, cy + 2}, color);
        break;
    case xtpButtonDropDownRight:
        DrawFilledTriangle(pDC, POINT{cx - 2, cy - 4}, POINT{cx - 2, cy + 4}, POINT{cx + 2, cy}, color);
        break;
    case xtpButtonSplitDropDown: {
        DrawFilledTriangle(pDC, POINT{cx - 3, cy - 2}, POINT{cx + 5, cy - 2}, POINT{cx + 1, cy + 2}, color);
        COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
        if (!IsVisualStyleActive(pButton))
            shadow = enabled ? static_cast<COLORREF>(m_crBorderShadow) : Xc(COLOR_GRAYTEXT);
        pDC->FillSolidRect(area.left, area.top, 1, area.Height(), shadow);
        pDC->FillSolidRect(area.left + 1, area.top, 1, area.Height(), ::GetSysColor(COLOR_BTNHIGHLIGHT));
        break;
    }
    default: break;
    }
}

namespace {

// The unchecked part state of a themed check or radio mark; checked (and mixed) states follow
// in steps of 4, in the same order for both parts.
int ThemedMarkState(CXTPButton* pButton)
{
    if (!pButton->IsWindowEnabled())
        return CBS_UNCHECKEDDISABLED;
    if (pButton->IsPushed())
        return CBS_UNCHECKEDPRESSED;
    if (pButton->IsHot())
        return CBS_UNCHECKEDHOT;
    return CBS_UNCHECKEDNORMAL;
}
static_assert(int(RBS_UNCHECKEDNORMAL) == int(CBS_UNCHECKEDNORMAL) && int(RBS_UNCHECKEDHOT) == int(CBS_UNCHECKEDHOT) &&
              int(RBS_UNCHECKEDPRESSED) == int(CBS_UNCHECKEDPRESSED) &&
              int(RBS_UNCHECKEDDISABLED) == int(CBS_UNCHECKEDDISABLED));

// The DrawFrameControl flags of a classic mark of the kind (DFCS_BUTTONCHECK or DFCS_BUTTONRADIO).
UINT ClassicMarkFlags(CXTPButton* pButton, UINT kind, BOOL flat, BOOL checked)
{
    UINT flags = kind;
    if (flat)
        flags |= DFCS_FLAT;
    if (checked)
        flags |= DFCS_CHECKED;
    if (!pButton->IsWindowEnabled())
        flags |= DFCS_INACTIVE;
    if (pButton->IsPushed())
        flags |= DFCS_PUSHED;
    return flags;
}

} // namespace

void CXTPButtonTheme::DrawCheckMark(CDC* pDC, CXTPButton* pButton)
{
    CRect rect = CalcRect(pDC, pButton, xtpButtonPartCheckMark);
    const int checked = pButton->GetChecked();
    const BOOL mixed = checked == BST_INDETERMINATE && IsThreeState(pButton->GetButtonType());
    if (IsVisualStyleActive(pButton)) {
        const int state = ThemedMarkState(pButton) + (checked ? 4 : 0) + (mixed ? 4 : 0);
        m_pThemeWrapper->DrawThemeBackground(pDC->GetSafeHdc(), BP_CHECKBOX, state, &rect, nullptr);
        return;
    }
    UINT flags = ClassicMarkFlags(pButton, DFCS_BUTTONCHECK, m_bFlat, checked);
    if (mixed)
        flags |= DFCS_BUTTON3STATE;
    pDC->DrawFrameControl(&rect, DFC_BUTTON, flags);
}

void CXTPButtonTheme::DrawRadioMark(CDC* pDC, CXTPButton* pButton)
{
    CRect rect = CalcRect(pDC, pButton, xtpButtonPartRadioMark);
    const int checked = pButton->GetChecked();
    if (IsVisualStyleActive(pButton)) {
        const int state = ThemedMarkState(pButton) + (checked ? 4 : 0);
        m_pThemeWrapper->DrawThemeBackground(pDC->GetSafeHdc(), BP_RADIOBUTTON, state, &rect, nullptr);
        return;
    }
    pDC->DrawFrameControl(&rect, DFC_BUTTON, ClassicMarkFlags(pButton, DFCS_BUTTONRADIO, m_bFlat, checked));
}

void CXTPButtonTheme::DrawGroupBox(CDC* pDC, CXTPButton* pButton)
{
    CRect frame = CalcRect(pDC, pButton, xtpButtonPartGroupFrame);
    CRect caption = CalcRect(pDC, pButton, xtpButtonPartGroupCaption);
    const BOOL rightAligned = HorizontalPart(pButton->GetTextAlignment()) == BS_RIGHT;
    caption.OffsetRect(rightAligned ? m_cxEdge : -m_cxEdge, 0);
    // The frame line must not run through the caption's text.
    if (!caption.IsRectEmpty())
        pDC->ExcludeClipRect(&caption);
    const BOOL themed = IsVisualStyleActive(pButton);
    if (pButton->GetGroupBoxStyle() == xtpGroupBoxHeader) {
        if (themed) {
            COLORREF color = 0;
            if (FAILED(m_pThemeWrapper->GetThemeColor(BP_GROUPBOX, GBS_NORMAL, TMT_BORDERCOLORHINT, &color)))
                color = ::GetSysColor(COLOR_BTNSHADOW);
            pDC->FillSolidRect(frame.left, frame.top, frame.Width(), 1, color);
        } else {
            pDC->DrawEdge(&frame, EDGE_ETCHED, BF_TOP | (m_bFlat ? BF_FLAT | BF_MONO : 0));
        }
    } else if (themed) {
        m_pThemeWrapper->DrawThemeBackground(pDC->GetSafeHdc(), BP_GROUPBOX,
                                             pButton->IsWindowEnabled() ? GBS_NORMAL : GBS_DISABLED, &frame, nullptr);
    } else {
        pDC->DrawEdge(&frame, EDGE_ETCHED, BF_RECT | (m_bFlat ? BF_FLAT | BF_MONO : 0));
    }
    pDC->SelectClipRgn(nullptr);
}

void CXTPButtonTheme::DrawCheckLabel(CDC* pDC, CXTPButton* pButton)
{
    const BOOL enabled = pButton->IsWindowEnabled();
    const COLORREF color = enabled ? pButton->GetTextColor() : static_cast<COLORREF>(m_crTextDisabled);
    pDC->SetTextColor(color);

    const BYTE type = pButton->GetButtonType();
    const DWORD style = pButton->GetStyle();
    int part = xtpButtonPartCheckText;
    if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
        part = xtpButtonPartRadioText;
    else if (type == BS_GROUPBOX)
        part = xtpButtonPartGroupCaption;
    const CRect label = CalcRect(pDC, pButton, part);
    const BOOL multiLine = (style & BS_MULTILINE) != 0;
    UINT format = multiLine ? DT_WORDBREAK | DT_NOCLIP | DT_EDITCONTROL : DT_SINGLELINE | DT_NOCLIP;

    const HWND hWnd = pButton->GetSafeHwnd();
    HANDLE picture = nullptr;
    UINT pictureKind = 0;
    CSize content(0, 0);
    const CString text = pButton->GetButtonText();
    CXTPMarkupUIElement* element = pButton->GetMarkupUIElement();
    if (style & BS_BITMAP) {
        picture = reinterpret_cast<HANDLE>(::SendMessageW(hWnd, BM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP info{};
        if (!picture || !::GetObjectW(picture, sizeof(info), &info))
            return;
        content = CSize(info.bmWidth, info.bmHeight);
        pictureKind = DST_BITMAP;
    } else if (style & BS_ICON) {
        picture = reinterpret_cast<HANDLE>(::SendMessageW(hWnd, BM_GETIMAGE, IMAGE_ICON, 0));
        if (!picture)
            return;
        content = CSize(16, 16);
        pictureKind = DST_ICON;
    } else {
        if (text.IsEmpty())
            return;
        if (element) {
            XTPMarkup::SetDefaults(pButton->GetMarkupContext(), ButtonFont(pButton), color);
            const SIZE size = XTPMarkup::Measure(element, label.Width(), label.Height());
            content = CSize(size.cx, size.cy);
        } else {
            CRect calc(0, 0, label.Width(), 0);
            pDC->DrawText(text, &calc, format | DT_CALCRECT);
            content = CSize(calc.Width(), calc.Height());
        }
    }

    const DWORD alignment = pButton->GetTextAlignment();
    int x = label.left, y = label.top;
    switch (HorizontalPart(alignment)) {
    case BS_RIGHT: x = label.right - content.cx; format |= DT_RIGHT; break;
    case BS_CENTER: x = (label.left + label.right - content.cx) / 2; format |= DT_CENTER; break;
    default: break;
    }
    switch (VerticalPart(alignment)) {
    case BS_TOP: break;
    case BS_BOTTOM: y = label.bottom - content.cy; format |= DT_BOTTOM; break;
    default: y = (label.top + label.bottom - content.cy) / 2; format |= DT_VCENTER; break;
    }
    CRect position(x, y, x + content.cx, y + content.cy);

    if (picture) {
        ::DrawStateW(pDC->GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(picture), 0, x, y, content.cx,
                     content.cy, pictureKind | (enabled ? DSS_NORMAL : DSS_DISABLED));
    } else if (type != BS_USERBUTTON) {
        if (element) {
            XTPMarkup::Render(element, pDC->GetSafeHdc(), &position);
        } else {
            if (pButton->GetExStyle() & WS_EX_RTLREADING)
                format |= DT_RTLREADING;
            if (IsAccelHidden(pButton))
                format |= DT_HIDEPREFIX;
            CRect target = multiLine ? position : label;
            pDC->DrawText(text, &target, format);
        }
    }

    if (::GetFocus() == hWnd && pButton->GetShowFocus() && !IsFocusHidden(pButton)) {
        const CRect bounds = pButton->GetButtonRect();
        CRect focus;
        focus.left = std::max<int>(x - m_cxBorder, bounds.left);
        focus.right = std::min<int>(bounds.right, focus.left + m_cxEdge + content.cx);
        focus.top = std::max<int>(y - m_cyBorder, bounds.top);
        focus.bottom = std::min<int>(bounds.bottom, focus.top + content.cy + m_cyEdge);
        pDC->SetTextColor(Xc(COLOR_BTNTEXT));
        pDC->SetBkColor(Xc(COLOR_WINDOW));
        pDC->DrawFocusRect(&focus);
    }
}
