// Builds real databases through Wine's msi.dll from the template beside the test program and
// reads them back with queries through the same API.

#include "BuildFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

using namespace buildtest;

// ---- validation -------------------------------------------------------------------------------

struct ValidationCase {
    const char* name;
    const wchar_t* productName;
    const wchar_t* version;
    const wchar_t* code;
    const wchar_t* company;
    const char* expectedLine;  // the last line
};

void PrintTo(const ValidationCase& c, std::ostream* os) { *os << c.name; }

class ValidationTest : public BuildTest, public ::testing::WithParamInterface<ValidationCase> {};

TEST_P(ValidationTest, ReportsTheFirstBadField)
{
    const ValidationCase& c = GetParam();
    m_package.m_productName = c.productName;
    m_package.m_productVersion = c.version;
    m_package.m_productCode = c.code;
    m_package.m_companyName = c.company;
    EXPECT_EQ(CMsiTools::kInvalidPackage, Build());
    EXPECT_EQ(1, m_sink.clears);
    ASSERT_EQ(2u, m_sink.lines.size()) << Join(m_sink.lines);
    EXPECT_EQ("> Validating data..", m_sink.lines[0]);
    EXPECT_EQ(c.expectedLine, m_sink.lines[1]);
    EXPECT_FALSE(testsupport::FileExists(OutputPath())) << "a package that fails validation writes nothing";
}

const wchar_t kCode[] = L"{6D1A8F00-3C2B-4E55-9A77-0123456789AB}";

INSTANTIATE_TEST_SUITE_P(Fields, ValidationTest, ::testing::Values(
    ValidationCase{"blank_name", L"   ", L"1.0", kCode, L"Co", "> !Invalid Package Name (field is required)"},
    ValidationCase{"name_and_company_empty", L"", L"1.0", kCode, L"", "> !Invalid Package Name (field is required)"},
    ValidationCase{"empty_version", L"P", L" \t", kCode, L"Co", "> !Invalid Package Version (field is required)"},
    ValidationCase{"empty_code", L"P", L"1.0", L"", L"Co", "> !Invalid Package Code (field is required)"},
    ValidationCase{"empty_company", L"P", L"1.0", kCode, L" ", "> !Invalid Company Name (field is required)"},
    ValidationCase{"version_with_text", L"P", L"1.0 beta", kCode, L"Co",
        "> !Invalid Package Version '1.0 beta' (expected numbers such as 1.0.0: major and minor up to 255, build up to 65535)"},
    ValidationCase{"version_major_too_big", L"P", L"256.0.0", kCode, L"Co",
        "> !Invalid Package Version '256.0.0' (expected numbers such as 1.0.0: major and minor up to 255, build up to 65535)"},
    ValidationCase{"version_build_too_big", L"P", L"1.0.65536", kCode, L"Co",
        "> !Invalid Package Version '1.0.65536' (expected numbers such as 1.0.0: major and minor up to 255, build up to 65535)"},
    ValidationCase{"version_empty_field", L"P", L"1..2", kCode, L"Co",
        "> !Invalid Package Version '1..2' (expected numbers such as 1.0.0: major and minor up to 255, build up to 65535)"},
    ValidationCase{"version_five_fields", L"P", L"1.2.3.4.5", kCode, L"Co",
        "> !Invalid Package Version '1.2.3.4.5' (expected numbers such as 1.0.0: major and minor up to 255, build up to 65535)"},
    ValidationCase{"code_without_braces", L"P", L"1.0", L"6D1A8F00-3C2B-4E55-9A77-0123456789AB", L"Co",
        "> !Invalid Package Code '6D1A8F00-3C2B-4E55-9A77-0123456789AB' (expected a GUID in braces, such as {12345678-9ABC-DEF0-1234-56789ABCDEF0})"},
    ValidationCase{"code_not_hex", L"P", L"1.0", L"{6D1A8F00-3C2B-4E55-9A77-0123456789AG}", L"Co",
        "> !Invalid Package Code '{6D1A8F00-3C2B-4E55-9A77-0123456789AG}' (expected a GUID in braces, such as {12345678-9ABC-DEF0-1234-56789ABCDEF0})"}),
    [](const ::testing::TestParamInfo<ValidationCase>& info) { return std::string(info.param.name); });

