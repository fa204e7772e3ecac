// How a save goes, on every platform; the steps themselves are the platform's.
#include "settings/file_store.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "util/ascii.hpp"
#include "util/path.hpp"

namespace kestrune::file_store {
namespace {

Disk* current_disk = nullptr;
bool saves_ended = false;

// A hold that forbids a step (a virus scanner looking at the new file, a sync client) is often
// brief: the step is tried again, within a few tens of milliseconds for the whole save, so that
// the tick that saves does not stall for longer.
constexpr int kRetryPause = 10;  // ms
constexpr int kMaxRetries = 4;

class Retries {
  public:
    explicit Retries(Disk& disk) : disk_(disk) {}
    // True (after a pause) when the step that ended `status` is to be tried again.
    bool Again(FileResult status) {
        if ((status != FileResult::kInUse && status != FileResult::kNewFileHeld) || left_ == 0) {
            return false;
        }
        --left_;
        disk_.Pause(kRetryPause);
        return true;
    }

  private:
    Disk& disk_;
    int left_ = kMaxRetries;
};

// Files of ours that another program (a virus scanner, a sync client) held open when they were
// to be removed: the removal is tried again after every save that goes through, so that a hold
// leaves a file beside the settings file for a moment, never one per blocked save. Past the
// bound (a program that holds every new file for good), a file waits for the next start.
std::vector<std::string> left_to_remove;
constexpr std::size_t kMaxLeftToRemove = 16;

void RemoveLater(std::string_view path) {
    if (left_to_remove.size() < kMaxLeftToRemove) left_to_remove.emplace_back(path);
}

// Removes `path`, tried again while another program holds it; what is still held is removed
// later.
void Remove(Disk& disk, Retries& retries, std::string_view path) {
    FileResult removed = FileResult::kFailed;
    do {
        removed = disk.Remove(path);
    } while (retries.Again(removed));
    if (removed == FileResult::kInUse) RemoveLater(path);
}

// After a save that went through: the file at the name is newer than every file left to remove.
void RemoveWhatWasLeft(Disk& disk) {
    std::erase_if(left_to_remove,
                  [&](const std::string& path) { return disk.Remove(path) != FileResult::kInUse; });
}

// Removes `prefix` (compared without regard to ASCII case) from the front of `text`.
bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (!StartsWithIgnoringCase(text, prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// Removes a run of 1 to 10 digits from the front of `text`; its value goes to `value`.
bool TakeNumber(std::string_view& text, std::uint64_t& value) {
    std::size_t digits = 0;
    value = 0;
    while (digits < text.size() && digits < 11 && text[digits] >= '0' && text[digits] <= '9') {
        value = value * 10 + static_cast<std::uint64_t>(text[digits] - '0');
        ++digits;
    }
    if (digits == 0 || digits > 10) return false;
    text.remove_prefix(digits);
    return true;
}

}  // namespace

Disk& CurrentDisk() {
    return current_disk != nullptr ? *current_disk : SystemDisk();
}

Disk* Use(Disk* disk) {
    Disk* previous = current_disk;
    current_disk = disk;
    return previous;
}

std::string TemporaryPath(std::string_view target, std::uint32_t process_id, unsigned n) {
    return std::string(target) + "." + std::to_string(process_id) + "-" + std::to_string(n) +
           ".tmp";
}

bool ParseLeftoverName(std::string_view name, std::string_view target_name, LeftoverName& parsed) {
    std::uint64_t process_id = 0;
    std::uint64_t n = 0;
    if (target_name.empty() || !TakePrefix(name, target_name) || !TakePrefix(name, ".") ||
        !TakeNumber(name, process_id) || process_id > UINT32_MAX || !TakePrefix(name, "-") ||
        !TakeNumber(name, n)) {
        return false;
    }
    const bool backup = TakePrefix(name, "-old");
    if (!TakePrefix(name, ".tmp") || !name.empty()) return false;
    parsed.process_id = static_cast<std::uint32_t>(process_id);
    parsed.backup = backup;
    return true;
}

void EndSaves() {
    saves_ended = true;
}

void ResumeSaves() {
    saves_ended = false;
}

namespace {

FileResult SaveSteps(Disk& disk, std::string_view path, std::string_view bytes, bool file_read) {
    const Inspection file = disk.Inspect(path);
    switch (file.kind) {
        case FileKind::kReadOnly:
            return FileResult::kReadOnly;
        case FileKind::kNotAFile:
            return FileResult::kNotAFile;
        case FileKind::kBrokenLink:
            return FileResult::kBrokenLink;
        case FileKind::kUnknown:
            return FileResult::kFailed;
        case FileKind::kMissing:
        case FileKind::kWritable:
            break;
    }
    const bool exists = file.kind == FileKind::kWritable;
    // Bytes made from nothing never take the place of a file.
    if (exists && !file_read) return FileResult::kAppeared;
    const std::string& target = file.target;
    Retries retries(disk);

    // Why the file is written in place, if it is: another name shares it, the folder refused
    // (kNotAllowed), or another program holds the file (kInUse).
    FileResult step = FileResult::kNotAllowed;
    if (!(exists && file.linked)) {
        std::string temporary;
        step = disk.WriteTemporary(target, bytes, temporary);
        if (step == FileResult::kOk) {
            do {
                step = disk.Replace(temporary, target, exists);
            } while (retries.Again(step));
            if (step == FileResult::kOk) return FileResult::kOk;
            Remove(disk, retries, temporary);
        }
        switch (step) {
            case FileResult::kAppeared:
                return FileResult::kAppeared;
            case FileResult::kNewFileHeld:
                return FileResult::kInUse;  // the old file is as it was
            case FileResult::kNotAllowed:
            case FileResult::kInUse:
                break;
            default:
                return FileResult::kFailed;
        }
        if (!exists) return step;
    }
    const bool held = step == FileResult::kInUse;
    FileResult in_place = FileResult::kFailed;
    do {
        in_place = disk.WriteInPlace(target, bytes);
    } while (retries.Again(in_place));
    switch (in_place) {
        case FileResult::kOk:
            return FileResult::kOk;
        case FileResult::kNotAllowed:
            return held ? FileResult::kInUse : FileResult::kNotAllowed;
        case FileResult::kInUse:
        case FileResult::kNewFileHeld:
            return FileResult::kInUse;
        default:
            break;
    }
    return FileResult::kFailed;
}

}  // namespace

FileResult Save(Disk& disk, std::string_view path, std::string_view bytes, bool file_read) {
    if (saves_ended) return FileResult::kEnding;
    const FileResult saved = SaveSteps(disk, path, bytes, file_read);
    if (saved == FileResult::kOk && !left_to_remove.empty()) RemoveWhatWasLeft(disk);
    return saved;
}

void CleanUpLeftovers(Disk& disk, std::string_view path) {
    const Inspection file = disk.Inspect(path);
    if (file.kind != FileKind::kMissing && file.kind != FileKind::kWritable &&
        file.kind != FileKind::kReadOnly) {
        return;
    }
    const std::string_view target_name = SplitPath(file.target).name;

    struct Found {
        Leftover leftover;
        bool backup;
    };
    std::vector<Found> found;
    for (Leftover& leftover : disk.Leftovers(file.target)) {
        LeftoverName parsed;
        if (!ParseLeftoverName(SplitPath(leftover.path).name, target_name, parsed)) continue;
        found.push_back({std::move(leftover), parsed.backup});
    }
    // A hold is tried again as in a save; the start waits no longer than a save would.
    Retries retries(disk);
    std::int64_t in_place = file.modified;  // when the file at the name was written
    if (file.kind == FileKind::kMissing) {
        // The newest new file first (flushed before it was to take the name), then the newest
        // old one.
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
            if (a.backup != b.backup) return !a.backup;
            return a.leftover.modified > b.leftover.modified;
        });
        auto placed = std::find_if(found.begin(), found.end(), [&](const Found& candidate) {
            FileResult step = FileResult::kFailed;
            do {
                step = disk.Replace(candidate.leftover.path, file.target, false);
            } while (retries.Again(step));
            return step == FileResult::kOk;
        });
        if (placed == found.end()) return;  // nothing could take the name: all of them stay
        in_place = placed->leftover.modified;
        found.erase(placed);
    }
    for (const Found& leftover : found) {
        if (leftover.leftover.modified < in_place) {
            Remove(disk, retries, leftover.leftover.path);
        } else {
            // Written after the file at the name: a save that a copy elsewhere (on another
            // machine sharing the folder) may be finishing, or one that a lasting hold kept
            // from the name. It goes once a save of this copy has made the file newer.
            RemoveLater(leftover.leftover.path);
        }
    }
}

}  // namespace kestrune::file_store
