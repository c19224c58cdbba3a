#pragma once
// The thickness record of margins, paddings, borders and frames: four sides in pixels.

#include "toolkit/markup/XTPMarkupObject.h"

class CXTPMarkupThickness : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupThickness)
public:
    CXTPMarkupThickness() = default;
    explicit CXTPMarkupThickness(int all) : m_nLeft(all), m_nTop(all), m_nRight(all), m_nBottom(all) {}
    CXTPMarkupThickness(int left, int top, int right, int bottom)
        : m_nLeft(left), m_nTop(top), m_nRight(right), m_nBottom(bottom)
    {
    }

    int GetLeft() const { return m_nLeft; }
    int GetTop() const { return m_nTop; }
    int GetRight() const { return m_nRight; }
    int GetBottom() const { return m_nBottom; }

    BOOL IsEqual(const CXTPMarkupObject* other) const override;
    // One number for all four sides, or four separated by commas (left, top, right, bottom),
    // optionally in pt, in, cm or mm; anything else (two numbers among it) gives null.
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

    // The shared all-zero thickness, made on first use; one reference for the caller.
    static CXTPMarkupThickness* GetDefault();
    // Drops the process's reference to it (exit-time teardown).
    static void ReleaseDefault();

protected:
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0;
    int m_nBottom = 0;
};

// rect less the thickness on every side; a side pair that would cross leaves an empty box at the
// near edge. A null thickness leaves rect as it is.
RECT MarkupDeflateRect(const RECT& rect, const CXTPMarkupThickness* thickness);
