#pragma once
// The settings resource of the custom-action library: type "BIN", id 124, language 1033, holding
// the package file of the package that a built MSI carries. The library reads it back from its
// own copy inside the package; the builder writes it.

#include "framework/Handle.h"

// A resource update begun with BeginUpdateResourceW; closing it discards the update.
struct ResourceUpdateTraits {
    using Type = HANDLE;
    static Type Empty() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { ::EndUpdateResourceW(h, TRUE); }
};
using UniqueResourceUpdate = UniqueHandle<ResourceUpdateTraits>;

constexpr wchar_t kSettingsResourceType[] = L"BIN";
constexpr WORD kSettingsResourceId = 124;
constexpr WORD kSettingsResourceLanguage = 1033;

// Reads the whole file and stores it as the settings resource of the target module, keeping the
// module's other resources. 0 or the Windows error.
[[nodiscard]] DWORD EmbedFileAsResource(const wchar_t* filePath, const wchar_t* targetPath);

// Writes the settings resource through the update and commits it (the update is consumed either
// way). 0 or the Windows error.
[[nodiscard]] DWORD WriteBinResource(UniqueResourceUpdate update, const void* data, DWORD size);
