// The type registry in a program that links the markup library and nothing else of the toolkit:
// every type of the tag table is found without being named first, registrars run once with bases
// first, and the exit-time teardown frees everything exactly once.

#include "toolkit/markup/XTPMarkupCollection.h"
#include "toolkit/markup/XTPMarkupDependencyProperty.h"
#include "toolkit/markup/XTPMarkupTypeRegistry.h"
#include "toolkit/markup/XTPMarkupValues.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEST(MarkupRegistry, FindsTagsCaseSensitivelyAndNeverByClassName)
{
    // Nothing has named a markup class yet: the lookup alone must find the table's types.
    CXTPMarkupType* color = FindMarkupType(L"Color");
    ASSERT_NE(nullptr, color);
    EXPECT_STREQ(L"CXTPMarkupColor", color->GetTypeName());
    EXPECT_EQ(CXTPMarkupColor::MarkupType(), color);
    EXPECT_EQ(CXTPMarkupDoubleCollection::MarkupType(), FindMarkupType(L"DoubleCollection"));
    EXPECT_EQ(nullptr, FindMarkupType(L"color"));
    EXPECT_EQ(nullptr, FindMarkupType(L"COLOR"));
    EXPECT_EQ(nullptr, FindMarkupType(L""));
    EXPECT_EQ(nullptr, FindMarkupType(nullptr));
    EXPECT_EQ(nullptr, FindMarkupType(L"CXTPMarkupColor"));
    EXPECT_EQ(nullptr, FindMarkupType(L"Color "));
}

TEST(MarkupRegistry, ButtonTagsNameTheirClassesAndTheBasesHaveNoTag)
{
    const struct {
        const wchar_t* tag;
        const wchar_t* className;
    } tags[] = {{L"Button", L"CXTPMarkupButton"}, {L"CheckBox", L"CXTPMarkupCheckBox"},
                {L"RadioButton", L"CXTPMarkupRadioButton"}};
    for (const auto& entry : tags) {
        const CXTPMarkupType* type = FindMarkupType(entry.tag);
        ASSERT_NE(nullptr, type) << testing::PrintToString(std::wstring(entry.tag));
        EXPECT_STREQ(entry.className, type->GetTypeName());
        EXPECT_EQ(nullptr, FindMarkupType(entry.className));
    }
    EXPECT_EQ(nullptr, FindMarkupType(L"button"));
    EXPECT_EQ(nullptr, FindMarkupType(L"ButtonBase"));
    EXPECT_EQ(nullptr, FindMarkupType(L"ToggleButton"));
}

