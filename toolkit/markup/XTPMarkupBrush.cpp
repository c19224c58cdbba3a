#include "toolkit/markup/XTPMarkupBrush.h"

#include "toolkit/markup/XTPMarkupDependencyProperty.h"

IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupBrush, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupBrush>, nullptr)
IMPLEMENT_MARKUPCLASS(L"SolidColorBrush", CXTPMarkupSolidColorBrush, CXTPMarkupBrush,
                      &CreateMarkupObject<CXTPMarkupSolidColorBrush>, &CXTPMarkupSolidColorBrush::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(nullptr, CXTPMarkupPoint, CXTPMarkupObject, &CreateMarkupObject<CXTPMarkupPoint>, nullptr)
IMPLEMENT_MARKUPCLASS(L"GradientStop", CXTPMarkupGradientStop, CXTPMarkupObject,
                      &CreateMarkupObject<CXTPMarkupGradientStop>, &CXTPMarkupGradientStop::RegisterMarkupClass)
IMPLEMENT_MARKUPCLASS(L"", CXTPMarkupGradientStops, CXTPMarkupCollection, &CreateMarkupObject<CXTPMarkupGradientStops>,
                      nullptr)
IMPLEMENT_MARKUPCLASS(L"LinearGradientBrush", CXTPMarkupLinearGradientBrush, CXTPMarkupBrush,
                      &CreateMarkupObject<CXTPMarkupLinearGradientBrush>,
                      &CXTPMarkupLinearGradientBrush::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupSolidColorBrush::m_pColorProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupGradientStop::m_pColorProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupGradientStop::m_pOffsetProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupLinearGradientBrush::m_pStartPointProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupLinearGradientBrush::m_pEndPointProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupLinearGradientBrush::m_pGradientStopsProperty = nullptr;

// ---- Brush

CXTPMarkupObject* CXTPMarkupBrush::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(object);
    DWORD color = 0;
    if (!text || !ParseMarkupColor(text->GetBuffer(), color))
        return nullptr;
    return new CXTPMarkupSolidColorBrush(static_cast<BYTE>(color >> 24), color & 0xFFFFFF);
}

// ---- Solid colour brush

void CXTPMarkupSolidColorBrush::RegisterMarkupClass()
{
    m_pColorProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"Color", CXTPMarkupColor::MarkupType(), MarkupType());
}

CXTPMarkupSolidColorBrush::CXTPMarkupSolidColorBrush(COLORREF color) : CXTPMarkupSolidColorBrush(0xFF, color)
{
}

CXTPMarkupSolidColorBrush::CXTPMarkupSolidColorBrush(BYTE alpha, COLORREF color)
{
    SetValue(m_pColorProperty, new CXTPMarkupColor(static_cast<DWORD>(alpha) << 24 | (color & 0xFFFFFF)));
}

CXTPMarkupColor* CXTPMarkupSolidColorBrush::GetColorObject() const
{
    return MarkupDynamicCast<CXTPMarkupColor>(GetValue(m_pColorProperty));
}

COLORREF CXTPMarkupSolidColorBrush::GetColor() const
{
    const CXTPMarkupColor* color = GetColorObject();
    return color ? color->GetRgb() : 0;
}

BOOL CXTPMarkupSolidColorBrush::IsEqual(const CXTPMarkupObject* other) const
{
    return other && other->GetType() == GetType() &&
           static_cast<const CXTPMarkupSolidColorBrush*>(other)->GetColor() == GetColor();
}

// ---- Point

CXTPMarkupObject* CXTPMarkupPoint::ConvertFrom(CXTPMarkupBuilder*, CXTPMarkupObject* object) const
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(object);
    if (!text)
        return nullptr;
    const wchar_t* cursor = text->GetBuffer();
    double x = 0, y = 0;
    if (!ParseMarkupNumber(cursor, x, 0, FALSE) || *cursor != L',')
        return nullptr;
    ++cursor;
    if (!ParseMarkupNumber(cursor, y, 0, TRUE))
        return nullptr;
    return new CXTPMarkupPoint(x, y);
}

