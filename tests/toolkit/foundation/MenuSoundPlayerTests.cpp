// The menu-sound worker: what it plays, the one pending sound, and how it is stopped.

#include "toolkit/foundation/XTPMenuSoundPlayer.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

struct PlayedSound {
    std::wstring alias;   // empty for the purge call
    DWORD flags;
};

std::mutex g_playedLock;
std::vector<PlayedSound> g_played;
HANDLE g_soundGate = nullptr;   // when set, each sound call waits for it (a slow sound device)

BOOL WINAPI RecordSound(LPCWSTR sound, HMODULE module, DWORD flags)
{
    if (g_soundGate && sound)
        WaitForSingleObject(g_soundGate, 5000);
    std::lock_guard<std::mutex> lock(g_playedLock);
    g_played.push_back({sound ? sound : L"", flags});
    return TRUE;
}

std::vector<PlayedSound> Played()
{
    std::lock_guard<std::mutex> lock(g_playedLock);
    return g_played;
}

void ClearPlayed()
{
    std::lock_guard<std::mutex> lock(g_playedLock);
    g_played.clear();
}

// Waits (with a wide limit) until the recorder has seen count calls.
bool WaitForPlayed(size_t count)
{
    for (int i = 0; i < 500; ++i) {
        if (Played().size() >= count)
            return true;
        Sleep(10);
    }
    return false;
}

DWORD WINAPI NeverEnds(void*)
{
    for (;;)
        Sleep(1000);
}

TEST(MenuSoundPlayer, PlaysEachSoundByAliasAndPurgesOnLeaving)
{
    ClearPlayed();
    CXTPMenuSoundPlayer::Hooks hooks;
    hooks.playSound = RecordSound;
    CXTPMenuSoundPlayer player(hooks);
    EXPECT_FALSE(player.HasThread());

    player.Play(CXTPMenuSoundPlayer::SoundCommand);
    EXPECT_TRUE(player.HasThread()) << "the first Play starts the worker";
    ASSERT_TRUE(WaitForPlayed(1));
    player.Play(CXTPMenuSoundPlayer::SoundPopup);
    ASSERT_TRUE(WaitForPlayed(2));

    const DWORD start = GetTickCount();
    player.StopThread();
    EXPECT_LT(GetTickCount() - start, 1000u) << "a worker that is waiting ends at once";
    EXPECT_FALSE(player.HasThread());

    const std::vector<PlayedSound> played = Played();
    ASSERT_EQ(3u, played.size());
    EXPECT_EQ(L"MenuCommand", played[0].alias);
    EXPECT_EQ(DWORD{SND_ALIAS | SND_NOWAIT | SND_NODEFAULT}, played[0].flags);
    EXPECT_EQ(0x12002u, played[1].flags);
    EXPECT_EQ(L"MenuPopup", played[1].alias);
    EXPECT_EQ(L"", played[2].alias);
    EXPECT_EQ(DWORD{SND_PURGE}, played[2].flags);

    player.StopThread();   // no worker: nothing happens
    EXPECT_EQ(3u, Played().size());
}

TEST(MenuSoundPlayer, ANewerSoundReplacesThePendingOne)
{
    ClearPlayed();
    g_soundGate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CXTPMenuSoundPlayer::Hooks hooks;
    hooks.playSound = RecordSound;
    {
        CXTPMenuSoundPlayer player(hooks);
        player.Play(CXTPMenuSoundPlayer::SoundPopup);
        // Wait until the worker has taken the first sound and sits in the (slow) sound call.
        for (int i = 0; i < 500 && player.GetPendingSound() != 0; ++i)
            Sleep(10);
        ASSERT_EQ(0, player.GetPendingSound());
        player.Play(CXTPMenuSoundPlayer::SoundPopup);
        player.Play(CXTPMenuSoundPlayer::SoundCommand);
        EXPECT_EQ(CXTPMenuSoundPlayer::SoundCommand, player.GetPendingSound());
        SetEvent(g_soundGate);
        ASSERT_TRUE(WaitForPlayed(2));
    }   // the destructor stops the worker
    CloseHandle(g_soundGate);
    g_soundGate = nullptr;

    const std::vector<PlayedSound> played = Played();
    ASSERT_EQ(3u, played.size()) << "two sounds and the purge";
    EXPECT_EQ(L"MenuPopup", played[0].alias);
    EXPECT_EQ(L"MenuCommand", played[1].alias) << "the second popup sound was replaced";
    EXPECT_EQ(DWORD{SND_PURGE}, played[2].flags);
}

TEST(MenuSoundPlayer, DisabledSoundsStartNoWorker)
{
    CXTPMenuSoundPlayer::Hooks hooks;
    hooks.playSound = RecordSound;
    CXTPMenuSoundPlayer player(hooks);
    player.m_bSoundsEnabled = FALSE;
    player.Play(CXTPMenuSoundPlayer::SoundCommand);
    EXPECT_FALSE(player.HasThread());
    EXPECT_EQ(0, player.GetPendingSound());
}

TEST(MenuSoundPlayer, AWorkerThatNeverEndsIsTerminatedAfterTenWaits)
{
    CXTPMenuSoundPlayer::Hooks hooks;
    hooks.playSound = RecordSound;
    hooks.worker = NeverEnds;
    CXTPMenuSoundPlayer player(hooks);
    player.Play(CXTPMenuSoundPlayer::SoundCommand);
    ASSERT_TRUE(player.HasThread());
    const DWORD start = GetTickCount();
    player.StopThread();
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_FALSE(player.HasThread());
    // Ten waits of 100 ms; the timer's granularity allows a little less.
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 10000u);
}

TEST(MenuSoundPlayer, TheSystemSoundCallReturnsUnderWine)
{
    // The real PlaySoundW with the player's flags: the prefix has no sound scheme, so the
    // aliases play nothing, and the worker still ends promptly.
    CXTPMenuSoundPlayer player;
    player.Play(CXTPMenuSoundPlayer::SoundCommand);
    player.Play(CXTPMenuSoundPlayer::SoundPopup);
    const DWORD start = GetTickCount();
    player.StopThread();
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(&GetMenuSoundPlayer(), &GetMenuSoundPlayer());
}

} // namespace
