// The key capture window's tick: look at the keyboard, and store the key the user chose (see
// KeyChoice) for the function that the window was opened for.
#pragma once

#include <optional>
#include <string>

#include "hotkeys/capture_host.hpp"
#include "hotkeys/catalogue.hpp"
#include "hotkeys/key_assignments.hpp"
#include "hotkeys/key_choice.hpp"
#include "hotkeys/key_state.hpp"
#include "hotkeys/message_pump.hpp"

namespace kestrune {

// The look at the keyboard and the pass before closing process pending messages, in which the next
// tick can arrive or the window can close, or even open again. A tick therefore runs only when no
// other tick of the same opening is under way, and writes nothing once that opening has begun to
// close.
class KeyCapture {
  public:
    // The window has loaded: a new opening, for `function`'s key in the settings file at
    // `path`. The keys down now are not taken.
    void Open(KeyState& keys, const PlayerFunction& function, std::string path);
    // The window has begun to unload.
    void Closing();
    // At the first key chosen: asks first when the key makes a poor shortcut or is other
    // functions' key (see QuestionsBeforeAssigning), and on a No goes on waiting; else stores
    // it, tells the user through `host` when it was not stored, and closes the window.
    void Tick(KeyState& keys, MessagePump& pump, CaptureHost& host);
    // Whether a key pressed now can be taken (see KeyChoice): the window's first tick has passed.
    bool TakingKeys() const { return choice_.TakingKeys(); }

    // What the latest opening did: the change it made, stored or not (and why); nothing when
    // it was closed before a key was chosen.
    const std::optional<KeyChange>& Result() const { return result_; }

  private:
    bool StillOpen(int opening) const { return opening == opening_ && !closing_; }

    KeyChoice choice_;
    const PlayerFunction* function_ = nullptr;
    std::string path_;
    std::optional<KeyChange> result_;
    int opening_ = 0;          // counts the openings
    int ticking_opening_ = 0;  // the opening whose tick is under way, or 0
    bool closing_ = true;
};

}  // namespace kestrune
