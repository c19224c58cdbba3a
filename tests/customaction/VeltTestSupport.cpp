#include "tests/customaction/VeltTestSupport.h"

#include "customaction/EmbeddedSettings.h"
#include "customaction/UninstallAction.h"
#include "engine/files/WideBuffer.h"
#include "engine/model/GuidText.h"
#include "engine/storage/PackageFile.h"
#include "tests/engine/replay/SetupProgramRun.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <algorithm>
#include <mutex>

namespace velttest {

namespace {

const wchar_t kLogPrefix[] = L"-->Tarnwick Log: ";

std::mutex g_linesLock;
std::vector<CString> g_lines;

int CALLBACK CatchMessage(void*, UINT type, LPCWSTR message)
{
    if ((type & 0xFF000000u) == INSTALLMESSAGE_INFO && message) {
        std::lock_guard<std::mutex> guard(g_linesLock);
        g_lines.push_back(CString(message));
    }
    return 0;
}

const wchar_t* const kTables[] = {
    L"CREATE TABLE `Property` (`Property` CHAR(72) NOT NULL, `Value` LONGCHAR NOT NULL LOCALIZABLE "
    L"PRIMARY KEY `Property`)",
    L"CREATE TABLE `Directory` (`Directory` CHAR(72) NOT NULL, `Directory_Parent` CHAR(72), "
    L"`DefaultDir` CHAR(255) NOT NULL LOCALIZABLE PRIMARY KEY `Directory`)",
    L"CREATE TABLE `Feature` (`Feature` CHAR(38) NOT NULL, `Feature_Parent` CHAR(38), `Title` CHAR(64) "
    L"LOCALIZABLE, `Description` CHAR(255) LOCALIZABLE, `Display` SHORT, `Level` SHORT NOT NULL, `Directory_` "
    L"CHAR(72), `Attributes` SHORT NOT NULL PRIMARY KEY `Feature`)",
    L"CREATE TABLE `Component` (`Component` CHAR(72) NOT NULL, `ComponentId` CHAR(38), `Directory_` CHAR(72) "
    L"NOT NULL, `Attributes` SHORT NOT NULL, `Condition` CHAR(255), `KeyPath` CHAR(72) PRIMARY KEY `Component`)",
    L"CREATE TABLE `FeatureComponents` (`Feature_` CHAR(38) NOT NULL, `Component_` CHAR(72) NOT NULL "
    L"PRIMARY KEY `Feature_`, `Component_`)",
    L"CREATE TABLE `CustomAction` (`Action` CHAR(72) NOT NULL, `Type` SHORT NOT NULL, `Source` CHAR(72), "
    L"`Target` CHAR(255) PRIMARY KEY `Action`)",
    L"CREATE TABLE `Binary` (`Name` CHAR(72) NOT NULL, `Data` OBJECT NOT NULL PRIMARY KEY `Name`)",
    L"CREATE TABLE `InstallExecuteSequence` (`Action` CHAR(72) NOT NULL, `Condition` CHAR(255), "
    L"`Sequence` SHORT PRIMARY KEY `Action`)",
};

struct SequenceRow {
    const wchar_t* action;
    const wchar_t* sequence;
};
const SequenceRow kSequence[] = {
    {L"CostInitialize", L"800"},    {L"FileCost", L"900"},           {L"CostFinalize", L"1000"},
    {L"InstallValidate", L"1400"},  {L"InstallInitialize", L"1500"}, {L"ProcessComponents", L"1600"},
    {L"UnpublishFeatures", L"1800"}, {L"RegisterProduct", L"6100"},  {L"PublishFeatures", L"6300"},
    {L"PublishProduct", L"6400"},   {L"InstallFinalize", L"6600"},
};

} // namespace

UINT RunSql(MSIHANDLE database, const wchar_t* sql, std::initializer_list<const wchar_t*> values)
{
    UniqueMsiHandle record(MsiCreateRecord(static_cast<UINT>(values.size())));
    UINT field = 1;
    for (const wchar_t* value : values)
        MsiRecordSetStringW(record.Get(), field++, value);
    UniqueMsiHandle view;
    const UINT result = MsiDatabaseOpenViewW(database, sql, view.Put());
    return result ? result : MsiViewExecute(view.Get(), values.size() ? record.Get() : 0);
}

UINT CreateTestPackage(const CString& path, const CString& productCode, const CString& productName)
{
    UniqueMsiHandle database;
    if (UINT error = MsiOpenDatabaseW(path, MSIDBOPEN_CREATE, database.Put()))
        return error;
    for (const wchar_t* table : kTables) {
        if (UINT error = RunSql(database.Get(), table))
            return error;
    }
    const wchar_t* property = L"INSERT INTO `Property` (`Property`, `Value`) VALUES (?, ?)";
    const std::pair<const wchar_t*, CString> properties[] = {
        {L"ProductCode", productCode},    {L"ProductName", productName}, {L"ProductVersion", L"1.0.0"},
        {L"Manufacturer", L"Morvalund"}, {L"ProductLanguage", L"1033"}, {L"ALLUSERS", L"1"},
    };
    for (const auto& [name, value] : properties) {
        if (UINT error = RunSql(database.Get(), property, {name, value}))
            return error;
    }
    const UINT rows[] = {
        RunSql(database.Get(), L"INSERT INTO `Directory` (`Directory`, `DefaultDir`) VALUES ('TARGETDIR', 'SourceDir')"),
        RunSql(database.Get(), L"INSERT INTO `Feature` (`Feature`, `Display`, `Level`, `Attributes`) "
                               L"VALUES ('Main', 1, 1, 0)"),
        RunSql(database.Get(), L"INSERT INTO `Component` (`Component`, `ComponentId`, `Directory_`, `Attributes`) "
                               L"VALUES ('Main', ?, 'TARGETDIR', 0)", {NewGuidString()}),
        RunSql(database.Get(), L"INSERT INTO `FeatureComponents` (`Feature_`, `Component_`) VALUES ('Main', 'Main')"),
    };
    for (UINT error : rows) {
        if (error)
            return error;
    }
    for (const SequenceRow& row : kSequence) {
        if (UINT error = RunSql(database.Get(), L"INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) "
                                                L"VALUES (?, ?)", {row.action, row.sequence}))
            return error;
    }

    UniqueMsiHandle summary;
    if (UINT error = MsiGetSummaryInformationW(database.Get(), nullptr, 7, summary.Put()))
        return error;
    MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_TEMPLATE, VT_LPSTR, 0, nullptr, L"x64;1033");
    MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_REVNUMBER, VT_LPSTR, 0, nullptr, NewGuidString());
    MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_PAGECOUNT, VT_I4, 200, nullptr, nullptr);
    MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_WORDCOUNT, VT_I4, 2, nullptr, nullptr);
    if (UINT error = MsiSummaryInfoPersist(summary.Get()))
        return error;
    return MsiDatabaseCommit(database.Get());
}

