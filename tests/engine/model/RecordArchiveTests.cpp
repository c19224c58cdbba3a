// The stored form of packages and their records: exact bytes for each record kind, what survives
// a round trip and what must not, and how damaged streams fail.

#include "engine/model/ProjectSettings.h"

#include "tests/engine/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

using modeltest::Bytes;
using modeltest::ExpectedBytes;
using modeltest::Load;
using modeltest::Store;
using testsupport::Hex;

void ExpectBytes(const Bytes& expected, const Bytes& actual)
{
    ASSERT_EQ(expected.size(), actual.size()) << "expected " << Hex(expected, 400) << "\n     got " << Hex(actual, 400);
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            ADD_FAILURE() << "first difference at byte " << i << "\nexpected " << Hex(expected, 400) << "\n     got "
                          << Hex(actual, 400);
            return;
        }
    }
}

CProjectSettings EmptyTextPackage()
{
    CProjectSettings package;
    package.m_productName.Empty();
    package.m_productVersion.Empty();
    package.m_productCode.Empty();
    package.m_companyName.Empty();
    package.m_outputFileName.Empty();
    return package;
}

TEST(PackageLayout, EmptyPackageIs144BytesInOrder)
{
    CProjectSettings package = EmptyTextPackage();
    const Bytes expected = ExpectedBytes()
                               .Int(1002)
                               .EmptyTexts(8)
                               .Ints(3)
                               .EmptyTexts(4)
                               .Ints(2)
                               .Int(0) // no projects
                               .Raw(Bytes(8, 0))
                               .EmptyTexts(7)
                               .Int(0) // debug mode
                               .Ints(7)
                               .Get();
    ASSERT_EQ(144u, expected.size());
    ExpectBytes(expected, Store(package));
}

TEST(PackageLayout, EveryPackageFieldHasItsPlace)
{
    CProjectSettings package;
    package.m_productName = L"Name";
    package.m_productVersion = L"2.0";
    package.m_productCode = L"{CODE}";
    package.m_companyName = L"Co";
    package.m_supportUrl = L"url";
    package.m_supportPhone = L"tel";
    package.m_comment = L"comment";
    package.m_launchCondition = L"VersionNT";
    package.m_perUser = 11;
    package.m_noRegistration = 12;
    package.m_hidden = 13;
    package.m_reservedText1 = L"r1";
    package.m_reservedText2 = L"r2";
    package.m_outputFolder = L"C:\\out";
    package.m_outputFileName = L"x.msi";
    package.m_packageFiles = 1;
    package.m_deploymentMethod = 1;
    for (int i = 0; i < 8; ++i)
        package.m_reserved[i] = static_cast<BYTE>(0xA0 + i);
    package.m_debugMode = 1;

    const Bytes expected = ExpectedBytes()
                               .Int(1002)
                               .Text(L"Name").Text(L"2.0").Text(L"{CODE}").Text(L"Co")
                               .Text(L"url").Text(L"tel").Text(L"comment").Text(L"VersionNT")
                               .Int(11).Int(12).Int(13)
                               .Text(L"r1").Text(L"r2").Text(L"C:\\out").Text(L"x.msi")
                               .Int(1).Int(1)
                               .Int(0)
                               .Raw({0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7})
                               .EmptyTexts(7)
                               .Int(1)
                               .Ints(7)
                               .Get();
    ExpectBytes(expected, Store(package));
}

TEST(PackageLayout, TextLengthFormChangesAt255Characters)
{
    for (const int length : {254, 255}) {
        CProjectSettings package = EmptyTextPackage();
        package.m_productName = CString(L'n', length);
        const Bytes bytes = Store(package);
        // 254 characters keep the one-byte length; 255 take the 0xFF byte and a 16-bit length
        const size_t extra = length < 255 ? 0 : 2;
        EXPECT_EQ(144u + 2u * static_cast<size_t>(length) + extra, bytes.size()) << length << " characters";
        const Bytes prefix(bytes.begin() + 4, bytes.begin() + 4 + 4 + static_cast<long>(extra));
        const Bytes expectedPrefix = length < 255 ? Bytes{0xFF, 0xFE, 0xFF, 0xFE} : Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00};
        EXPECT_EQ(expectedPrefix, prefix) << length << " characters: " << Hex(prefix);

        CProjectSettings loaded;
        ASSERT_EQ(1, Load(loaded, bytes));
        EXPECT_EQ(package.m_productName, loaded.m_productName);
    }
}

