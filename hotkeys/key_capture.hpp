// The key capture window's tick: look at the keyboard, and store the key the user chose (see
// KeyChoice) for the function that the window was opened for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hotkeys/capture_host.hpp"
#include "hotkeys/catalogue.hpp"
#include "hotkeys/key_assignments.hpp"
#include "hotkeys/key_choice.hpp"
#include "hotkeys/key_state.hpp"
#include "hotkeys/message_pump.hpp"

namespace kestrune {

// One opening of the window. The look at the keyboard, the questions and the pass before closing
// process pending messages, in which the window can close. So a tick stops the window's ticks
// while it runs (none begins inside it), and after each pass writes and asks nothing once the
// window has begun to close. The window makes one object per opening, so that a tick still under
// way when its window closes can only ever refer to that closed opening.
class KeyCapture {
  public:
    // The window has loaded: the opening, for `function`'s key in the settings file at `path`.
    // The keys down now are not taken.
    void Open(KeyState& keys, const PlayerFunction& function, std::string path);
    // The window has begun to unload.
    void Closing() { closing_ = true; }
    // The keys pressed until now count as pressed before the opening (the session was locked
    // or the system slept while the window waited).
    void StartOver(KeyState& keys) { choice_.Open(keys); }
    // At the first key chosen: asks first when the key makes a poor shortcut or is other
    // functions' key (see ChecksBeforeAssigning), and on a No goes on waiting; else stores it,
    // tells the user through `host` when it was not stored, and closes the window.
    void Tick(KeyState& keys, MessagePump& pump, CaptureHost& host);
    // Whether a key pressed now can be taken (see KeyChoice): the window's first tick has passed.
    bool TakingKeys() const { return choice_.TakingKeys(); }

    // What the opening did: the change it made, stored or not (and why); nothing when it was
    // closed before a key was chosen.
    const std::optional<KeyChange>& Result() const { return result_; }

  private:
    // The tick's work, while the window's ticks are stopped.
    void LookAndStore(KeyState& keys, MessagePump& pump, CaptureHost& host);

    KeyChoice choice_;
    const PlayerFunction* function_ = nullptr;
    std::string path_;
    std::optional<KeyChange> result_;
    bool closing_ = true;
};

// What Set Key asks before it stores `key` for `function`, given what the file holds now, in the
// order it asks: nothing for the function's own key or a plain key.
std::vector<SetKeyOutcome> ChecksBeforeAssigning(const KeyAssignments& now,
                                                 const PlayerFunction& function,
                                                 const KeyEntry& key);

}  // namespace kestrune
