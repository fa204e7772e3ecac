#include "hotkeys/key_assignments.hpp"

#include "hotkeys/poll.hpp"
#include "settings/settings_names.hpp"

namespace kestrune {
namespace {

// Writes the code entry, then the name entry; when the name cannot be written, puts the code
// that the file held before back, and says whether that worked.
KeyChange ChangeKey(std::string_view path, std::string_view function, std::string_view code,
                    std::string_view name) {
    const StoredSetting old_code = ReadStoredSetting(kKeysSection, function, path, "");
    KeyChange change;
    change.result = WriteSetting(kKeysSection, function, code, path);
    if (!change.stored()) return change;  // the file is as it was
    change.result = WriteSetting(kKeysSection, NameEntryOf(function), name, path);
    if (change.stored()) return change;
    change.half_done = !old_code.readable || WriteSetting(kKeysSection, function, old_code.value,
                                                          path) != WriteResult::kStored;
    return change;
}

}  // namespace

std::string CurrentKeyCaption(std::string_view stored_name) {
    if (stored_name == kUnassignedName) return "Unassigned";
    return std::string(kAltCaptionPrefix) + std::string(stored_name);
}

std::string NameEntryOf(std::string_view function) {
    return std::string(function) + "_n";
}

KeyChange AssignKey(std::string_view path, std::string_view function, const KeyEntry& key) {
    return ChangeKey(path, function, std::to_string(key.code), key.name);
}

KeyChange RemoveKey(std::string_view path, std::string_view function) {
    return ChangeKey(path, function, "", "");
}

std::string KeyChangeFailureMessage(const KeyChange& change, bool removing,
                                    std::string_view function_name, std::string_view function,
                                    std::string_view path) {
    std::string lead = removing ? "The key was not removed." : "The key was not saved.";
    if (change.half_done) {
        // Told from what the file holds now, read afresh.
        const auto code = ParseKeyCode(ReadSetting(kKeysSection, function, path, "0"));
        const std::string code_name(code ? KeyNameOf(*code).value_or("") : "");
        const std::string caption = CurrentKeyCaption(
            ReadSetting(kKeysSection, NameEntryOf(function), path, kUnassignedName));
        lead = removing ? "The key was removed only in part: " : "The key was saved only in part: ";
        lead += "for " + std::string(function_name) + " the file now holds ";
        lead += code_name.empty() ? "no code" : "the code of " + code_name;
        lead += " but the old name, so ";
        lead += code_name.empty() ? "no shortcut runs " : "Alt+" + code_name + " runs ";
        lead += std::string(function_name) + " while the configuration window shows \"" + caption +
                "\".";
    }
    return WriteFailureMessage(lead, path, change.result);
}

}  // namespace kestrune
