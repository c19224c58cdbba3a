#pragma once
// The registry editor's modal dialogs: CRegKeyDlg renames a key and sets its installer options
// and condition, CRegValueDlg renames a value and edits its data and condition, and CEditValDlg
// is the larger, resizable text box the value dialog opens for long or multi-string data.
//
// The two registry dialogs are bound to the project's records before they run and change them in
// place, but only once every box of the dialog has passed its check: a refused box keeps the
// dialog open (focus on that box) and the record as it was, and a cancelled dialog changes
// nothing, a multi-string edited through "..." included.

#include "app/AppBases.h"

#include "engine/model/RegistryEntry.h"

class CRegKeyDlg : public AppDialog {
    DECLARE_DYNAMIC(CRegKeyDlg)
public:
    explicit CRegKeyDlg(CWnd* pParent = nullptr);

    // Binds the dialog to the key record of keyPath (any letter case). A key that has no record of
    // its own (it exists only as part of longer paths) is edited in a record of the dialog, which
    // OK appends to the records when it carries options or a condition.
    void Bind(CRegistryEntries& records, const CString& keyPath);
    // The record the dialog edits; after OK its key path is the key's new path.
    const CRegistryEntry& EditedRecord() const { return *m_record; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

private:
    CRegistryEntry* m_record = nullptr;      // not owned: a record of m_records, or m_ownRecord
    CRegistryEntry m_ownRecord;
    CRegistryEntries* m_records = nullptr;   // not owned
    CString m_openingPath;
};

class CRegValueDlg : public AppDialog {
    DECLARE_DYNAMIC(CRegValueDlg)
public:
    explicit CRegValueDlg(CWnd* pParent = nullptr);

    // Binds the dialog to the value of keyPath named name (both in any letter case); false when
    // there is none, and the dialog must not run.
    bool Bind(CRegistryEntries& records, const CString& keyPath, const CString& name);
    const CRegistryEntry& EditedRecord() const { return *m_record; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // "...": the value in the large editor.
    void OnEditLarge();

private:
    CRegistryEntry* m_record = nullptr;      // not owned: a record of m_records
    CRegistryEntries* m_records = nullptr;   // not owned
    CString m_openingName;
    // A multi-string's data as the large editor last returned it, stored only by OK.
    CString m_multiString;

    DECLARE_MESSAGE_MAP()
};

class CEditValDlg : public AppResizeDialog {
    DECLARE_DYNAMIC(CEditValDlg)
public:
    explicit CEditValDlg(CWnd* pParent = nullptr);

    CString m_text;    // in before the run, out after OK (lines separated by CR LF)

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
};
