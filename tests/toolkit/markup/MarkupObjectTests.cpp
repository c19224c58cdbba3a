// The markup object model on a small fixture type: reference counts, type tests, the value lookup
// through logical ancestors, change notification, the property store and the name lookup.

#include "tests/toolkit/markup/MarkupTestSupport.h"
#include "toolkit/markup/XTPMarkupBuilder.h"
#include "toolkit/markup/XTPMarkupCollection.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

using namespace markuptests;

namespace {

// What a change callback saw.
struct Change {
    std::wstring who;      // the notified object's tag name
    std::wstring property;
    CXTPMarkupObject* oldValue; // compare only: the old value may be gone after SetValue
    CXTPMarkupObject* newValue;
    int oldInt;                 // the values as the callback read them, -1 for none
    int newInt;
    bool watchedDestroyed;      // the watched value's state during the callback
};

int IntOf(CXTPMarkupObject* value)
{
    CXTPMarkupInt* number = MarkupDynamicCast<CXTPMarkupInt>(value);
    return number ? static_cast<int>(*number) : -1;
}

std::vector<Change> g_changes;
const bool* g_pWatchedDestroyed = nullptr; // the flag of a CTrackedInt the callbacks report on

void RecordChange(CXTPMarkupObject* object, CXTPMarkupPropertyChangedEventArgs* e)
{
    g_changes.push_back({object->GetTagName() ? object->GetTagName() : L"", e->m_pProperty->GetName(),
                         e->m_pOldValue, e->m_pNewValue, IntOf(e->m_pOldValue), IntOf(e->m_pNewValue),
                         g_pWatchedDestroyed && *g_pWatchedDestroyed});
}

// A node with children, as elements will be: an inheriting property ("FontSize", default 7), a
// measure-flag property ("Width", no default) and two properties for conversion from text.
class CFixtureNode : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CFixtureNode)
public:
    static CXTPMarkupDependencyProperty* m_pFontSizeProperty;
    static CXTPMarkupDependencyProperty* m_pWidthProperty;
    static CXTPMarkupDependencyProperty* m_pRatioProperty;
    static CXTPMarkupDependencyProperty* m_pModeProperty;
    static void RegisterMarkupClass();

    static CFixtureNode* Make(const wchar_t* name)
    {
        CFixtureNode* node = new CFixtureNode();
        node->SetTagName(name);
        return node;
    }
    // Takes over the child's reference.
    CXTPMarkupObject* AddChild(CXTPMarkupObject* child)
    {
        child->SetLogicalParent(this);
        m_children.push_back(child);
        return child;
    }
    int GetLogicalChildrenCount() const override { return static_cast<int>(m_children.size()); }
    CXTPMarkupObject* GetLogicalChild(int index) const override { return m_children[static_cast<size_t>(index)]; }

protected:
    ~CFixtureNode() override
    {
        for (CXTPMarkupObject* child : m_children)
            child->Release();
    }

private:
    std::vector<CXTPMarkupObject*> m_children;
};

CXTPMarkupDependencyProperty* CFixtureNode::m_pFontSizeProperty = nullptr;
CXTPMarkupDependencyProperty* CFixtureNode::m_pWidthProperty = nullptr;
CXTPMarkupDependencyProperty* CFixtureNode::m_pRatioProperty = nullptr;
CXTPMarkupDependencyProperty* CFixtureNode::m_pModeProperty = nullptr;

CXTPMarkupObject* ConvertMode(CXTPMarkupBuilder*, CXTPMarkupObject* value)
{
    const CXTPMarkupString* text = MarkupDynamicCast<CXTPMarkupString>(value);
    if (text && std::wstring(text->GetBuffer()) == L"Fast")
        return CreateMarkupEnum(1);
    return nullptr;
}

