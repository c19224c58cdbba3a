// The recorder's and step editor's window-free rules: the actions offered per control type, the
// kind buttons, which sibling of the window under the cursor is meant, and the frame's pen.

#include "app/scripts/FinderRules.h"

#include "engine/model/MsgAction.h"

#include "resources/app/AppResource.h"

#include <gtest/gtest.h>

namespace {

TEST(FinderRules, ActionsOfferedFollowTheControlType)
{
    struct Row {
        int controlType;
        const wchar_t* text;
        KindButtons expected;
    };
    const KindButtons clickOnly{true, false, false, false};
    const Row rows[] = {
        {CMsgAction::controlButton, L"Next >", clickOnly},
        {CMsgAction::controlRadioButton, L"Typical", clickOnly},
        {CMsgAction::controlCheckBox, L"", {true, false, true, true}},
        {CMsgAction::controlEdit, L"abc", {false, true, false, false}},
        {CMsgAction::controlTreeview, L"Item", {true, false, true, true}},
        {CMsgAction::controlTreeview, L"", clickOnly}, // no item named: nothing to (un)select
        {CMsgAction::controlListview, L"Row", clickOnly},
        {CMsgAction::controlWindow, L"", clickOnly},
        {CMsgAction::controlGroupBox, L"", clickOnly},
        {-1, L"", clickOnly}, // a type this program does not know
        {99, L"", clickOnly},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.controlType);
        const KindButtons got = AllowedKindButtons(row.controlType, row.text);
        EXPECT_EQ(row.expected.click, got.click);
        EXPECT_EQ(row.expected.setText, got.setText);
        EXPECT_EQ(row.expected.select, got.select);
        EXPECT_EQ(row.expected.unselect, got.unselect);
    }
}

TEST(FinderRules, EachKindButtonSetsItsKindAndOtherKindsHaveNone)
{
    const int withButton[] = {CMsgAction::kindClick, CMsgAction::kindSetText, CMsgAction::kindSelect,
                              CMsgAction::kindUnSelect};
    for (int kind : withButton) {
        SCOPED_TRACE(kind);
        ASSERT_NE(0u, KindButtonId(kind));
        EXPECT_EQ(kind, KindOfButton(KindButtonId(kind)));
    }
    EXPECT_EQ(static_cast<UINT>(IDC_ACTION_SET_TEXT), KindButtonId(CMsgAction::kindSetText));
    for (int kind : {1, 2, 6, 7, 8, 9, 10, 11, -1, 12})
        EXPECT_EQ(0u, KindButtonId(kind)) << kind;
    // ids between the buttons belong to no kind
    EXPECT_EQ(-1, KindOfButton(IDC_ACTION_CLICK + 1));
    EXPECT_EQ(-1, KindOfButton(IDOK));
    EXPECT_TRUE(IsStepTextEditable(CMsgAction::kindSetText));
    for (int kind : {0, 1, 2, 4, 5, 6, 11})
        EXPECT_FALSE(IsStepTextEditable(kind)) << kind;
}

TEST(FinderRules, ASiblingCoveringTheCursorInsideTheFirstWindowIsMeant)
{
    // A group box found at the cursor and the controls laid out inside it.
    const RECT group = {10, 50, 210, 130};
    const POINT cursor = {30, 70};
    struct Row {
        const char* name;
        RECT sibling;
        POINT cursor;
        bool meant;
    };
    const Row rows[] = {
        {"control inside the box under the cursor", {20, 62, 100, 78}, cursor, true},
        {"control inside the box, cursor elsewhere", {20, 90, 100, 106}, cursor, false},
        {"the same rectangle is no other control", group, cursor, false},
        {"starts outside, ends inside the box", {0, 40, 60, 80}, cursor, true},
        {"contains the box entirely (neither corner inside)", {0, 0, 300, 300}, cursor, false},
        {"top-left on the box's right edge is outside", {210, 60, 260, 80}, {215, 70}, false},
        {"bottom-right on the box's bottom edge is outside", {0, 20, 40, 130}, {5, 60}, false},
        {"bottom-right just inside", {0, 20, 40, 129}, {5, 60}, true},
        {"cursor on the sibling's right edge is outside it", {20, 62, 30, 78}, cursor, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.meant, SiblingCoversCursor(group, row.sibling, row.cursor));
    }
}

TEST(FinderRules, TheFirstCoveringSiblingWinsInTheOrderGiven)
{
    const RECT group = {10, 50, 210, 130};
    const std::vector<RECT> siblings = {
        {20, 90, 100, 106}, // elsewhere
        {20, 62, 100, 78},  // under the cursor
        {25, 65, 90, 75},   // also under it, but later
    };
    EXPECT_EQ(std::optional<size_t>(1), FirstCoveringSibling(group, siblings, {30, 70}));
    EXPECT_EQ(std::nullopt, FirstCoveringSibling(group, siblings, {150, 120}));
    EXPECT_EQ(std::nullopt, FirstCoveringSibling(group, {}, {30, 70}));
}

TEST(FinderRules, FrameIsThinLightRedAndThickRedWhileCtrlIsHeld)
{
    const FramePen normal = HighlightFramePen(false);
    EXPECT_EQ(4, normal.width);
    EXPECT_EQ(RGB(255, 92, 92), normal.colour);
    const FramePen ctrl = HighlightFramePen(true);
    EXPECT_EQ(7, ctrl.width);
    EXPECT_EQ(RGB(255, 0, 0), ctrl.colour);
}

TEST(FinderRules, OnlyTheJobsProcessesAreRecorded)
{
    const std::vector<DWORD> ids = {0x104, 0x2a8, 0x33c};
    EXPECT_TRUE(IsJobProcess(0x2a8, ids));
    EXPECT_FALSE(IsJobProcess(0x2a4, ids));
    EXPECT_FALSE(IsJobProcess(0x104, {}));
}

} // namespace
