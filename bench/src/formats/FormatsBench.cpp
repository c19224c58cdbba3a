// Saves and loads a package with one project of 20,000 file entries and 20,000 registry entries
// through the enciphered package-file layer, and reports the package file's MB/s and entries per
// second each way. The last line, "package load MB/s: <x>", is the figure to watch. Two more lines
// split the load in its halves: the file layer alone (reading and deciphering every unit) and the
// records alone (parsing the plain stream from memory).
#include "engine/storage/Aes.h"
#include "engine/storage/FileEx.h"
#include "engine/storage/PackageFile.h"

#include "framework/Archive.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Sizes of the measured package and the number of timed rounds (the best round counts, so that
// a cold file cache or a busy machine does not decide the figure).
constexpr int kFileEntries = 20000;
constexpr int kRegistryEntries = 20000;
constexpr int kRounds = 5;

CProjectSettings MakePackage()
{
    CProjectSettings package;
    package.m_productName = L"Benchmark";
    CFeature project;
    project.m_name = L"Large project";
    for (int i = 0; i < kFileEntries; ++i) {
        CFileEntry file;
        file.m_kind = CFileEntry::kindFile;
        file.m_path.Format(L"ProgramFilesFolder\\Vendor\\Product\\folder%03d\\file%05d.dll", i % 500, i);
        file.m_sourcePath.Format(L"C:\\build\\output\\folder%03d\\file%05d.dll", i % 500, i);
        file.m_fileSize = 1000 + i;
        project.m_files.Add(file);
    }
    for (int i = 0; i < kRegistryEntries; ++i) {
        CRegistryEntry value;
        value.m_kind = CRegistryEntry::kindValue;
        value.m_keyPath.Format(L"HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product\\Key%04d", i % 1000);
        value.m_valueName.Format(L"Value%05d", i);
        value.m_value.Format(L"Data of value %d", i);
        project.m_registry.Add(value);
    }
    package.m_projects.Add(project);
    return package;
}

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

CString TempPackagePath()
{
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    CString path(folder, static_cast<int>(length));
    return path + L"tarnwick-bench-formats.tkpj";
}

// Seconds to read and decipher the whole file through CFileEx, as the loading archive asks for it.
double DecipherSeconds(const CString& path)
{
    AesContext context;
    if (AesInitContext(&context, kAesDecipher) != 0)
        return 0;
    CFileEx file;
    file.m_readFilter = DecryptReadBuffer;
    file.m_readContext = &context;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return 0;
    std::vector<BYTE> buffer(kFileExUnitBytes);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    while (file.Read(buffer.data(), kFileExUnitBytes) > 0) {
    }
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

// Seconds to parse the package's plain stream from memory.
double ParseSeconds(CProjectSettings& package)
{
    CMemFile stored;
    {
        CArchive ar(&stored, CArchive::store, kStoringBufferBytes);
        (void)package.Serialize(ar);
        ar.Close();
    }
    CMemFile plain(stored.Data().data(), static_cast<UINT>(stored.Data().size()));
    CProjectSettings loaded;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    CArchive ar(&plain, CArchive::load, kLoadingBufferBytes);
    (void)loaded.Serialize(ar);
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

} // namespace

int main()
{
    CProjectSettings package = MakePackage();
    const CString path = TempPackagePath();
    const double entries = kFileEntries + kRegistryEntries;

    double bestSave = 1e9, bestLoad = 1e9, bestDecipher = 1e9, bestParse = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        if (SavePackageFile(path, package) != 1) {
            std::printf("cannot save %ls\n", path.GetString());
            return 1;
        }
        QueryPerformanceCounter(&end);
        bestSave = std::min(bestSave, Seconds(start, end));

        CProjectSettings loaded;
        QueryPerformanceCounter(&start);
        if (LoadPackageFile(path, loaded) != 1) {
            std::printf("cannot load %ls\n", path.GetString());
            return 1;
        }
        QueryPerformanceCounter(&end);
        bestLoad = std::min(bestLoad, Seconds(start, end));
        bestDecipher = std::min(bestDecipher, DecipherSeconds(path));
        bestParse = std::min(bestParse, ParseSeconds(package));
        if (loaded.m_projects.GetSize() != 1 || loaded.m_projects[0].m_files.GetSize() != kFileEntries) {
            std::printf("the package did not load whole\n");
            return 1;
        }
    }

    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path, GetFileExInfoStandard, &data);
    DeleteFileW(path);
    const double megabytes = static_cast<double>(data.nFileSizeLow) / 1e6;

    std::printf("package file: %.2f MB, %d file entries, %d registry entries (best of %d rounds)\n", megabytes,
                kFileEntries, kRegistryEntries, kRounds);
    std::printf("package save: %.1f ms, %.1f MB/s, %.0f entries/s\n", bestSave * 1e3, megabytes / bestSave,
                entries / bestSave);
    std::printf("package load: %.1f ms, %.1f MB/s, %.0f entries/s\n", bestLoad * 1e3, megabytes / bestLoad,
                entries / bestLoad);
    std::printf("  of which file layer alone: %.1f ms, %.1f MB/s\n", bestDecipher * 1e3, megabytes / bestDecipher);
    std::printf("  of which records from memory: %.1f ms, %.1f MB/s\n", bestParse * 1e3, megabytes / bestParse);
    std::printf("package load MB/s: %.1f\n", megabytes / bestLoad);
    return 0;
}
