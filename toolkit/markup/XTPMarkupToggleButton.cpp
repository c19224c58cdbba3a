#include "toolkit/markup/XTPMarkupToggleButton.h"

#include "toolkit/foundation/XTPWinThemeWrapper.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupThickness.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>
#include <cwchar>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupToggleButton, CXTPMarkupButtonBase, nullptr,
                      &CXTPMarkupToggleButton::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"CheckBox", CXTPMarkupCheckBox, CXTPMarkupToggleButton,
                      &CreateMarkupObject<CXTPMarkupCheckBox>, nullptr)
IMPLEMENT_MARKUPCLASS(L"RadioButton", CXTPMarkupRadioButton, CXTPMarkupToggleButton,
                      &CreateMarkupObject<CXTPMarkupRadioButton>, nullptr)

CXTPMarkupRoutedEvent* CXTPMarkupToggleButton::m_pCheckedEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupToggleButton::m_pUncheckedEvent = nullptr;
CXTPMarkupRoutedEvent* CXTPMarkupToggleButton::m_pIndeterminateEvent = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupToggleButton::m_pIsCheckedProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupToggleButton::m_pIsThreeStateProperty = nullptr;

namespace {

// Parts of the "BUTTON" visual-style class; their states run in blocks of four (normal, hot,
// pressed, disabled): unchecked, then checked, then (check box only) mixed.
constexpr int kRadioButtonPart = 2;
constexpr int kCheckBoxPart = 3;
constexpr int kCheckedStateOffset = 4;
constexpr int kMixedStateOffset = 8;

int CheckStateOf(const CXTPMarkupObject* value)
{
    const CXTPMarkupEnum* state = MarkupDynamicCast<CXTPMarkupEnum>(const_cast<CXTPMarkupObject*>(value));
    return state ? static_cast<int>(*state) : CXTPMarkupToggleButton::unchecked;
}

// Measure of both glyph buttons: the glyph column and the padding around the content, at least
// a glyph high; without content the radio button still asks for its glyph's height, the check
// box (as it always has) only for its padding.
SIZE MeasureGlyphButton(CXTPMarkupContentControl* button, CXTPMarkupDrawingContext* dc, int availableWidth,
                        int availableHeight, bool glyphHighWhenEmpty)
{
    const CXTPMarkupThickness* padding =
        MarkupDynamicCast<CXTPMarkupThickness>(button->GetValue(CXTPMarkupControl::m_pPaddingProperty));
    int extraWidth = CXTPMarkupCheckBox::kContentOffset;
    int extraHeight = 0;
    if (padding) {
        extraWidth += padding->GetLeft() + padding->GetRight();
        extraHeight += padding->GetTop() + padding->GetBottom();
    }
    CXTPMarkupUIElement* content = button->GetContent();
    if (!content)
        return SIZE{extraWidth, glyphHighWhenEmpty ? std::max(CXTPMarkupCheckBox::kGlyphSize, extraHeight) : extraHeight};
    content->Measure(dc, std::max(0, availableWidth - extraWidth), std::max(0, availableHeight - extraHeight));
    const SIZE desired = content->GetDesiredSize();
    return SIZE{desired.cx + extraWidth, std::max(CXTPMarkupCheckBox::kGlyphSize, static_cast<int>(desired.cy) + extraHeight)};
}

SIZE ArrangeGlyphButton(CXTPMarkupContentControl* button, int finalWidth, int finalHeight)
{
    if (CXTPMarkupUIElement* content = button->GetContent()) {
        RECT rc = MarkupDeflateRect(RECT{0, 0, finalWidth, finalHeight}, MarkupDynamicCast<CXTPMarkupThickness>(
                                                                            button->GetValue(CXTPMarkupControl::m_pPaddingProperty)));
        rc.left += CXTPMarkupCheckBox::kContentOffset;
        // Narrower than the glyph column: the content gets an empty box, not a negative one.
        rc.right = std::max(rc.right, rc.left);
        content->Arrange(rc);
    }
    return SIZE{finalWidth, finalHeight};
}

void RenderGlyphFocus(CXTPMarkupContentControl* button, CXTPMarkupDrawingContext* dc)
{
    if (!button->GetContent())
        return;
    const SIZE size = button->GetRenderSize();
    RECT rc = {CXTPMarkupCheckBox::kContentOffset - 1, 0, size.cx, size.cy};
    HDC hdc = dc->GetDC();
    const COLORREF oldText = ::SetTextColor(hdc, RGB(255, 255, 255));
    const COLORREF oldBack = ::SetBkColor(hdc, RGB(0, 0, 0));
    ::DrawFocusRect(hdc, &rc);
    ::SetBkColor(hdc, oldBack);
    ::SetTextColor(hdc, oldText);
    dc->ReleaseDC(hdc);
}

} // namespace