InstallerSession::InstallerSession()
{
    {
        std::lock_guard<std::mutex> guard(g_linesLock);
        g_lines.clear();
    }
    const CString path = m_scratch / L"session.msi";
    EXPECT_EQ(0u, CreateTestPackage(path, NewGuidString(), L"Session Package")) << "the test package was not created";
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    MsiSetExternalUIW(CatchMessage, INSTALLLOGMODE_INFO, nullptr);
    EXPECT_EQ(0u, MsiOpenPackageW(path, m_install.Put())) << "MsiOpenPackage failed";
}

InstallerSession::~InstallerSession()
{
    m_install.Reset();
    MsiSetExternalUIW(nullptr, 0, nullptr);
}

void InstallerSession::SetCustomActionData(const wchar_t* value)
{
    EXPECT_EQ(0u, MsiSetPropertyW(m_install.Get(), L"CustomActionData", value));
}

std::vector<CString> InstallerSession::LogLines() const
{
    std::lock_guard<std::mutex> guard(g_linesLock);
    std::vector<CString> lines;
    const int prefix = static_cast<int>(wcslen(kLogPrefix));
    for (const CString& line : g_lines) {
        if (line.Left(prefix) == kLogPrefix)
            lines.push_back(line.Mid(prefix));
    }
    return lines;
}

bool InstallerSession::Logged(const CString& line) const
{
    const std::vector<CString> lines = LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string InstallerSession::LogText() const
{
    std::string text;
    for (const CString& line : LogLines())
        text += "\n  " + testsupport::Utf8(line.View());
    return text;
}

CString VeltPath()
{
    return testsupport::ModuleFolder() + L"\\velt.bin";
}

CString VeltWithBytes(const CString& folder, const std::vector<uint8_t>& bytes)
{
    const CString copy = folder + L"\\velt.bin";
    EXPECT_TRUE(CopyFileW(VeltPath(), copy, FALSE)) << "velt.bin was not copied: " << GetLastError();
    HANDLE update = BeginUpdateResourceW(copy, FALSE);
    EXPECT_NE(nullptr, update) << "BeginUpdateResourceW: " << GetLastError();
    if (!update)
        return copy;
    EXPECT_TRUE(UpdateResourceW(update, kSettingsResourceType, MAKEINTRESOURCEW(kSettingsResourceId), 1033,
                                const_cast<uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size())));
    EXPECT_TRUE(EndUpdateResourceW(update, FALSE)) << "EndUpdateResourceW: " << GetLastError();
    return copy;
}

