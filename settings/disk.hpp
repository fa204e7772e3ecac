// The file layer's view of the disk: the steps that reading and saving the settings file are
// made of. Paths are UTF-8 text; '\' and '/' both separate folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// What became of a read, a save or one step of a save of the settings file: one set of results
// from the disk up to the message the user reads. A new way to fail is a value here, the place
// that finds it, and its words in hotkeys/messages.cpp.
enum class FileResult {
    kOk,              // read, stored (also when the file held it already), or the step done
    kMissing,         // nothing stands at the path (or its folder, drive or share is not there)
    kRefused,         // the section, key or value cannot be stored (a line break in it, ...)
    kInUse,           // another program holds the file (or the new file beside it), or keeps
                      // changing it: it cannot be read now, or neither replaced nor written where
                      // it stands. It is left as it is.
    kNewFileHeld,     // a step only: another program (a virus scanner) holds the new file
    kNotReadable,     // the system refuses this user access to the file
    kTooLarge,        // the file is larger than 1 MiB (`kMaxFileSize`): no settings file
    kUtf16BigEndian,  // the file is in UTF-16 big-endian, which is not written
    kUndecodable,     // the file starts with the UTF-16 mark but is no valid UTF-16
    kReadOnly,        // the file is marked read-only
    kNotAllowed,      // the folder takes no new file, and the file (if any) may not be written;
                      // of a step: the system refused access (to the folder or the file)
    kNotAFile,        // something that is no ordinary file stands at the path
    kBrokenLink,      // a symbolic link stands at the path whose target does not exist
    kEnding,          // the session is ending: no save begins any more
    kAppeared,        // a file stands where a new one was to go (the save was to create it)
    kFailed,          // anything else (a missing folder, a full disk)
};

}  // namespace kestrune

namespace kestrune::file_store {

// The largest file that is read as a settings file. A file that the program writes holds at most
// 27 short lines, well under 1 KiB, and a hand-edited one with comments stays in the kilobytes;
// 1 MiB leaves a thousand times that. The poll reads the file at every tick (ten times a
// second), so the limit also bounds what a wrong file costs it: an idle tick over a 1 MiB file
// takes a few milliseconds (natively), where a 60 MiB one took about 80; a larger file is not
// read at all.
inline constexpr std::size_t kMaxFileSize = 1024 * 1024;

// A read of the whole file: kOk, kMissing, kInUse (another program holds the file in a way that
// forbids reading it now), kNotReadable (the system refuses this user access to it), kTooLarge
// (not read) or kFailed (anything else: a folder, ...).
struct ReadResult {
    FileResult status = FileResult::kFailed;
    std::string bytes;
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
    // When the file was last written, on the clock of `Leftover::modified`.
    std::int64_t modified = 0;
};

// A step of a save is kOk, kNotAllowed (the system refused access), kInUse (another program holds
// the file in a way that forbids the step: a sharing violation), kNewFileHeld, kAppeared or
// kFailed (kMissing, where the system says so, counts as failed). A hold is often brief, and the
// step may be tried again.

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
    virtual FileResult WriteTemporary(std::string_view target, std::string_view bytes,
                                      std::string& temporary) = 0;
    // Renames the temporary file to `target` in one step. With `target_exists` the rename goes
    // over the old file, which stays in place until the new one takes its name; without, it
    // goes only where nothing stands (kAppeared otherwise). When it fails, `target` is as it was.
    virtual FileResult Replace(std::string_view temporary, std::string_view target,
                               bool target_exists) = 0;
    // Rewrites the existing file `target` where it stands, flushed to disk. When the write
    // fails part way, the old bytes are put back as far as the system allows.
    virtual FileResult WriteInPlace(std::string_view target, std::string_view bytes) = 0;
    // Removes a file of the program's beside the target: kOk also when nothing stands there,
    // kInUse when another program holds it (open without delete sharing), or the refusal.
    virtual FileResult Remove(std::string_view temporary) = 0;
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
