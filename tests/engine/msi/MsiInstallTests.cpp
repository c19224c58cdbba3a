// A built package installs with Windows Installer (Wine's msiexec): the Directory, Component and
// File rows put each file where its tree path says, the wrapped project's Temp tree included.
// The steps that are not built yet (properties, media, summary information) are filled in here
// with the fewest rows msiexec needs, and the files are laid out loose beside the package under
// their long folder names, as an uncompressed source.

#include "engine/files/WideBuffer.h"
#include "engine/model/GuidText.h"
#include "engine/msi/MsiTools.h"

#include "OutputSinkForTests.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

using testsupport::ScratchFolder;

// msiexec under Wine takes a few seconds; a package that hangs must not hang the run.
constexpr DWORD kInstallTimeoutMs = 120000;

std::string Utf8(const CString& text)
{
    std::string out;
    for (int i = 0; i < text.GetLength(); ++i)
        out += text[i] < 128 ? static_cast<char>(text[i]) : '?';
    return out;
}

UINT Run(MSIHANDLE database, const wchar_t* sql, std::initializer_list<const wchar_t*> values)
{
    UniqueMsiHandle record(MsiCreateRecord(static_cast<UINT>(values.size())));
    UINT field = 1;
    for (const wchar_t* value : values)
        MsiRecordSetStringW(record.Get(), field++, value);
    UniqueMsiHandle view;
    UINT result = MsiDatabaseOpenViewW(database, sql, view.Put());
    return result ? result : MsiViewExecute(view.Get(), record.Get());
}

// The product properties, one uncompressed medium and the summary information.
void CompletePackage(const CString& path, const CProjectSettings& package, int fileCount)
{
    UniqueMsiHandle database;
    ASSERT_EQ(0u, MsiOpenDatabaseW(path, MSIDBOPEN_DIRECT, database.Put()));
    const wchar_t* property = L"INSERT INTO `Property` (`Property`, `Value`) VALUES (?, ?)";
    ASSERT_EQ(0u, Run(database.Get(), property, {L"ProductName", package.m_productName}));
    ASSERT_EQ(0u, Run(database.Get(), property, {L"ProductVersion", package.m_productVersion}));
    ASSERT_EQ(0u, Run(database.Get(), property, {L"ProductCode", package.m_productCode}));
    ASSERT_EQ(0u, Run(database.Get(), property, {L"Manufacturer", package.m_companyName}));
    UniqueMsiHandle media(MsiCreateRecord(1));
    MsiRecordSetInteger(media.Get(), 1, fileCount);
    UniqueMsiHandle view;
    ASSERT_EQ(0u, MsiDatabaseOpenViewW(database.Get(),
                                       L"INSERT INTO `Media` (`DiskId`, `LastSequence`) VALUES (1, ?)", view.Put()));
    ASSERT_EQ(0u, MsiViewExecute(view.Get(), media.Get()));

    UniqueMsiHandle summary;
    ASSERT_EQ(0u, MsiGetSummaryInformationW(database.Get(), nullptr, 7, summary.Put()));
    ASSERT_EQ(0u, MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_TEMPLATE, VT_LPSTR, 0, nullptr, L"Intel;0"));
    ASSERT_EQ(0u, MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_REVNUMBER, VT_LPSTR, 0, nullptr,
                                             NewGuidString()));
    ASSERT_EQ(0u, MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_PAGECOUNT, VT_I4, 200, nullptr, nullptr));
    ASSERT_EQ(0u, MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_WORDCOUNT, VT_I4, 0, nullptr, nullptr));
    ASSERT_EQ(0u, MsiSummaryInfoPersist(summary.Get()));
    ASSERT_EQ(0u, MsiDatabaseCommit(database.Get()));
}

// Writes a file of the source layout: the package's folder, then the tree path with a wrapped
// project's Temp root moved as the builder moves it.
void WriteSource(const CString& packageFolder, const CString& treePath, const CString& content)
{
    const CString path = packageFolder + L"\\" + treePath;
    ASSERT_EQ(0u, CreateDirectoryTree(path.Left(path.ReverseFind(L'\\'))));
    std::vector<uint8_t> bytes;
    for (int i = 0; i < content.GetLength(); ++i)
        bytes.push_back(static_cast<uint8_t>(content[i]));
    ASSERT_TRUE(testsupport::WriteAllBytes(path, bytes));
}

