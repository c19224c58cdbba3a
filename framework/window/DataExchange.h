#pragma once
// Dialog data exchange: DoDataExchange runs one list of DDX_/DDV_ calls both ways. Loading
// (m_bSaveAndValidate FALSE) puts the members into the controls; saving reads and checks them.
// A check that fails shows the framework's prompt where it has one, puts the focus on the failing
// control (an edit's whole text selected) and ends the exchange through Fail(); UpdateData then
// answers FALSE and the dialog stays.
//
// Numbers are read strictly: optional blanks around, an optional sign (not for DWORD), decimal
// digits, and a value inside the member's type. Anything else is refused with the prompt; a
// number is never wrapped or clamped into another one.

#include "framework/String.h"

#include <windows.h>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;         // TRUE: controls into members
    CWnd* m_pDlgWnd;                 // not owned: the window whose controls are exchanged
    HWND m_hWndLastControl = nullptr;    // the control the last DDX_ call prepared
    BOOL m_bEditLastControl = FALSE;     // ... and whether it is an edit

    // The control with that id (the exchange fails when there is none); it becomes the control
    // a later failure puts the focus on.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Puts the focus on the last prepared control (selecting an edit's text) when saving, and
    // ends the exchange.
    [[noreturn]] void Fail();
};

// Thrown by CDataExchange::Fail and caught by UpdateData; never leaves the framework.
struct CDataExchangeFailure {};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value);
// Check boxes: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// nIDC is the first radio button of a group (the buttons up to the next WS_GROUP): the index of
// the checked one, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Combo boxes: the selected index (-1 none) / the selected or typed text.
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
// Subclasses the control with that id into rControl the first time (PreSubclassWindow runs and
// the object becomes the window's permanent one); later exchanges leave it as it is.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// After a DDX_Text of an edit or combo box: saving refuses a longer text; loading limits the
// control to nChars.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

// The parsers DDX_Text uses, for callers with text of their own: FALSE for text that is no
// number of the type.
BOOL AfxParseInt(const wchar_t* text, int& value);
BOOL AfxParseDword(const wchar_t* text, DWORD& value);
