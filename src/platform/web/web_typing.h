// Standard input at the settings prompt: bytes typed on the page are edited into a line, echoed
// into the console, and read by the game once Enter (or the end of input) hands the line over.
#pragma once

// One typed byte: printable characters, Backspace (0x7f), Ctrl+U, Enter ('\r') and
// Ctrl+D (0x04, the end of input). Only taken while the game waits for input.
void webTypeByte(char byte);

// Whether the game waits for a typed line now (the settings prompt is shown).
bool webReadingInput();