void CFixtureNode::RegisterMarkupClass()
{
    m_pFontSizeProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"FontSize", CXTPMarkupInt::MarkupType(), MarkupType(),
        new CXTPMarkupPropertyMetadata(new CXTPMarkupInt(7), &RecordChange,
                                       CXTPMarkupPropertyMetadata::flagInherited |
                                           CXTPMarkupPropertyMetadata::flagAffectsMeasure));
    m_pWidthProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Width", CXTPMarkupInt::MarkupType(), MarkupType(),
        new CXTPMarkupPropertyMetadata(nullptr, &RecordChange, CXTPMarkupPropertyMetadata::flagAffectsMeasure));
    m_pRatioProperty = CXTPMarkupDependencyProperty::RegisterProperty(L"Ratio", CXTPMarkupDouble::MarkupType(),
                                                                      MarkupType());
    m_pModeProperty = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Mode", CXTPMarkupEnum::MarkupType(), MarkupType(), new CXTPMarkupPropertyMetadata(nullptr, &ConvertMode));
}

IMPLEMENT_MARKUPCLASS(L"FixtureNode", CFixtureNode, CXTPMarkupObject, &CreateMarkupObject<CFixtureNode>,
                      &CFixtureNode::RegisterMarkupClass)

// A type below the node that registers nothing of its own.
class CFixtureLeaf : public CFixtureNode {
    DECLARE_MARKUPCLASS(CFixtureLeaf)
};
IMPLEMENT_MARKUPCLASS(L"FixtureLeaf", CFixtureLeaf, CFixtureNode, &CreateMarkupObject<CFixtureLeaf>, nullptr)

// An object whose final release is only recorded, so that a release past 0 can be observed.
class CCountedObject : public CXTPMarkupObject {
public:
    int m_nFinalReleases = 0;
    void OnFinalRelease() override { ++m_nFinalReleases; }
    void Destroy() { delete this; }
};

// The three-level tree of the notification tests; the collection between b and b1 is not of the
// owner type and must be walked through, not notified.
struct Tree {
    CFixtureNode* root;
    CFixtureNode* a;
    CFixtureNode* a1;
    CFixtureNode* a2;
    CFixtureNode* b;
    CXTPMarkupCollection* between;
    CFixtureNode* b1;

    Tree()
    {
        root = CFixtureNode::Make(L"root");
        a = static_cast<CFixtureNode*>(root->AddChild(CFixtureNode::Make(L"a")));
        a1 = static_cast<CFixtureNode*>(a->AddChild(CFixtureNode::Make(L"a1")));
        a2 = static_cast<CFixtureNode*>(a->AddChild(CFixtureLeaf::MarkupType()->CreateObject()));
        a2->SetTagName(L"a2");
        b = static_cast<CFixtureNode*>(root->AddChild(CFixtureNode::Make(L"b")));
        between = static_cast<CXTPMarkupCollection*>(b->AddChild(new CXTPMarkupCollection()));
        b1 = CFixtureNode::Make(L"b1");
        between->Add(b1);
    }
    ~Tree() { root->Release(); }
};

std::vector<std::wstring> Whos()
{
    std::vector<std::wstring> whos;
    for (const Change& change : g_changes)
        whos.push_back(change.who);
    return whos;
}

class MarkupObject : public MarkupTest {
protected:
    void SetUp() override
    {
        // The fixture types and their properties live as long as the process: make them before
        // the count is taken.
        RegisterMarkupTypesOnce();
        CFixtureLeaf::MarkupType();
        MarkupTest::SetUp();
        g_changes.clear();
    }
};

TEST_F(MarkupObject, ReleaseOfACountAtZeroFreesNothing)
{
    CCountedObject* object = new CCountedObject();
    EXPECT_EQ(2, object->AddRef());
    EXPECT_EQ(1, object->Release());
    EXPECT_EQ(0, object->Release());
    EXPECT_EQ(1, object->m_nFinalReleases);
    EXPECT_EQ(0, object->Release());
    EXPECT_EQ(0, object->GetRefCount());
    EXPECT_EQ(1, object->m_nFinalReleases);
    object->Destroy();
}

