#pragma once
// The image element: one picture, an icon of the context's image manager by command id or a
// bitmap or icon loaded from a file ("file://") or from the program's resources ("res://"). The
// picture is loaded again on every measure, so a new "Source" shows at the next layout; it is
// drawn scaled to the element's render size.

#include "toolkit/markup/XTPMarkupFrameworkElement.h"

class CXTPImageManager;
class CXTPImageManagerIcon;

class CXTPMarkupImage : public CXTPMarkupFrameworkElement {
    DECLARE_MARKUPCLASS(CXTPMarkupImage)
public:
    enum Stretch { stretchNone = 0, stretchFill = 1, stretchUniform = 2, stretchUniformToFill = 3 };

    CXTPMarkupImage() = default;

    // null clears the source (the picture goes at the next measure).
    void SetSource(const wchar_t* source);
    void SetStretch(Stretch stretch);

    // What the last measure loaded; null when there is no picture.
    CXTPImageManagerIcon* GetIcon() const { return m_pIcon; }

    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override;
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override;
    void OnRender(CXTPMarkupDrawingContext* dc) override;

    static CXTPMarkupDependencyProperty* m_pSourceProperty;
    static CXTPMarkupDependencyProperty* m_pStretchProperty;
    static void RegisterMarkupClass();

protected:
    ~CXTPMarkupImage() override;

    void ReleasePicture();
    void LoadPicture(int availableWidth);
    SIZE ComputeSize(int width, int height) const;

    CXTPImageManager* m_pImageManager = nullptr; // one reference
    CXTPImageManagerIcon* m_pIcon = nullptr;     // one reference
};
