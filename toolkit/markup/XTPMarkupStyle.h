#pragma once
// Styles, triggers and resource dictionaries. A style gives input elements property values that
// apply unless an element sets the property itself; its triggers switch further values on while a
// property of the element has a given value (typically IsMouseOver). Resource dictionaries hold
// keyed objects, styles among them, that elements and the builder find by walking up the tree.
//
// A setter names its property as text while it is being built; the style resolves the name to a
// dependency property (and converts the value to the property's type) as soon as the setter joins
// it, so "TargetType" has to come before setters that use plain property names. A style is sealed
// once, when it is first used: its setters (after those of its BasedOn chain) become one table of
// values, and the sealed style leaves the tree it was written in.

#include "toolkit/markup/XTPMarkupCollection.h"
#include "toolkit/markup/XTPMarkupDependencyProperty.h"

#include <utility>
#include <vector>

class CXTPMarkupSetter : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupSetter)
public:
    CXTPMarkupSetter() = default;
    // Code-made setter: one more reference to the property; takes over value.
    CXTPMarkupSetter(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value);

    // The resolved property (null while it is still a name) and the value.
    CXTPMarkupDependencyProperty* GetSetterProperty() const;
    CXTPMarkupObject* GetSetterValue() const { return GetValue(m_pValueProperty); }

    static CXTPMarkupDependencyProperty* m_pPropertyProperty;
    static CXTPMarkupDependencyProperty* m_pValueProperty;
    static void RegisterMarkupClass();
};

class CXTPMarkupSetterColection : public CXTPMarkupCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupSetterColection)
public:
    CXTPMarkupSetterColection();
    CXTPMarkupSetter* GetSetter(int index) const { return static_cast<CXTPMarkupSetter*>(GetItem(index)); }
};

class CXTPMarkupTrigger : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupTrigger)
public:
    CXTPMarkupTrigger() = default;
    // Code-made trigger: one more reference to the property; takes over value.
    CXTPMarkupTrigger(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value);

    CXTPMarkupDependencyProperty* GetTriggerProperty() const;
    CXTPMarkupObject* GetTriggerValue() const { return GetValue(CXTPMarkupSetter::m_pValueProperty); }
    // Null when the trigger has no setters.
    CXTPMarkupSetterColection* GetSetters() const;
    // Appends a setter, making the collection on first use; takes over the reference.
    void AddSetter(CXTPMarkupSetter* setter);

    static CXTPMarkupDependencyProperty* m_pSettersProperty;
    static void RegisterMarkupClass();
};

class CXTPMarkupTriggerCollection : public CXTPMarkupCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupTriggerCollection)
public:
    CXTPMarkupTriggerCollection();
    CXTPMarkupTrigger* GetTrigger(int index) const { return static_cast<CXTPMarkupTrigger*>(GetItem(index)); }
};

// The triggers active on one element. It does not adopt them: a trigger keeps its style's
// collection as its logical parent.
class CXTPMarkupActiveTriggerCollection : public CXTPMarkupTriggerCollection {
    DECLARE_MARKUPCLASS(CXTPMarkupActiveTriggerCollection)
public:
    CXTPMarkupActiveTriggerCollection() { m_bLogicalParent = FALSE; }
};

// Keyed objects. Keys compare with IsEqual, so string keys match by text and type keys by
// identity. The dictionary holds one reference to each key and each value.
class CXTPMarkupResourceDictionary : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupResourceDictionary)
public:
    CXTPMarkupResourceDictionary() = default;

    // The value under key, lent; null when there is none.
    CXTPMarkupObject* Lookup(const CXTPMarkupObject* key) const;
    // Stores value under key (one more reference to key; takes over value). False, with value
    // released, when the key is null or already used.
    BOOL Add(CXTPMarkupObject* key, CXTPMarkupObject* value);
    int GetCount() const { return static_cast<int>(m_entries.size()); }

    // Markup content: keyed by "Key", a style without one by its "TargetType".
    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    BOOL HasContentObject() const override { return !m_entries.empty(); }

protected:
    ~CXTPMarkupResourceDictionary() override;

private:
    std::vector<std::pair<CXTPMarkupObject*, CXTPMarkupObject*>> m_entries; // key, value; one ref each
};

class CXTPMarkupStyle : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupStyle)
public:
    CXTPMarkupStyle();

    // Builds the table of values once; later calls return at once.
    void Seal();
    BOOL IsSealed() const { return m_bSealed; }
    // The sealed value for the property (lent), or null; always null before sealing.
    CXTPMarkupObject* FindValue(CXTPMarkupDependencyProperty* property) const;

    CXTPMarkupSetterColection* GetSetters() const { return m_pSetters; }
    CXTPMarkupStyle* GetBasedOn() const;
    CXTPMarkupTriggerCollection* GetTriggers() const;
    CXTPMarkupType* GetTargetType() const;
    CXTPMarkupResourceDictionary* GetResources() const;

    // Resolves the setter's property name and converts its value (build errors when it cannot);
    // then appends it.
    void AddSetter(CXTPMarkupBuilder* builder, CXTPMarkupSetter* setter);
    // Resolves "Property" and "Value" of a setter or trigger against this style's target type.
    void ResolveSetter(CXTPMarkupBuilder* builder, CXTPMarkupObject* setter) const;

    void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content) override;
    void SetPropertyObject(CXTPMarkupBuilder* builder, CXTPMarkupDependencyProperty* property,
                           CXTPMarkupObject* value) override;
    int GetLogicalChildrenCount() const override { return 1; }
    CXTPMarkupObject* GetLogicalChild(int index) const override { return index == 0 ? m_pSetters : nullptr; }

    static CXTPMarkupDependencyProperty* m_pResourcesProperty;
    static CXTPMarkupDependencyProperty* m_pTargetTypeProperty;
    static CXTPMarkupDependencyProperty* m_pBasedOnProperty;
    static CXTPMarkupDependencyProperty* m_pTriggersProperty;
    static void RegisterMarkupClass();

protected:
    ~CXTPMarkupStyle() override;

private:
    CXTPMarkupSetterColection* m_pSetters; // owned, logical parent this style
    BOOL m_bSealed = FALSE;
    CXTPMarkupProperties* m_pSealedValues = nullptr; // owned; values keep their own parents
    BOOL m_bSealing = FALSE; // guards a BasedOn chain that comes back to itself
};

// The object a key names: in object itself when it is a dictionary; else in the "Resources" of the
// object and each logical ancestor, then in the resources of that element's style, stopping after
// an object that is a style. Lent; null when nothing matches.
CXTPMarkupObject* MarkupFindResource(CXTPMarkupObject* object, const CXTPMarkupObject* key);
// The object's own resources: its "Resources" dictionary, or the object itself when it is one.
CXTPMarkupResourceDictionary* MarkupGetOwnResources(CXTPMarkupObject* object);