TEST_F(MarkupObject, TypeTestsWalkTheBaseTypes)
{
    CXTPMarkupObject* leaf = CFixtureLeaf::MarkupType()->CreateObject();
    EXPECT_TRUE(leaf->IsKindOf(CFixtureLeaf::MarkupType()));
    EXPECT_TRUE(leaf->IsKindOf(CFixtureNode::MarkupType()));
    EXPECT_TRUE(leaf->IsKindOf(CXTPMarkupObject::MarkupType()));
    EXPECT_FALSE(leaf->IsKindOf(CXTPMarkupString::MarkupType()));
    EXPECT_FALSE(leaf->IsKindOf(nullptr));
    EXPECT_EQ(leaf, MarkupDynamicCast(CFixtureNode::MarkupType(), leaf));
    EXPECT_EQ(nullptr, MarkupDynamicCast(CXTPMarkupInt::MarkupType(), leaf));
    EXPECT_EQ(nullptr, MarkupDynamicCast(CXTPMarkupObject::MarkupType(), nullptr));
    EXPECT_EQ(1, leaf->GetRefCount()) << "a cast lends, it adds no reference";

    EXPECT_TRUE(CXTPMarkupType::IsDerivedFrom(CFixtureLeaf::MarkupType(), CFixtureNode::MarkupType()));
    EXPECT_FALSE(CXTPMarkupType::IsDerivedFrom(CFixtureNode::MarkupType(), CFixtureLeaf::MarkupType()));
    EXPECT_EQ(nullptr, CXTPMarkupObject::MarkupType()->GetBaseType());
    EXPECT_STREQ(L"CFixtureLeaf", CFixtureLeaf::MarkupType()->GetTypeName());
    leaf->Release();
}

TEST_F(MarkupObject, TagNameIsACopy)
{
    wchar_t name[] = L"Border";
    CXTPMarkupObject* object = new CXTPMarkupObject();
    EXPECT_EQ(nullptr, object->GetTagName());
    object->SetTagName(name);
    name[0] = L'X';
    EXPECT_STREQ(L"Border", object->GetTagName());
    object->Release();
}

TEST_F(MarkupObject, LogicalParentIsNotCounted)
{
    CFixtureNode* parent = CFixtureNode::Make(L"p");
    CXTPMarkupObject* child = parent->AddChild(new CXTPMarkupObject());
    EXPECT_EQ(parent, child->GetLogicalParent());
    EXPECT_EQ(1, parent->GetRefCount());
    parent->Release(); // frees the child with it; the leak check proves both went
}

TEST_F(MarkupObject, ValueLookupWalksLogicalAncestorsForInheritingPropertiesOnly)
{
    Tree tree;
    // Nothing set: the metadata default, and no source.
    EXPECT_EQ(7, IntOf(tree.b1->GetValue(CFixtureNode::m_pFontSizeProperty)));
    EXPECT_EQ(nullptr, tree.b1->GetValueSource(CFixtureNode::m_pFontSizeProperty));

    tree.root->SetValue(CFixtureNode::m_pFontSizeProperty, new CXTPMarkupInt(12));
    tree.a->SetValue(CFixtureNode::m_pFontSizeProperty, new CXTPMarkupInt(9));
    EXPECT_EQ(12, IntOf(tree.b1->GetValue(CFixtureNode::m_pFontSizeProperty))) << "through the collection";
    EXPECT_EQ(tree.root, tree.b1->GetValueSource(CFixtureNode::m_pFontSizeProperty));
    EXPECT_EQ(9, IntOf(tree.a1->GetValue(CFixtureNode::m_pFontSizeProperty)));
    EXPECT_EQ(tree.a, tree.a1->GetValueSource(CFixtureNode::m_pFontSizeProperty));
    EXPECT_EQ(tree.a, tree.a->GetValueSource(CFixtureNode::m_pFontSizeProperty));
    EXPECT_EQ(nullptr, tree.a1->GetLocalValue(CFixtureNode::m_pFontSizeProperty));

    // Width does not inherit.
    tree.root->SetValue(CFixtureNode::m_pWidthProperty, new CXTPMarkupInt(100));
    EXPECT_EQ(nullptr, tree.a->GetValue(CFixtureNode::m_pWidthProperty));
    EXPECT_EQ(nullptr, tree.a->GetValueSource(CFixtureNode::m_pWidthProperty));
}

