#include "settings/settings.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "settings/file_store.hpp"
#include "settings/profile.hpp"

namespace kestrune {
std::string SettingsPath(std::string_view program_folder) {
    constexpr std::string_view kFileName = "\\settings.ini";
    std::string path;
    path.reserve(program_folder.size() + kFileName.size());
    path.append(program_folder).append(kFileName);
    return path;
}

StoredSetting ReadStoredSetting(std::string_view section, std::string_view key,
                                std::string_view path, std::string_view default_value) {
    file_store::ReadResult file = file_store::ReadAll(path);
    if (file.status != file_store::ReadStatus::kOk) {
        return {std::string(default_value), file.status == file_store::ReadStatus::kMissing};
    }
    std::optional<std::string> found = profile::Find(file.bytes, section, profile::AsciiLower(key));
    if (!found) return {std::string(default_value)};
    if (found->size() > kMaxValueLength) found->resize(kMaxValueLength);
    if (IsBlank(*found)) return {std::string(default_value)};
    return {std::move(*found)};
}

namespace {

std::string ReadableBytes(std::string_view path) {
    file_store::ReadResult file = file_store::ReadAll(path);
    if (file.status != file_store::ReadStatus::kOk) return {};
    return std::move(file.bytes);
}

}  // namespace

SettingsSection::SettingsSection(std::string_view section, std::string_view path)
    : bytes_(ReadableBytes(path)), entries_(bytes_, section) {}

std::string ReadSetting(std::string_view section, std::string_view key, std::string_view path,
                        std::string_view default_value) {
    return ReadStoredSetting(section, key, path, default_value).value;
}

WriteResult WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                         std::string_view path) {
    return WriteSettings(section, {{key, value}}, path);
}

WriteResult WriteSettings(std::string_view section, std::span<const SettingEntry> entries,
                          std::string_view path) {
    file_store::ReadResult file = file_store::ReadAll(path);
    // A file that exists but cannot be read is left alone: replacing it would lose its content.
    if (file.status == file_store::ReadStatus::kError) {
        return file_store::CurrentDisk().Inspect(path).kind == file_store::FileKind::kNotAFile
                   ? WriteResult::kNotAFile
                   : WriteResult::kInUse;
    }
    if (file.status == file_store::ReadStatus::kMissing) file.bytes.clear();
    std::optional<std::string> updated = file.bytes;
    for (const SettingEntry& entry : entries) {
        updated = profile::Store(*updated, section, profile::AsciiLower(entry.key), entry.value);
        if (!updated) return WriteResult::kRefused;
    }
    if (file.status == file_store::ReadStatus::kOk && *updated == file.bytes) {
        return WriteResult::kStored;
    }
    switch (file_store::ReplaceAll(path, *updated)) {
        case file_store::SaveStatus::kSaved:
            return WriteResult::kStored;
        case file_store::SaveStatus::kReadOnly:
            return WriteResult::kReadOnly;
        case file_store::SaveStatus::kNotAllowed:
            return WriteResult::kNotAllowed;
        case file_store::SaveStatus::kNotAFile:
            return WriteResult::kNotAFile;
        case file_store::SaveStatus::kInUse:
            return WriteResult::kInUse;
        case file_store::SaveStatus::kEnding:
            return WriteResult::kEnding;
        case file_store::SaveStatus::kKeptBeside:
            return WriteResult::kKeptBeside;
        case file_store::SaveStatus::kFailed:
            break;
    }
    return WriteResult::kFailed;
}

void EndSettingsWrites() {
    file_store::EndSaves();
}

void RemoveLeftoverFiles(std::string_view path) {
    file_store::CleanUpLeftovers(file_store::CurrentDisk(), path);
}

namespace {

std::string_view WriteFailureReason(WriteResult result) {
    switch (result) {
        case WriteResult::kStored:
            return {};
        case WriteResult::kRefused:
            return "The value cannot be stored in the file.";
        case WriteResult::kInUse:
            return "Another program is using the file. Close that program and try again.";
        case WriteResult::kReadOnly:
            return "The file is read-only. Clear its read-only attribute, or move Kestrune to a "
                   "folder you can write to.";
        case WriteResult::kNotAllowed:
            return "Kestrune may not write in its folder. Move Kestrune to a folder you can "
                   "write to, such as one in your Documents folder.";
        case WriteResult::kNotAFile:
            return "Something that is not a file stands in its place. Remove it, or move "
                   "Kestrune to another folder.";
        case WriteResult::kEnding:
            return "Windows is ending the session, so nothing more is written.";
        case WriteResult::kKeptBeside:
            return "The file was taken away in the middle of the save, and the new settings "
                   "could not take its place: they are kept beside it in a temporary file, and "
                   "take its place as soon as its name is free. Close any program that may "
                   "hold the file.";
        case WriteResult::kFailed:
            break;
    }
    return "The file could not be written; the disk may be full. Free some space, or move "
           "Kestrune to a folder you can write to.";
}

}  // namespace

std::string WriteFailureMessage(std::string_view lead, std::string_view path, WriteResult result) {
    std::string message(lead);
    message += " Kestrune could not write its settings file:\n\n";
    message += path;
    message += "\n\n";
    message += WriteFailureReason(result);
    return message;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

bool FileExists(std::string_view pattern) {
    if (IsBlank(pattern)) return false;
    return file_store::MatchesOrdinaryFile(pattern);
}

}  // namespace kestrune
