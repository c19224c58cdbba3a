#include "framework/window/PropertySheet.h"

#include "framework/ResourceHandle.h"
#include "framework/window/WinThread.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
END_MESSAGE_MAP()

namespace {

// The button a press stands for: what DoModal answers when it ends the sheet, 0 for the others.
int EndingButtonOfCommand(WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return 0;
    const int id = LOWORD(wParam);
    return id == IDOK || id == IDCANCEL || id == ID_WIZFINISH ? id : 0;
}

int EndingButtonOfPress(WPARAM wParam)
{
    switch (static_cast<int>(wParam)) {
    case PSBTN_OK:
        return IDOK;
    case PSBTN_CANCEL:
        return IDCANCEL;
    case PSBTN_FINISH:
        return ID_WIZFINISH;
    default:
        return 0;
    }
}

// Offset of the style in a dialog template: DLGTEMPLATEEX starts with version 1 and 0xFFFF,
// then the help id and the extended style.
size_t StyleOffset(const BYTE* data)
{
    WORD version = 0;
    WORD signature = 0;
    std::memcpy(&version, data, sizeof(version));
    std::memcpy(&signature, data + 2, sizeof(signature));
    return version == 1 && signature == 0xFFFF ? 12 : 0;
}

// The sheet's template comes up hidden for a modal run: the loop shows it when it first idles,
// after the first page's posted button states have been applied.
int CALLBACK HideSheetTemplate(HWND, UINT message, LPARAM lParam)
{
    if (message == PSCB_PRECREATE && lParam) {
        BYTE* data = reinterpret_cast<BYTE*>(lParam);
        const size_t offset = StyleOffset(data);
        DWORD style = 0;
        std::memcpy(&style, data + offset, sizeof(style));
        style &= ~WS_VISIBLE;
        std::memcpy(data + offset, &style, sizeof(style));
    }
    return 0;
}

void CentreOnWorkArea(HWND hWnd)
{
    RECT window;
    ::GetWindowRect(hWnd, &window);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    ::SetWindowPos(hWnd, nullptr, work.left + (work.right - work.left - (window.right - window.left)) / 2,
                   work.top + (work.bottom - work.top - (window.bottom - window.top)) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SameTemplate(const wchar_t* a, const wchar_t* b)
{
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b))
        return a == b;
    return std::wcscmp(a, b) == 0;
}

} // namespace

// ---- CPropertyPage ------------------------------------------------------------------------------

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption)
{
    m_nIDTemplate = nIDTemplate;
    m_nIDHelp = nIDTemplate;
    Construct(MAKEINTRESOURCEW(nIDTemplate), nIDCaption);
}

CPropertyPage::CPropertyPage(const wchar_t* lpszTemplateName, UINT nIDCaption)
{
    if (IS_INTRESOURCE(lpszTemplateName))
        m_nIDTemplate = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(lpszTemplateName));
    Construct(lpszTemplateName, nIDCaption);
}

void CPropertyPage::Construct(const wchar_t* lpszTemplateName, UINT nIDCaption)
{
    m_lpszTemplateName = lpszTemplateName;
    if (nIDCaption)
        m_strCaption.LoadString(nIDCaption);
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.pszTemplate = lpszTemplateName;
}

INT_PTR CALLBACK CPropertyPage::PageDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Only the page's first message through here matters: from then on the page's object has
    // the window, its table answers first, and whatever it leaves comes back here as FALSE.
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd))
        return FALSE;
    const auto* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    auto* page = psp ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
    if (!page || !page->SubclassWindow(hWnd))
        return FALSE;
    page->m_bFirstSetActive = TRUE;
    return AfxCallWndProc(page, hWnd, WM_INITDIALOG, wParam, lParam);
}

BOOL CPropertyPage::OnInitDialog()
{
    return CDialog::OnInitDialog();
}

CPropertySheet* CPropertyPage::GetSheet() const
{
    if (!m_hWnd)
        return nullptr;
    CWnd* parent = CWnd::FromHandlePermanent(::GetParent(m_hWnd));
    return parent && parent->IsKindOf(RUNTIME_CLASS(CPropertySheet)) ? static_cast<CPropertySheet*>(parent) : nullptr;
}

