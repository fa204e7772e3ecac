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

// Saves `bytes` as the file at `path`. The normal way is a new file in the same folder, flushed
// and then put in the place of the old one, so that a crash leaves the old file or the new one.
// Where the folder takes no new file (or refuses the replace) but the file itself may be
// written, the file is rewritten in place and flushed instead. A file marked read-only is never
// written.
SaveStatus Save(Disk& disk, std::string_view path, std::string_view bytes);

// The same through the current disk.
inline ReadResult ReadAll(std::string_view path) {
    return CurrentDisk().ReadAll(path);
}
inline SaveStatus ReplaceAll(std::string_view path, std::string_view bytes) {
    return Save(CurrentDisk(), path, bytes);
}
inline bool MatchesOrdinaryFile(std::string_view pattern) {
    return CurrentDisk().MatchesOrdinaryFile(pattern);
}

}  // namespace kestrune::file_store
