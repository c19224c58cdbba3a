// The registry snapshot and difference. Before the run every key of HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE is noted with its number of values; after the run the keys written within the
// time window that are new, or hold more values than before, export their new values as records.
//
// Each root is walked by a thread of its own, which shares the walk of its subtree with a few helper
// threads (CKeyWalk): every registry call is a round trip to the registry's owner (the Wine server),
// and several calls in flight overlap their waits. The round trips are what a walk costs, so the
// walk lists each key's subkeys together with their counts and opens only the keys it must descend
// into (or read values from); most keys are leaves and are never opened. The walk keeps the tree
// it found, so the results come out in the same post-order as a walk on one thread. The snapshot
// threads fill their own lists; the two difference threads append each key's records to the
// project as one block under m_registryLock, so no thread's records land inside another's key.

#include "engine/monitor/InstallMonitor.h"

#include "engine/files/Globals.h"
#include "engine/files/PathHelpers.h"
#include "engine/files/SystemFolderTable.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Helper threads per walk (each root has its own walk): several calls in flight overlap their waits
// for the registry's owner. Measured under Wine on 10,000 keys with the four-call walk (open, query,
// list, close per key), snapshot and difference together: about 5 s with none, 2 s with two, 1.6 s
// with four. With the two-call listing below (half the calls) runs on a loaded machine varied too
// much to tell none from eight apart, so four stays.
constexpr int kWalkHelpers = 4;

// Key names are at most 255 characters, value names at most 16383.
constexpr DWORD kKeyNameChars = 256;
constexpr DWORD kValueNameChars = 16384;
constexpr REGSAM kKeyAccess = KEY_READ | KEY_WOW64_64KEY;

// The text of a string value: the data up to its first NUL (the data need not end with one).
CString StringData(const BYTE* data, DWORD bytes)
{
    const wchar_t* text = reinterpret_cast<const wchar_t*>(data);
    int length = 0;
    const int limit = static_cast<int>(bytes / sizeof(wchar_t));
    while (length < limit && text[length])
        ++length;
    return CString(text, length);
}

// The strings of a multi-string value joined with "[~]".
CString MultiStringData(const BYTE* data, DWORD bytes)
{
    const wchar_t* text = reinterpret_cast<const wchar_t*>(data);
    const int limit = static_cast<int>(bytes / sizeof(wchar_t));
    CString joined;
    bool first = true;
    for (int start = 0; start < limit;) {
        int end = start;
        while (end < limit && text[end])
            ++end;
        if (end == start)
            break; // the empty string that ends the list
        if (!first)
            joined += L"[~]";
        joined += CString(text + start, end - start);
        first = false;
        start = end + 1;
    }
    return joined;
}

// The record of one value; false for a type that has none.
bool MakeValueRecord(const CString& keyText, const CString& valueName, DWORD type, const BYTE* data, DWORD bytes,
                     CRegistryEntry& record)
{
    record.m_kind = CRegistryEntry::kindValue;
    record.m_keyPath = keyText;
    record.m_valueName = valueName;
    ReplaceFolderPathsWithProperties(record.m_valueName);
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        record.m_valueType = type == REG_SZ ? CRegistryEntry::typeString : CRegistryEntry::typeExpandString;
        record.m_value = StringData(data, bytes);
        ReplaceFolderPathsWithProperties(record.m_value);
        return true;
    case REG_MULTI_SZ:
        record.m_valueType = CRegistryEntry::typeMultiString;
        record.m_value = MultiStringData(data, bytes);
        ReplaceFolderPathsWithProperties(record.m_value);
        return true;
    case REG_BINARY:
        record.m_valueType = CRegistryEntry::typeBinary;
        record.m_value = FormatBinaryValue(data, bytes);
        return true;
    case REG_DWORD: {
        if (bytes != sizeof(DWORD))
            return false;
        DWORD number = 0;
        memcpy(&number, data, sizeof(number));
        record.m_valueType = CRegistryEntry::typeDword;
        record.m_value.Format(L"%d", static_cast<int>(number));
        return true;
    }
    default:
        return false;
    }
}


} // namespace

