// Documents: views, titles, loading and saving through the archive.

#include "framework/window/Document.h"

#include "framework/Exception.h"
#include "framework/File.h"
#include "framework/window/DocTemplate.h"
#include "framework/window/View.h"
#include "framework/window/WinApp.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

CDocument::~CDocument()
{
    // Views outliving their document (a program deleting it by hand) must not point at it.
    for (CView* pView : m_viewList)
        pView->m_pDocument = nullptr;
    m_viewList.clear();
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const wchar_t* lpszTitle)
{
    m_strTitle = lpszTitle ? lpszTitle : L"";
    // Every frame showing the document builds its caption anew.
    for (CView* pView : m_viewList) {
        if (CFrameWnd* pFrame = pView->GetParentFrame())
            pFrame->OnUpdateFrameTitle(TRUE);
    }
}

void CDocument::SetPathName(const wchar_t* lpszPathName, BOOL bAddToMRU)
{
    wchar_t full[MAX_PATH] = {};
    if (!::GetFullPathNameW(lpszPathName, MAX_PATH, full, nullptr))
        wcsncpy_s(full, lpszPathName, _TRUNCATE);
    m_strPathName = full;
    const CString path(full);
    SetTitle(path.Mid(path.ReverseFind(L'\\') + 1));
    if (bAddToMRU) {
        if (CWinApp* app = AfxGetApp())
            app->AddToRecentFileList(m_strPathName);
    }
}

POSITION CDocument::GetFirstViewPosition() const
{
    return m_viewList.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<INT_PTR>(1));
}

CView* CDocument::GetNextView(POSITION& rPosition) const
{
    const size_t index = static_cast<size_t>(reinterpret_cast<INT_PTR>(rPosition)) - 1;
    if (index >= m_viewList.size()) {
        rPosition = nullptr;
        return nullptr;
    }
    rPosition = index + 1 < m_viewList.size() ? reinterpret_cast<POSITION>(static_cast<INT_PTR>(index + 2)) : nullptr;
    return m_viewList[index];
}

void CDocument::AddView(CView* pView)
{
    if (std::find(m_viewList.begin(), m_viewList.end(), pView) != m_viewList.end())
        return;
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* pView)
{
    auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
    if (it == m_viewList.end())
        return;
    m_viewList.erase(it);
    pView->m_pDocument = nullptr;
    OnChangedViewList();
}

void CDocument::OnChangedViewList()
{
    // The last view gone: the document goes too (unless it is kept for reuse).
    if (m_viewList.empty() && m_bAutoDelete) {
        OnCloseDocument();
        return;
    }
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    const std::vector<CView*> views = m_viewList;
    for (CView* pView : views) {
        if (pView != pSender)
            pView->OnUpdate(pSender, lHint, pHint);
    }
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const wchar_t* lpszPathName)
{
    CFile file;
    if (!file.Open(lpszPathName, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    DeleteContents();
    SetModifiedFlag(TRUE);
    try {
        CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete);
        Serialize(ar);
        ar.Close();
    } catch (const CException&) {
        // Whatever was read is not the document: it stays empty.
        DeleteContents();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const wchar_t* lpszPathName)
{
    // Written to a new file beside the old one first, so a failed save leaves the old file whole.
    const CString temporary = CString(lpszPathName) + L".tmp";
    CFile file;
    if (!file.Open(temporary, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
        return FALSE;
    try {
        CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
        Serialize(ar);
        ar.Close();
        file.Close();
    } catch (const CException&) {
        file.Abort();
        ::DeleteFileW(temporary);
        return FALSE;
    }
    if (!::MoveFileExW(temporary, lpszPathName, MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(temporary);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    const BOOL bAutoDelete = m_bAutoDelete;
    // Destroying the frames takes the views; the document must outlive that.
    m_bAutoDelete = FALSE;
    while (!m_viewList.empty()) {
        CView* pView = m_viewList.front();
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame && pFrame->m_hWnd) {
            PreCloseFrame(pFrame);
            pFrame->DestroyWindow();
        } else if (pView->m_hWnd) {
            pView->DestroyWindow();
        }
        // A view that is still listed after its window went would loop for ever.
        if (!m_viewList.empty() && m_viewList.front() == pView)
            RemoveView(pView);
    }
    m_bAutoDelete = bAutoDelete;
    DeleteContents();
    if (m_bAutoDelete)
        delete this;
}

void CDocument::Serialize(CArchive&) {}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    CString prompt;
    prompt.Format(L"Save changes to %s?", static_cast<const wchar_t*>(name));
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        if (m_strPathName.IsEmpty())
            return FALSE;    // no Save As dialog here: the program saves first
        return OnSaveDocument(m_strPathName);
    default:
        return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrameArg)
{
    // Another frame still showing the document lets this one go without asking.
    for (CView* pView : m_viewList) {
        CFrameWnd* pFrame = pView->GetParentFrame();
        if (pFrame && pFrame != pFrameArg)
            return TRUE;
    }
    return SaveModified();
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
