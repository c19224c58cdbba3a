// The cabinet writer's own behaviour: temporary names, parameter checks and their codes and
// texts, the size limit, the thread rule, stored times and attributes, and failures that must
// never leave a cabinet that looks complete.

#include "engine/cabinet/Compress.h"
#include "tests/engine/cabinet/CabinetCheck.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <winioctl.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace testsupport;
using Cabinet::CCompress;

namespace {

CString SystemText(DWORD error)
{
    wchar_t text[2000] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, 2000, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n'))
        text[--length] = L'\0';
    return text;
}

std::vector<CString> TempFilesIn(const CString& folder)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(folder + L"\\CabTmp_*", &data));
    if (find) {
        do
            names.push_back(data.cFileName);
        while (FindNextFileW(find.Get(), &data));
    }
    return names;
}

bool HasCabinetHeader(const CString& path)
{
    std::vector<uint8_t> bytes;
    return ReadAllBytes(path, bytes) && bytes.size() >= 4 && std::memcmp(bytes.data(), "MSCF", 4) == 0;
}

// A writer whose file operations record what they open and can fail on purpose, the way a full
// disk or a failing source would.
class ProbeCompress : public CCompress {
public:
    std::vector<std::wstring> opened;
    std::wstring failWritesTo;     // writes to a file whose path ends so fail with a full disk
    std::wstring failReadsFrom;    // reads from such a file fail after the first chunk
    int takeTempNames = 0;         // this many temporary names are created by "another process"
                                   // between their hand-out and their open

    INT_PTR FileOpen(const wchar_t* path, int openFlags, int mode, int* error) override
    {
        opened.push_back(path);
        if (takeTempNames > 0 && std::wstring(path).find(L"CabTmp_") != std::wstring::npos) {
            --takeTempNames;
            UniqueKernelHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        }
        const INT_PTR file = CCompress::FileOpen(path, openFlags, mode, error);
        if (EndsWith(path, failWritesTo))
            m_failWrite = file;
        if (EndsWith(path, failReadsFrom))
            m_failRead = file;
        return file;
    }
    UINT FileWrite(INT_PTR file, const void* buffer, UINT count, int* error) override
    {
        if (file == m_failWrite && file != -1) {
            *error = ERROR_DISK_FULL;
            return static_cast<UINT>(-1);
        }
        return CCompress::FileWrite(file, buffer, count, error);
    }
    UINT FileRead(INT_PTR file, void* buffer, UINT count, int* error) override
    {
        if (file == m_failRead && file != -1 && m_readsDone++ > 0) {
            *error = ERROR_READ_FAULT;
            return static_cast<UINT>(-1);
        }
        return CCompress::FileRead(file, buffer, count, error);
    }

private:
    static bool EndsWith(const std::wstring& text, const std::wstring& end)
    {
        return !end.empty() && text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    }
    INT_PTR m_failWrite = -2;
    INT_PTR m_failRead = -2;
    int m_readsDone = 0;
};

void WriteText(const CString& path, size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>("cabinet writer test "[i % 20]);
    ASSERT_TRUE(WriteAllBytes(path, bytes));
}

// A file of the given size that takes no disk space.
bool MakeSparseFile(const CString& path, uint64_t size)
{
    UniqueKernelHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    DWORD returned = 0;
    DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
}

} // namespace

TEST(CabinetWriter, TemporaryNamesCarryInstanceAndCounterAndSkipNamesInUse)
{
    ScratchFolder scratch;
    ProbeCompress first;
    CCompress second;
    EXPECT_EQ(first.GetInstance() + 1, second.GetInstance()) << "each writer takes the next instance number";
    ASSERT_TRUE(first.SetTempFolder(scratch / L"temp"));   // created on the way

    CString taken;
    taken.Format(L"%s\\temp\\CabTmp_%02X_01", scratch.Path().GetString(), first.GetInstance());
    ASSERT_TRUE(WriteAllBytes(taken, {}));

    WriteText(scratch / L"a.txt", 1000);
    ASSERT_TRUE(first.CreateCabinet(scratch / L"out\\made.cab"));
    ASSERT_TRUE(first.AddFile(scratch / L"a.txt", L"a.txt"));
    ASSERT_TRUE(first.FlushAndClose()) << Utf8(first.GetErrorText());

    CString expected2, expected3;
    expected2.Format(L"%s\\temp\\CabTmp_%02X_02", scratch.Path().GetString(), first.GetInstance());
    expected3.Format(L"%s\\temp\\CabTmp_%02X_03", scratch.Path().GetString(), first.GetInstance());
    ASSERT_GE(first.opened.size(), 2u);
    EXPECT_EQ(std::wstring(expected2.GetString()), first.opened[0]);
    EXPECT_EQ(std::wstring(expected3.GetString()), first.opened[1]);

    const std::vector<CString> left = TempFilesIn(scratch / L"temp");
    ASSERT_EQ(1u, left.size()) << "only the name that was already in use stays";
    EXPECT_TRUE(HasCabinetHeader(scratch / L"out\\made.cab"));
}

