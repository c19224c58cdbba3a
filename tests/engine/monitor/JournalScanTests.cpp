// The journal scan against a synthetic volume built from the platform's structure layouts (journal
// records, file records with their $FILE_NAME attributes), and against the recorded journal that
// stands in for the missing NTFS journal under Wine.

#include "engine/monitor/ChangeRecorder.h"
#include "engine/monitor/InstallMonitor.h"
#include "engine/monitor/NtfsLayout.h"
#include "tests/engine/monitor/MonitorTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace monitortest;

namespace {

constexpr ULONGLONG kStart = 130000000000000000ull;
constexpr ULONGLONG kEnd = kStart + 50000000; // five seconds later
constexpr ULONGLONG kJournalId = 0x1234;

template <class T>
void Put(std::vector<BYTE>& bytes, size_t offset, T value)
{
    if (bytes.size() < offset + sizeof(value))
        bytes.resize(offset + sizeof(value));
    std::memcpy(bytes.data() + offset, &value, sizeof(value));
}

ULONGLONG Ref(ULONGLONG segment, WORD sequence = 1)
{
    return ntfs::MakeReference(segment, sequence);
}

struct NameAttribute {
    std::wstring name;
    ULONGLONG parent;
    BYTE nameSpace;
};

// A FILE record with one resident $FILE_NAME attribute per entry, in order.
std::vector<BYTE> FileRecord(const std::vector<NameAttribute>& names, WORD sequence = 1)
{
    std::vector<BYTE> record(ntfs::kRecordHeaderSize, 0);
    Put<DWORD>(record, 0, ntfs::kRecordSignature);
    Put<WORD>(record, ntfs::kRecordSequenceNumber, sequence);
    Put<WORD>(record, ntfs::kRecordFirstAttribute, static_cast<WORD>(ntfs::kRecordHeaderSize));
    Put<WORD>(record, ntfs::kRecordFlags, 1);
    for (const NameAttribute& entry : names) {
        const size_t at = record.size();
        const size_t valueBytes = ntfs::kFileNameText + entry.name.size() * 2;
        const size_t length = (ntfs::kAttributeResidentHeaderSize + valueBytes + 7) & ~size_t(7);
        record.resize(at + length, 0);
        Put<DWORD>(record, at + ntfs::kAttributeType, ntfs::kAttributeFileName);
        Put<DWORD>(record, at + ntfs::kAttributeLength, static_cast<DWORD>(length));
        Put<DWORD>(record, at + ntfs::kAttributeValueLength, static_cast<DWORD>(valueBytes));
        Put<WORD>(record, at + ntfs::kAttributeValueOffset, static_cast<WORD>(ntfs::kAttributeResidentHeaderSize));
        const size_t value = at + ntfs::kAttributeResidentHeaderSize;
        Put<ULONGLONG>(record, value + ntfs::kFileNameParent, entry.parent);
        Put<BYTE>(record, value + ntfs::kFileNameLength, static_cast<BYTE>(entry.name.size()));
        Put<BYTE>(record, value + ntfs::kFileNameSpace, entry.nameSpace);
        std::memcpy(record.data() + value + ntfs::kFileNameText, entry.name.data(), entry.name.size() * 2);
    }
    Put<DWORD>(record, record.size(), ntfs::kAttributeEnd);
    Put<DWORD>(record, ntfs::kRecordBytesInUse, static_cast<DWORD>(record.size()));
    return record;
}

std::vector<BYTE> Folder(const wchar_t* name, ULONGLONG parent, WORD sequence = 1)
{
    return FileRecord({{name, parent, 1}}, sequence);
}

// A version-2 journal record.
std::vector<BYTE> UsnRecord(const std::wstring& name, ULONGLONG parent, ULONGLONG stamp, WORD version = 2)
{
    const size_t length = (offsetof(USN_RECORD, FileName) + name.size() * 2 + 7) & ~size_t(7);
    std::vector<BYTE> record(length, 0);
    Put<DWORD>(record, offsetof(USN_RECORD, RecordLength), static_cast<DWORD>(length));
    Put<WORD>(record, offsetof(USN_RECORD, MajorVersion), version);
    Put<ULONGLONG>(record, offsetof(USN_RECORD, ParentFileReferenceNumber), parent);
    Put<ULONGLONG>(record, offsetof(USN_RECORD, TimeStamp), stamp);
    Put<WORD>(record, offsetof(USN_RECORD, FileNameLength), static_cast<WORD>(name.size() * 2));
    Put<WORD>(record, offsetof(USN_RECORD, FileNameOffset), static_cast<WORD>(offsetof(USN_RECORD, FileName)));
    std::memcpy(record.data() + offsetof(USN_RECORD, FileName), name.data(), name.size() * 2);
    return record;
}

// A volume answering from tables: file records by segment (a segment not in use answers with the
// nearest one below, as NTFS does) and a journal of raw records whose USN is their byte offset.
class SyntheticVolume : public IVolumeDevice {
public:
    SyntheticVolume()
    {
        records[ntfs::kRootSegment] = FileRecord({{L".", Ref(ntfs::kRootSegment, 5), 1}}, 5);
    }

