// The key table: every key in scan order with its name, and the names of codes.
#include "hotkeys/key_table.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kestrune {
namespace {

using Entry = std::pair<std::int32_t, std::string>;

// The key table as it should be, written out row by row in scan order. Digit and letter keys
// have the character's own code and name.
std::vector<Entry> ExpectedTable() {
    std::vector<Entry> t;
    auto key = [&t](std::int32_t code, const char* name) { t.emplace_back(code, name); };
    auto chars = [&t](char first, char last) {
        for (char c = first; c <= last; ++c) t.emplace_back(c, std::string(1, c));
    };
    chars('0', '9');
    chars('A', 'A');
    key(vk::kAdd, "+");
    chars('B', 'B');
    key(vk::kBack, "Back");
    chars('C', 'C');
    key(vk::kCancel, "Cancel");
    key(vk::kCapital, "Capital");
    key(vk::kClear, "Clear");
    key(vk::kControl, "Control");
    chars('D', 'D');
    key(vk::kDecimal, "Decimal");
    key(vk::kDelete, "Delete");
    key(vk::kDivide, "/");
    key(vk::kDown, "Down");
    chars('E', 'E');
    key(vk::kEnd, "End");
    key(vk::kEscape, "Escape");
    key(vk::kExecute, "Execute");
    chars('F', 'F');
    for (int i = 1; i <= 16; ++i) t.emplace_back(vk::F(i), "F" + std::to_string(i));
    chars('G', 'H');
    key(vk::kHelp, "Help");
    key(vk::kHome, "Home");
    chars('I', 'I');
    key(vk::kInsert, "Insert");
    chars('J', 'L');
    key(vk::kLeftButton, "LButton");
    key(vk::kLeft, "Left");
    chars('M', 'M');
    key(vk::kMiddleButton, "MButton");
    key(vk::kAlt, "Menu");
    key(vk::kMultiply, "*");
    chars('N', 'N');
    key(vk::kNumLock, "Numlock");
    for (int i = 0; i <= 9; ++i) t.emplace_back(vk::Numpad(i), "Numpad " + std::to_string(i));
    chars('O', 'P');
    key(vk::kPageDown, "Pagedown");
    key(vk::kPageUp, "Pageup");
    key(vk::kPause, "Pause");
    key(vk::kPrint, "Print");
    chars('Q', 'R');
    key(vk::kRightButton, "RButton");
    key(vk::kEnter, "Enter");
    key(vk::kRight, "Right");
    chars('S', 'S');
    key(vk::kScrollLock, "ScrollLock");
    key(vk::kSelect, "Select");
    key(vk::kSeparator, "Separator");
    key(vk::kShift, "Shift");
    key(vk::kSnapshot, "Snapshot");
    key(vk::kSpace, "Space");
    key(vk::kSubtract, "-");
    chars('T', 'T');
    key(vk::kTab, "Tab");
    chars('U', 'U');
    key(vk::kUp, "Up");
    chars('V', 'Z');
    return t;
}

// --- The key table ---------------------------------------------------------------------------

TEST(KeyTable, ExpectationItselfFollowsTheRowsOfTheTable) {
    // Guards the hand-written expectation: the scan positions of a few landmark rows.
    const auto expected = ExpectedTable();
    ASSERT_EQ(expected.size(), 100u);
    EXPECT_EQ(expected[10], Entry('A', "A"));
    EXPECT_EQ(expected[18], Entry(vk::kControl, "Control"));
    EXPECT_EQ(expected[29], Entry(vk::F(1), "F1"));
    EXPECT_EQ(expected[44], Entry(vk::F(16), "F16"));
    EXPECT_EQ(expected[54], Entry(vk::kLeftButton, "LButton"));
    EXPECT_EQ(expected[58], Entry(vk::kAlt, "Menu"));
    EXPECT_EQ(expected[62], Entry(vk::Numpad(0), "Numpad 0"));
    EXPECT_EQ(expected[71], Entry(vk::Numpad(9), "Numpad 9"));
    EXPECT_EQ(expected[80], Entry(vk::kRightButton, "RButton"));
    EXPECT_EQ(expected[87], Entry(vk::kShift, "Shift"));
    EXPECT_EQ(expected[99], Entry('Z', "Z"));
}

TEST(KeyTable, HasOneHundredUniqueCodesAndNamesWithinTheirLimits) {
    ASSERT_EQ(kKeyTable.size(), 100u);
    std::set<std::int32_t> codes;
    std::set<std::string_view> names;
    for (const KeyEntry& entry : kKeyTable) {
        SCOPED_TRACE(std::string(entry.name));
        EXPECT_GE(entry.code, 1);
        EXPECT_LE(entry.code, vk::kScrollLock) << "the highest code of the table";
        EXPECT_GE(entry.name.size(), 1u);
        EXPECT_LE(entry.name.size(), 10u);
        for (char c : entry.name) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << int(c);
        EXPECT_TRUE(codes.insert(entry.code).second) << "duplicate code " << entry.code;
        EXPECT_TRUE(names.insert(entry.name).second) << "duplicate name";
    }
}

TEST(KeyTable, HoldsEveryKeyInScanOrder) {
    const auto expected = ExpectedTable();
    ASSERT_EQ(kKeyTable.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("scan position " + std::to_string(i + 1));
        EXPECT_EQ(kKeyTable[i].code, expected[i].first);
        EXPECT_EQ(kKeyTable[i].name, expected[i].second);
    }
}

// --- Names of codes --------------------------------------------------------------------------

TEST(KeyNameOf, GivesTheTablesNameForEachCodeAndNothingForOtherCodes) {
    std::map<std::int32_t, std::string> names;
    for (const auto& [code, name] : ExpectedTable()) names[code] = name;
    for (std::int32_t code = -2; code <= 300; ++code) {
        SCOPED_TRACE(code);
        const auto name = KeyNameOf(code);
        const auto it = names.find(code);
        if (it == names.end()) {
            EXPECT_FALSE(name.has_value()) << *name;
        } else {
            ASSERT_TRUE(name.has_value());
            EXPECT_EQ(*name, it->second);
        }
    }
    EXPECT_FALSE(KeyNameOf(65536 + 65).has_value());
    EXPECT_FALSE(KeyNameOf(-65).has_value());
}

TEST(KeyNameOf, SpotChecks) {
    EXPECT_EQ(KeyNameOf(vk::F(6)), "F6");
    EXPECT_EQ(KeyNameOf(vk::Numpad(7)), "Numpad 7");
    EXPECT_EQ(KeyNameOf(vk::kAlt), "Menu");
    EXPECT_EQ(KeyNameOf(vk::kEnter), "Enter");
    for (std::int32_t code : {0, -1, 146, 186}) EXPECT_FALSE(KeyNameOf(code).has_value()) << code;
}

}  // namespace
}  // namespace kestrune
