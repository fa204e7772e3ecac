// What the poll sees of the keyboard in one tick, and what it remembers of it until the next.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// The keys read at one look and which of them were down: all that the poll carries from one
// look to the next. Empty before the first look.
class LastLook {
  public:
    // Whether `code` was down at that look; nothing when it was not read then.
    std::optional<bool> WasDown(std::int32_t code) const;
    void Add(std::int32_t code, bool down);
    // Forgets the look: the next one is a first look.
    void Forget() { *this = LastLook(); }

  private:
    struct Key {
        std::int32_t code;
        bool down;
    };
    // Alt's three keys, and at most two for each of the twelve functions' keys.
    std::array<Key, 32> keys_{};
    std::size_t count_ = 0;
};

// What a look shows of a key, or of the shortcuts' Alt, beside the look before it.
struct KeySeen {
    bool read_before = false;   // the look before read it: this is not its first look
    bool down_before = false;   // down at the look before
    bool down_between = false;  // down at some moment since then: before, pressed since, or now
    bool down_now = false;
};

// One look at the keyboard. Each key is queried once at most: a query takes the key's "pressed
// since" state with it, so a second query in the same look would miss a tap that the first one
// saw.
class KeyboardLook {
  public:
    KeyboardLook(KeyState& keys, const LastLook& before) : keys_(keys), before_(before) {}

    // The key `code`. Shift, Control and Alt are read through their left and right keys, the
    // only codes that report "pressed since" under Wine; a key stored as Alt itself ("Menu") is
    // the shortcuts' Alt, so that Alt alone runs its function but AltGr does not.
    KeySeen Key(std::int32_t code);
    // The shortcuts' Alt (see ShortcutAlt).
    KeySeen Alt();
    // This look, for the next one.
    LastLook Now() const;

  private:
    KeySeen Side(std::int32_t code);

    KeyState& keys_;
    const LastLook& before_;
    // What the keys read so far in this look showed (their "pressed since" is gone after it).
    std::array<std::pair<std::int32_t, KeySeen>, 32> seen_{};
    std::size_t seen_count_ = 0;
};

}  // namespace kestrune
