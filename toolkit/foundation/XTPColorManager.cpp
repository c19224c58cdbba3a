// The colour manager. Derived colours come from fixed mixes of the system colours, then are
// pushed apart where two of them would be too close to tell apart. Closeness is measured in a
// weighted RGB space (red x 195/255, green x 390/255, blue x 65/255) that roughly follows how
// bright each channel looks; its longest diagonal is taken as 442.

#include "toolkit/foundation/XTPColorManager.h"

#include "toolkit/foundation/XTPWinThemeWrapper.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr COLORREF kUnset = static_cast<COLORREF>(-1);
constexpr double kMaxDiagonal = 442.0;

struct Point3 {
    double r, g, b;
};

Point3 ToWeighted(COLORREF color)
{
    return {GetRValue(color) * 195.0 / 255.0, GetGValue(color) * 390.0 / 255.0, GetBValue(color) * 65.0 / 255.0};
}

double Length(const Point3& p)
{
    return std::sqrt(p.r * p.r + p.g * p.g + p.b * p.b);
}

COLORREF FromWeighted(Point3 p)
{
    p.r = std::clamp(p.r, 0.0, 195.0);
    p.g = std::clamp(p.g, 0.0, 390.0);
    p.b = std::clamp(p.b, 0.0, 65.0);
    auto channel = [](double v, double range) {
        return std::clamp(static_cast<int>(v * 255.0 / range + 0.5), 0, 255);
    };
    return RGB(channel(p.r, 195.0), channel(p.g, 390.0), channel(p.b, 65.0));
}

BOOL ReadRealThemeNames(BOOL* active, CString* fileName, CString* colorName)
{
    CXTPWinThemeWrapper theme;
    *active = theme.IsThemeActive();
    if (!*active)
        return TRUE;
    wchar_t file[260] = {}, color[260] = {}, size[260] = {};
    if (FAILED(theme.GetCurrentThemeName(file, 260, color, 260, size, 260)))
        return FALSE;
    *fileName = file;
    *colorName = color;
    return TRUE;
}

}    // namespace

// ---- themable colours ----

void CXTPPaintManagerColor::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(m_clrStandardValue) << static_cast<DWORD>(m_clrCustomValue);
    } else {
        DWORD standard = 0, custom = 0;
        ar >> standard >> custom;
        m_clrStandardValue = standard;
        m_clrCustomValue = custom;
    }
}

void CXTPPaintManagerColorGradient::Serialize(CArchive& ar)
{
    clrLight.Serialize(ar);
    clrDark.Serialize(ar);
    if (ar.IsStoring()) {
        DWORD bits = 0;
        std::memcpy(&bits, &fGradientFactor, sizeof(bits));
        ar << bits;
    } else {
        DWORD bits = 0;
        ar >> bits;
        std::memcpy(&fGradientFactor, &bits, sizeof(bits));
    }
}

void CXTPPaintManagerColorGradient::SetStandardValue(COLORREF first, COLORREF second, float factor)
{
    clrLight.SetStandardValue(first);
    clrDark.SetStandardValue(second);
    fGradientFactor = factor;
}

void CXTPPaintManagerColorGradient::SetStandardValueFrom(const CXTPPaintManagerColorGradient& other)
{
    SetStandardValue(other.clrLight.GetEffective(), other.clrDark.GetEffective(), other.fGradientFactor);
}

// ---- the manager ----

CXTPColorManager::CXTPColorManager()
{
    Init();
}

CXTPColorManager::CXTPColorManager(SystemColorProvider provider, ThemeNameSource themeSource)
    : m_provider(std::move(provider)), m_themeSource(std::move(themeSource))
{
    Init();
}

void CXTPColorManager::Init()
{
    std::fill(std::begin(m_arrCustomColor), std::end(m_arrCustomColor), kUnset);
    std::fill(std::begin(m_arrLunaColor), std::end(m_arrLunaColor), kUnset);
    RefreshColors();
    // The Luna highlight gradients do not follow the system: set once, never refreshed.
    grcLunaChecked.SetStandardValue(RGB(255, 213, 140), RGB(255, 173, 85), 0.5f);
    grcLunaPushed.SetStandardValue(RGB(254, 142, 75), RGB(255, 207, 139), 0.5f);
    grcLunaSelected.SetStandardValue(RGB(255, 242, 200), RGB(255, 212, 151), 0.5f);
}

CXTPPaintManagerColorGradient& CXTPColorManager::Gradient(int index)
{
    CXTPPaintManagerColorGradient* all[] = {&grcCaption, &grcDockBar, &grcShortcutBarGripper, &grcToolBar,
                                            &grcMenu, &grcMenuExpanded, &grcMenuItemPopup, &grcLunaChecked,
                                            &grcLunaPushed, &grcLunaSelected};
    return *all[index];
}

