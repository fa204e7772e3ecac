// The profile-file rules on text held in memory: what a read finds and what a write changes.
//
// The rules, shared by every platform:
// - Lines end at LF; a CR before the LF belongs to the line ending. Each existing line keeps its
//   own ending; lines that a write adds end in CRLF.
// - A UTF-8 byte order mark at the very start is skipped on read and kept on write.
// - A line whose first non-blank character is ';' is a comment.
// - A line whose first non-blank character is '[' is a section header; the name ends at the
//   first ']' (or at the end of the line) and is trimmed of spaces and tabs.
// - Any other line holding '=' is an entry: the key is the text before the first '=', the value
//   the text after it, both trimmed of spaces and tabs. One matching pair of outer quotes
//   ("..." or '...') is removed from a value on read.
// - Section and key names match without regard to ASCII case. Only the first of duplicate
//   sections, and the first of duplicate keys within it, counts.
// - Lines before the first section header belong to no section and are never read.
// - Bytes are bytes: NUL and other control bytes are kept as they are.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune::profile {

// The ASCII capitals A to Z in lower case, every other byte as it is: the case in which names
// match.
constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string AsciiLower(std::string_view text);

namespace detail {

inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr bool IsBlankChar(char c) {
    return c == ' ' || c == '\t';
}

constexpr std::string_view Trim(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && IsBlankChar(text[first])) ++first;
    std::size_t last = text.size();
    while (last > first && IsBlankChar(text[last - 1])) --last;
    return text.substr(first, last - first);
}

constexpr bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// A trimmed value as a read gives it: one pair of outer quotes removed.
constexpr std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Where the line that starts at `p` ends, at its LF or at `stop`, and where its first '=' is
// (`lf` when it has none). The walk below looks at a line's bytes eight at a time, once, for
// both: a byte equal to `c` is a zero byte of `word ^ c...c`, and the lowest flag that
// `(x - 0x01..01) & ~x & 0x80..80` sets is the first zero byte of `x`.
struct LineBreaks {
    const char* lf;
    const char* equals;
};

inline LineBreaks ScanLine(const char* p, const char* stop) {
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = kOnes << 7;
    const auto first_zero_byte = [](std::uint64_t x) { return (x - kOnes) & ~x & kHigh; };
    const char* equals = nullptr;
    for (; stop - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);  // the first byte is the lowest
        const std::uint64_t lf = first_zero_byte(word ^ (kOnes * '\n'));
        if (equals == nullptr) {
            const std::uint64_t eq = first_zero_byte(word ^ (kOnes * '='));
            if (eq != 0) equals = p + (std::countr_zero(eq) >> 3);
        }
        if (lf != 0) {
            const char* at = p + (std::countr_zero(lf) >> 3);
            return {at, (equals != nullptr && equals < at) ? equals : at};
        }
    }
    for (; p < stop && *p != '\n'; ++p) {
        if (equals == nullptr && *p == '=') equals = p;
    }
    return {p, equals != nullptr ? equals : p};
}

}  // namespace detail

// The value stored under `key` in `section`, or nothing when there is no such entry. The names
// asked for are trimmed of spaces and tabs; a blank section or key finds nothing.
std::optional<std::string> Find(std::string_view content, std::string_view section,
                                std::string_view key);

// The entries of `section` in file order, from one walk of the text: each key with the value
// that Find gives for the first entry of that key. Later duplicates of a key come too; they are
// the ones Find does not see. Nothing is allocated or copied: the keys and values are views of
// `content`.
class SectionEntries {
  public:
    SectionEntries(std::string_view content, std::string_view section);
    // The next entry; false at the end of the section.
    bool Next(std::string_view& key, std::string_view& value);

  private:
    std::string_view content_;
    std::string_view section_;
    std::size_t pos_ = 0;
    bool inside_ = false;
};

// The content after storing `value` under `key` in `section`:
// - an existing entry keeps its line, its key spelling and its place; only the value changes
//   (blanks after the old value go with it);
// - a missing entry goes after the last entry of its section;
// - a missing section is appended at the end of the file, followed by the entry.
// Nothing is returned (the write is refused) when the section, key or value holds CR or LF,
// when the section holds ']', or when the key is blank, holds '=' or starts with '[' or ';'.
std::optional<std::string> Store(std::string_view content, std::string_view section,
                                 std::string_view key, std::string_view value);

// The walk reads each line by the rules above, as Find does, but in one pass that looks at a
// line's bytes once, and at an entry's key and value only inside the section. It is here, to be
// inlined, because the hotkey poll walks [KEYS] at every tick. The fuzz target and the read
// tests check it against Find.
inline bool SectionEntries::Next(std::string_view& key, std::string_view& value) {
    const char* const text = content_.data();
    const std::size_t size = content_.size();
    std::size_t next_line = pos_;
    while (next_line < size) {
        std::size_t first = next_line;
        if (first == 0 && content_.starts_with(detail::kByteOrderMark)) {
            first = detail::kByteOrderMark.size();
        }
        const detail::LineBreaks line = detail::ScanLine(text + first, text + size);
        std::size_t end = static_cast<std::size_t>(line.lf - text);
        const bool lf = end < size;
        next_line = lf ? end + 1 : size;
        // A CR just before the LF belongs to the line ending.
        if (lf && end > first && text[end - 1] == '\r') --end;

        while (first < end && detail::IsBlankChar(text[first])) ++first;
        if (first == end) continue;
        if (text[first] == '[') {
            // Only the first section of the name counts.
            if (inside_) break;
            const std::string_view rest(text + first + 1, end - first - 1);
            inside_ = detail::SameName(detail::Trim(rest.substr(0, rest.find(']'))), section_);
            continue;
        }
        if (!inside_ || text[first] == ';') continue;
        // The key, from its first non-blank byte to its last before the '='.
        std::size_t key_end = static_cast<std::size_t>(line.equals - text);
        if (key_end >= end) continue;
        std::size_t value_start = key_end + 1;
        while (key_end > first && detail::IsBlankChar(text[key_end - 1])) --key_end;
        if (key_end == first) continue;
        while (value_start < end && detail::IsBlankChar(text[value_start])) ++value_start;
        while (end > value_start && detail::IsBlankChar(text[end - 1])) --end;
        pos_ = next_line;
        key = std::string_view(text + first, key_end - first);
        value = detail::Unquoted(std::string_view(text + value_start, end - value_start));
        return true;
    }
    pos_ = size;
    return false;
}

}  // namespace kestrune::profile
