// A small program that behaves like a setup wizard, for the tests of the replay engine, the
// installation monitor and the custom-action library. Standalone Win32 code (no project headers):
// it is also built for i686 as a data file.
//
// Switches (values may be quoted: /install:"C:\Program Files\App"):
//   /result:<file>     where the result file goes (default %TEMP%\setupprog-result.txt)
//   /exitcode:<n>      exit code when the wizard finishes or is closed (default 0; Cancel gives 1602)
//   /silent            no window: do the install or uninstall work at once and end
//   /twin              show a second, identical wizard dialog beside the first
//   /children:<n>      start n copies of this program that wait without a window (/hang)
//   /hang              show nothing and never end
//   /lock:<file>       hold the file open with no sharing until the program ends
//   /install:<folder>  on finishing: write files, a shortcut, HKCU and HKLM values and an
//                      Uninstall entry whose UninstallString runs this program with /uninstall
//   /uninstall:<folder> remove what /install made (without a window); run from inside that folder
//                      it hands over to a copy of itself in %TEMP% and ends at once, the copy
//                      finishing the removal after it (/waitfor:<pid>)
//   /regvalue:<root>|<key>|<name>|<type>|<data>
//                      with /install, also write this registry value (the switch may repeat; the
//                      uninstall does not remove it). root: HKCU, HKLM (this program's own view),
//                      HKLM64 or HKLM32 (that view of HKLM); name empty for the default value;
//                      type and data: sz, expand (text), multi (the strings, each "|" one more),
//                      dword (decimal), binary (hexadecimal digits). Result key regvalues: how
//                      many were written.
//
// Started without any argument, it takes its switches from the environment variable
// TARNWICK_SETUPPROG_SWITCHES when that is set (same syntax as the command line): a program that
// starts it bare, as the installation monitor does, can still be told what to do by whoever starts
// that program, since the variable is inherited. Result key switches: "environment" then.
//
// The result file is UTF-8 text, one key=value per line. It is written when the program starts
// (state=running) and again when it ends (state=ended), so a test can read what happened after the
// process is gone. Keys: state, exitcode, commandline, workingfolder, desktop, page, and for the
// wizard clicks.<button> (next, cancel, browse, yes, no, agree, typical, custom), name,
// destination, agree, typical, custom, language, folders, folders.index, components,
// components.index, feature.<item text> (0 unchecked, 1 checked), installed, uninstalled.

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <map>
#include <string>
#include <vector>

#include "SetupProgIds.h"

namespace {

const wchar_t* const kUninstallKey = kSetupProgUninstallKey;
const wchar_t* const kProductKey = kSetupProgProductKey;
const int kPageCount = 3;
const DWORD kCancelExitCode = 1602;

struct Options {
    std::wstring resultFile;
    DWORD exitCode = 0;
    bool silent = false;
    bool twin = false;
    bool hang = false;
    int children = 0;
    std::wstring lockFile;
    std::wstring installFolder;
    std::wstring uninstallFolder;
    DWORD waitFor = 0; // process id the uninstaller's temporary copy waits for
    std::vector<std::wstring> registryValues; // /regvalue arguments, in order
};

Options g_options;
std::map<std::string, std::string> g_result;
std::map<std::string, int> g_clicks;
HINSTANCE g_instance = nullptr;
HWND g_mainDialog = nullptr;

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring ModulePath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data());
}

bool StartsWithSwitch(const std::wstring& arg, const wchar_t* name, std::wstring& value)
{
    std::wstring prefix = std::wstring(L"/") + name;
    if (arg.size() < prefix.size() || CompareStringOrdinal(arg.c_str(), static_cast<int>(prefix.size()),
                                                           prefix.c_str(), -1, TRUE) != CSTR_EQUAL)
        return false;
    if (arg.size() == prefix.size()) {
        value.clear();
        return true;
    }
    if (arg[prefix.size()] != L':')
        return false;
    value = arg.substr(prefix.size() + 1);
    return true;
}

