// The file layer's view of the disk: the steps that reading and saving the settings file are
// made of. Paths are UTF-8 text; '\' and '/' both separate folders.
#pragma once

#include <string>
#include <string_view>

namespace kestrune::file_store {

enum class ReadStatus { kOk, kMissing, kError };

struct ReadResult {
    ReadStatus status = ReadStatus::kError;
    std::string bytes;
};

// Why a save did or did not happen.
enum class SaveStatus {
    kSaved,
    kReadOnly,    // the file is marked read-only
    kNotAllowed,  // the folder takes no new file, and the file itself may not be written
    kNotAFile,    // a folder or something else that is no ordinary file stands at the path
    kFailed,      // anything else: a missing folder, a full disk, ...
};

// What stands at a path, as a save sees it.
enum class FileKind { kMissing, kWritable, kReadOnly, kNotAFile, kUnknown };

// How one step of a save went. kDenied: the system refused access (to the folder or the file).
enum class StepStatus { kDone, kDenied, kFailed };

// The steps that a save is made of, on one platform. The program uses `SystemDisk()`; tests
// put a disk in front of it that refuses or breaks chosen steps.
class Disk {
  public:
    virtual ~Disk() = default;

    // The whole file. kMissing when neither the file nor something else stands at the path;
    // kError when it exists but cannot be read (a folder, a file locked by another process).
    virtual ReadResult ReadAll(std::string_view path) = 0;
    // What stands at `path`. `target` receives the path that a save writes to (the file that a
    // symbolic link names, or the path itself).
    virtual FileKind Inspect(std::string_view path, std::string& target) = 0;
    // Writes `bytes` to a new file beside `target`, flushed to disk, with the attributes or
    // permissions of `target` when it exists; `temporary` receives its path. Leaves nothing
    // behind when it fails.
    virtual StepStatus WriteTemporary(std::string_view target, std::string_view bytes,
                                      std::string& temporary) = 0;
    // Puts the temporary file in the place of `target` in one step. An existing target keeps
    // what the system keeps on a replace (its attributes and security on Windows).
    virtual StepStatus Replace(std::string_view temporary, std::string_view target,
                               bool target_exists) = 0;
    // Rewrites the existing file `target` where it stands, flushed to disk. When the write
    // fails part way, the old bytes are put back as far as the system allows.
    virtual StepStatus WriteInPlace(std::string_view target, std::string_view bytes) = 0;
    virtual void Remove(std::string_view temporary) = 0;
    // True when `pattern` (wildcards '*' and '?' in its last component) matches at least one
    // ordinary file: not a folder, not hidden, not a system file.
    virtual bool MatchesOrdinaryFile(std::string_view pattern) = 0;
};

}  // namespace kestrune::file_store
