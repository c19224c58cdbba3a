#pragma once
// The looks of the caption bar and of its button, chosen by theme number: plain (every number
// but 4 and 5), Office XP (4) and Office 2003 (5). A caption-button look is a button look that
// blends the idle button into its caption: the plain and Office XP ones paint the idle face in the
// caption's inner colour, the Office 2003 one paints the caption's own gradient under the button,
// placed as the caption has it, so that the button does not show until the mouse is over it.
// Colour numbers are indexes of the colour manager (XTPColorManager.h).

#include "framework/Rect.h"
#include "framework/window/Dc.h"
#include "toolkit/foundation/XTPButton.h"
#include "toolkit/foundation/XTPButtonTheme.h"
#include "toolkit/foundation/XTPColorManager.h"

class CXTPCaption;

class CXTPCaptionTheme : public CXTPControlTheme {
public:
    CXTPCaptionTheme();

    // shadow = colour 16, highlight = colour 20.
    virtual void RefreshMetrics(CXTPCaption* caption);
    // The background, frame and inner fill of rect.
    virtual void DrawCaptionBack(CDC* dc, CXTPCaption* caption, const CRect& rect);
    // The caption text into the caption's text rectangle, centred, ellipsis at the end.
    virtual void DrawCaptionText(CDC* dc, CXTPCaption* caption);
    // The icon at the right of rect, only when it fits whole.
    virtual void DrawCaptionIcon(CDC* dc, CXTPCaption* caption, const CRect& rect);

    CXTPPaintManagerColor m_clrShadow;
    CXTPPaintManagerColor m_clrHighlight;
};

class CXTPCaptionThemeOfficeXP : public CXTPCaptionTheme {
public:
    CXTPCaptionThemeOfficeXP();
    void DrawCaptionBack(CDC* dc, CXTPCaption* caption, const CRect& rect) override;
};

class CXTPCaptionThemeOffice2003 : public CXTPCaptionTheme {
public:
    CXTPCaptionThemeOffice2003();
    void DrawCaptionBack(CDC* dc, CXTPCaption* caption, const CRect& rect) override;
};

// The caption a caption button reads: set and still a window, else null.
CXTPCaption* GetLiveCaptionOf(CXTPButton* button);

class CXTPCaptionButtonTheme : public CXTPButtonTheme {
public:
    CXTPCaptionButtonTheme();

    void DrawButtonBackground(CDC* dc, CXTPButton* button) override;
    COLORREF GetTextColor(CXTPButton* button) override;
    // The caption's text over the whole button (pin mode only).
    virtual void DrawCaptionButtonText(CDC* dc, CXTPButton* button);
};

class CXTPCaptionButtonThemeOfficeXP : public CXTPButtonOfficeXPTheme {
public:
    CXTPCaptionButtonThemeOfficeXP();

    void DrawButtonBackground(CDC* dc, CXTPButton* button) override;
    COLORREF GetTextColor(CXTPButton* button) override;
    virtual void DrawCaptionButtonText(CDC* dc, CXTPButton* button);
};

class CXTPCaptionButtonThemeOffice2003 : public CXTPButtonOffice2003Theme {
public:
    CXTPCaptionButtonThemeOffice2003();

    void DrawButtonBackground(CDC* dc, CXTPButton* button) override;
    // The Office XP caption button's colours.
    COLORREF GetTextColor(CXTPButton* button) override;
};
