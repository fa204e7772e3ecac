// The player functions: one constant table, read by everything that lists, tests or
// stores functions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "util/ascii.hpp"

namespace kestrune {

struct PlayerFunction {
    std::string_view display_name;       // shown to the user: "Next Track"
    std::int32_t command_id;             // WM_COMMAND identifier understood by the player
    int send_count;                      // commands sent per activation
    int poll_position;                   // 1 is tested first at each tick of the poll
    bool ends_program = false;           // the program ends once the command is sent and counted
    std::string_view settings_key = {};  // the display name in lower case: "next track"
};

namespace catalogue_rows {

// In catalogue order: the order in which the functions are listed to the user.
// clang-format off
inline constexpr PlayerFunction kRows[]{
    {"Play", 40045, 1, 3},
    {"Stop", 40047, 1, 4},
    {"Next Track", 40048, 1, 1},
    {"Prev Track", 40044, 1, 2},
    {"Volume Up", 40058, 5, 5},
    {"Volume Down", 40059, 5, 6},
    {"Pause", 40046, 1, 7},
    {"Toggle Shuffle", 40023, 1, 8},
    {"Toggle Repeat", 40022, 1, 9},
    {"Seek Forward", 40148, 1, 10},
    {"Seek Back", 40144, 1, 11},
    {"Exit", 40001, 1, 12, true},
};
// clang-format on
inline constexpr std::size_t kCount = std::size(kRows);

// The display names in lower case, worked out while compiling, with room for the longest.
inline constexpr std::size_t kRoom = 16;
inline constexpr auto kLowerNames = [] {
    std::array<std::array<char, kRoom>, kCount> lower{};
    for (std::size_t i = 0; i < kCount; ++i) {
        const std::string_view name = kRows[i].display_name;
        if (name.size() > kRoom) throw "a display name longer than kRoom";
        for (std::size_t j = 0; j < name.size(); ++j) {
            lower[i][j] = AsciiLower(name[j]);
        }
    }
    return lower;
}();

}  // namespace catalogue_rows

// The functions in catalogue order, each with its settings key.
inline constexpr std::array<PlayerFunction, catalogue_rows::kCount> kCatalogue = [] {
    using namespace catalogue_rows;
    std::array<PlayerFunction, kCount> catalogue{};
    for (std::size_t i = 0; i < kCount; ++i) {
        catalogue[i] = kRows[i];
        catalogue[i].settings_key = {kLowerNames[i].data(), kRows[i].display_name.size()};
    }
    return catalogue;
}();

// The place of `function` in the catalogue, which holds it.
constexpr std::size_t CatalogueIndex(const PlayerFunction& function) {
    return static_cast<std::size_t>(&function - kCatalogue.data());
}

// The catalogue sorted by poll position: Next Track, Prev Track, Play, Stop, Volume Up, ...
const std::array<const PlayerFunction*, kCatalogue.size()>& PollOrder();

}  // namespace kestrune
