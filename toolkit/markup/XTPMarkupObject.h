#pragma once
// The markup object model: every thing a markup document describes (elements, brushes, numbers,
// colours, strings, collections) is a CXTPMarkupObject. Objects count their own references, know
// their markup type (CXTPMarkupType), hang under an uncounted logical parent and keep the values of
// their dependency properties in a store that is made on the first local value.
//
// Ownership: an object starts with one reference, owned by its creator. SetValue, collection
// insertion and the builder's content and property calls take over the reference they are given;
// GetValue, GetLocalValue, GetLogicalChild and MarkupDynamicCast lend. A rejected value is released
// by the receiver, so a caller never has to ask whether its reference was taken.
//
// Types come into being through their class's MarkupType() (made on first use and entered in the
// type registry, see XTPMarkupTypeRegistry.h) and live until the markup statics are released at
// process exit. Everything here belongs to the user-interface thread; only the reference counts
// are changed with interlocked operations.

#include "framework/Base.h"

class CXTPMarkupBuilder;
class CXTPMarkupDependencyProperty;
class CXTPMarkupObject;
class CXTPMarkupProperties;
class CXTPMarkupType;

// The class's static type record, its GetType and its factory. A class that cannot be made by
// name (no default constructor, or abstract) passes nullptr as factory to IMPLEMENT_MARKUPCLASS.
#define DECLARE_MARKUPCLASS(class_name)                                  \
public:                                                                  \
    static CXTPMarkupType* MarkupType();                                 \
    CXTPMarkupType* GetType() const override { return MarkupType(); }    \
                                                                         \
private:                                                                 \
    static CXTPMarkupType* s_pMarkupType;                                \
                                                                         \
public:

#define XTP_MARKUP_WIDE2(text) L##text
#define XTP_MARKUP_WIDE(text) XTP_MARKUP_WIDE2(text)

