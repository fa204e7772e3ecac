// Which key belongs to which player function. In the settings file a function's key is two
// entries of [KEYS]: its code ("next track=117"), which the poll tests, and its name
// ("next track_n=F6"), which the configuration window shows. Everything that reads or changes
// them goes through here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hotkeys/catalogue.hpp"
#include "hotkeys/key_table.hpp"
#include "settings/settings.hpp"

namespace kestrune {

// What a function's name entry holds when no key is assigned (also its default).
inline constexpr std::string_view kUnassignedName = "no";
// Put before a key's name wherever an assignment is shown: "ALT + F6".
inline constexpr std::string_view kAltCaptionPrefix = "ALT + ";

// How a stored key name is shown: "Unassigned" for exactly "no", else "ALT + " and the name.
std::string CurrentKeyCaption(std::string_view stored_name);

// How a change of a function's key went. The code and the name (and the entries of the
// functions whose key it takes) are written in one save: the file holds all of the change or
// none of it.
struct KeyChange {
    bool removal = false;  // the key was being removed, not assigned
    // kOk when the file holds the change; else why it does not.
    FileResult result = FileResult::kOk;
    // What the file holds for the function afterwards.
    std::optional<std::int16_t> code;
    std::string name;

    bool stored() const { return result == FileResult::kOk; }
};

// Every function's key as the settings file holds it at one moment: all twelve codes and names
// from one read of the file. Nothing is kept beyond the object; read again to see a change.
// The names are views of the bytes read, so the object is neither copied nor moved: it is made
// where it is wanted, `const KeyAssignments keys = KeyAssignments::Read(path);`.
class KeyAssignments {
  public:
    // A file that is missing or cannot be read now gives every function no key.
    static KeyAssignments Read(std::string_view path);
    KeyAssignments(const KeyAssignments&) = delete;
    KeyAssignments& operator=(const KeyAssignments&) = delete;

    // The code the poll tests for `function`: 0 when none is stored, nothing when the entry is
    // no number in range (a hand edit): that function has no key.
    std::optional<std::int16_t> CodeOf(const PlayerFunction& function) const {
        return codes_[CatalogueIndex(function)];
    }
    // The stored name of its key; "no" when there is none.
    std::string_view NameOf(const PlayerFunction& function) const;
    // The function, first in poll order, whose key is `code`; null when none is (or for 0).
    const PlayerFunction* FunctionUsing(std::int32_t code) const;
    // Every function whose key is `code`, in catalogue order; none for 0.
    std::vector<const PlayerFunction*> FunctionsUsing(std::int32_t code) const;
    // What the configuration window says under `function`'s key when a function earlier in
    // poll order has the same key: "Also Next Track's key: never fires."; else nothing.
    std::string NeverFiresNote(const PlayerFunction& function) const;

    // Gives `function` the key `key`, or removes its key, in the file at `path`: both entries
    // or neither (see KeyChange). The two entries of each function in `taken_from` are emptied
    // in the same save: every entry changes, or none.
    static KeyChange Assign(std::string_view path, const PlayerFunction& function,
                            const KeyEntry& key,
                            std::span<const PlayerFunction* const> taken_from = {});
    static KeyChange Remove(std::string_view path, const PlayerFunction& function);

  private:
    explicit KeyAssignments(std::string_view path);

    SettingsSection keys_;  // [KEYS] as read: the names below point into it
    std::array<std::optional<std::int16_t>, kCatalogue.size()> codes_;
    std::array<std::string_view, kCatalogue.size()> names_;
};

// What Set Key asks the user about before it stores a key for a function, named, with the facts
// its question needs (the words are in messages.hpp). Set Key stores the key only after a Yes to
// each.
enum class SetKeyCheck {
    kReservedCombination,  // Alt with the key does something of its own (see IsReservedKey)
    kOtherFunctionsKey,    // other functions have the key now, and would lose it
};
struct SetKeyOutcome {
    SetKeyCheck check;
    KeyEntry key;                                // the key to be stored
    const PlayerFunction* function;              // for this function
    std::vector<const PlayerFunction*> holders;  // kOtherFunctionsKey: they, in catalogue order
};

}  // namespace kestrune
