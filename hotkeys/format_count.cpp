#include "hotkeys/format_count.hpp"

#include <algorithm>

namespace kestrune {

std::string FormatCount(std::string_view count_text, std::string_view group_separator) {
    // Only plain non-negative decimal numbers are grouped; anything else is passed through.
    std::string_view digits = count_text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::string(count_text);
    }
    digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.size() < 4) return std::string(count_text);  // at most 999

    std::string result;
    result.reserve(digits.size() + (digits.size() / 3) * group_separator.size());
    const std::size_t first_group = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    result.append(digits.substr(0, first_group));
    for (std::size_t i = first_group; i < digits.size(); i += 3) {
        result.append(group_separator);
        result.append(digits.substr(i, 3));
    }
    return result;
}

std::string TotalCaption(std::string_view count_text, std::string_view group_separator) {
    return "Functions Executed - " + FormatCount(count_text, group_separator);
}

}  // namespace kestrune
