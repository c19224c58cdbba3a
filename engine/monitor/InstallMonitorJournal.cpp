// The change-journal scan: every journal record stamped within the run's time window yields one
// full path. A record names only the file and the reference of its folder, so folder paths are
// rebuilt from the volume's file records upwards to the root.
//
// Everything the volume returns is checked before it is read: a record length, a name offset or an
// attribute length that points outside its buffer ends the walk of that buffer or record instead
// of reading past it.

#include "engine/monitor/InstallMonitor.h"

#include "engine/monitor/NtfsLayout.h"

#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// The journal is read in pieces of this size (one journal page).
constexpr DWORD kReadBytes = 4096;
// A folder chain longer than this is a loop in the records, not a real path.
constexpr int kMaxFolderDepth = 1024;
// File record segments are 1 KiB or 4 KiB; anything larger is not a sane answer.
constexpr DWORD kMaxFileRecordBytes = 64 * 1024;

template <class T>
T Get(const BYTE* base, size_t offset)
{
    T value;
    std::memcpy(&value, base + offset, sizeof(value));
    return value;
}

// The name and parent from the first $FILE_NAME attribute outside the DOS name space; false when
// the record has none. ERROR_FILE_CORRUPT in *error when a length does not fit.
bool FindFileName(const BYTE* record, size_t recordBytes, CString& name, ULONGLONG& parent, DWORD& error)
{
    error = 0;
    if (recordBytes < ntfs::kRecordHeaderSize || Get<DWORD>(record, 0) != ntfs::kRecordSignature) {
        error = ERROR_FILE_CORRUPT;
        return false;
    }
    size_t offset = Get<WORD>(record, ntfs::kRecordFirstAttribute);
    while (offset + 8 <= recordBytes) {
        const DWORD type = Get<DWORD>(record, offset + ntfs::kAttributeType);
        if (type == ntfs::kAttributeEnd)
            return false;
        const DWORD length = Get<DWORD>(record, offset + ntfs::kAttributeLength);
        // A zero or short length would walk in place for ever; a long one past the record.
        if (length < ntfs::kAttributeResidentHeaderSize - 8 || length > recordBytes - offset) {
            error = ERROR_FILE_CORRUPT;
            return false;
        }
        const BYTE* attribute = record + offset;
        if (type == ntfs::kAttributeFileName && attribute[ntfs::kAttributeNonResident] == 0 &&
            length >= ntfs::kAttributeResidentHeaderSize) {
            const DWORD valueBytes = Get<DWORD>(attribute, ntfs::kAttributeValueLength);
            const WORD valueOffset = Get<WORD>(attribute, ntfs::kAttributeValueOffset);
            if (valueOffset > length || valueBytes > length - valueOffset || valueBytes < ntfs::kFileNameText) {
                error = ERROR_FILE_CORRUPT;
                return false;
            }
            const BYTE* value = attribute + valueOffset;
            const size_t characters = value[ntfs::kFileNameLength];
            if (ntfs::kFileNameText + characters * sizeof(wchar_t) > valueBytes) {
                error = ERROR_FILE_CORRUPT;
                return false;
            }
            if (value[ntfs::kFileNameSpace] != ntfs::kNameSpaceDos) {
                std::wstring text(characters, L'\0');
                std::memcpy(text.data(), value + ntfs::kFileNameText, characters * sizeof(wchar_t));
                name = CString(std::wstring_view(text));
                parent = Get<ULONGLONG>(value, ntfs::kFileNameParent);
                return true;
            }
        }
        offset += length;
    }
    return false;
}

} // namespace

DWORD ReadFileRecordName(IVolumeDevice& volume, ULONGLONG reference, CString& name, ULONGLONG& parentReference)
{
    NTFS_VOLUME_DATA_BUFFER volumeData = {};
    DWORD returned = 0;
    if (DWORD error = volume.Control(FSCTL_GET_NTFS_VOLUME_DATA, nullptr, 0, &volumeData, sizeof(volumeData), &returned))
        return error;
    const DWORD segmentBytes = volumeData.BytesPerFileRecordSegment;
    if (returned < sizeof(volumeData) || segmentBytes == 0 || segmentBytes > kMaxFileRecordBytes)
        return ERROR_FILE_CORRUPT;

    const size_t header = offsetof(NTFS_FILE_RECORD_OUTPUT_BUFFER, FileRecordBuffer);
    std::vector<BYTE> buffer(header + segmentBytes + 15, 0);
    NTFS_FILE_RECORD_INPUT_BUFFER request = {};
    request.FileReferenceNumber.QuadPart = static_cast<LONGLONG>(reference);
    if (DWORD error = volume.Control(FSCTL_GET_NTFS_FILE_RECORD, &request, sizeof(request), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), &returned))
        return error;
    if (returned < header)
        return ERROR_FILE_CORRUPT;

    // For a segment that is not in use the volume answers with the nearest one below it: that is
    // another file, and its name would give a wrong path.
    const ULONGLONG answered = Get<ULONGLONG>(buffer.data(), offsetof(NTFS_FILE_RECORD_OUTPUT_BUFFER, FileReferenceNumber));
    if ((answered & ntfs::kSegmentMask) != (reference & ntfs::kSegmentMask))
        return ERROR_FILE_NOT_FOUND;
    const DWORD recordBytes = Get<DWORD>(buffer.data(), offsetof(NTFS_FILE_RECORD_OUTPUT_BUFFER, FileRecordLength));
    if (recordBytes > returned - header || recordBytes > segmentBytes)
        return ERROR_FILE_CORRUPT;
    const BYTE* record = buffer.data() + header;
    if (recordBytes >= ntfs::kRecordHeaderSize) {
        // The segment was freed and reused for another file since the journal named it.
        const WORD sequence = static_cast<WORD>(reference >> ntfs::kSequenceShift);
        if (sequence != 0 && Get<WORD>(record, ntfs::kRecordSequenceNumber) != sequence)
            return ERROR_FILE_NOT_FOUND;
    }
    DWORD error = 0;
    if (FindFileName(record, recordBytes, name, parentReference, error))
        return 0;
    return error ? error : ERROR_FILE_NOT_FOUND;
}

