// The main window: the executed count, the last function, "&Configure" and "&Hide Me". It hosts
// the hotkey poll, which runs every 100 ms whether the window is on the screen, hidden in the
// notification area or hidden behind the configuration window, unless the user has paused the
// shortcuts. Its system menu and the icon's menu also pause the shortcuts and make the program
// start with Windows.
#include <windows.h>
// After windows.h, which it needs.
#include <wtsapi32.h>

#include <array>
#include <string>

#include "app/forms.hpp"
#include "app/single_instance.hpp"
#include "hotkeys/format_count.hpp"
#include "hotkeys/messages.hpp"
#include "hotkeys/poll.hpp"
#include "hotkeys/poll_host.hpp"
#include "hotkeys/shortcut_notices.hpp"
#include "hotkeys/start_with_windows.hpp"
#include "hotkeys/stored_numbers.hpp"
#include "res/resource.h"
#include "settings/settings.hpp"
#include "settings/settings_names.hpp"
#include "ui/form.hpp"
#include "ui/system_tray.hpp"
#include "ui/window_utils.hpp"
#include "util/wide_text.hpp"
#include "win32/cls_winamp.hpp"
#include "win32/message_loop.hpp"
#include "win32/startup_folder.hpp"
#include "win32/win32_platform.hpp"

