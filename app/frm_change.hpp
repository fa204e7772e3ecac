// The key capture window, "Set Key": shown modally from the configuration window's "&Change",
// it stores the first key of the key table that the user presses for the function selected
// there, then closes and shows the configuration window again.
#pragma once

#include "app/form.hpp"
#include "hotkeys/key_capture.hpp"
#include "util/win32_platform.hpp"
#include "util/window_utils.hpp"

namespace kestrune {

class ChangeForm final : public Form, private CaptureHost {
  public:
    enum ControlId : int { lblStatic = kFirstControlId };

    ChangeForm();

  private:
    void Form_Load() override;
    void Form_Unload() override;
    void Timer(UINT_PTR id) override;
    bool Message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

    void tmrKeyCheck_Timer();

    // CaptureHost: the configuration window, and closing this one.
    std::string ProgramFolder() override;
    std::string SelectedFunction() override;
    void SetCurrentCaption(std::string_view caption) override;
    void ReportStoreFailure(std::string_view message) override;
    void Close() override;

    Win32KeyState keys_;
    Win32MessagePump pump_;
    KeyCapture capture_;
};

extern ChangeForm frmChange;

}  // namespace kestrune
