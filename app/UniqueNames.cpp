#include "app/UniqueNames.h"

namespace {

template <class Array, class NameOf>
CString MakeUnique(const Array& records, int self, const CString& typed, NameOf nameOf)
{
    const auto taken = [&](const CString& candidate) {
        for (int i = 0; i < records.GetSize(); ++i)
            if (i != self && nameOf(records[i]) == candidate)
                return true;
        return false;
    };
    CString candidate(typed);
    for (int counter = 1; taken(candidate); ++counter)
        candidate.Format(L"%s(%d)", typed.GetString(), counter);
    return candidate;
}

} // namespace

CString MakeUniqueNameForRename(const CProjects& projects, int packageIndex, const CString& typed)
{
    return MakeUnique(projects, packageIndex, typed,
                      [](const CProjectSettings& package) -> const CString& { return package.m_productName; });
}

CString MakeUniqueNameForRename(const CFeatures& projects, int projectIndex, const CString& typed)
{
    return MakeUnique(projects, projectIndex, typed,
                      [](const CFeature& project) -> const CString& { return project.m_name; });
}
