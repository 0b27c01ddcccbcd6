// The window's input as SDL hands it over: events pushed onto SDL's queue
// (under the dummy video driver) and handled the way the loop and the
// presents of a long sequence handle them.
#include <gtest/gtest.h>

#include <SDL.h>

#include <functional>
#include <string>

#include "game/state.h"
#include "platform/input/events.h"
#include "platform/input/gamepads.h"
#include "platform/input/pause.h"
#include "platform/ports/keyboard.h"
#include "platform/ports/sound.h"

namespace {

class Events : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        game.heldKey = 0;
    }
    void TearDown() override {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
        game.heldKey = 0;
    }
};

void push(SDL_Event event) {
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void pushKey(bool down, SDL_Keycode sym, bool repeat = false) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = sym;
    push(event);
}

void pushMouseMotion(int i) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = i % 640;
    event.motion.y = i % 400;
    event.motion.xrel = 1;
    push(event);
}

void pushText() {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.text[0] = 'a';
    push(event);
}

// A long sequence: the events come a few at a time, and each present of it
// handles what came so far.
void duringASequence(const std::function<void(int)>& pushOne, int count) {
    for (int i = 0; i < count; ++i) {
        pushOne(i);
        if (i % 50 == 49) handleEventsWithinCall();
    }
    handleEventsWithinCall();
}

} // namespace

TEST_F(Events, NoKeyChangeIsLostDuringALongSequence) {
    // Left is held as a banner starts; whatever else comes during the banner,
    // its key-up reaches the game when the call returns, and nothing is left
    // held behind: a later tap of Up hands over to no stale Left.
    struct Case {
        const char* name;
        std::function<void()> during; // Left goes up somewhere in here
        int held;                     // what the game holds once the call returned
        SDL_Keycode heldSym = 0;      // and its key
    };
    const Case cases[] = {
        {"the mouse moved 4200 times, then Left went up",
         [] {
             duringASequence(pushMouseMotion, 4200);
             pushKey(false, SDLK_LEFT);
             handleEventsWithinCall();
         },
         0},
        {"Left went up amid thousands of motions, text and unknown keys",
         [] {
             duringASequence(pushMouseMotion, 3000);
             duringASequence([](int) { pushText(); }, 1500);
             pushKey(false, SDLK_LEFT);
             duringASequence([](int i) { pushKey(i % 2 == 0, SDLK_a); }, 2000);
             duringASequence(pushMouseMotion, 2500);
         },
         0},
        {"Left repeated for the whole banner before going up",
         [] {
             duringASequence([](int) { pushKey(true, SDLK_LEFT, true); }, 6000);
             pushKey(false, SDLK_LEFT);
             handleEventsWithinCall();
         },
         0},
        {"more key changes than there is room for, Left up among them",
         [] {
             duringASequence([](int i) { pushKey(i % 2 == 0, SDLK_UP); }, 5000);
             pushKey(false, SDLK_LEFT);
             duringASequence([](int i) { pushKey(i % 2 == 0, SDLK_DOWN); }, 2000);
         },
         0},
        {"more key changes than there is room for, ending with Right held",
         [] {
             duringASequence([](int i) { pushKey(i % 2 == 0, SDLK_UP); }, 5000);
             pushKey(true, SDLK_RIGHT);
             pushKey(false, SDLK_LEFT);
             handleEventsWithinCall();
         },
         KEY_RIGHT, SDLK_RIGHT},
        {"Right, then Down pressed over Left, then Right and Left let go",
         [] {
             pushKey(true, SDLK_RIGHT);
             pushKey(true, SDLK_DOWN);
             pushKey(false, SDLK_RIGHT);
             pushKey(false, SDLK_LEFT);
             handleEventsWithinCall();
         },
         KEY_DOWN, SDLK_DOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pushKey(true, SDLK_LEFT);
        handlePendingEvents();
        ASSERT_EQ(game.heldKey, KEY_LEFT);

        c.during();
        EXPECT_EQ(game.heldKey, KEY_LEFT) << "the game's keys wait for the call to return";
        handlePendingEvents();
        EXPECT_EQ(game.heldKey, c.held);

        // Let go of what is held, then tap Up: nothing stale comes back.
        if (c.heldSym) pushKey(false, c.heldSym);
        pushKey(true, SDLK_UP);
        handlePendingEvents();
        EXPECT_EQ(game.heldKey, KEY_UP);
        pushKey(false, SDLK_UP);
        handlePendingEvents();
        EXPECT_EQ(game.heldKey, 0);
    }
}

TEST_F(Events, WindowKeysActOnThePressNotOnItsRepeats) {
    // P and M held past the key-repeat delay switch once, between calls and
    // within a call alike; their key-up does nothing, the next press switches
    // back.
    struct Case {
        SDL_Keycode sym;
        std::function<bool()> state;
    };
    const Case cases[] = {
        {SDLK_p, gamePaused},
        {SDLK_PAUSE, gamePaused},
        {SDLK_m, soundMuted},
    };
    for (const bool withinCall : {false, true}) {
        const auto handle = withinCall ? handleEventsWithinCall : handlePendingEvents;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(SDL_GetKeyName(c.sym)) + (withinCall ? " within a call" : ""));
            const bool before = c.state();
            pushKey(true, c.sym);
            handle();
            EXPECT_EQ(c.state(), !before);
            for (int i = 0; i < 25; ++i) pushKey(true, c.sym, true);
            handle();
            EXPECT_EQ(c.state(), !before) << "repeats";
            pushKey(false, c.sym);
            handle();
            EXPECT_EQ(c.state(), !before) << "key-up";
            pushKey(true, c.sym);
            pushKey(false, c.sym);
            handle();
            EXPECT_EQ(c.state(), before) << "pressed again";
        }
    }
    handlePendingEvents();
    EXPECT_EQ(game.heldKey, 0) << "no window key reaches the game";
}
