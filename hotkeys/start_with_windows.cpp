#include "hotkeys/start_with_windows.hpp"

#include "hotkeys/messages.hpp"
#include "util/ascii.hpp"
#include "util/path.hpp"

namespace kestrune {
namespace {

// Windows compares paths without regard to case; a target that no longer exists starts nothing.
bool Starts(const StartupShortcut& shortcut, std::string_view program) {
    return !shortcut.real_target.empty() && SameIgnoringCase(shortcut.real_target, program);
}

void StopStartingWithWindows(StartupFolder& folder, std::string_view program,
                             StartupQuestions& user) {
    for (const StartupShortcut& shortcut : folder.Shortcuts()) {
        if (Starts(shortcut, program) && !folder.Remove(shortcut.path)) {
            user.ShowMessage(StartupShortcutNotRemovedMessage(shortcut.path));
        }
    }
}

void StartWithWindows(StartupFolder& folder, std::string_view program, StartupQuestions& user) {
    const std::string folder_path = folder.Path();
    if (folder_path.empty()) {
        user.ShowMessage(kNoStartupFolderMessage);
        return;
    }
    std::string path = folder_path;
    path += '\\';
    path += kStartupShortcutName;
    for (const StartupShortcut& shortcut : folder.Shortcuts()) {
        if (!SameIgnoringCase(SplitPath(shortcut.path).name, kStartupShortcutName)) continue;
        if (!user.AskYesNo(ReplaceStartupShortcutQuestion(shortcut, program))) return;
    }
    if (!folder.Create(path, std::string(program))) {
        user.ShowMessage(StartupShortcutNotMadeMessage(folder_path));
    }
}

}  // namespace

bool StartsWithWindows(StartupFolder& folder, std::string_view program) {
    for (const StartupShortcut& shortcut : folder.Shortcuts()) {
        if (Starts(shortcut, program)) return true;
    }
    return false;
}

void ToggleStartWithWindows(StartupFolder& folder, std::string_view program,
                            StartupQuestions& user) {
    if (StartsWithWindows(folder, program)) {
        StopStartingWithWindows(folder, program, user);
    } else {
        StartWithWindows(folder, program, user);
    }
}

}  // namespace kestrune
