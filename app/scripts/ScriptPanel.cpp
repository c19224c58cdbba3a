#include "app/scripts/ScriptPanel.h"

#include "app/files/FilePickers.h"
#include "app/monitor/UninstallerDialog.h"
#include "app/scripts/FinderDlg.h"
#include "app/scripts/ScriptActionDialog.h"
#include "app/wizard/ArgsDialog.h"
#include "app/wizard/WizardRules.h"

#include "engine/detection/ParseManifest.h"
#include "engine/model/MsgAction.h"
#include "engine/replay/JobProcess.h"

#include "framework/ResourceHandle.h"
#include "framework/window/Gdi.h"
#include "framework/window/Menu.h"
#include "framework/window/WinApp.h"

#include "resources/app/AppResource.h"
#include "resources/app/ScriptsResource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kInvalidInstallerPath[] = L"Invalid installer path. Please, select the installer file.";
constexpr wchar_t kInvalidUninstallerPath[] = L"Invalid uninstaller path.";
constexpr wchar_t kPlayPickQuestion[] = L"Please, select program to uninstall";
constexpr wchar_t kRecordPickQuestion[] = L"Please, select the program to uninstall.";
constexpr wchar_t kAutodetect[] = L"autodetect";

constexpr int kActionColumnWidth = 450;
constexpr int kResultColumnWidth = 240;
// The row images are drawn on white, which is their transparent colour.
constexpr COLORREF kImageMask = RGB(255, 255, 255);
// The buttons' alignment bits, and left alignment among them.
constexpr LONG kButtonAlignMask = 0xF00;
constexpr LONG kButtonAlignLeft = 0x100;

bool IsExistingFile(const CString& path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return !path.IsEmpty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What the test thread is started with; the thread deletes it.
struct TestThreadArgs {
    std::shared_ptr<CScriptTestRun> run;
    HWND panel;    // not owned: told through posted messages only, so a panel gone meanwhile is no harm
};

} // namespace

IMPLEMENT_DYNAMIC(CScriptPanel, CResizeDialog)

BEGIN_MESSAGE_MAP(CScriptPanel, AppResizeDialog)
    ON_WM_TIMER()
    ON_COMMAND(IDC_SCRIPT_BROWSE, OnBrowseSetup)
    ON_COMMAND(IDC_SCRIPT_ARGUMENTS_BUTTON, OnArguments)
    ON_COMMAND(IDC_SCRIPT_RECORD, OnRecord)
    ON_COMMAND(IDC_SCRIPT_PLAY, OnPlay)
    ON_COMMAND(ID_SCRIPT_EDIT_STEP, EditSelectedStep)
    ON_COMMAND(ID_SCRIPT_DELETE_STEP, DeleteSelectedStep)
    ON_NOTIFY(LVN_GETDISPINFOW, IDC_SCRIPT_STEPS, OnGetDispInfo)
    ON_NOTIFY(NM_DBLCLK, IDC_SCRIPT_STEPS, OnListDblClk)
    ON_NOTIFY(LVN_KEYDOWN, IDC_SCRIPT_STEPS, OnListKeyDown)
    ON_NOTIFY(NM_RCLICK, IDC_SCRIPT_STEPS, OnListRightClick)
    ON_MESSAGE(kStepReported, OnStepReported)
    ON_MESSAGE(kTestEnded, OnTestEnded)
END_MESSAGE_MAP()

CScriptPanel::CScriptPanel(CProjects& projects) : AppResizeDialog(IDD_SCRIPT_PANEL), m_projects(projects)
{
    m_open = [](const CString& address) {
        ::ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
    };
    m_save = [this] { return SaveDataFile(GetDataFilePath(), m_projects); };
}

CScriptPanel::~CScriptPanel()
{
    if (m_run)
        m_run->Cancel();
    // the thread only posts to the window, but its engine may still be acting on the setup program
    if (m_testThread)
        ::WaitForSingleObject(m_testThread.Get(), INFINITE);
}