TEST(CabinetWriter, TemporaryNameTakenBeforeItsOpenIsReplacedByTheNext)
{
    // Writers in other processes use the same names in a shared temporary folder.
    ScratchFolder scratch;
    ProbeCompress writer;
    writer.takeTempNames = 3;
    ASSERT_TRUE(writer.SetTempFolder(scratch / L"temp"));
    WriteText(scratch / L"a.txt", 5000);
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"made.cab")) << Utf8(writer.GetErrorText());
    ASSERT_TRUE(writer.AddFile(scratch / L"a.txt", L"a.txt"));
    ASSERT_TRUE(writer.FlushAndClose()) << Utf8(writer.GetErrorText());
    EXPECT_TRUE(HasCabinetHeader(scratch / L"made.cab"));
    EXPECT_EQ(3u, TempFilesIn(scratch / L"temp").size()) << "only the other process's files stay";
}

TEST(CabinetWriter, FirstWriterOfTheProcessIsInstanceOne)
{
    // Each test runs in a process of its own under CTest; run alone, the first writer is 1.
    if (::testing::UnitTest::GetInstance()->test_to_run_count() != 1)
        GTEST_SKIP() << "other writers of this process came first";
    CCompress writer;
    EXPECT_EQ(1u, writer.GetInstance());
}

const wchar_t* const kInvalidParameters = L"Invalid parameters passed to compression function. Read the documentation!";
const wchar_t* const kPathTooLong =
    L"The path is too long. (Max 250 Ansii characters or approx 100 Unicode characters).";
const wchar_t* const kNameAboveAscii = L"The name of the CAB file must never contain characters above ASCII 127.";
const wchar_t* const kFolderNotCreated = L"Could not create the directory where to save the CAB file.";

struct BadCabinetPath {
    const char* title;
    std::wstring (*path)(const ScratchFolder&);
    DWORD code;
    const wchar_t* text;   // what the error text begins with
};

const BadCabinetPath kBadCabinetPaths[] = {
    {"no folder part", [](const ScratchFolder&) { return std::wstring(L"plain.cab"); }, 1001, kInvalidParameters},
    {"no name", [](const ScratchFolder& s) { return std::wstring((s / L"dir\\").GetString()); }, 1001, kInvalidParameters},
    {"name under three characters", [](const ScratchFolder& s) { return std::wstring((s / L"ab").GetString()); }, 1001, kInvalidParameters},
    {"name above ASCII", [](const ScratchFolder& s) { return std::wstring((s / L"caf\u00e9.cab").GetString()); }, 1007, kNameAboveAscii},
    {"folder beyond FCI's 256 bytes", [](const ScratchFolder& s) { return std::wstring((s / (std::wstring(60, L'\u00e9') + L"\\" + std::wstring(60, L'\u00e8') + L"\\x.cab").c_str()).GetString()); }, 1003, kPathTooLong},
    {"folder under a file", [](const ScratchFolder& s) { return std::wstring((s / L"file\\x.cab").GetString()); }, 1002, kFolderNotCreated},
};

