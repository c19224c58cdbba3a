// Custom actions: the package carries the custom-action library "velt.bin" in its Binary table,
// and the library carries the package in its settings resource. Each wrapped project (one whose
// setup program the library runs) gets an action calling INSTALLAction<k>, k counting wrapped
// projects from 0 in project order, as the library counts them; the package gets one calling
// UNINSTALLAction. A package without wrapped projects gets a single action calling
// INSTALLAction0.
//
// The resource goes into a temporary copy of the library, never into the library beside the
// program: two builds at once would otherwise store each other's settings, and the program's
// folder need not be writable.

#include "engine/msi/MsiTools.h"

#include "engine/files/PathHelpers.h"
#include "engine/model/GuidText.h"
#include "engine/msi/SettingsResource.h"
#include "engine/msi/TempFile.h"
#include "engine/storage/PackageFile.h"

#include <set>

namespace {

// Deferred (0x400), not impersonated (0x800), a function of a DLL in the Binary table (1).
constexpr int kDeferredDllAction = 3073;
constexpr int kFirstInstallSequence = 5990; // after StartServices, before RegisterUser
constexpr int kUninstallSequence = 1699;    // after InstallInitialize, before the removal

DWORD LastErrorOr(DWORD fallback)
{
    const DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

// An MSI identifier: a letter or "_" first, then letters, digits, "_" and "."; at most 72.
bool IsIdentifier(const CString& text)
{
    if (text.IsEmpty() || text.GetLength() > 72)
        return false;
    for (int i = 0; i < text.GetLength(); ++i) {
        const wchar_t ch = text[i];
        const bool letter = (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z') || ch == L'_';
        const bool other = (ch >= L'0' && ch <= L'9') || ch == L'.';
        if (!(letter || (i > 0 && other)))
            return false;
    }
    return true;
}

CString NewActionKey()
{
    return L"CA_" + NewGuidStringBare();
}

} // namespace

UINT CMsiTools::MakeLibraryCopy(CString& libraryCopy)
{
    libraryCopy = MakeTempFileName();
    if (libraryCopy.IsEmpty())
        return LastErrorOr(ERROR_PATH_NOT_FOUND);
    const CString library = m_options.programFolder + L"velt.bin";
    if (!CopyFileW(library, libraryCopy, FALSE))
        return LastErrorOr(ERROR_FILE_NOT_FOUND);
    // The copy takes the attributes of a read-only library, which would refuse the resource
    // update and the deletion of the copy.
    if (!SetFileAttributesW(libraryCopy, FILE_ATTRIBUTE_NORMAL))
        return LastErrorOr(ERROR_ACCESS_DENIED);

    const CTempFile settings = CTempFile::Make();
    if (settings.Path().IsEmpty())
        return LastErrorOr(ERROR_PATH_NOT_FOUND);
    if (!SavePackageFile(settings.Path(), *m_package))
        return LastErrorOr(ERROR_WRITE_FAULT);
    return EmbedFileAsResource(settings.Path(), libraryCopy);
}

UINT CMsiTools::AddCustomActionRec()
{
    CFeatures& projects = m_package->m_projects;
    // The library sees the path trimmed, as the wrapped-project test does.
    for (CFeature& project : projects)
        if (project.m_conversionMode != CFeature::modeRepackage)
            project.m_installerPath.Trim();
    const int wrapped = CountWrappedProjects(projects);
    if (wrapped > kMaxWrappedProjects) {
        AppendOutputFormat(L"> !Error: The package wraps %d setup programs; at most %d are possible.", wrapped,
                           kMaxWrappedProjects);
        return ERROR_INVALID_DATA;
    }

    CString libraryPath;
    UINT result = MakeLibraryCopy(libraryPath);
    const CTempFile library(libraryPath);
    if (result != ERROR_SUCCESS)
        return result;

    UniqueMsiHandle view;
    const CString binaryKey = L"B_" + NewGuidStringBare();
    result = InsertRow(view, L"INSERT INTO `Binary` (`Name`, `Data`) VALUES (?, ?)",
                       {binaryKey, MsiValue::Stream(library.Path())});
    if (result != ERROR_SUCCESS)
        return result;

    const wchar_t* const action =
        L"INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES (?, ?, ?, ?)";
    const wchar_t* const sequence =
        L"INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES (?, ?, ?)";
    if (wrapped == 0) {
        const CString key = NewActionKey();
        result = InsertRow(view, action, {key, kDeferredDllAction, binaryKey, L"INSTALLAction0"});
        if (result != ERROR_SUCCESS)
            return result;
        return InsertRow(view, sequence, {key, L"NOT REMOVE", kFirstInstallSequence});
    }

    std::set<std::wstring> usedKeys;
    int number = 0;
    for (int p = 0; p < projects.GetSize(); ++p) {
        const CFeature& project = projects[p];
        if (!IsWrappedProject(project))
            continue;
        const CFileEntry* setup = project.m_files.FindByPath(project.m_installerPath);
        if (!setup) {
            AppendOutputFormat(L"> !Error: Installer file '%s' is not found in files list.",
                               project.m_installerPath.GetString());
            return ERROR_INVALID_DATA;
        }
        // The project's name makes a readable key; a name that cannot be a key, or that another
        // project's action has, would lose the action.
        CString key = project.m_name;
        key.MakeUpper();
        if (!IsIdentifier(key) || usedKeys.count(key.GetString()) != 0)
            key = NewActionKey();
        usedKeys.insert(key.GetString());

        CString target;
        target.Format(L"INSTALLAction%d", number);
        result = InsertRow(view, action, {key, kDeferredDllAction, binaryKey, target});
        if (result != ERROR_SUCCESS)
            return result;
        // Runs while the setup program's component is being installed (local 3, from source 4).
        result = InsertRow(view, sequence, {key, L"$C_" + setup->m_id + L">2", kFirstInstallSequence + number});
        if (result != ERROR_SUCCESS)
            return result;
        ++number;
    }

    const CString uninstallKey = NewActionKey();
    result = InsertRow(view, action, {uninstallKey, kDeferredDllAction, binaryKey, L"UNINSTALLAction"});
    if (result != ERROR_SUCCESS)
        return result;
    return InsertRow(view, sequence,
                     {uninstallKey, L"REMOVE~=\"ALL\" AND ProductState <> 1", kUninstallSequence});
}