TEST(RecordLayout, FileEntryPutsIconIndexAfterTheSpareTexts)
{
    CFileEntry entry;
    entry.m_id = L"ID";
    entry.m_reservedText1 = L"r1";
    entry.m_path = L"ProgramFilesFolder\\App\\app.exe";
    entry.m_kind = CFileEntry::kindFile;
    entry.m_fileSize = 1234;
    entry.m_reservedText2 = L"r2";
    entry.m_attributes = 513;
    entry.m_componentAttributes = 256;
    entry.m_reservedInt = 7;
    entry.m_workingDirectory = L"wd";
    entry.m_arguments = L"args";
    entry.m_iconFile = L"icons.dll";
    entry.m_iconIndex = 5;
    entry.m_description = L"desc";
    entry.m_sourcePath = L"C:\\src\\app.exe";
    entry.m_condition = L"cond";
    const Bytes expected = ExpectedBytes()
                               .Text(L"ID").Text(L"r1").Text(L"ProgramFilesFolder\\App\\app.exe")
                               .Int(3).Int(1234)
                               .Text(L"r2")
                               .Int(513).Int(256).Int(7)
                               .Text(L"wd").Text(L"args").Text(L"icons.dll").Text(L"desc").Text(L"C:\\src\\app.exe").Text(L"cond")
                               .EmptyTexts(7)
                               .Int(5)
                               .Ints(7)
                               .Get();
    ExpectBytes(expected, Store(entry));
}

TEST(RecordLayout, RegistryEntryLeavesOutTheTakenFlag)
{
    CRegistryEntry entry;
    entry.m_id = L"ID";
    entry.m_kind = CRegistryEntry::kindValue;
    entry.m_keyOptions = 3;
    entry.m_keyPath = L"HKEY_LOCAL_MACHINE\\Software\\V";
    entry.m_valueName = L"Name";
    entry.m_valueType = CRegistryEntry::typeDword;
    entry.m_value = L"#1";
    entry.m_condition = L"cond";
    entry.m_taken = 1;
    const Bytes expected = ExpectedBytes()
                               .Text(L"ID")
                               .Int(2).Int(3)
                               .Text(L"HKEY_LOCAL_MACHINE\\Software\\V").Text(L"Name")
                               .Int(4)
                               .Text(L"#1").Text(L"cond")
                               .EmptyTexts(7)
                               .Ints(8)
                               .Get();
    ExpectBytes(expected, Store(entry));
}

TEST(RecordLayout, CustomActionIsTwoIntsTwoTextsAndSpares)
{
    CCustomAction action;
    action.m_firstInt = -1;
    action.m_secondInt = 0x01020304;
    action.m_firstText = L"a";
    action.m_secondText = L"b";
    const Bytes expected =
        ExpectedBytes().Int(-1).Int(0x01020304).Text(L"a").Text(L"b").EmptyTexts(7).Ints(8).Get();
    ExpectBytes(expected, Store(action));
}

TEST(RecordLayout, ScriptStepLeavesOutTheResult)
{
    CMsgAction step;
    step.m_kind = CMsgAction::kindSetText;
    step.m_delay = 4;
    step.m_continueOnFailure = 1;
    step.m_result = L"Passed";
    step.m_processName = L"setup.exe";
    step.m_windowPath = L"#32770[0]\\Edit[1]";
    step.m_reservedText = L"r";
    step.m_controlType = CMsgAction::controlEdit;
    step.m_windowRect = RECT{10, 20, 300, -40};
    step.m_controlText = L"C:\\App";
    step.m_controlId = 1001;
    step.m_reservedInts[0] = 1;
    step.m_reservedInts[3] = 4;
    step.m_point = POINT{-5, 6};
    const Bytes expected = ExpectedBytes()
                               .Int(3).Int(4).Int(1)
                               .Text(L"setup.exe").Text(L"#32770[0]\\Edit[1]").Text(L"r")
                               .Int(6)
                               .Int(10).Int(20).Int(300).Int(-40)
                               .Text(L"C:\\App")
                               .Int(1001).Int(1).Int(0).Int(0).Int(4)
                               .Int(-5).Int(6)
                               .EmptyTexts(7)
                               .Ints(8)
                               .Get();
    ExpectBytes(expected, Store(step));
}

