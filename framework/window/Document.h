#pragma once
// CDocument: the data a program shows in its views. It keeps the list of its views (each view adds
// itself when it is created and leaves when it dies), its title and path, and a modified flag.
// Commands that reach a view go on to its document and then to the document's template.
//
// Opening and saving go through Serialize with a CArchive on the file; a file that cannot be read
// or written fails the call and leaves the document as it was told (DeleteContents ran before a
// load). A title change rebuilds the caption of every frame that shows the document.

#include "framework/Archive.h"
#include "framework/CmdTarget.h"
#include "framework/String.h"

#include <vector>

class CDocTemplate;
class CFrameWnd;
class CView;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument() = default;
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const wchar_t* lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // The title becomes the file's name (without its folder).
    virtual void SetPathName(const wchar_t* lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

    // ---- views ----
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& rPosition) const;
    int GetViewCount() const { return static_cast<int>(m_viewList.size()); }
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    // Calls OnUpdate of every view but the sender.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);
    virtual void OnChangedViewList();

    // ---- life ----
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const wchar_t* lpszPathName);
    virtual BOOL OnSaveDocument(const wchar_t* lpszPathName);
    // Destroys the frames that show the document, then the document when auto-deleting.
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    virtual void Serialize(CArchive& ar);
    // Asks to save a modified document: TRUE when the caller may go on.
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    virtual void PreCloseFrame(CFrameWnd*) {}

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

    BOOL m_bAutoDelete = TRUE;    // deleted when its last view goes
    BOOL m_bEmbedded = FALSE;
    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;    // not owned
    BOOL m_bModified = FALSE;

protected:
    std::vector<CView*> m_viewList;    // not owned
    friend class CDocTemplate;
};
