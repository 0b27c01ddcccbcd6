// Gamepads play like the keyboard: the d-pad and the left stick are the
// arrow keys, A and Start are Space, Back is Escape. This is the mapping
// alone, free of SDL, so it can be checked without a controller.
#pragma once

enum class PadButton { A, Start, Back, DpadUp, DpadDown, DpadLeft, DpadRight, Other };
enum class PadAxis { LeftX, LeftY, Other };

// The stick is read as a direction once past PAD_PRESS and let go only
// below PAD_RELEASE, so a stick resting near the edge does not chatter.
constexpr int PAD_PRESS = 16000;   // of 32767
constexpr int PAD_RELEASE = 12000; // of 32767

struct PadKeyEvent {
    bool down;
    int code; // the keyboard's key code
};

// At most a key-up and a key-down come from one controller event.
struct PadKeyEvents {
    PadKeyEvent events[2];
    int count = 0;
};

// One controller's stick state; buttons carry no state of their own.
class PadMapper {
  public:
    PadKeyEvents button(PadButton button, bool pressed) const;
    PadKeyEvents axis(PadAxis axis, int value);
    // Key-ups for every stick direction still held (the controller left).
    PadKeyEvents releaseAll();

  private:
    int stickX = 0; // -1, 0 or +1
    int stickY = 0;
};
