// The settings file: settings.ini beside the executable, in the profile (INI) layout.
//
// Every call goes to the file's current content; nothing is cached. Paths are UTF-8 text.
// On Windows they are opened with the wide-character file API; the file's content itself is
// ANSI bytes and is handled as bytes.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "settings/profile.hpp"

namespace kestrune {

// The program folder followed directly by "\settings.ini". A folder that already ends in a
// separator (the root of a drive, "C:\") gives two backslashes in a row, which still names the
// file in that root.
std::string SettingsPath(std::string_view program_folder);

// The value of `key` (lower-cased) in `section`, cut to 749 characters; `default_value`
// unchanged when the file, section or entry is missing, unreadable, empty or only spaces.
std::string ReadSetting(std::string_view section, std::string_view key, std::string_view path,
                        std::string_view default_value);

// A read that also tells a missing file (or section, or entry: `value` is then the default)
// from a file that exists but cannot be read now (`readable` is false). A caller that would
// write back what it read writes nothing in the second case.
struct StoredSetting {
    std::string value;
    bool readable = true;
};
StoredSetting ReadStoredSetting(std::string_view section, std::string_view key,
                                std::string_view path, std::string_view default_value);

// Every entry of `section` from one read of the file: each entry's key (as written) and its
// value as ReadSetting gives it, "" where ReadSetting gives the default (a blank value). The
// entries come in file order, later duplicates of a key too: the first counts. A file that is
// missing or cannot be read now has none.
class SettingsSection {
  public:
    SettingsSection(std::string_view section, std::string_view path);
    SettingsSection(const SettingsSection&) = delete;
    SettingsSection& operator=(const SettingsSection&) = delete;
    // The next entry; false after the last.
    bool Next(std::string_view& key, std::string_view& value);

  private:
    std::string bytes_;
    profile::SectionEntries entries_;
};

// What became of a write.
enum class WriteResult {
    kStored,      // the file holds the value (also when it held it already)
    kRefused,     // the section, key or value cannot be stored (a line break in it, ...)
    kInUse,       // another program holds the file: it cannot be read now, or neither be
                  // replaced nor written where it stands. It is left as it is.
    kReadOnly,    // the file is marked read-only
    kNotAllowed,  // the folder takes no new file, and the file (if any) may not be written
    kNotAFile,    // something that is no ordinary file stands at the path
    kEnding,      // the session is ending (`EndSettingsWrites`): nothing more is written
    kKeptBeside,  // the file was taken away part way and the new one could not take its place:
                  // the new content waits beside it, and the next read puts it in place
    kFailed,      // anything else (a missing folder, a full disk)
};

// Stores `value` under the lower-cased `key` in `section`. Every line that the write does not
// touch keeps its bytes, and storing what the entry already holds writes nothing. The new file
// replaces the old one in one step, so a crash leaves the old file or the new one, never a
// torn one. A symbolic link is written at its target and stays a link. A file with more than
// one name (hard links), or one that the folder or another program does not let be replaced,
// is rewritten where it stands and flushed; that is not atomic: a crash part way can leave it
// torn, and a failed write puts the old bytes back. Any result but kStored and kKeptBeside
// leaves the file with what it held.
WriteResult WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                         std::string_view path);

// Several entries of `section` in one save, as WriteSetting stores one: all of them or none.
struct SettingEntry {
    std::string_view key;
    std::string_view value;
};
WriteResult WriteSettings(std::string_view section, std::span<const SettingEntry> entries,
                          std::string_view path);
inline WriteResult WriteSettings(std::string_view section,
                                 std::initializer_list<SettingEntry> entries,
                                 std::string_view path) {
    return WriteSettings(section, std::span(entries.begin(), entries.size()), path);
}

// From now on no write begins: each is kEnding. For the end of the Windows session, after
// which the process may be ended at any moment.
void EndSettingsWrites();

// At start, once this copy holds the settings file at `path`: removes the temporary files and
// backups that earlier runs of the program left beside it (never those of a process that runs
// now). Where the file itself is gone, the newest of them takes its place instead.
void RemoveLeftoverFiles(std::string_view path);

// What the user is told when a write did not store: `lead` (what was lost), the file's path
// and the reason, in plain words.
std::string WriteFailureMessage(std::string_view lead, std::string_view path, WriteResult result);

// True when `text` is empty or made only of U+0020 spaces (tabs are not blank).
bool IsBlank(std::string_view text);

// True when `pattern` ("*" and "?" act as wildcards) names at least one ordinary file: not a
// folder, a hidden file or a system file. A blank pattern is false without touching the disk.
bool FileExists(std::string_view pattern);

// A value is read into a buffer of 750 characters, one of which holds the terminating NUL.
inline constexpr std::size_t kMaxValueLength = 749;

// Here, to be inlined: the hotkey poll walks [KEYS] at every tick.
inline bool SettingsSection::Next(std::string_view& key, std::string_view& value) {
    if (!entries_.Next(key, value)) return false;
    value = value.substr(0, kMaxValueLength);
    // A value read is trimmed: only one in quotes can still be blank.
    if (!value.empty() && value.front() == ' ' && IsBlank(value)) value = {};
    return true;
}

}  // namespace kestrune
