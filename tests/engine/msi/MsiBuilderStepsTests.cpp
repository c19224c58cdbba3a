// The later table steps, each built into a real database from the template and read back:
// shortcuts and icons, services, registry values, sequences with properties and summary
// information, the two media layouts, and the custom actions with the settings resource.

#include "BuildFixture.h"
#include "SavedPackageList.h"

#include "engine/files/Globals.h"
#include "engine/files/IconGroup.h"
#include "engine/files/WideBuffer.h"
#include "engine/storage/PackageFile.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using namespace buildtest;

CRegistryEntry Value(const wchar_t* keyPath, const wchar_t* name, int type, const wchar_t* value)
{
    CRegistryEntry entry;
    entry.m_kind = CRegistryEntry::kindValue;
    entry.m_keyPath = keyPath;
    entry.m_valueName = name;
    entry.m_valueType = type;
    entry.m_value = value;
    return entry;
}

// Gives this process a temporary folder of its own while it lives, so that a test can see that
// the builder deleted its temporary files (other test programs share the prefix's folder).
class PrivateTempFolder {
public:
    PrivateTempFolder()
    {
        for (const wchar_t* name : {L"TMP", L"TEMP"}) {
            wchar_t value[MAX_PATH + 1] = {};
            GetEnvironmentVariableW(name, value, MAX_PATH);
            m_saved.emplace_back(name, value);
            SetEnvironmentVariableW(name, m_folder.Path());
        }
    }
    ~PrivateTempFolder()
    {
        for (const auto& [name, value] : m_saved)
            SetEnvironmentVariableW(name, value.IsEmpty() ? nullptr : value.GetString());
    }

    // The names of what is left in the folder.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAW data;
        UniqueFindHandle find(FindFirstFileW(m_folder / L"*", &data));
        if (find) {
            do {
                if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
                    names.push_back(testsupport::Utf8(data.cFileName));
            } while (FindNextFileW(find.Get(), &data));
        }
        return names;
    }

private:
    ScratchFolder m_folder;
    std::vector<std::pair<const wchar_t*, CString>> m_saved;
};

// Writes a stream column of the first row a query returns into a file.
bool SaveStream(const CString& databasePath, const wchar_t* sql, const CString& target)
{
    UniqueMsiHandle database, view, record;
    if (MsiOpenDatabaseW(databasePath, MSIDBOPEN_READONLY, database.Put()) ||
        MsiDatabaseOpenViewW(database.Get(), sql, view.Put()) || MsiViewExecute(view.Get(), 0) ||
        MsiViewFetch(view.Get(), record.Put()))
        return false;
    std::vector<uint8_t> bytes;
    char buffer[4096];
    for (;;) {
        DWORD size = sizeof(buffer);
        if (MsiRecordReadStream(record.Get(), 1, buffer, &size) != ERROR_SUCCESS)
            return false;
        if (size == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + size);
    }
    return testsupport::WriteAllBytes(target, bytes);
}

std::vector<uint8_t> Bytes(const CString& path)
{
    std::vector<uint8_t> bytes;
    testsupport::ReadAllBytes(path, bytes);
    return bytes;
}

// ---- shortcuts and icons ----------------------------------------------------------------------

class ShortcutTest : public BuildTest {
protected:
    void SetUp() override
    {
        BuildTest::SetUp();
        ASSERT_TRUE(CopyFileW(FixturePath(L"msi-iconic.exe"), m_scratch / L"icons.exe", FALSE));
        CFeature project = Project(L"App");
        project.m_files.Add(Root(L"ProgramFilesFolder\\"));
        project.m_files.Add(Folder(L"ProgramFilesFolder\\App\\"));
        CFileEntry app = File(L"ProgramFilesFolder\\App\\app.exe");
        app.m_sourcePath = FixturePath(L"msi-iconic.exe");
        project.m_files.Add(app);
        project.m_files.Add(File(L"ProgramFilesFolder\\App\\read me.txt"));
        project.m_files.Add(Root(L"ProgramMenuFolder\\"));
        project.m_files.Add(Folder(L"ProgramMenuFolder\\App\\"));
        m_package.m_projects.Add(project);
    }

    CFileEntry& AddShortcut(const wchar_t* path, const wchar_t* target)
    {
        CFileEntry shortcut = Entry(CFileEntry::kindShortcut, path);
        shortcut.m_sourcePath = target;
        shortcut.m_attributes = 0;
        Added(0).m_files.Add(shortcut);
        return Added(0).m_files[Added(0).m_files.GetSize() - 1];
    }

    const CFileEntry& FileAt(int index) { return Added(0).m_files[index]; }
};

TEST_F(ShortcutTest, RowsIconsAndWorkingFolders)
{
    CFileEntry& run = AddShortcut(L"ProgramMenuFolder\\App\\Run the App", L"ProgramFilesFolder\\App\\app.exe");
    run.m_attributes = 1; // advertised
    run.m_arguments = L"/mode 'fast'";
    run.m_iconFile = L"icons.exe";
    run.m_iconIndex = 1;
    CFileEntry& readme = AddShortcut(L"ProgramMenuFolder\\Read me", L"ProgramFilesFolder\\App\\read me.txt");
    readme.m_workingDirectory = L" AppDataFolder ";
    CFileEntry& odd = AddShortcut(L"ProgramMenuFolder\\Odd", L"ProgramFilesFolder\\App\\app.exe");
    odd.m_workingDirectory = L"Nowhere\\";
    odd.m_iconFile = L"icons.exe";
    odd.m_iconIndex = 7; // no such group: the target's own group 7 neither, so the template's icon

    {
        const PrivateTempFolder temp;
        ASSERT_EQ(0, Build()) << Join(m_sink.lines);
        EXPECT_EQ(std::vector<std::string>{}, temp.Files()) << "temporary icon files are deleted";
    }
    EXPECT_NE(m_sink.lines.end(), std::find(m_sink.lines.begin(), m_sink.lines.end(),
                                            "> !Error: Invalid working directory Nowhere\\ for shortcut ProgramMenuFolder\\Odd"))
        << Join(m_sink.lines);

    const std::string appId = testsupport::Utf8(FileAt(2).m_id.View());
    const std::string appDir = Key(L"D_", FileAt(1));
    const std::string templateIcon = "I_F7C29D1C99043FAB8EE73397827D227.ico";
    const std::string runIcon = "I_" + testsupport::Utf8(run.m_id.View()) + ".ico";
    EXPECT_EQ(
        Sorted({{"S_" + testsupport::Utf8(run.m_id.View()), Key(L"D_", FileAt(5)), "Run the App", "C_" + appId,
                 Key(Added(0)), "/mode 'fast'", runIcon, "0", "1", appDir},
                {"S_" + testsupport::Utf8(readme.m_id.View()), "ProgramMenuFolder", "Read me", Key(L"C_", FileAt(3)),
                 "[#F_" + testsupport::Utf8(FileAt(3).m_id.View()) + "]", "", templateIcon, "0", "1", "AppDataFolder"},
                {"S_" + testsupport::Utf8(odd.m_id.View()), "ProgramMenuFolder", "Odd", "C_" + appId,
                 "[#F_" + appId + "]", "", templateIcon, "0", "1", "Nowhere"}}),
        Query(OutputPath(), L"SELECT `Shortcut`, `Directory_`, `Name`, `Component_`, `Target`, `Arguments`, "
                            L"`Icon_`, `IconIndex`, `ShowCmd`, `WkDir` FROM `Shortcut`"));

    // The icon is the module's second group ("Green"): one 32-pixel image.
    const CString icon = m_scratch / L"icon.ico";
    ASSERT_TRUE(SaveStream(OutputPath(), L"SELECT `Data` FROM `Icon` WHERE `Name` <> '" +
                                             CString(templateIcon.c_str()) + L"'", icon));
    const std::vector<uint8_t> bytes = Bytes(icon);
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(1, bytes[4]) << "image count of the second group";
    EXPECT_EQ(32, bytes[6]) << "width";
    EXPECT_EQ(Sorted({{runIcon}, {templateIcon}}), Query(OutputPath(), L"SELECT `Name` FROM `Icon`"));
}

