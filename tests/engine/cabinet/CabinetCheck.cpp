#include "tests/engine/cabinet/CabinetCheck.h"

#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <fdi.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace cabinettest {

namespace {

uint32_t Get16(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8);
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    return Get16(b, at) | (Get16(b, at + 2) << 16);
}

// The data block checksum, written here from the format description independently of the
// writer's own.
uint32_t Checksum(const uint8_t* p, size_t n, uint32_t seed)
{
    uint32_t sum = seed;
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        sum ^= uint32_t(p[i]) | (uint32_t(p[i + 1]) << 8) | (uint32_t(p[i + 2]) << 16) | (uint32_t(p[i + 3]) << 24);
    uint32_t tail = 0;
    for (size_t rest = n - i; i < n; ++i, --rest)
        tail |= uint32_t(p[i]) << (8 * (rest - 1));
    return sum ^ tail;
}

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

// ---- FDI callbacks: plain C runtime files ----

FNALLOC(FdiAlloc) { return malloc(cb); }
FNFREE(FdiFree) { free(pv); }
FNOPEN(FdiOpen) { return _open(pszFile, oflag, pmode); }
FNREAD(FdiRead) { return static_cast<UINT>(_read(static_cast<int>(hf), pv, cb)); }
FNWRITE(FdiWrite) { return static_cast<UINT>(_write(static_cast<int>(hf), pv, cb)); }
FNCLOSE(FdiClose) { return _close(static_cast<int>(hf)); }
FNSEEK(FdiSeek) { return _lseek(static_cast<int>(hf), dist, seektype); }

struct FdiTarget {
    std::wstring folder;
    std::string problem;
};

FNFDINOTIFY(FdiNotify)
{
    FdiTarget* target = static_cast<FdiTarget*>(pfdin->pv);
    switch (fdint) {
    case fdintCOPY_FILE: {
        std::wstring name = (pfdin->attribs & _A_NAME_IS_UTF) ? Widen(pfdin->psz1) : std::wstring(CString(pfdin->psz1).GetString());
        const std::wstring path = target->folder + L"\\" + name;
        const int file = _wopen(path.c_str(), _O_BINARY | _O_CREAT | _O_TRUNC | _O_WRONLY, _S_IREAD | _S_IWRITE);
        if (file == -1)
            target->problem = "cannot create an output file";
        return file;
    }
    case fdintCLOSE_FILE_INFO:
        _close(static_cast<int>(pfdin->hf));
        return TRUE;
    default:
        return 0;
    }
}

} // namespace

Layout ReadLayout(const wchar_t* cabinetPath)
{
    Layout layout;
    std::vector<uint8_t> b;
    if (!testsupport::ReadAllBytes(cabinetPath, b)) {
        layout.problem = "cannot read the cabinet";
        return layout;
    }
    if (b.size() < 36 || std::memcmp(b.data(), "MSCF", 4) != 0) {
        layout.problem = "no MSCF header";
        return layout;
    }
    layout.cabinetSize = Get32(b, 8);
    const uint32_t filesOffset = Get32(b, 16);
    layout.versionMinor = b[24];
    layout.versionMajor = b[25];
    const uint32_t folders = Get16(b, 26);
    const uint32_t files = Get16(b, 28);
    const uint32_t flags = Get16(b, 30);
    if (layout.cabinetSize != b.size()) {
        layout.problem = "cabinet size field " + std::to_string(layout.cabinetSize) + " but the file has " +
                         std::to_string(b.size()) + " bytes";
        return layout;
    }
    if (flags != 0) {
        layout.problem = "unexpected header flags " + std::to_string(flags);
        return layout;
    }
    size_t at = 36;
    for (uint32_t f = 0; f < folders; ++f, at += 8) {
        const uint32_t dataOffset = Get32(b, at);
        const uint32_t count = Get16(b, at + 4);
        layout.folderTypes.push_back(static_cast<uint16_t>(Get16(b, at + 6)));
        size_t d = dataOffset;
        for (uint32_t i = 0; i < count; ++i) {
            if (d + 8 > b.size()) {
                layout.problem = "data block beyond the end";
                return layout;
            }
            DataBlock block{Get32(b, d), static_cast<uint16_t>(Get16(b, d + 4)), static_cast<uint16_t>(Get16(b, d + 6)), false};
            if (d + 8 + block.compressedSize > b.size()) {
                layout.problem = "data block beyond the end";
                return layout;
            }
            const uint32_t sum = Checksum(&b[d + 4], 4, Checksum(&b[d + 8], block.compressedSize, 0));
            block.checksumMatches = sum == block.checksum;
            layout.blocks.push_back(block);
            d += 8 + block.compressedSize;
        }
    }
    at = filesOffset;
    for (uint32_t i = 0; i < files; ++i) {
        FileEntry e{Get32(b, at), Get32(b, at + 4), static_cast<uint16_t>(Get16(b, at + 8)), static_cast<uint16_t>(Get16(b, at + 10)),
                    static_cast<uint16_t>(Get16(b, at + 12)), static_cast<uint16_t>(Get16(b, at + 14)), std::string()};
        at += 16;
        while (at < b.size() && b[at] != 0)
            e.name += static_cast<char>(b[at++]);
        ++at;
        layout.files.push_back(e);
    }
    layout.valid = true;
    return layout;
}

