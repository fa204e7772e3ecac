// The hotkey poll: one tick tests every player function against Alt and its stored key, and
// runs the first one that is pressed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hotkeys/key_state.hpp"
#include "player/player_link.hpp"

namespace kestrune {

// What a tick needs from the window that hosts the poll.
class PollHost {
  public:
    virtual ~PollHost() = default;
    // The program's folder, as the settings path is formed from it at each use.
    virtual std::string ProgramFolder() = 0;
    // The user's thousands separator, for the count text.
    virtual std::string GroupSeparator() = 0;
    virtual void SetLastCaption(std::string_view caption) = 0;
    virtual void SetTotalCaption(std::string_view caption) = 0;
    // Ends the program (the Exit function); called last in its tick.
    virtual void Unload() = 0;
};

inline constexpr std::string_view kLastCaptionPrefix = "Last Function Executed - ";
inline constexpr std::string_view kTotalCaptionPrefix = "Functions Executed - ";
inline constexpr std::string_view kKeysSection = "KEYS";
inline constexpr std::string_view kOtherSection = "OTHER";
inline constexpr std::string_view kExecutedKey = "Executed";

// A stored key code: decimal digits with an optional sign, within the signed 16-bit range.
// Anything else (a hand edit) is no key.
std::optional<std::int16_t> ParseKeyCode(std::string_view text);

// The stored executed count: decimal digits with an optional sign, within the signed 32-bit
// range. Anything else cannot be counted.
std::optional<std::int32_t> ParseCount(std::string_view text);

// One tick of the poll. Never processes window messages itself; only the Exit function's
// Unload does, at the very end.
void RunKeyCheckTick(KeyState& keys, PlayerLink& player, PollHost& host);

}  // namespace kestrune
