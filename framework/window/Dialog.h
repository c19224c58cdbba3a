#pragma once
// CDialog: a window made from a dialog template (DIALOGEX in a resource script).
//
// DoModal does not use DialogBox: it creates the dialog modeless from the template and runs the
// framework's own modal loop (RunModalLoop), so every key goes through the thread's
// PreTranslateMessage walk and reaches the dialog's and its controls' objects. The owner (the
// main window unless one is given) is disabled while the loop runs and enabled again before the
// dialog is destroyed, so activation and the focus return to it. A dialog whose owner is missing
// or still hidden comes up centred on the screen.
//
// Create makes a modeless dialog, a WS_CHILD template included (a panel inside another window).
// A child dialog's default OnOK and OnCancel do nothing: Enter and Esc in a panel must neither
// end it nor hide it.
//
// Keys: PreTranslateMessage hands the keyboard messages of the dialog and its children to
// IsDialogMessage (Tab, arrows, Enter, Esc, mnemonics), before any accelerator of a frame
// further up sees them; the keys a control wants (Delete in an edit) reach it unchanged.
//
// Data exchange: UpdateData runs DoDataExchange (DataExchange.h). While it runs, the WM_COMMAND
// notifications of the dialog's controls are dropped, so loading text into an edit raises no
// EN_CHANGE handler.

#include "framework/window/DataExchange.h"
#include "framework/window/Wnd.h"

#include <vector>

// The window a modal dialog or sheet disables while it runs: the top-level window above the given
// parent, else above the main window; null when there is neither.
HWND AfxGetModalOwner(CWnd* pParentWnd);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(const wchar_t* lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Modeless: FALSE when the template is missing or the window cannot be made.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL Create(const wchar_t* lpszTemplateName, CWnd* pParentWnd = nullptr);
    BOOL CreateIndirect(const void* pDialogTemplate, CWnd* pParentWnd = nullptr);

    // What EndDialog was given (IDOK, IDCANCEL, ...); -1 when the dialog could not be made.
    virtual INT_PTR DoModal();

    // Ends a modal dialog with nResult; a modeless one is hidden (the caller destroys it).
    void EndDialog(int nResult);

    // TRUE: controls into members (with validation); FALSE: members into the controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    void GotoDlgCtrl(CWnd* pWndCtrl);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
    int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton);
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void SetDlgItemText(int nID, const wchar_t* lpszString);
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Answers TRUE when the dialog is a child window (a panel).
    BOOL IsChildDialog() const { return (GetStyle() & WS_CHILD) != 0; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDHelp = 0;
    const wchar_t* m_lpszTemplateName = nullptr;    // a resource name or MAKEINTRESOURCE
    CWnd* m_pParentWnd = nullptr;                    // not owned

protected:
    // Loads the data into the controls (UpdateData(FALSE)); TRUE lets Windows set the focus to
    // the first control.
    virtual BOOL OnInitDialog();
    // Saves the data and ends with IDOK; a failing exchange keeps the dialog. A child dialog
    // does nothing.
    virtual void OnOK();
    // Ends with IDCANCEL; a child dialog does nothing.
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    LRESULT HandleInitDialog(WPARAM, LPARAM);

    BOOL m_bInUpdateData = FALSE;    // control notifications are dropped meanwhile
    BOOL m_bModal = FALSE;           // DoModal is running

private:
    // The template as a copy (WS_VISIBLE dropped for a modal run, which shows the dialog when its
    // loop first idles); empty when the resource is missing.
    std::vector<BYTE> LoadTemplate(bool hide) const;
    HWND CreateFromTemplate(const void* pTemplate, HWND hWndParent);

    DECLARE_MESSAGE_MAP()
};
