#pragma once
// The packages of tests/fixtures/storage, rebuilt field by field: the same contents as the
// generator (make_fixtures.py) writes, so that the program's writer can be held to its bytes.

#include "engine/model/ProjectSettings.h"
#include "engine/storage/Projects.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace storagefixtures {

// The five root records of a project, sharing one id as a new project's do.
inline void SetRoots(CRegistryEntries& registry, const wchar_t* id)
{
    registry.RemoveAll();
    for (const wchar_t* name : {L"HKEY_CLASSES_ROOT", L"HKEY_CURRENT_USER", L"HKEY_LOCAL_MACHINE", L"HKEY_USERS",
                                L"Per User/Machine Hive"}) {
        CRegistryEntry root;
        root.m_id = id;
        root.m_kind = CRegistryEntry::kindRoot;
        root.m_keyPath = CString(name) + L"\\";
        registry.Add(root);
    }
}

// Every text empty and every number 0: the smallest package file.
inline CProjectSettings EmptyPackage()
{
    CProjectSettings p;
    p.m_productName.Empty();
    p.m_productVersion.Empty();
    p.m_productCode.Empty();
    p.m_companyName.Empty();
    p.m_outputFileName.Empty();
    return p;
}

inline CProjectSettings OneProjectPackage()
{
    CProjectSettings p = EmptyPackage();
    p.m_productName = L"One Project";
    p.m_productVersion = L"2.5.1";
    p.m_productCode = L"{11111111-2222-3333-4444-555555555555}";
    p.m_companyName = L"Morvalund Test";
    p.m_supportUrl = L"https://example.invalid/help";
    p.m_supportPhone = L"+1 555 0100";
    p.m_comment = L"A comment";
    p.m_launchCondition = L"VersionNT >= 601";
    p.m_perUser = 1;
    p.m_noRegistration = 2;
    p.m_hidden = 3;
    p.m_reservedText1 = L"reserved one";
    p.m_reservedText2 = L"reserved two";
    p.m_outputFolder = L"C:\\Out";
    p.m_outputFileName = L"One Project.msi";
    p.m_packageFiles = 5;
    p.m_deploymentMethod = 6;
    for (int i = 0; i < 8; ++i)
        p.m_reserved[i] = static_cast<BYTE>(i + 1);
    p.m_debugMode = 7;

    CFeature f;
    f.m_id = L"{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
    f.m_name = L"Main";
    f.m_description = L"Main project";
    f.m_conditions = L"NOT Installed";
    f.m_reservedText = L"project reserved";

    CFileEntry file;
    file.m_id = L"0123456789ABCDEF0123456789ABCDEF";
    file.m_reservedText1 = L"f r1";
    file.m_path = L"ProgramFilesFolder\\App\\app.exe";
    file.m_kind = 3;
    file.m_fileSize = 12345;
    file.m_reservedText2 = L"f r2";
    file.m_attributes = 513;
    file.m_componentAttributes = 256;
    file.m_reservedInt = 9;
    file.m_workingDirectory = L"wd";
    file.m_arguments = L"args";
    file.m_iconFile = L"icon.ico";
    file.m_description = L"file description";
    file.m_sourcePath = L"C:\\src\\app.exe";
    file.m_condition = L"VersionNT64";
    file.m_iconIndex = 4;
    f.m_files.Add(file);

    SetRoots(f.m_registry, L"FEDCBA9876543210FEDCBA9876543210");
    CRegistryEntry value;
    value.m_id = L"00000000000000000000000000000002";
    value.m_kind = 2;
    value.m_keyOptions = 3;
    value.m_keyPath = L"HKEY_LOCAL_MACHINE\\Software\\Vendor";
    value.m_valueName = L"Version";
    value.m_valueType = 4;
    value.m_value = L"42";
    value.m_condition = L"ALLUSERS";
    f.m_registry.Add(value);

    CCustomAction action;
    action.m_firstInt = 10;
    action.m_secondInt = 11;
    action.m_firstText = L"ca one";
    action.m_secondText = L"ca two";
    f.m_customActions.Add(action);

    f.m_conversionMode = 2;
    f.m_installerPath = L"ProgramFilesFolder\\App\\setup.exe";
    f.m_installerArguments = L"/S";

    CMsgAction step;
    step.m_kind = 3;
    step.m_delay = 2;
    step.m_continueOnFailure = 1;
    step.m_processName = L"setup.exe";
    step.m_windowPath = L"#32770:0\\Edit:1";
    step.m_reservedText = L"step reserved";
    step.m_controlType = 6;
    step.m_windowRect = {10, 20, 30, 40};
    step.m_controlText = L"typed text";
    step.m_controlId = 1001;
    for (int i = 0; i < 4; ++i)
        step.m_reservedInts[i] = 21 + i;
    step.m_point = {5, 6};
    f.m_installScript.Add(step);

    f.m_uninstallCommand = L"C:\\un.exe";
    f.m_uninstallArguments = L"/quiet";
    CMsgAction undo;
    undo.m_kind = 0;
    undo.m_delay = 1;
    undo.m_processName = L"un.exe";
    undo.m_windowPath = L"#32770:0\\Button:2";
    undo.m_controlType = 1;
    undo.m_windowRect = {1, 2, 3, 4};
    undo.m_controlText = L"OK";
    undo.m_controlId = 1;
    undo.m_point = {7, 8};
    f.m_uninstallScript.Add(undo);

    p.m_projects.Add(f);
    return p;
}

