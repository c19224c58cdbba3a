// The resource manager against two resource libraries (all English, and English plus a Russian
// dialog) and the test program's own resources: which module answers, the string-block reader
// on whole and cut blocks, languages, HTML pages, menus, icons and dialog templates.

#include "toolkit/foundation/XTPResourceManager.h"

#include "framework/window/Gdi.h"
#include "framework/window/Menu.h"
#include "framework/window/WinApp.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::Utf8;

CString FixtureLibrary(const wchar_t* name)
{
    return testsupport::ModuleFolder() + L"\\fixtures\\" + name;
}

// Loads a fixture library and makes it the resource module for the test's duration.
class ResourceModuleScope {
public:
    explicit ResourceModuleScope(const wchar_t* name) : m_module(LoadLibraryW(FixtureLibrary(name)))
    {
        CXTPResourceManager::SetResourceModule(m_module.Get());
    }
    ~ResourceModuleScope() { CXTPResourceManager::SetResourceModule(nullptr); }
    HMODULE Get() const { return m_module.Get(); }

private:
    UniqueModule m_module;
};

// A string block built entry by entry.
std::vector<BYTE> Block(const std::vector<std::wstring>& entries)
{
    std::vector<BYTE> bytes;
    for (const std::wstring& text : entries) {
        const WORD length = static_cast<WORD>(text.size());
        bytes.push_back(static_cast<BYTE>(length));
        bytes.push_back(static_cast<BYTE>(length >> 8));
        const BYTE* units = reinterpret_cast<const BYTE*>(text.data());
        bytes.insert(bytes.end(), units, units + text.size() * sizeof(wchar_t));
    }
    return bytes;
}

