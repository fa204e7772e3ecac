// The file layer's view of the disk: the steps that reading and saving the settings file are
// made of. Paths are UTF-8 text; '\' and '/' both separate folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune::file_store {

// How a read of the whole file went. kHeld: another program holds the file in a way that
// forbids reading it now. kDenied: the system refuses this user access to it. kTooLarge: the
// file is larger than `kMaxFileSize` and was not read. kError: anything else (a folder, ...).
enum class ReadStatus { kOk, kMissing, kHeld, kDenied, kTooLarge, kError };

// The largest file that is read as a settings file. A file that the program writes holds at most
// 27 short lines, well under 1 KiB, and a hand-edited one with comments stays in the kilobytes;
// 1 MiB leaves a thousand times that. The poll reads the file at every tick (ten times a
// second), so the limit also bounds what a wrong file costs it: an idle tick over a 1 MiB file
// takes a few milliseconds (natively), where a 60 MiB one took about 80; a larger file is not
// read at all.
inline constexpr std::size_t kMaxFileSize = 1024 * 1024;

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
    kBrokenLink,  // a symbolic link whose target does not exist stands at the path
    kInUse,       // another program holds the file (or the new one) and lets nobody write it
    kEnding,      // the session is ending: no save begins any more
    kAppeared,    // the save was to create the file, and a file stands there now
    kFailed,      // anything else: a missing folder, a full disk, ...
};

// What stands at a path, as a save sees it.
enum class FileKind { kMissing, kWritable, kReadOnly, kNotAFile, kBrokenLink, kUnknown };

struct Inspection {
    FileKind kind = FileKind::kUnknown;
    // The file that a save writes to: the final target of a symbolic link, or the path itself.
    // For kBrokenLink, the target that the link names (as it names it; empty when the system
    // will not say).
    std::string target;
    // The file has more than one name (hard links): a save rewrites it where it stands, so that
    // every name sees the change.
    bool linked = false;
};

// How one step of a save went. kDenied: the system refused access (to the folder or the file).
// kInUse: another program holds the file in a way that forbids the step (a sharing violation);
// kNewFileHeld: another program (a virus scanner) holds the new file so. Such a hold is often
// brief, and the step may be tried again. kExists: a file stands where a new one was to go.
enum class StepStatus { kDone, kDenied, kInUse, kNewFileHeld, kExists, kFailed };

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

    // The whole file. kMissing when neither the file nor something else stands at the path.
    virtual ReadResult ReadAll(std::string_view path) = 0;
    // What stands at `path`, where a save writes and whether the file has other names.
    virtual Inspection Inspect(std::string_view path) = 0;
    // Writes `bytes` to a new file beside `target`, named by `TemporaryPath`, flushed to disk,
    // with the attributes, permissions (and on Windows an explicit access list) of `target` when
    // it exists; `temporary` receives its path. Leaves nothing behind when it fails.
    virtual StepStatus WriteTemporary(std::string_view target, std::string_view bytes,
                                      std::string& temporary) = 0;
    // Renames the temporary file to `target` in one step. With `target_exists` the rename goes
    // over the old file, which stays in place until the new one takes its name; without, it
    // goes only where nothing stands (kExists otherwise). When it fails, `target` is as it was.
    virtual StepStatus Replace(std::string_view temporary, std::string_view target,
                               bool target_exists) = 0;
    // Rewrites the existing file `target` where it stands, flushed to disk. When the write
    // fails part way, the old bytes are put back as far as the system allows.
    virtual StepStatus WriteInPlace(std::string_view target, std::string_view bytes) = 0;
    virtual void Remove(std::string_view temporary) = 0;
    // Waits before a step is tried again.
    virtual void Pause(int milliseconds) = 0;
    // The files beside `target` whose names have the form of `TemporaryPath(target, ...)` or of
    // a backup that earlier versions made ("<target>.<process id>-<n>-old.tmp"), whoever made
    // them.
    virtual std::vector<Leftover> Leftovers(std::string_view target) = 0;
    // True when `pattern` (wildcards '*' and '?' in its last component) matches at least one
    // ordinary file: not a folder, not hidden, not a system file.
    virtual bool MatchesOrdinaryFile(std::string_view pattern) = 0;
};

// The name of the program's new file beside the target, "<target>.<process id>-<n>.tmp".
std::string TemporaryPath(std::string_view target, std::uint32_t process_id, unsigned n);

// What a leftover's name says, when it has one of those forms for `target_name` (the target's
// last component, compared as it is spelled).
struct LeftoverName {
    std::uint32_t process_id = 0;
    bool backup = false;  // the old file, not a new one
};
bool ParseLeftoverName(std::string_view name, std::string_view target_name, LeftoverName& parsed);

}  // namespace kestrune::file_store
