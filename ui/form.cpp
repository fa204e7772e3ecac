#include "ui/form.hpp"

#include <commctrl.h>

#include "res/resource.h"
#include "util/wide_text.hpp"
#include "win32/message_loop.hpp"

namespace kestrune {
namespace {

DWORD last_creation_error = 0;

// Entry points that older versions of Windows lack, looked up once.
template <typename Function>
Function User32Function(const char* name) {
    const FARPROC proc = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(proc));
}

UINT WindowDpi(HWND window) {
    static const auto get_dpi = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (get_dpi) {
        if (const UINT dpi = get_dpi(window)) return dpi;
    }
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The outer size of a window whose client area is `client` pixels.
SIZE WindowSizeFor(SIZE client, DWORD style, DWORD ex_style, UINT dpi) {
    static const auto adjust =
        User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (!adjust || !adjust(&rect, style, FALSE, ex_style, dpi)) {
        AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW window_class{};
    if (GetClassInfoExW(instance, kFormClassName, &window_class)) return;
    window_class.cbSize = sizeof window_class;
    // No CS_DBLCLKS: every click is a click.
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
    window_class.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
    if (!window_class.hIcon) window_class.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = kFormClassName;
    RegisterClassExW(&window_class);
}

// A system metric at the given dots per inch (Windows 10 and later), else at the system's.
int MetricForDpi(int index, UINT dpi) {
    static const auto metric = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    return metric ? metric(index, dpi) : GetSystemMetrics(index);
}

}  // namespace

HICON ProgramIcon(int size) {
    // Loaded once per size and kept for the whole run: windows and the tray share them.
    static std::vector<std::pair<int, HICON>> loaded;
    for (const auto& [made_size, icon] : loaded) {
        if (made_size == size) return icon;
    }
    const HICON icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KESTRUNE),
                                      IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (icon) loaded.emplace_back(size, icon);
    return icon;
}

int NotificationAreaIconSize() {
    static const auto get_dpi = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    const UINT dpi = get_dpi && taskbar ? get_dpi(taskbar) : 0;
    return dpi ? MetricForDpi(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
}

void Form::SetIcons() {
    // The image drawn for the size each place needs at this window's dots per inch.
    const int small_size = MetricForDpi(SM_CXSMICON, dpi_);
    const int large_size = MetricForDpi(SM_CXICON, dpi_);
    if (const HICON icon = ProgramIcon(small_size)) {
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    if (const HICON icon = ProgramIcon(large_size)) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
}

void Form::Form_Initialize() {
    InitCommonControls();
}

HBRUSH Form::LabelBackground() const {
    return GetSysColorBrush(COLOR_BTNFACE);
}

int Form::Px(int twips) const {
    return MulDiv(twips, static_cast<int>(dpi_), 1440);
}

void Form::Load() {
    if (hwnd_) return;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterFormClass(instance, &Form::WindowProc);

    // Created hidden on the main screen, so that its dots per inch are known before sizing.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    CreateWindowExW(spec_.ex_style, kFormClassName, spec_.caption, spec_.style, monitor.rcWork.left,
                    monitor.rcWork.top, 0, 0, nullptr, nullptr, instance, this);
    if (!hwnd_) {
        last_creation_error = GetLastError();
        return;
    }
    dpi_ = WindowDpi(hwnd_);
    SetIcons();

    for (const ControlSpec& control : spec_.controls) {
        const wchar_t* window_class = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE | control.style;
        switch (control.kind) {
            case ControlKind::kFrame:
                window_class = L"BUTTON";
                style |= BS_GROUPBOX;
                break;
            case ControlKind::kLabel:
                break;
            case ControlKind::kButton:
                window_class = L"BUTTON";
                style |= BS_PUSHBUTTON | WS_TABSTOP;
                break;
            case ControlKind::kDropDownList:
                window_class = L"COMBOBOX";
                style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
                break;
        }
        CreateWindowExW(0, window_class, control.caption, style, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance,
                        nullptr);
    }
    Layout();

    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT window;
    GetWindowRect(hwnd_, &window);
    const RECT& work = monitor.rcWork;
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    Form_Load();
}

void Form::Layout() {
    for (const ControlSpec& control : spec_.controls) {
        const HWND child = Control(control.id);
        if (!child) continue;
        int left = control.left;
        int top = control.top;
        for (const ControlSpec& frame : spec_.controls) {
            if (control.container != 0 && frame.id == control.container) {
                left += frame.left;
                top += frame.top;
            }
        }
        int height = Px(control.height);
        // A list's window also holds its drop-down part: room for a dozen rows.
        if (control.kind == ControlKind::kDropDownList) height += Px(control.height) * 12;
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.font)), FALSE);
        MoveWindow(child, Px(left), Px(top), Px(control.width), height, TRUE);
    }
    const SIZE size = WindowSizeFor({Px(spec_.client_width), Px(spec_.client_height)}, spec_.style,
                                    spec_.ex_style, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

HFONT Form::FontFor(const FontSpec& font) {
    for (const Font& made : fonts_) {
        if (made.spec.face == font.face &&
            made.spec.hundredths_of_point == font.hundredths_of_point &&
            made.spec.bold == font.bold) {
            return made.handle;
        }
    }
    const int height = -MulDiv(font.hundredths_of_point, static_cast<int>(dpi_), 7200);
    const HFONT handle =
        CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, font.face);
    fonts_.push_back({font, handle});
    return handle;
}

