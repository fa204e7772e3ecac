// The hotkey poll's window, as the core sees it (the main window in the program, a fake in the
// tests).
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// What a tick needs from the window that hosts the poll.
class PollHost {
  public:
    virtual ~PollHost() = default;
    // The settings file beside the program, which each tick reads afresh. It names the same
    // file for as long as the program runs, so a tick forms no path.
    virtual const std::string& SettingsFile() = 0;
    // The user's thousands separator, for the count text.
    virtual std::string GroupSeparator() = 0;
    virtual void SetLastCaption(std::string_view caption) = 0;
    virtual void SetTotalCaption(std::string_view caption) = 0;
    // The player refused a command: it runs at a higher integrity level (as administrator).
    // Called inside the tick, so the host tells the user only after the tick has ended.
    virtual void PlayerRefused() = 0;
    // Ends the program (the Exit function); called last in its tick.
    virtual void Unload() = 0;
};

}  // namespace kestrune
