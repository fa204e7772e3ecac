// The key capture window's tick against a fake keyboard, message pump and window, with a real
// settings file in a temporary folder; what it asks before storing a key; and the text shown for
// a stored key name.
#include "hotkeys/key_capture.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fakes.hpp"
#include "fakes/faulty_disk.hpp"
#include "fakes/temp_folder.hpp"
#include "hotkeys/messages.hpp"
#include "settings/settings.hpp"

namespace kestrune {
namespace {

using fakes::FakeKeyboard;
using fakes::FakePump;
using fakes::TempFolder;

using vk::kAlt;
using vk::kLeftButton;
constexpr std::int32_t kA = 'A';
constexpr std::int32_t kF6 = vk::F(6);

constexpr const PlayerFunction& kPlay = kCatalogue[0];
constexpr const PlayerFunction& kNextTrack = kCatalogue[2];

class FakeWindow final : public CaptureHost {
  public:
    std::vector<std::string> reports;
    std::vector<std::string> questions;
    bool answer = true;  // Yes to every question
    int closes = 0;
    std::function<void()> on_close;
    bool ticking = true;  // the window's timer, started when it loads

    bool Ask(std::string_view question) override {
        questions.emplace_back(question);
        return answer;
    }
    void ReportStoreFailure(std::string_view message) override { reports.emplace_back(message); }
    void StopTicks() override { ticking = false; }
    void StartTicks() override { ticking = true; }
    void Close() override {
        ++closes;
        if (on_close) on_close();
    }
};

class KeyCaptureTest : public ::testing::Test {
  protected:
    KeyCaptureTest() {
        // The window's unload tells the capture, as the real one does.
        window.on_close = [this] { capture.Closing(); };
        OpenWindow();
    }
    void Tick() { capture.Tick(keys, pump, window); }
    // The window opens for `function` and its first tick passes, which takes no key; passes are
    // counted from the tick after it.
    void OpenWindow(const PlayerFunction& function = kPlay) {
        capture.Open(keys, function, SettingsPath(folder.str()));
        Tick();
        ASSERT_TRUE(capture.TakingKeys());
        pump.passes = 0;
    }
    // What the configuration window shows after the capture: the caption of the name that the
    // file holds, or "<closed>" when no key was chosen.
    std::string Shown() const {
        return capture.Result() ? CurrentKeyCaption(capture.Result()->name) : "<closed>";
    }
    std::string Settings() const { return folder.Read("settings.ini"); }
    bool NothingStored() const { return !folder.Has("settings.ini"); }

