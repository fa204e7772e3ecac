#include "hotkeys/key_table.hpp"

namespace kestrune {

using namespace vk;

// Letters and digits are named by their character; the numeric keypad's operators by theirs.
// The main keyboard's punctuation keys, the Windows keys and F17 to F24 are not here.
// clang-format off
constexpr KeyEntry kKeys[]{
    {'0', "0"}, {'1', "1"}, {'2', "2"}, {'3', "3"}, {'4', "4"}, {'5', "5"}, {'6', "6"}, {'7', "7"},
    {'8', "8"}, {'9', "9"}, {'A', "A"}, {kAdd, "+"}, {'B', "B"}, {kBack, "Back"}, {'C', "C"},
    {kCancel, "Cancel"}, {kCapital, "Capital"}, {kClear, "Clear"}, {kControl, "Control"},
    {'D', "D"}, {kDecimal, "Decimal"}, {kDelete, "Delete"}, {kDivide, "/"}, {kDown, "Down"},
    {'E', "E"}, {kEnd, "End"}, {kEscape, "Escape"}, {kExecute, "Execute"}, {'F', "F"}, {F(1), "F1"},
    {F(2), "F2"}, {F(3), "F3"}, {F(4), "F4"}, {F(5), "F5"}, {F(6), "F6"}, {F(7), "F7"},
    {F(8), "F8"}, {F(9), "F9"}, {F(10), "F10"}, {F(11), "F11"}, {F(12), "F12"}, {F(13), "F13"},
    {F(14), "F14"}, {F(15), "F15"}, {F(16), "F16"}, {'G', "G"}, {'H', "H"}, {kHelp, "Help"},
    {kHome, "Home"}, {'I', "I"}, {kInsert, "Insert"}, {'J', "J"}, {'K', "K"}, {'L', "L"},
    {kLeftButton, "LButton"}, {kLeft, "Left"}, {'M', "M"}, {kMiddleButton, "MButton"},
    {kAlt, "Menu"}, {kMultiply, "*"}, {'N', "N"}, {kNumLock, "Numlock"}, {Numpad(0), "Numpad 0"},
    {Numpad(1), "Numpad 1"}, {Numpad(2), "Numpad 2"}, {Numpad(3), "Numpad 3"},
    {Numpad(4), "Numpad 4"}, {Numpad(5), "Numpad 5"}, {Numpad(6), "Numpad 6"},
    {Numpad(7), "Numpad 7"}, {Numpad(8), "Numpad 8"}, {Numpad(9), "Numpad 9"}, {'O', "O"},
    {'P', "P"}, {kPageDown, "Pagedown"}, {kPageUp, "Pageup"}, {kPause, "Pause"}, {kPrint, "Print"},
    {'Q', "Q"}, {'R', "R"}, {kRightButton, "RButton"}, {kEnter, "Enter"}, {kRight, "Right"},
    {'S', "S"}, {kScrollLock, "ScrollLock"}, {kSelect, "Select"}, {kSeparator, "Separator"},
    {kShift, "Shift"}, {kSnapshot, "Snapshot"}, {kSpace, "Space"}, {kSubtract, "-"}, {'T', "T"},
    {kTab, "Tab"}, {'U', "U"}, {kUp, "Up"}, {'V', "V"}, {'W', "W"}, {'X', "X"}, {'Y', "Y"},
    {'Z', "Z"}
};
// clang-format on
constinit const std::span<const KeyEntry> kKeyTable = kKeys;

std::optional<std::string_view> KeyNameOf(std::int32_t code) {
    for (const KeyEntry& entry : kKeyTable) {
        if (entry.code == code) return entry.name;
    }
    return std::nullopt;
}

}  // namespace kestrune
