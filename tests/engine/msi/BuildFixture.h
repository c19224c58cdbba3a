#pragma once
// The builder tests' shared fixture: a package whose output goes to a scratch folder, a program
// folder with the template and the stand-in custom-action library, and queries that read a built
// database back through Wine's msi.dll.

#include "engine/msi/MsiTools.h"

#include "tests/support/RecordingOutput.h"
#include "PackagePlatformCheck.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace buildtest {

using testsupport::FixturePath;
using testsupport::ScratchFolder;
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// Every row of a query, each field as text (integers in decimal, null as ""), sorted so that
// tests compare contents, not insertion order.
inline Rows Query(const CString& databasePath, const wchar_t* sql)
{
    Rows rows;
    UniqueMsiHandle database;
    EXPECT_EQ(0u, MsiOpenDatabaseW(databasePath, MSIDBOPEN_READONLY, database.Put()))
        << "opening " << testsupport::Utf8(databasePath.View());
    UniqueMsiHandle view;
    EXPECT_EQ(0u, MsiDatabaseOpenViewW(database.Get(), sql, view.Put())) << testsupport::Utf8(sql);
    EXPECT_EQ(0u, MsiViewExecute(view.Get(), 0)) << testsupport::Utf8(sql);
    UniqueMsiHandle record;
    while (view && MsiViewFetch(view.Get(), record.Put()) == ERROR_SUCCESS) {
        Row row;
        const UINT count = MsiRecordGetFieldCount(record.Get());
        for (UINT field = 1; field <= count; ++field) {
            wchar_t buffer[1024] = {};
            DWORD size = static_cast<DWORD>(std::size(buffer));
            if (MsiRecordIsNull(record.Get(), field))
                row.emplace_back();
            else if (MsiRecordGetStringW(record.Get(), field, buffer, &size) == ERROR_SUCCESS)
                row.push_back(testsupport::Utf8(buffer));
            else
                row.push_back("<unreadable>");
        }
        rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

inline MsiBuildOptions WithOutput(IOutputSink* output)
{
    MsiBuildOptions options;
    options.output = output;
    return options;
}

inline Rows Sorted(Rows rows)
{
    std::sort(rows.begin(), rows.end());
    return rows;
}

inline std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// A package whose output goes to the scratch folder; its projects get added by the tests.
class BuildTest : public ::testing::Test {
protected:
    BuildTest()
    {
        m_package.m_productName = L"Test Product";
        m_package.m_productVersion = L"1.2.3";
        m_package.m_productCode = L"{6D1A8F00-3C2B-4E55-9A77-0123456789AB}";
        m_package.m_companyName = L"Morvalund Test";
        m_package.m_outputFolder = m_scratch.Path();
        m_package.m_outputFileName = L"test.msi";
    }

    CString OutputPath() const { return m_scratch / L"test.msi"; }

    // Builds with the template and the stand-in custom-action library of the program folder
    // unless the options name another. Every package built whole must declare the platform that
    // its components' 64-bit bits agree with.
    int Build(MsiBuildOptions options = {})
    {
        options.output = &m_sink;
        if (options.programFolder.IsEmpty())
            options.programFolder = m_programFolder.Path() + L"\\";
        int result = 0;
        {
            CMsiTools builder(&m_package, options);
            result = builder.BuildPackage();
            m_is64Bit = builder.Is64Bit();
        }
        if (result == 0) {
            EXPECT_EQ("", CheckComponentPlatform(OutputPath()));
        }
        return result;
    }

    static CFileEntry Entry(int kind, const wchar_t* path)
    {
        CFileEntry entry;
        entry.m_kind = kind;
        entry.m_path = path;
        return entry;
    }
    static CFileEntry Root(const wchar_t* path) { return Entry(CFileEntry::kindRoot, path); }
    static CFileEntry Folder(const wchar_t* path) { return Entry(CFileEntry::kindFolder, path); }
    CFileEntry File(const wchar_t* path, int size = 10)
    {
        CFileEntry entry = Entry(CFileEntry::kindFile, path);
        entry.m_fileSize = size;
        entry.m_sourcePath = m_scratch / L"source.txt";
        return entry;
    }

    static CFeature Project(const wchar_t* name)
    {
        CFeature project;
        project.m_name = name;
        return project;
    }
    // The package's copy of a project added with Add (references into the list do not survive
    // the next Add).
    CFeature& Added(int index) { return m_package.m_projects[index]; }

    static std::string Key(const CFeature& project)
    {
        return testsupport::Utf8(CMsiTools::MakeFeatureKey(project.m_id).View());
    }
    static std::string Key(const wchar_t* prefix, const CFileEntry& entry)
    {
        return testsupport::Utf8((prefix + entry.m_id).View());
    }

    void SetUp() override
    {
        ASSERT_TRUE(testsupport::WriteAllBytes(m_scratch / L"source.txt", {'x'}));
        ASSERT_TRUE(CopyFileW(testsupport::ModuleFolder() + L"\\schema.bin", m_programFolder / L"schema.bin", FALSE));
        ASSERT_TRUE(CopyFileW(FixturePath(L"msi-velt-standin.dll"), m_programFolder / L"velt.bin", FALSE));
    }

    ScratchFolder m_scratch;
    ScratchFolder m_programFolder; // schema.bin and the stand-in velt.bin
    CProjectSettings m_package;
    RecordingOutput m_sink;
    int m_is64Bit = -1;

    // A summary property of the built package as text (numbers in decimal).
    std::string Summary(long property) const
    {
        UniqueMsiHandle summary;
        if (MsiGetSummaryInformationW(0, OutputPath(), 0, summary.Put()) != ERROR_SUCCESS)
            return "<no summary>";
        UINT type = 0;
        INT number = 0;
        FILETIME time{};
        wchar_t text[256] = {};
        DWORD size = static_cast<DWORD>(std::size(text));
        if (MsiSummaryInfoGetPropertyW(summary.Get(), static_cast<UINT>(property), &type, &number, &time, text,
                                       &size) != ERROR_SUCCESS)
            return "<unreadable>";
        return type == VT_I4 || type == VT_I2 ? std::to_string(number) : testsupport::Utf8(text);
    }
};

} // namespace buildtest
