// Captured files to records: folder, file and shortcut records in folder-property form, against a
// folder table whose folders lie in a scratch folder.

#include "engine/files/WideBuffer.h"
#include "engine/monitor/InstallMonitor.h"
#include "engine/monitor/ShortcutReader.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

using namespace monitortest;
using testsupport::ScratchFolder;

namespace {


void WriteFile(const CString& path, const char* text = "data")
{
    ASSERT_EQ(0u, CreateDirectoryTree(path.Left(path.ReverseFind(L'\\'))));
    ASSERT_TRUE(testsupport::WriteAllBytes(path, std::vector<uint8_t>(text, text + strlen(text))));
}

struct ShortcutSpec {
    CString target;
    CString arguments;
    CString workingDirectory;
    CString description;
    CString iconFile;
    int iconIndex = 0;
};

void MakeShortcut(const CString& linkPath, const ShortcutSpec& spec)
{
    IShellLinkW* link = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link)));
    link->SetPath(spec.target);
    link->SetArguments(spec.arguments);
    link->SetWorkingDirectory(spec.workingDirectory);
    link->SetDescription(spec.description);
    if (!spec.iconFile.IsEmpty())
        link->SetIconLocation(spec.iconFile, spec.iconIndex);
    IPersistFile* file = nullptr;
    ASSERT_EQ(S_OK, link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    ASSERT_EQ(0u, CreateDirectoryTree(linkPath.Left(linkPath.ReverseFind(L'\\'))));
    EXPECT_EQ(S_OK, file->Save(linkPath, TRUE));
    file->Release();
    link->Release();
}

struct FileRec {
    int kind;
    std::string path;
    std::string source;
    bool operator==(const FileRec& o) const { return kind == o.kind && path == o.path && source == o.source; }
};

void PrintTo(const FileRec& r, std::ostream* os)
{
    *os << "{" << r.kind << ", " << r.path << ", " << r.source << "}";
}

std::vector<FileRec> Records(const CFeature& project)
{
    std::vector<FileRec> records;
    for (int i = 0; i < project.m_files.GetSize(); ++i) {
        const CFileEntry& e = project.m_files[i];
        records.push_back({e.m_kind, testsupport::Utf8(e.m_path.View()), testsupport::Utf8(e.m_sourcePath.View())});
    }
    return records;
}

class CapturedFiles : public MonitorTest {
protected:
    void SetUp() override
    {
        MonitorTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        // Only the rows named here take part, so the scratch folder is not also inside another
        // row's folder (it lies under the user's local application data).
        SystemFolderSource source;
        source.shellFolder = [this](int csidl) {
            return csidl == CSIDL_PROGRAM_FILES ? programFiles : csidl == CSIDL_WINDOWS ? windows : CString();
        };
        source.expand = [this](const wchar_t* text) {
            return CString(text) == L"%ProgramW6432%" ? programFiles64 : CString();
        };
        SystemFolderTable = CSystemFolderTable();
        SystemFolderTable.Resolve(source);
    }
    void TearDown() override
    {
        IsWow64 = 0;
        CoUninitialize();
        MonitorTest::TearDown();
    }

    ScratchFolder scratch;
    CString programFiles = scratch / L"pf32";
    CString programFiles64 = scratch / L"pf64";
    CString windows = scratch / L"win";
    CFeature project;
    CInstallMonitor monitor{project};
};

} // namespace

