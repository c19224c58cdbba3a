#include "app/scripts/ScriptActionDialog.h"

#include "app/scripts/FinderRules.h"

#include "engine/model/MsgAction.h"
#include "engine/replay/ScriptActions.h"

#include "resources/app/AppResource.h"

BEGIN_MESSAGE_MAP(CScriptActionDialog, AppDialog)
    ON_COMMAND_RANGE(IDC_ACTION_CLICK, IDC_ACTION_UNSELECT, OnKindButton)
END_MESSAGE_MAP()

CScriptActionDialog::CScriptActionDialog(CMsgAction* step, CWnd* parent)
    : AppDialog(IDD_SCRIPT_ACTION, parent), m_pAction(step)
{
}

void CScriptActionDialog::DoDataExchange(CDataExchange* pDX)
{
    AppDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ACTION_DELAY_SPIN, m_spin);
    DDX_Text(pDX, IDC_ACTION_TEXT, m_text);
    DDX_Text(pDX, IDC_ACTION_DELAY, m_delay);
    DDX_Check(pDX, IDC_ACTION_CONTINUE, m_continueOnFailure);
}

BOOL CScriptActionDialog::OnInitDialog()
{
    // the fields start as the step holds them; the base initialisation loads them
    if (m_pAction) {
        m_kind = m_pAction->m_kind;
        m_text = m_pAction->m_controlText;
        m_delay = m_pAction->m_delay;
        m_continueOnFailure = m_pAction->m_continueOnFailure;
    }
    AppDialog::OnInitDialog();
    if (m_topmost)
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_spin.SetRange32(0, kMaxDelaySeconds);
    UpdateKindButtons();
    UpdateTextReadOnly();
    SetDlgItemText(IDC_ACTION_CONTROL_TYPE, MsgControlTypeName(m_pAction ? m_pAction->m_controlType : 0));
    return TRUE;
}

void CScriptActionDialog::UpdateKindButtons()
{
    const KindButtons allowed = m_pAction ? AllowedKindButtons(m_pAction->m_controlType, m_pAction->m_controlText)
                                          : KindButtons{};
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ACTION_CLICK), allowed.click);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ACTION_SET_TEXT), allowed.setText);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ACTION_SELECT), allowed.select);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ACTION_UNSELECT), allowed.unselect);
    for (UINT id : {IDC_ACTION_CLICK, IDC_ACTION_SET_TEXT, IDC_ACTION_SELECT, IDC_ACTION_UNSELECT})
        CheckDlgButton(static_cast<int>(id), id == KindButtonId(m_kind) ? BST_CHECKED : BST_UNCHECKED);
}

void CScriptActionDialog::UpdateTextReadOnly()
{
    const bool editable = IsStepTextEditable(m_kind);
    SendDlgItemMessage(IDC_ACTION_TEXT, EM_SETREADONLY, editable ? FALSE : TRUE);
    // A read-only box shows what the step holds: text typed for Set Text does not stay behind as
    // the item a Click or Select step looks for. The pause and the check box keep what was typed.
    if (!editable && m_pAction) {
        m_text = m_pAction->m_controlText;
        SetDlgItemText(IDC_ACTION_TEXT, m_text);
    }
}

void CScriptActionDialog::OnKindButton(UINT id)
{
    const int kind = KindOfButton(id);
    if (kind < 0)
        return;
    // only remembered here: the step takes the kind on OK
    m_kind = kind;
    UpdateTextReadOnly();
}

void CScriptActionDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_pAction) {
        m_pAction->m_kind = m_kind;
        m_pAction->m_controlText = m_text;
        m_pAction->m_delay = m_delay;
        m_pAction->m_continueOnFailure = m_continueOnFailure;
    }
    EndDialog(IDOK);
}

void CScriptActionDialog::OnCancel()
{
    AppDialog::OnCancel();
}
