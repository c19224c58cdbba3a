// Documents built from text: a table of small documents, valid and broken, each with the tree it
// must give or the exact error text; then the system colours, the converters and the keyboard
// navigation properties as markup reaches them. Every case checks that a failed build leaves no
// object alive.

#include "MarkupDocumentSupport.h"

#include "toolkit/markup/XTPMarkupConverters.h"
#include "toolkit/markup/XTPMarkupKeyboardNavigation.h"
#include "toolkit/markup/XTPMarkupParser.h"
#include "toolkit/markup/XTPMarkupStackPanel.h"

#include <string>

namespace markuptests {
IMPLEMENT_MARKUPCLASS(L"TextProbe", CTextProbe, CXTPMarkupFrameworkElement, &CreateMarkupObject<CTextProbe>, nullptr)
} // namespace markuptests

using namespace markuptests;

namespace {

class MarkupBuilderTest : public MarkupTest {
protected:
    void SetUp() override
    {
        CTextProbe::MarkupType();
        // The context (and what it registers) lives for the whole test, outside the count.
        m_pContext = CreateMarkupContext(nullptr);
        MarkupTest::SetUp();
    }
    void TearDown() override
    {
        MarkupTest::TearDown();
        EXPECT_EQ(1, m_pContext->GetRefCount()) << "an element still holds the context";
        ReleaseMarkupContext(&m_pContext);
    }

    // The dump of the tree, or "error: <text>".
    std::string Build(const wchar_t* text, CXTPMarkupContext* context)
    {
        CXTPMarkupParser parser;
        parser.SetBuffer(text, text + wcslen(text));
        CXTPMarkupBuilder builder(context);
        CXTPMarkupUIElement* root = builder.Parse(&parser);
        if (!root)
            return "error: " + Narrow(builder.GetLastError());
        std::string dump = DumpMarkup(root);
        root->Release();
        return dump;
    }
    std::string Build(const wchar_t* text) { return Build(text, m_pContext); }

