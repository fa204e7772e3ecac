#include "hotkeys/key_capture.hpp"

#include <utility>

namespace kestrune {

void KeyCapture::Open(KeyState& keys, const PlayerFunction& function, std::string path) {
    choice_.Open(keys);
    function_ = &function;
    path_ = std::move(path);
    result_.reset();
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

    // A key that Windows or another function uses is stored only once the user says so. A No
    // goes on waiting, as at the opening: the key that answered the box is not taken.
    const AssignQuestions questions =
        QuestionsBeforeAssigning(KeyAssignments::Read(path_), *function_, *key);
    for (const std::string* question :
         {questions.reserved ? &*questions.reserved : nullptr,
          questions.taken_from.empty() ? nullptr : &questions.taking}) {
        if (!question) continue;
        const bool yes = host.Ask(*question);
        if (!StillOpen(opening)) return;
        if (!yes) {
            choice_.Open(keys);
            return;
        }
    }
    result_ = KeyAssignments::Assign(path_, *function_, *key, questions.taken_from);
    if (!result_->stored()) {
        host.ReportStoreFailure(KeyChangeFailureMessage(*result_, *function_, path_));
    }
    if (!StillOpen(opening)) return;
    pump.DoEvents();
    if (StillOpen(opening)) host.Close();
}

}  // namespace kestrune
