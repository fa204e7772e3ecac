// The program's icon in the notification area. Its three settings mirror what the main window
// needs: the image and the tooltip, and TrayAction, which adds the icon (0) or takes it out
// (2). A left click on the icon, or Enter on it, raises the activation; a right click, or the
// context-menu key on it, asks for the icon's menu. The image is drawn at the notification
// area's size, again whenever the shell says that it has changed.
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

    SystemTray() = default;
    ~SystemTray();
    SystemTray(const SystemTray&) = delete;
    SystemTray& operator=(const SystemTray&) = delete;

    // The window that owns the icon. When it runs as administrator, it lets the shell's
    // messages about the icon through all the same.
    void SetOwner(HWND owner);
    // The image: the program's icon resource `id`. An icon that is there shows it at once.
    void SetTrayIcon(int resource_id);
    // The tooltip; an icon that is there shows the new one at once.
    void SetTrayTipText(std::wstring text);
    // A balloon from the icon, with a warning sign; false when the icon is not there.
    bool ShowBalloon(const std::wstring& title, const std::wstring& text);
    // Adds or removes the icon. Returns false when the shell refused to add it. Adding an icon
    // that is there already, or removing one that is not, does nothing.
    bool SetTrayAction(int action);

    // Handles the owner window's messages that concern the icon: a mouse or keyboard
    // activation or menu request, and the shell's "TaskbarCreated" (sent when it restarts, and
    // when the display or its dots per inch change): an icon the shell still holds is drawn
    // anew at the notification area's size, one it has forgotten is added again. kActivate
    // tells that the window should come back: the user activated the icon, or it could not be
    // added again. Returns whether `message` was the icon's.
    bool HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, TrayEvent& event);

  private:
    bool Add();
    // Changes what `flags` name of the icon that is there; false when the shell has no such
    // icon.
    bool Modify(UINT flags);
    // Loads the image at the notification area's size when the one held is not that; returns
    // the image it replaced, for the caller to destroy once the shell has the new one.
    HICON LoadImageAtShellSize();
    HWND owner_ = nullptr;
    int resource_ = 0;
    HICON icon_ = nullptr;  // owned
    int icon_resource_ = 0;
    int icon_size_ = 0;
    std::wstring tip_;
    bool present_ = false;
    bool versioned_ = false;  // the shell speaks NOTIFYICON_VERSION: WM_CONTEXTMENU for the menu
};

}  // namespace kestrune
