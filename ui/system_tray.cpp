#include "ui/system_tray.hpp"

#include <shellapi.h>

#include <algorithm>

#include "ui/form.hpp"

namespace kestrune {
namespace {

NOTIFYICONDATAW IconData(HWND owner) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    return data;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// Copies as much of `text` as `field` holds, with its terminating null.
template <std::size_t N>
void CopyInto(wchar_t (&field)[N], const std::wstring& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    text.copy(field, length);
    field[length] = L'\0';
}

}  // namespace

SystemTray::~SystemTray() {
    if (icon_) DestroyIcon(icon_);
}

void SystemTray::SetOwner(HWND owner) {
    owner_ = owner;
    // The shell runs at the user's level, below an administrator's window.
    for (const UINT message : {TaskbarCreatedMessage(), kTrayCallbackMessage}) {
        if (message != 0) ChangeWindowMessageFilterEx(owner_, message, MSGFLT_ALLOW, nullptr);
    }
}

void SystemTray::SetTrayIcon(int resource_id) {
    resource_ = resource_id;
    if (!present_) return;
    const HICON old = LoadImageAtShellSize();
    Modify(NIF_ICON);
    if (old) DestroyIcon(old);
}

HICON SystemTray::LoadImageAtShellSize() {
    const int size = NotificationAreaIconSize();
    if (icon_ && icon_resource_ == resource_ && icon_size_ == size) return nullptr;
    const HICON icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource_),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!icon) return nullptr;  // the image held stays
    const HICON old = icon_;
    icon_ = icon;
    icon_resource_ = resource_;
    icon_size_ = size;
    return old;
}

bool SystemTray::Modify(UINT flags) {
    NOTIFYICONDATAW data = IconData(owner_);
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon_;
    CopyInto(data.szTip, tip_);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void SystemTray::SetTrayTipText(std::wstring text) {
    tip_ = std::move(text);
    if (present_) Modify(NIF_TIP);
}

bool SystemTray::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    if (!present_) return false;
    NOTIFYICONDATAW data = IconData(owner_);
    data.uFlags = NIF_INFO;
    CopyInto(data.szInfoTitle, title);
    CopyInto(data.szInfo, text);
    data.dwInfoFlags = NIIF_WARNING;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool SystemTray::Add() {
    const HICON old = LoadImageAtShellSize();
    if (old) DestroyIcon(old);  // the shell holds no icon of ours
    NOTIFYICONDATAW data = IconData(owner_);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon_;
    CopyInto(data.szTip, tip_);
    present_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    if (present_) {
        // Also tell keyboard selection of the icon (NIN_SELECT, NIN_KEYSELECT).
        data.uVersion = NOTIFYICON_VERSION;
        versioned_ = Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
    }
    return present_;
}

bool SystemTray::SetTrayAction(int action) {
    TaskbarCreatedMessage();  // registered before the shell could need to say it
    if (action == kAdd) return present_ || Add();
    if (action == kDelete && present_) {
        NOTIFYICONDATAW data = IconData(owner_);
        Shell_NotifyIconW(NIM_DELETE, &data);
        present_ = false;
    }
    return true;
}

bool SystemTray::HandleMessage(UINT message, WPARAM, LPARAM lparam, TrayEvent& event) {
    event = TrayEvent::kNone;
    if (message == kTrayCallbackMessage) {
        if (!present_) return true;
        // A click gives WM_LBUTTONUP and then NIN_SELECT, and Enter may give NIN_KEYSELECT
        // twice: only the first activates, as the icon is gone by the next one. A right click
        // gives WM_RBUTTONUP and, from a shell that speaks our version, WM_CONTEXTMENU after
        // it: only one of them opens the menu.
        const UINT what = LOWORD(lparam);
        if (what == WM_LBUTTONUP || what == NIN_SELECT || what == NIN_KEYSELECT) {
            event = TrayEvent::kActivate;
        } else if (what == (versioned_ ? WM_CONTEXTMENU : WM_RBUTTONUP)) {
            event = TrayEvent::kMenu;
        }
        return true;
    }
    if (message == TaskbarCreatedMessage() && message != 0) {
        if (!present_) return true;
        // The image at the size the notification area has now, on the icon the shell holds;
        // a restarted shell has forgotten the icon, and it is added again. Should that fail,
        // the window has to come back instead.
        const HICON old = LoadImageAtShellSize();
        if (!Modify(NIF_MESSAGE | NIF_ICON | NIF_TIP) && !Add()) event = TrayEvent::kActivate;
        if (old) DestroyIcon(old);
        return true;
    }
    return false;
}

}  // namespace kestrune