TEST_F(MarkupObject, InheritedChangeReachesEveryDescendantOfTheOwnerTypeDepthFirst)
{
    Tree tree;
    tree.a->SetValue(CFixtureNode::m_pFontSizeProperty, new CXTPMarkupInt(9));
    g_changes.clear();

    CXTPMarkupInt* twelve = new CXTPMarkupInt(12);
    tree.root->SetValue(CFixtureNode::m_pFontSizeProperty, twelve);
    // The owner first, then descendants in index order, depth first; a keeps its own value but is
    // told all the same, and the collection between b and b1 is passed through.
    EXPECT_EQ((std::vector<std::wstring>{L"root", L"a", L"a1", L"a2", L"b", L"b1"}), Whos());
    for (const Change& change : g_changes) {
        EXPECT_EQ(L"FontSize", change.property) << testsupport::Utf8(change.who);
        EXPECT_EQ(7, change.oldInt) << testsupport::Utf8(change.who);
        EXPECT_EQ(twelve, change.newValue) << testsupport::Utf8(change.who);
    }
}

TEST_F(MarkupObject, NonInheritingChangeNotifiesOnlyTheObject)
{
    Tree tree;
    tree.root->SetValue(CFixtureNode::m_pWidthProperty, new CXTPMarkupInt(5));
    ASSERT_EQ((std::vector<std::wstring>{L"root"}), Whos());
    EXPECT_EQ(nullptr, g_changes[0].oldValue);
    EXPECT_EQ(5, g_changes[0].newInt);
}

TEST_F(MarkupObject, OldValueStaysAliveUntilEveryNotificationRan)
{
    Tree tree;
    bool destroyed = false;
    tree.root->SetValue(CFixtureNode::m_pFontSizeProperty, new CTrackedInt(3, &destroyed));
    g_changes.clear();

    // The store held the only reference; the callbacks must still see the old value whole.
    g_pWatchedDestroyed = &destroyed;
    tree.root->SetValue(CFixtureNode::m_pFontSizeProperty, new CXTPMarkupInt(4));
    g_pWatchedDestroyed = nullptr;
    ASSERT_EQ(6u, g_changes.size());
    for (const Change& change : g_changes) {
        EXPECT_FALSE(change.watchedDestroyed) << testsupport::Utf8(change.who);
        EXPECT_EQ(3, change.oldInt) << testsupport::Utf8(change.who);
    }
    EXPECT_TRUE(destroyed) << "released once the notifications are over";
}

TEST_F(MarkupObject, ClearingAValueWithADefaultNotifiesWithTheDefault)
{
    CFixtureNode* node = CFixtureNode::Make(L"n");
    node->SetValue(CFixtureNode::m_pFontSizeProperty, new CXTPMarkupInt(3));
    g_changes.clear();

    node->SetValue(CFixtureNode::m_pFontSizeProperty, nullptr);
    ASSERT_EQ(1u, g_changes.size());
    EXPECT_EQ(3, g_changes[0].oldInt);
    EXPECT_EQ(7, g_changes[0].newInt);
    EXPECT_EQ(7, IntOf(node->GetValue(CFixtureNode::m_pFontSizeProperty)));
    EXPECT_EQ(nullptr, node->GetLocalValue(CFixtureNode::m_pFontSizeProperty));

    // Clearing what is not set still notifies, old and new being the same default object.
    g_changes.clear();
    node->SetValue(CFixtureNode::m_pFontSizeProperty, nullptr);
    ASSERT_EQ(1u, g_changes.size());
    EXPECT_EQ(g_changes[0].oldValue, g_changes[0].newValue);

    // With neither a local value nor a default there is nothing to tell.
    g_changes.clear();
    node->SetValue(CFixtureNode::m_pWidthProperty, nullptr);
    EXPECT_TRUE(g_changes.empty());
    node->Release();
}

TEST_F(MarkupObject, SettingTheSameObjectAgainStillNotifies)
{
    CFixtureNode* node = CFixtureNode::Make(L"n");
    CXTPMarkupInt* value = new CXTPMarkupInt(8);
    node->SetValue(CFixtureNode::m_pWidthProperty, value);
    g_changes.clear();
    value->AddRef(); // the second set hands over a second reference
    node->SetValue(CFixtureNode::m_pWidthProperty, value);
    ASSERT_EQ(1u, g_changes.size());
    EXPECT_EQ(value, g_changes[0].oldValue);
    EXPECT_EQ(value, g_changes[0].newValue);
    EXPECT_EQ(1, value->GetRefCount());
    node->Release();
}

