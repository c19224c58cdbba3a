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

protected:
    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 0;
    int m_nBottom = 0;
};