TEST_F(ShortcutTest, PickedIconWinsAndNoRegistrationMeansNoAdvertising)
{
    CFileEntry& run = AddShortcut(L"ProgramMenuFolder\\Run", L"ProgramFilesFolder\\App\\app.exe");
    run.m_attributes = 1;
    const CString picked = m_scratch / (L"resources\\I" + run.m_id + L".ico");
    ASSERT_TRUE(CreateDirectoryW(m_scratch / L"resources", nullptr));
    // The picked icon file: the target's first group, written as the icon dialog writes it.
    IconGroupEnumRecord record;
    ASSERT_TRUE(ExtractIconGroupToIcoFile(nullptr, &record, FixturePath(L"msi-iconic.exe"), picked));
    m_package.m_noRegistration = 1;

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ((Rows{{"[#F_" + testsupport::Utf8(FileAt(2).m_id.View()) + "]",
                     "I_" + testsupport::Utf8(run.m_id.View()) + ".ico"}}),
              Query(OutputPath(), L"SELECT `Target`, `Icon_` FROM `Shortcut`"));
    const CString stored = m_scratch / L"stored.ico";
    ASSERT_TRUE(SaveStream(OutputPath(), L"SELECT `Data` FROM `Icon` WHERE `Name` = 'I_" + run.m_id + L".ico'", stored));
    EXPECT_EQ(Bytes(picked), Bytes(stored));
}

struct ShortcutErrorCase {
    const char* name;
    const wchar_t* path;
    const wchar_t* target;
    const char* line;
};

void PrintTo(const ShortcutErrorCase& c, std::ostream* os) { *os << c.name; }

class ShortcutErrorTest : public ShortcutTest, public ::testing::WithParamInterface<ShortcutErrorCase> {};

TEST_P(ShortcutErrorTest, Returns13WithItsLine)
{
    AddShortcut(GetParam().path, GetParam().target);
    EXPECT_EQ(13, Build());
    ASSERT_GE(m_sink.lines.size(), 2u);
    EXPECT_EQ(GetParam().line, m_sink.lines[m_sink.lines.size() - 2]) << Join(m_sink.lines);
    EXPECT_EQ("> WriteShortcutTable failed: ", m_sink.lines.back());
}

INSTANTIATE_TEST_SUITE_P(Shortcuts, ShortcutErrorTest, ::testing::Values(
    ShortcutErrorCase{"folder_missing", L"DesktopFolder\\Run", L"ProgramFilesFolder\\App\\app.exe",
        "> !Error: Target directory DesktopFolder\\ for shortcut DesktopFolder\\Run is not found."},
    ShortcutErrorCase{"target_missing", L"ProgramMenuFolder\\Run", L"ProgramFilesFolder\\App\\gone.exe",
        "> !Error: Target file ProgramFilesFolder\\App\\gone.exe for shortcut ProgramMenuFolder\\Run is not found."},
    // The database would store the name as question marks.
    ShortcutErrorCase{"name_outside_the_code_page", L"ProgramMenuFolder\\\u0417\u0430\u043f\u0443\u0441\u043a",
        L"ProgramFilesFolder\\App\\app.exe",
        "> !Error: The name of ProgramMenuFolder\\\u0417\u0430\u043f\u0443\u0441\u043a cannot be stored in the package's code page 1252."},
    // A folder has no component for the shortcut to belong to.
    ShortcutErrorCase{"target_is_a_folder", L"ProgramMenuFolder\\Run", L"ProgramFilesFolder\\App\\",
        "> !Error: Target file ProgramFilesFolder\\App\\ for shortcut ProgramMenuFolder\\Run is not found."}),
    [](const ::testing::TestParamInfo<ShortcutErrorCase>& info) { return std::string(info.param.name); });

// ---- services ---------------------------------------------------------------------------------

constexpr wchar_t kServices[] = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";

