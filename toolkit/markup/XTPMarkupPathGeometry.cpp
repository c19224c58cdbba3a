#include "toolkit/markup/XTPMarkupPathGeometry.h"

#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupPathGeometry, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupPathGeometry>,
                      nullptr)

CXTPMarkupPathGeometry::CXTPMarkupPathGeometry(const MARKUP_POINTF* points, const BYTE* types, int count,
                                               int pixelOffsetHint)
    : m_nPixelOffsetHint(pixelOffsetHint)
{
    if (count <= 0 || !points || !types)
        return;
    m_points.assign(points, points + count);
    m_types.assign(types, types + count);
    float left = points[0].x, top = points[0].y, right = points[0].x, bottom = points[0].y;
    for (const MARKUP_POINTF& point : m_points) {
        left = std::min(left, point.x);
        top = std::min(top, point.y);
        right = std::max(right, point.x);
        bottom = std::max(bottom, point.y);
    }
    m_rcBounds = {static_cast<LONG>(std::floor(left)), static_cast<LONG>(std::floor(top)),
                  static_cast<LONG>(std::ceil(right)), static_cast<LONG>(std::ceil(bottom))};
}

CXTPMarkupObject* CXTPMarkupPathGeometry::ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(object);
    if (!text)
        return nullptr;
    CXTPMarkupPathGeometryBuilder pathBuilder;
    return pathBuilder.Parse(builder, text->GetBuffer(), text->GetLength());
}

// ---- Building by hand

void CXTPMarkupPathGeometryBuilder::Add(float x, float y, BYTE type)
{
    m_points.push_back({x, y});
    m_types.push_back(type);
}

void CXTPMarkupPathGeometryBuilder::BeginFigure(float x, float y)
{
    Add(x, y, CXTPMarkupPathGeometry::typeStart);
}

void CXTPMarkupPathGeometryBuilder::LineTo(float x, float y)
{
    Add(x, y, CXTPMarkupPathGeometry::typeLine);
}

void CXTPMarkupPathGeometryBuilder::BezierTo(float x1, float y1, float x2, float y2, float x3, float y3)
{
    Add(x1, y1, CXTPMarkupPathGeometry::typeBezier);
    Add(x2, y2, CXTPMarkupPathGeometry::typeBezier);
    Add(x3, y3, CXTPMarkupPathGeometry::typeBezier);
}

void CXTPMarkupPathGeometryBuilder::CornerTo(float cx, float cy, float x, float y)
{
    BezierTo(cx, cy, x, y, x, y);
}

void CXTPMarkupPathGeometryBuilder::CloseFigure()
{
    if (!m_types.empty())
        m_types.back() |= CXTPMarkupPathGeometry::typeCloseFigure;
}

CXTPMarkupPathGeometry* CXTPMarkupPathGeometryBuilder::CreateGeometry(int pixelOffsetHint) const
{
    return new CXTPMarkupPathGeometry(m_points.data(), m_types.data(), static_cast<int>(m_points.size()),
                                      pixelOffsetHint);
}

// ---- Path data

wchar_t CXTPMarkupPathGeometryBuilder::SkipWhiteSpace()
{
    while (m_nIndex < m_nLength) {
        const wchar_t ch = m_pText[m_nIndex];
        if (ch != L' ' && ch != L'\t' && ch != L'\r' && ch != L'\n')
            return ch;
        ++m_nIndex;
    }
    return 0;
}

bool CXTPMarkupPathGeometryBuilder::StartsNumber(wchar_t ch) const
{
    return ch == L'+' || ch == L'-' || ch == L'.' || (ch >= L'0' && ch <= L'9');
}

