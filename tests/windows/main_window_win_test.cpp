// The program as a user meets it: the splash, the main window, the notification-area icon,
// the shortcuts, the end of the program and the player start at load. Each test runs a copy
// of kestrune.exe in a folder of its own and reads its windows from outside.
#include <gtest/gtest.h>
#include <windows.h>
// After <windows.h>:
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>

#include "host.hpp"
#include "hotkeys/messages.hpp"
#include "keyboard.hpp"
#include "program.hpp"
#include "res/resource.h"
#include "stand_in_player.hpp"
#include "ui.hpp"
#include "ui/system_tray.hpp"
#include "util/ascii.hpp"
#include "win32/startup_folder.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using namespace testing;  // the helpers of the tests, not GoogleTest

// "&Hide Me"; whether the window then went to the notification area within `timeout`.
bool HideToTray(HWND main, std::chrono::milliseconds timeout = 5s) {
    Press(ChildStartingWith(main, L"&Hide Me"));
    return PumpUntil([&] { return !IsWindowVisible(main) && TrayIconPresent(main); }, timeout);
}

// Starts the program; its splash once on the screen, or null.
HWND StartToSplash(ProgramFolderCopy& program) {
    HWND splash = nullptr;
    if (!program.HasExe() || !program.Start()) return nullptr;
    PumpUntil(
        [&] {
            splash = program.SplashWindow();
            return splash && IsWindowVisible(splash);
        },
        10s);
    return splash && IsWindowVisible(splash) ? splash : nullptr;
}

TEST(StartUp, SplashForTwoSecondsThenTheMainWindowOnTop) {
    ProgramFolderCopy program;
    const auto start = std::chrono::steady_clock::now();
    const HWND splash = StartToSplash(program);
    ASSERT_NE(splash, nullptr) << "the splash shows first";
    EXPECT_EQ(program.MainWindow(), nullptr) << "the main window is not even loaded yet";
    EXPECT_TRUE(IsTopmost(splash));
    EXPECT_TRUE(ClientSizeInTwips(splash, 2985, 1155));

    const HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    const auto shown = std::chrono::steady_clock::now() - start;
    EXPECT_GE(shown, 2s) << "the splash shows for two seconds";
    EXPECT_FALSE(IsWindowVisible(splash)) << "the splash is hidden, not unloaded";
    EXPECT_TRUE(IsWindow(splash));
    EXPECT_FALSE(IsTopmost(splash));
    EXPECT_TRUE(IsTopmost(main));

    EXPECT_TRUE(ClientSizeInTwips(main, 3660, 1545));
    EXPECT_EQ(LabelStartingWith(main, L"Functions Executed"), L"Functions Executed - 0");
    EXPECT_EQ(LabelStartingWith(main, L"Last Function"), L"Last Function Executed - None");
    const LONG_PTR style = GetWindowLongPtrW(main, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0) << "fixed, no boxes";
    EXPECT_NE(style & WS_SYSMENU, 0);

    PumpUntil([&] { return FocusOf(main) != nullptr; }, 2s);
    EXPECT_EQ(TextOf(FocusOf(main)), L"&Configure");

    EXPECT_FALSE(TrayIconPresent(main)) << "no icon until the window is hidden";
    EXPECT_TRUE(program.NoSettingsFile()) << "nothing is written at start-up";
}

// While this lives, the program that the shell opens web addresses with is the stand-in, which
// notes every start: where the shell takes the registered command for the scheme
// (WebAddressesOpenWithTheRegisteredCommand).
class StandInBrowser {
  public:
    static constexpr wchar_t kKey[] = L"Software\\Classes\\https\\shell\\open\\command";

    StandInBrowser() {
        if (!WebAddressesOpenWithTheRegisteredCommand()) return;
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition) != ERROR_SUCCESS) {
            return;
        }
        DWORD size = sizeof old_;
        had_value_ = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old_),
                                      &size) == ERROR_SUCCESS;
        const std::wstring command = L"\"" + BesideTheTests(L"stand_in_player.exe") + L"\" \"%1\"";
        active_ = RegSetValueExW(
                      key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                      static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~StandInBrowser() {
        if (!active_) return;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
            return;
        }
        if (had_value_) {
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_),
                           static_cast<DWORD>((wcslen(old_) + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key, nullptr);
        }
        RegCloseKey(key);
    }
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;
    bool active() const { return active_; }

  private:
    bool active_ = false;
    bool had_value_ = false;
    wchar_t old_[1024] = {};
};

std::size_t LinesOf(const std::wstring& path, const std::string& needle) {
    std::istringstream in(FileBytes(path));
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find(needle) != std::string::npos) ++count;
    }
    return count;
}

TEST(StartUp, EachClickOnTheSplashOpensTheMakersAddress) {
    StandInBrowser browser;
    if (!browser.active()) GTEST_SKIP() << "the browser for web addresses is the user's own";
    ProgramFolderCopy program;
    const std::wstring opened = program.File(L"player-started.txt");
    const auto start = std::chrono::steady_clock::now();
    const HWND splash = StartToSplash(program);
    ASSERT_NE(splash, nullptr);

    // One click on the window itself, one on a label.
    PostMessageW(splash, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 60));
    PostMessageW(splash, WM_LBUTTONUP, 0, MAKELPARAM(5, 60));
    const HWND label = ChildStartingWith(splash, L"Brindle Corporation");
    ASSERT_NE(label, nullptr);
    PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));

    EXPECT_TRUE(PumpUntil(
        [&] { return LinesOf(opened, "https://brindle.example.com/kestrune") == 2; }, 10s))
        << LinesOf(opened, "example.com") << " openings";
    const HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2s) << "clicks do not cut the pause";
    EXPECT_FALSE(IsWindowVisible(splash));
}

