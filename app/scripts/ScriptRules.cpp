#include "app/scripts/ScriptRules.h"

#include "app/NodeData.h"
#include "app/wizard/WizardRules.h"

#include "engine/model/MsgAction.h"
#include "engine/replay/ScriptActions.h"

namespace {

// Tabs as in the header documents the wizard shows.
constexpr wchar_t kChooseFileMarkup[] =
    L"<Border >\t\t\t<StackPanel Orientation='Horizontal'>\t\t\t<Image Source='12'/>\t\t\t<TextBlock  "
    L"Padding='5, 3, 1, 1' >Please, select the installer file.</TextBlock>\t\t\t </StackPanel>\t\t\t </Border>";

} // namespace

CMsgActions* ScriptOfMode(CFeature* project, int mode)
{
    if (!project)
        return nullptr;
    if (mode == kInstallScriptMode)
        return &project->m_installScript;
    if (mode == kUninstallScriptMode)
        return &project->m_uninstallScript;
    return nullptr;
}

const CMsgActions* ScriptOfMode(const CFeature* project, int mode)
{
    return ScriptOfMode(const_cast<CFeature*>(project), mode);
}

CString StepRowText(const CMsgAction& step)
{
    CString text;
    text.Format(L"%s %s '%s'", MsgActionKindName(step.m_kind).GetString(),
                MsgControlTypeName(step.m_controlType).GetString(), step.m_controlText.GetString());
    return text;
}

int StepRowImage(int kind)
{
    switch (kind) {
    case CMsgAction::kindClick:
        return 0;
    case CMsgAction::kindSelect:
    case CMsgAction::kindUnSelect:
        return 1;
    case CMsgAction::kindSetText:
        return 2;
    default:
        return -1;
    }
}

CString MakeScriptHeaderMarkup(bool setupFileExists, const CString& makerName, const CString& webAddress)
{
    if (!setupFileExists)
        return kChooseFileMarkup;
    if (makerName.IsEmpty())
        return CString();
    // the name may be text from the setup program's own manifest: pasted escaped, it cannot add
    // a hyperlink of its own
    return MakeWizardHeaderMarkup(makerName, webAddress);
}

CFeature* FindProjectById(CProjects& projects, const CString& id, int* packageIndex)
{
    if (id.IsEmpty())
        return nullptr;
    for (int package = 0; package < projects.GetSize(); ++package) {
        CFeatures& list = projects[package].m_projects;
        for (int project = 0; project < list.GetSize(); ++project) {
            if (list[project].m_id.CompareNoCase(id) == 0) {
                if (packageIndex)
                    *packageIndex = package;
                return &list[project];
            }
        }
    }
    return nullptr;
}

bool SelectionHoldsProject(const CProjects& projects, const TreeSelection& selection, const CString& projectId)
{
    if (!selection.hasNode || projectId.IsEmpty())
        return false;
    const int package = NodePackageOf(selection.data);
    if (package >= projects.GetSize())
        return false;
    const CFeatures& list = projects[package].m_projects;
    if (NodeKindOf(selection.data) == NodeKind::package) {
        for (int project = 0; project < list.GetSize(); ++project)
            if (list[project].m_id.CompareNoCase(projectId) == 0)
                return true;
        return false;
    }
    const int project = NodeProjectOf(selection.data);
    return project < list.GetSize() && list[project].m_id.CompareNoCase(projectId) == 0;
}

CScriptTestRun::CScriptTestRun(const CString& projectId, int mode, const CMsgActions& steps)
    : m_projectId(projectId), m_mode(mode)
{
    m_steps.Copy(steps);
    for (CMsgAction& step : m_steps)
        step.m_result.Empty();
}

void CScriptTestRun::Report(int index, const CString& result)
{
    std::lock_guard<std::mutex> hold(m_lock);
    m_reports.emplace_back(index, result);
}

std::vector<std::pair<int, CString>> CScriptTestRun::TakeReports()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return std::exchange(m_reports, {});
}

int CScriptTestRun::Play(bool highlight, const std::function<void()>& notify)
{
    CScriptActions engine;
    return engine.PlayActions(m_steps, highlight, [&](int index, const CMsgAction& step) {
        Report(index, step.m_result);
        if (notify)
            notify();
        return !m_cancelled.load();
    });
}

std::vector<int> ApplyTestReports(CProjects& projects, const CString& projectId, int mode,
                                  const std::vector<std::pair<int, CString>>& reports)
{
    std::vector<int> written;
    CMsgActions* script = ScriptOfMode(FindProjectById(projects, projectId), mode);
    if (!script)
        return written;
    for (const auto& [index, text] : reports) {
        if (index < 0 || index >= script->GetSize())
            continue;
        (*script)[index].m_result = text;
        written.push_back(index);
    }
    return written;
}