CString VeltWithPackage(const CString& folder, CProjectSettings* package)
{
    if (!package) {
        const CString copy = folder + L"\\velt.bin";
        EXPECT_TRUE(CopyFileW(VeltPath(), copy, FALSE));
        return copy;
    }
    const CString file = folder + L"\\package.tkpj";
    EXPECT_EQ(1, SavePackageFile(file, *package));
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(testsupport::ReadAllBytes(file, bytes));
    return VeltWithBytes(folder, bytes);
}

VeltLibrary::VeltLibrary(const CString& path) : m_module(LoadLibraryW(path))
{
    EXPECT_TRUE(m_module.IsValid()) << "velt.bin copy did not load: " << GetLastError();
}

UINT VeltLibrary::Install(int number, MSIHANDLE install) const
{
    char name[32];
    wsprintfA(name, "INSTALLAction%d", number);
    auto entry = reinterpret_cast<UINT(__stdcall*)(MSIHANDLE)>(
        reinterpret_cast<void*>(GetProcAddress(m_module.Get(), name)));
    EXPECT_NE(nullptr, entry) << name << " is not exported";
    return entry ? entry(install) : 0xFFFFFFFFu;
}

UINT VeltLibrary::Uninstall(MSIHANDLE install) const
{
    auto entry = reinterpret_cast<UINT(__stdcall*)(MSIHANDLE)>(
        reinterpret_cast<void*>(GetProcAddress(m_module.Get(), "UNINSTALLAction")));
    EXPECT_NE(nullptr, entry) << "UNINSTALLAction is not exported";
    return entry ? entry(install) : 0xFFFFFFFFu;
}

PlacedSetupProgram::PlacedSetupProgram(const CFeature& project)
{
    wchar_t windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    m_folder.Format(L"%s\\Temp\\%s", windows, project.m_id.GetString());
    // With its parents: Wine's msiexec removes an empty Windows\Temp when it removes a wrapped
    // project's folder from it.
    EXPECT_EQ(0u, CreateDirectoryTree(m_folder)) << "the setup program's folder was not made";
    m_path = m_folder + L"\\" + PathFindFileNameW(project.m_installerPath);
    EXPECT_TRUE(CopyFileW(testsupport::ModuleFolder() + L"\\setupprog.exe", m_path, FALSE))
        << "the setup program was not placed: " << GetLastError();
}

PlacedSetupProgram::~PlacedSetupProgram()
{
    testsupport::RemoveTree(m_folder);
}

CFeature SetupProject(const wchar_t* name, int mode, const CString& arguments)
{
    CFeature project;
    project.m_name = name;
    project.m_conversionMode = mode;
    project.m_installerPath.Format(L"C:\\Setups\\%s\\%s.exe", project.m_id.GetString(), name);
    project.m_installerArguments = arguments;
    return project;
}

void RemoveSetupTraces(const CString& projectId)
{
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarnwickTestSetup");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\TarnwickTest\\SetupProg");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TarnwickTest\\SetupProg");
    if (!projectId.IsEmpty())
        (void)RemoveUninstallString(projectId);
}

std::string ReadInstallerLog(const CString& path)
{
    std::vector<uint8_t> bytes;
    if (!testsupport::ReadAllBytes(path, bytes))
        return std::string();
    std::string text;
    const bool wide = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    for (size_t i = wide ? 2 : 0; i < bytes.size(); i += wide ? 2 : 1)
        text += static_cast<char>(bytes[i]);
    return text;
}

DWORD RunMsiexec(const wchar_t* verb, const CString& package, const CString& log)
{
    // Generous: the install action alone waits 4 s for the setup program's first window.
    constexpr DWORD kMsiexecTimeoutMs = 240000;
    constexpr int kAttempts = 30;
    constexpr DWORD kRetryPauseMs = 2000;
    CString line;
    line.Format(L"msiexec.exe %s \"%s\" /qn /l*v \"%s\"", verb, package.GetString(), log.GetString());
    testsupport::ChildResult child;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        child = testsupport::RunChild(line, kMsiexecTimeoutMs);
        if (!child.started || child.timedOut || child.exitCode != ERROR_INSTALL_ALREADY_RUNNING)
            break;
        Sleep(kRetryPauseMs);
    }
    EXPECT_TRUE(child.started) << "msiexec did not start: " << child.error;
    EXPECT_FALSE(child.timedOut) << "msiexec " << testsupport::Utf8(verb) << " did not end within " << kMsiexecTimeoutMs
                                 << " ms";
    return child.exitCode;
}

} // namespace velttest
