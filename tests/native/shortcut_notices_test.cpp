// What the user is told when a shortcut cannot work, against a fake desktop and player: an
// administrator's window in front, and a player run as administrator.
#include "hotkeys/shortcut_notices.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fakes.hpp"
#include "fakes/temp_folder.hpp"
#include "hotkeys/key_table.hpp"
#include "hotkeys/messages.hpp"
#include "hotkeys/poll.hpp"

namespace kestrune {
namespace {

using fakes::FakeForeground;
using fakes::FakeNoticeHost;

constexpr std::uint32_t kLowIntegrity = 0x1000;
constexpr std::uint32_t kSystemIntegrity = 0x4000;

class BlindTest : public ::testing::Test {
  protected:
    void Tick() { notices.AfterTick(host); }

    FakeForeground desktop;
    FakeNoticeHost host;
    ShortcutNotices notices{desktop};
};

TEST_F(BlindTest, OnlyAWindowOfAHigherLevelOrThatCannotBeAskedHidesTheKeyboard) {
    struct Case {
        const char* what;
        std::optional<std::uint32_t> integrity;
        bool ours;
        bool blind;
    };
    const Case cases[] = {
        {"higher", kHighIntegrity, false, true},
        {"equal", kMediumIntegrity, false, false},
        {"lower", kLowIntegrity, false, false},
        {"cannot be opened", std::nullopt, false, true},
        {"our own window", std::nullopt, true, false},
    };
    std::uintptr_t id = 100;
    for (const Case& c : cases) {
        ++id;
        desktop.Bring(id, c.integrity, "Task Manager");
        desktop.windows[id].owner.ours = c.ours;
        Tick();
        EXPECT_EQ(notices.Blind(), c.blind) << c.what;
        EXPECT_EQ(host.tip, c.blind ? "Kestrune: the shortcuts cannot see the keyboard while "
                                      "\"Task Manager\" is in front"
                                    : "Kestrune")
            << c.what;
        // Back to an ordinary window in front: the tip is plain again.
        desktop.Bring(1, kMediumIntegrity, "Editor");
        Tick();
        EXPECT_FALSE(notices.Blind()) << c.what;
        EXPECT_EQ(host.tip, "Kestrune") << c.what;
    }
    // One balloon in the run, at the first window that hid the keyboard, saying what helps.
    ASSERT_EQ(host.balloons.size(), 1u);
    EXPECT_EQ(host.balloons[0],
              "Kestrune cannot see the keyboard|While \"Task Manager\" is in front, Windows hides "
              "the keyboard from Kestrune: that program runs as administrator. To use the "
              "shortcuts there too, start Kestrune as administrator as well.");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(BlindTest, TheOwnerIsAskedOnlyWhenTheWindowInFrontChanges) {
    desktop.Bring(7, kHighIntegrity, "Setup");
    for (int i = 0; i < 10; ++i) Tick();
    EXPECT_EQ(desktop.window_queries, 10) << "one cheap question a tick";
    EXPECT_EQ(desktop.owner_queries, 1);
    desktop.in_front = 0;  // no window in front (switching, a locked screen): not blind
    Tick();
    EXPECT_FALSE(notices.Blind());
    desktop.Bring(8, kHighIntegrity, "");  // a window without a caption
    Tick();
    EXPECT_EQ(desktop.owner_queries, 2);
    EXPECT_EQ(host.tip,
              "Kestrune: the shortcuts cannot see the keyboard while a program run as "
              "administrator is in front");
    desktop.windows[9] = {WindowOwner{false, true, std::nullopt}, "closed"};
    desktop.in_front = 9;  // closed before its owner could be asked
    Tick();
    EXPECT_FALSE(notices.Blind());
}

TEST_F(BlindTest, ALongCaptionIsCutBetweenCharacters) {
    std::string caption;
    for (int i = 0; i < 50; ++i) caption += "\xc3\xa9";  // é, two bytes each
    desktop.Bring(3, std::nullopt, caption);
    Tick();
    EXPECT_EQ(host.tip, "Kestrune: the shortcuts cannot see the keyboard while \"" +
                            caption.substr(0, 80) + "...\" is in front");
    EXPECT_LE(host.tip.size() - 40, 127u) << "fits the tip, counting each é once";
}

TEST_F(BlindTest, TheBalloonWaitsForTheIcon) {
    host.icon_present = false;  // the main window is on the screen: no icon
    desktop.Bring(5, kHighIntegrity, "Registry Editor");
    Tick();
    EXPECT_TRUE(notices.Blind());
    EXPECT_TRUE(host.balloons.empty());
    host.icon_present = true;
    Tick();
    Tick();
    EXPECT_EQ(host.balloons.size(), 1u);
}

TEST_F(BlindTest, NothingIsLookedAtWhenTheProgramRunsAsAdministrator) {
    for (const auto own :
         {std::optional<std::uint32_t>(kHighIntegrity),
          std::optional<std::uint32_t>(kSystemIntegrity), std::optional<std::uint32_t>()}) {
        FakeForeground elevated;
        elevated.own_integrity = own;
        elevated.Bring(9, kSystemIntegrity, "Service");
        FakeNoticeHost quiet;
        ShortcutNotices watch(elevated);
        watch.AfterTick(quiet);
        watch.AfterTick(quiet);
        EXPECT_FALSE(watch.Blind());
        EXPECT_EQ(elevated.window_queries, 0) << "not even the window in front is asked";
        EXPECT_EQ(quiet.tip, "Kestrune");
        EXPECT_TRUE(quiet.balloons.empty());
    }
}

TEST(PlayerRefusal, OneMessageAfterTheTickAndTheRestOfTheShortcutSkipped) {
    fakes::TempFolder folder;
    folder.Write("settings.ini", "[KEYS]\r\nvolume up=38\r\n");
    fakes::FakeKeyboard keys;
    fakes::FakePlayer player;
    player.refuses = true;
    fakes::FakeHost poll_host{folder.str()};
    FakeForeground desktop;
    FakeNoticeHost host;
    ShortcutNotices notices{desktop};
    PollMemory memory;
    std::size_t messages_before_poll = 0;
    poll_host.on_refused = [&] {
        notices.PlayerRefused();
        EXPECT_EQ(host.messages.size(), messages_before_poll) << "no message box inside a tick";
    };
    // The main window's tick: the poll, then the notices.
    const auto tick = [&] {
        messages_before_poll = host.messages.size();
        RunKeyCheckTick(keys, player, poll_host, memory);
        notices.AfterTick(host);
    };
    // Ticks go on while the box is open; they run outside the tick that asked for it.
    host.while_message_open = tick;
    keys.Press(vk::kAlt);
    keys.Press(vk::kUp);
    tick();
    EXPECT_EQ(player.refused, 2) << "each activation (the first's and the one while the box is "
                                    "open) tries once, not five times";
    EXPECT_TRUE(player.received.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], kPlayerRefusedMessage);
    tick();
    EXPECT_EQ(host.messages.size(), 1u) << "once per run";
    // Each refused activation is still an activation.
    EXPECT_EQ(poll_host.total_caption, "Functions Executed - 3");
    EXPECT_NE(folder.Read("settings.ini").find("executed=3"), std::string::npos);
    EXPECT_EQ(std::vector<std::string>(poll_host.events.begin(), poll_host.events.begin() + 3),
              (std::vector<std::string>{"refused", "last:Last Function Executed - Volume Up",
                                        "total:Functions Executed - 1"}));
}

}  // namespace
}  // namespace kestrune
