// The key scanner: which key of the key table is the user holding down right now? The key
// capture window asks it at every tick, once for the key's name and once for its code.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "hotkeys/key_state.hpp"
#include "hotkeys/message_pump.hpp"

namespace kestrune {

struct KeyEntry {
    std::int32_t code;      // Windows virtual-key code, 1 to 145
    std::string_view name;  // what the user sees after "ALT + ": "F6", "Numpad 7", "Menu"
};

// The program's whole vocabulary of keys, in scan order. When several keys are down the one
// latest in this order is reported; a key that is not here can be neither named nor captured.
extern const std::array<KeyEntry, 100> kKeyTable;

// What the scanner reports when no key of the table is down.
inline constexpr std::string_view kNoKeyName = "Invalid";
inline constexpr std::int32_t kNoKeyCode = -1;

// The result of one scan: the key's name in name mode, its code in code mode.
using PressedKey = std::variant<std::string_view, std::int32_t>;

// One complete scan: every entry of the table is queried, the last one found down wins, and
// pending messages are processed once before returning. `ReturnName` selects name mode
// ("Invalid" when nothing is down) or code mode (-1).
PressedKey GetPressedKey(bool ReturnName, KeyState& keys, MessagePump& pump);

// The table's name for `code`, if it has one.
std::optional<std::string_view> KeyNameOf(std::int32_t code);

}  // namespace kestrune