namespace kestrune {
namespace {

// Where the player is looked for at start-up, and only there: its usual install path, then the
// same place in the 32-bit program files folder, where its installer puts it on 64-bit Windows.
constexpr std::string_view kPlayerPath = "C:\\Program Files\\Winamp\\winamp.exe";
constexpr std::string_view kPlayerInProgramFiles = "\\Winamp\\winamp.exe";

class MainForm final : public Form,
                       private ProgramFolderHost<PollHost>,
                       private NoticeHost,
                       private StartupQuestions {
  public:
    enum ControlId : int {
        fraInformation = kFirstControlId,
        lblTotal,
        lblLast,
        cmdConfigure,
        cmdHideMe
    };

    MainForm();

    // Unloads the window, which ends the program (also the poll's Exit function).
    void Unload() override;

  private:
    void Form_Load() override;
    void Form_Unload() override;
    void Control_Click(int id) override;
    void Timer(UINT_PTR id) override;
    bool Message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

    // PollHost: what a tick of the poll reads and sets.
    std::string GroupSeparator() override;
    void SetLastCaption(std::string_view caption) override;
    void SetTotalCaption(std::string_view caption) override;
    void PlayerRefused() override;

    // NoticeHost: what the program tells the user when a shortcut cannot work.
    void SetTrayTip(std::string_view tip) override;
    bool ShowBalloon(std::string_view title, std::string_view text) override;
    // Also StartupQuestions', with AskYesNo.
    void ShowMessage(std::string_view text) override;
    bool AskYesNo(std::string_view question) override;

    void cmdConfigure_Click();
    void cmdHideMe_Click();
    void SystemTray1_Activate();
    // The icon's menu: "&Show Kestrune", "&Configure...", the two settings below, "E&xit".
    void SystemTray1_Menu();
    // The items that the icon's menu and the system menu share, checked as things stand.
    void AddSettingsItems(HMENU menu);
    void CheckSettingsItems(HMENU menu);
    // Does what a settings item asks; false for any other item.
    bool ChooseSettingsItem(UINT item);
    // "&Pause shortcuts": while paused, the poll looks at no key and runs nothing.
    void PauseShortcuts(bool paused);
    // "Start with &Windows".
    bool StartsWithWindows();
    void ToggleStartWithWindows();
    // Another start of the program for the same settings file.
    void StartedAgain();
    // The Windows session ends: the process may be ended at any moment from now on.
    void SessionEnding();
    // The session was unlocked or the system woke from sleep: the keyboard's "pressed since"
    // states may hold keys typed meanwhile elsewhere (a password on the lock screen).
    void KeyboardWasAway();
    void tmrKeyCheck_Timer();
    void StartPlayerIfAbsent();

    cls_Winamp winamp_;
    Win32KeyState keys_;
    PollMemory poll_memory_;
    Win32Foreground foreground_;
    ShortcutNotices notices_{foreground_};
    SystemTray SystemTray1;
    Win32StartupFolder startup_folder_;
    bool unloading_ = false;
    bool paused_ = false;  // for this run only: every start begins with the shortcuts on
    std::string notice_tip_{kPlainTip};  // the tip the notices set, shown unless paused
};

// The items of the menus. The settings items are in the system menu too, whose commands carry
// them in WM_SYSCOMMAND: their ids lie below the system's own and are multiples of 16, as the
// system keeps the low four bits for itself.
enum MenuItem : UINT {
    kMenuShow = 1,
    kMenuConfigure,
    kMenuExit,
    kMenuPause = 0x10,
    kMenuStartWithWindows = 0x20
};

constexpr FontSpec kTahomaBold{L"Tahoma", 825, true};
constexpr DWORD kLabelStyle = SS_NOPREFIX | SS_ENDELLIPSIS;

// The labels reach across the frame (their design width is 2235 twips) so that the longest
// captions, "Functions Executed - 2,147,483,647" and "Last Function Executed - Toggle
// Shuffle", show in full.
constexpr std::array kControls{
    ControlSpec{MainForm::fraInformation, ControlKind::kFrame, L"&Information", 0, 90, 75, 3480,
                945, kTahomaBold},
    ControlSpec{MainForm::lblTotal, ControlKind::kLabel, L"Functions Executed - [Number]",
                MainForm::fraInformation, 150, 285, 3180, 195, kTahoma, kLabelStyle},
    ControlSpec{MainForm::lblLast, ControlKind::kLabel, L"Last Function Executed - None",
                MainForm::fraInformation, 150, 525, 3180, 195, kTahoma, kLabelStyle},
    ControlSpec{MainForm::cmdConfigure, ControlKind::kButton, L"&Configure", 0, 2325, 1125, 1230,
                330},
    ControlSpec{MainForm::cmdHideMe, ControlKind::kButton, L"&Hide Me", 0, 975, 1125, 1230, 330},
};

constexpr FormSpec kMainSpec{L"Kestrune", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 3660, 1545,
                             kControls};

MainForm frmMain;

MainForm::MainForm() : Form(kMainSpec) {}

std::string MainForm::GroupSeparator() {
    return UserGroupSeparator();
}

void MainForm::SetLastCaption(std::string_view caption) {
    SetText(lblLast, caption);
}

void MainForm::SetTotalCaption(std::string_view caption) {
    SetText(lblTotal, caption);
}

void MainForm::PlayerRefused() {
    notices_.PlayerRefused();
}

void MainForm::SetTrayTip(std::string_view tip) {
    notice_tip_ = tip;
    if (!paused_) SystemTray1.SetTrayTipText(Utf8ToWide(tip));
}

bool MainForm::ShowBalloon(std::string_view title, std::string_view text) {
    return SystemTray1.ShowBalloon(Utf8ToWide(title), Utf8ToWide(text));
}

void MainForm::ShowMessage(std::string_view text) {
    ShowWarning(text);
}

bool MainForm::AskYesNo(std::string_view question) {
    return Form::AskYesNo(question);
}

void MainForm::Unload() {
    Form::Unload();
}

void MainForm::Form_Load() {
    StartTimer(tmrKeyCheck, kKeyCheckInterval);
    SetTopmost(hwnd());
    AdmitShowRunningCopyMessage(hwnd(), SettingsFile());
    WTSRegisterSessionNotification(hwnd(), NOTIFY_FOR_THIS_SESSION);
    SystemTray1.SetOwner(hwnd());
    SystemTray1.SetTrayIcon(IDI_KESTRUNE);
    SystemTray1.SetTrayTipText(kProgramName);
    AddSettingsItems(GetSystemMenu(hwnd(), FALSE));

    // A stored count that is not a whole number in range is shown as it stands: the poll
    // leaves such a count as it is and never counts it up.
    const std::string stored = ReadSetting(kOtherSection, kExecutedKey, SettingsFile(), "0");
    const auto count = ParseCount(stored);
    SetTotalCaption(TotalCaption(count ? std::to_string(*count) : stored, GroupSeparator()));

    StartPlayerIfAbsent();
}

void MainForm::StartPlayerIfAbsent() {
    if (winamp_.IsRunning()) return;
    if (FileExists(kPlayerPath)) {
        ShellOpen(kPlayerPath);
        return;
    }
    const std::string x86 = ProgramFilesX86Folder();
    if (x86.empty()) return;
    const std::string path = x86 + std::string(kPlayerInProgramFiles);
    if (FileExists(path)) ShellOpen(path);
}

void MainForm::Form_Unload() {
    if (unloading_) return;
    unloading_ = true;
    // No more ticks: nothing may be sent or written once the program is ending.
    StopTimer(tmrKeyCheck);
    WTSUnRegisterSessionNotification(hwnd());
    SystemTray1.SetTrayAction(SystemTray::kDelete);
    for (int pass = CountLoadedForms() + 1; pass > 0; --pass) DoEvents();
    ExitProcess(0);
}

void MainForm::Control_Click(int id) {
    if (unloading_) return;
    if (id == cmdConfigure) cmdConfigure_Click();
    if (id == cmdHideMe) cmdHideMe_Click();
}

void MainForm::cmdConfigure_Click() {
    Hide();
    ShowConfiguration();
}

void MainForm::cmdHideMe_Click() {
    Hide();
    // Without an icon there would be no way back to the window.
    if (!SystemTray1.SetTrayAction(SystemTray::kAdd)) Show();
}

void MainForm::SystemTray1_Activate() {
    Show();
    SystemTray1.SetTrayAction(SystemTray::kDelete);
}

void MainForm::Timer(UINT_PTR id) {
    if (id == tmrKeyCheck) tmrKeyCheck_Timer();
}

void MainForm::tmrKeyCheck_Timer() {
    if (unloading_ || paused_) return;
    RunKeyCheckTick(keys_, winamp_, *this, poll_memory_);
    // After the tick, never inside it: a message box lets the next ticks run while it is open.
    if (!unloading_) notices_.AfterTick(*this);
}

void MainForm::SystemTray1_Menu() {
    const HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuW(menu, MF_STRING, kMenuShow, L"&Show Kestrune");
    AppendMenuW(menu, MF_STRING, kMenuConfigure, L"&Configure...");
    AddSettingsItems(menu);
    CheckSettingsItems(menu);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kMenuExit, L"E&xit");
    SetMenuDefaultItem(menu, kMenuShow, FALSE);
    POINT at{};
    GetCursorPos(&at);
    // With the program in front the menu closes when the user clicks elsewhere; the posted
    // message lets the menu end cleanly before the next one opens.
    SetForegroundWindow(hwnd());
    const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
        menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_BOTTOMALIGN | align, at.x, at.y,
        hwnd(), nullptr));
    PostMessageW(hwnd(), WM_NULL, 0, 0);
    DestroyMenu(menu);
    // The poll ticks while the menu is open; its Exit may have begun to end the program.
    if (unloading_) return;
    switch (chosen) {
        case kMenuShow:
            SystemTray1_Activate();
            break;
        case kMenuConfigure:
            // As "&Configure" does from the window; the configuration window brings the main
            // window back when it closes, so the icon goes now.
            SystemTray1.SetTrayAction(SystemTray::kDelete);
            cmdConfigure_Click();
            break;
        case kMenuExit:
            Unload();
            break;
        default:
            ChooseSettingsItem(chosen);
            break;
    }
}

