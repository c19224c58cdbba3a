#pragma once
// The package of the end-to-end tests: a repackaged project with files in two system folders
// (under ProgramFilesFolder and AppDataFolder), a shortcut with the icon of its target, and
// registry values of every type under HKCU and HKLM (and one recorded under HKLM's Wow6432Node);
// optionally a wrapped project whose setup
// program the custom-action library runs.

#include "tests/support/RecordingOutput.h"

#include "engine/model/ProjectSettings.h"

#include <string>
#include <vector>

namespace e2e {

constexpr wchar_t kAppFolder[] = L"Tarnwick E2E";
constexpr wchar_t kRegistryKey[] = L"Software\\Tarnwick E2E";
constexpr wchar_t kShortcutName[] = L"Tarnwick E2E";
// A value under HKEY_LOCAL_MACHINE\Software\Wow6432Node\Tarnwick E2E: the 32-bit view's key.
constexpr wchar_t kNodeValueName[] = L"Node";

struct RegistryCase {
    const wchar_t* name;   // empty: the key's default value
    int type;              // the records' own type numbers
    const wchar_t* text;   // as the records keep it
    DWORD registryType;    // what Windows must hold afterwards
    std::vector<uint8_t> data;
};
const std::vector<RegistryCase>& RegistryCases();

// Writes the source files under sourceFolder and returns the package, built into outputFolder
// with the given layout. iconModule is a module with icons, used as the program's file.
CProjectSettings MakePackage(const CString& sourceFolder, const CString& outputFolder, int packageFiles,
                             bool withWrappedProject, const CString& productCode, const CString& iconModule);

// Builds the package with "schema.bin" and "velt.bin" of programFolder (which ends in a
// backslash), its lines going to output; the build's result. The builder, which keeps the
// database open, is gone when this returns, so the package can be installed at once. A built
// package whose Template and component bits disagree (CheckComponentPlatform) gives 13, with the
// disagreement as the last line.
int Build(CProjectSettings& package, const CString& programFolder, RecordingOutput& output);

} // namespace e2e
