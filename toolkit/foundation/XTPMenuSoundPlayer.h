#pragma once
// CXTPMenuSoundPlayer: plays the "MenuCommand" and "MenuPopup" system sounds on a worker thread,
// so that a slow sound device never holds up a menu.
//
// Threads: the user-interface thread calls Play and StopThread; the worker, started by the
// first Play, plays one sound at a time. They share the pending sound and the stop flag
// (atomics) and a manual-reset event that wakes the worker. There is no queue: a sound asked
// for while another plays replaces the one still pending.

#include "framework/Base.h"
#include "framework/Handle.h"

#include <atomic>

class CXTPMenuSoundPlayer {
public:
    enum Sound { SoundNone = 0, SoundCommand = 1, SoundPopup = 2 };

    // What the worker calls. Tests replace them: a recording sound call, or a worker that never
    // ends so that StopThread has to terminate it.
    struct Hooks {
        BOOL(WINAPI* playSound)(LPCWSTR sound, HMODULE module, DWORD flags) = nullptr;
        LPTHREAD_START_ROUTINE worker = nullptr;   // gets the player; null: the real worker
    };

    // How long StopThread waits for the worker before it terminates it: ten waits of 100 ms,
    // plenty for a sound call to return once the stop flag is seen.
    static constexpr DWORD kStopWaitMs = 100;
    static constexpr int kStopWaits = 10;

    // Flags of every sound played: SND_ALIAS | SND_NOWAIT | SND_NODEFAULT.
    static constexpr DWORD kPlayFlags = 0x12002;

    CXTPMenuSoundPlayer();
    explicit CXTPMenuSoundPlayer(const Hooks& hooks);
    CXTPMenuSoundPlayer(const CXTPMenuSoundPlayer&) = delete;
    CXTPMenuSoundPlayer& operator=(const CXTPMenuSoundPlayer&) = delete;
    ~CXTPMenuSoundPlayer();

    // Queues sound 1 or 2 when menu sounds are enabled, starting the worker the first time.
    void Play(int sound);
    void StartThread();
    // Asks the worker to end and waits for it (at most kStopWaits waits), then terminates it;
    // the handle is closed. Nothing without a worker.
    void StopThread();

    bool HasThread() const { return m_thread.IsValid(); }
    int GetPendingSound() const { return m_pending.load(); }
    bool IsStopping() const { return m_stop.load(); }
    // Waits on the wake-up event; the worker's only blocking call besides the sound itself.
    void WaitForWork() const { ::WaitForSingleObject(m_event.Get(), INFINITE); }

    BOOL m_bEnabled = TRUE;
    BOOL m_bSoundsEnabled = TRUE;

private:
    static DWORD WINAPI Worker(void* player);
    void RunWorker();

    Hooks m_hooks;
    std::atomic<int> m_pending{SoundNone};
    std::atomic<bool> m_stop{false};
    UniqueKernelHandle m_thread;
    UniqueKernelHandle m_event;   // manual reset
};

// The process-wide player, made on first use; its worker stops when the process ends.
CXTPMenuSoundPlayer& GetMenuSoundPlayer();
