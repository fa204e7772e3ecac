#include "hotkeys/shortcut_notices.hpp"

#include "hotkeys/messages.hpp"

namespace kestrune {

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