    CXTPMarkupContext* m_pContext = nullptr;
};

struct DocumentCase {
    const char* what;
    const wchar_t* text;
    const char* expected;
};

const DocumentCase kDocuments[] = {
    // Root level.
    {"empty text", L"", "error: Data at the root level is invalid"},
    {"only white space", L"  \r\n ", "error: Data at the root level is invalid"},
    {"text before the first tag", L"x<StackPanel/>", "error: Data at the root level is invalid"},
    {"text after the root", L"<StackPanel/>x", "error: Data at the root level is invalid. Line 1, position 15"},
    {"declaration, comments and sections skipped",
     L"<?xml version=\"1.0\"?><!-- a --><StackPanel><![CDATA[ignored]]><!-- b --></StackPanel>", "StackPanel"},
    {"document type read as an element", L"<!DOCTYPE x><StackPanel/>",
     "error: The tag '!DOCTYPE' does not exist in XML namespace. Line 1, position 12"},
    {"start tag never closed", L"<StackPanel>",
     "error: Unexpected end of file has occurred. The following elements are not closed: 'StackPanel'. Line 1, "
     "position 13"},
    {"only a comment", L"<!-- nothing -->", "error: Root element is missing. Line 1, position 17"},
    {"two roots", L"<StackPanel/><StackPanel/>", "error: There are multiple root elements. Line 1, position 26"},
    {"end tag of another element", L"<StackPanel></Canvas>",
     "error: The 'StackPanel' start tag does not match the end tag of 'Canvas'. Line 1, position 22"},
    {"end tag with nothing open", L"<StackPanel/></StackPanel>", "error: Unexpected end tag. Line 1, position 27"},
    {"end tag in another case", L"<StackPanel></stackpanel>",
     "error: The 'StackPanel' start tag does not match the end tag of 'stackpanel'. Line 1, position 26"},
    {"unknown tag", L"<StackPanel><Bogus/></StackPanel>",
     "error: The tag 'Bogus' does not exist in XML namespace. Line 1, position 20"},
    {"tag in another case", L"<stackpanel/>", "error: The tag 'stackpanel' does not exist in XML namespace. Line 1, position 13"},
    // Property elements.
    {"property element as the root", L"<StackPanel.Tag>x</StackPanel.Tag>",
     "error: The tag 'StackPanel.Tag' does not exist in XML namespace. Line 1, position 17"},
    {"property element without content", L"<StackPanel><StackPanel.Tag></StackPanel.Tag></StackPanel>",
     "error: 'Tag' property does not have a value. Line 1, position 46"},
    {"property element of an unknown property", L"<StackPanel><StackPanel.Nope>x</StackPanel.Nope></StackPanel>",
     "error: The tag 'StackPanel.Nope' does not exist in XML namespace. Line 1, position 30"},
    {"property element with text", L"<StackPanel><StackPanel.Tag> a  b </StackPanel.Tag></StackPanel>",
     "StackPanel{Tag=\"a b\"}"},
    {"property element with a brush",
     L"<StackPanel><StackPanel.Background><SolidColorBrush Color='#FF0000FF'/></StackPanel.Background></StackPanel>",
     "StackPanel{Background=FF0000}"},
    {"several children fill one collection",
     L"<StackPanel><StackPanel.Tag><LinearGradientBrush><LinearGradientBrush.GradientStops>"
     L"<GradientStop Offset='0'/><GradientStop Offset='1'/><GradientStop Offset='0.5'/>"
     L"</LinearGradientBrush.GradientStops></LinearGradientBrush></StackPanel.Tag></StackPanel>",
     "StackPanel{Tag=LinearGradientBrush}"},
    // Attributes.
    {"xmlns prefixes ignored, x:Name found",
     L"<StackPanel xmlns='a' xmlns:x='b' xmlnsfoo='c' x:Name='top'/>", "StackPanel{Name=\"top\"}"},
    {"x:Class is no property", L"<StackPanel x:Class='A'/>",
     "error: The property 'x:Class' does not exist in XML namespace. Line 1, position 24"},
    {"unknown attribute", L"<StackPanel Colour='Red'/>",
     "error: The property 'Colour' does not exist in XML namespace. Line 1, position 25"},
    {"attached property of an unknown owner", L"<StackPanel Nope.Tag='1'/>",
     "error: The property 'Nope.Tag' does not exist in XML namespace. Line 1, position 25"},
    {"empty braces make the rest literal", L"<StackPanel Tag='{}{word}'/>", "StackPanel{Tag=\"{word}\"}"},
    {"extension without its closing brace", L"<StackPanel Tag='{StaticResource key'/>",
     "error: Markup extension expressions must end with '}'. Line 1, position 38"},
    {"unknown extension", L"<StackPanel Tag='{Binding Path}'/>",
     "error: The tag 'Binding Path' does not exist in XML namespace. Line 1, position 33"},
    {"x:Type", L"<StackPanel Tag='{x:Type Canvas}'/>", "StackPanel{Tag=type CXTPMarkupCanvas}"},
    {"x:Type of an unknown tag", L"<StackPanel Tag='{x:Type Nope}'/>",
     "error: Cannot find type 'Nope'. Line 1, position 32"},
    {"x:Type argument with a trailing space", L"<StackPanel Tag='{x:Type Canvas }'/>",
     "error: Cannot find type 'Canvas '. Line 1, position 35"},
    {"static member with a trailing space", L"<StackPanel Tag='{x:Static SystemColors.WindowColor }'/>",
     "error: Cannot find the static member  'SystemColors.WindowColor '. Line 1, position 55"},
    {"static member too short", L"<StackPanel Tag='{x:Static SystemColors.Color}'/>",
     "error: Cannot find the static member  'SystemColors.Color'. Line 1, position 48"},
    {"static member of another class", L"<StackPanel Tag='{x:Static Brushes.RedBrushToday}'/>",
     "error: Cannot find the static member  'Brushes.RedBrushToday'. Line 1, position 51"},
    {"resource not found", L"<StackPanel Tag='{StaticResource \r\n myKey}'/>",
     "error: Cannot find resource named '\r\n myKey'. Resource names are case sensitive. Line 3, position 9"},
    {"system brush through a resource key",
     L"<StackPanel Background='{StaticResource {x:Static SystemColors.ControlBrushKey}}'/>", "StackPanel{Background=%BTNFACE%}"},
    {"system brush through a dynamic resource key",
     L"<StackPanel Background='{DynamicResource {x:Static SystemColors.WindowBrushKey}}'/>", "StackPanel{Background=%WINDOW%}"},
    {"empty colour name selects the first entry",
     L"<StackPanel Background='{StaticResource {x:Static SystemColors.BrushKey}}'/>", "StackPanel{Background=%ACTIVEBORDER%}"},
    {"system brush directly", L"<StackPanel Background='{x:Static SystemColors.HighlightBrush}'/>",
     "StackPanel{Background=%HIGHLIGHT%}"},
    {"conversion error", L"<StackPanel Orientation='Diagonal'/>",
     "error: Cannot convert string in attribute 'Orientation' to object of type 'CXTPMarkupEnum'. Line 1, position 35"},
    {"a width that is no number is 0", L"<StackPanel Width='wide'/>", "StackPanel"},
    // Text rules.
    {"runs of white space become one space", L"<TextProbe>a  \t\r\n b</TextProbe>", "TextProbe(\"a b\")"},
    {"leading and closing white space dropped", L"<TextProbe>  a b  </TextProbe>", "TextProbe(\"a b\")"},
    {"space before a child kept on the text", L"<TextProbe>a <TextProbe/></TextProbe>",
     "TextProbe(\"a \",TextProbe)"},
    {"space after content kept", L"<TextProbe>a<TextProbe>b</TextProbe> c</TextProbe>",
     "TextProbe(\"a\",TextProbe(\"b\"),\" c\")"},
    {"space without content dropped", L"<TextProbe> c</TextProbe>", "TextProbe(\"c\")"},
    {"lone space between children", L"<TextProbe><TextProbe/> <TextProbe/></TextProbe>",
     "TextProbe(TextProbe,\" \",TextProbe)"},
    {"lone space before the first child dropped", L"<TextProbe> <TextProbe/></TextProbe>", "TextProbe(TextProbe)"},
    {"character reference to a space kept", L"<TextProbe>a&#32;</TextProbe>", "TextProbe(\"a \")"},
    {"text where none is taken", L"<StackPanel>words</StackPanel>",
     "error: 'CXTPMarkupString' object cannot be added to 'CXTPMarkupUIElementCollection'. Object cannot be "
     "converted to type 'CXTPMarkupUIElement'. Line 1, position 31"},
    // Line and position.
    {"error on the first line", L"<StackPanel><Bogus/></StackPanel>",
     "error: The tag 'Bogus' does not exist in XML namespace. Line 1, position 20"},
    {"each CR and each LF adds a line", L"<StackPanel>\r\n<Bogus/>\n</StackPanel>",
     "error: The tag 'Bogus' does not exist in XML namespace. Line 3, position 8"},
    // Finish.
    {"root that is no UI element", L"<SolidColorBrush Color='Red'/>",
     "error: Root element have to be 'CXTPMarkupUIElement' type"},
    {"event attribute without a delegate", L"<StackPanel><Canvas MouseLeftButtonDown='OnDown'/></StackPanel>",
     "error: 'OnDown' delegate not found. Line 1, position 49"},
    {"parser error", L"<StackPanel Tag='x></StackPanel>", "error: %PARSER%"},
};

std::string Expand(std::string expected)
{
    auto replace = [&](const char* marker, int index) {
        const size_t at = expected.find(marker);
        if (at == std::string::npos)
            return;
        char colour[16];
        snprintf(colour, sizeof(colour), "%06lX", static_cast<unsigned long>(GetSysColor(index)));
        expected.replace(at, strlen(marker), colour);
    };
    replace("%BTNFACE%", COLOR_BTNFACE);
    replace("%WINDOW%", COLOR_WINDOW);
    replace("%HIGHLIGHT%", COLOR_HIGHLIGHT);
    replace("%ACTIVEBORDER%", COLOR_ACTIVEBORDER);
    return expected;
}

TEST_F(MarkupBuilderTest, DocumentTable)
{
    for (const DocumentCase& row : kDocuments) {
        SCOPED_TRACE(row.what);
        const LONG before = CXTPMarkupObject::GetLiveObjectCount();
        const std::string result = Build(row.text);
        if (strcmp(row.expected, "error: %PARSER%") == 0)
            EXPECT_EQ(0u, result.find("error: ")) << result;
        else
            EXPECT_EQ(Expand(row.expected), result);
        EXPECT_EQ(before, CXTPMarkupObject::GetLiveObjectCount()) << "objects left alive by the build";
        EXPECT_EQ(1, m_pContext->GetRefCount());
    }
}

TEST_F(MarkupBuilderTest, EventAttributeWithoutContextSaysSo)
{
    EXPECT_EQ("error: Markup Context is NULL. Line 1, position 41",
              Build(L"<StackPanel MouseLeftButtonDown='OnDown'/>", nullptr));
}

TEST_F(MarkupBuilderTest, SeveralChildrenOfAPropertyElementFillOneCollection)
{
    CXTPMarkupUIElement* root = m_pContext->Parse(
        L"<StackPanel><StackPanel.Tag><LinearGradientBrush><LinearGradientBrush.GradientStops>"
        L"<GradientStop Offset='0'/><GradientStop Offset='1'/><GradientStop Offset='0.5'/>"
        L"</LinearGradientBrush.GradientStops></LinearGradientBrush></StackPanel.Tag></StackPanel>");
    ASSERT_NE(nullptr, root);
    CXTPMarkupObject* tag = root->GetValue(CXTPMarkupFrameworkElement::m_pTagProperty);
    ASSERT_NE(nullptr, MarkupDynamicCast<CXTPMarkupLinearGradientBrush>(tag));
    CXTPMarkupGradientStops* stops = MarkupDynamicCast<CXTPMarkupGradientStops>(
        tag->GetValue(CXTPMarkupLinearGradientBrush::m_pGradientStopsProperty));
    ASSERT_NE(nullptr, stops);
    ASSERT_EQ(3, stops->GetCount());
    const CXTPMarkupDouble* last = MarkupDynamicCast<CXTPMarkupDouble>(
        stops->GetItem(2)->GetValue(CXTPMarkupGradientStop::m_pOffsetProperty));
    ASSERT_NE(nullptr, last);
    EXPECT_DOUBLE_EQ(0.5, static_cast<double>(*last));
    root->Release();
}

TEST_F(MarkupBuilderTest, LongMessagesAreCutTo255Characters)
{
    std::wstring name(300, L'N');
    const std::wstring text = L"<StackPanel Tag='{x:Type " + name + L"}'/>";
    const std::string result = Build(text.c_str());
    const std::string message = "Cannot find type '" + std::string(300, 'N');
    const std::string expected = "error: " + message.substr(0, 255) + ". Line 1, position " +
                                 std::to_string(text.size() - 1);
    EXPECT_EQ(expected, result);
}

TEST_F(MarkupBuilderTest, ElementsAreBoundToTheContextWhileTheyLive)
{
    CXTPMarkupUIElement* root = m_pContext->Parse(L"<StackPanel><Canvas/><Canvas/></StackPanel>");
    ASSERT_NE(nullptr, root);
    // The panel and its two children each hold one reference.
    EXPECT_EQ(4, m_pContext->GetRefCount());
    EXPECT_EQ(m_pContext, GetMarkupElementContext(root));
    EXPECT_EQ(0, ReleaseMarkupElement(&root));
    EXPECT_EQ(nullptr, root);
    EXPECT_EQ(1, m_pContext->GetRefCount());
}

TEST_F(MarkupBuilderTest, StylesAreAppliedChildrenFirst)
{
    std::vector<std::wstring> log;
    CTextProbe::s_pStyleLog = &log;
    CXTPMarkupUIElement* root = m_pContext->Parse(
        L"<TextProbe x:Name='root'><TextProbe x:Name='a'><TextProbe x:Name='a1'/></TextProbe>"
        L"<TextProbe x:Name='b'/></TextProbe>");
    CTextProbe::s_pStyleLog = nullptr;
    ASSERT_NE(nullptr, root);
    EXPECT_EQ((std::vector<std::wstring>{L"a1", L"a", L"b", L"root"}), log);
    root->Release();
}

TEST_F(MarkupBuilderTest, SystemColorsMembers)
{
    struct Row {
        const wchar_t* member;
        const char* kind; // "color", "brush", "colorkey", "brushkey" or "none"
        int index;
    };
    const Row rows[] = {
        {L"SystemColors.WindowColor", "color", COLOR_WINDOW},
        {L"SystemColors.WindowBrush", "brush", COLOR_WINDOW},
        {L"SystemColors.WindowColorKey", "colorkey", COLOR_WINDOW},
        {L"SystemColors.WindowBrushKey", "brushkey", COLOR_WINDOW},
        {L"SystemColors.ScrollBarColor", "color", COLOR_SCROLLBAR},
        {L"SystemColors.MeColor", "color", COLOR_MENU},          // the first entry beginning "Me"
        {L"SystemColors.ControlBrush", "brush", COLOR_BTNFACE},   // Control before ControlDark
        {L"SystemColors.ControlDBrush", "brush", COLOR_BTNSHADOW},
        {L"SystemColors.GradientInactiveCaptionColor", "color", COLOR_GRADIENTINACTIVECAPTION},
        {L"SystemColors.MenuBarBrush", "brush", COLOR_MENUBAR},
        {L"SystemColors.ColorKey", "colorkey", COLOR_ACTIVEBORDER}, // empty name: the first entry
        {L"SystemColors.BrushKey", "brushkey", COLOR_ACTIVEBORDER},
        {L"SystemColors.Color", "none", 0},                       // shorter than 20 characters
        {L"SystemColors.windowColor", "none", 0},                 // names compare case-sensitively
        {L"SystemColors.WindowColr", "none", 0},
        {L"SystemColors.NoSuchColor", "none", 0},
        {L"systemColors.WindowColor", "none", 0},
    };
    CXTPMarkupBuilder builder(m_pContext);
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.member));
        CXTPMarkupObject* object = builder.ResolveSystemColorsMember(row.member);
        const std::string kind = row.kind;
        if (kind == "none") {
            EXPECT_EQ(nullptr, object);
            continue;
        }
        ASSERT_NE(nullptr, object);
        if (kind == "color") {
            const CXTPMarkupColor* colour = MarkupDynamicCast<CXTPMarkupColor>(object);
            ASSERT_NE(nullptr, colour);
            EXPECT_EQ(0xFF000000u | GetSysColor(row.index), colour->GetValue());
        } else if (kind == "brush") {
            CXTPMarkupSolidColorBrush* brush = MarkupDynamicCast<CXTPMarkupSolidColorBrush>(object);
            ASSERT_NE(nullptr, brush);
            EXPECT_EQ(GetSysColor(row.index), brush->GetColor());
            EXPECT_EQ(255, brush->GetColorObject()->GetAlpha());
        } else if (kind == "colorkey") {
            const CXTPMarkupColorKey* key = MarkupDynamicCast<CXTPMarkupColorKey>(object);
            ASSERT_NE(nullptr, key);
            EXPECT_EQ(row.index, key->GetIndex());
        } else {
            const CXTPMarkupBrushKey* key = MarkupDynamicCast<CXTPMarkupBrushKey>(object);
            ASSERT_NE(nullptr, key);
            EXPECT_EQ(row.index, key->GetIndex());
        }
        object->Release();
    }
}

