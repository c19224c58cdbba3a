// Styles, triggers and resources as documents use them: values read back with GetValue after a
// build, the order of local, trigger, style and default-style values, implicit styles found by
// type, triggers switching on and off as their property changes, resource lookup by the builder's
// extensions through the open elements, and the build errors of setters and dictionaries.

#include "MarkupDocumentSupport.h"

#include "toolkit/markup/XTPMarkupInline.h"
#include "toolkit/markup/XTPMarkupParser.h"
#include "toolkit/markup/XTPMarkupStackPanel.h"
#include "toolkit/markup/XTPMarkupStyle.h"
#include "toolkit/markup/XTPMarkupTextBlock.h"

#include <string>

using namespace markuptests;

namespace {

class MarkupStyleTest : public MarkupTest {
protected:
    void SetUp() override
    {
        m_pContext = CreateMarkupContext(nullptr);
        MarkupTest::SetUp();
    }
    void TearDown() override
    {
        MarkupRelease(m_pRoot);
        MarkupTest::TearDown();
        EXPECT_EQ(1, m_pContext->GetRefCount()) << "an element still holds the context";
        ReleaseMarkupContext(&m_pContext);
    }

    // Builds the document into m_pRoot; the error text when it fails.
    std::string Build(const wchar_t* text)
    {
        MarkupRelease(m_pRoot);
        CXTPMarkupParser parser;
        parser.SetBuffer(text, text + wcslen(text));
        CXTPMarkupBuilder builder(m_pContext);
        m_pRoot = builder.Parse(&parser);
        return m_pRoot ? std::string() : Narrow(builder.GetLastError());
    }

    // The element named so in the built tree, found by a walk over logical children.
    CXTPMarkupInputElement* Find(const wchar_t* name) const { return Find(m_pRoot, name); }
    static CXTPMarkupInputElement* Find(CXTPMarkupObject* object, const wchar_t* name)
    {
        if (!object)
            return nullptr;
        const CXTPMarkupString* own =
            MarkupDynamicCast<CXTPMarkupString>(object->CXTPMarkupObject::GetLocalValue(CXTPMarkupObject::m_pNameProperty));
        if (own && wcscmp(own->GetBuffer(), name) == 0)
            return MarkupDynamicCast<CXTPMarkupInputElement>(object);
        for (int i = 0; i < object->GetLogicalChildrenCount(); ++i) {
            if (CXTPMarkupInputElement* found = Find(object->GetLogicalChild(i), name))
                return found;
        }
        return nullptr;
    }

    static int FontSize(const CXTPMarkupObject* element)
    {
        const CXTPMarkupInt* size =
            MarkupDynamicCast<CXTPMarkupInt>(element->GetValue(CXTPMarkupTextElement::m_pFontSizeProperty));
        return size ? static_cast<int>(*size) : -1;
    }
    static COLORREF Foreground(const CXTPMarkupObject* element)
    {
        const CXTPMarkupBrush* brush =
            MarkupDynamicCast<CXTPMarkupBrush>(element->GetValue(CXTPMarkupTextElement::m_pForegroundProperty));
        return brush ? brush->GetColor() : CLR_INVALID;
    }

