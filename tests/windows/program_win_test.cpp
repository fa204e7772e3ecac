// The real kestrune.exe, started in a folder of its own, driven with injected keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "keyboard.hpp"
#include "program.hpp"
#include "stand_in_player.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using testing::ProgramFolderCopy;
using testing::PumpUntil;
using testing::ReleaseKeys;
using testing::SendKey;
using testing::StandInPlayer;
using testing::WaitForKeys;

// Holds Alt and `key` for about three ticks of the poll, then lets go.
void HoldAltWith(WORD key) {
    SendKey(VK_MENU, true);
    SendKey(key, true);
    WaitForKeys({VK_MENU, key}, true);
    PumpUntil([] { return false; }, 300ms);
    ReleaseKeys({VK_MENU, key});
}

std::size_t Count(const std::vector<std::int32_t>& ids, std::int32_t id) {
    return static_cast<std::size_t>(std::count(ids.begin(), ids.end(), id));
}

TEST(Program, ShortcutsReachThePlayerAndExitEndsTheProgram) {
    ProgramFolderCopy program;
    ASSERT_TRUE(program.HasExe()) << "kestrune.exe is built beside the tests";
    program.WriteSettings(
        "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\nvolume up=118\r\nexit=119\r\n");
    StandInPlayer player;
    ASSERT_TRUE(program.Start());

    HoldAltWith(VK_F6);
    ASSERT_TRUE(PumpUntil([&] { return Count(player.received, 40048) > 0; }, 3s));
    HoldAltWith(VK_F7);
    ASSERT_TRUE(PumpUntil([&] { return Count(player.received, 40058) > 0; }, 3s));
    EXPECT_EQ(Count(player.received, 40058) % 5, 0u) << "Volume Up sends five per activation";
    EXPECT_TRUE(program.Running());

    HoldAltWith(VK_F8);
    EXPECT_EQ(program.WaitForExit(5s), 0) << "Exit ends the program with code 0";
    EXPECT_EQ(Count(player.received, 40001), 1u);

    // Each activation is counted once: the count equals the activations the player saw.
    const std::size_t activations =
        Count(player.received, 40048) + Count(player.received, 40058) / 5 + 1;
    EXPECT_NE(
        program.Settings().find("[OTHER]\r\nexecuted=" + std::to_string(activations) + "\r\n"),
        std::string::npos)
        << program.Settings();
}

TEST(Program, WithoutASettingsFileNothingIsSentAndNoFileIsCreated) {
    ProgramFolderCopy program;
    ASSERT_TRUE(program.HasExe());
    StandInPlayer player;
    ASSERT_TRUE(program.Start());
    HoldAltWith(VK_F6);
    PumpUntil([] { return false; }, 300ms);
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(player.received.empty());
    EXPECT_EQ(GetFileAttributesW(program.settings().c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace kestrune