TEST_F(BuildTest, ValidationTrimsInPlaceAndStopsAtTheFirstBadField)
{
    m_package.m_productName = L"  ";
    m_package.m_productVersion = L" 2.0 ";
    EXPECT_EQ(CMsiTools::kInvalidPackage, Build());
    EXPECT_EQ("", testsupport::Utf8(m_package.m_productName.View()));
    EXPECT_EQ(" 2.0 ", testsupport::Utf8(m_package.m_productVersion.View()))
        << "a field after the failing one stays as it was";

    m_package.m_productName = L" Name ";
    m_package.m_productCode = L" {6d1a8f00-3c2b-4e55-9a77-0123456789ab} ";
    CMsiTools builder(&m_package, WithOutput(&m_sink));
    EXPECT_TRUE(builder.ValidateData());
    EXPECT_EQ("Name", testsupport::Utf8(m_package.m_productName.View()));
    EXPECT_EQ("2.0", testsupport::Utf8(m_package.m_productVersion.View()));
    EXPECT_EQ("{6D1A8F00-3C2B-4E55-9A77-0123456789AB}", testsupport::Utf8(m_package.m_productCode.View()))
        << "Windows Installer wants the product code in upper case";
    EXPECT_EQ("> ok!", m_sink.lines.back());
}

// ---- the driver -------------------------------------------------------------------------------

TEST_F(BuildTest, MissingTemplateEndsWithTheCopyLineAndError2)
{
    ScratchFolder emptyProgramFolder;
    MsiBuildOptions options;
    options.programFolder = emptyProgramFolder.Path() + L"\\";
    EXPECT_EQ(2, Build(options));
    ASSERT_EQ(4u, m_sink.lines.size()) << Join(m_sink.lines);
    EXPECT_EQ("> Write package file: " + testsupport::Utf8(OutputPath().View()) + " ...", m_sink.lines[2]);
    EXPECT_EQ(0u, m_sink.lines[3].find("> Copy file 'schema.bin' failed. Error:(2)")) << m_sink.lines[3];
    EXPECT_NE(std::string::npos, m_sink.lines[3].find("(0x2) ...")) << m_sink.lines[3];
}

TEST_F(BuildTest, EmptyPackageBuildsAndReplacesAnOldFile)
{
    ASSERT_TRUE(testsupport::WriteAllBytes(OutputPath(), {'o', 'l', 'd'}));
    EXPECT_EQ(0, Build()) << Join(m_sink.lines);
    const std::vector<std::string> expected = {
        "> Validating data..", "> ok!", "> Write package file: " + testsupport::Utf8(OutputPath().View()) + " ...",
        "> The MSI Package file was created successfully!"};
    EXPECT_EQ(Join(expected), Join(m_sink.lines));
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT `Feature` FROM `Feature`"));
    EXPECT_EQ((Rows{{"TARGETDIR", "", "SourceDir"}}),
              Query(OutputPath(), L"SELECT `Directory`, `Directory_Parent`, `DefaultDir` FROM `Directory`"));
}

TEST_F(BuildTest, ResultTexts)
{
    EXPECT_EQ("MSI package was created successfully!", testsupport::Utf8(BuildResultText(0).View()));
    EXPECT_EQ("Data Validation error. See log window ", testsupport::Utf8(BuildResultText(-1).View()));
    EXPECT_EQ("Windows Installer (MSI) Error: 1627", testsupport::Utf8(BuildResultText(1627).View()));
}

