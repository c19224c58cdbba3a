// The colour manager through its seams: a system-colour provider in place of GetSysColor and a
// theme-name source in place of the visual-styles library; and once through the prefix's own
// visual style.

#include "toolkit/foundation/XTPColorManager.h"

#include "framework/File.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::string Rgb(COLORREF c)
{
    return "RGB(" + std::to_string(GetRValue(c)) + ", " + std::to_string(GetGValue(c)) + ", " +
           std::to_string(GetBValue(c)) + ")";
}
#define EXPECT_RGB(expected, actual) EXPECT_EQ(Rgb(expected), Rgb(actual))

// The system colours with a few replaced.
CXTPColorManager::SystemColorProvider Colours(std::map<int, COLORREF> replaced)
{
    return [replaced](int index) {
        auto it = replaced.find(index);
        return it != replaced.end() ? it->second : ::GetSysColor(index);
    };
}

CXTPColorManager::ThemeNameSource Style(const wchar_t* file, const wchar_t* colour)
{
    return [file, colour](BOOL* active, CString* fileName, CString* colorName) {
        *active = TRUE;
        *fileName = file;
        *colorName = colour;
        return TRUE;
    };
}

CXTPColorManager::ThemeNameSource NoStyle()
{
    return [](BOOL* active, CString*, CString*) {
        *active = FALSE;
        return TRUE;
    };
}

}    // namespace

TEST(ColorManager, LightenedFaceIsColour48)
{
    struct Case {
        COLORREF face, expected;
    } cases[] = {
        {RGB(240, 240, 240), RGB(255, 255, 255)},    // the brightest channel gains 15, up to 255
        {RGB(200, 100, 50), RGB(235, 117, 58)},
    };
    for (const Case& c : cases) {
        CXTPColorManager manager(Colours({{COLOR_BTNFACE, c.face}}), NoStyle());
        EXPECT_RGB(c.expected, manager.GetColor(48)) << "face " << Rgb(c.face);
        // Colour 22 is the face plus 15 per channel.
        EXPECT_RGB(RGB(std::min(GetRValue(c.face) + 15, 255), std::min(GetGValue(c.face) + 15, 255),
                       std::min(GetBValue(c.face) + 15, 255)),
                   manager.GetColor(22));
    }
}

TEST(ColorManager, HighContrastBlackFace)
{
    const COLORREF highlight = RGB(255, 255, 0);
    CXTPColorManager manager(Colours({{COLOR_BTNFACE, RGB(0, 0, 0)},
                                      {COLOR_BTNTEXT, RGB(255, 255, 255)},
                                      {COLOR_HIGHLIGHT, highlight},
                                      {COLOR_BTNSHADOW, RGB(128, 128, 128)}}),
                             NoStyle());
    EXPECT_RGB(RGB(127, 127, 127), manager.GetColor(49));
    EXPECT_RGB(highlight, manager.GetColor(31));
    EXPECT_RGB(highlight, manager.GetColor(36));
    EXPECT_RGB(RGB(255, 255, 255), manager.GetColor(32));    // button text
}

TEST(ColorManager, ClassicMixesAndDerivedColours)
{
    const COLORREF face = RGB(212, 208, 200), window = RGB(255, 255, 255), shadow = RGB(128, 128, 128);
    CXTPColorManager manager(Colours({{COLOR_BTNFACE, face}, {COLOR_WINDOW, window}, {COLOR_BTNSHADOW, shadow}}),
                             NoStyle());
    EXPECT_EQ(0, manager.GetCurrentSystemTheme());
    // Colour 49: the shadow darkened so that its brightest channel loses 43.
    EXPECT_RGB(RGB(85, 85, 85), manager.GetColor(49));
    // 34 is three quarters of 31, 53 is 30, 58 is 40.
    COLORREF c31 = manager.GetColor(31);
    EXPECT_RGB(RGB(GetRValue(c31) * 3 / 4, GetGValue(c31) * 3 / 4, GetBValue(c31) * 3 / 4), manager.GetColor(34));
    EXPECT_RGB(manager.GetColor(30), manager.GetColor(53));
    EXPECT_RGB(manager.GetColor(40), manager.GetColor(58));
    // Classic gradients.
    EXPECT_RGB(shadow, manager.grcCaption.clrLight.GetStandardColor());
    EXPECT_RGB(CXTPColorManager::MixColors(face, window, 215), manager.grcDockBar.clrDark.GetStandardColor());
    EXPECT_RGB(CXTPColorManager::MixColors(face, shadow, 95), manager.grcMenuExpanded.clrDark.GetStandardColor());
    // Fixed at construction, whatever the system.
    EXPECT_RGB(RGB(255, 213, 140), manager.grcLunaChecked.clrLight.GetStandardColor());
    EXPECT_RGB(RGB(255, 212, 151), manager.grcLunaSelected.clrDark.GetStandardColor());
}

