// The system-wide keyboard state, as the poll and the key capture see it.
#pragma once

#include <cstdint>

namespace kestrune {

class KeyState {
  public:
    virtual ~KeyState() = default;
    // The 16-bit state of virtual key `code` (see `vk` in key_table.hpp): nonzero when the key
    // is down now or has been pressed since the previous query.
    virtual std::int16_t Query(std::int32_t code) = 0;
};

}  // namespace kestrune
