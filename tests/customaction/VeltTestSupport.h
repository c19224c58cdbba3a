#pragma once
// Helpers for the custom-action library's tests: a real installer session on a small package
// (MsiOpenPackage) whose log lines are caught by an external user-interface handler, packages
// written into copies of velt.bin as its settings resource, and the test setup program placed
// where a built package puts a wrapped project's setup program.

#include "engine/model/MsgAction.h"
#include "engine/model/ProjectSettings.h"
#include "engine/msi/MsiHandle.h"
#include "framework/String.h"
#include "tests/engine/replay/SetupProgramRun.h"
#include "tests/support/TestSupport.h"

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace velttest {

using replaytest::ReadResultFile;
using replaytest::Result;
using replaytest::ScriptStep;

// Prepares and runs one SQL statement with the values bound as string fields 1, 2, ...
[[nodiscard]] UINT RunSql(MSIHANDLE database, const wchar_t* sql, std::initializer_list<const wchar_t*> values = {});

// Creates a package with the tables an installation needs (no files): Property (the product
// properties), Directory, Feature, Component, FeatureComponents, CustomAction, Binary,
// InstallExecuteSequence with the standard actions, and the summary information. The database is
// left committed and closed; extra rows can be added afterwards.
[[nodiscard]] UINT CreateTestPackage(const CString& path, const CString& productCode, const CString& productName);

// A running installation in this process: MsiOpenPackage on a test package, with every
// information message caught by an external user-interface handler.
class InstallerSession {
public:
    InstallerSession();
    ~InstallerSession();
    InstallerSession(const InstallerSession&) = delete;
    InstallerSession& operator=(const InstallerSession&) = delete;

    MSIHANDLE Handle() const { return m_install.Get(); }
    void SetCustomActionData(const wchar_t* value);
    // The texts of the library's log lines ("-->Tarnwick Log: " removed), in order.
    std::vector<CString> LogLines() const;
    // True when one of those lines is exactly the text.
    bool Logged(const CString& line) const;
    // All log lines on one text, for assertion messages.
    std::string LogText() const;

private:
    testsupport::ScratchFolder m_scratch;
    UniqueMsiHandle m_install;
};

// The velt.bin built beside the tests.
CString VeltPath();
// A copy of velt.bin in folder carrying the package as its settings resource (or no resource for
// null, or the raw bytes given); fails the test when the resource cannot be written.
CString VeltWithPackage(const CString& folder, CProjectSettings* package);
CString VeltWithBytes(const CString& folder, const std::vector<uint8_t>& bytes);

// The exports of one loaded copy of the library.
class VeltLibrary {
public:
    explicit VeltLibrary(const CString& path);
    UINT Install(int number, MSIHANDLE install) const;
    UINT Uninstall(MSIHANDLE install) const;
    bool Loaded() const { return m_module.IsValid(); }

private:
    UniqueModule m_module;
};

// The test setup program copied to <Windows>\Temp\<project id>\<file name of the installer
// path>, where a built package installs it and the install action looks for it; removed again at
// the end.
class PlacedSetupProgram {
public:
    explicit PlacedSetupProgram(const CFeature& project);
    ~PlacedSetupProgram();
    PlacedSetupProgram(const PlacedSetupProgram&) = delete;
    PlacedSetupProgram& operator=(const PlacedSetupProgram&) = delete;
    const CString& Path() const { return m_path; }

private:
    CString m_folder;
    CString m_path;
};

// A wrapped project running the test setup program with the given mode and arguments.
CFeature SetupProject(const wchar_t* name, int mode, const CString& arguments);

// Removes the registry traces of the test setup program and the kept command of a project.
void RemoveSetupTraces(const CString& projectId);

// The text of an msiexec log, which Wine writes in the process code page or as UTF-16.
std::string ReadInstallerLog(const CString& path);

// One "msiexec <verb> <package> /qn /l*v <log>" call; its exit code. A package whose custom-action
// DLL cannot run makes msiexec hang, so the call is bounded and the test fails when it does not
// end in time. Test programs share one prefix: while another installation runs (1618) it waits and
// tries again.
DWORD RunMsiexec(const wchar_t* verb, const CString& package, const CString& log);

} // namespace velttest
