#pragma once
// Document templates: what binds a document class, a frame class and a view class under one
// resource id (the frame's menu, accelerators and icon, and the template string
// "title\ndocument name\nnew-file name\nfilter name\nfilter extension\nfile type id\nfile type name").
// The application keeps its templates (AddDocTemplate; it owns them) and opens documents through
// them: File New makes a new document with its frame and view, a path opens through the template.
//
// CSingleDocTemplate holds at most one document: a second open reuses the document and its frame.
// CMultiDocTemplate makes a child frame per document inside the MDI frame.
//
// CCommandLineInfo reads the program's command line: no argument means File New, a path opens
// that file, and the print, DDE, automation and registration switches are taken apart and then
// refused by ProcessShellCommand: this framework serves none of them.
//
// CRecentFileList: the most recently used files, kept in the profile ("Recent File List",
// "File1".."FileN") and shown in the File menu in place of ID_FILE_MRU_FILE1.

#include "framework/window/FrameWnd.h"
#include "framework/window/Menu.h"

class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex {
        windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName
    };
    enum Confidence { noAttempt, maybeAttemptForeign, maybeAttemptNative, yesAttemptForeign,
                      yesAttemptNative, yesAlreadyOpen };

    CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                 const CRuntimeClass* pViewClass);
    ~CDocTemplate() override;

    virtual void LoadTemplate();
    virtual BOOL GetDocString(CString& rString, DocStringIndex index) const;

    virtual void AddDocument(CDocument* pDoc);
    virtual void RemoveDocument(CDocument* pDoc);
    virtual POSITION GetFirstDocPosition() const = 0;
    virtual CDocument* GetNextDoc(POSITION& rPos) const = 0;

    virtual CDocument* CreateNewDocument();
    // A frame of the template's frame class for the document, loaded from the template's resource.
    virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
    virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    virtual CDocument* OpenDocumentFile(const wchar_t* lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    virtual void SetDefaultTitle(CDocument* pDocument) = 0;
    virtual Confidence MatchDocType(const wchar_t* lpszPathName, CDocument*& rpDocMatch);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);

    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
    HMENU m_hMenuShared = nullptr;     // MDI: the children's menu (owned)
    HACCEL m_hAccelTable = nullptr;    // MDI: the children's accelerators
};

class CSingleDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    CSingleDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                       const CRuntimeClass* pViewClass);
    ~CSingleDocTemplate() override;

    void AddDocument(CDocument* pDoc) override;
    void RemoveDocument(CDocument* pDoc) override;
    POSITION GetFirstDocPosition() const override;
    CDocument* GetNextDoc(POSITION& rPos) const override;
    CDocument* OpenDocumentFile(const wchar_t* lpszPathName, BOOL bMakeVisible = TRUE) override;
    void SetDefaultTitle(CDocument* pDocument) override;

    CDocument* m_pOnlyDoc = nullptr;    // not owned (it deletes itself)
};

// One document per child frame in the MDI frame. The template's menu and accelerators of its
// resource id are shared by its children: the MDI frame shows that menu while one of them is active.
class CMultiDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CMultiDocTemplate)
public:
    CMultiDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                      const CRuntimeClass* pViewClass);
    ~CMultiDocTemplate() override;

    void LoadTemplate() override;
    void AddDocument(CDocument* pDoc) override;
    void RemoveDocument(CDocument* pDoc) override;
    POSITION GetFirstDocPosition() const override;
    CDocument* GetNextDoc(POSITION& rPos) const override;
    CDocument* OpenDocumentFile(const wchar_t* lpszPathName, BOOL bMakeVisible = TRUE) override;
    // "<document name><n>", n counting the untitled documents of the template from 1.
    void SetDefaultTitle(CDocument* pDocument) override;

    std::vector<CDocument*> m_docList;    // not owned
    UINT m_nUntitledCount = 0;
};

class CCommandLineInfo : public CObject {
public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister,
           FileNothing = -1 };
    CCommandLineInfo() = default;
    // One argument of the command line: bFlag when it started with '/' or '-' (taken off).
    virtual void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;
    int m_nShellCommand = FileNew;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;
};

class CRecentFileList {
public:
    CRecentFileList(UINT nStart, const wchar_t* lpszSection, const wchar_t* lpszEntryFormat,
                    int nSize, int nMaxDispLen = 30);
    virtual ~CRecentFileList() = default;

    int GetSize() const { return m_nSize; }
    const CString& operator[](int nIndex) const { return m_arrNames[static_cast<size_t>(nIndex)]; }
    virtual void Add(const wchar_t* lpszPathName);
    virtual void Remove(int nIndex);
    // The entry as the menu shows it: the bare file name when it lies in the current folder, else
    // the path shortened with "..." in its middle to nMaxDispLen characters (the file name whole).
    virtual BOOL GetDisplayName(CString& strName, int nIndex, const wchar_t* lpszCurDir,
                                int nCurDir, BOOL bAtLeastName = TRUE) const;
    virtual void UpdateMenu(CCmdUI* pCmdUI);
    virtual void ReadList();
    virtual void WriteList();

    int m_nSize;
    std::vector<CString> m_arrNames;
    CString m_strSectionName;
    CString m_strEntryFormat;
    UINT m_nStart;
    int m_nMaxDisplayLength;
    CString m_strOriginal;    // the menu text of the first entry before the list replaced it
};
