// The key capture window's tick against a fake keyboard, message pump and windows, with a
// real settings file in a temporary folder; and the configuration window's label text.
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

constexpr int kAlt = 18;
constexpr int kA = 65;
constexpr int kF6 = 117;
constexpr int kLeftButton = 1;

class FakeWindows final : public CaptureHost {
  public:
    explicit FakeWindows(std::string folder) : folder(std::move(folder)) {}

    std::string folder;
    std::string selected = "Play";
    std::vector<std::string> captions;
    std::vector<std::string> reports;
    int closes = 0;
    std::function<void()> on_close;

    std::string ProgramFolder() override { return folder; }
    std::string SelectedFunction() override { return selected; }
    void SetCurrentCaption(std::string_view caption) override { captions.emplace_back(caption); }
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
        windows.on_close = [this] { capture.Closing(); };
        OpenWindow();
    }
    void Tick() { capture.Tick(keys, pump, windows); }
    // The window opens and its first tick passes, which takes no key; passes are counted from
    // the tick after it.
    void OpenWindow() {
        capture.Open(keys);
        Tick();
        ASSERT_TRUE(capture.TakingKeys());
        pump.passes = 0;
    }
    std::string Settings() const { return folder.Read("settings.ini"); }
    bool NothingStored() const { return !folder.Has("settings.ini"); }

    TempFolder folder;
    FakeKeyboard keys;
    FakePump pump;
    FakeWindows windows{folder.str()};
    KeyCapture capture;
};

TEST_F(KeyCaptureTest, StoresCodeAndNameShowsThemThenCloses) {
    keys.Press(kA);
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
    EXPECT_EQ(windows.captions, std::vector<std::string>{"ALT + A"});
    EXPECT_EQ(windows.closes, 1);
    EXPECT_EQ(pump.passes, 2) << "one pass after looking at the keys, one before closing";

    // Closed: later ticks do nothing.
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(windows.closes, 1);
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
}

TEST_F(KeyCaptureTest, AKeyThatCannotBeStoredIsReportedOnceAndNotShown) {
    const std::string file = "[KEYS]\r\nplay=80\r\nplay_n=P\r\n";
    folder.Write("settings.ini", file);
    std::filesystem::permissions(folder / "settings.ini", std::filesystem::perms::owner_read);
    keys.Press(kA);
    Tick();
    EXPECT_EQ(Settings(), file);
    EXPECT_EQ(windows.captions, std::vector<std::string>{"ALT + P"}) << "what the file holds";
    ASSERT_EQ(windows.reports.size(), 1u);
    EXPECT_NE(windows.reports[0].find(SettingsPath(folder.str())), std::string::npos);
    EXPECT_NE(windows.reports[0].find("read-only"), std::string::npos) << windows.reports[0];
    EXPECT_EQ(windows.closes, 1) << "and the window closes as usual";
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
    EXPECT_EQ(windows.captions, std::vector<std::string>{"ALT + P"});
    EXPECT_EQ(windows.reports.size(), 1u);
    EXPECT_EQ(windows.closes, 1);
}

TEST_F(KeyCaptureTest, KeysGoUnderTheSelectedFunctionInLowerCaseBesideOtherEntries) {
    folder.Write("settings.ini", "[KEYS]\r\nplay=65\r\nplay_n=A\r\n[OTHER]\r\nexecuted=3\r\n");
    windows.selected = "Next Track";
    keys.Press(kF6);
    Tick();
    EXPECT_EQ(Settings(),
              "[KEYS]\r\nplay=65\r\nplay_n=A\r\nnext track=117\r\nnext track_n=F6\r\n"
              "[OTHER]\r\nexecuted=3\r\n");
    EXPECT_EQ(windows.captions, std::vector<std::string>{"ALT + F6"});
}

TEST_F(KeyCaptureTest, TakesTheKeyHeldWithAltEscapeAndAKeyHeldWithAMouseButton) {
    struct Case {
        std::vector<int> down;
        const char* stored;
    };
    for (const Case& c :
         {Case{{kAlt, kA}, "play=65\r\nplay_n=A\r\n"}, Case{{27}, "play=27\r\nplay_n=Escape\r\n"},
          Case{{kLeftButton, 84}, "play=84\r\nplay_n=T\r\n"}}) {
        keys.ReleaseAll();
        OpenWindow();
        for (int code : c.down) keys.Press(code);
        Tick();
        EXPECT_NE(Settings().find(c.stored), std::string::npos) << c.stored;
    }
    EXPECT_EQ(windows.closes, 3);
}

TEST_F(KeyCaptureTest, AKeyDownWhenTheWindowOpensIsNotTaken) {
    keys.ReleaseAll();
    keys.Press(13);  // Enter, which pressed "&Change"
    capture.Open(keys);
    Tick();
    keys.Release(13);
    Tick();
    EXPECT_TRUE(NothingStored());
    keys.Press(kAlt);
    Tick();
    EXPECT_TRUE(NothingStored()) << "Alt alone waits for its release";
    keys.Release(kAlt);
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=18\r\nplay_n=Menu\r\n");
    EXPECT_EQ(windows.captions, std::vector<std::string>{"ALT + Menu"});
}

TEST_F(KeyCaptureTest, WaitsThroughNoKeyAMouseButtonOrAKeyOutsideTheTable) {
    for (const std::vector<int>& down :
         {std::vector<int>{}, {kLeftButton}, {2}, {4}, {186}, {91}, {kLeftButton, 186}}) {
        keys.ReleaseAll();
        for (int code : down) keys.Press(code);
        Tick();
    }
    EXPECT_TRUE(NothingStored());
    EXPECT_TRUE(windows.captions.empty());
    EXPECT_EQ(windows.closes, 0);

    keys.ReleaseAll();
    keys.Press(kA);
    Tick();
    EXPECT_EQ(windows.closes, 1) << "still waiting, and then takes a key";
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
    EXPECT_EQ(windows.captions.size(), 1u);
    EXPECT_EQ(windows.closes, 1) << "captured once";
}

TEST_F(KeyCaptureTest, NothingIsWrittenOnceTheWindowHasBegunToClose) {
    keys.Press(kA);
    // The user closes the window during the first pass.
    pump.on_pass = [&] { capture.Closing(); };
    Tick();
    EXPECT_TRUE(NothingStored());
    EXPECT_TRUE(windows.captions.empty());
    EXPECT_EQ(windows.closes, 0);
}

TEST_F(KeyCaptureTest, ClosedDuringTheLastPassItIsNotClosedAgain) {
    keys.Press(kA);
    pump.on_pass = [&] {
        if (pump.passes == 2) capture.Closing();
    };
    Tick();
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
    EXPECT_EQ(windows.closes, 0);
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
    EXPECT_EQ(windows.captions, std::vector<std::string>{"ALT + F6"});
    EXPECT_EQ(windows.closes, 1);
}

TEST_F(KeyCaptureTest, NothingSelectedStoresNothing) {
    windows.selected.clear();
    keys.Press(kA);
    Tick();
    EXPECT_TRUE(NothingStored());
    EXPECT_EQ(windows.closes, 0);
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