TEST(MarkupRegistry, ListsEveryTypeOfTheTableOnceNewestFirst)
{
    std::vector<std::wstring> names;
    for (CXTPMarkupType* type = GetFirstMarkupType(); type; type = type->GetNextType())
        names.push_back(type->GetTypeName());
    const std::vector<std::wstring> expected = {
        L"CXTPMarkupScrollViewer", L"CXTPMarkupScrollBarGripper", L"CXTPMarkupScrollBar",
        L"CXTPMarkupImage", L"CXTPMarkupPath", L"CXTPMarkupPolygon", L"CXTPMarkupPolyline", L"CXTPMarkupLine",
        L"CXTPMarkupEllipse", L"CXTPMarkupRectangle", L"CXTPMarkupShape", L"CXTPMarkupPointCollection",
        L"CXTPMarkupGrid", L"CXTPMarkupRowDefinitionCollection", L"CXTPMarkupColumnDefinitionCollection",
        L"CXTPMarkupDefinitionCollection", L"CXTPMarkupRowDefinition", L"CXTPMarkupColumnDefinition",
        L"CXTPMarkupDefinitionBase", L"CXTPMarkupGridLength", L"CXTPMarkupRadioButton", L"CXTPMarkupCheckBox",
        L"CXTPMarkupToggleButton", L"CXTPMarkupButton", L"CXTPMarkupButtonBase", L"CXTPMarkupWindowContainer",
        L"CXTPMarkupContentControl", L"CXTPMarkupControl", L"CXTPMarkupPage", L"CXTPMarkupBorder",
        L"CXTPMarkupTextBlock", L"CXTPMarkupInlineUIContainer", L"CXTPMarkupHyperlink", L"CXTPMarkupUnderline",
        L"CXTPMarkupItalic", L"CXTPMarkupBold", L"CXTPMarkupSpan", L"CXTPMarkupInlineCollection",
        L"CXTPMarkupLineBreak", L"CXTPMarkupRun", L"CXTPMarkupInline", L"CXTPMarkupTextElement",
        L"CXTPMarkupFrameworkContentElement", L"CXTPMarkupStyle", L"CXTPMarkupResourceDictionary",
        L"CXTPMarkupActiveTriggerCollection", L"CXTPMarkupTriggerCollection", L"CXTPMarkupTrigger",
        L"CXTPMarkupSetterColection", L"CXTPMarkupSetter",
        L"CXTPMarkupObjectProperty", L"CXTPMarkupBrushKey", L"CXTPMarkupColorKey", L"CXTPMarkupFont",
        L"CXTPMarkupKeyboardNavigation", L"CXTPMarkupCanvas", L"CXTPMarkupUniformGrid", L"CXTPMarkupDockPanel", L"CXTPMarkupWrapPanel",
        L"CXTPMarkupStackPanel", L"CXTPMarkupPanel", L"CXTPMarkupUIElementCollection", L"CXTPMarkupFrameworkElement",
        L"CXTPMarkupUIElement", L"CXTPMarkupVisual", L"CXTPMarkupInputElement", L"CXTPMarkupRoutedEvent",
        L"CXTPMarkupDelegate",
        L"CXTPMarkupThickness", L"CXTPMarkupPathGeometry", L"CXTPMarkupLinearGradientBrush",
        L"CXTPMarkupGradientStops", L"CXTPMarkupGradientStop", L"CXTPMarkupPoint", L"CXTPMarkupSolidColorBrush",
        L"CXTPMarkupBrush", L"CXTPMarkupDoubleCollection", L"CXTPMarkupCollection", L"CXTPMarkupString", L"CXTPMarkupColor",
        L"CXTPMarkupBool", L"CXTPMarkupEnum", L"CXTPMarkupDouble", L"CXTPMarkupInt",
        L"CXTPMarkupObject", L"CXTPMarkupType", L"CXTPMarkupDependencyProperty",
    };
    EXPECT_EQ(expected, names);

    // Bases as the table gives them.
    const std::map<std::wstring, std::wstring> derived = {
        {L"CXTPMarkupSolidColorBrush", L"CXTPMarkupBrush"},
        {L"CXTPMarkupLinearGradientBrush", L"CXTPMarkupBrush"},
        {L"CXTPMarkupGradientStops", L"CXTPMarkupCollection"},
        {L"CXTPMarkupRoutedEvent", L"CXTPMarkupDependencyProperty"},
        {L"CXTPMarkupVisual", L"CXTPMarkupInputElement"},
        {L"CXTPMarkupUIElement", L"CXTPMarkupVisual"},
        {L"CXTPMarkupFrameworkElement", L"CXTPMarkupUIElement"},
        {L"CXTPMarkupUIElementCollection", L"CXTPMarkupCollection"},
        {L"CXTPMarkupPanel", L"CXTPMarkupFrameworkElement"},
        {L"CXTPMarkupStackPanel", L"CXTPMarkupPanel"},
        {L"CXTPMarkupWrapPanel", L"CXTPMarkupPanel"},
        {L"CXTPMarkupDockPanel", L"CXTPMarkupPanel"},
        {L"CXTPMarkupUniformGrid", L"CXTPMarkupPanel"},
        {L"CXTPMarkupCanvas", L"CXTPMarkupPanel"},
        {L"CXTPMarkupSetterColection", L"CXTPMarkupCollection"},
        {L"CXTPMarkupTriggerCollection", L"CXTPMarkupCollection"},
        {L"CXTPMarkupActiveTriggerCollection", L"CXTPMarkupTriggerCollection"},
        {L"CXTPMarkupFrameworkContentElement", L"CXTPMarkupInputElement"},
        {L"CXTPMarkupTextElement", L"CXTPMarkupFrameworkContentElement"},
        {L"CXTPMarkupInline", L"CXTPMarkupTextElement"},
        {L"CXTPMarkupRun", L"CXTPMarkupInline"},
        {L"CXTPMarkupLineBreak", L"CXTPMarkupRun"},
        {L"CXTPMarkupInlineCollection", L"CXTPMarkupCollection"},
        {L"CXTPMarkupSpan", L"CXTPMarkupInline"},
        {L"CXTPMarkupBold", L"CXTPMarkupSpan"},
        {L"CXTPMarkupItalic", L"CXTPMarkupSpan"},
        {L"CXTPMarkupUnderline", L"CXTPMarkupSpan"},
        {L"CXTPMarkupHyperlink", L"CXTPMarkupSpan"},
        {L"CXTPMarkupInlineUIContainer", L"CXTPMarkupInline"},
        {L"CXTPMarkupTextBlock", L"CXTPMarkupFrameworkElement"},
        {L"CXTPMarkupBorder", L"CXTPMarkupFrameworkElement"},
        {L"CXTPMarkupPage", L"CXTPMarkupFrameworkElement"},
        {L"CXTPMarkupControl", L"CXTPMarkupFrameworkElement"},
        {L"CXTPMarkupContentControl", L"CXTPMarkupControl"},
        {L"CXTPMarkupWindowContainer", L"CXTPMarkupFrameworkElement"},
        {L"CXTPMarkupButtonBase", L"CXTPMarkupContentControl"},
        {L"CXTPMarkupButton", L"CXTPMarkupButtonBase"},
        {L"CXTPMarkupToggleButton", L"CXTPMarkupButtonBase"},
        {L"CXTPMarkupCheckBox", L"CXTPMarkupToggleButton"},
        {L"CXTPMarkupRadioButton", L"CXTPMarkupToggleButton"},
        {L"CXTPMarkupColumnDefinition", L"CXTPMarkupDefinitionBase"},
        {L"CXTPMarkupRowDefinition", L"CXTPMarkupDefinitionBase"},
        {L"CXTPMarkupDefinitionCollection", L"CXTPMarkupCollection"},
        {L"CXTPMarkupColumnDefinitionCollection", L"CXTPMarkupDefinitionCollection"},
        {L"CXTPMarkupRowDefinitionCollection", L"CXTPMarkupDefinitionCollection"},
        {L"CXTPMarkupGrid", L"CXTPMarkupPanel"},
        {L"CXTPMarkupShape", L"CXTPMarkupFrameworkElement"},
        {L"CXTPMarkupRectangle", L"CXTPMarkupShape"},
        {L"CXTPMarkupEllipse", L"CXTPMarkupShape"},
        {L"CXTPMarkupLine", L"CXTPMarkupShape"},
        {L"CXTPMarkupPolyline", L"CXTPMarkupShape"},
        {L"CXTPMarkupPolygon", L"CXTPMarkupShape"},
        {L"CXTPMarkupPath", L"CXTPMarkupShape"},
        {L"CXTPMarkupImage", L"CXTPMarkupFrameworkElement"},
        {L"CXTPMarkupScrollBar", L"CXTPMarkupControl"},
        {L"CXTPMarkupScrollBarGripper", L"CXTPMarkupUIElement"},
        {L"CXTPMarkupScrollViewer", L"CXTPMarkupContentControl"},
    };
    for (CXTPMarkupType* type = GetFirstMarkupType(); type; type = type->GetNextType()) {
        const std::wstring name = type->GetTypeName();
        const CXTPMarkupType* base = type->GetBaseType();
        if (type == CXTPMarkupObject::MarkupType())
            EXPECT_EQ(nullptr, base);
        else if (derived.count(name))
            EXPECT_EQ(derived.at(name), base->GetTypeName()) << testing::PrintToString(name);
        else
            EXPECT_EQ(CXTPMarkupObject::MarkupType(), base) << testing::PrintToString(name);
    }
}

