#include "hotkeys/key_capture.hpp"

#include "settings/settings.hpp"
#include "settings/settings_names.hpp"

namespace kestrune {

namespace {

// Stores the key for `function`, shows the name that the file then holds, and tells the user
// when the key was not stored.
void StoreCapturedKey(const std::string& function, const KeyEntry& key, CaptureHost& host) {
    const std::string path = SettingsPath(host.ProgramFolder());
    const KeyChange change = AssignKey(path, function, key);
    host.SetCurrentCaption(
        CurrentKeyCaption(ReadSetting(kKeysSection, NameEntryOf(function), path, kUnassignedName)));
    if (!change.stored()) {
        host.ReportStoreFailure(KeyChangeFailureMessage(change, false, function, function, path));
    }
}

}  // namespace

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
    StoreCapturedKey(function, *key, host);
    if (!StillOpen(opening)) return;
    pump.DoEvents();
    if (StillOpen(opening)) host.Close();
}

}  // namespace kestrune