TEST_F(MarkupBuilderTest, SystemColoursAreSharedInOneBuildAndReadAfreshForTheNext)
{
    CXTPMarkupBuilder first(m_pContext);
    CXTPMarkupObject* a = first.ResolveSystemColorsMember(L"SystemColors.WindowBrush");
    CXTPMarkupObject* b = first.ResolveSystemColorsMember(L"SystemColors.WindowBrush");
    CXTPMarkupObject* keyA = first.ResolveSystemColorsMember(L"SystemColors.WindowBrushKey");
    CXTPMarkupObject* keyB = first.ResolveSystemColorsMember(L"SystemColors.WindowBrushKey");
    EXPECT_EQ(a, b);
    EXPECT_EQ(keyA, keyB);
    CXTPMarkupBuilder second(m_pContext);
    CXTPMarkupObject* c = second.ResolveSystemColorsMember(L"SystemColors.WindowBrush");
    EXPECT_NE(a, c);
    // A document holds the brush by its own reference, beyond the builder.
    for (CXTPMarkupObject* object : {a, b, keyA, keyB, c})
        object->Release();
    CXTPMarkupUIElement* root = m_pContext->Parse(
        L"<StackPanel Background='{x:Static SystemColors.WindowBrush}'>"
        L"<StackPanel Background='{x:Static SystemColors.WindowBrush}'/></StackPanel>");
    ASSERT_NE(nullptr, root);
    CXTPMarkupPanel* outer = MarkupDynamicCast<CXTPMarkupPanel>(root);
    CXTPMarkupPanel* inner = MarkupDynamicCast<CXTPMarkupPanel>(outer->GetChildren()->GetItem(0));
    EXPECT_EQ(outer->GetBackground(), inner->GetBackground());
    root->Release();
}

