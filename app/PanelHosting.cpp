#include "app/PanelHosting.h"

CWnd* CPanelHosting::Current() const
{
    return m_panel && m_panel->m_hWnd ? m_panel : nullptr;
}

CDialog* CPanelHosting::CurrentDialog() const
{
    return dynamic_cast<CDialog*>(Current());
}

void CPanelHosting::Show(CWnd* panel)
{
    if (CWnd* shown = Current()) {
        if (shown == panel)
            return;
        if (CDialog* dialog = dynamic_cast<CDialog*>(shown))
            dialog->UpdateData(TRUE);
        shown->ShowWindow(SW_HIDE);
    }
    m_panel = panel;
    if (panel && panel->m_hWnd && m_view && m_view->m_hWnd) {
        if (panel->GetParent() != m_view)
            panel->SetParent(m_view);
        RECT window{};
        m_view->GetWindowRect(&window);
        panel->SetWindowPos(nullptr, 0, 0, window.right - window.left, window.bottom - window.top,
                            SWP_NOZORDER | SWP_SHOWWINDOW);
    } else if (m_view && m_view->m_hWnd) {
        m_view->Invalidate(TRUE);
    }
    Changed();
}

void CPanelHosting::Changed()
{
    if (m_onChange)
        m_onChange(Current() != nullptr);
}

bool CPanelHosting::Commit()
{
    CDialog* shown = CurrentDialog();
    return !shown || shown->UpdateData(TRUE);
}

void CPanelHosting::OnSize(int cx, int cy)
{
    if (CWnd* shown = Current())
        shown->SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOREDRAW);
}

void CPanelHosting::Detach()
{
    if (CWnd* shown = Current())
        shown->ShowWindow(SW_HIDE);
    m_panel = nullptr;
    if (m_view && m_view->m_hWnd)
        m_view->Invalidate(TRUE);
    Changed();
}