    void AddJournal(const std::vector<BYTE>& record)
    {
        usns.push_back(nextUsn);
        journal.push_back(record);
        nextUsn += static_cast<LONGLONG>(record.size());
    }

    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override
    {
        *returned = 0;
        ++calls[code];
        if (failing.count(code))
            return failing[code];
        switch (code) {
        case FSCTL_QUERY_USN_JOURNAL: {
            USN_JOURNAL_DATA data = {};
            data.UsnJournalID = kJournalId;
            data.NextUsn = nextUsn;
            std::memcpy(out, &data, sizeof(data));
            *returned = sizeof(data);
            return 0;
        }
        case FSCTL_READ_USN_JOURNAL: {
            READ_USN_JOURNAL_DATA request;
            std::memcpy(&request, in, sizeof(request));
            EXPECT_EQ(kJournalId, request.UsnJournalID);
            EXPECT_EQ(sizeof(READ_USN_JOURNAL_DATA), inSize);
            BYTE* base = static_cast<BYTE*>(out);
            size_t used = 8;
            LONGLONG next = nextUsn;
            for (size_t i = 0; i < journal.size(); ++i) {
                if (usns[i] < request.StartUsn)
                    continue;
                if (used + journal[i].size() > outSize) {
                    next = usns[i];
                    break;
                }
                std::memcpy(base + used, journal[i].data(), journal[i].size());
                used += journal[i].size();
            }
            std::memcpy(base, &next, sizeof(next));
            *returned = static_cast<DWORD>(used);
            ++reads;
            return 0;
        }
        case FSCTL_GET_NTFS_VOLUME_DATA: {
            NTFS_VOLUME_DATA_BUFFER data = {};
            data.BytesPerFileRecordSegment = 1024;
            std::memcpy(out, &data, sizeof(data));
            *returned = sizeof(data);
            return 0;
        }
        case FSCTL_GET_NTFS_FILE_RECORD: {
            NTFS_FILE_RECORD_INPUT_BUFFER request;
            std::memcpy(&request, in, sizeof(request));
            ULONGLONG segment = static_cast<ULONGLONG>(request.FileReferenceNumber.QuadPart) & ntfs::kSegmentMask;
            if (failingSegments.count(segment))
                return ERROR_INVALID_PARAMETER;
            auto found = records.upper_bound(segment);
            if (found == records.begin())
                return ERROR_INVALID_PARAMETER;
            --found;
            const std::vector<BYTE>& record = found->second;
            const size_t header = offsetof(NTFS_FILE_RECORD_OUTPUT_BUFFER, FileRecordBuffer);
            if (outSize < header + record.size())
                return ERROR_INSUFFICIENT_BUFFER;
            BYTE* base = static_cast<BYTE*>(out);
            const WORD sequence = record.size() > 18 ? *reinterpret_cast<const WORD*>(record.data() + 16) : 0;
            const ULONGLONG answered = Ref(found->first, sequence);
            std::memcpy(base, &answered, 8);
            const DWORD length = recordLengthOverride ? recordLengthOverride : static_cast<DWORD>(record.size());
            std::memcpy(base + 8, &length, 4);
            std::memcpy(base + header, record.data(), record.size());
            *returned = static_cast<DWORD>(header + record.size());
            return 0;
        }
        default:
            return ERROR_INVALID_FUNCTION;
        }
    }

