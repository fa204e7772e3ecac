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

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune::profile {

// The value stored under `key` in `section`, or nothing when there is no such entry. The names
// asked for are trimmed of spaces and tabs; a blank section or key finds nothing.
std::optional<std::string> Find(std::string_view content, std::string_view section,
                                std::string_view key);

// The entries of `section` in file order, read line by line as Find reads them: each key with
// the value that Find gives for the first entry of that key. Later duplicates of a key come too;
// they are the ones Find does not see. Nothing is allocated or copied: the keys and values are
// views of `content`.
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

}  // namespace kestrune::profile