    CXTPMarkupContext* m_pContext = nullptr;
    CXTPMarkupUIElement* m_pRoot = nullptr;
};

struct StyleCase {
    const char* what;
    const wchar_t* text;
    int size;          // FontSize read back on the element named "t"
    COLORREF colour;   // its Foreground, CLR_INVALID for none
};

TEST_F(MarkupStyleTest, ValuesComeLocalThenStyleThenBase)
{
    const StyleCase cases[] = {
        {"a setter applies",
         L"<TextBlock x:Name='t'><TextBlock.Style><Style TargetType='TextBlock'>"
         L"<Setter Property='FontSize' Value='20'/></Style></TextBlock.Style></TextBlock>",
         20, CLR_INVALID},
        {"the later of two setters wins",
         L"<TextBlock x:Name='t'><TextBlock.Style><Style TargetType='TextBlock'>"
         L"<Setter Property='FontSize' Value='20'/><Setter Property='FontSize' Value='30'/>"
         L"</Style></TextBlock.Style></TextBlock>",
         30, CLR_INVALID},
        {"a derived setter wins over the base, the base fills the rest",
         L"<StackPanel><StackPanel.Resources>"
         L"<Style x:Key='base' TargetType='TextBlock'><Setter Property='FontSize' Value='11'/>"
         L"<Setter Property='Foreground' Value='Red'/></Style>"
         L"<Style x:Key='derived' TargetType='TextBlock' BasedOn='{StaticResource base}'>"
         L"<Setter Property='FontSize' Value='12'/></Style>"
         L"</StackPanel.Resources><TextBlock x:Name='t' Style='{StaticResource derived}'/></StackPanel>",
         12, RGB(255, 0, 0)},
        {"a local value wins over style and base",
         L"<StackPanel><StackPanel.Resources>"
         L"<Style x:Key='base' TargetType='TextBlock'><Setter Property='FontSize' Value='11'/></Style>"
         L"<Style x:Key='derived' BasedOn='{StaticResource base}'>"
         L"<Setter Property='TextBlock.FontSize' Value='12'/></Style>"
         L"</StackPanel.Resources><TextBlock x:Name='t' FontSize='13' Style='{StaticResource derived}'/>"
         L"</StackPanel>",
         13, CLR_INVALID},
        {"an owner-qualified setter needs no target type",
         L"<TextBlock x:Name='t'><TextBlock.Style><Style>"
         L"<Setter Property='TextElement.Foreground' Value='#0000FF'/></Style></TextBlock.Style></TextBlock>",
         -1, RGB(0, 0, 255)},
        {"an implicit style applies inside its panel",
         L"<StackPanel><StackPanel.Resources><Style TargetType='TextBlock'>"
         L"<Setter Property='FontSize' Value='17'/></Style></StackPanel.Resources>"
         L"<StackPanel/><TextBlock x:Name='t'/></StackPanel>",
         17, CLR_INVALID},
        {"the inner of two dictionaries with one key is found first",
         L"<StackPanel><StackPanel.Resources><Style TargetType='TextBlock'>"
         L"<Setter Property='FontSize' Value='17'/></Style></StackPanel.Resources>"
         L"<StackPanel><StackPanel.Resources><Style TargetType='TextBlock'>"
         L"<Setter Property='FontSize' Value='18'/></Style></StackPanel.Resources>"
         L"<TextBlock x:Name='t'/></StackPanel></StackPanel>",
         18, CLR_INVALID},
        {"a style's value reaches descendants of inheriting properties",
         L"<TextBlock><TextBlock.Style><Style TargetType='TextBlock'>"
         L"<Setter Property='FontSize' Value='21'/></Style></TextBlock.Style><Run x:Name='t'>a</Run></TextBlock>",
         21, CLR_INVALID},
        {"an attached text property on a panel reaches the runs inside",
         L"<StackPanel TextElement.FontSize='19'><TextBlock><Run x:Name='t'>a</Run></TextBlock></StackPanel>",
         19, CLR_INVALID},
        {"a brush resource found by key through the open elements",
         L"<StackPanel><StackPanel.Resources><SolidColorBrush x:Key='ink' Color='#00FF00'/></StackPanel.Resources>"
         L"<StackPanel><TextBlock x:Name='t' Foreground='{StaticResource ink}'/></StackPanel></StackPanel>",
         -1, RGB(0, 255, 0)},
        {"a resource earlier in the same open dictionary",
         L"<StackPanel><StackPanel.Resources><SolidColorBrush x:Key='ink' Color='#00FF00'/>"
         L"<Style TargetType='TextBlock'><Setter Property='Foreground' Value='{DynamicResource ink}'/></Style>"
         L"</StackPanel.Resources><TextBlock x:Name='t'/></StackPanel>",
         -1, RGB(0, 255, 0)},
    };
    for (const StyleCase& row : cases) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ("", Build(row.text));
        CXTPMarkupInputElement* target = Find(L"t");
        ASSERT_NE(nullptr, target);
        EXPECT_EQ(row.size, FontSize(target));
        EXPECT_EQ(row.colour, Foreground(target));
    }
}

TEST_F(MarkupStyleTest, ImplicitStyleStaysInsideItsPanel)
{
    ASSERT_EQ("", Build(L"<StackPanel><StackPanel><StackPanel.Resources><Style TargetType='TextBlock'>"
                        L"<Setter Property='FontSize' Value='17'/></Style></StackPanel.Resources>"
                        L"<TextBlock x:Name='inside'/></StackPanel><TextBlock x:Name='outside'/></StackPanel>"));
    EXPECT_EQ(17, FontSize(Find(L"inside")));
    EXPECT_EQ(-1, FontSize(Find(L"outside")));
    EXPECT_EQ(nullptr, Find(L"outside")->GetStyle());
    // The sealed style left the dictionary's tree.
    const CXTPMarkupStyle* style = MarkupDynamicCast<CXTPMarkupStyle>(Find(L"inside")->GetStyle());
    ASSERT_NE(nullptr, style);
    EXPECT_TRUE(style->IsSealed());
    EXPECT_EQ(nullptr, const_cast<CXTPMarkupStyle*>(style)->GetLogicalParent());
}

