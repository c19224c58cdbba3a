// The files editor over a repackaged application's worth of entries: 20,000 file entries in
// 2,000 folders, one folder holding 5,000 of them. Times, in a real window, the folder tree's
// fill from the entries and the file list's listing of the big folder, each the median of five
// runs, and prints "files panel: fill <ms> ms; folder of 5000: <ms> ms".

#include "bench/src/support/BenchTiming.h"

#include "app/files/FilesPanel.h"
#include "app/files/FileRules.h"

#include "engine/files/Globals.h"
#include "engine/storage/Projects.h"

#include "framework/window/WinApp.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace bench;

namespace {

constexpr int kFolders = 2000;
constexpr int kFiles = 20000;
constexpr int kBigFolderFiles = 5000;
constexpr int kRuns = 5;

class CBenchApp : public CWinApp {
public:
    CBenchApp() : CWinApp(L"Files Bench") {}
};

CString FolderPath(int folder)
{
    CString path;
    path.Format(L"ProgramFilesFolder\\Vendor\\Group%02d\\Folder%04d\\", folder / 100, folder);
    return path;
}

}  // namespace

int wmain()
{
    CBenchApp app;
    CString message;
    if (InitGlobals(&message) != 0)
        return 1;
    // every source is this program, so the existence test of each row does real work
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);

    CProjects projects;
    CProjectSettings package;
    package.m_outputFolder = L"C:\\bench";
    package.m_projects.Add(CFeature());
    projects.Add(package);
    CurrentPackageIndex = 0;
    CurrentProjectIndex = 0;
    CFileEntries& entries = projects[0].m_projects[0].m_files;
    for (int folder = 0; folder < kFolders; ++folder) {
        CFileEntry entry;
        entry.m_kind = CFileEntry::kindFolder;
        entry.m_path = FolderPath(folder);
        entries.Add(entry);
    }
    // the first folder holds the big share, the others the rest in turn
    for (int file = 0; file < kFiles; ++file) {
        const int folder = file < kBigFolderFiles ? 0 : 1 + file % (kFolders - 1);
        CFileEntry entry;
        entry.m_kind = CFileEntry::kindFile;
        entry.m_path.Format(L"%sfile%05d.dll", FolderPath(folder).GetString(), file);
        entry.m_sourcePath = self;
        entry.m_fileSize = 4096 + file;
        entries.Add(entry);
    }

    CWnd host;
    if (!host.CreateEx(0, AfxRegisterWndClass(0), L"files bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 600,
                       nullptr, nullptr))
        return 2;
    CFilesPanel panel;
    if (!panel.CreateStatic(&host, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST) || !panel.CreatePanes())
        return 3;
    panel.Context().projects = &projects;
    panel.MoveWindow(0, 0, 880, 560);
    panel.Tree()->Bind(&entries, panel.List(), &panel.Context());

    std::vector<double> fills, listings;
    for (int run = 0; run < kRuns; ++run) {
        fills.push_back(Time([&] { panel.Tree()->Fill(); }));
        listings.push_back(Time([&] { panel.List()->ShowFolder(&entries, panel.Tree(), FolderPath(0)); }));
        if (panel.List()->GetListCtrl().GetItemCount() != kBigFolderFiles)
            return 4;
    }
    std::vector<double> rowsOnly;
    for (int run = 0; run < kRuns; ++run) {
        FolderRowsArgs args;
        args.folder = FolderPath(0);
        rowsOnly.push_back(Time([&] { ListFolderRows(entries, args); }));
    }
    std::printf("rows without the window: %.0f ms\n", Median(rowsOnly));
    std::printf("files panel: fill %.0f ms; folder of %d: %.0f ms\n", Median(fills), kBigFolderFiles, Median(listings));
    panel.Release();
    panel.DestroyWindow();
    host.DestroyWindow();
    return 0;
}
