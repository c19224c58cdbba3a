#pragma once
// CPropertySheet and CPropertyPage: the system's property sheet (comctl32) with pages made from
// dialog templates, in tabbed or wizard form.
//
// DoModal does not let comctl32 run its own loop: the sheet is created modeless and the
// framework's modal loop (RunModalLoop) drives it, so every key goes through the thread's
// pre-translation walk (the pages' controls, then the sheet, which hands dialog keys to
// PSM_ISDIALOGMESSAGE). After every message the loop asks the sheet whether it still has a
// current page (PSM_GETCURRENTPAGEHWND): once OK, Cancel or Finish has been processed it has
// none, and DoModal answers IDOK, IDCANCEL or ID_WIZFINISH at once, whether the button was
// clicked, typed or pressed by a PSM_PRESSBUTTON that another thread or process posted.
//
// The sheet's window has the sheet object as its permanent object from its first message on, and
// each page's window its page object from WM_INITDIALOG on, so a page's GetParent() is the sheet
// object.
//
// A wizard's title bar shows the current page's caption (its template's, or the page's own
// title), not the sheet's caption.
//
// Pages answer the sheet's notifications through virtuals:
//   OnSetActive    the page becomes current; the default reloads the controls from the data
//                  (UpdateData(FALSE)) on every activation after the first (the first follows
//                  OnInitDialog, which loaded them already). FALSE refuses the page.
//   OnKillActive   the page is left (Next, Back, another tab, OK); the default saves the controls
//                  into the data (UpdateData(TRUE)); FALSE, as after a failing exchange, keeps it.
//   OnWizardNext / OnWizardBack   0 goes to the next / previous page, -1 stays, a page's dialog
//                  id goes to that page. A handler may also activate a page itself
//                  (SetActivePage on the sheet) and answer -1.
//   OnWizardFinish TRUE lets the wizard end; the default saves the controls first and refuses
//                  when that fails. Only the current page hears it: a wizard's Finish sends no
//                  apply to the pages, so nothing reaches OnApply or OnOK.
//   OnQueryCancel  FALSE keeps the sheet open when Cancel is pressed.
//   OnApply / OnOK / OnReset / OnCancel   OK or Apply, and Cancel: only pages whose windows were
//                  created (visited) hear them. OnApply calls OnOK; OnReset calls OnCancel.

#include "framework/window/Dialog.h"

#include <commctrl.h>
#include <prsht.h>

#include <vector>

#ifndef ID_WIZFINISH
#define ID_WIZFINISH 12325    // the Finish button; what DoModal answers for it
#endif
#ifndef ID_WIZBACK
#define ID_WIZBACK 12323
#endif
#ifndef ID_WIZNEXT
#define ID_WIZNEXT 12324
#endif

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
    explicit CPropertyPage(const wchar_t* lpszTemplateName, UINT nIDCaption = 0);

    // The template's id (0 when the page was named by a string).
    UINT GetTemplateID() const { return m_nIDTemplate; }

    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel();
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    virtual BOOL OnWizardFinish();
    // Nothing by default: the data was saved when the page was left.
    void OnOK() override;
    // Nothing by default.
    void OnCancel() override;

    // Enables the sheet's Apply button (or disables it when no other page is modified).
    void SetModified(BOOL bChanged = TRUE);
    // Renames the sheet's Cancel button "Close": changes made so far cannot be undone.
    void CancelToClose();
    // Sends PSM_QUERYSIBLINGS: every other created page sees it; the first nonzero answer.
    LRESULT QuerySiblings(WPARAM wParam, LPARAM lParam);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    PROPSHEETPAGEW m_psp = {};    // filled by the constructor; a caller may add flags or a title

protected:
    BOOL OnInitDialog() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // TRUE until the page's first activation after its window was made.
    BOOL m_bFirstSetActive = TRUE;

private:
    friend class CPropertySheet;
    void Construct(const wchar_t* lpszTemplateName, UINT nIDCaption);
    // The sheet, when the page lives in one of ours.
    CPropertySheet* GetSheet() const;
    // Turns an answer of OnWizardNext/Back that names a page's template into a move the sheet
    // makes now; answers what the system should be told.
    LRESULT JumpToTemplate(LRESULT answer);
    static INT_PTR CALLBACK PageDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate = 0;
    CString m_strCaption;
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet() = default;
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(const wchar_t* pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    // Pages in the order they are shown; the sheet does not own them. Adding to a sheet that is
    // open adds a tab or wizard step at the end.
    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(const CPropertyPage* pPage) const;    // -1 when not a page of this sheet
    // The current page; before the sheet is open, the page it will open at.
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);

    void SetTitle(const wchar_t* lpszText, UINT nStyle = 0);
    // Wizard form: Back, Next and Finish instead of tabs, OK and Apply.
    void SetWizardMode();
    BOOL IsWizard() const { return (m_psh.dwFlags & (PSH_WIZARD | PSH_WIZARD97)) != 0; }
    // PSWIZB_BACK, PSWIZB_NEXT, PSWIZB_FINISH, PSWIZB_DISABLEDFINISH. Sent on the sheet's own
    // thread; posted from any other, which must not wait for the sheet.
    void SetWizardButtons(DWORD dwFlags);
    void SetFinishText(const wchar_t* lpszText);
    // PSBTN_*: as if the user pressed the button.
    void PressButton(int nButton);
    // Ends a modal sheet with nResult (IDOK, IDCANCEL, ID_WIZFINISH), without notifying pages.
    void EndDialog(int nResult);
    CWnd* GetTabControl() const;

    // IDOK, IDCANCEL or ID_WIZFINISH; -1 when the sheet could not be made.
    virtual INT_PTR DoModal();
    // Modeless: the caller destroys the window once GetActiveIndex() answers -1.
    virtual BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = static_cast<DWORD>(-1), DWORD dwExStyle = 0);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL ContinueModal() override;

    // The caller may add flags (PSH_NOAPPLYNOW, ...) before DoModal. DoModal sets its own sheet
    // callback (PSH_USECALLBACK) to make the sheet come up hidden; Create leaves the caller's.
    PROPSHEETHEADERW m_psh = {};

protected:
    // Notes which of OK, Cancel or Finish (a click, a key or PSM_PRESSBUTTON) ended the sheet.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CommonConstruct(CWnd* pParentWnd, UINT iSelectPage);
    // Builds the page array and calls PropertySheet modeless; the sheet's window or null.
    HWND CreateSheet(HWND hWndOwner);
    // The button that ended the sheet; IDCANCEL when it was closed in another way.
    int FinalResult() const;
    // TRUE once the sheet has no current page: OK, Cancel or Finish has been processed.
    BOOL HasEnded() const;

    std::vector<CPropertyPage*> m_pages;         // not owned
    std::vector<PROPSHEETPAGEW> m_pageHeaders;   // what PropertySheet was given
    CString m_strCaption;
    CWnd* m_pParentWnd = nullptr;                // not owned
    int m_nEndingButton = 0;                     // IDOK, IDCANCEL or ID_WIZFINISH once pressed
    int m_nForcedResult = 0;                     // EndDialog's result
    bool m_bModal = false;

    DECLARE_MESSAGE_MAP()
};
