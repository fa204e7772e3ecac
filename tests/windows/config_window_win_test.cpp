// Assigning keys through the windows: the configuration window opened from the main window,
// and the key capture window opened from it. Each test runs a copy of kestrune.exe in a
// folder of its own, drives it from outside and reads its windows and its settings file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "hotkeys/catalogue.hpp"
#include "keyboard.hpp"
#include "program.hpp"
#include "stand_in_player.hpp"
#include "ui.hpp"
#include "util/wide_text.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using namespace testing;  // the helpers of the tests, not GoogleTest

// The functions as the list shows them: the program's catalogue, in its order.
const std::vector<std::wstring> kFunctions = [] {
    std::vector<std::wstring> names;
    for (const PlayerFunction& f : kCatalogue) names.push_back(Utf8ToWide(f.display_name));
    return names;
}();

// The program, with what only these tests read of its configuration window.
class Program : public RunningProgram {
  public:
    using RunningProgram::RunningProgram;

    std::vector<std::wstring> Items() const {
        std::vector<std::wstring> items;
        const LRESULT count = SendMessageW(List(), CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[128] = {};
            SendMessageW(List(), CB_GETLBTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    std::wstring Selected() const {
        const LRESULT index = SendMessageW(List(), CB_GETCURSEL, 0, 0);
        return index < 0 || static_cast<std::size_t>(index) >= kFunctions.size()
                   ? L"(none)"
                   : Items()[static_cast<std::size_t>(index)];
    }
};

TEST(ConfigWindow, FirstOpeningWithoutASettingsFile) {
    Program program;
    ASSERT_NE(program.main, nullptr);
    const HWND config = program.OpenConfig();
    ASSERT_NE(config, nullptr);

    EXPECT_FALSE(IsWindowVisible(program.main)) << "the main window hides";
    EXPECT_TRUE(IsTopmost(config));
    EXPECT_TRUE(ClientSizeInTwips(config, 4215, 1725));
    const LONG_PTR style = GetWindowLongPtrW(config, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0) << "fixed, no boxes";
    EXPECT_NE(style & WS_SYSMENU, 0) << "a close box";

    EXPECT_EQ(program.Items(), kFunctions);
    EXPECT_EQ(GetWindowLongPtrW(program.List(), GWL_STYLE) & 3, CBS_DROPDOWNLIST)
        << "a list to pick from, nothing to type";
    EXPECT_EQ(program.Selected(), L"Play");
    EXPECT_EQ(program.Current(), L"Unassigned");
    EXPECT_EQ(FocusOf(config), program.List()) << "the list has the focus";
    EXPECT_TRUE(program.NoSettingsFile()) << "reading creates no file";
}

TEST(ConfigWindow, ShowsTheStoredNameOfTheSelectedFunction) {
    const std::string long_name(60, 'W');
    Program program(
        "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\nstop_n=no\r\npause_n=No\r\n"
        "play_n=   \r\nseek back_n=" +
        long_name + "\r\n");
    ASSERT_NE(program.main, nullptr);
    const HWND config = program.OpenConfig();
    ASSERT_NE(config, nullptr);

    EXPECT_EQ(program.Current(), L"Unassigned") << "a blank name reads as unassigned";
    const std::vector<std::pair<std::wstring, std::wstring>> cases{
        {L"Next Track", L"ALT + F6"}, {L"Stop", L"Unassigned"},
        {L"Pause", L"ALT + No"},      {L"Volume Up", L"Unassigned"},
        {L"Play", L"Unassigned"},     {L"Seek Back", L"ALT + " + std::wstring(60, L'W')},
    };
    for (const auto& [function, shown] : cases) {
        program.Select(function);
        EXPECT_EQ(program.Current(), shown) << std::string(function.begin(), function.end());
    }

    // The long name stays inside the window and clear of the other controls.
    const HWND label = GetWindow(ChildStartingWith(config, L"C&urrent Config"), GW_HWNDNEXT);
    RECT client, box;
    GetClientRect(config, &client);
    GetWindowRect(label, &box);
    MapWindowPoints(nullptr, config, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_LE(box.right, client.right);
    for (HWND other = GetWindow(config, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
        if (other == label || other == program.List()) continue;
        RECT rect, overlap;
        GetWindowRect(other, &rect);
        MapWindowPoints(nullptr, config, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_FALSE(IntersectRect(&overlap, &rect, &box)) << "overlaps " << TextOf(other).size();
    }
    EXPECT_NE(GetWindowLongPtrW(label, GWL_STYLE) & SS_ENDELLIPSIS, 0) << "cut with an ellipsis";
}

TEST(ConfigWindow, RemoveEmptiesOnlyTheSelectedFunctionsEntries) {
    const std::string before =
        "; my keys\r\n[KEYS]\r\nplay=65\r\nplay_n=A\r\nstop=66\r\nstop_n=B\r\n[OTHER]\r\n"
        "executed=7\r\n";
    Program program(before);
    ASSERT_NE(program.main, nullptr);
    ASSERT_NE(program.OpenConfig(), nullptr);
    ASSERT_EQ(program.Current(), L"ALT + A");

    Press(ChildStartingWith(program.Config(), L"&Remove"));
    EXPECT_EQ(program.Settings(),
              "; my keys\r\n[KEYS]\r\nplay=\r\nplay_n=\r\nstop=66\r\nstop_n=B\r\n[OTHER]\r\n"
              "executed=7\r\n");
    EXPECT_EQ(program.Current(), L"Unassigned");
    program.Select(L"Stop");
    EXPECT_EQ(program.Current(), L"ALT + B");
}

TEST(ConfigWindow, RemoveWithoutASettingsFileCreatesIt) {
    Program program;
    ASSERT_NE(program.main, nullptr);
    ASSERT_NE(program.OpenConfig(), nullptr);
    program.Select(L"Toggle Shuffle");
    Press(ChildStartingWith(program.Config(), L"&Remove"));
    EXPECT_EQ(NonBlankLines(program.Settings()),
              (std::vector<std::string>{"[KEYS]", "toggle shuffle=", "toggle shuffle_n="}));
    EXPECT_EQ(program.Current(), L"Unassigned");
}

TEST(ConfigWindow, OkKeepsTheWindowAndTheCloseBoxDiscardsIt) {
    Program program("[KEYS]\r\nprev track_n=F5\r\n");
    ASSERT_NE(program.main, nullptr);
    ASSERT_NE(program.OpenConfig(), nullptr);
    program.Select(L"Prev Track");
    ASSERT_EQ(program.Current(), L"ALT + F5");
    // Changed behind the window's back: only a fresh load reads it.
    program.WriteSettings("[KEYS]\r\nprev track_n=F9\r\nplay_n=Pause\r\n");

    const HWND config = program.Config();
    Press(ChildStartingWith(config, L"&OK"));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(program.main); }, 2s));
    EXPECT_FALSE(IsWindowVisible(config));
    EXPECT_TRUE(IsWindow(config)) << "hidden, still loaded";

    ASSERT_EQ(program.OpenConfig(), config);
    EXPECT_EQ(program.Selected(), L"Prev Track");
    EXPECT_EQ(program.Current(), L"ALT + F5");
    EXPECT_TRUE(IsTopmost(config));

    Program::Close(config);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(config) && IsWindowVisible(program.main); }, 2s))
        << "the close box discards the window and shows the main window";
    ASSERT_NE(program.OpenConfig(), nullptr);
    EXPECT_EQ(program.Selected(), L"Play");
    EXPECT_EQ(program.Current(), L"ALT + Pause") << "read again at the fresh load";
    EXPECT_EQ(program.Items().size(), kFunctions.size()) << "filled once";
}