    std::map<ULONGLONG, std::vector<BYTE>> records;
    std::vector<std::vector<BYTE>> journal;
    std::vector<LONGLONG> usns;
    LONGLONG nextUsn = 0;
    std::map<DWORD, DWORD> failing;            // control code -> error it fails with
    std::map<ULONGLONG, bool> failingSegments; // file-record lookups that fail
    std::map<DWORD, int> calls;
    DWORD recordLengthOverride = 0;
    int reads = 0;
};

// Installs the volume as the one every open gets, for one test.
class VolumeScope {
public:
    explicit VolumeScope(IVolumeDevice& volume)
    {
        m_previous = SetVolumeOpener([&volume](const CString&, std::unique_ptr<IVolumeDevice>& out) {
            // The scan owns what it opens: hand it a forwarder to the test's volume.
            struct Forwarder : IVolumeDevice {
                IVolumeDevice& target;
                explicit Forwarder(IVolumeDevice& v) : target(v) {}
                DWORD Control(DWORD c, const void* i, DWORD is, void* o, DWORD os, DWORD* r) override
                {
                    return target.Control(c, i, is, o, os, r);
                }
            };
            out = std::make_unique<Forwarder>(volume);
            return DWORD(0);
        });
    }
    ~VolumeScope() { SetVolumeOpener(m_previous); }

private:
    VolumeOpener m_previous;
};

std::vector<std::string> Scan(ULONGLONG start = kStart, ULONGLONG end = kEnd, DWORD* error = nullptr)
{
    CStringList paths;
    const DWORD result = ScanVolumeJournal(L"\\\\.\\c:", start, end, paths);
    if (error)
        *error = result;
    else
        EXPECT_EQ(0u, result);
    std::vector<std::string> narrow;
    for (POSITION p = paths.GetHeadPosition(); p;)
        narrow.push_back(testsupport::Utf8(paths.GetNext(p).View()));
    return narrow;
}

// Segments of the usual folder tree: C:\Program Files\App\.
constexpr ULONGLONG kProgramFiles = 40;
constexpr ULONGLONG kApp = 41;

class JournalScan : public MonitorTest {
protected:
    void SetUp() override
    {
        MonitorTest::SetUp();
        drive = testsupport::Utf8(GetSystemDrive().View());
        volume.records[kProgramFiles] = Folder(L"Program Files", Ref(ntfs::kRootSegment, 5));
        volume.records[kApp] = Folder(L"App", Ref(kProgramFiles));
    }

    std::string drive;
    SyntheticVolume volume;
};

} // namespace

