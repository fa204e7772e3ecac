// The key table: what holds for every row, the runs and the scan order the key capture relies
// on, a few rows by name, and the names of codes.
#include "hotkeys/key_table.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>

namespace kestrune {
namespace {

// The scan position (from 1) of the row with `code`; 0 when no row has it.
std::size_t PositionOf(std::int32_t code) {
    const auto row = std::find_if(kKeyTable.begin(), kKeyTable.end(),
                                  [code](const KeyEntry& entry) { return entry.code == code; });
    return row == kKeyTable.end() ? 0 : static_cast<std::size_t>(row - kKeyTable.begin()) + 1;
}

// --- The key table ---------------------------------------------------------------------------

TEST(KeyTable, HasOneHundredUniqueCodesAndNamesWithinTheirLimits) {
    EXPECT_EQ(kKeyTable.size(), 100u);
    std::set<std::int32_t> codes;
    std::set<std::string_view> names;
    for (const KeyEntry& entry : kKeyTable) {
        SCOPED_TRACE(std::string(entry.name));
        EXPECT_GE(entry.code, 1);
        EXPECT_LE(entry.code, vk::kScrollLock) << "the highest code of the table";
        EXPECT_GE(entry.name.size(), 1u);
        EXPECT_LE(entry.name.size(), 10u);
        for (char c : entry.name) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << int(c);
        EXPECT_NE(entry.name, "Invalid") << "the text for no key";
        EXPECT_TRUE(codes.insert(entry.code).second) << "duplicate code " << entry.code;
        EXPECT_TRUE(names.insert(entry.name).second) << "duplicate name";
    }
}

TEST(KeyTable, DigitsLettersFunctionKeysAndKeypadDigitsComeInRunsInOrder) {
    // A digit or letter key is named by its character, which is its code; the digits come
    // first and the letters in alphabetical order between the other keys.
    std::size_t previous = 0;
    for (const char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
        SCOPED_TRACE(std::string(1, c));
        const std::size_t position = PositionOf(c);
        ASSERT_GT(position, previous);
        EXPECT_EQ(kKeyTable[position - 1].name, std::string(1, c));
        previous = position;
    }
    EXPECT_EQ(PositionOf('0'), 1u);
    EXPECT_EQ(PositionOf('Z'), kKeyTable.size()) << "Z is the last row";
    // F1 to F16 and Numpad 0 to 9 are runs of consecutive rows.
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(PositionOf(vk::F(n)), PositionOf(vk::F(1)) + n - 1) << n;
        EXPECT_EQ(KeyNameOf(vk::F(n)), "F" + std::to_string(n));
    }
    for (int n = 0; n <= 9; ++n) {
        EXPECT_EQ(PositionOf(vk::Numpad(n)), PositionOf(vk::Numpad(0)) + n) << n;
        EXPECT_EQ(KeyNameOf(vk::Numpad(n)), "Numpad " + std::to_string(n));
    }
}

TEST(KeyTable, NamedRowsSitAtTheirScanPositions) {
    // When several keys are down the capture takes the latest in scan order: with Shift and A
    // down that is Shift, with Shift and T it is T; Menu (Alt) and Control come between the
    // letters the same way.
    const struct {
        std::size_t position;
        std::int32_t code;
        std::string_view name;
    } rows[] = {{11, 'A', "A"},
                {12, vk::kAdd, "+"},
                {19, vk::kControl, "Control"},
                {30, vk::F(1), "F1"},
                {55, vk::kLeftButton, "LButton"},
                {59, vk::kAlt, "Menu"},
                {63, vk::Numpad(0), "Numpad 0"},
                {75, vk::kPageDown, "Pagedown"},
                {82, vk::kEnter, "Enter"},
                {88, vk::kShift, "Shift"},
                {92, 'T', "T"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name));
        ASSERT_LE(row.position, kKeyTable.size());
        EXPECT_EQ(kKeyTable[row.position - 1].code, row.code);
        EXPECT_EQ(kKeyTable[row.position - 1].name, row.name);
    }
}

// --- Names of codes --------------------------------------------------------------------------

TEST(KeyNameOf, GivesTheTablesNameForEachCodeAndNothingForOtherCodes) {
    for (const KeyEntry& entry : kKeyTable) EXPECT_EQ(KeyNameOf(entry.code), entry.name);
    EXPECT_FALSE(KeyNameOf(65536 + 65).has_value());
    EXPECT_FALSE(KeyNameOf(-65).has_value());
    EXPECT_EQ(KeyNameOf(vk::kAlt), "Menu");
    for (std::int32_t code : {0, -1, 146, 186}) EXPECT_FALSE(KeyNameOf(code).has_value()) << code;
}

}  // namespace
}  // namespace kestrune
