#include "toolkit/markup/XTPMarkupTypeRegistry.h"

#include "toolkit/markup/XTPMarkupBrush.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupButton.h"
#include "toolkit/markup/XTPMarkupCanvas.h"
#include "toolkit/markup/XTPMarkupCollection.h"
#include "toolkit/markup/XTPMarkupContext.h"
#include "toolkit/markup/XTPMarkupControl.h"
#include "toolkit/markup/XTPMarkupDecorator.h"
#include "toolkit/markup/XTPMarkupDelegate.h"
#include "toolkit/markup/XTPMarkupDependencyProperty.h"
#include "toolkit/markup/XTPMarkupDockPanel.h"
#include "toolkit/markup/XTPMarkupGrid.h"
#include "toolkit/markup/XTPMarkupImage.h"
#include "toolkit/markup/XTPMarkupInline.h"
#include "toolkit/markup/XTPMarkupKeyboardNavigation.h"
#include "toolkit/markup/XTPMarkupPathGeometry.h"
#include "toolkit/markup/XTPMarkupScrollBar.h"
#include "toolkit/markup/XTPMarkupScrollViewer.h"
#include "toolkit/markup/XTPMarkupShape.h"
#include "toolkit/markup/XTPMarkupStyle.h"
#include "toolkit/markup/XTPMarkupTextBlock.h"
#include "toolkit/markup/XTPMarkupThickness.h"
#include "toolkit/markup/XTPMarkupToggleButton.h"
#include "toolkit/markup/XTPMarkupUniformGrid.h"
#include "toolkit/markup/XTPMarkupWrapPanel.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <cstdlib>
#include <string>
#include <unordered_map>

namespace {

struct TypeRegistry {
    // Tag to type, compared case-sensitively; only types with a non-empty tag. Not counted: the
    // list holds the references.
    std::unordered_map<std::wstring, CXTPMarkupType*> byTag;
    CXTPMarkupType* first = nullptr; // newest first, one reference each
};

TypeRegistry* g_pRegistry = nullptr;
bool g_bPropertiesRegistered = false;
bool g_bExitHooked = false;

// The tag table: one line per markup class, in the order the types are made. A class joins the
// markup library by adding its line here; naming it here is also what keeps its object file in a
// program that links the library, so its tag is found without anyone else naming the class.
void MakeTableTypes()
{
    CXTPMarkupDependencyProperty::MarkupType();
    CXTPMarkupType::MarkupType();
    CXTPMarkupObject::MarkupType();
    CXTPMarkupInt::MarkupType();
    CXTPMarkupDouble::MarkupType();
    CXTPMarkupEnum::MarkupType();
    CXTPMarkupBool::MarkupType();
    CXTPMarkupColor::MarkupType();
    CXTPMarkupString::MarkupType();
    CXTPMarkupCollection::MarkupType();
    CXTPMarkupDoubleCollection::MarkupType();
    CXTPMarkupBrush::MarkupType();
    CXTPMarkupSolidColorBrush::MarkupType();
    CXTPMarkupPoint::MarkupType();
    CXTPMarkupGradientStop::MarkupType();
    CXTPMarkupGradientStops::MarkupType();
    CXTPMarkupLinearGradientBrush::MarkupType();
    CXTPMarkupPathGeometry::MarkupType();
    CXTPMarkupThickness::MarkupType();
    CXTPMarkupDelegate::MarkupType();
    CXTPMarkupRoutedEvent::MarkupType();
    CXTPMarkupInputElement::MarkupType();
    CXTPMarkupVisual::MarkupType();
    CXTPMarkupUIElement::MarkupType();
    CXTPMarkupFrameworkElement::MarkupType();
    CXTPMarkupUIElementCollection::MarkupType();
    CXTPMarkupPanel::MarkupType();
    CXTPMarkupStackPanel::MarkupType();
    CXTPMarkupWrapPanel::MarkupType();
    CXTPMarkupDockPanel::MarkupType();
    CXTPMarkupUniformGrid::MarkupType();
    CXTPMarkupCanvas::MarkupType();
    CXTPMarkupKeyboardNavigation::MarkupType();
    CXTPMarkupFont::MarkupType();
    CXTPMarkupColorKey::MarkupType();
    CXTPMarkupBrushKey::MarkupType();
    CXTPMarkupObjectProperty::MarkupType();
    CXTPMarkupSetter::MarkupType();
    CXTPMarkupSetterColection::MarkupType();
    CXTPMarkupTrigger::MarkupType();
    CXTPMarkupTriggerCollection::MarkupType();
    CXTPMarkupActiveTriggerCollection::MarkupType();
    CXTPMarkupResourceDictionary::MarkupType();
    CXTPMarkupStyle::MarkupType();
    CXTPMarkupFrameworkContentElement::MarkupType();
    CXTPMarkupTextElement::MarkupType();
    CXTPMarkupInline::MarkupType();
    CXTPMarkupRun::MarkupType();
    CXTPMarkupLineBreak::MarkupType();
    CXTPMarkupInlineCollection::MarkupType();
    CXTPMarkupSpan::MarkupType();
    CXTPMarkupBold::MarkupType();
    CXTPMarkupItalic::MarkupType();
    CXTPMarkupUnderline::MarkupType();
    CXTPMarkupHyperlink::MarkupType();
    CXTPMarkupInlineUIContainer::MarkupType();
    CXTPMarkupTextBlock::MarkupType();
    CXTPMarkupBorder::MarkupType();
    CXTPMarkupPage::MarkupType();
    CXTPMarkupControl::MarkupType();
    CXTPMarkupContentControl::MarkupType();
    CXTPMarkupWindowContainer::MarkupType();
    CXTPMarkupButtonBase::MarkupType();
    CXTPMarkupButton::MarkupType();
    CXTPMarkupToggleButton::MarkupType();
    CXTPMarkupCheckBox::MarkupType();
    CXTPMarkupRadioButton::MarkupType();
    CXTPMarkupGridLength::MarkupType();
    CXTPMarkupDefinitionBase::MarkupType();
    CXTPMarkupColumnDefinition::MarkupType();
    CXTPMarkupRowDefinition::MarkupType();
    CXTPMarkupDefinitionCollection::MarkupType();
    CXTPMarkupColumnDefinitionCollection::MarkupType();
    CXTPMarkupRowDefinitionCollection::MarkupType();
    CXTPMarkupGrid::MarkupType();
    CXTPMarkupPointCollection::MarkupType();
    CXTPMarkupShape::MarkupType();
    CXTPMarkupRectangle::MarkupType();
    CXTPMarkupEllipse::MarkupType();
    CXTPMarkupLine::MarkupType();
    CXTPMarkupPolyline::MarkupType();
    CXTPMarkupPolygon::MarkupType();
    CXTPMarkupPath::MarkupType();
    CXTPMarkupImage::MarkupType();
    CXTPMarkupScrollBar::MarkupType();
    CXTPMarkupScrollBarGripper::MarkupType();
    CXTPMarkupScrollViewer::MarkupType();
}

TypeRegistry& GetRegistry()
{
    if (!g_pRegistry) {
        g_pRegistry = new TypeRegistry();
        if (!g_bExitHooked) {
            // Registered at first use, so the teardown runs before the destructors of statics
            // made earlier; it only drops references and needs none of them.
            g_bExitHooked = true;
            std::atexit(&ReleaseMarkupStatics);
        }
        MakeTableTypes();
    }
    return *g_pRegistry;
}

} // namespace

