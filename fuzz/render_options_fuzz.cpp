// mazecast-render's option parsing on arbitrary argument lists (NUL-separated in the input):
// never a crash, and options it accepts always describe a frame that can be rendered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "render_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> words(1, "mazecast-render");
    words.emplace_back();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            words.emplace_back();
        } else {
            words.back() += static_cast<char>(data[i]);
        }
    }
    std::vector<const char*> argv;
    for (const std::string& word : words) {
        argv.push_back(word.c_str());
    }
    RenderOptions options{};
    std::string error;
    if (parseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error)) {
        const bool sane = options.map >= 1 && options.map <= 3 && options.width >= 1 &&
                          options.width <= 512 && options.height >= 1 && options.height <= 512 &&
                          options.x > -1.0f && options.x < 32.0f && options.y > -1.0f &&
                          options.y < 32.0f && error.empty();
        if (!sane) {
            std::abort();
        }
    } else if (error.empty()) {
        std::abort();  // a refusal always says why
    }
    return 0;
}
