#include "engine/detection/ParseManifest.h"

#include "engine/files/Globals.h"
#include "framework/Handle.h"
#include "toolkit/foundation/XTPPropExchangeXMLNode.h"

namespace {

constexpr WORD kManifestId = 1;
constexpr WORD kInstallerTableId = 4;
constexpr wchar_t kInstallerTableType[] = L"XML";

struct KeywordRule {
    const wchar_t* keyword;
    const wchar_t* alsoRequired; // null: the keyword alone decides
    const wchar_t* key;
};

// The first rule that holds wins; the order settles texts that name several makers.
constexpr KeywordRule kRules[] = {
    {L"installshield", nullptr, L"installshield"},
    {L"inno", nullptr, L"innosetup"},
    {L"nsis", nullptr, L"nsis"},
    {L"smart", L"install", L"smartinstallmaker"},
    {L"tarma", nullptr, L"tarmasetup"},
    {L"winzip", L"sfx", L"winzipsfx"},
    {L"7z", L"sfx", L"sevenzipsfx"},
    {L"winrar", L"sfx", L"winrarsfx"},
    {L"factory", nullptr, L"setupfactory"},
    {L"gdgsoft.pb", nullptr, L"gdgsoftpb"},
    {L"autoit", nullptr, L"autoit"},
};

const wchar_t* FindInstallerKey(const CString& text)
{
    for (const KeywordRule& rule : kRules) {
        if (text.Find(rule.keyword) >= 0 && (!rule.alsoRequired || text.Find(rule.alsoRequired) >= 0))
            return rule.key;
    }
    return nullptr;
}

// The trimmed text of a child of the maker's element; false when the child is missing.
bool ReadTableText(CXTPPropExchange* maker, const wchar_t* name, CString& text)
{
    CString value;
    if (!ExchangeStringProperty(maker, name, value))
        return false;
    text = value.Trim();
    return true;
}

} // namespace

CString ConvertHelpToMarkup(CString help)
{
    help.Replace(L"\n", L"<LineBreak/>");
    help.Replace(L"     ", L"");
    help.Trim();
    // the two-character escapes first: "@" alone would eat their first character
    help.Replace(L"@@", L">");
    help.Replace(L"@|", L"</");
    help.Replace(L"@", L"<");
    return help;
}

CString GetXPathAttribute(CXTPPropExchangeXMLNode* node, const wchar_t* xpath, const wchar_t* attribute)
{
    IXMLDOMNode* from = node ? node->GetSectionNode() : nullptr;
    if (!from)
        return CString();
    CXTPComPtr<IXMLDOMNode> found;
    const CXTPBstr query(SysAllocString(xpath));
    if (FAILED(from->selectSingleNode(query.Get(), found.Put())) || !found)
        return CString();
    CXTPComPtr<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(found->get_attributes(attributes.Put())) || !attributes)
        return CString();
    CXTPComPtr<IXMLDOMNode> item;
    const CXTPBstr name(SysAllocString(attribute));
    if (FAILED(attributes->getNamedItem(name.Get(), item.Put())) || !item)
        return CString();
    CXTPBstr text;
    if (FAILED(item->get_text(text.Put())))
        return CString();
    return CString(text.Get(), static_cast<int>(SysStringLen(text.Get())));
}

DWORD CParseManifest::ReadManifest(const wchar_t* path)
{
    // As a data file: no code of the setup program runs, and any architecture loads.
    UniqueModule module(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) {
        const DWORD error = GetLastError();
        return error;
    }
    CXTPPropExchangeXMLNode manifest(TRUE, nullptr, L"assembly");
    if (!manifest.LoadFromResource(module.Get(), MAKEINTRESOURCEW(kManifestId), RT_MANIFEST)) {
        const DWORD error = GetLastError();
        return error;
    }
    if (!manifest.GetXML().IsEmpty()) {
        CXTPPropExchangeSection description(manifest.GetSection(L"description"));
        CString text;
        ExchangeStringProperty(description.Get(), nullptr, text);
        m_strManifestDescription = text;
        m_strManifestName = GetXPathAttribute(&manifest, L"//assembly/assemblyIdentity", L"name");
    }
    return 0;
}

int CParseManifest::MatchInstallerType()
{
    CString text;
    text.Format(L"%s %s", m_strManifestName.GetString(), m_strManifestDescription.GetString());
    text.MakeLower();

    const wchar_t* key = FindInstallerKey(text);
    if (!key) {
        text.Trim();
        if (text.IsEmpty())
            m_strInstallerName = L"Installer type is unknown";
        else
            m_strInstallerName.Format(L"Installer info tag: %s", text.GetString());
        return 0;
    }

    CXTPPropExchangeXMLNode table(TRUE, nullptr, L"installers");
    if (!table.LoadFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kInstallerTableId), kInstallerTableType))
        return 0;
    CXTPPropExchangeSection maker(table.GetSection(key));
    ReadTableText(maker.Get(), L"name", m_strInstallerName);
    ReadTableText(maker.Get(), L"wwwlink", m_strWebLink);
    CString help;
    if (ExchangeStringProperty(maker.Get(), L"help", help))
        m_strHelp = ConvertHelpToMarkup(help);
    ReadTableText(maker.Get(), L"installcmd", m_strInstallCmd);
    ReadTableText(maker.Get(), L"uninstallcmd", m_strUninstallCmd);
    return 1;
}

int CParseManifest::Detect(const wchar_t* path)
{
    CString setupPath(path);
    setupPath.Trim();
    if (setupPath.IsEmpty())
        return 0;

    DWORD rc = ReadManifest(setupPath);
    switch (rc) {
    case ERROR_SUCCESS:
    case ERROR_BAD_EXE_FORMAT:             // not a loadable image
    case ERROR_RESOURCE_TYPE_NOT_FOUND:    // no manifest
    case ERROR_RESOURCE_DATA_NOT_FOUND:    // no resources at all, so no manifest either
        return MatchInstallerType();
    case ERROR_MOD_NOT_FOUND:
        rc = ERROR_FILE_NOT_FOUND;
        break;
    default:
        break;
    }
    m_strHelp = FormatSystemErrorText(rc);
    return 0;
}
