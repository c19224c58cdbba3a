// msi_bench PROGRAMFOLDER OUT.msi LISTFILE: builds a package with one repackaged project holding
// the files named in the list (one UTF-8 path per line) in one folder under ProgramFilesFolder,
// with its files in a cabinet, and prints "<bytes> <seconds>" of the result. The program folder
// holds schema.bin and velt.bin.

#include "engine/msi/MsiTools.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

CString Widen(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), n);
    return CString(wide.c_str());
}

class QuietOutput : public IOutputSink {
public:
    void Clear() override {}
    LRESULT AppendLine(const wchar_t* line) override
    {
        last = line;
        return 0;
    }
    CString last;
};

CFileEntry Entry(int kind, const CString& path)
{
    CFileEntry entry;
    entry.m_kind = kind;
    entry.m_path = path;
    return entry;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: msi_bench PROGRAMFOLDER OUT.msi LISTFILE\n");
        return 2;
    }
    const CString output = argv[2];
    const int slash = output.ReverseFind(L'\\');
    CProjectSettings package;
    package.m_productName = L"Tarnwick Bench";
    package.m_productVersion = L"1.0.0";
    package.m_productCode = L"{0B3E5C2A-6F41-4D8B-9C2E-7A1D3F5B9E10}";
    package.m_companyName = L"Morvalund";
    package.m_outputFolder = output.Left(slash);
    package.m_outputFileName = output.Mid(slash + 1);
    CFeature project;
    project.m_name = L"Bench";
    project.m_conversionMode = CFeature::modeRepackage;
    project.m_files.Add(Entry(CFileEntry::kindRoot, L"ProgramFilesFolder\\"));
    project.m_files.Add(Entry(CFileEntry::kindFolder, L"ProgramFilesFolder\\Bench\\"));
    std::ifstream list(argv[3]);
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const CString source = Widen(line);
        CFileEntry file = Entry(CFileEntry::kindFile, L"ProgramFilesFolder\\Bench\\" + source.Mid(source.ReverseFind(L'\\') + 1));
        file.m_sourcePath = source;
        if (file.ReadFileAttributes() != 0) {
            std::fwprintf(stderr, L"cannot read %ls\n", source.GetString());
            return 1;
        }
        project.m_files.Add(file);
    }
    package.m_projects.Add(project);

    QuietOutput lines;
    MsiBuildOptions options;
    options.programFolder = CString(argv[1]) + L"\\";
    options.output = &lines;
    const auto start = std::chrono::steady_clock::now();
    int result = 0;
    {
        CMsiTools builder(&package, options);
        result = builder.BuildPackage();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result != 0) {
        std::fwprintf(stderr, L"build failed (%d): %ls\n", result, lines.last.GetString());
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(output, GetFileExInfoStandard, &data);
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    std::printf("%llu %.3f\n", size, seconds);
    return 0;
}
