// The console contract of a platform whose console is a console model it keeps (headless, web):
// the handle, the text cursor, clearing, the running colours and standard output go to the
// model here; the platform defines the model and writes the rows.
#pragma once

#include "platform/console/console_model.h"
#include "platform/platform.h"

// The platform's console model; it may be assigned a new model at any time.
ConsoleModel& hostedConsole();

// The text cursor's size and visibility as the game last set them; the model keeps no cursor
// shape, and nothing draws one.
extern ConsoleCursorInfo hostedCursorInfo;
