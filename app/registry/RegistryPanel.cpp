#include "app/registry/RegistryPanel.h"

#include "app/registry/RegistryList.h"
#include "app/registry/RegistryTree.h"

IMPLEMENT_DYNAMIC(CRegistryPanel, CSplitterWnd)

bool CRegistryPanel::CreatePanel(CWnd* parent, UINT id)
{
    return CreateStatic(parent, 1, 2, WS_CHILD | WS_VISIBLE, id) && CreatePanes();
}

bool CRegistryPanel::CreatePanes()
{
    if (!CreateView(0, 0, RUNTIME_CLASS(CRegistryTree), CSize(200, 0), nullptr) ||
        !CreateView(0, 1, RUNTIME_CLASS(CRegistryList), CSize(0, 200), nullptr))
        return false;
    m_tree = dynamic_cast<CRegistryTree*>(GetPane(0, 0));
    m_list = dynamic_cast<CRegistryList*>(GetPane(0, 1));
    return m_tree && m_list;
}

void CRegistryPanel::ShowRecords(CRegistryEntries* records)
{
    if (!m_tree)
        return;
    m_tree->Bind(records, m_list);
    m_tree->Fill();
}

void CRegistryPanel::Leave(CRegistryEntries* records)
{
    if (m_tree) {
        // unbound first, so the selection changes of the emptied tree reach no list
        m_tree->Bind(nullptr, nullptr);
        m_tree->GetTreeCtrl().DeleteAllItems();
    }
    if (m_list) {
        if (records && m_list->Records())
            records->m_lastShownKeyPath = m_list->ShownKeyPath();
        m_list->ShowKey(CString(), nullptr, nullptr);
    }
}
