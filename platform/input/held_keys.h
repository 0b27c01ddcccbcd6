// Which game keys are physically down, keyboard and gamepads together, so a
// released key hands over to one still held. The game stores one held key
// and the system repeats only the newest one: hold Left, press Up, let Up go,
// and without this the figure would stop although Left is still down. Free
// of SDL; the window's input layer feeds it and delivers what it returns.
#pragma once

// What the game's key handling is to receive, in order.
struct KeyDelivery {
    bool down;
    int code;
};
struct KeyDeliveries {
    KeyDelivery items[2];
    int count = 0;
};

// Who holds a key: the keyboard, or a gamepad by its slot (1 and up).
constexpr int HOLDER_KEYBOARD = 0;
constexpr int MAX_GAMEPADS = 8;
constexpr int HOLDER_COUNT = 1 + MAX_GAMEPADS;

class HeldKeys {
  public:
    // A key went down (or the system repeated it): the game gets the press.
    KeyDeliveries press(int holder, int code);
    // A key went up: the game gets the release; when that was the key the
    // game holds (`heldKey`) and another is still down, it then gets a press
    // of the newest key still down.
    KeyDeliveries release(int holder, int code, int heldKey);
    // A key this holder has down, or 0 (to let all of a gamepad's keys go
    // when it is unplugged).
    int anyHeldBy(int holder) const;

    int downCount() const { return count; }

  private:
    static constexpr int MAX_DOWN = 16;
    struct Entry {
        int holder, code;
    };
    Entry down[MAX_DOWN] = {}; // oldest first
    int count = 0;
};