// Holds Alt+F6 (Next Track) until the player has received its command and the main window
// names it.
bool PressAltF6ForNextTrack(HWND main, const StandInPlayer& player) {
    const std::size_t before = Count(player.received, 40048);
    return HoldAltWithUntil(VK_F6, [&] { return Count(player.received, 40048) > before; }) &&
           PumpUntil(
               [&] {
                   return LabelStartingWith(main, L"Last Function") ==
                          L"Last Function Executed - Next Track";
               },
               2s);
}

TEST(Shortcuts, ReachThePlayerFromAnotherProgramAndUpdateTheLabels) {
    StandInPlayer player;
    RunningProgram program("[KEYS]\r\nnext track=117\r\nvolume up=118\r\n");
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    ForegroundWindow elsewhere;

    ASSERT_TRUE(PressAltF6ForNextTrack(main, player));
    ASSERT_TRUE(HoldAltWithUntil(VK_F7, [&] { return Count(player.received, 40058) > 0; }));
    EXPECT_TRUE(PumpUntil(
        [&] {
            return LabelStartingWith(main, L"Last Function") ==
                   L"Last Function Executed - Volume Up";
        },
        2s));

    // The label and the file agree with what the player received, once all is written. The
    // program stores the count, then shows it; reading another program's label does not wait
    // for that program, so the label is awaited, and the file then holds the count already.
    const std::size_t activations =
        Count(player.received, 40048) + Count(player.received, 40058) / 5;
    const std::wstring shown = L"Functions Executed - " + std::to_wstring(activations);
    EXPECT_TRUE(
        PumpUntil([&] { return LabelStartingWith(main, L"Functions Executed") == shown; }, 2s))
        << LabelStartingWith(main, L"Functions Executed");
    const std::string expected = "executed=" + std::to_string(activations) + "\r\n";
    EXPECT_NE(program.Settings().find(expected), std::string::npos) << program.Settings();
    EXPECT_EQ(Count(player.received, 40058) % 5, 0u) << "Volume Up sends five per activation";
}

TEST(Shortcuts, ACountThatCannotBeStoredIsNotShown) {
    ProgramFolderCopy program;
    const std::string before = "[KEYS]\r\nnext track=117\r\n[OTHER]\r\nexecuted=5\r\n";
    program.WriteSettings(before);
    const std::wstring settings = program.settings();
    ASSERT_TRUE(SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_READONLY));
    StandInPlayer player;
    const HWND main = program.StartToMainWindow();
    ASSERT_NE(main, nullptr);
    ForegroundWindow elsewhere;

    ASSERT_TRUE(PressAltF6ForNextTrack(main, player));
    PumpFor(300ms);
    EXPECT_EQ(LabelStartingWith(main, L"Functions Executed"), L"Functions Executed - 5");
    EXPECT_EQ(program.Settings(), before);

    // Once the file may be written again, the count goes on from what it holds.
    ASSERT_TRUE(SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_NORMAL));
    const std::size_t sent = Count(player.received, 40048);
    ASSERT_TRUE(PressAltF6ForNextTrack(main, player));
    PumpFor(300ms);
    const std::string expected =
        "executed=" + std::to_string(5 + Count(player.received, 40048) - sent) + "\r\n";
    EXPECT_NE(program.Settings().find(expected), std::string::npos) << program.Settings();
    EXPECT_EQ(LabelStartingWith(main, L"Functions Executed"),
              L"Functions Executed - " + std::to_wstring(5 + Count(player.received, 40048) - sent));
}

TEST(Shortcuts, AltGrWithAnAssignedKeyRunsNothingWhileLeftAltRunsIt) {
    StandInPlayer player;
    RunningProgram program("[KEYS]\r\nplay=81\r\nplay_n=Q\r\n");
    ASSERT_NE(program.main, nullptr);
    ForegroundWindow elsewhere;
    PumpFor(kFocusSettles);

    // AltGr+Q, which types "@" on a German keyboard, arrives as Left Ctrl + Right Alt + Q: held
    // over several ticks, then tapped, each tap shorter than a tick.
    const std::initializer_list<WORD> alt_gr_q{VK_LCONTROL, VK_RMENU, 'Q'};
    for (WORD key : alt_gr_q) SendKey(key, true);
    ASSERT_TRUE(WaitForKeys(alt_gr_q, true));
    PumpFor(500ms);
    EXPECT_TRUE(KeysDown(alt_gr_q)) << "held throughout";
    ReleaseKeys(alt_gr_q);
    for (int tap = 0; tap < 5; ++tap) {
        TapFor(alt_gr_q, 30ms);
        PumpFor(250ms);
    }
    EXPECT_TRUE(player.received.empty()) << player.received.size() << " commands";

    EXPECT_TRUE(HoldKeysUntil({VK_LMENU, 'Q'}, [&] { return !player.received.empty(); }));
    EXPECT_EQ(Count(player.received, 40045), player.received.size()) << "Play, and only Play";
    ReleaseKeys({VK_LCONTROL, VK_RMENU, VK_LMENU, 'Q'});
}

TEST(Shortcuts, TenQuickTapsOfALateShortcutRunItTenTimes) {
    StandInPlayer player;
    // Seek Back (F9) is tested eleventh at each tick; every function before it has a key.
    RunningProgram program(
        "[KEYS]\r\nnext track=117\r\nprev track=118\r\nplay=116\r\nstop=119\r\n"
        "volume up=112\r\nvolume down=113\r\npause=114\r\ntoggle shuffle=122\r\n"
        "toggle repeat=123\r\nseek forward=124\r\nseek back=120\r\n");
    ASSERT_NE(program.main, nullptr);
    ForegroundWindow elsewhere;
    PumpFor(kFocusSettles);

    // Ten 30 ms taps of Alt+F9, as a fast typist makes them, each well apart from the next.
    for (int tap = 0; tap < 10; ++tap) {
        TapFor({VK_MENU, VK_F9}, 30ms);
        PumpFor(250ms);
    }
    EXPECT_TRUE(PumpUntil(
        [&] { return program.Label(L"Functions Executed") == L"Functions Executed - 10"; }, 2s))
        << program.Label(L"Functions Executed");
    EXPECT_EQ(Count(player.received, 40144), 10u);
    EXPECT_EQ(player.received.size(), 10u) << "nothing but Seek Back";
    ReleaseKeys({VK_MENU, VK_LMENU, VK_F9});
}