std::vector<std::wstring> g_registrations;

class CFixtureBase : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CFixtureBase)
public:
    static void RegisterMarkupClass() { g_registrations.push_back(L"base"); }
};
IMPLEMENT_MARKUPCLASS(L"FixtureBase", CFixtureBase, CXTPMarkupObject, &CreateMarkupObject<CFixtureBase>,
                      &CFixtureBase::RegisterMarkupClass)

class CFixtureDerived : public CFixtureBase {
    DECLARE_MARKUPCLASS(CFixtureDerived)
public:
    static void RegisterMarkupClass() { g_registrations.push_back(L"derived"); }
};
IMPLEMENT_MARKUPCLASS(L"FixtureTag", CFixtureDerived, CFixtureBase, &CreateMarkupObject<CFixtureDerived>,
                      &CFixtureDerived::RegisterMarkupClass)

class CFixtureLater : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CFixtureLater)
};
IMPLEMENT_MARKUPCLASS(L"FixtureTag", CFixtureLater, CXTPMarkupObject, &CreateMarkupObject<CFixtureLater>, nullptr)

TEST(MarkupRegistry, RegistrarsRunOnceWithBasesFirst)
{
    // The derived type exists before its base; registration still reaches the base first.
    CFixtureDerived::MarkupType();
    RegisterMarkupTypesOnce();
    EXPECT_EQ((std::vector<std::wstring>{L"base", L"derived"}), g_registrations);
    EXPECT_TRUE(CFixtureDerived::MarkupType()->IsRegistered());

    RegisterMarkupTypesOnce();
    RegisterAllMarkupTypes();
    CXTPMarkupType::RegisterProperties(CFixtureDerived::MarkupType());
    EXPECT_EQ(2u, g_registrations.size()) << "no registrar runs twice";

    // The first properties of the process are the object's own, in the walk's order.
    EXPECT_EQ(0, CXTPMarkupObject::m_pNameProperty->GetIndex());
    EXPECT_EQ(1, CXTPMarkupObject::m_pKeyProperty->GetIndex());
    EXPECT_EQ(CXTPMarkupObject::m_pNameProperty,
              CXTPMarkupDependencyProperty::FindProperty(CFixtureDerived::MarkupType(), L"Name"));
}

