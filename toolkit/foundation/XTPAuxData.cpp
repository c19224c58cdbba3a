#include "toolkit/foundation/XTPAuxData.h"

#include "toolkit/foundation/XTPColorManager.h"
#include "toolkit/foundation/XTPDrawHelpers.h"
#include "toolkit/foundation/XTPModuleHandle.h"
#include "toolkit/foundation/XTPOsVersion.h"
#include "toolkit/foundation/XTPResourceManager.h"

#include <cstring>
#include <cwchar>

static_assert(sizeof(LOGFONTW) == 92, "the cleared record is the 92-byte wide LOGFONT");
static_assert(sizeof(NONCLIENTMETRICSW) >= kNonClientMetricsSize, "the record must hold 500 bytes");

CXTPAuxData::CXTPAuxData()
{
    Init();
}

void CXTPAuxData::Init()
{
    const CXTPOsVersionCache& os = GetOsVersionCache();
    const OSVERSIONINFOW& info = os.GetRecord();
    bWin95 = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && info.dwMajorVersion == 4 && info.dwMinorVersion <= 9;
    bWin98 = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && os.IsVersionAtLeast(4, 10);
    bWinNT4 = os.IsWinNT4OrLater();
    bWin2K = os.IsWin2000OrLater();
    bWinXP = os.IsWinXPOrLater();
    nComCtlVersion = GetComCtlVersion();
    UpdateAuxColors();
    UpdateAuxMetrics();
    (void)LoadAuxCursors();
    (void)UpdateFonts();
}

CXTPAuxData::~CXTPAuxData()
{
    DeleteFonts();
}

CXTPAuxData& GetAuxData()
{
    static CXTPAuxData data;
    return data;
}

void CXTPAuxData::UpdateAuxColors()
{
    RefreshToolkitColors();
    CXTPColorManager* colors = GetColorManager();
    COLORREF* system[] = {&clr3DFace,        &clr3DShadow,        &clr3DDkShadow,       &clr3DHilight,
                          &clr3DLight,       &clrBtnText,         &clrGrayText,         &clrHighlight,
                          &clrHighlightText, &clrMenu,            &clrMenuText,         &clrWindow,
                          &clrWindowFrame,   &clrWindowText,      &clrActiveCaption,    &clrInActiveCaption,
                          &clrGradActiveCapt, &clrGradInActiveCapt, &clrActiveCaptText, &clrInactiveCaptText};
    static const int indexes[] = {15, 16, 21, 20, 22, 18, 17, 13, 14, 4, 7, 5, 6, 8, 2, 3, 27, 28, 9, 19};
    for (int i = 0; i < 20; ++i)
        *system[i] = colors->GetColor(indexes[i]);
    for (int i = 0; i < 20; ++i)
        clrXP[i] = colors->GetColor(30 + i);
}

void CXTPAuxData::UpdateAuxMetrics()
{
    cxSmIcon = ::GetSystemMetrics(SM_CXSMICON);
    cySmIcon = ::GetSystemMetrics(SM_CYSMICON);
    cxSize = 18;
    cySize = 18;
    cxHThumb = ::GetSystemMetrics(SM_CXHTHUMB);
    cyVThumb = ::GetSystemMetrics(SM_CYVTHUMB);
    cyMenuItem = ::GetSystemMetrics(SM_CYMENU);
}

HCURSOR CXTPAuxData::LoadResourceCursor(UINT id)
{
    return GetResourceManager()->LoadCursor(id);
}

BOOL CXTPAuxData::LoadAuxCursors()
{
    // Each cursor on its own: a module missing the first must not leave the splitter's cursors
    // unloaded.
    hcurDragCopy = LoadResourceCursor(9308);
    hcurDragMove = LoadResourceCursor(9309);
    hcurDragNone = LoadResourceCursor(9310);
    hcurHand = ::LoadCursorW(nullptr, IDC_HAND);
    if (!hcurHand)
        hcurHand = LoadResourceCursor(9973);
    hcurHSplitBar = LoadResourceCursor(9970);
    hcurVSplitBar = LoadResourceCursor(9971);
    hcurMove = ::LoadCursorW(nullptr, IDC_SIZEALL);
    return hcurDragCopy && hcurDragMove && hcurDragNone && hcurHand && hcurHSplitBar && hcurVSplitBar && hcurMove;
}

void CXTPAuxData::DeleteFonts()
{
    for (CFont* each : {&font, &fontBold, &fontULine, &fontVert, &fontVertBold, &fontIconTitle,
                        &fontIconTitleBold, &fontMarlett, &fontStatus, &fontSmCaption})
        each->DeleteObject();
}

BOOL CXTPAuxData::CreateFontFrom(const LOGFONTW& logFont, CFont& font, int weight, BYTE underline,
                                 int orientation, int escapement)
{
    font.DeleteObject();
    LOGFONTW lf = logFont;
    if (weight != -1)
        lf.lfWeight = weight;
    if (underline != 0xFF)
        lf.lfUnderline = underline;
    if (orientation != -1)
        lf.lfOrientation = orientation;
    if (escapement != -1)
        lf.lfEscapement = escapement;
    return font.CreateFontIndirect(&lf) && font.GetSafeHandle() != nullptr;
}

BOOL CXTPAuxData::UpdateFonts()
{
    DeleteFonts();
    NONCLIENTMETRICSW metrics;
    GetNonClientMetrics(&metrics);
    LOGFONTW base = metrics.lfMenuFont;
    base.lfCharSet = GetResourceManager()->GetFontCharset();

    // Every font is attempted: one that GDI refuses must not leave the rest unmade.
    BOOL ok = TRUE;
    ok &= CreateFontFrom(base, font);
    ok &= CreateFontFrom(base, fontBold, FW_BOLD);
    ok &= CreateFontFrom(base, fontULine, -1, 1);

    if (_wcsicmp(metrics.lfMenuFont.lfFaceName, L"Tahoma") != 0 && IsFontInstalled(L"Arial"))
        wcscpy(base.lfFaceName, L"Arial");
    wcscpy(m_verticalFace, base.lfFaceName);
    ok &= CreateFontFrom(base, fontVert, -1, 0xFF, 900, 2700);
    ok &= CreateFontFrom(base, fontVertBold, FW_BOLD, 0xFF, 900, 2700);

    LOGFONTW iconTitle;
    GetIconTitleLogFont(&iconTitle);
    ok &= CreateFontFrom(iconTitle, fontIconTitle);
    ok &= CreateFontFrom(iconTitle, fontIconTitleBold, FW_BOLD);
    ok &= CreateFontFrom(metrics.lfStatusFont, fontStatus);
    ok &= CreateFontFrom(metrics.lfSmCaptionFont, fontSmCaption);

    LOGFONTW symbol;
    ClearLogFont(symbol);
    symbol.lfHeight = iconTitle.lfHeight;
    symbol.lfCharSet = DEFAULT_CHARSET;
    wcscpy(symbol.lfFaceName, L"Marlett");
    ok &= CreateFontFrom(symbol, fontMarlett);
    return ok;
}

BOOL IsDropDownControlType(int type)
{
    return type == 2 || type == 3 || type == 5;
}

LOGFONTW& ClearLogFont(LOGFONTW& logFont)
{
    std::memset(&logFont, 0, sizeof(logFont));
    return logFont;
}

BOOL GetNonClientMetrics(NONCLIENTMETRICSW* metrics)
{
    std::memset(metrics, 0, kNonClientMetricsSize);
    metrics->cbSize = kNonClientMetricsSize;
    return ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, metrics, 0);
}
