// Every question and message that the user reads, worded once: the one place a translation
// would go. The code that finds a fault or asks a question names it (an outcome with its facts);
// the words are chosen here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/disk.hpp"

namespace kestrune {

struct StartupShortcut;

// --- The settings file: why a read or a save failed ------------------------------------------

// What the user is told when a save did not store: `lead` (what was lost), the file's path and
// the reason, in plain words (for a broken link, with the target it names).
std::string WriteFailureMessage(std::string_view lead, std::string_view path, FileResult result);

// --- Set Key: the questions before a key is stored, and a change that was not stored --------

struct KeyChange;
struct SetKeyOutcome;

// Whether Set Key asks before it stores `code`: a key whose Alt combination Windows or most
// programs use themselves, or that makes a poor shortcut with Alt for another reason.
bool IsReservedKey(std::int32_t code);

// The question Set Key asks about `outcome` before it stores the key; Yes stores it.
std::string SetKeyQuestion(const SetKeyOutcome& outcome);

// What the user is told after a change of a key that did not store: that it was lost, then the
// path and the reason.
std::string KeyChangeFailureMessage(const KeyChange& change, std::string_view path);

// --- The shortcuts and the program: notices, the player, the start ---------------------------

// The notification-area tip while the shortcuts see the keyboard.
inline constexpr std::string_view kPlainTip = "Kestrune";
inline constexpr std::string_view kBlindBalloonTitle = "Kestrune cannot see the keyboard";

// The notification-area tip while the window captioned `caption` is in front and the keyboard
// is hidden from the program.
std::string BlindTip(std::string_view caption);
// The balloon that says so, the first time in a run.
std::string BlindBalloon(std::string_view caption);

inline constexpr std::string_view kPlayerRefusedMessage =
    "The player runs as administrator, so Windows does not let Kestrune's commands reach it. "
    "For the shortcuts to reach the player, start Kestrune as administrator too.";

// A second start while the running copy has the rights of an administrator.
inline constexpr std::string_view kRunningAsAdministratorMessage =
    "Kestrune is already running as administrator.";

// The tip and the main window's caption while the user has paused the shortcuts.
inline constexpr std::string_view kPausedTip = "Kestrune: the shortcuts are paused";
inline constexpr std::string_view kPausedCaption = "Kestrune (shortcuts paused)";

// The start failed before the program had a window; `system_reason` is the system's own text
// for the error, if it has one.
std::string FailedStartMessage(std::string_view system_reason);

// --- Start with Windows: the shortcut in the Startup folder ----------------------------------

// Before a shortcut of the program's name that starts another copy (or nothing) is replaced by
// one that starts `program`.
std::string ReplaceStartupShortcutQuestion(const StartupShortcut& shortcut,
                                           std::string_view program);

std::string StartupShortcutNotMadeMessage(std::string_view folder);
std::string StartupShortcutNotRemovedMessage(std::string_view shortcut_path);

inline constexpr std::string_view kNoStartupFolderMessage =
    "Windows names no Startup folder for your user account, so Kestrune cannot start with "
    "Windows.";

}  // namespace kestrune
