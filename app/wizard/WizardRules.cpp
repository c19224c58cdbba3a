#include "app/wizard/WizardRules.h"

#include "app/NodeData.h"

#include "engine/files/PathHelpers.h"
#include "engine/files/WideBuffer.h"
#include "engine/storage/PackageFile.h"

namespace {

constexpr wchar_t kTempRoot[] = L"Temp\\";

// The maker header of the start and parameters pages (tabs as in the stored form).
constexpr wchar_t kHeaderTemplate[] =
    L"<Border >\t\t\t<StackPanel Orientation='Horizontal'>\t\t\t<Image Source='12'/>\t\t\t<TextBlock  "
    L"Padding='5, 3, 1, 1' >%s <Hyperlink Tag='%s'>%s</Hyperlink></TextBlock>\t\t\t </StackPanel>\t\t\t "
    L"</Border>";

constexpr wchar_t kHelpTemplate[] =
    L"<Border Background='White' >\t<ScrollViewer><StackPanel>\t<TextBlock  Padding='2, 2, 2, 2' "
    L"FontWeight='Bold'>%s <Hyperlink Tag='%s'>%s</Hyperlink></TextBlock>\t<TextBlock  Padding='2, 2, 2, 2' "
    L">%s</TextBlock>\t </StackPanel>\t </ScrollViewer></Border>";

CString FileNameOf(const CString& path)
{
    const int slash = path.ReverseFind(L'\\');
    return slash < 0 ? path : path.Mid(slash + 1);
}

bool StartsWithNoCase(const CString& text, const wchar_t* prefix)
{
    const int length = static_cast<int>(wcslen(prefix));
    return text.GetLength() >= length && text.Left(length).CompareNoCase(prefix) == 0;
}

} // namespace

