// The settings file: settings.ini beside the executable, in the profile (INI) layout.
//
// Every call goes to the file's current content; nothing is cached. Paths are UTF-8 text.
// On Windows they are opened with the wide-character file API; the file's content itself is
// ANSI bytes and is handled as bytes.
#pragma once

#include <string>
#include <string_view>

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

// What became of a write.
enum class WriteResult {
    kStored,      // the file holds the value (also when it held it already)
    kRefused,     // the section, key or value cannot be stored (a line break in it, ...)
    kInUse,       // the file exists but cannot be read now: it is left as it is
    kReadOnly,    // the file is marked read-only
    kNotAllowed,  // the folder takes no new file, and the file (if any) may not be written
    kNotAFile,    // something that is no ordinary file stands at the path
    kFailed,      // anything else (a missing folder, a full disk)
};

// Stores `value` under the lower-cased `key` in `section`. Every line that the write does not
// touch keeps its bytes, and storing what the entry already holds writes nothing. The new file
// replaces the old one in one step, so a crash leaves the old file or the new one, never a
// torn one; where the folder takes no new file, a writable file is rewritten in place. Any
// result but kStored leaves the file as it was.
WriteResult WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                         std::string_view path);

// What the user is told when a write did not store: `lead` (what was lost), the file's path
// and the reason, in plain words.
std::string WriteFailureMessage(std::string_view lead, std::string_view path, WriteResult result);

// True when `text` is empty or made only of U+0020 spaces (tabs are not blank).
bool IsBlank(std::string_view text);

// True when `pattern` ("*" and "?" act as wildcards) names at least one ordinary file: not a
// folder, a hidden file or a system file. A blank pattern is false without touching the disk.
bool FileExists(std::string_view pattern);

}  // namespace kestrune
