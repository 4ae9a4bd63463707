// The tools' --help and --version, answered before any other argument is looked at.
#pragma once

// When any argument is "--help" (its usage, `usage`) or "--version" ("NAME VERSION"), prints
// that on standard output, sets *status (0, or 1 when it could not be written) and returns
// true. Otherwise returns false and leaves *status alone.
bool answerInfoOptions(int argc, char* argv[], const char* name, const char* usage, int* status);

// The project's version, as the build names it.
const char* toolVersion();
