#include "platform/input/pad_mapper.h"

#include "game/state.h"

namespace {

// The new direction of one stick axis, given the one it holds now.
int stickDirection(int held, int value) {
    if (value >= PAD_PRESS) return 1;
    if (value <= -PAD_PRESS) return -1;
    if (held > 0 && value > PAD_RELEASE) return 1;
    if (held < 0 && value < -PAD_RELEASE) return -1;
    return 0;
}

void add(PadKeyEvents& out, bool down, int code) {
    out.events[out.count++] = PadKeyEvent{down, code};
}

// Moves one axis to a new direction: the old arrow goes up, the new one down.
PadKeyEvents turnAxis(int& held, int direction, int negativeCode, int positiveCode) {
    PadKeyEvents out;
    if (direction == held) return out;
    if (held != 0) add(out, false, held < 0 ? negativeCode : positiveCode);
    if (direction != 0) add(out, true, direction < 0 ? negativeCode : positiveCode);
    held = direction;
    return out;
}

} // namespace

PadKeyEvents PadMapper::button(PadButton button, bool pressed) const {
    int code = 0;
    switch (button) {
    case PadButton::A:
    case PadButton::Start:
        code = KEY_SPACE;
        break;
    case PadButton::Back:
        code = KEY_ESCAPE;
        break;
    case PadButton::DpadUp:
        code = KEY_UP;
        break;
    case PadButton::DpadDown:
        code = KEY_DOWN;
        break;
    case PadButton::DpadLeft:
        code = KEY_LEFT;
        break;
    case PadButton::DpadRight:
        code = KEY_RIGHT;
        break;
    case PadButton::Other:
        break;
    }
    PadKeyEvents out;
    if (code != 0) add(out, pressed, code);
    return out;
}

PadKeyEvents PadMapper::axis(PadAxis axis, int value) {
    switch (axis) {
    case PadAxis::LeftX:
        return turnAxis(stickX, stickDirection(stickX, value), KEY_LEFT, KEY_RIGHT);
    case PadAxis::LeftY: // the stick reads negative when pushed up
        return turnAxis(stickY, stickDirection(stickY, value), KEY_UP, KEY_DOWN);
    case PadAxis::Other:
        break;
    }
    return {};
}

PadKeyEvents PadMapper::releaseAll() {
    PadKeyEvents out;
    if (stickX != 0) add(out, false, stickX < 0 ? KEY_LEFT : KEY_RIGHT);
    if (stickY != 0) add(out, false, stickY < 0 ? KEY_UP : KEY_DOWN);
    stickX = stickY = 0;
    return out;
}
