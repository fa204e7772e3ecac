// The settings routines on Windows (and under Wine): attributes, wide-character folder names,
// locked files and the root of a drive. Each test works in a fresh folder under the temp folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host.hpp"
#include "settings/file_store_win32.hpp"
#include "settings/settings.hpp"
#include "util/wide_text.hpp"

namespace kestrune {
namespace {

using testing::FileBytes;
using testing::FileNames;
using testing::NameList;
using testing::PutFile;
using testing::RemoveTree;

class SettingsOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.empty());
        file_ = folder_ + L"\\settings.ini";
        path_ = SettingsPath(WideToUtf8(folder_));
    }

    NameList Names() const { return FileNames(folder_); }

    testing::TempFolder temp_;
    std::wstring folder_ = temp_.path();  // wide, no trailing separator
    std::wstring file_;                   // folder_\settings.ini
    std::string path_;                    // the same file as the program names it: UTF-8
};

TEST_F(SettingsOnDisk, FileExistsSkipsHiddenSystemAndFolders) {
    ASSERT_TRUE(PutFile(file_, "[KEYS]\r\n"));
    ASSERT_TRUE(PutFile(folder_ + L"\\hidden.txt", ""));
    ASSERT_TRUE(::SetFileAttributesW((folder_ + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(PutFile(folder_ + L"\\system.dat", ""));
    ASSERT_TRUE(::SetFileAttributesW((folder_ + L"\\system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(::CreateDirectoryW((folder_ + L"\\folder.ini").c_str(), nullptr));
    ASSERT_TRUE(PutFile(folder_ + L"\\readonly.cfg", ""));
    ASSERT_TRUE(
        ::SetFileAttributesW((folder_ + L"\\readonly.cfg").c_str(), FILE_ATTRIBUTE_READONLY));

    const std::string base = WideToUtf8(folder_);
    struct Case {
        std::string pattern;
        bool exists;
    };
    const Case cases[] = {
        {path_, true},
        {base + "\\*.ini", true},
        {base + "\\settings.?ni", true},
        {base + "\\SETTINGS.INI", true},
        {base + "/settings.ini", true},
        {base + "\\readonly.cfg", true},
        {base + "\\hidden.txt", false},
        {base + "\\*.txt", false},
        {base + "\\system.dat", false},
        {base + "\\sys*", false},
        {base + "\\folder.ini", false},
        {base, false},
        {base + "\\missing.ini", false},
        {base + "\\*.missing", false},
        {base + "\\gone\\*.ini", false},
        {"", false},
        {"   ", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(c.pattern), c.exists) << "\"" << c.pattern << "\"";
    }
}

TEST_F(SettingsOnDisk, FolderNamedOutsideTheAnsiCodePage) {
    const std::wstring wide_folder = folder_ + L"\\Kestr\u00fcne \u03bb\u0416 \u4e2d";
    ASSERT_TRUE(::CreateDirectoryW(wide_folder.c_str(), nullptr));
    const std::string path = SettingsPath(WideToUtf8(wide_folder));

    EXPECT_EQ(ReadSetting("KEYS", "next track", path, "0"), "0");
    WriteSetting("KEYS", "Next Track", "117", path);
    const std::wstring wide_file = wide_folder + L"\\settings.ini";
    EXPECT_NE(::GetFileAttributesW(wide_file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FileBytes(wide_file), "[KEYS]\r\nnext track=117\r\n");
    EXPECT_EQ(ReadSetting("KEYS", "next track", path, "0"), "117");
    EXPECT_TRUE(FileExists(path));

    WriteSetting("KEYS", "next track", "120", path);
    EXPECT_EQ(ReadSetting("KEYS", "next track", path, "0"), "120");
    EXPECT_EQ(FileNames(wide_folder), NameList{L"settings.ini"});
}

TEST_F(SettingsOnDisk, ReadOnlyFileIsLeftUnchanged) {
    const std::string before = "[KEYS]\r\nplay=80\r\n";
    ASSERT_TRUE(PutFile(file_, before));
    ASSERT_TRUE(::SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(WriteSetting("KEYS", "play", "1", path_), FileResult::kReadOnly);
    EXPECT_EQ(WriteSetting("NEW", "k", "v", path_), FileResult::kReadOnly);
    EXPECT_EQ(FileBytes(file_), before);
    EXPECT_EQ(Names(), NameList{L"settings.ini"});
    EXPECT_EQ(ReadSetting("KEYS", "play", path_, ""), "80");
}

TEST_F(SettingsOnDisk, LockedFileIsNeitherReadNorWritten) {
    const std::string before = "[KEYS]\r\nplay=80\r\n";
    ASSERT_TRUE(PutFile(file_, before));
    HANDLE lock = ::CreateFileW(file_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    // Held by another program without sharing: that is not a missing file.
    const StoredSetting read = ReadStoredSetting("KEYS", "play", path_, "default");
    EXPECT_FALSE(read.file_read);
    EXPECT_EQ(read.value, "default");
    EXPECT_EQ(WriteSetting("KEYS", "play", "1", path_), FileResult::kInUse);
    EXPECT_FALSE(FileExists(WideToUtf8(folder_) + "\\*.tmp"));
    ::CloseHandle(lock);
    EXPECT_EQ(FileBytes(file_), before);
    EXPECT_EQ(Names(), NameList{L"settings.ini"});
    EXPECT_EQ(ReadSetting("KEYS", "play", path_, "default"), "80");
}

TEST_F(SettingsOnDisk, FileHeldWithoutDeleteSharingIsWrittenInPlace) {
    ASSERT_TRUE(PutFile(file_, "[KEYS]\r\nplay=80\r\n"));
    // An editor or sync client: read and write sharing, no delete sharing. The replace meets a
    // sharing violation; the file itself may be written.
    HANDLE held = ::CreateFileW(file_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteSetting("KEYS", "play", "81", path_), FileResult::kOk);
    EXPECT_EQ(FileBytes(file_), "[KEYS]\r\nplay=81\r\n");
    EXPECT_EQ(Names(), NameList{L"settings.ini"}) << "no temporary file, no rfXXXX.tmp";
    ::CloseHandle(held);

    // Read sharing only: the file can be neither replaced nor written. That is "in use", told
    // within a few tens of milliseconds, and the file keeps its bytes.
    held = ::CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(WriteSetting("KEYS", "play", "82", path_), FileResult::kInUse);
    EXPECT_LT(::GetTickCount64() - start, 500u);
    EXPECT_EQ(FileBytes(file_), "[KEYS]\r\nplay=81\r\n");
    EXPECT_EQ(Names(), NameList{L"settings.ini"});
    ::CloseHandle(held);
    EXPECT_EQ(WriteSetting("KEYS", "play", "82", path_), FileResult::kOk);
}

TEST_F(SettingsOnDisk, WriteKeepsTheHiddenAttribute) {
    ASSERT_TRUE(PutFile(file_, "; mine\n[KEYS]\nplay=80\n"));
    ASSERT_TRUE(
        ::SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    WriteSetting("KEYS", "play", "81", path_);
    EXPECT_EQ(FileBytes(file_), "; mine\n[KEYS]\nplay=81\n");
    DWORD attributes = ::GetFileAttributesW(file_.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(Names(), NameList{L"settings.ini"});
}

TEST_F(SettingsOnDisk, ProgramFolderBeyondMaxPath) {
    // A program folder whose settings path is longer than MAX_PATH, named as the program
    // names it: a plain path, without the \\?\ form.
    std::wstring deep = folder_;
    while (deep.size() < MAX_PATH + 40) {
        deep += L"\\" + std::wstring(60, L'k');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    const std::string path = SettingsPath(WideToUtf8(deep));
    ASSERT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));
    const std::wstring long_file = L"\\\\?\\" + deep + L"\\settings.ini";

    EXPECT_EQ(WriteSetting("KEYS", "next track", "117", path), FileResult::kOk);
    EXPECT_EQ(WriteSetting("OTHER", "executed", "5", path), FileResult::kOk);
    EXPECT_EQ(WriteSetting("OTHER", "executed", "6", path), FileResult::kOk);
    EXPECT_EQ(FileBytes(long_file), "[KEYS]\r\nnext track=117\r\n[OTHER]\r\nexecuted=6\r\n");
    EXPECT_EQ(ReadSetting("KEYS", "next track", path, "0"), "117");
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(FileNames(L"\\\\?\\" + deep), NameList{L"settings.ini"});
    RemoveTree(L"\\\\?\\" + folder_);
}

TEST(SystemPath, NearMaxPathTakesTheFullLongForm) {
    // Wine's file API has no MAX_PATH limit, so the form the paths take is checked here.
    EXPECT_EQ(file_store::SystemPath("C:\\short\\settings.ini"), L"C:\\short\\settings.ini");
    const std::string name(240, 'k');
    const std::wstring wide_name(240, L'k');
    EXPECT_EQ(file_store::SystemPath("C:\\a\\..\\" + name + "\\\\settings.ini"),
              L"\\\\?\\C:\\" + wide_name + L"\\settings.ini");
    EXPECT_EQ(file_store::SystemPath("C:/" + name + "/settings.ini"),
              L"\\\\?\\C:\\" + wide_name + L"\\settings.ini");
    EXPECT_EQ(file_store::SystemPath("\\\\server\\share\\" + name),
              L"\\\\?\\UNC\\server\\share\\" + wide_name);
    EXPECT_EQ(file_store::SystemPath("\\\\?\\C:\\" + name), L"\\\\?\\C:\\" + wide_name);
}

TEST_F(SettingsOnDisk, WritesLeaveNoTemporaryFiles) {
    WriteSetting("KEYS", "next track", "117", path_);
    WriteSetting("KEYS", "next track_n", "F6", path_);
    WriteSetting("OTHER", "executed", "5", path_);
    WriteSetting("OTHER", "executed", "6", path_);
    EXPECT_EQ(FileBytes(file_),
              "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=6\r\n");
    EXPECT_EQ(Names(), NameList{L"settings.ini"});
}

TEST_F(SettingsOnDisk, FolderInPlaceOfTheFileIsLeftAlone) {
    ASSERT_TRUE(::CreateDirectoryW(file_.c_str(), nullptr));
    ASSERT_TRUE(PutFile(file_ + L"\\inside", "keep"));
    EXPECT_EQ(ReadSetting("KEYS", "play", path_, "d"), "d");
    WriteSetting("KEYS", "play", "1", path_);
    DWORD attributes = ::GetFileAttributesW(file_.c_str());
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(FileBytes(file_ + L"\\inside"), "keep");
    EXPECT_EQ(Names(), NameList{L"settings.ini"});
}

TEST_F(SettingsOnDisk, MissingFolderCreatesNothing) {
    const std::wstring missing = folder_ + L"\\gone";
    WriteSetting("KEYS", "play", "1", SettingsPath(WideToUtf8(missing)));
    EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Names(), NameList{});
}

TEST_F(SettingsOnDisk, DriveRootWithDoubleBackslash) {
    wchar_t windows_folder[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryW(windows_folder, MAX_PATH), 2u);
    const std::wstring drive(windows_folder, 2);  // "C:"
    const std::wstring root_file = drive + L"\\settings.ini";
    if (::GetFileAttributesW(root_file.c_str()) != INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "a settings.ini already stands in the root; it is left alone";
    }
    // Ordinary accounts on Windows may not create files in the root of the system drive.
    if (!PutFile(root_file, "")) GTEST_SKIP() << "the root of the drive is not writable";
    ::DeleteFileW(root_file.c_str());

    const std::string path = SettingsPath(WideToUtf8(drive) + "\\");
    ASSERT_EQ(path, WideToUtf8(drive) + "\\\\settings.ini");
    WriteSetting("KEYS", "play", "80", path);
    std::string written = FileBytes(root_file);
    std::string read = ReadSetting("KEYS", "play", path, "none");
    bool exists = FileExists(path);
    ::DeleteFileW(root_file.c_str());
    EXPECT_EQ(written, "[KEYS]\r\nplay=80\r\n");
    EXPECT_EQ(read, "80");
    EXPECT_TRUE(exists);
}

}  // namespace
}  // namespace kestrune
