// The configuration window: every function with the key assigned to each. "&Change"
// captures a new key in the key capture window, "&Remove" clears the assignment, "&OK" goes
// back to the main window. The main window's poll keeps running while it is open.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/forms.hpp"
#include "hotkeys/catalogue.hpp"
#include "hotkeys/key_assignments.hpp"
#include "hotkeys/messages.hpp"
#include "settings/settings.hpp"
#include "ui/form.hpp"
#include "ui/window_utils.hpp"
#include "util/wide_text.hpp"
#include "win32/message_loop.hpp"
#include "win32/win32_platform.hpp"

namespace kestrune {
namespace {

class ConfigForm final : public Form {
  public:
    enum ControlId : int {
        lblFunctions = kFirstControlId,
        cmbFunctions,
        lblCurrentConfig,
        lblCurrent,
        cmdRemove,
        cmdChange,
        cmdOK,
        lblNeverFires
    };

    ConfigForm();

  private:
    void Form_Load() override;
    void Form_Unload() override;
    void Control_Click(int id) override;
    void Control_Notify(int id, int code) override;

    void cmbFunctions_Click();
    void cmdChange_Click();
    void cmdRemove_Click();
    void cmdOK_Click();

    // The function selected in the list (which lists the catalogue in its order), if any.
    const PlayerFunction* SelectedFunction();
    // Shows the key that the file holds now for `function`.
    void ShowKey(const PlayerFunction& function);
};

// The two captions reach up to the column of the list and lblCurrent to the list's right edge
// (their design widths, 1485, 1065 and 870 twips, cut or wrap the texts): the captions stay on
// one line, "ALT + ScrollLock" shows in full and a longer hand-edited name ends in an ellipsis.
constexpr std::array kControls{
    ControlSpec{ConfigForm::lblFunctions, ControlKind::kLabel, L"Supported &Functions", 0, 150, 210,
                1650, 195, kTahoma, SS_LEFTNOWORDWRAP},
    ControlSpec{ConfigForm::cmbFunctions, ControlKind::kDropDownList, nullptr, 0, 1830, 180, 2070,
                315},
    ControlSpec{ConfigForm::lblCurrentConfig, ControlKind::kLabel, L"C&urrent Config", 0, 150, 705,
                1650, 195, kTahoma, SS_LEFTNOWORDWRAP},
    ControlSpec{ConfigForm::lblCurrent, ControlKind::kLabel, L"ALT + [Key]", 0, 1830, 705, 2070,
                195, kTahoma, SS_NOPREFIX | SS_ENDELLIPSIS},
    ControlSpec{ConfigForm::cmdRemove, ControlKind::kButton, L"&Remove", 0, 150, 1260, 1230, 330},
    ControlSpec{ConfigForm::cmdChange, ControlKind::kButton, L"&Change", 0, 1485, 1260, 1230, 330},
    ControlSpec{ConfigForm::cmdOK, ControlKind::kButton, L"&OK", 0, 2835, 1260, 1230, 330},
    // Under the key, across the window: empty unless a function earlier in poll order has the
    // same key.
    ControlSpec{ConfigForm::lblNeverFires, ControlKind::kLabel, L"", 0, 150, 945, 3915, 195,
                kTahoma, SS_NOPREFIX | SS_ENDELLIPSIS},
};

// A fixed dialog frame with a close box only. It has a taskbar button, since the main window
// is hidden while it is open.
constexpr FormSpec kConfigSpec{L"Key Configuration",
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                               WS_EX_DLGMODALFRAME,
                               4215,
                               1725,
                               kControls};

ConfigForm frmConfig;

ConfigForm::ConfigForm() : Form(kConfigSpec) {}

const PlayerFunction* ConfigForm::SelectedFunction() {
    const HWND list = Control(cmbFunctions);
    const LRESULT index = list ? SendMessageW(list, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (index < 0 || static_cast<std::size_t>(index) >= kCatalogue.size()) return nullptr;
    return &kCatalogue[static_cast<std::size_t>(index)];
}

void ConfigForm::ShowKey(const PlayerFunction& function) {
    const KeyAssignments keys = KeyAssignments::Read(ProgramSettingsFile());
    SetText(lblCurrent, CurrentKeyCaption(keys.NameOf(function)));
    SetText(lblNeverFires, keys.NeverFiresNote(function));
}

void ConfigForm::Form_Load() {
    const HWND list = Control(cmbFunctions);
    for (const PlayerFunction& function : kCatalogue) {
        const std::wstring name = Utf8ToWide(function.display_name);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        DoEvents();
        // A message handled above may have closed the window.
        if (!IsLoaded()) return;
    }
    // Selecting from the program raises no notification: refresh as a user's choice would.
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    cmbFunctions_Click();
}

void ConfigForm::Control_Notify(int id, int code) {
    if (id == cmbFunctions && code == CBN_SELCHANGE) cmbFunctions_Click();
}

void ConfigForm::Control_Click(int id) {
    if (id == cmdChange) cmdChange_Click();
    if (id == cmdRemove) cmdRemove_Click();
    if (id == cmdOK) cmdOK_Click();
}

void ConfigForm::cmbFunctions_Click() {
    const PlayerFunction* function = SelectedFunction();
    if (function) ShowKey(*function);
}

void ConfigForm::cmdChange_Click() {
    const PlayerFunction* function = SelectedFunction();
    if (!function) return;
    // Out of the way while the key capture window is open.
    Hide();
    // Closed before a key was chosen: nothing was written, and the label stays as it was.
    if (CaptureKey(*function)) ShowKey(*function);
    Show();
}

void ConfigForm::cmdRemove_Click() {
    const PlayerFunction* function = SelectedFunction();
    if (!function) return;
    const std::string& path = ProgramSettingsFile();
    const KeyChange change = KeyAssignments::Remove(path, *function);
    ShowKey(*function);
    if (!change.stored()) ShowWarning(KeyChangeFailureMessage(change, path));
}

void ConfigForm::cmdOK_Click() {
    Hide();
    ShowMainWindow();
}

void ConfigForm::Form_Unload() {
    DoEvents();
    Hide();
    ShowMainWindow();
}

}  // namespace

void ShowConfiguration() {
    frmConfig.Show();
    SetTopmost(frmConfig.hwnd());
}

bool BringBackConfiguration() {
    if (!frmConfig.IsVisible()) return false;
    frmConfig.Show();
    return true;
}

}  // namespace kestrune