std::string UnixPath(const wchar_t* path)
{
    using Convert = char*(CDECL*)(const wchar_t*);
    static const Convert convert =
        reinterpret_cast<Convert>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return std::string();
    char* unix = convert(path);
    if (!unix)
        return std::string();
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool HaveUnixPrograms()
{
    return !UnixPath(L"C:\\").empty();
}

bool HaveCabextract()
{
    return HaveUnixPrograms() && testsupport::FileExists(L"Z:\\usr\\bin\\cabextract");
}

namespace {

// Runs a shell command line (Unix paths quoted with ' inside it) and returns its exit code, -1
// when it could not run. The status file goes to statusFolder.
int RunShell(const std::wstring& command, const wchar_t* statusFolder)
{
    const std::string status = UnixPath(statusFolder);
    if (status.empty())
        return -1;
    // Wine cannot wait for a Unix process (the wait fails at once), so the shell writes the exit
    // code to a file, renamed into place when complete, and the test polls for it.
    const std::wstring done = std::wstring(statusFolder) + L"\\unix.status";
    DeleteFileW(done.c_str());
    const std::wstring line = L"Z:\\bin\\sh -c \"" + command + L"; echo $? > '" + Widen(status) + L"/unix.tmp' && mv '" +
                              Widen(status) + L"/unix.tmp' '" + Widen(status) + L"/unix.status'\"";
    const testsupport::ChildResult started = testsupport::RunChild(line.c_str(), 600000);
    if (!started.started)
        return -1;
    for (int waited = 0; waited < 6000; ++waited) {
        std::vector<uint8_t> text;
        if (testsupport::ReadAllBytes(done.c_str(), text) && !text.empty()) {
            DeleteFileW(done.c_str());
            return std::atoi(std::string(text.begin(), text.end()).c_str());
        }
        Sleep(100);
    }
    return -1;
}

} // namespace

int RunCabextract(const wchar_t* arguments, const wchar_t* cabinetPath, const wchar_t* statusFolder)
{
    const std::string cab = UnixPath(cabinetPath);
    if (cab.empty())
        return -1;
    return RunShell(L"/usr/bin/cabextract " + std::wstring(arguments) + L" '" + Widen(cab) + L"'", statusFolder);
}

int ExtractWithCabextract(const wchar_t* cabinetPath, const wchar_t* folder)
{
    const std::string out = UnixPath(folder);
    if (out.empty())
        return -1;
    const std::wstring arguments = L"-q -d '" + Widen(out) + L"'";
    return RunCabextract(arguments.c_str(), cabinetPath, folder);
}

int ExtractWith7Zip(const wchar_t* cabinetPath, const wchar_t* folder)
{
    const std::string cab = UnixPath(cabinetPath);
    const std::string out = UnixPath(folder);
    if (cab.empty() || out.empty())
        return -1;
    return RunShell(L"/usr/bin/7zz x -y -bso0 -bsp0 '-o" + Widen(out) + L"' '" + Widen(cab) + L"'", folder);
}

std::string ExtractWithFdi(const wchar_t* cabinetPath, const wchar_t* folder)
{
    ERF erf{};
    HFDI fdi = FDICreate(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpuUNKNOWN, &erf);
    if (!fdi)
        return "FDICreate failed";
    // FDI takes the cabinet's name and folder apart, in the ANSI code page.
    const CString path = cabinetPath;
    const int slash = path.ReverseFind(L'\\');
    const CString namePart = path.Mid(slash + 1);
    const CString folderPart = path.Left(slash + 1);
    std::string name, where;
    for (wchar_t c : namePart.View())
        name += static_cast<char>(c);
    for (wchar_t c : folderPart.View())
        where += static_cast<char>(c);
    FdiTarget target{folder, std::string()};
    const BOOL copied = FDICopy(fdi, name.data(), where.data(), 0, FdiNotify, nullptr, &target);
    FDIDestroy(fdi);
    if (!copied)
        return "FDICopy failed: operation " + std::to_string(erf.erfOper) + ", type " + std::to_string(erf.erfType);
    return target.problem;
}

} // namespace cabinettest
