// The profile-file rules, on text in memory. See profile.hpp for the rules themselves.
//
// Each operation walks the text once, line by line, without building any table of lines: the
// read, the walk of a section and the store read a line the same way, through `Classify`.
#include "settings/profile.hpp"

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "util/ascii.hpp"

namespace kestrune::profile {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

constexpr std::string_view kNewLine = "\r\n";

// One line of the text. `text` runs from the line's first byte up to its ending; `ending` is
// "\n", "\r\n" or empty (the last line of a text that does not end in a line break).
struct Line {
    std::size_t start = 0;
    std::string_view text;
    std::string_view ending;
    std::size_t end() const { return start + text.size() + ending.size(); }
};

// Steps through the lines of a text.
class LineReader {
  public:
    explicit LineReader(std::string_view content, std::size_t pos = 0)
        : content_(content), pos_(pos) {}
    std::size_t pos() const { return pos_; }

    bool Next(Line& line) {
        if (pos_ >= content_.size()) return false;
        const char* base = content_.data();
        const void* found = std::memchr(base + pos_, '\n', content_.size() - pos_);
        line.start = pos_;
        if (found == nullptr) {
            line.text = content_.substr(pos_);
            line.ending = {};
            pos_ = content_.size();
            return true;
        }
        std::size_t lf = static_cast<std::size_t>(static_cast<const char*>(found) - base);
        std::size_t text_end = (lf > pos_ && content_[lf - 1] == '\r') ? lf - 1 : lf;
        line.text = content_.substr(pos_, text_end - pos_);
        line.ending = content_.substr(text_end, lf + 1 - text_end);
        pos_ = lf + 1;
        return true;
    }

