// What the poll sees of the keyboard in one tick: which keys were pressed, and whether the
// shortcuts' Alt was, by the rule below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "hotkeys/key_state.hpp"

namespace kestrune {

// Whether the Alt of a shortcut is pressed, from the left and right Alt keys and the left
// Control key.
//
// AltGr is not Alt. On most layouts outside the US (German, French, Polish, Nordic and more)
// the right Alt key is AltGr, which types characters: AltGr+Q gives "@" on a German keyboard,
// AltGr+E the euro sign. Windows reports AltGr as Left Control + Right Alt. A shortcut therefore
// fires with Left Alt, and with Right Alt when Left Control is not pressed (the right Alt key of
// the US layout is a plain Alt), but never with AltGr: typing never runs a player function.
constexpr bool ShortcutAlt(bool left_alt, bool right_alt, bool left_control) {
    return left_alt || (right_alt && !left_control);
}

// One look at the keyboard. A key counts as pressed when it is down now or has been pressed
// since the previous look. Each key is queried once at most: a query takes the key's "pressed
// since" state with it, so a second query in the same look would miss a tap that the first one
// saw.
class KeyboardLook {
  public:
    explicit KeyboardLook(KeyState& keys) : keys_(keys) {}

    // Whether the key `code` was pressed. Shift, Control and Alt are read through their left
    // and right keys, the only codes that report "pressed since" under Wine; a key stored as
    // Alt itself ("Menu") is the shortcuts' Alt, so that Alt alone runs its function but AltGr
    // does not.
    bool Pressed(std::int32_t code);
    // Whether the shortcuts' Alt was pressed (see ShortcutAlt).
    bool AltPressed() { return AltBy(0xffff); }
    // Whether the shortcuts' Alt is down now.
    bool AltDown() { return AltBy(0x8000); }

  private:
    // What the key showed, queried at its first use in this look.
    std::uint16_t State(std::int32_t code);
    bool Shows(std::int32_t code, std::uint16_t bits) { return (State(code) & bits) != 0; }
    bool AltBy(std::uint16_t bits);

    KeyState& keys_;
    // The keys queried so far and what they showed: Alt's three keys, and at most two for
    // each of the twelve functions' keys.
    std::array<std::pair<std::int32_t, std::uint16_t>, 32> seen_{};
    std::size_t seen_count_ = 0;
};

}  // namespace kestrune
