#pragma once
// CScriptActionDialog: edits one recorded step of an install script in place: the action
// replayed on the control (the choice offered depends on the control's type), the text a Set Text
// step types, the pause before the step and whether the script goes on when the step fails.
//
// Everything the dialog changes, the action kind included, reaches the step only through OK:
// Cancel leaves the step exactly as it was.

#include "app/AppBases.h"

class CMsgAction;

class CScriptActionDialog : public AppDialog {
public:
    explicit CScriptActionDialog(CMsgAction* step = nullptr, CWnd* parent = nullptr);

    CMsgAction* m_pAction = nullptr; // not owned: the edited step, set before DoModal
    int m_topmost = 0;               // not 0: the dialog stays above other windows (the recorder's)

    // Longest pause the spin arrows reach, in seconds (three hours); a larger typed number is kept.
    static constexpr int kMaxDelaySeconds = 10800;

    // The kind the dialog would store on OK.
    int ChosenKind() const { return m_kind; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;

    void OnKindButton(UINT id);

private:
    // Enables the buttons the control type allows and checks the chosen kind's.
    void UpdateKindButtons();
    // The text box is editable for Set Text only.
    void UpdateTextReadOnly();

    CSpinButtonCtrl m_spin;
    // The fields as edited; copied into the step on OK.
    int m_kind = 0;
    CString m_text;
    int m_delay = 0;
    int m_continueOnFailure = 0;

    DECLARE_MESSAGE_MAP()
};
