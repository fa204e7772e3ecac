// The poll held to its rule of presses (see PollMemory in hotkeys/poll.hpp) on generated
// timelines of people at a keyboard: a plain model of the rule says, for each look and each
// assigned function, whether it must run, may run or must not run, and the real poll, on a
// keyboard with the system's semantics, has to agree.
//
// KESTRUNE_PRESS_SEED picks the seed (printed with every failure), KESTRUNE_PRESS_TIMELINES how
// many timelines are tried.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/fakes.hpp"
#include "fakes/memory_disk.hpp"
#include "hotkeys/catalogue.hpp"
#include "hotkeys/key_choice.hpp"
#include "hotkeys/key_table.hpp"
#include "hotkeys/poll.hpp"
#include "settings/settings.hpp"

namespace kestrune {
namespace {

using Keys = std::bitset<256>;  // the keys that are down, by code

// ---------------------------------------------------------------------------------------------
// A timeline. Times are in half milliseconds: what people do falls on even times, the poll's
// looks on odd ones, so a look never falls at the very moment of a key event.

enum class What {
    kDown,         // a key goes down
    kUp,           // and up
    kRepeat,       // auto-repeat of a key held down
    kForeignRead,  // another program queries the key
    kAssign,       // the settings file gives `function` the key `code` (0: no key)
    kLock,         // the session is locked: what is typed goes to the lock screen
    kUnlock,       // and unlocked
    kWake,         // the system resumes from sleep (no look happened while it slept)
};

struct Event {
    std::int64_t at;
    What what;
    std::int32_t code = 0;
    int function = -1;  // a catalogue index, for kAssign
};

struct Timeline {
    std::vector<Event> events;  // in time order
    std::vector<std::int64_t> looks;
};

constexpr std::int32_t kLeftAlt = vk::kLeftAlt;
constexpr std::int32_t kRightAlt = vk::kRightAlt;
constexpr std::int32_t kLeftControl = vk::kLeftControl;

// ---------------------------------------------------------------------------------------------
// The rule, written plainly over what really happened.

bool AltDown(const Keys& keys) {
    // Left Alt, or Right Alt without Left Control: Left Control + Right Alt is AltGr.
    return keys[kLeftAlt] || (keys[kRightAlt] && !keys[kLeftControl]);
}

bool KeyDown(const Keys& keys, std::int32_t code) {
    if (code == vk::kShift) return keys[vk::kLeftShift] || keys[vk::kRightShift];
    if (code == vk::kControl) return keys[vk::kLeftControl] || keys[vk::kRightControl];
    if (code == vk::kAlt) return AltDown(keys);
    return keys[static_cast<std::size_t>(code)];
}

bool Held(const Keys& keys, std::int32_t code) {
    return AltDown(keys) && KeyDown(keys, code);
}

enum class Verdict { kMustNot, kMay, kMust };

// What happened from one look to the next.
struct Interval {
    // The keys down at the previous look, after each moment of key events since, and at this
    // look (the last).
    std::vector<Keys> moments;
    bool first_look = false;  // no look before, or the session was unlocked or the system woke
    bool locked = false;      // the look fell while the session was locked
    std::set<std::int32_t> assigned_before;  // the keys assigned at the previous look
    std::set<std::int32_t> foreign_reads;    // the keys another program queried meanwhile
};

Verdict Judge(const Interval& interval, std::int32_t code) {
    const std::vector<Keys>& moments = interval.moments;
    // Keys typed on the lock screen never run anything, and cannot be read there anyway.
    if (interval.locked) return Verdict::kMustNot;
    if (Held(moments.back(), code)) return Verdict::kMust;
    // A first look: presses from before it never run. Alt's keys are read at every look, so a
    // key stored as Alt itself has no first look of its own.
    if (interval.first_look) return Verdict::kMustNot;
    if (code != vk::kAlt && !interval.assigned_before.count(code)) return Verdict::kMustNot;

    bool became_held = false;
    bool held_through_right_alt_only = true;
    bool left_control_down = false, alt_down = false, key_down = false, right_alt_down = false;
    for (std::size_t i = 0; i < moments.size(); ++i) {
        const Keys& keys = moments[i];
        if (i > 0 && Held(keys, code) && !Held(moments[i - 1], code)) became_held = true;
        if (Held(keys, code) && keys[kLeftAlt]) held_through_right_alt_only = false;
        left_control_down = left_control_down || keys[kLeftControl];
        right_alt_down = right_alt_down || keys[kRightAlt];
        alt_down = alt_down || AltDown(keys);
        key_down = key_down || KeyDown(keys, code);
    }
    // Held at the previous look and let go since, in either order: never again. Let go and held
    // again before this look looks the same as a key held with auto-repeat: either way.
    if (Held(moments.front(), code)) return became_held ? Verdict::kMay : Verdict::kMustNot;

    // What another program's query took is gone for the poll: a press it saw may be missed,
    // and a Left Control it took leaves a Right Alt that may be AltGr looking like Alt.
    const auto read_by_another = [&](std::int32_t key) {
        return interval.foreign_reads.count(key) > 0;
    };
    bool reads_hide =
        read_by_another(kLeftAlt) || read_by_another(kRightAlt) || read_by_another(kLeftControl);
    if (const auto sides = vk::SideKeysOf(code)) {
        reads_hide = reads_hide || read_by_another(sides->left) || read_by_another(sides->right);
    } else {
        reads_hide = reads_hide || read_by_another(code);
    }
    if (became_held) {
        // Between two looks the order of events is unknown: a Left Control down at any moment
        // of them makes a Right Alt in them AltGr.
        const bool hidden_by_altgr = held_through_right_alt_only && left_control_down;
        return reads_hide || hidden_by_altgr ? Verdict::kMay : Verdict::kMust;
    }
    // Never held together, but both down at some moment since the previous look: the keyboard
    // cannot tell that from a quick Alt+key.
    const bool alt_may_seem_down = alt_down || (right_alt_down && read_by_another(kLeftControl));
    if (alt_may_seem_down && (key_down || code == vk::kAlt)) return Verdict::kMay;
    return Verdict::kMustNot;
}

// ---------------------------------------------------------------------------------------------
// Generated timelines of people pressing keys.

// The keys that functions are given; Shift and Control are pressed through either side, Alt's
// own code ("Menu") through the shortcuts' Alt.
constexpr std::int32_t kAssignable[] = {'N',     'P',        'Q',          vk::F(6),
                                        vk::kUp, vk::kShift, vk::kControl, vk::kAlt};

class Generator {
  public:
    explicit Generator(std::uint64_t seed) : random_(seed) {}

