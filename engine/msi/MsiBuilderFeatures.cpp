// Features and conditions: one Feature row per project, and a Condition row when the project has
// a condition.

#include "engine/msi/MsiTools.h"

UINT CMsiTools::WriteFeatureTable()
{
    UniqueMsiHandle view;
    CFeatures& projects = m_package->m_projects;
    for (int i = 0; i < projects.GetSize(); ++i) {
        CFeature& project = projects[i];
        const CString key = MakeFeatureKey(project.m_id);
        UINT result = InsertRow(view,
            L"INSERT INTO `Feature` (`Feature`, `Title`, `Description`, `Display`, `Level`, "
            L"`Directory_`, `Attributes`) VALUES (?, ?, ?, 2, 1, 'TARGETDIR', 0)",
            {key, project.m_name, project.m_description});
        if (result != ERROR_SUCCESS)
            return result;

        // The package copy keeps the trimmed condition.
        project.m_conditions.Trim();
        if (project.m_conditions.IsEmpty())
            continue;
        result = InsertRow(view,
            L"INSERT INTO `Condition` (`Feature_`, `Level`, `Condition`) VALUES (?, 1, ?)",
            {key, project.m_conditions});
        if (result != ERROR_SUCCESS)
            return result;
    }
    return ERROR_SUCCESS;
}