// Five small projects behind a comment whose length puts exactly 4092 bytes into the first piece.
inline CProjectSettings FiveProjectsPackage()
{
    CProjectSettings p = EmptyPackage();
    p.m_productName = L"Five";
    p.m_comment = CString(L'c', 11);
    for (int i = 1; i <= 5; ++i) {
        CFeature f;
        f.m_id.Format(L"{%08X-0000-0000-0000-000000000000}", i);
        f.m_name.Format(L"Project %d", i);
        f.m_reservedText.Empty();
        CFileEntry folder;
        folder.m_id.Format(L"%032X", i);
        folder.m_path.Format(L"ProgramFilesFolder\\App%d\\", i);
        folder.m_kind = 2;
        f.m_files.Add(folder);
        CString rootId;
        rootId.Format(L"%032X", 100 + i);
        SetRoots(f.m_registry, rootId);
        f.m_conversionMode = i % 3;
        p.m_projects.Add(f);
    }
    return p;
}

// The one-project and five-project packages listed with files in folder (not saved yet), a
// selection and one text in each filter.
inline CProjects TwoPackageList(const CString& folder)
{
    CProjects projects;
    projects.Add(OneProjectPackage());
    projects.m_packagePaths.Add(folder + L"\\one.tkpj");
    projects.Add(FiveProjectsPackage());
    projects.m_packagePaths.Add(folder + L"\\five.tkpj");
    projects.m_lastSelection = 7;
    projects.m_fileFilter.AddTail(L"C:\\Windows\\Temp\\");
    projects.m_registryFilter.AddTail(L"HKEY_LOCAL_MACHINE\\SYSTEM");
    return projects;
}

// A file of tests/fixtures/storage.
inline CString Fixture(const wchar_t* name)
{
    return testsupport::FixturePath(CString(L"storage\\") + name);
}

inline std::vector<uint8_t> FileBytes(const CString& path)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(testsupport::ReadAllBytes(path, bytes)) << "cannot read " << testsupport::Utf8(path.View());
    return bytes;
}

#define STORAGE_EXPECT_FIELD(field) \
    EXPECT_TRUE(expected.field == actual.field) << where << ": " #field

inline void ExpectSameText(const CString& expected, const CString& actual, const std::string& where)
{
    EXPECT_TRUE(expected == actual) << where << ": expected \"" << testsupport::Utf8(expected.View()) << "\", got \""
                                    << testsupport::Utf8(actual.View()) << "\"";
}

#define STORAGE_EXPECT_TEXT(field) ExpectSameText(expected.field, actual.field, where + ": " #field)