TEST_F(BuildTest, ServiceKeysBecomeServiceRows)
{
    CFeature project = Project(L"P");
    project.m_files.Add(Root(L"ProgramFilesFolder\\"));
    project.m_files.Add(Folder(L"ProgramFilesFolder\\App\\"));
    project.m_files.Add(File(L"ProgramFilesFolder\\App\\svc.exe"));
    project.m_files.Add(File(L"ProgramFilesFolder\\App\\tool.exe"));
    const CString svc = CString(kServices) + L"Svc";
    const CString other = CString(kServices) + L"Other";
    const CString drv = CString(kServices) + L"Drv";
    const CString bracket = CString(kServices) + L"Bracket";
    const CString lower = L"HKEY_LOCAL_MACHINE\\system\\currentcontrolset\\services\\Lower";
    const CRegistryEntry values[] = {
        // No Type, Start or ErrorControl: Windows Installer's defaults.
        Value(svc, L"ImagePath", CRegistryEntry::typeExpandString, L"\"C:\\Program Files\\App\\svc.exe\"  -service "),
        Value(svc, L"DisplayName", CRegistryEntry::typeString, L"The Service"),
        Value(svc, L"DependOnService", CRegistryEntry::typeMultiString, L"RpcSs[~]Tcpip"),
        Value(svc, L"DependOnGroup", CRegistryEntry::typeMultiString, L"NetGroup"),
        Value(svc + L"\\Parameters", L"Port", CRegistryEntry::typeDword, L"80"),
        // "App\tool.exe" ends with "pp\tool.exe", but not at a path boundary.
        Value(other, L"ImagePath", CRegistryEntry::typeString, L"C:\\x\\pp\\tool.exe"),
        Value(other, L"Type", CRegistryEntry::typeDword, L"16"),
        Value(drv, L"ImagePath", CRegistryEntry::typeString, L"system32\\drivers\\drv.sys"),
        Value(drv, L"Type", CRegistryEntry::typeDword, L"1"),
        Value(bracket, L"ImagePath", CRegistryEntry::typeString, L"[ProgramFilesFolder]App\\tool.exe"),
        Value(bracket, L"Type", CRegistryEntry::typeDword, L"32"),
        Value(bracket, L"Start", CRegistryEntry::typeDword, L"2"),
        Value(bracket, L"ErrorControl", CRegistryEntry::typeDword, L"0"),
        Value(bracket, L"DependOnGroup", CRegistryEntry::typeMultiString, L"G1[~]G2"),
        Value(bracket, L"Description", CRegistryEntry::typeString, L"It's a tool"),
        Value(lower, L"Type", CRegistryEntry::typeDword, L"16"), // no ImagePath
    };
    for (const CRegistryEntry& value : values)
        project.m_registry.Add(value);
    m_package.m_projects.Add(project);

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    const std::string svcComponent = Key(L"C_", project.m_files[2]);
    const std::string toolComponent = Key(L"C_", project.m_files[3]);
    Rows services = Query(OutputPath(), L"SELECT `Name`, `DisplayName`, `ServiceType`, `StartType`, `ErrorControl`, "
                                        L"`LoadOrderGroup`, `Dependencies`, `StartName`, `Password`, `Arguments`, "
                                        L"`Component_`, `Description` FROM `ServiceInstall`");
    EXPECT_EQ(Sorted({{"Bracket", "", "32", "2", "0", "", "+G1[~]+G2[~]", "", "", "", toolComponent, "It's a tool"},
                      {"Svc", "The Service", "16", "3", "1", "", "RpcSs[~]Tcpip[~]+NetGroup[~]", "", "", "-service",
                       svcComponent, ""}}),
              services);
    EXPECT_EQ(Sorted({{"Bracket", "129", toolComponent}, {"Svc", "129", svcComponent}}),
              Query(OutputPath(), L"SELECT `Name`, `Event`, `Component_` FROM `ServiceControl`"));
    for (const Row& row : Query(OutputPath(), L"SELECT `ServiceInstall` FROM `ServiceInstall`"))
        EXPECT_EQ(35u, row[0].size()) << row[0];

    EXPECT_NE(m_sink.lines.end(), std::find(m_sink.lines.begin(), m_sink.lines.end(),
                                            "Can't find ImagePath file for service: C:\\x\\pp\\tool.exe"))
        << Join(m_sink.lines);
    EXPECT_NE(m_sink.lines.end(), std::find(m_sink.lines.begin(), m_sink.lines.end(),
                                            "Can't find ImagePath value for service: Lower"))
        << Join(m_sink.lines);

    // Taken values are left to the service rows; the rest are registry values.
    std::set<std::string> registry;
    for (const Row& row : Query(OutputPath(), L"SELECT `Key`, `Name` FROM `Registry`"))
        registry.insert(row[0] + "|" + row[1]);
    const std::string prefix = "SYSTEM\\CurrentControlSet\\Services\\";
    EXPECT_EQ((std::set<std::string>{prefix + "Svc|ImagePath", prefix + "Svc\\Parameters|Port",
                                     prefix + "Other|ImagePath", prefix + "Other|Type", prefix + "Drv|ImagePath",
                                     prefix + "Drv|Type", prefix + "Bracket|ImagePath",
                                     "system\\currentcontrolset\\services\\Lower|Type"}),
              registry);
}

// Registry keys are named without regard to case: values recorded under "Svc" and "SVC" belong to
// one service, which must be installed once.
TEST_F(BuildTest, ServiceKeyInTwoCasesIsOneService)
{
    CFeature project = Project(L"P");
    project.m_files.Add(Root(L"ProgramFilesFolder\\"));
    project.m_files.Add(Folder(L"ProgramFilesFolder\\App\\"));
    project.m_files.Add(File(L"ProgramFilesFolder\\App\\svc.exe"));
    project.m_registry.Add(Value(CString(kServices) + L"Svc", L"ImagePath", CRegistryEntry::typeString,
                                 L"C:\\Program Files\\App\\svc.exe"));
    project.m_registry.Add(Value(CString(kServices) + L"SVC", L"DisplayName", CRegistryEntry::typeString, L"Shown"));
    m_package.m_projects.Add(project);

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ((Rows{{"Svc", "Shown"}}), Query(OutputPath(), L"SELECT `Name`, `DisplayName` FROM `ServiceInstall`"));
    EXPECT_EQ((Rows{{"Svc"}}), Query(OutputPath(), L"SELECT `Name` FROM `ServiceControl`"));
    EXPECT_EQ((Rows{{"SYSTEM\\CurrentControlSet\\Services\\Svc", "ImagePath"}}),
              Query(OutputPath(), L"SELECT `Key`, `Name` FROM `Registry`"))
        << "the display name went into the service row";
}

// ---- registry values --------------------------------------------------------------------------

TEST_F(BuildTest, RegistryValuesOfEveryTypeAndRoot)
{
    CFeature project = Project(L"P");
    CRegistryEntry key;
    key.m_kind = CRegistryEntry::kindKey;
    key.m_keyPath = L"HKEY_CURRENT_USER\\Software\\Empty";
    project.m_registry.Add(key); // a key without values writes nothing
    const CRegistryEntry values[] = {
        Value(L"HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\\", L"Path", CRegistryEntry::typeString, L"C:\\App"),
        Value(L"HKEY_LOCAL_MACHINE\\Software\\Vendor\\App", L"Count", CRegistryEntry::typeDword, L"5"),
        Value(L"HKEY_CURRENT_USER\\Software\\Vendor", L"", CRegistryEntry::typeString, L"default"),
        Value(L"HKEY_CURRENT_USER\\Software\\Vendor", L"Hash", CRegistryEntry::typeString, L"#1 it's"),
        Value(L"HKEY_CURRENT_USER\\Software\\Vendor", L"Expand", CRegistryEntry::typeExpandString, L"%TEMP%\\x"),
        Value(L"HKEY_CURRENT_USER\\Software\\Vendor", L"Multi", CRegistryEntry::typeMultiString, L"a[~]b"),
        Value(L"HKEY_CURRENT_USER\\Software\\Vendor", L"Single", CRegistryEntry::typeMultiString, L"single"),
        Value(L"HKEY_CURRENT_USER\\Software\\Vendor", L"HashList", CRegistryEntry::typeMultiString, L"#first[~]second"),
        Value(L"HKEY_CURRENT_USER\\Software\\Vendor", L"NoStrings", CRegistryEntry::typeMultiString, L""),
        Value(L"HKEY_CURRENT_USER\\Software\\Vendor", L"Blob", CRegistryEntry::typeBinary, L"00ff10"),
        Value(L"HKEY_CLASSES_ROOT\\.tw", L"", CRegistryEntry::typeString, L"tw"),
        Value(L"HKEY_USERS\\.DEFAULT\\Software\\V", L"U", CRegistryEntry::typeString, L"u"),
        Value(L"Per User/Machine Hive\\Software\\V", L"Either", CRegistryEntry::typeString, L"e"),
    };
    for (const CRegistryEntry& value : values)
        project.m_registry.Add(value);
    project.m_registry[project.m_registry.GetSize() - 1].m_condition = L"PROP = 'x'";
    m_package.m_projects.Add(project);

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    Rows expected;
    const char* roots[] = {"2", "2", "1", "1", "1", "1", "1", "1", "1", "1", "0", "3", "-1"};
    const char* keys[] = {"Software\\Vendor\\App", "Software\\Vendor\\App", "Software\\Vendor", "Software\\Vendor",
                          "Software\\Vendor", "Software\\Vendor", "Software\\Vendor", "Software\\Vendor",
                          "Software\\Vendor", "Software\\Vendor", ".tw", ".DEFAULT\\Software\\V", "Software\\V"};
    // A list begins and ends with "[~]": the installer then replaces the value with exactly these
    // strings, keeps one string a list, and reads no type mark in a first string's "#".
    const char* texts[] = {"C:\\App", "#5", "default", "##1 it's", "#%%TEMP%\\x", "[~]a[~]b[~]", "[~]single[~]",
                           "[~]#first[~]second[~]", "[~]", "#x00ff10", "tw", "u", "e"};
    for (size_t i = 0; i < std::size(values); ++i) {
        const std::string id = testsupport::Utf8(project.m_registry[static_cast<int>(i) + 6].m_id.View());
        expected.push_back(
            {"R_" + id, roots[i], keys[i], testsupport::Utf8(values[i].m_valueName.View()), texts[i], "C_" + id});
    }
    EXPECT_EQ(Sorted(expected), Query(OutputPath(), L"SELECT * FROM `Registry`"));

    const std::string lastId = testsupport::Utf8(project.m_registry[project.m_registry.GetSize() - 1].m_id.View());
    EXPECT_EQ((Rows{{"TARGETDIR", "4", "PROP = 'x'", "R_" + lastId}}),
              Query(OutputPath(), L"SELECT `Directory_`, `Attributes`, `Condition`, `KeyPath` FROM `Component` "
                                  L"WHERE `Component` = 'C_" + CString(lastId.c_str()) + L"'"));
    EXPECT_EQ(13u, Query(OutputPath(), L"SELECT `Component_` FROM `FeatureComponents`").size());
}

