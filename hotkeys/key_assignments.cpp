#include "hotkeys/key_assignments.hpp"

#include <span>
#include <string>
#include <vector>

#include "hotkeys/messages.hpp"
#include "hotkeys/stored_numbers.hpp"
#include "settings/profile.hpp"
#include "settings/settings_names.hpp"
#include "util/ascii.hpp"

namespace kestrune {
namespace {

constexpr std::string_view kNameSuffix = "_n";

std::string NameEntryOf(const PlayerFunction& function) {
    return std::string(function.settings_key) + std::string(kNameSuffix);
}

// The function whose code entry (or, with `name_entry` set, name entry) is `key`, in any case.
const PlayerFunction* FunctionOfEntry(std::string_view key, bool& name_entry) {
    static_assert(kNameSuffix == "_n");
    name_entry = key.size() > 2 && key[key.size() - 2] == '_' && AsciiLower(key.back()) == 'n';
    if (name_entry) key.remove_suffix(2);
    for (const PlayerFunction& function : kCatalogue) {
        if (SameIgnoringCase(key, function.settings_key)) return &function;
    }
    return nullptr;
}

// Writes the entries in one save and reads back what the file holds for `function`.
KeyChange ChangeKey(std::string_view path, const PlayerFunction& function,
                    std::span<const SettingEntry> entries) {
    KeyChange change;
    change.result = WriteSettings(kKeysSection, entries, path);
    const KeyAssignments now = KeyAssignments::Read(path);
    change.code = now.CodeOf(function);
    change.name = now.NameOf(function);
    return change;
}

}  // namespace

std::string CurrentKeyCaption(std::string_view stored_name) {
    if (stored_name == kUnassignedName) return "Unassigned";
    return std::string(kAltCaptionPrefix) + std::string(stored_name);
}

KeyAssignments::KeyAssignments(std::string_view path) : keys_(kKeysSection, path) {
    codes_.fill(std::int16_t{0});
    names_.fill(kUnassignedName);
    std::array<bool, kCatalogue.size()> code_seen{}, name_seen{};
    std::string_view key, value;
    while (keys_.Next(key, value)) {
        bool name_entry = false;
        const PlayerFunction* function = FunctionOfEntry(key, name_entry);
        if (!function) continue;
        const std::size_t i = CatalogueIndex(*function);
        // Only the first entry of a key counts, as for a single read.
        bool& seen = name_entry ? name_seen[i] : code_seen[i];
        if (seen) continue;
        seen = true;
        if (value.empty()) continue;
        if (name_entry) {
            names_[i] = value;
        } else {
            codes_[i] = ParseKeyCode(value);
        }
    }
}

KeyAssignments KeyAssignments::Read(std::string_view path) {
    return KeyAssignments(path);
}

std::string_view KeyAssignments::NameOf(const PlayerFunction& function) const {
    return names_[CatalogueIndex(function)];
}

const PlayerFunction* KeyAssignments::FunctionUsing(std::int32_t code) const {
    if (code == 0) return nullptr;
    for (const PlayerFunction* function : PollOrder()) {
        if (CodeOf(*function) == code) return function;
    }
    return nullptr;
}

std::vector<const PlayerFunction*> KeyAssignments::FunctionsUsing(std::int32_t code) const {
    std::vector<const PlayerFunction*> functions;
    if (code == 0) return functions;
    for (const PlayerFunction& function : kCatalogue) {
        if (CodeOf(function) == code) functions.push_back(&function);
    }
    return functions;
}

std::string KeyAssignments::NeverFiresNote(const PlayerFunction& function) const {
    const auto code = CodeOf(function);
    const PlayerFunction* first = code ? FunctionUsing(*code) : nullptr;
    if (!first || first == &function) return {};
    return "Also " + std::string(first->display_name) + "'s key: never fires.";
}

KeyChange KeyAssignments::Assign(std::string_view path, const PlayerFunction& function,
                                 const KeyEntry& key,
                                 std::span<const PlayerFunction* const> taken_from) {
    const std::string code = std::to_string(key.code);
    // The entries point into these names: reserved, so that none of them moves.
    std::vector<std::string> emptied_names;
    emptied_names.reserve(taken_from.size());
    std::vector<SettingEntry> entries;
    entries.reserve(2 * taken_from.size() + 2);
    for (const PlayerFunction* other : taken_from) {
        emptied_names.push_back(NameEntryOf(*other));
        entries.push_back({other->settings_key, ""});
        entries.push_back({emptied_names.back(), ""});
    }
    const std::string name_entry = NameEntryOf(function);
    entries.push_back({function.settings_key, code});
    entries.push_back({name_entry, key.name});
    return ChangeKey(path, function, entries);
}

KeyChange KeyAssignments::Remove(std::string_view path, const PlayerFunction& function) {
    const std::string name_entry = NameEntryOf(function);
    const SettingEntry entries[] = {{function.settings_key, ""}, {name_entry, ""}};
    KeyChange change = ChangeKey(path, function, entries);
    change.removal = true;
    return change;
}

}  // namespace kestrune
