#include "settings/settings.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "settings/file_store.hpp"
#include "settings/profile.hpp"
#include "settings/text_encoding.hpp"

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
    file_store::ReadStatus status = file_store::ReadStatus::kError;
    Encoding encoding = Encoding::kBytes;
    bool decoded = false;  // false for UTF-16 BE, and for UTF-16 LE that is no valid UTF-16
    std::string text;

    bool usable() const { return status == file_store::ReadStatus::kOk && decoded; }
};

// An ANSI or UTF-8 file (the poll's at every tick) costs one look at its first two bytes.
SettingsText ReadText(std::string_view path) {
    file_store::ReadResult file = file_store::ReadAll(path);
    SettingsText read;
    read.status = file.status;
    if (file.status != file_store::ReadStatus::kOk) return read;
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
WriteResult UnreadableResult(const SettingsText& read, std::string_view path) {
    switch (read.status) {
        case file_store::ReadStatus::kOk:
            return read.encoding == Encoding::kUtf16Be ? WriteResult::kUtf16BigEndian
                                                       : WriteResult::kUndecodable;
        case file_store::ReadStatus::kHeld:
            return WriteResult::kInUse;
        case file_store::ReadStatus::kDenied:
            return WriteResult::kNotReadable;
        case file_store::ReadStatus::kTooLarge:
            return WriteResult::kTooLarge;
        case file_store::ReadStatus::kMissing:
        case file_store::ReadStatus::kError:
            break;
    }
    return file_store::CurrentDisk().Inspect(path).kind == file_store::FileKind::kNotAFile
               ? WriteResult::kNotAFile
               : WriteResult::kFailed;
}

WriteResult ResultOf(file_store::SaveStatus status) {
    switch (status) {
        case file_store::SaveStatus::kSaved:
            return WriteResult::kStored;
        case file_store::SaveStatus::kReadOnly:
            return WriteResult::kReadOnly;
        case file_store::SaveStatus::kNotAllowed:
            return WriteResult::kNotAllowed;
        case file_store::SaveStatus::kNotAFile:
            return WriteResult::kNotAFile;
        case file_store::SaveStatus::kBrokenLink:
            return WriteResult::kBrokenLink;
        case file_store::SaveStatus::kInUse:
        case file_store::SaveStatus::kAppeared:  // it kept appearing: another program is at it
            return WriteResult::kInUse;
        case file_store::SaveStatus::kEnding:
            return WriteResult::kEnding;
        case file_store::SaveStatus::kFailed:
            break;
    }
    return WriteResult::kFailed;
}

// A file that appears between the read and the save is read again, a few times at most.
constexpr int kMaxReadsPerWrite = 3;

}  // namespace

StoredSetting ReadStoredSetting(std::string_view section, std::string_view key,
                                std::string_view path, std::string_view default_value) {
    const SettingsText file = ReadText(path);
    if (!file.usable()) return {std::string(default_value), false};
    std::optional<std::string> found = profile::Find(file.text, section, profile::AsciiLower(key));
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
    file_store::SaveStatus saved = file_store::SaveStatus::kAppeared;
    for (int read = 0; read < kMaxReadsPerWrite && saved == file_store::SaveStatus::kAppeared;
         ++read) {
        const SettingsText file = ReadText(path);
        const bool found = file.status != file_store::ReadStatus::kMissing;
        // A file that exists but cannot be read is left alone: replacing it would lose it.
        if (found && !file.usable()) return UnreadableResult(file, path);
        std::optional<std::string> updated = file.text;
        for (const SettingEntry& entry : entries) {
            updated =
                profile::Store(*updated, section, profile::AsciiLower(entry.key), entry.value);
            if (!updated) return WriteResult::kRefused;
        }
        if (found && *updated == file.text) return WriteResult::kStored;
        if (file.encoding == Encoding::kUtf16Le) {
            updated = text_encoding::Utf8ToUtf16Le(*updated);
            if (!updated) return WriteResult::kRefused;  // a value that is no UTF-8 text
        }
        saved = file_store::ReplaceAll(path, *updated, found);
    }
    return ResultOf(saved);
}

void EndSettingsWrites() {
    file_store::EndSaves();
}

void RemoveLeftoverFiles(std::string_view path) {
    file_store::CleanUpLeftovers(file_store::CurrentDisk(), path);
}

namespace {

std::string WriteFailureReason(WriteResult result, std::string_view path) {
    switch (result) {
        case WriteResult::kStored:
            return {};
        case WriteResult::kRefused:
            return "The value cannot be stored in the file.";
        case WriteResult::kInUse:
            return "Another program is using the file. Close that program and try again.";
        case WriteResult::kNotReadable:
            return "Windows does not let Kestrune read the file. Give your user account "
                   "permission to read and change it, or move Kestrune to a folder you can "
                   "write to.";
        case WriteResult::kTooLarge:
            return "The file is larger than 1 MiB, far larger than any settings file, so "
                   "Kestrune neither reads nor changes it. Move it away, and Kestrune starts a "
                   "new one.";
        case WriteResult::kUtf16BigEndian:
            return "The file is saved as UTF-16 big-endian (\"Unicode big endian\"), which "
                   "Kestrune cannot write. Save it as ANSI, UTF-8 or UTF-16 LE (\"Unicode\") in "
                   "an editor and try again.";
        case WriteResult::kUndecodable:
            return "The file starts as UTF-16 LE (\"Unicode\") text but holds bytes that are no "
                   "UTF-16, so Kestrune cannot write it. Save it again in an editor and try "
                   "again.";
        case WriteResult::kReadOnly:
            return "The file is read-only. Clear its read-only attribute, or move Kestrune to a "
                   "folder you can write to.";
        case WriteResult::kNotAllowed:
            return "Kestrune may not write in its folder. Move Kestrune to a folder you can "
                   "write to, such as one in your Documents folder.";
        case WriteResult::kNotAFile:
            return "Something that is not a file stands in its place. Remove it, or move "
                   "Kestrune to another folder.";
        case WriteResult::kBrokenLink: {
            const std::string target = file_store::CurrentDisk().Inspect(path).target;
            return "It is a link to " +
                   (target.empty() ? std::string("a file") : "\"" + target + "\"") +
                   ", which does not exist (a drive or folder that is not there now?). "
                   "Kestrune does not replace the link. Make the target reachable, or remove "
                   "the link.";
        }
        case WriteResult::kEnding:
            return "Windows is ending the session, so nothing more is written.";
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
    message += WriteFailureReason(result, path);
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
