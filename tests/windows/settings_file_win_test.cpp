// The settings file as users of portable programs keep it, end to end: a hard link into a data
// folder, a symbolic link into a synced folder, a file that another program holds open; and
// what the program leaves in the folder. Each test runs a copy of kestrune.exe in a folder of
// its own, fires one shortcut and reads the files from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/single_instance.hpp"
#include "host.hpp"
#include "keyboard.hpp"
#include "program.hpp"
#include "stand_in_player.hpp"
#include "ui.hpp"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using namespace testing;  // the helpers of the tests, not GoogleTest

const std::string kBefore =
    "; mine\r\n[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=5\r\n";
const std::string kAfter =
    "; mine\r\n[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=6\r\n";

// What the system says of the file that `path` ends at: where it ends (through any link) and
// which file it is.
struct FileIdentity {
    bool valid = false;
    std::wstring final_path;
    DWORD volume = 0;
    DWORD index_high = 0;
    DWORD index_low = 0;
    DWORD links = 0;
    bool SameFileAs(const FileIdentity& other) const {
        return valid && other.valid && volume == other.volume && index_high == other.index_high &&
               index_low == other.index_low;
    }
};

FileIdentity IdentityOf(const std::wstring& path) {
    FileIdentity identity;
    HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return identity;
    BY_HANDLE_FILE_INFORMATION info;
    wchar_t final_path[1024] = {};
    identity.valid = GetFileInformationByHandle(file, &info) &&
                     GetFinalPathNameByHandleW(file, final_path, 1024, 0) > 0;
    CloseHandle(file);
    identity.final_path = final_path;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index_high = info.nFileIndexHigh;
    identity.index_low = info.nFileIndexLow;
    identity.links = info.nNumberOfLinks;
    return identity;
}

// Makes `link` a symbolic link to `target`: with CreateSymbolicLinkW, which needs the privilege
// or developer mode, or under Wine on the Linux side (SymbolicLinksAreMadeOnTheLinuxSide). False
// when no link could be made.
bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target) {
    if (!SymbolicLinksAreMadeOnTheLinuxSide()) {
        return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                   SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != 0 &&
               IdentityOf(link).SameFileAs(IdentityOf(target));
    }
    const std::string unix_link = UnixPathOf(link);
    const std::string unix_target = UnixPathOf(target);
    if (unix_link.empty() || unix_target.empty()) return false;
    return StartLinuxSymbolicLink(unix_target, unix_link) &&
           PumpUntil([&] { return IdentityOf(link).SameFileAs(IdentityOf(target)); }, 5s);
}

// Fires Next Track (Alt+F6) once and waits until `file` holds the new count.
void FireOnceAndWaitForTheCount(StandInPlayer& player, const std::wstring& file) {
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return !player.received.empty(); }));
    PumpUntil([&] { return FileBytes(file) == kAfter; }, 5s);
}

TEST(SettingsFile, AHardLinkStaysOneFileThatBothNamesSee) {
    TempFolder data(L"data");
    const std::wstring kept = data.File(L"settings.ini");
    ASSERT_TRUE(PutFile(kept, kBefore));
    ProgramFolderCopy program;
    ASSERT_TRUE(program.HasExe());
    ASSERT_TRUE(CreateHardLinkW(program.settings().c_str(), kept.c_str(), nullptr));
    ASSERT_EQ(IdentityOf(program.settings()).links, 2u);

    StandInPlayer player;
    ASSERT_NE(program.StartToMainWindow(), nullptr);
    FireOnceAndWaitForTheCount(player, program.settings());

    EXPECT_EQ(FileBytes(program.settings()), kAfter);
    EXPECT_EQ(FileBytes(kept), kAfter) << "the data folder sees the new count too";
    const FileIdentity in_program = IdentityOf(program.settings());
    EXPECT_TRUE(in_program.SameFileAs(IdentityOf(kept))) << "still one file";
    EXPECT_EQ(in_program.links, 2u);
    EXPECT_EQ(FileNames(program.folder()), (NameList{L"kestrune.exe", L"settings.ini"}));
    EXPECT_EQ(FileNames(data.path()), NameList{L"settings.ini"});
    program.Stop();
}

