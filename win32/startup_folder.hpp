// The user's Startup folder (FOLDERID_Startup) and the shell's shortcuts in it. COM must be
// initialised on the calling thread.
#pragma once

#include "hotkeys/start_with_windows.hpp"

namespace kestrune {

class Win32StartupFolder final : public StartupFolder {
  public:
    std::string Path() override;
    std::vector<StartupShortcut> Shortcuts() override;
    bool Create(const std::string& path, const std::string& program) override;
    bool Remove(const std::string& path) override;
};

}  // namespace kestrune
