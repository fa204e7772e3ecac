// The key capture's windows, as the core sees them (the key capture and configuration windows
// in the program, a fake in the tests).
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// What a capture needs from the windows around it.
class CaptureHost {
  public:
    virtual ~CaptureHost() = default;
    virtual std::string ProgramFolder() = 0;
    // The display name of the function selected in the configuration window; empty if none.
    virtual std::string SelectedFunction() = 0;
    // Sets the configuration window's `lblCurrent`.
    virtual void SetCurrentCaption(std::string_view caption) = 0;
    // Tells the user that the key was not stored, in a message box of the capture window; it
    // returns when the user has closed the box.
    virtual void ReportStoreFailure(std::string_view message) = 0;
    // Closes (unloads) the capture window; its unload calls `KeyCapture::Closing`.
    virtual void Close() = 0;
};

}  // namespace kestrune
