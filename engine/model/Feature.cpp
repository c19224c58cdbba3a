#include "engine/model/Feature.h"

#include "engine/model/GuidText.h"
#include "engine/model/RecordArchive.h"

#include <algorithm>

using namespace recordarchive;

CFeature::CFeature() : m_id(NewGuidString())
{
}

void CFeature::Serialize(CArchive& ar)
{
    Exchange(ar, m_id);
    Exchange(ar, m_name);
    Exchange(ar, m_description);
    Exchange(ar, m_conditions);
    Exchange(ar, m_reservedText);
    m_files.Serialize(ar);
    m_registry.Serialize(ar);
    m_customActions.Serialize(ar);
    Exchange(ar, m_conversionMode);
    Exchange(ar, m_installerPath);
    Exchange(ar, m_installerArguments);
    m_installScript.Serialize(ar);
    Exchange(ar, m_uninstallCommand);
    Exchange(ar, m_uninstallArguments);
    m_uninstallScript.Serialize(ar);
    ExchangeSpareTexts(ar, 7);
    ExchangeSpareInts(ar, 8);
}

void CFeatures::Serialize(CArchive& ar)
{
    ExchangeList(ar, *this);
}

CString CFeatures::MakeUniqueName(const CString& name) const
{
    const auto taken = [this](const CString& candidate) {
        return std::any_of(begin(), end(), [&](const CFeature& project) { return project.m_name == candidate; });
    };
    CString candidate(name);
    for (int counter = 1; taken(candidate); ++counter)
        candidate.Format(L"%s(%d)", name.GetString(), counter);
    return candidate;
}

bool IsWrappedProject(const CFeature& project)
{
    if (project.m_conversionMode == CFeature::modeRepackage)
        return false;
    CString path = project.m_installerPath;
    path.Trim();
    return !path.IsEmpty();
}

int CountWrappedProjects(const CFeatures& projects)
{
    int count = 0;
    for (const CFeature& project : projects)
        count += IsWrappedProject(project) ? 1 : 0;
    return count;
}

int FindWrappedProject(const CFeatures& projects, int number)
{
    int wrapped = 0;
    for (int index = 0; index < projects.GetSize(); ++index) {
        if (!IsWrappedProject(projects[index]))
            continue;
        if (wrapped++ == number)
            return index;
    }
    return -1;
}
