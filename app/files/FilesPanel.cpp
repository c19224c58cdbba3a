#include "app/files/FilesPanel.h"

IMPLEMENT_DYNAMIC(CFilesPanel, CSplitterWnd)

BOOL CFilesPanel::CreatePanes()
{
    // a context of its own: the panes show no document, and no document should list them
    CCreateContext context;
    if (!CreateView(0, 0, RUNTIME_CLASS(CFileTree), CSize(200, 0), &context) ||
        !CreateView(0, 1, RUNTIME_CLASS(CFileList), CSize(0, 200), &context))
        return FALSE;
    m_tree = dynamic_cast<CFileTree*>(GetPane(0, 0));
    m_list = dynamic_cast<CFileList*>(GetPane(0, 1));
    if (!m_tree || !m_list)
        return FALSE;
    m_tree->Bind(nullptr, m_list, &m_context);
    m_list->SetContext(&m_context);
    return TRUE;
}

void CFilesPanel::ShowFiles(CFileEntries* entries)
{
    if (!m_tree || !m_list)
        return;
    m_tree->Bind(entries, m_list, &m_context);
    m_tree->Fill();
    if (entries && entries->GetSize() == 0)
        m_list->ShowFolder(entries, m_tree, CString());
}

void CFilesPanel::Leave()
{
    if (!m_list)
        return;
    if (CFileEntries* entries = m_list->Entries())
        entries->m_lastShownFolder = m_list->CurrentFolder();
    Release();
}

void CFilesPanel::Release()
{
    if (m_list)
        m_list->Detach();
    if (m_tree)
        m_tree->Release();
}
