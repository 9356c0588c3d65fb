#include "cli/interrupt_flag.h"

#include <csignal>

namespace pixmorrow::cli {

namespace {
volatile std::sig_atomic_t caught = 0;

extern "C" void onInterrupt(int) {
    caught = 1;
}
}  // namespace

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // Reads and waits of the engine go on as they were; the flag is looked at between files.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() {
    return caught != 0;
}

}  // namespace pixmorrow::cli
