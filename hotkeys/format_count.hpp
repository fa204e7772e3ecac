#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// The executed count as shown after "Functions Executed - ". A number above 999 is grouped in
// threes from the right with `group_separator` ("1,000"); any other text, numbers up to 999
// and negative numbers included, comes back unchanged.
std::string FormatCount(std::string_view count_text, std::string_view group_separator);

// The main window's count caption: "Functions Executed - " and the formatted count.
std::string TotalCaption(std::string_view count_text, std::string_view group_separator);

}  // namespace kestrune
