// How a save goes, on every platform; the steps themselves are the platform's.
#include "settings/file_store.hpp"

#include <string>
#include <string_view>

namespace kestrune::file_store {
namespace {

Disk* current_disk = nullptr;

}  // namespace

Disk& CurrentDisk() {
    return current_disk != nullptr ? *current_disk : SystemDisk();
}

Disk* Use(Disk* disk) {
    Disk* previous = current_disk;
    current_disk = disk;
    return previous;
}

SaveStatus Save(Disk& disk, std::string_view path, std::string_view bytes) {
    std::string target;
    const FileKind kind = disk.Inspect(path, target);
    switch (kind) {
        case FileKind::kReadOnly:
            return SaveStatus::kReadOnly;
        case FileKind::kNotAFile:
            return SaveStatus::kNotAFile;
        case FileKind::kUnknown:
            return SaveStatus::kFailed;
        case FileKind::kMissing:
        case FileKind::kWritable:
            break;
    }
    const bool exists = kind == FileKind::kWritable;

    std::string temporary;
    StepStatus step = disk.WriteTemporary(target, bytes, temporary);
    if (step == StepStatus::kDone) {
        step = disk.Replace(temporary, target, exists);
        if (step == StepStatus::kDone) return SaveStatus::kSaved;
        disk.Remove(temporary);
    }
    if (step == StepStatus::kFailed) return SaveStatus::kFailed;
    // The folder refused the new file or the replace. A file that exists may still be
    // writable where it stands.
    if (!exists) return SaveStatus::kNotAllowed;
    switch (disk.WriteInPlace(target, bytes)) {
        case StepStatus::kDone:
            return SaveStatus::kSaved;
        case StepStatus::kDenied:
            return SaveStatus::kNotAllowed;
        case StepStatus::kFailed:
            break;
    }
    return SaveStatus::kFailed;
}

}  // namespace kestrune::file_store
