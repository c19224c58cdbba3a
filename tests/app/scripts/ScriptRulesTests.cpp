// The install-script panel's window-free rules: row texts and images, the header markup (escaped,
// with only the maker's web address as a link), finding the tested project, and the hand-over of
// a test run's results from the replaying thread.

#include "app/MarkupStatic.h"
#include "app/NodeData.h"
#include "app/scripts/ScriptRules.h"

#include "engine/model/MsgAction.h"
#include "engine/replay/ScriptActions.h"

#include "ScriptSteps.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

using testsupport::Utf8;

namespace {

CFeature Project(const wchar_t* id)
{
    CFeature project;
    project.m_id = id;
    return project;
}

// Replays that give up at once on a window that is not there.
class ScriptTestRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReplayTiming quick;
        quick.attempts = 1;
        quick.attemptPauseMs = 0;
        quick.highlightMs = 0;
        SetReplayTimingForTests(quick);
    }
    void TearDown() override { SetReplayTimingForTests(ReplayTiming()); }
};

} // namespace

TEST(ScriptRows, ActionColumnAndImageFollowKindAndType)
{
    struct Row {
        int kind;
        int type;
        const wchar_t* text;
        const char* shown;
        int image;
    };
    const Row rows[] = {
        {CMsgAction::kindSetText, CMsgAction::controlEdit, L"abc", "Set Text Edit 'abc'", 2},
        {CMsgAction::kindClick, CMsgAction::controlButton, L"Next >", "Click Button 'Next >'", 0},
        {CMsgAction::kindSelect, CMsgAction::controlCheckBox, L"I agree", "Select CheckBox 'I agree'", 1},
        {CMsgAction::kindUnSelect, CMsgAction::controlTreeview, L"", "UnSelect Treeview ''", 1},
        {CMsgAction::kindTimeout, CMsgAction::controlWindow, L"x", "Timeout Window 'x'", -1},
        {CMsgAction::kindRightClick, CMsgAction::controlRadioButton, L"", "Right Click Radio button ''", -1},
        {42, 99, L"odd", "Action Control 'odd'", -1},
        {-1, -1, L"", "Action Control ''", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shown);
        const CMsgAction step = Step(row.kind, row.type, row.text, 0);
        EXPECT_EQ(Utf8(StepRowText(step).GetString()), row.shown);
        EXPECT_EQ(StepRowImage(row.kind), row.image);
    }
}

TEST(ScriptRows, ModeChoosesTheScript)
{
    CFeature project = Project(L"{A}");
    EXPECT_EQ(ScriptOfMode(&project, kInstallScriptMode), &project.m_installScript);
    EXPECT_EQ(ScriptOfMode(&project, kUninstallScriptMode), &project.m_uninstallScript);
    for (int mode : {0, 1, 2, 3, 6, -1})
        EXPECT_EQ(ScriptOfMode(&project, mode), nullptr) << mode;
    EXPECT_EQ(ScriptOfMode(static_cast<CFeature*>(nullptr), kInstallScriptMode), nullptr);
}

TEST(ScriptHeader, NamesTheMakerAsksForTheFileOrShowsNothing)
{
    const std::vector<MarkupRun> missing = ParseMarkupRuns(MakeScriptHeaderMarkup(false, L"Inno", L"http://x"));
    EXPECT_EQ(Utf8(MarkupPlainText(missing).GetString()), "Please, select the installer file.");

    EXPECT_TRUE(MakeScriptHeaderMarkup(true, L"", L"http://x").IsEmpty());

    const CString markup = MakeScriptHeaderMarkup(true, L"Inno Setup", L"http://www.jrsoftware.org/");
    EXPECT_NE(markup.Find(L"<Image Source='12'/>"), -1);
    const std::vector<MarkupRun> runs = ParseMarkupRuns(markup);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(Utf8(runs[0].text.GetString()), "Inno Setup ");
    EXPECT_EQ(runs[1].kind, MarkupRun::Kind::link);
    EXPECT_EQ(Utf8(runs[1].tag.GetString()), "http://www.jrsoftware.org/");
}

TEST(ScriptHeader, TextFromTheSetupProgramCannotAddLinks)
{
    // a maker name read from a manifest that tries to close the text block and add its own link
    const wchar_t name[] = L"Evil</TextBlock><TextBlock><Hyperlink Tag='C:\\windows\\calc.exe'>x</Hyperlink>&amp;";
    const wchar_t web[] = L"http://a.example/?q='1'&r=\"2\"";
    const std::vector<MarkupRun> runs = ParseMarkupRuns(MakeScriptHeaderMarkup(true, name, web));
    int links = 0;
    for (const MarkupRun& run : runs) {
        if (run.kind != MarkupRun::Kind::link)
            continue;
        ++links;
        EXPECT_EQ(Utf8(run.tag.GetString()), Utf8(web));
        EXPECT_EQ(Utf8(run.text.GetString()), Utf8(web));
    }
    EXPECT_EQ(links, 1);
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(Utf8(runs[0].text.GetString()), Utf8(name) + " ");
}

