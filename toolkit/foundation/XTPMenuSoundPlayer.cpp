#include "toolkit/foundation/XTPMenuSoundPlayer.h"

#include <mmsystem.h>

CXTPMenuSoundPlayer::CXTPMenuSoundPlayer() : CXTPMenuSoundPlayer(Hooks{})
{
}

CXTPMenuSoundPlayer::CXTPMenuSoundPlayer(const Hooks& hooks)
    : m_hooks(hooks), m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (!m_hooks.playSound)
        m_hooks.playSound = ::PlaySoundW;
    if (!m_hooks.worker)
        m_hooks.worker = &CXTPMenuSoundPlayer::Worker;
}

CXTPMenuSoundPlayer::~CXTPMenuSoundPlayer()
{
    StopThread();
}

void CXTPMenuSoundPlayer::Play(int sound)
{
    if (!m_bEnabled || !m_bSoundsEnabled || !m_event)
        return;
    if (!m_thread)
        StartThread();
    m_pending.store(sound);
    ::SetEvent(m_event.Get());
}

void CXTPMenuSoundPlayer::StartThread()
{
    m_pending.store(SoundNone);
    m_stop.store(false);
    ::ResetEvent(m_event.Get());
    m_thread.Reset(::CreateThread(nullptr, 0, m_hooks.worker, this, CREATE_SUSPENDED, nullptr));
    if (!m_thread)
        return;
    ::SetThreadPriority(m_thread.Get(), THREAD_PRIORITY_BELOW_NORMAL);
    ::ResumeThread(m_thread.Get());
}

void CXTPMenuSoundPlayer::StopThread()
{
    if (!m_thread)
        return;
    m_stop.store(true);
    ::SetEvent(m_event.Get());
    int waits = 0;
    DWORD exitCode = 0;
    while (::GetExitCodeThread(m_thread.Get(), &exitCode) && exitCode == STILL_ACTIVE) {
        if (waits == kStopWaits) {
            // A sound call that never returns must not keep the program from closing.
            ::TerminateThread(m_thread.Get(), 0);
            break;
        }
        ::WaitForSingleObject(m_thread.Get(), kStopWaitMs);
        ++waits;
    }
    m_thread.Reset();
}

DWORD WINAPI CXTPMenuSoundPlayer::Worker(void* player)
{
    static_cast<CXTPMenuSoundPlayer*>(player)->RunWorker();
    return 0;
}

void CXTPMenuSoundPlayer::RunWorker()
{
    while (!m_stop.load()) {
        // Taking the sound before playing it keeps one asked for meanwhile: the event was reset
        // before this read, so its SetEvent wakes the next round.
        switch (m_pending.exchange(SoundNone)) {
        case SoundCommand:
            m_hooks.playSound(L"MenuCommand", nullptr, kPlayFlags);
            break;
        case SoundPopup:
            m_hooks.playSound(L"MenuPopup", nullptr, kPlayFlags);
            break;
        default:
            break;
        }
        WaitForWork();
        if (m_stop.load())
            break;
        ::ResetEvent(m_event.Get());
    }
    m_hooks.playSound(nullptr, nullptr, SND_PURGE);
}

CXTPMenuSoundPlayer& GetMenuSoundPlayer()
{
    static CXTPMenuSoundPlayer player;
    return player;
}