TEST_F(MarkupStyleTest, TriggersFollowTheirPropertyAndLocalValuesWin)
{
    ASSERT_EQ("", Build(L"<StackPanel><StackPanel.Resources><Style TargetType='TextBlock'>"
                        L"<Setter Property='Foreground' Value='Red'/>"
                        L"<Style.Triggers><Trigger Property='IsMouseOver' Value='True'><Trigger.Setters>"
                        L"<Setter Property='Foreground' Value='Lime'/></Trigger.Setters></Trigger>"
                        L"<Trigger Property='FontSize' Value='9'><Trigger.Setters>"
                        L"<Setter Property='Foreground' Value='Blue'/></Trigger.Setters></Trigger>"
                        L"</Style.Triggers></Style></StackPanel.Resources>"
                        L"<TextBlock x:Name='plain'/><TextBlock x:Name='small' FontSize='9'/>"
                        L"<TextBlock x:Name='local' Foreground='Black'/></StackPanel>"));
    CXTPMarkupInputElement* plain = Find(L"plain");
    // Active right after the build: the initial FontSize matches.
    EXPECT_EQ(RGB(0, 0, 255), Foreground(Find(L"small")));
    EXPECT_EQ(RGB(255, 0, 0), Foreground(plain));

    plain->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, MarkupTrue());
    EXPECT_EQ(RGB(0, 255, 0), Foreground(plain));
    plain->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, nullptr);
    EXPECT_EQ(RGB(255, 0, 0), Foreground(plain));

    // Two triggers at once: the later active one wins; leaving one keeps the other.
    CXTPMarkupInputElement* small = Find(L"small");
    small->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, MarkupTrue());
    EXPECT_EQ(RGB(0, 255, 0), Foreground(small));
    small->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, nullptr);
    EXPECT_EQ(RGB(0, 0, 255), Foreground(small));
    small->SetValue(CXTPMarkupTextElement::m_pFontSizeProperty, new CXTPMarkupInt(10));
    EXPECT_EQ(RGB(255, 0, 0), Foreground(small));

    CXTPMarkupInputElement* local = Find(L"local");
    local->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, MarkupTrue());
    EXPECT_EQ(RGB(0, 0, 0), Foreground(local));
    local->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, nullptr);
}

TEST_F(MarkupStyleTest, TriggersOfTheBaseStyleApplyToo)
{
    ASSERT_EQ("", Build(L"<StackPanel><StackPanel.Resources>"
                        L"<Style x:Key='base' TargetType='TextBlock'><Style.Triggers>"
                        L"<Trigger Property='IsMouseOver' Value='True'><Trigger.Setters>"
                        L"<Setter Property='FontSize' Value='30'/></Trigger.Setters></Trigger></Style.Triggers></Style>"
                        L"<Style x:Key='derived' TargetType='TextBlock' BasedOn='{StaticResource base}'>"
                        L"<Setter Property='FontSize' Value='10'/></Style>"
                        L"</StackPanel.Resources><TextBlock x:Name='t' Style='{StaticResource derived}'/></StackPanel>"));
    CXTPMarkupInputElement* block = Find(L"t");
    EXPECT_EQ(10, FontSize(block));
    block->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, MarkupTrue());
    EXPECT_EQ(30, FontSize(block));
    block->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, nullptr);
    EXPECT_EQ(10, FontSize(block));
}

