// The shared control data with the prefix's own fonts and the toolkit's cursors, which this test
// program carries in its resources like the program does.

#include "toolkit/foundation/XTPAuxData.h"

#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"

#include <gtest/gtest.h>

namespace {

// A resource module that lacks cursor 9308.
class AuxDataWithout9308 : public CXTPAuxData {
protected:
    HCURSOR LoadResourceCursor(UINT id) override { return id == 9308 ? nullptr : CXTPAuxData::LoadResourceCursor(id); }
};

LOGFONTW LogFontOf(const CFont& font)
{
    LOGFONTW lf = {};
    font.GetLogFont(&lf);
    return lf;
}

}    // namespace

TEST(AuxData, OneInstanceWithEveryCursorAndFont)
{
    CXTPAuxData& data = GetAuxData();
    EXPECT_EQ(&data, &GetAuxData());
    EXPECT_TRUE(data.LoadAuxCursors());
    for (HCURSOR cursor : {data.hcurDragCopy, data.hcurDragMove, data.hcurDragNone, data.hcurHand,
                           data.hcurHSplitBar, data.hcurVSplitBar, data.hcurMove})
        EXPECT_NE(nullptr, cursor);

    EXPECT_TRUE(data.UpdateFonts());
    for (const CFont* font : {&data.font, &data.fontBold, &data.fontULine, &data.fontVert, &data.fontVertBold,
                              &data.fontIconTitle, &data.fontIconTitleBold, &data.fontMarlett, &data.fontStatus,
                              &data.fontSmCaption})
        EXPECT_NE(nullptr, font->GetSafeHandle());
    EXPECT_EQ(FW_BOLD, LogFontOf(data.fontBold).lfWeight);
    EXPECT_EQ(1, LogFontOf(data.fontULine).lfUnderline);
    EXPECT_EQ(2700, LogFontOf(data.fontVert).lfEscapement);
    EXPECT_EQ(900, LogFontOf(data.fontVertBold).lfOrientation);
    EXPECT_EQ(FW_BOLD, LogFontOf(data.fontVertBold).lfWeight);
}

TEST(AuxData, VerticalFaceAndSymbolFontFollowTheSystemFonts)
{
    CXTPAuxData& data = GetAuxData();
    NONCLIENTMETRICSW metrics;
    ASSERT_TRUE(GetNonClientMetrics(&metrics));
    EXPECT_EQ(kNonClientMetricsSize, metrics.cbSize);
    const bool menuIsTahoma = _wcsicmp(metrics.lfMenuFont.lfFaceName, L"Tahoma") == 0;
    const wchar_t* expected = !menuIsTahoma && IsFontInstalled(L"Arial") ? L"Arial" : metrics.lfMenuFont.lfFaceName;
    EXPECT_STREQ(expected, data.GetVerticalFace());
    EXPECT_STREQ(expected, LogFontOf(data.fontVert).lfFaceName);
    EXPECT_STREQ(metrics.lfMenuFont.lfFaceName, LogFontOf(data.font).lfFaceName);

    LOGFONTW iconTitle;
    GetIconTitleLogFont(&iconTitle);
    LOGFONTW symbol = LogFontOf(data.fontMarlett);
    EXPECT_STREQ(L"Marlett", symbol.lfFaceName);
    EXPECT_EQ(iconTitle.lfHeight, symbol.lfHeight);
    EXPECT_EQ(DEFAULT_CHARSET, symbol.lfCharSet);
}

TEST(AuxData, ColoursAndMetrics)
{
    CXTPAuxData& data = GetAuxData();
    data.UpdateAuxColors();
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), data.clr3DFace);
    EXPECT_EQ(::GetSysColor(COLOR_GRADIENTINACTIVECAPTION), data.clrGradInActiveCapt);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(GetColorManager()->GetColor(30 + i), data.clrXP[i]) << "colour " << 30 + i;
    EXPECT_EQ(::GetSystemMetrics(SM_CXSMICON), data.cxSmIcon);
    EXPECT_EQ(18, data.cxSize);
    EXPECT_EQ(::GetSystemMetrics(SM_CYMENU), data.cyMenuItem);
    EXPECT_GE(data.nComCtlVersion, 0x40000u);
}

// One missing cursor used to stop the loading: the splitter cursors after it stayed unloaded.
TEST(AuxData, MissingCursorLeavesTheOthersLoaded)
{
    AuxDataWithout9308 data;
    EXPECT_FALSE(data.LoadAuxCursors());
    EXPECT_EQ(nullptr, data.hcurDragCopy);
    EXPECT_NE(nullptr, data.hcurDragMove);
    EXPECT_NE(nullptr, data.hcurHSplitBar);
    EXPECT_NE(nullptr, data.hcurVSplitBar);
    EXPECT_NE(nullptr, data.hcurMove);
}

TEST(AuxData, CreateFontFromReplacesOnlyGivenFields)
{
    LOGFONTW base;
    ClearLogFont(base);
    base.lfHeight = -13;
    base.lfWeight = FW_NORMAL;
    base.lfUnderline = 1;
    wcscpy(base.lfFaceName, L"Tahoma");
    CFont font;
    ASSERT_TRUE(CXTPAuxData::CreateFontFrom(base, font, FW_BOLD));
    LOGFONTW made = LogFontOf(font);
    EXPECT_EQ(FW_BOLD, made.lfWeight);
    EXPECT_EQ(1, made.lfUnderline);    // 0xFF keeps it
    ASSERT_TRUE(CXTPAuxData::CreateFontFrom(base, font, -1, 0));    // replaces the handle
    EXPECT_EQ(0, LogFontOf(font).lfUnderline);
    EXPECT_EQ(FW_NORMAL, LogFontOf(font).lfWeight);
}

TEST(AuxData, DropDownControlTypes)
{
    for (int type = 0; type < 12; ++type)
        EXPECT_EQ(type == 2 || type == 3 || type == 5, IsDropDownControlType(type) != FALSE) << "type " << type;
}
