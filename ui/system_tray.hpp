// The program's icon in the notification area. Its three settings mirror what the main window
// needs: the image and the tooltip, set once, and TrayAction, which adds the icon (0) or takes
// it out (2). A left click on the icon, or Enter on it, raises the activation; a right click,
// or the context-menu key on it, asks for the icon's menu.
#pragma once

#include <windows.h>

#include <string>

namespace kestrune {

// The message the shell sends the owner window about its icon; lParam is the mouse message.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;
// The icon's id for its owner window.
inline constexpr UINT kTrayIconId = 1;

// What the user did to the icon.
enum class TrayEvent { kNone, kActivate, kMenu };

class SystemTray {
  public:
    static constexpr int kAdd = 0;     // NIM_ADD
    static constexpr int kDelete = 2;  // NIM_DELETE

    void SetOwner(HWND owner) { owner_ = owner; }
    void SetTrayIconHandle(HICON icon) { icon_ = icon; }
    // The tooltip; an icon that is there shows the new one at once.
    void SetTrayTipText(std::wstring text);
    // A balloon from the icon, with a warning sign; false when the icon is not there.
    bool ShowBalloon(const std::wstring& title, const std::wstring& text);
    // Adds or removes the icon. Returns false when the shell refused to add it. Adding an icon
    // that is there already, or removing one that is not, does nothing.
    bool SetTrayAction(int action);

    // Handles the owner window's messages that concern the icon: a mouse or keyboard
    // activation or menu request, and a restarted shell (the icon is added again). kActivate
    // tells that the window should come back: the user activated the icon, or it could not be
    // added again. Returns whether `message` was the icon's.
    bool HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, TrayEvent& event);

  private:
    bool Add();
    HWND owner_ = nullptr;
    HICON icon_ = nullptr;
    std::wstring tip_;
    bool present_ = false;
    bool versioned_ = false;  // the shell speaks NOTIFYICON_VERSION: WM_CONTEXTMENU for the menu
};

}  // namespace kestrune