// Two builds started together: the second waits for the first, so their lines do not mix.
TEST_F(BuildTest, BuildsInOneProcessRunOneAtATime)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        int waitingToBuild = 0;
        std::vector<int> order; // thread number per line, in arrival order
    } shared;

    class SlowOutput : public RecordingOutput {
    public:
        SlowOutput(Shared& shared, int number) : m_shared(shared), m_number(number) {}
        void Append(const std::string& line) override
        {
            std::unique_lock<std::mutex> lock(m_shared.mutex);
            m_shared.order.push_back(m_number);
            // Hold this build's line until the other build is on its way into BuildPackage, so
            // that the two really overlap. Both threads count themselves before they build, so
            // this ends at once on any machine; the limit only keeps a broken test from hanging.
            EXPECT_TRUE(m_shared.changed.wait_for(lock, std::chrono::seconds(120),
                                                  [&] { return m_shared.waitingToBuild == 2; }))
                << "the other build never started";
            lock.unlock();
            RecordingOutput::Append(line);
        }

    private:
        Shared& m_shared;
        int m_number;
    };

    ScratchFolder other;
    CProjectSettings second = m_package;
    second.m_outputFolder = other.Path();
    auto run = [&](CProjectSettings* package, int number, int* result) {
        SlowOutput output(shared, number);
        MsiBuildOptions options = WithOutput(&output);
        options.programFolder = m_programFolder.Path() + L"\\";
        CMsiTools builder(package, options);
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            ++shared.waitingToBuild;
        }
        shared.changed.notify_all();
        *result = builder.BuildPackage();
    };
    int results[2] = {-2, -2};
    std::thread a(run, &m_package, 0, &results[0]);
    std::thread b(run, &second, 1, &results[1]);
    a.join();
    b.join();
    EXPECT_EQ(0, results[0]);
    EXPECT_EQ(0, results[1]);
    EXPECT_EQ("", CheckComponentPlatform(OutputPath()));
    EXPECT_EQ("", CheckComponentPlatform(other / L"test.msi"));
    std::string order;
    for (int number : shared.order)
        order += static_cast<char>('0' + number);
    const size_t half = order.size() / 2;
    EXPECT_TRUE(order == std::string(half, '0') + std::string(half, '1') ||
                order == std::string(half, '1') + std::string(half, '0'))
        << "lines of the two builds mixed: " << order;
}

// ---- the tables -------------------------------------------------------------------------------

