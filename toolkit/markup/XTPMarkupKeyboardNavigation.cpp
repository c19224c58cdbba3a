#include "toolkit/markup/XTPMarkupKeyboardNavigation.h"

#include "toolkit/markup/XTPMarkupDependencyProperty.h"
#include "toolkit/markup/XTPMarkupInputElement.h"
#include "toolkit/markup/XTPMarkupValues.h"

IMPLEMENT_MARKUPCLASS(L"KeyboardNavigation", CXTPMarkupKeyboardNavigation, CXTPMarkupObject,
                      &CreateMarkupObject<CXTPMarkupKeyboardNavigation>,
                      &CXTPMarkupKeyboardNavigation::RegisterMarkupClass)

CXTPMarkupDependencyProperty* CXTPMarkupKeyboardNavigation::m_pIsTabStopProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupKeyboardNavigation::m_pTabNavigationProperty = nullptr;
CXTPMarkupDependencyProperty* CXTPMarkupKeyboardNavigation::m_pTabIndexProperty = nullptr;

namespace {

CXTPMarkupObject* ConvertTabNavigation(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    static const wchar_t* const words[] = {L"Continue", L"Once", L"Cycle", L"None", L"Contained", L"Local"};
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(value);
    if (!text)
        return nullptr;
    for (int i = 0; i < 6; ++i) {
        if (_wcsicmp(text->GetBuffer(), words[i]) == 0)
            return CreateMarkupEnum(i);
    }
    return nullptr;
}

} // namespace

void CXTPMarkupKeyboardNavigation::RegisterMarkupClass()
{
    using Metadata = CXTPMarkupPropertyMetadata;
    CXTPMarkupType* owner = MarkupType();
    m_pIsTabStopProperty = CXTPMarkupDependencyProperty::RegisterAttached(
        L"IsTabStop", CXTPMarkupBool::MarkupType(), owner, new Metadata(MarkupTrue()));
    m_pTabNavigationProperty = CXTPMarkupDependencyProperty::RegisterAttached(
        L"TabNavigation", CXTPMarkupEnum::MarkupType(), owner, new Metadata(nullptr, &ConvertTabNavigation, DWORD{0}));
    m_pTabIndexProperty = CXTPMarkupDependencyProperty::RegisterAttached(
        L"TabIndex", CXTPMarkupInt::MarkupType(), owner, new Metadata(new CXTPMarkupInt(0x7FFFFFFF)));
}

CXTPMarkupKeyboardNavigation::~CXTPMarkupKeyboardNavigation()
{
    MarkupRelease(m_pFocused);
    MarkupRelease(m_pRestore);
}

BOOL CXTPMarkupKeyboardNavigation::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

void CXTPMarkupKeyboardNavigation::Focus(CXTPMarkupInputElement*)
{
}
