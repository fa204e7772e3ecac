#include "settings/settings.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "settings/file_store.hpp"
#include "settings/profile.hpp"
#include "settings/text_encoding.hpp"
#include "util/ascii.hpp"

namespace kestrune {
std::string SettingsPath(std::string_view program_folder) {
    constexpr std::string_view kFileName = "\\settings.ini";
    std::string path;
    path.reserve(program_folder.size() + kFileName.size());
    path.append(program_folder).append(kFileName);
    return path;
}

namespace {

using text_encoding::Encoding;

// The file's text as the profile rules read it, and the encoding it is written back in.
struct SettingsText {
    FileResult status = FileResult::kFailed;
    Encoding encoding = Encoding::kBytes;
    bool decoded = false;  // false for UTF-16 BE, and for UTF-16 LE that is no valid UTF-16
    std::string text;

    bool usable() const { return status == FileResult::kOk && decoded; }
};

// An ANSI or UTF-8 file (the poll's at every tick) costs one look at its first two bytes.
SettingsText ReadText(std::string_view path) {
    file_store::ReadResult file = file_store::ReadAll(path);
    SettingsText read;
    read.status = file.status;
    if (file.status != FileResult::kOk) return read;
    read.encoding = text_encoding::EncodingOf(file.bytes);
    if (read.encoding == Encoding::kBytes) {
        read.decoded = true;
        read.text = std::move(file.bytes);
    } else if (read.encoding == Encoding::kUtf16Le) {
        std::optional<std::string> text = text_encoding::Utf16LeToUtf8(file.bytes);
        read.decoded = text.has_value();
        if (text) read.text = std::move(*text);
    }
    return read;
}

// Why a file that was not read cannot be written either.
FileResult UnreadableResult(const SettingsText& read, std::string_view path) {
    switch (read.status) {
        case FileResult::kOk:
            return read.encoding == Encoding::kUtf16Be ? FileResult::kUtf16BigEndian
                                                       : FileResult::kUndecodable;
        case FileResult::kInUse:
        case FileResult::kNotReadable:
        case FileResult::kTooLarge:
            return read.status;
        default:
            break;
    }
    return file_store::CurrentDisk().Inspect(path).kind == file_store::FileKind::kNotAFile
               ? FileResult::kNotAFile
               : FileResult::kFailed;
}

// A file that appears between the read and the save is read again, a few times at most.
constexpr int kMaxReadsPerWrite = 3;

}  // namespace

StoredSetting ReadStoredSetting(std::string_view section, std::string_view key,
                                std::string_view path, std::string_view default_value) {
    const SettingsText file = ReadText(path);
    if (!file.usable()) return {std::string(default_value), false};
    std::optional<std::string> found = profile::Find(file.text, section, AsciiLower(key));
    if (!found) return {std::string(default_value), true};
    if (found->size() > kMaxValueLength) found->resize(kMaxValueLength);
    if (IsBlank(*found)) return {std::string(default_value), true};
    return {std::move(*found), true};
}

namespace {

std::string ReadableText(std::string_view path) {
    SettingsText file = ReadText(path);
    if (!file.usable()) return {};
    return std::move(file.text);
}

}  // namespace

SettingsSection::SettingsSection(std::string_view section, std::string_view path)
    : bytes_(ReadableText(path)), entries_(bytes_, section) {}

bool SettingsSection::Next(std::string_view& key, std::string_view& value) {
    if (!entries_.Next(key, value)) return false;
    value = value.substr(0, kMaxValueLength);
    // A value read is trimmed: only one in quotes can still be blank.
    if (!value.empty() && value.front() == ' ' && IsBlank(value)) value = {};
    return true;
}

std::string ReadSetting(std::string_view section, std::string_view key, std::string_view path,
                        std::string_view default_value) {
    return ReadStoredSetting(section, key, path, default_value).value;
}

FileResult WriteSetting(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view path) {
    return WriteSettings(section, {{key, value}}, path);
}

FileResult WriteSettings(std::string_view section, std::span<const SettingEntry> entries,
                         std::string_view path) {
    FileResult saved = FileResult::kAppeared;
    for (int read = 0; read < kMaxReadsPerWrite && saved == FileResult::kAppeared; ++read) {
        const SettingsText file = ReadText(path);
        const bool found = file.status != FileResult::kMissing;
        // A file that exists but cannot be read is left alone: replacing it would lose it.
        if (found && !file.usable()) return UnreadableResult(file, path);
        std::optional<std::string> updated = file.text;
        for (const SettingEntry& entry : entries) {
            updated = profile::Store(*updated, section, AsciiLower(entry.key), entry.value);
            if (!updated) return FileResult::kRefused;
        }
        if (found && *updated == file.text) return FileResult::kOk;
        if (file.encoding == Encoding::kUtf16Le) {
            updated = text_encoding::Utf8ToUtf16Le(*updated);
            if (!updated) return FileResult::kRefused;  // a value that is no UTF-8 text
        }
        saved = file_store::ReplaceAll(path, *updated, found);
    }
    // A file that kept appearing: another program is at it.
    return saved == FileResult::kAppeared ? FileResult::kInUse : saved;
}

void EndSettingsWrites() {
    file_store::EndSaves();
}

void RemoveLeftoverFiles(std::string_view path) {
    file_store::CleanUpLeftovers(file_store::CurrentDisk(), path);
}

std::string BrokenLinkTarget(std::string_view path) {
    return file_store::CurrentDisk().Inspect(path).target;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

bool FileExists(std::string_view pattern) {
    if (IsBlank(pattern)) return false;
    return file_store::MatchesOrdinaryFile(pattern);
}

}  // namespace kestrune