CString ReadText(const CString& path)
{
    std::vector<uint8_t> bytes;
    if (!testsupport::ReadAllBytes(path, bytes))
        return L"<missing>";
    CString text;
    for (uint8_t byte : bytes)
        text.AppendChar(static_cast<wchar_t>(byte));
    return text;
}

TEST(MsiInstall, FilesLandWhereTheirTreePathsSay)
{
    ScratchFolder scratch;
    CProjectSettings package;
    package.m_productName = L"Tarnwick Install Test";
    package.m_productVersion = L"1.0.0";
    package.m_companyName = L"Morvalund";
    package.m_outputFolder = scratch.Path();
    package.m_outputFileName = L"install test.msi";

    // A repackaged project with nested folders whose names need short forms, and a wrapped
    // project whose setup program lives under the Temp root.
    struct Item {
        int project;
        int kind;
        const wchar_t* path;
    };
    const Item items[] = {
        {0, CFileEntry::kindRoot, L"ProgramFilesFolder\\"},
        {0, CFileEntry::kindFolder, L"ProgramFilesFolder\\Tarnwick Install Test\\"},
        {0, CFileEntry::kindFolder, L"ProgramFilesFolder\\Tarnwick Install Test\\Data Files\\"},
        {0, CFileEntry::kindFile, L"ProgramFilesFolder\\Tarnwick Install Test\\read me.txt"},
        {0, CFileEntry::kindFile, L"ProgramFilesFolder\\Tarnwick Install Test\\readme.txt"},
        {0, CFileEntry::kindFile, L"ProgramFilesFolder\\Tarnwick Install Test\\Data Files\\my.file.name.txt"},
        {1, CFileEntry::kindRoot, L"Temp\\"},
        {1, CFileEntry::kindFolder, L"Temp\\AppTemp\\"},
        {1, CFileEntry::kindFile, L"Temp\\setup.exe"},
        {1, CFileEntry::kindFile, L"Temp\\AppTemp\\helper.dll"},
    };
    package.m_projects.SetSize(2);
    package.m_projects[1].m_conversionMode = CFeature::modeCommandLine;
    int fileCount = 0;
    for (const Item& item : items) {
        CFeature& project = package.m_projects[item.project];
        CFileEntry entry;
        entry.m_kind = item.kind;
        entry.m_path = item.path;
        if (item.kind == CFileEntry::kindFile) {
            ++fileCount;
            const CString layoutPath = RedirectTempPath(entry.m_path, project.m_id);
            entry.m_sourcePath = scratch.Path() + L"\\" + layoutPath;
            WriteSource(scratch.Path(), layoutPath, item.path);
            entry.m_fileSize = CString(item.path).GetLength();
        }
        project.m_files.Add(entry);
    }

    {
        RecordingOutput output;
        MsiBuildOptions options;
        options.output = &output;
        CMsiTools builder(&package, options); // keeps the database open until it goes
        ASSERT_EQ(0, builder.BuildPackage()) << (output.lines.empty() ? "" : output.lines.back());
    }
    const CString packagePath = scratch / L"install test.msi";
    CompletePackage(packagePath, package, fileCount);

    const testsupport::ChildResult install =
        testsupport::RunChild(L"msiexec /i \"" + packagePath + L"\" /qn", kInstallTimeoutMs);
    ASSERT_TRUE(install.started) << "msiexec did not start, error " << install.error;
    ASSERT_FALSE(install.timedOut) << "msiexec did not finish within " << kInstallTimeoutMs << " ms";
    ASSERT_EQ(0u, install.exitCode) << "msiexec /i";

    // An "Intel" package on 64-bit Windows installs into the 32-bit program files folder.
    wchar_t programFiles[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, 0, programFiles));
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(0u, GetWindowsDirectoryW(windows, MAX_PATH));
    const CString projectFolder = CString(windows) + L"\\Temp\\" + package.m_projects[1].m_id;
    const CString app = CString(programFiles) + L"\\Tarnwick Install Test";
    const struct {
        CString installed;
        const wchar_t* content;
    } expected[] = {
        {app + L"\\read me.txt", items[3].path},
        {app + L"\\readme.txt", items[4].path},
        {app + L"\\Data Files\\my.file.name.txt", items[5].path},
        {projectFolder + L"\\setup.exe", items[8].path},
        {projectFolder + L"\\AppTemp\\helper.dll", items[9].path},
    };
    for (const auto& file : expected)
        EXPECT_EQ(Utf8(file.content), Utf8(ReadText(file.installed))) << Utf8(file.installed);
}

} // namespace