// One rule for every component: 64-bit exactly when the package is 64-bit and the target lies in
// the 64-bit world. The record's own bit (a 64-bit image) decides nothing, and a file that comes
// before the one that makes the package 64-bit is judged by the package all the same.
TEST_F(BuildTest, ComponentsAre64BitOnlyIn64BitPackagesAndForTargetsInThe64BitWorld)
{
    CFeature app = Project(L"App");
    app.m_files.Add(Root(L"ProgramFilesFolder\\"));
    CFileEntry image64 = File(L"ProgramFilesFolder\\tool64.exe");
    image64.m_componentAttributes = CFileEntry::component64Bit;
    app.m_files.Add(image64);
    app.m_files.Add(Root(L"AppDataFolder\\"));
    app.m_files.Add(File(L"AppDataFolder\\settings.ini"));
    const CRegistryEntry values[] = {
        Value(L"HKEY_LOCAL_MACHINE\\Software\\Vendor", L"Native", CRegistryEntry::typeString, L"64"),
        Value(L"HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Vendor", L"Redirected", CRegistryEntry::typeString, L"32"),
        Value(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432NODE", L"NodeItself", CRegistryEntry::typeString, L"32"),
        Value(L"HKEY_LOCAL_MACHINE\\Software\\Wow6432NodeX", L"Lookalike", CRegistryEntry::typeString, L"x"),
        Value(L"HKEY_CURRENT_USER\\Software\\Wow6432Node\\Vendor", L"User", CRegistryEntry::typeString, L"u"),
    };
    for (const CRegistryEntry& value : values)
        app.m_registry.Add(value);
    CFeature wrapped = Project(L"Wrapped");
    wrapped.m_conversionMode = CFeature::modeCommandLine;
    wrapped.m_installerPath = L"Temp\\setup64.exe";
    wrapped.m_files.Add(Root(L"Temp\\"));
    CFileEntry setup = File(L"Temp\\setup64.exe");
    setup.m_componentAttributes = CFileEntry::component64Bit;
    wrapped.m_files.Add(setup);
    m_package.m_projects.Add(app);
    m_package.m_projects.Add(wrapped);

    auto attributes = [&](const wchar_t* prefix, const CString& id) {
        const Rows rows = Query(OutputPath(), L"SELECT `Attributes` FROM `Component` WHERE `Component` = '" +
                                                  CString(prefix) + id + L"'");
        return rows.empty() ? std::string("<none>") : rows[0][0];
    };
    auto keyOf = [&](const CRegistryEntry& value) {
        const Rows rows = Query(OutputPath(), L"SELECT `Key` FROM `Registry` WHERE `Registry` = 'R_" + value.m_id + L"'");
        return rows.empty() ? std::string("<none>") : rows[0][0];
    };

    // A 32-bit package: no component is 64-bit, whatever its file's image; the 32-bit view's
    // node leaves a machine key, since the component writes in that view by itself.
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ("Intel;0", Summary(PIDSI_TEMPLATE));
    EXPECT_EQ("0", attributes(L"C_", image64.m_id)) << "a 64-bit image in a 32-bit package";
    EXPECT_EQ("0", attributes(L"C_", setup.m_id)) << "a wrapped 64-bit setup program";
    const char* keys32[] = {"Software\\Vendor", "Software\\Vendor", "Software", "Software\\Wow6432NodeX",
                            "Software\\Wow6432Node\\Vendor"};
    for (size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ("4", attributes(L"C_", values[i].m_id)) << testsupport::Utf8(values[i].m_valueName.View());
        EXPECT_EQ(keys32[i], keyOf(values[i])) << testsupport::Utf8(values[i].m_valueName.View());
    }

    // The same projects with one file below a 64-bit root, placed after the others.
    CFileEntries& files = Added(0).m_files;
    files.Add(Root(L"ProgramFiles64Folder\\"));
    files.Add(Folder(L"ProgramFiles64Folder\\App\\"));
    const CFileEntry data64 = File(L"ProgramFiles64Folder\\App\\readme.txt");
    files.Add(data64);
    files.Add(Root(L"System64Folder\\"));
    const CFileEntry driver = File(L"System64Folder\\app.sys");
    files.Add(driver);
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ("x64;0", Summary(PIDSI_TEMPLATE));
    EXPECT_EQ("256", attributes(L"C_", data64.m_id)) << "a data file under a 64-bit folder";
    EXPECT_EQ("256", attributes(L"C_", driver.m_id));
    EXPECT_EQ("0", attributes(L"C_", image64.m_id)) << "a 64-bit image in the 32-bit Program Files";
    EXPECT_EQ("0", attributes(L"C_", Added(0).m_files[3].m_id)) << "AppData has one view";
    EXPECT_EQ("0", attributes(L"C_", setup.m_id)) << "the wrapped setup program lies under the Windows folder";
    // Every value of a 64-bit package is written in the view its key path names.
    const char* keys64[] = {"Software\\Vendor", "Software\\Wow6432Node\\Vendor", "SOFTWARE\\WOW6432NODE",
                            "Software\\Wow6432NodeX", "Software\\Wow6432Node\\Vendor"};
    for (size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ("260", attributes(L"C_", values[i].m_id)) << testsupport::Utf8(values[i].m_valueName.View());
        EXPECT_EQ(keys64[i], keyOf(values[i])) << testsupport::Utf8(values[i].m_valueName.View());
    }
}

TEST_F(BuildTest, UnknownRegistryRootReturns13)
{
    CFeature project = Project(L"P");
    project.m_registry.Add(Value(L"hkey_local_machine\\Software", L"x", CRegistryEntry::typeString, L"1"));
    m_package.m_projects.Add(project);
    EXPECT_EQ(13, Build());
    ASSERT_GE(m_sink.lines.size(), 2u);
    EXPECT_EQ("> !Error: Unknown registry root of key hkey_local_machine\\Software.",
              m_sink.lines[m_sink.lines.size() - 2]);
    EXPECT_EQ("> WriteRegistryTable failed: ", m_sink.lines.back());
}

// ---- sequences, properties, summary information -----------------------------------------------

TEST_F(BuildTest, DefaultPackageRegistersAndNamesItself)
{
    m_package.m_comment = L"Built by a test";
    m_package.m_supportUrl = L"https://example.com/it's";
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ(Sorted({{"PublishFeatures", "", "6300"}, {"PublishProduct", "", "6400"}, {"RegisterProduct", "", "6100"},
                      {"RegisterUser", "", "6000"}}),
              Query(OutputPath(), L"SELECT * FROM `InstallExecuteSequence` WHERE `Sequence` >= 6000 AND `Sequence` < 6600"));
    EXPECT_EQ(Sorted({{"PublishFeatures", "", "6300"}, {"PublishProduct", "", "6400"}}),
              Query(OutputPath(), L"SELECT * FROM `AdvtExecuteSequence` WHERE `Sequence` >= 6000 AND `Sequence` < 6600"));
    EXPECT_EQ(Sorted({{"ALLUSERS", "2"}, {"ARPCONTACT", "Morvalund Test"}, {"ARPHELPLINK", "https://example.com/it's"},
                      {"Manufacturer", "Morvalund Test"}, {"ProductCode", "{6D1A8F00-3C2B-4E55-9A77-0123456789AB}"},
                      {"ProductLanguage", "1033"}, {"ProductName", "Test Product"}, {"ProductVersion", "1.2.3"}}),
              Query(OutputPath(), L"SELECT * FROM `Property`"));
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT * FROM `LaunchCondition`"));
    EXPECT_EQ("Test Product", Summary(PIDSI_TITLE));
    EXPECT_EQ("Morvalund Test", Summary(PIDSI_AUTHOR));
    EXPECT_EQ("Built by a test", Summary(PIDSI_COMMENTS));
    EXPECT_EQ("200", Summary(PIDSI_PAGECOUNT));
    EXPECT_EQ("1252", Summary(PID_CODEPAGE)) << "the template's";
    const std::string revision = Summary(PIDSI_REVNUMBER);
    EXPECT_EQ(38u, revision.size()) << revision;
    ASSERT_EQ(0, Build());
    EXPECT_NE(revision, Summary(PIDSI_REVNUMBER)) << "every build is a new package";
}

TEST_F(BuildTest, FlagsAndLaunchCondition)
{
    m_package.m_noRegistration = 1;
    m_package.m_hidden = 1;
    m_package.m_perUser = 1;
    m_package.m_launchCondition = L"  VersionNT>=600 AND NAME <> 'x'  ";
    m_package.m_supportPhone = L"+1 555";
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ("VersionNT>=600 AND NAME <> 'x'", testsupport::Utf8(m_package.m_launchCondition.View()));
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT * FROM `InstallExecuteSequence` WHERE `Action` = 'RegisterUser'"));
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT * FROM `AdvtExecuteSequence` WHERE `Action` = 'PublishProduct'"));
    EXPECT_EQ((Rows{{"VersionNT>=600 AND NAME <> 'x'", "Condition VersionNT>=600 AND NAME <> 'x' evaluates to false"}}),
              Query(OutputPath(), L"SELECT * FROM `LaunchCondition`"));
    EXPECT_EQ((Rows{{"1"}}), Query(OutputPath(), L"SELECT `Value` FROM `Property` WHERE `Property` = 'ARPSYSTEMCOMPONENT'"));
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT `Value` FROM `Property` WHERE `Property` = 'ALLUSERS'"));
    EXPECT_EQ((Rows{{"+1 555"}}), Query(OutputPath(), L"SELECT `Value` FROM `Property` WHERE `Property` = 'ARPHELPTELEPHONE'"));
}

// Word count: bit 2 says the files are compressed, bit 4 that this is an administrative point.
TEST_F(BuildTest, WordCountFollowsLayoutAndDeployment)
{
    const struct {
        int packageFiles;
        int deployment;
        const char* wordCount;
    } cases[] = {
        {CProjectSettings::filesInCabinet, CProjectSettings::deploySetupPackage, "2"},
        {CProjectSettings::filesLoose, CProjectSettings::deploySetupPackage, "0"},
        {CProjectSettings::filesInCabinet, CProjectSettings::deployAdministrativeImage, "6"},
        {CProjectSettings::filesLoose, CProjectSettings::deployAdministrativeImage, "4"},
    };
    for (const auto& c : cases) {
        m_package.m_packageFiles = c.packageFiles;
        m_package.m_deploymentMethod = c.deployment;
        ASSERT_EQ(0, Build()) << Join(m_sink.lines);
        EXPECT_EQ(c.wordCount, Summary(PIDSI_WORDCOUNT)) << "files " << c.packageFiles << ", deployment " << c.deployment;
    }
}

// ---- file packing -----------------------------------------------------------------------------

class PackingTest : public BuildTest {
protected:
    // Three projects with two, zero and three files; the last one wraps a setup program.
    void AddProjects()
    {
        CFeature first = Project(L"First");
        first.m_files.Add(Root(L"ProgramFilesFolder\\"));
        first.m_files.Add(Folder(L"ProgramFilesFolder\\App\\"));
        first.m_files.Add(SourceFile(L"ProgramFilesFolder\\App\\a.txt", "alpha"));
        first.m_files.Add(SourceFile(L"ProgramFilesFolder\\App\\b.txt", "bravo"));
        CFeature empty = Project(L"Empty");
        CFeature third = Project(L"Third");
        third.m_conversionMode = CFeature::modeCommandLine;
        third.m_installerPath = L"Temp\\setup.exe";
        third.m_files.Add(Root(L"Temp\\"));
        third.m_files.Add(SourceFile(L"Temp\\setup.exe", "setup"));
        third.m_files.Add(Root(L"AppDataFolder\\"));
        third.m_files.Add(SourceFile(L"AppDataFolder\\c.txt", "charlie"));
        CFileEntry unsourced = File(L"AppDataFolder\\nosource.txt");
        unsourced.m_sourcePath.Empty();
        third.m_files.Add(unsourced);
        m_package.m_projects.Add(first);
        m_package.m_projects.Add(empty);
        m_package.m_projects.Add(third);
    }

    CFileEntry SourceFile(const wchar_t* path, const char* content)
    {
        CFileEntry file = File(path);
        file.m_sourcePath = m_sources / (L"src" + file.m_id);
        EXPECT_TRUE(testsupport::WriteAllBytes(file.m_sourcePath, std::vector<uint8_t>(content, content + strlen(content))));
        return file;
    }

    ScratchFolder m_sources;
};

TEST_F(PackingTest, LooseFilesLandBesideThePackage)
{
    AddProjects();
    m_package.m_packageFiles = CProjectSettings::filesLoose;
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ((Rows{{"1", "5", "", ""}}), Query(OutputPath(), L"SELECT `DiskId`, `LastSequence`, `Cabinet`, `Source` FROM `Media`"));
    const CString projectFolder = L"WindowsFolder\\Temp\\" + Added(2).m_id;
    const struct {
        CString path;
        std::string content;
    } expected[] = {
        {L"ProgramFilesFolder\\App\\a.txt", "alpha"},
        {L"ProgramFilesFolder\\App\\b.txt", "bravo"},
        {projectFolder + L"\\setup.exe", "setup"},
        {L"AppDataFolder\\c.txt", "charlie"},
    };
    for (const auto& file : expected) {
        const std::vector<uint8_t> bytes = Bytes(m_scratch / file.path);
        EXPECT_EQ(file.content, std::string(bytes.begin(), bytes.end())) << testsupport::Utf8(file.path.View());
    }
    EXPECT_FALSE(testsupport::FileExists(m_scratch / L"AppDataFolder\\nosource.txt"));

    // A read-only source makes a read-only copy; the next build replaces it all the same.
    ASSERT_TRUE(SetFileAttributesW(Added(0).m_files[3].m_sourcePath, FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    SetFileAttributesW(Added(0).m_files[3].m_sourcePath, FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(m_scratch / L"ProgramFilesFolder\\App\\b.txt", FILE_ATTRIBUTE_NORMAL);

    // A file that is already where it belongs is not copied onto itself.
    Added(0).m_files[2].m_sourcePath = m_scratch / L"PROGRAMFILESFOLDER\\App\\a.txt";
    m_sink.lines.clear();
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ(3, std::count_if(m_sink.lines.begin(), m_sink.lines.end(),
                               [](const std::string& line) { return line.rfind("> CopyFile: '", 0) == 0; }))
        << Join(m_sink.lines);
    EXPECT_EQ((std::vector<uint8_t>{'a', 'l', 'p', 'h', 'a'}), Bytes(m_scratch / L"ProgramFilesFolder\\App\\a.txt"));
}

// A tree path is joined to the output folder: one that leads out of it copies nothing.
TEST_F(PackingTest, LoosePathsLeadingOutAreRefused)
{
    for (const wchar_t* path : {L"ProgramFilesFolder\\..\\..\\evil.txt", L"ProgramFilesFolder\\../x/../../evil.txt",
                                L"C:\\evil.txt", L"ProgramFilesFolder\\C:evil.txt"}) {
        m_package.m_projects.RemoveAll();
        CFeature project = Project(L"P");
        // Every folder on the way, so that the folder and file steps let the path through.
        const CString text(path);
        for (int slash = text.Find(L'\\'); slash >= 0; slash = text.Find(L'\\', slash + 1)) {
            const CString folder = text.Left(slash + 1);
            project.m_files.Add(project.m_files.IsEmpty() ? Root(folder) : Folder(folder));
        }
        CFileEntry file = SourceFile(path, "evil");
        project.m_files.Add(file);
        m_package.m_projects.Add(project);
        m_package.m_packageFiles = CProjectSettings::filesLoose;
        m_sink.lines.clear();
        const int result = Build();
        EXPECT_EQ(13, result) << testsupport::Utf8(path) << "\n" << Join(m_sink.lines);
        if (result != 13)
            continue;
        EXPECT_EQ("> !Error: The path " + testsupport::Utf8(path) + " of file " +
                      testsupport::Utf8(file.m_sourcePath.View()) + " leads out of the output folder.",
                  m_sink.lines[m_sink.lines.size() - 2]);
        EXPECT_FALSE(testsupport::FileExists(m_scratch.Path() + L"\\..\\evil.txt"));
        EXPECT_FALSE(testsupport::FileExists(L"C:\\evil.txt"));
    }
}

TEST_F(PackingTest, CabinetHoldsEveryFileUnderItsFileKey)
{
    AddProjects();
    Added(2).m_files[4].m_sourcePath = Added(2).m_files[3].m_sourcePath; // one file twice, under two keys
    {
        const PrivateTempFolder temp;
        ASSERT_EQ(0, Build()) << Join(m_sink.lines);
        EXPECT_EQ(std::vector<std::string>{}, temp.Files()) << "the temporary cabinet and settings are deleted";
    }

    const Rows media = Query(OutputPath(), L"SELECT `DiskId`, `LastSequence`, `Cabinet` FROM `Media`");
    ASSERT_EQ(1u, media.size());
    EXPECT_EQ("1", media[0][0]);
    EXPECT_EQ("5", media[0][1]);
    const std::string cabinet = media[0][2];
    ASSERT_EQ(34u, cabinet.size()) << cabinet;
    EXPECT_EQ("#_", cabinet.substr(0, 2));
    const CString stream(cabinet.substr(1).c_str());

    const CString extracted = m_scratch / L"media.cab";
    ASSERT_TRUE(SaveStream(OutputPath(), L"SELECT `Data` FROM `_Streams` WHERE `Name` = '" + stream + L"'", extracted));
    const std::vector<uint8_t> bytes = Bytes(extracted);
    ASSERT_GE(bytes.size(), 36u);
    EXPECT_EQ("MSCF", std::string(bytes.begin(), bytes.begin() + 4));
    EXPECT_EQ(5, bytes[28] | bytes[29] << 8) << "files in the cabinet";
    // The names, in File table order.
    const std::string text(bytes.begin(), bytes.end());
    size_t at = 0;
    for (const CFileEntry* file : {&Added(0).m_files[2], &Added(0).m_files[3], &Added(2).m_files[1],
                                   &Added(2).m_files[3], &Added(2).m_files[4]}) {
        const size_t found = text.find("F_" + testsupport::Utf8(file->m_id.View()) + '\0', at);
        ASSERT_NE(std::string::npos, found)
            << testsupport::Utf8(file->m_path.View()) << " not in the cabinet after offset " << at;
        at = found;
    }
}

// A file without a source path lies below the package's folder at its tree path after the Temp
// redirection, where the cabinet takes it from: the File row's version is that file's too.
TEST_F(PackingTest, FileWithoutSourceIsReadFromItsRedirectedPlace)
{
    CFeature project = Project(L"Setup");
    project.m_files.Add(Root(L"Temp\\"));
    CFileEntry setup = File(L"Temp\\setup.exe");
    setup.m_sourcePath.Empty();
    project.m_files.Add(setup);
    m_package.m_projects.Add(project);
    const CString folder = m_scratch / (L"WindowsFolder\\Temp\\" + Added(0).m_id);
    ASSERT_EQ(0u, CreateDirectoryTree(folder));
    ASSERT_TRUE(CopyFileW(FixturePath(L"msi-versioned.exe"), folder + L"\\setup.exe", FALSE));

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_NE(m_sink.lines.end(), std::find(m_sink.lines.begin(), m_sink.lines.end(),
                                            "> CompressFile: '" + testsupport::Utf8(folder.View()) + "\\setup.exe'"))
        << Join(m_sink.lines);
    EXPECT_EQ((Rows{{"1.2.0.15", "1033"}}), Query(OutputPath(), L"SELECT `Version`, `Language` FROM `File`"));
}

// The builder's default base for files without a source path is the folder of the package file
// the package was copied from, found in the package list: by the current index while that still
// names this package, by product code when the selection has moved on; none for a package that
// is not listed.
TEST(PackageFolderInList, FindsTheListedFileOfThisPackage)
{
    CProjects projects;
    const wchar_t* const codes[] = {L"{00000000-0000-0000-0000-00000000000A}", L"{00000000-0000-0000-0000-00000000000B}",
                                    L"{00000000-0000-0000-0000-00000000000B}"};
    const wchar_t* const paths[] = {L"C:\\Packages\\A\\A.tkpj", L"C:\\Packages\\B\\B.tkpj",
                                    L"D:\\Copies\\B copy\\B.tkpj"};
    for (int i = 0; i < 3; ++i) {
        CProjectSettings listed;
        listed.m_productCode = codes[i];
        projects.Add(listed);
        projects.m_packagePaths.Add(paths[i]);
    }
    CProjectSettings b = projects[2];
    b.m_productCode = L" {00000000-0000-0000-0000-00000000000b} "; // as validation will trim and raise it
    CProjectSettings other;
    other.m_productCode = L"{00000000-0000-0000-0000-00000000000C}";
    const struct {
        const char* name;
        int currentIndex;
        const CProjectSettings* package;
        const wchar_t* folder;
    } cases[] = {
        {"current index names it", 2, &b, L"D:\\Copies\\B copy"},
        {"current index names the other copy", 1, &b, L"C:\\Packages\\B"},
        {"selection moved to another package", 0, &b, L"C:\\Packages\\B"},
        {"index out of range", 7, &b, L"C:\\Packages\\B"},
        {"negative index", -1, &b, L"C:\\Packages\\B"},
        {"a package that is not listed", 0, &other, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(testsupport::Utf8(c.folder),
                  testsupport::Utf8(PackageFolderInList(projects, c.currentIndex, *c.package).View()))
            << c.name;
    EXPECT_TRUE(PackageFolderInList(CProjects(), 0, b).IsEmpty());
}

// Built into another output folder, a file without a source path is still taken from the
// package's folder, in both layouts: into the cabinet, or copied beside the package.
TEST_F(PackingTest, WithoutSourceFilesComeFromThePackageFolderWhereverTheOutputGoes)
{
    ScratchFolder packageFolder;
    SavedPackageList saved;
    CFeature project = Project(L"Captured");
    project.m_conversionMode = CFeature::modeRepackage;
    project.m_files.Add(Root(L"AppDataFolder\\"));
    CFileEntry captured = File(L"AppDataFolder\\captured.txt", 8);
    captured.m_sourcePath.Empty();
    project.m_files.Add(captured);
    m_package.m_projects.Add(project);
    ASSERT_TRUE(CreateDirectoryW(packageFolder / L"AppDataFolder", nullptr));
    ASSERT_TRUE(testsupport::WriteAllBytes(packageFolder / L"AppDataFolder\\captured.txt",
                                           {'c', 'a', 'p', 't', 'u', 'r', 'e', 'd'}));
    Projects = CProjects();
    Projects.Add(m_package);
    Projects.m_packagePaths.Add(packageFolder / L"Captured.tkpj");
    CurrentPackageIndex = 0;
    const std::string source = testsupport::Utf8((packageFolder / L"AppDataFolder\\captured.txt").View());

    m_package.m_packageFiles = CProjectSettings::filesInCabinet;
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_NE(m_sink.lines.end(), std::find(m_sink.lines.begin(), m_sink.lines.end(), "> CompressFile: '" + source + "'"))
        << Join(m_sink.lines);

    m_package.m_packageFiles = CProjectSettings::filesLoose;
    m_sink.lines.clear();
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ((std::vector<uint8_t>{'c', 'a', 'p', 't', 'u', 'r', 'e', 'd'}),
              Bytes(m_scratch / L"AppDataFolder\\captured.txt"))
        << Join(m_sink.lines);

    // An explicit package folder wins over the list.
    ScratchFolder elsewhere;
    MsiBuildOptions options;
    options.packageFolder = elsewhere.Path();
    m_package.m_packageFiles = CProjectSettings::filesInCabinet;
    m_sink.lines.clear();
    EXPECT_NE(0, Build(options)) << "the file is not in the named folder";
    EXPECT_NE(m_sink.lines.end(),
              std::find(m_sink.lines.begin(), m_sink.lines.end(),
                        "> CompressFile: '" + testsupport::Utf8((elsewhere / L"AppDataFolder\\captured.txt").View()) + "'"))
        << Join(m_sink.lines);
}

TEST_F(PackingTest, MissingSourceStopsTheCabinet)
{
    AddProjects();
    const CString missing = m_sources / L"gone.txt";
    Added(0).m_files[3].m_sourcePath = missing;
    EXPECT_EQ(2, Build());
    ASSERT_GE(m_sink.lines.size(), 3u);
    EXPECT_EQ("> CompressFile: '" + testsupport::Utf8(missing.View()) + "'", m_sink.lines[m_sink.lines.size() - 3]);
    EXPECT_EQ(0u, m_sink.lines[m_sink.lines.size() - 2].find("> I/O error: 'Failure opening file to be stored in cabinet\nError 2: "))
        << m_sink.lines[m_sink.lines.size() - 2];
    EXPECT_EQ("> PackFiles failed: ", m_sink.lines.back());
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT `DiskId` FROM `Media`"));
}

TEST_F(PackingTest, NoFilesNoMedia)
{
    m_package.m_projects.Add(Project(L"Nothing"));
    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT `DiskId` FROM `Media`"));
    // The cabinet would be the one stream whose name begins with "_".
    const Rows streams = Query(OutputPath(), L"SELECT `Name` FROM `_Streams`");
    EXPECT_FALSE(streams.empty()) << "the Binary row's stream at least";
    for (const Row& stream : streams)
        EXPECT_NE('_', stream.at(0)[0]) << "a cabinet stream: " << stream.at(0);
}

// ---- custom actions and the settings resource -------------------------------------------------

class CustomActionTest : public BuildTest {
protected:
    void AddWrapped(const wchar_t* name, const wchar_t* installerPath)
    {
        CFeature project = Project(name);
        project.m_conversionMode = CFeature::modeGuiScript;
        project.m_installerPath = installerPath;
        project.m_files.Add(Root(L"Temp\\"));
        project.m_files.Add(File(L"Temp\\setup.exe"));
        m_package.m_projects.Add(project);
    }

    // The settings resource of the library stored in the Binary row.
    std::vector<uint8_t> StoredSettings()
    {
        const CString library = m_scratch / L"stored-velt.dll";
        if (!SaveStream(OutputPath(), L"SELECT `Data` FROM `Binary`", library))
            return {};
        HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (!module)
            return {};
        std::vector<uint8_t> bytes;
        if (HRSRC resource = FindResourceExW(module, L"BIN", MAKEINTRESOURCEW(124), 1033)) {
            const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
            bytes.assign(data, data + SizeofResource(module, resource));
        }
        FreeLibrary(module);
        return bytes;
    }

    Rows Actions() { return Query(OutputPath(), L"SELECT `Action`, `Type`, `Source`, `Target` FROM `CustomAction`"); }
    Rows Sequenced(const std::string& action)
    {
        return Query(OutputPath(), L"SELECT `Condition`, `Sequence` FROM `InstallExecuteSequence` WHERE `Action` = '" +
                                       CString(action.c_str()) + L"'");
    }
};

TEST_F(CustomActionTest, PackageWithoutWrappedProjectsCallsTheFirstEntryOnly)
{
    CFeature repackaged = Project(L"Repackaged");
    repackaged.m_conversionMode = CFeature::modeRepackage;
    repackaged.m_installerPath = L"Temp\\setup.exe"; // repackaged: never wrapped
    m_package.m_projects.Add(repackaged);
    CFeature blank = Project(L"Blank");
    blank.m_installerPath = L"   ";
    m_package.m_projects.Add(blank);
    const std::vector<uint8_t> libraryBefore = Bytes(m_programFolder / L"velt.bin");
    // The program's folder need not be writable: the library there is only read.
    ASSERT_TRUE(SetFileAttributesW(m_programFolder / L"velt.bin", FILE_ATTRIBUTE_READONLY));

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ("", testsupport::Utf8(Added(1).m_installerPath.View())) << "the blank path is stored trimmed";
    const Rows binary = Query(OutputPath(), L"SELECT `Name` FROM `Binary`");
    ASSERT_EQ(1u, binary.size());
    const std::string binaryKey = binary[0][0];
    EXPECT_EQ(34u, binaryKey.size()) << binaryKey;
    const Rows actions = Actions();
    ASSERT_EQ(1u, actions.size());
    EXPECT_EQ(35u, actions[0][0].size()) << actions[0][0];
    EXPECT_EQ((Row{actions[0][0], "3073", binaryKey, "INSTALLAction0"}), actions[0]);
    EXPECT_EQ((Rows{{"NOT REMOVE", "5990"}}), Sequenced(actions[0][0]));

    // The stored library carries exactly the package file of the package built; the library
    // beside the program is untouched.
    const CString expected = m_scratch / L"expected.tkpj";
    ASSERT_EQ(1, SavePackageFile(expected, m_package));
    const std::vector<uint8_t> settings = StoredSettings();
    EXPECT_FALSE(settings.empty());
    EXPECT_TRUE(Bytes(expected) == settings) << "resource " << settings.size() << " bytes, package file "
                                             << Bytes(expected).size() << " bytes";
    EXPECT_TRUE(libraryBefore == Bytes(m_programFolder / L"velt.bin"));
    ASSERT_TRUE(SetFileAttributesW(m_programFolder / L"velt.bin", FILE_ATTRIBUTE_NORMAL)); // for the clean-up
}

TEST_F(CustomActionTest, WrappedProjectsGetActionsInOrder)
{
    AddWrapped(L"Setup", L" Temp\\setup.exe ");
    CFeature repackaged = Project(L"Repackaged");
    repackaged.m_conversionMode = CFeature::modeRepackage;
    m_package.m_projects.Add(repackaged);
    AddWrapped(L"setup", L"Temp\\SETUP.exe");     // the same key as the first: a key of its own
    AddWrapped(L"Setup One", L"Temp\\setup.exe"); // no identifier: a key of its own
    AddWrapped(L"", L"Temp\\setup.exe");

    ASSERT_EQ(0, Build()) << Join(m_sink.lines);
    EXPECT_EQ("Temp\\setup.exe", testsupport::Utf8(Added(0).m_installerPath.View()));
    const std::string binaryKey = Query(OutputPath(), L"SELECT `Name` FROM `Binary`").at(0).at(0);
    std::map<std::string, Row> byTarget;
    for (const Row& row : Actions())
        byTarget[row[3]] = row;
    ASSERT_EQ(5u, byTarget.size()) << "INSTALLAction0 to 3 and UNINSTALLAction";
    EXPECT_EQ((Row{"SETUP", "3073", binaryKey, "INSTALLAction0"}), byTarget["INSTALLAction0"]);
    const int projectOf[] = {0, 2, 3, 4};
    for (int k = 0; k < 4; ++k) {
        const std::string target = "INSTALLAction" + std::to_string(k);
        const std::string key = byTarget[target][0];
        if (k > 0) {
            EXPECT_EQ("CA_", key.substr(0, 3)) << target;
            EXPECT_EQ(35u, key.size()) << key;
        }
        EXPECT_EQ((Rows{{"$" + Key(L"C_", Added(projectOf[k]).m_files[1]) + ">2", std::to_string(5990 + k)}}),
                  Sequenced(key))
            << target;
    }
    EXPECT_EQ((Rows{{"REMOVE~=\"ALL\" AND ProductState <> 1", "1699"}}), Sequenced(byTarget["UNINSTALLAction"][0]));
}

TEST_F(CustomActionTest, MoreThanTenWrappedProjectsAreRefused)
{
    for (int i = 0; i < 11; ++i)
        AddWrapped(L"W", L"Temp\\setup.exe");
    EXPECT_EQ(13, Build());
    ASSERT_GE(m_sink.lines.size(), 2u);
    EXPECT_EQ("> !Error: The package wraps 11 setup programs; at most 10 are possible.",
              m_sink.lines[m_sink.lines.size() - 2]);
    EXPECT_EQ("> AddCustomActionRec failed. Error:(13)", m_sink.lines.back());
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT `Name` FROM `Binary`"));
}

TEST_F(CustomActionTest, MissingSetupProgramOrLibrary)
{
    AddWrapped(L"W", L"Temp\\other.exe");
    EXPECT_EQ(13, Build());
    ASSERT_GE(m_sink.lines.size(), 2u);
    EXPECT_EQ("> !Error: Installer file 'Temp\\other.exe' is not found in files list.",
              m_sink.lines[m_sink.lines.size() - 2]);

    Added(0).m_installerPath = L"Temp\\setup.exe";
    ASSERT_TRUE(DeleteFileW(m_programFolder / L"velt.bin"));
    m_sink.lines.clear();
    EXPECT_EQ(2, Build());
    EXPECT_EQ("> AddCustomActionRec failed. Error:(2)", m_sink.lines.back());
    EXPECT_EQ(Rows{}, Query(OutputPath(), L"SELECT `Name` FROM `Binary`"));
    EXPECT_EQ(1u, Query(OutputPath(), L"SELECT `File` FROM `File`").size()) << "the tables before stay";
}

} // namespace