COLORREF CXTPColorManager::GetColor(int color) const
{
    if (color < 0 || color >= XPCOLOR_COUNT)
        return static_cast<COLORREF>(color);
    return m_arrCustomColor[color] != kUnset ? m_arrCustomColor[color] : m_arrStandardColor[color];
}

COLORREF CXTPColorManager::GetLunaColor(int color) const
{
    if (color >= XPCOLOR_BASE && color <= XPCOLOR_LAST && m_arrLunaColor[color] != kUnset)
        return m_arrLunaColor[color];
    return GetColor(color);
}

COLORREF CXTPColorManager::MixColors(COLORREF a, COLORREF b, int weight)
{
    int d = weight < 100 ? 100 : 1000;
    auto channel = [weight, d](int x, int y) { return (x * weight + y * (d - weight) + d / 2) / d; };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

BOOL CXTPColorManager::IsLowColorDisplay(HDC dc)
{
    HWND desktop = nullptr;
    if (!dc) {
        desktop = ::GetDesktopWindow();
        dc = ::GetDC(desktop);
        if (!dc)
            return FALSE;
    }
    int bits = ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
    if (desktop)
        ::ReleaseDC(desktop, dc);
    return bits >= 1 && bits <= 8;
}

BOOL CXTPColorManager::IsLowColor() const
{
    if (m_lowColorOverride >= 0)
        return m_lowColorOverride != 0;
    return IsLowColorDisplay(nullptr);
}

int CXTPColorManager::GetCurrentSystemTheme() const
{
    return (m_chosenTheme == 6 || m_chosenTheme == 7) ? m_systemTheme : m_chosenTheme;
}

int CXTPColorManager::SchemeInForce() const
{
    return m_bDisableLunaColors ? 0 : GetCurrentSystemTheme();
}

float CXTPColorManager::ColorDistance(COLORREF a, COLORREF b)
{
    Point3 pa = ToWeighted(a), pb = ToWeighted(b);
    return static_cast<float>(Length({pa.r - pb.r, pa.g - pb.g, pa.b - pb.b}));
}

float CXTPColorManager::ScaleThreshold(int brightness, int threshold)
{
    return static_cast<float>((2.0 - std::min(brightness, 220) / 220.0) * threshold);
}

BOOL CXTPColorManager::ColorDistanceExceeds(COLORREF a, COLORREF b, BOOL scaled, float threshold)
{
    if (scaled)
        threshold = ScaleThreshold(static_cast<int>(Length(ToWeighted(a))), static_cast<int>(threshold));
    Point3 pa = ToWeighted(a), pb = ToWeighted(b);
    double dr = pa.r - pb.r, dg = pa.g - pb.g, db = pa.b - pb.b;
    return dr * dr + dg * dg + db * db > static_cast<double>(threshold) * threshold;
}

COLORREF CXTPColorManager::EnsureContrast(COLORREF a, COLORREF b, float threshold)
{
    Point3 pa = ToWeighted(a), pb = ToWeighted(b);
    double brightA = Length(pa), brightB = Length(pb);
    double t = ScaleThreshold(static_cast<int>(brightA), static_cast<int>(threshold));
    // Lighter when B is the lighter one and there is room above A; darker otherwise, unless A is
    // too dark to go below.
    bool mirrored = (brightA < brightB ? kMaxDiagonal - t : t) >= brightA;
    auto mirror = [](Point3 p) { return Point3{195.0 - p.r, 390.0 - p.g, 65.0 - p.b}; };
    if (mirrored) {
        pa = mirror(pa);
        pb = mirror(pb);
    }
    double u = std::max(Length(pb), 0.001);
    double p = (pa.r * pb.r + pa.g * pb.g + pa.b * pb.b) / u;
    Point3 projection = {pb.r * p / u, pb.g * p / u, pb.b * p / u};
    double h = Length({pa.r - projection.r, pa.g - projection.g, pa.b - projection.b});
    double s = p - std::sqrt(std::max(t * t - h * h, 0.0));
    Point3 result = {pb.r * s / u, pb.g * s / u, pb.b * s / u};
    if (mirrored)
        result = mirror(result);
    return FromWeighted(result);
}

COLORREF CXTPColorManager::SetColorDistance(COLORREF a, COLORREF b, float threshold)
{
    Point3 pa = ToWeighted(a), pb = ToWeighted(b);
    double d = Length({pa.r - pb.r, pa.g - pb.g, pa.b - pb.b});
    double t = ScaleThreshold(static_cast<int>(Length(pa)), static_cast<int>(threshold));
    double l = d > 0 ? (d - t) / d : 0.0;
    return FromWeighted({pb.r + l * (pa.r - pb.r), pb.g + l * (pa.g - pb.g), pb.b + l * (pa.b - pb.b)});
}

int CXTPColorManager::DetectSystemTheme()
{
    BOOL active = FALSE;
    CString fileName, colorName;
    BOOL ok = m_themeSource ? m_themeSource(&active, &fileName, &colorName)
                            : ReadRealThemeNames(&active, &fileName, &colorName);
    if (!active || IsLowColor() || !ok)
        return 0;
    fileName.MakeLower();
    colorName.MakeLower();
    if (fileName.Find(L"luna.msstyles") >= 0 || fileName.Find(L"winxp.luna.cjstyles") >= 0) {
        if (colorName == L"normalcolor")
            return 1;
        if (colorName == L"homestead")
            return 2;
        if (colorName == L"metallic")
            return 3;
    }
    if (m_bAllowRoyale && (fileName.Find(L"royale.msstyles") >= 0 || fileName.Find(L"winxp.royale.cjstyles") >= 0))
        return 4;
    if (m_bAllowAero && fileName.Find(L"aero.msstyles") >= 0)
        return 5;
    return 0;
}

void CXTPColorManager::ReadSystemColors()
{
    m_arrStandardColor[0] = 0;
    for (int i = 1; i <= 29; ++i)
        m_arrStandardColor[i] = m_provider ? m_provider(i) : ::GetSysColor(i);
}

void CXTPColorManager::SetClassicColors()
{
    const COLORREF face = GetColor(COLOR_BTNFACE), shadow = GetColor(COLOR_BTNSHADOW);
    auto c = [this](int index) { return GetColor(index); };
    SetStd(30, face);
    SetStd(31, c(5));
    SetStd(33, c(13));
    SetStd(41, c(5));
    SetStd(35, c(17));
    for (int index : {38, 39, 40, 43, 61})
        SetStd(index, shadow);
    SetStd(36, c(5));
    SetStd(32, c(13));
    SetStd(37, c(13));
    SetStd(44, c(8));
    SetStd(45, c(7));
    SetStd(46, c(18));
    SetStd(47, c(14));
    SetStd(48, shadow);
    SetStd(49, c(14));
    SetStd(42, shadow);
    SetStd(50, c(13));
    SetStd(34, shadow);
    SetStd(51, face);
    SetStd(52, shadow);
    SetStd(53, face);
    SetStd(54, shadow);
    SetStd(55, face);
    SetStd(56, face);
    SetStd(57, shadow);
    SetStd(60, shadow);
    SetStd(58, c(17));
    SetStd(59, 0);
}

void CXTPColorManager::FillSchemeColors()
{
    std::fill(std::begin(m_arrLunaColor), std::end(m_arrLunaColor), kUnset);
    int scheme = SchemeInForce();
    if (scheme <= 0 || scheme > 5)
        return;
    int column = scheme == 2 ? 1 : scheme == 3 ? 2 : 0;
    struct Row {
        int index;
        COLORREF colors[3];
    };
    static const Row rows[] = {
        {30, {RGB(158, 190, 245), RGB(217, 217, 167), RGB(215, 215, 229)}},
        {31, {RGB(255, 238, 194), RGB(255, 238, 194), RGB(255, 238, 194)}},
        {32, {RGB(0, 0, 128), RGB(63, 93, 56), RGB(75, 75, 111)}},
        {33, {RGB(254, 128, 62), RGB(254, 128, 62), RGB(254, 128, 62)}},
        {36, {RGB(255, 192, 111), RGB(255, 192, 111), RGB(255, 192, 111)}},
        {37, {RGB(0, 0, 128), RGB(63, 93, 56), RGB(75, 75, 111)}},
        {38, {RGB(39, 65, 118), RGB(81, 94, 51), RGB(84, 84, 117)}},
        {39, {RGB(106, 140, 203), RGB(96, 128, 88), RGB(110, 109, 143)}},
        {40, {RGB(109, 150, 208), RGB(159, 174, 122), RGB(168, 167, 190)}},
        {41, {RGB(246, 246, 246), RGB(244, 244, 238), RGB(253, 250, 255)}},
        {43, {RGB(0, 45, 150), RGB(117, 141, 94), RGB(124, 124, 148)}},
        {47, {RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0)}},
        {50, {RGB(0, 0, 128), RGB(63, 93, 56), RGB(75, 75, 111)}},
        {59, {RGB(22, 30, 54), RGB(31, 34, 25), RGB(36, 32, 41)}},
    };
    for (const Row& row : rows)
        m_arrLunaColor[row.index] = row.colors[column];
}

