#include "platform/input/held_keys.h"

#include "game/keys.h"

namespace {

void add(KeyDeliveries& out, bool down, int code) {
    out.items[out.count++] = KeyDelivery{down, code};
}

} // namespace

KeyDeliveries HeldKeys::press(int holder, int code) {
    KeyDeliveries out;
    add(out, true, code);
    if (!isHeldKey(code)) return out;
    for (int i = 0; i < count; ++i)
        if (down[i].holder == holder && down[i].code == code) return out; // a repeat
    if (count == MAX_DOWN) { // more keys than hands: forget the oldest
        for (int i = 1; i < count; ++i) down[i - 1] = down[i];
        --count;
    }
    down[count++] = Entry{holder, code};
    return out;
}

KeyDeliveries HeldKeys::release(int holder, int code, int heldKey) {
    KeyDeliveries out;
    add(out, false, code);
    if (!isHeldKey(code)) return out;
    for (int i = count - 1; i >= 0; --i) {
        if (down[i].holder != holder || down[i].code != code) continue;
        for (int j = i + 1; j < count; ++j) down[j - 1] = down[j];
        --count;
        break;
    }
    // The game lets go of its key; the hand still holds another.
    if (code == heldKey && count > 0) add(out, true, down[count - 1].code);
    return out;
}

int HeldKeys::anyHeldBy(int holder) const {
    for (int i = 0; i < count; ++i)
        if (down[i].holder == holder) return down[i].code;
    return 0;
}