TEST_F(MarkupObject, WrongTypedValueChangesNothingAndIsReleased)
{
    Tree tree;
    tree.root->SetValue(CFixtureNode::m_pFontSizeProperty, new CXTPMarkupInt(12));
    g_changes.clear();

    CXTPMarkupString* text = new CXTPMarkupString(L"12");
    tree.root->SetValue(CFixtureNode::m_pFontSizeProperty, text); // the leak check sees it freed
    EXPECT_TRUE(g_changes.empty());
    EXPECT_EQ(12, IntOf(tree.root->GetValue(CFixtureNode::m_pFontSizeProperty)));

    tree.root->SetValue(nullptr, new CXTPMarkupInt(1));
    EXPECT_TRUE(g_changes.empty());
}

TEST_F(MarkupObject, StoredValuesGetTheOwnerAsLogicalParent)
{
    CFixtureNode* node = CFixtureNode::Make(L"n");
    CXTPMarkupInt* value = new CXTPMarkupInt(1);
    value->AddRef();
    node->SetValue(CFixtureNode::m_pWidthProperty, value);
    EXPECT_EQ(node, value->GetLogicalParent());
    node->SetValue(CFixtureNode::m_pWidthProperty, nullptr);
    EXPECT_EQ(nullptr, value->GetLogicalParent());
    node->SetValue(CFixtureNode::m_pWidthProperty, value); // hands the extra reference over
    node->Release();
}

TEST_F(MarkupObject, StoreGrowsForPropertiesRegisteredAfterIt)
{
    CFixtureNode* node = CFixtureNode::Make(L"n");
    node->SetValue(CFixtureNode::m_pWidthProperty, new CXTPMarkupInt(1)); // makes the store

    // Registered now, past the end of the node's store.
    CXTPMarkupDependencyProperty* late = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Late", CXTPMarkupInt::MarkupType(), CFixtureNode::MarkupType());
    m_liveAtStart += 1; // the name map keeps the new property
    ASSERT_GE(late->GetIndex(), 0);
    EXPECT_EQ(nullptr, node->GetLocalValue(late)) << "reading past the end answers null";
    EXPECT_EQ(nullptr, node->GetValue(late));

    node->SetValue(late, new CXTPMarkupInt(42));
    EXPECT_EQ(42, IntOf(node->GetValue(late))) << "the value is kept, not ignored";
    EXPECT_EQ(1, IntOf(node->GetValue(CFixtureNode::m_pWidthProperty)));
    node->Release();
}

TEST_F(MarkupObject, StoreFilledFromALargerStoreGrowsFirst)
{
    CXTPMarkupProperties* small = new CXTPMarkupProperties(nullptr);
    const int smallCount = small->GetCount();
    CXTPMarkupDependencyProperty* late = CXTPMarkupDependencyProperty::RegisterProperty(
        L"LateCopy", CXTPMarkupInt::MarkupType(), CFixtureNode::MarkupType());
    m_liveAtStart += 1;

    CXTPMarkupProperties* large = new CXTPMarkupProperties(nullptr);
    ASSERT_GT(large->GetCount(), smallCount);
    CXTPMarkupInt* value = new CXTPMarkupInt(5);
    large->Set(late->GetIndex(), value);
    large->Set(0, CreateMarkupString(L"name"));

    small->Copy(large);
    EXPECT_EQ(value, small->Get(late->GetIndex()));
    EXPECT_EQ(2, value->GetRefCount()) << "one more reference for the copy";
    EXPECT_EQ(nullptr, small->Get(-1));
    EXPECT_EQ(nullptr, small->Get(small->GetCount()));
    small->Release();
    large->Release();
}