TEST_F(BuildTest, TwoProjectsNestedFoldersAndTwentyFiles)
{
    CFeature app = Project(L"Application");
    app.m_description = L"The application";
    app.m_conditions = L"  VersionNT >= 601  ";
    app.m_files.Add(Root(L"ProgramFilesFolder\\"));
    app.m_files.Add(Folder(L"ProgramFilesFolder\\Morvalund App\\"));
    app.m_files.Add(Folder(L"ProgramFilesFolder\\Morvalund App\\Data Files\\"));
    app.m_files.Add(Folder(L"ProgramFilesFolder\\Morvalund App\\Data Files\\Deep\\"));
    CFileEntry versioned = File(L"ProgramFilesFolder\\Morvalund App\\app.exe", 1234);
    versioned.m_sourcePath = FixturePath(L"msi-versioned.exe");
    versioned.m_attributes = 513;
    versioned.m_componentAttributes = CFileEntry::component64Bit;
    versioned.m_condition = L"Installed OR NOT REMOVE";
    app.m_files.Add(versioned);
    for (int i = 1; i <= 16; ++i) {
        CString path;
        path.Format(i <= 8 ? L"ProgramFilesFolder\\Morvalund App\\Data Files\\data file %02d.dat"
                           : L"ProgramFilesFolder\\Morvalund App\\Data Files\\Deep\\d%02d.bin", i);
        app.m_files.Add(File(path));
    }
    CFeature tool = Project(L"Setup Wrapper");
    tool.m_conversionMode = CFeature::modeCommandLine;
    tool.m_conditions = L"   ";
    tool.m_files.Add(Root(L"Temp\\"));
    tool.m_files.Add(Folder(L"Temp\\AppTemp\\"));
    tool.m_files.Add(File(L"Temp\\setup.exe"));
    tool.m_files.Add(File(L"Temp\\AppTemp\\helper.dll"));
    tool.m_files.Add(Root(L"ProgramFilesFolder\\"));           // shared with the first project
    tool.m_files.Add(File(L"ProgramFilesFolder\\Morvalund App\\tool.ini"));
    m_package.m_projects.Add(app);
    m_package.m_projects.Add(tool);

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ("> The MSI Package file was created successfully!", m_sink.lines.back());
    EXPECT_EQ("", testsupport::Utf8(Added(1).m_conditions.View())) << "the package copy keeps the trimmed condition";
    EXPECT_EQ("VersionNT >= 601", testsupport::Utf8(Added(0).m_conditions.View()));
    EXPECT_EQ(0, m_is64Bit);

    const std::string appKey = Key(app);
    const std::string toolKey = Key(tool);
    EXPECT_EQ(33u, appKey.size());
    EXPECT_EQ(Sorted({{appKey, "", "Application", "The application", "2", "1", "TARGETDIR", "0"},
                      {toolKey, "", "Setup Wrapper", "", "2", "1", "TARGETDIR", "0"}}),
              Query(OutputPath(), L"SELECT * FROM `Feature`"));
    EXPECT_EQ((Rows{{appKey, "1", "VersionNT >= 601"}}), Query(OutputPath(), L"SELECT * FROM `Condition`"));

    // The folders: keys by path, then what each row says.
    std::map<std::string, Row> directories;
    for (const Row& row : Query(OutputPath(), L"SELECT * FROM `Directory`"))
        directories[row[0]] = row;
    const std::string appDir = Key(L"D_", app.m_files[1]);
    const std::string dataDir = Key(L"D_", app.m_files[2]);
    const std::string deepDir = Key(L"D_", app.m_files[3]);
    ASSERT_EQ(9u, directories.size()) << "TARGETDIR, two roots, three folders, Temp, the project folder, AppTemp";
    EXPECT_EQ((Row{"ProgramFilesFolder", "TARGETDIR", "Program|ProgramFilesFolder"}), directories["ProgramFilesFolder"]);
    EXPECT_EQ((Row{"WindowsFolder", "TARGETDIR", "Windows|WindowsFolder"}), directories["WindowsFolder"]);
    EXPECT_EQ((Row{appDir, "ProgramFilesFolder", "Morvalu|Morvalund App"}), directories[appDir]);
    EXPECT_EQ((Row{dataDir, appDir, "DataFil|Data Files"}), directories[dataDir]);
    EXPECT_EQ((Row{deepDir, dataDir, "Deep"}), directories[deepDir]);
    // The wrapped project's Temp tree: WindowsFolder\Temp\{id}\ and AppTemp inside it.
    std::string tempDir, projectDir, appTempDir;
    for (const auto& [key, row] : directories) {
        if (row[2] == "Temp")
            tempDir = key;
        else if (row[2].find("|" + testsupport::Utf8(tool.m_id.View())) != std::string::npos)
            projectDir = key;
        else if (row[2] == "AppTemp")
            appTempDir = key;
    }
    ASSERT_FALSE(tempDir.empty() || projectDir.empty() || appTempDir.empty())
        << "Temp, project folder and AppTemp rows expected";
    EXPECT_EQ("WindowsFolder", directories[tempDir][1]);
    EXPECT_EQ(tempDir, directories[projectDir][1]);
    EXPECT_EQ(projectDir, directories[appTempDir][1]);

    // Files: numbered in project order, short|long names, sizes, versions, attributes.
    const Rows files = Query(OutputPath(), L"SELECT `Sequence`, `File`, `Component_`, `FileName`, `FileSize`, "
                                           L"`Version`, `Language`, `Attributes` FROM `File`");
    ASSERT_EQ(20u, files.size());
    std::map<int, Row> bySequence;
    for (const Row& row : files)
        bySequence[std::stoi(row[0])] = row;
    ASSERT_EQ(20u, bySequence.size()) << "sequence numbers must be unique";
    EXPECT_EQ(1, bySequence.begin()->first);
    EXPECT_EQ(20, bySequence.rbegin()->first);
    const std::string appExe = testsupport::Utf8(versioned.m_id.View());
    EXPECT_EQ((Row{"1", "F_" + appExe, "C_" + appExe, "app.exe", "1234", "1.2.0.15", "1033", "513"}), bySequence[1]);
    EXPECT_EQ((Row{"2", Key(L"F_", app.m_files[5]), Key(L"C_", app.m_files[5]), "datafil.dat|data file 01.dat",
                   "10", "", "", "512"}), bySequence[2]);
    EXPECT_EQ("datafi~1.dat|data file 02.dat", bySequence[3][3]);
    EXPECT_EQ("d09.bin", bySequence[10][3]);
    EXPECT_EQ(Key(L"F_", tool.m_files[2]), bySequence[18][1]) << "the wrapped project's files follow the first project's";
    EXPECT_EQ("setup.exe", bySequence[18][3]);
    EXPECT_EQ("tool.ini", bySequence[20][3]);

    // Components: one per file, in the file's folder, the file as key path.
    std::map<std::string, Row> components;
    for (const Row& row : Query(OutputPath(), L"SELECT `Component`, `ComponentId`, `Directory_`, `Attributes`, "
                                              L"`Condition`, `KeyPath` FROM `Component`"))
        components[row[0]] = row;
    ASSERT_EQ(20u, components.size());
    const Row& exeComponent = components["C_" + appExe];
    EXPECT_EQ(38u, exeComponent[1].size()) << exeComponent[1];
    // The record says 64-bit image, but a 32-bit package has no 64-bit components.
    EXPECT_EQ((Row{"C_" + appExe, exeComponent[1], appDir, "0", "Installed OR NOT REMOVE", "F_" + appExe}), exeComponent);
    EXPECT_EQ(deepDir, components[Key(L"C_", app.m_files[20])][2]);
    EXPECT_EQ(projectDir, components[Key(L"C_", tool.m_files[2])][2]) << "setup.exe goes into the project folder";
    EXPECT_EQ(appTempDir, components[Key(L"C_", tool.m_files[3])][2]);
    EXPECT_EQ(appDir, components[Key(L"C_", tool.m_files[5])][2]);
    EXPECT_EQ("0", components[Key(L"C_", tool.m_files[5])][3]);

    const Rows links = Query(OutputPath(), L"SELECT `Feature_`, `Component_` FROM `FeatureComponents`");
    ASSERT_EQ(20u, links.size());
    for (const Row& link : links) {
        const bool inTool = link[1] == Key(L"C_", tool.m_files[2]) || link[1] == Key(L"C_", tool.m_files[3]) ||
                            link[1] == Key(L"C_", tool.m_files[5]);
        EXPECT_EQ(inTool ? toolKey : appKey, link[0]) << link[1];
    }

    // A second build gives every component a new ComponentId; the other keys repeat.
    const std::string firstId = exeComponent[1];
    m_sink.lines.clear();
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    const Rows again = Query(OutputPath(), L"SELECT `ComponentId` FROM `Component` WHERE `Component` = 'C_" +
                                               CString(versioned.m_id) + L"'");
    ASSERT_EQ(1u, again.size());
    EXPECT_NE(firstId, again[0][0]);
}