    Timeline Make() {
        timeline_ = {};
        assigned_.clear();
        const int functions = Uniform(1, 4);
        for (int i = 0; i < functions; ++i) {
            const int function = Uniform(0, static_cast<int>(kCatalogue.size()) - 1);
            const std::int32_t code = PickKeyToAssign();
            assigned_[function] = code;
            Add(-1000, What::kAssign, code, function);
        }
        const int start = Uniform(0, 150);  // the first look, in milliseconds
        const int length = Uniform(400, 2500);
        MakeLooks(start, start + length);

        const int gestures = Uniform(1, 5);
        for (int i = 0; i < gestures; ++i) Gesture(Uniform(-400, start + length - 100));
        if (Chance(0.2)) {  // a key given to a function (or taken from it) while the poll runs
            const int function = Uniform(0, static_cast<int>(kCatalogue.size()) - 1);
            const std::int32_t code = Chance(0.2) ? 0 : PickKeyToAssign();
            Add(Ms(Uniform(start, start + length)), What::kAssign, code, function);
            if (code != 0) assigned_[function] = code;
        }
        if (Chance(0.07)) Lock(start, length);
        if (Chance(0.2)) ForeignReads(start + length);
        std::stable_sort(timeline_.events.begin(), timeline_.events.end(),
                         [](const Event& a, const Event& b) { return a.at < b.at; });
        AddRepeats();
        return std::move(timeline_);
    }

