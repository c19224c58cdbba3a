#pragma once
// Helpers of the replay engine for talking to windows of another process: messages that cannot
// hang the caller, class names, and a block of memory inside the target process for the list-view
// and tree-view structures that the system does not carry across processes.

#include "framework/Handle.h"
#include "framework/String.h"

#include <commctrl.h>

#include <cstddef>

// How long a message to a setup program's window may take before the target counts as hung.
inline constexpr UINT kRemoteMessageTimeoutMs = 5000;

// SendMessage that gives up on a hung target; answers `failed` when the call does not complete.
LRESULT SendRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT failed = 0);

// Class name of a window as GetClassNameW gives it (empty for a vanished window).
CString WindowClassName(HWND window);

// WOW64 test of a process (true: a 32-bit process on a 64-bit system), replaceable by tests where
// no 32-bit process can run.
using Wow64Probe = bool (*)(HANDLE process);
void SetWow64ProbeForTests(Wow64Probe probe); // null restores IsWow64Process

// True when the process runs with another pointer size than this one, so structures with pointers
// written here would be misread there.
bool IsOtherBitness(HANDLE process);

// A block of committed read-write memory inside the process that owns a window.
class CRemoteBlock {
public:
    static constexpr size_t kSize = 4096;

    CRemoteBlock() = default;
    CRemoteBlock(const CRemoteBlock&) = delete;
    CRemoteBlock& operator=(const CRemoteBlock&) = delete;
    ~CRemoteBlock();

    // Opens the window's process and commits kSize bytes in it. Returns 0,
    // ERROR_EXE_MACHINE_TYPE_MISMATCH when the process has the other bitness (nothing committed),
    // or the Windows error.
    [[nodiscard]] DWORD Open(HWND window);
    // Releases the block and the process (also done on destruction).
    void Close();

    // Address inside the target, for message parameters.
    LPARAM At(size_t offset) const { return reinterpret_cast<LPARAM>(static_cast<BYTE*>(m_block) + offset); }
    bool Write(size_t offset, const void* data, size_t size);
    bool Read(size_t offset, void* data, size_t size) const;
    // The target's pointer width in bits, for messages (known once Open has reached the process).
    int Bits() const { return m_bits; }

private:
    UniqueKernelHandle m_process;
    void* m_block = nullptr; // inside the target process
    int m_bits = 0;
};

// A hit test (LVM_HITTEST, TVM_HITTEST) carried out in the control's process: the record goes
// there, is filled there and comes back. False when it could not be written or read.
template <class HitTestInfo>
bool RemoteHitTest(HWND control, CRemoteBlock& block, UINT message, HitTestInfo& hit)
{
    if (!block.Write(0, &hit, sizeof(hit)))
        return false;
    SendRemote(control, message, 0, block.At(0));
    return block.Read(0, &hit, sizeof(hit));
}

// State image index of a tree item (0 none, 1 unchecked, 2 checked with check boxes), read through
// a block in the tree's process; -1 when it cannot be read.
int TreeStateImage(HWND tree, CRemoteBlock& block, HTREEITEM item);
