// One real tick of the poll: injected keys, the real key state, the real player link and the
// real settings file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "host.hpp"
#include "hotkeys/poll.hpp"
#include "keyboard.hpp"
#include "settings/settings.hpp"
#include "stand_in_player.hpp"
#include "win32/cls_winamp.hpp"
#include "win32/win32_platform.hpp"

namespace kestrune {
namespace {

using testing::FileBytes;
using testing::PutFile;
using testing::ReleaseKeys;
using testing::SendKey;
using testing::StandInPlayer;
using testing::TempFolder;
using testing::WaitForKeys;

class RecordingHost final : public PollHost {
  public:
    explicit RecordingHost(const std::string& folder) : settings_file_(SettingsPath(folder)) {}
    const std::string& SettingsFile() override { return settings_file_; }
    std::string GroupSeparator() override { return UserGroupSeparator(); }
    void SetLastCaption(std::string_view caption) override { last = caption; }
    void SetTotalCaption(std::string_view caption) override { total = caption; }
    void PlayerRefused() override {}
    void Unload() override { ++unloads; }

    std::string last;
    std::string total;
    int unloads = 0;

  private:
    std::string settings_file_;
};

class OneTick : public ::testing::Test {
  protected:
    void WriteSettings(const std::string& text) { ASSERT_TRUE(PutFile(settings_, text)); }
    std::string Settings() { return FileBytes(settings_); }

    TempFolder temp_{L"tick"};
    std::wstring folder_ = temp_.path();
    std::wstring settings_ = temp_.File(L"settings.ini");
};

TEST_F(OneTick, AltF6ReachesThePlayerAndIsCounted) {
    WriteSettings("[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n");
    StandInPlayer player;
    Win32KeyState keys;
    PollMemory memory;
    cls_Winamp winamp;
    RecordingHost host(WideToUtf8(folder_));

    SendKey(VK_MENU, true);
    SendKey(VK_F6, true);
    ASSERT_TRUE(WaitForKeys({VK_MENU, VK_F6}, true));
    RunKeyCheckTick(keys, winamp, host, memory);
    ReleaseKeys({VK_MENU, VK_F6});

    EXPECT_EQ(player.received, std::vector<std::int32_t>{40048});
    EXPECT_EQ(host.last, "Last Function Executed - Next Track");
    EXPECT_EQ(host.total, "Functions Executed - 1");
    EXPECT_EQ(Settings(),
              "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=1\r\n");

    // Once the keys are up (and their pressed-since bits read), a tick does nothing.
    RunKeyCheckTick(keys, winamp, host, memory);
    EXPECT_EQ(player.received.size(), 1u);
}

TEST_F(OneTick, F6WithoutAltFiresNothing) {
    WriteSettings("[KEYS]\r\nnext track=117\r\n");
    StandInPlayer player;
    Win32KeyState keys;
    PollMemory memory;
    cls_Winamp winamp;
    RecordingHost host(WideToUtf8(folder_));

    SendKey(VK_F6, true);
    ASSERT_TRUE(WaitForKeys({VK_F6}, true));
    RunKeyCheckTick(keys, winamp, host, memory);
    ReleaseKeys({VK_F6});

    EXPECT_TRUE(player.received.empty());
    EXPECT_EQ(Settings(), "[KEYS]\r\nnext track=117\r\n");
}

TEST(Win32Platform, KeyCodesOutsideTheKeyboardReadAsUp) {
    Win32KeyState keys;
    for (int code : {-1, -32768, 256, 256 + 'A', 32767}) EXPECT_EQ(keys.Query(code), 0) << code;
}

TEST(Win32Platform, ProgramFolderIsTheExecutablesFolder) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    folder.erase(folder.find_last_of(L'\\'));
    EXPECT_EQ(ProgramFolder(), WideToUtf8(folder));
    EXPECT_EQ(ProgramSettingsFile(), WideToUtf8(folder) + "\\settings.ini");
}

TEST(Win32Platform, GroupSeparatorComesFromTheUserLocale) {
    wchar_t expected[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, expected, 8);
    EXPECT_EQ(UserGroupSeparator(), WideToUtf8(expected));
}

TEST(Win32Platform, WideTextRoundTripsThroughUtf8) {
    const std::wstring wide = L"Kestr\u00fcne \u03bb\u0416 \u4e2d \U0001F3B5";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(wide)), wide);
    EXPECT_EQ(WideToUtf8(L"\u00fc"), "\xC3\xBC");
}

}  // namespace
}  // namespace kestrune