TEST(Shortcuts, EachPressRunsOnceWhenAltIsLetGoBeforeTheKey) {
    StandInPlayer player;
    RunningProgram program("[KEYS]\r\nseek back=120\r\n");
    ASSERT_NE(program.main, nullptr);
    ForegroundWindow elsewhere;
    PumpFor(kFocusSettles);

    // Six presses of Alt+F9 as most people make them: Alt goes up soon after F9 has done its
    // work, and F9 a quarter of a second later, over the next two or three ticks.
    for (int press = 1; press <= 6; ++press) {
        const std::size_t before = player.received.size();
        SendKey(VK_LMENU, true);
        SendKey(VK_F9, true);
        const bool ran = PumpUntil([&] { return player.received.size() > before; }, 2s);
        SendKey(VK_LMENU, false);
        PumpFor(250ms);
        SendKey(VK_F9, false);
        PumpFor(250ms);
        ASSERT_TRUE(ran) << "press " << press;
    }
    PumpFor(300ms);
    EXPECT_EQ(Count(player.received, 40144), 6u);
    EXPECT_EQ(program.Label(L"Functions Executed"), L"Functions Executed - 6");
    ReleaseKeys({VK_LMENU, VK_F9});
}

TEST(NotificationArea, HideMeAndBackAgainWhileTheShortcutsKeepWorking) {
    StandInPlayer player;
    RunningProgram program("[KEYS]\r\nnext track=117\r\n");
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    const HWND hide_me = ChildStartingWith(main, L"&Hide Me");
    ASSERT_NE(hide_me, nullptr);

    Press(hide_me);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 2s));
    EXPECT_TRUE(PumpUntil([&] { return TrayIconPresent(main); }, 5s));

    // Hidden, the shortcuts still work.
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return Count(player.received, 40048) > 0; }));
    const std::size_t fired = Count(player.received, 40048);

    ClickTrayIcon(main);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 2s));
    EXPECT_TRUE(PumpUntil([&] { return !TrayIconPresent(main); }, 5s));
    EXPECT_EQ(LabelStartingWith(main, L"Last Function"), L"Last Function Executed - Next Track");
    EXPECT_EQ(LabelStartingWith(main, L"Functions Executed"),
              L"Functions Executed - " + std::to_wstring(fired));

    // Hiding and coming back any number of times leaves one icon or none. The shell takes and
    // drops icons in its own time (under Wine, hiding its tray window can take seconds), so
    // each state is waited for.
    for (int round = 0; round < 3; ++round) {
        Press(hide_me);
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(main); }, 2s));
        EXPECT_TRUE(PumpUntil([&] { return TrayIconPresent(main); }, 5s));
        ClickTrayIcon(main);
        ClickTrayIcon(main);  // a second activation finds no icon and changes nothing
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 5s));
        EXPECT_TRUE(PumpUntil([&] { return !TrayIconPresent(main); }, 5s));
    }
    EXPECT_TRUE(program.Running());
}

// Right-clicks the icon as the shell tells it (the button's release, then the context menu),
// and chooses an item of the menu by its access key. Empty when that worked, else the step that
// did not. The click comes at once, which can close the menu again (MenuOpeningsUntilOneStays).
std::string ChooseFromIconMenu(const ProgramFolderCopy& program, HWND main, wchar_t access_key) {
    for (int attempt = 0; attempt < MenuOpeningsUntilOneStays(); ++attempt) {
        PostMessageW(main, kTrayCallbackMessage, kTrayIconId, WM_RBUTTONUP);
        PostMessageW(main, kTrayCallbackMessage, kTrayIconId, WM_CONTEXTMENU);
        HWND menu = nullptr;
        PumpUntil([&] { return (menu = program.PopupMenu()) != nullptr; }, 3s);
        PumpFor(300ms);
        if (!menu || program.PopupMenu() != menu) continue;
        PostMessageW(menu, WM_CHAR, access_key, 0);
        if (!PumpUntil([&] { return program.PopupMenu() == nullptr; }, 5s)) {
            return "the menu stayed open";
        }
        return {};
    }
    return "no menu stayed open to choose from";
}

TEST(NotificationArea, TheIconsMenuShowsConfiguresAndExits) {
    StandInPlayer player;
    RunningProgram program;
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);

    auto choose_from_menu = [&](wchar_t access_key) -> std::string {
        if (!HideToTray(main)) return "the window did not go to the notification area";
        return ChooseFromIconMenu(program, main, access_key);
    };

    ASSERT_EQ(choose_from_menu(L's'), "") << "Show Kestrune";
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) && !TrayIconPresent(main); }, 5s));

    ASSERT_EQ(choose_from_menu(L'c'), "") << "Configure...";
    HWND config = nullptr;
    EXPECT_TRUE(PumpUntil(
        [&] {
            config = program.WindowCaptioned(L"Key Configuration");
            return config && IsWindowVisible(config) && !TrayIconPresent(main);
        },
        5s));
    EXPECT_FALSE(IsWindowVisible(main));
    RunningProgram::Close(config);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 5s));

    ASSERT_EQ(choose_from_menu(L'x'), "") << "Exit";
    EXPECT_EQ(program.WaitForExit(5s), 0);
    EXPECT_FALSE(TrayIconPresent(main)) << "no icon is left behind";
    EXPECT_TRUE(player.received.empty()) << "Exit from the menu sends the player nothing";
    EXPECT_TRUE(program.NoSettingsFile());
}