TEST_F(CapturedFiles, ExistingFilesInKnownFoldersBecomeRecordsWithTheirFolders)
{
    const CString tool = programFiles + L"\\Vendor\\App\\tool.exe";
    const CString second = programFiles + L"\\Vendor\\App\\readme.txt";
    const CString logged = programFiles + L"\\Vendor\\App\\Logs\\run.log";
    const CString temp = windows + L"\\Temp\\x.tmp";
    const CString kept = windows + L"\\Temp\\keep.dat";
    const CString present = windows + L"\\present.ini";
    const CString outside = scratch / L"elsewhere\\file.txt";
    for (const CString& path : {tool, second, logged, temp, kept, present, outside})
        WriteFile(path, "0123456789");
    CFileEntry existing;
    existing.m_kind = CFileEntry::kindFile;
    existing.m_path = L"WindowsFolder\\present.ini";
    existing.m_sourcePath = L"kept as it was";
    project.m_files.Add(existing);

    CExludeList fileFilter;
    fileFilter.AddTail(L"");          // blank entries would match every path: ignored
    fileFilter.AddTail(L"  ");
    fileFilter.AddTail(L"programfilesfolder\\vendor\\app\\logs\\");
    fileFilter.AddTail(L"windowsfolder\\temp\\x");
    monitor.SetFilters(&fileFilter, nullptr);

    CStringList changed;
    for (const CString& path : {tool, tool, second, logged, temp, kept, present, outside,
                                CString(programFiles + L"\\Vendor"), CString(windows + L"\\gone.txt")})
        changed.AddTail(path);
    monitor.AddChangedFiles(changed);

    const std::vector<FileRec> expected = {
        {3, "WindowsFolder\\present.ini", "kept as it was"},
        {1, "ProgramFilesFolder\\", ""},
        {2, "ProgramFilesFolder\\Vendor\\", ""},
        {2, "ProgramFilesFolder\\Vendor\\App\\", ""},
        {3, "ProgramFilesFolder\\Vendor\\App\\tool.exe", testsupport::Utf8(tool.View())},
        {3, "ProgramFilesFolder\\Vendor\\App\\readme.txt", testsupport::Utf8(second.View())},
        {1, "WindowsFolder\\", ""},
        // A deeper folder named like a property (Temp) is an ordinary folder of its parent.
        {2, "WindowsFolder\\Temp\\", ""},
        {3, "WindowsFolder\\Temp\\keep.dat", testsupport::Utf8(kept.View())},
    };
    EXPECT_EQ(expected, Records(project));
    EXPECT_EQ(10, project.m_files[4].m_fileSize);
}

TEST_F(CapturedFiles, ShortcutsAreReadThroughTheShell)
{
    const CString tool = programFiles + L"\\App\\tool.exe";
    WriteFile(tool);
    WriteFile(windows + L"\\icons.dll");
    ShortcutSpec spec;
    spec.target = tool;
    spec.arguments = L"/config " + windows + L"\\app.ini";
    spec.workingDirectory = programFiles + L"\\App\\\\";
    spec.description = L"The tool";
    spec.iconFile = windows + L"\\icons.dll";
    spec.iconIndex = 2;
    const CString link = windows + L"\\Menu\\Tool.LNK";
    MakeShortcut(link, spec);

    ShortcutSpec outsideSpec;
    outsideSpec.target = scratch / L"outside.exe";
    WriteFile(outsideSpec.target);
    const CString outside = windows + L"\\Menu\\Outside.lnk";
    MakeShortcut(outside, outsideSpec);

    CStringList changed;
    changed.AddTail(link);
    changed.AddTail(outside);
    monitor.AddChangedFiles(changed);

    ASSERT_EQ(3, project.m_files.GetSize()) << "two folders and one shortcut; the one pointing outside is dropped";
    const CFileEntry& shortcut = project.m_files[2];
    EXPECT_EQ(CFileEntry::kindShortcut, shortcut.m_kind);
    EXPECT_EQ("WindowsFolder\\Menu\\Tool.LNK", testsupport::Utf8(shortcut.m_path.View()));
    EXPECT_EQ("ProgramFilesFolder\\App\\tool.exe", testsupport::Utf8(shortcut.m_sourcePath.View()));
    EXPECT_EQ("ProgramFilesFolder\\App\\", testsupport::Utf8(shortcut.m_workingDirectory.View()));
    EXPECT_EQ("/config [WindowsFolder]app.ini", testsupport::Utf8(shortcut.m_arguments.View()));
    EXPECT_EQ("The tool", testsupport::Utf8(shortcut.m_description.View()));
    EXPECT_EQ("WindowsFolder\\icons.dll", testsupport::Utf8(shortcut.m_iconFile.View()));
    EXPECT_EQ(2, shortcut.m_iconIndex);
    EXPECT_EQ(0, shortcut.m_attributes);
}

TEST_F(CapturedFiles, UnderWow64ALinkTo64BitProgramFilesFindsThe32BitFile)
{
    WriteFile(programFiles + L"\\App\\app.exe");
    ShortcutSpec spec;
    spec.target = programFiles64 + L"\\App\\app.exe"; // not there: the file lies in the 32-bit folder
    const CString link = windows + L"\\App.lnk";
    MakeShortcut(link, spec);

    CFileEntry entry;
    EXPECT_EQ(HRESULT(ERROR_PATH_NOT_FOUND), ReadShortcut(entry, link)) << "without WOW64 the missing target drops it";
    IsWow64 = 1;
    ASSERT_EQ(S_OK, ReadShortcut(entry, link));
    EXPECT_EQ("ProgramFilesFolder\\App\\app.exe", testsupport::Utf8(entry.m_sourcePath.View()));
}
