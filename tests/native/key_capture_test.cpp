// The key capture window's tick against a fake keyboard, message pump and window, with a real
// settings file in a temporary folder; and the text shown for a stored key name.
#include "hotkeys/key_capture.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fakes.hpp"
#include "fakes/faulty_disk.hpp"
#include "fakes/temp_folder.hpp"
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

    bool Ask(std::string_view question) override {
        questions.emplace_back(question);
        return answer;
    }
    void ReportStoreFailure(std::string_view message) override { reports.emplace_back(message); }
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

TEST_F(KeyCaptureTest, ATickArrivingDuringAMessagePassDoesNothing) {
    keys.Press(kA);
    std::size_t queries_in_nested_tick = 0;
    pump.on_pass = [&] {
        const std::size_t before = keys.queries.size();
        Tick();
        queries_in_nested_tick += keys.queries.size() - before;
    };
    Tick();
    EXPECT_EQ(queries_in_nested_tick, 0u);
    EXPECT_EQ(Shown(), "ALT + A");
    EXPECT_EQ(window.closes, 1) << "captured once";
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

TEST_F(KeyCaptureTest, ATickOfAnEarlierOpeningNeverWritesIntoTheNextOne) {
    keys.Press(kA);
    // Closed and opened again during the first pass; the new opening's own tick then
    // runs inside it and captures F6.
    bool reopened = false;
    pump.on_pass = [&] {
        if (reopened) return;
        reopened = true;
        capture.Closing();
        keys.Release(kA);
        OpenWindow();
        keys.Press(kF6);
        Tick();
    };
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=117\r\nplay_n=F6\r\n");
    EXPECT_EQ(Shown(), "ALT + F6");
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