TEST(MarkupRegistry, LaterTagReplacesEarlierOneButBothStayListed)
{
    CFixtureDerived::MarkupType();
    EXPECT_EQ(CFixtureDerived::MarkupType(), FindMarkupType(L"FixtureTag"));
    CFixtureLater::MarkupType();
    EXPECT_EQ(CFixtureLater::MarkupType(), FindMarkupType(L"FixtureTag"));
    int listed = 0;
    for (CXTPMarkupType* type = GetFirstMarkupType(); type; type = type->GetNextType())
        listed += type == CFixtureDerived::MarkupType() || type == CFixtureLater::MarkupType();
    EXPECT_EQ(2, listed);
}

TEST(MarkupRegistry, TeardownFreesEverythingOnceAndStartsAfresh)
{
    ReleaseMarkupStatics();
    ASSERT_EQ(0, CXTPMarkupObject::GetLiveObjectCount());

    // Types, properties with defaults, shared values and a few objects that come and go.
    RegisterMarkupTypesOnce();
    CFixtureDerived::MarkupType();
    CXTPMarkupDependencyProperty::RegisterProperty(
        L"WithDefault", CXTPMarkupBool::MarkupType(), CFixtureBase::MarkupType(),
        new CXTPMarkupPropertyMetadata(MarkupTrue()));
    CXTPMarkupCollection* items = new CXTPMarkupCollection();
    items->Add(CreateMarkupEnum(3));
    items->Add(CreateMarkupString(L" "));
    items->Add(CreateMarkupString(L"text"));
    CXTPMarkupObject* object = CFixtureBase::MarkupType()->CreateObject();
    object->SetValue(CXTPMarkupObject::m_pNameProperty, CreateMarkupString(L""));
    items->Add(object);
    EXPECT_GT(CXTPMarkupObject::GetLiveObjectCount(), 20);
    items->Release();

    ReleaseMarkupStatics();
    EXPECT_EQ(0, CXTPMarkupObject::GetLiveObjectCount()) << "a leak";
    ReleaseMarkupStatics();
    EXPECT_EQ(0, CXTPMarkupObject::GetLiveObjectCount()) << "a second teardown frees nothing";

    // Afterwards the library starts again from nothing.
    ASSERT_NE(nullptr, FindMarkupType(L"Color"));
    RegisterMarkupTypesOnce();
    ASSERT_NE(nullptr, CXTPMarkupDependencyProperty::FindProperty(CXTPMarkupColor::MarkupType(), L"x:Name"));
    EXPECT_EQ(0, CXTPMarkupObject::m_pNameProperty->GetIndex());
    CXTPMarkupBool* yes = MarkupTrue();
    yes->Release();
    ReleaseMarkupStatics();
    EXPECT_EQ(0, CXTPMarkupObject::GetLiveObjectCount());
}

} // namespace
