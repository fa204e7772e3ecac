// The key capture window's choice of key, over sequences of fake keyboard states.
#include "hotkeys/key_choice.hpp"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fakes.hpp"

namespace kestrune {
namespace {

using fakes::FakeKeyboard;

using vk::kAlt;
using vk::kControl;
using vk::kEnter;
using vk::kLeftButton;
using vk::kShift;
using vk::kSpace;
using vk::kTab;
constexpr std::int32_t kA = 'A';
constexpr std::int32_t kC = 'C';
constexpr std::int32_t kT = 'T';

class KeyChoiceTest : public ::testing::Test {
  protected:
    // The window opens and its first tick passes, before the keys of the test.
    void Open() {
        choice.Open(keys);
        EXPECT_EQ(Next(), 0) << "the first look takes nothing";
    }
    // The code taken at the next look, or 0 for none.
    int Next() {
        const auto key = choice.Next(keys);
        if (!key) return 0;
        EXPECT_EQ(KeyNameOf(key->code), key->name);
        return key->code;
    }

    FakeKeyboard keys;
    KeyChoice choice;
};

TEST_F(KeyChoiceTest, KeysDownAtTheOpeningCountOnlyOncePressedAgain) {
    // Enter on the focused "&Change", still held, then let go.
    keys.Press(kEnter);
    Open();
    EXPECT_EQ(Next(), 0);
    keys.Tap(kEnter);  // auto-repeat sets "pressed since" while it is held
    EXPECT_EQ(Next(), 0);
    keys.Release(kEnter);
    EXPECT_EQ(Next(), 0);
    EXPECT_EQ(Next(), 0);
    keys.Press(kEnter);
    EXPECT_EQ(Next(), kEnter) << "pressed again";

    // Space presses a button when it goes up: only its "pressed since" state is left.
    keys.ReleaseAll();
    keys.Tap(kSpace);
    Open();
    EXPECT_EQ(Next(), 0) << "drained at the opening";

    // Alt+C: both held at the opening, let go one after the other.
    keys.Press(kAlt);
    keys.Press(kC);
    Open();
    keys.Release(kC);
    EXPECT_EQ(Next(), 0);
    keys.Release(kAlt);
    EXPECT_EQ(Next(), 0) << "the Alt of Alt+C is not taken";
    EXPECT_EQ(Next(), 0);
}

TEST_F(KeyChoiceTest, APressFromBeforeTheOpeningIsNotTakenWhenItShowsOnlyAtTheFirstTick) {
    // As traced under Wine: Tab, Tab and Enter tapped just before the window opened. The look
    // at the opening saw no key down and nothing "pressed since" (it was answered from an older
    // copy of the keyboard state); the first tick, 106 ms later, saw Enter and Tab with only
    // "pressed since" set.
    choice.Open(keys);
    EXPECT_FALSE(choice.TakingKeys());
    keys.Tap(kEnter);
    keys.Tap(kTab);
    EXPECT_EQ(Next(), 0);
    EXPECT_TRUE(choice.TakingKeys());
    EXPECT_EQ(Next(), 0);
    // The same, with Enter still held at the first tick: it waits to be seen up and pressed
    // again, as a key held at the opening does.
    choice.Open(keys);
    keys.Press(kEnter);
    EXPECT_EQ(Next(), 0);
    EXPECT_EQ(Next(), 0);
    keys.Release(kEnter);
    EXPECT_EQ(Next(), 0);
    // From the second tick on, a tap between two looks is taken, however short.
    keys.Tap(kTab);
    EXPECT_EQ(Next(), kTab);
    keys.Tap(kEnter);
    EXPECT_EQ(Next(), kEnter);
}

TEST_F(KeyChoiceTest, AnotherKeyWinsOverTheModifiersHeldWithIt) {
    struct Case {
        std::vector<int> held_first;  // down at one look before the key
        int key;
    };
    for (const Case& c : {Case{{kAlt}, kA}, Case{{}, kA}, Case{{kShift}, kA},
                          Case{{kControl, kAlt}, 'D'}, Case{{kAlt}, 'Z'}, Case{{kAlt}, kEnter}}) {
        keys.ReleaseAll();
        Open();
        for (int code : c.held_first) keys.Press(code);
        EXPECT_EQ(Next(), 0);
        keys.Press(c.key);
        EXPECT_EQ(Next(), c.key);
    }
    // Alt held since the opening (Alt+C) and then A: A.
    keys.ReleaseAll();
    keys.Press(kAlt);
    keys.Press(kC);
    Open();
    keys.Release(kC);
    keys.Press(kA);
    EXPECT_EQ(Next(), kA);
    // Two other keys at once: the later in scan order.
    keys.ReleaseAll();
    Open();
    keys.Press(kT);
    keys.Press(kA);
    EXPECT_EQ(Next(), kT);
}

TEST_F(KeyChoiceTest, AModifierAloneIsTakenWhenReleased) {
    Open();
    keys.Press(kAlt);
    EXPECT_EQ(Next(), 0);
    EXPECT_EQ(Next(), 0) << "held: another key may still come";
    keys.Release(kAlt);
    EXPECT_EQ(Next(), kAlt);

    // A tap between two looks.
    Open();
    keys.Tap(kShift);
    EXPECT_EQ(Next(), kShift);

    // Two modifiers together are no single key; one alone afterwards is.
    Open();
    keys.Press(kControl);
    keys.Press(kShift);
    EXPECT_EQ(Next(), 0);
    keys.Release(kShift);
    EXPECT_EQ(Next(), 0);
    keys.Release(kControl);
    EXPECT_EQ(Next(), 0);
    keys.Press(kControl);
    EXPECT_EQ(Next(), 0);
    keys.Release(kControl);
    EXPECT_EQ(Next(), kControl);

    // Nor is AltGr, which is Left Control and Right Alt together.
    Open();
    keys.Press(vk::kLeftControl);
    keys.Press(vk::kRightAlt);
    EXPECT_EQ(Next(), 0);
    keys.ReleaseAll();
    EXPECT_EQ(Next(), 0);
}

TEST_F(KeyChoiceTest, MouseButtonsAndKeysOutsideTheTableAreNeverTaken) {
    Open();
    for (int code : {kLeftButton, vk::kRightButton, vk::kMiddleButton, 186, 91}) {
        keys.Press(code);
        EXPECT_EQ(Next(), 0) << code;
        keys.Release(code);
        EXPECT_EQ(Next(), 0) << code;
    }
    keys.Press(kLeftButton);
    keys.Press(kT);
    EXPECT_EQ(Next(), kT) << "a key held with a mouse button";
    // Alt with a click or a key outside the table is still Alt alone.
    keys.ReleaseAll();
    Open();
    keys.Press(kAlt);
    keys.Press(kLeftButton);
    keys.Press(186);
    EXPECT_EQ(Next(), 0);
    keys.ReleaseAll();
    EXPECT_EQ(Next(), kAlt);
}

TEST_F(KeyChoiceTest, EveryKeyOfTheTableButTheMouseButtonsCanBeChosen) {
    for (const KeyEntry& entry : kKeyTable) {
        SCOPED_TRACE(std::string(entry.name));
        const bool mouse = entry.code == kLeftButton || entry.code == vk::kRightButton ||
                           entry.code == vk::kMiddleButton;
        const bool modifier = entry.code == kShift || entry.code == kControl || entry.code == kAlt;
        keys.ReleaseAll();
        Open();
        keys.Press(entry.code);
        EXPECT_EQ(Next(), mouse || modifier ? 0 : entry.code);
        keys.Release(entry.code);
        EXPECT_EQ(Next(), modifier ? entry.code : 0);
    }
}

}  // namespace
}  // namespace kestrune