void MainForm::AddSettingsItems(HMENU menu) {
    if (!menu) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kMenuPause, L"&Pause shortcuts");
    AppendMenuW(menu, MF_STRING, kMenuStartWithWindows, L"Start with &Windows");
}

bool MainForm::ChooseSettingsItem(UINT item) {
    if (item == kMenuPause) PauseShortcuts(!paused_);
    if (item == kMenuStartWithWindows) ToggleStartWithWindows();
    return item == kMenuPause || item == kMenuStartWithWindows;
}

void MainForm::CheckSettingsItems(HMENU menu) {
    CheckMenuItem(menu, kMenuPause, MF_BYCOMMAND | (paused_ ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, kMenuStartWithWindows,
                  MF_BYCOMMAND | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED));
}

void MainForm::PauseShortcuts(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    // Nothing pressed while the shortcuts were paused may run a function: the poll's next
    // look is a first look.
    if (!paused_) poll_memory_.Forget();
    SystemTray1.SetTrayIcon(paused_ ? IDI_KESTRUNE_PAUSED : IDI_KESTRUNE);
    SystemTray1.SetTrayTipText(Utf8ToWide(paused_ ? kPausedTip : notice_tip_));
    SetWindowTextW(hwnd(), paused_ ? Utf8ToWide(kPausedCaption).c_str() : kProgramName);
}

