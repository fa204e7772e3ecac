// Small stateless routines the windows share: the topmost band, the drop shadow, and opening a
// file or address through the shell. None of them reports a failure.
#pragma once

#include <windows.h>

#include <string_view>

namespace kestrune {

// Puts the window into the topmost band without moving, sizing, showing or activating it.
void SetTopmost(HWND window);
// Takes the window out of the topmost band; it stays where it is.
void ClearTopmost(HWND window);

// Gives the window's class a drop shadow: every window of that class shows it from then on.
void AddDropShadow(HWND window);

// Opens `target` (a path or a web address, UTF-8) with the shell's "open" action, with the
// program's own folder as the working folder.
void ShellOpen(std::string_view target);

}  // namespace kestrune
