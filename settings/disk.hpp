// The file layer's view of the disk: the steps that reading and saving the settings file are
// made of. Paths are UTF-8 text; '\' and '/' both separate folders.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
    kInUse,       // another program holds the file (or the new one) and lets nobody write it
    kEnding,      // the session is ending: no save begins any more
    kKeptBeside,  // the file was lost part way and the new one cannot take its place: it waits
                  // beside it, and a read puts it in place as soon as it can
    kFailed,      // anything else: a missing folder, a full disk, ...
};

// What stands at a path, as a save sees it.
enum class FileKind { kMissing, kWritable, kReadOnly, kNotAFile, kUnknown };

struct Inspection {
    FileKind kind = FileKind::kUnknown;
    // The file that a save writes to: the final target of a symbolic link, or the path itself.
    std::string target;
    // The file has more than one name (hard links): a save rewrites it where it stands, so that
    // every name sees the change.
    bool linked = false;
};

// How one step of a save went. kDenied: the system refused access (to the folder or the file).
// kInUse: another program holds the file in a way that forbids the step (a sharing violation);
// such a hold is often brief, and the step may be tried again.
enum class StepStatus { kDone, kDenied, kInUse, kFailed };

// A file that an earlier save left beside the target: a temporary file or a backup of ours.
struct Leftover {
    std::string path;
    std::int64_t modified = 0;  // any clock that grows with time, for ordering only
};

// The steps that a save is made of, on one platform. The program uses `SystemDisk()`; tests
// put a disk in front of it that refuses or breaks chosen steps.
class Disk {
  public:
    virtual ~Disk() = default;

    // The whole file. kMissing when neither the file nor something else stands at the path;
    // kError when it exists but cannot be read (a folder, a file locked by another process).
    virtual ReadResult ReadAll(std::string_view path) = 0;
    // What stands at `path`, where a save writes and whether the file has other names.
    virtual Inspection Inspect(std::string_view path) = 0;
    // Writes `bytes` to a new file beside `target`, named by `TemporaryPath`, flushed to disk,
    // with the attributes or permissions of `target` when it exists; `temporary` receives its
    // path. Leaves nothing behind when it fails.
    virtual StepStatus WriteTemporary(std::string_view target, std::string_view bytes,
                                      std::string& temporary) = 0;
    // Puts the temporary file in the place of `target` in one step. An existing target keeps
    // what the system keeps on a replace (its attributes and security on Windows). Leaves no
    // other file behind. When it fails, the target is as it was, or (a replace that broke part
    // way) gone: the caller looks.
    virtual StepStatus Replace(std::string_view temporary, std::string_view target,
                               bool target_exists) = 0;
    // Renames the temporary file to `target`, where nothing stands now.
    virtual StepStatus MoveIntoPlace(std::string_view temporary, std::string_view target) = 0;
    // Rewrites the existing file `target` where it stands, flushed to disk. When the write
    // fails part way, the old bytes are put back as far as the system allows.
    virtual StepStatus WriteInPlace(std::string_view target, std::string_view bytes) = 0;
    virtual void Remove(std::string_view temporary) = 0;
    // Waits before a step is tried again.
    virtual void Pause(int milliseconds) = 0;
    // The files beside `target` whose names have the form of `TemporaryPath(target, ...)` or
    // `BackupPath(target, ...)`, whoever made them.
    virtual std::vector<Leftover> Leftovers(std::string_view target) = 0;
    // True when a process with this id runs now (or may: when the system will not say).
    virtual bool IsRunning(std::uint32_t process_id) = 0;
    // True when `pattern` (wildcards '*' and '?' in its last component) matches at least one
    // ordinary file: not a folder, not hidden, not a system file.
    virtual bool MatchesOrdinaryFile(std::string_view pattern) = 0;
};

// The names of the program's own files beside the target, "<target>.<process id>-<n>.tmp" for
// a new file and "<target>.<process id>-<n>-old.tmp" for the old one kept during a replace.
std::string TemporaryPath(std::string_view target, std::uint32_t process_id, unsigned n);
std::string BackupPath(std::string_view target, std::uint32_t process_id, unsigned n);

// What a leftover's name says, when it has one of those forms for `target_name` (the target's
// last component, compared as it is spelled).
struct LeftoverName {
    std::uint32_t process_id = 0;
    bool backup = false;  // the old file, not a new one
};
bool ParseLeftoverName(std::string_view name, std::string_view target_name, LeftoverName& parsed);

}  // namespace kestrune::file_store