TEST(ResourceManager, StringBlockReaderStaysInsideTheBlock)
{
    const std::vector<BYTE> block = Block({L"zero", L"", L"two", L"three"});
    struct Case {
        const char* name;
        DWORD size;
        UINT index;
        const wchar_t* expected;   // null: not found
    };
    const DWORD whole = static_cast<DWORD>(block.size());
    const Case cases[] = {
        {"first entry", whole, 0, L"zero"},
        {"empty entry", whole, 1, nullptr},
        {"after an empty entry", whole, 2, L"two"},
        {"last entry", whole, 3, L"three"},
        {"past the last entry", whole, 4, nullptr},
        {"index beyond a block", whole, 16, nullptr},
        {"text cut short", whole - 2, 3, nullptr},
        {"length cut in half", 2 + 8 + 2 + 2 + 6 + 1, 3, nullptr},
        {"earlier entry intact in a cut block", 12, 0, L"zero"},
        {"empty block", 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        CString text(L"stale");
        const int length = ReadStringBlockEntry(block.data(), c.size, c.index, text);
        if (c.expected) {
            EXPECT_EQ(static_cast<int>(wcslen(c.expected)), length) << c.name;
            EXPECT_EQ(Utf8(c.expected), Utf8(text.View())) << c.name;
        } else {
            EXPECT_EQ(0, length) << c.name;
            EXPECT_TRUE(text.IsEmpty()) << c.name;
        }
    }

    // A block at an odd address (a hand-made file) reads the same.
    std::vector<BYTE> shifted(1, 0);
    shifted.insert(shifted.end(), block.begin(), block.end());
    CString text;
    EXPECT_EQ(5, ReadStringBlockEntry(shifted.data() + 1, whole, 3, text));
    EXPECT_EQ("three", Utf8(text.View()));
    EXPECT_EQ(0, ReadStringBlockEntry(nullptr, 100, 0, text));
}

TEST(ResourceManager, StringsComeFromTheModuleFirstThenFromTheProgram)
{
    CXTPResourceManager manager;
    struct Case {
        UINT id;
        const char* withModule;      // null: not found
        const char* withoutModule;
    };
    const Case cases[] = {
        {100, "Module string 100", nullptr},
        {101, "Module string 101", "Program string 101"},
        {102, "Program string 102", "Program string 102"},   // empty in the module's block
        {111, "Last of its block", nullptr},
        {200, "Only in the program", "Only in the program"},  // the module has no such block
        {104, nullptr, nullptr},
    };
    for (const bool withModule : {true, false}) {
        std::unique_ptr<ResourceModuleScope> scope;
        if (withModule) {
            scope = std::make_unique<ResourceModuleScope>(L"toolkit-resources-english.dll");
            ASSERT_NE(nullptr, scope->Get());
        }
        for (const Case& c : cases) {
            const char* expected = withModule ? c.withModule : c.withoutModule;
            CString text;
            EXPECT_EQ(expected != nullptr, !!manager.LoadStringTo(text, c.id)) << c.id << " module " << withModule;
            BOOL failed = -1;
            const CString loaded = manager.LoadString(c.id, &failed);
            EXPECT_EQ(expected == nullptr, !!failed) << c.id;
            EXPECT_EQ(expected ? expected : "", Utf8(loaded.View())) << c.id << " module " << withModule;
        }
    }
}

TEST(ResourceManager, WithoutAModuleStringsComeThroughTheFrameworksLookup)
{
    // The framework looks in its resource handle first, then in the program itself.
    UniqueModule library(LoadLibraryW(FixtureLibrary(L"toolkit-resources-english.dll")));
    ASSERT_NE(nullptr, library.Get());
    CXTPResourceManager manager;
    AfxSetResourceHandle(library.Get());
    CString text;
    EXPECT_TRUE(manager.LoadStringTo(text, 100));
    EXPECT_EQ("Module string 100", Utf8(text.View())) << "from the framework's resource handle";
    EXPECT_TRUE(manager.LoadStringTo(text, 200));
    EXPECT_EQ("Only in the program", Utf8(text.View())) << "then from the program";
    EXPECT_FALSE(manager.LoadStringTo(text, 104));
    EXPECT_TRUE(text.IsEmpty());
    AfxSetResourceHandle(nullptr);
    EXPECT_FALSE(manager.LoadStringTo(text, 100));
}

// Stands in for the framework's toolbar: notes where its resource lookup looks.
struct CRecordingToolBar {
    HINSTANCE lookedIn = nullptr;
    BOOL LoadToolBar(UINT id)
    {
        lookedIn = AfxGetResourceHandle();
        return FindResourceW(lookedIn, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(241)) != nullptr;
    }
};

TEST(ResourceManager, ToolbarsLoadInsideAResourceScope)
{
    CXTPResourceManager manager;
    const HINSTANCE program = AfxGetResourceHandle();
    CRecordingToolBar toolBar;
    EXPECT_FALSE(manager.LoadToolBar(&toolBar, 800)) << "the program has no toolbar 800";
    EXPECT_EQ(program, toolBar.lookedIn) << "no resource module: nothing changes";
    EXPECT_FALSE(manager.LoadToolBar(static_cast<CRecordingToolBar*>(nullptr), 800));
    {
        ResourceModuleScope module(L"toolkit-resources-english.dll");
        EXPECT_TRUE(manager.LoadToolBar(&toolBar, 800));
        EXPECT_EQ(module.Get(), toolBar.lookedIn) << "the toolbar looked in the resource module";
        EXPECT_EQ(program, AfxGetResourceHandle()) << "and the framework's handle came back";

        XTP_RESOURCE_SCOPE scope;
        BeginResourceScope(scope);
        EXPECT_TRUE(scope.armed);
        EXPECT_EQ(module.Get(), AfxGetResourceHandle());
        EndResourceScope(scope);
        EXPECT_FALSE(scope.armed);
        EXPECT_EQ(program, AfxGetResourceHandle());
        EndResourceScope(scope);   // disarmed: nothing more
        EXPECT_EQ(program, AfxGetResourceHandle());
    }
    XTP_RESOURCE_SCOPE unarmed;
    BeginResourceScope(unarmed);
    EXPECT_FALSE(unarmed.armed) << "no resource module, nothing to arm";
    EndResourceScope(unarmed);
    EXPECT_EQ(program, AfxGetResourceHandle());
}

TEST(ResourceManager, LanguageOfTheResourcesInUse)
{
    {
        // Loaded for the walk only: a library left loaded would outlive later cases' checks.
        const UniqueModule english(LoadLibraryW(FixtureLibrary(L"toolkit-resources-english.dll")));
        const UniqueModule russian(LoadLibraryW(FixtureLibrary(L"toolkit-resources-russian.dll")));
        EXPECT_EQ(0x0409, DetectResourceLanguage(english.Get()));
        EXPECT_EQ(0x0419, DetectResourceLanguage(russian.Get()));
    }

    CXTPResourceManager manager;
    EXPECT_EQ(0x0409, manager.GetResourcesLangID()) << "English after construction";
    {
        ResourceModuleScope russian(L"toolkit-resources-russian.dll");
        manager.UpdateResourcesLangID();
        EXPECT_EQ(0x0419, manager.GetResourcesLangID());
        EXPECT_EQ(1251u, manager.GetLanguageInfo()->nCodePage);
        EXPECT_EQ(204u, manager.GetLanguageInfo()->nFontCharSet);
    }
    {
        ResourceModuleScope english(L"toolkit-resources-english.dll");
        manager.UpdateResourcesLangID();
        EXPECT_EQ(0x0409, manager.GetResourcesLangID());
    }
    manager.SetResourceLanguage(0x0419);
    manager.UpdateResourcesLangID();   // no module: the program's own resources, all English
    EXPECT_EQ(0x0409, manager.GetResourcesLangID());

    // The font character set stays the icon-title font's, whatever the language.
    LOGFONTW iconTitle{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0));
    manager.SetResourceLanguage(0x0411);
    EXPECT_EQ(iconTitle.lfCharSet, manager.GetFontCharset());
}