// One key of a walked subtree, with the keys below it in enumeration order.
struct KeyNode {
    CString path;        // key path below the root, ending with a backslash (empty for the root)
    UniqueRegKey key;    // held only while the key waits to be expanded (it has subkeys)
    bool known = false;  // the counts below were read
    DWORD subkeys = 0;
    DWORD values = 0;
    DWORD longestValue = 0;  // bytes
    FILETIME written = {};
    std::vector<std::unique_ptr<KeyNode>> children;
    std::vector<CRegistryEntry> records; // the difference's block for this key
};

namespace {

// The native calls under RegEnumKeyExW and RegQueryInfoKeyW. The Win32 enumeration gives a
// subkey's name but not its counts, so a walk through it must open, query and close every key:
// four round trips to the registry's owner per key. Enumerating each subkey twice, for its name
// and for its counts, takes two and opens only the keys that have subkeys of their own.
constexpr int kKeyBasicInformation = 0;
constexpr int kKeyFullInformation = 2;
constexpr LONG kStatusSuccess = 0;
constexpr LONG kStatusBufferOverflow = static_cast<LONG>(0x80000005);

struct KeyBasic {
    LARGE_INTEGER lastWriteTime;
    ULONG titleIndex;
    ULONG nameLength;               // bytes
    wchar_t name[kKeyNameChars];
};
struct KeyFull {
    LARGE_INTEGER lastWriteTime;
    ULONG titleIndex;
    ULONG classOffset;
    ULONG classLength;
    ULONG subKeys;
    ULONG maxNameLength;
    ULONG maxClassLength;
    ULONG values;
    ULONG maxValueNameLength;       // bytes
    ULONG maxValueDataLength;       // bytes
    wchar_t classText[kKeyNameChars];
};

using EnumerateKeyFn = LONG(WINAPI*)(HANDLE key, ULONG index, int infoClass, void* info, ULONG length,
                                     ULONG* resultLength);

EnumerateKeyFn NativeEnumerateKey()
{
    static const EnumerateKeyFn function = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll ? reinterpret_cast<EnumerateKeyFn>(
                           reinterpret_cast<void*>(GetProcAddress(ntdll, "NtEnumerateKey")))
                     : nullptr;
    }();
    return function;
}

// A registry link (Wine links the 32-bit and 64-bit class keys, for one) reports its own counts when
// enumerated: no subkeys and its one value "SymbolicLinkValue". Opening follows the link, so such a
// key is opened and queried like any key with subkeys; another key that merely looks alike only
// costs that open.
bool MayBeLink(const KeyFull& full)
{
    return full.subKeys == 0 && full.values == 1 && full.maxValueNameLength == sizeof(L"SymbolicLinkValue") - sizeof(wchar_t);
}

bool IsPredefinedKey(HKEY key)
{
    return reinterpret_cast<ULONG_PTR>(key) >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT);
}

// The counts of an open key. One that cannot be queried is still there: it counts as a key
// without subkeys or values.
void QueryKey(HKEY key, KeyNode& node)
{
    node.known = true;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &node.subkeys, nullptr, nullptr, &node.values, nullptr,
                         &node.longestValue, nullptr, &node.written) != ERROR_SUCCESS)
        node.subkeys = node.values = node.longestValue = 0;
}

// Walks the subtree of an open key on the calling thread and kWalkHelpers more. Each expanded key
// has its subkeys listed with their counts; a subkey that has subkeys itself is opened and queued
// for expansion, the others are never opened. visit runs once per key, while its parent is open
// (the top key's visit gets no parent: its own key is open then). A subkey that cannot be opened
// is not expanded; a set stop event ends the walk early (the keys not yet expanded are closed
// with the tree).
class CKeyWalk {
public:
    // parent: the open parent of the node (or, for the top node, the node's own key); the node's
    // name below it is nodeName (empty for the top node).
    using Visit = std::function<void(HKEY parent, const CString& nodeName, KeyNode& node)>;

    CKeyWalk(HKEY base, Visit visit) : m_base(base), m_visit(std::move(visit)) {}

