#include "hotkeys/key_capture.hpp"

#include "hotkeys/poll.hpp"
#include "settings/settings.hpp"

namespace kestrune {

std::string CurrentKeyCaption(std::string_view stored_name) {
    if (stored_name == kUnassignedName) return "Unassigned";
    return std::string(kAltCaptionPrefix) + std::string(stored_name);
}

void KeyCapture::Open(KeyState& keys) {
    choice_.Open(keys);
    ++opening_;
    closing_ = false;
}

void KeyCapture::Closing() {
    closing_ = true;
}

void KeyCapture::Tick(KeyState& keys, MessagePump& pump, CaptureHost& host) {
    const int opening = opening_;
    if (!StillOpen(opening) || ticking_opening_ == opening) return;
    ticking_opening_ = opening;
    struct Done {
        int& ticking;
        int opening;
        ~Done() {
            if (ticking == opening) ticking = 0;
        }
    } done{ticking_opening_, opening};

    const auto key = choice_.Next(keys);
    pump.DoEvents();
    if (!StillOpen(opening)) return;
    if (!key) return;

    const std::string function = host.SelectedFunction();
    if (function.empty()) return;
    const std::string path = SettingsPath(host.ProgramFolder());
    WriteSetting(kKeysSection, function, std::to_string(key->code), path);
    WriteSetting(kKeysSection, function + "_n", key->name, path);
    host.SetCurrentCaption(std::string(kAltCaptionPrefix) + std::string(key->name));
    pump.DoEvents();
    if (StillOpen(opening)) host.Close();
}

}  // namespace kestrune