CXTPMarkupObject* MarkupConvertIsChecked(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(value);
    if (!text)
        return nullptr;
    const wchar_t* buffer = text->GetBuffer();
    if (!buffer || !*buffer)
        return CreateMarkupEnum(CXTPMarkupToggleButton::indeterminate);
    if (_wcsicmp(buffer, L"True") == 0)
        return CreateMarkupEnum(CXTPMarkupToggleButton::checked);
    if (_wcsicmp(buffer, L"False") == 0)
        return CreateMarkupEnum(CXTPMarkupToggleButton::unchecked);
    return nullptr;
}

// ---- Toggle button

void CXTPMarkupToggleButton::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    const DWORD bubbling = CXTPMarkupRoutedEvent::flagBubbling;
    m_pCheckedEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"Checked", bubbling, owner);
    m_pUncheckedEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"Unchecked", bubbling, owner);
    m_pIndeterminateEvent = CXTPMarkupRoutedEvent::RegisterRoutedEvent(L"Indeterminate", bubbling, owner);
    m_pIsCheckedProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"IsChecked", CXTPMarkupEnum::MarkupType(), owner,
        new Metadata(CreateMarkupEnum(unchecked), &MarkupConvertIsChecked, &CXTPMarkupToggleButton::OnIsCheckedChanged,
                     Metadata::flagAffectsRender));
    m_pIsThreeStateProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"IsThreeState", CXTPMarkupBool::MarkupType(), owner, new Metadata(MarkupFalse(), Metadata::flagAffectsRender));
}

int CXTPMarkupToggleButton::GetChecked() const
{
    return CheckStateOf(GetValue(m_pIsCheckedProperty));
}

void CXTPMarkupToggleButton::SetChecked(int state)
{
    SetValue(m_pIsCheckedProperty, CreateMarkupEnum(state));
}

BOOL CXTPMarkupToggleButton::IsThreeState() const
{
    const CXTPMarkupBool* value = MarkupDynamicCast<CXTPMarkupBool>(GetValue(m_pIsThreeStateProperty));
    return value && static_cast<BOOL>(*value);
}

void CXTPMarkupToggleButton::OnClick()
{
    // Kept alive across both steps: a checked-state handler may release the document.
    AddRef();
    OnToggle();
    CXTPMarkupButtonBase::OnClick();
    Release();
}

void CXTPMarkupToggleButton::OnToggle()
{
    const int state = GetChecked();
    int next = checked;
    if (state == checked)
        next = IsThreeState() ? indeterminate : unchecked;
    else if (state != unchecked)
        next = unchecked;
    SetChecked(next);
}

void CXTPMarkupToggleButton::OnChecked(CXTPMarkupRoutedEventArgs* args)
{
    RaiseEvent(args);
}

void CXTPMarkupToggleButton::OnUnchecked(CXTPMarkupRoutedEventArgs* args)
{
    RaiseEvent(args);
}

void CXTPMarkupToggleButton::OnIndeterminate(CXTPMarkupRoutedEventArgs* args)
{
    RaiseEvent(args);
}

void CXTPMarkupToggleButton::OnIsCheckedChanged(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs* e)
{
    CXTPMarkupToggleButton* button = MarkupDynamicCast<CXTPMarkupToggleButton>(object);
    if (!button)
        return;
    // The store notifies every SetValue, even of the value already there; only a real change
    // is announced, so that each change raises exactly one event.
    const int state = CheckStateOf(e->m_pNewValue);
    if (state == CheckStateOf(e->m_pOldValue))
        return;
    if (state == checked) {
        CXTPMarkupRoutedEventArgs args(m_pCheckedEvent, button);
        button->OnChecked(&args);
    } else if (state != unchecked) {
        CXTPMarkupRoutedEventArgs args(m_pIndeterminateEvent, button);
        button->OnIndeterminate(&args);
    } else {
        CXTPMarkupRoutedEventArgs args(m_pUncheckedEvent, button);
        button->OnUnchecked(&args);
    }
}

