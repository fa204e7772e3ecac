// The key scanner against a fake keyboard and a counting message pump: the key table, the
// winner when several keys are down, the queries a scan makes, and what the capture window
// accepts from a tick's two scans.
#include "hotkeys/key_scanner.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fakes.hpp"

namespace kestrune {
namespace {

using fakes::FakeKeyboard;
using fakes::FakePump;

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
    key(107, "+");
    chars('B', 'B');
    key(8, "Back");
    chars('C', 'C');
    key(3, "Cancel");
    key(20, "Capital");
    key(12, "Clear");
    key(17, "Control");
    chars('D', 'D');
    key(110, "Decimal");
    key(46, "Delete");
    key(111, "/");
    key(40, "Down");
    chars('E', 'E');
    key(35, "End");
    key(27, "Escape");
    key(43, "Execute");
    chars('F', 'F');
    for (int i = 1; i <= 16; ++i) t.emplace_back(111 + i, "F" + std::to_string(i));
    chars('G', 'H');
    key(47, "Help");
    key(36, "Home");
    chars('I', 'I');
    key(45, "Insert");
    chars('J', 'L');
    key(1, "LButton");
    key(37, "Left");
    chars('M', 'M');
    key(4, "MButton");
    key(18, "Menu");
    key(106, "*");
    chars('N', 'N');
    key(144, "Numlock");
    for (int i = 0; i <= 9; ++i) t.emplace_back(96 + i, "Numpad " + std::to_string(i));
    chars('O', 'P');
    key(34, "Pagedown");
    key(33, "Pageup");
    key(19, "Pause");
    key(42, "Print");
    chars('Q', 'R');
    key(2, "RButton");
    key(13, "Enter");
    key(39, "Right");
    chars('S', 'S');
    key(145, "ScrollLock");
    key(41, "Select");
    key(108, "Separator");
    key(16, "Shift");
    key(44, "Snapshot");
    key(32, "Space");
    key(109, "-");
    chars('T', 'T');
    key(9, "Tab");
    chars('U', 'U');
    key(38, "Up");
    chars('V', 'Z');
    return t;
}

std::vector<std::int32_t> ExpectedScanCodes() {
    std::vector<std::int32_t> codes;
    for (const auto& [code, name] : ExpectedTable()) codes.push_back(code);
    return codes;
}

// One scan in name mode; a result of the wrong kind fails the test and gives "<not a name>".
std::string ScanName(KeyState& keys, FakePump& pump) {
    const PressedKey result = GetPressedKey(true, keys, pump);
    const auto* name = std::get_if<std::string_view>(&result);
    if (name == nullptr) {
        ADD_FAILURE() << "name mode returned a code";
        return "<not a name>";
    }
    return std::string(*name);
}

// One scan in code mode; a result of the wrong kind fails the test and gives -2.
std::int32_t ScanCode(KeyState& keys, FakePump& pump) {
    const PressedKey result = GetPressedKey(false, keys, pump);
    const auto* code = std::get_if<std::int32_t>(&result);
    if (code == nullptr) {
        ADD_FAILURE() << "code mode returned a name";
        return -2;
    }
    return *code;
}

// A keyboard whose every key answers with one fixed 16-bit state.
class FixedAnswerKeyboard final : public KeyState {
  public:
    FixedAnswerKeyboard(std::int32_t code, std::uint16_t answer) : code_(code), answer_(answer) {}
    std::int16_t Query(std::int32_t code) override {
        return code == code_ ? static_cast<std::int16_t>(answer_) : 0;
    }