TEST(SecondStart, BringsTheRunningCopyBackAndEnds) {
    const std::string settings = "[KEYS]\r\nnext track=117\r\n";
    StandInPlayer player;
    RunningProgram program(settings);
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(HideToTray(main));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(program.StartAgainAndWait(10s), 0) << "the second start ends at once, with 0";
    const auto ended = std::chrono::steady_clock::now();
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) && !TrayIconPresent(main); }, 5s))
        << "the running copy is back on the screen";
    const auto back = std::chrono::steady_clock::now();
    std::printf("Second start: ended after %lld ms; the window was back after %lld ms.\n",
                static_cast<long long>((ended - start) / 1ms),
                static_cast<long long>((back - start) / 1ms));
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(program.Settings(), settings) << "the second start wrote nothing";
    EXPECT_TRUE(player.received.empty()) << "and sent nothing";

    // One copy polls the keyboard: one activation, one command, one count.
    ForegroundWindow elsewhere;
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return !player.received.empty(); }));
    PumpFor(500ms);
    const std::string count = "executed=" + std::to_string(player.received.size()) + "\r\n";
    EXPECT_NE(program.Settings().find(count), std::string::npos) << program.Settings();

    // A copy in another folder has a settings file of its own and runs beside it.
    RunningProgram other;
    EXPECT_NE(other.main, nullptr);
    EXPECT_TRUE(other.Running());
    EXPECT_TRUE(program.Running());
}

// A drive letter of its own for a program's `folder`, for the length of a test: another
// spelling of the folder's path, as a mapped network drive or subst gives. mapped() once
// kestrune.exe is reached through the letter.
class DriveLetterFor {
  public:
    explicit DriveLetterFor(const std::wstring& folder) : folder_(folder) {
        const DWORD used = GetLogicalDrives();
        for (wchar_t letter = L'Y'; letter >= L'K' && letter_ == 0; --letter) {
            if (!(used & (1u << (letter - L'A')))) letter_ = letter;
        }
        if (letter_ == 0) return;
        if (DriveLettersAreLinksInDosdevices()) {
            const std::string c_drive = UnixPathOf(L"C:\\");  // ".../dosdevices/c:/"
            const std::string target = UnixPathOf(folder);
            if (c_drive.size() < 3 || target.empty()) return;
            link_ = c_drive.substr(0, c_drive.size() - 3) +
                    static_cast<char>(std::tolower(static_cast<char>(letter_))) + ":";
            StartLinuxSymbolicLink(target, link_);
        } else {
            defined_ = DefineDosDeviceW(0, Drive().c_str(), folder.c_str()) != 0;
        }
        mapped_ = PumpUntil([&] { return Reaches(); }, 5s);
    }
    ~DriveLetterFor() {
        if (!link_.empty()) StartOnLinuxSide("/bin/rm -f \"" + link_ + "\"");
        if (defined_) {
            DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, Drive().c_str(),
                             folder_.c_str());
        }
        if (mapped_) PumpUntil([&] { return !Reaches(); }, 5s);
    }
    DriveLetterFor(const DriveLetterFor&) = delete;
    DriveLetterFor& operator=(const DriveLetterFor&) = delete;

    // The letter's root, "K:", say; the folder's files are reached as "K:\name".
    std::wstring Drive() const { return {letter_, L':'}; }
    bool mapped() const { return mapped_; }

  private:
    bool Reaches() const {
        return GetFileAttributesW((Drive() + L"\\kestrune.exe").c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::wstring folder_;
    wchar_t letter_ = 0;
    std::string link_;
    bool defined_ = false;
    bool mapped_ = false;
};

// The main windows of every running copy of the program.
std::size_t KestruneMainWindows() {
    std::size_t count = 0;
    EnumWindows(
        [](HWND window, LPARAM count) -> BOOL {
            if (ClassOf(window) == kFormClassName && TextOf(window) == L"Kestrune") {
                ++*reinterpret_cast<std::size_t*>(count);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(SecondStart, ThroughAnotherSpellingOfTheFolderIsTheSameCopy) {
    const std::string settings = "[KEYS]\r\nnext track=117\r\n";
    StandInPlayer player;
    ProgramFolderCopy program;
    program.WriteSettings(settings);
    // Mapped before the first start: under Wine the folder's volume serial number follows the
    // drive letter nearest to it (see host.hpp).
    DriveLetterFor letter(program.folder());
    ASSERT_TRUE(letter.mapped()) << "no drive letter for " << WideToUtf8(program.folder());
    const HWND main = program.StartToMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(HideToTray(main));

    EXPECT_EQ(program.StartAgainAndWait(10s, letter.Drive()), 0)
        << "a start from " << WideToUtf8(letter.Drive()) << "\\kestrune.exe ends at once, with 0";
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) && !TrayIconPresent(main); }, 5s))
        << "the running copy is back on the screen";
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(KestruneMainWindows(), 1u) << "one copy remains";

    // One copy polls the keyboard: one Alt+F6, one command.
    ForegroundWindow elsewhere;
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return !player.received.empty(); }));
    PumpFor(500ms);
    EXPECT_EQ(player.received.size(), 1u);
    EXPECT_TRUE(program.SettingsHold("executed=1\r\n")) << program.Settings();
}

// A player that takes a command and then sleeps 30 seconds in its handler, in a process of its
// own (stand_in_player.exe --hung-player), working in the program's folder; ended with the test.
class HungPlayer {
  public:
    explicit HungPlayer(ProgramFolderCopy& program)
        : received_(program.File(L"player-received.txt")) {
        StartProgram(BesideTheTests(L"stand_in_player.exe"), L"--hung-player", program.folder(),
                     process_);
    }
    ~HungPlayer() {
        if (!process_.hProcess) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hProcess);
    }
    HungPlayer(const HungPlayer&) = delete;
    HungPlayer& operator=(const HungPlayer&) = delete;

    bool WaitUntilRunning() const {
        return process_.hProcess &&
               PumpUntil([] { return FindWindowW(kPlayerClass.c_str(), nullptr) != nullptr; }, 10s);
    }
    // The commands it took, one per line.
    std::size_t Received() const { return LinesOf(received_, "4"); }

  private:
    std::wstring received_;
    PROCESS_INFORMATION process_{};
};

