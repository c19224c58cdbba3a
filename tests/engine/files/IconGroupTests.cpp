#include "engine/files/IconGroup.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

struct IcoImage {
    Bytes entry;   // the first 8 bytes of its directory entry: size, colours, planes, bit count
    Bytes data;
};

uint16_t Word(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t Dword(const Bytes& b, size_t at) { return Word(b, at) | (static_cast<uint32_t>(Word(b, at + 2)) << 16); }

// Reads an .ico file; fails the test with the reason when the layout is wrong.
std::vector<IcoImage> ParseIco(const Bytes& file)
{
    std::vector<IcoImage> images;
    if (file.size() < 6 || Word(file, 0) != 0 || Word(file, 2) != 1) {
        ADD_FAILURE() << "not an icon file: " << testsupport::Hex(file);
        return images;
    }
    const uint16_t count = Word(file, 4);
    for (uint16_t i = 0; i < count; ++i) {
        const size_t at = 6 + size_t(i) * 16;
        const uint32_t size = Dword(file, at + 8);
        const uint32_t offset = Dword(file, at + 12);
        if (at + 16 > file.size() || offset + uint64_t(size) > file.size()) {
            ADD_FAILURE() << "entry " << i << " points past the end";
            return images;
        }
        images.push_back({Bytes(file.begin() + at, file.begin() + at + 8),
                          Bytes(file.begin() + offset, file.begin() + offset + size)});
    }
    return images;
}

Bytes ReadFile(const CString& path)
{
    Bytes bytes;
    EXPECT_TRUE(testsupport::ReadAllBytes(path, bytes)) << "cannot read " << path.GetString();
    return bytes;
}

// Checks the written layout exactly: header, entries, 16 zero bytes, images back to back in
// entry order, and the images equal to those of the source icon file.
void ExpectIcoOf(const CString& written, const CString& sourceIco)
{
    const Bytes file = ReadFile(written);
    const std::vector<IcoImage> expected = ParseIco(ReadFile(sourceIco));
    const std::vector<IcoImage> actual = ParseIco(file);
    ASSERT_EQ(expected.size(), actual.size());
    size_t end = 6 + expected.size() * 16;
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(0, file[end + i]) << "gap byte " << i << " is not zero";
    end += 16;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].entry, actual[i].entry) << "entry " << i;
        EXPECT_EQ(end, Dword(file, 6 + i * 16 + 12)) << "image " << i << " is not where the previous one ends";
        EXPECT_TRUE(expected[i].data == actual[i].data) << "image " << i << " differs from the source";
        end += expected[i].data.size();
    }
    EXPECT_EQ(end, file.size()) << "bytes after the last image";
}

TEST(ExtractIconGroupToIcoFile, WritesTheGroupOfEitherArchitecture)
{
    testsupport::ScratchFolder scratch;
    const CString appIco = testsupport::FixturePath(L"icons/app.ico");
    for (const wchar_t* fixture : {L"resources-x86_64.exe", L"resources-i686.exe"}) {
        SCOPED_TRACE(testing::Message() << fixture);
        const CString module = testsupport::FixturePath(fixture);
        const CString target = scratch / L"byid.ico";
        ASSERT_TRUE(ExtractIconGroupToIcoFile(MAKEINTRESOURCEW(1), nullptr, module, target)) << GetLastError();
        ExpectIcoOf(target, appIco);

        ASSERT_TRUE(ExtractIconGroupToIcoFile(L"SECOND", nullptr, module, scratch / L"byname.ico"));
        ExpectIcoOf(scratch / L"byname.ico", testsupport::FixturePath(L"icons/second.ico"));
    }
}

TEST(ExtractIconGroupToIcoFile, PicksAGroupByPosition)
{
    testsupport::ScratchFolder scratch;
    const CString module = testsupport::FixturePath(L"resources-x86_64.exe");

    IconGroupEnumRecord record;
    ASSERT_TRUE(ExtractIconGroupToIcoFile(nullptr, &record, module, scratch / L"first.ico"));
    EXPECT_TRUE(record.found);
    EXPECT_STREQ(L"SECOND", record.name) << "text names come first in enumeration order";
    EXPECT_EQ(0, record.counter) << "the counter is reset for the next search";
    ExpectIcoOf(scratch / L"first.ico", testsupport::FixturePath(L"icons/second.ico"));

    record = IconGroupEnumRecord{};
    record.wantedPosition = 1;
    ASSERT_TRUE(ExtractIconGroupToIcoFile(nullptr, &record, module, scratch / L"second.ico"));
    EXPECT_EQ(1, record.id);
    EXPECT_STREQ(L"", record.name);
    ExpectIcoOf(scratch / L"second.ico", testsupport::FixturePath(L"icons/app.ico"));

    ASSERT_TRUE(ExtractIconGroupToIcoFile(nullptr, nullptr, module, scratch / L"default.ico"));
    EXPECT_EQ(ReadFile(scratch / L"first.ico"), ReadFile(scratch / L"default.ico")) << "no record: the first group";
}

