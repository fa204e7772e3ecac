// "Start with Windows" against a fake Startup folder: which shortcut makes the program start
// with Windows, which one is asked about before it is replaced, and what the user is told.
#include "hotkeys/start_with_windows.hpp"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fakes.hpp"

namespace kestrune {
namespace {

using fakes::FakeStartupFolder;
using fakes::FakeUser;

constexpr char kProgram[] = "C:\\Tools\\Kestrune\\kestrune.exe";
constexpr char kOtherCopy[] = "D:\\Old\\kestrune.exe";
constexpr char kOurShortcut[] = "C:\\Users\\Ann\\Startup\\Kestrune.lnk";

class StartWithWindowsTest : public ::testing::Test {
  protected:
    StartWithWindowsTest() { folder.programs = {kProgram, kOtherCopy, "C:\\Editor\\edit.exe"}; }
    bool On() { return StartsWithWindows(folder, kProgram); }
    void Choose() { ToggleStartWithWindows(folder, kProgram, user); }

    FakeStartupFolder folder;
    FakeUser user;
};

TEST_F(StartWithWindowsTest, OnMakesOurShortcutAndOffRemovesEveryOneThatStartsThisCopy) {
    folder.shortcuts["C:\\Users\\Ann\\Startup\\Editor.lnk"] = "C:\\Editor\\edit.exe";
    EXPECT_FALSE(On());
    Choose();
    EXPECT_TRUE(On());
    EXPECT_EQ(folder.shortcuts[kOurShortcut], kProgram);

    // A shortcut the user made, of another name and spelled in other capitals, counts as well.
    folder.programs.insert("c:\\tools\\kestrune\\KESTRUNE.EXE");
    folder.shortcuts["C:\\Users\\Ann\\Startup\\kestrune.exe - Shortcut.lnk"] =
        "c:\\tools\\kestrune\\KESTRUNE.EXE";
    Choose();
    EXPECT_FALSE(On());
    EXPECT_EQ(folder.shortcuts.size(), 1u) << "the editor's shortcut stays";
    EXPECT_TRUE(folder.shortcuts.count("C:\\Users\\Ann\\Startup\\Editor.lnk"));
    EXPECT_TRUE(user.questions.empty());
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(StartWithWindowsTest, AShortcutOfOurNameForAnotherCopyOrNothingIsReplacedOnlyOnYes) {
    struct Case {
        const char* target;
        const char* named;  // what the question says the shortcut starts
    };
    const Case cases[] = {
        {kOtherCopy, "which starts \"D:\\Old\\kestrune.exe\".\n"},
        {"E:\\Gone\\kestrune.exe",
         "which starts \"E:\\Gone\\kestrune.exe\", a file that is not there any more"},
        {"", "which starts no program"},
    };
    for (const Case& c : cases) {
        for (const bool yes : {false, true}) {
            folder.shortcuts = {{kOurShortcut, c.target}};
            user = FakeUser{};
            user.answer = yes;
            EXPECT_FALSE(On()) << c.target;
            Choose();
            ASSERT_EQ(user.questions.size(), 1u) << c.target;
            const std::string& question = user.questions[0];
            EXPECT_NE(question.find(kOurShortcut), std::string::npos) << question;
            EXPECT_NE(question.find(c.named), std::string::npos) << question;
            EXPECT_NE(question.find(kProgram), std::string::npos) << question;
            EXPECT_EQ(On(), yes) << c.target;
            EXPECT_EQ(folder.shortcuts[kOurShortcut], yes ? kProgram : c.target);
        }
    }
}

TEST_F(StartWithWindowsTest, AShortcutThatCannotBeMadeOrRemovedIsToldOf) {
    folder.refuses = true;
    Choose();
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_NE(user.messages[0].find("could not make its shortcut"), std::string::npos);
    EXPECT_NE(user.messages[0].find(folder.path), std::string::npos);

    folder.shortcuts = {{kOurShortcut, kProgram}};
    Choose();
    ASSERT_EQ(user.messages.size(), 2u);
    EXPECT_NE(user.messages[1].find("could not remove its shortcut"), std::string::npos);
    EXPECT_NE(user.messages[1].find(kOurShortcut), std::string::npos);
    EXPECT_TRUE(On());

    // No Startup folder at all.
    folder = FakeStartupFolder{};
    folder.path.clear();
    Choose();
    ASSERT_EQ(user.messages.size(), 3u);
    EXPECT_NE(user.messages[2].find("no Startup folder"), std::string::npos);
    EXPECT_TRUE(folder.shortcuts.empty());
}

}  // namespace
}  // namespace kestrune