TEST(CabinetWriter, BadCabinetPathsAreRefusedWithTheirCodeAndText)
{
    for (const BadCabinetPath& row : kBadCabinetPaths) {
        ScratchFolder scratch;
        WriteText(scratch / L"file", 10);
        CCompress writer;
        EXPECT_FALSE(writer.CreateCabinet(row.path(scratch).c_str())) << row.title;
        EXPECT_EQ(row.code, writer.GetOwnError()) << row.title << ": " << Utf8(writer.GetErrorText());
        EXPECT_EQ(0, CString(writer.GetErrorText()).Find(row.text)) << row.title << ": " << Utf8(writer.GetErrorText());
        EXPECT_TRUE(writer.FlushAndClose()) << row.title << ": nothing is open";
    }
}

TEST(CabinetWriter, SecondCabinetWhileOneIsOpenIsRefused)
{
    ScratchFolder scratch;
    CCompress writer;
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"one.cab"));
    EXPECT_FALSE(writer.CreateCabinet(scratch / L"two.cab"));
    EXPECT_EQ(1001u, writer.GetOwnError());
    EXPECT_TRUE(writer.FlushAndClose());
    // A closed writer can make another cabinet.
    EXPECT_TRUE(writer.CreateCabinet(scratch / L"two.cab"));
}

TEST(CabinetWriter, MissingSourceGivesCodeOneWithTheSystemText)
{
    ScratchFolder scratch;
    CCompress writer;
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"out.cab"));
    EXPECT_FALSE(writer.AddFile(scratch / L"absent.txt", L"absent.txt"));
    EXPECT_EQ(1u, writer.GetOwnError());
    EXPECT_EQ(2u, writer.GetWindowsError());
    const CString expected = CString(L"Failure opening file to be stored in cabinet\nError 2: ") + SystemText(2);
    EXPECT_STREQ(expected.GetString(), writer.GetErrorText());
    EXPECT_NE(0, SystemText(2).GetLength()) << "the system has a text for error 2";
}

TEST(CabinetWriter, BadSourcesAndNamesAreRefused)
{
    ScratchFolder scratch;
    WriteText(scratch / L"a.txt", 100);
    CreateDirectoryW(scratch / L"folder", nullptr);
    CCompress writer;
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"out.cab"));

    EXPECT_FALSE(writer.AddFile(scratch / L"folder", L"folder"));
    EXPECT_EQ(1u, writer.GetOwnError()) << "a folder is not a file";

    {
        // Another program holds the file without sharing it.
        UniqueKernelHandle locked(CreateFileW(scratch / L"a.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locked.IsValid());
        EXPECT_FALSE(writer.AddFile(scratch / L"a.txt", L"a.txt"));
        EXPECT_EQ(1u, writer.GetOwnError()) << "unreadable source";
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), writer.GetWindowsError());
    }

    EXPECT_FALSE(writer.AddFile(scratch / L"a.txt", L""));
    EXPECT_EQ(1001u, writer.GetOwnError()) << "empty name";

    EXPECT_FALSE(writer.AddFile(scratch / L"a.txt", std::wstring(256, L'n').c_str()));
    EXPECT_EQ(1003u, writer.GetOwnError()) << "name longer than a cabinet keeps";

    EXPECT_FALSE(writer.AddFile(nullptr, L"x"));
    EXPECT_EQ(1u, writer.GetOwnError()) << "no source path";

    // The writer still works after refusals.
    ASSERT_TRUE(writer.AddFile(scratch / L"a.txt", L"a.txt"));
    ASSERT_TRUE(writer.FlushAndClose());
    const cabinettest::Layout layout = cabinettest::ReadLayout(scratch / L"out.cab");
    ASSERT_TRUE(layout.valid) << layout.problem;
    ASSERT_EQ(1u, layout.files.size());
    EXPECT_EQ("a.txt", layout.files[0].name);
}

