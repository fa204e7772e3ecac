#include "hotkeys/poll.hpp"

#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>

#include "hotkeys/catalogue.hpp"
#include "hotkeys/format_count.hpp"
#include "hotkeys/key_assignments.hpp"
#include "hotkeys/keyboard_look.hpp"
#include "hotkeys/stored_numbers.hpp"
#include "settings/settings.hpp"
#include "settings/settings_names.hpp"

namespace kestrune {
namespace {

void RunFunction(const PlayerFunction& function, const std::string& path, PlayerLink& player,
                 PollHost& host) {
    // A player that did not answer one send is not made to wait through the rest, and one
    // that refuses them is not sent the rest.
    for (int i = 0; i < function.send_count; ++i) {
        const SendOutcome outcome = player.Execute(function.command_id);
        if (outcome == SendOutcome::kRefused) host.PlayerRefused();
        if (outcome == SendOutcome::kNoAnswer || outcome == SendOutcome::kRefused) break;
    }
    host.SetLastCaption(std::string(kLastCaptionPrefix) + std::string(function.display_name));

    // The count is a count of activations, whether or not the player got the command. A count
    // that was not read from the file (it is missing for a moment, or another program holds
    // it), that is no number, or that is at its largest, is left as it stands: counting on
    // from nothing would reset it. The label shows what the file holds afterwards.
    const StoredSetting stored = ReadStoredSetting(kOtherSection, kExecutedKey, path, "0");
    const auto count = stored.file_read ? ParseCount(stored.value) : std::nullopt;
    if (count && *count < std::numeric_limits<std::int32_t>::max()) {
        const std::string next = std::to_string(*count + 1);
        const bool stored_next =
            WriteSetting(kOtherSection, kExecutedKey, next, path) == FileResult::kOk;
        host.SetTotalCaption(
            TotalCaption(stored_next ? next : std::to_string(*count), host.GroupSeparator()));
    }

    if (function.ends_program) host.Unload();
}

// Whether the shortcut of the shortcuts' Alt and a key runs at this look (see PollMemory).
bool ShortcutRuns(const KeySeen& alt, const KeySeen& key) {
    if (alt.down_now && key.down_now) return true;
    // A first look: a "pressed since" from before it may be from anything (a key typed into
    // another program long ago, a password typed on the lock screen).
    if (!alt.read_before || !key.read_before) return false;
    if (alt.down_before && key.down_before) return false;  // held then, let go since
    return alt.down_between && key.down_between;
}

}  // namespace

void RunKeyCheckTick(KeyState& keys, PlayerLink& player, PollHost& host, PollMemory& memory) {
    const std::string& path = host.SettingsFile();
    const KeyAssignments assignments = KeyAssignments::Read(path);
    // Every assigned key is read at every look, pressed or not, so that no "pressed since"
    // state waits for a later look: a tap counts at the look after it and never again.
    KeyboardLook look(keys, memory.last_look);
    std::array<std::pair<const PlayerFunction*, KeySeen>, kCatalogue.size()> looked{};
    std::size_t looked_count = 0;
    for (const PlayerFunction* function : PollOrder()) {
        const auto code = assignments.CodeOf(*function);
        // A code that is not a number in range was put there by hand: that function has no key,
        // and the others go on working. 0 is no key.
        if (!code || *code == 0) continue;
        looked[looked_count++] = {function, look.Key(*code)};
    }
    // Alt after the keys: a key goes down after its Alt, so a look can see Alt and not yet
    // the key, never the other way round.
    const KeySeen alt = look.Alt();
    memory.last_look = look.Now();
    for (std::size_t i = 0; i < looked_count; ++i) {
        if (ShortcutRuns(alt, looked[i].second)) {
            RunFunction(*looked[i].first, path, player, host);
            return;
        }
    }
}

}  // namespace kestrune
