#pragma once
// CProjectSettings: a package: one package file and one built MSI database. It holds the product
// settings, the build's output settings and the projects in tree order.

#include "engine/model/Feature.h"

#include "framework/Archive.h"

class CProjectSettings {
public:
    // The number that opens every stored package; a stream with another number is not read.
    static constexpr int kFormatNumber = 1002;

    enum PackageFiles : int { filesInCabinet = 0, filesLoose = 1 };
    enum DeploymentMethod : int { deploySetupPackage = 0, deployAdministrativeImage = 1 };

    // A new product code; the output file name is the product name followed by ".msi".
    CProjectSettings();
    CProjectSettings(const CProjectSettings&) = default;
    CProjectSettings& operator=(const CProjectSettings&) = default;
    CProjectSettings(CProjectSettings&&) noexcept = default;
    CProjectSettings& operator=(CProjectSettings&&) noexcept = default;
    virtual ~CProjectSettings() = default;

    // Stores or loads the whole package by the archive's direction. Loading returns 1 when the
    // stream began with the format number and 0 otherwise, reading nothing more and leaving the
    // package as it was; storing returns 1. A stream that ends early or holds a malformed text
    // throws the archive's exception and leaves the package partly loaded.
    [[nodiscard]] int Serialize(CArchive& ar);

    CString m_productName = L"New package";
    CString m_productVersion = L"1.0.0";
    CString m_productCode;         // braced GUID
    CString m_companyName = L"Company Name";
    CString m_supportUrl;          // ARPHELPLINK
    CString m_supportPhone;        // ARPHELPTELEPHONE
    CString m_comment;             // Comments of the summary information
    CString m_launchCondition;
    int m_perUser = 0;             // 0: the package sets ALLUSERS to 2
    int m_noRegistration = 0;      // 0: the registration actions are sequenced
    int m_hidden = 0;              // ARPSYSTEMCOMPONENT
    CString m_reservedText1;
    CString m_reservedText2;
    CString m_outputFolder;        // the folder that receives the built package
    CString m_outputFileName;
    int m_packageFiles = filesInCabinet;
    int m_deploymentMethod = deploySetupPackage;
    CFeatures m_projects;
    BYTE m_reserved[8]{};          // kept verbatim
    int m_debugMode = 0;           // setup program on the user's desktop, replay highlights controls
};
