// Counts every call of the global operator new in the benchmark program, so a benchmark can
// report how many allocations one iteration makes.
#pragma once

#include <cstdint>

std::uint64_t allocationCount();
