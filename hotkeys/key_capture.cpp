#include "hotkeys/key_capture.hpp"

#include "settings/settings.hpp"
#include "settings/settings_names.hpp"

namespace kestrune {

namespace {

// Stores the key's code and name for `function`, shows the name that the file then holds, and
// tells the user when the key could not be stored. The name is written only after the code
// was stored, and when it cannot be, the old code goes back: the two entries always belong to
// the same key.
void StoreCapturedKey(const std::string& function, const KeyEntry& key, CaptureHost& host) {
    const std::string path = SettingsPath(host.ProgramFolder());
    const std::string name_key = function + "_n";
    const StoredSetting old_code = ReadStoredSetting(kKeysSection, function, path, "");
    WriteResult result = WriteSetting(kKeysSection, function, std::to_string(key.code), path);
    if (result == WriteResult::kStored) {
        result = WriteSetting(kKeysSection, name_key, key.name, path);
        if (result != WriteResult::kStored && old_code.readable) {
            WriteSetting(kKeysSection, function, old_code.value, path);
        }
    }
    host.SetCurrentCaption(
        CurrentKeyCaption(ReadSetting(kKeysSection, name_key, path, kUnassignedName)));
    if (result != WriteResult::kStored) {
        host.ReportStoreFailure(WriteFailureMessage("The key was not saved.", path, result));
    }
}

}  // namespace

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
    StoreCapturedKey(function, *key, host);
    if (!StillOpen(opening)) return;
    pump.DoEvents();
    if (StillOpen(opening)) host.Close();
}

}  // namespace kestrune
