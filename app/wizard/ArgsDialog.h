#pragma once
// CArgsDialog: edits the command-line arguments of a setup program (its install or its uninstall
// arguments). It shows the recognised maker's help, in which the switches are hyperlinks: a click
// on a switch appends it to the arguments once, a click on a web address opens it. Blank
// arguments start as the maker's silent install switches.

#include "app/AppBases.h"
#include "app/MarkupStatic.h"

class CArgsDialog : public AppResizeDialog {
public:
    explicit CArgsDialog(CWnd* parent = nullptr);

    CString m_path;        // the setup program, set before DoModal
    CString m_arguments;   // set before DoModal; read after OK

    // What a hyperlink click does with its Tag (public so that a test can also click through the
    // label it owns).
    void OnHyperlinkClick(const CString& tag);
    CMarkupStatic& HelpLabel() { return m_help; }

    // How a web address is opened; the shell's "open" by default.
    void SetOpener(std::function<void(const CString&)> opener) { m_open = std::move(opener); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    CMarkupStatic m_help;
    std::function<void(const CString&)> m_open;
};
