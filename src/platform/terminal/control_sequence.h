// A terminal control sequence (ESC [ parameters intermediates final) split into its parts.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace terminal_platform {

// Held in fixed arrays, so that splitting one allocates nothing: the restore decodes the
// terminal's last replies in signal handlers too.
struct ControlSequence {
    static constexpr std::size_t MAX_FIELDS = 8;  // fields past these are dropped
    static constexpr std::size_t MAX_VALUES = 4;  // values of a field past these too
    static constexpr int MISSING = -2147483647;

    char prefix = 0;  // one of < = > ? when the parameters start with it
    // ';'-separated fields of ':'-separated values; a value left out is stored as MISSING.
    std::array<std::array<int, MAX_VALUES>, MAX_FIELDS> fields{};
    std::array<std::size_t, MAX_FIELDS> valueCounts{};
    std::size_t fieldCount = 0;
    std::string_view intermediates;  // trailing bytes 0x20-0x2F, such as the '$' of a mode report
    char final = 0;

    // Value `sub` of field `field`, or `fallback` where the sequence left it out.
    int value(std::size_t field, std::size_t sub, int fallback) const;
};

// Splits `body`, the bytes between "ESC [" and the final byte; the intermediates view into it.
// Numbers may be negative (as in pixel mouse reports); stray characters end a number; huge
// numbers are capped.
ControlSequence splitControlSequence(std::string_view body, char final);

}  // namespace terminal_platform
