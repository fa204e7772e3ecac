// The hotkey poll against a fake keyboard, player and host, with a real settings file in a
// temporary folder.
#include "hotkeys/poll.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fakes.hpp"
#include "fakes/faulty_disk.hpp"
#include "fakes/temp_folder.hpp"
#include "hotkeys/catalogue.hpp"
#include "hotkeys/key_table.hpp"
#include "hotkeys/stored_numbers.hpp"

namespace kestrune {
namespace {

using fakes::FakeHost;
using fakes::FakeKeyboard;
using fakes::FakePlayer;
using fakes::TempFolder;

using vk::kAlt;
using vk::kLeftAlt;
using vk::kLeftControl;
using vk::kRightAlt;
constexpr std::int32_t kF5 = vk::F(5);
constexpr std::int32_t kF6 = vk::F(6);

class PollTest : public ::testing::Test {
  protected:
    void Tick() { RunKeyCheckTick(keys, player, host, memory); }
    void WriteSettings(const std::string& text) { folder.Write("settings.ini", text); }
    std::string Settings() const { return folder.Read("settings.ini"); }

    TempFolder folder;
    FakeKeyboard keys;
    FakePlayer player;
    FakeHost host{folder.str()};
    PollMemory memory;
};

TEST_F(PollTest, IdleTickLooksAtAltAndEachAssignedKeyOnceAndChangesNothing) {
    WriteSettings("[KEYS]\r\nstop=117\r\nnext track=117\r\nplay=116\r\npause=16\r\n");
    const std::string before = Settings();
    Tick();
    // In poll order: Next Track, (Prev Track has none), Play, (Stop's F6 was seen already),
    // Pause's Shift through its two keys; then Alt's keys.
    EXPECT_EQ(keys.queries, (std::vector<std::int32_t>{kF6, kF5, vk::kLeftShift, vk::kRightShift,
                                                       kLeftAlt, kRightAlt, kLeftControl}));
    EXPECT_TRUE(player.received.empty());
    EXPECT_EQ(host.events, std::vector<std::string>{});
    EXPECT_EQ(Settings(), before);
}

TEST_F(PollTest, AnIdleTickReadsTheFileOnce) {
    std::string file = "[KEYS]\r\n";
    for (const PlayerFunction& function : kCatalogue) {
        file += std::string(function.settings_key) + "=" + std::to_string(kF5) + "\r\n";
    }
    WriteSettings(file + "[OTHER]\r\nexecuted=3\r\n");
    fakes::FaultyDisk disk;
    Tick();
    EXPECT_EQ(disk.reads, 1);
    EXPECT_EQ(keys.queries.size(), 4u) << "F5 once, and Alt's three keys";
}

TEST_F(PollTest, NoSettingsFileFiresNothingAndCreatesNothing) {
    for (int code = 1; code < 256; ++code) keys.Press(code);  // every key down at once
    Tick();
    EXPECT_TRUE(player.received.empty());
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(folder.EntryCount(), 0u);
}

TEST_F(PollTest, AltF6RunsNextTrackAndCountsIt) {
    WriteSettings("[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n");
    keys.Press(kAlt);
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40048});
    EXPECT_EQ(host.last_caption, "Last Function Executed - Next Track");
    EXPECT_EQ(host.total_caption, "Functions Executed - 1");
    EXPECT_EQ(Settings(),
              "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=1\r\n");
    EXPECT_EQ(keys.queries, (std::vector<std::int32_t>{kF6, kLeftAlt, kRightAlt, kLeftControl}));
}

TEST_F(PollTest, AltOrKeyAloneFiresNothing) {
    WriteSettings("[KEYS]\r\nnext track=117\r\n");
    keys.Press(kAlt);
    Tick();
    keys.Release(kAlt);
    Tick();  // an Alt held at the previous tick would count for a key pressed since
    keys.Press(kF6);
    Tick();
    EXPECT_TRUE(player.received.empty());
    EXPECT_FALSE(folder.Read("settings.ini").find("OTHER") != std::string::npos);
}

