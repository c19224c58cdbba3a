#pragma once
// Ground of the document tests: a probe element that keeps the content it is given (text runs and
// elements, in order) so that the text rules can be seen, and a short dump of a built tree.

#include "MarkupTestSupport.h"

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupFrameworkElement.h"
#include "toolkit/markup/XTPMarkupPanel.h"

#include <string>
#include <vector>

namespace markuptests {

// Written "TextProbe": takes strings and elements as content, accepts white-space content.
class CTextProbe : public CXTPMarkupFrameworkElement {
    DECLARE_MARKUPCLASS(CTextProbe)
public:
    CTextProbe() = default;

    void SetContentObject(CXTPMarkupBuilder*, CXTPMarkupObject* content) override
    {
        content->SetLogicalParent(this);
        m_items.push_back(content);
    }
    BOOL HasContentObject() const override { return !m_items.empty(); }
    BOOL AllowWhiteSpaceContent() const override { return TRUE; }
    int GetLogicalChildrenCount() const override { return static_cast<int>(m_items.size()); }
    CXTPMarkupObject* GetLogicalChild(int index) const override { return m_items[index]; }
    // Notes the probe's name in the style log, when a test set one.
    void OnApplyStyle() override
    {
        if (!s_pStyleLog)
            return;
        const CXTPMarkupString* name = MarkupDynamicCast<CXTPMarkupString>(GetValue(m_pNameProperty));
        s_pStyleLog->push_back(name ? name->GetBuffer() : L"?");
    }

    void OnMouseWheel(CXTPMarkupMouseWheelEventArgs* args) override
    {
        m_nWheelDelta = args->m_nDelta;
        if (m_bHandleWheel)
            args->SetHandled();
    }

    std::vector<CXTPMarkupObject*> m_items; // one reference each
    int m_nWheelDelta = 0;
    bool m_bHandleWheel = false;
    static inline std::vector<std::wstring>* s_pStyleLog = nullptr;

protected:
    ~CTextProbe() override
    {
        for (CXTPMarkupObject* item : m_items)
            item->Release();
    }
};

inline std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += *text < 128 ? static_cast<char>(*text) : '?';
    return out;
}

// Tag (or class name), chosen local values in braces, children in parentheses; strings quoted.
inline std::string DumpMarkup(CXTPMarkupObject* object)
{
    if (!object)
        return "null";
    if (const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(object))
        return "\"" + Narrow(text->GetBuffer()) + "\"";
    std::string out = object->GetTagName() ? Narrow(object->GetTagName()) : Narrow(object->GetType()->GetTypeName());
    std::string values;
    auto add = [&](const char* name, const std::string& value) {
        values += (values.empty() ? "" : ",") + std::string(name) + "=" + value;
    };
    if (CXTPMarkupObject* name = object->GetLocalValue(CXTPMarkupObject::m_pNameProperty))
        add("Name", DumpMarkup(name));
    if (object->IsKindOf(CXTPMarkupFrameworkElement::MarkupType())) {
        if (CXTPMarkupObject* tag = object->GetLocalValue(CXTPMarkupFrameworkElement::m_pTagProperty)) {
            if (tag->IsKindOf(CXTPMarkupType::MarkupType()))
                add("Tag", "type " + Narrow(static_cast<CXTPMarkupType*>(tag)->GetTypeName()));
            else
                add("Tag", DumpMarkup(tag));
        }
    }
    if (CXTPMarkupPanel* panel = MarkupDynamicCast<CXTPMarkupPanel>(object)) {
        if (CXTPMarkupBrush* brush = panel->GetBackground()) {
            char colour[16];
            snprintf(colour, sizeof(colour), "%06lX", static_cast<unsigned long>(brush->GetColor()));
            add("Background", colour);
        }
    }
    if (!values.empty())
        out += "{" + values + "}";
    const int count = object->GetLogicalChildrenCount();
    if (count > 0) {
        out += "(";
        for (int i = 0; i < count; ++i)
            out += (i ? "," : "") + DumpMarkup(object->GetLogicalChild(i));
        out += ")";
    }
    return out;
}

} // namespace markuptests
