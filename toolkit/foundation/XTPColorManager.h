#pragma once
// Toolkit colours. A colour value below 63 given to the painting code is an index into the colour
// manager's table (the 29 system colours and 33 derived ones); anything larger is an RGB value.
// The manager also detects the Windows XP colour scheme in use; the paint managers, tab colour
// sets and docking themes follow it. Rebuilt by RefreshToolkitColors on system-colour, settings
// and theme changes. User-interface thread only.

#include "framework/Archive.h"
#include "framework/CmdTarget.h"
#include "framework/String.h"

#include <windows.h>

#include <functional>

class CXTPPaintManagerColor {
public:
    CXTPPaintManagerColor() = default;
    explicit CXTPPaintManagerColor(COLORREF standard) : m_clrStandardValue(standard) {}
    virtual ~CXTPPaintManagerColor() = default;

    // Standard, then override, each a 32-bit value.
    virtual void Serialize(CArchive& ar);

    COLORREF GetStandardColor() const { return m_clrStandardValue; }
    void SetStandardValue(COLORREF color) { m_clrStandardValue = color; }
    void SetCustomValue(COLORREF color) { m_clrCustomValue = color; }
    BOOL IsCustomValue() const { return m_clrCustomValue != static_cast<COLORREF>(-1); }
    COLORREF GetEffective() const { return IsCustomValue() ? m_clrCustomValue : m_clrStandardValue; }
    operator COLORREF() const { return GetEffective(); }

    COLORREF m_clrStandardValue = static_cast<COLORREF>(-1);
    COLORREF m_clrCustomValue = static_cast<COLORREF>(-1);
};

class CXTPPaintManagerColorGradient {
public:
    CXTPPaintManagerColorGradient() = default;
    virtual ~CXTPPaintManagerColorGradient() = default;

    // First colour, second colour, then the factor's 32-bit float bits.
    virtual void Serialize(CArchive& ar);

    void SetStandardValue(COLORREF first, COLORREF second, float factor = 0.5f);
    void SetStandardValueFrom(const CXTPPaintManagerColorGradient& other);
    void SetStandardSolid(COLORREF color) { SetStandardValue(color, color, 0.5f); }

    CXTPPaintManagerColor clrLight;
    CXTPPaintManagerColor clrDark;
    float fGradientFactor = 0.5f;
};

// Index names used below and by tests.
constexpr int XPCOLOR_BASE = 30;
constexpr int XPCOLOR_LAST = 62;
constexpr int XPCOLOR_COUNT = 63;

class CXTPColorManager : public CCmdTarget {
public:
    // Answers the system colour of index 1..29 in place of GetSysColor.
    using SystemColorProvider = std::function<COLORREF(int index)>;
    // Answers the visual-style state in place of the visual-styles library: whether a style is
    // active, and its file and colour names; FALSE stands for a failed query.
    using ThemeNameSource = std::function<BOOL(BOOL* active, CString* fileName, CString* colorName)>;

    CXTPColorManager();
    // A manager whose first refresh already reads through the seams (tests).
    CXTPColorManager(SystemColorProvider provider, ThemeNameSource themeSource);

    COLORREF GetColor(int color) const;
    COLORREF GetLunaColor(int color) const;
    static COLORREF MixColors(COLORREF a, COLORREF b, int weight);
    static BOOL IsLowColorDisplay(HDC dc = nullptr);
    BOOL IsLunaColorsDisabled() const { return m_bDisableLunaColors; }
    void DisableLunaColors(BOOL disable) { m_bDisableLunaColors = disable; }
    void SetAllowRoyale(BOOL allow) { m_bAllowRoyale = allow; }
    int GetSystemTheme() const { return m_systemTheme; }
    int GetCurrentSystemTheme() const;
    void SetCustomColor(int index, COLORREF color) { m_arrCustomColor[index] = color; }
    COLORREF GetStandardColor(int index) const { return m_arrStandardColor[index]; }

    static float ColorDistance(COLORREF a, COLORREF b);
    static BOOL ColorDistanceExceeds(COLORREF a, COLORREF b, BOOL scaled, float threshold);
    static float ScaleThreshold(int brightness, int threshold);
    static COLORREF EnsureContrast(COLORREF a, COLORREF b, float threshold);
    static COLORREF SetColorDistance(COLORREF a, COLORREF b, float threshold);

    void RefreshColors();
    int DetectSystemTheme();

    void SetSystemColorProvider(SystemColorProvider provider) { m_provider = std::move(provider); }
    void SetThemeNameSource(ThemeNameSource source) { m_themeSource = std::move(source); }
    // Low-colour answer for tests: -1 asks the screen.
    void SetLowColorOverride(int lowColor) { m_lowColorOverride = lowColor; }

    CXTPPaintManagerColorGradient grcCaption;           // gradient 0
    CXTPPaintManagerColorGradient grcDockBar;           // 1
    CXTPPaintManagerColorGradient grcShortcutBarGripper;// 2
    CXTPPaintManagerColorGradient grcToolBar;           // 3
    CXTPPaintManagerColorGradient grcMenu;              // 4
    CXTPPaintManagerColorGradient grcMenuExpanded;      // 5
    CXTPPaintManagerColorGradient grcMenuItemPopup;     // 6
    CXTPPaintManagerColorGradient grcLunaChecked;       // 7
    CXTPPaintManagerColorGradient grcLunaPushed;        // 8
    CXTPPaintManagerColorGradient grcLunaSelected;      // 9

    CXTPPaintManagerColorGradient& Gradient(int index);

protected:
    void Init();
    void ReadSystemColors();
    void SetClassicColors();
    void FillSchemeColors();
    void RefreshGradients();
    BOOL IsLowColor() const;
    int SchemeInForce() const;
    void SetStd(int index, COLORREF color) { m_arrStandardColor[index] = color; }

    BOOL m_bAllowRoyale = TRUE;
    BOOL m_bAllowAero = TRUE;
    BOOL m_bDisableLunaColors = FALSE;
    COLORREF m_arrStandardColor[XPCOLOR_COUNT] = {};
    COLORREF m_arrCustomColor[XPCOLOR_COUNT];
    COLORREF m_arrLunaColor[XPCOLOR_COUNT];
    SystemColorProvider m_provider;
    ThemeNameSource m_themeSource;
    int m_chosenTheme = 6;
    int m_systemTheme = 0;
    int m_lowColorOverride = -1;
    BOOL m_bLowColor = FALSE;
};

CXTPColorManager* GetColorManager();
void RefreshToolkitColors();
