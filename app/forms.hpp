// The program's four windows, each private to its own file behind the few calls below. The
// splash starts the program and hands over to the main window; the main window opens the
// configuration window, which opens the key capture window.
#pragma once

#include <windows.h>

#include <optional>

#include "hotkeys/catalogue.hpp"
#include "hotkeys/key_assignments.hpp"

namespace kestrune {

// The poll's and the key capture's timer: its id in both windows, and its period.
inline constexpr UINT_PTR tmrKeyCheck = 1;
// The key check ticks of both windows. Over 50 ms, as the key capture's first tick needs.
inline constexpr UINT kKeyCheckInterval = 100;  // ms

// frm_splash.cpp: shows the splash for two seconds, then loads and shows the main window.
void StartSplash();

// frm_main.cpp
// Loads the main window (which starts the poll), puts it on top and shows it.
void LoadMainWindow();
bool IsMainWindowLoaded();
void ShowMainWindow();

// frm_config.cpp
// Shows the configuration window on top of the others.
void ShowConfiguration();
// Brings the configuration window back to the front when it is open; false when it is not.
bool BringBackConfiguration();

// frm_change.cpp
// Shows the key capture window, "Set Key", modally for `function`'s key, and returns once it has
// closed: the change it made, stored or not (see KeyChange), or nothing when it was closed before
// a key was chosen. The caller steps aside meanwhile. While one is open, another call brings that
// one back and returns nothing.
std::optional<KeyChange> CaptureKey(const PlayerFunction& function);
// Brings the key capture window back to the front when it is open (or lets the window that opened
// it come back, when it is closing); false when none is open.
bool BringBackKeyCapture();
// Keys pressed until now are not taken by an open key capture window: they may have been typed
// elsewhere (on the lock screen) while the window waited.
void ForgetKeysPressedInKeyCapture();

}  // namespace kestrune
