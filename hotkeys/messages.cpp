#include "hotkeys/messages.hpp"

#include <span>

#include "hotkeys/key_assignments.hpp"

namespace kestrune {

// --- The settings file -----------------------------------------------------------------------



// --- Set Key ---------------------------------------------------------------------------------

namespace {

// The keys that Set Key asks about, each with what its combination with Alt does and what that
// means for the user. Kestrune does not take a key away from the program in front, so choosing
// one of them does both things at every use.
struct ReservedKey {
    std::int32_t first_code;  // the key, or the first of a run of keys that share the reason
    std::int32_t last_code;
    std::string_view meaning;
};
constexpr ReservedKey kReservedKeys[] = {
    {vk::F(4), vk::F(4),
     "Alt+F4 closes the window in front. Kestrune does not stop that: every time you use this "
     "shortcut, the program in front closes too."},
    {vk::kTab, vk::kTab,
     "Alt+Tab switches to another window. Kestrune does not stop that: every time you use this "
     "shortcut, Windows switches away from the window in front too."},
    {vk::kEscape, vk::kEscape,
     "Alt+Esc sends the window in front to the back. Kestrune does not stop that: every time you "
     "use this shortcut, the window in front goes behind the others too."},
    {vk::kSpace, vk::kSpace,
     "Alt+Space opens the window menu of the program in front. Kestrune does not stop that: "
     "every time you use this shortcut, that menu opens too."},
    {vk::kEnter, vk::kEnter,
     "Alt+Enter switches many games and video players to full screen and back, and opens the "
     "properties of a file in Explorer. Kestrune does not stop that: every time you use this "
     "shortcut, the program in front does that too."},
    {vk::kAlt, vk::kAlt,
     "Menu is the Alt key itself: the function would run whenever you press Alt, alone or with "
     "any other key, in every program."},
    {vk::kShift, vk::kShift,
     "Alt+Shift switches the input language where more than one is installed. Kestrune does not "
     "stop that: every time you use this shortcut, the language may change too."},
    {vk::Numpad(0), vk::Numpad(9),
     "Alt with the keypad digits types a character by its code (Alt, then 6 and 4 on the keypad, "
     "types @). Kestrune does not stop that: every time you use this shortcut, the program in "
     "front may get a character too."},
};

const ReservedKey* ReservedKeyOf(std::int32_t code) {
    for (const ReservedKey& reserved : kReservedKeys) {
        if (code >= reserved.first_code && code <= reserved.last_code) return &reserved;
    }
    return nullptr;
}

// "Play", "Play and Stop", "Play, Stop and Next Track".
std::string NamesOf(std::span<const PlayerFunction* const> functions) {
    std::string names;
    for (std::size_t i = 0; i < functions.size(); ++i) {
        if (i > 0) names += i + 1 < functions.size() ? ", " : " and ";
        names += functions[i]->display_name;
    }
    return names;
}

}  // namespace

bool IsReservedKey(std::int32_t code) {
    return ReservedKeyOf(code) != nullptr;
}

std::string SetKeyQuestion(const SetKeyOutcome& outcome) {
    const std::string key(outcome.key.name);
    switch (outcome.check) {
        case SetKeyCheck::kReservedCombination: {
            const ReservedKey* reserved = ReservedKeyOf(outcome.key.code);
            return std::string(reserved ? reserved->meaning : "") + " Use " + key + " anyway?";
        }
        case SetKeyCheck::kOtherFunctionsKey: {
            const std::string names = NamesOf(outcome.holders);
            return key + " is the key of " + names + ". Use it for " +
                   std::string(outcome.function->display_name) + " instead? " +
                   (outcome.holders.size() == 1 ? names : "They") + " will then have no key.";
        }
    }
    return {};
}

std::string KeyChangeFailureMessage(const KeyChange& change, std::string_view path) {
    return WriteFailureMessage(
        change.removal ? "The key was not removed." : "The key was not saved.", path,
        change.result);
}



// --- The shortcuts and the program -----------------------------------------------------------



}  // namespace kestrune