TEST_F(MarkupBuilderTest, KeyboardNavigationPropertiesAreStoredOnAnyElement)
{
    CXTPMarkupUIElement* root = m_pContext->Parse(
        L"<StackPanel KeyboardNavigation.TabIndex='2' KeyboardNavigation.IsTabStop='False'"
        L" KeyboardNavigation.TabNavigation='cycle'><Canvas KeyboardNavigation.TabIndex='5'/></StackPanel>");
    ASSERT_NE(nullptr, root);
    const CXTPMarkupInt* index = MarkupDynamicCast<CXTPMarkupInt>(root->GetValue(CXTPMarkupKeyboardNavigation::m_pTabIndexProperty));
    ASSERT_NE(nullptr, index);
    EXPECT_EQ(2, static_cast<int>(*index));
    const CXTPMarkupBool* stop = MarkupDynamicCast<CXTPMarkupBool>(root->GetValue(CXTPMarkupKeyboardNavigation::m_pIsTabStopProperty));
    ASSERT_NE(nullptr, stop);
    EXPECT_FALSE(static_cast<BOOL>(*stop));
    const CXTPMarkupEnum* navigation =
        MarkupDynamicCast<CXTPMarkupEnum>(root->GetValue(CXTPMarkupKeyboardNavigation::m_pTabNavigationProperty));
    ASSERT_NE(nullptr, navigation);
    EXPECT_EQ(2, static_cast<int>(*navigation));
    // The default of an element that sets nothing.
    CXTPMarkupStackPanel* panel = MarkupDynamicCast<CXTPMarkupStackPanel>(root);
    CXTPMarkupObject* child = panel->GetChildren()->GetItem(0);
    const CXTPMarkupInt* childIndex = MarkupDynamicCast<CXTPMarkupInt>(child->GetValue(CXTPMarkupKeyboardNavigation::m_pTabIndexProperty));
    EXPECT_EQ(5, static_cast<int>(*childIndex));
    const CXTPMarkupBool* defaultStop = MarkupDynamicCast<CXTPMarkupBool>(child->GetValue(CXTPMarkupKeyboardNavigation::m_pIsTabStopProperty));
    EXPECT_TRUE(static_cast<BOOL>(*defaultStop));
    root->Release();

    EXPECT_EQ("error: Cannot convert string in attribute 'TabNavigation' to object of type 'CXTPMarkupEnum'. Line 1, "
              "position 56",
              Build(L"<StackPanel KeyboardNavigation.TabNavigation='Sideways'/>"));
}

