// libFuzzer target over the profile rules: from each input it takes a section, a key and a
// value, and the rest as the bytes of a settings file. It reads the file and checks what Find
// and the walk of a section give against a plain model of the read rules written here, line by
// line from the rules as profile.hpp states them. Then it stores the value and checks the
// result:
// - a section, key or value holding CR or LF is refused;
// - the stored value reads back as the read rule says (blanks around it trimmed, one pair of
//   matching outer quotes removed);
// - every other entry of the file reads as before;
// - only the rewritten or inserted line differs, or one new section is appended;
// - storing the same value again changes nothing.
// Bytes that start with the UTF-16 LE byte order mark are a UTF-16 file: they are turned into
// UTF-8 as a read does, the checks above run on that text, and the stored text turned back into
// UTF-16 LE must give the same text again, mark and all (unless a name or the value is no UTF-8,
// which a UTF-16 file cannot hold). The bytes of a file that reads back the same as it stands
// must come back unchanged.
// Built and run by scripts/fuzz.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/profile.hpp"
#include "settings/text_encoding.hpp"

namespace {

using kestrune::profile::Find;
using kestrune::profile::Store;
namespace text_encoding = kestrune::text_encoding;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

void Check(bool condition) {
    if (!condition) std::abort();
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// What a read of a stored value gives.
std::string ReadRule(std::string_view value) {
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// The model of a read: every entry of the first section named `section`, in file order, later
// duplicates of a key too, with its value as a read gives it. Written for plainness, not speed:
// the text is cut at each LF; a CR just before that LF goes with it; a UTF-8 byte order mark
// opens the first line only; a line is blank, a comment (';'), a header ('[' up to the first
// ']') or, holding '=', an entry with a key that is not blank. The next header of any name
// ends the section.
std::vector<std::pair<std::string, std::string>> ModelSection(std::string content,
                                                              std::string_view section) {
    std::vector<std::pair<std::string, std::string>> entries;
    section = Trim(section);
    if (section.empty()) return entries;
    if (content.starts_with(kByteOrderMark)) content.erase(0, kByteOrderMark.size());
    bool inside = false;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t lf = content.find('\n', start);
        std::string line =
            content.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        start = lf == std::string::npos ? content.size() : lf + 1;
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        const std::string_view text = Trim(line);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            if (inside) break;
            const std::string_view name = text.substr(1);
            inside = SameName(Trim(name.substr(0, name.find(']'))), section);
            continue;
        }
        const std::size_t equals = text.find('=');
        if (!inside || equals == std::string_view::npos) continue;
        const std::string_view key = Trim(text.substr(0, equals));
        if (!key.empty()) entries.emplace_back(key, ReadRule(text.substr(equals + 1)));
    }
    return entries;
}

// What a read of `key` gives by the model: the first entry of the key, or nothing.
std::optional<std::string> ModelFind(
    const std::vector<std::pair<std::string, std::string>>& entries, std::string_view key) {
    key = Trim(key);
    for (const auto& [entry_key, value] : entries) {
        if (!key.empty() && SameName(entry_key, key)) return value;
    }
    return std::nullopt;
}

// The lines of a text, each with its ending.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t lf = text.find('\n');
        std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

// Every (section, key) pair that the file names, found by a rough reading of its lines: the
// names to look up before and after a store.
std::vector<std::pair<std::string, std::string>> Names(std::string_view content) {
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    for (std::string_view line : Lines(content)) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
        line = Trim(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::string_view rest = line.substr(1);
            section = std::string(Trim(rest.substr(0, rest.find(']'))));
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && names.size() < 64) {
            names.emplace_back(section, std::string(Trim(line.substr(0, equals))));
        }
    }
    return names;
}

// The lines that differ between `before` and `after`, once their common first and last lines
// are set aside.
struct Change {
    std::vector<std::string_view> removed;
    std::vector<std::string_view> added;
};

Change Difference(std::string_view before, std::string_view after) {
    std::vector<std::string_view> a = Lines(before);
    std::vector<std::string_view> b = Lines(after);
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        ++tail;
    }
    return {{a.begin() + static_cast<std::ptrdiff_t>(head),
             a.end() - static_cast<std::ptrdiff_t>(tail)},
            {b.begin() + static_cast<std::ptrdiff_t>(head),
             b.end() - static_cast<std::ptrdiff_t>(tail)}};
}