TEST_F(MarkupObject, SetPropertyObjectConvertsThroughTheBuilder)
{
    CXTPMarkupBuilder builder;
    CFixtureNode* node = CFixtureNode::Make(L"n");

    node->SetPropertyObject(&builder, CFixtureNode::m_pRatioProperty, CreateMarkupString(L" 2.5"));
    CXTPMarkupDouble* ratio = MarkupDynamicCast<CXTPMarkupDouble>(node->GetValue(CFixtureNode::m_pRatioProperty));
    ASSERT_NE(nullptr, ratio);
    EXPECT_EQ(2.5, static_cast<double>(*ratio));

    // The metadata's converter comes first.
    node->SetPropertyObject(&builder, CFixtureNode::m_pModeProperty, CreateMarkupString(L"Fast"));
    EXPECT_EQ(CreateMarkupEnum(1), node->GetValue(CFixtureNode::m_pModeProperty));
    node->GetValue(CFixtureNode::m_pModeProperty)->Release(); // the reference CreateMarkupEnum gave

    // A value of the right type is stored as it is.
    CXTPMarkupDouble* direct = new CXTPMarkupDouble(1);
    node->SetPropertyObject(&builder, CFixtureNode::m_pRatioProperty, direct);
    EXPECT_EQ(direct, node->GetValue(CFixtureNode::m_pRatioProperty));

    // Text that converts to nothing is the build error; the caller still owns the text then.
    CXTPMarkupString* bad = CreateMarkupString(L"wide");
    try {
        node->SetPropertyObject(&builder, CFixtureNode::m_pRatioProperty, bad);
        ADD_FAILURE() << "no build error";
    } catch (const CXTPMarkupBuilderException& e) {
        EXPECT_STREQ(L"Cannot convert string in attribute 'Ratio' to object of type 'CXTPMarkupDouble'",
                     e.GetMessage());
    }
    EXPECT_EQ(direct, node->GetValue(CFixtureNode::m_pRatioProperty));
    bad->Release();
    node->Release();
}

TEST_F(MarkupObject, ContentIsRefusedWithTheBuildersMessages)
{
    CXTPMarkupBuilder builder;
    CXTPMarkupObject* number = new CXTPMarkupInt(1);
    CXTPMarkupString* text = CreateMarkupString(L"abc");
    CXTPMarkupObject* other = new CXTPMarkupDouble(1);
    struct Case {
        CXTPMarkupObject* content;
        const wchar_t* message;
    } cases[] = {
        {text, L"Cannot convert the string 'abc' into a 'CXTPMarkupInt' object"},
        {other, L"Cannot add content to an object of type 'CXTPMarkupInt'"},
    };
    for (const Case& c : cases) {
        try {
            number->SetContentObject(&builder, c.content);
            ADD_FAILURE() << "accepted " << testsupport::Utf8(c.message);
        } catch (const CXTPMarkupBuilderException& e) {
            EXPECT_STREQ(c.message, e.GetMessage());
        }
    }
    EXPECT_FALSE(number->HasContentObject());
    EXPECT_FALSE(number->AllowWhiteSpaceContent());
    text->Release();
    other->Release();
    number->Release();
}

TEST_F(MarkupObject, BuilderMessagesKeep255Characters)
{
    const std::wstring longName(400, L'n');
    try {
        CXTPMarkupBuilder::ThrowBuilderException(L"Cannot find type '%ls'", longName.c_str());
    } catch (const CXTPMarkupBuilderException& e) {
        EXPECT_EQ(255, e.GetMessage().GetLength());
        EXPECT_EQ(0, wcsncmp(L"Cannot find type 'nnn", e.GetMessage(), 21));
    }
}

TEST_F(MarkupObject, PropertiesAreFoundByNameUpTheBaseChain)
{
    RegisterMarkupTypesOnce();
    CXTPMarkupType* leaf = CFixtureLeaf::MarkupType();
    EXPECT_EQ(CFixtureNode::m_pFontSizeProperty, CXTPMarkupDependencyProperty::FindProperty(leaf, L"FontSize"));
    EXPECT_EQ(nullptr, CXTPMarkupDependencyProperty::FindProperty(leaf, L"fontsize")) << "case-sensitive";
    EXPECT_EQ(CXTPMarkupObject::m_pNameProperty, CXTPMarkupDependencyProperty::FindProperty(leaf, L"Name"));
    EXPECT_EQ(CXTPMarkupObject::m_pNameProperty, CXTPMarkupDependencyProperty::FindProperty(leaf, L"x:Name"));
    EXPECT_EQ(CXTPMarkupObject::m_pKeyProperty, CXTPMarkupDependencyProperty::FindProperty(leaf, L"x:Key"));
    EXPECT_EQ(nullptr, CXTPMarkupDependencyProperty::FindProperty(leaf, L"X:Name"));
    EXPECT_EQ(nullptr, CXTPMarkupDependencyProperty::FindProperty(CXTPMarkupString::MarkupType(), L"FontSize"))
        << "a base does not see its derived types' properties";
    EXPECT_EQ(nullptr, CXTPMarkupDependencyProperty::FindProperty(leaf, nullptr));
    EXPECT_EQ(CXTPMarkupString::MarkupType(), CXTPMarkupObject::m_pNameProperty->GetPropertyType());
    EXPECT_EQ(CXTPMarkupObject::MarkupType(), CXTPMarkupObject::m_pKeyProperty->GetPropertyType());
}

