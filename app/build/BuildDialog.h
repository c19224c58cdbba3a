#pragma once
// CBuildDialog: the output settings of one package, confirmed before a build: the kind of
// package, where its files go, the output folder and file name, and the debug flag (offered only
// when a project replays a script or runs a command line). It edits the package in place, and
// only when it ends with OK.

#include "app/AppBases.h"

#include "engine/model/ProjectSettings.h"

class CBuildDialog : public AppDialog {
public:
    explicit CBuildDialog(CWnd* parent = nullptr);

    CProjectSettings* m_package = nullptr;   // set before DoModal; not owned

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    void OnKindChanged();
    void OnBrowse();

private:
    // An administrative installation point always has loose files.
    void ApplyKindRule();

    DECLARE_MESSAGE_MAP()
};

// Whether a project of the package replays a script or runs a command line: only then is the
// debug flag offered.
bool PackageShowsDebugOption(const CProjectSettings& package);
