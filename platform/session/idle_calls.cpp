#include "platform/session/idle_calls.h"

IdleCalls::Next IdleCalls::next(bool lastShowedPicture) {
    if (lastShowedPicture) {
        idleCallRan = false;
        return Next::AfterPicture;
    }
    if (!idleCallRan) {
        idleCallRan = true;
        return Next::AtOnce;
    }
    idleCallRan = false;
    return Next::NextTick;
}
