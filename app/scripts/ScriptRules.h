#pragma once
// The install-script panel's rules, free of windows so that they are tested alone: which script a
// panel mode shows, what a step's row shows, the header markup, and the hand-over of a test run's
// results from the replaying thread to the user-interface thread.
//
// A test run replays its own copy of the script on a worker thread. The steps of the project are
// never touched by that thread: after each step it puts the step's result text into the run
// (under the run's lock) and tells the panel, and the user-interface thread takes the texts and
// writes them into the project's steps, which only it reads and writes. The project is found by
// its id each time, so a run survives the package list growing or shrinking meanwhile; while the
// run lasts, everything that would change its steps (record, play, edit, delete, deleting its
// project or package) is refused, so a step index names the same step throughout.

#include "app/CommandRules.h"

#include "engine/model/Feature.h"
#include "engine/storage/Projects.h"

#include "framework/String.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

// The packages tree's node kinds of the two script nodes, which are also the panel's modes.
inline constexpr int kInstallScriptMode = 4;
inline constexpr int kUninstallScriptMode = 5;

// The script a mode shows: the install script for 4, the uninstall script for 5; null for any
// other mode or no project.
CMsgActions* ScriptOfMode(CFeature* project, int mode);
const CMsgActions* ScriptOfMode(const CFeature* project, int mode);

// Column 0 of a step's row: "<kind name> <control type name> '<control text>'". Numbers outside
// the two name tables show as "Action" and "Control".
CString StepRowText(const CMsgAction& step);
// The row's image: 0 for a click, 1 for select and unselect, 2 for set text; -1 (none) for the
// kinds the recorder never makes.
int StepRowImage(int kind);

// The header: the maker's name and a hyperlink to its web address (both escaped) when the setup
// file exists and the detector named a maker, an empty document when it exists but named none,
// and the request to choose the file when it does not exist.
CString MakeScriptHeaderMarkup(bool setupFileExists, const CString& makerName, const CString& webAddress);

// The project with that id (braced GUID, compared without regard to case) in the list, with its
// package index; null when no project has it.
CFeature* FindProjectById(CProjects& projects, const CString& id, int* packageIndex = nullptr);

// Whether the selection names the package or project (or a node below them) that holds the
// project with that id; false for an empty id.
bool SelectionHoldsProject(const CProjects& projects, const TreeSelection& selection, const CString& projectId);

// Told when the user asks for something a running test refuses.
inline constexpr wchar_t kScriptBusyMessage[] =
    L"The install script is being played.\nWait until it has finished.";

// One test run: the copy of the steps that the thread replays, and the results it hands over.
class CScriptTestRun {
public:
    CScriptTestRun(const CString& projectId, int mode, const CMsgActions& steps);
    CScriptTestRun(const CScriptTestRun&) = delete;
    CScriptTestRun& operator=(const CScriptTestRun&) = delete;

    const CString& ProjectId() const { return m_projectId; }
    int Mode() const { return m_mode; }
    // The thread's own copy; only the replaying thread touches it once the run has started.
    CMsgActions& Steps() { return m_steps; }

    // Replaying thread: hands the result text of step index over.
    void Report(int index, const CString& result);
    // User-interface thread: the results handed over since the last call, in the order they came.
    std::vector<std::pair<int, CString>> TakeReports();

    // Asks the replaying thread to stop after the step it is on.
    void Cancel() { m_cancelled = true; }
    bool IsCancelled() const { return m_cancelled; }

    // Replays the copy, handing each step's result over and calling notify (from the replaying
    // thread) after each; stops early once cancelled. Returns the replay's result.
    int Play(bool highlight, const std::function<void()>& notify);

private:
    const CString m_projectId;
    const int m_mode;
    CMsgActions m_steps;
    std::mutex m_lock;                               // guards m_reports
    std::vector<std::pair<int, CString>> m_reports;
    std::atomic<bool> m_cancelled{false};
};

// Writes handed-over results into the steps of the run's script, found by the project's id and
// the run's mode; results for a project no longer listed, or past the script's end, are dropped.
// Returns the indexes written.
std::vector<int> ApplyTestReports(CProjects& projects, const CString& projectId, int mode,
                                  const std::vector<std::pair<int, CString>>& reports);
