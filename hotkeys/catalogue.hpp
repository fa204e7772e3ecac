// The twelve player functions: one constant table, read by everything that lists, tests or
// stores functions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrune {

struct PlayerFunction {
    std::string_view display_name;  // shown to the user: "Next Track"
    std::string_view settings_key;  // the display name in lower case: "next track"
    std::int32_t command_id;        // WM_COMMAND identifier understood by the player
    int send_count;                 // commands sent per activation
    int poll_position;              // 1 is tested first at each tick of the poll
};

// In catalogue order: the order in which the functions are listed to the user.
inline constexpr std::array<PlayerFunction, 12> kCatalogue{{
    {"Play", "play", 40045, 1, 3},
    {"Stop", "stop", 40047, 1, 4},
    {"Next Track", "next track", 40048, 1, 1},
    {"Prev Track", "prev track", 40044, 1, 2},
    {"Volume Up", "volume up", 40058, 5, 5},
    {"Volume Down", "volume down", 40059, 5, 6},
    {"Pause", "pause", 40046, 1, 7},
    {"Toggle Shuffle", "toggle shuffle", 40023, 1, 8},
    {"Toggle Repeat", "toggle repeat", 40022, 1, 9},
    {"Seek Forward", "seek forward", 40148, 1, 10},
    {"Seek Back", "seek back", 40144, 1, 11},
    {"Exit", "exit", 40001, 1, 12},
}};

// The place of `function` in the catalogue, which holds it.
constexpr std::size_t CatalogueIndex(const PlayerFunction& function) {
    return static_cast<std::size_t>(&function - kCatalogue.data());
}

// The catalogue sorted by poll position: Next Track, Prev Track, Play, Stop, Volume Up, ...
const std::array<const PlayerFunction*, kCatalogue.size()>& PollOrder();

}  // namespace kestrune