TEST(ColorManager, GetColorOverridesAndPlainValues)
{
    CXTPColorManager manager(Colours({}), NoStyle());
    EXPECT_EQ(manager.GetStandardColor(62), manager.GetColor(62));
    EXPECT_EQ(63u, manager.GetColor(63));
    EXPECT_EQ(RGB(1, 2, 3), manager.GetColor(RGB(1, 2, 3)));
    manager.SetCustomColor(40, RGB(9, 9, 9));
    EXPECT_RGB(RGB(9, 9, 9), manager.GetColor(40));
    EXPECT_RGB(RGB(9, 9, 9), manager.GetLunaColor(40));    // no scheme entry: as GetColor
}

TEST(ColorManager, SchemesFromTheStyleNames)
{
    struct Case {
        const wchar_t* file;
        const wchar_t* colour;
        BOOL allowRoyale, disableLuna;
        int scheme;
        COLORREF luna30;            // -1: no scheme colour
        COLORREF gradient3First;    // expected first colour of gradient 3; 0: classic
        float gradient3Factor;
    } cases[] = {
        {L"C:\\Windows\\Resources\\Themes\\Luna\\LUNA.MSSTYLES", L"NormalColor", TRUE, FALSE, 1,
         RGB(158, 190, 245), RGB(221, 236, 254), 0.75f},
        {L"c:\\themes\\luna.msstyles", L"HomeStead", TRUE, FALSE, 2, RGB(217, 217, 167), RGB(244, 247, 222), 0.3f},
        {L"c:\\themes\\luna.msstyles", L"Metallic", TRUE, FALSE, 3, RGB(215, 215, 229), RGB(249, 249, 255), 0.75f},
        {L"c:\\themes\\royale.msstyles", L"NormalColor", TRUE, FALSE, 4, RGB(158, 190, 245), RGB(221, 236, 254), 0.75f},
        {L"c:\\themes\\royale.msstyles", L"NormalColor", FALSE, FALSE, 0, static_cast<COLORREF>(-1), 0, 0.5f},
        {L"c:\\themes\\aero.msstyles", L"NormalColor", TRUE, FALSE, 5, RGB(158, 190, 245), RGB(221, 236, 254), 0.75f},
        {L"c:\\themes\\luna.msstyles", L"HomeStead", TRUE, TRUE, 2, static_cast<COLORREF>(-1), 0, 0.5f},
        {L"c:\\themes\\light.msstyles", L"", TRUE, FALSE, 0, static_cast<COLORREF>(-1), 0, 0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.file)) + " " +
                     testing::PrintToString(std::wstring(c.colour)));
        CXTPColorManager manager(Colours({}), Style(c.file, c.colour));
        manager.SetAllowRoyale(c.allowRoyale);
        manager.DisableLunaColors(c.disableLuna);
        manager.RefreshColors();
        EXPECT_EQ(c.scheme, manager.GetCurrentSystemTheme());
        if (c.luna30 == static_cast<COLORREF>(-1))
            EXPECT_EQ(manager.GetColor(30), manager.GetLunaColor(30));
        else
            EXPECT_RGB(c.luna30, manager.GetLunaColor(30));
        COLORREF face = manager.GetColor(COLOR_BTNFACE), window = manager.GetColor(COLOR_WINDOW);
        COLORREF expected = c.gradient3First ? c.gradient3First : CXTPColorManager::MixColors(face, window, 205);
        EXPECT_RGB(expected, manager.grcToolBar.clrLight.GetStandardColor());
        EXPECT_FLOAT_EQ(c.gradient3Factor, manager.grcToolBar.fGradientFactor);
    }
}

TEST(ColorManager, FailedStyleQueryMeansClassic)
{
    CXTPColorManager manager(Colours({}), [](BOOL* active, CString*, CString*) {
        *active = TRUE;
        return FALSE;
    });
    EXPECT_EQ(0, manager.GetSystemTheme());
}

TEST(ColorManager, LowColourKeepsClassicRulesAndSolidGradients)
{
    const COLORREF face = RGB(192, 192, 192);
    CXTPColorManager manager(Colours({{COLOR_BTNFACE, face}}), Style(L"luna.msstyles", L"NormalColor"));
    manager.SetLowColorOverride(1);
    manager.RefreshColors();
    EXPECT_EQ(0, manager.GetSystemTheme());
    EXPECT_RGB(face, manager.GetColor(30));    // no mixes on a low-colour screen
    EXPECT_RGB(face, manager.grcToolBar.clrLight.GetStandardColor());
    EXPECT_RGB(face, manager.grcToolBar.clrDark.GetStandardColor());
    EXPECT_RGB(face, manager.grcDockBar.clrDark.GetStandardColor());
}