// As Scoop keeps a portable program's data: the manifest's pre_install step leaves an empty
// settings.ini in the persist folder, and the program's folder gets a hard link to it. The key
// stored with Set Key, and the count of the shortcut that uses it, reach the persisted file.
TEST(SettingsFile, ScoopsPersistedFileKeepsTheKeyAndTheCount) {
    TempFolder persist(L"data");
    const std::wstring kept = persist.File(L"settings.ini");
    ASSERT_TRUE(PutFile(kept, ""));
    StandInPlayer player;
    RunningProgram program([&](RunningProgram& folder) {
        if (folder.HasExe()) CreateHardLinkW(folder.settings().c_str(), kept.c_str(), nullptr);
    });
    ASSERT_NE(program.main, nullptr);
    ASSERT_TRUE(IdentityOf(program.settings()).SameFileAs(IdentityOf(kept)));
    EXPECT_EQ(program.Label(L"Functions Executed"), L"Functions Executed - 0");

    ASSERT_NE(program.OpenConfig(), nullptr);
    program.Select(L"Next Track");
    EXPECT_EQ(program.Current(), L"Unassigned");
    ASSERT_NE(program.OpenSetKey(), nullptr);
    ASSERT_TRUE(HoldKeysUntil({VK_F6}, [&] { return !program.SetKeyShown(); }));
    ASSERT_TRUE(PumpUntil([&] { return program.Current() == L"ALT + F6"; }, 2s));
    RunningProgram::Close(program.Config());
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(program.main); }, 2s));

    ForegroundWindow elsewhere;
    PumpFor(kFocusSettles);
    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return !player.received.empty(); }));
    EXPECT_EQ(player.received, std::vector<std::int32_t>{40048}) << "Next Track, once";
    EXPECT_TRUE(PumpUntil(
        [&] { return program.Label(L"Functions Executed") == L"Functions Executed - 1"; }, 2s));

    EXPECT_EQ(NonBlankLines(FileBytes(kept)),
              (std::vector<std::string>{"[KEYS]", "next track=117", "next track_n=F6", "[OTHER]",
                                        "executed=1"}));
    const FileIdentity in_program = IdentityOf(program.settings());
    EXPECT_TRUE(in_program.SameFileAs(IdentityOf(kept))) << "still one file";
    EXPECT_EQ(in_program.links, 2u);
    EXPECT_EQ(FileNames(program.folder()), (NameList{L"kestrune.exe", L"settings.ini"}));
    EXPECT_EQ(FileNames(persist.path()), NameList{L"settings.ini"});
    program.Stop();
}

