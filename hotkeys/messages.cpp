#include "hotkeys/messages.hpp"

#include <span>
#include <string>
#include <string_view>

#include "hotkeys/key_assignments.hpp"
#include "hotkeys/start_with_windows.hpp"
#include "settings/settings.hpp"

namespace kestrune {

// --- The settings file -----------------------------------------------------------------------

namespace {

std::string WriteFailureReason(FileResult result, std::string_view path) {
    switch (result) {
        case FileResult::kOk:
            return {};
        case FileResult::kRefused:
            return "The value cannot be stored in the file.";
        case FileResult::kInUse:
        case FileResult::kNewFileHeld:
        case FileResult::kAppeared:
            return "Another program is using the file. Close that program and try again.";
        case FileResult::kNotReadable:
            return "Windows does not let Kestrune read the file. Give your user account "
                   "permission to read and change it, or move Kestrune to a folder you can "
                   "write to.";
        case FileResult::kTooLarge:
            return "The file is larger than 1 MiB, far larger than any settings file, so "
                   "Kestrune neither reads nor changes it. Move it away, and Kestrune starts a "
                   "new one.";
        case FileResult::kUtf16BigEndian:
            return "The file is saved as UTF-16 big-endian (\"Unicode big endian\"), which "
                   "Kestrune cannot write. Save it as ANSI, UTF-8 or UTF-16 LE (\"Unicode\") in "
                   "an editor and try again.";
        case FileResult::kUndecodable:
            return "The file starts as UTF-16 LE (\"Unicode\") text but holds bytes that are no "
                   "UTF-16, so Kestrune cannot write it. Save it again in an editor and try "
                   "again.";
        case FileResult::kReadOnly:
            return "The file is read-only. Clear its read-only attribute, or move Kestrune to a "
                   "folder you can write to.";
        case FileResult::kNotAllowed:
            return "Kestrune may not write in its folder. Move Kestrune to a folder you can "
                   "write to, such as one in your Documents folder.";
        case FileResult::kNotAFile:
            return "Something that is not a file stands in its place. Remove it, or move "
                   "Kestrune to another folder.";
        case FileResult::kBrokenLink: {
            const std::string target = BrokenLinkTarget(path);
            return "It is a link to " +
                   (target.empty() ? std::string("a file") : "\"" + target + "\"") +
                   ", which does not exist (a drive or folder that is not there now?). "
                   "Kestrune does not replace the link. Make the target reachable, or remove "
                   "the link.";
        }
        case FileResult::kEnding:
            return "Windows is ending the session, so nothing more is written.";
        case FileResult::kMissing:
        case FileResult::kFailed:
            break;
    }
    return "The file could not be written; the disk may be full. Free some space, or move "
           "Kestrune to a folder you can write to.";
}

}  // namespace

std::string WriteFailureMessage(std::string_view lead, std::string_view path, FileResult result) {
    std::string message(lead);
    message += " Kestrune could not write its settings file:\n\n";
    message += path;
    message += "\n\n";
    message += WriteFailureReason(result, path);
    return message;
}

// --- Set Key ---------------------------------------------------------------------------------

namespace {

// The keys that Set Key asks about, each with what its combination with Alt does and what that
// means for the user. Kestrune does not take a key away from the program in front, so choosing
// one of them does both things at every use.
struct ReservedKey {
    std::int32_t first_code;  // the key, or the first of a run of keys that share the reason
    std::int32_t last_code;
    std::string_view meaning;
};
constexpr ReservedKey kReservedKeys[] = {
    {vk::F(4), vk::F(4),
     "Alt+F4 closes the window in front. Kestrune does not stop that: every time you use this "
     "shortcut, the program in front closes too."},
    {vk::kTab, vk::kTab,
     "Alt+Tab switches to another window. Kestrune does not stop that: every time you use this "
     "shortcut, Windows switches away from the window in front too."},
    {vk::kEscape, vk::kEscape,
     "Alt+Esc sends the window in front to the back. Kestrune does not stop that: every time you "
     "use this shortcut, the window in front goes behind the others too."},
    {vk::kSpace, vk::kSpace,
     "Alt+Space opens the window menu of the program in front. Kestrune does not stop that: "
     "every time you use this shortcut, that menu opens too."},
    {vk::kEnter, vk::kEnter,
     "Alt+Enter switches many games and video players to full screen and back, and opens the "
     "properties of a file in Explorer. Kestrune does not stop that: every time you use this "
     "shortcut, the program in front does that too."},
    {vk::kAlt, vk::kAlt,
     "Menu is the Alt key itself: the function would run whenever you press Alt, alone or with "
     "any other key, in every program."},
    {vk::kShift, vk::kShift,
     "Alt+Shift switches the input language where more than one is installed. Kestrune does not "
     "stop that: every time you use this shortcut, the language may change too."},
    {vk::Numpad(0), vk::Numpad(9),
     "Alt with the keypad digits types a character by its code (Alt, then 6 and 4 on the keypad, "
     "types @). Kestrune does not stop that: every time you use this shortcut, the program in "
     "front may get a character too."},
};

const ReservedKey* ReservedKeyOf(std::int32_t code) {
    for (const ReservedKey& reserved : kReservedKeys) {
        if (code >= reserved.first_code && code <= reserved.last_code) return &reserved;
    }
    return nullptr;
}

// "Play", "Play and Stop", "Play, Stop and Next Track".
std::string NamesOf(std::span<const PlayerFunction* const> functions) {
    std::string names;
    for (std::size_t i = 0; i < functions.size(); ++i) {
        if (i > 0) names += i + 1 < functions.size() ? ", " : " and ";
        names += functions[i]->display_name;
    }
    return names;
}

}  // namespace

bool IsReservedKey(std::int32_t code) {
    return ReservedKeyOf(code) != nullptr;
}

std::string SetKeyQuestion(const SetKeyOutcome& outcome) {
    const std::string key(outcome.key.name);
    switch (outcome.check) {
        case SetKeyCheck::kReservedCombination: {
            const ReservedKey* reserved = ReservedKeyOf(outcome.key.code);
            return std::string(reserved ? reserved->meaning : "") + " Use " + key + " anyway?";
        }
        case SetKeyCheck::kOtherFunctionsKey: {
            const std::string names = NamesOf(outcome.holders);
            return key + " is the key of " + names + ". Use it for " +
                   std::string(outcome.function->display_name) + " instead? " +
                   (outcome.holders.size() == 1 ? names : "They") + " will then have no key.";
        }
    }
    return {};
}

std::string KeyChangeFailureMessage(const KeyChange& change, std::string_view path) {
    return WriteFailureMessage(
        change.removal ? "The key was not removed." : "The key was not saved.", path,
        change.result);
}

// --- The shortcuts and the program -----------------------------------------------------------

namespace {

// Long captions (a document's full path, a web page's title) are cut so that the tip, which
// holds at most 127 characters, still ends in what it says.
constexpr std::size_t kCaptionCharacters = 40;

// The caption in quotes, cut after kCaptionCharacters characters (never inside one), or a
// description of the window when it has no caption.
std::string QuotedCaption(std::string_view caption) {
    if (caption.empty()) return "a program run as administrator";
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < caption.size(); ++end) {
        const bool starts_character = (static_cast<unsigned char>(caption[end]) & 0xC0) != 0x80;
        if (starts_character && characters++ == kCaptionCharacters) break;
    }
    return "\"" + std::string(caption.substr(0, end)) + (end < caption.size() ? "...\"" : "\"");
}

}  // namespace

