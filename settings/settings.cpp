#include "settings/settings.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "settings/file_store.hpp"
#include "settings/profile.hpp"

namespace kestrune {
namespace {

// A value is read into a buffer of 750 characters, one of which holds the terminating NUL.
constexpr std::size_t kMaxValueLength = 749;

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace

std::string SettingsPath(std::string_view program_folder) {
    std::string path(program_folder);
    path += "\\settings.ini";
    return path;
}

std::string ReadSetting(std::string_view section, std::string_view key, std::string_view path,
                        std::string_view default_value) {
    file_store::ReadResult file = file_store::ReadAll(path);
    if (file.status != file_store::ReadStatus::kOk) return std::string(default_value);
    std::optional<std::string> found = profile::Find(file.bytes, section, AsciiLower(key));
    if (!found) return std::string(default_value);
    if (found->size() > kMaxValueLength) found->resize(kMaxValueLength);
    if (IsBlank(*found)) return std::string(default_value);
    return std::move(*found);
}

void WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                  std::string_view path) {
    file_store::ReadResult file = file_store::ReadAll(path);
    // A file that exists but cannot be read is left alone: replacing it would lose its content.
    if (file.status == file_store::ReadStatus::kError) return;
    if (file.status == file_store::ReadStatus::kMissing) file.bytes.clear();
    std::optional<std::string> updated =
        profile::Store(file.bytes, section, AsciiLower(key), value);
    if (!updated) return;
    if (file.status == file_store::ReadStatus::kOk && *updated == file.bytes) return;
    file_store::ReplaceAll(path, *updated);
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

bool FileExists(std::string_view pattern) {
    if (IsBlank(pattern)) return false;
    return file_store::MatchesOrdinaryFile(pattern);
}

}  // namespace kestrune
