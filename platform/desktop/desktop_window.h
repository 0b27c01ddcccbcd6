// What the desktop's window offers beyond platform/window/window.h: its
// presents land on the ticks of a steady 60 Hz clock (pacer.h), and the loop
// reads the keys a small margin before that tick.
#pragma once

#include "platform/session/idle_calls.h"

// The loop's wait before it handles the events of a call: until a small
// margin before the tick on which the call's picture is shown; `next` says
// how the last call went (a call that showed nothing leaves its tick).
void waitToReadKeys(IdleCalls::Next next);

// Before the window opens: the pace as a percentage of the normal 60 calls a
// second (50 to 100).
void setGameSpeed(int percent);
// Sharp whole-factor scaling (false) or the largest picture that fits, its
// pixels still sharp (true). At any time.
void setPictureFit(bool fit);