  private:
    static std::int64_t Ms(int milliseconds) { return std::int64_t{milliseconds} * 2; }
    int Uniform(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
    template <typename T>
    T Pick(std::initializer_list<T> items) {
        return items.begin()[Uniform(0, static_cast<int>(items.size()) - 1)];
    }

    void Add(std::int64_t at, What what, std::int32_t code, int function = -1) {
        timeline_.events.push_back({at, what, code, function});
    }
    void Press(int from_ms, int until_ms, std::int32_t key) {
        Add(Ms(from_ms), What::kDown, key);
        Add(Ms(std::max(until_ms, from_ms + 1)), What::kUp, key);
    }

    std::int32_t PickKeyToAssign() {
        if (Chance(0.04)) return vk::kAlt;
        return kAssignable[Uniform(0, static_cast<int>(std::size(kAssignable)) - 2)];
    }
    // The key a hand presses for an assigned code (or, now and then, one that is assigned to
    // nothing).
    std::int32_t PhysicalKey() {
        std::int32_t code = 'Z';
        if (!assigned_.empty() && !Chance(0.1)) {
            auto it = assigned_.begin();
            std::advance(it, Uniform(0, static_cast<int>(assigned_.size()) - 1));
            code = it->second;
        }
        if (code == vk::kShift) return Pick({vk::kLeftShift, vk::kRightShift});
        if (code == vk::kControl) return Pick({vk::kLeftControl, vk::kRightControl});
        if (code == vk::kAlt) return kLeftAlt;
        return code;
    }
    // How long a key is held: a quick tap, an ordinary press, or a long hold.
    int HoldLength() {
        const int kind = Uniform(0, 9);
        if (kind < 4) return Uniform(10, 80);
        if (kind < 8) return Uniform(80, 400);
        return Uniform(400, 2000);
    }

    void MakeLooks(int start, int end) {
        int at = start;
        while (at <= end) {
            timeline_.looks.push_back(Ms(at) + 1);
            // Ten times a second; a busy system delays a timer message now and then.
            at += 100 + Uniform(-4, 4) + (Chance(0.07) ? Uniform(0, 250) : 0);
        }
        if (Chance(0.05)) Sleep();
    }

    // The system sleeps: no look for a while, keys may be pressed meanwhile, and it wakes.
    void Sleep() {
        auto& looks = timeline_.looks;
        if (looks.size() < 4) return;
        const std::size_t from =
            static_cast<std::size_t>(Uniform(1, static_cast<int>(looks.size()) - 3));
        const std::size_t to = from + static_cast<std::size_t>(Uniform(1, 2));
        const std::int64_t wake = looks[to] - 3;
        looks.erase(looks.begin() + static_cast<std::ptrdiff_t>(from),
                    looks.begin() + static_cast<std::ptrdiff_t>(to));
        Add(wake, What::kWake, 0);
    }

    // One thing a person does at the keyboard, beginning at `at` (milliseconds).
    void Gesture(int at) {
        const int kind = Uniform(0, 99);
        if (kind < 45) {  // Alt+key, released in either order, with any overlap
            const std::int32_t alt = Chance(0.75) ? kLeftAlt : kRightAlt;
            AltAndKey(at, {alt});
        } else if (kind < 58) {  // AltGr (Left Control + Right Alt, at one moment) and a key
            AltAndKey(at, {kLeftControl, kRightAlt});
        } else if (kind < 68) {  // Alt tapped, then the key after it: never held together
            const std::int32_t alt = Chance(0.8) ? kLeftAlt : kRightAlt;
            const int alt_up = at + Uniform(10, 150);
            Press(at, alt_up, alt);
            const int key_down = alt_up + Uniform(0, 120);
            Press(key_down, key_down + HoldLength(), PhysicalKey());
        } else if (kind < 78) {  // a key alone
            Press(at, at + HoldLength(), PhysicalKey());
        } else if (kind < 86) {  // Alt alone
            Press(at, at + HoldLength(), Chance(0.7) ? kLeftAlt : kRightAlt);
        } else if (kind < 92) {  // Right Alt alone, as on a US keyboard, or AltGr alone
            const int up = at + HoldLength();
            Press(at, up, kRightAlt);
            if (Chance(0.5)) Press(at, up, kLeftControl);
        } else {  // Alt with two keys at once
            const std::int32_t alt = Chance(0.8) ? kLeftAlt : kRightAlt;
            AltAndKey(at, {alt});
            const int second = at + Uniform(0, 200);
            Press(second, second + HoldLength(), PhysicalKey());
        }
    }

    void AltAndKey(int at, std::initializer_list<std::int32_t> alt_keys) {
        const int key_down = at + Uniform(-60, 300);
        const int key_up = key_down + HoldLength();
        // Alt let go before or after the key, by up to 300 ms either way.
        const int alt_up = std::max(at + 10, key_up + Uniform(-300, 300));
        for (const std::int32_t alt : alt_keys) Press(at, alt_up, alt);
        Press(key_down, key_up, PhysicalKey());
    }

    // The session is locked for a while and a password is typed to unlock it; it may hold an
    // assigned letter, and Alt.
    void Lock(int start, int length) {
        const int lock = Uniform(start, start + length / 2);
        const int unlock = lock + Uniform(200, 1200);
        Add(Ms(lock), What::kLock, 0);
        for (int at = lock + Uniform(20, 100); at < unlock - 20; at += Uniform(40, 160)) {
            const std::int32_t key =
                Chance(0.3) ? PhysicalKey() : Pick<std::int32_t>({'A', 'N', kLeftAlt, vk::kEnter});
            Press(at, std::min(at + Uniform(10, 120), unlock - 1), key);
        }
        Add(Ms(unlock), What::kUnlock, 0);
    }

    // Another program queries keys of its own choosing now and then.
    void ForeignReads(int end) {
        const int every = Uniform(10, 200);
        for (int at = Uniform(0, every); at < end; at += every + Uniform(-5, 5)) {
            Add(Ms(at), What::kForeignRead,
                Pick<std::int32_t>({kLeftAlt, kRightAlt, kLeftControl, 'N', 'P', vk::F(6),
                                    vk::kLeftShift, vk::kAlt}));
        }
    }

    // The keyboard repeats the key pressed last while it is held, after a delay, thirty times
    // a second; AltGr repeats as both its keys.
    void AddRepeats() {
        const int delay = Pick({250, 500, 750, 1000});
        std::vector<Event> repeats;
        const auto& events = timeline_.events;
        for (std::size_t i = 0; i < events.size(); ++i) {
            const Event& event = events[i];
            if (event.what != What::kDown) continue;
            // The keys that went down at this moment repeat together, until the next key-down
            // or until one of them goes up.
            std::vector<std::int32_t> repeating;
            std::size_t j = i;
            while (j < events.size() && events[j].at == event.at) {
                if (events[j].what == What::kDown) repeating.push_back(events[j].code);
                ++j;
            }
            std::int64_t stop = INT64_MAX;
            for (std::size_t k = i + 1; k < events.size(); ++k) {
                const Event& later = events[k];
                if (later.at == event.at && later.what == What::kDown) continue;
                const bool ends = later.what == What::kDown ||
                                  (later.what == What::kUp &&
                                   std::count(repeating.begin(), repeating.end(), later.code));
                if (ends) {
                    stop = later.at;
                    break;
                }
            }
            for (std::int64_t at = event.at + Ms(delay); at < stop; at += Ms(33)) {
                for (const std::int32_t key : repeating)
                    repeats.push_back({at, What::kRepeat, key});
            }
            i = j - 1;
        }
        timeline_.events.insert(timeline_.events.end(), repeats.begin(), repeats.end());
        std::stable_sort(timeline_.events.begin(), timeline_.events.end(),
                         [](const Event& a, const Event& b) { return a.at < b.at; });
    }

    std::mt19937_64 random_;
    Timeline timeline_;
    std::map<int, std::int32_t> assigned_;  // what the timeline gives functions, by index
};

// ---------------------------------------------------------------------------------------------
// The timeline played to the real poll.

std::string KeyName(std::int32_t code) {
    if (code == kLeftAlt) return "LeftAlt";
    if (code == kRightAlt) return "RightAlt";
    if (code == kLeftControl) return "LeftCtrl";
    if (code == vk::kRightControl) return "RightCtrl";
    if (code == vk::kLeftShift) return "LeftShift";
    if (code == vk::kRightShift) return "RightShift";
    if (const auto name = KeyNameOf(code)) return std::string(*name);
    return std::to_string(code);
}

std::string Describe(const Timeline& timeline) {
    static const char* const kWhat[] = {"down",   "up",     "repeat",   "read by another",
                                        "assign", "locked", "unlocked", "wakes"};
    std::ostringstream text;
    std::size_t look = 0;
    const auto ms = [](std::int64_t at) { return std::to_string(at / 2) + (at % 2 ? ".5" : ""); };
    const auto write_look = [&] {
        text << "  " << ms(timeline.looks[look]) << " ms: LOOK " << look + 1 << "\n";
        ++look;
    };
    for (const Event& event : timeline.events) {
        while (look < timeline.looks.size() && timeline.looks[look] < event.at) write_look();
        text << "  " << ms(event.at) << " ms: " << kWhat[static_cast<int>(event.what)];
        if (event.what == What::kAssign) {
            text << " " << kCatalogue[static_cast<std::size_t>(event.function)].display_name
                 << " = " << (event.code ? KeyName(event.code) : "none");
        } else if (event.code != 0) {
            text << " " << KeyName(event.code);
        }
        text << "\n";
    }
    while (look < timeline.looks.size()) write_look();
    return text.str();
}

// The keyboard as the timeline leaves it: the fake keyboard that the code under test reads,
// and what is really down, for the model.
struct Desk {
    fakes::FakeKeyboard keyboard;
    Keys down;
    bool locked = false;