TEST(SettingsFile, ASymbolicLinkStaysALinkAndItsTargetHoldsTheCount) {
    TempFolder synced(L"data");
    const std::wstring target = synced.File(L"settings.ini");
    ASSERT_TRUE(PutFile(target, kBefore));
    ProgramFolderCopy program;
    ASSERT_TRUE(program.HasExe());
    if (!MakeSymbolicLink(program.settings(), target)) {
        GTEST_SKIP() << "no symbolic link could be made here";
    }
    const std::wstring target_final = IdentityOf(target).final_path;
    ASSERT_FALSE(target_final.empty());
    ASSERT_EQ(IdentityOf(program.settings()).final_path, target_final);

    StandInPlayer player;
    ASSERT_NE(program.StartToMainWindow(), nullptr);
    FireOnceAndWaitForTheCount(player, target);

    EXPECT_EQ(FileBytes(target), kAfter) << "the link's target holds the new count";
    EXPECT_EQ(FileBytes(program.settings()), kAfter);
    // Still a link: the name in the program folder ends at the target.
    EXPECT_EQ(IdentityOf(program.settings()).final_path, target_final);
    EXPECT_TRUE(IdentityOf(program.settings()).SameFileAs(IdentityOf(target)));
    if (SymbolicLinksShowAReparsePoint()) {
        EXPECT_NE(GetFileAttributesW(program.settings().c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
                  0u);
    }
    EXPECT_EQ(FileNames(program.folder()), (NameList{L"kestrune.exe", L"settings.ini"}));
    EXPECT_EQ(FileNames(synced.path()), NameList{L"settings.ini"});
    program.Stop();
}

// A package manager's shared folder of links, or a user's: a start through a symbolic link to
// kestrune.exe keeps the settings beside the real program. (Wine, like Windows, reports the
// link's path as the module's; the program asks for the final path of its file.)
TEST(SettingsFile, AStartThroughALinkUsesTheSettingsBesideTheRealProgram) {
    ProgramFolderCopy program;
    ASSERT_TRUE(program.HasExe());
    program.WriteSettings(kBefore);
    TempFolder links(L"data");
    if (!MakeSymbolicLink(links.File(L"kestrune.exe"), program.exe())) {
        GTEST_SKIP() << "no symbolic link could be made here";
    }

    StandInPlayer player;
    ASSERT_TRUE(program.Start(links.path()));
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_NO_FATAL_FAILURE(FireOnceAndWaitForTheCount(player, program.settings()))
        << "Alt+F6, the key in the real folder's settings file, reaches the player";
    EXPECT_EQ(player.received.front(), 40048);
    EXPECT_EQ(FileBytes(program.settings()), kAfter) << "the real folder's file holds the count";
    EXPECT_EQ(FileNames(links.path()), NameList{L"kestrune.exe"}) << "nothing beside the link";
    EXPECT_EQ(FileNames(program.folder()), (NameList{L"kestrune.exe", L"settings.ini"}));
    program.Stop();
}

TEST(SettingsFile, AFileHeldWithoutDeleteSharingIsWrittenInPlaceWithoutAMessage) {
    ProgramFolderCopy program;
    ASSERT_TRUE(program.HasExe());
    program.WriteSettings(kBefore);
    // An editor, viewer or sync client: read and write sharing, no delete sharing.
    HANDLE held = CreateFileW(program.settings().c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    StandInPlayer player;
    const HWND main = program.StartToMainWindow();
    ASSERT_NE(main, nullptr);
    FireOnceAndWaitForTheCount(player, program.settings());
    EXPECT_EQ(FileBytes(program.settings()), kAfter);
    EXPECT_TRUE(PumpUntil(
        [&] { return LabelStartingWith(main, L"Functions Executed") == L"Functions Executed - 6"; },
        2s))
        << "the window shows the count that the file holds";
    // No message box comes up, now or a moment later.
    EXPECT_FALSE(PumpUntil([&] { return program.MessageBox() != nullptr; }, 500ms));
    // Nothing left behind: neither a temporary file of the program's nor Wine's rfXXXX.tmp.
    EXPECT_EQ(FileNames(program.folder()), (NameList{L"kestrune.exe", L"settings.ini"}));
    CloseHandle(held);
    program.Stop();
}

// Makes the file look last written `seconds` ago.
bool Age(const std::wstring& path, int seconds) {
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart -= static_cast<ULONGLONG>(seconds) * 10000000;
    const FILETIME then{time.LowPart, time.HighPart};
    const bool aged = SetFileTime(file, nullptr, nullptr, &then) != 0;
    CloseHandle(file);
    return aged;
}

// What runs left beside settings.ini goes at the next start, whatever process id it carries,
// but only where no copy in any session runs on the file: one in another user's session may
// be in the middle of a save.
TEST(SettingsFile, LeftoversOfEarlierRunsGoAtStartWhereNoCopyRuns) {
    ProgramFolderCopy program;
    ASSERT_TRUE(program.HasExe());
    program.WriteSettings(kBefore);
    // 3999999999 names no process; this test's own process runs.
    const std::wstring dead = L"settings.ini.3999999999-1.tmp";
    const std::wstring dead_backup = L"settings.ini.3999999999-2-old.tmp";
    const std::wstring running =
        L"settings.ini." + std::to_wstring(GetCurrentProcessId()) + L"-1.tmp";
    const std::wstring not_ours = L"settings.ini.bak.tmp";
    NameList all{L"kestrune.exe", L"settings.ini"};
    for (const std::wstring& name : {dead, dead_backup, running, not_ours}) {
        ASSERT_TRUE(PutFile(program.File(name), "left"));
        ASSERT_TRUE(Age(program.File(name), 60)) << "older than settings.ini";
        all.push_back(name);
    }
    std::sort(all.begin(), all.end());

    // A copy in another session holds the file's claim.
    const HANDLE other_session =
        CreateMutexW(nullptr, FALSE, EverySessionClaimName(WideToUtf8(program.settings())).c_str());
    ASSERT_NE(other_session, nullptr);
    ASSERT_NE(program.StartToMainWindow(), nullptr);
    EXPECT_EQ(FileNames(program.folder()), all);
    program.Stop();
    CloseHandle(other_session);

    ASSERT_NE(program.StartToMainWindow(), nullptr);
    NameList kept{L"kestrune.exe", not_ours, L"settings.ini"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(FileNames(program.folder()), kept);
    EXPECT_EQ(FileBytes(program.settings()), kBefore);
    program.Stop();
}

// The bytes of `text` in UTF-16 LE, as an editor saves "Unicode" text.
std::string Utf16LeBytes(const std::wstring& text) {
    std::string bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

TEST(SettingsFile, AUtf16FileIsReadAndStaysUtf16) {
    const std::wstring mark(1, wchar_t{0xFEFF});
    const std::string before = Utf16LeBytes(
        mark + L"[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=5\r\n");
    const std::string after = Utf16LeBytes(
        mark + L"[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=6\r\n");
    StandInPlayer player;
    RunningProgram program(before);
    ASSERT_NE(program.main, nullptr);
    EXPECT_EQ(program.Label(L"Functions Executed"), L"Functions Executed - 5");

    ASSERT_TRUE(HoldAltWithUntil(VK_F6, [&] { return !player.received.empty(); }));
    EXPECT_EQ(player.received.front(), 40048) << "Next Track";
    EXPECT_TRUE(PumpUntil([&] { return FileBytes(program.settings()) == after; }, 5s));
    EXPECT_EQ(FileBytes(program.settings()), after) << "UTF-16 LE with its mark, executed=6";
    EXPECT_TRUE(PumpUntil(
        [&] { return program.Label(L"Functions Executed") == L"Functions Executed - 6"; }, 2s));
    EXPECT_EQ(FileNames(program.folder()), (NameList{L"kestrune.exe", L"settings.ini"}));
}

TEST(SettingsFile, NoSaveBeginsOnceTheSessionEnds) {
    StandInPlayer player;
    RunningProgram program(kBefore);
    ASSERT_NE(program.main, nullptr);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(
        SendMessageTimeoutW(program.main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
    EXPECT_NE(answer, 0u) << "the program lets the session end";
    ASSERT_TRUE(
        SendMessageTimeoutW(program.main, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer));
    EXPECT_FALSE(HoldAltWithUntil(
        VK_F6, [&] { return !player.received.empty(); }, 600ms));
    EXPECT_EQ(FileBytes(program.settings()), kBefore);
    EXPECT_EQ(FileNames(program.folder()), (NameList{L"kestrune.exe", L"settings.ini"}));
}

}  // namespace
}  // namespace kestrune
