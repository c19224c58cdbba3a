#pragma once
// Ground of the layout, render, hit-test and routed-event tests: trees built in code from panels
// and fixed-size leaves, with every element named so that a table can list what it expects of it.

#include "MarkupTestSupport.h"

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupCanvas.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupDockPanel.h"
#include "toolkit/markup/XTPMarkupDrawingContext.h"
#include "toolkit/markup/XTPMarkupThickness.h"
#include "toolkit/markup/XTPMarkupUniformGrid.h"
#include "toolkit/markup/XTPMarkupWrapPanel.h"

#include <map>
#include <string>

namespace markuptests {

// A leaf whose content asks for a fixed size whatever it is offered, and which counts its passes.
class CCountingElement : public CXTPMarkupFrameworkElement {
public:
    explicit CCountingElement(int width = 0, int height = 0) : m_content{width, height} {}

    SIZE MeasureOverride(CXTPMarkupDrawingContext*, int availableWidth, int availableHeight) override
    {
        ++m_nMeasureCalls;
        m_lastAvailable = {availableWidth, availableHeight};
        return m_content;
    }
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override
    {
        ++m_nArrangeCalls;
        return SIZE{finalWidth, finalHeight};
    }
    // A new content size, announced the way a property that affects measure would announce it.
    void SetContentSize(int width, int height)
    {
        m_content = {width, height};
        InvalidateMeasure();
    }

    SIZE m_content;
    SIZE m_lastAvailable = {0, 0};
    int m_nMeasureCalls = 0;
    int m_nArrangeCalls = 0;
};

// A vertical stack panel that counts its passes.
class CCountingStack : public CXTPMarkupStackPanel {
public:
    SIZE MeasureOverride(CXTPMarkupDrawingContext* dc, int availableWidth, int availableHeight) override
    {
        ++m_nMeasureCalls;
        return CXTPMarkupStackPanel::MeasureOverride(dc, availableWidth, availableHeight);
    }
    SIZE ArrangeOverride(int finalWidth, int finalHeight) override
    {
        ++m_nArrangeCalls;
        return CXTPMarkupStackPanel::ArrangeOverride(finalWidth, finalHeight);
    }

    int m_nMeasureCalls = 0;
    int m_nArrangeCalls = 0;
};

// Names the elements of one tree; the root owns the tree, this only points into it.
class CTree {
public:
    CTree() = default;
    CTree(const CTree&) = delete;
    CTree& operator=(const CTree&) = delete;
    ~CTree() { MarkupRelease(m_pRoot); }

    template <class T>
    T* Root(const wchar_t* name, T* element)
    {
        m_pRoot = element;
        m_names[name] = element;
        return element;
    }
    // Adds element (taking it over) to the panel's children under name.
    template <class T>
    T* Add(CXTPMarkupPanel* panel, const wchar_t* name, T* element)
    {
        panel->GetChildren()->Add(element);
        m_names[name] = element;
        return element;
    }
    CXTPMarkupUIElement* operator[](const std::wstring& name) const
    {
        auto found = m_names.find(name);
        return found == m_names.end() ? nullptr : found->second;
    }
    CXTPMarkupUIElement* GetRoot() const { return m_pRoot; }

    // Measures the root with the host's size and arranges it at the host's origin.
    void Layout(int width, int height)
    {
        CXTPMarkupDrawingContext dc;
        m_pRoot->Measure(&dc, width, height);
        m_pRoot->Arrange(RECT{0, 0, width, height});
    }

private:
    CXTPMarkupUIElement* m_pRoot = nullptr;
    std::map<std::wstring, CXTPMarkupUIElement*> m_names;
};

// A framework element of a fixed size (Width and Height set).
inline CXTPMarkupFrameworkElement* FixedLeaf(int width, int height)
{
    auto* leaf = new CXTPMarkupFrameworkElement();
    if (width >= 0)
        leaf->SetWidth(width);
    if (height >= 0)
        leaf->SetHeight(height);
    return leaf;
}

template <class T>
T* WithBackground(T* panel, COLORREF color)
{
    panel->SetBackground(new CXTPMarkupSolidColorBrush(color));
    return panel;
}

template <class T>
T* WithVisibility(T* element, int visibility)
{
    element->SetValue(CXTPMarkupUIElement::m_pVisibilityProperty, CreateMarkupEnum(visibility));
    return element;
}

// The element's render box in the root's coordinates (the root arranged at the origin).
inline RECT RootRect(const CXTPMarkupVisual* element)
{
    POINT origin = {0, 0};
    for (const CXTPMarkupVisual* walk = element; walk; walk = walk->GetVisualParent()) {
        origin.x += walk->GetVisualOffset().x;
        origin.y += walk->GetVisualOffset().y;
    }
    const SIZE size = element->GetRenderSize();
    return RECT{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
}

// Makes the shared zero thickness too before the live-object count is taken.
class MarkupLayoutTest : public MarkupTest {
protected:
    void SetUp() override
    {
        MakeProcessStatics();
        CXTPMarkupThickness::GetDefault()->Release();
        MarkupTest::SetUp();
    }
};

// A layout test with a context of its own and no host window. The context is made after the
// count is taken and let go before it is checked, so what it holds goes with it.
class MarkupContextLayoutTest : public MarkupLayoutTest {
protected:
    void SetUp() override
    {
        MarkupLayoutTest::SetUp();
        m_pContext = CreateMarkupContext(nullptr);
    }
    void TearDown() override
    {
        ReleaseMarkupContext(&m_pContext);
        MarkupLayoutTest::TearDown();
    }

    CXTPMarkupContext* m_pContext = nullptr;
};

} // namespace markuptests
