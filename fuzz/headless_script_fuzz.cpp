// The headless script reader on arbitrary text: every script ends with status 0 or 2, never a
// crash or a hang. Pass counts are capped so that a single input stays quick.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "headless_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string script(reinterpret_cast<const char*>(data), size);
    // "pass N" with a large N is valid but slow; keep every count to at most three digits.
    std::string capped;
    std::size_t digits = 0;
    for (const char c : script) {
        digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
        if (digits <= 3) {
            capped += c;
        }
    }
    std::istringstream in(capped);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runHeadlessScript(in, out, err);
    if (status != 0 && status != 2) {
        std::abort();
    }
    if ((status == 2) != !err.str().empty()) {
        std::abort();
    }
    return 0;
}
