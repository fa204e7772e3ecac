// cls_Winamp against stand-in player windows in this process and in another thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

#include "stand_in_player.hpp"
#include "win32/cls_winamp.hpp"

namespace kestrune {
namespace {

using testing::StandInPlayer;

TEST(PlayerLink, NoPlayerWindowMeansNotRunningAndNothingSent) {
    cls_Winamp winamp;
    ASSERT_EQ(FindWindowA(kPlayerWindowClass, nullptr), nullptr);
    EXPECT_FALSE(winamp.IsRunning());
    EXPECT_EQ(winamp.Execute(40045), SendOutcome::kNoPlayer);  // returns without effect
    EXPECT_FALSE(winamp.IsRunning());
}

TEST(PlayerLink, CommandsArriveInOrderWithTheirIdentifiers) {
    StandInPlayer player;  // an empty title still counts as the player
    cls_Winamp winamp;
    ASSERT_TRUE(winamp.IsRunning());
    for (std::int32_t id : {40048, 40058, 40058, 40001, 12345}) {
        EXPECT_EQ(winamp.Execute(id), SendOutcome::kHandled);
    }
    EXPECT_EQ(player.received, (std::vector<std::int32_t>{40048, 40058, 40058, 40001, 12345}));
    for (LPARAM lparam : player.received_lparams) EXPECT_EQ(lparam, 0);
}

TEST(PlayerLink, PlayerStartedLaterIsFoundByTheNextCall) {
    cls_Winamp winamp;
    winamp.Execute(40045);
    EXPECT_FALSE(winamp.IsRunning());
    {
        StandInPlayer player(L"Some Song - Player");
        winamp.Execute(40046);
        EXPECT_EQ(player.received, std::vector<std::int32_t>{40046});
    }
    EXPECT_FALSE(winamp.IsRunning()) << "a closed player is seen as closed";
}

TEST(PlayerLink, SeveralPlayerWindowsEachCallReachesOne) {
    StandInPlayer first;
    StandInPlayer second;
    cls_Winamp winamp;
    for (int i = 0; i < 4; ++i) winamp.Execute(40047);
    EXPECT_EQ(first.received.size() + second.received.size(), 4u);
    EXPECT_TRUE(first.received.empty() || second.received.empty())
        << "the same window is found every time";
}

TEST(PlayerLink, ExecuteReturnsOnlyAfterThePlayerHandledTheCommand) {
    // The player's window lives on another thread with its own message loop, as another
    // program's window would; the send is synchronous.
    std::atomic<DWORD> thread_id{0};
    std::atomic<bool> ready{false};
    std::unique_ptr<StandInPlayer> player;
    std::thread owner([&] {
        player = std::make_unique<StandInPlayer>(L"player thread");
        thread_id = GetCurrentThreadId();
        ready = true;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        player.reset();
    });
    for (int i = 0; i < 500 && !ready; ++i) Sleep(10);
    ASSERT_TRUE(ready);

    cls_Winamp winamp;
    for (int i = 0; i < 5; ++i) {
        winamp.Execute(40058);
        EXPECT_EQ(player->received.size(), static_cast<std::size_t>(i + 1));
    }
    PostThreadMessageW(thread_id, WM_QUIT, 0, 0);
    owner.join();
}

}  // namespace
}  // namespace kestrune