void Form::Show() {
    Load();
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void Form::Hide() {
    if (!hwnd_) return;
    if (modal_) EndModal();
    ShowWindow(hwnd_, SW_HIDE);
}

void Form::ShowModal() {
    Load();
    if (!hwnd_) return;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM form) -> BOOL {
            auto* self = reinterpret_cast<Form*>(form);
            if (window != self->hwnd_ && IsWindowEnabled(window)) {
                EnableWindow(window, FALSE);
                self->disabled_by_modal_.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    modal_ = true;
    Show();
    int exit_code = 0;
    while (modal_ && IsVisible()) {
        const PumpResult result = PumpMessage(PumpWait::kWait, exit_code);
        if (result == PumpResult::kQuit) LeaveQuitForMessageLoop(exit_code);
        if (result == PumpResult::kQuit || result == PumpResult::kFailed) break;
    }
    EndModal();
}

void Form::EndModal() {
    // The other windows come back before this one goes, so that activation stays in the
    // program.
    for (const HWND window : disabled_by_modal_) {
        if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    disabled_by_modal_.clear();
    modal_ = false;
}

void Form::Unload() {
    // Form_Unload may process messages, among them another request to close.
    if (!hwnd_ || unloading_) return;
    unloading_ = true;
    Form_Unload();
    unloading_ = false;
    if (!hwnd_) return;
    if (modal_) EndModal();
    DestroyWindow(hwnd_);
}

void Form::SetText(int id, std::string_view text) {
    if (const HWND control = Control(id)) SetWindowTextW(control, ScreenText(text).c_str());
}

void Form::ShowWarning(std::string_view text) {
    MessageBoxW(hwnd_, ScreenText(text).c_str(), kProgramName,
                MB_OK | MB_ICONWARNING | (hwnd_ ? 0 : MB_TOPMOST));
}

bool Form::AskYesNo(std::string_view text) {
    return MessageBoxW(hwnd_, ScreenText(text).c_str(), kProgramName,
                       MB_YESNO | MB_ICONQUESTION | (hwnd_ ? 0 : MB_TOPMOST)) == IDYES;
}

std::string Form::Text(int id) const {
    const HWND control = Control(id);
    if (!control) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return WideToUtf8(text);
}

void Form::StartTimer(UINT_PTR id, UINT milliseconds) {
    if (hwnd_) SetTimer(hwnd_, id, milliseconds, nullptr);
}

void Form::StopTimer(UINT_PTR id) {
    if (hwnd_) KillTimer(hwnd_, id);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        form->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form) return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        for (const Font& font : form->fonts_) DeleteObject(font.handle);
        form->fonts_.clear();
        form->hwnd_ = nullptr;
        form->last_focus_ = nullptr;
        form->modal_ = false;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return form->Handle(message, wparam, lparam);
}

LRESULT Form::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            Form_Initialize();
            return 0;
        case WM_COMMAND:
            if (lparam == 0) break;  // a menu or accelerator: none of the forms has one
            OnCommand(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_TIMER:
            Timer(wparam);
            return 0;
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_LBUTTONDOWN:
            mouse_down_ = true;
            return 0;
        case WM_LBUTTONUP:
            OnMouseUp();
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnControlColour(reinterpret_cast<HDC>(wparam));
        case WM_ACTIVATE:
            OnActivate(LOWORD(wparam) != WA_INACTIVE);
            return 0;
        case DM_GETDEFID:
            return OnGetDefaultId();
        case WM_NEXTDLGCTL:
            OnNextDialogControl(wparam, lparam);
            return 0;
        case WM_SYSCHAR:
            // An Alt+letter that is no access key here is most likely a shortcut of the
            // program's own: no beep. Alt+Space still opens the system menu.
            if (wparam != L' ') return 0;
            break;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return 0;
        default:
            break;
    }
    LRESULT result = 0;
    if (Message(message, wparam, lparam, result)) return result;
    return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void Form::OnCommand(int id, int code) {
    // BN_CLICKED and STN_CLICKED are both 0.
    if (code == BN_CLICKED) {
        Control_Click(id);
    } else {
        Control_Notify(id, code);
    }
}

void Form::OnMouseUp() {
    if (!mouse_down_) return;
    mouse_down_ = false;
    Form_Click();
}

void Form::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    Paint(dc);
    EndPaint(hwnd_, &paint);
}

LRESULT Form::OnControlColour(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    return reinterpret_cast<LRESULT>(LabelBackground());
}

void Form::OnActivate(bool active) {
    // Keep the focus on its control while the user is in another program.
    if (!active) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) last_focus_ = focus;
        return;
    }
    HWND focus = last_focus_;
    if (!focus || !IsChild(hwnd_, focus) || !IsWindowEnabled(focus)) {
        focus = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    }
    if (focus) SetFocus(focus);
}

LRESULT Form::OnGetDefaultId() {
    // Enter presses the button that has the focus, as in any dialog box; elsewhere it does
    // nothing.
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus) &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON)) {
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    }
    return 0;
}

void Form::OnNextDialogControl(WPARAM wparam, LPARAM lparam) {
    // What the dialog manager sends for a label's access key: the label, then "the next
    // control".
    HWND target = reinterpret_cast<HWND>(wparam);
    if (LOWORD(lparam) == 0) target = GetNextDlgTabItem(hwnd_, GetFocus(), wparam != 0);
    if (target && IsChild(hwnd_, target)) SetFocus(target);
}

void Form::OnDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    const std::vector<Font> old_fonts = std::move(fonts_);
    fonts_.clear();
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
    SetIcons();
    for (const Font& font : old_fonts) DeleteObject(font.handle);
}

DWORD LastCreationError() {
    return last_creation_error;
}

int CountLoadedForms() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM counter) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (lstrcmpW(name, kFormClassName) == 0) ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace kestrune
