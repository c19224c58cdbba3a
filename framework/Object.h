#pragma once
// CObject and CRuntimeClass: run-time type tests (IsKindOf) and creation by class name.
//
// A class opts in with DECLARE_DYNAMIC / DECLARE_DYNCREATE / DECLARE_SERIAL in its body and the
// matching IMPLEMENT_ macro in one source file. IMPLEMENT_ registers the class in a process-wide
// list during static initialisation, so FromName finds it. The class descriptors themselves are
// constant-initialised, so registration order between translation units does not matter.
// Caveat: a class in a static library whose object file nothing else references is dropped by the
// linker and never registers; such files need a reference from the program.

#include "framework/Base.h"

class CArchive;
class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                         // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();        // null: not creatable by name
    const CRuntimeClass* m_pBaseClass;
    CRuntimeClass* m_pNextClass;            // registration list

    CObject* CreateObject() const;          // null when the class is not creatable
    bool IsDerivedFrom(const CRuntimeClass* base) const;

    // Lookup among the registered classes by exact class name; null when unknown.
    static const CRuntimeClass* FromName(const char* className);
    static const CRuntimeClass* FromName(const wchar_t* className);
    static CObject* CreateObject(const char* className);
    static CObject* CreateObject(const wchar_t* className);
};

// Links one descriptor into the registration list; used by the IMPLEMENT_ macros.
struct CRuntimeClassRegistration {
    explicit CRuntimeClassRegistration(CRuntimeClass* runtimeClass);
};

class CObject {
public:
    static CRuntimeClass classCObject;

    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);

    bool IsKindOf(const CRuntimeClass* runtimeClass) const;
    bool IsSerializable() const;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (static_cast<const CRuntimeClass*>(&class_name::class##class_name))

#define DECLARE_DYNAMIC(class_name)                                   \
public:                                                               \
    static CRuntimeClass class##class_name;                           \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                 \
    DECLARE_DYNAMIC(class_name)                                       \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define TARNWICK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, creator)      \
    CRuntimeClass class_name::class##class_name = {                                         \
        #class_name, static_cast<int>(sizeof(class_name)), schema, creator,                 \
        RUNTIME_CLASS(base_class_name), nullptr};                                           \
    static CRuntimeClassRegistration _registration_##class_name(&class_name::class##class_name); \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    TARNWICK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                         \
    CObject* class_name::CreateObject() { return new class_name; }               \
    TARNWICK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, schema)                    \
    CObject* class_name::CreateObject() { return new class_name; }               \
    TARNWICK_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, class_name::CreateObject)