TEST(CabinetWriter, SizeLimitIsExactAndTheLargestFileRoundTrips)
{
    ScratchFolder scratch;
    ASSERT_TRUE(MakeSparseFile(scratch / L"over.bin", CCompress::kMaxFileSize + 1));
    ASSERT_TRUE(MakeSparseFile(scratch / L"limit.bin", CCompress::kMaxFileSize));

    CCompress writer;
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"big.cab"));
    EXPECT_FALSE(writer.AddFile(scratch / L"over.bin", L"over.bin"));
    EXPECT_EQ(1006u, writer.GetOwnError());
    EXPECT_STREQ(L"Cabinet.dll does not support compressing files bigger than 2 GB.", writer.GetErrorText());

    ASSERT_TRUE(writer.AddFile(scratch / L"limit.bin", L"limit.bin")) << Utf8(writer.GetErrorText());
    ASSERT_TRUE(writer.FlushAndClose()) << Utf8(writer.GetErrorText());

    const cabinettest::Layout layout = cabinettest::ReadLayout(scratch / L"big.cab");
    ASSERT_TRUE(layout.valid) << layout.problem;
    ASSERT_EQ(1u, layout.files.size());
    EXPECT_EQ(CCompress::kMaxFileSize, layout.files[0].size);
    EXPECT_EQ(CCompress::kMaxFileSize / 32768, layout.blocks.size());
    if (cabinettest::HaveCabextract()) {
        EXPECT_EQ(0, cabinettest::RunCabextract(L"-q -t", scratch / L"big.cab", scratch.Path()))
            << "cabextract -t of the largest file";
    }
}

TEST(CabinetWriter, OtherThreadsAreRefusedAndLeaveTheCabinetAlone)
{
    ScratchFolder scratch;
    WriteText(scratch / L"a.txt", 5000);
    CCompress writer;
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"out.cab"));
    ASSERT_TRUE(writer.AddFile(scratch / L"a.txt", L"a.txt"));

    BOOL results[4] = {TRUE, TRUE, TRUE, TRUE};
    DWORD codes[4] = {};
    std::thread other([&] {
        results[0] = writer.SetTempFolder(scratch / L"t");
        codes[0] = writer.GetOwnError();
        results[1] = writer.CreateCabinet(scratch / L"other.cab");
        codes[1] = writer.GetOwnError();
        results[2] = writer.AddFile(scratch / L"a.txt", L"b.txt");
        codes[2] = writer.GetOwnError();
        results[3] = writer.FlushAndClose();
        codes[3] = writer.GetOwnError();
    });
    other.join();
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(results[i]) << "call " << i;
        EXPECT_EQ(1005u, codes[i]) << "call " << i;
    }
    EXPECT_STREQ(L"Cabinet.dll does not support calling the same CAB context from two different threads.",
                 writer.GetErrorText());
    EXPECT_FALSE(FileExists(scratch / L"out.cab")) << "the refused flush wrote nothing";
    EXPECT_FALSE(FileExists(scratch / L"t"));

    ASSERT_TRUE(writer.FlushAndClose());
    const cabinettest::Layout layout = cabinettest::ReadLayout(scratch / L"out.cab");
    ASSERT_TRUE(layout.valid) << layout.problem;
    ASSERT_EQ(1u, layout.files.size()) << "the other thread's file was not added";
}

TEST(CabinetWriter, DestroyedOnAnotherThreadItLeavesNoTemporaryFiles)
{
    ScratchFolder scratch;
    WriteText(scratch / L"a.txt", 5000);
    auto* writer = new CCompress;
    ASSERT_TRUE(writer->SetTempFolder(scratch / L"temp"));
    ASSERT_TRUE(writer->CreateCabinet(scratch / L"out.cab"));
    ASSERT_TRUE(writer->AddFile(scratch / L"a.txt", L"a.txt"));
    EXPECT_EQ(2u, TempFilesIn(scratch / L"temp").size());
    std::thread other([&] { delete writer; });
    other.join();
    EXPECT_TRUE(TempFilesIn(scratch / L"temp").empty());
    EXPECT_FALSE(FileExists(scratch / L"out.cab"));
}

TEST(CabinetWriter, StoresUtcTimeAndTheKeptAttributes)
{
    ScratchFolder scratch;
    const CString path = scratch / L"dated.txt";
    WriteText(path, 100);
    SYSTEMTIME utc{2021, 6, 2, 15, 13, 45, 30, 0};
    FILETIME when;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &when));
    {
        UniqueKernelHandle file(CreateFileW(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &when));
    }
    ASSERT_TRUE(SetFileAttributesW(path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));

    CCompress writer;
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"out.cab"));
    ASSERT_TRUE(writer.AddFile(path, L"dated.txt"));
    ASSERT_TRUE(writer.FlushAndClose());
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);

    const cabinettest::Layout layout = cabinettest::ReadLayout(scratch / L"out.cab");
    ASSERT_TRUE(layout.valid) << layout.problem;
    ASSERT_EQ(1u, layout.files.size());
    EXPECT_EQ(((2021 - 1980) << 9) | (6 << 5) | 15, layout.files[0].date);
    EXPECT_EQ((13 << 11) | (45 << 5) | (30 / 2), layout.files[0].time);
    EXPECT_EQ(0x100 | 0x01 | 0x02 | 0x20, layout.files[0].attributes);
    EXPECT_EQ(100u, writer.GetUncompressedTotal());
}