TEST_F(PollTest, KeyCodeEighteenFiresOnAltAlone) {
    WriteSettings("[KEYS]\r\npause=18\r\n");
    keys.Press(kAlt);
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40046});
    EXPECT_EQ(host.last_caption, "Last Function Executed - Pause");
}

TEST_F(PollTest, AltGrHeldOrTappedFiresNothingWhileLeftOrRightAltDoes) {
    WriteSettings("[KEYS]\r\nplay=81\r\npause=18\r\n");  // Q, and Alt itself ("Menu")
    // AltGr (Left Control + Right Alt) with Q, held over two ticks, then tapped between two.
    for (std::int32_t key : {kLeftControl, kRightAlt, std::int32_t{'Q'}}) keys.Press(key);
    Tick();
    Tick();
    keys.ReleaseAll();
    for (std::int32_t key : {kLeftControl, kRightAlt, std::int32_t{'Q'}}) keys.Tap(key);
    Tick();
    EXPECT_TRUE(player.received.empty());

    // Left Alt or Right Alt with Q runs Play (before Pause in poll order); alone, Pause.
    for (std::int32_t alt : {kLeftAlt, kRightAlt}) {
        keys.Press(alt);
        keys.Press('Q');
        Tick();
        keys.Release('Q');
        Tick();
        keys.ReleaseAll();
    }
    // Left Alt is Alt even with AltGr down.
    for (std::int32_t key : {kLeftControl, kRightAlt, kLeftAlt, std::int32_t{'Q'}}) {
        keys.Press(key);
    }
    Tick();
    EXPECT_EQ(player.received, (std::vector<std::int32_t>{40045, 40046, 40045, 40046, 40045}));
}

TEST_F(PollTest, ATapSeenOnlyAfterwardsRunsALateFunctionOnce) {
    // Every function before Seek Back (poll position 11) has a key: F1 to F10 by position.
    std::string file = "[KEYS]\r\n";
    for (const PlayerFunction& function : kCatalogue) {
        if (function.poll_position > 11) continue;
        file += std::string(function.settings_key) + "=" +
                std::to_string(vk::F(function.poll_position)) + "\r\n";
    }
    WriteSettings(file);
    // Alt+F11 pressed and released between two ticks; as under Wine, Alt's own code never
    // reports it, only the left Alt key does.
    keys.either_side_codes_report_taps = false;
    Tick();  // the first look
    keys.queries.clear();
    keys.Tap(kAlt);
    keys.Tap(vk::F(11));
    Tick();
    std::vector<std::int32_t> queried = keys.queries;
    std::sort(queried.begin(), queried.end());
    EXPECT_EQ(std::adjacent_find(queried.begin(), queried.end()), queried.end())
        << "each key queried once in a tick";
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40144});
}

TEST_F(PollTest, AltHeldAtOneTickCountsOnceForAKeyTappedBeforeTheNext) {
    // A quick Alt+F6: Alt goes down before a tick, F6 after it, and both are up by the next.
    WriteSettings("[KEYS]\r\nnext track=117\r\n");
    keys.either_side_codes_report_taps = false;
    keys.Press(kLeftAlt);
    Tick();
    keys.Release(kLeftAlt);
    keys.Tap(kF6);
    Tick();
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40048});
}

TEST_F(PollTest, KeyPressedSinceThePreviousQueryCounts) {
    WriteSettings("[KEYS]\r\nnext track=117\r\n");
    keys.Press(kAlt);
    Tick();
    keys.Tap(kF6);  // pressed and released between two ticks
    Tick();
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40048});
}

TEST_F(PollTest, LettingGoOfAltOrTheKeyFirstRunsOnce) {
    WriteSettings("[KEYS]\r\nnext track=117\r\n");
    for (const std::int32_t first_up : {kLeftAlt, kF6, kRightAlt}) {
        SCOPED_TRACE(first_up);
        const std::int32_t alt = first_up == kRightAlt ? kRightAlt : kLeftAlt;
        player.received.clear();
        keys.Press(alt);
        keys.Press(kF6);
        Tick();
        keys.Release(first_up == kF6 ? kF6 : alt);
        keys.Repeat(kF6);  // the key still held repeats
        Tick();
        Tick();
        keys.ReleaseAll();
        Tick();
        EXPECT_EQ(player.received, std::vector<std::int32_t>{40048});
    }
}