TEST(HungPlayer, KestruneStaysResponsiveAndClosesOnRequest) {
    ProgramFolderCopy program;
    program.WriteSettings("[KEYS]\r\nnext track=117\r\nvolume up=118\r\n");
    HungPlayer player(program);
    ASSERT_TRUE(player.WaitUntilRunning());
    const HWND main = program.StartToMainWindow();
    ASSERT_NE(main, nullptr);

    // From here on, how long the main window takes to answer WM_GETTEXT, from another thread.
    std::atomic<bool> probing{true};
    std::atomic<long long> slowest_ms{0};
    std::thread prober([&] {
        while (probing) {
            const auto sent = std::chrono::steady_clock::now();
            wchar_t text[64];
            DWORD_PTR result = 0;
            SendMessageTimeoutW(main, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                                10'000, &result);
            const long long ms = (std::chrono::steady_clock::now() - sent) / 1ms;
            if (ms > slowest_ms) slowest_ms = ms;
            Sleep(20);
        }
    });

    // In the notification area, the window comes back on a click on the icon, which (unlike
    // WM_GETTEXT) is a posted message: it waits for the send to the player to end.
    ASSERT_TRUE(HideToTray(main));
    ForegroundWindow elsewhere;
    const auto pressed = std::chrono::steady_clock::now();
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return player.Received() == 1; }))
        << "the player took Next Track and hangs";
    const auto clicked = std::chrono::steady_clock::now();
    ClickTrayIcon(main);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(main) != FALSE; }, 5s));
    const long long click_ms = (std::chrono::steady_clock::now() - clicked) / 1ms;
    EXPECT_LT(click_ms, 2000);
    // Another shortcut still works: Volume Up's first send times out, the rest are skipped,
    // and the activation is counted.
    EXPECT_TRUE(HoldAltWithUntil(
        VK_F7,
        [&] {
            return LabelStartingWith(main, L"Last Function") ==
                   L"Last Function Executed - Volume Up";
        },
        10s));
    const long long shortcuts_ms = (std::chrono::steady_clock::now() - pressed) / 1ms;
    PumpFor(1500ms);
    const std::wstring total = LabelStartingWith(main, L"Functions Executed");
    EXPECT_NE(
        program.Settings().find(
            "executed=" + std::string(total.begin() + total.rfind(L' ') + 1, total.end()) + "\r\n"),
        std::string::npos)
        << program.Settings();

    const auto closing = std::chrono::steady_clock::now();
    RunningProgram::Close(main);
    EXPECT_EQ(program.WaitForExit(5s), 0) << "the close box ends the program";
    const long long close_ms = (std::chrono::steady_clock::now() - closing) / 1ms;
    probing = false;
    prober.join();
    std::printf(
        "Hung player: WM_GETTEXT answered within %lld ms at worst; a click on the icon was "
        "handled %lld ms after the player hung; both shortcuts done after %lld ms; closed "
        "%lld ms after the close box.\n",
        slowest_ms.load(), click_ms, shortcuts_ms, close_ms);
    EXPECT_LT(slowest_ms, 2000);
    EXPECT_EQ(player.Received(), 1u) << "the player still sleeps in its first command";
}

// What the program asks of the window in front: whose it is, at which integrity level, and its
// caption, which even a window whose program hangs gives at once.
TEST(WindowInFront, OwnerLevelAndCaptionOfOurOwnAndAnotherProgramsWindow) {
    Win32Foreground desktop;
    const auto own = desktop.OwnIntegrity();
    ASSERT_TRUE(own.has_value());
    ProgramFolderCopy folder;
    HungPlayer player(folder);
    ASSERT_TRUE(player.WaitUntilRunning());
    StandInPlayer ours(L"ours");
    EXPECT_TRUE(desktop.OwnerOf(reinterpret_cast<std::uintptr_t>(ours.window())).ours);
    HWND other = nullptr;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            if (TextOf(window) != L"hung player") return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&other));
    ASSERT_NE(other, nullptr);
    PostMessageW(other, WM_COMMAND, 40045, 0);  // it hangs for 30 seconds from now
    ASSERT_TRUE(PumpUntil([&] { return player.Received() == 1; }, 5s));
    const auto id = reinterpret_cast<std::uintptr_t>(other);
    const WindowOwner owner = desktop.OwnerOf(id);
    EXPECT_FALSE(owner.ours);
    EXPECT_FALSE(owner.gone);
    EXPECT_EQ(owner.integrity, own) << "a program started by this one runs at its level";
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(desktop.CaptionOf(id), "hung player");
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 500ms);

    if (EveryProcessRunsAtHighIntegrity()) {
        // A window that hides the keyboard from the program is then shown by the native tests
        // of ShortcutNotices only.
        EXPECT_EQ(*own, kHighIntegrity);
    }
}

TEST(Keyboard, TabAndAccessKeysWorkAsInADialog) {
    RunningProgram program;
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    // Let the window settle into the focus before typing to it.
    PumpFor(500ms);
    ASSERT_EQ(GetForegroundWindow(), main);
    auto focus = [&] { return TextOf(FocusOf(main)); };
    ASSERT_TRUE(PumpUntil([&] { return focus() == L"&Configure"; }, 2s)) << focus();

    Tap({VK_TAB});
    EXPECT_TRUE(PumpUntil([&] { return focus() == L"&Hide Me"; }, 2s)) << focus();

    // Alt+H presses "&Hide Me".
    Tap({VK_MENU, 'H'});
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(main) && TrayIconPresent(main); }, 2s));
    ReleaseKeys({VK_MENU, 'H'});
}

// Under Wine (TrayIconsAreWindowsOfTheirOwn): the window of the first icon on show in the
// notification area, or null.
HWND TrayIconWindow() {
    const HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    HWND icon = nullptr;
    while (tray && (icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr))) {
        if (IsWindowVisible(icon)) return icon;
    }
    return nullptr;
}

// The colours of the square of `size` pixels at (x, y) of `dc`, row by row.
std::vector<COLORREF> PixelsOf(HDC dc, int x, int y, int size) {
    const HDC copy = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, size, size);
    const HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, size, size, dc, x, y, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) pixels.push_back(GetPixel(copy, column, row));
    }
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    return pixels;
}

