#include "hotkeys/keyboard_look.hpp"

#include "hotkeys/key_table.hpp"

namespace kestrune {
namespace {

// Two keys read as one (either side of Shift or Control, or the keys of the shortcuts' Alt):
// down at a moment when either is.
KeySeen Either(const KeySeen& a, const KeySeen& b) {
    return {a.read_before && b.read_before, a.down_before || b.down_before,
            a.down_between || b.down_between, a.down_now || b.down_now};
}

}  // namespace

std::optional<bool> LastLook::WasDown(std::int32_t code) const {
    for (std::size_t i = 0; i < count_; ++i) {
        if (keys_[i].code == code) return keys_[i].down;
    }
    return std::nullopt;
}

void LastLook::Add(std::int32_t code, bool down) {
    if (count_ < keys_.size()) keys_[count_++] = {code, down};
}

KeySeen KeyboardLook::Key(std::int32_t code) {
    if (code == vk::kAlt) return Alt();
    if (const auto sides = vk::SideKeysOf(code)) {
        // Both are read, so that neither keeps a "pressed since" state for a later look.
        const KeySeen left = Side(sides->left);
        return Either(left, Side(sides->right));
    }
    return Side(code);
}

KeySeen KeyboardLook::Alt() {
    const KeySeen left_alt = Side(vk::kLeftAlt);
    const KeySeen right_alt = Side(vk::kRightAlt);
    const KeySeen left_control = Side(vk::kLeftControl);
    // Each moment's Alt is judged by ShortcutAlt. Between two looks the order of the keys'
    // moments is not known: a Left Control down at any of them makes a Right Alt AltGr.
    const auto alt = [&](bool KeySeen::*at) {
        return ShortcutAlt(left_alt.*at, right_alt.*at, left_control.*at);
    };
    return {left_alt.read_before && right_alt.read_before && left_control.read_before,
            alt(&KeySeen::down_before), alt(&KeySeen::down_between), alt(&KeySeen::down_now)};
}

KeySeen KeyboardLook::Side(std::int32_t code) {
    for (std::size_t i = 0; i < seen_count_; ++i) {
        if (seen_[i].first == code) return seen_[i].second;
    }
    const auto state = static_cast<std::uint16_t>(keys_.Query(code));
    const std::optional<bool> before = before_.WasDown(code);
    KeySeen seen;
    seen.read_before = before.has_value();
    seen.down_before = before.value_or(false);
    seen.down_now = (state & 0x8000) != 0;
    seen.down_between = seen.down_before || state != 0;
    if (seen_count_ < seen_.size()) seen_[seen_count_++] = {code, seen};
    return seen;
}

LastLook KeyboardLook::Now() const {
    LastLook now;
    for (std::size_t i = 0; i < seen_count_; ++i) now.Add(seen_[i].first, seen_[i].second.down_now);
    return now;
}

}  // namespace kestrune
