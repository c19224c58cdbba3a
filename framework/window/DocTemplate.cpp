// Document templates, the application's document commands, the command line and the recent files.

#include "framework/window/DocTemplate.h"

#include "framework/window/Document.h"
#include "framework/window/MdiFrame.h"
#include "framework/window/View.h"
#include "framework/window/WinApp.h"

#include <shellapi.h>

#include <algorithm>

// ---- CDocTemplate -------------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)

CDocTemplate::CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                           const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass)
{
    LoadTemplate();
}

CDocTemplate::~CDocTemplate()
{
    if (m_hMenuShared)
        ::DestroyMenu(m_hMenuShared);
}

void CDocTemplate::LoadTemplate()
{
    if (m_strDocStrings.IsEmpty())
        m_strDocStrings.LoadString(m_nIDResource);
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const
{
    rString.Empty();
    int start = 0;
    for (int i = 0; i < index; ++i) {
        const int lineBreak = m_strDocStrings.Find(L'\n', start);
        if (lineBreak < 0)
            return FALSE;
        start = lineBreak + 1;
    }
    const int end = m_strDocStrings.Find(L'\n', start);
    rString = end < 0 ? m_strDocStrings.Mid(start) : m_strDocStrings.Mid(start, end - start);
    return TRUE;
}

void CDocTemplate::AddDocument(CDocument* pDoc)
{
    pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc)
{
    pDoc->m_pDocTemplate = nullptr;
}

CDocument* CDocTemplate::CreateNewDocument()
{
    if (!m_pDocClass)
        return nullptr;
    CObject* pObject = m_pDocClass->CreateObject();
    auto* pDocument = dynamic_cast<CDocument*>(pObject);
    if (!pDocument) {
        delete pObject;
        return nullptr;
    }
    AddDocument(pDocument);
    return pDocument;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther)
{
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    if (!m_pFrameClass)
        return nullptr;
    CObject* pObject = m_pFrameClass->CreateObject();
    auto* pFrame = dynamic_cast<CFrameWnd*>(pObject);
    if (!pFrame) {
        delete pObject;
        return nullptr;
    }
    // A child frame of an MDI program goes inside the main window.
    const BOOL bChild = pFrame->IsKindOf(RUNTIME_CLASS(CMDIChildWnd));
    const DWORD style = bChild ? (WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)
                               : (WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE);
    if (!pFrame->LoadFrame(m_nIDResource, style, bChild ? AfxGetMainWnd() : nullptr, &context)) {
        // A frame that got no window does not delete itself.
        if (!pFrame->m_hWnd)
            delete pFrame;
        return nullptr;
    }
    return pFrame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible)
{
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(const wchar_t* lpszPathName, CDocument*& rpDocMatch)
{
    rpDocMatch = nullptr;
    POSITION pos = GetFirstDocPosition();
    while (pos) {
        CDocument* pDoc = GetNextDoc(pos);
        if (pDoc && pDoc->GetPathName().CompareNoCase(lpszPathName) == 0) {
            rpDocMatch = pDoc;
            return yesAlreadyOpen;
        }
    }
    CString extension;
    if (GetDocString(extension, filterExt) && !extension.IsEmpty()) {
        const CString path(lpszPathName);
        const int dot = path.ReverseFind(L'.');
        if (dot >= 0 && path.Mid(dot).CompareNoCase(extension) == 0)
            return yesAttemptNative;
    }
    return yesAttemptForeign;
}

BOOL CDocTemplate::SaveAllModified()
{
    POSITION pos = GetFirstDocPosition();
    while (pos) {
        CDocument* pDoc = GetNextDoc(pos);
        if (pDoc && !pDoc->SaveModified())
            return FALSE;
    }
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    std::vector<CDocument*> docs;
    POSITION pos = GetFirstDocPosition();
    while (pos) {
        if (CDocument* pDoc = GetNextDoc(pos))
            docs.push_back(pDoc);
    }
    for (CDocument* pDoc : docs)
        pDoc->OnCloseDocument();
}

// ---- CSingleDocTemplate -------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                                       const CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass)
{
}

CSingleDocTemplate::~CSingleDocTemplate()
{
    // A document still alive at exit (its frame never made) is the template's to free.
    if (m_pOnlyDoc) {
        CDocument* pDoc = m_pOnlyDoc;
        m_pOnlyDoc = nullptr;
        pDoc->m_pDocTemplate = nullptr;
        if (pDoc->GetViewCount() == 0)
            delete pDoc;
    }
}

void CSingleDocTemplate::AddDocument(CDocument* pDoc)
{
    CDocTemplate::AddDocument(pDoc);
    m_pOnlyDoc = pDoc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc)
{
    CDocTemplate::RemoveDocument(pDoc);
    if (m_pOnlyDoc == pDoc)
        m_pOnlyDoc = nullptr;
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const
{
    return m_pOnlyDoc ? reinterpret_cast<POSITION>(static_cast<INT_PTR>(1)) : nullptr;
}

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const
{
    CDocument* pDoc = rPos ? m_pOnlyDoc : nullptr;
    rPos = nullptr;
    return pDoc;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    CString title;
    if (!GetDocString(title, docName) || title.IsEmpty())
        title = L"Untitled";
    pDocument->SetTitle(title);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const wchar_t* lpszPathName, BOOL bMakeVisible)
{
    CDocument* pDocument = nullptr;
    CFrameWnd* pFrame = nullptr;
    BOOL bCreated = FALSE;
    BOOL bWasModified = FALSE;

    if (m_pOnlyDoc) {
        // The one document is reused: it must be saved first if the user wants.
        pDocument = m_pOnlyDoc;
        if (!pDocument->SaveModified())
            return nullptr;
        POSITION pos = pDocument->GetFirstViewPosition();
        if (CView* pView = pos ? pDocument->GetNextView(pos) : nullptr)
            pFrame = pView->GetParentFrame();
    } else {
        pDocument = CreateNewDocument();
        if (!pDocument)
            return nullptr;
        bCreated = TRUE;
    }

    if (!pFrame) {
        // The document must survive a frame that fails half-way.
        const BOOL bAutoDelete = pDocument->m_bAutoDelete;
        pDocument->m_bAutoDelete = FALSE;
        pFrame = CreateNewFrame(pDocument, nullptr);
        pDocument->m_bAutoDelete = bAutoDelete;
        if (!pFrame) {
            if (bCreated) {
                RemoveDocument(pDocument);
                delete pDocument;
            }
            return nullptr;
        }
    }

    if (!lpszPathName) {
        SetDefaultTitle(pDocument);
        if (!bMakeVisible)
            pDocument->m_bEmbedded = TRUE;
        if (!pDocument->OnNewDocument()) {
            if (bCreated)
                pFrame->DestroyWindow();
            return nullptr;
        }
    } else {
        bWasModified = pDocument->IsModified();
        pDocument->SetModifiedFlag(FALSE);
        if (!pDocument->OnOpenDocument(lpszPathName)) {
            if (bCreated) {
                pFrame->DestroyWindow();    // takes the view and the document with it
            } else if (!pDocument->IsModified()) {
                pDocument->SetModifiedFlag(bWasModified);
            } else {
                // The old contents are gone: what is left is a new, empty document.
                SetDefaultTitle(pDocument);
                pDocument->OnNewDocument();
            }
            return nullptr;
        }
        pDocument->SetPathName(lpszPathName);
    }

    CWinThread* pThread = AfxGetThread();
    if (bCreated && pThread && !pThread->m_pMainWnd)
        pThread->m_pMainWnd = pFrame;
    InitialUpdateFrame(pFrame, pDocument, bMakeVisible);
    return pDocument;
}

// ---- CMultiDocTemplate --------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CMultiDocTemplate::CMultiDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
                                     const CRuntimeClass* pFrameClass, const CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass)
{
    // The base constructor ran the base's LoadTemplate: the shared menu comes now.
    LoadTemplate();
}

CMultiDocTemplate::~CMultiDocTemplate()
{
    for (CDocument* pDoc : m_docList)
        pDoc->m_pDocTemplate = nullptr;
    m_docList.clear();
}

void CMultiDocTemplate::LoadTemplate()
{
    CDocTemplate::LoadTemplate();
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!m_hMenuShared && ::FindResourceW(instance, MAKEINTRESOURCEW(m_nIDResource), reinterpret_cast<LPCWSTR>(RT_MENU)))
        m_hMenuShared = ::LoadMenuW(instance, MAKEINTRESOURCEW(m_nIDResource));
    if (!m_hAccelTable)
        m_hAccelTable = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(m_nIDResource));
}