  private:
    std::int32_t code_;
    std::uint16_t answer_;
};

// --- The key table ---------------------------------------------------------------------------

TEST(KeyScannerTable, ExpectationItselfFollowsTheRowsOfTheTable) {
    // Guards the hand-written expectation: the scan positions of a few landmark rows.
    const auto expected = ExpectedTable();
    ASSERT_EQ(expected.size(), 100u);
    EXPECT_EQ(expected[10], Entry(65, "A"));
    EXPECT_EQ(expected[18], Entry(17, "Control"));
    EXPECT_EQ(expected[29], Entry(112, "F1"));
    EXPECT_EQ(expected[44], Entry(127, "F16"));
    EXPECT_EQ(expected[54], Entry(1, "LButton"));
    EXPECT_EQ(expected[58], Entry(18, "Menu"));
    EXPECT_EQ(expected[62], Entry(96, "Numpad 0"));
    EXPECT_EQ(expected[71], Entry(105, "Numpad 9"));
    EXPECT_EQ(expected[80], Entry(2, "RButton"));
    EXPECT_EQ(expected[87], Entry(16, "Shift"));
    EXPECT_EQ(expected[99], Entry(90, "Z"));
}

TEST(KeyScannerTable, HasOneHundredUniqueCodesAndNamesWithinTheirLimits) {
    ASSERT_EQ(kKeyTable.size(), 100u);
    std::set<std::int32_t> codes;
    std::set<std::string_view> names;
    for (const KeyEntry& entry : kKeyTable) {
        SCOPED_TRACE(std::string(entry.name));
        EXPECT_GE(entry.code, 1);
        EXPECT_LE(entry.code, 145);
        EXPECT_GE(entry.name.size(), 1u);
        EXPECT_LE(entry.name.size(), 10u);
        for (char c : entry.name) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << int(c);
        EXPECT_NE(entry.name, kNoKeyName);
        EXPECT_TRUE(codes.insert(entry.code).second) << "duplicate code " << entry.code;
        EXPECT_TRUE(names.insert(entry.name).second) << "duplicate name";
    }
}

TEST(KeyScannerTable, HoldsEveryKeyInScanOrder) {
    const auto expected = ExpectedTable();
    ASSERT_EQ(kKeyTable.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("scan position " + std::to_string(i + 1));
        EXPECT_EQ(kKeyTable[i].code, expected[i].first);
        EXPECT_EQ(kKeyTable[i].name, expected[i].second);
    }
}

TEST(KeyScannerTable, NoKeyValuesAreInvalidAndMinusOne) {
    EXPECT_EQ(kNoKeyName, "Invalid");
    EXPECT_EQ(kNoKeyCode, -1);
}

// --- Which key a scan reports ----------------------------------------------------------------

struct ScanCase {
    const char* label;
    std::vector<std::int32_t> down;
    const char* name;
    std::int32_t code;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.label;
}

class KeyScannerReport : public ::testing::TestWithParam<ScanCase> {};

TEST_P(KeyScannerReport, NameAndCodeModesReportTheLastKeyDownInScanOrder) {
    const ScanCase& c = GetParam();
    FakeKeyboard keys;
    for (std::int32_t code : c.down) keys.Press(code);
    FakePump pump;
    EXPECT_EQ(ScanName(keys, pump), c.name);
    EXPECT_EQ(ScanCode(keys, pump), c.code);
}

INSTANTIATE_TEST_SUITE_P(
    KeyScanner, KeyScannerReport,
    ::testing::Values(
        ScanCase{"Nothing", {}, "Invalid", -1}, ScanCase{"A", {65}, "A", 65},
        ScanCase{"Numpad7", {103}, "Numpad 7", 103}, ScanCase{"KeypadPlus", {107}, "+", 107},
        ScanCase{"Escape", {27}, "Escape", 27}, ScanCase{"F16", {127}, "F16", 127},
        ScanCase{"ShiftA", {16, 65}, "Shift", 16}, ScanCase{"ShiftT", {16, 84}, "T", 84},
        ScanCase{"AltA", {18, 65}, "Menu", 18}, ScanCase{"AltZ", {18, 90}, "Z", 90},
        ScanCase{"CtrlA", {17, 65}, "Control", 17}, ScanCase{"CtrlD", {17, 68}, "D", 68},
        ScanCase{"AltAlone", {18}, "Menu", 18}, ScanCase{"LeftMouse", {1}, "LButton", 1},
        ScanCase{"LeftMouseAfterA", {65, 1}, "LButton", 1},
        ScanCase{"LeftMouseBeforeT", {1, 84}, "T", 84},
        ScanCase{"ZAndShiftAndCtrl", {90, 16, 17}, "Z", 90},
        ScanCase{"OutsideTable", {186, 91, 93, 128, 5, 160, 0, 146, 255}, "Invalid", -1},
        ScanCase{"OutsideTableWithA", {186, 91, 93, 128, 5, 160, 65}, "A", 65}),
    [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.label); });

TEST(KeyScannerScan, EveryKeyOfTheTableAloneIsReportedByItsNameAndCode) {
    for (const auto& [code, name] : ExpectedTable()) {
        SCOPED_TRACE(name);
        FakeKeyboard keys;
        keys.Press(code);
        FakePump pump;
        EXPECT_EQ(ScanName(keys, pump), name);
        EXPECT_EQ(ScanCode(keys, pump), code);
    }
}

TEST(KeyScannerScan, EachKeyOutsideTheTableAloneIsNoKey) {
    for (std::int32_t code : {186, 91, 92, 93, 128, 135, 5, 6, 160, 161, 162, 165, 0, 146}) {
        SCOPED_TRACE(code);
        FakeKeyboard keys;
        keys.Press(code);
        FakePump pump;
        EXPECT_EQ(ScanName(keys, pump), "Invalid");
        EXPECT_EQ(ScanCode(keys, pump), -1);
    }
}

TEST(KeyScannerScan, AnyNonzeroStateCountsAsDown) {
    // Held (high bit), tapped since the last query (low bit), both, or any other bit.
    for (std::uint16_t answer : {0x8000, 0x0001, 0x8001, 0x0002, 0x4000, 0xFFFF}) {
        SCOPED_TRACE(answer);
        FixedAnswerKeyboard keys(84, answer);
        FakePump pump;
        EXPECT_EQ(ScanName(keys, pump), "T");
        EXPECT_EQ(ScanCode(keys, pump), 84);
    }
}