TEST_F(PollTest, PressesFromBeforeAKeysFirstLookNeverRun) {
    // Alt+Tab to find the program and N typed into the Start menu, before it starts.
    WriteSettings("[KEYS]\r\nnext track=78\r\n");
    keys.Tap(kLeftAlt);
    keys.Tap('N');
    Tick();
    // P tapped with Alt held, then given to Play: P's first look is after that.
    keys.Press(kLeftAlt);
    keys.Tap('P');
    WriteSettings("[KEYS]\r\nnext track=78\r\nplay=80\r\n");
    Tick();
    keys.Release(kLeftAlt);
    Tick();
    // A password with an N in it, typed on the locked desktop; the session is unlocked.
    keys.locked = true;
    Tick();
    for (const std::int32_t key : {kLeftAlt, std::int32_t{'N'}, vk::kEnter}) keys.Tap(key);
    keys.locked = false;
    memory.Forget();
    Tick();
    EXPECT_TRUE(player.received.empty());
    // Held at a first look, a shortcut runs.
    memory.Forget();
    keys.Press(kLeftAlt);
    keys.Press('N');
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40048});
}

TEST_F(PollTest, EarlierPollPositionWins) {
    // Play and Next Track both down: Next Track (position 1) beats Play (position 3).
    WriteSettings("[KEYS]\r\nplay=116\r\nnext track=117\r\n");
    keys.Press(kAlt);
    keys.Press(kF5);
    keys.Press(kF6);
    Tick();
    Tick();
    EXPECT_EQ(player.received, (std::vector<std::int32_t>{40048, 40048}));

    // The same key for Play and Exit: only Play, which is tested first, ever fires.
    WriteSettings("[KEYS]\r\nexit=65\r\nplay=65\r\n");
    keys.ReleaseAll();
    keys.Press(kAlt);
    keys.Press('A');
    Tick();
    EXPECT_EQ(player.received.back(), 40045);
    EXPECT_EQ(host.unloads, 0);
}

TEST_F(PollTest, HeldCombinationFiresAtEveryTick) {
    WriteSettings("[KEYS]\r\nvolume up=38\r\n");
    keys.Press(kAlt);
    keys.Press(vk::kUp);
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>(15, 40058)) << "five per activation";
    EXPECT_EQ(host.total_caption, "Functions Executed - 3");
    EXPECT_NE(Settings().find("executed=3\r\n"), std::string::npos);
}

TEST_F(PollTest, VolumeDownWithoutPlayerSearchesFiveTimesAndStillCounts) {
    WriteSettings("[KEYS]\r\nvolume down=40\r\n[OTHER]\r\nexecuted=41\r\n");
    player.running = false;
    keys.Press(kAlt);
    keys.Press(vk::kDown);
    Tick();
    EXPECT_EQ(player.searches, 5);
    EXPECT_TRUE(player.received.empty());
    EXPECT_EQ(host.last_caption, "Last Function Executed - Volume Down");
    EXPECT_EQ(host.total_caption, "Functions Executed - 42");
    EXPECT_NE(Settings().find("executed=42"), std::string::npos);
}

TEST_F(PollTest, APlayerThatStopsAnsweringGetsNoMoreSendsButTheActivationCounts) {
    WriteSettings("[KEYS]\r\nvolume up=38\r\n");
    player.hangs_at_send = 2;
    keys.Press(kAlt);
    keys.Press(vk::kUp);
    Tick();
    EXPECT_EQ(player.received.size(), 3u) << "two answered, the third timed out, no more";
    EXPECT_EQ(host.last_caption, "Last Function Executed - Volume Up");
    Tick();
    EXPECT_EQ(player.received.size(), 4u) << "the next activation tries once";
    EXPECT_EQ(host.total_caption, "Functions Executed - 2");
    EXPECT_NE(Settings().find("executed=2\r\n"), std::string::npos);
}

