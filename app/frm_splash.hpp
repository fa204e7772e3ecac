// The splash: shown on top of everything for two seconds when the program starts, then it
// hands over to the main window and stays loaded, hidden. A click on it opens the maker's web
// site.
#pragma once

#include <string_view>

#include "app/form.hpp"

namespace kestrune {

inline constexpr std::string_view kMakerAddress = "https://brindle.example.com/kestrune";

class SplashForm final : public Form {
  public:
    enum ControlId : int { Label3 = kFirstControlId, Label2, Label1 };

    SplashForm();

  private:
    struct Shape {
        int left, top, width, height;  // twips
    };

    void Form_Load() override;
    void Form_Click() override;
    void Control_Click(int id) override;
    void Paint(HDC dc) override;
    HBRUSH LabelBackground() const override;
    bool Message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

    void Label1_Click();
    void Label2_Click();
    void Label3_Click();
    void DrawShape(HDC dc, const Shape& shape, HBRUSH fill, COLORREF outline) const;

    Shape Shape1{-60, -45, 705, 2805};
    Shape Shape2{600, 405, 195, 435};
};

extern SplashForm frmSplash;

}  // namespace kestrune
