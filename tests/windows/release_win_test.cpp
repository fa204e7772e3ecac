// The release as a user gets it: the test fixture has unpacked the zip into a fresh folder
// beside this test, whose name holds spaces and letters outside ASCII. The program is started
// from there with no settings file, as on a first start.
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

TEST(Release, RunsFromTheUnpackedZip) {
    // The name tests/CMakeLists.txt gives the fixture's folder.
    ProgramFolderCopy program(BesideTheTests(L"Kestrune Pr\u00fcfung \u03bb"),
                              ProgramFolderCopy::kAlreadyThere);
    ASSERT_TRUE(program.HasExe()) << "the release_unpack test puts the zip's files there";
    ASSERT_TRUE(program.NoSettingsFile());

    StandInPlayer player;
    const HWND main = program.StartToMainWindow();
    ASSERT_NE(main, nullptr) << "the main window appears after the splash";

    // The poll reads the file afresh at every tick, so a key assigned now works at the next.
    program.WriteSettings("[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n");
    EXPECT_TRUE(HoldAltWithUntil(VK_F6, [&] { return Count(player.received, 40048) > 0; }))
        << "Alt+F6 sends the player Next Track";

    RunningProgram::Close(main);
    EXPECT_EQ(program.WaitForExit(5s), 0);
}

}  // namespace
}  // namespace kestrune