TEST(ScriptProjects, FoundByIdAndHeldBySelection)
{
    CProjects projects;
    projects.SetSize(2);
    projects[0].m_projects.Add(Project(L"{11111111-0000-0000-0000-000000000000}"));
    projects[1].m_projects.Add(Project(L"{22222222-0000-0000-0000-000000000000}"));
    projects[1].m_projects.Add(Project(L"{33333333-0000-0000-0000-000000000000}"));
    const CString tested = L"{33333333-0000-0000-0000-000000000000}";

    int package = -1;
    EXPECT_EQ(FindProjectById(projects, L"{33333333-0000-0000-0000-000000000000}", &package),
              &projects[1].m_projects[1]);
    EXPECT_EQ(package, 1);
    EXPECT_EQ(FindProjectById(projects, L"{33333333-0000-0000-0000-000000000000}"), &projects[1].m_projects[1]);
    CString lower = tested;
    lower.MakeLower();
    EXPECT_EQ(FindProjectById(projects, lower), &projects[1].m_projects[1]) << "ids compare without regard to case";
    EXPECT_EQ(FindProjectById(projects, L"{44444444-0000-0000-0000-000000000000}"), nullptr);
    EXPECT_EQ(FindProjectById(projects, L""), nullptr);

    struct Row {
        NodeKind kind;
        int package;
        int project;
        bool holds;
    };
    const Row rows[] = {
        {NodeKind::package, 1, 0, true},         {NodeKind::project, 1, 1, true},
        {NodeKind::installScript, 1, 1, true},   {NodeKind::files, 1, 1, true},
        {NodeKind::package, 0, 0, false},        {NodeKind::project, 1, 0, false},
        {NodeKind::project, 0, 0, false},        {NodeKind::package, 5, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(row.kind) << " " << row.package << " " << row.project);
        const TreeSelection selection{true, MakeNodeData(row.kind, row.package, row.project)};
        EXPECT_EQ(SelectionHoldsProject(projects, selection, tested), row.holds);
    }
    EXPECT_FALSE(SelectionHoldsProject(projects, TreeSelection{}, tested));
    EXPECT_FALSE(SelectionHoldsProject(projects, {true, MakeNodeData(NodeKind::package, 1, 0)}, L""));
}

TEST_F(ScriptTestRunTest, ReplaysItsOwnCopyAndHandsResultsOverInOrder)
{
    CProjects projects;
    projects.SetSize(1);
    projects[0].m_projects.Add(Project(L"{AAAAAAAA-0000-0000-0000-000000000000}"));
    CMsgActions& script = projects[0].m_projects[0].m_installScript;
    script.Add(Step(CMsgAction::kindSetText, CMsgAction::controlEdit, L"name", 1));
    script.Add(Step(CMsgAction::kindClick, CMsgAction::controlCheckBox, L"agree", 1));
    script.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, L"Next >", 0));
    script.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, L"never reached", 0));
    script[0].m_result = L"old";

    CScriptTestRun run(L"{aaaaaaaa-0000-0000-0000-000000000000}", kInstallScriptMode, script);
    EXPECT_EQ(run.Steps().GetSize(), 4);
    EXPECT_TRUE(run.Steps()[0].m_result.IsEmpty()) << "the copy starts without results";

    int notified = 0;
    std::thread replay([&] { run.Play(false, [&] { ++notified; }); });
    replay.join();
    // the thread wrote its own copy only
    EXPECT_EQ(Utf8(script[0].m_result.GetString()), "old");
    EXPECT_EQ(notified, 3) << "the third step failed and may not continue";

    // the list grew before the project meanwhile: it is found by its id
    projects.InsertAt(0, CProjectSettings());
    const auto reports = run.TakeReports();
    ASSERT_EQ(reports.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(reports[static_cast<size_t>(i)].first, i);
        EXPECT_NE(reports[static_cast<size_t>(i)].second.Find(L"was not found"), -1)
            << Utf8(reports[static_cast<size_t>(i)].second.GetString());
    }
    EXPECT_TRUE(run.TakeReports().empty()) << "each result is handed over once";
    const std::vector<int> written = ApplyTestReports(projects, run.ProjectId(), run.Mode(), reports);
    EXPECT_EQ(written, (std::vector<int>{0, 1, 2}));
    const CMsgActions& shown = projects[1].m_projects[0].m_installScript;
    EXPECT_EQ(Utf8(shown[2].m_result.GetString()), "Button 'Next >' was not found");
    EXPECT_TRUE(shown[3].m_result.IsEmpty());
    EXPECT_TRUE(projects[1].m_projects[0].m_uninstallScript.IsEmpty());
}

TEST_F(ScriptTestRunTest, ResultsForAGoneProjectOrStepAreDropped)
{
    CProjects projects;
    projects.SetSize(1);
    projects[0].m_projects.Add(Project(L"{BBBBBBBB-0000-0000-0000-000000000000}"));
    projects[0].m_projects[0].m_uninstallScript.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, L"a", 0));
    const std::vector<std::pair<int, CString>> reports = {{0, L"ok"}, {1, L"past the end"}, {-1, L"before"}};
    EXPECT_EQ(ApplyTestReports(projects, L"{BBBBBBBB-0000-0000-0000-000000000000}", kUninstallScriptMode, reports),
              (std::vector<int>{0}));
    EXPECT_EQ(Utf8(projects[0].m_projects[0].m_uninstallScript[0].m_result.GetString()), "ok");
    EXPECT_TRUE(ApplyTestReports(projects, L"{CCCCCCCC-0000-0000-0000-000000000000}", kUninstallScriptMode, reports)
                    .empty());
}

TEST_F(ScriptTestRunTest, CancelStopsAfterTheStepUnderWay)
{
    CMsgActions script;
    for (int i = 0; i < 5; ++i)
        script.Add(Step(CMsgAction::kindClick, CMsgAction::controlButton, L"b", 1));
    CScriptTestRun run(L"{D}", kInstallScriptMode, script);
    run.Play(false, [&] { run.Cancel(); });
    EXPECT_TRUE(run.IsCancelled());
    EXPECT_EQ(run.TakeReports().size(), 1u);
}