// ---- Check box

RECT CXTPMarkupCheckBox::GetGlyphRect(int height)
{
    const int middle = height / 2;
    return RECT{0, middle - 6, kGlyphSize, middle + 7};
}

SIZE CXTPMarkupCheckBox::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    OpenButtonTheme();
    return MeasureGlyphButton(this, dc, availableWidth, availableHeight, false);
}

SIZE CXTPMarkupCheckBox::ArrangeOverride(int finalWidth, int finalHeight)
{
    return ArrangeGlyphButton(this, finalWidth, finalHeight);
}

void CXTPMarkupCheckBox::OnRender(CXTPMarkupDrawingContext* dc)
{
    const RECT glyph = GetGlyphRect(m_szRenderSize.cy);
    const int state = GetChecked();
    HDC hdc = dc->GetDC();
    if (IsThemed()) {
        int themeState = GetVisualState();
        if (state == checked)
            themeState += kCheckedStateOffset;
        else if (state != unchecked)
            themeState += kMixedStateOffset;
        m_themeButton->DrawThemeBackground(hdc, kCheckBoxPart, themeState, &glyph, nullptr);
    } else {
        UINT flags = DFCS_BUTTONCHECK;
        if (state == checked)
            flags |= DFCS_CHECKED;
        else if (state != unchecked)
            flags |= DFCS_CHECKED | DFCS_BUTTON3STATE;
        if (IsPressed())
            flags |= DFCS_PUSHED;
        RECT rc = glyph;
        ::DrawFrameControl(hdc, &rc, DFC_BUTTON, flags);
    }
    dc->ReleaseDC(hdc);
}

void CXTPMarkupCheckBox::OnRenderFocusVisual(CXTPMarkupDrawingContext* dc)
{
    RenderGlyphFocus(this, dc);
}

// ---- Radio button

SIZE CXTPMarkupRadioButton::MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight)
{
    OpenButtonTheme();
    return MeasureGlyphButton(this, dc, availableWidth, availableHeight, true);
}

SIZE CXTPMarkupRadioButton::ArrangeOverride(int finalWidth, int finalHeight)
{
    return ArrangeGlyphButton(this, finalWidth, finalHeight);
}

void CXTPMarkupRadioButton::OnRender(CXTPMarkupDrawingContext* dc)
{
    const RECT glyph = CXTPMarkupCheckBox::GetGlyphRect(m_szRenderSize.cy);
    const bool isChecked = GetChecked() != unchecked;
    HDC hdc = dc->GetDC();
    if (IsThemed()) {
        const int themeState = GetVisualState() + (isChecked ? kCheckedStateOffset : 0);
        m_themeButton->DrawThemeBackground(hdc, kRadioButtonPart, themeState, &glyph, nullptr);
    } else {
        UINT flags = DFCS_BUTTONRADIO;
        if (isChecked)
            flags |= DFCS_CHECKED;
        if (IsPressed())
            flags |= DFCS_PUSHED;
        RECT rc = glyph;
        ::DrawFrameControl(hdc, &rc, DFC_BUTTON, flags);
    }
    dc->ReleaseDC(hdc);
}

void CXTPMarkupRadioButton::OnRenderFocusVisual(CXTPMarkupDrawingContext* dc)
{
    RenderGlyphFocus(this, dc);
}

void CXTPMarkupRadioButton::OnToggle()
{
    SetChecked(checked);
}

void CXTPMarkupRadioButton::OnChecked(CXTPMarkupRoutedEventArgs* args)
{
    CXTPMarkupVisual* parent = GetVisualParent();
    if (parent) {
        // Unchecking runs the siblings' handlers, which may change the tree: the parent is held
        // and the children are counted afresh at every step.
        parent->AddRef();
        for (int i = 0; i < parent->GetVisualChildrenCount(); ++i) {
            CXTPMarkupRadioButton* sibling = MarkupDynamicCast<CXTPMarkupRadioButton>(parent->GetVisualChild(i));
            if (sibling && sibling != this && sibling->GetChecked() != unchecked)
                sibling->SetChecked(unchecked);
        }
        parent->Release();
    }
    CXTPMarkupToggleButton::OnChecked(args);
}
