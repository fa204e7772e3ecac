// One running copy per settings file. A copy started while another one uses the same
// settings.ini (the same program folder) brings that copy's window to the screen and ends;
// copies in different folders run side by side.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kestrune {

// Claims the settings file for this process, for as long as it runs. False when another copy
// holds it. A claim that cannot be made for another reason is not held against the start.
bool ClaimSettingsFile(std::string_view settings_path);

// Asks the copy that holds the settings file to show itself.
void ShowRunningCopy(std::string_view settings_path);

// The message the running copy's main window receives when another start asks it to show.
UINT ShowRunningCopyMessage(std::string_view settings_path);

}  // namespace kestrune
