// Templates' strings, the command line and the recent file list: no window needed.

#include "framework/window/DocTemplate.h"
#include "framework/window/Document.h"
#include "framework/window/WinApp.h"

#include <gtest/gtest.h>

namespace {

std::string Narrow(const CString& text)
{
    std::string out;
    for (int i = 0; i < text.GetLength(); ++i)
        out += static_cast<char>(text[i]);
    return out;
}

TEST(CommandLineTest, ArgumentsBecomeShellCommands)
{
    struct Case {
        std::vector<std::pair<const wchar_t*, BOOL>> params;    // text, flag
        int command;
        const char* file;
        BOOL embedded;
        BOOL automated;
    };
    const Case cases[] = {
        {{}, CCommandLineInfo::FileNew, "", FALSE, FALSE},
        {{{L"C:\\data\\a.smp", FALSE}}, CCommandLineInfo::FileOpen, "C:\\data\\a.smp", FALSE, FALSE},
        {{{L"p", TRUE}, {L"a.smp", FALSE}}, CCommandLineInfo::FilePrint, "a.smp", FALSE, FALSE},
        {{{L"pt", TRUE}, {L"a.smp", FALSE}, {L"printer", FALSE}, {L"driver", FALSE}, {L"port", FALSE}},
         CCommandLineInfo::FilePrintTo, "a.smp", FALSE, FALSE},
        {{{L"dde", TRUE}}, CCommandLineInfo::FileDDE, "", FALSE, FALSE},
        {{{L"Embedding", TRUE}}, CCommandLineInfo::FileNew, "", TRUE, FALSE},
        {{{L"automation", TRUE}}, CCommandLineInfo::FileNew, "", FALSE, TRUE},
        {{{L"Unregserver", TRUE}}, CCommandLineInfo::AppUnregister, "", FALSE, FALSE},
        {{{L"Register", TRUE}}, CCommandLineInfo::AppRegister, "", FALSE, FALSE},
        {{{L"unknown", TRUE}, {L"b.smp", FALSE}}, CCommandLineInfo::FileOpen, "b.smp", FALSE, FALSE},
    };
    for (const Case& c : cases) {
        CCommandLineInfo info;
        for (size_t i = 0; i < c.params.size(); ++i)
            info.ParseParam(c.params[i].first, c.params[i].second, i + 1 == c.params.size());
        SCOPED_TRACE(c.file);
        EXPECT_EQ(info.m_nShellCommand, c.command);
        EXPECT_EQ(Narrow(info.m_strFileName), c.file);
        EXPECT_EQ(info.m_bRunEmbedded, c.embedded);
        EXPECT_EQ(info.m_bRunAutomated, c.automated);
        if (c.command == CCommandLineInfo::FilePrintTo) {
            EXPECT_EQ(Narrow(info.m_strPrinterName), "printer");
            EXPECT_EQ(Narrow(info.m_strDriverName), "driver");
            EXPECT_EQ(Narrow(info.m_strPortName), "port");
        }
    }
}

class CPlainDoc : public CDocument {
    DECLARE_DYNCREATE(CPlainDoc)
};
IMPLEMENT_DYNCREATE(CPlainDoc, CDocument)

TEST(DocTemplateTest, TemplateStringPartsAndTheSingleDocument)
{
    CSingleDocTemplate tmpl(1, RUNTIME_CLASS(CPlainDoc), nullptr, nullptr);
    tmpl.m_strDocStrings = L"tarnwick\n\ntarnwick\n\n\ntarnwick.Document\ntarnwick.Document";
    const std::pair<CDocTemplate::DocStringIndex, const char*> parts[] = {
        {CDocTemplate::windowTitle, "tarnwick"}, {CDocTemplate::docName, ""},
        {CDocTemplate::fileNewName, "tarnwick"}, {CDocTemplate::filterName, ""},
        {CDocTemplate::filterExt, ""},           {CDocTemplate::regFileTypeId, "tarnwick.Document"},
        {CDocTemplate::regFileTypeName, "tarnwick.Document"},
    };
    for (const auto& [index, text] : parts) {
        CString part;
        EXPECT_TRUE(tmpl.GetDocString(part, index));
        EXPECT_EQ(Narrow(part), text) << index;
    }
    // No frame class: no frame, and the new document is given back, not leaked.
    EXPECT_EQ(tmpl.OpenDocumentFile(nullptr, FALSE), nullptr);
    EXPECT_EQ(tmpl.GetFirstDocPosition(), nullptr);
    // An empty document name gives the stock title.
    CDocument* doc = tmpl.CreateNewDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetDocTemplate(), &tmpl);
    tmpl.SetDefaultTitle(doc);
    EXPECT_EQ(Narrow(doc->GetTitle()), "Untitled");
    POSITION pos = tmpl.GetFirstDocPosition();
    EXPECT_EQ(tmpl.GetNextDoc(pos), doc);
    delete doc;
    EXPECT_EQ(tmpl.GetFirstDocPosition(), nullptr);
}

TEST(RecentFileListTest, DisplayNamesAndOrder)
{
    CRecentFileList list(0, L"Recent File List", L"File%d", 4, 30);
    list.Add(L"C:\\Work\\one.smp");
    list.Add(L"C:\\Very Long Folder Name\\Deeper Still\\Deepest\\two.smp");
    list.Add(L"C:\\Work\\three.smp");
    list.Add(L"C:\\Work\\ONE.smp");    // already listed: moves to the top
    EXPECT_EQ(Narrow(list[0]), "C:\\Work\\ONE.smp");
    EXPECT_EQ(Narrow(list[1]), "C:\\Work\\three.smp");
    EXPECT_TRUE(list[3].IsEmpty());

    struct Case {
        int index;
        const wchar_t* current;
        const char* shown;
    };
    const Case cases[] = {
        {0, L"C:\\Work", "ONE.smp"},
        {0, L"C:\\Other", "C:\\Work\\ONE.smp"},
        {2, L"C:\\Other", "C:\\Very Long Folder...\\two.smp"},
    };
    for (const Case& c : cases) {
        CString name;
        ASSERT_TRUE(list.GetDisplayName(name, c.index, c.current, static_cast<int>(wcslen(c.current))));
        EXPECT_EQ(Narrow(name), c.shown);
        EXPECT_LE(name.GetLength(), 30);
    }
    CString name;
    EXPECT_FALSE(list.GetDisplayName(name, 3, L"C:\\", 3));
    list.Remove(0);
    EXPECT_EQ(Narrow(list[0]), "C:\\Work\\three.smp");
}

TEST(RecentFileListTest, TheListGoesToTheProfileAndComesBack)
{
    CWinApp app(L"Recent List Tests");
    app.SetRegistryKey(L"Tarnwick Test Suite");
    {
        CRecentFileList list(0, L"Recent File List", L"File%d", 3);
        list.Add(L"C:\\a\\one.smp");
        list.Add(L"C:\\a\\two.smp");
        list.WriteList();
    }
    EXPECT_EQ(Narrow(app.GetProfileString(L"Recent File List", L"File1")), "C:\\a\\two.smp");
    EXPECT_EQ(Narrow(app.GetProfileString(L"Recent File List", L"File3", L"none")), "none");
    CRecentFileList again(0, L"Recent File List", L"File%d", 3);
    again.ReadList();
    EXPECT_EQ(Narrow(again[0]), "C:\\a\\two.smp");
    EXPECT_EQ(Narrow(again[1]), "C:\\a\\one.smp");
    EXPECT_TRUE(again[2].IsEmpty());
    app.WriteProfileString(L"Recent File List", nullptr, nullptr);
}

} // namespace