void CXTPMarkupType::CreateMarkupType(CXTPMarkupType** slot, const wchar_t* tag, const wchar_t* className,
                                      Factory factory, BaseTypeGetter baseType, Registrar registrar)
{
    // Making the registry makes every type of the table, possibly the one asked for.
    GetRegistry();
    if (*slot)
        return;
    CXTPMarkupType* type = new CXTPMarkupType();
    type->m_lpszTag = tag;
    type->m_lpszClassName = className;
    type->m_pfnCreateObject = factory;
    type->m_pfnGetBaseType = baseType;
    type->m_pfnRegister = registrar;
    type->m_ppSlot = slot;
    *slot = type;
    AddMarkupType(type);
    // A class outside the table, made after the first context registered everything, still gets
    // its properties before anyone can look for them.
    if (g_bPropertiesRegistered)
        RegisterProperties(type);
}

void AddMarkupType(CXTPMarkupType* type)
{
    TypeRegistry& registry = GetRegistry();
    const wchar_t* tag = type->GetTag();
    if (tag && *tag)
        registry.byTag[tag] = type;
    type->SetNextType(registry.first);
    registry.first = type;
}

CXTPMarkupType* FindMarkupType(const wchar_t* tag)
{
    if (!tag || !*tag)
        return nullptr;
    TypeRegistry& registry = GetRegistry();
    auto found = registry.byTag.find(tag);
    return found == registry.byTag.end() ? nullptr : found->second;
}

CXTPMarkupType* GetFirstMarkupType()
{
    return GetRegistry().first;
}

void RegisterAllMarkupTypes()
{
    for (CXTPMarkupType* type = GetRegistry().first; type; type = type->GetNextType())
        CXTPMarkupType::RegisterProperties(type);
}

void RegisterMarkupTypesOnce()
{
    if (g_bPropertiesRegistered)
        return;
    g_bPropertiesRegistered = true;
    RegisterAllMarkupTypes();
}

void ReleaseMarkupStatics()
{
    ReleaseMarkupSharedValues();
    CXTPMarkupThickness::ReleaseDefault();
    ReleaseMarkupPropertyMap();
    TypeRegistry* registry = g_pRegistry;
    g_pRegistry = nullptr;
    g_bPropertiesRegistered = false;
    if (registry) {
        CXTPMarkupType* type = registry->first;
        while (type) {
            CXTPMarkupType* next = type->GetNextType();
            type->Release();
            type = next;
        }
        delete registry;
    }
}
