// What every front end with a window shares (platform/session/session.h):
// the window's events between and within calls, its pause, and its presents.
// Each front end adds its own pace and what it does after a call.
#pragma once

#include "platform/session/session.h"

FrontEnd windowFrontEnd();
