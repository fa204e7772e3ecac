#include "hotkeys/key_choice.hpp"

namespace kestrune {
namespace {

bool IsModifier(std::int32_t code) {
    return code == vk::kShift || code == vk::kControl || code == vk::kAlt;
}

bool IsMouseButton(std::int32_t code) {
    return code == vk::kLeftButton || code == vk::kRightButton || code == vk::kMiddleButton;
}

// The key state's high bit: the key is down now (the low bit alone: pressed since the
// previous query, and up again).
bool DownNow(std::int16_t state) {
    return state < 0;
}

}  // namespace

void KeyChoice::Open(KeyState& keys) {
    held_at_open_.clear();
    modifiers_.clear();
    first_look_ = true;
    for (const KeyEntry& entry : kKeyTable) {
        if (DownNow(keys.Query(entry.code))) held_at_open_.insert(entry.code);
    }
}

std::optional<KeyEntry> KeyChoice::Next(KeyState& keys) {
    if (first_look_) {
        first_look_ = false;
        for (const KeyEntry& entry : kKeyTable) {
            if (DownNow(keys.Query(entry.code))) {
                held_at_open_.insert(entry.code);
            } else {
                held_at_open_.erase(entry.code);
            }
        }
        return std::nullopt;
    }
    const KeyEntry* other = nullptr;
    bool modifier_down = false;
    for (const KeyEntry& entry : kKeyTable) {
        const std::int16_t state = keys.Query(entry.code);
        if (held_at_open_.count(entry.code)) {
            // Its "pressed since" state may be set again while it stays down (auto-repeat
            // does that), so only seeing it up ends the press from before the opening.
            if (!DownNow(state)) held_at_open_.erase(entry.code);
            continue;
        }
        if (state == 0 || IsMouseButton(entry.code)) continue;
        if (IsModifier(entry.code)) {
            modifiers_.insert(entry.code);
            modifier_down = modifier_down || DownNow(state);
        } else {
            other = &entry;
        }
    }
    if (other) return *other;
    if (modifiers_.empty() || modifier_down) return std::nullopt;
    // Every modifier pressed meanwhile is up again: one alone is the key chosen.
    const std::optional<std::int32_t> alone =
        modifiers_.size() == 1 ? std::optional(*modifiers_.begin()) : std::nullopt;
    modifiers_.clear();
    if (!alone) return std::nullopt;
    return KeyEntry{*alone, *KeyNameOf(*alone)};
}

}  // namespace kestrune
