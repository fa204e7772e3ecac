// The profile-file text rules: what a read finds, and the exact bytes a write produces.
#include "settings/profile.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "util/ascii.hpp"

namespace kestrune::profile {
namespace {

using namespace std::string_literals;

const std::string kExample =
    "[KEYS]\r\n"
    "next track=117\r\n"
    "next track_n=F6\r\n"
    "[OTHER]\r\n"
    "executed=5\r\n";

const std::string kBom = "\xEF\xBB\xBF";

// Shows bytes readably in failure messages: CR, LF, NUL and other control bytes escaped.
std::string Visible(const std::optional<std::string>& text) {
    if (!text) return "(nothing)";
    std::string out = "\"";
    for (unsigned char c : *text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7f) {
            const char* digits = "0123456789abcdef";
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// ---------------------------------------------------------------------------------------------
// Reads

struct FindCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

void PrintTo(const FindCase& c, std::ostream* os) {
    *os << c.name;
}

class ProfileFindTest : public testing::TestWithParam<FindCase> {};

// Find reads the value, and the walk of the whole section gives the same for the key's first
// entry.
TEST_P(ProfileFindTest, FindsTheValue) {
    const FindCase& c = GetParam();
    std::optional<std::string> found = Find(c.content, c.section, c.key);
    EXPECT_EQ(Visible(found), Visible(c.expected)) << "file: " << Visible(c.content);

    std::string asked = AsciiLower(c.key);
    asked.erase(0, asked.find_first_not_of(" \t"));
    asked.erase(asked.find_last_not_of(" \t") + 1);
    std::optional<std::string> walked;
    SectionEntries entries(c.content, c.section);
    std::string_view key, value;
    while (!walked && entries.Next(key, value)) {
        if (AsciiLower(key) == asked) walked = std::string(value);
    }
    EXPECT_EQ(Visible(walked), Visible(c.expected)) << "walked, file: " << Visible(c.content);
}

const FindCase kFindCases[] = {
    {"ExampleFirstEntry", kExample, "KEYS", "next track", "117"},
    {"ExampleSecondEntry", kExample, "KEYS", "next track_n", "F6"},
    {"ExampleOtherSection", kExample, "OTHER", "executed", "5"},
    {"ExampleKeyOfAnotherSection", kExample, "KEYS", "executed", std::nullopt},
    {"ExampleKeyBeforeItsSection", kExample, "OTHER", "next track", std::nullopt},
    {"ExampleMissingSection", kExample, "PLAYER", "next track", std::nullopt},
    {"ExampleMissingKey", kExample, "KEYS", "play", std::nullopt},
    {"ExampleKeyPrefixIsNotTheKey", kExample, "KEYS", "next", std::nullopt},
    {"EmptyFile", "", "KEYS", "next track", std::nullopt},
    {"SectionAskedInOtherCase", kExample, "keys", "next track", "117"},
    {"KeyAskedInOtherCase", kExample, "KEYS", "NEXT TRACK", "117"},
    {"FileInOtherCase", "[Keys]\r\nNext Track=117\r\n", "KEYS", "next track", "117"},
    {"AskedNamesTrimmed", kExample, " \tKEYS\t ", "\t next track \t", "117"},
    {"InnerSpacesOfKeyMatter", kExample, "KEYS", "nexttrack", std::nullopt},
    {"InnerSpacesOfKeyDoubled", kExample, "KEYS", "next  track", std::nullopt},
    {"BlanksAroundKeyAndValue", "[S]\r\n \t key name \t= \t a  value \t \r\n", "S", "key name",
     "a  value"},
    {"BlanksAroundHeaderName", "  [ \tmy section\t ]  \r\nk=v\r\n", "my section", "k", "v"},
    {"EqualsInValue", "[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
    {"KeyEndsAtFirstEquals", "[S]\r\na=b=c\r\n", "S", "a", "b=c"},
    {"EmptyValue", "[S]\r\nk=\r\n", "S", "k", ""},
    {"BlankValue", "[S]\r\nk= \t \r\n", "S", "k", ""},
    {"LineWithoutEqualsIsNoEntry", "[S]\r\nk\r\n", "S", "k", std::nullopt},
    {"BlankKeyNeverFound", "[S]\r\n=v\r\n", "S", "", std::nullopt},
    {"DoubleQuotesRemoved", "[S]\r\nk=\"abc\"\r\n", "S", "k", "abc"},
    {"SingleQuotesRemoved", "[S]\r\nk='abc'\r\n", "S", "k", "abc"},
    {"QuotesRemovedAfterTrimming", "[S]\r\nk= \" a b \" \r\n", "S", "k", " a b "},
    {"OnlyOnePairRemoved", "[S]\r\nk=\"\"abc\"\"\r\n", "S", "k", "\"abc\""},
    {"EmptyQuotes", "[S]\r\nk=\"\"\r\n", "S", "k", ""},
    {"MixedQuotesKept", "[S]\r\nk=\"abc'\r\n", "S", "k", "\"abc'"},
    {"LoneQuoteKept", "[S]\r\nk=\"\r\n", "S", "k", "\""},
    {"QuoteOnOneSideKept", "[S]\r\nk=\"abc\r\n", "S", "k", "\"abc"},
    {"InnerQuotesKept", "[S]\r\nk=a\"b\"c\r\n", "S", "k", "a\"b\"c"},
    {"CommentNotAnEntry", "[S]\r\n;k=v\r\n", "S", "k", std::nullopt},
    {"CommentNotFoundByItsText", "[S]\r\n;k=v\r\n", "S", ";k", std::nullopt},
    {"IndentedCommentNotAnEntry", "[S]\r\n \t;k=v\r\n", "S", "k", std::nullopt},
    {"CommentDoesNotHideLaterEntry", "[S]\r\n;k=old\r\nk=new\r\n", "S", "k", "new"},
    {"SemicolonInsideKeyIsNoComment", "[S]\r\na;b=v\r\n", "S", "a;b", "v"},
    {"HeaderEndsAtFirstBracket", "[a]b]\r\nk=v\r\n", "a", "k", "v"},
    {"HeaderNotNamedPastFirstBracket", "[a]b]\r\nk=v\r\n", "a]b", "k", std::nullopt},
    {"HeaderTextAfterBracketIgnored", "[S] ; note\r\nk=v\r\n", "S", "k", "v"},
    {"HeaderWithoutClosingBracket", "[nob\r\nk=v\r\n", "nob", "k", "v"},
    {"HeaderWithoutBracketTrimmed", "[nob \t\r\nk=v\r\n", "nob", "k", "v"},
    {"EntriesBeforeFirstSectionIgnored", "k=v\r\n[S]\r\nx=y\r\n", "S", "k", std::nullopt},
    {"NoSectionNameMatchesNothing", "k=v\r\n[S]\r\n", "", "k", std::nullopt},
    {"EmptyHeaderNotReadable", "[]\r\nk=v\r\n", "", "k", std::nullopt},
    {"FirstDuplicateKeyCounts", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
    {"FirstDuplicateSectionCounts", "[S]\r\nk=1\r\n[T]\r\n[s]\r\nk=2\r\n", "S", "k", "1"},
    {"LaterDuplicateSectionNeverRead", "[S]\r\na=1\r\n[T]\r\n[S]\r\nk=2\r\n", "S", "k",
     std::nullopt},
    {"SectionEndsAtNextHeader", "[S]\r\n[T]\r\nk=v\r\n", "S", "k", std::nullopt},
    {"LfLineEndings", "[S]\nk=v\nj=w\n", "S", "j", "w"},
    {"LastLineWithoutEnding", "[S]\r\nk=v", "S", "k", "v"},
    {"CarriageReturnBeforeLfNotInValue", "[S]\r\nk=v \r\n", "S", "k", "v"},
    {"LoneCarriageReturnDoesNotEndLine", "[S]\rk=v\r\n", "S", "k", std::nullopt},
    {"ByteOrderMarkBeforeFirstHeader", kBom + "[S]\r\nk=v\r\n", "S", "k", "v"},
    {"ByteOrderMarkOnlyAtStart", "x\r\n" + kBom + "[S]\r\nk=v\r\n", "S", "k", std::nullopt},
    {"NulBytesInValue", "[S]\r\nk=a\0b\r\n"s, "S", "k", "a\0b"s},
    {"NulBytesBeforeSection", "\0\0junk\xff\r\n[S]\r\nk=v\r\n"s, "S", "k", "v"},
    {"VeryLongLineBefore", std::string(100000, 'x') + "\r\n[S]\r\nk=v\r\n", "S", "k", "v"},
    {"VeryLongValue", "[S]\r\nk=" + std::string(5000, 'v') + "\r\n", "S", "k",
     std::string(5000, 'v')},
    {"NonAsciiNamesMatchExactly", "[\xc4\x81]\r\n\xe9=v\r\n", "\xc4\x81", "\xe9", "v"},
    {"NonAsciiNotCaseFolded", "[S]\r\n\xc9=v\r\n", "S", "\xe9", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileFindTest, testing::ValuesIn(kFindCases),
                         [](const testing::TestParamInfo<FindCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Writes

struct StoreCase {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::optional<std::string> after;  // nothing: the write is refused
};

void PrintTo(const StoreCase& c, std::ostream* os) {
    *os << c.name;
}

class ProfileStoreTest : public testing::TestWithParam<StoreCase> {};

TEST_P(ProfileStoreTest, GivesTheExactFile) {
    const StoreCase& c = GetParam();
    std::optional<std::string> after = Store(c.before, c.section, c.key, c.value);
    EXPECT_EQ(Visible(after), Visible(c.after)) << "before: " << Visible(c.before);
}

const std::string kJunk = "\x01\x02\0\xfe\xff \t\x7f"s;

const StoreCase kStoreCases[] = {
    // The example file.
    {"ExampleValueChanged", kExample, "KEYS", "next track", "120",
     "[KEYS]\r\nnext track=120\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=5\r\n"},
    {"ExampleNewEntryBeforeNextSection", kExample, "KEYS", "play", "80",
     "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\nplay=80\r\n[OTHER]\r\nexecuted=5\r\n"},
    {"ExampleNewEntryInLastSection", kExample, "OTHER", "run", "1",
     "[KEYS]\r\nnext track=117\r\nnext track_n=F6\r\n[OTHER]\r\nexecuted=5\r\nrun=1\r\n"},
    {"ExampleNewSection", kExample, "PLAYER", "path", "C:\\x",
     kExample + "[PLAYER]\r\npath=C:\\x\r\n"},
    {"ExampleSameValueGivesSameFile", kExample, "OTHER", "executed", "5", kExample},
    {"EmptyFile", "", "KEYS", "next track", "117", "[KEYS]\r\nnext track=117\r\n"},

    // Existing entries: only the value changes.
    {"UpperCaseKeyUpdatedInPlace", "[OTHER]\r\nEXECUTED=5\r\n", "OTHER", "executed", "7",
     "[OTHER]\r\nEXECUTED=7\r\n"},
    {"SectionMatchedInOtherCase", "[keys]\r\nplay=1\r\n", "KEYS", "play", "2",
     "[keys]\r\nplay=2\r\n"},
    {"SpacingAroundKeyKept", "[S]\r\n \tkey  = old\r\n", "S", "key", "new",
     "[S]\r\n \tkey  = new\r\n"},
    {"BlanksBeforeValueKept", "[S]\r\nk=\t  old\r\n", "S", "k", "new", "[S]\r\nk=\t  new\r\n"},
    {"TrailingBlanksDropped", "[S]\r\nk = old \t \r\n", "S", "k", "new", "[S]\r\nk = new\r\n"},
    {"BlanksOfEmptyOldValueDropped", "[S]\r\nk =   \r\n", "S", "k", "new", "[S]\r\nk =new\r\n"},
    {"EmptyOldValue", "[S]\r\nk=\r\n", "S", "k", "new", "[S]\r\nk=new\r\n"},
    {"QuotedOldValueReplaced", "[S]\r\nk=\"old\"\r\n", "S", "k", "new", "[S]\r\nk=new\r\n"},
    {"EmptyValueDropsBlanksAfterEquals", "[S]\r\nplay = P \r\n", "S", "play", "",
     "[S]\r\nplay =\r\n"},
    {"EmptyValueKeepsEntry", "[S]\r\nplay=P\r\nplay_n=1\r\n", "S", "play", "",
     "[S]\r\nplay=\r\nplay_n=1\r\n"},
    {"EqualsInOldValue", "[S]\r\nk=a=b\r\n", "S", "k", "c", "[S]\r\nk=c\r\n"},
    {"LfEndingKept", "[S]\nk=old\nj=1\n", "S", "k", "new", "[S]\nk=new\nj=1\n"},
    {"LastLineWithoutEndingStaysSo", "[S]\r\nk=old", "S", "k", "new", "[S]\r\nk=new"},
    {"FirstDuplicateKeyWritten", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "9", "[S]\r\nk=9\r\nk=2\r\n"},
    {"FirstDuplicateSectionWritten", "[S]\r\nk=1\r\n[s]\r\nk=2\r\n", "S", "k", "9",
     "[S]\r\nk=9\r\n[s]\r\nk=2\r\n"},
    {"HeaderEndingAtFirstBracket", "[a]b]\r\nk=1\r\n", "a", "k", "2", "[a]b]\r\nk=2\r\n"},
    {"HeaderWithoutBracket", "[nob\r\nk=1\r\n", "nob", "k", "2", "[nob\r\nk=2\r\n"},

    // New entries: after the section's last entry, before comments and blank lines that close it.
    {"NewEntryBeforeTrailingCommentsAndBlanks", "[S]\r\na=1\r\n; about T\r\n\r\n[T]\r\nb=2\r\n",
     "S", "c", "3", "[S]\r\na=1\r\nc=3\r\n; about T\r\n\r\n[T]\r\nb=2\r\n"},
    {"NewEntryAfterCommentBetweenEntries", "[S]\r\na=1\r\n; note\r\nb=2\r\n\r\n", "S", "c", "3",
     "[S]\r\na=1\r\n; note\r\nb=2\r\nc=3\r\n\r\n"},
    {"NewEntryAfterOtherContent", "[S]\r\nsome words\r\n\r\n", "S", "k", "v",
     "[S]\r\nsome words\r\nk=v\r\n\r\n"},
    {"NewEntryRightAfterHeader", "[S]\r\n; c\r\n\r\n[T]\r\n", "S", "k", "v",
     "[S]\r\nk=v\r\n; c\r\n\r\n[T]\r\n"},
    {"CommentedEntryNotReused", "[S]\r\n;k=1\r\n", "S", "k", "2", "[S]\r\nk=2\r\n;k=1\r\n"},
    {"NewEntryAfterHeaderWithoutEnding", "[S]", "S", "k", "v", "[S]\r\nk=v\r\n"},
    {"NewEntryAfterEntryWithoutEnding", "[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
    {"NewEntryInLfFileUsesCrLf", "[S]\na=1\n[T]\nb=2\n", "S", "c", "3",
     "[S]\na=1\nc=3\r\n[T]\nb=2\n"},
    {"NewEntryGoesToFirstDuplicateSection", "[S]\r\na=1\r\n[T]\r\n[S]\r\nk=1\r\n", "S", "k", "2",
     "[S]\r\na=1\r\nk=2\r\n[T]\r\n[S]\r\nk=1\r\n"},
    {"EntryBeforeFirstSectionNotReused", "k=1\r\n[S]\r\n", "S", "k", "2", "k=1\r\n[S]\r\nk=2\r\n"},
    {"NewKeyTrimmed", "[S]\r\n", "S", " \tk \t", "v", "[S]\r\nk=v\r\n"},
    {"NewKeyWithInnerSpaces", "[S]\r\n", "S", "next track", "1", "[S]\r\nnext track=1\r\n"},
    {"NewEmptyValue", "[S]\r\n", "S", "play", "", "[S]\r\nplay=\r\n"},
    {"ValueWrittenAsGiven", "[S]\r\n", "S", "k", " \"a=b\" ", "[S]\r\nk= \"a=b\" \r\n"},

    // New sections: at the very end, no blank line before.
    {"NewSectionAfterLineWithoutEnding", "[S]\r\na=1", "T", "k", "v",
     "[S]\r\na=1\r\n[T]\r\nk=v\r\n"},
    {"NewSectionAfterBlankLines", "[S]\r\na=1\r\n\r\n", "T", "k", "v",
     "[S]\r\na=1\r\n\r\n[T]\r\nk=v\r\n"},
    {"NewSectionInLfFile", "[S]\na=1\n", "T", "k", "v", "[S]\na=1\n[T]\r\nk=v\r\n"},
    {"NewSectionNameTrimmed", "", " \tT\t ", "k", "v", "[T]\r\nk=v\r\n"},
    {"OnlyEntriesWithoutSection", "k=1", "S", "k", "2", "k=1\r\n[S]\r\nk=2\r\n"},

    // Byte order mark.
    {"ByteOrderMarkKeptOnUpdate", kBom + "[S]\r\nk=1\r\n", "S", "k", "2", kBom + "[S]\r\nk=2\r\n"},
    {"ByteOrderMarkKeptOnNewEntry", kBom + "[S]", "S", "k", "v", kBom + "[S]\r\nk=v\r\n"},
    {"ByteOrderMarkAlone", kBom, "S", "k", "v", kBom + "[S]\r\nk=v\r\n"},

    // Bytes the rules do not understand are carried over unchanged.
    {"JunkKeptOnUpdate", kJunk + "\r\n[S]\r\nk=1\r\n" + kJunk + "\n" + kJunk, "S", "k", "2",
     kJunk + "\r\n[S]\r\nk=2\r\n" + kJunk + "\n" + kJunk},
    {"JunkKeptOnNewSection", kJunk + "\r\n\0=\0\n"s, "S", "k", "v",
     kJunk + "\r\n\0=\0\n[S]\r\nk=v\r\n"s},
    {"NulInValueWritten", "[S]\r\n", "S", "k", "a\0b"s, "[S]\r\nk=a\0b\r\n"s},
    {"LoneCarriageReturnInOtherLineKept", "[S]\r\nx\ry\r\nk=1\r\n", "S", "k", "2",
     "[S]\r\nx\ry\r\nk=2\r\n"},
    {"VeryLongLinesKept", std::string(70000, 'x') + "\r\n[S]\r\nk=1\r\n" + std::string(70000, 'y'),
     "S", "k", "2", std::string(70000, 'x') + "\r\n[S]\r\nk=2\r\n" + std::string(70000, 'y')},

    // Refused writes leave nothing to write.
    {"RefusedCrLfInValue", kExample, "KEYS", "play", "a\r\n[X]", std::nullopt},
    {"RefusedLfInValue", kExample, "KEYS", "play", "a\nb", std::nullopt},
    {"RefusedCrInValue", kExample, "KEYS", "play", "a\rb", std::nullopt},
    {"RefusedLineBreakInValueOfExistingEntry", kExample, "KEYS", "next track", "1\n", std::nullopt},
    {"RefusedLfInKey", kExample, "KEYS", "a\nb", "1", std::nullopt},
    {"RefusedCrInSection", kExample, "KEYS\r", "play", "1", std::nullopt},
    {"RefusedBracketInSection", kExample, "a]b", "play", "1", std::nullopt},
    {"RefusedEmptySection", kExample, "", "play", "1", std::nullopt},
    {"RefusedBlankSection", kExample, " \t", "play", "1", std::nullopt},
    {"RefusedEmptyKey", kExample, "KEYS", "", "1", std::nullopt},
    {"RefusedBlankKey", kExample, "KEYS", " \t ", "1", std::nullopt},
    {"RefusedEqualsInKey", kExample, "KEYS", "a=b", "1", std::nullopt},
    {"RefusedKeyStartingWithBracket", kExample, "KEYS", "[X]", "1", std::nullopt},
    {"RefusedKeyStartingWithSemicolon", kExample, "KEYS", ";k", "1", std::nullopt},
    {"RefusedIndentedSemicolonKey", kExample, "KEYS", " \t;k", "1", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileStoreTest, testing::ValuesIn(kStoreCases),
                         [](const testing::TestParamInfo<StoreCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// What a write stores, a read finds again, whatever the file held before.

struct RoundTripCase {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
    *os << c.name;
}

class ProfileRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(ProfileRoundTripTest, ReadsBackWhatWasWritten) {
    const RoundTripCase& c = GetParam();
    const std::string starts[] = {
        "",
        kExample,
        "[" + c.section + "]",
        "; top\n[" + c.section + "]\n" + c.key + " = \"old\"\n;end\n\n[Z]\nq=1",
        kBom + "[" + c.section + "]\r\n" + c.key + "=old",
    };
    for (const std::string& start : starts) {
        SCOPED_TRACE("start: " + Visible(start));
        std::optional<std::string> written = Store(start, c.section, c.key, c.value);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(Visible(Find(*written, c.section, c.key)), Visible(c.value));
        // Storing again what is already there changes nothing.
        EXPECT_EQ(Visible(Store(*written, c.section, c.key, c.value)), Visible(written));
    }
}

const RoundTripCase kRoundTripCases[] = {
    {"Plain", "KEYS", "next track", "117"},
    {"Empty", "KEYS", "play", ""},
    {"BracketInKey", "S", "a]b", "v"},
    {"SemicolonInsideKey", "S", "a;b", "v"},
    {"QuoteInKey", "S", "\"k\"", "v"},
    {"BracketAtSectionStart", "[S", "k", "v"},
    {"EqualsInSection", "a=b", "k", "v"},
    {"EqualsInValue", "S", "k", "x=y=z"},
    {"SemicolonValue", "S", "k", ";v"},
    {"HighBytes", "\xc3\xa9t\xc3\xa9", "cl\xc3\xa9", "\xe2\x82\xac 5"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ProfileRoundTripTest, testing::ValuesIn(kRoundTripCases),
                         [](const testing::TestParamInfo<RoundTripCase>& info) {
                             return std::string(info.param.name);
                         });

// Values that a read does not give back as they were stored (blanks around them, outer quotes)
// read as the read rule says, and storing them again changes nothing: the gap after the '='
// does not grow.
TEST(ProfileStore, IsIdempotentForValuesWithBlanksAndQuotes) {
    const std::pair<std::string, std::string> stored_and_read[] = {
        {" x", "x"},      {"x  ", "x"},   {"\t x \t", "x"},
        {"  ", ""},       {"\"q\"", "q"}, {"' x '", " x "},
        {" \"a\" ", "a"}, {"\"", "\""},   {"'mixed\"", "'mixed\""},
        {"\"\"", ""},
    };
    const std::string starts[] = {"", "[S]\r\nk= x\r\n", "[S]\r\nk=\t old \r\nz=1\r\n",
                                  "[S]\nk=\n"};
    for (const auto& [value, read] : stored_and_read) {
        for (const std::string& start : starts) {
            SCOPED_TRACE(Visible(value) + " into " + Visible(start));
            const std::optional<std::string> once = Store(start, "S", "k", value);
            ASSERT_TRUE(once.has_value());
            EXPECT_EQ(Visible(Find(*once, "S", "k")), Visible(read));
            EXPECT_EQ(Visible(Store(*once, "S", "k", value)), Visible(once));
        }
    }
}

}  // namespace
}  // namespace kestrune::profile