TEST_F(BuildTest, TextsWithApostrophesAreBound)
{
    m_package.m_productName = L"O'Reilly Tools";
    CFeature project = Project(L"O'Reilly's \"Tools\"");
    project.m_description = L"It's here";
    project.m_conditions = L"NAME <> 'x'";
    project.m_files.Add(Root(L"ProgramFilesFolder\\"));
    project.m_files.Add(Folder(L"ProgramFilesFolder\\O'Brien's Data\\"));
    CFileEntry file = File(L"ProgramFilesFolder\\O'Brien's Data\\it's.txt");
    file.m_condition = L"PROP = 'a'";
    project.m_files.Add(file);
    m_package.m_projects.Add(project);

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ((Rows{{"O'Reilly's \"Tools\"", "It's here"}}), Query(OutputPath(), L"SELECT `Title`, `Description` FROM `Feature`"));
    EXPECT_EQ((Rows{{"NAME <> 'x'"}}), Query(OutputPath(), L"SELECT `Condition` FROM `Condition`"));
    EXPECT_EQ((Rows{{"O'Brien|O'Brien's Data"}, {"Program|ProgramFilesFolder"}, {"SourceDir"}}),
              Query(OutputPath(), L"SELECT `DefaultDir` FROM `Directory`"));
    EXPECT_EQ((Rows{{"it's.txt"}}), Query(OutputPath(), L"SELECT `FileName` FROM `File`"));
    EXPECT_EQ((Rows{{"PROP = 'a'"}}), Query(OutputPath(), L"SELECT `Condition` FROM `Component`"));
}

