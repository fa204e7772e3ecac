// What the program tells the user when a shortcut cannot work: the keyboard is hidden from it
// while a window of a program run as administrator is in front, or the player, run as
// administrator, refuses its commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hotkeys/foreground.hpp"

namespace kestrune {

// The window that shows the notices (the main window, with its notification-area icon).
class NoticeHost {
  public:
    virtual ~NoticeHost() = default;
    // The notification-area icon's tip, whether or not the icon is there now.
    virtual void SetTrayTip(std::string_view tip) = 0;
    // A balloon from the notification-area icon; false when there is no icon to show it from.
    virtual bool ShowBalloon(std::string_view title, std::string_view text) = 0;
    // A message box; it returns when the user has closed it, and window messages (ticks among
    // them) are handled meanwhile.
    virtual void ShowMessage(std::string_view text) = 0;
};

// Runs after each tick of the poll, outside it, so that a message box it shows never has a
// tick running inside another.
//
// The keyboard is hidden from the program ("blind") while the window in front belongs to
// another process of a higher integrity level, or one that may not even be asked. That is
// looked at only when the window in front changes, and never when the program itself runs
// as administrator. While blind, the tip names the window; the first time in a run a balloon
// says so too, as soon as the icon is there to show it.
class ShortcutNotices {
  public:
    explicit ShortcutNotices(Foreground& foreground) : foreground_(foreground) {}

    // The player refused a command in the tick that is running (PollHost::PlayerRefused).
    void PlayerRefused() { refused_ = true; }

    void AfterTick(NoticeHost& host);

    bool Blind() const { return blind_; }

  private:
    void WatchForeground(NoticeHost& host);

    Foreground& foreground_;
    bool started_ = false;
    bool watching_ = false;  // the program runs below the administrator's level
    std::uint32_t own_integrity_ = 0;
    std::uintptr_t window_ = 0;
    bool blind_ = false;
    std::string caption_;  // of the window in front while blind
    bool balloon_shown_ = false;
    bool refused_ = false;
    bool refusal_told_ = false;
};

}  // namespace kestrune