float CXTPMarkupPathGeometryBuilder::ReadNumber(bool allowComma)
{
    wchar_t ch = SkipWhiteSpace();
    if (allowComma && ch == L',') {
        ++m_nIndex;
        ch = SkipWhiteSpace();
    }
    if (!StartsNumber(ch))
        Fail();
    bool negative = false;
    if (ch == L'+' || ch == L'-') {
        negative = ch == L'-';
        ++m_nIndex;
    }
    // Digits, optionally "." and digits; a sign or "." without any digit is no number.
    long double value = 0;
    bool anyDigit = false;
    auto digitAt = [this](int index) { return index < m_nLength && m_pText[index] >= L'0' && m_pText[index] <= L'9'; };
    for (; digitAt(m_nIndex); ++m_nIndex) {
        value = value * 10 + (m_pText[m_nIndex] - L'0');
        anyDigit = true;
    }
    if (m_nIndex < m_nLength && m_pText[m_nIndex] == L'.') {
        ++m_nIndex;
        long double scale = 10;
        for (; digitAt(m_nIndex); ++m_nIndex) {
            value += (m_pText[m_nIndex] - L'0') / scale;
            scale *= 10;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        Fail();
    return static_cast<float>(negative ? -value : value);
}

MARKUP_POINTF CXTPMarkupPathGeometryBuilder::ReadPoint(bool allowComma, bool relative)
{
    MARKUP_POINTF point;
    point.x = ReadNumber(allowComma);
    point.y = ReadNumber(true);
    if (relative) {
        point.x += m_ptCurrent.x;
        point.y += m_ptCurrent.y;
    }
    return point;
}

bool CXTPMarkupPathGeometryBuilder::MoreNumbers()
{
    wchar_t ch = SkipWhiteSpace();
    bool comma = false;
    if (ch == L',') {
        comma = true;
        ++m_nIndex;
        ch = SkipWhiteSpace();
    }
    if (StartsNumber(ch))
        return true;
    if (comma)
        Fail(); // a comma that separates nothing
    return false;
}

void CXTPMarkupPathGeometryBuilder::EnsureFigure()
{
    if (!m_bFigureOpen) {
        Add(m_ptFigureStart.x, m_ptFigureStart.y, CXTPMarkupPathGeometry::typeStart);
        m_bFigureOpen = true;
    }
}

CXTPMarkupPathGeometry* CXTPMarkupPathGeometryBuilder::Parse(CXTPMarkupBuilder* builder, const wchar_t* text,
                                                             int length)
{
    m_pText = text ? text : L"";
    m_nLength = length < 0 ? static_cast<int>(wcslen(m_pText)) : length;
    m_nLength = static_cast<int>(wcsnlen(m_pText, static_cast<size_t>(m_nLength)));
    m_nIndex = 0;
    m_nErrorPosition = -1;
    m_nFillRule = 0;
    m_ptCurrent = m_ptLastControl = m_ptFigureStart = MARKUP_POINTF{0, 0};
    m_bFigureOpen = false;
    m_points.clear();
    m_types.clear();

    try {
        bool expectFirst = true;
        wchar_t lastCommand = 0;
        for (;;) {
            const wchar_t command = SkipWhiteSpace();
            if (!command)
                break;
            ++m_nIndex;
            if (expectFirst) {
                if (command == L'F') {
                    const wchar_t rule = SkipWhiteSpace();
                    if (rule != L'0' && rule != L'1')
                        Fail();
                    ++m_nIndex;
                    m_nFillRule = rule - L'0';
                    continue;
                }
                if (command != L'M' && command != L'm')
                    Fail();
                expectFirst = false;
            }
            const bool relative = command >= L'a' && command <= L'z';
            MARKUP_POINTF point;
            switch (command) {
            case L'M':
            case L'm':
                point = ReadPoint(false, relative);
                m_ptCurrent = point;
                Add(point.x, point.y, CXTPMarkupPathGeometry::typeStart);
                m_ptFigureStart = point;
                m_bFigureOpen = true;
                while (MoreNumbers()) { // further points are implicit line-tos
                    point = ReadPoint(false, relative);
                    m_ptCurrent = point;
                    LineTo(point.x, point.y);
                }
                break;
            case L'L':
            case L'l':
                EnsureFigure();
                do {
                    point = ReadPoint(false, relative);
                    m_ptCurrent = point;
                    LineTo(point.x, point.y);
                } while (MoreNumbers());
                break;
            case L'H':
            case L'h':
            case L'V':
            case L'v':
                EnsureFigure();
                do {
                    const float value = ReadNumber(false);
                    if (command == L'H' || command == L'h')
                        m_ptCurrent.x = relative ? m_ptCurrent.x + value : value;
                    else
                        m_ptCurrent.y = relative ? m_ptCurrent.y + value : value;
                    LineTo(m_ptCurrent.x, m_ptCurrent.y);
                } while (MoreNumbers());
                break;
            case L'C':
            case L'c':
            case L'S':
            case L's':
                EnsureFigure();
                do {
                    MARKUP_POINTF control1 = m_ptCurrent;
                    bool first = true;
                    if (command == L'C' || command == L'c') {
                        control1 = ReadPoint(false, relative);
                        first = false;
                    } else if (lastCommand == L'C' || lastCommand == L'c' || lastCommand == L'S' ||
                               lastCommand == L's') {
                        // S mirrors the previous curve's second control point about the current point.
                        control1 = {2 * m_ptCurrent.x - m_ptLastControl.x, 2 * m_ptCurrent.y - m_ptLastControl.y};
                    }
                    const MARKUP_POINTF control2 = ReadPoint(!first, relative);
                    const MARKUP_POINTF end = ReadPoint(true, relative);
                    BezierTo(control1.x, control1.y, control2.x, control2.y, end.x, end.y);
                    m_ptLastControl = control2;
                    m_ptCurrent = end;
                    lastCommand = command;
                } while (MoreNumbers());
                break;
            case L'Z':
            case L'z':
                EnsureFigure();
                CloseFigure();
                m_bFigureOpen = false;
                m_ptCurrent = m_ptFigureStart;
                break;
            default:
                Fail(); // Q, T and A included
            }
            lastCommand = command;
        }
    } catch (const SyntaxError&) {
        m_nErrorPosition = m_nIndex;
        // Outside a build nobody would catch an exception: the caller just gets no geometry.
        if (builder)
            CXTPMarkupBuilder::ThrowBuilderException(L"Unexpected token encountered at position '%i'", m_nIndex);
        return nullptr;
    }
    return CreateGeometry(0);
}
