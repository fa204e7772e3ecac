// The numbers the settings file holds as decimal text: key codes and the executed count.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrune {

// A stored key code: decimal digits with an optional sign, within the signed 16-bit range.
// Anything else (a hand edit) is no key.
std::optional<std::int16_t> ParseKeyCode(std::string_view text);

// The stored executed count: decimal digits with an optional sign, within the signed 32-bit
// range. Anything else cannot be counted.
std::optional<std::int32_t> ParseCount(std::string_view text);

}  // namespace kestrune
