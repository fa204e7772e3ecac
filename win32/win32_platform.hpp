// The Win32 side of the core's interfaces: the keyboard's state, the window in front, the
// program's folder, the 32-bit program files folder and the user's locale.
#pragma once

#include <string>
#include <string_view>

#include "hotkeys/foreground.hpp"
#include "hotkeys/key_state.hpp"
#include "settings/settings.hpp"
#include "util/wide_text.hpp"

namespace kestrune {

// GetAsyncKeyState. Codes outside 0..255 name no key and read as up.
class Win32KeyState final : public KeyState {
  public:
    std::int16_t Query(std::int32_t code) override;
};

// GetForegroundWindow, and the integrity level of the process that owns a window, read from
// its token. A process that cannot be opened, or whose token cannot be read, has no level.
class Win32Foreground final : public Foreground {
  public:
    std::uintptr_t Window() override;
    WindowOwner OwnerOf(std::uintptr_t window) override;
    std::string CaptionOf(std::uintptr_t window) override;
    std::optional<std::uint32_t> OwnIntegrity() override;
};

// The path of the file itself that `path` (UTF-8) reaches, after every symbolic link and
// junction on the way, in its usual form ("C:\\Tools\\kestrune.exe"); empty when there is no
// such file or it has no path with a drive letter or share.
std::string RealPathOf(std::string_view path);

// The program's executable file, as UTF-8 text: the file itself, after the symbolic links and
// junctions on the path it was started by. Found once per run.
const std::string& ProgramFile();

// The program's folder, as UTF-8 text, without a trailing separator except in the root of a
// drive: the folder of the executable file itself, after the symbolic links and junctions on
// the path it was started by (a package manager's link to it, say). Found once per run.
const std::string& ProgramFolder();

// The program's settings file, in ProgramFolder(): the one every part of the program uses.
const std::string& ProgramSettingsFile();

// The 32-bit program files folder (FOLDERID_ProgramFilesX86), as UTF-8 text; empty when the
// system does not say.
std::string ProgramFilesX86Folder();

// A PollHost whose settings file is the program's.
template <typename Host>
class ProgramFolderHost : public Host {
  public:
    const std::string& SettingsFile() override { return ProgramSettingsFile(); }
};

// The user's thousands separator (LOCALE_STHOUSAND), as UTF-8 text.
std::string UserGroupSeparator();

}  // namespace kestrune