TEST(KeyScannerScan, TappedKeyIsFound) {
    FakeKeyboard keys;
    FakePump pump;
    keys.Tap(65);
    EXPECT_EQ(ScanName(keys, pump), "A");
    keys.Tap(65);
    EXPECT_EQ(ScanCode(keys, pump), 65);
}

TEST(KeyScannerScan, TappedKeyLaterInScanOrderBeatsAHeldOne) {
    FakeKeyboard keys;
    FakePump pump;
    keys.Press(16);  // Shift, entry 88
    keys.Tap(90);    // Z, entry 100
    EXPECT_EQ(ScanCode(keys, pump), 90);
    EXPECT_EQ(ScanCode(keys, pump), 16);  // the tap was reported once
}

// --- What a scan asks, and when messages are processed ---------------------------------------

TEST(KeyScannerQueries, EveryCallQueriesEachCodeOnceInScanOrderThenPumpsOnce) {
    const auto expected = ExpectedScanCodes();
    for (bool name_mode : {true, false}) {
        for (std::vector<std::int32_t> down :
             {std::vector<std::int32_t>{}, std::vector<std::int32_t>{48},  // "0", first
              std::vector<std::int32_t>{65, 16},                           // early hits
              std::vector<std::int32_t>{90}}) {                            // last entry
            SCOPED_TRACE(std::string(name_mode ? "name mode, " : "code mode, ") +
                         std::to_string(down.size()) + " key(s) down");
            FakeKeyboard keys;
            for (std::int32_t code : down) keys.Press(code);
            FakePump pump;
            std::vector<std::size_t> queries_at_pass;
            pump.on_pass = [&] { queries_at_pass.push_back(keys.queries.size()); };

            GetPressedKey(name_mode, keys, pump);

            EXPECT_EQ(keys.queries, expected);
            EXPECT_EQ(pump.passes, 1);
            EXPECT_EQ(queries_at_pass, std::vector<std::size_t>{100u});
        }
    }
}

TEST(KeyScannerQueries, ResultIsTheKeyboardAsScannedBeforeTheMessagePass) {
    // A handler that runs during the pass changes the keyboard; the scan already has its answer.
    FakeKeyboard keys;
    keys.Press(65);
    FakePump pump;
    pump.on_pass = [&] {
        keys.Release(65);
        keys.Press(90);
    };
    EXPECT_EQ(ScanName(keys, pump), "A");
    pump.on_pass = [&] { keys.Release(90); };
    EXPECT_EQ(ScanCode(keys, pump), 90);
    pump.on_pass = nullptr;
    EXPECT_EQ(ScanCode(keys, pump), -1);
    EXPECT_EQ(pump.passes, 3);
    EXPECT_EQ(keys.queries.size(), 300u);
}

TEST(KeyScannerQueries, TwoCallsInARowEachScanAfresh) {
    FakeKeyboard keys;
    FakePump pump;
    keys.Press(65);
    EXPECT_EQ(ScanName(keys, pump), "A");
    keys.Release(65);
    EXPECT_EQ(ScanCode(keys, pump), -1);

    EXPECT_EQ(ScanName(keys, pump), "Invalid");
    keys.Press(66);
    EXPECT_EQ(ScanCode(keys, pump), 66);

    keys.Press(90);
    EXPECT_EQ(ScanName(keys, pump), "Z");
    keys.Release(90);
    EXPECT_EQ(ScanCode(keys, pump), 66);

    EXPECT_EQ(pump.passes, 6);
    EXPECT_EQ(keys.queries.size(), 600u);
}

TEST(KeyScannerQueries, KeyReleasedDuringTheNameScansPassGivesNoCode) {
    FakeKeyboard keys;
    keys.Press(65);
    FakePump pump;
    pump.on_pass = [&] { keys.Release(65); };
    EXPECT_EQ(ScanName(keys, pump), "A");
    EXPECT_EQ(ScanCode(keys, pump), -1);
}

// --- Names of codes --------------------------------------------------------------------------

TEST(KeyScannerNameOf, GivesTheTablesNameForEachCodeAndNothingForOtherCodes) {
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

TEST(KeyScannerNameOf, SpotChecks) {
    EXPECT_EQ(KeyNameOf(117), "F6");
    EXPECT_EQ(KeyNameOf(103), "Numpad 7");
    EXPECT_EQ(KeyNameOf(18), "Menu");
    EXPECT_EQ(KeyNameOf(13), "Enter");
    for (std::int32_t code : {0, -1, 146, 186}) EXPECT_FALSE(KeyNameOf(code).has_value()) << code;
}

}  // namespace
}  // namespace kestrune