TEST(RecordLayout, ProjectWritesItsListsBetweenItsTexts)
{
    CFeature project;
    project.m_id = L"{P}";
    project.m_name = L"n";
    project.m_description = L"d";
    project.m_conditions = L"c";
    project.m_reservedText = L"r";
    project.m_registry.RemoveAll();
    project.m_customActions.Add(CCustomAction());
    project.m_conversionMode = CFeature::modeCommandLine;
    project.m_installerPath = L"Temp\\setup.exe";
    project.m_installerArguments = L"/S";
    project.m_installScript.Add(CMsgAction());
    project.m_uninstallCommand = L"un.exe";
    project.m_uninstallArguments = L"/U";

    ExpectedBytes expected;
    expected.Text(L"{P}").Text(L"n").Text(L"d").Text(L"c").Text(L"r")
        .Int(0)                                               // files
        .Int(0)                                               // registry
        .Int(1).Ints(2).EmptyTexts(2).EmptyTexts(7).Ints(8)   // one custom action
        .Int(2)
        .Text(L"Temp\\setup.exe").Text(L"/S")
        .Int(1)                                               // one default step
        .Int(0).Int(1).Int(0).EmptyTexts(3).Int(0).Ints(4).EmptyTexts(1).Ints(5).Ints(2).EmptyTexts(7).Ints(8)
        .Text(L"un.exe").Text(L"/U")
        .Int(0)                                               // uninstall script
        .EmptyTexts(7)
        .Ints(8);
    ExpectBytes(expected.Get(), Store(project));
}

// A package with one of everything, every field set to a value of its own.
CProjectSettings FullPackage()
{
    CProjectSettings package;
    package.m_comment = L"comment \u00e9\u4e2d";
    package.m_debugMode = 1;
    package.m_reserved[7] = 0x5A;

    CFeature project;
    project.m_name = L"Setup";
    project.m_conversionMode = CFeature::modeRepackage;
    CFileEntry file;
    file.m_path = L"ProgramFilesFolder\\App\\app.exe";
    file.m_kind = CFileEntry::kindFile;
    file.m_iconIndex = 3;
    file.m_sourcePath = L"C:\\src\\app.exe";
    project.m_files.Add(file);
    CRegistryEntry value;
    value.m_kind = CRegistryEntry::kindValue;
    value.m_keyPath = L"HKEY_CURRENT_USER\\Software\\App";
    value.m_valueName = L"Path";
    value.m_value = L"[ProgramFilesFolder]App";
    value.m_taken = 1;
    project.m_registry.Add(value);
    CCustomAction action;
    action.m_firstInt = 34;
    action.m_secondText = L"kept";
    project.m_customActions.Add(action);
    CMsgAction step;
    step.m_kind = CMsgAction::kindClick;
    step.m_result = L"Failed: window not found";
    step.m_windowRect = RECT{1, 2, 3, 4};
    step.m_point = POINT{7, 8};
    project.m_installScript.Add(step);
    step.m_controlText = L"uninstall step";
    project.m_uninstallScript.Add(step);
    package.m_projects.Add(project);
    package.m_projects.Add(CFeature());
    return package;
}

TEST(PackageRoundTrip, EverythingStoredComesBackButStepResultsAndTakenFlags)
{
    CProjectSettings package = FullPackage();
    const Bytes bytes = Store(package);

    CProjectSettings loaded;
    ASSERT_EQ(1, Load(loaded, bytes));
    // Storing the loaded copy gives the same bytes: every stored field came back.
    ExpectBytes(bytes, Store(loaded));

    ASSERT_EQ(2, loaded.m_projects.GetSize());
    const CFeature& project = loaded.m_projects[0];
    EXPECT_EQ(package.m_projects[0].m_id, project.m_id);
    EXPECT_EQ(package.m_comment, loaded.m_comment);
    EXPECT_EQ(0x5A, loaded.m_reserved[7]);
    ASSERT_EQ(1, project.m_installScript.GetSize());
    EXPECT_TRUE(project.m_installScript[0].m_result.IsEmpty())
        << "got " << testsupport::Utf8(project.m_installScript[0].m_result.View());
    EXPECT_EQ(7, project.m_installScript[0].m_point.x);
    EXPECT_EQ(4, project.m_installScript[0].m_windowRect.bottom);
    EXPECT_EQ(CString(L"uninstall step"), project.m_uninstallScript[0].m_controlText);
    ASSERT_EQ(6, project.m_registry.GetSize());
    EXPECT_EQ(0, project.m_registry[5].m_taken);
    EXPECT_EQ(CString(L"kept"), project.m_customActions[0].m_secondText);
    EXPECT_EQ(3, project.m_files[0].m_iconIndex);
}

