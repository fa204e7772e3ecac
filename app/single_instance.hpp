// One running copy per settings file. A copy started while another one uses the same
// settings.ini (the same program folder, however its path is spelled) brings that copy's window
// to the screen and ends; copies in different folders run side by side.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kestrune {

enum class Claim {
    kOurs,                 // this process holds the settings file (or nothing could be claimed)
    kHeldByRunningCopy,    // another copy holds it
    kHeldByAdministrator,  // a copy started as administrator holds it
};

// Claims the settings file for this process, for as long as it runs. A claim that cannot be
// made for another reason is not held against the start.
Claim ClaimSettingsFile(std::string_view settings_path);

// Claims the settings file among the copies of every session (of every user), for as long as
// this process runs; true when no other copy in any session runs on it. The claim of
// ClaimSettingsFile is per session, but what a copy leaves beside the file is the file's: only
// a copy that is alone on it may clear that at its start.
bool ClaimSettingsFileInEverySession(std::string_view settings_path);
// The name of that claim: one object per settings file in the Global\ namespace.
std::wstring EverySessionClaimName(std::string_view settings_path);

// Tells the user, in a message box, that a copy running as administrator holds the settings
// file.
void ReportRunningAsAdministrator();

// Asks the copy that holds the settings file to show itself, and lets it take the foreground.
void ShowRunningCopy(std::string_view settings_path);

// The message the running copy's main window receives when another start asks it to show. Its
// wParam is kShowRunningCopyAsk (which only asks whether the window is the running copy's) or
// kShowRunningCopyNow; the main window answers both with kIsRunningCopy.
UINT ShowRunningCopyMessage(std::string_view settings_path);
inline constexpr WPARAM kShowRunningCopyAsk = 0;
inline constexpr WPARAM kShowRunningCopyNow = 1;
inline constexpr LRESULT kIsRunningCopy = 1;

// Lets the show message reach `main_window` from a start at a lower integrity level, such as a
// normal start while this copy runs as administrator.
void AdmitShowRunningCopyMessage(HWND main_window, std::string_view settings_path);

}  // namespace kestrune