TEST_F(PollTest, CountIsUpdatedWhereItStandsAndGrouped) {
    WriteSettings("; my keys\n[keys]\nNEXT TRACK = 117\n\n[Other]\nEXECUTED=999\n");
    host.separator = ".";
    keys.Press(kAlt);
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(Settings(), "; my keys\n[keys]\nNEXT TRACK = 117\n\n[Other]\nEXECUTED=1000\n");
    EXPECT_EQ(host.total_caption, "Functions Executed - 1.000");
}

TEST_F(PollTest, CountThatCannotGrowIsLeftAlone) {
    for (const char* count : {"2147483647", "12abc", "99999999999", "1.5", "0x10"}) {
        SCOPED_TRACE(count);
        const std::string file =
            std::string("[KEYS]\r\nstop=83\r\n[OTHER]\r\nexecuted=") + count + "\r\n";
        WriteSettings(file);
        host = FakeHost(folder.str());
        player.received.clear();
        keys.ReleaseAll();
        keys.Press(kAlt);
        keys.Press('S');
        Tick();
        EXPECT_EQ(player.received, std::vector<std::int32_t>{40047}) << "the command still goes";
        EXPECT_EQ(host.last_caption, "Last Function Executed - Stop");
        EXPECT_EQ(host.total_caption, "Functions Executed - [Number]") << "caption kept";
        EXPECT_EQ(Settings(), file) << "nothing written";
    }
}

TEST_F(PollTest, CountThatCannotBeReadNowIsNeverReset) {
    // Another program holds the file: the shortcut still works, and nothing is written.
    const std::string file = "[KEYS]\r\nstop=83\r\n[OTHER]\r\nexecuted=41\r\n";
    WriteSettings(file);
    fakes::FaultyDisk disk;
    keys.Press(kAlt);
    keys.Press('S');
    // The key is read while the file can be read; the count read meets the lock.
    host.on_last_caption = [&] { disk.unreadable = true; };
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40047});
    EXPECT_EQ(host.last_caption, "Last Function Executed - Stop");
    EXPECT_EQ(host.total_caption, "Functions Executed - [Number]");
    EXPECT_EQ(Settings(), file);
}

TEST_F(PollTest, CountIsNeverCountedFromAReadThatFoundNoFile) {
    // Another program renames the file away for a moment, just as the count is read.
    const std::string file = "[KEYS]\r\nstop=83\r\n[OTHER]\r\nexecuted=41\r\n";
    WriteSettings(file);
    fakes::FaultyDisk disk;
    keys.Press(kAlt);
    keys.Press('S');
    host.on_last_caption = [&] { disk.missing_reads = 2; };
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40047});
    EXPECT_EQ(host.total_caption, "Functions Executed - [Number]");
    EXPECT_EQ(Settings(), file);
}

TEST_F(PollTest, CountThatCannotBeStoredShowsWhatTheFileHolds) {
    const std::string file = "[KEYS]\r\nstop=83\r\n[OTHER]\r\nexecuted=1999\r\n";
    WriteSettings(file);
    std::filesystem::permissions(folder / "settings.ini", std::filesystem::perms::owner_read);
    keys.Press(kAlt);
    keys.Press('S');
    Tick();
    Tick();
    EXPECT_EQ(player.received, (std::vector<std::int32_t>{40047, 40047}));
    EXPECT_EQ(host.total_caption, "Functions Executed - 1,999");
    EXPECT_EQ(Settings(), file);
}

TEST_F(PollTest, NegativeCountIsStillCounted) {
    WriteSettings("[KEYS]\r\nstop=83\r\n[OTHER]\r\nexecuted=-5\r\n");
    keys.Press(kAlt);
    keys.Press('S');
    Tick();
    EXPECT_EQ(host.total_caption, "Functions Executed - -4");
}