void ParseOptions()
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count <= 1) {
        wchar_t switches[4096] = {};
        const DWORD length = GetEnvironmentVariableW(kSetupProgSwitchesVariable, switches, 4096);
        if (length > 0 && length < 4096) {
            // Any first word stands for the program name, which CommandLineToArgvW expects.
            const std::wstring line = std::wstring(L"setupprog ") + switches;
            LocalFree(args);
            args = CommandLineToArgvW(line.c_str(), &count);
            g_result["switches"] = "environment";
        }
    }
    for (int i = 1; args && i < count; ++i) {
        std::wstring arg = args[i];
        std::wstring value;
        if (StartsWithSwitch(arg, L"result", value))
            g_options.resultFile = value;
        else if (StartsWithSwitch(arg, L"exitcode", value))
            g_options.exitCode = static_cast<DWORD>(wcstoul(value.c_str(), nullptr, 10));
        else if (StartsWithSwitch(arg, L"silent", value))
            g_options.silent = true;
        else if (StartsWithSwitch(arg, L"twin", value))
            g_options.twin = true;
        else if (StartsWithSwitch(arg, L"hang", value))
            g_options.hang = true;
        else if (StartsWithSwitch(arg, L"children", value))
            g_options.children = _wtoi(value.c_str());
        else if (StartsWithSwitch(arg, L"lock", value))
            g_options.lockFile = value;
        else if (StartsWithSwitch(arg, L"install", value))
            g_options.installFolder = value;
        else if (StartsWithSwitch(arg, L"uninstall", value))
            g_options.uninstallFolder = value;
        else if (StartsWithSwitch(arg, L"waitfor", value))
            g_options.waitFor = static_cast<DWORD>(wcstoul(value.c_str(), nullptr, 10));
        else if (StartsWithSwitch(arg, L"regvalue", value))
            g_options.registryValues.push_back(value);
    }
    LocalFree(args);
    if (g_options.resultFile.empty()) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        g_options.resultFile = std::wstring(temp) + L"setupprog-result.txt";
    }
}