TEST(ColorManager, ContrastRoutines)
{
    // Brightness of white is 442 (rounded); thresholds scale up to twice for dark references.
    EXPECT_FLOAT_EQ(70.0f, CXTPColorManager::ScaleThreshold(0, 35));
    EXPECT_FLOAT_EQ(35.0f, CXTPColorManager::ScaleThreshold(300, 35));
    EXPECT_FLOAT_EQ(52.5f, CXTPColorManager::ScaleThreshold(110, 35));
    EXPECT_NEAR(195.0, CXTPColorManager::ColorDistance(RGB(0, 0, 0), RGB(255, 0, 0)), 1e-3);
    EXPECT_TRUE(CXTPColorManager::ColorDistanceExceeds(RGB(0, 0, 0), RGB(255, 255, 255), TRUE, 100));
    EXPECT_FALSE(CXTPColorManager::ColorDistanceExceeds(RGB(0, 0, 0), RGB(0, 0, 255), TRUE, 50));

    // EnsureContrast moves B along its ray until it is the scaled threshold away from A.
    const COLORREF white = RGB(255, 255, 255), nearWhite = RGB(250, 250, 250);
    COLORREF pushed = CXTPColorManager::EnsureContrast(white, nearWhite, 50);
    EXPECT_NEAR(50.0, CXTPColorManager::ColorDistance(white, pushed), 2.0);
    EXPECT_LT(GetGValue(pushed), 250);    // darker: white has no room above it
    // SetColorDistance pulls B toward A until they are the threshold apart.
    COLORREF pulled = CXTPColorManager::SetColorDistance(white, RGB(0, 0, 0), 100);
    EXPECT_NEAR(100.0, CXTPColorManager::ColorDistance(white, pulled), 2.0);
}

TEST(ColorManager, ArchiveFormsOfBothColourTypes)
{
    CXTPPaintManagerColorGradient gradient;
    gradient.SetStandardValue(RGB(1, 2, 3), RGB(4, 5, 6), 0.25f);
    gradient.clrDark.SetCustomValue(RGB(7, 8, 9));
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        gradient.Serialize(ar);
        ar.Close();
    }
    ASSERT_EQ(20u, file.GetLength());
    file.SeekToBegin();
    DWORD words[5] = {};
    file.Read(words, sizeof(words));
    EXPECT_EQ(RGB(1, 2, 3), words[0]);
    EXPECT_EQ(0xFFFFFFFFu, words[1]);
    EXPECT_EQ(RGB(4, 5, 6), words[2]);
    EXPECT_EQ(RGB(7, 8, 9), words[3]);
    EXPECT_EQ(0x3E800000u, words[4]);    // 0.25f

    file.SeekToBegin();
    CXTPPaintManagerColorGradient loaded;
    {
        CArchive ar(&file, CArchive::load);
        loaded.Serialize(ar);
    }
    EXPECT_EQ(RGB(1, 2, 3), loaded.clrLight.GetEffective());
    EXPECT_EQ(RGB(7, 8, 9), loaded.clrDark.GetEffective());
    EXPECT_EQ(RGB(4, 5, 6), loaded.clrDark.GetStandardColor());
    EXPECT_FLOAT_EQ(0.25f, loaded.fGradientFactor);

    CXTPPaintManagerColorGradient copy;
    copy.SetStandardValueFrom(loaded);
    EXPECT_EQ(RGB(7, 8, 9), copy.clrDark.GetStandardColor());
    EXPECT_FALSE(copy.clrDark.IsCustomValue());
}

// The prefix's own style is light.msstyles: no XP scheme, classic gradients from GetSysColor.
TEST(ColorManager, RealRefreshGivesTheClassicScheme)
{
    RefreshToolkitColors();
    CXTPColorManager* manager = GetColorManager();
    EXPECT_EQ(0, manager->GetCurrentSystemTheme());
    EXPECT_RGB(::GetSysColor(COLOR_BTNSHADOW), manager->grcCaption.clrLight.GetStandardColor());
    EXPECT_RGB(::GetSysColor(COLOR_BTNFACE), manager->grcShortcutBarGripper.clrLight.GetStandardColor());
    EXPECT_RGB(CXTPColorManager::MixColors(::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_WINDOW), 205),
               manager->grcToolBar.clrLight.GetStandardColor());
    EXPECT_EQ(manager->GetColor(30), manager->GetLunaColor(30));
}