// A row the database refuses stops the step with a line that names it; what depends on the row
// is not written, what came before stays, committed.
TEST_F(BuildTest, RefusedRowsFailTheStep)
{
    CFeature first = Project(L"First");
    first.m_files.Add(Root(L"ProgramFilesFolder\\"));
    first.m_files.Add(File(L"ProgramFilesFolder\\a.txt"));
    m_package.m_projects.Add(first);
    CFeature copy = first;
    copy.m_name = L"Copy";
    copy.m_conditions = L"1";
    m_package.m_projects.Add(copy);

    EXPECT_EQ(1627, Build());
    const std::string key = Key(first);
    ASSERT_GE(m_sink.lines.size(), 2u);
    EXPECT_EQ(0u, m_sink.lines[m_sink.lines.size() - 2].find("> !Error: the Feature table refused the row '" + key + "'. Error:(1627)"))
        << Join(m_sink.lines);
    EXPECT_EQ("> WriteFeatureTable failed. Error:()...", m_sink.lines.back());
    EXPECT_EQ((Rows{{key, "First"}}), Query(OutputPath(), L"SELECT `Feature`, `Title` FROM `Feature`"));
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT `Condition` FROM `Condition`")) << "the refused feature's condition";
}

TEST_F(BuildTest, RefusedFileRowWritesNoComponent)
{
    CFeature project = Project(L"P");
    project.m_files.Add(Root(L"ProgramFilesFolder\\"));
    CFileEntry file = File(L"ProgramFilesFolder\\a.txt");
    project.m_files.Add(file);
    file.m_path = L"ProgramFilesFolder\\b.txt"; // same id, so the same File key
    project.m_files.Add(file);
    m_package.m_projects.Add(project);

    EXPECT_EQ(1627, Build());
    EXPECT_EQ("> WriteFilesTable failed: ", m_sink.lines.back());
    EXPECT_EQ(0u, m_sink.lines[m_sink.lines.size() - 2].find("> !Error: the File table refused the row 'F_" +
                                                             testsupport::Utf8(file.m_id.View()) + "'"))
        << Join(m_sink.lines);
    EXPECT_EQ((Rows{{"a.txt"}}), Query(OutputPath(), L"SELECT `FileName` FROM `File`"));
    EXPECT_EQ(1u, Query(OutputPath(), L"SELECT `Component` FROM `Component`").size());
    EXPECT_EQ(1u, Query(OutputPath(), L"SELECT `Component_` FROM `FeatureComponents`").size());
}

struct DataErrorCase {
    const char* name;
    std::vector<std::pair<int, const wchar_t*>> entries;  // kind, tree path
    const char* errorLine;
    const char* failureLine;
};

void PrintTo(const DataErrorCase& c, std::ostream* os) { *os << c.name; }

class DataErrorTest : public BuildTest, public ::testing::WithParamInterface<DataErrorCase> {};

// A step that returns 13 says why first, then the driver's failure line; the rows written before
// stay committed.
TEST_P(DataErrorTest, SendsItsOwnLineAndReturns13)
{
    CFeature project = Project(L"P");
    for (const auto& [kind, path] : GetParam().entries)
        project.m_files.Add(kind == CFileEntry::kindFile ? File(path) : Entry(kind, path));
    m_package.m_projects.Add(project);
    EXPECT_EQ(13, Build());
    ASSERT_GE(m_sink.lines.size(), 2u);
    EXPECT_EQ(GetParam().errorLine, m_sink.lines[m_sink.lines.size() - 2]) << Join(m_sink.lines);
    EXPECT_EQ(GetParam().failureLine, m_sink.lines.back());
    EXPECT_EQ(1u, Query(OutputPath(), L"SELECT `Feature` FROM `Feature`").size()) << "committed before the failure";
}

