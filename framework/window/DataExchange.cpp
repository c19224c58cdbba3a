#include "framework/window/DataExchange.h"

#include "framework/ResourceHandle.h"
#include "framework/window/FrameworkPrompts.h"
#include "framework/window/WinApp.h"
#include "framework/window/Wnd.h"

#include <cstdint>
#include <cwctype>

CString FrameworkPrompt(UINT nID)
{
    CString text;
    if (text.LoadString(AfxGetResourceHandle(), nID) && !text.IsEmpty())
        return text;
    switch (nID) {
    case IDP_FW_PARSE_INT:
        return L"Enter an integer.";
    case IDP_FW_PARSE_UINT:
        return L"Enter a positive integer.";
    case IDP_FW_STRING_TOO_LONG:
        return L"Enter no more than %d characters.";
    default:
        return CString();
    }
}

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWndCtrl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (!hWndCtrl)
        Fail();    // a wrong id is a program error; failing beats writing into nothing
    m_hWndLastControl = hWndCtrl;
    m_bEditLastControl = FALSE;
    return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWndCtrl = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl && ::IsWindow(m_hWndLastControl)) {
        // The focus goes where the user has to look; an edit's text is selected so typing
        // replaces it.
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw CDataExchangeFailure{};
}

namespace {

CString ControlText(HWND hWnd)
{
    CString text;
    const int length = ::GetWindowTextLengthW(hWnd);
    ::GetWindowTextW(hWnd, text.GetBufferSetLength(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}

[[noreturn]] void FailWithPrompt(CDataExchange* pDX, UINT nIDPrompt)
{
    AfxMessageBox(FrameworkPrompt(nIDPrompt), MB_ICONEXCLAMATION);
    pDX->Fail();
}

// Reads [blanks][sign]digits[blanks] into a magnitude; FALSE for anything else or when the
// magnitude passes limit (so no digit string, however long, can wrap around).
BOOL ParseDecimal(const wchar_t* text, bool allowMinus, uint64_t limit, bool& negative, uint64_t& magnitude)
{
    if (!text)
        return FALSE;
    const wchar_t* p = text;
    while (std::iswspace(*p))
        ++p;
    negative = false;
    if (*p == L'+' || *p == L'-') {
        negative = *p == L'-';
        if (negative && !allowMinus)
            return FALSE;
        ++p;
    }
    if (*p < L'0' || *p > L'9')
        return FALSE;
    magnitude = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        magnitude = magnitude * 10 + static_cast<uint64_t>(*p - L'0');
        if (magnitude > limit)
            return FALSE;
    }
    while (std::iswspace(*p))
        ++p;
    return *p == 0;
}

} // namespace

BOOL AfxParseInt(const wchar_t* text, int& value)
{
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseDecimal(text, true, uint64_t{INT32_MAX} + 1, negative, magnitude))
        return FALSE;
    if (!negative && magnitude > uint64_t{INT32_MAX})
        return FALSE;
    value = negative ? static_cast<int>(-static_cast<int64_t>(magnitude)) : static_cast<int>(magnitude);
    return TRUE;
}

BOOL AfxParseDword(const wchar_t* text, DWORD& value)
{
    bool negative = false;
    uint64_t magnitude = 0;
    if (!ParseDecimal(text, false, UINT32_MAX, negative, magnitude))
        return FALSE;
    value = static_cast<DWORD>(magnitude);
    return TRUE;
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(hWndCtrl);
    else
        AfxSetWindowText(hWndCtrl, value);    // unchanged text keeps the caret and selection
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        int parsed = 0;
        if (!AfxParseInt(ControlText(hWndCtrl), parsed))
            FailWithPrompt(pDX, IDP_FW_PARSE_INT);
        value = parsed;
    } else {
        CString text;
        text.Format(L"%d", value);
        AfxSetWindowText(hWndCtrl, text);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        DWORD parsed = 0;
        if (!AfxParseDword(ControlText(hWndCtrl), parsed))
            FailWithPrompt(pDX, IDP_FW_PARSE_UINT);
        value = parsed;
    } else {
        CString text;
        text.Format(L"%lu", static_cast<unsigned long>(value));
        AfxSetWindowText(hWndCtrl, text);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageW(hWndCtrl, BM_GETCHECK, 0, 0));
    else
        ::SendMessageW(hWndCtrl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND hWnd = hWndCtrl; hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT), ++index) {
        if (hWnd != hWndCtrl && (::GetWindowLongW(hWnd, GWL_STYLE) & WS_GROUP))
            break;
        if (!(::SendMessageW(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) {
            --index;    // a label inside the group is no choice
            continue;
        }
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageW(hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            ::SendMessageW(hWnd, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageW(hWndCtrl, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageW(hWndCtrl, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    const bool dropList = (::GetWindowLongW(hWndCtrl, GWL_STYLE) & 3) == CBS_DROPDOWNLIST;
    if (pDX->m_bSaveAndValidate) {
        if (!dropList) {
            value = ControlText(hWndCtrl);    // what was typed counts, listed or not
            return;
        }
        const LRESULT selected = ::SendMessageW(hWndCtrl, CB_GETCURSEL, 0, 0);
        if (selected == CB_ERR) {
            value.Empty();
            return;
        }
        const LRESULT length = ::SendMessageW(hWndCtrl, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
        CString text;
        ::SendMessageW(hWndCtrl, CB_GETLBTEXT, static_cast<WPARAM>(selected),
                       reinterpret_cast<LPARAM>(text.GetBufferSetLength(static_cast<int>(length) + 1)));
        text.ReleaseBuffer();
        value = text;
    } else {
        const LRESULT found = ::SendMessageW(hWndCtrl, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(value.GetString()));
        if (found == CB_ERR && !dropList)
            AfxSetWindowText(hWndCtrl, value);
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hWndCtrl))
        pDX->Fail();    // the control already has an object: a program error
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars)
{
    HWND hWndCtrl = pDX->m_hWndLastControl;
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > nChars) {
            CString prompt;
            prompt.Format(FrameworkPrompt(IDP_FW_STRING_TOO_LONG), nChars);
            AfxMessageBox(prompt, MB_ICONEXCLAMATION);
            pDX->Fail();
        }
        return;
    }
    if (!hWndCtrl)
        return;
    wchar_t className[16] = {};
    ::GetClassNameW(hWndCtrl, className, 16);
    const UINT limit = _wcsicmp(className, L"ComboBox") == 0 ? CB_LIMITTEXT : EM_LIMITTEXT;
    ::SendMessageW(hWndCtrl, limit, static_cast<WPARAM>(nChars), 0);
}