TEST(ResourceManager, LanguageTableAndWhatTheLanguageChanges)
{
    int count = 0;
    const XTP_RESOURCEMANAGER_LANGINFO* table = GetLanguageTable(&count);
    ASSERT_EQ(35, count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(&table[i], LookupLanguageRecord(table[i].wLanguage)) << "ids are unique: " << table[i].wLanguage;
        if (table[i].wLanguage != 0x0409) {
            EXPECT_NE(0u, table[i].nCodePage) << table[i].wLanguage;
        }
    }
    EXPECT_EQ(0u, LookupLanguageRecord(0x0409)->nCodePage) << "English takes the ANSI code page";
    EXPECT_EQ("Ukrainian ", Utf8(LookupLanguageRecord(0x0422)->lpszCaption));
    EXPECT_EQ("ks_c_5601", Utf8(LookupLanguageRecord(0x0412)->lpszEncoding));
    EXPECT_EQ(nullptr, LookupLanguageRecord(0x0C0C));

    CXTPResourceManager manager;
    manager.SetResourceLanguage(0x0C0C);   // French (Canada) is not in the table
    EXPECT_EQ(0x0409, manager.GetResourcesLangID());
    manager.SetResourceLanguage(0);
    EXPECT_EQ(0x0409, manager.GetResourcesLangID());

    struct FlagCase {
        WORD language;
        UINT expected;
    };
    for (const FlagCase c : {FlagCase{0x040D, MB_OK | MB_RTLREADING}, FlagCase{0x0401, MB_OK | MB_RTLREADING},
                             FlagCase{0x0419, MB_OK}, FlagCase{0x0409, MB_OK}}) {
        manager.SetResourceLanguage(c.language);
        EXPECT_EQ(c.expected | MB_ICONSTOP, manager.GetMessageBoxFlags(MB_OK | MB_ICONSTOP)) << c.language;
    }

    manager.SetResourceLanguage(0x0419);
    const auto russian = manager.ToNarrowTextBuffer(L"\x041F\x0440\x0438");   // "При"
    EXPECT_STREQ("\xCF\xF0\xE8", russian.get()) << "converted in code page 1251";
    manager.SetResourceLanguage(0x0409);
    EXPECT_STREQ("Tarnwick", manager.ToNarrowTextBuffer(L"Tarnwick").get());
    EXPECT_STREQ("", manager.ToNarrowTextBuffer(nullptr).get());
}

