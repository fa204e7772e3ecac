// Every function's key as the settings file holds it, and changing one, against a real settings
// file in a temporary folder and a disk that counts reads and fails chosen saves.
#include "hotkeys/key_assignments.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "fakes/faulty_disk.hpp"
#include "fakes/temp_folder.hpp"
#include "hotkeys/messages.hpp"

namespace kestrune {
namespace {

using fakes::TempFolder;

constexpr const PlayerFunction& kPlay = kCatalogue[0];
constexpr const PlayerFunction& kNextTrack = kCatalogue[2];
constexpr std::string_view kBefore = "[KEYS]\r\nplay=117\r\nplay_n=F6\r\n";

class KeyAssignmentsTest : public ::testing::Test {
  protected:
    KeyAssignmentsTest() { folder.Write("settings.ini", std::string(kBefore)); }
    std::string path() const { return SettingsPath(folder.str()); }
    std::string Settings() const { return folder.Read("settings.ini"); }
    KeyAssignments Read() const { return KeyAssignments::Read(path()); }
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

TEST_F(KeyAssignmentsTest, OneReadGivesAllTwelve) {
    std::string file = "[KEYS]\r\n";
    for (std::size_t i = 0; i < kCatalogue.size(); ++i) {
        const std::string key(kCatalogue[i].settings_key);
        file += key + "=" + std::to_string(vk::F(1) + static_cast<int>(i)) + "\r\n";
        file += key + "_n=F" + std::to_string(i + 1) + "\r\n";
    }
    folder.Write("settings.ini", file);
    disk.reads = 0;
    const KeyAssignments keys = Read();
    EXPECT_EQ(disk.reads, 1);
    for (std::size_t i = 0; i < kCatalogue.size(); ++i) {
        SCOPED_TRACE(std::string(kCatalogue[i].display_name));
        EXPECT_EQ(keys.CodeOf(kCatalogue[i]), vk::F(1) + static_cast<int>(i));
        EXPECT_EQ(keys.NameOf(kCatalogue[i]), "F" + std::to_string(i + 1));
        EXPECT_EQ(keys.FunctionUsing(vk::F(1) + static_cast<int>(i)), &kCatalogue[i]);
    }
}

TEST_F(KeyAssignmentsTest, AGarbledOrMissingEntryDisablesOnlyItsOwnFunction) {
    // Names and sections match in any case, and only the first of duplicates counts, as for a
    // single entry's read; a blank entry is no entry.
    folder.Write("settings.ini",
                 "[keys]\r\nNext Track=0x75\r\nNEXT TRACK_N = F6\r\nplay=116\r\nplay=117\r\n"
                 "stop=\r\nstop_n=  \r\nexit=\r\nexit=88\r\n[KEYS]\r\npause=80\r\n");
    const KeyAssignments keys = Read();
    EXPECT_EQ(keys.CodeOf(kNextTrack), std::nullopt) << "no number: no key at all";
    EXPECT_EQ(keys.NameOf(kNextTrack), "F6");
    EXPECT_EQ(keys.CodeOf(kPlay), vk::F(5));
    EXPECT_EQ(keys.FunctionUsing(vk::F(5)), &kPlay);
    EXPECT_EQ(keys.FunctionUsing(vk::F(6)), nullptr);
    // Stop, Pause, Exit
    for (const PlayerFunction* function : {&kCatalogue[1], &kCatalogue[6], &kCatalogue[11]}) {
        EXPECT_EQ(keys.CodeOf(*function), 0) << "blank or missing: code 0";
        EXPECT_EQ(keys.NameOf(*function), kUnassignedName);
    }
    EXPECT_EQ(keys.FunctionUsing(0), nullptr) << "0 is no key";

    folder.Write("settings.ini", "not a profile at all\r\n");
    EXPECT_EQ(Read().CodeOf(kPlay), 0);
    disk.unreadable = true;
    folder.Write("settings.ini", std::string(kBefore));
    EXPECT_EQ(Read().CodeOf(kPlay), 0) << "a file held by another program: no key now";
}

TEST_F(KeyAssignmentsTest, AKeyAssignedToAnotherFunctionShowsWhichUsesItFirst) {
    EXPECT_EQ(Read().FunctionUsing(vk::F(6)), &kPlay);
    const KeyChange change = KeyAssignments::Assign(path(), kNextTrack, {vk::F(6), "F6"});
    ASSERT_TRUE(change.stored());
    EXPECT_EQ(change.code, vk::F(6));
    EXPECT_EQ(change.name, "F6");
    EXPECT_EQ(Read().FunctionUsing(vk::F(6)), &kNextTrack) << "Next Track is polled first";
    ASSERT_TRUE(KeyAssignments::Remove(path(), kNextTrack).stored());
    EXPECT_EQ(Read().FunctionUsing(vk::F(6)), &kPlay);
}

TEST_F(KeyAssignmentsTest, ARemoveThatCannotBeSavedChangesNothing) {
    FailSavesHolding({"play_n=\r\n"});
    const KeyChange change = KeyAssignments::Remove(path(), kPlay);
    EXPECT_EQ(change.result, FileResult::kFailed);
    EXPECT_EQ(Settings(), kBefore) << "neither the code nor the name";
    EXPECT_EQ(change.name, "F6");
    EXPECT_TRUE(KeyChangeFailureMessage(change, path()).starts_with("The key was not removed."));
}

TEST_F(KeyAssignmentsTest, SetKeyAndRemoveAreOneSaveEach) {
    // The code and the name in one save: the file holds the old pair or the new one.
    disk.replaces = 0;
    ASSERT_TRUE(KeyAssignments::Assign(path(), kPlay, {'A', "A"}).stored());
    EXPECT_EQ(disk.replaces, 1);
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=65\r\nplay_n=A\r\n");
    ASSERT_TRUE(KeyAssignments::Remove(path(), kPlay).stored());
    EXPECT_EQ(disk.replaces, 2);
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=\r\nplay_n=\r\n");

    // A save that fails changes nothing at all.
    folder.Write("settings.ini", std::string(kBefore));
    FailSavesHolding({"play_n="});
    const KeyChange failed = KeyAssignments::Assign(path(), kPlay, {'A', "A"});
    EXPECT_EQ(failed.result, FileResult::kFailed);
    EXPECT_EQ(Settings(), kBefore);
    EXPECT_EQ(failed.code, vk::F(6));
    EXPECT_EQ(failed.name, "F6");
    EXPECT_TRUE(KeyChangeFailureMessage(failed, path()).starts_with("The key was not saved."));
}

TEST_F(KeyAssignmentsTest, AKeyTakenFromAnotherFunctionChangesAllFourEntriesOrNone) {
    FailSavesHolding({"next track_n=F6"});
    const PlayerFunction* const play[] = {&kPlay};
    KeyChange change = KeyAssignments::Assign(path(), kNextTrack, {vk::F(6), "F6"}, play);
    EXPECT_EQ(change.result, FileResult::kFailed);
    EXPECT_EQ(Settings(), kBefore) << "one save: nothing changed";

    disk.fails_on = nullptr;
    disk.replaces = 0;
    change = KeyAssignments::Assign(path(), kNextTrack, {vk::F(6), "F6"}, play);
    ASSERT_TRUE(change.stored());
    EXPECT_EQ(disk.replaces, 1) << "all four entries in one save";
    EXPECT_EQ(Settings(), "[KEYS]\r\nplay=\r\nplay_n=\r\nnext track=117\r\nnext track_n=F6\r\n");
    EXPECT_EQ(change.name, "F6");
}

TEST_F(KeyAssignmentsTest, ANoteSaysWhenAnEarlierFunctionHasTheSameKey) {
    folder.Write("settings.ini",
                 "[KEYS]\r\nplay=117\r\nplay_n=F6\r\nnext track=117\r\nnext track_n=F6\r\n"
                 "stop_n=no\r\n");
    const KeyAssignments keys = Read();
    EXPECT_EQ(keys.NeverFiresNote(kPlay), "Also Next Track's key: never fires.");
    EXPECT_EQ(keys.NeverFiresNote(kNextTrack), "") << "polled first: it fires";
    EXPECT_EQ(keys.NeverFiresNote(kCatalogue[1]), "") << "no key";
}

}  // namespace
}  // namespace kestrune
