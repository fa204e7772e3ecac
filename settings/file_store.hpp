// The few file operations that the settings routines need, one implementation per platform.
// Paths are UTF-8 text; '\' and '/' both separate folders.
#pragma once

#include <string>
#include <string_view>

namespace kestrune::file_store {

enum class ReadStatus { kOk, kMissing, kError };

struct ReadResult {
    ReadStatus status = ReadStatus::kError;
    std::string bytes;
};

// The whole file. kMissing when neither the file nor something else stands at the path;
// kError when it exists but cannot be read (a folder, a file locked by another process).
ReadResult ReadAll(std::string_view path);

// Replaces (or creates) the file in one step: the bytes go to a new file in the same folder,
// which is flushed to disk and then renamed over `path`. Refuses a file marked read-only.
// Returns false, leaving no temporary file behind, when anything fails.
bool ReplaceAll(std::string_view path, std::string_view bytes);

// True when `pattern` (wildcards '*' and '?' in its last component) matches at least one
// ordinary file: not a folder, not hidden, not a system file.
bool MatchesOrdinaryFile(std::string_view pattern);

}  // namespace kestrune::file_store