    // Plays a key event, another program's read or a lock; true for a press (a key that was up
    // went down).
    bool Play(const Event& event) {
        const auto key = static_cast<std::size_t>(event.code);
        switch (event.what) {
            case What::kDown: {
                const bool press = !down[key];
                down.set(key);
                keyboard.Press(event.code);
                return press;
            }
            case What::kUp:
                down.reset(key);
                keyboard.Release(event.code);
                break;
            case What::kRepeat:
                keyboard.Repeat(event.code);
                break;
            case What::kForeignRead:
                keyboard.Query(event.code);
                break;
            case What::kLock:
                locked = keyboard.locked = true;
                break;
            case What::kUnlock:
            case What::kWake:
                locked = keyboard.locked = false;
                break;
            case What::kAssign:
                break;
        }
        return false;
    }
};

struct PlayResult {
    std::size_t looks = 0;
    std::size_t runs = 0;       // looks at which the poll ran a function
    std::size_t must_runs = 0;  // looks at which the model said one must run
    std::size_t may_runs = 0;   // and at which it left one to the poll
    std::string failure;        // empty when the poll kept to the rule at every look
};

class Player {
  public:
    PlayResult Play(const Timeline& timeline) {
        disk_.files.clear();
        Desk desk;
        fakes::FakePlayer player;
        fakes::FakeHost host("M:");
        PollMemory memory;
        std::map<int, std::int32_t> assigned;  // by catalogue index
        Interval interval;
        interval.first_look = true;

        PlayResult result;
        std::size_t next = 0;
        const auto& events = timeline.events;
        for (const std::int64_t look : timeline.looks) {
            interval.moments.assign(1, desk.down);
            while (next < events.size() && events[next].at < look) {
                // Keys that go down together (AltGr's two), or up together, make one moment.
                const Event& first = events[next];
                for (; next < events.size() && events[next].at == first.at &&
                       events[next].what == first.what;
                     ++next) {
                    const Event& event = events[next];
                    desk.Play(event);
                    if (event.what == What::kForeignRead) interval.foreign_reads.insert(event.code);
                    if (event.what == What::kAssign) {
                        if (event.code == 0) {
                            assigned.erase(event.function);
                        } else {
                            assigned[event.function] = event.code;
                        }
                        WriteAssignments(assigned, host.settings_file);
                    }
                    if (event.what == What::kUnlock || event.what == What::kWake) {
                        memory.Forget();  // what the main window does when told of either
                        interval.first_look = true;
                    }
                }
                interval.moments.push_back(desk.down);
            }
            interval.moments.push_back(desk.down);
            interval.locked = desk.locked;

            const std::size_t events_before = host.events.size();
            RunKeyCheckTick(desk.keyboard, player, host, memory);
            ++result.looks;
            int ran = -1;
            if (host.events.size() > events_before) {
                const std::string& caption = host.events[events_before];
                for (const PlayerFunction& function : kCatalogue) {
                    if (caption == "last:" + std::string(kLastCaptionPrefix) +
                                       std::string(function.display_name)) {
                        ran = static_cast<int>(CatalogueIndex(function));
                    }
                }
            }
            result.runs += ran >= 0;
            Tally(interval, assigned, result);
            if (const std::string wrong = Check(interval, assigned, ran); !wrong.empty()) {
                result.failure = "at look " + std::to_string(result.looks) + " (" +
                                 std::to_string(look / 2) + " ms): " + wrong;
                return result;
            }
            interval = {};
            for (const auto& [function, code] : assigned) interval.assigned_before.insert(code);
            desk.keyboard.queries.clear();
        }
        return result;
    }

