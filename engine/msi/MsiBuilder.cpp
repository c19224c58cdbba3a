// The build driver: validation, template copy, direct-mode open, the table steps in their fixed
// order, and the commit.
//
// Threads: BuildPackage runs on a build worker thread. Its output lines go through the sink, which
// in the program sends them to the main window and waits until the window has taken them; the
// user-interface thread must therefore never wait for a build. Builds in one process are
// serialised by one mutex taken for the whole of BuildPackage: a second build waits, it is not
// refused, since each build thread works on its own package copy and its lines stay in one block.

#include "engine/msi/MsiTools.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"
#include "engine/model/GuidText.h"

#include <cstdarg>
#include <cwctype>
#include <mutex>
#include <new>

namespace {

std::mutex& BuildMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The running program's folder with its trailing backslash. The module's own path, not argument 0
// of the command line, which may be relative or name no folder at all.
CString ProgramFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    return GetFolderPartWithSlash(path);
}

// Windows Installer keeps a product version in 8.8.16 bits (a fourth field is ignored but must
// still be a number); anything else makes msiexec refuse the package or compare versions wrongly.
bool IsValidProductVersion(const CString& version)
{
    static constexpr unsigned kFieldLimits[] = {255, 255, 65535, 65535};
    int field = 0;
    int digits = 0;
    unsigned value = 0;
    for (int i = 0; i <= version.GetLength(); ++i) {
        const wchar_t ch = i < version.GetLength() ? version[i] : L'.';
        if (ch == L'.') {
            if (digits == 0 || field >= 4 || value > kFieldLimits[field])
                return false;
            ++field;
            digits = 0;
            value = 0;
        } else if (ch >= L'0' && ch <= L'9') {
            if (++digits > 5)
                return false;
            value = value * 10 + static_cast<unsigned>(ch - L'0');
        } else {
            return false;
        }
    }
    return true;
}

// A product code is a GUID in braces: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". Windows Installer
// wants its letters in upper case, so lower-case hex digits are accepted and raised in place.
bool NormalizeProductCode(CString& code)
{
    static constexpr int kLength = 38;
    if (code.GetLength() != kLength || code[0] != L'{' || code[kLength - 1] != L'}')
        return false;
    for (int i = 1; i < kLength - 1; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? code[i] != L'-' : !std::iswxdigit(code[i]))
            return false;
    }
    code.MakeUpper();
    return true;
}

} // namespace

CString PackageFolderInList(const CProjects& projects, int currentIndex, const CProjectSettings& package)
{
    CString code = package.m_productCode;
    code.Trim();
    const auto folderOf = [&](int index) -> CString {
        if (index < 0 || index >= projects.GetSize() || index >= projects.m_packagePaths.GetSize())
            return CString();
        CString listed = projects[index].m_productCode;
        listed.Trim();
        if (listed.IsEmpty() || listed.CompareNoCase(code) != 0)
            return CString();
        return GetFolderPart(projects.m_packagePaths[index]);
    };
    CString folder = folderOf(currentIndex);
    for (int index = 0; folder.IsEmpty() && index < projects.GetSize(); ++index)
        folder = folderOf(index);
    return folder;
}

CMsiTools::CMsiTools(CProjectSettings* package, MsiBuildOptions options)
    : m_package(package),
      m_output(options.output ? options.output : &GetOutputSink()),
      m_options(std::move(options))
{
    m_options.output = m_output;
    if (m_options.programFolder.IsEmpty())
        m_options.programFolder = ProgramFolder();
    // Read once, here: the steps run on the build thread and must not read the package list
    // while the editor changes it.
    if (m_options.packageFolder.IsEmpty())
        m_options.packageFolder = PackageFolderInList(Projects, CurrentPackageIndex, *m_package);
    if (m_options.packageFolder.IsEmpty())
        m_options.packageFolder = m_package->m_outputFolder;
}

CMsiTools::~CMsiTools() = default;

CString CMsiTools::MakeFeatureKey(const CString& projectId)
{
    return L"_" + StripGuidPunctuation(projectId);
}

const CString& CMsiTools::SourceBaseFolder() const
{
    return m_options.packageFolder;
}

CString CMsiTools::DirectoryKey(const CFileEntry& folder)
{
    if (folder.m_kind == CFileEntry::kindRoot) {
        CString key = folder.m_path;
        key.Trim(L'\\');
        return key;
    }
    return L"D_" + folder.m_id;
}

bool CMsiTools::CheckRequired(CString& field, const wchar_t* failureLine)
{
    field.Trim();
    if (!field.IsEmpty())
        return true;
    AppendOutputString(failureLine);
    return false;
}

BOOL CMsiTools::ValidateData()
{
    ClearOutput();
    AppendOutputString(L"> Validating data..");
    CProjectSettings& package = *m_package;
    if (!CheckRequired(package.m_productName, L"> !Invalid Package Name (field is required)"))
        return FALSE;
    if (!CheckRequired(package.m_productVersion, L"> !Invalid Package Version (field is required)"))
        return FALSE;
    if (!IsValidProductVersion(package.m_productVersion)) {
        AppendOutputFormat(L"> !Invalid Package Version '%s' (expected numbers such as 1.0.0: major "
                           L"and minor up to 255, build up to 65535)",
                           package.m_productVersion.GetString());
        return FALSE;
    }
    if (!CheckRequired(package.m_productCode, L"> !Invalid Package Code (field is required)"))
        return FALSE;
    if (!NormalizeProductCode(package.m_productCode)) {
        AppendOutputFormat(L"> !Invalid Package Code '%s' (expected a GUID in braces, such as "
                           L"{12345678-9ABC-DEF0-1234-56789ABCDEF0})",
                           package.m_productCode.GetString());
        return FALSE;
    }
    if (!CheckRequired(package.m_companyName, L"> !Invalid Company Name (field is required)"))
        return FALSE;
    AppendOutputString(L"> ok!");
    return TRUE;
}

