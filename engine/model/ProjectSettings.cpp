#include "engine/model/ProjectSettings.h"

#include "engine/model/GuidText.h"
#include "engine/model/RecordArchive.h"

using namespace recordarchive;

CProjectSettings::CProjectSettings() : m_productCode(NewGuidString())
{
    m_outputFileName = m_productName + L".msi";
}

int CProjectSettings::Serialize(CArchive& ar)
{
    int format = kFormatNumber;
    Exchange(ar, format);
    if (format != kFormatNumber)
        return 0;

    Exchange(ar, m_productName);
    Exchange(ar, m_productVersion);
    Exchange(ar, m_productCode);
    Exchange(ar, m_companyName);
    Exchange(ar, m_supportUrl);
    Exchange(ar, m_supportPhone);
    Exchange(ar, m_comment);
    Exchange(ar, m_launchCondition);
    Exchange(ar, m_perUser);
    Exchange(ar, m_noRegistration);
    Exchange(ar, m_hidden);
    Exchange(ar, m_reservedText1);
    Exchange(ar, m_reservedText2);
    Exchange(ar, m_outputFolder);
    Exchange(ar, m_outputFileName);
    Exchange(ar, m_packageFiles);
    Exchange(ar, m_deploymentMethod);
    m_projects.Serialize(ar);
    ExchangeRaw(ar, m_reserved, sizeof(m_reserved));
    ExchangeSpareTexts(ar, 7);
    Exchange(ar, m_debugMode);
    ExchangeSpareInts(ar, 7);
    return 1;
}
