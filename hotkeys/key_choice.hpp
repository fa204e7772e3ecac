// Which key the user means while the key capture window waits: the keyboard is looked at
// once when the window opens and then at every tick, and the rules below pick the key.
#pragma once

#include <optional>
#include <set>

#include "hotkeys/key_state.hpp"
#include "hotkeys/key_table.hpp"

namespace kestrune {

// - A key that is down when the window opens (Enter or Space on the focused "&Change", the
//   Alt of Alt+C) is not taken: it counts only once it has been seen up and is pressed again.
// - The first look after the opening takes nothing. What it reports is counted as pressed
//   before the opening: a key down then waits, like one down at the opening, and a key that
//   shows only "pressed since the previous query" is dropped. That state is not a reliable
//   record of when a key was pressed: Windows documents that another program's query may
//   consume or leave it, and Wine answers a query from a copy of the keyboard state up to 50 ms
//   old without clearing it, so that a press from just before the opening can first show at a
//   later look. The window's ticks are further apart than that, so by the first tick every
//   such press has shown. A tap that begins after the first tick is taken however short it is.
// - Another key of the table wins over Shift, Control and Alt held with it: Alt+A gives A.
//   When several such keys are down, the one latest in scan order wins.
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
    // Whether the next look can take a key: the first look after the opening has passed.
    bool TakingKeys() const { return !first_look_; }

  private:
    bool first_look_ = true;
    std::set<std::int32_t> held_at_open_;  // down at the opening and not yet seen up
    std::set<std::int32_t> modifiers_;     // pressed since the last time all of them were up
};

}  // namespace kestrune