bool CreatePackageExactly(const CString& name, const CString& location, CProjects& projects)
{
    if (!IsValidPackageName(name))
        return false;
    const CString folder = NewPackageFolder(location, name);
    CString path;
    path.Format(L"%s\\%s.tkpj", folder.GetString(), name.GetString());
    if (folder.GetLength() <= name.GetLength() + 1 || path.GetLength() >= MAX_PATH)
        return false;
    // the folder may hold what a monitoring run captured, but never another package's file
    if (::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    CProjectSettings package;
    package.m_productName = name;
    package.m_outputFolder = folder;
    package.m_outputFileName.Format(L"%s.msi", name.GetString());
    if (CreateDirectoryTree(folder) != 0 || SavePackageFile(path, package) != 1)
        return false;
    projects.Add(package);
    projects.m_packagePaths.Add(path);
    return true;
}

CString ProposedProjectName(const CString& installerPath)
{
    const CString name = FileNameOf(installerPath);
    const int dot = name.ReverseFind(L'.');
    return dot < 0 ? CString() : name.Left(dot);
}

CString MakeUniqueProjectName(const CString& name, int packageChoice, const CProjects& projects)
{
    if (packageChoice == kNewPackageChoice)
        return MakeUniquePackageName(name, projects);
    if (packageChoice > 0 && packageChoice <= projects.GetSize())
        return projects[packageChoice - 1].m_projects.MakeUniqueName(name);
    return name;
}

CString NewPackageFolder(const CString& location, const CString& uniqueName)
{
    CString folder = location;
    TrimTrailingBackslashes(folder);
    CString path;
    path.Format(L"%s\\%s", folder.GetString(), uniqueName.GetString());
    return path;
}

DWORD AddInstallerToProject(CFeature& project, const CString& installerPath)
{
    CFileEntries& files = project.m_files;
    files.RemoveUnderPath(kTempRoot);
    CFileEntry root;
    root.m_kind = CFileEntry::kindRoot;
    root.m_path = kTempRoot;
    files.Add(root);
    CFileEntry file;
    file.m_kind = CFileEntry::kindFile;
    file.m_sourcePath = installerPath;
    file.m_path.Format(L"Temp\\%s", FileNameOf(installerPath).GetString());
    const DWORD error = file.ReadFileAttributes();
    files.Add(file);
    project.m_installerPath = files.GetPathBySourcePath(installerPath);
    return error;
}

CString EscapeMarkupText(const CString& text)
{
    CString escaped;
    for (int i = 0; i < text.GetLength(); ++i) {
        switch (const wchar_t c = text[i]) {
        case L'&': escaped += L"&amp;"; break;
        case L'<': escaped += L"&lt;"; break;
        case L'>': escaped += L"&gt;"; break;
        case L'\'': escaped += L"&apos;"; break;
        case L'"': escaped += L"&quot;"; break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

CString MakeWizardHeaderMarkup(const CString& makerName, const CString& webAddress)
{
    const CString name = EscapeMarkupText(makerName);
    const CString web = EscapeMarkupText(webAddress);
    CString markup;
    markup.Format(kHeaderTemplate, name.GetString(), web.GetString(), web.GetString());
    return markup;
}

CString MakeArgsHelpMarkup(const CString& makerName, const CString& webAddress, const CString& help,
                           bool helpIsMarkup)
{
    const CString name = EscapeMarkupText(makerName);
    const CString web = EscapeMarkupText(webAddress);
    const CString body = helpIsMarkup ? help : EscapeMarkupText(help);
    CString markup;
    markup.Format(kHelpTemplate, name.GetString(), web.GetString(), web.GetString(), body.GetString());
    return markup;
}

bool IsWebAddressTag(const CString& tag)
{
    CString text = tag;
    text.Trim();
    return StartsWithNoCase(text, L"http://") || StartsWithNoCase(text, L"https://") ||
           StartsWithNoCase(text, L"www.");
}

bool AppendSwitch(CString& arguments, const CString& tag)
{
    CString item = tag;
    item.Trim();
    if (item.IsEmpty() || arguments.Find(item) >= 0)
        return false;
    CString current = arguments;
    current.Trim();
    if (!current.IsEmpty())
        arguments += L' ';
    arguments += item;
    return true;
}

bool IsValidOutputFileName(const CString& name)
{
    return name.FindOneOf(L"\\/*:?\"<>|") < 0;
}

const wchar_t* FinishTextForMode(int mode)
{
    switch (mode) {
    case CFeature::modeGuiScript:
        return L"Click Finish button to create the Project.\nThen You can start the Script recording process by "
               L"clicking on the Record Script button.";
    case CFeature::modeCommandLine:
        return L"Click Finish button to create the Project";
    default:
        return nullptr;
    }
}

NewProjectResult AddWizardProject(const CFeature& project, int packageChoice, const CString& location,
                                  const CString& packageName, CProjects& projects)
{
    NewProjectResult result;
    int package = packageChoice - 1;
    if (packageChoice == kNewPackageChoice) {
        CString text;
        if (!HasRoomForPackage(projects, &text)) {
            result.message = text;
            return result;
        }
        // another package may have taken the name since the start page: making it unique again
        // here would give another folder than the one the wizard prepared
        if (MakeUniquePackageName(packageName, projects) != packageName) {
            result.message.Format(L"A package named \"%s\" exists already. The project was not added.",
                                  packageName.GetString());
            return result;
        }
        const int before = static_cast<int>(projects.GetSize());
        if (!CreatePackageExactly(packageName, location, projects)) {
            result.message.Format(L"The package \"%s\" could not be created in\n%s\nThe project was not added.",
                                  packageName.GetString(), location.GetString());
            return result;
        }
        package = before;
        result.createdPackage = true;
    }
    if (package < 0 || package >= projects.GetSize()) {
        result.message = L"The package chosen for the project is no longer in the list.";
        return result;
    }
    if (!HasRoomForProject(projects[package], &result.message))
        return result;
    result.projectIndex = static_cast<int>(projects[package].m_projects.Add(project));
    result.packageIndex = package;
    result.added = true;
    return result;
}