void CMultiDocTemplate::AddDocument(CDocument* pDoc)
{
    CDocTemplate::AddDocument(pDoc);
    if (std::find(m_docList.begin(), m_docList.end(), pDoc) == m_docList.end())
        m_docList.push_back(pDoc);
}

void CMultiDocTemplate::RemoveDocument(CDocument* pDoc)
{
    CDocTemplate::RemoveDocument(pDoc);
    m_docList.erase(std::remove(m_docList.begin(), m_docList.end(), pDoc), m_docList.end());
}

POSITION CMultiDocTemplate::GetFirstDocPosition() const
{
    return m_docList.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<INT_PTR>(1));
}

CDocument* CMultiDocTemplate::GetNextDoc(POSITION& rPos) const
{
    const size_t index = static_cast<size_t>(reinterpret_cast<INT_PTR>(rPos)) - 1;
    if (index >= m_docList.size()) {
        rPos = nullptr;
        return nullptr;
    }
    rPos = index + 1 < m_docList.size() ? reinterpret_cast<POSITION>(static_cast<INT_PTR>(index + 2)) : nullptr;
    return m_docList[index];
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    CString name;
    if (!GetDocString(name, docName) || name.IsEmpty())
        name = L"Untitled";
    CString title;
    title.Format(L"%s%u", static_cast<const wchar_t*>(name), m_nUntitledCount + 1);
    pDocument->SetTitle(title);
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const wchar_t* lpszPathName, BOOL bMakeVisible)
{
    CDocument* pDocument = CreateNewDocument();
    if (!pDocument)
        return nullptr;
    const BOOL bAutoDelete = pDocument->m_bAutoDelete;
    pDocument->m_bAutoDelete = FALSE;
    CFrameWnd* pFrame = CreateNewFrame(pDocument, nullptr);
    pDocument->m_bAutoDelete = bAutoDelete;
    if (!pFrame) {
        RemoveDocument(pDocument);
        delete pDocument;
        return nullptr;
    }
    if (!lpszPathName) {
        SetDefaultTitle(pDocument);
        if (!bMakeVisible)
            pDocument->m_bEmbedded = TRUE;
        if (!pDocument->OnNewDocument()) {
            pFrame->DestroyWindow();
            return nullptr;
        }
        ++m_nUntitledCount;
    } else if (!pDocument->OnOpenDocument(lpszPathName)) {
        pFrame->DestroyWindow();
        return nullptr;
    } else {
        pDocument->SetPathName(lpszPathName);
    }
    InitialUpdateFrame(pFrame, pDocument, bMakeVisible);
    return pDocument;
}

