// Thousands of damaged package and data files, made by cutting, flipping and overwriting valid
// ones before and after enciphering. Every load must either fail and leave its target exactly as
// it was, or succeed with data that saves and loads again unchanged; no load may crash, hang or
// make an allocation sized by a length or count read from the file.
#include "engine/storage/Aes.h"
#include "engine/storage/FileEx.h"
#include "engine/storage/PackageFile.h"
#include "engine/storage/Projects.h"

#include "tests/engine/storage/StorageFixtures.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <random>
#include <vector>

// --- allocation watch: the largest single request while armed -----------------------------------

namespace {
std::atomic<bool> g_watching{false};
std::atomic<size_t> g_largestRequest{0};
} // namespace

void* operator new(size_t size)
{
    if (g_watching.load(std::memory_order_relaxed)) {
        size_t largest = g_largestRequest.load(std::memory_order_relaxed);
        while (size > largest && !g_largestRequest.compare_exchange_weak(largest, size)) {
        }
    }
    if (void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

void operator delete(void* block, size_t) noexcept
{
    operator delete(block);
}

namespace {

using Bytes = std::vector<uint8_t>;
using namespace storagefixtures;
using testsupport::ScratchFolder;

// Every stored file here is a few kilobytes; a request this large can only come from a length
// or count taken from the file unchecked.
constexpr size_t kLargestHonestRequest = 1u << 20;

class WatchAllocations {
public:
    WatchAllocations() { g_watching = true; }
    ~WatchAllocations() { g_watching = false; }
};

Bytes PlainOfPackage(CProjectSettings package)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store, kStoringBufferBytes);
    (void)package.Serialize(ar);
    ar.Close();
    return file.Data();
}

Bytes PlainOfDataFile(CProjects& projects)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store, kStoringBufferBytes);
    (void)SerializeDataFile(ar, projects);
    ar.Close();
    return file.Data();
}

// Pieces of 4095 bytes, one unit each: the shape the loader expects of any file.
Bytes Encipher(const Bytes& plain)
{
    AesContext context;
    EXPECT_EQ(0, AesInitContext(&context, kAesEncipher));
    Bytes out;
    for (size_t at = 0; at < plain.size(); at += kFileExPieceBytes) {
        const int length = static_cast<int>(std::min<size_t>(kFileExPieceBytes, plain.size() - at));
        BYTE unit[kFileExWorkBytes];
        const int n = AesEncryptPadded(&context, plain.data() + at, length, unit);
        out.insert(out.end(), unit, unit + n);
    }
    return out;
}

