#include "E2EPackage.h"
#include "PackagePlatformCheck.h"

#include "engine/files/WideBuffer.h"
#include "engine/msi/MsiTools.h"
#include "tests/support/TestSupport.h"

namespace e2e {

namespace {

std::vector<uint8_t> Utf16Bytes(const wchar_t* text, size_t characters)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    return std::vector<uint8_t>(bytes, bytes + characters * sizeof(wchar_t));
}

CFileEntry Entry(int kind, const CString& path)
{
    CFileEntry entry;
    entry.m_kind = kind;
    entry.m_path = path;
    return entry;
}

// Some text that compresses, long enough to span several cabinet blocks.
std::vector<uint8_t> LogText()
{
    std::string text;
    for (int line = 0; text.size() < 200000; ++line)
        text += "line " + std::to_string(line) + ": the quick brown fox jumps over the lazy dog\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

const std::vector<RegistryCase>& RegistryCases()
{
    static const DWORD number = 42;
    static const std::vector<RegistryCase> cases = {
        {L"", CRegistryEntry::typeString, L"default", REG_SZ, Utf16Bytes(L"default", 7)},
        {L"Text", CRegistryEntry::typeString, L"hello", REG_SZ, Utf16Bytes(L"hello", 5)},
        {L"Hash", CRegistryEntry::typeString, L"#12", REG_SZ, Utf16Bytes(L"#12", 3)},
        {L"Expand", CRegistryEntry::typeExpandString, L"%WINDIR%\\x", REG_EXPAND_SZ, Utf16Bytes(L"%WINDIR%\\x", 10)},
        {L"Multi", CRegistryEntry::typeMultiString, L"one[~]two", REG_MULTI_SZ, Utf16Bytes(L"one\0two\0", 8)},
        {L"Single", CRegistryEntry::typeMultiString, L"single", REG_MULTI_SZ, Utf16Bytes(L"single\0", 7)},
        {L"HashList", CRegistryEntry::typeMultiString, L"#first[~]second", REG_MULTI_SZ,
         Utf16Bytes(L"#first\0second\0", 14)},
        {L"Blob", CRegistryEntry::typeBinary, L"0a0b0c", REG_BINARY, {0x0a, 0x0b, 0x0c}},
        {L"Count", CRegistryEntry::typeDword, L"42", REG_DWORD,
         std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(&number),
                              reinterpret_cast<const uint8_t*>(&number) + sizeof(number))},
    };
    return cases;
}

CProjectSettings MakePackage(const CString& sourceFolder, const CString& outputFolder, int packageFiles,
                             bool withWrappedProject, const CString& productCode, const CString& iconModule)
{
    CProjectSettings package;
    package.m_productName = L"Tarnwick End To End";
    package.m_productVersion = L"1.0.0";
    package.m_productCode = productCode;
    package.m_companyName = L"Morvalund";
    package.m_outputFolder = outputFolder;
    package.m_outputFileName = L"e2e.msi";
    package.m_packageFiles = packageFiles;

    const CString app = CString(L"ProgramFilesFolder\\") + kAppFolder + L"\\";
    const CString data = CString(L"AppDataFolder\\") + kAppFolder + L"\\";
    CFeature project;
    project.m_name = L"Application";
    project.m_conversionMode = CFeature::modeRepackage;
    for (const CString& root : {CString(L"ProgramFilesFolder\\"), CString(L"AppDataFolder\\"),
                                CString(L"ProgramMenuFolder\\")})
        project.m_files.Add(Entry(CFileEntry::kindRoot, root));
    project.m_files.Add(Entry(CFileEntry::kindFolder, app));
    project.m_files.Add(Entry(CFileEntry::kindFolder, app + L"Data Files\\"));
    project.m_files.Add(Entry(CFileEntry::kindFolder, data));

    std::vector<uint8_t> module;
    testsupport::ReadAllBytes(iconModule, module);
    const struct {
        CString path;
        std::vector<uint8_t> bytes;
    } files[] = {
        {app + L"app.exe", module},
        {app + L"read me.txt", {'r', 'e', 'a', 'd', ' ', 'm', 'e'}},
        {app + L"Data Files\\my.file.name.txt", {'d', 'a', 't', 'a'}},
        {app + L"Data Files\\big.log", LogText()},
        {data + L"settings.ini", {'[', 's', ']', '\r', '\n', 'k', '=', 'v', '\r', '\n'}},
    };
    for (const auto& file : files) {
        CFileEntry entry = Entry(CFileEntry::kindFile, file.path);
        entry.m_sourcePath = sourceFolder + L"\\" + entry.m_id;
        (void)CreateDirectoryTree(sourceFolder);
        testsupport::WriteAllBytes(entry.m_sourcePath, file.bytes);
        entry.m_fileSize = static_cast<int>(file.bytes.size());
        project.m_files.Add(entry);
    }
    CFileEntry shortcut = Entry(CFileEntry::kindShortcut, CString(L"ProgramMenuFolder\\") + kShortcutName);
    shortcut.m_sourcePath = app + L"app.exe";
    shortcut.m_attributes = 0;
    project.m_files.Add(shortcut);

    for (const wchar_t* root : {L"HKEY_CURRENT_USER\\", L"HKEY_LOCAL_MACHINE\\"}) {
        for (const RegistryCase& value : RegistryCases()) {
            CRegistryEntry entry;
            entry.m_kind = CRegistryEntry::kindValue;
            entry.m_keyPath = CString(root) + kRegistryKey;
            entry.m_valueName = value.name;
            entry.m_valueType = value.type;
            entry.m_value = value.text;
            project.m_registry.Add(entry);
        }
    }
    // A machine value recorded in the 32-bit view by its path.
    CRegistryEntry node;
    node.m_kind = CRegistryEntry::kindValue;
    node.m_keyPath = L"HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Tarnwick E2E\\"; // kRegistryKey's 32-bit view
    node.m_valueName = kNodeValueName;
    node.m_valueType = CRegistryEntry::typeString;
    node.m_value = L"32-bit";
    project.m_registry.Add(node);
    package.m_projects.Add(project);

    if (withWrappedProject) {
        CFeature wrapped;
        wrapped.m_name = L"Wrapped";
        wrapped.m_conversionMode = CFeature::modeCommandLine;
        wrapped.m_installerPath = L"Temp\\setup.exe";
        wrapped.m_files.Add(Entry(CFileEntry::kindRoot, L"Temp\\"));
        CFileEntry setup = Entry(CFileEntry::kindFile, L"Temp\\setup.exe");
        setup.m_sourcePath = sourceFolder + L"\\" + setup.m_id;
        testsupport::WriteAllBytes(setup.m_sourcePath, {'s', 'e', 't', 'u', 'p'});
        setup.m_fileSize = 5;
        wrapped.m_files.Add(setup);
        package.m_projects.Add(wrapped);
    }
    return package;
}

int Build(CProjectSettings& package, const CString& programFolder, RecordingOutput& output)
{
    MsiBuildOptions options;
    options.programFolder = programFolder;
    options.output = &output;
    int result = 0;
    {
        CMsiTools builder(&package, options);
        result = builder.BuildPackage();
    }
    if (result != 0)
        return result;
    const std::string disagreement =
        buildtest::CheckComponentPlatform(package.m_outputFolder + L"\\" + package.m_outputFileName);
    if (disagreement.empty())
        return 0;
    output.Append("platform check: " + disagreement);
    return ERROR_INVALID_DATA;
}

} // namespace e2e
