// The one-way link to the player: is it running, and send it one command.
#pragma once

#include <cstdint>

namespace kestrune {

// What became of one command sent to the player.
enum class SendOutcome {
    kHandled,   // the player's window handled it
    kNoPlayer,  // no player is running: nothing was sent
    kNoAnswer,  // a player that did not answer in time was given up on: the command may still
                // arrive later, or never
    kRefused,   // the system would not deliver it: the player runs at a higher integrity level
                // (as administrator) than this program
};

class PlayerLink {
  public:
    virtual ~PlayerLink() = default;
    // True when the player's main window exists at the moment of the call.
    virtual bool IsRunning() = 0;
    // Sends one command to the player's main window and returns once it has been handled,
    // given up on or refused; does nothing when the player is not running.
    virtual SendOutcome Execute(std::int32_t command_id) = 0;
};

}  // namespace kestrune
