#include "hotkeys/key_capture.hpp"

#include <span>
#include <utility>

#include "hotkeys/messages.hpp"

namespace kestrune {

void KeyCapture::Open(KeyState& keys, const PlayerFunction& function, std::string path) {
    choice_.Open(keys);
    function_ = &function;
    path_ = std::move(path);
    result_.reset();
    closing_ = false;
}

void KeyCapture::Tick(KeyState& keys, MessagePump& pump, CaptureHost& host) {
    if (closing_) return;
    host.StopTicks();
    LookAndStore(keys, pump, host);
    if (!closing_) host.StartTicks();
}

void KeyCapture::LookAndStore(KeyState& keys, MessagePump& pump, CaptureHost& host) {
    const auto key = choice_.Next(keys);
    pump.DoEvents();
    if (closing_ || !key) return;

    // A key that Windows or another function uses is stored only once the user says so. A No
    // goes on waiting, as at the opening: the key that answered the box is not taken.
    std::span<const PlayerFunction* const> taken_from;
    const std::vector<SetKeyOutcome> checks =
        ChecksBeforeAssigning(KeyAssignments::Read(path_), *function_, *key);
    for (const SetKeyOutcome& check : checks) {
        const bool yes = host.Ask(SetKeyQuestion(check));
        if (closing_) return;
        if (!yes) {
            choice_.Open(keys);
            return;
        }
        if (check.check == SetKeyCheck::kOtherFunctionsKey) taken_from = check.holders;
    }
    result_ = KeyAssignments::Assign(path_, *function_, *key, taken_from);
    if (!result_->stored()) host.ReportStoreFailure(KeyChangeFailureMessage(*result_, path_));
    if (closing_) return;
    pump.DoEvents();
    if (!closing_) host.Close();
}

std::vector<SetKeyOutcome> ChecksBeforeAssigning(const KeyAssignments& now,
                                                 const PlayerFunction& function,
                                                 const KeyEntry& key) {
    std::vector<SetKeyOutcome> checks;
    if (now.CodeOf(function) == key.code) return checks;  // its own key: stored as it is
    if (IsReservedKey(key.code)) {
        checks.push_back({SetKeyCheck::kReservedCombination, key, &function, {}});
    }
    std::vector<const PlayerFunction*> holders = now.FunctionsUsing(key.code);
    if (!holders.empty()) {
        checks.push_back({SetKeyCheck::kOtherFunctionsKey, key, &function, std::move(holders)});
    }
    return checks;
}

}  // namespace kestrune