TEST_F(JournalScan, RecordsInTheWindowGiveFullPathsOnceInJournalOrder)
{
    VolumeScope scope(volume);
    volume.AddJournal(UsnRecord(L"early.txt", Ref(kApp), kStart - 1));       // before the window
    volume.AddJournal(UsnRecord(L"app.exe", Ref(kApp), kStart));             // stamped at the start: counts
    volume.AddJournal(UsnRecord(L"app.exe", Ref(kApp), kStart + 10));        // written twice: listed once
    volume.AddJournal(UsnRecord(L"old.ini", Ref(kApp), kStart + 20));        // a rename gives both names
    volume.AddJournal(UsnRecord(L"new.ini", Ref(kApp), kStart + 20));
    volume.AddJournal(UsnRecord(L"root.txt", Ref(ntfs::kRootSegment, 5), kStart + 30));
    volume.AddJournal(UsnRecord(L"v3.txt", Ref(kApp), kStart + 40, 3));      // another major version
    volume.AddJournal(UsnRecord(L"App.exe", Ref(kApp), kStart + 45));        // another case is another path
    volume.AddJournal(UsnRecord(L"last.txt", Ref(kProgramFiles), kEnd));     // stamped at the end: counts
    volume.AddJournal(UsnRecord(L"late.txt", Ref(kApp), kEnd + 1));

    const std::string app = drive + "\\Program Files\\App\\";
    const std::vector<std::string> expected = {
        app + "app.exe", app + "old.ini", app + "new.ini", drive + "\\root.txt", app + "App.exe",
        drive + "\\Program Files\\last.txt",
    };
    EXPECT_EQ(expected, Scan());
}

TEST_F(JournalScan, ReadsEveryPageOfALongJournal)
{
    VolumeScope scope(volume);
    const int count = 300; // about 25 KB of records: several 4096-byte reads
    for (int i = 0; i < count; ++i)
        volume.AddJournal(UsnRecord(L"file-with-a-longer-name-" + std::to_wstring(i) + L".dat", Ref(kApp), kStart + i));
    const std::vector<std::string> paths = Scan();
    ASSERT_EQ(size_t(count), paths.size());
    EXPECT_EQ(drive + "\\Program Files\\App\\file-with-a-longer-name-0.dat", paths.front());
    EXPECT_EQ(drive + "\\Program Files\\App\\file-with-a-longer-name-299.dat", paths.back());
    EXPECT_GE(volume.reads, 6) << "the records span several pages, each read once, then the empty answer";
    // The folder cache resolves the shared parent once (App, Program Files, the root), not per record.
    EXPECT_LE(volume.calls[FSCTL_GET_NTFS_FILE_RECORD], 3);
}

TEST_F(JournalScan, RecordsUnderAFolderThatCannotBeNamedAreDropped)
{
    const ULONGLONG kFreed = 60;     // not in use: the volume answers with segment 41 (App) instead
    const ULONGLONG kReused = 42;    // freed and reused since: its sequence number moved on
    const ULONGLONG kFailing = 43;   // the lookup itself fails
    const ULONGLONG kZeroLength = 44; // an attribute of length 0
    const ULONGLONG kLoop = 45;      // names itself as its own parent
    const ULONGLONG kDosOnly = 46;   // only a DOS short name
    volume.records[kReused] = Folder(L"Reused", Ref(kApp), 2);
    volume.failingSegments[kFailing] = true;
    std::vector<BYTE> zero = Folder(L"Zero", Ref(kApp));
    Put<DWORD>(zero, ntfs::kRecordHeaderSize + ntfs::kAttributeLength, 0);
    volume.records[kZeroLength] = zero;
    volume.records[kLoop] = Folder(L"Loop", Ref(kLoop));
    volume.records[kDosOnly] = FileRecord({{L"DOSNAM~1", Ref(kApp), 2}});
    VolumeScope scope(volume);

    volume.AddJournal(UsnRecord(L"a.txt", Ref(kFreed), kStart + 1));
    volume.AddJournal(UsnRecord(L"b.txt", Ref(kReused, 1), kStart + 2));
    volume.AddJournal(UsnRecord(L"c.txt", Ref(kFailing), kStart + 3));
    volume.AddJournal(UsnRecord(L"d.txt", Ref(kZeroLength), kStart + 4));
    volume.AddJournal(UsnRecord(L"e.txt", Ref(kLoop), kStart + 5));
    volume.AddJournal(UsnRecord(L"f.txt", Ref(kDosOnly), kStart + 6));
    volume.AddJournal(UsnRecord(L"kept.txt", Ref(kReused, 2), kStart + 7)); // the current owner of 42

    const std::vector<std::string> expected = {drive + "\\Program Files\\App\\Reused\\kept.txt"};
    EXPECT_EQ(expected, Scan());
}

