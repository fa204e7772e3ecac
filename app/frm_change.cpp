// The key capture window, "Set Key": shown modally from the configuration window's "&Change",
// it stores the first key of the key table that the user presses for the function chosen there,
// then closes and hands the result back.
#include <array>

#include "app/forms.hpp"
#include "hotkeys/capture_host.hpp"
#include "hotkeys/key_capture.hpp"
#include "settings/settings.hpp"
#include "ui/form.hpp"
#include "ui/window_utils.hpp"
#include "win32/message_loop.hpp"
#include "win32/win32_platform.hpp"

namespace kestrune {
namespace {

// One opening of the window: made by CaptureKey and gone when it returns.
class ChangeForm final : public Form, private CaptureHost {
  public:
    enum ControlId : int { lblStatic = kFirstControlId };

    explicit ChangeForm(const PlayerFunction& function);
    // Left loaded only when the program's end cut the modal loop short.
    ~ChangeForm() override;

    const std::optional<KeyChange>& Result() const { return capture_.Result(); }
    void ForgetKeysPressed() { capture_.StartOver(keys_); }

  private:
    void Form_Load() override;
    void Form_Unload() override;
    void Timer(UINT_PTR id) override;
    bool Message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

    void tmrKeyCheck_Timer();

    // CaptureHost
    bool Ask(std::string_view question) override { return AskYesNo(question); }
    void ReportStoreFailure(std::string_view message) override { ShowWarning(message); }
    void StopTicks() override { StopTimer(tmrKeyCheck); }
    void StartTicks() override { StartTimer(tmrKeyCheck, kKeyCheckInterval); }
    void Close() override { Unload(); }

    const PlayerFunction& function_;
    Win32KeyState keys_;
    Win32MessagePump pump_;
    KeyCapture capture_;
};

constexpr std::array kControls{
    ControlSpec{ChangeForm::lblStatic, ControlKind::kLabel, L"Press the desired key now.", 0, 120,
                360, 3015, 225, kTahoma, SS_CENTER | SS_NOPREFIX},
};

// A fixed dialog frame with a close box only.
constexpr FormSpec kChangeSpec{
    L"Set Key", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 3255, 900, kControls};

// The window open now, if any.
ChangeForm* open_capture = nullptr;

ChangeForm::ChangeForm(const PlayerFunction& function) : Form(kChangeSpec), function_(function) {}

ChangeForm::~ChangeForm() {
    if (IsLoaded()) DestroyWindow(hwnd());
}

void ChangeForm::Form_Load() {
    capture_.Open(keys_, function_, ProgramSettingsFile());
    // Grey until the first tick, from which on a key pressed is taken.
    EnableWindow(Control(lblStatic), FALSE);
    SetTopmost(hwnd());
    StartTimer(tmrKeyCheck, kKeyCheckInterval);
}

void ChangeForm::Timer(UINT_PTR id) {
    if (id == tmrKeyCheck) tmrKeyCheck_Timer();
}

void ChangeForm::tmrKeyCheck_Timer() {
    capture_.Tick(keys_, pump_, *this);
    if (capture_.TakingKeys() && IsLoaded()) EnableWindow(Control(lblStatic), TRUE);
}

void ChangeForm::Form_Unload() {
    capture_.Closing();
    ClearTopmost(hwnd());
    StopTimer(tmrKeyCheck);
    Hide();
}

bool ChangeForm::Message(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
    // Alt let go on its own would put the window into menu mode, where the next key goes to
    // a menu: here Alt is a key being chosen, and the window has no menu to offer.
    if (message != WM_SYSCOMMAND || (wparam & 0xFFF0) != SC_KEYMENU) return false;
    result = 0;
    return true;
}

}  // namespace

std::optional<KeyChange> CaptureKey(const PlayerFunction& function) {
    if (open_capture) {
        BringBackKeyCapture();
        return std::nullopt;
    }
    ChangeForm frmChange(function);
    open_capture = &frmChange;
    frmChange.ShowModal();
    open_capture = nullptr;
    return frmChange.Result();
}

bool BringBackKeyCapture() {
    if (!open_capture) return false;
    // Hidden, it is closing: the window that opened it comes back to the front once it has.
    if (open_capture->IsVisible()) SetForegroundWindow(open_capture->hwnd());
    return true;
}

void ForgetKeysPressedInKeyCapture() {
    if (open_capture) open_capture->ForgetKeysPressed();
}

}  // namespace kestrune
