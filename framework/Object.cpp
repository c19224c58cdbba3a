#include "framework/Object.h"

#include <cstring>
#include <string>

namespace {

// Head of the registration list. A constant-initialised pointer, so it is valid before any
// registration runs during static initialisation.
CRuntimeClass* g_firstClass = nullptr;

} // namespace

CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF,
                                       nullptr, nullptr, nullptr};
static CRuntimeClassRegistration g_registerCObject(&CObject::classCObject);

CRuntimeClassRegistration::CRuntimeClassRegistration(CRuntimeClass* runtimeClass)
{
    runtimeClass->m_pNextClass = g_firstClass;
    g_firstClass = runtimeClass;
}

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* cls = this; cls; cls = cls->m_pBaseClass) {
        if (cls == base)
            return true;
    }
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* className)
{
    if (!className)
        return nullptr;
    for (const CRuntimeClass* cls = g_firstClass; cls; cls = cls->m_pNextClass) {
        if (std::strcmp(cls->m_lpszClassName, className) == 0)
            return cls;
    }
    return nullptr;
}

const CRuntimeClass* CRuntimeClass::FromName(const wchar_t* className)
{
    if (!className)
        return nullptr;
    // Class names are plain ASCII identifiers; anything else cannot match.
    std::string narrow;
    for (const wchar_t* p = className; *p; ++p) {
        if (*p > 0x7F)
            return nullptr;
        narrow.push_back(static_cast<char>(*p));
    }
    return FromName(narrow.c_str());
}

CObject* CRuntimeClass::CreateObject(const char* className)
{
    const CRuntimeClass* cls = FromName(className);
    return cls ? cls->CreateObject() : nullptr;
}

CObject* CRuntimeClass::CreateObject(const wchar_t* className)
{
    const CRuntimeClass* cls = FromName(className);
    return cls ? cls->CreateObject() : nullptr;
}

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return RUNTIME_CLASS(CObject);
}

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

bool CObject::IsSerializable() const
{
    return GetRuntimeClass()->m_wSchema != 0xFFFF;
}