void CXTPColorManager::RefreshGradients()
{
    int scheme = SchemeInForce();
    if (scheme <= 0 || scheme > 5) {
        COLORREF face = GetColor(COLOR_BTNFACE), window = GetColor(COLOR_WINDOW), shadow = GetColor(COLOR_BTNSHADOW);
        grcCaption.SetStandardValue(shadow, shadow);
        grcDockBar.SetStandardValue(face, MixColors(face, window, 215));
        grcShortcutBarGripper.SetStandardValue(face, shadow);
        grcToolBar.SetStandardValue(MixColors(face, window, 205), face);
        grcMenu.SetStandardValue(MixColors(face, window, 145), MixColors(face, window, 93));
        grcMenuExpanded.SetStandardValue(MixColors(face, window, 40), MixColors(face, shadow, 95));
        grcMenuItemPopup.SetStandardValue(MixColors(face, window, 165), MixColors(face, window, 42));
    } else {
        struct Stop {
            COLORREF first, second;
            float factor;
        };
        static const Stop blue[7] = {
            {RGB(89, 135, 214), RGB(0, 45, 150), 0.5f},     {RGB(158, 190, 245), RGB(196, 218, 250), 0.5f},
            {RGB(89, 135, 214), RGB(0, 45, 150), 0.5f},     {RGB(221, 236, 254), RGB(129, 169, 226), 0.75f},
            {RGB(227, 239, 255), RGB(135, 173, 228), 0.5f}, {RGB(203, 221, 246), RGB(121, 161, 220), 0.5f},
            {RGB(227, 239, 255), RGB(147, 181, 231), 0.5f}};
        static const Stop olive[7] = {
            {RGB(175, 192, 130), RGB(99, 122, 68), 0.5f},   {RGB(217, 217, 167), RGB(242, 241, 228), 0.5f},
            {RGB(120, 142, 111), RGB(73, 91, 67), 0.5f},    {RGB(244, 247, 222), RGB(183, 198, 145), 0.3f},
            {RGB(255, 255, 237), RGB(184, 199, 146), 0.3f}, {RGB(230, 230, 209), RGB(164, 180, 120), 0.3f},
            {RGB(236, 240, 213), RGB(194, 206, 159), 0.5f}};
        static const Stop silver[7] = {
            {RGB(168, 167, 191), RGB(112, 111, 145), 0.5f},  {RGB(215, 215, 229), RGB(243, 243, 247), 0.5f},
            {RGB(168, 167, 191), RGB(119, 118, 151), 0.5f},  {RGB(249, 249, 255), RGB(156, 155, 183), 0.75f},
            {RGB(249, 249, 255), RGB(159, 157, 185), 0.75f}, {RGB(215, 215, 226), RGB(128, 126, 158), 0.75f},
            {RGB(233, 231, 241), RGB(186, 185, 205), 0.5f}};
        const Stop* table = scheme == 2 ? olive : scheme == 3 ? silver : blue;
        SetStd(54, scheme == 2 ? RGB(96, 128, 88) : scheme == 3 ? RGB(124, 124, 148) : RGB(0, 45, 150));
        for (int i = 0; i < 7; ++i)
            Gradient(i).SetStandardValue(table[i].first, table[i].second, table[i].factor);
    }
    if (m_bLowColor) {
        grcToolBar.SetStandardSolid(GetColor(COLOR_BTNFACE));
        grcDockBar.SetStandardSolid(GetColor(COLOR_BTNFACE));
    }
}

