// The key table against the virtual-key constants of <windows.h>: every code must be the key
// its name says, so that a captured key is the one the hotkey poll later tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "hotkeys/key_table.hpp"

namespace kestrune {
namespace {

struct NamedKey {
    int code;
    const char* name;
};

// The table in scan order, by the system's own constants. Digit and letter keys have no VK_
// constant: their codes are the characters themselves.
const std::vector<NamedKey>& ExpectedTable() {
    static const std::vector<NamedKey> table = {
        {'0', "0"},
        {'1', "1"},
        {'2', "2"},
        {'3', "3"},
        {'4', "4"},
        {'5', "5"},
        {'6', "6"},
        {'7', "7"},
        {'8', "8"},
        {'9', "9"},
        {'A', "A"},
        {VK_ADD, "+"},
        {'B', "B"},
        {VK_BACK, "Back"},
        {'C', "C"},
        {VK_CANCEL, "Cancel"},
        {VK_CAPITAL, "Capital"},
        {VK_CLEAR, "Clear"},
        {VK_CONTROL, "Control"},
        {'D', "D"},
        {VK_DECIMAL, "Decimal"},
        {VK_DELETE, "Delete"},
        {VK_DIVIDE, "/"},
        {VK_DOWN, "Down"},
        {'E', "E"},
        {VK_END, "End"},
        {VK_ESCAPE, "Escape"},
        {VK_EXECUTE, "Execute"},
        {'F', "F"},
        {VK_F1, "F1"},
        {VK_F2, "F2"},
        {VK_F3, "F3"},
        {VK_F4, "F4"},
        {VK_F5, "F5"},
        {VK_F6, "F6"},
        {VK_F7, "F7"},
        {VK_F8, "F8"},
        {VK_F9, "F9"},
        {VK_F10, "F10"},
        {VK_F11, "F11"},
        {VK_F12, "F12"},
        {VK_F13, "F13"},
        {VK_F14, "F14"},
        {VK_F15, "F15"},
        {VK_F16, "F16"},
        {'G', "G"},
        {'H', "H"},
        {VK_HELP, "Help"},
        {VK_HOME, "Home"},
        {'I', "I"},
        {VK_INSERT, "Insert"},
        {'J', "J"},
        {'K', "K"},
        {'L', "L"},
        {VK_LBUTTON, "LButton"},
        {VK_LEFT, "Left"},
        {'M', "M"},
        {VK_MBUTTON, "MButton"},
        {VK_MENU, "Menu"},
        {VK_MULTIPLY, "*"},
        {'N', "N"},
        {VK_NUMLOCK, "Numlock"},
        {VK_NUMPAD0, "Numpad 0"},
        {VK_NUMPAD1, "Numpad 1"},
        {VK_NUMPAD2, "Numpad 2"},
        {VK_NUMPAD3, "Numpad 3"},
        {VK_NUMPAD4, "Numpad 4"},
        {VK_NUMPAD5, "Numpad 5"},
        {VK_NUMPAD6, "Numpad 6"},
        {VK_NUMPAD7, "Numpad 7"},
        {VK_NUMPAD8, "Numpad 8"},
        {VK_NUMPAD9, "Numpad 9"},
        {'O', "O"},
        {'P', "P"},
        {VK_NEXT, "Pagedown"},
        {VK_PRIOR, "Pageup"},
        {VK_PAUSE, "Pause"},
        {VK_PRINT, "Print"},
        {'Q', "Q"},
        {'R', "R"},
        {VK_RBUTTON, "RButton"},
        {VK_RETURN, "Enter"},
        {VK_RIGHT, "Right"},
        {'S', "S"},
        {VK_SCROLL, "ScrollLock"},
        {VK_SELECT, "Select"},
        {VK_SEPARATOR, "Separator"},
        {VK_SHIFT, "Shift"},
        {VK_SNAPSHOT, "Snapshot"},
        {VK_SPACE, "Space"},
        {VK_SUBTRACT, "-"},
        {'T', "T"},
        {VK_TAB, "Tab"},
        {'U', "U"},
        {VK_UP, "Up"},
        {'V', "V"},
        {'W', "W"},
        {'X', "X"},
        {'Y', "Y"},
        {'Z', "Z"},
    };
    return table;
}

TEST(KeyTableWin, EveryEntryIsTheVirtualKeyOfItsName) {
    const auto& expected = ExpectedTable();
    ASSERT_EQ(expected.size(), 100u);
    ASSERT_EQ(kKeyTable.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("scan position " + std::to_string(i + 1) + ", " + expected[i].name);
        EXPECT_EQ(kKeyTable[i].code, expected[i].code);
        EXPECT_EQ(kKeyTable[i].name, expected[i].name);
    }
}

TEST(KeyTableWin, KeysOutsideTheTableHaveNoName) {
    // Ctrl, Alt and Shift are in the table by their either-side codes only; the Windows and
    // application keys, the extra mouse buttons, F17 to F24 and punctuation are not in it.
    for (int code :
         {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN,
          VK_APPS, VK_XBUTTON1, VK_XBUTTON2, VK_F17, VK_F24, VK_OEM_1, VK_OEM_PLUS, VK_OEM_MINUS}) {
        EXPECT_FALSE(KeyNameOf(code).has_value()) << code;
    }
    EXPECT_EQ(KeyNameOf(VK_SHIFT), "Shift");
    EXPECT_EQ(KeyNameOf(VK_CONTROL), "Control");
    EXPECT_EQ(KeyNameOf(VK_MENU), "Menu");
    EXPECT_EQ(vk::kAlt, VK_MENU);
}

}  // namespace
}  // namespace kestrune
