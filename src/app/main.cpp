// The game's entry: start-up, then one pass of the current state after another, for as long as
// the process lives. Command-line arguments are ignored.
#include "app/main_loop.h"

int main() {
    MainLoopLocals locals{};
    startUp(locals);
    for (;;) {
        runPass(locals);
    }
}