std::string BlindTip(std::string_view caption) {
    return "Kestrune: the shortcuts cannot see the keyboard while " + QuotedCaption(caption) +
           " is in front";
}

std::string BlindBalloon(std::string_view caption) {
    return "While " + QuotedCaption(caption) +
           " is in front, Windows hides the keyboard from Kestrune: that program runs as "
           "administrator. To use the shortcuts there too, start Kestrune as administrator as "
           "well.";
}

std::string FailedStartMessage(std::string_view system_reason) {
    std::string text = "Kestrune could not start: its main window could not be created.";
    if (!system_reason.empty()) text += "\n\n" + std::string(system_reason);
    return text;
}

// --- Start with Windows ----------------------------------------------------------------------

std::string ReplaceStartupShortcutQuestion(const StartupShortcut& shortcut,
                                           std::string_view program) {
    std::string text = "Your Startup folder already holds the shortcut\n\n";
    text += shortcut.path;
    if (shortcut.target.empty()) {
        text += "\n\nwhich starts no program";
    } else {
        text += "\n\nwhich starts \"";
        text += shortcut.target;
        text += shortcut.real_target.empty() ? "\", a file that is not there any more" : "\"";
    }
    text += ".\n\nReplace it, so that Windows starts this copy, \"";
    text += program;
    text += "\", when you sign in?";
    return text;
}

std::string StartupShortcutNotMadeMessage(std::string_view folder) {
    std::string text = "Kestrune could not make its shortcut in your Startup folder:\n\n";
    text += folder;
    text +=
        "\n\nWindows will not start Kestrune when you sign in. Check that you may write to "
        "that folder, and try again.";
    return text;
}

std::string StartupShortcutNotRemovedMessage(std::string_view shortcut_path) {
    std::string text = "Kestrune could not remove its shortcut from your Startup folder:\n\n";
    text += shortcut_path;
    text +=
        "\n\nWindows still starts Kestrune when you sign in. Delete the shortcut by hand to "
        "stop that.";
    return text;
}

}  // namespace kestrune