  private:
    static void WriteAssignments(const std::map<int, std::int32_t>& assigned,
                                 const std::string& path) {
        std::string text = "[KEYS]\r\n";
        for (const auto& [function, code] : assigned) {
            text += std::string(kCatalogue[static_cast<std::size_t>(function)].settings_key) + "=" +
                    std::to_string(code) + "\r\n";
        }
        file_store::CurrentDisk().WriteInPlace(path, text);
    }

    static void Tally(const Interval& interval, const std::map<int, std::int32_t>& assigned,
                      PlayResult& result) {
        bool must = false, may = false;
        for (const auto& [function, code] : assigned) {
            const Verdict verdict = Judge(interval, code);
            must = must || verdict == Verdict::kMust;
            may = may || verdict == Verdict::kMay;
        }
        result.must_runs += must;
        result.may_runs += may && !must;
    }

    // Whether the function that ran (or none) agrees with the model: no function the model
    // says must not run, and none after one that must.
    static std::string Check(const Interval& interval, const std::map<int, std::int32_t>& assigned,
                             int ran) {
        for (const PlayerFunction* function : PollOrder()) {
            const auto index = static_cast<int>(CatalogueIndex(*function));
            const auto key = assigned.find(index);
            if (key == assigned.end()) continue;
            const Verdict verdict = Judge(interval, key->second);
            const std::string name(function->display_name);
            if (index == ran) {
                return verdict == Verdict::kMustNot ? name + " ran, and must not have" : "";
            }
            if (verdict == Verdict::kMust) {
                return name + " must run, and " +
                       (ran < 0
                            ? std::string("nothing ran")
                            : std::string(kCatalogue[static_cast<std::size_t>(ran)].display_name) +
                                  " ran instead");
            }
        }
        return ran < 0 ? "" : "a function without a key ran";
    }

