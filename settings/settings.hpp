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

// Stores `value` under the lower-cased `key` in `section`. Every line that the write does not
// touch keeps its bytes. The new file replaces the old one in one step, so a crash leaves the
// old file or the new one, never a torn one. A read-only file, an unwritable folder or a value
// holding a line break changes nothing; failures are not reported.
void WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                  std::string_view path);

// True when `text` is empty or made only of U+0020 spaces (tabs are not blank).
bool IsBlank(std::string_view text);

// True when `pattern` ("*" and "?" act as wildcards) names at least one ordinary file: not a
// folder, a hidden file or a system file. A blank pattern is false without touching the disk.
bool FileExists(std::string_view pattern);

}  // namespace kestrune
