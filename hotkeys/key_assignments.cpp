#include "hotkeys/key_assignments.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
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

// An entry of [KEYS] is compared only with the functions whose settings key is as long, and
// then whole, a word at a time: the poll matches every entry at each tick.
constexpr std::size_t kLongestKey = 16;
static_assert(std::all_of(kCatalogue.begin(), kCatalogue.end(), [](const PlayerFunction& f) {
    return f.settings_key.size() >= 4 && f.settings_key.size() <= kLongestKey;
}));

// For each length, the functions whose settings key is that long: a bit each, by catalogue
// index.
constexpr auto kFunctionsByLength = [] {
    static_assert(kCatalogue.size() <= 16);
    std::array<std::uint16_t, kLongestKey + 1> functions{};
    for (std::size_t i = 0; i < kCatalogue.size(); ++i) {
        functions[kCatalogue[i].settings_key.size()] |= static_cast<std::uint16_t>(1u << i);
    }
    return functions;
}();

std::uint64_t Bytes8(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

std::uint32_t Bytes4(const char* p) {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// `text` is the settings key `lower` but for the case of its letters. Both are 4 to 16 bytes
// long; files that the program wrote hold the same bytes, which two overlapping words compare.
bool SameName(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    const std::size_t n = text.size();
    const char* a = text.data();
    const char* b = lower.data();
    if (n >= 8 ? Bytes8(a) == Bytes8(b) && Bytes8(a + n - 8) == Bytes8(b + n - 8)
               : Bytes4(a) == Bytes4(b) && Bytes4(a + n - 4) == Bytes4(b + n - 4)) {
        return true;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (AsciiLower(a[i]) != b[i]) return false;
    }
    return true;
}

// The function whose code entry (or, with `name_entry` set, name entry) is `key`, in any case.
const PlayerFunction* FunctionOfEntry(std::string_view key, bool& name_entry) {
    static_assert(kNameSuffix == "_n");
    name_entry = key.size() > 2 && key[key.size() - 2] == '_' && AsciiLower(key.back()) == 'n';
    if (name_entry) key.remove_suffix(2);
    if (key.size() > kLongestKey) return nullptr;
    for (unsigned candidates = kFunctionsByLength[key.size()]; candidates != 0;
         candidates &= candidates - 1) {
        const PlayerFunction& function = kCatalogue[std::countr_zero(candidates)];
        if (SameName(key, function.settings_key)) return &function;
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
