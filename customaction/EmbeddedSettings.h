#pragma once
// The package that the builder wrote into this library as resource "BIN" 124 (language 1033): the
// bytes of a package file. It is read back through a temporary file with the package-file reader.
// The resource is found through this module's own handle, never through the host process's.

#include "engine/model/ProjectSettings.h"

#include <windows.h>

inline constexpr wchar_t kSettingsResourceType[] = L"BIN";
inline constexpr WORD kSettingsResourceId = 124;

// Reported for settings that could not be read when the system gave no error code of its own: a
// failed read must never look like success.
inline constexpr DWORD kSettingsUnreadable = ERROR_INVALID_DATA;

// The library's one package, loaded again by every export call. It starts as a new package
// ("New package"), so the first log line of a process shows that name.
CProjectSettings& GlobalPackage();

// Writes the settings resource of this module to a new temporary file whose name goes into path.
// 0, or the Windows error of the failing step (the temporary file is then removed).
[[nodiscard]] DWORD ExtractSettingsResource(wchar_t (&path)[MAX_PATH]);

// Loads the settings resource into the global package; 0, or a Windows error (never 0 on failure).
// The temporary copy is removed after the load. On failure the global package stays as it was.
[[nodiscard]] DWORD LoadEmbeddedSettings();
