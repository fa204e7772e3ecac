// The release as a user gets it: the test fixture has unpacked the zip into a fresh folder
// beside this test, whose name holds spaces and letters outside ASCII. The program is started
// from there with no settings file, as on a first start.
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
using testing::HoldAltWithUntil;
using testing::ProgramFolderCopy;
using testing::StandInPlayer;

TEST(Release, RunsFromTheUnpackedZip) {
    // The name tests/CMakeLists.txt gives the fixture's folder.
    const std::wstring folder = Utf8ToWide(ProgramFolder()) + L"\\Kestrune Pr\u00fcfung \u03bb";
    ProgramFolderCopy program(folder, ProgramFolderCopy::kAlreadyThere);
    ASSERT_TRUE(program.HasExe()) << "the release_unpack test puts the zip's files there";
    ASSERT_EQ(GetFileAttributesW(program.settings().c_str()), INVALID_FILE_ATTRIBUTES);

    StandInPlayer player;
    ASSERT_TRUE(program.Start());
    const HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << "the main window appears after the splash";

    // The poll reads the file afresh at every tick, so a key assigned now works at the next.
    program.WriteSettings("[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n");
    EXPECT_TRUE(HoldAltWithUntil(VK_F6, [&] {
        return std::find(player.received.begin(), player.received.end(), 40048) !=
               player.received.end();
    })) << "Alt+F6 sends the player Next Track";

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    EXPECT_EQ(program.WaitForExit(5s), 0);
}

}  // namespace
}  // namespace kestrune
