// The system-wide keyboard state, as the poll and the key scanner see it.
#pragma once

#include <cstdint>

namespace kestrune {

class KeyState {
  public:
    virtual ~KeyState() = default;
    // The 16-bit state of virtual key `code`: nonzero when the key is down now or has been
    // pressed since the previous query. Code 18 is Alt (either side).
    virtual std::int16_t Query(std::int32_t code) = 0;
};

inline constexpr std::int32_t kAltKeyCode = 18;

}  // namespace kestrune
