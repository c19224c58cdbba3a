#include "engine/monitor/ChangeRecorder.h"

#include "engine/monitor/InstallMonitor.h"
#include "engine/monitor/NtfsLayout.h"

#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>

namespace {

// Room for the notifications that arrive while the last batch is being noted. A batch that does
// not fit is lost by the system (it reports an empty buffer), so the room is generous.
constexpr DWORD kWatchBufferBytes = 1024 * 1024;
// Every file record segment has this size; a real volume reports the same.
constexpr DWORD kFileRecordBytes = 1024;
// Our segment numbers start above the ones NTFS reserves for its own files.
constexpr ULONGLONG kFirstSegment = 64;
// How long Start waits (ms) for the first walk over the drive; a fresh Wine prefix takes well under
// a second, a full Windows drive some seconds.
constexpr DWORD kReadyTimeoutMs = 120000;
// Folders deeper than this are not walked (a loop through linked folders, not a real tree).
constexpr size_t kMaxWalkDepth = 64;

std::wstring Lower(const std::wstring& text)
{
    std::wstring lower = text;
    if (!lower.empty())
        CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
}

std::wstring ParentOf(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

template <class T>
void Put(BYTE* base, size_t offset, T value)
{
    std::memcpy(base + offset, &value, sizeof(value));
}

DWORD ReasonOf(DWORD action)
{
    switch (action) {
    case FILE_ACTION_ADDED:
        return USN_REASON_FILE_CREATE | USN_REASON_CLOSE;
    case FILE_ACTION_REMOVED:
        return USN_REASON_FILE_DELETE | USN_REASON_CLOSE;
    case FILE_ACTION_RENAMED_OLD_NAME:
        return USN_REASON_RENAME_OLD_NAME;
    case FILE_ACTION_RENAMED_NEW_NAME:
        return USN_REASON_RENAME_NEW_NAME | USN_REASON_CLOSE;
    default:
        return USN_REASON_DATA_OVERWRITE | USN_REASON_CLOSE;
    }
}

} // namespace

DWORD CChangeRecorder::Entry::Length() const
{
    const size_t bytes = offsetof(USN_RECORD, FileName) + name.size() * sizeof(wchar_t);
    return static_cast<DWORD>((bytes + 7) & ~static_cast<size_t>(7));
}

CChangeRecorder::CChangeRecorder() : m_readyTimeoutMs(kReadyTimeoutMs)
{
    m_journalId = CurrentFileTime();
    m_nodes.resize(kFirstSegment);
    m_nodes[ntfs::kRootSegment] = Node{L".", ntfs::kRootSegment, 5};
}

CChangeRecorder::~CChangeRecorder()
{
    Stop();
}

DWORD CChangeRecorder::Start(const CString& rootFolder)
{
    if (IsWatching())
        return 0;
    m_root = std::wstring(rootFolder.View());
    if (m_root.empty() || m_root.back() != L'\\')
        m_root += L'\\';
    m_folder.Reset(CreateFileW(rootFolder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!m_folder)
        return GetLastError();
    m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_ready.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_stop || !m_ready) {
        const DWORD error = GetLastError();
        m_folder.Reset();
        return error;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_startState = StartState::pending;
        m_startError = 0;
    }
    try {
        m_watcher = std::thread([this] {
            DWORD error = 0;
            try {
                error = Watch();
            } catch (...) {
                error = ERROR_NOT_ENOUGH_MEMORY;
            }
            // Once the start has been answered a later end of the watch is nobody's start error.
            {
                std::lock_guard<std::mutex> guard(m_lock);
                if (m_startState == StartState::pending) {
                    m_startState = StartState::failed;
                    m_startError = error ? error : ERROR_NOT_ENOUGH_MEMORY;
                }
            }
            SetEvent(m_ready.Get());
        });
    } catch (...) {
        m_folder.Reset();
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    WaitForSingleObject(m_ready.Get(), m_readyTimeoutMs);
    DWORD error = 0;
    {
        // The watcher writes the state under the lock, so a time-out cannot read it half-written;
        // a pending state stays pending, which the watcher then leaves alone.
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_startState == StartState::pending) {
            m_startState = StartState::failed;
            m_startError = ERROR_TIMEOUT;
        }
        if (m_startState == StartState::failed)
            error = m_startError;
    }
    // A folder that cannot be watched at all (the first request failed), or whose first walk did
    // not end in time (folders not yet opened are not watched under Wine), is no journal.
    if (error) {
        Stop();
        return error;
    }
    return 0;
}

void CChangeRecorder::Stop()
{
    if (m_stop)
        SetEvent(m_stop.Get());
    if (m_watcher.joinable())
        m_watcher.join();
    m_folder.Reset();
    m_stop.Reset();
    m_ready.Reset();
}

bool CChangeRecorder::IsWatching() const
{
    return m_watcher.joinable();
}

DWORD CChangeRecorder::Watch()
{
    // DWORD-aligned, as ReadDirectoryChangesW requires.
    std::unique_ptr<DWORD[]> buffer(new DWORD[kWatchBufferBytes / sizeof(DWORD)]);
    UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done)
        return GetLastError();
    const DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                         FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION | FILE_NOTIFY_CHANGE_ATTRIBUTES;
    for (;;) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = done.Get();
        ResetEvent(done.Get());
        if (!ReadDirectoryChangesW(m_folder.Get(), buffer.get(), kWatchBufferBytes, TRUE, filter, nullptr, &overlapped,
                                   nullptr)) {
            const DWORD error = GetLastError();
            // Only a failure before the first walk is the start's failure; later the watch ends.
            return WaitForSingleObject(m_ready.Get(), 0) == WAIT_OBJECT_0 ? 0 : error;
        }
        if (WaitForSingleObject(m_ready.Get(), 0) != WAIT_OBJECT_0) {
            WalkFolders(std::wstring(), false, 0);
            {
                std::lock_guard<std::mutex> guard(m_lock);
                if (m_startState == StartState::pending)
                    m_startState = StartState::ready;
            }
            SetEvent(m_ready.Get());
        }
        const HANDLE waits[2] = {done.Get(), m_stop.Get()};
        const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0) {
            CancelIo(m_folder.Get());
            DWORD ignored = 0;
            GetOverlappedResult(m_folder.Get(), &overlapped, &ignored, TRUE);
            return 0;
        }
        DWORD bytes = 0;
        if (!GetOverlappedResult(m_folder.Get(), &overlapped, &bytes, FALSE))
            continue;
        const ULONGLONG stamp = CurrentFileTime();
        std::vector<std::wstring> newFolders;
        const BYTE* base = reinterpret_cast<const BYTE*>(buffer.get());
        for (DWORD offset = 0; bytes >= sizeof(FILE_NOTIFY_INFORMATION) && offset <= bytes - sizeof(FILE_NOTIFY_INFORMATION);) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
            const size_t nameBytes = std::min<size_t>(info->FileNameLength, bytes - offset - offsetof(FILE_NOTIFY_INFORMATION, FileName));
            const std::wstring name(info->FileName, nameBytes / sizeof(wchar_t));
            Record(info->Action, name, stamp);
            if (info->Action == FILE_ACTION_ADDED || info->Action == FILE_ACTION_RENAMED_NEW_NAME) {
                const DWORD attributes = GetFileAttributesW((m_root + name).c_str());
                if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                    newFolders.push_back(name);
            }
            if (info->NextEntryOffset == 0)
                break;
            offset += info->NextEntryOffset;
        }
        for (const std::wstring& folder : newFolders)
            WalkFolders(folder, true, stamp);
    }
}

