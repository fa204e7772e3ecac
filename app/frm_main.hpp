// The main window: the executed count, the last function, "&Configure" and "&Hide Me". It hosts
// the hotkey poll, which runs every 100 ms whether the window is on the screen, hidden in the
// notification area or hidden behind the configuration window.
#pragma once

#include "app/form.hpp"
#include "app/system_tray.hpp"
#include "hotkeys/poll.hpp"
#include "player/cls_winamp.hpp"
#include "util/win32_platform.hpp"

namespace kestrune {

// Where the player is looked for at start-up, and only there.
inline constexpr std::string_view kPlayerPath = "C:\\Program Files\\Winamp\\winamp.exe";

class MainForm final : public Form, public PollHost {
  public:
    enum ControlId : int { Frame1 = kFirstControlId, lblTotal, lblLast, cmdChange, Command1 };

    MainForm();

    // PollHost: what a tick of the poll reads and sets.
    std::string ProgramFolder() override;
    std::string GroupSeparator() override;
    void SetLastCaption(std::string_view caption) override;
    void SetTotalCaption(std::string_view caption) override;
    // Unloads the window, which ends the program.
    void Unload() override;

  private:
    void Form_Load() override;
    void Form_Unload() override;
    void Control_Click(int id) override;
    void Timer(UINT_PTR id) override;
    bool Message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

    void cmdChange_Click();
    void Command1_Click();
    void SystemTray1_Activate();
    // The icon's menu: "&Show Kestrune", "&Configure...", "E&xit".
    void SystemTray1_Menu();
    // Another start of the program for the same settings file.
    void StartedAgain();
    void tmrKeyCheck_Timer();
    void StartPlayerIfAbsent();

    cls_Winamp winamp_;
    Win32KeyState keys_;
    SystemTray SystemTray1;
    bool unloading_ = false;
};

extern MainForm frmMain;

}  // namespace kestrune