int CMsiTools::BuildPackage()
{
    std::lock_guard<std::mutex> lock(BuildMutex());
    int result = ERROR_INTERNAL_ERROR;
    // Nothing may leave the build thread as an exception: a failure of the framework or of memory
    // ends the build like a failed step, with what was written committed.
    try {
        return BuildLocked();
    } catch (const CMemoryException&) {
        result = ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::bad_alloc&) {
        result = ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        result = ERROR_INTERNAL_ERROR;
    }
    try {
        AppendOutputFormat(L"> Build stopped by an internal error. Error:(%d)", result);
    } catch (...) {
    }
    CommitAfterFailure();
    return result;
}

int CMsiTools::BuildLocked()
{
    // What one build learns about the package starts afresh with each build.
    m_folders.RemoveAll();
    m_shortNames.Clear();
    m_is64Bit = 0;

    if (!ValidateData())
        return kInvalidPackage;

    CString outputPath;
    outputPath.Format(L"%s\\%s", m_package->m_outputFolder.GetString(),
                      m_package->m_outputFileName.GetString());
    AppendOutputFormat(L"> Write package file: %s ...", outputPath.GetString());

    const CString templatePath = m_options.programFolder + L"schema.bin";
    if (!CopyFileW(templatePath, outputPath, FALSE)) {
        const DWORD error = GetLastError();
        AppendOutputFormat(L"> Copy file 'schema.bin' failed. Error:(%d)%s ...", static_cast<int>(error),
                           FormatSystemErrorText(error).GetString());
        return static_cast<int>(error);
    }

    m_database.Reset();
    UINT result = MsiOpenDatabaseW(outputPath, MSIDBOPEN_DIRECT, m_database.Put());
    if (result != ERROR_SUCCESS) {
        AppendOutputFormat(L"> OpenDatabase failed. Error: %s", GetLastMsiErrorText().GetString());
        return static_cast<int>(result);
    }

    result = WriteTables();
    if (result != ERROR_SUCCESS) {
        CommitAfterFailure();
        return static_cast<int>(result);
    }
    result = AddCustomActionRec();
    if (result != ERROR_SUCCESS) {
        AppendOutputFormat(L"> AddCustomActionRec failed. Error:(%d)", static_cast<int>(result));
        CommitAfterFailure();
        return static_cast<int>(result);
    }
    result = MsiDatabaseCommit(m_database.Get());
    if (result != ERROR_SUCCESS) {
        AppendOutputFormat(L"> DatabaseCommit failed: %s", GetLastMsiErrorText().GetString());
        return static_cast<int>(result);
    }
    AppendOutputString(L"> The MSI Package file was created successfully!");
    return ERROR_SUCCESS;
}

// A failed build keeps what it wrote so far, committed: the partly filled package at the output
// path shows how far the build came. Its own result would only hide the step's error.
void CMsiTools::CommitAfterFailure()
{
    if (m_database)
        (void)MsiDatabaseCommit(m_database.Get());
}

UINT CMsiTools::WriteTables()
{
    struct Step {
        UINT (CMsiTools::*run)();
        const wchar_t* failureLine;
    };
    // The order carries dependencies: the directory step fills the folder list that the file and
    // shortcut steps read; the file step decides the 64-bit flag that the summary information
    // reads; the service step marks the registry values that the registry step then skips.
    static constexpr Step kSteps[] = {
        {&CMsiTools::WriteFeatureTable, L"> WriteFeatureTable failed. Error:(%s)..."},
        {&CMsiTools::WriteDirectoryTable, L"> WriteDirectoryTable failed: %s"},
        {&CMsiTools::WriteFilesTable, L"> WriteFilesTable failed: %s"},
        {&CMsiTools::WriteShortcutTable, L"> WriteShortcutTable failed: %s"},
        {&CMsiTools::WriteServicesTable, L"> WriteServicesTable failed. Error:(%s)..."},
        {&CMsiTools::WriteRegistryTable, L"> WriteRegistryTable failed: %s"},
        {&CMsiTools::PackFiles, L"> PackFiles failed: %s"},
        {&CMsiTools::WriteSequenceTable, L"> WriteSequenceTable failed: %s"},
    };
    for (const Step& step : kSteps) {
        const UINT result = (this->*step.run)();
        if (result != ERROR_SUCCESS) {
            AppendOutputFormat(step.failureLine, GetLastMsiErrorText().GetString());
            return result;
        }
    }
    return ERROR_SUCCESS;
}

void CMsiTools::ClearOutput()
{
    m_output->Clear();
}

void CMsiTools::AppendOutputString(const CString& line)
{
    m_output->AppendLine(line);
}

void CMsiTools::AppendOutputFormat(const wchar_t* format, ...)
{
    CString line;
    va_list args;
    va_start(args, format);
    line.FormatV(format, args);
    va_end(args);
    AppendOutputString(line);
}

CString BuildResultText(int result)
{
    if (result == 0)
        return L"MSI package was created successfully!";
    if (result == CMsiTools::kInvalidPackage)
        return L"Data Validation error. See log window ";
    CString text;
    text.Format(L"Windows Installer (MSI) Error: %d", result);
    return text;
}
