#include "util/path.hpp"

namespace kestrune {

PathParts SplitPath(std::string_view path) {
    const auto cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos) return {{}, path};
    std::string_view folder = path.substr(0, cut);
    // "C:" alone would name the current folder of drive C, not its root: keep the separator.
    const bool drive_root = folder.size() == 2 && folder[1] == ':';
    if (drive_root || folder.empty()) folder = path.substr(0, cut + 1);
    return {folder, path.substr(cut + 1)};
}

std::string FolderOfPath(std::string_view program_path) {
    return std::string(SplitPath(program_path).folder);
}

std::string PlainPathOf(std::string_view final_path) {
    constexpr std::string_view kLong = "\\\\?\\";
    constexpr std::string_view kLongUnc = "\\\\?\\UNC\\";
    if (final_path.substr(0, kLong.size()) != kLong) return std::string(final_path);
    if (final_path.substr(0, kLongUnc.size()) == kLongUnc) {
        return "\\\\" + std::string(final_path.substr(kLongUnc.size()));
    }
    const std::string_view rest = final_path.substr(kLong.size());
    const bool drive = rest.size() >= 3 && rest[1] == ':' && rest[2] == '\\' &&
                       ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'));
    return drive ? std::string(rest) : std::string();
}

}  // namespace kestrune
