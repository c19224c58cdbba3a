// cabinet_bench OUT.cab FILE...: packs the files into one cabinet with the cabinet writer and
// prints "<bytes> <seconds>" of the result. With -list LISTFILE the files come one per line from
// a UTF-8 text file instead.

#include "engine/cabinet/Compress.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const std::string& text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), n);
    return wide;
}

std::wstring NameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: cabinet_bench OUT.cab FILE... | cabinet_bench OUT.cab -list LISTFILE\n");
        return 2;
    }
    std::vector<std::wstring> files;
    if (std::wstring(argv[2]) == L"-list" && argc > 3) {
        std::ifstream list(argv[3]);
        for (std::string line; std::getline(list, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                files.push_back(Widen(line));
        }
    } else {
        for (int i = 2; i < argc; ++i)
            files.push_back(argv[i]);
    }

    const auto start = std::chrono::steady_clock::now();
    Cabinet::CCompress writer;
    if (!writer.CreateCabinet(argv[1])) {
        std::fwprintf(stderr, L"cannot create %ls: %ls\n", argv[1], writer.GetErrorText());
        return 1;
    }
    for (const std::wstring& file : files) {
        if (!writer.AddFile(file.c_str(), NameOf(file).c_str())) {
            std::fwprintf(stderr, L"cannot add %ls: %ls\n", file.c_str(), writer.GetErrorText());
            return 1;
        }
    }
    if (!writer.FlushAndClose()) {
        std::fwprintf(stderr, L"cannot write %ls: %ls\n", argv[1], writer.GetErrorText());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(argv[1], GetFileExInfoStandard, &data);
    const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    std::printf("%llu %.3f\n", size, seconds);
    return 0;
}
