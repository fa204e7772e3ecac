// Which key the user means while the key capture window waits: the keyboard is looked at
// once when the window opens and then at every tick, and the rules below pick the key.
#pragma once

#include <optional>
#include <set>

#include "hotkeys/key_scanner.hpp"
#include "hotkeys/key_state.hpp"

namespace kestrune {

// - A key that is down when the window opens (Enter or Space on the focused "&Change", the
//   Alt of Alt+C) is not taken: it counts only once it has been seen up and is pressed again.
// - Another key of the table wins over Shift, Control and Alt held with it: Alt+A gives A.
//   When several such keys are down, the one latest in scan order wins, as with the scanner.
// - Shift, Control or Alt alone is taken when it is released, provided no other key of the
//   table (another modifier included) was pressed meanwhile.
// - Mouse buttons and keys outside the table are never taken.
class KeyChoice {
  public:
    // The window opens. Reading every key of the table also clears each one's "pressed since
    // the previous query" state, so that a press from before the opening does not show later.
    void Open(KeyState& keys);
    // One look at the keyboard: the key to take, or nothing yet.
    std::optional<KeyEntry> Next(KeyState& keys);

  private:
    std::set<std::int32_t> held_at_open_;  // down at the opening and not yet seen up
    std::set<std::int32_t> modifiers_;     // pressed since the last time all of them were up
};

}  // namespace kestrune