DWORD ResolveFolderPath(IVolumeDevice& volume, ULONGLONG reference, CString& path)
{
    path.Empty();
    CString folders;
    for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
        CString name;
        ULONGLONG parent = 0;
        if (DWORD error = ReadFileRecordName(volume, reference, name, parent))
            return error;
        if (name == L".") {
            path = GetSystemDrive() + L"\\" + folders;
            return 0;
        }
        folders = name + L"\\" + folders;
        reference = parent;
    }
    return ERROR_FILE_CORRUPT;
}

DWORD ScanVolumeJournal(const CString& deviceName, ULONGLONG startTime, ULONGLONG endTime, CStringList& changedPaths)
{
    std::unique_ptr<IVolumeDevice> volume;
    if (DWORD error = OpenVolume(deviceName, volume))
        return error;
    USN_JOURNAL_DATA journal = {};
    DWORD returned = 0;
    if (DWORD error = volume->Control(FSCTL_QUERY_USN_JOURNAL, nullptr, 0, &journal, sizeof(journal), &returned))
        return error;

    READ_USN_JOURNAL_DATA request = {};
    request.StartUsn = 0;
    request.ReasonMask = 0xFFFFFFFF;
    request.UsnJournalID = journal.UsnJournalID;

    CStringList found;
    std::unordered_set<std::wstring> seen;   // the same paths as found, for the duplicate test
    bool haveCachedFolder = false;
    ULONGLONG cachedParent = 0;
    CString cachedFolder;                    // empty when the cached parent could not be resolved
    std::vector<BYTE> buffer(kReadBytes);
    const LONGLONG start = static_cast<LONGLONG>(startTime);
    const LONGLONG end = static_cast<LONGLONG>(endTime);
    for (;;) {
        std::fill(buffer.begin(), buffer.end(), 0);
        if (DWORD error = volume->Control(FSCTL_READ_USN_JOURNAL, &request, sizeof(request), buffer.data(),
                                          kReadBytes, &returned))
            return error;
        if (returned <= sizeof(USN) || returned > kReadBytes)
            break;
        const BYTE* base = buffer.data();
        const size_t minimum = offsetof(USN_RECORD, FileName);
        for (size_t offset = sizeof(USN); offset + minimum <= returned;) {
            const DWORD length = Get<DWORD>(base, offset + offsetof(USN_RECORD, RecordLength));
            if (length < minimum || length > returned - offset)
                break;
            const BYTE* record = base + offset;
            offset += length;
            if (Get<WORD>(record, offsetof(USN_RECORD, MajorVersion)) != 2)
                continue;
            const LONGLONG stamp = Get<LONGLONG>(record, offsetof(USN_RECORD, TimeStamp));
            if (stamp < start || stamp > end)
                continue;
            const WORD nameBytes = Get<WORD>(record, offsetof(USN_RECORD, FileNameLength));
            const WORD nameOffset = Get<WORD>(record, offsetof(USN_RECORD, FileNameOffset));
            if (nameOffset < minimum || nameOffset > length || nameBytes > length - nameOffset || nameBytes % 2 != 0)
                continue;
            const ULONGLONG parent = Get<ULONGLONG>(record, offsetof(USN_RECORD, ParentFileReferenceNumber));
            if (!haveCachedFolder || parent != cachedParent) {
                if (ResolveFolderPath(*volume, parent, cachedFolder) != 0)
                    cachedFolder.Empty();
                cachedParent = parent;
                haveCachedFolder = true;
            }
            // A folder that cannot be named would give a partial path: the record goes.
            if (cachedFolder.IsEmpty())
                continue;
            std::wstring name(nameBytes / sizeof(wchar_t), L'\0');
            std::memcpy(name.data(), record + nameOffset, nameBytes);
            CString path;
            path.Format(L"%s%s", cachedFolder.GetString(), name.c_str());
            if (seen.insert(std::wstring(path.View())).second)
                found.AddTail(path);
        }
        const LONGLONG next = Get<LONGLONG>(base, 0);
        // USNs only grow; an answer that does not move on would be read again for ever.
        if (next <= request.StartUsn)
            break;
        request.StartUsn = next;
    }
    changedPaths.AddTail(found);
    return 0;
}

DWORD CInstallMonitor::CollectChangedFiles()
{
    CStringList changed;
    if (DWORD error = ScanVolumeJournal(GetSystemVolumeDeviceName(), m_startTime, m_endTime, changed))
        return error;
    AddChangedFiles(changed);
    return 0;
}
