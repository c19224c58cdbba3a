#include "engine/files/PeFile.h"

#include "framework/Handle.h"

namespace {

bool ReadExactly(HANDLE file, void* buffer, DWORD size)
{
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

} // namespace

bool IsPe64File(const wchar_t* path)
{
    if (!path)
        return false;
    UniqueKernelHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;

    // The DOS header, then the rest of the first 128 bytes (the stub): a file shorter than
    // that is no image worth looking at.
    IMAGE_DOS_HEADER dos{};
    BYTE stub[128 - sizeof(IMAGE_DOS_HEADER)];
    static_assert(sizeof(IMAGE_DOS_HEADER) == 64, "the DOS header is 64 bytes on every target");
    if (!ReadExactly(file.Get(), &dos, sizeof(dos)) || !ReadExactly(file.Get(), stub, sizeof(stub)))
        return false;
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0)
        return false;

    LARGE_INTEGER offset{};
    offset.QuadPart = dos.e_lfanew;
    if (!SetFilePointerEx(file.Get(), offset, nullptr, FILE_BEGIN))
        return false;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    static_assert(sizeof(IMAGE_FILE_HEADER) == 20, "the COFF file header is 20 bytes");
    if (!ReadExactly(file.Get(), &signature, sizeof(signature)) || signature != IMAGE_NT_SIGNATURE)
        return false;
    if (!ReadExactly(file.Get(), &header, sizeof(header)))
        return false;
    return header.Machine == IMAGE_FILE_MACHINE_AMD64;
}
