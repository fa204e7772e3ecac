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

// Saves `bytes` as the file at `path`, never losing the only copy of what the file held: kOk,
// kReadOnly, kNotAllowed, kNotAFile, kBrokenLink, kInUse, kEnding, kAppeared or kFailed.
// `file_read` says whether the bytes were made from a file read at `path`; when they were made
// from nothing (the read found no file), the save only creates the file and is kAppeared when
// one stands there by now: the caller starts again from what it holds.
// - The normal way is a new file in the same folder, flushed, given the old file's attributes,
//   and renamed over the old one in one step, so that a crash leaves the old file or the new
//   one at the name, never neither.
// - A symbolic link is saved at its final target, so the link stays a link; a link whose target
//   does not exist is not saved at all (kBrokenLink). A file with more than one name (hard
//   links) is rewritten in place and flushed, so every name sees it.
// - Where the folder refuses the new file or the rename, or another program holds the file
//   (tried again a few times within a few tens of milliseconds first), but the file itself may
//   be written, it is rewritten in place and flushed, the old bytes put back on failure. Where
//   another program holds the new file instead, the save is kInUse and the old file stays; the
//   new file goes then, or (still held) after the next save that goes through.
// - A file marked read-only is never written; after `EndSaves` no save begins.
FileResult Save(Disk& disk, std::string_view path, std::string_view bytes, bool file_read);

// From now on, every save is kEnding (the session ends: nothing may be cut off half way).
void EndSaves();
// Saves may begin again (for the tests).
void ResumeSaves();

// Clears what earlier runs left beside the file at `path`: the program's own temporary files
// and the backups of earlier versions, whatever process id their names carry. Where the file
// itself is gone, the newest of them (a new file before an old one) is put in its place instead
// of being removed: it holds the only copy. Only what is older than the file at the name goes
// now; a newer one goes after the next save of this copy. A held file is tried again as in a
// save. Meant for the start, and only when no other copy of the program, in any session, runs
// on the file: then none is in the middle of a save beside it.
void CleanUpLeftovers(Disk& disk, std::string_view path);

// The same through the current disk.
inline ReadResult ReadAll(std::string_view path) {
    return CurrentDisk().ReadAll(path);
}
inline FileResult ReplaceAll(std::string_view path, std::string_view bytes, bool file_read) {
    return Save(CurrentDisk(), path, bytes, file_read);
}
inline bool MatchesOrdinaryFile(std::string_view pattern) {
    return CurrentDisk().MatchesOrdinaryFile(pattern);
}

}  // namespace kestrune::file_store
