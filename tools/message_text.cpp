// Quoting of untrusted text for error messages.
#include "message_text.h"

std::string quoteText(std::string_view text, std::size_t maxBytes) {
    static const char HEX[] = "0123456789abcdef";
    const std::string_view shown = text.substr(0, maxBytes);
    std::string quoted;
    for (const char c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            quoted += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7f) {
            quoted += c;
        } else {
            quoted += "\\x";
            quoted += HEX[byte >> 4];
            quoted += HEX[byte & 0x0f];
        }
    }
    if (shown.size() < text.size()) {
        quoted += "...";
    }
    return quoted;
}
