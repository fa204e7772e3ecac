// The Win32 side of the core's interfaces: keyboard state, program folder, locale, text.
#pragma once

#include <string>
#include <string_view>

#include "hotkeys/key_state.hpp"
#include "util/wide_text.hpp"

namespace kestrune {

// GetAsyncKeyState. Codes outside 0..255 name no key and read as up.
class Win32KeyState final : public KeyState {
  public:
    std::int16_t Query(std::int32_t code) override;
};

// The folder of the running executable, as UTF-8 text, without a trailing separator except in
// the root of a drive.
std::string ProgramFolder();

// The user's thousands separator (LOCALE_STHOUSAND), as UTF-8 text.
std::string UserGroupSeparator();

}  // namespace kestrune