void WriteResult(const char* state)
{
    g_result["state"] = state;
    for (const auto& click : g_clicks)
        g_result["clicks." + click.first] = std::to_string(click.second);
    std::string text;
    for (const auto& entry : g_result)
        text += entry.first + "=" + entry.second + "\r\n";
    // Written to a side file and moved over, so a reader never sees half a file.
    std::wstring partial = g_options.resultFile + L".partial";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(partial.c_str(), g_options.resultFile.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void RecordStart()
{
    g_result["commandline"] = ToUtf8(GetCommandLineW());
    wchar_t folder[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH + 1, folder);
    g_result["workingfolder"] = ToUtf8(folder);
    wchar_t desktop[256] = {};
    DWORD needed = 0;
    GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop, sizeof(desktop), &needed);
    g_result["desktop"] = ToUtf8(desktop);
    g_result["exitcode"] = std::to_string(g_options.exitCode);
    WriteResult("running");
}

[[noreturn]] void Finish(DWORD exitCode)
{
    g_result["exitcode"] = std::to_string(exitCode);
    WriteResult("ended");
    ExitProcess(exitCode);
}

void StartChildren()
{
    std::wstring self = ModulePath();
    for (int i = 0; i < g_options.children; ++i) {
        std::wstring line = L"\"" + self + L"\" /hang";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    g_result["children"] = std::to_string(g_options.children);
}

// ---- install and uninstall ----

bool WriteTextFile(const std::wstring& path, const char* text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE;
}

std::wstring ShortcutFolder()
{
    wchar_t programs[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    return std::wstring(programs) + L"\\Test Setup";
}

bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target)
{
    bool ok = false;
    HRESULT init = CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        link->SetDescription(L"Test application");
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            ok = SUCCEEDED(persist->Save(linkPath.c_str(), TRUE));
            persist->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return ok;
}

bool SetStringValue(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

// Writes the value one /regvalue argument describes; false when it is malformed or cannot be written.
bool WriteRegistryValue(const std::wstring& text)
{
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t bar = text.find(L'|', start);
        if (bar == std::wstring::npos)
            return false;
        fields.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    const std::wstring data = text.substr(start);
    const std::wstring& root = fields[0];
    HKEY rootKey = HKEY_LOCAL_MACHINE;
    REGSAM view = 0;
    if (root == L"HKCU")
        rootKey = HKEY_CURRENT_USER;
    else if (root == L"HKLM64")
        view = KEY_WOW64_64KEY;
    else if (root == L"HKLM32")
        view = KEY_WOW64_32KEY;
    else if (root != L"HKLM")
        return false;

    const std::wstring& type = fields[3];
    DWORD registryType = REG_SZ;
    std::vector<BYTE> bytes;
    auto appendText = [&bytes](const std::wstring& text) {
        const BYTE* first = reinterpret_cast<const BYTE*>(text.c_str());
        bytes.insert(bytes.end(), first, first + (text.size() + 1) * sizeof(wchar_t));
    };
    if (type == L"sz" || type == L"expand") {
        registryType = type == L"sz" ? REG_SZ : REG_EXPAND_SZ;
        appendText(data);
    } else if (type == L"multi") {
        registryType = REG_MULTI_SZ;
        size_t from = 0;
        for (;;) {
            const size_t bar = data.find(L'|', from);
            appendText(data.substr(from, bar == std::wstring::npos ? std::wstring::npos : bar - from));
            if (bar == std::wstring::npos)
                break;
            from = bar + 1;
        }
        appendText(L"");
    } else if (type == L"dword") {
        registryType = REG_DWORD;
        const DWORD number = static_cast<DWORD>(wcstoul(data.c_str(), nullptr, 10));
        const BYTE* first = reinterpret_cast<const BYTE*>(&number);
        bytes.assign(first, first + sizeof(number));
    } else if (type == L"binary") {
        registryType = REG_BINARY;
        for (size_t i = 0; i + 1 < data.size(); i += 2)
            bytes.push_back(static_cast<BYTE>(wcstoul(data.substr(i, 2).c_str(), nullptr, 16)));
    } else {
        return false;
    }

    HKEY key = nullptr;
    if (RegCreateKeyExW(rootKey, fields[1].c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(key, fields[2].empty() ? nullptr : fields[2].c_str(), 0, registryType,
                                       bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Lays down a small application the way real setup programs do, uninstaller copy included.
bool Install(const std::wstring& folder)
{
    bool ok = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS ||
              GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
    ok = ok && WriteTextFile(folder + L"\\readme.txt", "Test application\r\n");
    ok = ok && WriteTextFile(folder + L"\\app.dat", "data\r\n");
    std::wstring uninstaller = folder + L"\\unins000.exe";
    ok = ok && CopyFileW(ModulePath().c_str(), uninstaller.c_str(), FALSE);
    std::wstring links = ShortcutFolder();
    SHCreateDirectoryExW(nullptr, links.c_str(), nullptr);
    ok = ok && CreateShortcut(links + L"\\Test App.lnk", folder + L"\\readme.txt");
    ok = ok && SetStringValue(HKEY_CURRENT_USER, kProductKey, L"InstallFolder", folder);
    ok = ok && SetStringValue(HKEY_LOCAL_MACHINE, kProductKey, L"Version", L"1.0");
    ok = ok && SetStringValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"Tarnwick Test Setup");
    ok = ok && SetStringValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString",
                              L"\"" + uninstaller + L"\" /uninstall:\"" + folder + L"\"");
    ok = ok && SetStringValue(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString",
                              L"\"" + uninstaller + L"\" /uninstall:\"" + folder + L"\" /silent");
    int written = 0;
    for (const std::wstring& value : g_options.registryValues)
        written += WriteRegistryValue(value) ? 1 : 0;
    ok = ok && written == static_cast<int>(g_options.registryValues.size());
    g_result["regvalues"] = std::to_string(written);
    g_result["installed"] = ok ? "1" : "0";
    return ok;
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder)
{
    std::wstring prefix = folder;
    if (!prefix.empty() && prefix.back() != L'\\')
        prefix += L'\\';
    return path.size() > prefix.size() &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// An uninstaller cannot delete its own file while it runs: started from the installed folder, it
// hands the work to a copy of itself in the temporary folder and ends; the copy waits for it to be
// gone, then removes everything. So, as with real uninstallers, the removal finishes shortly after
// the process that was started has ended.
DWORD HandOverToTemporaryCopy()
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring copy = std::wstring(temp) + L"setupprog-uninstall-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    if (!CopyFileW(ModulePath().c_str(), copy.c_str(), FALSE))
        return GetLastError();
    std::wstring line = L"\"" + copy + L"\" /uninstall:\"" + g_options.uninstallFolder + L"\" /result:\"" +
                        g_options.resultFile + L"\" /exitcode:" + std::to_wstring(g_options.exitCode) +
                        L" /waitfor:" + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, temp, &startup, &process))
        return GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

// The folder goes last: a caller waiting for it to vanish then finds everything else gone too.
void Uninstall(const std::wstring& folder)
{
    RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kProductKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    std::wstring links = ShortcutFolder();
    DeleteFileW((links + L"\\Test App.lnk").c_str());
    RemoveDirectoryW(links.c_str());
    DeleteFileW((folder + L"\\readme.txt").c_str());
    DeleteFileW((folder + L"\\app.dat").c_str());
    DeleteFileW((folder + L"\\unins000.exe").c_str());
    RemoveDirectoryW(folder.c_str());
    bool gone = GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
    g_result["uninstalled"] = gone ? "1" : "0";
}

// ---- the wizard ----

struct Wizard {
    HWND page = nullptr;
    int step = 1;
    bool primary = false;
};

void FillControls(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, IDC_LANGUAGE);
    for (const wchar_t* language : {L"English", L"French", L"German"})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(language));

    HWND folders = GetDlgItem(dialog, IDC_FOLDERS);
    for (const wchar_t* folder : {L"Program Files", L"Desktop", L"Start Menu", L"Documents"})
        SendMessageW(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder));

    HWND list = GetDlgItem(dialog, IDC_COMPONENTS);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 200;
    column.pszText = const_cast<wchar_t*>(L"Component");
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    int index = 0;
    for (const wchar_t* component : {L"Core files", L"Help files", L"Examples"}) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = index++;
        item.pszText = const_cast<wchar_t*>(component);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }

    // Check boxes must be switched on after creation for the state images to exist.
    HWND tree = GetDlgItem(dialog, IDC_FEATURES);
    SetWindowLongW(tree, GWL_STYLE, GetWindowLongW(tree, GWL_STYLE) | TVS_CHECKBOXES);
    auto add = [tree](HTREEITEM parent, const wchar_t* text) {
        TVINSERTSTRUCTW insert = {};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(text);
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    };
    HTREEITEM main = add(TVI_ROOT, L"Main program");
    add(main, L"Plug-ins");
    add(main, L"Themes");
    add(TVI_ROOT, L"Documentation");
    add(TVI_ROOT, L"Samples");
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(main));
}