inline void ExpectSameStep(const CMsgAction& expected, const CMsgAction& actual, const std::string& where)
{
    STORAGE_EXPECT_FIELD(m_kind);
    STORAGE_EXPECT_FIELD(m_delay);
    STORAGE_EXPECT_FIELD(m_continueOnFailure);
    STORAGE_EXPECT_TEXT(m_result);
    STORAGE_EXPECT_TEXT(m_processName);
    STORAGE_EXPECT_TEXT(m_windowPath);
    STORAGE_EXPECT_TEXT(m_reservedText);
    STORAGE_EXPECT_FIELD(m_controlType);
    STORAGE_EXPECT_FIELD(m_windowRect.left);
    STORAGE_EXPECT_FIELD(m_windowRect.top);
    STORAGE_EXPECT_FIELD(m_windowRect.right);
    STORAGE_EXPECT_FIELD(m_windowRect.bottom);
    STORAGE_EXPECT_TEXT(m_controlText);
    STORAGE_EXPECT_FIELD(m_controlId);
    for (int i = 0; i < 4; ++i)
        STORAGE_EXPECT_FIELD(m_reservedInts[i]);
    STORAGE_EXPECT_FIELD(m_point.x);
    STORAGE_EXPECT_FIELD(m_point.y);
}

inline void ExpectSameProject(const CFeature& expected, const CFeature& actual, const std::string& where)
{
    STORAGE_EXPECT_TEXT(m_id);
    STORAGE_EXPECT_TEXT(m_name);
    STORAGE_EXPECT_TEXT(m_description);
    STORAGE_EXPECT_TEXT(m_conditions);
    STORAGE_EXPECT_TEXT(m_reservedText);
    ASSERT_EQ(expected.m_files.GetSize(), actual.m_files.GetSize()) << where << ": file entries";
    for (int i = 0; i < expected.m_files.GetSize(); ++i) {
        const CFileEntry& e = expected.m_files[i];
        const CFileEntry& a = actual.m_files[i];
        const std::string w = where + ": file " + std::to_string(i);
        ExpectSameText(e.m_id, a.m_id, w + " id");
        ExpectSameText(e.m_reservedText1, a.m_reservedText1, w + " reserved text 1");
        ExpectSameText(e.m_path, a.m_path, w + " path");
        EXPECT_EQ(e.m_kind, a.m_kind) << w << " kind";
        EXPECT_EQ(e.m_fileSize, a.m_fileSize) << w << " size";
        ExpectSameText(e.m_reservedText2, a.m_reservedText2, w + " reserved text 2");
        EXPECT_EQ(e.m_attributes, a.m_attributes) << w << " attributes";
        EXPECT_EQ(e.m_componentAttributes, a.m_componentAttributes) << w << " component attributes";
        EXPECT_EQ(e.m_reservedInt, a.m_reservedInt) << w << " reserved int";
        ExpectSameText(e.m_workingDirectory, a.m_workingDirectory, w + " working directory");
        ExpectSameText(e.m_arguments, a.m_arguments, w + " arguments");
        ExpectSameText(e.m_iconFile, a.m_iconFile, w + " icon file");
        EXPECT_EQ(e.m_iconIndex, a.m_iconIndex) << w << " icon index";
        ExpectSameText(e.m_description, a.m_description, w + " description");
        ExpectSameText(e.m_sourcePath, a.m_sourcePath, w + " source path");
        ExpectSameText(e.m_condition, a.m_condition, w + " condition");
    }
    ASSERT_EQ(expected.m_registry.GetSize(), actual.m_registry.GetSize()) << where << ": registry entries";
    for (int i = 0; i < expected.m_registry.GetSize(); ++i) {
        const CRegistryEntry& e = expected.m_registry[i];
        const CRegistryEntry& a = actual.m_registry[i];
        const std::string w = where + ": registry " + std::to_string(i);
        ExpectSameText(e.m_id, a.m_id, w + " id");
        EXPECT_EQ(e.m_kind, a.m_kind) << w << " kind";
        EXPECT_EQ(e.m_keyOptions, a.m_keyOptions) << w << " key options";
        ExpectSameText(e.m_keyPath, a.m_keyPath, w + " key path");
        ExpectSameText(e.m_valueName, a.m_valueName, w + " value name");
        EXPECT_EQ(e.m_valueType, a.m_valueType) << w << " value type";
        ExpectSameText(e.m_value, a.m_value, w + " value");
        ExpectSameText(e.m_condition, a.m_condition, w + " condition");
        EXPECT_EQ(e.m_taken, a.m_taken) << w << " taken flag";
    }
    ASSERT_EQ(expected.m_customActions.GetSize(), actual.m_customActions.GetSize()) << where << ": custom actions";
    for (int i = 0; i < expected.m_customActions.GetSize(); ++i) {
        const CCustomAction& e = expected.m_customActions[i];
        const CCustomAction& a = actual.m_customActions[i];
        const std::string w = where + ": custom action " + std::to_string(i);
        EXPECT_EQ(e.m_firstInt, a.m_firstInt) << w;
        EXPECT_EQ(e.m_secondInt, a.m_secondInt) << w;
        ExpectSameText(e.m_firstText, a.m_firstText, w + " first text");
        ExpectSameText(e.m_secondText, a.m_secondText, w + " second text");
    }
    STORAGE_EXPECT_FIELD(m_conversionMode);
    STORAGE_EXPECT_TEXT(m_installerPath);
    STORAGE_EXPECT_TEXT(m_installerArguments);
    STORAGE_EXPECT_TEXT(m_uninstallCommand);
    STORAGE_EXPECT_TEXT(m_uninstallArguments);
    ASSERT_EQ(expected.m_installScript.GetSize(), actual.m_installScript.GetSize()) << where << ": install steps";
    for (int i = 0; i < expected.m_installScript.GetSize(); ++i)
        ExpectSameStep(expected.m_installScript[i], actual.m_installScript[i], where + ": install step " + std::to_string(i));
    ASSERT_EQ(expected.m_uninstallScript.GetSize(), actual.m_uninstallScript.GetSize()) << where << ": uninstall steps";
    for (int i = 0; i < expected.m_uninstallScript.GetSize(); ++i)
        ExpectSameStep(expected.m_uninstallScript[i], actual.m_uninstallScript[i], where + ": uninstall step " + std::to_string(i));
}

