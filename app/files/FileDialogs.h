#pragma once
// CFileDlg ("Edit File") and CShortcutDlg ("Edit Shortcut") edit one file entry. Both work on a
// copy of the entry and write it back only when OK passes every check, so a refused name or a
// Cancel leaves the entry as it was. Both keep the entry's folder and change only the last name
// of its path, refusing a name another entry already has.
//
// The shortcut dialog also picks the shortcut's icon: the chosen icon group is written into a
// temporary .ico file first and copied to "<output folder>\resources\I<id>.ico" only after OK
// passed; Cancel deletes the temporary file.

#include "app/AppBases.h"

#include "engine/model/FileEntry.h"

#include <functional>

class CFileDlg : public AppDialog {
public:
    explicit CFileDlg(CWnd* pParent = nullptr);

    // Binds the dialog to the entry with that path (any case); false when there is none.
    bool Init(CFileEntries* entries, const CString& path);
    // The entry after OK (its path possibly changed).
    CFileEntry* Entry() const { return m_entry; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

private:
    CFileEntries* m_entries = nullptr;   // not owned
    CFileEntry* m_entry = nullptr;       // not owned: the entry written on OK
    CFileEntry m_edit;                   // the copy the controls edit
    CString m_startPath;
    int m_vital = 0, m_readOnly = 0, m_hidden = 0, m_system = 0;
};

class CShortcutDlg : public AppDialog {
public:
    explicit CShortcutDlg(CWnd* pParent = nullptr);
    ~CShortcutDlg() override;

    // Binds the dialog to the shortcut entry with that path (any case); false when there is none.
    bool Init(CFileEntries* entries, const CString& path);
    // Binds the dialog to a new shortcut that is not in the entries yet, proposed at path: its
    // name must not be that of a file or folder entry.
    void InitNew(CFileEntries* entries, CFileEntry* entry, const CString& path);
    CFileEntry* Entry() const { return m_entry; }

    // The package's output folder, where the icons are kept (set by the caller).
    CString m_outputFolder;
    // An icon group of a module: a number, or a name when the name is not empty.
    struct IconChoice {
        CString source;
        WORD id = 0;
        CString name;
    };
    // Choosing the icon, given the target's own file when it holds an icon (else empty): the
    // module and the group chosen there. Tests replace it; by default the file-open dialog (when
    // no source was suggested) and the icon picker.
    std::function<bool(const CString& suggestedSource, IconChoice& choice)> chooseIcon;

    // The temporary icon file, empty until an icon was chosen.
    const CString& TempIconFile() const { return m_tempIcon; }
    // The shortcut's icon file in the output folder.
    CString IconFilePath() const;

    void OnBrowseTarget();
    void OnBrowseDirectory();
    void OnChooseIcon();
    void UpdateIcon();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void ShowIcon(HICON icon);
    void DropTempIcon();

    AppButton m_iconButton;
    CFileEntries* m_entries = nullptr;   // not owned
    CFileEntry* m_entry = nullptr;       // not owned: the entry written on OK
    CFileEntry m_edit;
    CString m_startPath;
    CString m_tempIcon;
    bool m_new = false;
    HICON m_shownIcon = nullptr;         // owned: the copy the button shows

    DECLARE_MESSAGE_MAP()
};
