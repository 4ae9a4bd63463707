// The terminal platform's one state and its clock.
#include "platform/terminal/terminal_state.h"

#include <time.h>

namespace terminal_platform {

Terminal terminal;

Millis now() {
    struct timespec time {};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<Millis>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

}  // namespace terminal_platform