    // Fills top (whose key is the base) and everything below. 0; ERROR_CANCELLED when the stop
    // event ended it; ERROR_NOT_ENOUGH_MEMORY when a thread of the walk ran out of memory.
    DWORD Run(KeyNode& top)
    {
        try {
            QueryKey(m_base, top);
            m_visit(m_base, CString(), top);
            Expand(m_base, top);
        } catch (...) {
            Fail(ERROR_NOT_ENOUGH_MEMORY);
        }
        std::vector<std::thread> helpers;
        for (int i = 0; i < kWalkHelpers; ++i) {
            try {
                helpers.emplace_back([this] { Work(); });
            } catch (...) {
                break; // the helpers made so far, and this thread, do the work
            }
        }
        Work();
        for (std::thread& helper : helpers)
            helper.join();
        if (m_error)
            return m_error;
        return m_stopped ? ERROR_CANCELLED : 0;
    }

private:
    void Work()
    {
        // A thread entry: nothing may leave it as an exception.
        try {
            for (;;) {
                KeyNode* node = nullptr;
                {
                    std::unique_lock<std::mutex> guard(m_lock);
                    m_wake.wait(guard, [this] { return !m_queue.empty() || m_busy == 0 || m_stopped; });
                    if (m_stopped || m_queue.empty())
                        return;
                    node = m_queue.front();
                    m_queue.pop_front();
                    ++m_busy;
                }
                Expand(node->key.Get(), *node);
                node->key.Reset();
                std::lock_guard<std::mutex> guard(m_lock);
                --m_busy;
                m_wake.notify_all();
            }
        } catch (...) {
            Fail(ERROR_NOT_ENOUGH_MEMORY);
        }
    }

    // Ends the walk on every thread; the first error counts.
    void Fail(DWORD error)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_error)
            m_error = error;
        m_stopped = true;
        m_queue.clear();
        m_wake.notify_all();
    }

    void Expand(HKEY key, KeyNode& node)
    {
        if (IsStopRequested()) {
            std::lock_guard<std::mutex> guard(m_lock);
            m_stopped = true;
            m_queue.clear();
            m_wake.notify_all();
            return;
        }
        const EnumerateKeyFn enumerate = NativeEnumerateKey();
        // The predefined roots are no handles the native calls take.
        const bool native = enumerate && !IsPredefinedKey(key);
        std::vector<KeyNode*> toExpand;
        wchar_t name[kKeyNameChars];
        for (DWORD i = 0; i < node.subkeys; ++i) {
            auto child = std::make_unique<KeyNode>();
            CString childName;
            bool open = true;
            bool named = false;
            if (native) {
                KeyBasic basic;
                KeyFull full;
                ULONG length = 0;
                if (enumerate(key, i, kKeyBasicInformation, &basic, sizeof(basic), &length) == kStatusSuccess) {
                    named = true;
                    childName = CString(basic.name, static_cast<int>(basic.nameLength / sizeof(wchar_t)));
                    // A class text longer than the buffer only cuts the text; the counts are there.
                    const LONG status = enumerate(key, i, kKeyFullInformation, &full, sizeof(full), &length);
                    // Another program can add or delete a subkey between the two calls and so shift
                    // the index: the two answers then name different keys, most likely with
                    // different times. Such a subkey is read the slow way, by its name.
                    if ((status == kStatusSuccess || status == kStatusBufferOverflow) &&
                        basic.lastWriteTime.QuadPart == full.lastWriteTime.QuadPart && !MayBeLink(full)) {
                        child->known = true;
                        child->subkeys = full.subKeys;
                        child->values = full.values;
                        child->longestValue = full.maxValueDataLength;
                        child->written.dwLowDateTime = static_cast<DWORD>(full.lastWriteTime.QuadPart);
                        child->written.dwHighDateTime = static_cast<DWORD>(full.lastWriteTime.QuadPart >> 32);
                        open = full.subKeys > 0;
                    }
                }
            }
            if (!named) {
                DWORD length = kKeyNameChars;
                if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                    continue;
                childName = CString(name, static_cast<int>(length));
            }
            if (open) {
                // Opened here, below its parent, so that the registry resolves one name, not a path.
                HKEY subkey = nullptr;
                if (RegOpenKeyExW(key, childName, 0, kKeyAccess, &subkey) != ERROR_SUCCESS) {
                    if (!child->known)
                        continue; // nothing is known of it: left out, as a key that is not there
                } else {
                    child->key.Reset(subkey);
                    if (!child->known)
                        QueryKey(subkey, *child);
                    if (child->subkeys == 0)
                        child->key.Reset();
                }
            }
            child->path = node.path + childName + L"\\";
            m_visit(key, childName, *child);
            if (child->key)
                toExpand.push_back(child.get());
            node.children.push_back(std::move(child));
        }
        if (!toExpand.empty()) {
            std::lock_guard<std::mutex> guard(m_lock);
            if (!m_stopped) {
                m_queue.insert(m_queue.end(), toExpand.begin(), toExpand.end());
                m_wake.notify_all();
            }
        }
    }

    HKEY m_base; // not owned
    Visit m_visit;
    std::mutex m_lock;                 // guards the four fields below
    std::condition_variable m_wake;
    std::deque<KeyNode*> m_queue;      // opened by no one yet
    int m_busy = 0;                    // keys being expanded
    bool m_stopped = false;
    DWORD m_error = 0;
};