TEST(ConfigWindow, TabAndAccessKeys) {
    Program program("[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
    ASSERT_NE(program.main, nullptr);
    const HWND config = program.OpenConfig();
    ASSERT_NE(config, nullptr);
    ASSERT_EQ(GetForegroundWindow(), config);
    auto focus = [&] { return TextOf(FocusOf(config)); };

    // Tab skips the labels.
    Tap({VK_TAB});
    EXPECT_TRUE(PumpUntil([&] { return focus() == L"&Remove"; }, 2s)) << focus().size();
    Tap({VK_TAB});
    EXPECT_TRUE(PumpUntil([&] { return focus() == L"&Change"; }, 2s));
    // A label's access key moves to the next control that takes the focus: Alt+F to the list,
    // Alt+U past lblCurrent to "&Remove".
    Tap({VK_MENU, 'F'});
    EXPECT_TRUE(PumpUntil([&] { return FocusOf(config) == program.List(); }, 2s));
    Tap({VK_MENU, 'U'});
    EXPECT_TRUE(PumpUntil([&] { return focus() == L"&Remove"; }, 2s));
    EXPECT_TRUE(program.SettingsHold("play=65\r\n")) << "moving there presses nothing";

    Tap({VK_MENU, 'R'});
    EXPECT_TRUE(PumpUntil([&] { return program.SettingsHold("play=\r\nplay_n=\r\n"); }, 2s));
    Tap({VK_MENU, 'C'});
    ASSERT_TRUE(PumpUntil([&] { return program.SetKeyShown(); }, 2s)) << "Alt+C: Change";
    Program::Close(program.SetKey());
    ASSERT_TRUE(PumpUntil([&] { return program.ConfigShown(); }, 2s));
    PumpFor(300ms);
    Tap({VK_MENU, 'O'});
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(program.main); }, 2s)) << "Alt+O: OK";
    EXPECT_FALSE(IsWindowVisible(config));
    ReleaseKeys({VK_MENU, VK_TAB, 'F', 'U', 'R', 'C', 'O'});
}

