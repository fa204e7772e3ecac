// Weeks in the notification area, compressed: hiding and showing the main window, opening the
// configuration window and Set Key, and running shortcuts leave the program with as many GDI
// and USER objects and handles as before.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>

#include "host.hpp"
#include "keyboard.hpp"
#include "program.hpp"
#include "stand_in_player.hpp"
#include "ui.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using namespace testing;  // the helpers of the tests, not GoogleTest

// What the system counts for a process, and what a leak makes grow.
struct Resources {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
};

std::ostream& operator<<(std::ostream& out, const Resources& r) {
    return out << r.gdi << " GDI objects, " << r.user << " USER objects, " << r.handles
               << " handles";
}

Resources ResourcesOf(DWORD process_id) {
    Resources resources;
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id);
    if (process == nullptr) return resources;
    resources.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    resources.user = GetGuiResources(process, GR_USEROBJECTS);
    GetProcessHandleCount(process, &resources.handles);
    CloseHandle(process);
    return resources;
}

// Windows makes a few objects at times of its own (theme data on first use, the thread pool's
// workers and their handles, a tooltip or caret of a moment), so two readings may differ by a
// few. A leak of one object per round adds 20 (the windows) to 1,000 (the shortcuts).
constexpr DWORD kSlack = 8;

void ExpectNoMoreThan(const Resources& now, const Resources& start, const char* after) {
    EXPECT_LE(now.gdi, start.gdi + kSlack) << after << ": " << now << ", at first " << start;
    EXPECT_LE(now.user, start.user + kSlack) << after << ": " << now << ", at first " << start;
    EXPECT_LE(now.handles, start.handles + kSlack)
        << after << ": " << now << ", at first " << start;
}

TEST(LongRun, WindowsAndShortcutsLeaveObjectsAndHandlesFlat) {
    StandInPlayer player;
    RunningProgram program("[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n");
    ASSERT_NE(program.main, nullptr);
    if (GuiObjectsAndHandlesReadZero()) {
        const Resources read = ResourcesOf(program.ProcessId());
        EXPECT_EQ(read.gdi + read.user + read.handles, 0u) << "Wine reads them now: " << read;
        GTEST_SKIP() << "GetGuiResources and GetProcessHandleCount read 0 under Wine";
    }
    const HWND main = program.main;
    const HWND hide_me = ChildStartingWith(main, L"&Hide Me");
    ASSERT_NE(hide_me, nullptr);
    auto hide_and_show = [&] {
        Press(hide_me);
        if (!PumpUntil([&] { return !IsWindowVisible(main) && TrayIconPresent(main); }, 5s)) {
            return false;
        }
        ClickTrayIcon(main);
        // The shell drops the icon in its own time (under Wine, seconds).
        return PumpUntil([&] { return IsWindowVisible(main) && !TrayIconPresent(main); }, 5s);
    };
    // The configuration window and Set Key, each made afresh and closed by its close box.
    auto configure = [&] {
        if (program.OpenConfig() == nullptr) return false;
        const HWND set_key = program.OpenSetKey();
        if (set_key == nullptr) return false;
        RunningProgram::Close(set_key);
        if (!PumpUntil([&] { return !IsWindow(set_key) && program.ConfigShown(); }, 5s)) {
            return false;
        }
        RunningProgram::Close(program.Config());
        return PumpUntil([&] { return program.Config() == nullptr && IsWindowVisible(main); }, 5s);
    };
    // A held shortcut runs at every tick (ten a second).
    auto activations = [&](std::size_t count) {
        const std::size_t until = player.received.size() + count;
        return HoldAltWithUntil(
            VK_F6, [&] { return player.received.size() >= until; },
            std::chrono::milliseconds(200 * count + 5000));
    };

    // Once each first, for what is made on first use.
    ASSERT_TRUE(hide_and_show());
    ASSERT_TRUE(configure());
    ASSERT_TRUE(activations(10));
    const Resources start = ResourcesOf(program.ProcessId());
    ASSERT_GT(start.gdi, 0u);
    ASSERT_GT(start.user, 0u);
    ASSERT_GT(start.handles, 0u);

    for (int round = 0; round < 100; ++round) ASSERT_TRUE(hide_and_show()) << round;
    ExpectNoMoreThan(ResourcesOf(program.ProcessId()), start, "100 times hidden and shown");
    for (int round = 0; round < 20; ++round) ASSERT_TRUE(configure()) << round;
    ExpectNoMoreThan(ResourcesOf(program.ProcessId()), start, "20 configurations");
    ASSERT_TRUE(activations(1000));
    ExpectNoMoreThan(ResourcesOf(program.ProcessId()), start, "1,000 activations");
    EXPECT_TRUE(program.Running());
}

}  // namespace
}  // namespace kestrune
