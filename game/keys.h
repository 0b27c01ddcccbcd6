// The game's keys, by the codes the keyboard layer reports them with: all
// the game and the input code need to agree on, without the game's state.
#pragma once

constexpr int KEY_ESCAPE = 27;
constexpr int KEY_SPACE = 32;
constexpr int KEY_LEFT = 37;
constexpr int KEY_UP = 38;
constexpr int KEY_RIGHT = 39;
constexpr int KEY_DOWN = 40;

// The keys the game holds (Space and the arrows); Escape acts once.
constexpr bool isHeldKey(int code) {
    return code == KEY_SPACE || (code >= KEY_LEFT && code <= KEY_DOWN);
}

// Every key the game acts on.
constexpr bool isGameKey(int code) {
    return code == KEY_ESCAPE || isHeldKey(code);
}