  private:
    std::string_view content_;
    std::size_t pos_ = 0;
};

enum class Kind { kBlank, kComment, kHeader, kEntry, kOther };

// What a line means. `name` is the section name of a header or the key of an entry; `raw_value`
// is everything after the entry's '=' (untrimmed); `equals` is the offset of that '=' in the line.
struct Meaning {
    Kind kind = Kind::kBlank;
    std::string_view name;
    std::string_view raw_value;
    std::size_t equals = 0;
};

// `text` is the line's text; the first line of a file comes here without its byte order mark.
Meaning Classify(std::string_view text) {
    Meaning meaning;
    std::size_t first = 0;
    while (first < text.size() && IsBlankChar(text[first])) ++first;
    if (first == text.size()) return meaning;
    if (text[first] == ';') {
        meaning.kind = Kind::kComment;
        return meaning;
    }
    if (text[first] == '[') {
        std::string_view rest = text.substr(first + 1);
        meaning.kind = Kind::kHeader;
        meaning.name = Trim(rest.substr(0, rest.find(']')));
        return meaning;
    }
    std::size_t equals = text.find('=', first);
    if (equals == std::string_view::npos) {
        meaning.kind = Kind::kOther;
        return meaning;
    }
    meaning.kind = Kind::kEntry;
    meaning.name = Trim(text.substr(0, equals));
    meaning.raw_value = text.substr(equals + 1);
    meaning.equals = equals;
    return meaning;
}

// The line's meaning, skipping the byte order mark that may open the file's first line.
Meaning ClassifyLine(const Line& line) {
    std::string_view text = line.text;
    if (line.start == 0 && text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    return Classify(text);
}

bool HasLineBreak(std::string_view text) {
    return text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
}

// An entry's value as a read gives it: trimmed, and one pair of outer quotes ("..." or '...')
// removed.
std::string_view ValueOf(const Meaning& entry) {
    std::string_view value = Trim(entry.raw_value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// Where a section and one of its entries lie in the text.
struct Location {
    bool section_found = false;
    bool entry_found = false;
    Line entry;             // the entry's line, when found
    Meaning entry_meaning;  // and what it holds
    Line last_content;      // the section's last line that is neither blank nor a comment
                            // (the header itself when there is none)
};

Location Locate(std::string_view content, std::string_view section, std::string_view key) {
    Location where;
    LineReader reader(content);
    Line line;
    bool inside = false;
    while (reader.Next(line)) {
        Meaning meaning = ClassifyLine(line);
        if (meaning.kind == Kind::kHeader) {
            // Only the first section of a name counts: the next header, whatever its name,
            // ends the search.
            if (inside) break;
            if (SameIgnoringCase(meaning.name, section)) {
                inside = true;
                where.section_found = true;
                where.last_content = line;
            }
            continue;
        }
        if (!inside) continue;
        if (meaning.kind == Kind::kEntry && SameIgnoringCase(meaning.name, key)) {
            where.entry_found = true;
            where.entry = line;
            where.entry_meaning = meaning;
            return where;
        }
        if (meaning.kind == Kind::kEntry || meaning.kind == Kind::kOther) where.last_content = line;
    }
    return where;
}

}  // namespace

std::optional<std::string> Find(std::string_view content, std::string_view section,
                                std::string_view key) {
    section = Trim(section);
    key = Trim(key);
    // No entry has a blank key, and a write never makes a section with a blank name.
    if (section.empty() || key.empty()) return std::nullopt;
    Location where = Locate(content, section, key);
    if (!where.entry_found) return std::nullopt;
    return std::string(ValueOf(where.entry_meaning));
}

SectionEntries::SectionEntries(std::string_view content, std::string_view section)
    : content_(content), section_(Trim(section)) {
    // A write never makes a section with a blank name.
    if (section_.empty()) pos_ = content_.size();
}

bool SectionEntries::Next(std::string_view& key, std::string_view& value) {
    LineReader reader(content_, pos_);
    Line line;
    while (reader.Next(line)) {
        const Meaning meaning = ClassifyLine(line);
        if (meaning.kind == Kind::kHeader) {
            // Only the first section of the name counts.
            if (inside_) break;
            inside_ = SameIgnoringCase(meaning.name, section_);
            continue;
        }
        // No entry has a blank key.
        if (!inside_ || meaning.kind != Kind::kEntry || meaning.name.empty()) continue;
        pos_ = reader.pos();
        key = meaning.name;
        value = ValueOf(meaning);
        return true;
    }
    pos_ = content_.size();
    return false;
}

// Details of a write beyond what the header states:
// - The section and key are written trimmed of spaces and tabs; the value is written as given.
// - Rewriting an entry keeps its line up to the '=', then the blanks that stood between the '='
//   and the old value (when both the old and the new value are non-empty and the new value
//   does not begin with a blank), then the new value, then the line's own ending. Blanks that
//   followed the old value are dropped with it. Storing the same value twice changes nothing.
// - A new entry goes after the section's last line that is neither blank nor a comment, so
//   comments and blank lines that close a section stay below it. When that line is the last of
//   the file and has no line ending, it is given CRLF first.
// - A new section goes at the very end, after CRLF is given to a last line without one.
std::optional<std::string> Store(std::string_view content, std::string_view section,
                                 std::string_view key, std::string_view value) {
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return std::nullopt;
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || section.find(']') != std::string_view::npos) return std::nullopt;
    if (key.empty() || key.find('=') != std::string_view::npos || key.front() == '[' ||
        key.front() == ';') {
        return std::nullopt;
    }

    Location where = Locate(content, section, key);
    std::string out;

    if (where.entry_found) {
        const Line& line = where.entry;
        std::string_view raw = where.entry_meaning.raw_value;
        std::size_t blanks = 0;
        while (blanks < raw.size() && IsBlankChar(raw[blanks])) ++blanks;
        // Blanks only keep the value apart from the '='; with no old value or no new one they
        // would end the line, so they go. A value that begins with blanks of its own brings
        // its own gap: keeping the old one as well would grow the gap at every store.
        if (blanks == raw.size() || value.empty() || IsBlankChar(value.front())) blanks = 0;
        std::size_t keep = line.start + where.entry_meaning.equals + 1 + blanks;
        // An entry that counts is never the file's first line (its header comes before it), so
        // no byte order mark shifts the offset of its '='.
        out.reserve(content.size() + value.size());
        out.append(content.substr(0, keep));
        out.append(value);
        out.append(line.ending);
        out.append(content.substr(line.end()));
        return out;
    }

    if (where.section_found) {
        const Line& after = where.last_content;
        std::size_t split = after.end();
        out.reserve(content.size() + key.size() + value.size() + 5);
        out.append(content.substr(0, split));
        if (after.ending.empty()) out.append(kNewLine);
        out.append(key);
        out.push_back('=');
        out.append(value);
        out.append(kNewLine);
        out.append(content.substr(split));
        return out;
    }

    out.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    out.append(content);
    std::string_view body = content;
    if (body.starts_with(kByteOrderMark)) body.remove_prefix(kByteOrderMark.size());
    if (!body.empty() && body.back() != '\n') out.append(kNewLine);
    out.push_back('[');
    out.append(section);
    out.push_back(']');
    out.append(kNewLine);
    out.append(key);
    out.push_back('=');
    out.append(value);
    out.append(kNewLine);
    return out;
}

}  // namespace kestrune::profile
