// The key capture window, "Set Key": shown modally from the configuration window's "&Change",
// it stores the first key of the key table that the user presses for the function selected
// there, then closes and shows the configuration window again.
#pragma once

#include "app/form.hpp"
#include "util/win32_platform.hpp"
#include "util/window_utils.hpp"

namespace kestrune {

class ChangeForm final : public Form {
  public:
    enum ControlId : int { lblStatic = 1 };

    ChangeForm();

  private:
    void Form_Load() override;
    void Form_Unload() override;
    void Timer(UINT_PTR id) override;

    void tmrKeyCheck_Timer();
    // Whether the opening in which a tick began is still the current one and not closing.
    bool StillOpen(int opening) const { return opening == opening_ && !closing_; }

    Win32KeyState keys_;
    Win32MessagePump pump_;
    int opening_ = 0;          // counts the window's loads
    int ticking_opening_ = 0;  // the opening whose tick is running, or 0
    bool closing_ = false;
};

extern ChangeForm frmChange;

}  // namespace kestrune
