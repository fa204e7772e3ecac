// The Win32 side of the core's interfaces: the keyboard's state, the program's folder, the
// 32-bit program files folder and the user's locale.
#pragma once

#include <string>
#include <string_view>

#include "hotkeys/key_state.hpp"
#include "settings/settings.hpp"
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

// The 32-bit program files folder (FOLDERID_ProgramFilesX86), as UTF-8 text; empty when the
// system does not say.
std::string ProgramFilesX86Folder();

// A PollHost whose settings file is the one in the running executable's folder.
template <typename Host>
class ProgramFolderHost : public Host {
  public:
    const std::string& SettingsFile() override { return settings_file_; }

  private:
    const std::string settings_file_ = SettingsPath(::kestrune::ProgramFolder());
};

// The user's thousands separator (LOCALE_STHOUSAND), as UTF-8 text.
std::string UserGroupSeparator();

}  // namespace kestrune
