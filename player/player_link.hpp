// The one-way link to the player: is it running, and send it one command.
#pragma once

#include <cstdint>

namespace kestrune {

class PlayerLink {
  public:
    virtual ~PlayerLink() = default;
    // True when the player's main window exists at the moment of the call.
    virtual bool IsRunning() = 0;
    // Sends one command to the player's main window and returns once it has been handled;
    // does nothing when the player is not running. Returns false only when a player that
    // does not answer was given up on: the command may still arrive later, or never.
    virtual bool Execute(std::int32_t command_id) = 0;
};

}  // namespace kestrune
