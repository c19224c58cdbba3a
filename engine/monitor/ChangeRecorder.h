#pragma once
// CChangeRecorder: a change journal of our own for a volume that keeps none (Wine has no NTFS
// change journal). Once started it watches the whole drive with ReadDirectoryChangesW on a thread
// of its own and keeps one record per change, and it answers the journal requests of the scan in
// the platform's layouts: FSCTL_QUERY_USN_JOURNAL, FSCTL_READ_USN_JOURNAL (version-2 records),
// FSCTL_GET_NTFS_VOLUME_DATA and FSCTL_GET_NTFS_FILE_RECORD (FILE records with a $FILE_NAME
// attribute), so the scan cannot tell it from a real journal.
//
// Threads: the watcher thread appends records; the monitor's thread asks. One mutex guards the
// records, the name table and the state of the start, which both threads write. Like a real
// journal it lives on after the run and drops its oldest records when full.
//
// File references: every path seen gets a segment number of its own (the root folder is segment
// 5, named "."), kept for the life of the recorder. A renamed file or folder keeps its reference
// and takes the new name, as on NTFS, so older records resolve through the folder's current name.
// Times are taken when the notification arrives, a few milliseconds after the change itself.
//
// Wine quirk: a watch over a subtree only covers the folders that a program of the prefix has
// opened since the watch began. So the watcher opens every folder of the drive once before Start
// returns, and walks each folder created later, recording the files it already holds (they may
// have been written before the folder's own watch existed).

#include "framework/Handle.h"
#include "framework/String.h"

#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

class CChangeRecorder {
public:
    // Records kept before the oldest are dropped; at about 100 bytes each, a few tens of MB.
    static constexpr size_t kMaxRecords = 256 * 1024;

    CChangeRecorder();
    ~CChangeRecorder();   // stops the watcher
    CChangeRecorder(const CChangeRecorder&) = delete;
    CChangeRecorder& operator=(const CChangeRecorder&) = delete;

    // Starts watching the folder (a drive root such as "c:\") and everything below it; 0 or the
    // Windows error of opening the folder or of the first watch request; ERROR_TIMEOUT when the
    // first walk over the folders did not end within the ready time-out (the watch then ends).
    [[nodiscard]] DWORD Start(const CString& rootFolder);
    // How long Start waits (ms) for the watch to be in place; set before Start.
    void SetReadyTimeout(DWORD ms) { m_readyTimeoutMs = ms; }
    // Ends the watch; the records stay readable.
    void Stop();
    bool IsWatching() const;

    // Notes one change the way ReadDirectoryChangesW reports it: a FILE_ACTION_* code and the
    // path below the root. The watcher calls it; tests may too.
    void Record(DWORD action, const std::wstring& relativePath, ULONGLONG timeStamp);

    // Answers one of the four journal requests (the creation request is answered by the volume);
    // other codes give ERROR_INVALID_FUNCTION.
    [[nodiscard]] DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);

private:
    struct Node {
        std::wstring name;          // "." for the root
        ULONGLONG parentSegment = 0;
        WORD sequence = 1;
    };
    struct Entry {
        LONGLONG usn = 0;
        ULONGLONG reference = 0;
        ULONGLONG parentReference = 0;
        ULONGLONG timeStamp = 0;
        DWORD reason = 0;
        std::wstring name;
        DWORD Length() const;
    };

    // Both run on the watcher thread. The walk opens every folder below the relative path (which
    // is what makes Wine watch it); with record set it also notes every entry as added.
    DWORD Watch();   // 0, or the error of the first watch request
    void WalkFolders(const std::wstring& relativePath, bool record, ULONGLONG timeStamp);
    ULONGLONG SegmentOf(const std::wstring& relativePath);   // made on first sight; lock held
    ULONGLONG ReferenceOf(ULONGLONG segment) const;
    void Rename(const std::wstring& from, const std::wstring& to);
    void Append(DWORD reason, const std::wstring& relativePath, ULONGLONG timeStamp);

    DWORD QueryJournal(void* out, DWORD outSize, DWORD* returned) const;
    DWORD ReadJournal(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) const;
    DWORD VolumeData(void* out, DWORD outSize, DWORD* returned) const;
    DWORD FileRecord(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) const;

    mutable std::mutex m_lock;    // guards everything below except the watcher's handles and the time-out
    ULONGLONG m_journalId = 0;
    LONGLONG m_nextUsn = 0;
    std::deque<Entry> m_entries;
    std::vector<Node> m_nodes;                               // indexed by segment number
    std::unordered_map<std::wstring, ULONGLONG> m_segments;  // lower-cased relative path -> segment
    std::wstring m_pendingRenameFrom;

    std::wstring m_root;          // the watched folder with its trailing backslash
    UniqueKernelHandle m_folder;
    UniqueKernelHandle m_stop;
    UniqueKernelHandle m_ready;   // set once the first watch request is in place and the folders walked
    enum class StartState { pending, ready, failed };
    StartState m_startState = StartState::pending;  // under m_lock: the watcher and Start both write it
    DWORD m_startError = 0;                         // under m_lock; set with StartState::failed
    DWORD m_readyTimeoutMs;
    std::thread m_watcher;
};

// The process-wide recorded journal of a volume device ("\\.\c:", any case); null when none was
// started.
CChangeRecorder* FindRecordedJournal(const CString& deviceName);
// Starts the recorded journal of the device, watching rootFolder; an existing one stays as it is.
// Like a real journal it then lives as long as the process.
[[nodiscard]] DWORD StartRecordedJournal(const CString& deviceName, const CString& rootFolder);
