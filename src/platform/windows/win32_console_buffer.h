// Whole-buffer console operations done with the console API: the effects of the command
// interpreter's "cls" and "color", without starting a process for them.
#pragma once

#include <windows.h>

// Blanks every cell with the current text attribute and homes the cursor ("cls").
void clearConsoleBuffer(HANDLE output);

// Gives every cell, and the text written from now on, this attribute ("color").
void colourConsoleBuffer(HANDLE output, WORD attribute);
