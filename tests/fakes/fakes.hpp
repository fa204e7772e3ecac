// Stand-ins for the operating system behind the core's interfaces.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "hotkeys/foreground.hpp"
#include "hotkeys/key_state.hpp"
#include "hotkeys/key_table.hpp"
#include "hotkeys/message_pump.hpp"
#include "hotkeys/poll.hpp"
#include "hotkeys/shortcut_notices.hpp"
#include "hotkeys/start_with_windows.hpp"
#include "player/player_link.hpp"
#include "settings/settings.hpp"

namespace kestrune::fakes {

// A keyboard with the system's semantics, one state for every reader. Each key has a "down"
// state and a "pressed since" state: every key-down sets the latter (a press, and auto-repeat
// while the key is held), and any query of the code clears it. Shift, Control and Alt (16 to
// 18) stand for their left keys here, as Windows takes a key injected under them; their own
// codes read "down" while either side is, and report a press of either side unless
// `either_side_codes_report_taps` is off, as under Wine.
class FakeKeyboard final : public KeyState {
  public:
    void Press(std::int32_t code) {
        down_[Index(KeyOf(code))] = true;
        KeyDown(KeyOf(code));
    }
    // A key-down that auto-repeat sends while the key is held.
    void Repeat(std::int32_t code) {
        if (down_[Index(KeyOf(code))]) KeyDown(KeyOf(code));
    }
    void Release(std::int32_t code) { down_[Index(KeyOf(code))] = false; }
    void Tap(std::int32_t code) {
        Press(code);
        Release(code);
    }
    void ReleaseAll() { down_ = {}; }

    std::int16_t Query(std::int32_t code) override {
        queries.push_back(code);
        // On a locked desktop no program reads the keys; what is typed there stays "pressed".
        if (locked) return 0;
        const auto sides = vk::SideKeysOf(code);
        const bool down =
            sides ? down_[Index(sides->left)] || down_[Index(sides->right)] : down_[Index(code)];
        const bool pressed_since = std::exchange(pressed_since_[Index(code)], false);
        return static_cast<std::int16_t>((down ? 0x8000 : 0) | (pressed_since ? 1 : 0));
    }

    std::vector<std::int32_t> queries;
    bool either_side_codes_report_taps = true;
    bool locked = false;

  private:
    static std::size_t Index(std::int32_t code) { return static_cast<std::uint8_t>(code); }
    static std::int32_t KeyOf(std::int32_t code) {
        const auto sides = vk::SideKeysOf(code);
        return sides ? sides->left : code;
    }
    void KeyDown(std::int32_t key) {
        pressed_since_[Index(key)] = true;
        if (!either_side_codes_report_taps) return;
        for (const std::int32_t either : {vk::kShift, vk::kControl, vk::kAlt}) {
            const auto sides = vk::SideKeysOf(either);
            if (key == sides->left || key == sides->right) pressed_since_[Index(either)] = true;
        }
    }

    std::array<bool, 256> down_{};
    std::array<bool, 256> pressed_since_{};
};

// One pass of the message loop, counted. `on_pass` runs inside each pass, the way another
// window's handler would run while the caller waits.
class FakePump final : public MessagePump {
  public:
    int passes = 0;
    std::function<void()> on_pass;

    void DoEvents() override {
        ++passes;
        if (on_pass) on_pass();
    }
};

class FakePlayer final : public PlayerLink {
  public:
    bool running = true;
    std::vector<std::int32_t> received;
    int searches = 0;

    bool IsRunning() override {
        ++searches;
        return running;
    }
    // Sends from this one on time out: the player stops answering.
    int hangs_at_send = -1;
    // The player runs as administrator: the system refuses every send, and nothing arrives.
    bool refuses = false;
    int refused = 0;

    SendOutcome Execute(std::int32_t command_id) override {
        ++searches;
        if (!running) return SendOutcome::kNoPlayer;
        if (refuses) {
            ++refused;
            return SendOutcome::kRefused;
        }
        received.push_back(command_id);
        const int send = static_cast<int>(received.size()) - 1;
        return hangs_at_send < 0 || send < hangs_at_send ? SendOutcome::kHandled
                                                         : SendOutcome::kNoAnswer;
    }
};

class FakeHost final : public PollHost {
  public:
    explicit FakeHost(const std::string& folder) : settings_file(SettingsPath(folder)) {}

