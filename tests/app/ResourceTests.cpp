// The program's resources as the code and the framework read them: the toolbar's raw layout,
// the menus, the accelerators, the strings, the pictures and the panel templates.

#include "resources/app/AppResource.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

HMODULE Module()
{
    return ::GetModuleHandleW(nullptr);
}

std::wstring String(UINT id)
{
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(Module(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::vector<std::wstring> MenuItems(HMENU menu)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 128;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR)
            items.push_back(L"-");
        else if (info.hSubMenu)
            items.push_back(text);
        else
            items.push_back(std::to_wstring(info.wID) + L" " + text);
    }
    return items;
}

using Items = std::vector<std::wstring>;

} // namespace

TEST(Resources, ToolbarMenusAndAcceleratorsHoldTheCommandsInTheirOrder)
{
    HRSRC found = ::FindResourceW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(241));
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(::SizeofResource(Module(), found), 11u * sizeof(WORD));
    const auto* toolbar = static_cast<const WORD*>(::LockResource(::LoadResource(Module(), found)));
    EXPECT_EQ(std::vector<WORD>(toolbar, toolbar + 11),
              (std::vector<WORD>{1, 16, 15, 7, 32779, 32775, 32780, 0, 32784, 0, 57666}));

    HMENU main = ::LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(MenuItems(main), (Items{L"&File", L"&Actions", L"&View", L"&Tools", L"&Options", L"&Help"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(main, 0)),
              (Items{L"32779 Add New &Project...", L"32775 &Open Project...", L"-", L"57665 E&xit"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(main, 1)), (Items{L"32811 No Actions"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(main, 2)),
              (Items{L"32781 Output window", L"59393 &Status Bar", L"32821 Start Page"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(main, 3)), (Items{L"32783 Installed &Programs"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(main, 4)), (Items{L"32812 Installation Monitoring Settings"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(main, 5)), (Items{L"57666 &Contents...", L"57664 &About..."}));
    ::DestroyMenu(main);

    HMENU actions = ::LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_ACTIONS_MENU));
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(MenuItems(actions), (Items{L"Action_tree", L"Action_tree1", L"Action_tree2", L"Action_tree3"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(actions, 0)), (Items{L"32779 Add New &Project..."}));
    EXPECT_EQ(MenuItems(::GetSubMenu(actions, 1)), (Items{L"32784 &Build MSI Package", L"32815 &Open in Explorer",
                                                          L"-", L"32780 &Delete Package"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(actions, 2)), (Items{L"32784 &Build MSI Package", L"32815 &Open in Explorer",
                                                          L"-", L"32780 &Delete Project"}));
    EXPECT_EQ(MenuItems(::GetSubMenu(actions, 3)), (Items{L"32784 &Build MSI Package"}));
    ::DestroyMenu(actions);

    HACCEL table = ::LoadAcceleratorsW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4] = {};
    ASSERT_EQ(::CopyAcceleratorTableW(table, entries, 4), 2);
    EXPECT_EQ(entries[0].key, VK_DELETE);
    EXPECT_EQ(entries[0].cmd, 32786);
    EXPECT_EQ(entries[1].key, VK_RETURN);
    EXPECT_EQ(entries[1].cmd, 32785);
    for (const ACCEL& entry : {entries[0], entries[1]})
        EXPECT_EQ(entry.fVirt & (FCONTROL | FALT | FSHIFT), 0) << "no modifiers";
    ::DestroyAcceleratorTable(table);
}

TEST(Resources, StringsPicturesAndPanelTemplatesAreThere)
{
    EXPECT_EQ(String(100), L"OLE initialization failed.  Make sure that the OLE libraries are the correct version.");
    EXPECT_EQ(String(101), L"Are you sure you want to delete this item ?");
    EXPECT_EQ(String(57344), L"tarnwick");
    EXPECT_EQ(String(128), L"tarnwick\n\ntarnwick\n\n\ntarnwick.Document\ntarnwick.Document");
    EXPECT_EQ(String(0xE001), L"Ready");
    EXPECT_EQ(String(32784), L"Build MSI Package");
    EXPECT_EQ(String(32783), L"Show Installed Programs Control panel");

    struct Picture {
        UINT id;
        int width, height;
    };
    for (const Picture& picture : {Picture{130, 7 * 16, 16}, Picture{138, 5 * 16, 16}, Picture{128, 5 * 16, 15}}) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            ::LoadImageW(Module(), MAKEINTRESOURCEW(picture.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr) << picture.id;
        BITMAP info{};
        ::GetObjectW(bitmap, sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, picture.width) << picture.id;
        EXPECT_EQ(info.bmHeight, picture.height) << picture.id;
        EXPECT_EQ(info.bmBitsPixel, 24) << picture.id;
        ::DeleteObject(bitmap);
    }
    EXPECT_NE(::LoadIconW(Module(), MAKEINTRESOURCEW(128)), nullptr);

    // the panel templates are child dialogs of the given sizes
    struct Template {
        UINT id;
        short cx, cy;
    };
    for (const Template& expected : {Template{105, 400, 240}, Template{117, 402, 240}}) {
        HRSRC found = ::FindResourceW(Module(), MAKEINTRESOURCEW(expected.id), MAKEINTRESOURCEW(5));
        ASSERT_NE(found, nullptr) << expected.id;
        const auto* words = static_cast<const WORD*>(::LockResource(::LoadResource(Module(), found)));
        ASSERT_EQ(words[1], 0xFFFF) << "an extended template";
        DWORD style = 0;
        std::memcpy(&style, words + 6, sizeof(style));
        EXPECT_TRUE(style & WS_CHILD) << expected.id;
        EXPECT_FALSE(style & WS_VISIBLE) << expected.id;
        EXPECT_EQ(static_cast<short>(words[11]), expected.cx) << expected.id;
        EXPECT_EQ(static_cast<short>(words[12]), expected.cy) << expected.id;
    }
}