// ---- Gradient stops

void CXTPMarkupGradientStop::RegisterMarkupClass()
{
    m_pColorProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"Color", CXTPMarkupColor::MarkupType(), MarkupType());
    m_pOffsetProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"Offset", CXTPMarkupDouble::MarkupType(), MarkupType());
}

CXTPMarkupGradientStop::CXTPMarkupGradientStop(DWORD color, double offset)
{
    SetValue(m_pColorProperty, new CXTPMarkupColor(color));
    SetValue(m_pOffsetProperty, new CXTPMarkupDouble(offset));
}

DWORD CXTPMarkupGradientStop::GetColor() const
{
    const CXTPMarkupColor* color = MarkupDynamicCast<CXTPMarkupColor>(GetValue(m_pColorProperty));
    return color ? color->GetValue() : 0;
}

double CXTPMarkupGradientStop::GetOffset() const
{
    const CXTPMarkupDouble* offset = MarkupDynamicCast<CXTPMarkupDouble>(GetValue(m_pOffsetProperty));
    return offset ? static_cast<double>(*offset) : 0.0;
}

// ---- Linear gradient brush

void CXTPMarkupLinearGradientBrush::RegisterMarkupClass()
{
    m_pStartPointProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"StartPoint", CXTPMarkupPoint::MarkupType(), MarkupType());
    m_pEndPointProperty =
        CXTPMarkupDependencyProperty::RegisterProperty(L"EndPoint", CXTPMarkupPoint::MarkupType(), MarkupType());
    m_pGradientStopsProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"GradientStops", CXTPMarkupGradientStops::MarkupType(), MarkupType());
}

CXTPMarkupLinearGradientBrush::CXTPMarkupLinearGradientBrush()
{
    SetValue(m_pGradientStopsProperty, new CXTPMarkupGradientStops());
}

CXTPMarkupPoint* CXTPMarkupLinearGradientBrush::GetStartPoint() const
{
    return MarkupDynamicCast<CXTPMarkupPoint>(GetValue(m_pStartPointProperty));
}

CXTPMarkupPoint* CXTPMarkupLinearGradientBrush::GetEndPoint() const
{
    return MarkupDynamicCast<CXTPMarkupPoint>(GetValue(m_pEndPointProperty));
}

const CXTPMarkupGradientStops* CXTPMarkupLinearGradientBrush::GetGradientStops() const
{
    return MarkupDynamicCast<CXTPMarkupGradientStops>(GetValue(m_pGradientStopsProperty));
}

CXTPMarkupGradientStops* CXTPMarkupLinearGradientBrush::GetGradientStops()
{
    CXTPMarkupGradientStops* stops = MarkupDynamicCast<CXTPMarkupGradientStops>(GetValue(m_pGradientStopsProperty));
    if (!stops && m_pGradientStopsProperty) {
        // Cleared by someone: content still needs a collection to go to.
        SetValue(m_pGradientStopsProperty, new CXTPMarkupGradientStops());
        stops = MarkupDynamicCast<CXTPMarkupGradientStops>(GetValue(m_pGradientStopsProperty));
    }
    return stops;
}

COLORREF CXTPMarkupLinearGradientBrush::GetColor() const
{
    const CXTPMarkupGradientStops* stops = GetGradientStops();
    const CXTPMarkupGradientStop* first = stops ? stops->GetStop(0) : nullptr;
    return first ? first->GetColor() & 0xFFFFFF : 0;
}

void CXTPMarkupLinearGradientBrush::SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content)
{
    CXTPMarkupGradientStops* stops = GetGradientStops();
    if (!stops) {
        CXTPMarkupObject::SetContentObject(builder, content);
        return;
    }
    stops->SetContentObject(builder, content);
}
