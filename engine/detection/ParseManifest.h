#pragma once
// Installer-type detection. CParseManifest reads a setup program's application manifest (the
// assembly identity's name and the description), finds the maker by keywords in them, and takes
// that maker's name, web address, silent switches and help from the installer table: the
// program's own resource "XML" 4. The setup program is opened as a data file only, so none of
// its code runs and 32-bit and 64-bit programs are read alike.
//
// Runs on a thread with COM initialised (the XML store uses the platform's DOM).

#include "framework/String.h"

class CXTPPropExchangeXMLNode;

class CParseManifest {
public:
    CParseManifest() = default;
    virtual ~CParseManifest() = default;

    // 1 when a maker was recognised (the table fields are set); 0 otherwise, with a fallback
    // text in the maker name, or the system's text of an error in the help.
    int Detect(const wchar_t* path);
    // Reads the manifest name and description; 0 or the Windows error.
    [[nodiscard]] DWORD ReadManifest(const wchar_t* path);
    // Matches the keywords and reads the maker's entry; 1 when one matched and was read.
    int MatchInstallerType();

    CString m_strManifestName;          // "name" of the manifest's assemblyIdentity
    CString m_strManifestDescription;   // text of the manifest's description
    CString m_strInstallerName;         // the maker's display name, or a fallback text
    CString m_strWebLink;               // the maker's web address
    CString m_strInstallCmd;            // silent install switches
    CString m_strUninstallCmd;          // silent uninstall switches
    CString m_strHelp;                  // the help as markup, or the text of an error
};

// The text of the named attribute of the first node that the XPath selects from the store's
// element; empty when there is no such node or attribute.
CString GetXPathAttribute(CXTPPropExchangeXMLNode* node, const wchar_t* xpath, const wchar_t* attribute);

// The table's help text as markup: line feeds become <LineBreak/>, runs of five spaces (the
// table's indentation) go, and the escaped tags are restored ("@@" >, "@|" </, "@" <).
CString ConvertHelpToMarkup(CString help);