    fakes::MemoryDisk disk_;
};

// The same timelines played to Set Key's choice of a key (KeyChoice), which reads the same
// "pressed since" states. Its rule, plainly: a key it takes went down (a press, not auto-repeat)
// after the window's first look, and not on a locked desktop. Each time it takes one, the window
// opens again.
std::string PlayToKeyChoice(const Timeline& timeline, std::size_t& taken_count) {
    Desk desk;
    KeyChoice choice;
    std::set<std::int32_t> pressed;  // keys pressed since the window's first look, by table code
    bool opened = false;
    std::size_t next = 0;
    const auto& events = timeline.events;
    for (std::size_t look = 0; look < timeline.looks.size(); ++look) {
        for (; next < events.size() && events[next].at < timeline.looks[look]; ++next) {
            const Event& event = events[next];
            if (desk.Play(event) && !desk.locked) {
                pressed.insert(event.code);
                for (const std::int32_t either : {vk::kShift, vk::kControl, vk::kAlt}) {
                    const auto sides = vk::SideKeysOf(either);
                    if (event.code == sides->left || event.code == sides->right) {
                        pressed.insert(either);
                    }
                }
            }
            if (event.what == What::kUnlock || event.what == What::kWake) {
                // What the window is told by the main window (KeyCapture::StartOver).
                if (opened) choice.Open(desk.keyboard);
                pressed.clear();
            }
        }
        if (!opened) {
            choice.Open(desk.keyboard);
            opened = true;
            pressed.clear();
            continue;
        }
        const bool first_look = !choice.TakingKeys();
        const std::optional<KeyEntry> taken = choice.Next(desk.keyboard);
        if (first_look) pressed.clear();
        if (!taken) continue;
        ++taken_count;
        if (!pressed.count(taken->code)) {
            return "at look " + std::to_string(look + 1) + ": Set Key took " +
                   std::string(taken->name) + ", which was not pressed since its first look";
        }
        choice.Open(desk.keyboard);
        pressed.clear();
    }
    return "";
}

std::uint64_t FromEnvironment(const char* name, std::uint64_t otherwise) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : otherwise;
}

TEST(PressModel, ThePollKeepsToTheRuleOnGeneratedTimelines) {
    const std::uint64_t seed = FromEnvironment("KESTRUNE_PRESS_SEED", 20261209);
    const std::uint64_t count = FromEnvironment("KESTRUNE_PRESS_TIMELINES", 100000);
    Generator generator(seed);
    Player player;
    PlayResult all;
    for (std::uint64_t i = 0; i < count; ++i) {
        const Timeline timeline = generator.Make();
        const PlayResult result = player.Play(timeline);
        all.looks += result.looks;
        all.runs += result.runs;
        all.must_runs += result.must_runs;
        all.may_runs += result.may_runs;
        ASSERT_EQ(result.failure, "") << "seed " << seed << ", timeline " << i << ":\n"
                                      << Describe(timeline);
    }
    std::printf(
        "press model, seed %llu: %llu timelines, %zu looks; %zu runs, %zu looks where one "
        "must run, %zu where one may\n",
        static_cast<unsigned long long>(seed), static_cast<unsigned long long>(count), all.looks,
        all.runs, all.must_runs, all.may_runs);
    // The generated presses reach every verdict often: the model is not judging idle keyboards.
    EXPECT_GT(all.must_runs, count / 4);
    EXPECT_GT(all.may_runs, count / 100);
    EXPECT_GT(all.looks - all.runs, all.looks / 2);
}

TEST(PressModel, SetKeyTakesOnlyKeysPressedWhileItWaits) {
    const std::uint64_t seed = FromEnvironment("KESTRUNE_PRESS_SEED", 20261209);
    Generator generator(seed);
    std::size_t taken = 0;
    constexpr int kTimelines = 20000;
    for (int i = 0; i < kTimelines; ++i) {
        const Timeline timeline = generator.Make();
        ASSERT_EQ(PlayToKeyChoice(timeline, taken), "")
            << "seed " << seed << ", timeline " << i << ":\n"
            << Describe(timeline);
    }
    EXPECT_GT(taken, std::size_t{kTimelines}) << "keys are taken, often";
}

}  // namespace
}  // namespace kestrune
