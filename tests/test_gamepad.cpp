#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/state.h"
#include "platform/input/events.h"
#include "platform/input/gamepads.h"
#include "platform/input/pad_mapper.h"
#include "platform/input/pause.h"
#include "platform/ports/keyboard.h"
#include "support.h"

namespace {

// Key events as text, e.g. "+39 -38": + is a key-down, - a key-up.
std::string text(const PadKeyEvents& keys) {
    std::string out;
    for (int i = 0; i < keys.count; ++i) {
        if (!out.empty()) out += ' ';
        out += (keys.events[i].down ? '+' : '-') + std::to_string(keys.events[i].code);
    }
    return out;
}

} // namespace

TEST(Gamepad, ButtonsActAsTheirKeys) {
    struct Row {
        PadButton button;
        int code; // 0: the button does nothing
    };
    const Row rows[] = {
        {PadButton::A, KEY_SPACE},         {PadButton::Start, KEY_SPACE},
        {PadButton::Back, KEY_ESCAPE},     {PadButton::DpadUp, KEY_UP},
        {PadButton::DpadDown, KEY_DOWN},   {PadButton::DpadLeft, KEY_LEFT},
        {PadButton::DpadRight, KEY_RIGHT}, {PadButton::Other, 0},
    };
    PadMapper pad;
    for (const Row& row : rows) {
        const std::string code = std::to_string(row.code);
        EXPECT_EQ(text(pad.button(row.button, true)), row.code ? "+" + code : "");
        EXPECT_EQ(text(pad.button(row.button, false)), row.code ? "-" + code : "");
    }
}

TEST(Gamepad, StickHasDeadZoneAndHysteresis) {
    // One stick movement per row, in order, with the keys it sends.
    struct Row {
        PadAxis axis;
        int value;
        const char* keys;
    };
    const Row rows[] = {
        {PadAxis::LeftX, 8000, ""},             // inside the dead zone
        {PadAxis::LeftX, PAD_PRESS - 1, ""},    // not yet pressed
        {PadAxis::LeftX, PAD_PRESS, "+39"},     // Right
        {PadAxis::LeftX, 32767, ""},            // further: no repeat
        {PadAxis::LeftX, PAD_RELEASE + 1, ""},  // eased back: still held
        {PadAxis::LeftX, PAD_PRESS + 10, ""},   // and out again: still held
        {PadAxis::LeftX, PAD_RELEASE, "-39"},   // let go
        {PadAxis::LeftX, PAD_RELEASE + 1, ""},  // coming back needs PAD_PRESS
        {PadAxis::LeftX, -32768, "+37"},        // flung left
        {PadAxis::LeftX, 32767, "-37 +39"},     // straight across to right
        {PadAxis::LeftX, 0, "-39"},             // centred
        {PadAxis::LeftY, -PAD_PRESS, "+38"},    // up reads negative
        {PadAxis::LeftY, -PAD_RELEASE - 1, ""}, // held through the band
        {PadAxis::LeftY, PAD_PRESS, "-38 +40"}, // down
        {PadAxis::LeftY, -100, "-40"},          // centred
        {PadAxis::Other, 32767, ""},            // right stick, triggers
    };
    PadMapper pad;
    int i = 0;
    for (const Row& row : rows) {
        EXPECT_EQ(text(pad.axis(row.axis, row.value)), row.keys) << "row " << i;
        ++i;
    }
}

TEST(Gamepad, RemovedControllerLetsGoOfItsStick) {
    PadMapper pad;
    EXPECT_EQ(text(pad.releaseAll()), "");
    pad.axis(PadAxis::LeftX, -20000);
    pad.axis(PadAxis::LeftY, 20000);
    EXPECT_EQ(text(pad.releaseAll()), "-37 -40");
    EXPECT_EQ(text(pad.releaseAll()), "");
    // The stick starts afresh: a push is a new key-down.
    EXPECT_EQ(text(pad.axis(PadAxis::LeftX, -20000)), "+37");
}

namespace {

bool endedWithinCall = false;

void noteEndWithinCall() {
    endedWithinCall = true;
    requestQuit();
}

SDL_Event keyPress(SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    return event;
}

SDL_Event padPress(SDL_JoystickID pad, SDL_GameControllerButton button) {
    SDL_Event event{};
    event.type = SDL_CONTROLLERBUTTONDOWN;
    event.cbutton.which = pad;
    event.cbutton.button = Uint8(button);
    event.cbutton.state = SDL_PRESSED;
    return event;
}

class PausedWithinCall : public gametest::GameTest {};

} // namespace

// Paused in the middle of a sequence, Escape ends the game at once, and so
// does a gamepad's Back, which plays as Escape; the game's other keys wait
// for the call to return.
TEST_F(PausedWithinCall, EscapeOrBackEndsTheGame) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6,
                                                 SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    handlePendingEvents(); // the pad's arrival opens it
    const SDL_JoystickID pad = SDL_JoystickGetDeviceInstanceID(device);
    setEndWithinCall(noteEndWithinCall);

    struct Row {
        const char* what;
        SDL_Event press;
        bool ends;
    };
    const Row rows[] = {
        {"Escape", keyPress(SDLK_ESCAPE), true},
        {"the pad's Back", padPress(pad, SDL_CONTROLLER_BUTTON_BACK), true},
        {"Space", keyPress(SDLK_SPACE), false},
        {"the pad's A", padPress(pad, SDL_CONTROLLER_BUTTON_A), false},
        {"the pad's Start", padPress(pad, SDL_CONTROLLER_BUTTON_START), false},
        {"Right", keyPress(SDLK_RIGHT), false},
    };
    for (const Row& row : rows) {
        endedWithinCall = false;
        clearQuitRequest();
        SDL_Event pause = keyPress(SDLK_p);
        SDL_PushEvent(&pause);
        handleEventsWithinCall();
        ASSERT_TRUE(gamePaused()) << row.what;
        // The press, then P: a press that does not end the game leaves the
        // pause to end on P.
        SDL_Event press = row.press;
        SDL_PushEvent(&press);
        SDL_PushEvent(&pause);
        waitWhilePaused(true);
        EXPECT_EQ(endedWithinCall, row.ends) << row.what;
        EXPECT_EQ(quitRequested(), row.ends) << row.what;
        if (row.ends) handleEventsWithinCall(); // the P still waiting lifts the pause
        EXPECT_FALSE(gamePaused()) << row.what;
        clearQuitRequest();
        handlePendingEvents(); // what waited for the call's end
    }

    setEndWithinCall(nullptr);
    closeGamepads();
    SDL_JoystickDetachVirtual(device);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}
