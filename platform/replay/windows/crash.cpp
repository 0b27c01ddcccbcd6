// The Windows twin of crash.cpp: an unhandled exception, or an abort.
#include "platform/replay/crash.h"

#include <windows.h>

#include <csignal>

namespace {

void (*crashAction)() = nullptr;
volatile LONG crashed = 0;

void runOnce() {
    if (InterlockedExchange(&crashed, 1) == 0 && crashAction) crashAction();
}

LONG WINAPI onException(EXCEPTION_POINTERS*) {
    runOnce();
    return EXCEPTION_CONTINUE_SEARCH; // on to Windows' own crash handling
}

void onAbort(int signal) {
    runOnce();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void installCrashHandler(void (*onCrash)()) {
    crashAction = onCrash;
    SetUnhandledExceptionFilter(onException);
    std::signal(SIGABRT, onAbort);
}
