#include "app/frm_change.hpp"

#include <array>
#include <string>
#include <variant>

#include "app/frm_config.hpp"
#include "hotkeys/key_scanner.hpp"
#include "hotkeys/poll.hpp"
#include "settings/settings.hpp"

namespace kestrune {
namespace {

constexpr UINT_PTR tmrKeyCheck = 1;
constexpr UINT kKeyCheckInterval = 100;  // ms

constexpr std::array kControls{
    ControlSpec{ChangeForm::lblStatic, ControlKind::kLabel, L"Press the desired key now.", 0, 120,
                360, 3015, 225, kTahoma, SS_CENTER | SS_NOPREFIX},
};

constexpr FormSpec kChangeSpec{
    L"Set Key", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 3255, 900, kControls};

}  // namespace

ChangeForm frmChange;

ChangeForm::ChangeForm() : Form(kChangeSpec) {}

void ChangeForm::Form_Load() {
    ++opening_;
    closing_ = false;
    frmConfig.Hide();
    SetTopmost(hwnd());
    StartTimer(tmrKeyCheck, kKeyCheckInterval);
}

void ChangeForm::Timer(UINT_PTR id) {
    if (id == tmrKeyCheck) tmrKeyCheck_Timer();
}

void ChangeForm::tmrKeyCheck_Timer() {
    // Each scan processes pending messages, which can deliver the next tick or close the
    // window: a tick runs only when no other tick of this opening is under way, and stops as
    // soon as the window has begun to close.
    const int opening = opening_;
    if (closing_ || ticking_opening_ == opening) return;
    ticking_opening_ = opening;
    struct Done {
        int& ticking;
        int opening;
        ~Done() {
            if (ticking == opening) ticking = 0;
        }
    } done{ticking_opening_, opening};

    const auto name = std::get<std::string_view>(GetPressedKey(true, keys_, pump_));
    if (!StillOpen(opening)) return;
    const auto code = std::get<std::int32_t>(GetPressedKey(false, keys_, pump_));
    if (!StillOpen(opening)) return;
    const auto key = AcceptScannedKey(name, code);
    if (!key) return;

    const std::string function = frmConfig.SelectedFunction();
    if (function.empty()) return;
    const std::string path = SettingsPath(ProgramFolder());
    WriteSetting(kKeysSection, function, std::to_string(key->code), path);
    WriteSetting(kKeysSection, function + "_n", key->name, path);
    frmConfig.SetCurrentCaption(std::string(kAltCaptionPrefix) + std::string(key->name));
    pump_.DoEvents();
    if (StillOpen(opening)) Unload();
}

void ChangeForm::Form_Unload() {
    closing_ = true;
    ClearTopmost(hwnd());
    StopTimer(tmrKeyCheck);
    Hide();
    frmConfig.Show();
}

}  // namespace kestrune