void CollectTreeStates(HWND tree, HTREEITEM item)
{
    for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        wchar_t text[100] = {};
        TVITEMW data = {};
        data.mask = TVIF_TEXT | TVIF_STATE;
        data.hItem = item;
        data.stateMask = TVIS_STATEIMAGEMASK;
        data.pszText = text;
        data.cchTextMax = 100;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        g_result["feature." + ToUtf8(text)] = ((data.state >> 12) == 2) ? "1" : "0";
        CollectTreeStates(tree, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))));
    }
}

void CollectState(HWND dialog, Wizard& wizard)
{
    g_result["page"] = std::to_string(wizard.step);
    g_result["name"] = ToUtf8(WindowText(GetDlgItem(dialog, IDC_NAME)));
    g_result["destination"] = ToUtf8(WindowText(GetDlgItem(wizard.page, IDC_DESTINATION)));
    g_result["agree"] = std::to_string(IsDlgButtonChecked(dialog, IDC_AGREE));
    g_result["typical"] = std::to_string(IsDlgButtonChecked(dialog, IDC_TYPICAL));
    g_result["custom"] = std::to_string(IsDlgButtonChecked(dialog, IDC_CUSTOM));

    HWND combo = GetDlgItem(dialog, IDC_LANGUAGE);
    LRESULT language = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    wchar_t text[260] = {};
    if (language >= 0)
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(language), reinterpret_cast<LPARAM>(text));
    g_result["language"] = ToUtf8(text);

    HWND folders = GetDlgItem(dialog, IDC_FOLDERS);
    LRESULT folder = SendMessageW(folders, LB_GETCURSEL, 0, 0);
    text[0] = 0;
    if (folder >= 0)
        SendMessageW(folders, LB_GETTEXT, static_cast<WPARAM>(folder), reinterpret_cast<LPARAM>(text));
    g_result["folders"] = ToUtf8(text);
    g_result["folders.index"] = std::to_string(folder);

    HWND list = GetDlgItem(dialog, IDC_COMPONENTS);
    LRESULT component = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    text[0] = 0;
    if (component >= 0) {
        LVITEMW item = {};
        item.pszText = text;
        item.cchTextMax = 260;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(component), reinterpret_cast<LPARAM>(&item));
    }
    g_result["components"] = ToUtf8(text);
    g_result["components.index"] = std::to_string(component);

    HWND tree = GetDlgItem(dialog, IDC_FEATURES);
    CollectTreeStates(tree, reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
}