void PutInt(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4 && at + i < bytes.size(); ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct Mutant {
    std::string name;
    Bytes bytes;   // as stored on disk
};

// The damaged variants of one valid stream.
std::vector<Mutant> MutantsOf(const Bytes& plain, unsigned seed, bool everyOffset = false)
{
    std::mt19937 random(seed);
    const auto at = [&](size_t size) { return static_cast<size_t>(random() % size); };
    std::vector<Mutant> mutants;
    const Bytes cipher = Encipher(plain);

    const size_t step = std::max<size_t>(1, plain.size() / 250);
    for (size_t cut = 0; cut < plain.size(); cut += step)
        mutants.push_back({"plain cut at " + std::to_string(cut), Encipher(Bytes(plain.begin(), plain.begin() + cut))});
    for (int i = 0; i < 300; ++i) {
        Bytes bytes = plain;
        const size_t where = at(bytes.size());
        bytes[where] ^= static_cast<uint8_t>(1 + random() % 255);
        mutants.push_back({"plain byte flipped at " + std::to_string(where), Encipher(bytes)});
    }
    const uint32_t nearLimits[] = {0x7FFFFFFF, 0x80000000, 0x7FFFFFF0, 0xFFFFFFFF, 0x40000000, 0x3FFFFFFF, 0x10000};
    for (int i = 0; i < 350; ++i) {
        Bytes bytes = plain;
        const size_t where = at(bytes.size());
        PutInt(bytes, where, nearLimits[i % std::size(nearLimits)]);
        mutants.push_back({"int near 2^31 at " + std::to_string(where), Encipher(bytes)});
    }
    // every list count and every length sits at some offset: give each offset a value near 2^31
    if (everyOffset) {
        for (size_t where = 0; where + 4 <= plain.size(); ++where) {
            Bytes bytes = plain;
            PutInt(bytes, where, nearLimits[where % 4]);
            mutants.push_back({"int " + std::to_string(nearLimits[where % 4]) + " at " + std::to_string(where),
                               Encipher(bytes)});
        }
    }
    // every text header given a huge 32-bit or 64-bit length
    int headers = 0;
    for (size_t i = 0; i + 3 < plain.size() && headers < 120; ++i) {
        if (plain[i] != 0xFF || plain[i + 1] != 0xFE || plain[i + 2] != 0xFF)
            continue;
        ++headers;
        for (uint32_t length : {0x7FFFFFFFu, 0x3FFFFFFFu, 0xFFFFFFFEu}) {
            Bytes bytes(plain.begin(), plain.begin() + i + 3);
            const uint8_t escape[] = {0xFF, 0xFF, 0xFF};
            bytes.insert(bytes.end(), escape, escape + 3);
            bytes.resize(bytes.size() + 4);
            PutInt(bytes, bytes.size() - 4, length);
            bytes.insert(bytes.end(), plain.begin() + i + 4, plain.end());
            mutants.push_back({"text length " + std::to_string(length) + " at " + std::to_string(i), Encipher(bytes)});
        }
        Bytes bytes(plain.begin(), plain.begin() + i + 3);
        const uint8_t wide[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
        bytes.insert(bytes.end(), wide, wide + std::size(wide));
        bytes.insert(bytes.end(), plain.begin() + i + 4, plain.end());
        mutants.push_back({"64-bit text length at " + std::to_string(i), Encipher(bytes)});
    }
    for (int i = 0; i < 200; ++i) {
        const size_t size = at(cipher.size() + 40);
        Bytes bytes(cipher.begin(), cipher.begin() + std::min(size, cipher.size()));
        bytes.resize(size, 0x5A);
        mutants.push_back({"file of " + std::to_string(size) + " bytes", bytes});
    }
    for (int i = 0; i < 250; ++i) {
        Bytes bytes = cipher;
        const size_t where = at(bytes.size());
        bytes[where] ^= static_cast<uint8_t>(1 + random() % 255);
        mutants.push_back({"file byte flipped at " + std::to_string(where), bytes});
    }
    return mutants;
}

CProjectSettings Sentinel()
{
    CProjectSettings package = OneProjectPackage();
    package.m_productName = L"sentinel";
    return package;
}

// Loads every mutant of one package stream; returns after the first broken promise.
void SweepPackage(const Bytes& plain, unsigned seed, bool everyOffset, int expectedLoads)
{
    ScratchFolder scratch;
    const CString path = scratch / L"mutant.tkpj";
    const CProjectSettings sentinel = Sentinel();
    int loads = 0, failures = 0;
    size_t largestSeen = 0;
    for (const Mutant& mutant : MutantsOf(plain, seed, everyOffset)) {
        ASSERT_TRUE(testsupport::WriteAllBytes(path, mutant.bytes));
        CProjectSettings package = sentinel;
        int result = 0;
        g_largestRequest = 0;
        {
            WatchAllocations watch;
            result = LoadPackageFile(path, package);
        }
        ++loads;
        largestSeen = std::max(largestSeen, g_largestRequest.load());
        ASSERT_LT(g_largestRequest.load(), kLargestHonestRequest) << mutant.name;
        if (result != 1) {
            ++failures;
            ExpectSamePackage(sentinel, package, mutant.name);
        } else {
            // loaded data must be whole: it saves and loads back as it is
            const CString again = scratch / L"again.tkpj";
            ASSERT_EQ(1, SavePackageFile(again, package)) << mutant.name;
            CProjectSettings reloaded;
            ASSERT_EQ(1, LoadPackageFile(again, reloaded)) << mutant.name;
            ExpectSamePackage(package, reloaded, mutant.name + " (reloaded)");
        }
        if (testing::Test::HasFailure())
            return;
    }
    EXPECT_GT(loads, expectedLoads);
    EXPECT_GT(failures, loads / 4) << "damage must be noticed";
    EXPECT_LT(failures, loads) << "some mutants must still be valid packages";
    EXPECT_GE(largestSeen, size_t{kFileExUnitBytes}) << "the allocation watch saw nothing";
}

// A value near 2^31 at every offset reaches every list count and text length of the package.
TEST(MutationSweep, SmallPackageFailsCleanlyOrLoadsValidData)
{
    SweepPackage(PlainOfPackage(OneProjectPackage()), 1, true, 4000);
}

// A package of several units with a text that spans two of them.
TEST(MutationSweep, LargePackageFailsCleanlyOrLoadsValidData)
{
    CProjectSettings withLongText = FiveProjectsPackage();
    withLongText.m_projects[2].m_description = CString(L'd', 5000);
    SweepPackage(PlainOfPackage(withLongText), 2, false, 1500);
}

TEST(MutationSweep, DataFilesFailCleanlyOrLoadValidData)
{
    ScratchFolder scratch;
    CProjects listed = TwoPackageList(scratch.Path());
    const Bytes plain = PlainOfDataFile(listed);   // also saves the two package files

    CProjects sentinel;
    sentinel.Add(Sentinel());
    sentinel.m_packagePaths.Add(L"C:\\sentinel.tkpj");
    sentinel.m_lastSelection = 99;
    const CString path = scratch / L"tarnwick.dat";
    int loads = 0, failures = 0;
    for (const Mutant& mutant : MutantsOf(plain, 77, true)) {
        ASSERT_TRUE(testsupport::WriteAllBytes(path, mutant.bytes));
        CProjects projects = sentinel;
        bool loaded = false;
        g_largestRequest = 0;
        {
            WatchAllocations watch;
            loaded = LoadDataFile(path, projects);
        }
        ++loads;
        ASSERT_LT(g_largestRequest.load(), kLargestHonestRequest) << mutant.name;
        if (!loaded) {
            ++failures;
            ASSERT_EQ(1, projects.GetSize()) << mutant.name;
            ASSERT_EQ(1, projects.m_packagePaths.GetSize()) << mutant.name;
            ExpectSamePackage(sentinel[0], projects[0], mutant.name);
            EXPECT_EQ(99, projects.m_lastSelection) << mutant.name;
        } else {
            ASSERT_EQ(projects.GetSize(), projects.m_packagePaths.GetSize()) << mutant.name;
            ASSERT_LE(projects.GetSize(), 2) << mutant.name;
        }
        if (HasFailure())
            return;
    }
    EXPECT_GT(loads, 1000);
    EXPECT_GT(failures, loads / 2);
}

} // namespace