BOOL CPropertyPage::OnSetActive()
{
    // OnInitDialog loaded the controls just before the first activation; every later one
    // shows what the data became while the page was away.
    if (m_bFirstSetActive)
        m_bFirstSetActive = FALSE;
    else
        UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL CPropertyPage::OnApply()
{
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset()
{
    OnCancel();
}

void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
LRESULT CPropertyPage::OnWizardBack() { return 0; }
LRESULT CPropertyPage::OnWizardNext() { return 0; }

BOOL CPropertyPage::OnWizardFinish()
{
    // Finish leaves the page without a kill-active notification: what was typed on it is
    // saved here, and a failing exchange keeps the wizard open.
    return UpdateData(TRUE);
}

LRESULT CPropertyPage::JumpToTemplate(LRESULT answer)
{
    if (answer == 0 || answer == -1)
        return answer;
    // comctl32 would look the id up among the pages' template pointers itself; doing the move
    // here works for templates named by string as well, and goes the same way as a handler
    // that calls SetActivePage and answers -1.
    CPropertySheet* sheet = GetSheet();
    if (!sheet)
        return -1;
    const auto* wanted = reinterpret_cast<const wchar_t*>(answer);
    for (int i = 0; i < sheet->GetPageCount(); ++i) {
        if (SameTemplate(sheet->GetPage(i)->m_lpszTemplateName, wanted)) {
            sheet->SetActivePage(i);
            break;
        }
    }
    return -1;
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!m_hWnd || header->hwndFrom != ::GetParent(m_hWnd))
        return CDialog::OnNotify(wParam, lParam, pResult);
    LRESULT result = 0;
    switch (header->code) {
    case PSN_SETACTIVE:
        result = OnSetActive() ? 0 : -1;
        break;
    case PSN_KILLACTIVE:
        result = OnKillActive() ? FALSE : TRUE;    // TRUE keeps the page
        break;
    case PSN_APPLY:
        result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        break;
    case PSN_RESET:
        OnReset();
        break;
    case PSN_QUERYCANCEL:
        result = OnQueryCancel() ? FALSE : TRUE;    // TRUE keeps the sheet
        break;
    case PSN_WIZNEXT:
        result = JumpToTemplate(OnWizardNext());
        break;
    case PSN_WIZBACK:
        result = JumpToTemplate(OnWizardBack());
        break;
    case PSN_WIZFINISH:
        result = OnWizardFinish() ? FALSE : TRUE;    // TRUE keeps the wizard
        break;
    default:
        return CDialog::OnNotify(wParam, lParam, pResult);
    }
    // The window was subclassed, so the answer goes back as the message's own result; the
    // dialog's result slot carries it as well for callers that read it there.
    if (m_hWnd)
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    *pResult = result;
    return TRUE;
}

BOOL CPropertyPage::PreTranslateMessage(MSG* pMsg)
{
    // Inside a sheet the dialog keys belong to the whole sheet (Tab reaches its buttons, Enter
    // its default button): the sheet takes them when the walk reaches it.
    if (GetSheet())
        return CWnd::PreTranslateMessage(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

void CPropertyPage::SetModified(BOOL bChanged)
{
    if (m_hWnd)
        ::SendMessageW(::GetParent(m_hWnd), bChanged ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CPropertyPage::CancelToClose()
{
    if (m_hWnd)
        ::SendMessageW(::GetParent(m_hWnd), PSM_CANCELTOCLOSE, 0, 0);
}

LRESULT CPropertyPage::QuerySiblings(WPARAM wParam, LPARAM lParam)
{
    return m_hWnd ? ::SendMessageW(::GetParent(m_hWnd), PSM_QUERYSIBLINGS, wParam, lParam) : 0;
}

// ---- CPropertySheet -----------------------------------------------------------------------------

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
{
    m_strCaption.LoadString(nIDCaption);
    CommonConstruct(pParentWnd, iSelectPage);
}

CPropertySheet::CPropertySheet(const wchar_t* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(pszCaption ? pszCaption : L"")
{
    CommonConstruct(pParentWnd, iSelectPage);
}

void CPropertySheet::CommonConstruct(CWnd* pParentWnd, UINT iSelectPage)
{
    m_pParentWnd = pParentWnd;
    m_psh.nStartPage = iSelectPage;
}

namespace {

PROPSHEETPAGEW PageHeader(CPropertyPage* page, const wchar_t* caption, PROPSHEETPAGEW psp)
{
    psp.dwSize = sizeof(psp);
    psp.hInstance = AfxFindResourceHandle(psp.pszTemplate, RT_DIALOG);
    psp.lParam = reinterpret_cast<LPARAM>(page);
    if (caption && *caption) {
        psp.dwFlags |= PSP_USETITLE;
        psp.pszTitle = caption;
    }
    return psp;
}

} // namespace

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (!pPage)
        return;
    pPage->m_psp.pfnDlgProc = CPropertyPage::PageDialogProc;
    m_pages.push_back(pPage);
    if (m_hWnd) {
        PROPSHEETPAGEW psp = PageHeader(pPage, pPage->m_strCaption, pPage->m_psp);
        HPROPSHEETPAGE handle = ::CreatePropertySheetPageW(&psp);
        if (!handle || !::SendMessageW(m_hWnd, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle))) {
            if (handle)
                ::DestroyPropertySheetPage(handle);
            m_pages.pop_back();
        }
    }
}

void CPropertySheet::RemovePage(CPropertyPage* pPage)
{
    const int index = GetPageIndex(pPage);
    if (index >= 0)
        RemovePage(index);
}

void CPropertySheet::RemovePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return;
    if (m_hWnd)
        ::SendMessageW(m_hWnd, PSM_REMOVEPAGE, static_cast<WPARAM>(nPage), 0);
    m_pages.erase(m_pages.begin() + nPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<size_t>(nPage)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* pPage) const
{
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i] == pPage)
            return static_cast<int>(i);
    }
    return -1;
}

int CPropertySheet::GetActiveIndex() const
{
    if (!m_hWnd)
        return static_cast<int>(m_psh.nStartPage);
    HWND current = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    for (size_t i = 0; current && i < m_pages.size(); ++i) {
        if (m_pages[i]->m_hWnd == current)
            return static_cast<int>(i);
    }
    return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return GetPage(GetActiveIndex());
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    return static_cast<BOOL>(::SendMessageW(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(nPage), 0));
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage)
{
    return SetActivePage(GetPageIndex(pPage));
}

void CPropertySheet::SetTitle(const wchar_t* lpszText, UINT nStyle)
{
    m_strCaption = lpszText ? lpszText : L"";
    m_psh.dwFlags = (m_psh.dwFlags & ~PSH_PROPTITLE) | (nStyle & PSH_PROPTITLE);
    if (m_hWnd)
        ::SendMessageW(m_hWnd, PSM_SETTITLEW, nStyle, reinterpret_cast<LPARAM>(static_cast<const wchar_t*>(m_strCaption)));
}

void CPropertySheet::SetWizardMode()
{
    m_psh.dwFlags |= PSH_WIZARD;
}

void CPropertySheet::SetWizardButtons(DWORD dwFlags)
{
    if (!m_hWnd)
        return;
    // On the sheet's thread the buttons change at once; another thread (a worker driving the
    // page) must not wait on a thread that may be waiting for it.
    if (::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId())
        ::SendMessageW(m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(dwFlags));
    else
        ::PostMessageW(m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(dwFlags));
}

void CPropertySheet::SetFinishText(const wchar_t* lpszText)
{
    if (m_hWnd)
        ::SendMessageW(m_hWnd, PSM_SETFINISHTEXTW, 0, reinterpret_cast<LPARAM>(lpszText));
}

void CPropertySheet::PressButton(int nButton)
{
    if (m_hWnd)
        ::PostMessageW(m_hWnd, PSM_PRESSBUTTON, static_cast<WPARAM>(nButton), 0);
}

CWnd* CPropertySheet::GetTabControl() const
{
    return m_hWnd ? CWnd::FromHandle(reinterpret_cast<HWND>(::SendMessageW(m_hWnd, PSM_GETTABCONTROL, 0, 0))) : nullptr;
}

void CPropertySheet::EndDialog(int nResult)
{
    m_nForcedResult = nResult;
    if (m_bModal)
        EndModalLoop(nResult);
    else if (m_hWnd)
        DestroyWindow();
}

HWND CPropertySheet::CreateSheet(HWND hWndOwner)
{
    m_pageHeaders.clear();
    for (CPropertyPage* page : m_pages) {
        page->m_psp.pfnDlgProc = CPropertyPage::PageDialogProc;
        m_pageHeaders.push_back(PageHeader(page, page->m_strCaption, page->m_psp));
    }
    PROPSHEETHEADERW header = m_psh;
    header.dwSize = sizeof(header);
    header.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS;
    header.hwndParent = hWndOwner;
    header.hInstance = AfxGetResourceHandle();
    header.pszCaption = m_strCaption;
    header.nPages = static_cast<UINT>(m_pageHeaders.size());
    header.ppsp = m_pageHeaders.data();
    if (header.nStartPage >= header.nPages)
        header.nStartPage = 0;
    if (m_bModal) {
        header.dwFlags |= PSH_USECALLBACK;
        header.pfnCallback = HideSheetTemplate;
    }
    m_nEndingButton = 0;
    m_nForcedResult = 0;
    HWND hWnd;
    {
        // The sheet's dialog is the first window comctl32 makes: it is attached before its
        // first message, so the pages made inside its WM_INITDIALOG already find their parent's
        // object.
        CNextWindowHook hook(this);
        hWnd = reinterpret_cast<HWND>(::PropertySheetW(&header));
    }
    if (!hWnd || reinterpret_cast<INT_PTR>(hWnd) == -1)
        return nullptr;
    if (m_hWnd != hWnd) {
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    return hWnd;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    HWND hWndOwner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (!hWndOwner) {
        CWnd* main = AfxGetMainWnd();
        hWndOwner = main ? main->GetSafeHwnd() : nullptr;
    }
    m_bModal = false;
    if (!CreateSheet(hWndOwner))
        return FALSE;
    if (dwStyle != static_cast<DWORD>(-1))
        ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(dwStyle));
    if (dwExStyle)
        ModifyStyleEx(0, dwExStyle);
    if (!IsWindowVisible())
        ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CPropertySheet::HasEnded() const
{
    // comctl32 lets a modeless sheet live on after OK, Cancel or Finish and tells its owner by
    // having no current page any more.
    return !m_hWnd || ::SendMessageW(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0) == 0;
}

int CPropertySheet::FinalResult() const
{
    if (m_nForcedResult)
        return m_nForcedResult;
    // Closed in another way (the close box, a page ending it): nothing was accepted.
    return m_nEndingButton ? m_nEndingButton : IDCANCEL;
}

BOOL CPropertySheet::ContinueModal()
{
    if (!CWnd::ContinueModal())
        return FALSE;
    if (HasEnded()) {
        EndModalLoop(FinalResult());
        return FALSE;
    }
    return TRUE;
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    int ending = 0;
    if (message == WM_COMMAND)
        ending = EndingButtonOfCommand(wParam);
    else if (message == PSM_PRESSBUTTON)
        ending = EndingButtonOfPress(wParam);
    if (!ending)
        return CWnd::WindowProc(message, wParam, lParam);
    // Remembered only when the press ended the sheet: a page may refuse it (OnQueryCancel,
    // a failing exchange), and the sheet may end later in another way.
    const int before = m_nEndingButton;
    m_nEndingButton = ending;
    const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
    if (m_hWnd && !HasEnded())
        m_nEndingButton = before;
    return result;
}

INT_PTR CPropertySheet::DoModal()
{
    if (m_pages.empty() || m_hWnd)
        return -1;
    HWND hWndOwner = AfxGetModalOwner(m_pParentWnd);
    HWND hWndFocus = ::GetFocus();

    m_bModal = true;
    HWND hWnd = CreateSheet(hWndOwner);
    if (!hWnd) {
        m_bModal = false;
        return -1;
    }
    if (!hWndOwner || !::IsWindowVisible(hWndOwner))
        CentreOnWorkArea(hWnd);
    // RunModalLoop disables the owner, shows the sheet once its first messages are handled,
    // asks ContinueModal after every message, and enables the owner again before the sheet is
    // destroyed so the activation goes back to it.
    INT_PTR result = RunModalLoop(MLF_SHOWONIDLE);
    if (!::IsWindow(hWnd) && result == -1 && (m_nForcedResult || m_nEndingButton))
        result = FinalResult();
    m_bModal = false;
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    if (hWndFocus && ::IsWindow(hWndFocus) && hWndOwner && ::GetActiveWindow() == hWndOwner)
        ::SetFocus(hWndFocus);
    return result;
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_hWnd)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    // The sheet's own dialog-key handling: Ctrl+Tab and Ctrl+Page Up/Down change tabs, and the
    // rest goes through IsDialogMessage for the sheet with its pages nested inside.
    return static_cast<BOOL>(::SendMessageW(m_hWnd, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(pMsg)));
}