TEST(ResourceManager, HtmlPagesAreCutAtTheirFirstZero)
{
    CXTPResourceManager manager;
    CString page;
    EXPECT_FALSE(manager.LoadHtml(&page, 300)) << "the program has no page 300";
    ResourceModuleScope module(L"toolkit-resources-english.dll");
    ASSERT_TRUE(manager.LoadHtml(&page, 300));
    EXPECT_EQ("<p>Start page</p>", Utf8(page.View()));
    const HRSRC resource = FindResourceW(module.Get(), MAKEINTRESOURCEW(300), MAKEINTRESOURCEW(23));
    EXPECT_LT(page.GetLength(), static_cast<int>(SizeofResource(module.Get(), resource)));
    EXPECT_FALSE(manager.LoadHtml(nullptr, 300));
    EXPECT_FALSE(manager.LoadHtml(&page, 301));
}

TEST(ResourceManager, MenuItemTexts)
{
    ResourceModuleScope module(L"toolkit-resources-english.dll");
    const HMENU menu = LoadMenuW(module.Get(), MAKEINTRESOURCEW(400));
    ASSERT_NE(nullptr, menu);
    const HMENU file = GetSubMenu(menu, 0);
    CXTPResourceManager manager;
    CString text;
    EXPECT_EQ(16, manager.GetMenuItemText(file, 401, text, MF_BYCOMMAND));
    EXPECT_EQ("&Open Package...", Utf8(text.View()));
    EXPECT_EQ(5, manager.GetMenuItemText(file, 2, text, MF_BYPOSITION));
    EXPECT_EQ("E&xit", Utf8(text.View()));
    EXPECT_EQ(5, manager.GetMenuItemText(menu, 0, text, MF_BYPOSITION));
    EXPECT_EQ("&File", Utf8(text.View()));
    EXPECT_EQ(0, manager.GetMenuItemText(file, 1, text, MF_BYPOSITION)) << "a separator has no text";
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0, manager.GetMenuItemText(HMENU{}, 401, text, MF_BYCOMMAND));
    DestroyMenu(menu);
}

TEST(ResourceManager, MenusAndBitmapsIntoFrameworkObjects)
{
    CXTPResourceManager manager;
    auto firstItemText = [&manager](UINT id) {
        CMenu menu;
        if (!manager.LoadMenu(&menu, id))
            return std::string("(none)");
        CString text;
        manager.GetMenuItemText(menu.GetSubMenu(0), 0, text, MF_BYPOSITION);
        return Utf8(text.View());
    };
    EXPECT_EQ("From the program", firstItemText(400));
    {
        ResourceModuleScope module(L"toolkit-resources-english.dll");
        EXPECT_EQ("&Open Package...", firstItemText(400)) << "the module first";
        EXPECT_EQ("Only in the program", firstItemText(410));
        EXPECT_EQ("(none)", firstItemText(420));

        CMenu held;
        ASSERT_TRUE(manager.LoadMenu(&held, 400));
        const HMENU before = held.m_hMenu;
        EXPECT_FALSE(manager.LoadMenu(&held, 410)) << "an object holding a menu keeps it";
        EXPECT_EQ(before, held.m_hMenu);
        EXPECT_FALSE(manager.LoadMenu(nullptr, 400));

        CBitmap bitmap;
        ASSERT_TRUE(manager.LoadBitmap(&bitmap, 700));
        BITMAP info{};
        ASSERT_NE(0, bitmap.GetBitmap(&info));
        EXPECT_EQ(8, info.bmWidth);
        EXPECT_EQ(4, info.bmHeight);
        CBitmap missing;
        EXPECT_FALSE(manager.LoadBitmap(&missing, 701));
        EXPECT_EQ(nullptr, missing.m_hObject);
    }
    CBitmap outside;
    EXPECT_FALSE(manager.LoadBitmap(&outside, 700)) << "the program has no bitmap 700";

    CString text(L"stale");
    CMenu empty;
    EXPECT_EQ(0, manager.GetMenuItemText(&empty, 0, text, MF_BYPOSITION));
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0, manager.GetMenuItemText(static_cast<CMenu*>(nullptr), 0, text, MF_BYPOSITION));
}