TEST_F(PollTest, HandEditedKeyCodesAreNoKeyForThatFunctionOnly) {
    // Each bad code leaves Next Track without a key; Play, tested later, keeps working.
    for (const char* code : {"abc", "117abc", "1e2", "0x75", "11 7", "117.0", "32768", "-32769",
                             "70000", "99999999999999999999", "--1", "+",
                             "\x01"
                             "17"}) {
        SCOPED_TRACE(code);
        WriteSettings(std::string("[KEYS]\r\nnext track=") + code + "\r\nplay=116\r\n");
        keys = FakeKeyboard();
        player.received.clear();
        keys.Press(kAlt);
        keys.Press(kF6);
        keys.Press(kF5);
        Tick();
        EXPECT_EQ(player.received, std::vector<std::int32_t>{40045});
        EXPECT_EQ(keys.queries, (std::vector<std::int32_t>{kF5, kLeftAlt, kRightAlt, kLeftControl}))
            << "a rejected code is never queried";
    }
}

TEST_F(PollTest, CodesInRangeWithSignOrZerosAreAccepted) {
    for (const char* code : {"+117", "0117", "  117  ", "\t117"}) {
        SCOPED_TRACE(code);
        WriteSettings(std::string("[KEYS]\r\nnext track=") + code + "\r\n");
        player.received.clear();
        keys.Press(kAlt);
        keys.Press(kF6);
        Tick();
        EXPECT_EQ(player.received, std::vector<std::int32_t>{40048});
    }
}

TEST_F(PollTest, BlankOrZeroCodesNeverFire) {
    for (const char* line : {"next track=", "next track=   ", "next track=0", "next track"}) {
        SCOPED_TRACE(line);
        WriteSettings(std::string("[KEYS]\r\n") + line + "\r\n");
        for (int code = 1; code < 256; ++code) keys.Press(code);
        Tick();
        EXPECT_TRUE(player.received.empty());
    }
}

TEST_F(PollTest, HandEditIsSeenAtTheNextTick) {
    WriteSettings("[KEYS]\r\nnext track=117\r\n");
    keys.Press(kAlt);
    keys.Press(kF6);
    Tick();
    WriteSettings("[KEYS]\r\nnext track=118\r\n");
    Tick();
    EXPECT_EQ(player.received.size(), 1u) << "F6 no longer assigned";
    keys.Press(vk::F(7));
    Tick();
    EXPECT_EQ(player.received.size(), 2u);
}

TEST_F(PollTest, ExitSendsCountsAndThenUnloads) {
    WriteSettings("[KEYS]\r\nexit=88\r\n[OTHER]\r\nexecuted=9\r\n");
    keys.Press(kAlt);
    keys.Press('X');
    Tick();
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40001});
    EXPECT_EQ(host.events, (std::vector<std::string>{"last:Last Function Executed - Exit",
                                                     "total:Functions Executed - 10", "unload"}));
    EXPECT_NE(Settings().find("executed=10"), std::string::npos);
}

TEST_F(PollTest, ExitUnloadsEvenWhenTheCountCannotGrow) {
    WriteSettings("[KEYS]\r\nexit=88\r\n[OTHER]\r\nexecuted=2147483647\r\n");
    keys.Press(kAlt);
    keys.Press('X');
    Tick();
    EXPECT_EQ(host.unloads, 1);
}

TEST(ParseNumbers, KeyCodeAndCountRanges) {
    EXPECT_EQ(ParseKeyCode("32767"), 32767);
    EXPECT_EQ(ParseKeyCode("-32768"), -32768);
    EXPECT_EQ(ParseKeyCode("32768"), std::nullopt);
    EXPECT_EQ(ParseKeyCode(""), std::nullopt);
    EXPECT_EQ(ParseCount("2147483647"), 2147483647);
    EXPECT_EQ(ParseCount("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseCount("2147483648"), std::nullopt);
    EXPECT_EQ(ParseCount("-2147483649"), std::nullopt);
    EXPECT_EQ(ParseCount("00000000000000000000000000000000007"), 7);
    EXPECT_EQ(ParseCount("18446744073709551617"), std::nullopt) << "beyond 64 bits";
}

}  // namespace
}  // namespace kestrune