void CChangeRecorder::WalkFolders(const std::wstring& relativePath, bool record, ULONGLONG timeStamp)
{
    std::vector<std::pair<std::wstring, size_t>> pending{{relativePath, 0}};
    while (!pending.empty()) {
        const auto [folder, depth] = pending.back();
        pending.pop_back();
        const std::wstring prefix = folder.empty() ? std::wstring() : folder + L"\\";
        WIN32_FIND_DATAW found = {};
        // Enumerating a folder opens it, which is what puts it under the watch.
        UniqueFindHandle find(FindFirstFileExW((m_root + prefix + L"*").c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find)
            continue;
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (record)
                Record(FILE_ACTION_ADDED, prefix + name, timeStamp ? timeStamp : CurrentFileTime());
            const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                                  (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
            if (isFolder && depth < kMaxWalkDepth)
                pending.emplace_back(prefix + name, depth + 1);
        } while (FindNextFileW(find.Get(), &found));
        if (WaitForSingleObject(m_stop.Get(), 0) == WAIT_OBJECT_0)
            return;
    }
}

ULONGLONG CChangeRecorder::SegmentOf(const std::wstring& relativePath)
{
    if (relativePath.empty())
        return ntfs::kRootSegment;
    const std::wstring key = Lower(relativePath);
    const auto found = m_segments.find(key);
    if (found != m_segments.end())
        return found->second;
    const ULONGLONG parent = SegmentOf(ParentOf(relativePath));
    const ULONGLONG segment = m_nodes.size();
    m_nodes.push_back(Node{NameOf(relativePath), parent, 1});
    m_segments.emplace(key, segment);
    return segment;
}

ULONGLONG CChangeRecorder::ReferenceOf(ULONGLONG segment) const
{
    return ntfs::MakeReference(segment, m_nodes[segment].sequence);
}

void CChangeRecorder::Rename(const std::wstring& from, const std::wstring& to)
{
    const ULONGLONG segment = SegmentOf(from);
    const ULONGLONG newParent = SegmentOf(ParentOf(to));
    m_nodes[segment].name = NameOf(to);
    m_nodes[segment].parentSegment = newParent;
    // The paths below a renamed folder now start with its new name.
    const std::wstring oldKey = Lower(from);
    const std::wstring newKey = Lower(to);
    std::vector<std::pair<std::wstring, ULONGLONG>> moved;
    for (auto it = m_segments.begin(); it != m_segments.end();) {
        const std::wstring& key = it->first;
        if (key == oldKey || (key.size() > oldKey.size() && key.compare(0, oldKey.size(), oldKey) == 0 &&
                              key[oldKey.size()] == L'\\')) {
            moved.emplace_back(newKey + key.substr(oldKey.size()), it->second);
            it = m_segments.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& entry : moved)
        m_segments[entry.first] = entry.second;
}

void CChangeRecorder::Append(DWORD reason, const std::wstring& relativePath, ULONGLONG timeStamp)
{
    const ULONGLONG segment = SegmentOf(relativePath);
    Entry entry;
    entry.usn = m_nextUsn;
    entry.reference = ReferenceOf(segment);
    entry.parentReference = ReferenceOf(m_nodes[segment].parentSegment);
    entry.timeStamp = timeStamp;
    entry.reason = reason;
    entry.name = NameOf(relativePath);
    m_nextUsn += entry.Length();
    m_entries.push_back(std::move(entry));
    if (m_entries.size() > kMaxRecords)
        m_entries.pop_front();
}

void CChangeRecorder::Record(DWORD action, const std::wstring& relativePath, ULONGLONG timeStamp)
{
    if (relativePath.empty())
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    switch (action) {
    case FILE_ACTION_RENAMED_OLD_NAME:
        Append(ReasonOf(action), relativePath, timeStamp);
        m_pendingRenameFrom = relativePath;
        break;
    case FILE_ACTION_RENAMED_NEW_NAME:
        if (!m_pendingRenameFrom.empty())
            Rename(m_pendingRenameFrom, relativePath);
        m_pendingRenameFrom.clear();
        Append(ReasonOf(action), relativePath, timeStamp);
        break;
    default:
        Append(ReasonOf(action), relativePath, timeStamp);
        break;
    }
}

DWORD CChangeRecorder::Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned)
{
    // The answers below write their size; a caller that passed no place for it still gets them.
    DWORD ignored = 0;
    if (!returned)
        returned = &ignored;
    *returned = 0;
    std::lock_guard<std::mutex> guard(m_lock);
    switch (code) {
    case FSCTL_QUERY_USN_JOURNAL:
        return QueryJournal(out, outSize, returned);
    case FSCTL_READ_USN_JOURNAL:
        return ReadJournal(in, inSize, out, outSize, returned);
    case FSCTL_GET_NTFS_VOLUME_DATA:
        return VolumeData(out, outSize, returned);
    case FSCTL_GET_NTFS_FILE_RECORD:
        return FileRecord(in, inSize, out, outSize, returned);
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

DWORD CChangeRecorder::QueryJournal(void* out, DWORD outSize, DWORD* returned) const
{
    if (!out || outSize < sizeof(USN_JOURNAL_DATA))
        return ERROR_INSUFFICIENT_BUFFER;
    USN_JOURNAL_DATA data = {};
    data.UsnJournalID = m_journalId;
    data.FirstUsn = m_entries.empty() ? m_nextUsn : m_entries.front().usn;
    data.NextUsn = m_nextUsn;
    data.LowestValidUsn = data.FirstUsn;
    data.MaxUsn = 0x7FFFFFFFFFFF0000ll;
    data.MaximumSize = kMaxRecords * 128;
    std::memcpy(out, &data, sizeof(data));
    *returned = sizeof(data);
    return 0;
}

DWORD CChangeRecorder::ReadJournal(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) const
{
    if (!in || inSize < sizeof(READ_USN_JOURNAL_DATA))
        return ERROR_INVALID_PARAMETER;
    READ_USN_JOURNAL_DATA request = {};
    std::memcpy(&request, in, sizeof(request));
    if (request.UsnJournalID != m_journalId)
        return ERROR_JOURNAL_ENTRY_DELETED;
    if (!out || outSize < sizeof(USN))
        return ERROR_INSUFFICIENT_BUFFER;
    BYTE* base = static_cast<BYTE*>(out);
    auto first = std::lower_bound(m_entries.begin(), m_entries.end(), request.StartUsn,
                                  [](const Entry& entry, LONGLONG usn) { return entry.usn < usn; });
    size_t used = sizeof(USN);
    LONGLONG next = m_nextUsn;
    for (auto it = first; it != m_entries.end(); ++it) {
        const DWORD length = it->Length();
        if (used + length > outSize) {
            next = it->usn;
            break;
        }
        if (request.ReasonMask & it->reason) {
            BYTE* record = base + used;
            std::memset(record, 0, length);
            Put<DWORD>(record, offsetof(USN_RECORD, RecordLength), length);
            Put<WORD>(record, offsetof(USN_RECORD, MajorVersion), 2);
            Put<ULONGLONG>(record, offsetof(USN_RECORD, FileReferenceNumber), it->reference);
            Put<ULONGLONG>(record, offsetof(USN_RECORD, ParentFileReferenceNumber), it->parentReference);
            Put<LONGLONG>(record, offsetof(USN_RECORD, Usn), it->usn);
            Put<ULONGLONG>(record, offsetof(USN_RECORD, TimeStamp), it->timeStamp);
            Put<DWORD>(record, offsetof(USN_RECORD, Reason), it->reason);
            Put<WORD>(record, offsetof(USN_RECORD, FileNameLength), static_cast<WORD>(it->name.size() * sizeof(wchar_t)));
            Put<WORD>(record, offsetof(USN_RECORD, FileNameOffset), static_cast<WORD>(offsetof(USN_RECORD, FileName)));
            std::memcpy(record + offsetof(USN_RECORD, FileName), it->name.data(), it->name.size() * sizeof(wchar_t));
            used += length;
        }
    }
    Put<LONGLONG>(base, 0, next);
    *returned = static_cast<DWORD>(used);
    return 0;
}

DWORD CChangeRecorder::VolumeData(void* out, DWORD outSize, DWORD* returned) const
{
    if (!out || outSize < sizeof(NTFS_VOLUME_DATA_BUFFER))
        return ERROR_INSUFFICIENT_BUFFER;
    NTFS_VOLUME_DATA_BUFFER data = {};
    data.BytesPerSector = 512;
    data.BytesPerCluster = 4096;
    data.BytesPerFileRecordSegment = kFileRecordBytes;
    data.MftValidDataLength.QuadPart = static_cast<LONGLONG>(m_nodes.size() * kFileRecordBytes);
    std::memcpy(out, &data, sizeof(data));
    *returned = sizeof(data);
    return 0;
}

DWORD CChangeRecorder::FileRecord(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) const
{
    if (!in || inSize < sizeof(NTFS_FILE_RECORD_INPUT_BUFFER))
        return ERROR_INVALID_PARAMETER;
    NTFS_FILE_RECORD_INPUT_BUFFER request = {};
    std::memcpy(&request, in, sizeof(request));
    // Like NTFS, a segment that is not in use answers with the nearest one in use below it.
    ULONGLONG segment = static_cast<ULONGLONG>(request.FileReferenceNumber.QuadPart) & ntfs::kSegmentMask;
    segment = std::min<ULONGLONG>(segment, m_nodes.size() - 1);
    while (segment > 0 && m_nodes[segment].name.empty())
        --segment;
    if (m_nodes[segment].name.empty())
        return ERROR_INVALID_PARAMETER;
    const Node& node = m_nodes[segment];

    const size_t header = offsetof(NTFS_FILE_RECORD_OUTPUT_BUFFER, FileRecordBuffer);
    if (!out || outSize < header + kFileRecordBytes)
        return ERROR_INSUFFICIENT_BUFFER;
    BYTE* base = static_cast<BYTE*>(out);
    std::memset(base, 0, header + kFileRecordBytes);
    Put<ULONGLONG>(base, offsetof(NTFS_FILE_RECORD_OUTPUT_BUFFER, FileReferenceNumber), ReferenceOf(segment));
    Put<DWORD>(base, offsetof(NTFS_FILE_RECORD_OUTPUT_BUFFER, FileRecordLength), kFileRecordBytes);

    BYTE* record = base + header;
    const size_t nameValueBytes = ntfs::kFileNameText + node.name.size() * sizeof(wchar_t);
    const size_t attributeBytes = (ntfs::kAttributeResidentHeaderSize + nameValueBytes + 7) & ~static_cast<size_t>(7);
    const size_t endOffset = ntfs::kRecordHeaderSize + attributeBytes;
    if (endOffset + 8 > kFileRecordBytes)
        return ERROR_FILE_TOO_LARGE;
    Put<DWORD>(record, 0, ntfs::kRecordSignature);
    Put<WORD>(record, ntfs::kRecordSequenceNumber, node.sequence);
    Put<WORD>(record, ntfs::kRecordFirstAttribute, static_cast<WORD>(ntfs::kRecordHeaderSize));
    Put<WORD>(record, ntfs::kRecordFlags, 1);
    Put<DWORD>(record, ntfs::kRecordBytesInUse, static_cast<DWORD>(endOffset + 8));
    Put<DWORD>(record, ntfs::kRecordBytesAllocated, kFileRecordBytes);

    BYTE* attribute = record + ntfs::kRecordHeaderSize;
    Put<DWORD>(attribute, ntfs::kAttributeType, ntfs::kAttributeFileName);
    Put<DWORD>(attribute, ntfs::kAttributeLength, static_cast<DWORD>(attributeBytes));
    Put<DWORD>(attribute, ntfs::kAttributeValueLength, static_cast<DWORD>(nameValueBytes));
    Put<WORD>(attribute, ntfs::kAttributeValueOffset, static_cast<WORD>(ntfs::kAttributeResidentHeaderSize));
    BYTE* value = attribute + ntfs::kAttributeResidentHeaderSize;
    Put<ULONGLONG>(value, ntfs::kFileNameParent, ReferenceOf(node.parentSegment));
    Put<BYTE>(value, ntfs::kFileNameLength, static_cast<BYTE>(std::min<size_t>(node.name.size(), 255)));
    Put<BYTE>(value, ntfs::kFileNameSpace, 1);
    std::memcpy(value + ntfs::kFileNameText, node.name.data(), std::min<size_t>(node.name.size(), 255) * sizeof(wchar_t));
    Put<DWORD>(record, endOffset, ntfs::kAttributeEnd);

    *returned = static_cast<DWORD>(header + kFileRecordBytes);
    return 0;
}

namespace {

struct RecordedJournals {
    std::mutex lock;
    // Never destroyed: a watcher thread may still run while the process ends.
    std::map<std::wstring, CChangeRecorder*> byDevice;
};

RecordedJournals& Journals()
{
    static RecordedJournals* journals = new RecordedJournals;
    return *journals;
}

} // namespace

CChangeRecorder* FindRecordedJournal(const CString& deviceName)
{
    RecordedJournals& journals = Journals();
    std::lock_guard<std::mutex> guard(journals.lock);
    const auto found = journals.byDevice.find(Lower(std::wstring(deviceName.View())));
    return found == journals.byDevice.end() ? nullptr : found->second;
}

DWORD StartRecordedJournal(const CString& deviceName, const CString& rootFolder)
{
    RecordedJournals& journals = Journals();
    std::lock_guard<std::mutex> guard(journals.lock);
    const std::wstring key = Lower(std::wstring(deviceName.View()));
    if (journals.byDevice.count(key))
        return 0;
    auto recorder = std::make_unique<CChangeRecorder>();
    if (DWORD error = recorder->Start(rootFolder))
        return error;
    journals.byDevice[key] = recorder.release();
    return 0;
}
