// The splash: shown on top of everything for two seconds when the program starts, then it
// hands over to the main window and stays loaded, hidden. A click on it opens the maker's web
// site.
#include <array>
#include <string_view>

#include "app/forms.hpp"
#include "ui/form.hpp"
#include "ui/window_utils.hpp"
#include "win32/message_loop.hpp"

namespace kestrune {
namespace {

constexpr std::string_view kMakerAddress = "https://brindle.example.com/kestrune";

class SplashForm final : public Form {
  public:
    enum ControlId : int { lblNotice = kFirstControlId, lblCompany, lblTitle };

    SplashForm();

  private:
    struct Shape {
        int left, top, width, height;  // twips
    };

    void Form_Load() override;
    // A click anywhere on the splash, on its labels too.
    void Form_Click() override;
    void Control_Click(int /*id*/) override { Form_Click(); }
    void Paint(HDC dc) override;
    HBRUSH LabelBackground() const override;
    bool Message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

    void DrawShape(HDC dc, const Shape& shape, HBRUSH fill, COLORREF outline) const;

    Shape shpBand{-60, -45, 705, 2805};
    Shape shpOutline{600, 405, 195, 435};
};

constexpr int kWidth = 2985;  // twips
constexpr int kHeight = 1155;

constexpr DWORD kLabelStyle = SS_CENTER | SS_NOTIFY | SS_NOPREFIX;

// The texts are centred on the same points as in the design (1770 and 1755 twips from the
// left), in boxes widened so that each stays on one line: "Brindle Corporation" needs more
// than its design width of 1350 twips, and the notice more than 900.
constexpr std::array kControls{
    ControlSpec{SplashForm::lblNotice, ControlKind::kLabel, L"Freeware. No warranty.", 0, 870, 720,
                1800, 165, FontSpec{L"Tahoma", 675, false}, kLabelStyle},
    ControlSpec{SplashForm::lblCompany, ControlKind::kLabel, L"Brindle Corporation", 0, 855, 480,
                1800, 195, kTahoma, kLabelStyle},
    ControlSpec{SplashForm::lblTitle, ControlKind::kLabel, L"Kestrune", 0, -45, 210, 3600, 240,
                FontSpec{L"Tahoma", 975, true}, kLabelStyle},
};

// No caption, no border, no taskbar button.
constexpr FormSpec kSplashSpec{L"", WS_POPUP, WS_EX_TOOLWINDOW, kWidth, kHeight, kControls};

SplashForm frmSplash;

SplashForm::SplashForm() : Form(kSplashSpec) {}

void SplashForm::Form_Load() {
    // The outline becomes a one-pixel frame along the edges of the borderless window.
    shpOutline = {0, 0, kWidth, kHeight};
    AddDropShadow(hwnd());
    SetTopmost(hwnd());
    Show();
    WaitSeconds(2.0);
    ClearTopmost(hwnd());
    Hide();
    LoadMainWindow();
}

void SplashForm::Form_Click() {
    ShellOpen(kMakerAddress);
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
    DrawShape(dc, shpBand, navy, RGB(255, 255, 255));
    DeleteObject(navy);
    DrawShape(dc, shpOutline, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)),
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

}  // namespace

void StartSplash() {
    frmSplash.Load();
}

}  // namespace kestrune