// Every field of the package and of everything it holds.
inline void ExpectSamePackage(const CProjectSettings& expected, const CProjectSettings& actual, const std::string& where)
{
    STORAGE_EXPECT_TEXT(m_productName);
    STORAGE_EXPECT_TEXT(m_productVersion);
    STORAGE_EXPECT_TEXT(m_productCode);
    STORAGE_EXPECT_TEXT(m_companyName);
    STORAGE_EXPECT_TEXT(m_supportUrl);
    STORAGE_EXPECT_TEXT(m_supportPhone);
    STORAGE_EXPECT_TEXT(m_comment);
    STORAGE_EXPECT_TEXT(m_launchCondition);
    STORAGE_EXPECT_FIELD(m_perUser);
    STORAGE_EXPECT_FIELD(m_noRegistration);
    STORAGE_EXPECT_FIELD(m_hidden);
    STORAGE_EXPECT_TEXT(m_reservedText1);
    STORAGE_EXPECT_TEXT(m_reservedText2);
    STORAGE_EXPECT_TEXT(m_outputFolder);
    STORAGE_EXPECT_TEXT(m_outputFileName);
    STORAGE_EXPECT_FIELD(m_packageFiles);
    STORAGE_EXPECT_FIELD(m_deploymentMethod);
    for (int i = 0; i < 8; ++i)
        STORAGE_EXPECT_FIELD(m_reserved[i]);
    STORAGE_EXPECT_FIELD(m_debugMode);
    ASSERT_EQ(expected.m_projects.GetSize(), actual.m_projects.GetSize()) << where << ": projects";
    for (int i = 0; i < expected.m_projects.GetSize(); ++i)
        ExpectSameProject(expected.m_projects[i], actual.m_projects[i], where + ": project " + std::to_string(i));
}

#undef STORAGE_EXPECT_FIELD
#undef STORAGE_EXPECT_TEXT

} // namespace storagefixtures
