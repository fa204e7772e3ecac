// The program's one message pump and the four ways it is run: the program's message loop, a
// modal window's loop (in Form), a single pass (DoEvents) and a pause (WaitSeconds). Every
// message goes through PumpMessage, so that dialog navigation and the end of the program are
// handled alike in all of them.
#pragma once

#include <windows.h>

#include "hotkeys/message_pump.hpp"

namespace kestrune {

enum class PumpResult {
    kDispatched,  // one message was handled
    kEmpty,       // nothing was pending (only when not waiting)
    kQuit,        // WM_QUIT was taken from the queue; `exit_code` holds its code
    kFailed,      // the queue could not be read
};

enum class PumpWait { kWait, kNoWait };

// Takes the next message of the program's queue, waiting for one or not, and handles it. Tab,
// the arrows and access keys move between controls as in a dialog box.
PumpResult PumpMessage(PumpWait wait, int& exit_code);

// Handles one message as the pump does: through the dialog manager of its top-level window.
void DispatchWindowMessage(MSG& msg);

// For a loop that does not own the program's end: puts the WM_QUIT it took back, for the
// message loop.
void LeaveQuitForMessageLoop(int exit_code);

// Runs the program's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Processes every message that is pending for the program's windows, once, and returns.
void DoEvents();

// DoEvents, for the core's key capture.
class Win32MessagePump final : public MessagePump {
  public:
    void DoEvents() override { ::kestrune::DoEvents(); }
};

// Returns once `seconds` have passed on a monotonic clock, processing the program's messages
// meanwhile and sleeping between them. Zero or less returns at once, processing nothing.
void WaitSeconds(double seconds);

}  // namespace kestrune