// A last line that lost nothing but gained a line ending.
bool GainedEnding(std::string_view old_line, std::string_view new_line) {
    return !old_line.ends_with('\n') && new_line == std::string(old_line) + "\r\n";
}

// A new section's header after what the file's last line held: the line gained an ending, or
// it held nothing but a byte order mark, which stays in front of the header.
bool HeaderAfter(std::string_view old_line, std::string_view new_first, std::string_view new_next) {
    if (GainedEnding(old_line, new_first) && new_next.starts_with("[")) return true;
    return old_line == kByteOrderMark && new_first.starts_with(std::string(kByteOrderMark) + "[");
}

void CheckOnlyItsLinesChanged(std::string_view before, std::string_view after) {
    const Change change = Difference(before, after);
    const std::size_t removed = change.removed.size();
    const std::size_t added = change.added.size();
    if (removed == 1 && added == 1) return;  // the entry rewritten, or an identical store
    if (removed == 0 && added <= 1) return;  // an entry inserted (or nothing changed)
    // An entry inserted after a last line that had no line ending, which now has one.
    if (removed == 1 && added == 2 && GainedEnding(change.removed[0], change.added[0])) return;
    // A new section appended: its header and its entry, after such a last line perhaps.
    if (removed == 0 && added == 2 && change.added[0].starts_with("[")) return;
    if (removed == 1 && added == 2 && change.removed[0] == kByteOrderMark &&
        HeaderAfter(change.removed[0], change.added[0], {})) {
        return;
    }
    if (removed == 1 && added == 3 &&
        HeaderAfter(change.removed[0], change.added[0], change.added[1])) {
        return;
    }
    Check(false);
}

// What a save of `stored` writes into a UTF-16 LE file, and what the next read makes of it.
void CheckUtf16Save(std::string_view stored, std::string_view section, std::string_view key,
                    std::string_view value) {
    const std::optional<std::string> bytes = text_encoding::Utf8ToUtf16Le(stored);
    if (!bytes) {
        Check(!text_encoding::Utf8ToUtf16Le(section) || !text_encoding::Utf8ToUtf16Le(key) ||
              !text_encoding::Utf8ToUtf16Le(value));
        return;
    }
    Check(bytes->starts_with("\xFF\xFE"));
    Check(text_encoding::EncodingOf(*bytes) == text_encoding::Encoding::kUtf16Le);
    Check(text_encoding::Utf16LeToUtf8(*bytes) == std::string(stored));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(256);
    std::string content = input.ConsumeRemainingBytesAsString();
    const bool utf16 = text_encoding::EncodingOf(content) == text_encoding::Encoding::kUtf16Le;
    if (utf16) {
        std::optional<std::string> text = text_encoding::Utf16LeToUtf8(content);
        if (!text) return 0;  // no UTF-16: never read, never written
        Check(text->starts_with(kByteOrderMark));
        Check(text_encoding::Utf8ToUtf16Le(*text) == content);
        content = std::move(*text);
    }

    // Reading never fails, whatever the bytes, and gives what the model gives: the walk every
    // entry of the section in order, Find the first entry of the key.
    const auto model = ModelSection(content, section);
    std::size_t walked = 0;
    kestrune::profile::SectionEntries entries(content, section);
    std::string_view entry_key, entry_value;
    while (entries.Next(entry_key, entry_value)) {
        Check(walked < model.size() && model[walked].first == entry_key &&
              model[walked].second == entry_value);
        Check(Find(content, section, entry_key) == ModelFind(model, entry_key));
        ++walked;
    }
    Check(walked == model.size());
    Check(Find(content, section, key) == ModelFind(model, key));

    const std::optional<std::string> stored = Store(content, section, key, value);
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
        Check(!stored.has_value());
        return 0;
    }
    if (!stored) return 0;  // a name the layout cannot hold (a blank key, '=' in a key, ...)

    const std::optional<std::string> read_back = Find(*stored, section, key);
    Check(read_back.has_value() && *read_back == ReadRule(value));

    for (const auto& [other_section, other_key] : Names(content)) {
        if (SameName(Trim(other_section), Trim(section)) && SameName(other_key, Trim(key))) {
            continue;
        }
        Check(Find(content, other_section, other_key) == Find(*stored, other_section, other_key));
    }

    CheckOnlyItsLinesChanged(content, *stored);
    if (utf16) CheckUtf16Save(*stored, section, key, value);

    const std::optional<std::string> again = Store(*stored, section, key, value);
    Check(again.has_value() && *again == *stored);
    return 0;
}