BOOL CScriptPanel::CreatePanel(CWnd* parent)
{
    return Create(m_lpszTemplateName, parent);
}

BOOL CScriptPanel::OnInitDialog()
{
    AppResizeDialog::OnInitDialog();
    SetOptionFlags(kNoSizeGripper);
    SetControlAnchors(IDC_SCRIPT_GROUP, 0, 0, 1, 0);
    SetControlAnchors(IDC_SCRIPT_SETUP_PATH, 0, 0, 1, 0);
    SetControlAnchors(IDC_SCRIPT_BROWSE, 1, 0, 1, 0);
    SetControlAnchors(IDC_SCRIPT_ARGUMENTS, 0, 0, 1, 0);
    SetControlAnchors(IDC_SCRIPT_ARGUMENTS_BUTTON, 1, 0, 1, 0);
    SetControlAnchors(IDC_SCRIPT_STEPS, 0, 0, 1, 1);
    m_header.SetClickHandler([this](const CString& tag) { OnHyperlinkClick(tag); });

    // the buttons show their icon on the left, before the caption
    m_recordIcon = static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SCRIPT_RECORD),
                                                   IMAGE_ICON, 16, 16, LR_SHARED));
    m_playIcon = static_cast<HICON>(::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_SCRIPT_PLAY),
                                                 IMAGE_ICON, 16, 16, LR_SHARED));
    for (auto [button, icon] : {std::pair{&m_recordButton, m_recordIcon}, std::pair{&m_playButton, m_playIcon}}) {
        if (!button->m_hWnd)
            continue;
        button->SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        const LONG style = ::GetWindowLongW(button->m_hWnd, GWL_STYLE);
        ::SetWindowLongW(button->m_hWnd, GWL_STYLE, (style & ~kButtonAlignMask) | kButtonAlignLeft);
        button->Invalidate();
    }

    m_list.InsertColumn(0, L"Action", LVCFMT_LEFT, kActionColumnWidth);
    m_list.InsertColumn(1, L"Result", LVCFMT_LEFT, kResultColumnWidth);
    if (m_images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 0, 2)) {
        for (UINT id : {IDB_SCRIPT_CLICK, IDB_SCRIPT_SELECT, IDB_SCRIPT_SET_TEXT}) {
            CBitmap bitmap;
            if (bitmap.LoadBitmap(id))
                m_images.Add(&bitmap, kImageMask);
        }
        m_list.SetImageList(&m_images, LVSIL_SMALL);
    }
    SetTimer(kRedrawTimer, kRedrawPeriodMs);
    return TRUE;
}

void CScriptPanel::DoDataExchange(CDataExchange* pDX)
{
    AppResizeDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SCRIPT_HEADER, m_header);
    DDX_Control(pDX, IDC_SCRIPT_RECORD, m_recordButton);
    DDX_Control(pDX, IDC_SCRIPT_PLAY, m_playButton);
    DDX_Control(pDX, IDC_SCRIPT_STEPS, m_list);
    if (!m_project)
        return;
    if (m_mode == kUninstallScriptMode) {
        // the uninstaller is found when the package is removed: nothing to store here
        CString autodetect = kAutodetect;
        DDX_Text(pDX, IDC_SCRIPT_SETUP_PATH, autodetect);
        DDX_Text(pDX, IDC_SCRIPT_ARGUMENTS, m_project->m_uninstallArguments);
    } else {
        DDX_Text(pDX, IDC_SCRIPT_SETUP_PATH, m_project->m_installerPath);
        DDX_Text(pDX, IDC_SCRIPT_ARGUMENTS, m_project->m_installerArguments);
    }
    if (!pDX->m_bSaveAndValidate)
        UpdateHeader();
}

