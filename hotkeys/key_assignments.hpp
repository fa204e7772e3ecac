// A function's key in the settings file is two entries: its code ("play=65"), which the poll
// tests, and its name ("play_n=A"), which the configuration window shows. Changing a key writes
// both, all or nothing.
#pragma once

#include <string>
#include <string_view>

#include "hotkeys/key_scanner.hpp"
#include "settings/settings.hpp"

namespace kestrune {

// What a function's name entry holds when no key is assigned (also its default).
inline constexpr std::string_view kUnassignedName = "no";
// Put before a key's name wherever an assignment is shown: "ALT + F6".
inline constexpr std::string_view kAltCaptionPrefix = "ALT + ";

// How a stored key name is shown: "Unassigned" for exactly "no", else "ALT + " and the name.
std::string CurrentKeyCaption(std::string_view stored_name);

// The name entry of the function whose code entry is `function`: "play" gives "play_n".
std::string NameEntryOf(std::string_view function);

// How a change of a function's key went. The code is written first and the name after it;
// when the name cannot be written, the old code is put back.
struct KeyChange {
    // kStored when both entries hold the change; else why the (first) write failed.
    WriteResult result = WriteResult::kStored;
    // The code was changed, the name was not, and the old code could not be put back: the two
    // entries now name different keys.
    bool half_done = false;

    bool stored() const { return result == WriteResult::kStored; }
};

// Gives `function` (its code entry's name) the key `key`.
KeyChange AssignKey(std::string_view path, std::string_view function, const KeyEntry& key);
// Empties both of `function`'s entries.
KeyChange RemoveKey(std::string_view path, std::string_view function);

// What the user is told after a change that did not store: that it was lost, or, when it was
// half done, what the two entries now hold and what that means; then the path and the reason.
std::string KeyChangeFailureMessage(const KeyChange& change, bool removing,
                                    std::string_view function_name, std::string_view function,
                                    std::string_view path);

}  // namespace kestrune