TEST(CabinetWriter, FullTargetDiskGivesCodeSixAndNoCabinetHeader)
{
    ScratchFolder scratch;
    WriteText(scratch / L"a.txt", 200000);
    ProbeCompress writer;
    writer.failWritesTo = L"\\out.cab";
    ASSERT_TRUE(writer.SetTempFolder(scratch / L"temp"));
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"out.cab"));
    ASSERT_TRUE(writer.AddFile(scratch / L"a.txt", L"a.txt"));
    EXPECT_FALSE(writer.FlushAndClose());
    const CString expected = CString(L"Could not create cabinet file\nError 112: ") + SystemText(ERROR_DISK_FULL);
    EXPECT_STREQ(expected.GetString(), writer.GetErrorText());
    EXPECT_FALSE(HasCabinetHeader(scratch / L"out.cab"));
    EXPECT_TRUE(TempFilesIn(scratch / L"temp").empty());
}

// A source that fails half way is the cabinet layer's code 2 and keeps the folder from being
// written. A refusal before it leaves a code of the writer's own, which each later AddFile must
// replace by its own outcome: no old text after a success, no old code beside the new error.
TEST(CabinetWriter, SourceFailingMidwayGivesCodeTwoAndNoCabinet)
{
    ScratchFolder scratch;
    WriteText(scratch / L"first.txt", 1000);
    WriteText(scratch / L"broken.txt", 300000);
    ProbeCompress writer;
    writer.failReadsFrom = L"\\broken.txt";
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"out.cab"));
    EXPECT_FALSE(writer.AddFile(scratch / L"first.txt", L""));
    EXPECT_EQ(1001u, writer.GetOwnError()) << "empty name";
    ASSERT_TRUE(writer.AddFile(scratch / L"first.txt", L"first.txt"));
    EXPECT_STREQ(L"Success", writer.GetErrorText()) << "after a file was added";
    EXPECT_FALSE(writer.AddFile(scratch / L"broken.txt", L"broken.txt"));
    EXPECT_EQ(0u, writer.GetOwnError()) << "the failure is the cabinet layer's";
    EXPECT_EQ(2, writer.GetFciError().erfOper);
    EXPECT_TRUE(CString(writer.GetErrorText()).Find(L"Failure reading file to be stored in cabinet\nError 30: ") == 0)
        << Utf8(writer.GetErrorText());
    EXPECT_FALSE(writer.FlushAndClose()) << "a folder that lost data is not written";
    EXPECT_FALSE(HasCabinetHeader(scratch / L"out.cab"));
}

TEST(CabinetWriter, PercentSignsInTheCabinetNameAreKeptAsTyped)
{
    ScratchFolder scratch;
    WriteText(scratch / L"a.txt", 10);
    CCompress writer;
    ASSERT_TRUE(writer.CreateCabinet(scratch / L"100%s%n%d.cab"));
    ASSERT_TRUE(writer.AddFile(scratch / L"a.txt", L"a.txt"));
    ASSERT_TRUE(writer.FlushAndClose());
    EXPECT_TRUE(HasCabinetHeader(scratch / L"100%s%n1.cab")) << "only the number conversion is formatted";
}

TEST(CabinetWriter, ErrorTextsOfTheCabinetLayer)
{
    CCompress writer;
    EXPECT_STREQ(L"Success", writer.GetErrorText());
    // A cabinet cannot be created in a folder that cannot be made.
    EXPECT_FALSE(writer.CreateCabinet(L"Q:\\no-such-drive\\x\\out.cab"));
    EXPECT_EQ(1002u, writer.GetOwnError());
    EXPECT_TRUE(CString(writer.GetErrorText()).Find(L"Could not create the directory where to save the CAB file.\nError ") == 0)
        << Utf8(writer.GetErrorText());
}
