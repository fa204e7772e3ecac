#include "hotkeys/format_count.hpp"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

struct CountCase {
    const char* text;
    const char* separator;
    const char* shown;
};

TEST(FormatCount, GroupsNumbersAboveNineHundredNinetyNine) {
    const CountCase cases[] = {
        {"0", ",", "0"},
        {"999", ",", "999"},
        {"1000", ",", "1,000"},
        {"12345", ",", "12,345"},
        {"999999", ",", "999,999"},
        {"1000000", ",", "1,000,000"},
        {"2147483647", ",", "2,147,483,647"},
        {"1000", ".", "1.000"},
        {"1234567", "\xC2\xA0",
         "1\xC2\xA0"
         "234\xC2\xA0"
         "567"},                     // a two-byte separator
        {"1234567", "", "1234567"},  // a locale without one
        {"0001000", ",", "1,000"},   // no leading zeros
        {"+1000", ",", "1,000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatCount(c.text, c.separator), c.shown) << c.text;
    }
}

TEST(FormatCount, PassesOtherTextThroughUnchanged) {
    for (const char* text :
         {"-1", "-1000", "-2147483648", "", "abc", "12a4", "1 000", "0999", "+999"}) {
        EXPECT_EQ(FormatCount(text, ","), text) << text;
    }
}

}  // namespace
}  // namespace kestrune
