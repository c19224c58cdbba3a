#include "engine/msi/SettingsResource.h"

#include <vector>

DWORD EmbedFileAsResource(const wchar_t* filePath, const wchar_t* targetPath)
{
    std::vector<BYTE> bytes;
    {
        UniqueKernelHandle file(CreateFileW(filePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return GetLastError();
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size))
            return GetLastError();
        // A resource holds at most 4 GiB less one; a package file never comes near.
        if (size.QuadPart > MAXDWORD)
            return ERROR_FILE_TOO_LARGE;
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            return GetLastError();
        if (read != bytes.size())
            return ERROR_READ_FAULT;
    }
    UniqueResourceUpdate update(BeginUpdateResourceW(targetPath, FALSE));
    if (!update)
        return GetLastError();
    return WriteBinResource(std::move(update), bytes.data(), static_cast<DWORD>(bytes.size()));
}

DWORD WriteBinResource(UniqueResourceUpdate update, const void* data, DWORD size)
{
    if (!update)
        return ERROR_INVALID_HANDLE;
    if (!UpdateResourceW(update.Get(), kSettingsResourceType, MAKEINTRESOURCEW(kSettingsResourceId),
                         kSettingsResourceLanguage, const_cast<void*>(data), size))
        return GetLastError();
    if (!EndUpdateResourceW(update.Release(), FALSE))
        return GetLastError();
    return ERROR_SUCCESS;
}
