#pragma once
// CFeature: a project of a package (one MSI feature): its destination file tree, its registry
// records, its custom actions, and how its setup program is handled: monitored on this machine
// (repackage), carried in the package and driven by the install script (GUI script), or run with
// its arguments (command line).

#include "engine/model/CustomAction.h"
#include "engine/model/FileEntry.h"
#include "engine/model/MsgAction.h"
#include "engine/model/RegistryEntry.h"

#include "framework/Array.h"
#include "framework/Archive.h"

class CFeature {
public:
    enum ConversionMode : int { modeRepackage = 0, modeGuiScript = 1, modeCommandLine = 2 };

    CFeature();   // a new braced id, GUI-script mode, the five registry root records
    CFeature(const CFeature&) = default;
    CFeature& operator=(const CFeature&) = default;
    CFeature(CFeature&&) noexcept = default;
    CFeature& operator=(CFeature&&) noexcept = default;
    virtual ~CFeature() = default;

    void Serialize(CArchive& ar);

    CString m_id;                  // braced GUID; the MSI feature key is derived from it
    CString m_name;                // tree label and feature Title
    CString m_description;         // feature Description
    CString m_conditions;          // feature condition
    CString m_reservedText;
    CFileEntries m_files;
    CRegistryEntries m_registry;
    CCustomActions m_customActions;
    int m_conversionMode = modeGuiScript;
    CString m_installerPath;       // the setup program
    CString m_installerArguments;
    CMsgActions m_installScript;   // replayed while the setup program installs
    CString m_uninstallCommand;
    CString m_uninstallArguments;
    CMsgActions m_uninstallScript; // replayed while the uninstaller runs
};

class CFeatures : public CArray<CFeature, const CFeature&> {
public:
    // The count, then each project; loading replaces the list.
    void Serialize(CArchive& ar) override;

    // The proposed name when no project has exactly that name (case counts); otherwise
    // "name(1)", "name(2)", ... the first that no project has.
    CString MakeUniqueName(const CString& name) const;
};

// A project whose setup program travels in the package and is run at installation by the
// custom-action library: not repackaged, and its setup-program path is not blank. The builder
// writes one install action per wrapped project and the library's export n runs wrapped project
// n, so both sides must count by this one rule.
bool IsWrappedProject(const CFeature& project);
// The number of wrapped projects of a list.
int CountWrappedProjects(const CFeatures& projects);
// The index in the list of wrapped project number n (from 0); -1 when there is none.
int FindWrappedProject(const CFeatures& projects, int number);
