// Small stateless routines the windows share: the topmost band, the drop shadow, a pause that
// keeps the windows alive, and opening a file or address through the shell. None of them
// reports a failure.
#pragma once

#include <windows.h>

#include <string_view>

#include "hotkeys/key_scanner.hpp"

namespace kestrune {

// Puts the window into the topmost band without moving, sizing, showing or activating it.
void SetTopmost(HWND window);
// Takes the window out of the topmost band; it stays where it is.
void ClearTopmost(HWND window);

// Gives the window's class a drop shadow: every window of that class shows it from then on.
void AddDropShadow(HWND window);

// Processes every message that is pending for the program's windows, once, and returns. Tab,
// arrow and access keys move between controls as in a dialog.
void DoEvents();

// DoEvents, for the key scanner.
class Win32MessagePump final : public MessagePump {
  public:
    void DoEvents() override { ::kestrune::DoEvents(); }
};

// Dispatches one message as DoEvents and the message loop do.
void DispatchWindowMessage(MSG& msg);

// Returns once `seconds` have passed on a monotonic clock, processing the program's messages
// meanwhile and sleeping between them. Zero or less returns at once, processing nothing.
void WaitSeconds(double seconds);

// Opens `target` (a path or a web address, UTF-8) with the shell's "open" action, with the
// program's own folder as the working folder.
void ShellOpen(std::string_view target);

}  // namespace kestrune