INSTANTIATE_TEST_SUITE_P(Steps, DataErrorTest, ::testing::Values(
    DataErrorCase{"folder_without_parent",
        {{CFileEntry::kindRoot, L"ProgramFilesFolder\\"}, {CFileEntry::kindFolder, L"ProgramFilesFolder\\A\\B\\"}},
        "> !Error: Parent directory ProgramFilesFolder\\A\\ of directory ProgramFilesFolder\\A\\B\\ is not found.",
        "> WriteDirectoryTable failed: "},
    DataErrorCase{"folder_without_root", {{CFileEntry::kindFolder, L"AppDataFolder\\A\\"}},
        "> !Error: Parent directory AppDataFolder\\ of directory AppDataFolder\\A\\ is not found.",
        "> WriteDirectoryTable failed: "},
    // The database stores texts in code page 1252: any other letter would become "?".
    DataErrorCase{"folder_name_outside_the_code_page",
        {{CFileEntry::kindRoot, L"ProgramFilesFolder\\"}, {CFileEntry::kindFolder, L"ProgramFilesFolder\\\u0141\u00f3d\u017a\\"}},
        "> !Error: The name of ProgramFilesFolder\\\u0141\u00f3d\u017a\\ cannot be stored in the package's code page 1252.",
        "> WriteDirectoryTable failed: "},
    DataErrorCase{"file_name_outside_the_code_page",
        {{CFileEntry::kindRoot, L"ProgramFilesFolder\\"}, {CFileEntry::kindFile, L"ProgramFilesFolder\\\u0444\u0430\u0439\u043b.txt"}},
        "> !Error: The name of ProgramFilesFolder\\\u0444\u0430\u0439\u043b.txt cannot be stored in the package's code page 1252.",
        "> WriteFilesTable failed: "},
    DataErrorCase{"file_without_folder",
        {{CFileEntry::kindRoot, L"ProgramFilesFolder\\"}, {CFileEntry::kindFile, L"ProgramFilesFolder\\Gone\\x.txt"}},
        "> !Error: Directory ProgramFilesFolder\\Gone\\ for file ProgramFilesFolder\\Gone\\x.txt is not found.",
        "> WriteFilesTable failed: "}),
    [](const ::testing::TestParamInfo<DataErrorCase>& info) { return std::string(info.param.name); });

// A file anywhere below a 64-bit root makes a 64-bit package, folders between them or not.
TEST_F(BuildTest, FilesBelow64BitRootsMakeA64BitPackage)
{
    m_package.m_projects.Add(Project(L"P"));
    CFileEntries& files = Added(0).m_files;
    files.Add(Root(L"ProgramFilesFolder\\"));
    files.Add(File(L"ProgramFilesFolder\\x86.dll"));
    files.Add(Root(L"AppDataFolder\\"));
    files.Add(Folder(L"AppDataFolder\\ProgramFiles64Folder\\"));
    files.Add(File(L"AppDataFolder\\ProgramFiles64Folder\\named.dll"));
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ(0, m_is64Bit) << "a folder named like a 64-bit root is not one";
    EXPECT_EQ("Intel;0", Summary(PIDSI_TEMPLATE));

    files.Add(Root(L"ProgramFiles64Folder\\"));
    files.Add(Folder(L"ProgramFiles64Folder\\App\\"));
    files.Add(Folder(L"ProgramFiles64Folder\\App\\Bin\\"));
    files.Add(File(L"ProgramFiles64Folder\\App\\Bin\\below.dll"));
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ(1, m_is64Bit) << "a file two folders below a 64-bit root";
    EXPECT_EQ("x64;0", Summary(PIDSI_TEMPLATE));
    EXPECT_EQ(Key(L"D_", files[7]),
              Query(OutputPath(), L"SELECT `Directory_` FROM `Component` WHERE `Component` = 'C_" +
                                      CString(files[8].m_id) + L"'").at(0).at(0));
}

} // namespace