TEST_F(MarkupObject, AttachedPropertiesAreFoundUnderTheirOwnersOnly)
{
    CXTPMarkupDependencyProperty* dock = CXTPMarkupDependencyProperty::RegisterAttached(
        L"Dock", CXTPMarkupEnum::MarkupType(), CFixtureLeaf::MarkupType());
    m_liveAtStart += 1;
    EXPECT_TRUE(dock->IsAttached());
    EXPECT_EQ(dock, CXTPMarkupDependencyProperty::FindProperty(CFixtureLeaf::MarkupType(), L"Dock"));
    EXPECT_EQ(nullptr, CXTPMarkupDependencyProperty::FindProperty(CXTPMarkupColor::MarkupType(), L"Dock"));

    EXPECT_EQ(dock, dock->AddOwner(CXTPMarkupColor::MarkupType()));
    EXPECT_EQ(dock, CXTPMarkupDependencyProperty::FindProperty(CXTPMarkupColor::MarkupType(), L"x:Dock"));
    EXPECT_EQ(2, dock->GetRefCount());
    EXPECT_EQ(CFixtureLeaf::MarkupType(), dock->GetOwnerType());
}

// A record that is an event: it shares the name map but takes no store index.
class CFixtureEvent : public CXTPMarkupDependencyProperty {
public:
    BOOL IsEvent() const override { return TRUE; }
    static CXTPMarkupDependencyProperty* RegisterEvent(const wchar_t* name, CXTPMarkupType* owner)
    {
        return Register(new CFixtureEvent(), name, CXTPMarkupObject::MarkupType(), owner, nullptr, FALSE);
    }
};

TEST_F(MarkupObject, EventsTakeNoIndexAndReRegistrationReplaces)
{
    const int count = CXTPMarkupDependencyProperty::GetPropertyCount();
    CXTPMarkupDependencyProperty* click = CFixtureEvent::RegisterEvent(L"Click", CFixtureNode::MarkupType());
    EXPECT_EQ(-1, click->GetIndex());
    EXPECT_EQ(count, CXTPMarkupDependencyProperty::GetPropertyCount());
    EXPECT_EQ(click, CXTPMarkupDependencyProperty::FindProperty(CFixtureNode::MarkupType(), L"Click"));

    CXTPMarkupDependencyProperty* first = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Twice", CXTPMarkupInt::MarkupType(), CFixtureNode::MarkupType());
    EXPECT_EQ(count, first->GetIndex());
    CXTPMarkupDependencyProperty* second = CXTPMarkupDependencyProperty::RegisterProperty(
        L"Twice", CXTPMarkupInt::MarkupType(), CFixtureNode::MarkupType(),
        new CXTPMarkupPropertyMetadata(new CXTPMarkupInt(1)));
    EXPECT_EQ(count + 1, second->GetIndex());
    EXPECT_EQ(count + 2, CXTPMarkupDependencyProperty::GetPropertyCount());
    EXPECT_EQ(second, CXTPMarkupDependencyProperty::FindProperty(CFixtureNode::MarkupType(), L"Twice"));
    // The map keeps the event, the second record and its default; the replaced record is gone.
    m_liveAtStart += 3;

    // Setting through an event record stores nothing and leaks nothing.
    CFixtureNode* node = CFixtureNode::Make(L"n");
    node->SetValue(CFixtureNode::m_pWidthProperty, new CXTPMarkupInt(1));
    node->SetValue(click, new CXTPMarkupInt(2));
    EXPECT_EQ(nullptr, node->GetValue(click));
    node->Release();
}

} // namespace