void CScriptPanel::SetScript(CFeature* project, int mode, CProjectSettings* package)
{
    m_project = project;
    m_package = package;
    m_mode = mode;
    if (!m_project || !m_hWnd)
        return;
    if (!m_project->m_files.FindByPath(m_project->m_installerPath))
        m_project->m_installerPath.Empty();
    const bool install = m_mode != kUninstallScriptMode;
    SetDlgItemText(IDC_SCRIPT_GROUP, install ? L"Installer" : L"UnInstaller");
    for (int id : {IDC_SCRIPT_SETUP_PATH, IDC_SCRIPT_BROWSE})
        if (CWnd* control = GetDlgItem(id))
            control->EnableWindow(install);
    SetRowCount();
    // a test of another script still runs: these stay refused until it ends
    SetTestButtons(!IsTesting());
    UpdateData(FALSE);
}

void CScriptPanel::Release()
{
    m_project = nullptr;
    m_package = nullptr;
    if (m_list.m_hWnd)
        m_list.SetItemCountEx(0, 0);
}

CMsgActions* CScriptPanel::ShownScript() const
{
    return ScriptOfMode(m_project, m_mode);
}

void CScriptPanel::SetRowCount()
{
    if (!m_list.m_hWnd)
        return;
    const CMsgActions* script = ShownScript();
    m_list.SetItemCountEx(script ? script->GetSize() : 0, LVSICF_NOSCROLL);
    m_list.Invalidate();
}

int CScriptPanel::SelectedRow() const
{
    if (!m_list.m_hWnd)
        return -1;
    const CMsgActions* script = ShownScript();
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    return script && row >= 0 && row < script->GetSize() ? row : -1;
}

CString CScriptPanel::ResolveSetupFile() const
{
    if (!m_project)
        return CString();
    return m_project->m_files.GetSourcePathOf(m_project->m_installerPath,
                                              m_package ? m_package->m_outputFolder : CString());
}

void CScriptPanel::UpdateHeader()
{
    if (!m_project)
        return;
    const CString setupFile = ResolveSetupFile();
    const bool exists = IsExistingFile(setupFile);
    CString makerName;
    CString webLink;
    bool recognised = false;
    if (exists) {
        CParseManifest maker;
        recognised = maker.Detect(setupFile) != 0;
        makerName = maker.m_strInstallerName;
        webLink = maker.m_strWebLink;
    }
    if (CWnd* arguments = GetDlgItem(IDC_SCRIPT_ARGUMENTS_BUTTON))
        arguments->EnableWindow(recognised);
    if (m_header.m_hWnd)
        m_header.SetMarkupText(MakeScriptHeaderMarkup(exists, makerName, webLink));
}

void CScriptPanel::OnHyperlinkClick(const CString& tag)
{
    // a Tag may come from the setup program's own manifest: only web addresses are opened, so a
    // header can never make the shell run a program
    if (!IsWebAddressTag(tag))
        return;
    CString address = tag;
    address.Trim();
    if (m_open)
        m_open(address);
}

void CScriptPanel::OnBrowseSetup()
{
    if (!m_project)
        return;
    CBrowseFilesDlg dialog(&m_project->m_files, L".exe", this);
    if (m_package)
        dialog.m_outputFolder = m_package->m_outputFolder;
    UpdateData(TRUE);
    dialog.m_selection = m_project->m_installerPath;
    if (dialog.DoModal() != IDOK)
        return;
    m_project->m_installerPath = dialog.m_selection;
    UpdateData(FALSE);
}

void CScriptPanel::OnArguments()
{
    if (!m_project)
        return;
    UpdateData(TRUE);
    const CString setupFile = ResolveSetupFile();
    if (!IsExistingFile(setupFile)) {
        AfxMessageBox(kInvalidInstallerPath, MB_OK);
        return;
    }
    CString& arguments = m_mode == kUninstallScriptMode ? m_project->m_uninstallArguments
                                                          : m_project->m_installerArguments;
    CArgsDialog dialog(this);
    dialog.m_path = setupFile;
    dialog.m_arguments = arguments;
    if (dialog.DoModal() != IDOK)
        return;
    arguments = dialog.m_arguments;
    UpdateData(FALSE);
}

