#include "hotkeys/key_assignments.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "hotkeys/poll.hpp"
#include "settings/profile.hpp"
#include "settings/settings_names.hpp"

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
        if (profile::AsciiLower(a[i]) != b[i]) return false;
    }
    return true;
}

// The function whose code entry (or, with `name_entry` set, name entry) is `key`, in any case.
const PlayerFunction* FunctionOfEntry(std::string_view key, bool& name_entry) {
    static_assert(kNameSuffix == "_n");
    name_entry = key.size() > 2 && key[key.size() - 2] == '_' && (key.back() | 0x20) == 'n';
    if (name_entry) key.remove_suffix(2);
    if (key.size() > kLongestKey) return nullptr;
    for (unsigned candidates = kFunctionsByLength[key.size()]; candidates != 0;
         candidates &= candidates - 1) {
        const PlayerFunction& function = kCatalogue[std::countr_zero(candidates)];
        if (SameName(key, function.settings_key)) return &function;
    }
    return nullptr;
}

// The settings now hold what was written: in the file, or in the new file that waits beside it
// and that reads find meanwhile.
bool Written(WriteResult result) {
    return result == WriteResult::kStored || result == WriteResult::kKeptBeside;
}

// Writes the code entry, then the name entry; when the name cannot be written, puts the code
// that the file held before back, and says whether that worked.
KeyChange ChangeKey(std::string_view path, const PlayerFunction& function, std::string_view code,
                    std::string_view name) {
    const std::string_view code_entry = function.settings_key;
    const StoredSetting old_code = ReadStoredSetting(kKeysSection, code_entry, path, "");
    KeyChange change;
    change.result = WriteSetting(kKeysSection, code_entry, code, path);
    if (Written(change.result)) {
        const WriteResult code_result = change.result;
        change.result = WriteSetting(kKeysSection, NameEntryOf(function), name, path);
        if (Written(change.result)) {
            // Both written; said so when either waits beside the file.
            if (code_result != WriteResult::kStored) change.result = code_result;
        } else {
            change.half_done = !old_code.readable || !Written(WriteSetting(kKeysSection, code_entry,
                                                                           old_code.value, path));
        }
    }
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
    if (taken_from.empty()) return ChangeKey(path, function, code, key.name);
    // Both entries of every function that had the key are emptied, and this one's written.
    std::vector<std::string> other_names;
    for (const PlayerFunction* other : taken_from) other_names.push_back(NameEntryOf(*other));
    const std::string name_entry = NameEntryOf(function);
    std::vector<SettingEntry> changes;
    for (std::size_t i = 0; i < taken_from.size(); ++i) {
        changes.push_back({taken_from[i]->settings_key, ""});
        changes.push_back({other_names[i], ""});
    }
    changes.push_back({function.settings_key, code});
    changes.push_back({name_entry, key.name});
    KeyChange change;
    change.result = WriteSettings(kKeysSection, changes, path);
    const KeyAssignments now = Read(path);
    change.code = now.CodeOf(function);
    change.name = now.NameOf(function);
    return change;
}

AssignQuestions QuestionsBeforeAssigning(const KeyAssignments& now, const PlayerFunction& function,
                                         const KeyEntry& key) {
    AssignQuestions questions;
    if (now.CodeOf(function) == key.code) return questions;  // its own key: stored as it is
    questions.reserved = ReservedKeyQuestion(key);
    questions.taken_from = now.FunctionsUsing(key.code);
    const std::size_t others = questions.taken_from.size();
    if (others == 0) return questions;
    // "F6 is the key of Play, Stop and Next Track."
    std::string names;
    for (std::size_t i = 0; i < others; ++i) {
        if (i > 0) names += i + 1 < others ? ", " : " and ";
        names += questions.taken_from[i]->display_name;
    }
    questions.taking = std::string(key.name) + " is the key of " + names + ". Use it for " +
                       std::string(function.display_name) + " instead? " +
                       (others == 1 ? names : "They") + " will then have no key.";
    return questions;
}

KeyChange KeyAssignments::Remove(std::string_view path, const PlayerFunction& function) {
    KeyChange change = ChangeKey(path, function, "", "");
    change.removal = true;
    return change;
}

std::string KeyChangeFailureMessage(const KeyChange& change, const PlayerFunction& function,
                                    std::string_view path) {
    std::string lead = change.removal ? "The key was not removed." : "The key was not saved.";
    if (change.result == WriteResult::kKeptBeside) {
        lead = change.removal ? "The key was removed, but not yet in the file itself."
                              : "The key was saved, but not yet in the file itself.";
    } else if (change.half_done) {
        const std::string code_name(change.code ? KeyNameOf(*change.code).value_or("") : "");
        const std::string function_name(function.display_name);
        lead = change.removal ? "The key was removed only in part: "
                              : "The key was saved only in part: ";
        lead += "for " + function_name + " the file now holds ";
        lead += code_name.empty() ? "no code" : "the code of " + code_name;
        lead += " but the old name, so ";
        lead += code_name.empty() ? "no shortcut runs " : "Alt+" + code_name + " runs ";
        lead += function_name + " while the configuration window shows \"" +
                CurrentKeyCaption(change.name) + "\".";
    }
    return WriteFailureMessage(lead, path, change.result);
}

}  // namespace kestrune