struct BoxSeen {
    wchar_t caption[64] = {};
    bool found = false;
};

// Finds this process's message box, notes its caption and presses OK.
DWORD WINAPI AnswerMessageBox(void* param)
{
    auto* seen = static_cast<BoxSeen*>(param);
    testsupport::WaitFor([seen] {
        HWND box = nullptr;
        while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(box, &process);
            if (process != GetCurrentProcessId() || !IsWindowVisible(box))
                continue;
            GetWindowTextW(box, seen->caption, 64);
            seen->found = true;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return true;
        }
        return false;
    });
    return 0;
}

BoxSeen ShowAndAnswer(CXTPResourceManager& manager, const wchar_t* text, UINT flags, int& result)
{
    BoxSeen seen;
    UniqueKernelHandle helper(CreateThread(nullptr, 0, AnswerMessageBox, &seen, 0, nullptr));
    result = manager.ShowMessageBox(text, flags);
    WaitForSingleObject(helper.Get(), 90000);
    return seen;
}

// The application's message box, noting the flags it is asked with before it shows the box.
class CRecordingApp : public CWinApp {
public:
    CRecordingApp() : CWinApp(L"Resource Manager Tests") {}
    int DoMessageBox(const wchar_t* prompt, UINT type, UINT promptId) override
    {
        askedType = type;
        return CWinApp::DoMessageBox(prompt, type, promptId);
    }
    UINT askedType = 0;
};

TEST(ResourceManager, MessageBoxesAreTheFrameworksWithRightToLeftReadingForHebrew)
{
    CRecordingApp app;
    CXTPResourceManager manager;
    int result = 0;
    const BoxSeen english = ShowAndAnswer(manager, L"Saved.", MB_OKCANCEL | MB_ICONINFORMATION, result);
    EXPECT_EQ(IDOK, result);
    ASSERT_TRUE(english.found);
    EXPECT_EQ("Resource Manager Tests", Utf8(english.caption)) << "the framework's caption";
    EXPECT_EQ(UINT{MB_OKCANCEL | MB_ICONINFORMATION}, app.askedType);

    // Wine's message box shows no trace of right-to-left reading in its styles, so the flag is
    // checked where the framework receives it.
    for (const WORD language : {WORD{0x040D}, WORD{0x0401}}) {
        manager.SetResourceLanguage(language);
        const BoxSeen rtl = ShowAndAnswer(manager, L"Saved.", MB_OK | MB_ICONINFORMATION, result);
        EXPECT_EQ(IDOK, result);
        EXPECT_TRUE(rtl.found);
        EXPECT_EQ(UINT{MB_OK | MB_ICONINFORMATION | MB_RTLREADING}, app.askedType) << language;
    }
}

