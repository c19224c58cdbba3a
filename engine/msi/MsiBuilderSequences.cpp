// Sequences, properties and the summary information: the registration actions, the launch
// condition, the product's properties and its entry in the list of installed programs, then the
// summary stream that says what the package is (platform, package code, media layout). The
// template database holds every other sequence row and summary property.

#include "engine/msi/MsiTools.h"

#include "engine/model/GuidText.h"

namespace {

// Summary information: what the word count's bits say of the source media.
constexpr int kWordCountCompressed = 2;  // the files are in a cabinet
constexpr int kWordCountAdminImage = 4;  // an administrative installation point
constexpr int kPageCount = 200;          // the installer version the package needs (2.0)

} // namespace

UINT CMsiTools::WriteSequenceTable()
{
    UniqueMsiHandle view;
    CProjectSettings& package = *m_package;
    UINT result = ERROR_SUCCESS;
    if (package.m_noRegistration == 0) {
        static constexpr struct {
            const wchar_t* table;
            const wchar_t* action;
            int sequence;
        } kRegistration[] = {
            {L"InstallExecuteSequence", L"RegisterUser", 6000},
            {L"InstallExecuteSequence", L"RegisterProduct", 6100},
            {L"InstallExecuteSequence", L"PublishFeatures", 6300},
            {L"InstallExecuteSequence", L"PublishProduct", 6400},
            {L"AdvtExecuteSequence", L"PublishFeatures", 6300},
            {L"AdvtExecuteSequence", L"PublishProduct", 6400},
        };
        for (const auto& row : kRegistration) {
            CString statement;
            statement.Format(L"INSERT INTO `%s` (`Action`, `Sequence`) VALUES (?, ?)", row.table);
            result = InsertRow(view, statement, {row.action, row.sequence});
            if (result != ERROR_SUCCESS)
                return result;
        }
    }

    // The package copy keeps the trimmed condition.
    package.m_launchCondition.Trim();
    if (!package.m_launchCondition.IsEmpty()) {
        result = InsertRow(view, L"INSERT INTO `LaunchCondition` (`Condition`, `Description`) VALUES (?, ?)",
                           {package.m_launchCondition,
                            L"Condition " + package.m_launchCondition + L" evaluates to false"});
        if (result != ERROR_SUCCESS)
            return result;
    }

    const wchar_t* const property = L"INSERT INTO `Property` (`Property`, `Value`) VALUES (?, ?)";
    struct Property {
        const wchar_t* name;
        CString value;
        bool required;
    };
    const Property properties[] = {
        {L"ARPSYSTEMCOMPONENT", package.m_hidden ? L"1" : L"", true},
        {L"ALLUSERS", package.m_perUser == 0 ? L"2" : L"", true},
        {L"ProductName", package.m_productName, true},
        {L"ProductVersion", package.m_productVersion, true},
        {L"ProductCode", package.m_productCode, true},
        {L"Manufacturer", package.m_companyName, true},
        // The entry in the list of installed programs only: a failure here loses no function.
        {L"ARPCONTACT", package.m_companyName, false},
        {L"ARPHELPLINK", package.m_supportUrl, false},
        {L"ARPHELPTELEPHONE", package.m_supportPhone, false},
    };
    for (const Property& row : properties) {
        // A property without a value is no property (the column takes no null).
        if (row.value.IsEmpty())
            continue;
        result = InsertRow(view, property, {row.name, row.value});
        if (result != ERROR_SUCCESS && row.required)
            return result;
    }
    return WriteSummaryInformation();
}

UINT CMsiTools::WriteSummaryInformation()
{
    UniqueMsiHandle summary;
    UINT result = MsiGetSummaryInformationW(m_database.Get(), nullptr, 7, summary.Put());
    if (result != ERROR_SUCCESS)
        return result;
    const CProjectSettings& package = *m_package;
    const struct {
        long property;
        CString text;
    } texts[] = {
        {PIDSI_TITLE, package.m_productName},
        {PIDSI_AUTHOR, package.m_companyName},
        {PIDSI_COMMENTS, package.m_comment},
        {PIDSI_TEMPLATE, m_is64Bit ? L"x64;0" : L"Intel;0"},
        {PIDSI_REVNUMBER, NewGuidString()}, // the package code: new for every build
    };
    for (const auto& item : texts) {
        result = MsiSummaryInfoSetPropertyW(summary.Get(), static_cast<UINT>(item.property), VT_LPSTR, 0, nullptr, item.text);
        if (result != ERROR_SUCCESS)
            return result;
    }
    result = MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_PAGECOUNT, VT_I4, kPageCount, nullptr, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    // An administrative point with its files in a cabinet is still compressed: without that bit
    // the installer looks for loose files that are not there.
    int wordCount = package.m_packageFiles == CProjectSettings::filesInCabinet ? kWordCountCompressed : 0;
    if (package.m_deploymentMethod == CProjectSettings::deployAdministrativeImage)
        wordCount |= kWordCountAdminImage;
    result = MsiSummaryInfoSetPropertyW(summary.Get(), PIDSI_WORDCOUNT, VT_I4, wordCount, nullptr, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    return MsiSummaryInfoPersist(summary.Get());
}
