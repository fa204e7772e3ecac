// The window plumbing every form of the program shares: one window class, controls created
// from layout tables, message routing to the form's named handlers, modal showing.
//
// Layout is given in twips (1440 to the inch; 15 to the pixel at 96 dots per inch) and scaled
// to the dots per inch of the monitor the window is on, again whenever that changes.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct FontSpec {
    const wchar_t* face;
    int hundredths_of_point;  // 825 is 8.25 pt
    bool bold;
};
inline constexpr FontSpec kTahoma{L"Tahoma", 825, false};

enum class ControlKind { kFrame, kLabel, kButton, kDropDownList };

// One row of a form's layout table. Rows are created in table order, which is also the order
// Tab moves through. Positions are relative to the container: the frame with id `container`,
// or the form's client area when it is 0.
struct ControlSpec {
    int id;
    ControlKind kind;
    const wchar_t* caption;
    int container;
    int left, top, width, height;
    FontSpec font = kTahoma;
    DWORD style = 0;  // added to the kind's own styles
};

struct FormSpec {
    const wchar_t* caption;
    DWORD style;
    DWORD ex_style;
    int client_width, client_height;  // twips
    std::span<const ControlSpec> controls;
};

// Control ids start here, clear of IDOK and IDCANCEL, which the dialog manager sends for Enter
// and Escape when no button is to take them.
inline constexpr int kFirstControlId = 100;

// The program's name, as its message boxes and its notification-area icon show it.
inline constexpr wchar_t kProgramName[] = L"Kestrune";

// The class name of every top-level window of the program.
inline constexpr wchar_t kFormClassName[] = L"KestruneForm";

class Form {
  public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool IsLoaded() const { return hwnd_ != nullptr; }
    bool IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

    // Creates the window (Form_Initialize), centres it on its screen and creates its controls,
    // then runs Form_Load. Does nothing when the form is loaded already.
    void Load();
    // Loads the form when needed, then shows and activates it.
    void Show();
    void Hide();
    // Shows the form and returns once it has been hidden or unloaded; meanwhile the program's
    // other windows are disabled.
    void ShowModal();
    // Runs Form_Unload, then destroys the window.
    void Unload();

    HWND Control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
    void SetText(int id, std::string_view text);
    std::string Text(int id) const;
    // A warning in a message box that this window owns, so that it stays above the window and
    // the window takes no input until the box is closed. Returns when the user has closed it.
    void ShowWarning(std::string_view text);
    // A Yes/No question in a message box that this window owns, likewise; true for Yes.
    bool AskYesNo(std::string_view text);

    void StartTimer(UINT_PTR id, UINT milliseconds);
    void StopTimer(UINT_PTR id);

    // `twips` in pixels at the window's current dots per inch.
    int Px(int twips) const;

  protected:
    explicit Form(const FormSpec& spec) : spec_(spec) {}
    virtual ~Form() = default;

    virtual void Form_Initialize();
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // A button was pressed or a label (with SS_NOTIFY) clicked.
    virtual void Control_Click(int /*id*/) {}
    // Any other notification from a control, such as a new selection in a list.
    virtual void Control_Notify(int /*id*/, int /*code*/) {}
    // A click on the form outside its controls.
    virtual void Form_Click() {}
    virtual void Timer(UINT_PTR /*id*/) {}
    // Paints what is not a control; the background is the face colour unless this paints it.
    virtual void Paint(HDC /*dc*/) {}
    // The brush behind labels and frames.
    virtual HBRUSH LabelBackground() const;
    // Any other message; returns true when handled, with `result` set.
    virtual bool Message(UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) { return false; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // One switch over the messages; each that takes more than a line has a handler below.
    LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
    void OnCommand(int id, int code);
    void OnMouseUp();
    void OnPaint();
    LRESULT OnControlColour(HDC dc);
    void OnActivate(bool active);
    LRESULT OnGetDefaultId();
    void OnNextDialogControl(WPARAM wparam, LPARAM lparam);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void Layout();
    void SetIcons();
    HFONT FontFor(const FontSpec& font);
    void EndModal();

    const FormSpec& spec_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    HWND last_focus_ = nullptr;
    bool mouse_down_ = false;
    bool modal_ = false;
    bool unloading_ = false;
    std::vector<HWND> disabled_by_modal_;
    struct Font {
        FontSpec spec;
        HFONT handle;
    };
    std::vector<Font> fonts_;
};

// The program's icon drawn at `size` pixels square (the nearest image the icon holds, scaled
// when none matches); null when it cannot be loaded.
HICON ProgramIcon(int size);

// The size of a small icon (SM_CXSMICON) in the notification area now: at the taskbar's dots
// per inch where Windows can tell them, else at the system's.
int NotificationAreaIconSize();

// The program's loaded top-level windows.
int CountLoadedForms();

// Why the last window that could not be created failed (a system error code), or 0.
DWORD LastCreationError();

}  // namespace kestrune