// ---- CCommandLineInfo ---------------------------------------------------------------------------

void CCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL)
{
    if (bFlag) {
        const CString flag(pszParam);
        if (flag.CompareNoCase(L"pt") == 0)
            m_nShellCommand = FilePrintTo;
        else if (flag.CompareNoCase(L"p") == 0)
            m_nShellCommand = FilePrint;
        else if (flag.CompareNoCase(L"dde") == 0)
            m_nShellCommand = FileDDE;
        else if (flag.CompareNoCase(L"Embedding") == 0)
            m_bRunEmbedded = TRUE;
        else if (flag.CompareNoCase(L"Automation") == 0)
            m_bRunAutomated = TRUE;
        else if (flag.CompareNoCase(L"Register") == 0 || flag.CompareNoCase(L"Regserver") == 0)
            m_nShellCommand = AppRegister;
        else if (flag.CompareNoCase(L"Unregister") == 0 || flag.CompareNoCase(L"Unregserver") == 0)
            m_nShellCommand = AppUnregister;
        m_bShowSplash = FALSE;
        return;
    }
    if (m_nShellCommand == FilePrintTo && !m_strFileName.IsEmpty()) {
        // The printer, driver and port follow the file.
        if (m_strPrinterName.IsEmpty())
            m_strPrinterName = pszParam;
        else if (m_strDriverName.IsEmpty())
            m_strDriverName = pszParam;
        else if (m_strPortName.IsEmpty())
            m_strPortName = pszParam;
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = pszParam;
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
        m_bShowSplash = FALSE;
    }
}

// ---- CWinApp's document functions -------------------------------------------------------------

void CWinApp::DeleteDocTemplates()
{
    for (CDocTemplate* pTemplate : m_templates)
        delete pTemplate;
    m_templates.clear();
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    if (pTemplate && std::find(m_templates.begin(), m_templates.end(), pTemplate) == m_templates.end())
        m_templates.push_back(pTemplate);
}