int IconWidth(HICON icon)
{
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap{};
    GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

TEST(ResourceManager, IconsBySizeAndDialogTemplates)
{
    CXTPResourceManager manager;
    EXPECT_EQ(nullptr, manager.LoadIcon(500, 16, 16)) << "not among the program's resources";
    EXPECT_EQ(nullptr, manager.LoadDialogTemplate(600));

    ResourceModuleScope module(L"toolkit-resources-russian.dll");
    for (const int size : {16, 32}) {
        const HICON loaded = manager.LoadIcon(500, size, size);
        EXPECT_EQ(size, IconWidth(loaded));
        DestroyIcon(loaded);
        const HICON made = manager.CreateIconFromResource(module.Get(), MAKEINTRESOURCEW(500), size, size);
        EXPECT_EQ(size, IconWidth(made));
        DestroyIcon(made);
    }
    EXPECT_EQ(nullptr, manager.CreateIconFromResource(module.Get(), MAKEINTRESOURCEW(501), 16, 16));
    EXPECT_EQ(nullptr, manager.LoadIcon(501, 16, 16));

    // DLGTEMPLATEEX keeps the width at byte 22.
    auto width = [](LPCDLGTEMPLATE dialog) {
        WORD cx = 0;
        std::memcpy(&cx, reinterpret_cast<const BYTE*>(dialog) + 22, sizeof(cx));
        return cx;
    };
    ASSERT_NE(nullptr, manager.LoadDialogTemplate(600));
    EXPECT_EQ(120, width(manager.LoadDialogTemplate(600)));
    ASSERT_NE(nullptr, manager.LoadDialogTemplate(601)) << "the Russian dialog";
    ASSERT_NE(nullptr, manager.LoadDialogTemplate(602)) << "from the program";
    EXPECT_EQ(100, width(manager.LoadDialogTemplate(602)));
    EXPECT_EQ(nullptr, manager.LoadDialogTemplate(603));

    HMODULE where = nullptr;
    EXPECT_NE(nullptr, FindResourceInModules(where, MAKEINTRESOURCEW(600), MAKEINTRESOURCEW(5)));
    EXPECT_EQ(module.Get(), where);
    EXPECT_NE(nullptr, FindResourceInModules(where, MAKEINTRESOURCEW(602), MAKEINTRESOURCEW(5)));
    EXPECT_EQ(GetModuleHandleW(nullptr), where);
    EXPECT_EQ(nullptr, FindResourceInModules(where, MAKEINTRESOURCEW(603), MAKEINTRESOURCEW(5)));
    EXPECT_EQ(nullptr, where);

    EXPECT_EQ(nullptr, manager.LoadCursor(9970)) << "neither has the cursor";
}

// Icon groups written into a copy of the fixture library: one well formed, one whose count claims
// more members than its bytes hold.
TEST(ResourceManager, AnIconGroupThatClaimsMoreMembersThanItHoldsIsRefused)
{
    testsupport::ScratchFolder folder;
    const CString copy = folder / L"icons.dll";
    ASSERT_TRUE(CopyFileW(FixtureLibrary(L"toolkit-resources-english.dll"), copy, FALSE));
    std::vector<BYTE> group;
    {
        UniqueModule original(LoadLibraryW(FixtureLibrary(L"toolkit-resources-english.dll")));
        const HRSRC found = FindResourceW(original.Get(), MAKEINTRESOURCEW(500), MAKEINTRESOURCEW(14));
        ASSERT_NE(nullptr, found);
        const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(original.Get(), found)));
        group.assign(bytes, bytes + 6 + 14);   // the header and the first member only
    }
    group[4] = 1;
    group[5] = 0;
    std::vector<BYTE> lying = group;
    lying[4] = 200;   // two hundred members in twenty bytes
    const HANDLE update = BeginUpdateResourceW(copy, FALSE);
    ASSERT_NE(nullptr, update);
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(503), english, group.data(),
                                static_cast<DWORD>(group.size())));
    ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(502), english, lying.data(),
                                static_cast<DWORD>(lying.size())));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));

    UniqueModule module(LoadLibraryW(copy));
    ASSERT_NE(nullptr, module.Get());
    CXTPResourceManager manager;
    const HICON whole = manager.CreateIconFromResource(module.Get(), MAKEINTRESOURCEW(503), 16, 16);
    EXPECT_NE(nullptr, whole) << "a group of one member";
    DestroyIcon(whole);
    EXPECT_EQ(nullptr, manager.CreateIconFromResource(module.Get(), MAKEINTRESOURCEW(502), 16, 16));
}

TEST(ResourceManager, AnOwnedResourceFileIsForgottenWhenFreed)
{
    CXTPResourceManager manager;
    const CString path = FixtureLibrary(L"toolkit-resources-english.dll");
    ASSERT_TRUE(manager.SetResourceFile(path));
    const HMODULE module = CXTPResourceManager::GetResourceModule();
    ASSERT_NE(nullptr, module);
    CString text;
    EXPECT_TRUE(manager.LoadStringTo(text, 100));
    manager.FreeResourceModule();
    EXPECT_EQ(nullptr, CXTPResourceManager::GetResourceModule()) << "no lookups into a freed library";
    EXPECT_EQ(nullptr, GetModuleHandleW(path));
    EXPECT_FALSE(manager.LoadStringTo(text, 100));
    EXPECT_FALSE(manager.SetResourceFile(FixtureLibrary(L"no-such-library.dll")));
    EXPECT_EQ(GetResourceManager(), GetResourceManager());
}

} // namespace
