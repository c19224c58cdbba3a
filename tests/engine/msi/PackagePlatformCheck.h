#pragma once
// The check that every package a test builds goes through: the platform the summary declares
// (Template "Intel;..." or "x64;...") and each component's 64-bit bit agree. In a 32-bit package no
// component is 64-bit; in a 64-bit package a component is 64-bit exactly when its target lies in
// the 64-bit world: its folder chain starts at a 64-bit system folder, or its key path is a
// Registry row. Read back through msi.dll from the database alone, whatever built it.

#include "engine/msi/MsiHandle.h"
#include "framework/String.h"
#include "tests/support/TestSupport.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace buildtest {

namespace platformcheck {

// Every row of a query, fields as text (null as "").
inline std::vector<std::vector<std::string>> Rows(MSIHANDLE database, const wchar_t* sql, std::string& error)
{
    std::vector<std::vector<std::string>> rows;
    UniqueMsiHandle view;
    if (MsiDatabaseOpenViewW(database, sql, view.Put()) != ERROR_SUCCESS || MsiViewExecute(view.Get(), 0) != ERROR_SUCCESS) {
        error += "cannot query: " + testsupport::Utf8(sql) + "\n";
        return rows;
    }
    UniqueMsiHandle record;
    while (MsiViewFetch(view.Get(), record.Put()) == ERROR_SUCCESS) {
        std::vector<std::string> row;
        for (UINT field = 1; field <= MsiRecordGetFieldCount(record.Get()); ++field) {
            wchar_t text[1024] = {};
            DWORD size = static_cast<DWORD>(std::size(text));
            row.push_back(MsiRecordGetStringW(record.Get(), field, text, &size) == ERROR_SUCCESS ? testsupport::Utf8(text)
                                                                                                 : "<unreadable>");
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace platformcheck

// The Template summary property of a package ("Intel;0", "x64;0"); "" when it cannot be read.
inline std::string PackageTemplate(MSIHANDLE database)
{
    UniqueMsiHandle summary;
    wchar_t text[256] = {};
    DWORD size = static_cast<DWORD>(std::size(text));
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    if (MsiGetSummaryInformationW(database, nullptr, 0, summary.Put()) != ERROR_SUCCESS ||
        MsiSummaryInfoGetPropertyW(summary.Get(), PIDSI_TEMPLATE, &type, &number, &time, text, &size) != ERROR_SUCCESS)
        return std::string();
    return testsupport::Utf8(text);
}

inline std::string PackageTemplate(const CString& packagePath)
{
    UniqueMsiHandle database;
    if (MsiOpenDatabaseW(packagePath, MSIDBOPEN_READONLY, database.Put()) != ERROR_SUCCESS)
        return std::string();
    return PackageTemplate(database.Get());
}

// Empty when the package's Template and all its components' 64-bit bits agree; otherwise one line
// per disagreement.
inline std::string CheckComponentPlatform(const CString& packagePath)
{
    std::string error;
    UniqueMsiHandle database;
    if (MsiOpenDatabaseW(packagePath, MSIDBOPEN_READONLY, database.Put()) != ERROR_SUCCESS)
        return "cannot open " + testsupport::Utf8(packagePath.View());

    const std::string platform = PackageTemplate(database.Get());
    if (platform.empty())
        return "no Template in the summary information";
    const bool package64 = platform.rfind("x64;", 0) == 0;
    if (!package64 && platform.rfind("Intel;", 0) != 0)
        return "Template '" + platform + "' names neither Intel nor x64";

    std::map<std::string, std::string> parents;
    for (const auto& row : platformcheck::Rows(database.Get(), L"SELECT `Directory`, `Directory_Parent` FROM `Directory`", error))
        parents[row[0]] = row[1];
    std::set<std::string> registryRows;
    for (const auto& row : platformcheck::Rows(database.Get(), L"SELECT `Registry` FROM `Registry`", error))
        registryRows.insert(row[0]);
    // The folder below TARGETDIR that a folder chain starts at.
    auto chainRoot = [&](std::string directory) {
        for (size_t depth = 0; depth < parents.size(); ++depth) {
            auto parent = parents.find(directory);
            if (parent == parents.end() || parent->second.empty() || parent->second == "TARGETDIR" ||
                parent->second == directory)
                break;
            directory = parent->second;
        }
        return directory;
    };
    static const std::set<std::string> k64BitRoots = {"ProgramFiles64Folder", "CommonFiles64Folder", "System64Folder"};
    constexpr int kRegistryKeyPath = 4;
    constexpr int k64Bit = 256;
    for (const auto& row : platformcheck::Rows(
             database.Get(), L"SELECT `Component`, `Directory_`, `Attributes`, `KeyPath` FROM `Component`", error)) {
        const int attributes = std::stoi(row[2].empty() ? "0" : row[2]);
        const bool registry = (attributes & kRegistryKeyPath) != 0 && registryRows.count(row[3]) != 0;
        const std::string root = chainRoot(row[1]);
        const bool target64 = registry || k64BitRoots.count(root) != 0;
        const bool expected = package64 && target64;
        if (((attributes & k64Bit) != 0) != expected)
            error += "component " + row[0] + " (" + (registry ? "registry" : "folder chain from " + root) +
                     ") has Attributes " + row[2] + " in a package of Template '" + platform + "': its 64-bit bit " +
                     (expected ? "must be set" : "must not be set") + "\n";
    }
    return error;
}

} // namespace buildtest
