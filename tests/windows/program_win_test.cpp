// The real kestrune.exe, started in a folder of its own, driven with injected keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "keyboard.hpp"
#include "program.hpp"
#include "stand_in_player.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using namespace testing;  // the helpers of the tests, not GoogleTest

TEST(Program, ShortcutsReachThePlayerAndExitEndsTheProgram) {
    StandInPlayer player;
    RunningProgram program(
        "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\nvolume up=118\r\nexit=119\r\n");
    ASSERT_NE(program.main, nullptr) << "the poll runs from the main window's load";

    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return Count(player.received, 40048) > 0; }));
    ASSERT_TRUE(HoldAltWithUntil(VK_F7, [&] { return Count(player.received, 40058) > 0; }));
    EXPECT_TRUE(program.Running());

    EXPECT_TRUE(HoldAltWithUntil(VK_F8, [&] { return !program.Running(); }));
    EXPECT_EQ(program.WaitForExit(5s), 0) << "Exit ends the program with code 0";
    EXPECT_EQ(Count(player.received, 40001), 1u);
    // Every send is synchronous, so once the program has ended all of them have arrived.
    EXPECT_EQ(Count(player.received, 40058) % 5, 0u) << "Volume Up sends five per activation";

    // Each activation is counted once: the count equals the activations the player saw.
    const std::size_t activations =
        Count(player.received, 40048) + Count(player.received, 40058) / 5 + 1;
    EXPECT_NE(
        program.Settings().find("[OTHER]\r\nexecuted=" + std::to_string(activations) + "\r\n"),
        std::string::npos)
        << program.Settings();
}

TEST(Program, WithoutASettingsFileNothingIsSentAndNoFileIsCreated) {
    StandInPlayer player;
    RunningProgram program;
    ASSERT_NE(program.main, nullptr) << "the poll runs from the main window's load";
    // Held for several ticks: nothing is assigned, so nothing may arrive.
    EXPECT_FALSE(HoldAltWithUntil(
        VK_F6, [&] { return !player.received.empty(); }, 600ms));
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(player.received.empty());
    EXPECT_TRUE(program.NoSettingsFile());
}

// Runs the program from `folder`, fires Next Track once and checks that the count went into
// the settings file beside the exe.
void ExpectCountWrittenBesideTheProgram(ProgramFolderCopy& program) {
    program.WriteSettings("[KEYS]\r\nnext track=117\r\n");
    StandInPlayer player;
    ASSERT_NE(program.StartToMainWindow(), nullptr) << "the poll runs from the main window's load";
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return !player.received.empty(); }));
    // The count is written just after the command is sent.
    PumpUntil([&] { return program.Settings().find("executed=") != std::string::npos; }, 5s);
    program.Stop();
    const std::string settings = program.Settings();
    EXPECT_EQ(settings.rfind("[KEYS]\r\nnext track=117\r\n[OTHER]\r\nexecuted=", 0), 0u)
        << settings;
}

TEST(Program, CountsBesideItselfInAFolderNamedOutsideTheAnsiCodePage) {
    ProgramFolderCopy program(TempPath() + L"Kestr\u00fcne \u03bb\u0416 \u4e2d " +
                              std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(program.HasExe());
    ExpectCountWrittenBesideTheProgram(program);
}

TEST(Program, CountsBesideItselfInTheRootOfADrive) {
    // The settings path is then "C:\\settings.ini", which still names the file in the root.
    ProgramFolderCopy program(L"C:\\");
    if (!program.HasExe() || GetFileAttributesW(L"C:\\settings.ini") != INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "the root of C: is not ours to write here";
    }
    ExpectCountWrittenBesideTheProgram(program);
    EXPECT_NE(GetFileAttributesW(L"C:\\settings.ini"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace kestrune
