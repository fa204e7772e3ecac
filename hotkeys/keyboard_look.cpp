#include "hotkeys/keyboard_look.hpp"

#include "hotkeys/key_table.hpp"

namespace kestrune {

KeyboardLook::KeyboardLook(KeyState& keys) : keys_(keys) {
    const bool left_alt = Queried(vk::kLeftAlt);
    const bool right_alt = Queried(vk::kRightAlt);
    const bool left_control = Queried(vk::kLeftControl);
    alt_ = ShortcutAlt(left_alt, right_alt, left_control);
}

bool KeyboardLook::Pressed(std::int32_t code) {
    if (code == vk::kAlt) return alt_;
    if (const auto sides = vk::SideKeysOf(code)) {
        // Both are looked at, so that neither keeps a "pressed since" state for a later look.
        const bool left = Queried(sides->left);
        const bool right = Queried(sides->right);
        return left || right;
    }
    return Queried(code);
}

bool KeyboardLook::Queried(std::int32_t code) {
    for (std::size_t i = 0; i < seen_count_; ++i) {
        if (seen_[i].first == code) return seen_[i].second;
    }
    const bool pressed = keys_.Query(code) != 0;
    if (seen_count_ < seen_.size()) seen_[seen_count_++] = {code, pressed};
    return pressed;
}

}  // namespace kestrune
