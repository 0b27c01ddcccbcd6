// The hand-over between keys held at once: the game holds one key, and when
// that one is let go while another is still down, it gets a press of the
// newest one still down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/state.h"
#include "platform/input/held_keys.h"
#include "platform/ports/keyboard.h"

namespace {

constexpr int PAD = 1;

struct Step {
    const char* what; // "+K" / "-K" keyboard, "+P" / "-P" gamepad; K or P then the code;
                      // "R": the game starts afresh (the page's restart), holding no key
    int code;
};

// Feeds the steps through the tracker into the game's key handling and
// returns what the game held after each step.
std::vector<int> heldAfterEach(const std::vector<Step>& steps) {
    HeldKeys keys;
    game.heldKey = 0;
    std::vector<int> held;
    for (const Step& s : steps) {
        if (s.what[0] == 'R') {
            game.heldKey = 0;
            held.push_back(game.heldKey);
            continue;
        }
        const int holder = s.what[1] == 'P' ? PAD : HOLDER_KEYBOARD;
        const KeyDeliveries out = s.what[0] == '+' ? keys.press(holder, s.code)
                                                   : keys.release(holder, s.code, game.heldKey);
        for (int i = 0; i < out.count; ++i) {
            if (out.items[i].down)
                keyDown(out.items[i].code);
            else
                keyUp(out.items[i].code);
        }
        held.push_back(game.heldKey);
    }
    return held;
}

} // namespace

TEST(HeldKeys, ReleasingTheHeldKeyHandsOverToTheNewestStillDown) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<int> held;
    };
    const Case cases[] = {
        {"Left, Up over it, Up let go: Left again",
         {{"+K", KEY_LEFT}, {"+K", KEY_UP}, {"-K", KEY_UP}, {"-K", KEY_LEFT}},
         {KEY_LEFT, KEY_UP, KEY_LEFT, 0}},
        {"the older key let go first changes nothing",
         {{"+K", KEY_LEFT}, {"+K", KEY_UP}, {"-K", KEY_LEFT}, {"-K", KEY_UP}},
         {KEY_LEFT, KEY_UP, KEY_UP, 0}},
        {"three keys, the middle one let go, then the newest",
         {{"+K", KEY_LEFT}, {"+K", KEY_UP}, {"+K", KEY_RIGHT}, {"-K", KEY_UP}, {"-K", KEY_RIGHT}},
         {KEY_LEFT, KEY_UP, KEY_RIGHT, KEY_RIGHT, KEY_LEFT}},
        {"a repeat of the held key changes nothing",
         {{"+K", KEY_DOWN}, {"+K", KEY_DOWN}, {"-K", KEY_DOWN}},
         {KEY_DOWN, KEY_DOWN, 0}},
        {"a stick's diagonal losing one axis",
         {{"+P", KEY_UP}, {"+P", KEY_LEFT}, {"-P", KEY_LEFT}, {"-P", KEY_UP}},
         {KEY_UP, KEY_LEFT, KEY_UP, 0}},
        {"the same arrow on the pad and the keyboard",
         {{"+K", KEY_RIGHT}, {"+P", KEY_RIGHT}, {"-K", KEY_RIGHT}, {"-P", KEY_RIGHT}},
         {KEY_RIGHT, KEY_RIGHT, KEY_RIGHT, 0}},
        {"Space held under an arrow",
         {{"+K", KEY_SPACE}, {"+K", KEY_DOWN}, {"-K", KEY_DOWN}, {"-K", KEY_SPACE}},
         {KEY_SPACE, KEY_DOWN, KEY_SPACE, 0}},
        {"after a fresh start the game holds nothing, and a release presses nothing",
         {{"+K", KEY_LEFT}, {"+K", KEY_SPACE}, {"R", 0}, {"-K", KEY_SPACE}, {"-K", KEY_LEFT}},
         {KEY_LEFT, KEY_SPACE, 0, 0, 0}},
        {"a release never seen pressed, as the game has always taken it",
         {{"-K", KEY_UP}, {"+K", KEY_UP}, {"-K", KEY_LEFT}},
         {0, KEY_UP, KEY_UP}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(heldAfterEach(c.steps), c.held);
    }
    game.heldKey = 0;
}

TEST(HeldKeys, AnUnpluggedPadLetsGoOfEverything) {
    HeldKeys keys;
    keys.press(HOLDER_KEYBOARD, KEY_LEFT);
    keys.press(PAD, KEY_UP);
    keys.press(PAD, KEY_SPACE);
    EXPECT_EQ(keys.downCount(), 3);
    int released = 0;
    while (const int code = keys.anyHeldBy(PAD)) {
        keys.release(PAD, code, 0);
        ++released;
    }
    EXPECT_EQ(released, 2);
    EXPECT_EQ(keys.anyHeldBy(HOLDER_KEYBOARD), KEY_LEFT);
    EXPECT_EQ(keys.press(HOLDER_KEYBOARD, KEY_ESCAPE).count, 1); // Escape is never held
    EXPECT_EQ(keys.downCount(), 1);
}
