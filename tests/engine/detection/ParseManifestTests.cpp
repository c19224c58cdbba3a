// Installer-type detection over small programs whose manifests name (or do not name) a maker,
// with the installer table linked into this test program as it is into the real one.

#include "engine/detection/ParseManifest.h"
#include "engine/files/Globals.h"
#include "tests/support/TestSupport.h"
#include "toolkit/foundation/XTPPropExchangeXMLNode.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <vector>

namespace {

class Detection : public testing::Test {
protected:
    void SetUp() override { m_com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override
    {
        if (SUCCEEDED(m_com))
            CoUninitialize();
    }

    static CString Fixture(const wchar_t* name) { return testsupport::FixturePath(name); }

private:
    HRESULT m_com = E_FAIL;
};

struct MakerCase {
    const wchar_t* fixture;
    const wchar_t* name;
    const wchar_t* installCmd;
    const wchar_t* uninstallCmd;
    const wchar_t* helpStart;                // empty: the maker has no help
    std::vector<const wchar_t*> linkedSwitches;
};

TEST_F(Detection, EachMakerIsRecognisedByItsKeywords)
{
    const MakerCase cases[] = {
        {L"detect_innosetup.exe", L"Inno Setup Installer", L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART",
         L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART", L"Command Line Arguments:",
         {L"/SILENT", L"/VERYSILENT", L"/SUPPRESSMSGBOXES", L"/SP-", L"/LOG", L"/LOG=\"filename\"", L"/NOCANCEL",
          L"/NORESTART", L"/DIR=\"x:\\dirname\"", L"/GROUP=\"folder name\"", L"/NOICONS"}},
        {L"detect_installshield.exe", L"Install Shield", L"/s", L"/s", L"Command Line Arguments:",
         {L"/s", L"/r", L"/f", L"/f2"}},
        {L"detect_nsis.exe", L"NSIS (Nullsoft Scriptable Install System)", L"/S", L"/S", L"Command Line Arguments:",
         {L"/S", L"/D", L"/NCRC"}},
        {L"detect_setupfactory.exe", L"Setup Factory", L"/S", L"", L"Command Line Arguments:",
         {L"/S", L"/T", L"/NOINIT", L"/W", L"/U"}},
        {L"detect_smartinstallmaker.exe", L"Smart Install Maker", L"", L"", L"", {}},
        {L"detect_tarmasetup.exe", L"Tarma Setup", L"/q", L"/q", L"Command Line Options:", {}},
        {L"detect_winzipsfx.exe", L"WinZip Self-Extractor", L"", L"", L"", {}},
        {L"detect_sevenzipsfx.exe", L"7z Self-Extractor", L"", L"", L"", {}},
        {L"detect_winrarsfx.exe", L"WinRar Self-Extractor", L"", L"", L"", {}},
        {L"detect_gdgsoftpb.exe", L"Paquet Builder", L"", L"", L"", {}},
        {L"detect_autoit.exe", L"AutoIt", L"", L"", L"", {}},
        // rule order: InstallShield wins over Inno in one description
        {L"detect_order.exe", L"Install Shield", L"/s", L"/s", L"Command Line Arguments:", {}},
        // "smart" without "install" goes on to the later rules ("factory")
        {L"detect_smartnoinstall.exe", L"Setup Factory", L"/S", L"", L"Command Line Arguments:", {}},
        // a 32-bit program read by this 64-bit one
        {L"detect_innosetup_i686.exe", L"Inno Setup Installer", L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART",
         L"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART", L"Command Line Arguments:", {}},
    };
    for (const MakerCase& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.fixture));
        CParseManifest manifest;
        ASSERT_EQ(1, manifest.Detect(Fixture(c.fixture)))
            << "help: " << testsupport::Utf8(manifest.m_strHelp.View())
            << " name: " << testsupport::Utf8(manifest.m_strInstallerName.View());
        EXPECT_STREQ(c.name, manifest.m_strInstallerName);
        EXPECT_STREQ(c.installCmd, manifest.m_strInstallCmd);
        EXPECT_STREQ(c.uninstallCmd, manifest.m_strUninstallCmd);
        EXPECT_FALSE(manifest.m_strWebLink.IsEmpty());
        EXPECT_EQ(-1, manifest.m_strWebLink.FindOneOf(L" \t\r\n/"))
            << "a host name: " << testsupport::Utf8(manifest.m_strWebLink.View());
        EXPECT_EQ(0, manifest.m_strHelp.Find(c.helpStart)) << testsupport::Utf8(manifest.m_strHelp.View());
        if (!*c.helpStart) {
            EXPECT_TRUE(manifest.m_strHelp.IsEmpty()) << testsupport::Utf8(manifest.m_strHelp.View());
        }
        EXPECT_EQ(-1, manifest.m_strHelp.Find(L'@'))
            << "an escape was left: " << testsupport::Utf8(manifest.m_strHelp.View());
        for (const wchar_t* linked : c.linkedSwitches) {
            CString link;
            link.Format(L"<Hyperlink Tag='%s' >%s</Hyperlink>", linked, linked);
            EXPECT_GE(manifest.m_strHelp.Find(link), 0) << "no link for " << testsupport::Utf8(linked);
        }
    }
}

