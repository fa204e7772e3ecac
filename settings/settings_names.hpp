// The names the settings file holds: its sections and the entries the program reads and writes
// besides the functions' own ("next track", "next track_n").
#pragma once

#include <string_view>

namespace kestrune {

inline constexpr std::string_view kKeysSection = "KEYS";
inline constexpr std::string_view kOtherSection = "OTHER";
inline constexpr std::string_view kExecutedKey = "Executed";

}  // namespace kestrune