// ---- Converters

struct ConverterCase {
    const char* what;
    CXTPMarkupPropertyMetadata::Converter converter;
    const wchar_t* text;
    int expected; // -1: no result
};

const ConverterCase kConverters[] = {
    {"pt rounds like MulDiv", &MarkupConvertSize, L"12pt", 16},
    {"pt rounds half up", &MarkupConvertSize, L"3pt", 4},
    {"in", &MarkupConvertSize, L"1in", 96},
    {"cm truncates", &MarkupConvertSize, L"1cm", 37},
    {"mm truncates", &MarkupConvertSize, L"10mm", 37},
    {"fraction ignored", &MarkupConvertSize, L"1.9in", 96},
    {"no unit", &MarkupConvertSize, L"12", 12},
    {"px", &MarkupConvertSize, L"12px", 12},
    {"two characters keep no unit", &MarkupConvertSize, L"pt", 0},
    {"Auto", &MarkupConvertSize, L"Auto", 0x7FFFFFFF},
    {"not a number", &MarkupConvertSize, L"wide", 0},
    {"negative", &MarkupConvertSize, L"-4", -4},
    {"weight in any case", &MarkupConvertFontWeight, L"bold", 700},
    {"weight ExtraBlack", &MarkupConvertFontWeight, L"ExtraBlack", 950},
    {"weight Regular", &MarkupConvertFontWeight, L"Regular", 400},
    {"weight outside the table", &MarkupConvertFontWeight, L"Bolder", -1},
    {"weight needs the whole text", &MarkupConvertFontWeight, L"Bold ", -1},
    {"style", &MarkupConvertFontStyle, L"ITALIC", 1},
    {"decorations None fails", &MarkupConvertTextDecorations, L"None", -1},
    {"decorations empty", &MarkupConvertTextDecorations, L"", 0},
    {"decorations strike-through", &MarkupConvertTextDecorations, L"strikethrough", 2},
    {"quality", &MarkupConvertFontQuality, L"ClearType", 5},
    {"wrapping", &MarkupConvertTextWrapping, L"WrapWithOverflow", 2},
    {"trimming", &MarkupConvertTextTrimming, L"wordellipsis", 2},
    {"text alignment", &MarkupConvertTextAlignment, L"Center", 2},
    {"baseline", &MarkupConvertBaselineAlignment, L"Superscript", 7},
    {"scroll-bar visibility", &MarkupConvertScrollBarVisibility, L"auto", 1},
    {"stretch", &MarkupConvertStretch, L"UniformToFill", 3},
    {"visibility", &MarkupConvertVisibility, L"collapsed", 2},
    {"cursor hand", &MarkupConvertCursor, L"hand", 32649},
    {"cursor AppStarting", &MarkupConvertCursor, L"AppStarting", 32650},
    {"cursor None", &MarkupConvertCursor, L"None", 0},
    {"cursor unknown", &MarkupConvertCursor, L"Finger", -1},
};

TEST_F(MarkupBuilderTest, ConverterTable)
{
    CXTPMarkupBuilder builder(m_pContext);
    for (const ConverterCase& row : kConverters) {
        SCOPED_TRACE(row.what);
        CXTPMarkupString* text = CreateMarkupString(row.text);
        CXTPMarkupObject* result = row.converter(&builder, text);
        text->Release();
        if (row.expected == -1) {
            EXPECT_EQ(nullptr, result);
            continue;
        }
        ASSERT_NE(nullptr, result);
        if (const CXTPMarkupInt* number = MarkupDynamicCast<CXTPMarkupInt>(result))
            EXPECT_EQ(row.expected, static_cast<int>(*number));
        else if (const CXTPMarkupEnum* word = MarkupDynamicCast<CXTPMarkupEnum>(result))
            EXPECT_EQ(row.expected, static_cast<int>(*word));
        else
            ADD_FAILURE() << "unexpected result type";
        result->Release();
    }
    // Converters take strings only.
    CXTPMarkupInt* number = new CXTPMarkupInt(3);
    EXPECT_EQ(nullptr, MarkupConvertSize(&builder, number));
    EXPECT_EQ(nullptr, MarkupConvertCursor(&builder, number));
    number->Release();
}

} // namespace