    TempFolder folder;
    FakeKeyboard keys;
    FakePump pump;
    FakeWindow window;
    KeyCapture capture;
};

TEST_F(KeyCaptureTest, StoresCodeAndNameShowsThemThenCloses) {
    keys.Press(kA);
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
    EXPECT_EQ(Shown(), "ALT + A");
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(pump.passes, 2) << "one pass after looking at the keys, one before closing";

    // Closed: later ticks do nothing.
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(window.closes, 1);
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
}

TEST_F(KeyCaptureTest, AKeyThatCannotBeStoredIsReportedOnceAndNotShown) {
    const std::string file = "[KEYS]\r\nplay=80\r\nplay_n=P\r\n";
    folder.Write("settings.ini", file);
    std::filesystem::permissions(folder / "settings.ini", std::filesystem::perms::owner_read);
    keys.Press(kA);
    Tick();
    EXPECT_EQ(Settings(), file);
    EXPECT_EQ(Shown(), "ALT + P") << "what the file holds";
    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_NE(window.reports[0].find(SettingsPath(folder.str())), std::string::npos);
    EXPECT_NE(window.reports[0].find("read-only"), std::string::npos) << window.reports[0];
    EXPECT_EQ(window.closes, 1) << "and the window closes as usual";
}

TEST_F(KeyCaptureTest, ANameThatCannotBeStoredTakesTheNewCodeBack) {
    // The code is stored, the name is not (the disk fills up in between): the code goes back,
    // so that the function keeps firing on the key that its name shows.
    folder.Write("settings.ini", "[KEYS]\r\nplay=80\r\nplay_n=P\r\n");
    fakes::FaultyDisk disk;
    disk.fails_on = [](std::string_view bytes) {
        return bytes.find("play_n=A") != std::string_view::npos;
    };
    keys.Press(kA);
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=80\r\nplay_n=P\r\n");
    EXPECT_EQ(Shown(), "ALT + P");
    EXPECT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.closes, 1);
}

TEST_F(KeyCaptureTest, KeysGoUnderTheFunctionInLowerCaseBesideOtherEntries) {
    folder.Write("settings.ini", "[KEYS]\r\nplay=65\r\nplay_n=A\r\n[OTHER]\r\nexecuted=3\r\n");
    OpenWindow(kNextTrack);
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(Settings(),
              "[KEYS]\r\nplay=65\r\nplay_n=A\r\nnext track=117\r\nnext track_n=F6\r\n"
              "[OTHER]\r\nexecuted=3\r\n");
    EXPECT_EQ(Shown(), "ALT + F6");
}

TEST_F(KeyCaptureTest, TakesTheKeyHeldWithAltEscapeAndAKeyHeldWithAMouseButton) {
    struct Case {
        std::vector<int> down;
        const char* stored;
    };
    for (const Case& c : {Case{{kAlt, kA}, "play=65\r\nplay_n=A\r\n"},
                          Case{{vk::kEscape}, "play=27\r\nplay_n=Escape\r\n"},
                          Case{{kLeftButton, 'T'}, "play=84\r\nplay_n=T\r\n"}}) {
        keys.ReleaseAll();
        OpenWindow();
        for (int code : c.down) keys.Press(code);
        Tick();
        EXPECT_NE(Settings().find(c.stored), std::string::npos) << c.stored;
    }
    EXPECT_EQ(window.closes, 3);
}

TEST_F(KeyCaptureTest, AKeyDownWhenTheWindowOpensIsNotTaken) {
    keys.ReleaseAll();
    keys.Press(vk::kEnter);  // which pressed "&Change"
    capture.Open(keys, kPlay, SettingsPath(folder.str()));
    Tick();
    keys.Release(vk::kEnter);
    Tick();
    EXPECT_TRUE(NothingStored());
    keys.Press(kAlt);
    Tick();
    EXPECT_TRUE(NothingStored()) << "Alt alone waits for its release";
    keys.Release(kAlt);
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=18\r\nplay_n=Menu\r\n");
    EXPECT_EQ(Shown(), "ALT + Menu");
}

TEST_F(KeyCaptureTest, WaitsThroughNoKeyAMouseButtonOrAKeyOutsideTheTable) {
    for (const std::vector<int>& down : {std::vector<int>{},
                                         {kLeftButton},
                                         {vk::kRightButton},
                                         {vk::kMiddleButton},
                                         {186},
                                         {91},
                                         {kLeftButton, 186}}) {
        keys.ReleaseAll();
        for (int code : down) keys.Press(code);
        Tick();
    }
    EXPECT_TRUE(NothingStored());
    EXPECT_EQ(Shown(), "<closed>");
    EXPECT_EQ(window.closes, 0);

    keys.ReleaseAll();
    keys.Press(kA);
    Tick();
    EXPECT_EQ(window.closes, 1) << "still waiting, and then takes a key";
}

TEST_F(KeyCaptureTest, NoTickBeginsInsideATickAndTicksGoOnUntilTheWindowCloses) {
    // The timer delivers a tick during a pass of messages whenever it runs.
    std::size_t queries_in_nested_tick = 0;
    pump.on_pass = [&] {
        if (!window.ticking) return;
        const std::size_t before = keys.queries.size();
        Tick();
        queries_in_nested_tick += keys.queries.size() - before;
    };
    Tick();
    EXPECT_TRUE(window.ticking) << "waiting: the next tick comes";
    keys.Press(kA);
    Tick();
    EXPECT_EQ(queries_in_nested_tick, 0u);
    EXPECT_EQ(Shown(), "ALT + A");
    EXPECT_EQ(window.closes, 1) << "captured once";
    EXPECT_FALSE(window.ticking) << "closed: no more ticks";
}

TEST_F(KeyCaptureTest, NothingIsWrittenOnceTheWindowHasBegunToClose) {
    keys.Press(kA);
    // The user closes the window during the first pass.
    pump.on_pass = [&] { capture.Closing(); };
    Tick();
    EXPECT_TRUE(NothingStored());
    EXPECT_EQ(Shown(), "<closed>");
    EXPECT_EQ(window.closes, 0);
}

TEST_F(KeyCaptureTest, ClosedDuringTheLastPassItIsNotClosedAgain) {
    keys.Press(kA);
    pump.on_pass = [&] {
        if (pump.passes == 2) capture.Closing();
    };
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
    EXPECT_EQ(window.closes, 0);
}

TEST_F(KeyCaptureTest, ATickOfAClosedOpeningNeverWritesBesideTheNextOne) {
    keys.Press(kA);
    // Closed and opened again during the first pass; the new opening, an object of its own,
    // captures F6 there.
    KeyCapture next;
    pump.on_pass = [&] {
        pump.on_pass = nullptr;
        capture.Closing();
        window.on_close = [&] { next.Closing(); };
        keys.Release(kA);
        next.Open(keys, kPlay, SettingsPath(folder.str()));
        next.Tick(keys, pump, window);
        keys.Press(kF6);
        next.Tick(keys, pump, window);
    };
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=117\r\nplay_n=F6\r\n");
    EXPECT_EQ(Shown(), "<closed>") << "the first opening took nothing";
    ASSERT_TRUE(next.Result());
    EXPECT_EQ(next.Result()->name, "F6");
    EXPECT_EQ(window.closes, 1);
}

TEST_F(KeyCaptureTest, AKeyOfAnotherFunctionIsTakenFromItOnlyAfterAYes) {
    const std::string before = "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n";
    folder.Write("settings.ini", before);
    window.answer = false;
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(window.questions, std::vector<std::string>{"F6 is the key of Next Track. Use it for "
                                                         "Play instead? Next Track will then have "
                                                         "no key."});
    EXPECT_EQ(Settings(), before) << "No stores nothing";
    EXPECT_EQ(window.closes, 0) << "and goes on waiting";

    // The key that answered the box, still down, is not taken; pressed again, it is.
    window.answer = true;
    Tick();
    Tick();
    EXPECT_EQ(window.questions.size(), 1u);
    keys.Release(kF6);
    Tick();
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(window.questions.size(), 2u);
    EXPECT_EQ(Settings(), "[KEYS]\r\nnext track=\r\nnext track_n=\r\nplay=117\r\nplay_n=F6\r\n");
    EXPECT_EQ(window.closes, 1);
}

TEST_F(KeyCaptureTest, EveryFunctionThatHasTheKeyIsNamedOnceAndEmptiedInOneSave) {
    // A hand edit gave F6 to Play, Next Track and Pause.
    folder.Write("settings.ini",
                 "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\nplay=117\r\nplay_n=F6\r\n"
                 "pause=117\r\npause_n=F6\r\n");
    OpenWindow(kCatalogue[1]);  // Stop
    fakes::FaultyDisk disk;
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(window.questions, std::vector<std::string>{"F6 is the key of Play, Next Track and "
                                                         "Pause. Use it for Stop instead? They "
                                                         "will then have no key."});
    EXPECT_EQ(disk.replaces, 1) << "one save";
    EXPECT_EQ(Settings(),
              "[KEYS]\r\nnext track=\r\nnext track_n=\r\nplay=\r\nplay_n=\r\n"
              "pause=\r\npause_n=\r\nstop=117\r\nstop_n=F6\r\n");
    EXPECT_EQ(Shown(), "ALT + F6");
}

TEST_F(KeyCaptureTest, AsksAboutAReservedKeyThenAboutOtherHoldersButNotAboutItsOwnKey) {
    // Play has F6; Next Track is polled before it.
    folder.Write("settings.ini", "[KEYS]\r\nplay=117\r\nplay_n=F6\r\n");
    const KeyAssignments now = KeyAssignments::Read(SettingsPath(folder.str()));
    const auto checks = [&](const PlayerFunction& function, const KeyEntry& key) {
        return ChecksBeforeAssigning(now, function, key);
    };
    EXPECT_TRUE(checks(kPlay, {kF6, "F6"}).empty()) << "its own key: stored as it is";

    const std::vector<SetKeyOutcome> other = checks(kNextTrack, {kF6, "F6"});
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].check, SetKeyCheck::kOtherFunctionsKey);
    EXPECT_EQ(other[0].holders, std::vector<const PlayerFunction*>{&kPlay});
    EXPECT_EQ(SetKeyQuestion(other[0]),
              "F6 is the key of Play. Use it for Next Track instead? Play will then have no key.");

    // Every key that is asked about, then keys that are not.
    for (const KeyEntry& key :
         {KeyEntry{vk::F(4), "F4"}, KeyEntry{vk::kTab, "Tab"}, KeyEntry{vk::kEscape, "Escape"},
          KeyEntry{vk::kSpace, "Space"}, KeyEntry{vk::kEnter, "Enter"}, KeyEntry{kAlt, "Menu"},
          KeyEntry{vk::kShift, "Shift"}, KeyEntry{vk::Numpad(0), "Numpad 0"},
          KeyEntry{vk::Numpad(9), "Numpad 9"}}) {
        const std::vector<SetKeyOutcome> reserved = checks(kNextTrack, key);
        ASSERT_EQ(reserved.size(), 1u) << key.name;
        EXPECT_EQ(reserved[0].check, SetKeyCheck::kReservedCombination);
        EXPECT_EQ(reserved[0].key.code, key.code);
        EXPECT_TRUE(
            SetKeyQuestion(reserved[0]).ends_with(". Use " + std::string(key.name) + " anyway?"))
            << SetKeyQuestion(reserved[0]);
    }
    EXPECT_EQ(SetKeyQuestion(checks(kNextTrack, {vk::F(4), "F4"})[0]),
              "Alt+F4 closes the window in front. Kestrune does not stop that: every time you use "
              "this shortcut, the program in front closes too. Use F4 anyway?");
    EXPECT_EQ(SetKeyQuestion(checks(kNextTrack, {kAlt, "Menu"})[0]),
              "Menu is the Alt key itself: the function would run whenever you press Alt, alone "
              "or with any other key, in every program. Use Menu anyway?");
    for (const KeyEntry& key : {KeyEntry{vk::F(7), "F7"}, KeyEntry{vk::kControl, "Control"},
                                KeyEntry{vk::kMultiply, "*"}, KeyEntry{'7', "7"}}) {
        EXPECT_TRUE(checks(kNextTrack, key).empty()) << key.name;
    }

    // A reserved key that other functions have: asked first about the combination.
    folder.Write("settings.ini", "[KEYS]\r\nplay=9\r\nplay_n=Tab\r\n");
    const KeyAssignments tab = KeyAssignments::Read(SettingsPath(folder.str()));
    const std::vector<SetKeyOutcome> both =
        ChecksBeforeAssigning(tab, kNextTrack, {vk::kTab, "Tab"});
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].check, SetKeyCheck::kReservedCombination);
    EXPECT_EQ(both[1].check, SetKeyCheck::kOtherFunctionsKey);
}

TEST(CurrentKeyCaption, UnassignedOnlyForExactlyNo) {
    EXPECT_EQ(CurrentKeyCaption("no"), "Unassigned");
    EXPECT_EQ(CurrentKeyCaption("F6"), "ALT + F6");
    EXPECT_EQ(CurrentKeyCaption("No"), "ALT + No");
    EXPECT_EQ(CurrentKeyCaption("NO"), "ALT + NO");
    EXPECT_EQ(CurrentKeyCaption("no "), "ALT + no ");
    EXPECT_EQ(CurrentKeyCaption("Numpad 7"), "ALT + Numpad 7");
}

}  // namespace
}  // namespace kestrune
