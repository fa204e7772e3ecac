#include "hotkeys/shortcut_notices.hpp"

#include <cstddef>
#include <initializer_list>

namespace kestrune {
namespace {

// Long captions (a document's full path, a web page's title) are cut so that the tip, which
// holds at most 127 characters, still ends in what it says.
constexpr std::size_t kCaptionCharacters = 40;

std::string Joined(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const std::string_view part : parts) text.append(part);
    return text;
}

// The caption in quotes, cut after kCaptionCharacters characters (never inside one), or a
// description of the window when it has no caption.
std::string Named(std::string_view caption) {
    if (caption.empty()) return "a program run as administrator";
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < caption.size(); ++end) {
        const bool starts_character = (static_cast<unsigned char>(caption[end]) & 0xC0) != 0x80;
        if (starts_character && characters++ == kCaptionCharacters) break;
    }
    return Joined({"\"", caption.substr(0, end), end < caption.size() ? "...\"" : "\""});
}

}  // namespace

std::string BlindTip(std::string_view caption) {
    return Joined(
        {"Kestrune: the shortcuts cannot see the keyboard while ", Named(caption), " is in front"});
}

std::string BlindBalloon(std::string_view caption) {
    return Joined({"While ", Named(caption),
                   " is in front, Windows hides the keyboard from Kestrune: that program runs as "
                   "administrator. To use the shortcuts there too, start Kestrune as "
                   "administrator as well."});
}

void ShortcutNotices::AfterTick(NoticeHost& host) {
    WatchForeground(host);
    if (refused_ && !refusal_told_) {
        // Told before the box opens: ticks run while it is open.
        refusal_told_ = true;
        host.ShowMessage(kPlayerRefusedMessage);
    }
    refused_ = false;
}

void ShortcutNotices::WatchForeground(NoticeHost& host) {
    if (!started_) {
        started_ = true;
        // Run as administrator, the program sees the keyboard whichever window is in front
        // (as good as always: only a window of a system process could still hide it).
        const auto own = foreground_.OwnIntegrity();
        watching_ = own && *own < kHighIntegrity;
        if (own) own_integrity_ = *own;
    }
    if (!watching_) return;
    const std::uintptr_t window = foreground_.Window();
    if (window != window_) {
        window_ = window;
        const bool was_blind = blind_;
        blind_ = false;
        if (window != 0) {
            const WindowOwner owner = foreground_.OwnerOf(window);
            blind_ = !owner.ours && !owner.gone &&
                     (!owner.integrity || *owner.integrity > own_integrity_);
        }
        if (blind_) {
            caption_ = foreground_.CaptionOf(window);
            host.SetTrayTip(BlindTip(caption_));
        } else if (was_blind) {
            host.SetTrayTip(kPlainTip);
        }
    }
    if (blind_ && !balloon_shown_) {
        balloon_shown_ = host.ShowBalloon(kBlindBalloonTitle, BlindBalloon(caption_));
    }
}

}  // namespace kestrune
