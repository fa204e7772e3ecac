// The configuration window: the twelve functions with the key assigned to each. "&Change"
// captures a new key in the key capture window, "&Remove" clears the assignment, "&OK" goes
// back to the main window. The main window's poll keeps running while it is open.
#pragma once

#include <string>
#include <string_view>

#include "app/form.hpp"

namespace kestrune {

class ConfigForm final : public Form {
  public:
    enum ControlId : int {
        Label1 = kFirstControlId,
        cmbFunctions,
        Label2,
        lblCurrent,
        cmdRemove,
        cmdChange,
        cmdOK
    };

    ConfigForm();

    // The display name of the function selected in the list; empty when none is.
    std::string SelectedFunction() const;
    void SetCurrentCaption(std::string_view caption);

  private:
    void Form_Load() override;
    void Form_Unload() override;
    void Control_Click(int id) override;
    void Control_Notify(int id, int code) override;

    void cmbFunctions_Click();
    void cmdChange_Click();
    void cmdRemove_Click();
    void cmdOK_Click();
};

extern ConfigForm frmConfig;

}  // namespace kestrune