void CXTPColorManager::RefreshColors()
{
    m_systemTheme = DetectSystemTheme();
    m_bLowColor = IsLowColor();
    ReadSystemColors();
    SetClassicColors();
    FillSchemeColors();
    if (m_bLowColor) {
        RefreshGradients();
        return;
    }
    auto c = [this](int index) { return GetColor(index); };
    const COLORREF face = c(15), buttonText = c(18);
    const bool highContrast = (face == RGB(0, 0, 0) && buttonText == RGB(255, 255, 255)) ||
                              (face == RGB(255, 255, 255) && buttonText == RGB(0, 0, 0));
    if (highContrast) {
        SetStd(31, c(13));
        SetStd(36, c(13));
        SetStd(45, c(14));
        SetStd(32, c(18));
        SetStd(37, c(18));
        SetStd(50, c(13));
        SetStd(43, c(18));
        SetStd(38, c(18));
    } else {
        struct Mix {
            int target, a, b, weight;
        };
        static const Mix mixes[] = {{30, 5, 15, 165}, {31, 13, 5, 30},  {33, 13, 5, 50},  {41, 15, 5, 143},
                                    {35, 17, 5, 70},  {38, 16, 5, 75},  {39, 16, 5, 70},  {43, 46, 16, 20},
                                    {61, 46, 16, 15}, {40, 16, 5, 90},  {42, 15, 16, 90}};
        for (const Mix& mix : mixes)
            SetStd(mix.target, MixColors(c(mix.a), c(mix.b), mix.weight));
    }

    if (ColorDistanceExceeds(c(15), c(30), TRUE, 35.0f))
        SetStd(30, SetColorDistance(c(15), c(30), 35.0f));

    struct Fix {
        int target, source, reference, threshold;
    };
    static const Fix fixes[] = {{31, 31, 30, 50},  {32, 13, 30, 100}, {33, 33, 30, 30},  {35, 35, 41, 80},
                                {37, 37, 33, 100}, {38, 38, 30, 85},  {39, 39, 30, 50},  {43, 43, 41, 100},
                                {61, 61, 30, 100}, {40, 40, 30, 80},  {44, 44, 41, 180}, {45, 45, 31, 180},
                                {46, 46, 30, 180}, {47, 47, 33, 180}};
    for (const Fix& fix : fixes) {
        COLORREF reference = c(fix.reference), color = c(fix.source);
        if (!ColorDistanceExceeds(reference, color, TRUE, static_cast<float>(fix.threshold)))
            SetStd(fix.target, EnsureContrast(reference, color, static_cast<float>(fix.threshold)));
    }

    if (ColorDistanceExceeds(c(41), c(35), TRUE, 145.0f))
        SetStd(35, SetColorDistance(c(41), c(35), 145.0f));

    if (!highContrast) {
        COLORREF c30 = c(30), c5 = c(5), c13 = c(13);
        auto channel = [](int x, int y, int z) { return (x * 50 / 100 + y * 40 / 100 + z * 10 / 100) & 0xFF; };
        SetStd(36, RGB(channel(GetRValue(c30), GetRValue(c5), GetRValue(c13)),
                       channel(GetGValue(c30), GetGValue(c5), GetGValue(c13)),
                       channel(GetBValue(c30), GetBValue(c5), GetBValue(c13))));
    }

    {
        COLORREF f = c(15);
        int m = std::max({GetRValue(f), GetGValue(f), GetBValue(f)});
        if (m == 0) {
            SetStd(48, RGB(35, 35, 35));
        } else {
            int target = m + std::min(35, 255 - m);
            auto channel = [m, target](int v) { return (v * target / m) & 0xFF; };
            SetStd(48, RGB(channel(GetRValue(f)), channel(GetGValue(f)), channel(GetBValue(f))));
        }
    }
    {
        COLORREF s = c(16);
        if (c(15) == RGB(0, 0, 0)) {
            SetStd(49, RGB(127, 127, 127));
        } else {
            int m = std::max({GetRValue(s), GetGValue(s), GetBValue(s)});
            if (m == 0) {
                SetStd(49, 0);
            } else {
                int target = std::max(m - 43, 0);
                auto channel = [m, target](int v) { return v * target / m; };
                SetStd(49, RGB(channel(GetRValue(s)), channel(GetGValue(s)), channel(GetBValue(s))));
            }
        }
    }
    {
        COLORREF h = c(31);
        SetStd(34, RGB(static_cast<int>(GetRValue(h) * 0.75), static_cast<int>(GetGValue(h) * 0.75),
                       static_cast<int>(GetBValue(h) * 0.75)));
    }
    {
        COLORREF f = c(15);
        SetStd(22, RGB(std::min(GetRValue(f) + 15, 255), std::min(GetGValue(f) + 15, 255),
                       std::min(GetBValue(f) + 15, 255)));
    }
    SetStd(53, c(30));
    SetStd(58, c(40));
    SetStd(60, m_arrStandardColor[40]);

    RefreshGradients();

    CXTPWinThemeWrapper theme;
    theme.OpenThemeData(nullptr, L"TREEVIEW");
    COLORREF border = 0;
    if (theme.IsAppThemed() && theme.GetThemeHandle() && SUCCEEDED(theme.GetThemeColor(0, 0, 3801, &border)))
        SetStd(57, border);
}

CXTPColorManager* GetColorManager()
{
    static CXTPColorManager manager;
    return &manager;
}

void RefreshToolkitColors()
{
    GetColorManager()->RefreshColors();
}