TEST_F(MarkupStyleTest, BuildErrors)
{
    const struct {
        const wchar_t* text;
        const char* error;
    } cases[] = {
        {L"<TextBlock><TextBlock.Style><Style TargetType='TextBlock'><Setter Value='1'/></Style>"
         L"</TextBlock.Style></TextBlock>",
         "Must specify both Property and Value for Setter."},
        {L"<TextBlock><TextBlock.Style><Style TargetType='TextBlock'><Setter Property='FontSize'/></Style>"
         L"</TextBlock.Style></TextBlock>",
         "Must specify both Property and Value for Setter."},
        {L"<TextBlock><TextBlock.Style><Style TargetType='TextBlock'><Setter Property='Orientation' Value='1'/>"
         L"</Style></TextBlock.Style></TextBlock>",
         "Cannot find the Style Property 'Orientation'"},
        {L"<TextBlock><TextBlock.Style><Style><Setter Property='FontSize' Value='1'/>"
         L"</Style></TextBlock.Style></TextBlock>",
         "Cannot find the Style Property 'FontSize'"},
        {L"<StackPanel><StackPanel.Resources><SolidColorBrush Color='Red'/></StackPanel.Resources></StackPanel>",
         "Objects added to Dictionary must have Key attribute or some other type of associated Key"},
        {L"<StackPanel><StackPanel.Resources><SolidColorBrush x:Key='a' Color='Red'/>"
         L"<SolidColorBrush x:Key='a' Color='Blue'/></StackPanel.Resources></StackPanel>",
         "Dictionary key is already used. Key attributes must be unique."},
        {L"<StackPanel><StackPanel.Resources><SolidColorBrush x:Key='a' Color='Red'/></StackPanel.Resources>"
         L"<TextBlock Foreground='{StaticResource A}'/></StackPanel>",
         "Cannot find resource named 'A'. Resource names are case sensitive"},
        {L"<TextBlock><TextBlock.Style><Style TargetType='TextBlock'><Setter Property='FontWeight' Value='Fat'/>"
         L"</Style></TextBlock.Style></TextBlock>",
         "Cannot convert string in attribute 'FontWeight' to object of type 'CXTPMarkupEnum'"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(Narrow(row.text));
        const std::string error = Build(row.text);
        // The position is wherever the parser stood when the element closed; the message and the
        // line are what the rows pin down.
        EXPECT_EQ(row.error, error.substr(0, error.find(". Line 1, position "))) << error;
        EXPECT_NE(std::string::npos, error.find(". Line 1, position ")) << error;
    }
}

TEST_F(MarkupStyleTest, DefaultStyleOfTheHyperlink)
{
    ASSERT_EQ("", Build(L"<TextBlock><Hyperlink x:Name='h'>a</Hyperlink>"
                        L"<Hyperlink x:Name='g' Foreground='#00FF00' TextDecorations=''>b</Hyperlink></TextBlock>"));
    CXTPMarkupInputElement* link = Find(L"h");
    EXPECT_EQ(RGB(0, 0, 255), Foreground(link));
    const CXTPMarkupInt* cursor = MarkupDynamicCast<CXTPMarkupInt>(link->GetValue(CXTPMarkupInputElement::m_pCursorProperty));
    ASSERT_NE(nullptr, cursor);
    EXPECT_EQ(32649, static_cast<int>(*cursor));
    const CXTPMarkupEnum* underline =
        MarkupDynamicCast<CXTPMarkupEnum>(link->GetValue(CXTPMarkupTextElement::m_pTextDecorationsProperty));
    ASSERT_NE(nullptr, underline);
    EXPECT_EQ(1, static_cast<int>(*underline));
    link->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, MarkupTrue());
    EXPECT_EQ(RGB(255, 0, 0), Foreground(link));
    link->SetValue(CXTPMarkupInputElement::m_pIsMouseOverProperty, nullptr);
    EXPECT_EQ(RGB(0, 0, 255), Foreground(link));

    // Local values in markup override the default style.
    CXTPMarkupInputElement* green = Find(L"g");
    EXPECT_EQ(RGB(0, 255, 0), Foreground(green));
    const CXTPMarkupEnum* none =
        MarkupDynamicCast<CXTPMarkupEnum>(green->GetValue(CXTPMarkupTextElement::m_pTextDecorationsProperty));
    ASSERT_NE(nullptr, none);
    EXPECT_EQ(0, static_cast<int>(*none));
}

TEST_F(MarkupStyleTest, FindResourceStopsAfterAStyleAndLooksIntoAnElementsStyle)
{
    ASSERT_EQ("", Build(L"<StackPanel><StackPanel.Resources>"
                        L"<SolidColorBrush x:Key='outer' Color='Red'/>"
                        L"<Style x:Key='s' TargetType='TextBlock'><Style.Resources>"
                        L"<SolidColorBrush x:Key='inner' Color='Blue'/></Style.Resources></Style>"
                        L"</StackPanel.Resources><TextBlock x:Name='t' Style='{StaticResource s}'/></StackPanel>"));
    CXTPMarkupInputElement* block = Find(L"t");
    CXTPMarkupString* inner = CreateMarkupString(L"inner");
    CXTPMarkupString* outer = CreateMarkupString(L"outer");
    EXPECT_NE(nullptr, MarkupFindResource(block, inner));
    EXPECT_NE(nullptr, MarkupFindResource(block, outer));
    // From the style itself: its own resources, and nothing above it.
    CXTPMarkupObject* style = block->GetStyle();
    EXPECT_NE(nullptr, MarkupFindResource(style, inner));
    EXPECT_EQ(nullptr, MarkupFindResource(style, outer));
    inner->Release();
    outer->Release();
}

} // namespace
