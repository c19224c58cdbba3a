#include "engine/files/PeFile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFixture(const wchar_t* name)
{
    Bytes bytes;
    EXPECT_TRUE(testsupport::ReadAllBytes(testsupport::FixturePath(name), bytes)) << "missing fixture";
    return bytes;
}

uint32_t HeaderOffset(const Bytes& image)
{
    uint32_t offset = 0;
    std::memcpy(&offset, image.data() + 0x3C, sizeof(offset));
    return offset;
}

void SetWord(Bytes& image, size_t at, uint16_t value) { std::memcpy(image.data() + at, &value, sizeof(value)); }
void SetDword(Bytes& image, size_t at, uint32_t value) { std::memcpy(image.data() + at, &value, sizeof(value)); }

TEST(IsPe64File, TellsTheTwoArchitecturesApart)
{
    EXPECT_TRUE(IsPe64File(testsupport::FixturePath(L"console-x86_64.exe")));
    EXPECT_FALSE(IsPe64File(testsupport::FixturePath(L"console-i686.exe")));
    wchar_t self[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, MAX_PATH));
    EXPECT_EQ(sizeof(void*) == 8, IsPe64File(self)) << "the running test program itself";
}

TEST(IsPe64File, RejectsWhatCannotBeReadAsAnImage)
{
    testsupport::ScratchFolder scratch;
    EXPECT_FALSE(IsPe64File(scratch / L"missing.exe"));
    EXPECT_FALSE(IsPe64File(scratch.Path())) << "a folder";
    EXPECT_FALSE(IsPe64File(nullptr));

    const Bytes x64 = ReadFixture(L"console-x86_64.exe");
    const Bytes x86 = ReadFixture(L"console-i686.exe");
    ASSERT_GT(x64.size(), 4096u);
    const uint32_t pe = HeaderOffset(x64);
    ASSERT_LT(pe + 24u, x64.size());

    struct Case {
        const char* name;
        const Bytes& source;
        std::function<void(Bytes&)> change;
        bool expected;
    } cases[] = {
        {"unchanged", x64, [](Bytes&) {}, true},
        {"empty file", x64, [](Bytes& b) { b.clear(); }, false},
        {"DOS header only", x64, [](Bytes& b) { b.resize(64); }, false},
        {"one byte short of 128", x64, [](Bytes& b) { b.resize(127); }, false},
        {"file header cut short by a byte", x64, [pe](Bytes& b) { b.resize(pe + 23); }, false},
        {"headers complete, nothing after", x64, [pe](Bytes& b) { b.resize(pe + 24); }, true},
        {"no MZ signature", x64, [](Bytes& b) { b[0] = 'Z'; }, false},
        {"header offset past the end", x64, [](Bytes& b) { SetDword(b, 0x3C, 0x7FFFFF00); }, false},
        {"negative header offset", x64, [](Bytes& b) { SetDword(b, 0x3C, 0x80000000u); }, false},
        {"header offset inside the DOS header", x64, [](Bytes& b) { SetDword(b, 0x3C, 4); }, false},
        {"broken PE signature", x64, [pe](Bytes& b) { b[pe + 1] = 'X'; }, false},
        {"machine changed to i386", x64, [pe](Bytes& b) { SetWord(b, pe + 4, 0x014C); }, false},
        {"machine changed to ARM64", x64, [pe](Bytes& b) { SetWord(b, pe + 4, 0xAA64); }, false},
        {"32-bit image with the x64 machine", x86, [](Bytes& b) { SetWord(b, HeaderOffset(b) + 4, 0x8664); }, true},
    };
    int index = 0;
    for (const Case& c : cases) {
        Bytes bytes = c.source;
        c.change(bytes);
        CString path;
        path.Format(L"%s\\case%d.exe", scratch.Path().GetString(), index++);
        ASSERT_TRUE(testsupport::WriteAllBytes(path, bytes));
        EXPECT_EQ(c.expected, IsPe64File(path)) << c.name;
    }
}

} // namespace
