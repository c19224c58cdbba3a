#include "framework/window/Dialog.h"

#include "framework/ResourceHandle.h"
#include "framework/window/WinThread.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {

// The dialog procedure Windows calls from the dialog class's own procedure. Everything the
// object wants has already gone through its table by then, so nothing is left to do here.
INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Offset of the style in a template: DLGTEMPLATEEX starts with version 1 and 0xFFFF, then the
// help id and the extended style.
size_t StyleOffset(const BYTE* data)
{
    WORD version = 0;
    WORD signature = 0;
    std::memcpy(&version, data, sizeof(version));
    std::memcpy(&signature, data + 2, sizeof(signature));
    return version == 1 && signature == 0xFFFF ? 12 : 0;
}

void CentreOnScreen(HWND hWnd)
{
    RECT window;
    ::GetWindowRect(hWnd, &window);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    ::SetWindowPos(hWnd, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParentWnd)
{
}

CDialog::CDialog(const wchar_t* lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd)
{
}

std::vector<BYTE> CDialog::LoadTemplate(bool hide) const
{
    std::vector<BYTE> copy;
    if (!m_lpszTemplateName)
        return copy;
    HINSTANCE module = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    HRSRC resource = ::FindResourceW(module, m_lpszTemplateName, RT_DIALOG);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = resource ? ::SizeofResource(module, resource) : 0;
    if (!data || size < sizeof(DLGTEMPLATE))
        return copy;
    copy.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    if (hide) {
        const size_t offset = StyleOffset(copy.data());
        DWORD style = 0;
        std::memcpy(&style, copy.data() + offset, sizeof(style));
        style &= ~WS_VISIBLE;
        std::memcpy(copy.data() + offset, &style, sizeof(style));
    }
    return copy;
}

HWND CDialog::CreateFromTemplate(const void* pTemplate, HWND hWndParent)
{
    HWND hWnd;
    {
        // The object is attached before the dialog's first message, so WM_INITDIALOG (sent
        // from inside CreateDialogIndirectParam) reaches OnInitDialog through the table.
        CNextWindowHook hook(this);
        hWnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), static_cast<const DLGTEMPLATE*>(pTemplate),
                                            hWndParent, NoDialogProc, 0);
    }
    if (hWnd && m_hWnd != hWnd) {
        // Not ours after all (should not happen): leave no window without its object behind.
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    return hWnd;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    if (!m_nIDHelp)
        m_nIDHelp = nIDTemplate;
    return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(const wchar_t* lpszTemplateName, CWnd* pParentWnd)
{
    m_lpszTemplateName = lpszTemplateName;
    const std::vector<BYTE> data = LoadTemplate(false);
    if (data.empty())
        return FALSE;
    return CreateIndirect(data.data(), pParentWnd);
}

BOOL CDialog::CreateIndirect(const void* pDialogTemplate, CWnd* pParentWnd)
{
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    HWND hWndParent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (!hWndParent) {
        const BYTE* data = static_cast<const BYTE*>(pDialogTemplate);
        DWORD style = 0;
        std::memcpy(&style, data + StyleOffset(data), sizeof(style));
        if (!(style & WS_CHILD)) {
            CWnd* main = AfxGetMainWnd();
            hWndParent = main ? main->GetSafeHwnd() : nullptr;
        }
    }
    return CreateFromTemplate(pDialogTemplate, hWndParent) != nullptr;
}

HWND AfxGetModalOwner(CWnd* pParentWnd)
{
    // The owner is a top-level window: the given parent's or the main window's.
    HWND hWndOwner = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
    if (!hWndOwner) {
        CWnd* main = AfxGetMainWnd();
        hWndOwner = main ? main->GetSafeHwnd() : nullptr;
    }
    while (hWndOwner && (::GetWindowLongW(hWndOwner, GWL_STYLE) & WS_CHILD))
        hWndOwner = ::GetParent(hWndOwner);
    return hWndOwner;
}

INT_PTR CDialog::DoModal()
{
    const std::vector<BYTE> data = LoadTemplate(true);
    if (data.empty())
        return -1;

    HWND hWndOwner = AfxGetModalOwner(m_pParentWnd);
    HWND hWndFocus = ::GetFocus();

    m_bModal = TRUE;
    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;    // EndDialog inside OnInitDialog clears it
    if (!CreateFromTemplate(data.data(), hWndOwner)) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        m_bModal = FALSE;
        return -1;
    }
    // RunModalLoop disables the owner, shows the dialog when the queue first runs empty, and
    // enables the owner again as soon as the loop ends, while the dialog still exists, so
    // Windows hands the activation back to the owner rather than to some other window.
    INT_PTR result = -1;
    if (m_nFlags & WF_CONTINUEMODAL)
        result = RunModalLoop(MLF_SHOWONIDLE);
    else
        result = m_nModalResult;    // ended inside OnInitDialog
    m_bModal = FALSE;
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    if (hWndFocus && ::IsWindow(hWndFocus) && hWndOwner && ::GetActiveWindow() == hWndOwner)
        ::SetFocus(hWndFocus);
    return result;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal) {
        EndModalLoop(nResult);
        return;
    }
    m_nModalResult = nResult;
    ShowWindow(SW_HIDE);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    if (!(GetStyle() & WS_CHILD)) {
        HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
        if (!owner || !::IsWindowVisible(owner))
            CentreOnScreen(m_hWnd);
    }
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (IsChildDialog())
        return;
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    if (IsChildDialog())
        return;
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    const BOOL wasInUpdate = m_bInUpdateData;
    m_bInUpdateData = TRUE;
    BOOL ok = TRUE;
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchangeFailure&) {
        ok = FALSE;
    }
    m_bInUpdateData = wasInUpdate;
    return ok;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Notifications raised by the exchange itself (EN_CHANGE when a text is loaded) are not
    // the user's doing.
    HWND hWndCtrl = reinterpret_cast<HWND>(lParam);
    if (m_bInUpdateData && hWndCtrl && hWndCtrl != m_hWnd)
        return TRUE;
    return CWnd::OnCommand(wParam, lParam);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_hWnd)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl && pWndCtrl->m_hWnd)
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->m_hWnd), TRUE);
}

void CDialog::NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, FALSE); }
void CDialog::PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, FALSE); }
void CDialog::SetDefID(UINT nID) { ::SendMessageW(m_hWnd, DM_SETDEFID, nID, 0); }
DWORD CDialog::GetDefID() const { return static_cast<DWORD>(::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0)); }

void CDialog::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}

int CDialog::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton)
{
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED)
            return id;
    }
    return 0;
}

void CDialog::CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
UINT CDialog::IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
void CDialog::SetDlgItemText(int nID, const wchar_t* lpszString) { ::SetDlgItemTextW(m_hWnd, nID, lpszString); }

int CDialog::GetDlgItemText(int nID, CString& rString) const
{
    HWND hWndCtrl = ::GetDlgItem(m_hWnd, nID);
    rString.Empty();
    if (!hWndCtrl)
        return 0;
    const int length = ::GetWindowTextLengthW(hWndCtrl);
    ::GetWindowTextW(hWndCtrl, rString.GetBufferSetLength(length + 1), length + 1);
    rString.ReleaseBuffer();
    return rString.GetLength();
}

void CDialog::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }

UINT CDialog::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const
{
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}

LRESULT CDialog::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
}