TEST(SetKey, CapturesTheKeyPressedForTheSelectedFunction) {
    Program program;
    ASSERT_NE(program.main, nullptr);
    const HWND config = program.OpenConfig();
    ASSERT_NE(config, nullptr);
    const HWND set_key = program.OpenSetKey();
    ASSERT_NE(set_key, nullptr);

    EXPECT_FALSE(IsWindowVisible(config)) << "the configuration window hides";
    EXPECT_FALSE(IsWindowVisible(program.main));
    EXPECT_TRUE(IsTopmost(set_key));
    EXPECT_TRUE(ClientSizeInTwips(set_key, 3255, 900));
    const HWND line = ChildStartingWith(set_key, L"Press the desired key now.");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(line, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    EXPECT_TRUE(program.NoSettingsFile()) << "nothing is stored before a key is pressed";

    ASSERT_TRUE(HoldKeysUntil({'A'}, [&] { return !program.SetKeyShown(); }));
    EXPECT_TRUE(program.SettingsHold("[KEYS]\r\nplay=65\r\nplay_n=A\r\n")) << program.Settings();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(set_key); }, 2s)) << "discarded";
    EXPECT_TRUE(PumpUntil([&] { return program.ConfigShown(); }, 2s));
    EXPECT_EQ(program.Current(), L"ALT + A");
    EXPECT_FALSE(IsWindowVisible(program.main));
}

TEST(SetKey, KeysOutsideTheTableAndMouseButtonsAreIgnored) {
    Program program;
    ASSERT_NE(program.main, nullptr);
    ASSERT_NE(program.OpenConfig(), nullptr);
    const HWND set_key = program.OpenSetKey();
    ASSERT_NE(set_key, nullptr);

    // The main keyboard's semicolon key, then the left mouse button over the window.
    HoldKeysUntil(
        {VK_OEM_1}, [] { return false; }, 600ms);
    RECT rect;
    GetWindowRect(ChildStartingWith(set_key, L"Press"), &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    INPUT click[2]{};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &click[0], sizeof(INPUT));
    PumpFor(600ms);
    SendInput(1, &click[1], sizeof(INPUT));
    PumpFor(300ms);
    EXPECT_TRUE(program.SetKeyShown()) << "still waiting for a key";
    EXPECT_TRUE(program.NoSettingsFile()) << "[" << program.Settings() << "]";

    ASSERT_TRUE(HoldKeysUntil({VK_F12}, [&] { return !program.SetKeyShown(); }));
    EXPECT_TRUE(program.SettingsHold("play=123\r\nplay_n=F12\r\n")) << program.Settings();
}

