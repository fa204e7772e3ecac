#include "app/frm_splash.hpp"

#include <array>

#include "app/frm_main.hpp"
#include "util/window_utils.hpp"

namespace kestrune {
namespace {

constexpr int kWidth = 2985;  // twips
constexpr int kHeight = 1155;

constexpr DWORD kLabelStyle = SS_CENTER | SS_NOTIFY | SS_NOPREFIX;

// The texts are centred on the same points as in the design (1770 and 1755 twips from the
// left), in boxes widened so that each stays on one line: "Brindle Corporation" needs more
// than its design width of 1350 twips, and the notice more than 900.
constexpr std::array kControls{
    ControlSpec{SplashForm::Label3, ControlKind::kLabel, L"Freeware. No warranty.", 0, 870, 720,
                1800, 165, FontSpec{L"Tahoma", 675, false}, kLabelStyle},
    ControlSpec{SplashForm::Label2, ControlKind::kLabel, L"Brindle Corporation", 0, 855, 480, 1800,
                195, kTahoma, kLabelStyle},
    ControlSpec{SplashForm::Label1, ControlKind::kLabel, L"Kestrune", 0, -45, 210, 3600, 240,
                FontSpec{L"Tahoma", 975, true}, kLabelStyle},
};

// No caption, no border, no taskbar button.
constexpr FormSpec kSplashSpec{L"", WS_POPUP, WS_EX_TOOLWINDOW, kWidth, kHeight, kControls};

}  // namespace

SplashForm frmSplash;

SplashForm::SplashForm() : Form(kSplashSpec) {}

void SplashForm::Form_Load() {
    // The outline becomes a one-pixel frame along the edges of the borderless window.
    Shape2 = {0, 0, kWidth, kHeight};
    AddDropShadow(hwnd());
    SetTopmost(hwnd());
    Show();
    WaitSeconds(2.0);
    ClearTopmost(hwnd());
    Hide();
    frmMain.Load();
    SetTopmost(frmMain.hwnd());
    frmMain.Show();
}

void SplashForm::Form_Click() {
    ShellOpen(kMakerAddress);
}

void SplashForm::Label1_Click() {
    ShellOpen(kMakerAddress);
}

void SplashForm::Label2_Click() {
    ShellOpen(kMakerAddress);
}

void SplashForm::Label3_Click() {
    ShellOpen(kMakerAddress);
}

void SplashForm::Control_Click(int id) {
    if (id == Label1) Label1_Click();
    if (id == Label2) Label2_Click();
    if (id == Label3) Label3_Click();
}

void SplashForm::DrawShape(HDC dc, const Shape& shape, HBRUSH fill, COLORREF outline) const {
    const HPEN pen = CreatePen(PS_SOLID, 1, outline);
    const HGDIOBJ old_pen = SelectObject(dc, pen);
    const HGDIOBJ old_brush = SelectObject(dc, fill);
    Rectangle(dc, Px(shape.left), Px(shape.top), Px(shape.left + shape.width),
              Px(shape.top + shape.height));
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(pen);
}

void SplashForm::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // The navy band down the left side; its white outline melts into the background.
    const HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
    DrawShape(dc, Shape1, navy, RGB(255, 255, 255));
    DeleteObject(navy);
    DrawShape(dc, Shape2, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)),
              GetSysColor(COLOR_WINDOWTEXT));
}

HBRUSH SplashForm::LabelBackground() const {
    // The labels have no background: the white and the band show through.
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

bool SplashForm::Message(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_ERASEBKGND) return false;
    result = 1;  // Paint covers the whole window
    return true;
}

}  // namespace kestrune
