// The program's whole vocabulary of keys: the virtual-key codes it names, and the table of the
// keys that can be assigned, with the name the user sees for each.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrune {

// Windows virtual-key codes by name. A digit or letter key's code is its character: '0', 'A'.
namespace vk {
inline constexpr std::int32_t kLeftButton = 1;
inline constexpr std::int32_t kRightButton = 2;
inline constexpr std::int32_t kCancel = 3;
inline constexpr std::int32_t kMiddleButton = 4;
inline constexpr std::int32_t kBack = 8;
inline constexpr std::int32_t kTab = 9;
inline constexpr std::int32_t kClear = 12;
inline constexpr std::int32_t kEnter = 13;
inline constexpr std::int32_t kShift = 16;
inline constexpr std::int32_t kControl = 17;
inline constexpr std::int32_t kAlt = 18;  // either Alt key ("Menu")
inline constexpr std::int32_t kPause = 19;
inline constexpr std::int32_t kCapital = 20;
inline constexpr std::int32_t kEscape = 27;
inline constexpr std::int32_t kSpace = 32;
inline constexpr std::int32_t kPageUp = 33;
inline constexpr std::int32_t kPageDown = 34;
inline constexpr std::int32_t kEnd = 35;
inline constexpr std::int32_t kHome = 36;
inline constexpr std::int32_t kLeft = 37;
inline constexpr std::int32_t kUp = 38;
inline constexpr std::int32_t kRight = 39;
inline constexpr std::int32_t kDown = 40;
inline constexpr std::int32_t kSelect = 41;
inline constexpr std::int32_t kPrint = 42;
inline constexpr std::int32_t kExecute = 43;
inline constexpr std::int32_t kSnapshot = 44;
inline constexpr std::int32_t kInsert = 45;
inline constexpr std::int32_t kDelete = 46;
inline constexpr std::int32_t kHelp = 47;
inline constexpr std::int32_t kNumpad0 = 96;  // Numpad 1 to 9 follow in order
inline constexpr std::int32_t kMultiply = 106;
inline constexpr std::int32_t kAdd = 107;
inline constexpr std::int32_t kSeparator = 108;
inline constexpr std::int32_t kSubtract = 109;
inline constexpr std::int32_t kDecimal = 110;
inline constexpr std::int32_t kDivide = 111;
inline constexpr std::int32_t kF1 = 112;  // F2 to F16 follow in order
inline constexpr std::int32_t kNumLock = 144;
inline constexpr std::int32_t kScrollLock = 145;
// Shift, Control and Alt have a code of their own for each side. A keyboard sends only these;
// the codes above (16 to 18) read "down" while either side is.
inline constexpr std::int32_t kLeftShift = 160;
inline constexpr std::int32_t kRightShift = 161;
inline constexpr std::int32_t kLeftControl = 162;
inline constexpr std::int32_t kRightControl = 163;
inline constexpr std::int32_t kLeftAlt = 164;
inline constexpr std::int32_t kRightAlt = 165;

constexpr std::int32_t Numpad(int digit) {
    return kNumpad0 + digit;
}
constexpr std::int32_t F(int number) {
    return kF1 + number - 1;
}

// The left and right keys behind Shift's, Control's or Alt's code for either side.
struct SideKeys {
    std::int32_t left;
    std::int32_t right;
};
constexpr std::optional<SideKeys> SideKeysOf(std::int32_t code) {
    if (code == kShift) return SideKeys{kLeftShift, kRightShift};
    if (code == kControl) return SideKeys{kLeftControl, kRightControl};
    if (code == kAlt) return SideKeys{kLeftAlt, kRightAlt};
    return std::nullopt;
}
}  // namespace vk

struct KeyEntry {
    std::int32_t code;      // Windows virtual-key code, 1 to 145
    std::string_view name;  // what the user sees after "ALT + ": "F6", "Numpad 7", "Menu"
};

// The keys that can be assigned, in scan order: when several are down at one look, the key
// capture takes the one latest in this order. A key that is not here can be neither named nor
// captured.
extern const std::span<const KeyEntry> kKeyTable;

// The table's name for `code`, if it has one.
std::optional<std::string_view> KeyNameOf(std::int32_t code);

}  // namespace kestrune
