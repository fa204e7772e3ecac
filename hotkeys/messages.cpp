#include "hotkeys/messages.hpp"

namespace kestrune {

// --- The settings file -----------------------------------------------------------------------



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
