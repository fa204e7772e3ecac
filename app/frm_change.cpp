#include "app/frm_change.hpp"

#include <array>

#include "app/frm_config.hpp"

namespace kestrune {
namespace {

constexpr UINT_PTR tmrKeyCheck = 1;
constexpr UINT kKeyCheckInterval = 100;  // ms

constexpr std::array kControls{
    ControlSpec{ChangeForm::lblStatic, ControlKind::kLabel, L"Press the desired key now.", 0, 120,
                360, 3015, 225, kTahoma, SS_CENTER | SS_NOPREFIX},
};

// A fixed dialog frame with a close box only.
constexpr FormSpec kChangeSpec{
    L"Set Key", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 3255, 900, kControls};

}  // namespace

ChangeForm frmChange;

ChangeForm::ChangeForm() : Form(kChangeSpec) {}

void ChangeForm::Form_Load() {
    capture_.Open(keys_);
    frmConfig.Hide();
    SetTopmost(hwnd());
    StartTimer(tmrKeyCheck, kKeyCheckInterval);
}

void ChangeForm::Timer(UINT_PTR id) {
    if (id == tmrKeyCheck) tmrKeyCheck_Timer();
}

void ChangeForm::tmrKeyCheck_Timer() {
    capture_.Tick(keys_, pump_, *this);
}

void ChangeForm::Form_Unload() {
    capture_.Closing();
    ClearTopmost(hwnd());
    StopTimer(tmrKeyCheck);
    Hide();
    frmConfig.Show();
}

bool ChangeForm::Message(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
    // Alt let go on its own would put the window into menu mode, where the next key goes to
    // a menu: here Alt is a key being chosen, and the window has no menu to offer.
    if (message != WM_SYSCOMMAND || (wparam & 0xFFF0) != SC_KEYMENU) return false;
    result = 0;
    return true;
}

std::string ChangeForm::ProgramFolder() {
    return ::kestrune::ProgramFolder();
}

std::string ChangeForm::SelectedFunction() {
    return frmConfig.SelectedFunction();
}

void ChangeForm::SetCurrentCaption(std::string_view caption) {
    frmConfig.SetCurrentCaption(caption);
}

void ChangeForm::ReportStoreFailure(std::string_view message) {
    ShowWarning(message);
}

void ChangeForm::Close() {
    Unload();
}

}  // namespace kestrune
