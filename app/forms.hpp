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
// The window that opens the key capture window steps aside while it is open, and comes back
// after, showing what the capture did (see KeyCapture::Result).
class KeyCaptureOwner {
  public:
    virtual ~KeyCaptureOwner() = default;
    virtual void HideForCapture() = 0;
    virtual void ShowAfterCapture(const std::optional<KeyChange>& change) = 0;
};
// Shows the key capture window modally, for `function`'s key; returns when it has closed.
void ShowKeyCapture(const PlayerFunction& function, KeyCaptureOwner& owner);
// Brings the key capture window back to the front when it is open; false when it is not.
bool BringBackKeyCapture();

}  // namespace kestrune
