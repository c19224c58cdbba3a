#pragma once
// The new-project wizard's and the arguments dialog's rules, free of windows so that they are
// tested alone: the proposed project name, the installer's file entries, the header and help
// markup, and what a hyperlink's Tag does.
//
// Markup texts are built by pasting values into fixed templates. Every value that is plain text
// (a maker name, which for an unknown maker holds text from the setup program's own manifest, a
// web address, an error text) is escaped first, so that a setup program cannot add elements, and
// above all no hyperlink whose Tag the shell would open.

#include "engine/model/Feature.h"
#include "engine/storage/Projects.h"

#include "framework/String.h"

// The package choice of the wizard: 0 makes a new package, n > 0 adds to package n - 1.
inline constexpr int kNewPackageChoice = 0;

// The installer's file name (after the last backslash) cut before its last dot; empty when the
// name has no dot.
CString ProposedProjectName(const CString& installerPath);

// The proposed name made unique for the package choice: among the package names for a new
// package, among that package's projects for an existing one. An unknown choice leaves it.
CString MakeUniqueProjectName(const CString& name, int packageChoice, const CProjects& projects);

// The folder a new package gets: "<location>\<name>" without doubled backslashes.
CString NewPackageFolder(const CString& location, const CString& uniqueName);

// Puts the installer into the project: every entry under "Temp\" goes, then the root "Temp\" and
// the file "Temp\<file name>" with the installer as its source and its attributes read from the
// file; the project's setup path becomes that file's tree path. Returns the Windows error of
// reading the attributes (the entries are added all the same) or 0.
DWORD AddInstallerToProject(CFeature& project, const CString& installerPath);

// Markup-escapes plain text: & < > ' and " become entities.
CString EscapeMarkupText(const CString& text);

// The start page's and parameters page's header: the maker's name and a hyperlink to its web
// address. Both are escaped.
CString MakeWizardHeaderMarkup(const CString& makerName, const CString& webAddress);

// The arguments dialog's help: the maker's name and web link in bold, then the help. The help is
// the table's own markup when the maker was recognised, else plain text (an error's text) that
// is escaped like the rest.
CString MakeArgsHelpMarkup(const CString& makerName, const CString& webAddress, const CString& help,
                           bool helpIsMarkup);

// True for a Tag that is a web address: it begins (after blanks) with http://, https:// or www.,
// without regard to case. Only such Tags are opened; any other Tag is a switch.
bool IsWebAddressTag(const CString& tag);

// Appends the switch (trimmed) to the arguments, after one space when they are not blank, unless
// the arguments already contain it; true when it was added.
bool AppendSwitch(CString& arguments, const CString& tag);

// The nine characters an output file name may not hold: \ / * : ? " < > |.
bool IsValidOutputFileName(const CString& name);

// The finish page's text for a mode; null for the repackage mode, whose text stays.
const wchar_t* FinishTextForMode(int mode);

// The result of adding a finished wizard's project to the list.
struct NewProjectResult {
    bool added = false;
    bool createdPackage = false;   // a new package was made (its index is the list's last)
    int packageIndex = -1;
    int projectIndex = -1;
    CString message;               // why nothing was added
};

// Makes a package named exactly name in "<location>\<name>" (the folder may exist already, but
// not the package file) and lists it; false, with nothing listed, otherwise.
bool CreatePackageExactly(const CString& name, const CString& location, CProjects& projects);

// What Finish does to the list: for the new-package choice, creates the package under exactly
// the given name in exactly the given location (the name was made unique when the user left the
// start page, and a monitoring run may already have copied files into that folder), then appends
// a copy of the project. A name that has since been taken, or a package that cannot be made,
// adds nothing and says why.
NewProjectResult AddWizardProject(const CFeature& project, int packageChoice, const CString& location,
                                  const CString& packageName, CProjects& projects);