// A copy of the console fixture with icon resources written by the test, so that groups can say
// things that no resource compiler would write.
class IconModule {
public:
    explicit IconModule(const CString& path) : m_path(path)
    {
        EXPECT_TRUE(CopyFileW(testsupport::FixturePath(L"console-x86_64.exe"), path, FALSE));
        const Bytes ico = ReadFile(testsupport::FixturePath(L"icons/app.ico"));
        m_images = ParseIco(ico);
        m_update = BeginUpdateResourceW(path, FALSE);
        EXPECT_NE(nullptr, m_update) << GetLastError();
        for (size_t i = 0; i < m_images.size(); ++i)
            Add(RT_ICON, static_cast<WORD>(i + 1), m_images[i].data);
    }

    // A group with the given count in its header, one entry per id, each claiming byteCount
    // bytes (0: the real size).
    void AddGroup(WORD groupId, WORD headerCount, std::vector<WORD> ids, uint32_t byteCount = 0)
    {
        Bytes group{0, 0, 1, 0, static_cast<uint8_t>(headerCount), static_cast<uint8_t>(headerCount >> 8)};
        for (WORD id : ids) {
            const IcoImage& image = m_images[(id - 1) % m_images.size()];
            group.insert(group.end(), image.entry.begin(), image.entry.end());
            const uint32_t size = byteCount ? byteCount : static_cast<uint32_t>(image.data.size());
            for (int shift = 0; shift < 32; shift += 8)
                group.push_back(static_cast<uint8_t>(size >> shift));
            group.push_back(static_cast<uint8_t>(id));
            group.push_back(static_cast<uint8_t>(id >> 8));
        }
        Add(RT_GROUP_ICON, groupId, group);
    }

    bool Commit() { return EndUpdateResourceW(std::exchange(m_update, nullptr), FALSE); }

private:
    void Add(const wchar_t* type, WORD id, const Bytes& data)
    {
        EXPECT_TRUE(UpdateResourceW(m_update, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                    const_cast<uint8_t*>(data.data()), static_cast<DWORD>(data.size())));
    }

    CString m_path;
    std::vector<IcoImage> m_images;
    HANDLE m_update = nullptr;
};

TEST(ExtractIconGroupToIcoFile, TrustsNoSizeThatTheModuleStates)
{
    testsupport::ScratchFolder scratch;
    const CString module = scratch / L"icons.exe";
    IconModule icons(module);
    icons.AddGroup(7, 4, {1, 2, 3, 4});
    icons.AddGroup(8, 9, {1, 2, 3, 4});                 // the header counts more entries than there are
    icons.AddGroup(9, 4, {1, 2, 3, 4}, 0x7FFFFFF0u);    // every entry claims far more than its image
    icons.AddGroup(10, 2, {1, 99});                     // the second image does not exist
    ASSERT_TRUE(icons.Commit()) << GetLastError();

    ASSERT_TRUE(ExtractIconGroupToIcoFile(MAKEINTRESOURCEW(7), nullptr, module, scratch / L"7.ico")) << GetLastError();
    ExpectIcoOf(scratch / L"7.ico", testsupport::FixturePath(L"icons/app.ico"));

    ASSERT_TRUE(ExtractIconGroupToIcoFile(MAKEINTRESOURCEW(9), nullptr, module, scratch / L"9.ico")) << GetLastError();
    ExpectIcoOf(scratch / L"9.ico", testsupport::FixturePath(L"icons/app.ico"));

    SetLastError(0);
    EXPECT_FALSE(ExtractIconGroupToIcoFile(MAKEINTRESOURCEW(8), nullptr, module, scratch / L"8.ico"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    EXPECT_FALSE(testsupport::FileExists(scratch / L"8.ico"));

    SetLastError(0);
    EXPECT_FALSE(ExtractIconGroupToIcoFile(MAKEINTRESOURCEW(10), nullptr, module, scratch / L"10.ico"));
    EXPECT_NE(0u, GetLastError());
    EXPECT_FALSE(testsupport::FileExists(scratch / L"10.ico"));
}

TEST(ExtractIconGroupToIcoFile, ReportsFailuresThroughTheLastError)
{
    testsupport::ScratchFolder scratch;
    const CString resources = testsupport::FixturePath(L"resources-x86_64.exe");
    struct Case {
        const char* name;
        const wchar_t* group;
        int position;
        CString module;
        CString target;
        DWORD expected; // 0: any error
    } cases[] = {
        {"missing module", nullptr, 0, scratch / L"missing.exe", scratch / L"a.ico", 0},
        {"module without icons", nullptr, 0, testsupport::FixturePath(L"console-x86_64.exe"), scratch / L"b.ico",
         ERROR_RESOURCE_NAME_NOT_FOUND},
        {"position past the last group", nullptr, 2, resources, scratch / L"c.ico", ERROR_RESOURCE_NAME_NOT_FOUND},
        {"unknown group id", MAKEINTRESOURCEW(77), 0, resources, scratch / L"d.ico", 0},
        {"target folder missing", MAKEINTRESOURCEW(1), 0, resources, scratch / L"no\\e.ico", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        IconGroupEnumRecord record;
        record.wantedPosition = c.position;
        SetLastError(0);
        EXPECT_FALSE(ExtractIconGroupToIcoFile(c.group, &record, c.module, c.target)) << c.name;
        const DWORD error = GetLastError();
        if (c.expected)
            EXPECT_EQ(c.expected, error) << c.name;
        else
            EXPECT_NE(0u, error) << c.name;
        EXPECT_FALSE(testsupport::FileExists(c.target)) << c.name;
    }
}

} // namespace
