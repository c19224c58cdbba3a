#include "app/OutputList.h"

#include "resources/app/AppResource.h"

BOOL COutputList::CreateList(CWnd* parent, UINT id)
{
    if (!Create(0x50B00001, CRect(0, 0, 0, 0), parent, id))
        return FALSE;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return TRUE;
}

void COutputList::AppendLine(const wchar_t* text)
{
    const int line = AddString(text ? text : L"");
    if (line >= 0)
        SetCurSel(line);    // selecting scrolls the new line into view
}

void COutputList::Clear()
{
    ResetContent();
}

LRESULT HandleOutputMessage(COutputList& list, UINT message, WPARAM wParam, LPARAM lParam,
                            const std::function<void()>& showPane)
{
    if (message == WM_APP_CLEAR_OUTPUT) {
        if (list.m_hWnd)
            list.Clear();
    } else if (message == WM_APP_APPEND_OUTPUT) {
        if (showPane)
            showPane();
        if (list.m_hWnd && lParam == 0)
            list.AppendLine(reinterpret_cast<const wchar_t*>(wParam));
    }
    return 0;
}
