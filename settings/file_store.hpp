// The few file operations that the settings routines need, one implementation per platform.
// Paths are UTF-8 text; '\' and '/' both separate folders.
#pragma once

#include <string>
#include <string_view>

#include "settings/disk.hpp"

namespace kestrune::file_store {

// The disk of the platform the program runs on.
Disk& SystemDisk();

// The disk that the settings routines use: `SystemDisk()` unless a test has put another in
// place. `Use` returns the one it replaces; null puts the system's back.
Disk& CurrentDisk();
Disk* Use(Disk* disk);

// Saves `bytes` as the file at `path`, never losing the only copy of what the file held.
// - The normal way is a new file in the same folder, flushed and then put in the place of the
//   old one, so that a crash leaves the old file or the new one.
// - A symbolic link is saved at its final target, so the link stays a link. A file with more
//   than one name (hard links) is rewritten in place and flushed, so every name sees it.
// - Where the folder takes no new file (or refuses the replace), or another program holds the
//   file (tried again a few times within a few tens of milliseconds first), but the file itself
//   may be written, it is rewritten in place and flushed, the old bytes put back on failure.
// - A replace that broke part way and lost the old file puts the new file in its place; when
//   even that fails, the new file stays beside the target (reads put it in place as soon as
//   they can) and the save is kKeptBeside. Success is never reported for a file that is gone.
// - A file marked read-only is never written; after `EndSaves` no save begins.
SaveStatus Save(Disk& disk, std::string_view path, std::string_view bytes);

// The whole file at `path`. A new file that a broken replace left beside it is put in its
// place first, when the file is gone; while it cannot be, that new file is read instead, and
// every save is kInUse.
ReadResult Read(Disk& disk, std::string_view path);

// From now on, every save is kEnding (the session ends: nothing may be cut off half way).
void EndSaves();
// Saves may begin again (for the tests).
void ResumeSaves();

// Clears what earlier runs left beside the file at `path`: the program's own temporary files
// and backups, made by processes that no longer run. Where the file itself is gone, the newest
// of them is put in its place instead of being removed: it may hold the only copy. Meant for
// the start, once this copy holds the settings file (no other copy saves it now).
void CleanUpLeftovers(Disk& disk, std::string_view path);

// The same through the current disk.
inline ReadResult ReadAll(std::string_view path) {
    return Read(CurrentDisk(), path);
}
inline SaveStatus ReplaceAll(std::string_view path, std::string_view bytes) {
    return Save(CurrentDisk(), path, bytes);
}
inline bool MatchesOrdinaryFile(std::string_view pattern) {
    return CurrentDisk().MatchesOrdinaryFile(pattern);
}

}  // namespace kestrune::file_store