TEST_F(JournalScan, FileRecordNameSkipsTheDosNameAndChecksEveryLength)
{
    const ULONGLONG kBoth = 50;
    volume.records[kBoth] = FileRecord({{L"LONGFI~1", Ref(kApp), 2}, {L"Long file name", Ref(kApp), 1}});
    struct Case {
        const char* label;
        std::function<void(std::vector<BYTE>&)> damage;
        DWORD expected;
    } cases[] = {
        {"intact", [](std::vector<BYTE>&) {}, 0},
        {"first attribute past the record", [](std::vector<BYTE>& r) { Put<WORD>(r, ntfs::kRecordFirstAttribute, 0x7FF0); },
         ERROR_FILE_NOT_FOUND},
        {"attribute longer than the record",
         [](std::vector<BYTE>& r) { Put<DWORD>(r, ntfs::kRecordHeaderSize + ntfs::kAttributeLength, 0x10000); },
         ERROR_FILE_CORRUPT},
        {"value offset past the attribute",
         [](std::vector<BYTE>& r) { Put<WORD>(r, ntfs::kRecordHeaderSize + ntfs::kAttributeValueOffset, 0x400); },
         ERROR_FILE_CORRUPT},
        {"name longer than the value",
         [](std::vector<BYTE>& r) {
             Put<BYTE>(r, ntfs::kRecordHeaderSize + ntfs::kAttributeResidentHeaderSize + ntfs::kFileNameLength, 200);
         },
         ERROR_FILE_CORRUPT},
        {"not a FILE record", [](std::vector<BYTE>& r) { Put<DWORD>(r, 0, 0x44414142); }, ERROR_FILE_CORRUPT},
    };
    const std::vector<BYTE> intact = volume.records[kBoth];
    for (const Case& c : cases) {
        std::vector<BYTE> record = intact;
        c.damage(record);
        volume.records[kBoth] = record;
        CString name = L"unchanged";
        ULONGLONG parent = 0;
        EXPECT_EQ(c.expected, ReadFileRecordName(volume, Ref(kBoth), name, parent)) << c.label;
        if (c.expected == 0) {
            EXPECT_EQ("Long file name", testsupport::Utf8(name.View())) << c.label;
            EXPECT_EQ(Ref(kApp), parent) << c.label;
        }
    }

    // A record length in the answer that exceeds what came back.
    volume.records[kBoth] = intact;
    volume.recordLengthOverride = 0x100000;
    CString name;
    ULONGLONG parent = 0;
    EXPECT_EQ(DWORD(ERROR_FILE_CORRUPT), ReadFileRecordName(volume, Ref(kBoth), name, parent));
}

TEST_F(JournalScan, DamagedJournalRecordsAreNotReadPastTheirEnds)
{
    VolumeScope scope(volume);
    std::vector<BYTE> badName = UsnRecord(L"bad-name.txt", Ref(kApp), kStart + 1);
    Put<WORD>(badName, offsetof(USN_RECORD, FileNameLength), 0x2000);
    volume.AddJournal(badName);
    volume.AddJournal(UsnRecord(L"good.txt", Ref(kApp), kStart + 2));
    std::vector<BYTE> tooLong = UsnRecord(L"too-long.txt", Ref(kApp), kStart + 3);
    Put<DWORD>(tooLong, offsetof(USN_RECORD, RecordLength), 0x100000);
    volume.AddJournal(tooLong);

    const std::vector<std::string> expected = {drive + "\\Program Files\\App\\good.txt"};
    EXPECT_EQ(expected, Scan());
}