void End(HWND dialog, DWORD exitCode)
{
    Wizard* wizard = reinterpret_cast<Wizard*>(GetWindowLongPtrW(dialog, DWLP_USER));
    HWND primary = g_mainDialog ? g_mainDialog : dialog;
    Wizard* primaryWizard = reinterpret_cast<Wizard*>(GetWindowLongPtrW(primary, DWLP_USER));
    CollectState(primary, primaryWizard ? *primaryWizard : *wizard);
    Finish(exitCode);
}

INT_PTR CALLBACK ConfirmProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDYES || LOWORD(wParam) == IDNO)) {
        ++g_clicks[LOWORD(wParam) == IDYES ? "yes" : "no"];
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    if (message == WM_CLOSE) {
        EndDialog(dialog, IDNO);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_BROWSE && HIWORD(wParam) == BN_CLICKED) {
        ++g_clicks["browse"];
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK WizardProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    Wizard* wizard = reinterpret_cast<Wizard*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        wizard = reinterpret_cast<Wizard*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(wizard));
        FillControls(dialog);
        RECT frame = {};
        GetWindowRect(GetDlgItem(dialog, IDC_PAGEFRAME), &frame);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
        wizard->page = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(IDD_PAGE), dialog, PageProc, 0);
        SetWindowPos(wizard->page, nullptr, frame.left, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        if (id == IDC_AGREE || id == IDC_TYPICAL || id == IDC_CUSTOM) {
            ++g_clicks[id == IDC_AGREE ? "agree" : id == IDC_TYPICAL ? "typical" : "custom"];
            return TRUE;
        }
        if (id == IDC_NEXT) {
            ++g_clicks["next"];
            if (wizard->step == kPageCount) {
                if (!g_options.installFolder.empty())
                    Install(g_options.installFolder);
                End(dialog, g_options.exitCode);
            }
            ++wizard->step;
            wchar_t text[32];
            wsprintfW(text, L"Step %d of %d", wizard->step, kPageCount);
            SetDlgItemTextW(dialog, IDC_STEP, text);
            if (wizard->step == kPageCount)
                SetDlgItemTextW(dialog, IDC_NEXT, L"Finish");
            return TRUE;
        }
        if (id == IDCANCEL) {
            ++g_clicks["cancel"];
            if (DialogBoxParamW(g_instance, MAKEINTRESOURCEW(IDD_CONFIRM), dialog, ConfirmProc, 0) == IDYES)
                End(dialog, kCancelExitCode);
            return TRUE;
        }
        return FALSE;
    }
    case WM_CLOSE:
        // A test closes the wizard this way to collect its state without pressing anything.
        End(dialog, g_options.exitCode);
    }
    return FALSE;
}

void RunWizard()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    static Wizard first;
    static Wizard second;
    first.primary = true;
    g_mainDialog = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, WizardProc,
                                      reinterpret_cast<LPARAM>(&first));
    if (!g_mainDialog)
        Finish(GetLastError());
    if (g_options.twin) {
        HWND twin = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, WizardProc,
                                       reinterpret_cast<LPARAM>(&second));
        RECT rect = {};
        GetWindowRect(g_mainDialog, &rect);
        SetWindowPos(twin, nullptr, rect.left + 40, rect.top + 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(GetActiveWindow(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    End(g_mainDialog, g_options.exitCode);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    g_instance = instance;
    ParseOptions();
    if (g_options.hang) {
        Sleep(INFINITE);
        return 0;
    }
    RecordStart();
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (!g_options.lockFile.empty())
        lock = CreateFileW(g_options.lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    (void)lock; // held until the process ends
    StartChildren();

    if (!g_options.uninstallFolder.empty()) {
        if (IsInsideFolder(ModulePath(), g_options.uninstallFolder))
            ExitProcess(HandOverToTemporaryCopy());
        if (g_options.waitFor) {
            HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, g_options.waitFor);
            if (parent) {
                WaitForSingleObject(parent, 30000);
                CloseHandle(parent);
            }
        }
        Uninstall(g_options.uninstallFolder);
        Finish(g_options.exitCode);
    }
    if (g_options.silent) {
        if (!g_options.installFolder.empty() && !Install(g_options.installFolder))
            Finish(1603);
        Finish(g_options.exitCode);
    }
    RunWizard();
    return 0;
}
