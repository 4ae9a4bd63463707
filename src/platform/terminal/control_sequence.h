// A terminal control sequence (ESC [ parameters intermediates final) split into its parts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace terminal_platform {

struct ControlSequence {
    char prefix = 0;  // one of < = > ? when the parameters start with it
    // ';'-separated fields of ':'-separated values; a value left out is stored as MISSING.
    std::vector<std::vector<int>> fields;
    std::string intermediates;  // trailing bytes 0x20-0x2F, such as the '$' of a mode report
    char final = 0;

    static constexpr int MISSING = -2147483647;

    // Value `sub` of field `field`, or `fallback` where the sequence left it out.
    int value(std::size_t field, std::size_t sub, int fallback) const;
};

// Splits `body`, the bytes between "ESC [" and the final byte. Numbers may be negative (as in
// pixel mouse reports); stray characters end a number; huge numbers are capped.
ControlSequence splitControlSequence(std::string_view body, char final);

}  // namespace terminal_platform
