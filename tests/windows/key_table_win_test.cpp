// The program's virtual-key codes against the constants of <windows.h>: every code of the key
// table must be the key its name says, so that a captured key is the one the hotkey poll later
// tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <set>
#include <string>

#include "hotkeys/key_table.hpp"

namespace kestrune {
namespace {

TEST(KeyTableWin, TheCodesAreTheSystemsVirtualKeys) {
    const struct {
        std::int32_t ours;
        int system;
        const char* name;
    } codes[] = {
        {vk::kLeftButton, VK_LBUTTON, "LBUTTON"},
        {vk::kRightButton, VK_RBUTTON, "RBUTTON"},
        {vk::kCancel, VK_CANCEL, "CANCEL"},
        {vk::kMiddleButton, VK_MBUTTON, "MBUTTON"},
        {vk::kBack, VK_BACK, "BACK"},
        {vk::kTab, VK_TAB, "TAB"},
        {vk::kClear, VK_CLEAR, "CLEAR"},
        {vk::kEnter, VK_RETURN, "RETURN"},
        {vk::kShift, VK_SHIFT, "SHIFT"},
        {vk::kControl, VK_CONTROL, "CONTROL"},
        {vk::kAlt, VK_MENU, "MENU"},
        {vk::kPause, VK_PAUSE, "PAUSE"},
        {vk::kCapital, VK_CAPITAL, "CAPITAL"},
        {vk::kEscape, VK_ESCAPE, "ESCAPE"},
        {vk::kSpace, VK_SPACE, "SPACE"},
        {vk::kPageUp, VK_PRIOR, "PRIOR"},
        {vk::kPageDown, VK_NEXT, "NEXT"},
        {vk::kEnd, VK_END, "END"},
        {vk::kHome, VK_HOME, "HOME"},
        {vk::kLeft, VK_LEFT, "LEFT"},
        {vk::kUp, VK_UP, "UP"},
        {vk::kRight, VK_RIGHT, "RIGHT"},
        {vk::kDown, VK_DOWN, "DOWN"},
        {vk::kSelect, VK_SELECT, "SELECT"},
        {vk::kPrint, VK_PRINT, "PRINT"},
        {vk::kExecute, VK_EXECUTE, "EXECUTE"},
        {vk::kSnapshot, VK_SNAPSHOT, "SNAPSHOT"},
        {vk::kInsert, VK_INSERT, "INSERT"},
        {vk::kDelete, VK_DELETE, "DELETE"},
        {vk::kHelp, VK_HELP, "HELP"},
        {vk::kMultiply, VK_MULTIPLY, "MULTIPLY"},
        {vk::kAdd, VK_ADD, "ADD"},
        {vk::kSeparator, VK_SEPARATOR, "SEPARATOR"},
        {vk::kSubtract, VK_SUBTRACT, "SUBTRACT"},
        {vk::kDecimal, VK_DECIMAL, "DECIMAL"},
        {vk::kDivide, VK_DIVIDE, "DIVIDE"},
        {vk::kNumLock, VK_NUMLOCK, "NUMLOCK"},
        {vk::kScrollLock, VK_SCROLL, "SCROLL"},
        {vk::kLeftShift, VK_LSHIFT, "LSHIFT"},
        {vk::kRightShift, VK_RSHIFT, "RSHIFT"},
        {vk::kLeftControl, VK_LCONTROL, "LCONTROL"},
        {vk::kRightControl, VK_RCONTROL, "RCONTROL"},
        {vk::kLeftAlt, VK_LMENU, "LMENU"},
        {vk::kRightAlt, VK_RMENU, "RMENU"},
    };
    std::set<int> system_keys;
    for (const auto& code : codes) {
        EXPECT_EQ(code.ours, code.system) << "VK_" << code.name;
        system_keys.insert(code.system);
    }
    for (int n = 0; n <= 9; ++n) {
        EXPECT_EQ(vk::Numpad(n), VK_NUMPAD0 + n) << n;
        system_keys.insert(VK_NUMPAD0 + n);
    }
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(vk::F(n), VK_F1 + n - 1) << n;
        system_keys.insert(VK_F1 + n - 1);
    }
    // Every row is one of those keys, or a digit or letter key, whose code is its character.
    for (const KeyEntry& entry : kKeyTable) {
        const bool character = entry.name.size() == 1 && entry.code == entry.name[0] &&
                               std::isalnum(static_cast<unsigned char>(entry.name[0]));
        EXPECT_TRUE(character || system_keys.count(entry.code)) << entry.name;
    }

    // Ctrl, Alt and Shift are in the table by their either-side codes only; the Windows and
    // application keys, the extra mouse buttons, F17 to F24 and punctuation are not in it.
    for (int code :
         {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN,
          VK_APPS, VK_XBUTTON1, VK_XBUTTON2, VK_F17, VK_F24, VK_OEM_1, VK_OEM_PLUS, VK_OEM_MINUS}) {
        EXPECT_FALSE(KeyNameOf(code).has_value()) << code;
    }
}

}  // namespace
}  // namespace kestrune
