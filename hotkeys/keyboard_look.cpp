#include "hotkeys/keyboard_look.hpp"

#include "hotkeys/key_table.hpp"

namespace kestrune {

bool KeyboardLook::Pressed(std::int32_t code) {
    if (code == vk::kAlt) return AltPressed();
    if (const auto sides = vk::SideKeysOf(code)) {
        // Both are looked at, so that neither keeps a "pressed since" state for a later look.
        const bool left = Shows(sides->left, 0xffff);
        const bool right = Shows(sides->right, 0xffff);
        return left || right;
    }
    return Shows(code, 0xffff);
}

bool KeyboardLook::AltBy(std::uint16_t bits) {
    const bool left_alt = Shows(vk::kLeftAlt, bits);
    const bool right_alt = Shows(vk::kRightAlt, bits);
    const bool left_control = Shows(vk::kLeftControl, bits);
    return ShortcutAlt(left_alt, right_alt, left_control);
}

std::uint16_t KeyboardLook::State(std::int32_t code) {
    for (std::size_t i = 0; i < seen_count_; ++i) {
        if (seen_[i].first == code) return seen_[i].second;
    }
    const auto state = static_cast<std::uint16_t>(keys_.Query(code));
    if (seen_count_ < seen_.size()) seen_[seen_count_++] = {code, state};
    return state;
}

}  // namespace kestrune
