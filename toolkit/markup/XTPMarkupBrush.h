#pragma once
// Brushes: the values of every colour property (text, shape fills and strokes, backgrounds). A
// brush is a passive value: it holds its properties and answers one GDI colour; the device
// contexts do the drawing and look at the brush's class to choose how.
//
// A colour text such as "Red" or "#80FF0000" converts to a solid brush wherever a brush is
// expected, also where the property's type is the gradient brush.

#include "toolkit/markup/XTPMarkupCollection.h"
#include "toolkit/markup/XTPMarkupValues.h"

class CXTPMarkupDependencyProperty;

class CXTPMarkupBrush : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupBrush)
public:
    // The colour GDI draws with, 0x00BBGGRR (no alpha); 0 for the base.
    virtual COLORREF GetColor() const { return 0; }

    // A colour text gives a new solid brush of that colour; anything else null.
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;
};

class CXTPMarkupSolidColorBrush : public CXTPMarkupBrush {
    DECLARE_MARKUPCLASS(CXTPMarkupSolidColorBrush)
public:
    CXTPMarkupSolidColorBrush() = default;
    // An opaque brush of a GDI colour.
    explicit CXTPMarkupSolidColorBrush(COLORREF color);
    CXTPMarkupSolidColorBrush(BYTE alpha, COLORREF color);

    // The "Color" value (lent), null when none is set.
    CXTPMarkupColor* GetColorObject() const;
    COLORREF GetColor() const override;
    // Equal to another solid brush of the same GDI colour: alpha does not count.
    BOOL IsEqual(const CXTPMarkupObject* other) const override;

    static CXTPMarkupDependencyProperty* m_pColorProperty;
    static void RegisterMarkupClass();
};

// A point of a gradient, in fractions of the filled rectangle.
class CXTPMarkupPoint : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupPoint)
public:
    CXTPMarkupPoint() = default;
    CXTPMarkupPoint(double x, double y) : x(x), y(y) {}

    // "x,y": two numbers and a comma, spaces allowed around them.
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

    double x = 0;
    double y = 0;
};

class CXTPMarkupGradientStop : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupGradientStop)
public:
    CXTPMarkupGradientStop() = default;
    CXTPMarkupGradientStop(DWORD color, double offset);

    // 0xAABBGGRR; 0 without "Color".
    DWORD GetColor() const;
    // 0.0 without "Offset".
    double GetOffset() const;

    static CXTPMarkupDependencyProperty* m_pColorProperty;
    static CXTPMarkupDependencyProperty* m_pOffsetProperty;
    static void RegisterMarkupClass();
};

class CXTPMarkupGradientStops : public CXTPMarkupCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupGradientStops)
public:
    CXTPMarkupGradientStops() : CXTPMarkupCollection(CXTPMarkupGradientStop::MarkupType()) {}
    CXTPMarkupGradientStop* GetStop(int index) const
    {
        return static_cast<CXTPMarkupGradientStop*>(GetItem(index));
    }
};

class CXTPMarkupLinearGradientBrush : public CXTPMarkupBrush {
    DECLARE_MARKUPCLASS(CXTPMarkupLinearGradientBrush)
public:
    // Made with an empty stop collection, so the collection always exists.
    CXTPMarkupLinearGradientBrush();

    // The first stop's colour in written order, without alpha; 0 without stops.
    COLORREF GetColor() const override;
    // Stops written directly inside the brush element go to its collection.
    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;

    // Lent; null when not set (drawing then uses (0, 0) and (1, 1)).
    CXTPMarkupPoint* GetStartPoint() const;
    CXTPMarkupPoint* GetEndPoint() const;
    // Lent; made when the collection was cleared.
    CXTPMarkupGradientStops* GetGradientStops();
    const CXTPMarkupGradientStops* GetGradientStops() const;

    static CXTPMarkupDependencyProperty* m_pStartPointProperty;
    static CXTPMarkupDependencyProperty* m_pEndPointProperty;
    static CXTPMarkupDependencyProperty* m_pGradientStopsProperty;
    static void RegisterMarkupClass();
};