void CWinApp::OnFileNew()
{
    if (m_templates.empty())
        return;
    // With one template there is nothing to choose.
    m_templates.front()->OpenDocumentFile(nullptr);
}

CDocument* CWinApp::OpenDocumentFile(const wchar_t* lpszFileName)
{
    if (!lpszFileName || !*lpszFileName)
        return nullptr;
    CDocTemplate* pBest = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    for (CDocTemplate* pTemplate : m_templates) {
        CDocument* pOpen = nullptr;
        const CDocTemplate::Confidence match = pTemplate->MatchDocType(lpszFileName, pOpen);
        if (match == CDocTemplate::yesAlreadyOpen && pOpen) {
            POSITION pos = pOpen->GetFirstViewPosition();
            if (CView* pView = pos ? pOpen->GetNextView(pos) : nullptr) {
                if (CFrameWnd* pFrame = pView->GetParentFrame())
                    pFrame->ActivateFrame();
            }
            return pOpen;
        }
        if (match > bestMatch) {
            bestMatch = match;
            pBest = pTemplate;
        }
    }
    return pBest ? pBest->OpenDocumentFile(lpszFileName) : nullptr;
}

void CWinApp::OnAppExit()
{
    // The same as closing the main window: the program ends when it is gone.
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv)
        return;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* param = argv[i];
        BOOL bFlag = FALSE;
        if (*param == L'-' || *param == L'/') {
            bFlag = TRUE;
            ++param;
        }
        rCmdInfo.ParseParam(param, bFlag, i == argc - 1);
    }
    ::LocalFree(argv);
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    // Embedding and automation would need a server this framework does not have.
    if (rCmdInfo.m_bRunEmbedded || rCmdInfo.m_bRunAutomated)
        return FALSE;
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        // The program's own File New handler, when it has one, else the framework's.
        if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr))
            OnFileNew();
        return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr && m_pMainWnd != nullptr;
    case CCommandLineInfo::FileNothing:
        return TRUE;
    default:
        // Printing, DDE and (un)registering: none of them exists here.
        return FALSE;
    }
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (nMaxMRU == 0)
        return;
    m_pRecentFileList = new CRecentFileList(0, L"Recent File List", L"File%d", static_cast<int>(nMaxMRU));
    m_pRecentFileList->ReadList();
}

void CWinApp::AddToRecentFileList(const wchar_t* lpszPathName)
{
    if (m_pRecentFileList)
        m_pRecentFileList->Add(lpszPathName);
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    if (m_pRecentFileList)
        m_pRecentFileList->UpdateMenu(pCmdUI);
    else
        pCmdUI->Enable(FALSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID)
{
    if (!m_pRecentFileList)
        return FALSE;
    const int index = static_cast<int>(nID - ID_FILE_MRU_FILE1);
    if (index < 0 || index >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[index].IsEmpty())
        return FALSE;
    // A file that no longer opens leaves the list.
    if (!OpenDocumentFile((*m_pRecentFileList)[index]))
        m_pRecentFileList->Remove(index);
    return TRUE;
}

// ---- CRecentFileList ----------------------------------------------------------------------------

CRecentFileList::CRecentFileList(UINT nStart, const wchar_t* lpszSection, const wchar_t* lpszEntryFormat,
                                 int nSize, int nMaxDispLen)
    : m_nSize(nSize), m_arrNames(static_cast<size_t>(std::max(0, nSize))), m_strSectionName(lpszSection),
      m_strEntryFormat(lpszEntryFormat), m_nStart(nStart), m_nMaxDisplayLength(nMaxDispLen)
{
}

void CRecentFileList::Add(const wchar_t* lpszPathName)
{
    if (!lpszPathName || !*lpszPathName || m_nSize <= 0)
        return;
    wchar_t full[MAX_PATH] = {};
    if (!::GetFullPathNameW(lpszPathName, MAX_PATH, full, nullptr))
        wcsncpy_s(full, lpszPathName, _TRUNCATE);
    const CString path(full);
    // Already listed: it moves to the top.
    int found = m_nSize - 1;
    for (int i = 0; i < m_nSize; ++i) {
        if (m_arrNames[static_cast<size_t>(i)].CompareNoCase(path) == 0) {
            found = i;
            break;
        }
    }
    for (int i = found; i > 0; --i)
        m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i - 1)];
    m_arrNames[0] = path;
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nSize)
        return;
    for (int i = nIndex; i < m_nSize - 1; ++i)
        m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i + 1)];
    m_arrNames[static_cast<size_t>(m_nSize - 1)].Empty();
}

