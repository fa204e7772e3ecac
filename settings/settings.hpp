// The settings file: settings.ini beside the executable, in the profile (INI) layout.
//
// Every call goes to the file's current content; nothing is cached. Paths are UTF-8 text.
// On Windows they are opened with the wide-character file API. The file's content is ANSI or
// UTF-8 bytes, handled as bytes, or UTF-16 LE with its byte order mark, read and written as
// UTF-16 LE under the same rules. A UTF-16 BE file, one that is no valid UTF-16, and one larger
// than 1 MiB read as empty and are never written.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "settings/disk.hpp"
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

// A read that also tells whether a file was read at all: `file_read` is false when the file is
// missing or cannot be read (held, denied, too large, in an encoding that is not read), and
// `value` is then the default. A caller that would count on from what it read writes nothing
// then: a file that is missing only for a moment must not be replaced by one made from nothing.
struct StoredSetting {
    std::string value;
    bool file_read = false;
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

// Stores `value` under the lower-cased `key` in `section`. Every line that the write does not
// touch keeps its bytes (its characters, in a UTF-16 file), and storing what the entry already
// holds writes nothing. The new file replaces the old one in one step, so a crash leaves the
// old file or the new one, never a torn one and never none. A write made from a read that found
// no file only creates the file: when one stands there by then, the write starts again from
// it. A symbolic link is written at its target and stays a link. A file with more than one
// name (hard links), or one that the folder or another program does not let be replaced, is
// rewritten where it stands and flushed; that is not atomic: a crash part way can leave it
// torn, and a failed write puts the old bytes back. Any result but kOk leaves the file with
// what it held.
FileResult WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view path);

// Several entries of `section` in one save, as WriteSetting stores one: all of them or none.
struct SettingEntry {
    std::string_view key;
    std::string_view value;
};
FileResult WriteSettings(std::string_view section, std::span<const SettingEntry> entries,
                         std::string_view path);
inline FileResult WriteSettings(std::string_view section,
                                std::initializer_list<SettingEntry> entries,
                                std::string_view path) {
    return WriteSettings(section, std::span<const SettingEntry>(entries.begin(), entries.size()),
                         path);
}

// From now on no write begins: each is kEnding. For the end of the Windows session, after
// which the process may be ended at any moment.
void EndSettingsWrites();

// At start, when no other copy of the program runs on the settings file at `path` in any
// session: removes the temporary files and backups that earlier runs of the program left
// beside it and that are older than the file, whatever process made them (newer ones after the
// next save). Where the file itself is gone, the newest of them takes its place instead.
void RemoveLeftoverFiles(std::string_view path);

// The target that a symbolic link at `path` names, for a save that was kBrokenLink: as the link
// names it, empty when the system will not say.
std::string BrokenLinkTarget(std::string_view path);

// True when `text` is empty or made only of U+0020 spaces (tabs are not blank).
bool IsBlank(std::string_view text);

// True when `pattern` ("*" and "?" act as wildcards) names at least one ordinary file: not a
// folder, a hidden file or a system file. A blank pattern is false without touching the disk.
bool FileExists(std::string_view pattern);

// A value is read into a buffer of 750 characters, one of which holds the terminating NUL.
inline constexpr std::size_t kMaxValueLength = 749;

}  // namespace kestrune
