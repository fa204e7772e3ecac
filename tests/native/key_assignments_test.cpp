// Changing a function's key, against a real settings file in a temporary folder and a disk that
// fails chosen saves.
#include "hotkeys/key_assignments.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "fakes/faulty_disk.hpp"
#include "fakes/temp_folder.hpp"

namespace kestrune {
namespace {

using fakes::TempFolder;

constexpr std::string_view kBefore = "[KEYS]\r\nplay=117\r\nplay_n=F6\r\n";

class KeyChangeTest : public ::testing::Test {
  protected:
    KeyChangeTest() { folder.Write("settings.ini", std::string(kBefore)); }
    std::string path() const { return SettingsPath(folder.str()); }
    std::string Settings() const { return folder.Read("settings.ini"); }
    // Saves whose bytes hold any of `parts` fail, as on a disk that has just filled up.
    void FailSavesHolding(std::vector<std::string> parts) {
        disk.fails_on = [parts](std::string_view bytes) {
            for (const std::string& part : parts) {
                if (bytes.find(part) != std::string_view::npos) return true;
            }
            return false;
        };
    }

    TempFolder folder;
    fakes::FaultyDisk disk;
};

TEST_F(KeyChangeTest, RemoveThatCannotEmptyTheNameTakesTheCodeBack) {
    FailSavesHolding({"play_n=\r\n"});
    const KeyChange change = RemoveKey(path(), "play");
    EXPECT_EQ(change.result, WriteResult::kFailed);
    EXPECT_FALSE(change.half_done);
    EXPECT_EQ(Settings(), kBefore) << "the code is back: nothing changed";
    EXPECT_TRUE(KeyChangeFailureMessage(change, true, "Play", "play", path())
                    .starts_with("The key was not removed."));
}

TEST_F(KeyChangeTest, ARollbackThatFailsTooIsReportedWithWhatTheFileHolds) {
    // The name cannot be stored, and neither can the old code be put back.
    FailSavesHolding({"play_n=A", "play_n=\r\n", "play=117\r\n"});
    const KeyChange assigned = AssignKey(path(), "play", {65, "A"});
    EXPECT_EQ(assigned.result, WriteResult::kFailed);
    EXPECT_TRUE(assigned.half_done);
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=65\r\nplay_n=F6\r\n");
    std::string message = KeyChangeFailureMessage(assigned, false, "Play", "play", path());
    EXPECT_NE(message.find("saved only in part: for Play the file now holds the code of A but the "
                           "old name, so Alt+A runs Play while the configuration window shows "
                           "\"ALT + F6\"."),
              std::string::npos)
        << message;
    EXPECT_NE(message.find(path()), std::string::npos);

    folder.Write("settings.ini", std::string(kBefore));
    const KeyChange removed = RemoveKey(path(), "play");
    EXPECT_TRUE(removed.half_done);
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=\r\nplay_n=F6\r\n");
    message = KeyChangeFailureMessage(removed, true, "Play", "play", path());
    EXPECT_NE(message.find("removed only in part: for Play the file now holds no code but the old "
                           "name, so no shortcut runs Play while the configuration window shows "
                           "\"ALT + F6\"."),
              std::string::npos)
        << message;
}

}  // namespace
}  // namespace kestrune