TEST(SetKey, ChosenWithTheKeyboardAlone) {
    Program program;
    ASSERT_NE(program.main, nullptr);
    const HWND config = program.OpenConfig();
    ASSERT_NE(config, nullptr);
    Tap({VK_TAB});
    Tap({VK_TAB});
    ASSERT_TRUE(PumpUntil([&] { return TextOf(FocusOf(config)) == L"&Change"; }, 2s));

    // Enter presses the focused "&Change"; that Enter, and the Tabs just before it, are not
    // the key chosen, whether the capture's first look at the keyboard shows them or a later one.
    Tap({VK_RETURN});
    ASSERT_TRUE(PumpUntil([&] { return program.SetKeyReady(); }, 5s));
    PumpFor(600ms);
    EXPECT_TRUE(program.SetKeyShown()) << "still waiting for a key";
    EXPECT_TRUE(program.NoSettingsFile()) << "[" << program.Settings() << "]";

    // Alt held, then A: the shortcut meant is Alt+A, so A is stored.
    ASSERT_TRUE(HoldKeysUntil({VK_MENU, 'A'}, [&] { return !program.SetKeyShown(); }));
    EXPECT_TRUE(program.SettingsHold("play=65\r\nplay_n=A\r\n")) << program.Settings();
    EXPECT_TRUE(PumpUntil([&] { return program.Current() == L"ALT + A"; }, 2s));

    // Alt alone, held over several ticks: taken only once it is let go, and stored after a
    // question.
    program.Select(L"Stop");
    ASSERT_NE(program.OpenSetKey(), nullptr);
    SendKey(VK_MENU, true);
    ASSERT_TRUE(WaitForKeys({VK_MENU}, true));
    PumpFor(500ms);
    EXPECT_TRUE(program.SetKeyShown()) << "not while Alt is held";
    ReleaseKeys({VK_MENU});
    ASSERT_TRUE(PumpUntil([&] { return program.MessageBox() != nullptr; }, 2s));
    EXPECT_TRUE(TextOf(GetDlgItem(program.MessageBox(), 0xFFFF))
                    .starts_with(L"Menu is the Alt key itself: the function would run whenever"));
    Press(GetDlgItem(program.MessageBox(), IDYES));
    EXPECT_TRUE(PumpUntil([&] { return !program.SetKeyShown(); }, 2s));
    EXPECT_TRUE(program.SettingsHold("stop=18\r\nstop_n=Menu\r\n")) << program.Settings();
    EXPECT_TRUE(PumpUntil([&] { return program.Current() == L"ALT + Menu"; }, 2s));
    ReleaseKeys({VK_TAB, VK_RETURN, 'A'});
}

TEST(SetKey, ClosingItStoresNothing) {
    Program program("[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
    ASSERT_NE(program.main, nullptr);
    ASSERT_NE(program.OpenConfig(), nullptr);
    const std::string before = program.Settings();
    const HWND set_key = program.OpenSetKey();
    ASSERT_NE(set_key, nullptr);
    Program::Close(set_key);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(set_key) && program.ConfigShown(); }, 2s));
    PumpFor(300ms);
    EXPECT_EQ(program.Settings(), before);
    EXPECT_EQ(program.Current(), L"ALT + A");

    // It opens afresh and still captures.
    ASSERT_NE(program.OpenSetKey(), nullptr);
    ASSERT_TRUE(HoldKeysUntil({'7'}, [&] { return !program.SetKeyShown(); }));
    EXPECT_TRUE(program.SettingsHold("play=55\r\nplay_n=7\r\n")) << program.Settings();
}

TEST(SetKey, AKeyThatCannotBeStoredOrRemovedIsReportedAndNotShown) {
    const std::string before = "[KEYS]\r\nplay=80\r\nplay_n=P\r\n";
    Program program(before);
    ASSERT_NE(program.main, nullptr);
    const std::wstring settings = program.settings();
    ASSERT_TRUE(SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_NE(program.OpenConfig(), nullptr);
    const HWND set_key = program.OpenSetKey();
    ASSERT_NE(set_key, nullptr);

    ASSERT_TRUE(HoldKeysUntil({'A'}, [&] { return program.MessageBox() != nullptr; }));
    const HWND box = program.MessageBox();
    EXPECT_EQ(GetWindow(box, GW_OWNER), set_key) << "owned by the capture window";
    const std::wstring message = TextOf(GetDlgItem(box, 0xFFFF));
    EXPECT_NE(message.find(settings), std::wstring::npos) << message;
    EXPECT_NE(message.find(L"read-only"), std::wstring::npos) << message;
    EXPECT_EQ(program.Current(), L"ALT + P") << "the label shows what the file holds";

    Press(FindWindowExW(box, nullptr, L"Button", nullptr));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(set_key) && program.ConfigShown(); }, 5s));
    EXPECT_EQ(program.Current(), L"ALT + P");
    EXPECT_EQ(program.MessageBox(), nullptr) << "told once";

    // Remove cannot empty the entries either, and says so from the configuration window.
    PostMessageW(ChildStartingWith(program.Config(), L"&Remove"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return program.MessageBox() != nullptr; }, 5s));
    EXPECT_EQ(GetWindow(program.MessageBox(), GW_OWNER), program.Config());
    EXPECT_NE(TextOf(GetDlgItem(program.MessageBox(), 0xFFFF)).find(L"not removed"),
              std::wstring::npos);
    Press(FindWindowExW(program.MessageBox(), nullptr, L"Button", nullptr));
    EXPECT_TRUE(PumpUntil([&] { return program.MessageBox() == nullptr; }, 5s));
    EXPECT_EQ(program.Current(), L"ALT + P");
    EXPECT_EQ(program.Settings(), before);
}

