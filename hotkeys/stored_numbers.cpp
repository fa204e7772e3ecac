#include "hotkeys/stored_numbers.hpp"

#include <limits>

namespace kestrune {
namespace {

// Decimal digits with an optional leading sign, nothing else, within [lo, hi].
std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t lo, std::int64_t hi) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Leading zeros are harmless; beyond them, more than 18 digits is out of any range here,
    // and 18 cannot overflow the sum below.
    while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
    if (text.size() > 18) return std::nullopt;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < lo || value > hi) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::int16_t> ParseKeyCode(std::string_view text) {
    const auto value = ParseDecimal(text, std::numeric_limits<std::int16_t>::min(),
                                    std::numeric_limits<std::int16_t>::max());
    if (!value) return std::nullopt;
    return static_cast<std::int16_t>(*value);
}

std::optional<std::int32_t> ParseCount(std::string_view text) {
    const auto value = ParseDecimal(text, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

}  // namespace kestrune