    std::string settings_file;
    std::string separator = ",";
    std::string last_caption = "Last Function Executed - None";
    std::string total_caption = "Functions Executed - [Number]";
    int unloads = 0;
    std::vector<std::string> events;        // captions and unloads, in the order they happened
    std::function<void()> on_last_caption;  // runs between the command and the count

    const std::string& SettingsFile() override { return settings_file; }
    std::string GroupSeparator() override { return separator; }
    void SetLastCaption(std::string_view caption) override {
        last_caption = caption;
        events.push_back("last:" + last_caption);
        if (on_last_caption) on_last_caption();
    }
    void SetTotalCaption(std::string_view caption) override {
        total_caption = caption;
        events.push_back("total:" + total_caption);
    }
    void PlayerRefused() override {
        events.push_back("refused");
        if (on_refused) on_refused();
    }
    std::function<void()> on_refused;
    void Unload() override {
        ++unloads;
        events.push_back("unload");
    }
};

// The desktop's window in front: windows are ids, each with an owner and a caption set by the
// test. Counts the questions asked, as each costs system calls in the program.
class FakeForeground final : public Foreground {
  public:
    struct Window {
        WindowOwner owner;
        std::string caption;
    };
    std::optional<std::uint32_t> own_integrity = kMediumIntegrity;
    std::uintptr_t in_front = 0;
    std::map<std::uintptr_t, Window> windows;
    int window_queries = 0;
    int owner_queries = 0;

    // A window of another program at `integrity` (none: it cannot be opened), put in front.
    void Bring(std::uintptr_t id, std::optional<std::uint32_t> integrity, std::string caption) {
        windows[id] = {WindowOwner{false, false, integrity}, std::move(caption)};
        in_front = id;
    }

    std::uintptr_t Window() override {
        ++window_queries;
        return in_front;
    }
    WindowOwner OwnerOf(std::uintptr_t window) override {
        ++owner_queries;
        return windows[window].owner;
    }
    std::string CaptionOf(std::uintptr_t window) override { return windows[window].caption; }
    std::optional<std::uint32_t> OwnIntegrity() override { return own_integrity; }
};

// The main window as the notices see it: its tip, its balloons (shown only while the icon is
// there) and its message boxes.
class FakeNoticeHost final : public NoticeHost {
  public:
    std::string tip = "Kestrune";
    bool icon_present = true;
    std::vector<std::string> balloons;  // title and text, joined by '|'
    std::vector<std::string> messages;
    std::function<void()> while_message_open;  // runs while a message box is open

    void SetTrayTip(std::string_view text) override { tip = text; }
    bool ShowBalloon(std::string_view title, std::string_view text) override {
        if (!icon_present) return false;
        balloons.push_back(std::string(title) + "|" + std::string(text));
        return true;
    }
    void ShowMessage(std::string_view text) override {
        messages.emplace_back(text);
        if (while_message_open) while_message_open();
    }
};

// A Startup folder of shortcuts kept in memory. A shortcut's real target is its target when
// that program is in `programs` (the files that exist), else empty. Creating or removing a
// shortcut fails while `refuses` is set.
class FakeStartupFolder final : public StartupFolder {
  public:
    std::string path = "C:\\Users\\Ann\\Startup";
    std::set<std::string> programs;
    std::map<std::string, std::string> shortcuts;  // shortcut path to target
    bool refuses = false;

    std::string Path() override { return path; }
    std::vector<StartupShortcut> Shortcuts() override {
        std::vector<StartupShortcut> listed;
        for (const auto& [file, target] : shortcuts) {
            listed.push_back({file, target, programs.count(target) ? target : std::string()});
        }
        return listed;
    }
    bool Create(const std::string& file, const std::string& program) override {
        if (refuses) return false;
        shortcuts[file] = program;
        return true;
    }
    bool Remove(const std::string& file) override {
        if (refuses) return false;
        shortcuts.erase(file);
        return true;
    }
};

// The user: answers each question with `answer`, and notes questions and messages.
class FakeUser final : public StartupQuestions {
  public:
    bool answer = true;
    std::vector<std::string> questions;
    std::vector<std::string> messages;

    bool AskYesNo(std::string_view question) override {
        questions.emplace_back(question);
        return answer;
    }
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
};

}  // namespace kestrune::fakes
