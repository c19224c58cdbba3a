#include "engine/files/IconGroup.h"

#include "framework/Handle.h"

#include <cstring>
#include <cwchar>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

// Layouts of the group resource and of the .ico file, read and written byte by byte so that no
// structure packing is involved.
constexpr size_t kHeaderSize = 6;         // reserved, type, count (WORD each)
constexpr size_t kGroupEntrySize = 14;    // 4 bytes, planes, bit count, byte count, WORD id
constexpr size_t kFileEntrySize = 16;     // 4 bytes, planes, bit count, byte count, DWORD offset
constexpr size_t kGapSize = 16;           // kept between the entries and the images
constexpr size_t kMaxFileSize = std::numeric_limits<DWORD>::max();

const WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

WORD ReadWord(const BYTE* p)
{
    WORD value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}

void PutDword(BYTE* p, DWORD value)
{
    std::memcpy(p, &value, sizeof(value));
}

struct Resource {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

// Finds and locks a resource in the neutral language; false with the last error set.
bool LoadResourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name, Resource& resource)
{
    HRSRC found = FindResourceExW(module, type, name, kNeutral);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) {
        if (GetLastError() == 0)
            SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    resource.data = static_cast<const BYTE*>(data);
    resource.size = SizeofResource(module, found);
    return true;
}

// Builds the whole file in memory; 0 or a Windows error.
DWORD BuildIcoFile(HMODULE module, const wchar_t* groupName, std::vector<BYTE>& file)
{
    Resource group;
    if (!LoadResourceBytes(module, RT_GROUP_ICON, groupName, group))
        return GetLastError();
    if (group.size < kHeaderSize)
        return ERROR_INVALID_DATA;
    const WORD count = ReadWord(group.data + 4);
    if (group.size < kHeaderSize + size_t(count) * kGroupEntrySize)
        return ERROR_INVALID_DATA;

    // Find every image first, so the size of the file is known before anything is written.
    std::vector<Resource> images(count);
    size_t total = kHeaderSize + size_t(count) * kFileEntrySize + kGapSize;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = group.data + kHeaderSize + size_t(i) * kGroupEntrySize;
        const WORD id = ReadWord(entry + 12);
        if (!LoadResourceBytes(module, RT_ICON, MAKEINTRESOURCEW(id), images[i]))
            return GetLastError();
        if (images[i].size > kMaxFileSize - total)
            return ERROR_NOT_ENOUGH_MEMORY;
        total += images[i].size;
    }

    file.assign(total, 0); // zero-filled: the gap carries no stray bytes
    std::memcpy(file.data(), group.data, kHeaderSize);
    size_t end = kHeaderSize + size_t(count) * kFileEntrySize + kGapSize;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = group.data + kHeaderSize + size_t(i) * kGroupEntrySize;
        BYTE* out = file.data() + kHeaderSize + size_t(i) * kFileEntrySize;
        std::memcpy(out, entry, 8); // width, height, colours, reserved, planes, bit count
        PutDword(out + 8, images[i].size);
        PutDword(out + 12, static_cast<DWORD>(end));
        std::memcpy(file.data() + end, images[i].data, images[i].size);
        end += images[i].size;
    }
    return 0;
}

DWORD WriteNewFile(const wchar_t* path, const std::vector<BYTE>& bytes)
{
    UniqueKernelHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        DWORD error = GetLastError();
        if (error == 0)
            error = ERROR_WRITE_FAULT;
        file.Reset();
        DeleteFileW(path);
        return error;
    }
    return 0;
}

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

} // namespace

BOOL CALLBACK EnumIconGroupProc(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    auto* record = reinterpret_cast<IconGroupEnumRecord*>(param);
    if (record->counter++ != record->wantedPosition)
        return TRUE;
    record->found = true;
    if (IS_INTRESOURCE(name)) {
        record->id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
        record->name[0] = L'\0';
    } else {
        record->id = 0;
        wcsncpy(record->name, name, std::size(record->name) - 1);
        record->name[std::size(record->name) - 1] = L'\0';
    }
    return FALSE;
}

bool ExtractIconGroupToIcoFile(const wchar_t* groupName, IconGroupEnumRecord* record, const wchar_t* modulePath,
                               const wchar_t* targetPath)
{
    if (!modulePath || !targetPath)
        return Fail(ERROR_INVALID_PARAMETER);
    UniqueModule module(
        LoadLibraryExW(modulePath, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module)
        return Fail(GetLastError());

    IconGroupEnumRecord first;
    if (!groupName) {
        IconGroupEnumRecord& search = record ? *record : first;
        search.counter = 0;
        search.found = false;
        EnumResourceNamesW(module.Get(), RT_GROUP_ICON, EnumIconGroupProc, reinterpret_cast<LONG_PTR>(&search));
        search.counter = 0;
        if (!search.found)
            return Fail(ERROR_RESOURCE_NAME_NOT_FOUND);
        groupName = search.Name();
    }

    std::vector<BYTE> file;
    DWORD error = 0;
    try {
        error = BuildIcoFile(module.Get(), groupName, file);
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::length_error&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (error == 0)
        error = WriteNewFile(targetPath, file);
    return error == 0 ? true : Fail(error);
}
