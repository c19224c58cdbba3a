#include "engine/replay/RemoteWindow.h"

#include "engine/files/Globals.h"

#include <atomic>
#include <iterator>

namespace {

std::atomic<Wow64Probe> g_wow64Probe{nullptr};

// The probe a test has set, otherwise the system's answer.
bool IsUnderWow64(HANDLE process)
{
    if (Wow64Probe probe = g_wow64Probe.load())
        return probe(process);
    return ProcessIsWow64(process);
}

} // namespace

LRESULT SendRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT failed)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             kRemoteMessageTimeoutMs, &answer))
        return failed;
    return static_cast<LRESULT>(answer);
}

CString WindowClassName(HWND window)
{
    wchar_t name[259] = {};
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return CString(name, length > 0 ? length : 0);
}

void SetWow64ProbeForTests(Wow64Probe probe)
{
    g_wow64Probe.store(probe);
}

// Under WOW64 a process is 32-bit on a 64-bit system; two processes differ in bitness exactly when
// one of them is under WOW64 and the other is not (on a 32-bit system neither is).
bool IsOtherBitness(HANDLE process)
{
    return IsUnderWow64(GetCurrentProcess()) != IsUnderWow64(process);
}

CRemoteBlock::~CRemoteBlock()
{
    Close();
}

void CRemoteBlock::Close()
{
    // The block goes before the process handle it was committed through.
    if (m_block)
        VirtualFreeEx(m_process.Get(), m_block, 0, MEM_RELEASE);
    m_block = nullptr;
    m_process.Reset();
    m_bits = 0;
}

DWORD CRemoteBlock::Open(HWND window)
{
    Close(); // a block opened again for another window must not stay committed in the first one
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    m_process.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                    PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!m_process)
        return GetLastError();
    // One test gives both the refusal and the width named in its message.
    constexpr int kOwnBits = static_cast<int>(sizeof(void*) * 8);
    const bool otherBitness = IsOtherBitness(m_process.Get());
    m_bits = otherBitness ? (kOwnBits == 64 ? 32 : 64) : kOwnBits;
    if (otherBitness)
        return ERROR_EXE_MACHINE_TYPE_MISMATCH;
    m_block = VirtualAllocEx(m_process.Get(), nullptr, kSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!m_block)
        return GetLastError();
    return 0;
}

bool CRemoteBlock::Write(size_t offset, const void* data, size_t size)
{
    SIZE_T written = 0;
    return m_block && offset + size <= kSize &&
           WriteProcessMemory(m_process.Get(), static_cast<BYTE*>(m_block) + offset, data, size, &written) &&
           written == size;
}

bool CRemoteBlock::Read(size_t offset, void* data, size_t size) const
{
    SIZE_T read = 0;
    return m_block && offset + size <= kSize &&
           ReadProcessMemory(m_process.Get(), static_cast<BYTE*>(m_block) + offset, data, size, &read) && read == size;
}

int TreeStateImage(HWND tree, CRemoteBlock& block, HTREEITEM item)
{
    TVITEMW data = {};
    data.mask = TVIF_HANDLE | TVIF_STATE;
    data.hItem = item;
    data.stateMask = TVIS_STATEIMAGEMASK;
    if (!block.Write(0, &data, sizeof(data)))
        return -1;
    SendRemote(tree, TVM_GETITEMW, 0, block.At(0));
    if (!block.Read(0, &data, sizeof(data)))
        return -1;
    return static_cast<int>((data.state & TVIS_STATEIMAGEMASK) >> 12);
}