TEST_F(Detection, ADefaultNamespaceManifestIsReadThroughTheDom)
{
    CParseManifest manifest;
    ASSERT_EQ(0u, manifest.ReadManifest(Fixture(L"detect_nsis.exe")));
    EXPECT_STREQ(L"Nullsoft.NSIS.exehead", manifest.m_strManifestName)
        << "the assembly's own identity, not its dependency's";
    EXPECT_STREQ(L"Nullsoft Install System v3.08", manifest.m_strManifestDescription);
}

TEST_F(Detection, ProgramsWithoutAKnownMakerGetAFallbackName)
{
    testsupport::ScratchFolder folder;
    const CString textFile = folder / L"readme.exe";
    ASSERT_TRUE(testsupport::WriteAllBytes(textFile, {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}));

    struct FallbackCase {
        CString path;
        const wchar_t* name;
    };
    const FallbackCase cases[] = {
        {Fixture(L"detect_unknown.exe"), L"Installer info tag: acme.setup"},
        {Fixture(L"detect_plain.exe"), L"Installer type is unknown"},     // no resources at all
        {Fixture(L"detect_nomanifest.exe"), L"Installer type is unknown"}, // resources, no manifest
        {textFile, L"Installer type is unknown"},                         // not an image
    };
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.path.View()));
        CParseManifest manifest;
        EXPECT_EQ(0, manifest.Detect(c.path));
        EXPECT_STREQ(c.name, manifest.m_strInstallerName);
        EXPECT_STREQ(L"", manifest.m_strHelp) << testsupport::Utf8(manifest.m_strHelp.View());
        EXPECT_STREQ(L"", manifest.m_strInstallCmd);
    }
}

TEST_F(Detection, ErrorsReachTheHelpAsTheirSystemText)
{
    testsupport::ScratchFolder folder;
    struct ErrorCase {
        CString path;
        DWORD error;
    };
    const ErrorCase cases[] = {
        {folder / L"missing.exe", ERROR_FILE_NOT_FOUND},
        {Fixture(L"detect_otherid.exe"), ERROR_RESOURCE_NAME_NOT_FOUND}, // a manifest, but not id 1
        {Fixture(L"detect_broken.exe"), ERROR_INVALID_DATA},             // a manifest that does not parse
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.path.View()));
        CParseManifest manifest;
        EXPECT_EQ(0, manifest.Detect(c.path));
        EXPECT_STREQ(FormatSystemErrorText(c.error), manifest.m_strHelp)
            << "got " << testsupport::Utf8(manifest.m_strHelp.View());
        EXPECT_STREQ(L"", manifest.m_strInstallerName);
    }
}

TEST_F(Detection, BlankPathsDetectNothingAndPathsAreTrimmed)
{
    CParseManifest blank;
    EXPECT_EQ(0, blank.Detect(L"   "));
    EXPECT_TRUE(blank.m_strInstallerName.IsEmpty());
    EXPECT_TRUE(blank.m_strHelp.IsEmpty());

    CParseManifest padded;
    EXPECT_EQ(1, padded.Detect(L"  " + Fixture(L"detect_innosetup.exe") + L" \t"));
    EXPECT_STREQ(L"Inno Setup Installer", padded.m_strInstallerName);
}

TEST(DetectionHelp, EscapedMarkupAndLineBreaksBecomeMarkup)
{
    struct HelpCase {
        const wchar_t* text;
        const wchar_t* markup;
    };
    const HelpCase cases[] = {
        {L"@Hyperlink Tag='/S' @@/S@|Hyperlink@@", L"<Hyperlink Tag='/S' >/S</Hyperlink>"},
        {L"line one\nline two", L"line one<LineBreak/>line two"},
        {L"     indented\n     lines", L"indented<LineBreak/>lines"},
        {L"  padded  ", L"padded"},
        {L"\n@Bold@@x@|Bold@@\n", L"<LineBreak/><Bold>x</Bold><LineBreak/>"},
        {L"a    b", L"a    b"}, // four spaces are kept
        {L"", L""},
    };
    for (const HelpCase& c : cases)
        EXPECT_STREQ(c.markup, ConvertHelpToMarkup(c.text)) << testsupport::Utf8(c.text);
}

TEST_F(Detection, XPathAttributesAreEmptyWhenAnythingIsMissing)
{
    CXTPPropExchangeXMLNode px(TRUE, nullptr, L"assembly");
    ASSERT_TRUE(px.LoadFromString("<assembly><assemblyIdentity name=\"Acme\"/></assembly>"));
    EXPECT_STREQ(L"Acme", GetXPathAttribute(&px, L"//assembly/assemblyIdentity", L"name"));
    EXPECT_STREQ(L"", GetXPathAttribute(&px, L"//assembly/assemblyIdentity", L"version"));
    EXPECT_STREQ(L"", GetXPathAttribute(&px, L"//assembly/description", L"name"));
    EXPECT_STREQ(L"", GetXPathAttribute(nullptr, L"//assembly", L"name"));
}

} // namespace
