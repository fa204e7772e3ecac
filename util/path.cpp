#include "util/path.hpp"

namespace kestrune {

std::string FolderOfPath(std::string_view program_path) {
    const auto cut = program_path.find_last_of("\\/");
    if (cut == std::string_view::npos) return {};
    std::string_view folder = program_path.substr(0, cut);
    // "C:" alone would name the current folder of drive C, not its root: keep the separator.
    const bool drive_root = folder.size() == 2 && folder[1] == ':';
    if (drive_root || folder.empty()) folder = program_path.substr(0, cut + 1);
    return std::string(folder);
}

}  // namespace kestrune