TEST(PackageRoundTrip, LoadingIntoUsedRecordsClearsWhatIsNotStored)
{
    CMsgAction step;
    step.m_result = L"Passed";
    CMsgAction stored;
    ASSERT_NO_THROW(Load(step, Store(stored)));
    EXPECT_TRUE(step.m_result.IsEmpty());

    CRegistryEntry entry;
    entry.m_taken = 1;
    CRegistryEntry plain;
    ASSERT_NO_THROW(Load(entry, Store(plain)));
    EXPECT_EQ(0, entry.m_taken);
}

TEST(PackageRoundTrip, RootRecordsSurviveAndStillShareOneId)
{
    CProjectSettings package = EmptyTextPackage();
    package.m_projects.Add(CFeature());
    CProjectSettings loaded;
    ASSERT_EQ(1, Load(loaded, Store(package)));
    ASSERT_EQ(1, loaded.m_projects.GetSize());
    const CRegistryEntries& roots = loaded.m_projects[0].m_registry;
    const CRegistryEntries fresh;
    ASSERT_EQ(5, roots.GetSize());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(CRegistryEntry::kindRoot, roots[i].m_kind);
        EXPECT_EQ(fresh[i].m_keyPath, roots[i].m_keyPath);
        EXPECT_EQ(roots[0].m_id, roots[i].m_id);
    }
    EXPECT_EQ(package.m_projects[0].m_registry[0].m_id, roots[0].m_id);
}

TEST(PackageRoundTrip, LoadedListsReplaceWhatWasThere)
{
    CFeature stored;
    stored.m_registry.RemoveAll();
    CFeature target;
    target.m_files.Add(CFileEntry());
    ASSERT_NO_THROW(Load(target, Store(stored)));
    EXPECT_EQ(0, target.m_files.GetSize());
    EXPECT_EQ(0, target.m_registry.GetSize()) << "the five default roots must give way to the stored list";
}

TEST(PackageLoad, OtherFormatNumberReadsNothingAndKeepsThePackage)
{
    for (const int format : {0, 1001, 1003, -1002}) {
        CProjectSettings stored = FullPackage();
        Bytes bytes = Store(stored);
        std::memcpy(bytes.data(), &format, sizeof(format));

        CProjectSettings target;
        target.m_productName = L"Before";
        EXPECT_EQ(0, Load(target, bytes)) << "format " << format;
        EXPECT_EQ(CString(L"Before"), target.m_productName) << "format " << format;
        EXPECT_EQ(0, target.m_projects.GetSize()) << "format " << format;
    }
}

TEST(PackageLoad, NonPositiveCountIsAnEmptyList)
{
    for (const int count : {0, -1, INT_MIN}) {
        const Bytes bytes = ExpectedBytes().Int(count).Get();
        CFileEntries list;
        list.Add(CFileEntry());
        ASSERT_NO_THROW(Load(list, bytes)) << "count " << count;
        EXPECT_EQ(0, list.GetSize()) << "count " << count;
    }
}

TEST(PackageLoad, TruncatedStreamsThrowEndOfFile)
{
    CProjectSettings stored = FullPackage();
    const Bytes bytes = Store(stored);
    // cut inside an int, inside a text, inside a raw block, and just before the last spare int
    for (const size_t keep : {size_t{2}, size_t{10}, bytes.size() / 2, bytes.size() - 60, bytes.size() - 1}) {
        const Bytes cut(bytes.begin(), bytes.begin() + static_cast<long>(keep));
        CProjectSettings target;
        try {
            (void)Load(target, cut);
            ADD_FAILURE() << "a stream cut to " << keep << " of " << bytes.size() << " bytes loaded";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(CArchiveException::endOfFile, e.m_cause) << "cut to " << keep;
        }
    }
}

TEST(PackageLoad, HugeCountOnShortDataStopsAtTheEnd)
{
    const Bytes bytes = ExpectedBytes().Int(INT_MAX).Ints(2).Get();
    CCustomActions list;
    EXPECT_THROW(Load(list, bytes), CArchiveException);
}

} // namespace