BOOL CRecentFileList::GetDisplayName(CString& strName, int nIndex, const wchar_t* lpszCurDir, int nCurDir,
                                     BOOL bAtLeastName) const
{
    if (nIndex < 0 || nIndex >= m_nSize || m_arrNames[static_cast<size_t>(nIndex)].IsEmpty())
        return FALSE;
    const CString& path = m_arrNames[static_cast<size_t>(nIndex)];
    const int slash = path.ReverseFind(L'\\');
    const CString folder = path.Left(slash + 1);
    const CString name = path.Mid(slash + 1);
    // A file in the current folder shows by its name alone.
    if (lpszCurDir && nCurDir > 0) {
        CString current = CString(lpszCurDir).Left(nCurDir);
        if (current.GetLength() > 0 && current[current.GetLength() - 1] != L'\\')
            current += L"\\";
        if (folder.CompareNoCase(current) == 0) {
            strName = name;
            return TRUE;
        }
    }
    if (path.GetLength() <= m_nMaxDisplayLength) {
        strName = path;
        return TRUE;
    }
    if (bAtLeastName && name.GetLength() + 4 >= m_nMaxDisplayLength) {
        strName = name;
        return TRUE;
    }
    // The root and as much of the folder's start as fits, "...", then the name.
    const int rootEnd = path.Find(L'\\') + 1;
    const CString root = path.Left(rootEnd);
    const int room = m_nMaxDisplayLength - root.GetLength() - 3 - 1 - name.GetLength();
    if (room <= 0) {
        strName = root + L"...\\" + name;
        return TRUE;
    }
    const CString middle = path.Mid(rootEnd, slash - rootEnd);
    strName = root + middle.Left(room) + L"...\\" + name;
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI)
{
    CMenu* pMenu = pCmdUI->m_pMenu;
    if (m_strOriginal.IsEmpty() && pMenu)
        pMenu->GetMenuString(pCmdUI->m_nID, m_strOriginal, MF_BYCOMMAND);
    if (m_nSize <= 0 || m_arrNames[0].IsEmpty()) {
        if (!m_strOriginal.IsEmpty())
            pCmdUI->SetText(m_strOriginal);
        pCmdUI->Enable(FALSE);
        return;
    }
    if (!pMenu)
        return;
    // Take the old entries off, then put the list in their place.
    for (int i = 0; i < m_nSize; ++i)
        pMenu->DeleteMenu(pCmdUI->m_nID + static_cast<UINT>(i), MF_BYCOMMAND);
    wchar_t current[MAX_PATH] = {};
    const int nCurDir = static_cast<int>(::GetCurrentDirectoryW(MAX_PATH, current));
    UINT position = pCmdUI->m_nIndex;
    for (int i = 0; i < m_nSize; ++i) {
        CString name;
        if (!GetDisplayName(name, i, current, nCurDir))
            break;
        name.Replace(L"&", L"&&");
        CString text;
        text.Format(L"&%d %s", (i + 1 + static_cast<int>(m_nStart)) % 10, static_cast<const wchar_t*>(name));
        pMenu->InsertMenu(position++, MF_STRING | MF_BYPOSITION, pCmdUI->m_nID + static_cast<UINT>(i), text);
    }
    pCmdUI->m_nIndex = position - 1;
    pCmdUI->m_nIndexMax = pMenu->GetMenuItemCount();
    pCmdUI->m_bEnableChanged = TRUE;
}

void CRecentFileList::ReadList()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    for (int i = 0; i < m_nSize; ++i) {
        CString entry;
        entry.Format(m_strEntryFormat, i + 1);
        m_arrNames[static_cast<size_t>(i)] = app->GetProfileString(m_strSectionName, entry);
    }
}

void CRecentFileList::WriteList()
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    // The section is written whole: entries past the list's end go.
    app->WriteProfileString(m_strSectionName, nullptr, nullptr);
    for (int i = 0; i < m_nSize; ++i) {
        if (m_arrNames[static_cast<size_t>(i)].IsEmpty())
            break;
        CString entry;
        entry.Format(m_strEntryFormat, i + 1);
        app->WriteProfileString(m_strSectionName, entry, m_arrNames[static_cast<size_t>(i)]);
    }
}