bool MainForm::StartsWithWindows() {
    return kestrune::StartsWithWindows(startup_folder_, ProgramFile());
}

void MainForm::ToggleStartWithWindows() {
    kestrune::ToggleStartWithWindows(startup_folder_, ProgramFile(), *this);
}

void MainForm::StartedAgain() {
    // Bring back whichever of the program's windows the user was working in.
    if (!BringBackKeyCapture() && !BringBackConfiguration()) SystemTray1_Activate();
}

void MainForm::SessionEnding() {
    // A save that began now could be cut off half way: none begins, and the poll stops.
    EndSettingsWrites();
    StopTimer(tmrKeyCheck);
}

void MainForm::KeyboardWasAway() {
    poll_memory_.Forget();
    ForgetKeysPressedInKeyCapture();
}

bool MainForm::Message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    if (message == WM_ENDSESSION) {
        if (wparam) SessionEnding();
        result = 0;
        return true;
    }
    const bool unlocked = message == WM_WTSSESSION_CHANGE && wparam == WTS_SESSION_UNLOCK;
    const bool woke = message == WM_POWERBROADCAST &&
                      (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND);
    if (unlocked || woke) {
        KeyboardWasAway();
        result = TRUE;
        return true;
    }
    static const UINT started_again = ShowRunningCopyMessage(SettingsFile());
    if (message == started_again && started_again != 0) {
        if (wparam == kShowRunningCopyNow && !unloading_) StartedAgain();
        result = kIsRunningCopy;
        return true;
    }
    if (message == WM_INITMENUPOPUP && HIWORD(lparam)) {
        CheckSettingsItems(reinterpret_cast<HMENU>(wparam));  // the system menu opens
        return false;
    }
    if (message == WM_SYSCOMMAND && !unloading_) {
        const UINT command = static_cast<UINT>(wparam & 0xFFF0);
        if (ChooseSettingsItem(command)) {
            result = 0;
            return true;
        }
    }
    TrayEvent event = TrayEvent::kNone;
    if (!SystemTray1.HandleMessage(message, wparam, lparam, event)) return false;
    if (!unloading_ && event == TrayEvent::kActivate) SystemTray1_Activate();
    if (!unloading_ && event == TrayEvent::kMenu) SystemTray1_Menu();
    result = 0;
    return true;
}

}  // namespace

void LoadMainWindow() {
    frmMain.Load();
    SetTopmost(frmMain.hwnd());
    frmMain.Show();
}

bool IsMainWindowLoaded() {
    return frmMain.IsLoaded();
}

void ShowMainWindow() {
    frmMain.Show();
}

}  // namespace kestrune
