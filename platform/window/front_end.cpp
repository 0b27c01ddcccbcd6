#include "platform/window/front_end.h"

#include "platform/input/events.h"
#include "platform/input/pause.h"
#include "platform/window/window.h"

FrontEnd windowFrontEnd() {
    FrontEnd f;
    f.handleEvents = handlePendingEvents;
    f.paused = gamePaused;
    f.holdWhilePaused = waitWhilePaused;
    f.present = presentFrame;
    f.handleEventsWithinCall = handleEventsWithinCall;
    return f;
}
