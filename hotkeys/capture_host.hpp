// The key capture window, as the core sees it (the "Set Key" window in the program, a fake in
// the tests).
#pragma once

#include <string_view>

namespace kestrune {

// What a capture needs from its window.
class CaptureHost {
  public:
    virtual ~CaptureHost() = default;
    // Asks the user a Yes/No question before a key is stored, in a message box of the capture
    // window; true for Yes. It returns when the user has answered.
    virtual bool Ask(std::string_view question) = 0;
    // Tells the user that the key was not stored, in a message box of the capture window; it
    // returns when the user has closed the box.
    virtual void ReportStoreFailure(std::string_view message) = 0;
    // Stops the window's tick timer, and starts it again (its next tick a whole period later).
    virtual void StopTicks() = 0;
    virtual void StartTicks() = 0;
    // Closes (unloads) the capture window; its unload calls `KeyCapture::Closing`.
    virtual void Close() = 0;
};

}  // namespace kestrune