DWORD CScriptPanel::StartSetupProgram(const CString& path, const CString& arguments)
{
    return ::StartSetupProgram(path, arguments);
}

void CScriptPanel::AskForSetupFile()
{
    if (AfxMessageBox(kInvalidInstallerPath, MB_OKCANCEL) == IDOK)
        OnBrowseSetup();
}

bool CScriptPanel::PickUninstallCommand(const wchar_t* question, CString& command)
{
    if (AfxMessageBox(question, MB_OKCANCEL) != IDOK)
        return false;
    CUninstallerDialog dialog(this);
    dialog.m_pickMode = TRUE;
    if (dialog.DoModal() != IDOK)
        return false;
    command = dialog.m_chosenCommand;
    return true;
}

bool CScriptPanel::RefuseWhileTesting()
{
    if (!IsTesting())
        return false;
    AfxMessageBox(kScriptBusyMessage, MB_OK | MB_ICONINFORMATION);
    return true;
}

bool CScriptPanel::StartShownSetup(const wchar_t* pickQuestion)
{
    if (m_mode == kUninstallScriptMode) {
        CString command;
        if (!PickUninstallCommand(pickQuestion, command))
            return false;
        // Play and Record alike: a command that cannot start is said so, rather than nothing
        // happening
        if (StartSetupProgram(command, m_project->m_uninstallArguments) != 0) {
            AfxMessageBox(kInvalidUninstallerPath, MB_OK);
            return false;
        }
        return true;
    }
    if (StartSetupProgram(ResolveSetupFile(), m_project->m_installerArguments) != 0) {
        AskForSetupFile();
        return false;
    }
    return true;
}

void CScriptPanel::OnPlay()
{
    if (!m_project || RefuseWhileTesting())
        return;
    UpdateData(TRUE);
    if (StartShownSetup(kPlayPickQuestion))
        StartTest();
}

bool CScriptPanel::StartTest()
{
    CMsgActions* script = ShownScript();
    if (IsTesting() || !script || !m_hWnd)
        return false;
    if (m_testThread) {
        // the last run posted its end already; its thread is at most returning
        ::WaitForSingleObject(m_testThread.Get(), INFINITE);
        m_testThread.Reset();
    }
    for (CMsgAction& step : *script)
        step.m_result.Empty();
    auto run = std::make_shared<CScriptTestRun>(m_project->m_id, m_mode, *script);
    auto* args = new TestThreadArgs{run, m_hWnd};
    DWORD threadId = 0;
    m_testThread.Reset(::CreateThread(nullptr, 0, TestThreadProc, args, 0, &threadId));
    if (!m_testThread) {
        delete args;
        return false;
    }
    m_run = std::move(run);
    m_testing = 1;
    SetTestButtons(false);
    m_list.Invalidate();
    return true;
}

DWORD WINAPI CScriptPanel::TestThreadProc(void* parameter)
{
    std::unique_ptr<TestThreadArgs> args(static_cast<TestThreadArgs*>(parameter));
    const HWND panel = args->panel;
    args->run->Play(true, [panel] { ::PostMessageW(panel, kStepReported, 0, 0); });
    ::PostMessageW(panel, kTestEnded, 0, 0);
    return 0;
}

void CScriptPanel::TakeTestReports()
{
    if (!m_run)
        return;
    const std::vector<int> written =
        ApplyTestReports(m_projects, m_run->ProjectId(), m_run->Mode(), m_run->TakeReports());
    if (written.empty() || !m_list.m_hWnd || !m_project || m_mode != m_run->Mode() ||
        m_project->m_id.CompareNoCase(m_run->ProjectId()) != 0)
        return;
    for (int row : written)
        m_list.SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
}