TEST(SetKey, AKeyOfAnotherFunctionIsTakenFromItAfterAYes) {
    Program program("[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n");
    ASSERT_NE(program.main, nullptr);
    StandInPlayer player;
    const HWND config = program.OpenConfig();
    ASSERT_NE(config, nullptr);
    const HWND set_key = program.OpenSetKey();  // for Play
    ASSERT_NE(set_key, nullptr);

    ASSERT_TRUE(HoldKeysUntil({VK_F6}, [&] { return program.MessageBox() != nullptr; }));
    const HWND box = program.MessageBox();
    EXPECT_EQ(GetWindow(box, GW_OWNER), set_key) << "asked by the capture window";
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)),
              L"F6 is the key of Next Track. Use it for Play instead? Next Track will then have "
              L"no key.");
    Press(GetDlgItem(box, IDYES));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(set_key) && program.ConfigShown(); }, 5s));
    EXPECT_EQ(NonBlankLines(program.Settings()),
              (std::vector<std::string>{"[KEYS]", "next track=", "next track_n=", "play=117",
                                        "play_n=F6"}));
    EXPECT_EQ(program.Current(), L"ALT + F6");

    Program::Close(config);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(config) && IsWindowVisible(program.main); }, 2s));
    ForegroundWindow elsewhere;
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return Count(player.received, 40045) > 0; }));
    EXPECT_EQ(Count(player.received, 40045), player.received.size()) << "Play alone";
    ReleaseKeys({VK_MENU, VK_F6});
}

TEST(SetKey, AReservedKeyAnsweredNoStoresNothingAndGoesOnWaiting) {
    Program program;
    ASSERT_NE(program.main, nullptr);
    ASSERT_NE(program.OpenConfig(), nullptr);
    const HWND set_key = program.OpenSetKey();
    ASSERT_NE(set_key, nullptr);

    ASSERT_TRUE(HoldKeysUntil({VK_F4}, [&] { return program.MessageBox() != nullptr; }));
    const HWND box = program.MessageBox();
    EXPECT_EQ(GetWindow(box, GW_OWNER), set_key);
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)),
              L"Alt+F4 closes the window in front. Kestrune does not stop that: every time you use "
              L"this shortcut, the program in front closes too. Use F4 anyway?");
    Press(GetDlgItem(box, IDNO));
    ASSERT_TRUE(PumpUntil([&] { return program.MessageBox() == nullptr; }, 5s));
    PumpFor(500ms);
    EXPECT_TRUE(program.SetKeyShown()) << "still waiting for a key";
    EXPECT_TRUE(program.NoSettingsFile()) << "[" << program.Settings() << "]";

    ASSERT_TRUE(HoldKeysUntil({VK_F7}, [&] { return !program.SetKeyShown(); }));
    EXPECT_TRUE(program.SettingsHold("[KEYS]\r\nplay=118\r\nplay_n=F7\r\n")) << program.Settings();
}

TEST(Shortcuts, KeepWorkingWhileTheConfigurationAndCaptureWindowsAreOpen) {
    Program program("[KEYS]\r\nnext track=117\r\n");
    ASSERT_NE(program.main, nullptr);
    StandInPlayer player;
    ASSERT_NE(program.OpenConfig(), nullptr);
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return Count(player.received, 40048) > 0; }))
        << "configuration window open";

    // Next Track's own key: the capture stores it without a question.
    program.Select(L"Next Track");
    ASSERT_NE(program.OpenSetKey(), nullptr);
    const std::size_t before = Count(player.received, 40048);
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] {
        return Count(player.received, 40048) > before && !program.SetKeyShown();
    })) << "capture window open";
    // Meanwhile the capture took the key held with Alt.
    EXPECT_TRUE(program.SettingsHold("next track=117\r\nnext track_n=F6\r\n"))
        << program.Settings();
}

