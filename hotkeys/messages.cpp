#include "hotkeys/messages.hpp"

#include <string>
#include <string_view>

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

}  // namespace kestrune