TEST_F(JournalScan, AFailingControlCallReturnsItsErrorAndNothing)
{
    VolumeScope scope(volume);
    volume.AddJournal(UsnRecord(L"app.exe", Ref(kApp), kStart));
    for (DWORD code : {DWORD(FSCTL_QUERY_USN_JOURNAL), DWORD(FSCTL_READ_USN_JOURNAL)}) {
        volume.failing.clear();
        volume.failing[code] = ERROR_NOT_SUPPORTED;
        DWORD error = 0;
        EXPECT_TRUE(Scan(kStart, kEnd, &error).empty());
        EXPECT_EQ(DWORD(ERROR_NOT_SUPPORTED), error);
    }

    CFeature project;
    CInstallMonitor monitor(project);
    EXPECT_EQ(DWORD(ERROR_NOT_SUPPORTED), monitor.CollectChangedFiles());
    EXPECT_EQ(0, project.m_files.GetSize());
}

// The recorded journal fed by hand: its answers go through the scan like a real volume's.
TEST_F(JournalScan, TheRecordedJournalAnswersInTheVolumeLayouts)
{
    CChangeRecorder recorder; // not watching: the test notes the changes itself
    struct RecorderVolume : IVolumeDevice {
        CChangeRecorder& recorder;
        explicit RecorderVolume(CChangeRecorder& r) : recorder(r) {}
        DWORD Control(DWORD c, const void* i, DWORD is, void* o, DWORD os, DWORD* r) override
        {
            return recorder.Control(c, i, is, o, os, r);
        }
    } device(recorder);
    VolumeScope scope(device);

    const ULONGLONG t = kStart + 100;
    recorder.Record(FILE_ACTION_ADDED, L"Program Files\\App", t);
    recorder.Record(FILE_ACTION_ADDED, L"Program Files\\App\\a.txt", t);
    recorder.Record(FILE_ACTION_MODIFIED, L"Program Files\\App\\a.txt", t);
    recorder.Record(FILE_ACTION_RENAMED_OLD_NAME, L"Program Files\\App", t);
    recorder.Record(FILE_ACTION_RENAMED_NEW_NAME, L"Program Files\\App2", t);
    recorder.Record(FILE_ACTION_ADDED, L"root.txt", t);
    recorder.Record(FILE_ACTION_ADDED, L"late.txt", kEnd + 1);
    const int many = 200; // several 4096-byte pages
    for (int i = 0; i < many; ++i)
        recorder.Record(FILE_ACTION_ADDED, L"Program Files\\App2\\many-" + std::to_wstring(i), t);

    const std::string files = drive + "\\Program Files\\";
    std::vector<std::string> expected = {
        files + "App",
        // As on NTFS, a renamed folder keeps its reference: older records resolve through its new name.
        files + "App2\\a.txt",
        files + "App2",
        drive + "\\root.txt",
    };
    for (int i = 0; i < many; ++i)
        expected.push_back(files + "App2\\many-" + std::to_string(i));
    EXPECT_EQ(expected, Scan());

    // A segment the recorder never gave out answers with another record, which the reader refuses.
    CString name;
    ULONGLONG parent = 0;
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), ReadFileRecordName(device, Ref(100000), name, parent));

    // Without a place for the answer's size (the real volume's Control takes null there) the
    // recorded journal still answers, instead of writing through the null pointer.
    USN_JOURNAL_DATA journal = {};
    EXPECT_EQ(0u, recorder.Control(FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &journal, sizeof(journal), nullptr));
    EXPECT_NE(0u, journal.UsnJournalID);
    NTFS_VOLUME_DATA_BUFFER volumeData = {};
    EXPECT_EQ(0u, recorder.Control(FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, &volumeData, sizeof(volumeData), nullptr));
    EXPECT_EQ(1024u, volumeData.BytesPerFileRecordSegment);
}