// The snapshot records of the tree in post-order: a key's record follows those of its subkeys.
void AppendSnapshot(const KeyNode& node, CStringList& snapshot)
{
    for (const auto& child : node.children)
        AppendSnapshot(*child, snapshot);
    if (node.known)
        snapshot.AddTail(node.path + CString(static_cast<wchar_t>(node.values & 0xFFFF)));
}

} // namespace

CString FormatBinaryValue(const BYTE* bytes, size_t count)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    CString text;
    text.Preallocate(static_cast<int>(count * 2));
    for (size_t i = 0; i < count; ++i) {
        text.AppendChar(kDigits[bytes[i] >> 4]);
        text.AppendChar(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

CString CInstallMonitor::MakeKeyText(HKEY root, const CString& keyPath)
{
    CString text;
    if (root == HKEY_LOCAL_MACHINE) {
        CString lower = keyPath.Left(17);
        lower.MakeLower();
        if (lower == L"software\\classes\\")
            text = L"HKEY_CLASSES_ROOT" + keyPath.Mid(16);
        else
            text = L"HKEY_LOCAL_MACHINE\\" + keyPath;
    } else {
        text = L"HKEY_CURRENT_USER\\" + keyPath;
    }
    // The 32-bit view's keys are the same keys to the package; Windows writes the folder's name in
    // either case, so it is matched without regard to case.
    if (IsWow64)
        ReplaceNoCase(text, L"\\Wow6432Node\\", L"\\");
    return text;
}

bool CInstallMonitor::IsExcludedRegistryKey(const CString& keyText) const
{
    return MatchesFilterEntry(m_registryFilter, keyText, true);
}

DWORD CInstallMonitor::SnapshotKey(UniqueRegKey key, const CString& keyPath, CStringList& snapshot)
{
    KeyNode top;
    top.path = keyPath;
    CKeyWalk walk(key.Get(), [this](HKEY, const CString&, KeyNode& node) {
        if (m_walkProbe)
            m_walkProbe(node.path);
    });
    const DWORD result = walk.Run(top);
    // An abandoned snapshot stays empty: every key written in the window then counts as new.
    if (result == ERROR_CANCELLED) {
        snapshot.RemoveAll();
        return result;
    }
    try {
        AppendSnapshot(top, snapshot);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return result;
}

DWORD CInstallMonitor::DiffKey(HKEY root, UniqueRegKey key, const CString& keyPath, const CStringList& snapshot)
{
    KeyNode top;
    top.path = keyPath;
    CKeyWalk walk(key.Get(), [this, root, &snapshot](HKEY parent, const CString& name, KeyNode& node) {
        if (m_walkProbe)
            m_walkProbe(node.path);
        // The key's own last-write time, not the times its parent's enumeration reports.
        const LONGLONG time = static_cast<LONGLONG>(FileTimeValue(node.written));
        if (!node.known || node.values == 0 || time <= static_cast<LONGLONG>(m_startTime) ||
            time >= static_cast<LONGLONG>(m_endTime))
            return;
        DWORD firstIndex = 0;
        const std::wstring_view path = node.path.View();
        for (POSITION position = snapshot.GetHeadPosition(); position;) {
            const std::wstring_view record = snapshot.GetNext(position).View();
            if (record.size() == path.size() + 1 && record.substr(0, path.size()) == path) {
                // The new values are taken to be those enumerated after the old ones; a key that
                // only had values changed exports nothing.
                firstIndex = record.back();
                if (firstIndex >= node.values)
                    return;
                break;
            }
        }
        // Few keys get here: those written within the window. Only they are opened for values.
        UniqueRegKey own;
        HKEY values = parent;
        if (!name.IsEmpty()) {
            if (RegOpenKeyExW(parent, name, 0, kKeyAccess, own.Put()) != ERROR_SUCCESS)
                return;
            values = own.Get();
        }
        MakeKeyRecords(root, node.path, values, node.values, firstIndex, node.longestValue, node.records);
    });
    // A stopped difference keeps what it found so far, and so does one that failed; the failure
    // is the caller's to report.
    const DWORD result = walk.Run(top);
    try {
        AppendDiffRecords(top);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return result == ERROR_CANCELLED ? 0 : result;
}

void CInstallMonitor::AppendDiffRecords(const KeyNode& node)
{
    for (const auto& child : node.children)
        AppendDiffRecords(*child);
    if (!node.records.empty())
        AppendRegistryBlock(node.records);
}

void CInstallMonitor::ExportKeyValues(HKEY root, const CString& keyPath, HKEY key, DWORD valueCount,
                                      DWORD firstIndex, DWORD longestValueBytes)
{
    std::vector<CRegistryEntry> records;
    MakeKeyRecords(root, keyPath, key, valueCount, firstIndex, longestValueBytes, records);
    if (!records.empty())
        AppendRegistryBlock(records);
}

void CInstallMonitor::MakeKeyRecords(HKEY root, const CString& keyPath, HKEY key, DWORD valueCount, DWORD firstIndex,
                                     DWORD longestValueBytes, std::vector<CRegistryEntry>& records) const
{
    const CString keyText = MakeKeyText(root, keyPath);
    if (IsExcludedRegistryKey(keyText))
        return;
    CRegistryEntry keyRecord;
    keyRecord.m_kind = CRegistryEntry::kindKey;
    keyRecord.m_keyPath = keyText;
    records.push_back(keyRecord);

    std::vector<wchar_t> name(kValueNameChars);
    // Room for the longest value and a terminator the data may lack.
    std::vector<BYTE> data(static_cast<size_t>(longestValueBytes) + 2 * sizeof(wchar_t));
    for (DWORD i = firstIndex < valueCount ? firstIndex : 0; i < valueCount; ++i) {
        DWORD nameLength = kValueNameChars;
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(data.size());
        LONG status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            // The value grew after the key was queried: read it again with the room it now needs.
            data.resize(static_cast<size_t>(bytes) + 2 * sizeof(wchar_t));
            nameLength = kValueNameChars;
            bytes = static_cast<DWORD>(data.size());
            status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &bytes);
        }
        if (status != ERROR_SUCCESS)
            continue;
        CRegistryEntry record;
        if (MakeValueRecord(keyText, CString(name.data(), static_cast<int>(nameLength)), type, data.data(), bytes,
                            record))
            records.push_back(record);
    }
}

void CInstallMonitor::AppendRegistryBlock(const std::vector<CRegistryEntry>& records)
{
    std::lock_guard<std::mutex> guard(m_registryLock);
    CRegistryEntries& registry = m_project.m_registry;
    for (const CRegistryEntry& record : records) {
        // Under WOW64 both views of a key export under one key text: the second copy is skipped.
        if (IsWow64) {
            if (record.m_kind == CRegistryEntry::kindKey && registry.FindKey(record.m_keyPath))
                continue;
            if (record.m_kind == CRegistryEntry::kindValue && registry.FindValue(record.m_keyPath, record.m_valueName))
                continue;
        }
        registry.Add(record);
    }
}

DWORD CInstallMonitor::SnapshotRoot(HKEY root, CStringList& snapshot)
{
    snapshot.RemoveAll();
    UniqueRegKey key;
    if (const LONG error = RegOpenKeyExW(root, nullptr, 0, kKeyAccess, key.Put()))
        return static_cast<DWORD>(error);
    return SnapshotKey(std::move(key), CString(), snapshot);
}

DWORD CInstallMonitor::DiffRoot(HKEY root, const CStringList& snapshot)
{
    UniqueRegKey key;
    if (const LONG error = RegOpenKeyExW(root, nullptr, 0, kKeyAccess, key.Put()))
        return static_cast<DWORD>(error);
    return DiffKey(root, std::move(key), CString(), snapshot);
}

namespace {

// The body of a thread entry: nothing may leave it as an exception. Its result is the thread's
// exit code, which the caller collects.
template <class Walk>
DWORD RunWalkThread(Walk walk)
{
    try {
        return walk();
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

} // namespace

DWORD WINAPI CInstallMonitor::SnapshotHkcuThread(void* holder)
{
    auto* monitor = static_cast<CInstallMonitor*>(holder);
    return RunWalkThread([monitor] { return monitor->SnapshotRoot(HKEY_CURRENT_USER, monitor->m_hkcuSnapshot); });
}

DWORD WINAPI CInstallMonitor::SnapshotHklmThread(void* holder)
{
    auto* monitor = static_cast<CInstallMonitor*>(holder);
    return RunWalkThread([monitor] { return monitor->SnapshotRoot(HKEY_LOCAL_MACHINE, monitor->m_hklmSnapshot); });
}

DWORD WINAPI CInstallMonitor::DiffHkcuThread(void* holder)
{
    auto* monitor = static_cast<CInstallMonitor*>(holder);
    return RunWalkThread([monitor] { return monitor->DiffRoot(HKEY_CURRENT_USER, monitor->m_hkcuSnapshot); });
}

DWORD WINAPI CInstallMonitor::DiffHklmThread(void* holder)
{
    auto* monitor = static_cast<CInstallMonitor*>(holder);
    return RunWalkThread([monitor] { return monitor->DiffRoot(HKEY_LOCAL_MACHINE, monitor->m_hklmSnapshot); });
}

namespace {

// Runs both entries on threads of their own and waits for both; an entry whose thread cannot be
// made runs on this thread instead, so no root is ever skipped. 0, or the result of the first
// entry that failed. A walk stopped by the stop event is no failure here (the sequence asks the
// event itself); a thread whose exit code cannot be read counts as failed.
DWORD RunPair(LPTHREAD_START_ROUTINE first, LPTHREAD_START_ROUTINE second, void* holder)
{
    UniqueKernelHandle threads[2];
    DWORD results[2] = {};
    for (int i = 0; i < 2; ++i) {
        const LPTHREAD_START_ROUTINE entry = i == 0 ? first : second;
        threads[i].Reset(CreateThread(nullptr, 0, entry, holder, 0, nullptr));
        if (!threads[i])
            results[i] = entry(holder);
    }
    for (int i = 0; i < 2; ++i) {
        if (!threads[i])
            continue;
        WaitForSingleObject(threads[i].Get(), INFINITE);
        DWORD code = 0;
        results[i] = GetExitCodeThread(threads[i].Get(), &code) ? code : GetLastError();
    }
    for (DWORD result : results) {
        if (result && result != ERROR_CANCELLED)
            return result;
    }
    return results[0] ? results[0] : results[1];
}

} // namespace

DWORD CInstallMonitor::TakeRegistrySnapshot()
{
    return RunPair(SnapshotHkcuThread, SnapshotHklmThread, this);
}

DWORD CInstallMonitor::CollectRegistryChanges()
{
    const DWORD result = RunPair(DiffHkcuThread, DiffHklmThread, this);
    m_hkcuSnapshot.RemoveAll();
    m_hklmSnapshot.RemoveAll();
    return result;
}