LRESULT CScriptPanel::OnStepReported(WPARAM, LPARAM)
{
    TakeTestReports();
    return 0;
}

LRESULT CScriptPanel::OnTestEnded(WPARAM, LPARAM)
{
    TakeTestReports();
    m_run.reset();
    m_testing = 0;
    SetTestButtons(true);
    if (m_list.m_hWnd) {
        m_list.Invalidate();
        m_list.UpdateWindow();
    }
    return 0;
}

CString CScriptPanel::TestedProjectId() const
{
    return m_run ? m_run->ProjectId() : CString();
}

void CScriptPanel::SetTestButtons(bool enabled)
{
    for (int id : {IDC_SCRIPT_RECORD, IDC_SCRIPT_PLAY})
        if (CWnd* button = GetDlgItem(id))
            button->EnableWindow(enabled);
}

void CScriptPanel::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kRedrawTimer && IsTesting() && m_list.m_hWnd) {
        TakeTestReports();
        m_list.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    Default();
}

void CScriptPanel::OnRecord()
{
    if (!m_project || RefuseWhileTesting())
        return;
    UpdateData(TRUE);
    if (!StartShownSetup(kRecordPickQuestion))
        return;
    CMsgActions* script = ShownScript();
    CFinderDlg recorder(script, this);
    recorder.DoModal();
    SetRowCount();
    if (!SaveList())
        AfxMessageBox(L"The package list could not be saved.", MB_OK | MB_ICONERROR);
}

bool CScriptPanel::SaveList()
{
    return !m_save || m_save();
}

void CScriptPanel::EditSelectedStep()
{
    const int row = SelectedRow();
    if (row < 0 || RefuseWhileTesting())
        return;
    CScriptActionDialog dialog(&(*ShownScript())[row], this);
    dialog.DoModal();
    m_list.SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
    m_list.SetFocus();
}

void CScriptPanel::DeleteSelectedStep()
{
    const int row = SelectedRow();
    if (row < 0 || RefuseWhileTesting())
        return;
    if (AfxMessageBox(IDS_CONFIRM_DELETE_ITEM, MB_YESNO) != IDYES)
        return;
    CMsgActions* script = ShownScript();
    if (!script || row >= script->GetSize())
        return;
    script->RemoveAt(row);
    SetRowCount();
    m_list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row > 0) {
        m_list.SetItemState(row - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(row - 1, FALSE);
    }
    m_list.SetFocus();
}

void CScriptPanel::ShowStepMenu(CPoint screen)
{
    if (SelectedRow() < 0)
        return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_SCRIPT_STEP_MENU))
        return;
    HMENU popup = ::GetSubMenu(menu.m_hMenu, 0);
    if (!popup)
        return;
    m_lastMenuPoint = screen;
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr);
}

void CScriptPanel::ShowStepMenuAtItem()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    RECT icon{};
    icon.left = LVIR_ICON;
    if (!m_list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&icon)))
        return;
    CPoint corner(icon.right, icon.bottom);
    m_list.ClientToScreen(&corner);
    ShowStepMenu(corner);
}

void CScriptPanel::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR);
    LVITEMW& item = info->item;
    const CMsgActions* script = ShownScript();
    if (!script || item.iItem < 0 || item.iItem >= script->GetSize())
        return;
    const CMsgAction& step = (*script)[item.iItem];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const CString text = item.iSubItem == 0 ? StepRowText(step) : step.m_result;
        ::lstrcpynW(item.pszText, text.GetString(), item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = StepRowImage(step.m_kind);
}

void CScriptPanel::OnListDblClk(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    EditSelectedStep();
}

void CScriptPanel::OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* key = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    if (key->wVKey == VK_DELETE)
        DeleteSelectedStep();
    else if (key->wVKey == VK_APPS)
        ShowStepMenuAtItem();
}

void CScriptPanel::OnListRightClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    CPoint cursor;
    ::GetCursorPos(&cursor);
    ShowStepMenu(cursor);
}