TEST(Journey, AssignF6ToNextTrackThenUseItFiveTimes) {
    Program program;
    ASSERT_NE(program.main, nullptr);
    StandInPlayer player;
    ASSERT_NE(program.OpenConfig(), nullptr);
    program.Select(L"Next Track");
    ASSERT_EQ(program.Current(), L"Unassigned");
    ASSERT_NE(program.OpenSetKey(), nullptr);
    ASSERT_TRUE(HoldKeysUntil({VK_F6}, [&] { return !program.SetKeyShown(); }));
    ASSERT_TRUE(PumpUntil([&] { return program.Current() == L"ALT + F6"; }, 2s));
    const HWND config = program.Config();
    Program::Close(config);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(config) && IsWindowVisible(program.main); }, 2s));

    // Five taps of Alt+F6 from another program, each shorter than a tick, well apart (see
    // TapFor). Messages are handled meanwhile, so that the stand-in player answers each
    // command at once.
    ForegroundWindow elsewhere;
    PumpFor(300ms);
    for (int tap = 0; tap < 5; ++tap) {
        TapFor({VK_MENU, VK_F6}, 80ms);
        PumpFor(400ms);
    }
    const std::size_t received = Count(player.received, 40048);
    EXPECT_EQ(received, 5u) << "every tap fires once, even between two ticks";
    EXPECT_EQ(player.received.size(), received) << "nothing but Next Track";
    const std::vector<std::string> expected{"[KEYS]", "next track=117", "next track_n=F6",
                                            "[OTHER]", "executed=" + std::to_string(received)};
    // The count is stored, then shown: once the label shows it, the file holds it.
    const std::wstring shown = L"Functions Executed - " + std::to_wstring(received);
    EXPECT_TRUE(PumpUntil([&] { return program.Label(L"Functions Executed") == shown; }, 2s))
        << program.Label(L"Functions Executed");
    EXPECT_EQ(NonBlankLines(program.Settings()), expected) << program.Settings();
    ReleaseKeys({VK_MENU, VK_LMENU, VK_F6});
}

TEST(Journey, EveryFunctionIsAssignedAndUsedThroughTheWindowsAlone) {
    Program program;
    ASSERT_NE(program.main, nullptr);
    StandInPlayer player;
    // Keys that mean nothing else to the window that has the focus and that Set Key does not
    // ask about: the digits 0 to 9, F6, F7.
    std::vector<WORD> keys;
    for (WORD key = '0'; key <= '9'; ++key) keys.push_back(key);
    keys.push_back(VK_F6);
    keys.push_back(VK_F7);
    ASSERT_EQ(keys.size(), kFunctions.size());

    ASSERT_NE(program.OpenConfig(), nullptr);
    for (std::size_t i = 0; i < kFunctions.size(); ++i) {
        program.Select(kFunctions[i]);
        ASSERT_NE(program.OpenSetKey(), nullptr) << i;
        ASSERT_TRUE(HoldKeysUntil({keys[i]}, [&] { return !program.SetKeyShown(); })) << i;
        ASSERT_TRUE(PumpUntil([&] { return program.ConfigShown(); }, 2s));
    }
    Press(ChildStartingWith(program.Config(), L"&OK"));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(program.main); }, 2s));

    ForegroundWindow elsewhere;
    const std::vector<std::int32_t> ids{40045, 40047, 40048, 40044, 40058, 40059,
                                        40046, 40023, 40022, 40148, 40144, 40001};
    for (std::size_t i = 0; i < kFunctions.size(); ++i) {
        ASSERT_TRUE(HoldAltWithUntil(keys[i], [&] { return Count(player.received, ids[i]) > 0; }))
            << std::string(kFunctions[i].begin(), kFunctions[i].end());
    }
    EXPECT_EQ(program.WaitForExit(5s), 0) << "Exit ends the program";
}

}  // namespace
}  // namespace kestrune