// The icon `id` of `exe` drawn at `size` pixels over `background`.
std::vector<COLORREF> IconPixels(const std::wstring& exe, int id, int size, COLORREF background) {
    const HMODULE module = LoadLibraryExW(
        exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const HICON icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const HBRUSH brush = CreateSolidBrush(background);
    const RECT all{0, 0, size, size};
    FillRect(dc, &all, brush);
    if (icon) DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels = PixelsOf(dc, 0, 0, size);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    if (icon) DestroyIcon(icon);
    if (module) FreeLibrary(module);
    return pixels;
}

// Under Wine: whether the icon's window shows the image `id` of `exe`, in every pixel that the
// image covers in full (the same over black and over white). The window must not be covered.
bool TrayIconShows(const std::wstring& exe, int id) {
    const HWND window = TrayIconWindow();
    if (!window) return false;
    const int size = GetSystemMetrics(SM_CXSMICON);
    const std::vector<COLORREF> over_black = IconPixels(exe, id, size, RGB(0, 0, 0));
    const std::vector<COLORREF> over_white = IconPixels(exe, id, size, RGB(255, 255, 255));
    RECT client;
    GetClientRect(window, &client);
    POINT at{(client.right - size) / 2, (client.bottom - size) / 2};
    ClientToScreen(window, &at);
    const HDC screen = GetDC(nullptr);
    const std::vector<COLORREF> shown = PixelsOf(screen, at.x, at.y, size);
    ReleaseDC(nullptr, screen);
    std::size_t compared = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (over_black[i] != over_white[i]) continue;
        if (shown[i] != over_black[i]) return false;
        ++compared;
    }
    return compared > shown.size() / 2;
}

// The text of another program's window as the window itself gives it (GetWindowText would
// read only the caption the system keeps).
std::wstring TextAnswered(HWND window) {
    wchar_t text[256] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000,
                        &length);
    return text;
}

// Under Wine: the tip that shows while the pointer rests on the icon's window; empty when none
// shows. The pointer goes back to where it was, and the tip with it.
std::wstring TrayTipOnPointing() {
    const HWND window = TrayIconWindow();
    if (!window) return {};
    POINT was{};
    GetCursorPos(&was);
    RECT rect;
    GetWindowRect(window, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    const auto shown_tip = [&] {
        HWND tip = nullptr;
        while ((tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr))) {
            if (IsWindowVisible(tip)) return tip;
        }
        return tip;
    };
    HWND tip = nullptr;
    PumpUntil([&] { return (tip = shown_tip()) != nullptr; }, 5s);
    const std::wstring text = tip ? TextAnswered(tip) : std::wstring();
    SetCursorPos(was.x, was.y);
    PumpUntil([&] { return shown_tip() == nullptr; }, 5s);
    return text;
}

TEST(NotificationArea, PauseFromTheIconsMenuStopsTheShortcutsUntilResumed) {
    const std::string settings = "[KEYS]\r\nnext track=117\r\n";
    StandInPlayer player;
    RunningProgram program(settings);
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(HideToTray(main));

    ASSERT_EQ(ChooseFromIconMenu(program, main, L'p'), "") << "Pause shortcuts";
    EXPECT_TRUE(PumpUntil([&] { return TextOf(main) == L"Kestrune (shortcuts paused)"; }, 2s))
        << WideToUtf8(TextOf(main));
    if (TrayIconsAreWindowsOfTheirOwn()) {
        EXPECT_TRUE(
            PumpUntil([&] { return TrayIconShows(program.exe(), IDI_KESTRUNE_PAUSED); }, 5s));
        EXPECT_EQ(TrayTipOnPointing(), L"Kestrune: the shortcuts are paused");
    }
    {
        // Held over many ticks, Alt+F6 runs nothing, and the count stays as it is.
        ForegroundWindow elsewhere;
        PumpFor(kFocusSettles);
        EXPECT_FALSE(HoldAltWithUntil(
            VK_F6, [&] { return !player.received.empty(); }, 1s));
        PumpFor(300ms);
    }
    EXPECT_TRUE(player.received.empty());
    EXPECT_EQ(program.Label(L"Functions Executed"), L"Functions Executed - 0");
    EXPECT_EQ(program.Settings(), settings);

    ASSERT_EQ(ChooseFromIconMenu(program, main, L'p'), "") << "Pause shortcuts, again";
    EXPECT_TRUE(PumpUntil([&] { return TextOf(main) == L"Kestrune"; }, 2s));
    if (TrayIconsAreWindowsOfTheirOwn()) {
        EXPECT_TRUE(PumpUntil([&] { return TrayIconShows(program.exe(), IDI_KESTRUNE); }, 5s));
        EXPECT_EQ(TrayTipOnPointing(), L"Kestrune");
    }
    ForegroundWindow elsewhere;
    PumpFor(kFocusSettles);
    EXPECT_TRUE(PressAltF6ForNextTrack(main, player)) << "the shortcuts work again";
    EXPECT_TRUE(PumpUntil([&] { return program.SettingsHold("executed="); }, 2s))
        << program.Settings();
}

// Opens the main window's system menu with Alt+Space, as a user does, and chooses an item by
// its access key. Empty when that worked, else the step that did not.
std::string ChooseFromSystemMenu(const ProgramFolderCopy& program, HWND main, wchar_t access_key) {
    if (!PumpUntil([&] { return GetForegroundWindow() == main; }, 2s)) {
        const HWND front = GetForegroundWindow();
        return "the main window is not in front, but " + WideToUtf8(ClassOf(front)) + " \"" +
               WideToUtf8(TextOf(front)) + "\"";
    }
    // The window may have only just come to the front (kFocusSettles).
    PumpFor(kFocusSettles);
    Tap({VK_MENU, VK_SPACE});
    HWND menu = nullptr;
    PumpUntil([&] { return (menu = program.PopupMenu()) != nullptr; }, 3s);
    ReleaseKeys({VK_MENU, VK_SPACE});
    if (!menu) return "no system menu opened";
    PostMessageW(menu, WM_CHAR, access_key, 0);
    if (!PumpUntil([&] { return program.PopupMenu() == nullptr; }, 5s)) {
        return "the menu stayed open";
    }
    return {};
}

