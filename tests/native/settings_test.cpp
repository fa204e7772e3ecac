// The settings routines against real files, each test in a fresh temporary folder.
#include "settings/settings.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "fakes/faulty_disk.hpp"
#include "fakes/temp_folder.hpp"
#include "hotkeys/messages.hpp"
#include "settings/file_store.hpp"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class SettingsFileTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.str().empty());
        folder_ = temp_.str();
        path_ = SettingsPath(folder_.string());
        file_ = folder_ / "settings.ini";
    }

    void Put(const std::string& bytes) { PutAt(file_, bytes); }

    static void PutAt(const fs::path& where, const std::string& bytes) {
        std::ofstream out(where, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << where;
    }

    // A file of the folder, last written `seconds` ago.
    void PutAged(const std::string& name, const std::string& bytes, int seconds) {
        PutAt(folder_ / name, bytes);
        fs::last_write_time(folder_ / name,
                            fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
    }

    std::string Contents() const {
        std::ifstream in(file_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The names in the folder, sorted: shows any temporary file a write left behind.
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fakes::TempFolder temp_;
    fs::path folder_;
    std::string path_;  // as the program forms it: folder + "\settings.ini"
    fs::path file_;     // the same file, as a native path
};

using NameList = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------
// Reading

TEST_F(SettingsFileTest, SettingsReadMissingFileGivesDefaultAndCreatesNothing) {
    EXPECT_EQ(ReadSetting("KEYS", "next track", path_, "0"), "0");
    EXPECT_EQ(ReadSetting("KEYS", "next track", path_, ""), "");
    EXPECT_EQ(FolderNames(), NameList{});
}

TEST_F(SettingsFileTest, SettingsReadMissingFolderGivesDefault) {
    EXPECT_EQ(ReadSetting("KEYS", "k", SettingsPath((folder_ / "nope").string()), "d"), "d");
}

TEST_F(SettingsFileTest, SettingsReadFolderInPlaceOfFileGivesDefault) {
    fs::create_directory(file_);
    EXPECT_EQ(ReadSetting("KEYS", "k", path_, "d"), "d");
}

struct ReadCase {
    const char* name;
    std::string content;
    const char* key;
    std::string expected;  // with the default "DEF"
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsReadTest : public SettingsFileTest, public testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsReadTest, ReadsValueOrDefault) {
    const ReadCase& c = GetParam();
    Put(c.content);
    EXPECT_EQ(ReadSetting("KEYS", c.key, path_, "DEF"), c.expected);
}

const ReadCase kReadCases[] = {
    {"Value", "[KEYS]\r\nnext track=117\r\n", "next track", "117"},
    {"KeyLowerCased", "[KEYS]\r\nnext track=117\r\n", "Next TRACK", "117"},
    {"EmptyValueGivesDefault", "[KEYS]\r\nnext track=\r\n", "next track", "DEF"},
    {"SpacesGiveDefault", "[KEYS]\r\nnext track=    \r\n", "next track", "DEF"},
    {"QuotedSpacesGiveDefault", "[KEYS]\r\nnext track=\"   \"\r\n", "next track", "DEF"},
    {"QuotedTabIsAValue", "[KEYS]\r\nnext track=\"\t\"\r\n", "next track", "\t"},
    {"MissingKeyGivesDefault", "[KEYS]\r\nplay=1\r\n", "next track", "DEF"},
    {"MissingSectionGivesDefault", "[OTHER]\r\nnext track=1\r\n", "next track", "DEF"},
    {"EmptyFileGivesDefault", "", "next track", "DEF"},
    {"Value749Kept", "[KEYS]\r\nk=" + std::string(749, 'a') + "\r\n", "k", std::string(749, 'a')},
    {"Value750Cut", "[KEYS]\r\nk=" + std::string(749, 'a') + "b\r\n", "k", std::string(749, 'a')},
    {"Value800Cut", "[KEYS]\r\nk=" + std::string(800, 'z') + "\r\n", "k", std::string(749, 'z')},
    // The cut comes first: 749 spaces are blank even though the whole value is not.
    {"CutToSpacesGivesDefault", "[KEYS]\r\nk=\"" + std::string(760, ' ') + "x\"\r\n", "k", "DEF"},
};

INSTANTIATE_TEST_SUITE_P(Cases, SettingsReadTest, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Writing

TEST_F(SettingsFileTest, SettingsWriteCreatesFile) {
    WriteSetting("KEYS", "Next Track_n", "F6", path_);
    EXPECT_EQ(Contents(), "[KEYS]\r\nnext track_n=F6\r\n");
    EXPECT_EQ(ReadSetting("KEYS", "next track_n", path_, ""), "F6");
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

TEST_F(SettingsFileTest, SettingsWriteSequenceBuildsFile) {
    WriteSetting("KEYS", "next track", "117", path_);
    WriteSetting("KEYS", "next track_n", "F6", path_);
    WriteSetting("OTHER", "executed", "5", path_);
    WriteSetting("KEYS", "next track", "120", path_);
    WriteSetting("OTHER", "EXECUTED", "6", path_);
    EXPECT_EQ(Contents(),
              "[KEYS]\r\nnext track=120\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=6\r\n");
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

TEST_F(SettingsFileTest, SettingsWriteKeepsUntouchedLines) {
    const std::string before =
        "; Kestrune\n\n[KEYS]\n  next track = 117  ; old\n\x01junk\0\xff\n[OTHER]\r\nEXECUTED=5"s;
    Put(before);
    WriteSetting("OTHER", "executed", "7", path_);
    EXPECT_EQ(Contents(),
              "; Kestrune\n\n[KEYS]\n  next track = 117  ; old\n\x01junk\0\xff\n[OTHER]\r\n"
              "EXECUTED=7"s);
    WriteSetting("KEYS", "play", "80", path_);
    EXPECT_EQ(Contents(),
              "; Kestrune\n\n[KEYS]\n  next track = 117  ; old\n\x01junk\0\xff\nplay=80\r\n"
              "[OTHER]\r\nEXECUTED=7"s);
}

TEST_F(SettingsFileTest, SettingsWriteEmptyValuesKeepEntries) {
    Put("[KEYS]\r\nplay=80\r\nplay_n=P\r\n");
    WriteSetting("KEYS", "play", "", path_);
    WriteSetting("KEYS", "play_n", "", path_);
    EXPECT_EQ(Contents(), "[KEYS]\r\nplay=\r\nplay_n=\r\n");
    EXPECT_EQ(ReadSetting("KEYS", "play", path_, "none"), "none");
}

TEST_F(SettingsFileTest, SettingsWriteRefusedValueChangesNothing) {
    Put("[KEYS]\r\nplay=80\r\n");
    WriteSetting("KEYS", "play", "1\r\n[EVIL]\r\nx=1", path_);
    WriteSetting("KEYS", "a=b", "1", path_);
    EXPECT_EQ(Contents(), "[KEYS]\r\nplay=80\r\n");
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

TEST_F(SettingsFileTest, SettingsWriteSameValueLeavesFileAlone) {
    Put("[KEYS]\r\nplay=80\r\n");
    struct stat before {};
    ASSERT_EQ(::stat(file_.c_str(), &before), 0);
    WriteSetting("KEYS", "play", "80", path_);
    struct stat same {};
    ASSERT_EQ(::stat(file_.c_str(), &same), 0);
    EXPECT_EQ(same.st_ino, before.st_ino) << "the file was replaced";

    WriteSetting("KEYS", "play", "81", path_);
    struct stat changed {};
    ASSERT_EQ(::stat(file_.c_str(), &changed), 0);
    EXPECT_NE(changed.st_ino, before.st_ino) << "a change goes to a new file renamed over the old";
    EXPECT_EQ(Contents(), "[KEYS]\r\nplay=81\r\n");
}

TEST_F(SettingsFileTest, SettingsWriteIntoMissingFolderCreatesNothing) {
    const fs::path missing = folder_ / "gone";
    WriteSetting("KEYS", "play", "1", SettingsPath(missing.string()));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(FolderNames(), NameList{});
}

TEST_F(SettingsFileTest, SettingsWriteToReadOnlyFileChangesNothing) {
    const std::string before = "[KEYS]\r\nplay=80\r\n";
    Put(before);
    fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    WriteSetting("KEYS", "play", "1", path_);
    WriteSetting("NEW", "k", "1", path_);
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

TEST_F(SettingsFileTest, SettingsWriteOntoFolderLosesNothing) {
    fs::create_directory(file_);
    PutAt(file_ / "inside", "keep");
    WriteSetting("KEYS", "play", "1", path_);
    EXPECT_TRUE(fs::is_directory(file_));
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
    EXPECT_TRUE(fs::exists(file_ / "inside"));
}

TEST_F(SettingsFileTest, SettingsWriteOntoUnreadableFileLosesNothing) {
    // A FIFO is no settings file: reads give defaults, and a write must not replace it.
    ASSERT_EQ(::mkfifo(file_.c_str(), 0644), 0);
    WriteSetting("KEYS", "play", "1", path_);
    EXPECT_TRUE(fs::is_fifo(file_));
    EXPECT_EQ(ReadSetting("KEYS", "play", path_, "d"), "d");

    // A link to itself cannot be opened at all.
    fs::remove(file_);
    fs::create_symlink("settings.ini", file_);
    WriteSetting("KEYS", "play", "1", path_);
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

TEST_F(SettingsFileTest, SettingsWriteOntoUnreadableRegularFileLosesNothing) {
    // A file its user may write but not read: the write must not replace it with a file made
    // from nothing. Root reads everything, so as root the write runs as "nobody".
    const std::string before = "[KEYS]\r\nplay=80\r\n";
    Put(before);
    const bool as_root = ::geteuid() == 0;
    constexpr uid_t kNobody = 65534;
    if (as_root) {
        ASSERT_EQ(::chown(file_.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
    }
    ASSERT_EQ(::chmod(file_.c_str(), 0222), 0);
    if (as_root) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool dropped = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
            if (!dropped) ::_exit(1);
            ::_exit(WriteSetting("KEYS", "play", "1", path_) == FileResult::kNotReadable ? 0 : 2);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 1) << "could not become nobody";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "not reported as access denied";
    } else {
        EXPECT_EQ(WriteSetting("KEYS", "play", "1", path_), FileResult::kNotReadable);
    }
    EXPECT_EQ(WriteFailureMessage("", path_, FileResult::kNotReadable).find("Another program"),
              std::string::npos);
    ASSERT_EQ(::chmod(file_.c_str(), 0644), 0);
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

TEST_F(SettingsFileTest, SettingsWriteKeepsPermissionBits) {
    Put("[KEYS]\r\n");
    ASSERT_EQ(::chmod(file_.c_str(), 0646), 0);
    // The old mode survives even bits that the umask would clear on a new file.
    mode_t old_mask = ::umask(077);
    WriteSetting("KEYS", "play", "1", path_);
    ::umask(old_mask);
    EXPECT_EQ(Contents(), "[KEYS]\r\nplay=1\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(file_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0646u);
}

TEST_F(SettingsFileTest, SettingsWriteNewFileFollowsUmask) {
    mode_t old_mask = ::umask(022);
    WriteSetting("KEYS", "play", "1", path_);
    ::umask(old_mask);
    struct stat info {};
    ASSERT_EQ(::stat(file_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(SettingsFileTest, SettingsWriteThroughSymbolicLink) {
    fs::create_directory(folder_ / "real");
    PutAt(folder_ / "real" / "target.ini", "[KEYS]\r\nplay=1\r\n");
    fs::create_symlink(fs::path("real") / "target.ini", file_);
    WriteSetting("KEYS", "play", "2", path_);
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(Contents(), "[KEYS]\r\nplay=2\r\n");
    EXPECT_EQ(FolderNames(), (NameList{"real", "settings.ini"}));
}

TEST_F(SettingsFileTest, SettingsWriteSaysWhatBecameOfIt) {
    // Each result but kOk leaves the file as it was and no temporary file behind.
    EXPECT_EQ(WriteSetting("KEYS", "play", "80", path_), FileResult::kOk);
    EXPECT_EQ(WriteSetting("KEYS", "play", "80", path_), FileResult::kOk) << "held already";
    EXPECT_EQ(WriteSetting("KEYS", "play", "1\r\n[X]", path_), FileResult::kRefused);
    fs::permissions(file_, fs::perms::owner_read);
    EXPECT_EQ(WriteSetting("KEYS", "play", "81", path_), FileResult::kReadOnly);
    EXPECT_EQ(WriteSetting("KEYS", "play", "80", path_), FileResult::kOk) << "held already";
    EXPECT_EQ(Contents(), "[KEYS]\r\nplay=80\r\n");
    EXPECT_EQ(WriteSetting("KEYS", "play", "1", SettingsPath((folder_ / "dir").string())),
              FileResult::kFailed)
        << "a missing folder";
    fs::create_directories(folder_ / "dir" / "settings.ini");
    EXPECT_EQ(WriteSetting("KEYS", "play", "1", SettingsPath((folder_ / "dir").string())),
              FileResult::kNotAFile);
    EXPECT_EQ(FolderNames(), (NameList{"dir", "settings.ini"}));

    const std::string message =
        WriteFailureMessage("The key was not saved.", path_, FileResult::kReadOnly);
    EXPECT_EQ(message.rfind("The key was not saved.", 0), 0u) << message;
    EXPECT_NE(message.find(path_), std::string::npos) << message;
    EXPECT_NE(message.find("read-only"), std::string::npos) << message;
    EXPECT_NE(WriteFailureMessage("", path_, FileResult::kNotAllowed).find("folder you can write"),
              std::string::npos);
}

// The faults that root cannot meet for real, through a disk that refuses chosen steps.
TEST_F(SettingsFileTest, SettingsSaveWhereTheFolderTakesNoNewFile) {
    const std::string before = "; mine\n[KEYS]\nplay=80\n[OTHER]\nexecuted=5\n";
    Put(before);
    struct stat original {};
    ASSERT_EQ(::stat(file_.c_str(), &original), 0);
    {
        fakes::FaultyDisk disk;
        disk.folder_takes_no_new_file = true;
        // The file itself may be written: it is rewritten where it stands.
        EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path_), FileResult::kOk);
        EXPECT_EQ(Contents(), "; mine\n[KEYS]\nplay=80\n[OTHER]\nexecuted=6\n");
        EXPECT_EQ(disk.in_place_writes, 1);
        struct stat now {};
        ASSERT_EQ(::stat(file_.c_str(), &now), 0);
        EXPECT_EQ(now.st_ino, original.st_ino) << "the same file, written in place";

        // Nor may the file be written: nothing changes.
        disk.file_refuses_writes = true;
        EXPECT_EQ(WriteSetting("OTHER", "executed", "7", path_), FileResult::kNotAllowed);
        EXPECT_EQ(ReadSetting("OTHER", "executed", path_, ""), "6");

        // No file yet: there is nothing to write in place.
        const std::string elsewhere = SettingsPath((folder_ / "new").string());
        fs::create_directory(folder_ / "new");
        EXPECT_EQ(WriteSetting("KEYS", "play", "1", elsewhere), FileResult::kNotAllowed);
        EXPECT_TRUE(fs::is_empty(folder_ / "new"));
    }
    {
        // The folder takes the new file but refuses the rename over the old one.
        fakes::FaultyDisk disk;
        disk.replace_refused = true;
        EXPECT_EQ(WriteSetting("OTHER", "executed", "8", path_), FileResult::kOk);
        EXPECT_EQ(disk.in_place_writes, 1);
        EXPECT_EQ(ReadSetting("OTHER", "executed", path_, ""), "8");
        // A full disk in the middle of it all: the file keeps what it had.
        disk.fails_on = [](std::string_view) { return true; };
        EXPECT_EQ(WriteSetting("OTHER", "executed", "9", path_), FileResult::kFailed);
        EXPECT_EQ(ReadSetting("OTHER", "executed", path_, ""), "8");
    }
    EXPECT_EQ(FolderNames(), (NameList{"new", "settings.ini"})) << "no temporary file left";
}

// A virus scanner holds the new file beside settings.ini: tried again, then "in use", and the
// old file stays as it was. Only a hold on settings.ini itself leads to a write in place.
TEST_F(SettingsFileTest, SettingsSaveWhereAnotherProgramHoldsTheNewFile) {
    const std::string before = "[KEYS]\r\nplay=80\r\n[OTHER]\r\nexecuted=5\r\n";
    Put(before);
    fakes::FaultyDisk disk;
    disk.new_file_held = 2;
    EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path_), FileResult::kOk);
    EXPECT_EQ(disk.replaces, 3);
    EXPECT_EQ(ReadSetting("OTHER", "executed", path_, ""), "6");

    disk.new_file_held = -1;
    disk.pauses = disk.paused_ms = 0;
    EXPECT_EQ(WriteSetting("OTHER", "executed", "7", path_), FileResult::kInUse);
    EXPECT_EQ(disk.in_place_writes, 0);
    EXPECT_GT(disk.pauses, 0);
    EXPECT_LE(disk.paused_ms, 50);
    EXPECT_EQ(ReadSetting("OTHER", "executed", path_, ""), "6");
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"}) << "the new file is removed";
}

// Another program holds the file with read and write sharing but without delete sharing: the
// replace meets a sharing violation, the file itself may still be written.
TEST_F(SettingsFileTest, SettingsSaveWhereAnotherProgramHoldsTheFile) {
    const std::string before = "; mine\n[KEYS]\nplay=80\n[OTHER]\nexecuted=5\n";
    Put(before);
    struct stat original {};
    ASSERT_EQ(::stat(file_.c_str(), &original), 0);
    fakes::FaultyDisk disk;

    // A brief hold (a scanner's): tried again, and replaced after all.
    disk.replace_held = 2;
    EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path_), FileResult::kOk);
    EXPECT_EQ(disk.replaces, 3);
    EXPECT_EQ(disk.pauses, 2);
    EXPECT_EQ(disk.in_place_writes, 0);
    EXPECT_EQ(ReadSetting("OTHER", "executed", path_, ""), "6");

    // A hold that lasts: after a few tens of milliseconds, the file is written in place.
    struct stat replaced {};
    ASSERT_EQ(::stat(file_.c_str(), &replaced), 0);
    disk.replace_held = -1;
    disk.pauses = disk.paused_ms = 0;
    EXPECT_EQ(WriteSetting("OTHER", "executed", "7", path_), FileResult::kOk);
    EXPECT_EQ(disk.in_place_writes, 1);
    EXPECT_LE(disk.paused_ms, 50) << "the tick may not stall for longer";
    EXPECT_GT(disk.pauses, 0);
    EXPECT_EQ(Contents(), "; mine\n[KEYS]\nplay=80\n[OTHER]\nexecuted=7\n");
    struct stat now {};
    ASSERT_EQ(::stat(file_.c_str(), &now), 0);
    EXPECT_EQ(now.st_ino, replaced.st_ino) << "the same file, written in place";

    // Nor may the file be written where it stands: "in use", with a message that says so, and
    // the file keeps what it had.
    disk.in_place_held = true;
    disk.pauses = disk.paused_ms = 0;
    const FileResult held = WriteSetting("OTHER", "executed", "8", path_);
    EXPECT_EQ(held, FileResult::kInUse);
    EXPECT_LE(disk.paused_ms, 50);
    EXPECT_EQ(ReadSetting("OTHER", "executed", path_, ""), "7");
    const std::string message = WriteFailureMessage("The key was not saved.", path_, held);
    EXPECT_NE(message.find("Another program is using the file"), std::string::npos) << message;
    EXPECT_EQ(message.find("disk may be full"), std::string::npos) << message;

    // The folder refuses the new file and the file is held: still "in use", not "not allowed".
    disk.folder_takes_no_new_file = true;
    disk.in_place_held = true;
    EXPECT_EQ(WriteSetting("OTHER", "executed", "8", path_), FileResult::kInUse);
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"}) << "no temporary file left";
}

TEST_F(SettingsFileTest, SettingsWriteToAHardLinkedFileReachesEveryName) {
    fs::create_directory(folder_ / "data");
    const fs::path data = folder_ / "data" / "settings.ini";
    PutAt(data, "[KEYS]\r\nplay=80\r\n[OTHER]\r\nexecuted=5\r\n");
    fs::create_hard_link(data, file_);
    fakes::FaultyDisk disk;
    EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path_), FileResult::kOk);
    EXPECT_EQ(disk.in_place_writes, 1);
    EXPECT_EQ(disk.replaces, 0);
    EXPECT_EQ(fs::hard_link_count(file_), 2u);
    EXPECT_TRUE(fs::equivalent(file_, data));
    std::ifstream in(data, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              "[KEYS]\r\nplay=80\r\n[OTHER]\r\nexecuted=6\r\n");
    EXPECT_EQ(FolderNames(), (NameList{"data", "settings.ini"}));
}

TEST_F(SettingsFileTest, SettingsLeftoversOfEarlierRunsAreRemovedAtStart) {
    // Only names of the program's own forms go, whatever process id they carry.
    const std::string dead = "settings.ini.3999999999-";
    Put("[OTHER]\r\nexecuted=5\r\n");
    PutAged(dead + "3.tmp", "new", 60);
    PutAged(dead + "4-old.tmp", "old", 60);
    PutAged("settings.ini.backup.tmp", "not ours", 60);
    PutAged("settings.ini.tmp", "not ours", 60);
    PutAged("other.ini.3999999999-1.tmp", "not ours", 60);
    fs::create_directory(folder_ / (dead + "5.tmp"));
    // A new file written after settings.ini: a save that a copy elsewhere (another machine
    // sharing the folder) may be finishing now. It stays until a save of this copy.
    PutAged(dead + "6.tmp", "being saved", 0);
    fs::last_write_time(file_, fs::file_time_type::clock::now() - std::chrono::seconds(30));
    RemoveLeftoverFiles(path_);
    auto sorted = [](NameList names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    const NameList not_ours{"other.ini.3999999999-1.tmp", "settings.ini", "settings.ini.backup.tmp",
                            "settings.ini.tmp"};
    NameList kept = not_ours;
    kept.push_back(dead + "5.tmp");
    kept.push_back(dead + "6.tmp");
    EXPECT_EQ(FolderNames(), sorted(kept));
    EXPECT_EQ(Contents(), "[OTHER]\r\nexecuted=5\r\n");
    EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path_), FileResult::kOk);
    EXPECT_FALSE(fs::exists(folder_ / (dead + "6.tmp")));

    // The file is gone (a save of an earlier version cut off in the middle of a replace): the
    // newest new file takes its place, and nothing else of that run is left.
    fs::remove(file_);
    fs::remove(folder_ / (dead + "5.tmp"));
    PutAged(dead + "1.tmp", "older new", 60);
    PutAged(dead + "2-old.tmp", "old", 90);
    PutAged(dead + "3.tmp", "newest new", 30);
    RemoveLeftoverFiles(path_);
    EXPECT_EQ(Contents(), "newest new");
    EXPECT_EQ(FolderNames(), sorted(not_ours));
}

// At start, with settings.ini gone, a scanner holds the newest new file for a moment: it is
// tried again and takes the name. Held for good, it is kept while an older one takes the name,
// and goes once a save has made the file newer.
TEST_F(SettingsFileTest, SettingsLeftoverHeldAtStartIsTriedAgainNotLost) {
    const std::string newest = "settings.ini.4242-3.tmp";
    for (const int moment : {2, -1}) {
        SCOPED_TRACE(moment < 0 ? "held for good" : "held for a moment");
        fs::remove(file_);
        PutAged("settings.ini.4242-1.tmp", "older new", 60);
        PutAged("settings.ini.4242-2-old.tmp", "old", 90);
        PutAged(newest, "newest new", 30);
        fakes::FaultyDisk disk;
        int held = moment;
        disk.holds = [&](std::string_view path) {
            return path.ends_with(newest) && (held < 0 || held-- > 0);
        };
        RemoveLeftoverFiles(path_);
        EXPECT_LE(disk.paused_ms, 50) << "the start waits no longer than a save";
        if (moment > 0) {
            EXPECT_EQ(Contents(), "newest new");
            EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
            continue;
        }
        EXPECT_EQ(Contents(), "older new");
        EXPECT_EQ(FolderNames(), (NameList{"settings.ini", newest}));
        disk.holds = nullptr;
        EXPECT_EQ(WriteSetting("OTHER", "executed", "1", path_), FileResult::kOk);
        EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
    }
}

// A scanner holds each new file for as long as the save lasts: the save is "in use", and the
// new files that could not be removed go at the next save that goes through, instead of piling
// up one per blocked save.
TEST_F(SettingsFileTest, SettingsNewFilesHeldAtTheirRemovalGoAtTheNextSave) {
    Put("[OTHER]\r\nexecuted=5\r\n");
    fakes::FaultyDisk disk;
    disk.holds = [](std::string_view path) { return path.ends_with(".tmp"); };
    for (const char* value : {"6", "7", "8"}) {
        EXPECT_EQ(WriteSetting("OTHER", "executed", value, path_), FileResult::kInUse);
    }
    EXPECT_EQ(FolderNames().size(), 4u) << "held, they stay for now";
    disk.holds = nullptr;
    EXPECT_EQ(WriteSetting("OTHER", "executed", "9", path_), FileResult::kOk);
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
    EXPECT_EQ(Contents(), "[OTHER]\r\nexecuted=9\r\n");
}

// A power cut between the two renames of a replace left no settings.ini, only the new file and
// the old one under names of ours. At the next start they are put back whatever process id
// they carry: no copy runs on the file then, and after a reboot this copy's own id, or a
// running one, may well be the id in the names.
TEST_F(SettingsFileTest, SettingsLeftoverThatHoldsTheOnlyCopyIsPutBackWhateverItsId) {
    const std::string full = "[KEYS]\r\nplay=80\r\nplay_n=P\r\n[OTHER]\r\nexecuted=4711\r\n";
    for (const std::string& id : {std::to_string(::getpid()), std::string("4242")}) {
        SCOPED_TRACE("process id " + id);
        fs::remove(file_);
        PutAged("settings.ini." + id + "-0.tmp", full, 60);
        PutAged("settings.ini." + id + "-1-old.tmp", "[OTHER]\r\nexecuted=4710\r\n", 90);
        RemoveLeftoverFiles(path_);
        EXPECT_EQ(Contents(), full);
        EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
    }

    // Beside a settings.ini, a leftover holds an older state (or a save that never finished):
    // it goes, whoever made it.
    PutAged("settings.ini.4242-2-old.tmp", "[OTHER]\r\nexecuted=1\r\n", 120);
    PutAged("settings.ini." + std::to_string(::getpid()) + "-3.tmp", "torn", 120);
    RemoveLeftoverFiles(path_);
    EXPECT_EQ(Contents(), full);
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

// Another program saves settings.ini by renaming the old file away and then writing the new
// one: a write whose read falls in between finds no file. It may only create one; finding one
// back, it starts again from what that holds.
TEST_F(SettingsFileTest, SettingsWriteThatFoundNoFileNeverReplacesOne) {
    Put("[KEYS]\r\nplay=80\r\n[OTHER]\r\nexecuted=5\r\n");
    fakes::FaultyDisk disk;
    disk.missing_reads = 1;
    EXPECT_EQ(WriteSetting("KEYS", "stop", "83", path_), FileResult::kOk);
    EXPECT_EQ(Contents(), "[KEYS]\r\nplay=80\r\nstop=83\r\n[OTHER]\r\nexecuted=5\r\n");
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

// ASCII text as UTF-16 LE, after the byte order mark.
std::string Utf16Le(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

// A file saved as "Unicode" in an editor: read and written in UTF-16 LE, its mark kept, the
// same rules as for a file of single bytes.
TEST_F(SettingsFileTest, SettingsUtf16LeFileIsReadAndWrittenInUtf16) {
    // A comment with an e acute and U+1F3B5, a character beyond 16 bits.
    const std::string cafe = Utf16Le("; caf").substr(2) + "\xE9\x00"s + Utf16Le(" ").substr(2) +
                             "\x3C\xD8\xB5\xDF"s + Utf16Le("\r\n").substr(2);
    Put(Utf16Le("[KEYS]\r\nnext track=117\r\n") + cafe +
        Utf16Le("[OTHER]\r\nexecuted=5\r\n").substr(2));
    EXPECT_EQ(ReadSetting("OTHER", "executed", path_, "0"), "5");
    SettingsSection keys("KEYS", path_);
    std::string_view key, value;
    ASSERT_TRUE(keys.Next(key, value));
    EXPECT_EQ(key, "next track");
    EXPECT_EQ(value, "117");

    EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path_), FileResult::kOk);
    EXPECT_EQ(WriteSetting("KEYS", "play", "80", path_), FileResult::kOk);
    EXPECT_EQ(Contents(), Utf16Le("[KEYS]\r\nnext track=117\r\nplay=80\r\n") + cafe +
                              Utf16Le("[OTHER]\r\nexecuted=6\r\n").substr(2));
}

// Files that are read as empty and never written, each with its own reason.
TEST_F(SettingsFileTest, SettingsFilesThatAreNeverWrittenSayWhy) {
    struct Case {
        const char* name;
        std::string bytes;
        FileResult result;
        const char* reason;
    };
    std::string big = "[OTHER]\r\nexecuted=5\r\n";
    big.resize(file_store::kMaxFileSize + 1, ' ');
    const Case cases[] = {
        {"UTF-16 BE", "\xFE\xFF\0[\0K\0E\0Y\0S\0]\0\r\0\n\0p\0=\0001\0\r\0\n"s,
         FileResult::kUtf16BigEndian, "UTF-16 big-endian"},
        {"UTF-16 LE, odd length", Utf16Le("[OTHER]\r\nexecuted=5\r\n") + "x",
         FileResult::kUndecodable, "no UTF-16"},
        {"UTF-16 LE, a lone surrogate", Utf16Le("[OTHER]\r\nexecuted=5\r\n") + "\x00\xD8"s,
         FileResult::kUndecodable, "no UTF-16"},
        {"over 1 MiB", big, FileResult::kTooLarge, "larger than 1 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put(c.bytes);
        EXPECT_EQ(ReadSetting("OTHER", "executed", path_, "none"), "none");
        EXPECT_FALSE(ReadStoredSetting("OTHER", "executed", path_, "0").file_read);
        EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path_), c.result);
        EXPECT_EQ(Contents(), c.bytes);
        const std::string message = WriteFailureMessage("The key was not saved.", path_, c.result);
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_EQ(message.find("Another program"), std::string::npos) << message;
    }
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
}

// A link into a folder that is not there now (a drive not plugged in): never replaced by a
// plain file, and the message names the link and its target.
TEST_F(SettingsFileTest, SettingsLinkWhoseTargetIsMissingIsRefused) {
    fs::create_symlink(fs::path("elsewhere") / "settings.ini", file_);
    EXPECT_EQ(ReadSetting("KEYS", "play", path_, "0"), "0");
    const FileResult result = WriteSetting("KEYS", "play", "80", path_);
    EXPECT_EQ(result, FileResult::kBrokenLink);
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(fs::read_symlink(file_), fs::path("elsewhere") / "settings.ini");
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
    const std::string message = WriteFailureMessage("The key was not saved.", path_, result);
    EXPECT_NE(message.find(path_), std::string::npos) << message;
    EXPECT_NE(message.find("link to \"elsewhere/settings.ini\", which does not exist"),
              std::string::npos)
        << message;
}

TEST_F(SettingsFileTest, SettingsNoWriteBeginsOnceTheSessionEnds) {
    Put("[OTHER]\r\nexecuted=5\r\n");
    EndSettingsWrites();
    const FileResult ended = WriteSetting("OTHER", "executed", "6", path_);
    file_store::ResumeSaves();
    EXPECT_EQ(ended, FileResult::kEnding);
    EXPECT_EQ(Contents(), "[OTHER]\r\nexecuted=5\r\n");
    EXPECT_EQ(FolderNames(), NameList{"settings.ini"});
    EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path_), FileResult::kOk);
}

TEST(SettingsLeftoverNames, OnlyTheProgramsOwnForms) {
    file_store::LeftoverName parsed;
    EXPECT_EQ(file_store::TemporaryPath("C:\\k\\settings.ini", 12, 3),
              "C:\\k\\settings.ini.12-3.tmp");
    ASSERT_TRUE(file_store::ParseLeftoverName("settings.ini.12-3.tmp", "settings.ini", parsed));
    EXPECT_EQ(parsed.process_id, 12u);
    EXPECT_FALSE(parsed.backup);
    ASSERT_TRUE(
        file_store::ParseLeftoverName("SETTINGS.INI.4294967295-0-old.TMP", "settings.ini", parsed));
    EXPECT_EQ(parsed.process_id, 4294967295u);
    EXPECT_TRUE(parsed.backup);
    for (const char* name :
         {"settings.ini", "settings.ini.tmp", "settings.ini.12.tmp", "settings.ini.12-.tmp",
          "settings.ini.-3.tmp", "settings.ini.12-3.tmp.txt", "settings.ini.12-3-new.tmp",
          "settings.ini.4294967296-1.tmp", "settings.ini.x12-3.tmp", "other.ini.12-3.tmp",
          "settings.ini.12-3", "xsettings.ini.12-3.tmp"}) {
        EXPECT_FALSE(file_store::ParseLeftoverName(name, "settings.ini", parsed)) << name;
    }
}

TEST_F(SettingsFileTest, SettingsFileThatCannotBeReadNowIsNeverWritten) {
    const std::string before = "[OTHER]\r\nexecuted=41\r\n";
    Put(before);
    fakes::FaultyDisk disk;
    disk.unreadable = true;
    const StoredSetting read = ReadStoredSetting("OTHER", "executed", path_, "0");
    EXPECT_FALSE(read.file_read);
    EXPECT_EQ(read.value, "0");
    EXPECT_EQ(WriteSetting("OTHER", "executed", "1", path_), FileResult::kInUse);
    EXPECT_EQ(Contents(), before);

    // A missing entry is an answer from the file; a missing file is none.
    disk.unreadable = false;
    EXPECT_TRUE(ReadStoredSetting("OTHER", "missing", path_, "0").file_read);
    EXPECT_FALSE(
        ReadStoredSetting("OTHER", "executed", (folder_ / "none").string(), "0").file_read);
}

TEST_F(SettingsFileTest, SettingsReadAllStatuses) {
    EXPECT_EQ(file_store::ReadAll(file_.string()).status, FileResult::kMissing);
    EXPECT_EQ(file_store::ReadAll((file_ / "below").string()).status, FileResult::kMissing);
    fs::create_directory(folder_ / "dir");
    EXPECT_EQ(file_store::ReadAll((folder_ / "dir").string()).status, FileResult::kFailed);
    const std::string bytes = "a\0b\r\n\xff"s;
    Put(bytes);
    file_store::ReadResult read = file_store::ReadAll(path_);
    EXPECT_EQ(read.status, FileResult::kOk);
    EXPECT_EQ(read.bytes, bytes);
    Put("");
    read = file_store::ReadAll(path_);
    EXPECT_EQ(read.status, FileResult::kOk);
    EXPECT_EQ(read.bytes, "");
}

// ---------------------------------------------------------------------------------------------
// IsBlank, FileExists, SettingsPath

TEST(SettingsIsBlank, OnlySpacesAreBlank) {
    struct Case {
        std::string text;
        bool blank;
    };
    const Case cases[] = {
        {"", true},
        {" ", true},
        {"     ", true},
        {"\t", false},
        {" \t ", false},
        {"a", false},
        {"  a  ", false},
        {"\r\n", false},
        {"\0"s, false},
        {"\xc2\xa0", false},
        {std::string(749, ' '), true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsBlank(c.text), c.blank) << "\"" << c.text << "\"";
    }
}

TEST_F(SettingsFileTest, FileExistsPatterns) {
    Put("[KEYS]\r\n");
    PutAt(folder_ / ".hidden.ini", "");
    PutAt(folder_ / "a[1].txt", "");
    fs::create_directory(folder_ / "sub.ini");
    fs::create_directory(folder_ / "empty");
    fs::create_directory(folder_ / "onlyhidden");
    PutAt(folder_ / "onlyhidden" / ".x", "");
    fs::create_directory(folder_ / "onlyfolders");
    fs::create_directory(folder_ / "onlyfolders" / "x.ini");
    fs::create_symlink("settings.ini", folder_ / "link.lnk");

    const std::string base = folder_.string();
    struct Case {
        std::string pattern;
        bool exists;
    };
    const Case cases[] = {
        {"", false},
        {"    ", false},
        {path_, true},
        {base + "/settings.ini", true},
        {base + "\\*.ini", true},
        {base + "\\settings.?ni", true},
        {base + "\\*", true},
        {base + "\\s*s.ini", true},
        {base + "\\settings.ini?", false},
        {base + "\\missing.ini", false},
        {base + "\\*.missing", false},
        {base + "\\gone\\*.ini", false},
        {base, false},
        {base + "\\sub.ini", false},
        {base + "\\.hidden.ini", false},
        {base + "\\.hidden.*", false},
        {base + "\\onlyhidden\\*", false},
        {base + "\\onlyhidden\\.x", false},
        {base + "\\onlyfolders\\*", false},
        {base + "\\onlyfolders\\*.ini", false},
        {base + "\\empty\\*", false},
        {base + "\\a[1].txt", true},
        {base + "\\a[1]*", true},
        {base + "\\a1*", false},
        {base + "\\*.lnk", true},
        {base + "\\", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(c.pattern), c.exists) << "\"" << c.pattern << "\"";
    }
}

TEST(SettingsPathTest, JoinsFolderAndName) {
    EXPECT_EQ(SettingsPath("C:\\Program Files\\Kestrune"),
              "C:\\Program Files\\Kestrune\\settings.ini");
    EXPECT_EQ(SettingsPath("C:\\"), "C:\\\\settings.ini");
    EXPECT_EQ(SettingsPath(""), "\\settings.ini");
    EXPECT_EQ(SettingsPath("D:\\\xc3\xa9t\xc3\xa9"), "D:\\\xc3\xa9t\xc3\xa9\\settings.ini");
}

}  // namespace
}  // namespace kestrune
