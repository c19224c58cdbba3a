#pragma once
// Ground of the button tests: a document parsed by a context, elements found by name, and a log
// of the routed events the buttons raise ("sender:Event"), recorded by the context's handlers or an
// element's own.

#include "MarkupDocumentSupport.h"

#include "toolkit/markup/XTPMarkupButton.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupToggleButton.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace markuptests {

// The classic-look cases run only in a process started after visual styles were turned off.
inline bool ClassicLookRequested()
{
    const char* value = std::getenv("TARNWICK_CLASSIC_LOOK");
    return value && std::string(value) == "1";
}

inline std::wstring MarkupName(CXTPMarkupObject* object)
{
    const CXTPMarkupString* name =
        object ? MarkupDynamicCast<CXTPMarkupString>(object->GetValue(CXTPMarkupObject::m_pNameProperty)) : nullptr;
    return name ? name->GetBuffer() : L"?";
}

// The first object of that name under root (root included), depth first; null when none.
inline CXTPMarkupObject* FindNamed(CXTPMarkupObject* root, const wchar_t* name)
{
    if (!root)
        return nullptr;
    if (MarkupName(root) == name)
        return root;
    for (int i = 0; i < root->GetLogicalChildrenCount(); ++i) {
        if (CXTPMarkupObject* found = FindNamed(root->GetLogicalChild(i), name))
            return found;
    }
    return nullptr;
}

class CButtonEventLog {
public:
    void OnEvent(CXTPMarkupObject* sender, CXTPMarkupRoutedEventArgs* args)
    {
        entries.push_back(Narrow(MarkupName(sender).c_str()) + ":" + Narrow(args->GetEvent()->GetName()));
        if (handle)
            args->SetHandled();
    }
    // Lists the log for the four button events at the context.
    void RecordContext(CXTPMarkupContext* context)
    {
        for (CXTPMarkupRoutedEvent* event : Events())
            context->AddHandler(event, CreateMarkupClassDelegate(this, &CButtonEventLog::OnEvent));
    }
    void RecordElement(CXTPMarkupInputElement* element, CXTPMarkupRoutedEvent* event)
    {
        element->AddHandler(event, CreateMarkupClassDelegate(this, &CButtonEventLog::OnEvent));
    }
    static std::vector<CXTPMarkupRoutedEvent*> Events()
    {
        return {CXTPMarkupButtonBase::m_pClickEvent, CXTPMarkupToggleButton::m_pCheckedEvent,
                CXTPMarkupToggleButton::m_pUncheckedEvent, CXTPMarkupToggleButton::m_pIndeterminateEvent};
    }

    std::vector<std::string> entries;
    bool handle = false; // element handlers mark what they see handled
};

} // namespace markuptests
