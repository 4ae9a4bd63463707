// The program's shell: start-up, one pass of the current application state, and the frame.
#pragma once

#include <cstdint>

enum AppState : std::int32_t { Menu = 0, Settings = 1, Running = 2 };

// What the entry procedure owns for the whole run.
struct MainLoopLocals {
    AppState appState;
    std::int32_t menuRow;       // console row of the selected menu entry: 0, 2, 4 or 6
    std::int32_t mouseAnchorX;  // cursor x at the previous look step
};

// Hides the console's text cursor, takes the cursor's x as the first mouse anchor, opens the
// menu on its first entry and brings the frame to the start size.
// Sets: locals, frameBuffer, the console's cursor visibility.
void startUp(MainLoopLocals& locals);

// One pass of the current state: a menu pass, a settings pass or one running frame. A state
// other than these three does nothing.
void runPass(MainLoopLocals& locals);

// One running frame: look, colours, step length, view, status line, movement, normalisation,
// presentation and the frame's 40 ms pause. Reads and sets: world, frameBuffer, mouseAnchorX.
void renderFrame(std::int32_t& mouseAnchorX);
