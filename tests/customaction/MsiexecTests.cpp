// A package carrying velt.bin in its Binary table, with deferred custom actions of type 3073 that
// call its exports, installed and removed by msiexec: the library as the real installer runs it,
// in its custom-action server. One project is driven by a recorded script, one runs with its
// switches; both setup programs register an uninstaller, which the removal runs.

#include "customaction/UninstallAction.h"
#include "engine/model/GuidText.h"
#include "engine/model/MsgAction.h"
#include "tests/customaction/VeltTestSupport.h"
#include "tests/engine/replay/SetupProgramRun.h"

#include <gtest/gtest.h>

#include <memory>

using namespace velttest;
using testsupport::FileExists;

namespace {

// The replay finds the program by its lower-cased file name, as the package places it.
CMsgAction Step(int kind, int controlType, const wchar_t* path, const wchar_t* text)
{
    return ScriptStep(kind, controlType, L"gui setup.exe", path, text);
}

// The rows that call the library, as the builder writes them.
void AddCustomActions(const CString& packagePath, const CString& veltPath)
{
    UniqueMsiHandle database;
    ASSERT_EQ(0u, MsiOpenDatabaseW(packagePath, MSIDBOPEN_DIRECT, database.Put()));
    UniqueMsiHandle record(MsiCreateRecord(2));
    MsiRecordSetStringW(record.Get(), 1, L"B_velt");
    ASSERT_EQ(0u, MsiRecordSetStreamW(record.Get(), 2, veltPath));
    UniqueMsiHandle view;
    ASSERT_EQ(0u, MsiDatabaseOpenViewW(database.Get(), L"INSERT INTO `Binary` (`Name`, `Data`) VALUES (?, ?)", view.Put()));
    ASSERT_EQ(0u, MsiViewExecute(view.Get(), record.Get()));
    const wchar_t* action = L"INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES (?, 3073, 'B_velt', ?)";
    const wchar_t* sequence = L"INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES (?, ?, ?)";
    ASSERT_EQ(0u, RunSql(database.Get(), action, {L"GUI_SETUP", L"INSTALLAction0"}));
    ASSERT_EQ(0u, RunSql(database.Get(), sequence, {L"GUI_SETUP", L"NOT REMOVE", L"5990"}));
    ASSERT_EQ(0u, RunSql(database.Get(), action, {L"COMMAND_SETUP", L"INSTALLAction1"}));
    ASSERT_EQ(0u, RunSql(database.Get(), sequence, {L"COMMAND_SETUP", L"NOT REMOVE", L"5991"}));
    ASSERT_EQ(0u, RunSql(database.Get(), action, {L"CA_UNINSTALL", L"UNINSTALLAction"}));
    ASSERT_EQ(0u, RunSql(database.Get(), sequence, {L"CA_UNINSTALL", L"REMOVE~=\"ALL\" AND ProductState <> 1", L"1699"}));
    ASSERT_EQ(0u, MsiDatabaseCommit(database.Get()));
}

TEST(Msiexec, InstallRunsTheWrappedSetupProgramsAndRemovalRunsTheirUninstallers)
{
    replaytest::DesktopLock desktop;
    testsupport::ScratchFolder scratch;
    const CString guiApp = scratch / L"Gui App";
    const CString commandApp = scratch / L"Command App";
    CString guiArguments;
    guiArguments.Format(L"/install:\"%s\" /result:\"%s\"", guiApp.GetString(), (scratch / L"gui.txt").GetString());
    CString commandArguments;
    commandArguments.Format(L"/silent /install:\"%s\" /result:\"%s\"", commandApp.GetString(),
                            (scratch / L"command.txt").GetString());

    CProjectSettings package;
    package.m_productName = L"Wrapped Setups";
    package.m_projects.Add(SetupProject(L"Gui Setup", CFeature::modeGuiScript, guiArguments));
    package.m_projects.Add(SetupProject(L"Command Setup", CFeature::modeCommandLine, commandArguments));
    CMsgActions& script = package.m_projects[0].m_installScript;
    script.Add(Step(CMsgAction::kindSetText, CMsgAction::controlEdit, L"#32770--1\\edit-0\\-0", L"Jane Doe"));
    for (int page = 0; page < 3; ++page)
        script.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, L"#32770--1\\button-4\\-0", L"Next >"));
    const CString guiId = package.m_projects[0].m_id;
    const CString commandId = package.m_projects[1].m_id;
    PlacedSetupProgram guiProgram(package.m_projects[0]);
    PlacedSetupProgram commandProgram(package.m_projects[1]);
    RemoveSetupTraces(guiId);

    const CString msi = scratch / L"wrapped.msi";
    ASSERT_EQ(0u, CreateTestPackage(msi, NewGuidString(), package.m_productName));
    AddCustomActions(msi, VeltWithPackage(scratch.Path(), &package));

    const CString installLog = scratch / L"install.log";
    EXPECT_EQ(0u, RunMsiexec(L"/i", msi, installLog));
    const std::string log = ReadInstallerLog(installLog);
    EXPECT_NE(std::string::npos, log.find("-->Tarnwick Log: Set Text Edit 'Jane Doe' =>  ok")) << log;
    EXPECT_NE(std::string::npos, log.find("-->Tarnwick Log: Install process 'Wrapped Setups' is completed successfully."))
        << log;

    Result gui = ReadResultFile(scratch / L"gui.txt");
    EXPECT_EQ("msitmp", gui["desktop"]);
    EXPECT_EQ("Jane Doe", gui["name"]);
    EXPECT_EQ("3", gui["clicks.next"]);
    EXPECT_EQ("1", gui["installed"]);
    Result command = ReadResultFile(scratch / L"command.txt");
    EXPECT_EQ("msitmp", command["desktop"]);
    EXPECT_NE(std::string::npos, command["commandline"].find("/silent")) << command["commandline"];
    EXPECT_EQ("1", command["installed"]);

    CString kept;
    EXPECT_EQ(0, ReadUninstallString(guiId, kept));
    EXPECT_NE(-1, kept.Find(guiApp)) << testsupport::Utf8(kept.View());
    EXPECT_EQ(0, ReadUninstallString(commandId, kept));
    EXPECT_NE(-1, kept.Find(commandApp)) << testsupport::Utf8(kept.View());

    const CString removeLog = scratch / L"remove.log";
    EXPECT_EQ(0u, RunMsiexec(L"/x", msi, removeLog));
    const std::string removal = ReadInstallerLog(removeLog);
    EXPECT_NE(std::string::npos,
              removal.find("-->Tarnwick Log: Uninstall process 'Wrapped Setups' is completed successfully."))
        << removal;
    // Each uninstaller hands its work to a copy of itself, which may finish after msiexec returned.
    constexpr DWORD kUninstallerCopyTimeoutMs = 30000;
    EXPECT_TRUE(testsupport::WaitFor([&] { return !FileExists(guiApp); }, kUninstallerCopyTimeoutMs))
        << "the scripted program's uninstaller did not run\n" << removal;
    EXPECT_TRUE(testsupport::WaitFor([&] { return !FileExists(commandApp); }, kUninstallerCopyTimeoutMs))
        << "the silent program's uninstaller did not run\n" << removal;

    RemoveSetupTraces(guiId);
    RemoveSetupTraces(commandId);
}

} // namespace