// tag: the element name (nullptr for classes that cannot be written as an element); factory:
// CXTPMarkupObject* () or nullptr; registrar: void () that registers the class's own properties,
// or nullptr when it only inherits. The type is made on first use of MarkupType(); the registry
// makes every type of its table at once, so a type is found by tag without anyone naming it first.
#define IMPLEMENT_MARKUPCLASS(tag, class_name, base_class_name, factory, registrar)             \
    CXTPMarkupType* class_name::s_pMarkupType = nullptr;                                         \
    CXTPMarkupType* class_name::MarkupType()                                                     \
    {                                                                                            \
        if (!s_pMarkupType)                                                                      \
            CXTPMarkupType::CreateMarkupType(&s_pMarkupType, tag, XTP_MARKUP_WIDE(#class_name),        \
                                             factory, &base_class_name::MarkupType, registrar);  \
        return s_pMarkupType;                                                                    \
    }

// A factory for IMPLEMENT_MARKUPCLASS: a new object with one reference.
template <class T>
CXTPMarkupObject* CreateMarkupObject()
{
    return new T;
}

// The record handed to a property's change callback and to OnPropertyChanged overrides.
struct CXTPMarkupPropertyChangedEventArgs {
    CXTPMarkupDependencyProperty* m_pProperty;
    CXTPMarkupObject* m_pOldValue;  // lent; kept alive until every notification has run
    CXTPMarkupObject* m_pNewValue;  // lent
};

class CXTPMarkupObject {
public:
    CXTPMarkupObject();
    CXTPMarkupObject(const CXTPMarkupObject&) = delete;
    CXTPMarkupObject& operator=(const CXTPMarkupObject&) = delete;

    static CXTPMarkupType* MarkupType();
    // Virtual operations in the order every derived class sees them.
    virtual CXTPMarkupType* GetType() const { return MarkupType(); }

protected:
    // Objects die through Release (OnFinalRelease), never by delete from outside.
    virtual ~CXTPMarkupObject();

public:
    // The value held in this object's own store, or null; no reference added.
    virtual CXTPMarkupObject* GetLocalValue(CXTPMarkupDependencyProperty* property) const;
    virtual UINT GetHashKey() const;
    virtual BOOL IsEqual(const CXTPMarkupObject* other) const;
    virtual int GetLogicalChildrenCount() const;
    virtual CXTPMarkupObject* GetLogicalChild(int index) const;
    // Content written between this object's tags. The base takes none and raises the builder's
    // error; the content's reference then stays with the caller.
    virtual void SetContentObject(CXTPMarkupBuilder* builder, CXTPMarkupObject* content);
    // A property given in markup: a value of another type is converted by the builder first.
    virtual void SetPropertyObject(CXTPMarkupBuilder* builder, CXTPMarkupDependencyProperty* property,
                                   CXTPMarkupObject* value);
    // A new object of this class made from another object (a string, as a rule); null when it
    // cannot be made.
    virtual CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const;
    virtual BOOL HasContentObject() const;
    virtual BOOL AllowWhiteSpaceContent() const;
    // Runs the property metadata's change callback with this object.
    virtual void OnPropertyChanged(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                                   CXTPMarkupObject* newValue);
    virtual void OnFinalRelease();

    // Interlocked counting. A count already at 0 stays 0 and frees nothing.
    LONG AddRef();
    LONG Release();
    LONG GetRefCount() const { return m_dwRef; }

    BOOL IsKindOf(const CXTPMarkupType* type) const;

    // The logical parent is a plain pointer: a child never keeps its parent alive.
    CXTPMarkupObject* GetLogicalParent() const { return m_pLogicalParent; }
    void SetLogicalParent(CXTPMarkupObject* parent) { m_pLogicalParent = parent; }

    // The element name as written in markup (matched against the end tag); null when the object
    // was not made from a tag.
    const wchar_t* GetTagName() const { return m_lpszTagName; }
    void SetTagName(const wchar_t* tagName);

    // The effective value: local value, else (inheriting properties) the nearest logical
    // ancestor's local value, else the metadata default. Borrowed.
    CXTPMarkupObject* GetValue(CXTPMarkupDependencyProperty* property) const;
    // The object whose local value is the effective value; null when the default applies.
    const CXTPMarkupObject* GetValueSource(CXTPMarkupDependencyProperty* property) const;
    // Stores value as the local value (null clears it), taking over the caller's reference, and
    // notifies when the effective value was or is non-null. A value of the wrong type is released
    // and changes nothing.
    void SetValue(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* value);

    // The number of markup objects alive in the process: tests compare it before and after.
    static LONG GetLiveObjectCount();

    // The properties every object accepts ("Name" and "Key", also written "x:Name" and "x:Key").
    static CXTPMarkupDependencyProperty* m_pNameProperty;
    static CXTPMarkupDependencyProperty* m_pKeyProperty;
    static void RegisterMarkupClass();

protected:
    // Passes a change of an inheriting property to every logical descendant of its owner type.
    void NotifyInheritedChange(CXTPMarkupDependencyProperty* property, CXTPMarkupObject* oldValue,
                               CXTPMarkupObject* newValue);

    CXTPMarkupObject* m_pLogicalParent = nullptr;  // not owned
    CXTPMarkupProperties* m_pProperties = nullptr; // owned, made on the first local value
    wchar_t* m_lpszTagName = nullptr;              // owned heap copy
    volatile LONG m_dwRef = 1;

private:
    static CXTPMarkupType* s_pMarkupType;
};

// The object when it is of the type (or derives from it), else null; no reference added.
CXTPMarkupObject* MarkupDynamicCast(const CXTPMarkupType* type, CXTPMarkupObject* object);

template <class T>
T* MarkupDynamicCast(CXTPMarkupObject* object)
{
    return static_cast<T*>(MarkupDynamicCast(T::MarkupType(), object));
}

// Releases a held reference and clears the pointer; nothing for null.
template <class T>
void MarkupRelease(T*& object)
{
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// One record per markup class: its tag, its class name (for error messages), its factory, its
// base and the registrar of its dependency properties.
class CXTPMarkupType : public CXTPMarkupObject {
    DECLARE_MARKUPCLASS(CXTPMarkupType)
public:
    using Factory = CXTPMarkupObject* (*)();
    using BaseTypeGetter = CXTPMarkupType* (*)();
    using Registrar = void (*)();

    // Makes the type of one class, stores it in *slot (which the type clears again when it dies)
    // and enters it in the registry: by tag when it has one, and in the list of every type.
    static void CreateMarkupType(CXTPMarkupType** slot, const wchar_t* tag, const wchar_t* className,
                                 Factory factory, BaseTypeGetter baseType, Registrar registrar);

    const wchar_t* GetTag() const { return m_lpszTag; }
    const wchar_t* GetTypeName() const { return m_lpszClassName; }
    CXTPMarkupType* GetBaseType() const { return m_pfnGetBaseType ? m_pfnGetBaseType() : nullptr; }
    CXTPMarkupType* GetNextType() const { return m_pNextType; }
    void SetNextType(CXTPMarkupType* next) { m_pNextType = next; }
    BOOL IsRegistered() const { return m_bRegistered; }

    // A new object of the class (count 1), or null when the class cannot be made by name.
    CXTPMarkupObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

    // The style consulted after an element's own style, sealed when set; the type keeps one
    // reference.
    CXTPMarkupObject* GetDefaultStyle() const { return m_pDefaultStyle; }
    void SetDefaultStyle(CXTPMarkupObject* style);

    // True when type is other or derives from it (walking the base-type getters).
    static BOOL IsDerivedFrom(const CXTPMarkupType* type, const CXTPMarkupType* other);
    // Runs the base types' registrars, then this type's, each once per process.
    static void RegisterProperties(CXTPMarkupType* type);

    // A string naming a tag gives that tag's type (one more reference).
    CXTPMarkupObject* ConvertFrom(CXTPMarkupBuilder* builder, CXTPMarkupObject* object) const override;

protected:
    CXTPMarkupType() = default;
    ~CXTPMarkupType() override;

private:
    const wchar_t* m_lpszTag = nullptr;        // static text
    const wchar_t* m_lpszClassName = nullptr;  // static text
    CXTPMarkupType* m_pNextType = nullptr;     // registry list; the registry holds the reference
    BOOL m_bRegistered = FALSE;
    Factory m_pfnCreateObject = nullptr;
    BaseTypeGetter m_pfnGetBaseType = nullptr;
    Registrar m_pfnRegister = nullptr;
    CXTPMarkupObject* m_pDefaultStyle = nullptr; // owned
    CXTPMarkupType** m_ppSlot = nullptr;         // the class's static pointer, cleared on death
};