// The shortcut that the program makes in the user's Startup folder, looked for as the program
// looks. One that is there before the test is the user's own: the test leaves it and is skipped.
// The one the test leads to is removed with this.
class ProgramsStartupShortcut {
  public:
    ProgramsStartupShortcut() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        path_ = folder_.Path() + "\\Kestrune.lnk";
        there_before_ = Exists();
    }
    ~ProgramsStartupShortcut() {
        if (!there_before_) DeleteFileW(Utf8ToWide(path_).c_str());
        CoUninitialize();
    }
    ProgramsStartupShortcut(const ProgramsStartupShortcut&) = delete;
    ProgramsStartupShortcut& operator=(const ProgramsStartupShortcut&) = delete;

    bool there_before() const { return there_before_; }
    bool Exists() const {
        return GetFileAttributesW(Utf8ToWide(path_).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // What it starts, as read from the folder.
    StartupShortcut Read() {
        for (StartupShortcut& shortcut : folder_.Shortcuts()) {
            if (SameIgnoringCase(shortcut.path, path_)) return shortcut;
        }
        return {};
    }
    bool MakeStart(const std::string& program) { return folder_.Create(path_, program); }

  private:
    Win32StartupFolder folder_;
    std::string path_;
    bool there_before_ = false;
};

// Waits until the window's thread has finished the handler it is in: it answers a sent message
// only between handlers. A shortcut is read only then, never while the program writes it (the
// shell's writer wants the file to itself).
bool FinishedHandling(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

TEST(StartWithWindows, TheSystemMenuMakesAndRemovesTheShortcutAndAsksBeforeReplacingAnother) {
    ProgramsStartupShortcut shortcut;
    if (shortcut.there_before()) GTEST_SKIP() << "a Kestrune shortcut starts with Windows here";
    RunningProgram program;
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    const std::string exe = RealPathOf(WideToUtf8(program.exe()));

    ASSERT_EQ(ChooseFromSystemMenu(program, main, L'w'), "") << "Start with Windows";
    ASSERT_TRUE(PumpUntil([&] { return shortcut.Exists(); }, 5s));
    ASSERT_TRUE(FinishedHandling(main));
    const StartupShortcut made = shortcut.Read();
    EXPECT_TRUE(SameIgnoringCase(made.real_target, exe)) << made.target << " for " << exe;
    ASSERT_EQ(ChooseFromSystemMenu(program, main, L'w'), "") << "Start with Windows, again";
    EXPECT_TRUE(PumpUntil([&] { return !shortcut.Exists(); }, 5s));

    // A shortcut of that name for a copy that is gone: asked about, and kept on No.
    const std::string gone = WideToUtf8(program.folder()) + "\\gone\\kestrune.exe";
    ASSERT_TRUE(shortcut.MakeStart(gone));
    // Chooses the item and answers the question with `button`: the question, or the step that
    // went wrong.
    auto answer_question = [&](const wchar_t* button) -> std::string {
        const std::string chosen = ChooseFromSystemMenu(program, main, L'w');
        if (!chosen.empty()) return "(" + chosen + ")";
        HWND box = nullptr;
        if (!PumpUntil([&] { return (box = program.MessageBox()) != nullptr; }, 5s)) {
            return "(no question)";
        }
        const std::string question = WideToUtf8(LabelStartingWith(box, L"Your Startup folder"));
        Press(ChildStartingWith(box, button));
        if (!PumpUntil([&] { return program.MessageBox() == nullptr; }, 5s) ||
            !FinishedHandling(main)) {
            return "(the question stayed)";
        }
        return question;
    };
    const std::string question = answer_question(L"&No");
    EXPECT_NE(question.find(gone + "\", a file that is not there any more"), std::string::npos)
        << question;
    EXPECT_EQ(shortcut.Read().target, gone);

    // On Yes it starts this copy.
    EXPECT_EQ(answer_question(L"&Yes"), question);
    EXPECT_TRUE(SameIgnoringCase(shortcut.Read().real_target, exe)) << shortcut.Read().target;
    EXPECT_TRUE(program.NoSettingsFile());
}

// "TaskbarCreated" comes from a shell that restarted, and also from one that still holds the
// icon (a change of the display or its dots per inch).
TEST(NotificationArea, TheIconStaysOrComesBackWhenTheShellSaysTaskbarCreated) {
    RunningProgram program;
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(HideToTray(main, 2s));

    // The shell still holds the icon: it stays, and so does the window, hidden.
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    PumpFor(1s);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_TRUE(TrayIconPresent(main));

    // A restarted shell has forgotten every icon, then says so to every window.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = main;
    data.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_FALSE(TrayIconPresent(main));
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return TrayIconPresent(main); }, 2s));
    EXPECT_FALSE(IsWindowVisible(main));
}

TEST(EndOfProgram, ExitWhileHiddenRemovesTheIconAndEndsTheProgram) {
    StandInPlayer player;
    RunningProgram program("[KEYS]\r\nexit=119\r\n[OTHER]\r\nexecuted=41\r\n");
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(HideToTray(main, 2s));

    EXPECT_TRUE(HoldAltWithUntil(VK_F8, [&] { return !program.Running(); }));
    EXPECT_EQ(program.WaitForExit(5s), 0);
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40001}) << "one Exit, nothing after";
    EXPECT_NE(program.Settings().find("executed=42\r\n"), std::string::npos) << program.Settings();
    EXPECT_FALSE(TrayIconPresent(main)) << "no icon is left behind";
}

