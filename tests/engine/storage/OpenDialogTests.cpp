// The file-open dialog of OpenPackageFile, driven from a second thread: the dialog is found among
// this process's windows, given a file name or cancelled, and the call's result checked.
#include "engine/files/Globals.h"
#include "engine/storage/Projects.h"

#include "tests/engine/storage/StorageFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace storagefixtures;
using testsupport::ScratchFolder;

constexpr int kFileNameEdit = 0x480;      // edt1 of the file dialogs
constexpr int kFileNameCombo = 0x47C;     // cmb13: the file name combo of the explorer dialog

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM result)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpW(name, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

// The dialog comes up as soon as the common-dialog library is loaded, which on a loaded machine
// under Wine may take long: the limit is wide, the wait ends as soon as the dialog is there.
constexpr ULONGLONG kDialogLimitMs = 120000;
constexpr DWORD kPollMs = 20;

HWND WaitForDialog()
{
    const ULONGLONG deadline = GetTickCount64() + kDialogLimitMs;
    do {
        HWND dialog = nullptr;
        EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog)
            return dialog;
        Sleep(kPollMs);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

BOOL CALLBACK FindEdit(HWND window, LPARAM result)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (lstrcmpiW(name, L"Edit") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// The edit control that takes the file name: edt1, or the edit inside the cmb13 combo (which
// may itself sit in a ComboBoxEx).
HWND FileNameEdit(HWND dialog)
{
    if (HWND edit = GetDlgItem(dialog, kFileNameEdit))
        return edit;
    HWND edit = nullptr;
    if (HWND combo = GetDlgItem(dialog, kFileNameCombo))
        EnumChildWindows(combo, FindEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

class OpenDialog : public testing::Test {
protected:
    void SetUp() override
    {
        m_savedFolder = DataFolder;
        DataFolder = m_scratch.Path();
        Projects = CProjects();
    }
    void TearDown() override
    {
        Projects = CProjects();
        DataFolder = m_savedFolder;
    }

    ScratchFolder m_scratch;
    CString m_savedFolder;
};

TEST_F(OpenDialog, CancelListsNothing)
{
    bool opened = true;
    {
        std::thread answer([] {
            HWND dialog = WaitForDialog();
            if (dialog)
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        opened = OpenPackageFile();
        answer.join();
    }
    EXPECT_FALSE(opened);
    EXPECT_EQ(0, Projects.GetSize());
}

TEST_F(OpenDialog, ChosenFileIsListed)
{
    const CString path = m_scratch / L"Chosen.tkpj";
    ASSERT_TRUE(CopyFileW(Fixture(L"one-project.tkpj"), path, FALSE));
    bool answered = false;
    bool opened = false;
    {
        std::thread answer([&] {
            HWND dialog = WaitForDialog();
            if (!dialog)
                return;
            HWND edit = FileNameEdit(dialog);
            if (!edit) {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.GetString()));
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            answered = true;
        });
        opened = OpenPackageFile();
        answer.join();
    }
    ASSERT_TRUE(answered) << "the dialog's file name field was not found";
    EXPECT_TRUE(opened);
    ASSERT_EQ(1, Projects.GetSize());
    ExpectSameText(path, Projects.m_packagePaths[0], "listed path");
    ExpectSameText(L"One Project", Projects[0].m_productName, "listed package");
}

} // namespace
