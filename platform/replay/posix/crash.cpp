#include "platform/replay/crash.h"

#include <signal.h>

#include <csignal>
#include <initializer_list>

namespace {

void (*crashAction)() = nullptr;

// Its own stack: a crash from a stack overflow has none left to run on.
alignas(16) char crashStack[64 * 1024];

void onSignal(int signal) {
    // The handler is back to the default on entry (SA_RESETHAND): a second
    // fault within crashAction ends the program at once.
    if (crashAction) crashAction();
    // The signal stays blocked until this returns, then ends the program as
    // it would have; a fault in the code would also recur on return.
    raise(signal);
}

} // namespace

void installCrashHandler(void (*onCrash)()) {
    crashAction = onCrash;
    stack_t stack{};
    stack.ss_sp = crashStack;
    stack.ss_size = sizeof crashStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE}) sigaction(signal, &action, nullptr);
}