TEST(EndOfProgram, TheCloseBoxEndsTheProgram) {
    RunningProgram program;
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    const HWND splash = program.SplashWindow();
    EXPECT_NE(splash, nullptr);
    RunningProgram::Close(main);
    EXPECT_EQ(program.WaitForExit(5s), 0);
    EXPECT_FALSE(IsWindow(splash)) << "every window goes with the main window";
    EXPECT_TRUE(program.NoSettingsFile());
}

struct CountCase {
    const char* stored;
    const wchar_t* shown;
};

class CountAtLoad : public ::testing::TestWithParam<CountCase> {};

// A count the poll cannot count up (out of range, or not a number) is shown as it stands.
TEST_P(CountAtLoad, IsShownGroupedOrAsItStands) {
    const std::string settings = std::string("[OTHER]\r\nexecuted=") + GetParam().stored + "\r\n";
    RunningProgram program(settings);
    ASSERT_NE(program.main, nullptr);
    EXPECT_EQ(program.Label(L"Functions Executed"),
              std::wstring(L"Functions Executed - ") + GetParam().shown);
    EXPECT_EQ(program.Settings(), settings) << "loading writes nothing";
}

// The tests run under an English locale: "," groups thousands.
INSTANTIATE_TEST_SUITE_P(StoredCounts, CountAtLoad,
                         ::testing::Values(CountCase{"999", L"999"}, CountCase{"1000", L"1,000"},
                                           CountCase{"2147483647", L"2,147,483,647"},
                                           CountCase{"+0042", L"42"},
                                           CountCase{"2147483648", L"2,147,483,648"},
                                           CountCase{"12 apples", L"12 apples"}));

// The stand-in player executable as "Winamp\\winamp.exe" in a program files folder (by default
// the fixed path's, "C:\\Program Files"), for the length of a test; skips the test where that
// path is not ours to use.
class PlayerAtFixedPath {
  public:
    static constexpr wchar_t kFolder[] = L"C:\\Program Files\\Winamp";
    static constexpr wchar_t kPath[] = L"C:\\Program Files\\Winamp\\winamp.exe";

    explicit PlayerAtFixedPath(const std::wstring& program_files = L"C:\\Program Files")
        : folder_(program_files + L"\\Winamp"), path_(folder_ + L"\\winamp.exe") {
        created_folder_ = CreateDirectoryW(folder_.c_str(), nullptr) != 0;
        placed_ =
            CopyFileW(BesideTheTests(L"stand_in_player.exe").c_str(), path_.c_str(), TRUE) != 0;
    }
    ~PlayerAtFixedPath() {
        if (placed_) DeleteFileW(path_.c_str());
        if (created_folder_) RemoveDirectoryW(folder_.c_str());
    }
    PlayerAtFixedPath(const PlayerAtFixedPath&) = delete;
    PlayerAtFixedPath& operator=(const PlayerAtFixedPath&) = delete;
    // False when a file was there already (a real player, say): it is left alone.
    bool placed() const { return placed_; }

  private:
    std::wstring folder_;
    std::wstring path_;
    bool created_folder_ = false;
    bool placed_ = false;
};

// The 32-bit program files folder as 64-bit Windows names it to every program; empty when
// there is none.
std::wstring ProgramFilesX86() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"ProgramFiles(x86)", folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : std::wstring();
}

TEST(PlayerStart, ThePlayerIsStartedWhenItIsNotRunning) {
    PlayerAtFixedPath player_file;
    if (!player_file.placed()) GTEST_SKIP() << "the player's fixed path is taken here";
    ProgramFolderCopy program;
    const std::wstring marker = program.File(L"player-started.txt");
    ASSERT_NE(program.StartToMainWindow(), nullptr);
    // The stand-in writes into its working folder, which is the program's own.
    EXPECT_TRUE(PumpUntil(
        [&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10s));
}

TEST(PlayerStart, NothingIsStartedWhenThePlayerRuns) {
    PlayerAtFixedPath player_file;
    if (!player_file.placed()) GTEST_SKIP() << "the player's fixed path is taken here";
    StandInPlayer running;
    ProgramFolderCopy program;
    const std::wstring marker = program.File(L"player-started.txt");
    ASSERT_NE(program.StartToMainWindow(), nullptr);
    EXPECT_FALSE(PumpUntil(
        [&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 2s));
}

// Where its installer puts the (32-bit) player on 64-bit Windows.
TEST(PlayerStart, ThePlayerInThe32BitProgramFilesFolderIsStartedOnce) {
    const std::wstring x86 = ProgramFilesX86();
    if (x86.empty()) GTEST_SKIP() << "no 32-bit program files folder here";
    if (GetFileAttributesW(PlayerAtFixedPath::kPath) != INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "a player is installed at the fixed path";
    }
    PlayerAtFixedPath player_file(x86);
    if (!player_file.placed())
        GTEST_SKIP() << "the player's path in " << WideToUtf8(x86) << " is taken";
    ProgramFolderCopy program;
    const std::wstring marker = program.File(L"player-started.txt");
    ASSERT_NE(program.StartToMainWindow(), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return LinesOf(marker, "winamp.exe") > 0; }, 10s));
    PumpFor(1s);
    EXPECT_EQ(LinesOf(marker, "winamp.exe"), 1u);
}

TEST(PlayerStart, NothingHappensWithoutThePlayerAtItsPath) {
    const std::wstring x86 = ProgramFilesX86();
    if (GetFileAttributesW(PlayerAtFixedPath::kPath) != INVALID_FILE_ATTRIBUTES ||
        (!x86.empty() &&
         GetFileAttributesW((x86 + L"\\Winamp\\winamp.exe").c_str()) != INVALID_FILE_ATTRIBUTES)) {
        GTEST_SKIP() << "a player is installed here";
    }
    RunningProgram program;
    const HWND main = program.main;
    ASSERT_NE(main, nullptr);
    // No message box or other window comes up; the program just runs.
    PumpFor(1s);
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(program.FindWindowOf(
                  [&](HWND window) { return window != main && IsWindowVisible(window); }),
              nullptr);
}

}  // namespace
}  // namespace kestrune