// The recorded journal on the real drive: Wine has no NTFS journal, so creating one starts ours.
TEST_F(JournalScan, TheRecordedJournalReportsWritesAndRenamesOnTheRealDrive)
{
    ASSERT_EQ(0u, CreateSystemVolumeUsnJournal());
    const CString device = GetSystemVolumeDeviceName();
    if (!FindRecordedJournal(device))
        GTEST_SKIP() << "this volume keeps a journal of its own";

    testsupport::ScratchFolder scratch;
    // The scratch folder's own creation stays before the window: its notice has arrived once the
    // journal lists it.
    const auto listedSince = [&device](ULONGLONG since, const CString& path) {
        CStringList found;
        if (ScanVolumeJournal(device, since, CurrentFileTime(), found) != 0)
            return false;
        for (POSITION p = found.GetHeadPosition(); p;) {
            if (found.GetNext(p).CompareNoCase(path) == 0)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(testsupport::WaitFor([&] { return listedSince(0, scratch.Path()); }, 60000));
    const ULONGLONG start = CurrentFileTime();
    ASSERT_TRUE(testsupport::WriteAllBytes(scratch / L"twice.txt", {1, 2, 3}));
    ASSERT_TRUE(testsupport::WriteAllBytes(scratch / L"twice.txt", {4, 5, 6}));
    ASSERT_TRUE(CreateDirectoryW(scratch / L"Sub", nullptr));
    // Under Wine a new folder's own changes are seen only once the recorder has opened it, which
    // its walk of the new folder does; until then a file made and renamed inside it would show
    // only under its last name. A file in the folder is listed either by that walk or by the
    // watch itself, and both mean the folder is watched from then on.
    ASSERT_TRUE(testsupport::WriteAllBytes(scratch / L"Sub\\watched.txt", {0}));
    ASSERT_TRUE(testsupport::WaitFor([&] { return listedSince(start, scratch / L"Sub\\watched.txt"); }, 60000));
    ASSERT_TRUE(testsupport::WriteAllBytes(scratch / L"Sub\\before.txt", {7}));
    ASSERT_TRUE(MoveFileW(scratch / L"Sub\\before.txt", scratch / L"Sub\\after.txt"));
    // Notifications arrive a little after the changes; the last of them is the rename.
    ASSERT_TRUE(testsupport::WaitFor([&] { return listedSince(start, scratch / L"Sub\\after.txt"); }, 60000));

    CStringList paths;
    ASSERT_EQ(0u, ScanVolumeJournal(device, start, CurrentFileTime(), paths));
    auto listed = [&paths](const CString& path) {
        int count = 0;
        for (POSITION p = paths.GetHeadPosition(); p;)
            count += paths.GetNext(p).CompareNoCase(path) == 0 ? 1 : 0;
        return count;
    };
    EXPECT_EQ(1, listed(scratch / L"twice.txt")) << "a file written twice is listed once";
    EXPECT_EQ(1, listed(scratch / L"Sub\\before.txt")) << "the old name of a renamed file";
    EXPECT_EQ(1, listed(scratch / L"Sub\\after.txt")) << "the new name of a renamed file";
}

// A first walk of the drive that outlasts the start's wait is a failed start, read without racing
// the watcher, and the watch ends with it.
TEST_F(JournalScan, ARecordedJournalThatIsNotReadyInTimeFailsToStart)
{
    CChangeRecorder recorder;
    recorder.SetReadyTimeout(0); // the walk over the whole drive takes far longer than no time
    const CString drive = GetSystemDrive() + L"\\";
    EXPECT_EQ(DWORD(ERROR_TIMEOUT), recorder.Start(drive));
    EXPECT_FALSE(recorder.IsWatching());

    recorder.SetReadyTimeout(120000);
    EXPECT_EQ(0u, recorder.Start(drive)) << "a later start with time enough";
    EXPECT_TRUE(recorder.IsWatching());
    recorder.Stop();
}
