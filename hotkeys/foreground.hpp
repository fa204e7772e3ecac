// The window in front and who owns it, as the core sees it (the desktop in the program, a fake
// in the tests).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrune {

// Windows' integrity levels (the relative id of a token's mandatory label).
inline constexpr std::uint32_t kMediumIntegrity = 0x2000;
inline constexpr std::uint32_t kHighIntegrity = 0x3000;  // run as administrator

// Who owns a window.
struct WindowOwner {
    bool ours = false;  // this program's own window
    bool gone = false;  // the window has been closed meanwhile
    // The integrity level of the owning process; nothing when that process could not be
    // asked (it may not even be opened: a process of a higher level, or a protected one).
    std::optional<std::uint32_t> integrity;
};

class Foreground {
  public:
    virtual ~Foreground() = default;
    // The window in front now, as an id that stays the same while the same window stays in
    // front; 0 when there is none. Asked at every tick, so it must be cheap.
    virtual std::uintptr_t Window() = 0;
    // Who owns `window` (an id from Window()). Asked only when the window in front changes.
    virtual WindowOwner OwnerOf(std::uintptr_t window) = 0;
    // The caption of `window`, UTF-8; empty when it has none.
    virtual std::string CaptionOf(std::uintptr_t window) = 0;
    // This program's own integrity level; nothing when it cannot be read.
    virtual std::optional<std::uint32_t> OwnIntegrity() = 0;
};

}  // namespace kestrune
